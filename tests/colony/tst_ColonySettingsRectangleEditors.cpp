#include "../view/ViewTestHelpers.h"
#include "ColonySettingsGuiFixture.h"
#include "ColonySettingsLabwareEditor.h"
#include "ColonySettingsRefPointSearchAreaEditor.h"

#include <HalconViewImpl.h>
#include <Hobject_View_Gui.h>
#include <Hobject_View_MouseDraw_Rectangle_Area.h>
#include <Hobject_View_MouseDraw_Rectangle_Move.h>

#include <HalconTestPictures.h>

#include <QTest>
#include <QToolButton>

#include <cmath>
#include <memory>

using ColonySettingsGuiFixture::Editor;
using namespace ViewTestHelpers;

namespace {

// A 1000 x 800 picture in a 500 x 400 picture area: screen point = picture point / 2, and
// one percent of the longer side is 10 picture pixels. The picture reaches 80 % down.
struct Scene {
    Hobject_View_Gui view;
    HalconViewImpl analyserView{&view};
    std::unique_ptr<Editor> fixture;

    explicit Scene(const ColonySettingsData& data = ColonySettingsData::standardDefaults())
    {
        view.setPicture(grayPicture(1000, 800, 40), QStringLiteral("HalconPicture_Colonies_Normal."), false);
        fixture = std::make_unique<Editor>(data, &analyserView);
    }
    ~Scene()
    {
        // The editors' tools go before the viewer they draw on.
        fixture.reset();
    }
    bool show()
    {
        if (!showWithPictureSize(view, 500, 400))
            return false;
        view.resetZoom(false);
        fixture->forgetNotices();
        return true;
    }
    Hobject_View_Gui_Picture* picture() { return pictureWidget(view); }
    QToolButton* button(const char* name) { return fixture->widget<QToolButton>(name); }
    // Screen point of a picture position in percent.
    static QPoint screen(double xPercent, double yPercent) { return QPoint(int(xPercent * 5.0), int(yPercent * 5.0)); }
    void drag(const QPoint& from, const QPoint& to) { ViewTestHelpers::drag(picture(), from, to); }
    bool hasObject(const QString& name) const { return ViewTestHelpers::hasObject(view, name); }
};

ColonySettingsData turnedLabware()
{
    ColonySettingsData data = ColonySettingsData::standardDefaults();
    data.Labware.Angle = 12.5;
    return data;
}

} // namespace

// The labware grid and the reference-point search areas drawn and moved with the mouse on
// the analyser's picture, through the editor's Create and Edit buttons.
class tst_ColonySettingsRectangleEditors : public QObject {
    Q_OBJECT
private slots:
    void drawnLabwareIsStoredAndAnnounced();
    void drawnRectangle_data();
    void drawnRectangle();
    void switchingOnAndOffIsNoEdit_data();
    void switchingOnAndOffIsNoEdit();
    void movedSearchAreaSizesAllFour();
    void labwareTurnsSearchAreasDoNot();
    void colourSelectionEndsTheMouseTools();
};

void tst_ColonySettingsRectangleEditors::drawnLabwareIsStoredAndAnnounced()
{
    Scene scene(turnedLabware());
    QVERIFY(scene.show());
    Editor& fixture = *scene.fixture;
    scene.view.addObject(HalconTestPictures::rectangleRegion(10, 10, 50, 50), "green", "margin", 1,
                         QStringLiteral("HalconObject_Colonies_SearchArea.1"), false, false);

    scene.button("m_LabwareCreate")->click();
    // The analysis is asked to stop before anything is drawn.
    QCOMPARE(fixture.customNumbers(), QList<int>({4}));
    const QString preview = fixture.editor->labwareEditor()->areaTool()->getObjectName() + QStringLiteral("Area");
    QTest::mousePress(scene.picture(), Qt::LeftButton, Qt::NoModifier, Scene::screen(10, 20));
    QVERIFY(!scene.hasObject(QStringLiteral("HalconObject_Colonies_SearchArea.1")));
    QTest::mouseMove(scene.picture(), Scene::screen(30, 40));
    QVERIFY(scene.hasObject(preview));
    QVERIFY(fixture.settings.Labware.SizeX != 20.0); // only shown so far
    QTest::mouseRelease(scene.picture(), Qt::LeftButton, Qt::NoModifier, Scene::screen(50, 60));

    const ColonySettingsData::LabwareData& labware = fixture.settings.Labware;
    QCOMPARE(labware.PositionX, 10.0);
    QCOMPARE(labware.PositionY, 20.0);
    QCOMPARE(labware.SizeX, 40.0);
    QCOMPARE(labware.SizeY, 40.0);
    QCOMPARE(labware.Angle, 12.5); // a new grid keeps the stored turn
    QCOMPARE(fixture.widget<QDoubleSpinBox>("m_LabwareSizeY")->value(), 40.0);
    QCOMPARE(fixture.customNumbers(), QList<int>({4, 2, 2, 3}));
    QCOMPARE(fixture.custom.at(1).second, QVariant(false));
    QCOMPARE(fixture.custom.at(2).second, QVariant(true));
    QVERIFY(fixture.editor->isModified());
    QVERIFY(fixture.changePending());
    QVERIFY(!scene.button("m_LabwareCreate")->isChecked());
    QVERIFY(!scene.hasObject(preview));
}

void tst_ColonySettingsRectangleEditors::drawnRectangle_data()
{
    QTest::addColumn<QString>("create");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QRectF>("expected"); // percent
    // The area tool hands over a positive size at the left and upper edge.
    QTest::newRow("from bottom right") << "m_LabwareCreate" << Scene::screen(50, 60) << Scene::screen(10, 20) << true
                                       << QRectF(10, 20, 40, 40);
    QTest::newRow("cut at the left and bottom") << "m_LabwareCreate" << Scene::screen(10, 10) << QPoint(-25, 450)
                                                << true << QRectF(0, 10, 10, 70);
    QTest::newRow("empty") << "m_LabwareCreate" << Scene::screen(30, 30) << Scene::screen(30, 30) << false << QRectF();
    QTest::newRow("no height") << "m_LabwareCreate" << Scene::screen(10, 30) << Scene::screen(60, 30) << false
                               << QRectF();
    QTest::newRow("beside the picture") << "m_LabwareCreate" << QPoint(-100, -100) << QPoint(-10, -10) << false
                                        << QRectF();
    QTest::newRow("below the picture") << "m_RefPoint2SearchAreaCreate" << Scene::screen(10, 85)
                                       << Scene::screen(20, 99) << false << QRectF();
    QTest::newRow("search area, cut at the right") << "m_RefPoint2SearchAreaCreate" << Scene::screen(90, 70)
                                                   << QPoint(520, 5 * 75) << true << QRectF(90, 70, 10, 5);
}

void tst_ColonySettingsRectangleEditors::drawnRectangle()
{
    QFETCH(QString, create);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(bool, stored);
    QFETCH(QRectF, expected);
    Scene scene;
    QVERIFY(scene.show());
    Editor& fixture = *scene.fixture;
    const ColonySettingsData before = fixture.settings.data();
    scene.button(qPrintable(create))->click();
    scene.drag(from, to);
    QVERIFY(!scene.button(qPrintable(create))->isChecked());
    if (!stored) {
        QVERIFY(fixture.settings.data() == before);
        QVERIFY(!fixture.editor->isModified());
        QVERIFY(!fixture.changePending());
        return;
    }
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;
    if (create == QLatin1String("m_LabwareCreate")) {
        const ColonySettingsData::LabwareData& labware = fixture.settings.Labware;
        x = labware.PositionX;
        y = labware.PositionY;
        width = labware.SizeX;
        height = labware.SizeY;
    } else {
        const ColonySettingsData::ReferencePointsData& points = fixture.settings.ReferencePoints;
        x = points.SearchPosition[2].X;
        y = points.SearchPosition[2].Y;
        width = points.SearchPositionWidth;
        height = points.SearchPositionHeight;
    }
    const auto near = [](double a, double b) { return std::abs(a - b) < 1e-9; };
    QVERIFY2(near(x, expected.x()) && near(y, expected.y()) && near(width, expected.width())
                 && near(height, expected.height()),
             qPrintable(QStringLiteral("%1 %2 %3 %4").arg(x).arg(y).arg(width).arg(height)));
    QVERIFY(fixture.editor->isModified());
}

void tst_ColonySettingsRectangleEditors::switchingOnAndOffIsNoEdit_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("clickHandle");
    QTest::newRow("create") << "m_LabwareCreate" << false;
    QTest::newRow("edit") << "m_LabwareEdit" << false;
    QTest::newRow("edit, handle clicked in place") << "m_RefPoint0SearchAreaEdit" << true;
}

void tst_ColonySettingsRectangleEditors::switchingOnAndOffIsNoEdit()
{
    QFETCH(QString, button);
    QFETCH(bool, clickHandle);
    Scene scene;
    QVERIFY(scene.show());
    Editor& fixture = *scene.fixture;
    const ColonySettingsData before = fixture.settings.data();
    scene.button(qPrintable(button))->click();
    if (clickHandle) {
        // Search area 0 lies at 11 %, 1 %, 15 % wide: its centre handle.
        QTest::mouseClick(scene.picture(), Qt::LeftButton, Qt::NoModifier, Scene::screen(18.5, 6.5));
    }
    scene.button(qPrintable(button))->click();
    QVERIFY(fixture.settings.data() == before);
    QVERIFY(!fixture.editor->isModified());
    QVERIFY(!fixture.changePending());
    QCOMPARE(fixture.dock.windowTitle().startsWith(QLatin1Char('*')), false);
}

void tst_ColonySettingsRectangleEditors::movedSearchAreaSizesAllFour()
{
    Scene scene;
    QVERIFY(scene.show());
    Editor& fixture = *scene.fixture;
    const ColonySettingsData before = fixture.settings.data();
    ColonySettingsRefPointSearchAreaEditor* editor = fixture.editor->refPointEditor(1);
    QCOMPARE(editor->index(), 1);
    scene.button("m_RefPoint1SearchAreaEdit")->click();
    Hobject_View_MouseDraw_Rectangle_Move* tool = editor->moveTool();
    QVERIFY(tool->isActive());
    QVERIFY(!scene.hasObject(tool->handleName(Hobject_View_MouseDraw_Rectangle_Move::Handle_Angle)));
    QVERIFY(scene.hasObject(tool->handleName(Hobject_View_MouseDraw_Rectangle_Move::Handle_RightBottom)));

    // Point 1's area: 71 %, 1 %, 15 x 11; its right-bottom corner to 90 %, 20 %.
    scene.drag(Scene::screen(86, 12), Scene::screen(90, 20));
    const ColonySettingsData::ReferencePointsData& points = fixture.settings.ReferencePoints;
    QCOMPARE(points.SearchPosition[1].X, 71.0);
    QCOMPARE(points.SearchPosition[1].Y, 1.0);
    QVERIFY(std::abs(points.SearchPositionWidth - 19.0) < 0.3);
    QVERIFY(std::abs(points.SearchPositionHeight - 19.0) < 0.3);
    for (int other : {0, 2, 3})
        QVERIFY(points.SearchPosition[other] == before.ReferencePoints.SearchPosition[other]);
    // The form follows each release; the edit counts when the tool ends.
    QCOMPARE(fixture.widget<QDoubleSpinBox>("m_RefPointSearchWidth")->value(),
             std::round(points.SearchPositionWidth * 100.0) / 100.0);
    QVERIFY(!fixture.editor->isModified());
    QVERIFY(!fixture.changePending());
    scene.button("m_RefPoint1SearchAreaEdit")->click();
    QVERIFY(fixture.editor->isModified());
    QVERIFY(fixture.changePending());
}

void tst_ColonySettingsRectangleEditors::labwareTurnsSearchAreasDoNot()
{
    Scene scene(turnedLabware());
    QVERIFY(scene.show());
    Editor& fixture = *scene.fixture;
    scene.button("m_LabwareEdit")->click();
    Hobject_View_MouseDraw_Rectangle_Move* labwareTool = fixture.editor->labwareEditor()->moveTool();
    QVERIFY(scene.hasObject(labwareTool->handleName(Hobject_View_MouseDraw_Rectangle_Move::Handle_Angle)));
    // The preview of the stored grid is drawn at once.
    QVERIFY(scene.hasObject(labwareTool->getObjectName() + QStringLiteral("Area")));
    scene.button("m_RefPoint3SearchAreaCreate")->click();
    QVERIFY(!labwareTool->isActive());
    // A search area drawn anew is unrotated whatever the grid's turn.
    scene.drag(Scene::screen(60, 50), Scene::screen(70, 60));
    QCOMPARE(fixture.settings.ReferencePoints.SearchPosition[3].X, 60.0);
    QCOMPARE(fixture.settings.Labware.Angle, 12.5);
}

void tst_ColonySettingsRectangleEditors::colourSelectionEndsTheMouseTools()
{
    Scene scene;
    QVERIFY(scene.show());
    Editor& fixture = *scene.fixture;
    scene.button("m_LabwareEdit")->click();
    QVERIFY(fixture.editor->labwareEditor()->moveTool()->isActive());
    fixture.widget<QToolButton>("m_QToolButton_Color_MouseSelect_ColorRange")->click();
    QVERIFY(!fixture.editor->labwareEditor()->moveTool()->isActive());
    QVERIFY(!scene.button("m_LabwareEdit")->isChecked());
    QVERIFY(fixture.widget<QToolButton>("m_QToolButton_Color_MouseSelect_ColorRange")->isChecked());
}

QTEST_MAIN(tst_ColonySettingsRectangleEditors)
#include "tst_ColonySettingsRectangleEditors.moc"
