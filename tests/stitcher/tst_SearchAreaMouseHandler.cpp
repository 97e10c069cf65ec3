#include "SearchAreaScene.h"

#include <SearchAreaMouseHandler.h>
#include <SearchAreaSettings.h>

#include <QStringList>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

const QString kSearchAreas = QStringLiteral("HalconObject_Stitcher_Cross.SearchArea.");
const QString kModel = QStringLiteral("HalconObject_Stitcher_Cross.Model.");

SearchAreaDrawSettings stitcherDrawing()
{
    SearchAreaDrawSettings draw;
    draw.prefixes = QStringList{kSearchAreas, kModel};
    draw.colour = QStringLiteral("light blue");
    return draw;
}

// A handler on the scene's viewer with its two buttons, and the signals it sent, by name.
struct Handler {
    QToolButton areaButton;
    QToolButton moveButton;
    std::unique_ptr<SearchAreaMouseHandler> handler;
    QStringList signalLog;

    Handler(SearchAreaScene& scene, SearchAreaSettings* settings,
            const SearchAreaDrawSettings& draw = stitcherDrawing())
    {
        areaButton.setCheckable(true);
        moveButton.setCheckable(true);
        handler = std::make_unique<SearchAreaMouseHandler>(&scene.drawing, &areaButton, &moveButton, draw, settings);
        QObject::connect(handler.get(), &SearchAreaMouseHandler::signal_SettingChanged,
                         [this] { signalLog << QStringLiteral("SettingChanged"); });
        QObject::connect(handler.get(), &SearchAreaMouseHandler::signal_AnalysingAbort,
                         [this] { signalLog << QStringLiteral("AnalysingAbort"); });
        QObject::connect(handler.get(), &SearchAreaMouseHandler::signal_NewDialogSettings,
                         [this] { signalLog << QStringLiteral("NewDialogSettings"); });
    }
    ~Handler()
    {
        handler.reset(); // the tools before their buttons
    }
};

} // namespace

// The two rectangle tools of one search area on a real viewer, driven with the mouse.
class tst_SearchAreaMouseHandler : public QObject {
    Q_OBJECT
private slots:
    void handlersGetTheirOwnToolNames();
    void drawnAreaIsStoredAndAnnounced();
    void clickWithoutDragKeepsTheArea();
    void movedAreaKeepsSizeAndTurn();
    void replacedRecordIsTheOneEdited();
    void missingRecordIsIgnored_data();
    void missingRecordIsIgnored();
    void emptyPrefixListRemovesNothing();
    void viewerMayGoWhileAToolIsOn();
};

void tst_SearchAreaMouseHandler::handlersGetTheirOwnToolNames()
{
    SearchAreaScene scene;
    SearchAreaSettings area;
    Handler first(scene, &area);
    Handler second(scene, &area);
    const int n = first.handler->number();
    QCOMPARE(second.handler->number(), n + 1);
    QCOMPARE(first.handler->areaTool()->getName(), QStringLiteral("SearchPosition_Area.%1.").arg(n));
    QCOMPARE(first.handler->moveTool()->getName(), QStringLiteral("SearchPosition_Move.%1.").arg(n));
    QCOMPARE(second.handler->areaTool()->getName(), QStringLiteral("SearchPosition_Area.%1.").arg(n + 1));
    QCOMPARE(second.handler->moveTool()->getName(), QStringLiteral("SearchPosition_Move.%1.").arg(n + 1));
}

void tst_SearchAreaMouseHandler::drawnAreaIsStoredAndAnnounced()
{
    SearchAreaScene scene;
    SearchAreaSettings area(5, 5, 10, 10, 7.5);
    Handler fixture(scene, &area);
    QVERIFY(scene.show());
    scene.addMarker(kSearchAreas + QStringLiteral("1"));
    scene.addMarker(kModel + QStringLiteral("Contour"));
    scene.addMarker(QStringLiteral("HalconObject_Stitcher_Filtered.1"));

    fixture.areaButton.click();
    // A running stitch is stopped before anything is drawn over its picture.
    QCOMPARE(fixture.signalLog, QStringList({"AnalysingAbort"}));
    const QString outline = fixture.handler->areaTool()->getObjectName() + QStringLiteral("FullArea.");
    QTest::mousePress(scene.picture(), Qt::LeftButton, Qt::NoModifier, SearchAreaScene::screen(10, 20));
    QVERIFY(!scene.hasObject(kSearchAreas + QStringLiteral("1")));
    QVERIFY(!scene.hasObject(kModel + QStringLiteral("Contour")));
    QVERIFY(scene.hasObject(QStringLiteral("HalconObject_Stitcher_Filtered.1")));
    QTest::mouseMove(scene.picture(), SearchAreaScene::screen(30, 40));
    QVERIFY(scene.hasObject(outline));
    QCOMPARE(area.SizeX, 10.0); // only shown so far
    QTest::mouseRelease(scene.picture(), Qt::LeftButton, Qt::NoModifier, SearchAreaScene::screen(50, 60));

    QCOMPARE(area.PosX, 10.0);
    QCOMPARE(area.PosY, 20.0);
    QCOMPARE(area.SizeX, 40.0);
    QCOMPARE(area.SizeY, 40.0);
    QCOMPARE(area.Angle, 7.5); // a new area keeps the stored turn
    QCOMPARE(fixture.signalLog,
             QStringList({"AnalysingAbort", "NewDialogSettings", "NewDialogSettings", "SettingChanged"}));
    QVERIFY(!fixture.areaButton.isChecked());
    QVERIFY(!scene.hasObject(outline));
}

void tst_SearchAreaMouseHandler::clickWithoutDragKeepsTheArea()
{
    SearchAreaScene scene;
    const SearchAreaSettings before(5, 5, 10, 10, 0);
    SearchAreaSettings area = before;
    Handler fixture(scene, &area);
    QVERIFY(scene.show());

    fixture.areaButton.click();
    scene.drag(SearchAreaScene::screen(30, 30), SearchAreaScene::screen(30, 30));
    QCOMPARE(area, before);
    QVERIFY(!fixture.areaButton.isChecked());
}

void tst_SearchAreaMouseHandler::movedAreaKeepsSizeAndTurn()
{
    SearchAreaScene scene;
    SearchAreaSettings area(20, 20, 20, 10, 0);
    Handler fixture(scene, &area);
    QVERIFY(scene.show());
    Hobject_View_MouseDraw_Rectangle_Move* tool = fixture.handler->moveTool();

    fixture.moveButton.click();
    QVERIFY(tool->isActive());
    QCOMPARE(fixture.signalLog, QStringList({"AnalysingAbort"}));
    // Turned only with the angle box: no angle handle.
    QVERIFY(scene.hasObject(tool->handleName(Hobject_View_MouseDraw_Rectangle_Move::Handle_Center)));
    QVERIFY(!scene.hasObject(tool->handleName(Hobject_View_MouseDraw_Rectangle_Move::Handle_Angle)));

    scene.drag(SearchAreaScene::screen(30, 25), SearchAreaScene::screen(40, 35));
    QCOMPARE(area.PosX, 30.0);
    QCOMPARE(area.PosY, 30.0);
    QCOMPARE(area.SizeX, 20.0);
    QCOMPARE(area.SizeY, 10.0);
    QCOMPARE(area.Angle, 0.0);
    QVERIFY(fixture.signalLog.contains(QStringLiteral("NewDialogSettings")));
    QVERIFY(!fixture.signalLog.contains(QStringLiteral("SettingChanged"))); // the tool is still on

    fixture.moveButton.click();
    QVERIFY(!tool->isActive());
    QCOMPARE(fixture.signalLog.mid(fixture.signalLog.size() - 2),
             QStringList({"NewDialogSettings", "SettingChanged"}));
}

void tst_SearchAreaMouseHandler::replacedRecordIsTheOneEdited()
{
    SearchAreaScene scene;
    const SearchAreaSettings first(5, 5, 10, 10, 0);
    SearchAreaSettings firstArea = first;
    SearchAreaSettings secondArea(20, 20, 20, 10, 0);
    Handler fixture(scene, &firstArea);
    QVERIFY(scene.show());
    fixture.handler->setSearchAreaSettings(&secondArea);

    // The move tool's handles stand on the new record's area: its centre moves it.
    fixture.moveButton.click();
    scene.drag(SearchAreaScene::screen(30, 25), SearchAreaScene::screen(35, 30));
    fixture.moveButton.click();
    QCOMPARE(secondArea, SearchAreaSettings(25, 25, 20, 10, 0));

    fixture.areaButton.click();
    scene.drag(SearchAreaScene::screen(50, 50), SearchAreaScene::screen(60, 70));
    QCOMPARE(secondArea, SearchAreaSettings(50, 50, 10, 20, 0));
    QCOMPARE(firstArea, first);
}

void tst_SearchAreaMouseHandler::missingRecordIsIgnored_data()
{
    QTest::addColumn<bool>("move");
    QTest::newRow("area tool") << false;
    QTest::newRow("move tool") << true;
}

void tst_SearchAreaMouseHandler::missingRecordIsIgnored()
{
    QFETCH(bool, move);
    SearchAreaScene scene;
    Handler fixture(scene, nullptr);
    QVERIFY(scene.show());
    QToolButton& button = move ? fixture.moveButton : fixture.areaButton;

    button.click();
    scene.drag(SearchAreaScene::screen(10, 10), SearchAreaScene::screen(40, 40));
    if (button.isChecked())
        button.click();
    QVERIFY(!fixture.signalLog.contains(QStringLiteral("AnalysingAbort")));
    QVERIFY(!button.isChecked());
}

void tst_SearchAreaMouseHandler::emptyPrefixListRemovesNothing()
{
    SearchAreaScene scene;
    SearchAreaSettings area;
    Handler fixture(scene, &area, SearchAreaDrawSettings{{}, QStringLiteral("light blue")});
    QVERIFY(scene.show());
    scene.addMarker(kSearchAreas + QStringLiteral("1"));

    fixture.areaButton.click();
    scene.drag(SearchAreaScene::screen(10, 10), SearchAreaScene::screen(40, 40));
    QVERIFY(scene.hasObject(kSearchAreas + QStringLiteral("1")));
    QCOMPARE(area, SearchAreaSettings(10, 10, 30, 30, 0));
}

void tst_SearchAreaMouseHandler::viewerMayGoWhileAToolIsOn()
{
    auto scene = std::make_unique<SearchAreaScene>();
    SearchAreaSettings area(20, 20, 20, 10, 0);
    Handler fixture(*scene, &area);
    QVERIFY(scene->show());
    fixture.moveButton.click();
    QVERIFY(fixture.handler->moveTool()->isActive());

    // The stitcher page and its viewers may be torn down before the settings editor.
    scene.reset();
    QVERIFY(!fixture.handler->moveTool()->isActive());
    fixture.moveButton.click();
    fixture.areaButton.click();
    QCOMPARE(area, SearchAreaSettings(20, 20, 20, 10, 0));
}

QTEST_MAIN(tst_SearchAreaMouseHandler)
#include "tst_SearchAreaMouseHandler.moc"
