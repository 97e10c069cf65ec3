#include "ModelMatchingEditors.h"

#include <Halcon.h>
#include <HalconTestPictures.h>
#include <ModelMatchingErrors.h>
#include <ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition.h>
#include <ThreadChecker.h>

#include <QToolButton>
#include <QtTest>

#include <cmath>

namespace {

const QString kClearedPrefix = QStringLiteral("HalconObject_Stitcher_Cross.SearchArea.");

bool near(double a, double b)
{
    return std::abs(a - b) < 1e-6;
}

bool hasOverlay(Hobject_View_Gui& viewer, const QString& name, Halcon::Hobject* object = nullptr)
{
    Halcon::Hobject found;
    bool visible = false;
    bool selected = false;
    const bool there = viewer.getObject(name, found, visible, selected);
    if (object)
        *object = found;
    return there;
}

// The search settings editor with every group shown; its tools clear kClearedPrefix.
struct SearchEditing : ModelMatchingEditors {
    static SearchPositionDrawSettings drawing()
    {
        SearchPositionDrawSettings draw;
        draw.prefixes = QStringList{kClearedPrefix};
        return draw;
    }

    SearchEditing() : ModelMatchingEditors(stitcherRoiDrawing(), drawing())
    {
        analyseGui->UpdateWidget();
        log.watch(analyseGui.get(), "search");
    }

    QToolButton* areaButton()
    {
        return child<QToolButton>(*analyseGui, "m_QToolButton_MouseSelect_SearchPosition_Area");
    }
    QToolButton* moveButton()
    {
        return child<QToolButton>(*analyseGui, "m_QToolButton_MouseSelect_SearchPosition_Move");
    }
    ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition* mouseDraw() { return analyseGui->GetMouseDraw(); }

    EditorSignalLog log;
};

} // namespace

class tst_ModelMatchingSearchPositionMouseDraw : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void toolNamesCarryTheFacadesName_data();
    void toolNamesCarryTheFacadesName();
    void drawingIsStoredOnRelease();
    void abandonedDrawingKeepsTheRectangle_data();
    void abandonedDrawingKeepsTheRectangle();
    void moveStartsOnTheStoredRectangle();
    void withoutRecordNothingIsStored();
};

void tst_ModelMatchingSearchPositionMouseDraw::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
}

void tst_ModelMatchingSearchPositionMouseDraw::toolNamesCarryTheFacadesName_data()
{
    QTest::addColumn<bool>("withFacade");
    QTest::addColumn<QString>("facadeName");
    QTest::addColumn<QString>("areaName");
    QTest::newRow("named") << true << "CrossModel" << "CrossModel_SearchPosition_Area";
    QTest::newRow("unnamed") << true << "" << "SearchPosition_Area";
    QTest::newRow("no facade") << false << "" << "SearchPosition_Area";
}

void tst_ModelMatchingSearchPositionMouseDraw::toolNamesCarryTheFacadesName()
{
    QFETCH(bool, withFacade);
    QFETCH(QString, facadeName);
    QFETCH(QString, areaName);
    Hobject_View_Gui viewer;
    ModelMatchingSettings settings;
    ModelMatching facade(facadeName, &settings);
    ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition tools(nullptr, nullptr, &viewer,
                                                                     SearchPositionDrawSettings(),
                                                                     withFacade ? &facade : nullptr);
    QCOMPARE(tools.areaTool()->getName(), areaName);
    QCOMPARE(tools.moveTool()->getName(), QString(areaName).replace("_Area", "_Move"));
}

void tst_ModelMatchingSearchPositionMouseDraw::drawingIsStoredOnRelease()
{
    SearchEditing editing;
    Hobject_View_MouseDraw_Rectangle_Area* tool = editing.mouseDraw()->areaTool();
    const QString preview = tool->getObjectName() + "FullArea.";
    editing.viewer().addObject(HalconTestPictures::rectangleRegion(0, 0, 10, 10), "green", "margin", 1,
                               kClearedPrefix + "1.", false, false);
    const ModelMatchingSettings before = editing.settings();

    editing.areaButton()->setChecked(true);
    emit editing.viewer().signal_HalconMousePressEvent(200, 160);
    QVERIFY(!hasOverlay(editing.viewer(), kClearedPrefix + "1."));
    emit editing.viewer().signal_HalconMouseMoveEvent(40, 80);
    // Previewed, not stored.
    QVERIFY(hasOverlay(editing.viewer(), preview));
    QCOMPARE(editing.settings(), before);

    emit editing.viewer().signal_HalconMouseReleaseEvent(40, 80);

    const ModelMatchingSettings::SearchPositionData& stored = editing.settings().SearchPosition;
    QVERIFY(near(stored.PositionX, 10) && near(stored.PositionY, 20) && near(stored.SizeX, 40)
            && near(stored.SizeY, 20) && near(stored.Angle, 0));
    QVERIFY(!hasOverlay(editing.viewer(), preview));
    QVERIFY(!editing.areaButton()->isChecked());
    QCOMPARE(editing.log.entries, QStringList({"search:AnalysingAbort", "search:NewDialogSettings",
                                               "search:NewDialogSettings", "search:SettingChanged"}));
}

void tst_ModelMatchingSearchPositionMouseDraw::abandonedDrawingKeepsTheRectangle_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QStringList>("announced");
    QTest::newRow("click without a drag") << false
                                          << QStringList{"search:AnalysingAbort", "search:NewDialogSettings",
                                                         "search:NewDialogSettings", "search:SettingChanged"};
    QTest::newRow("cancelled while dragging") << true
                                              << QStringList{"search:AnalysingAbort", "search:NewDialogSettings",
                                                             "search:SettingChanged"};
}

void tst_ModelMatchingSearchPositionMouseDraw::abandonedDrawingKeepsTheRectangle()
{
    QFETCH(bool, cancel);
    QFETCH(QStringList, announced);
    SearchEditing editing;
    const ModelMatchingSettings before = editing.settings();

    editing.areaButton()->setChecked(true);
    emit editing.viewer().signal_HalconMousePressEvent(100, 100);
    if (cancel) {
        emit editing.viewer().signal_HalconMouseMoveEvent(200, 180);
        editing.areaButton()->setChecked(false);
    } else {
        emit editing.viewer().signal_HalconMouseReleaseEvent(100, 100);
    }

    QCOMPARE(editing.settings(), before);
    QVERIFY(!editing.mouseDraw()->areaTool()->isActive());
    QCOMPARE(editing.log.entries, announced);
}

void tst_ModelMatchingSearchPositionMouseDraw::moveStartsOnTheStoredRectangle()
{
    SearchEditing editing;
    // 2000 x 1000 pixels: one percent is 20 pixels.
    editing.viewer().setPicture(HalconTestPictures::grayImage(2000, 1000, [](int, int) { return 128; }),
                                QStringLiteral("HalconPicture_Stitcher_Normal..Background"), false);
    editing.setup.facade->EditSettings([](ModelMatchingSettings& s) { s.SearchPosition = {10, 10, 30, 30, 0}; });
    Hobject_View_MouseDraw_Rectangle_Move* tool = editing.mouseDraw()->moveTool();

    editing.moveButton()->setChecked(true);

    // The preview of the stored rectangle: centred at column 500, row 500, 300 to each side.
    Halcon::Hobject shown;
    QVERIFY(hasOverlay(editing.viewer(), tool->getObjectName() + "FullArea.", &shown));
    Halcon::HTuple row1, column1, row2, column2;
    QCOMPARE(Halcon::smallest_rectangle1_xld(shown, &row1, &column1, &row2, &column2), Halcon::kSuccess);
    QVERIFY(near(column1.D(), 200) && near(column2.D(), 800) && near(row1.D(), 200) && near(row2.D(), 800));

    // A drag of the centre is stored only when the mouse is released.
    emit editing.viewer().signal_HalconMousePressEvent(500, 500);
    QCOMPARE(tool->grabbedHandle(), Hobject_View_MouseDraw_Rectangle_Move::Handle_Center);
    emit editing.viewer().signal_HalconMouseMoveEvent(600, 540);
    QVERIFY(near(editing.settings().SearchPosition.PositionX, 10));
    emit editing.viewer().signal_HalconMouseReleaseEvent(600, 540);
    QVERIFY(near(editing.settings().SearchPosition.PositionX, 15));
    QVERIFY(near(editing.settings().SearchPosition.PositionY, 12));
    QVERIFY(near(editing.settings().SearchPosition.SizeX, 30));
    editing.moveButton()->setChecked(false);
}

void tst_ModelMatchingSearchPositionMouseDraw::withoutRecordNothingIsStored()
{
    Hobject_View_Gui viewer;
    viewer.setPicture(CrossScenes::crossTemplate(), QString(), false);
    ModelMatching facade(QStringLiteral("CrossModel"), nullptr);
    QToolButton area;
    area.setCheckable(true);
    ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition tools(&area, nullptr, &viewer,
                                                                     SearchPositionDrawSettings(), &facade);
    EditorSignalLog log;
    log.watch(&tools, "tools");
    area.setChecked(true);
    emit viewer.signal_HalconMousePressEvent(40, 40);
    emit viewer.signal_HalconMouseReleaseEvent(120, 120);
    QVERIFY(!tools.areaTool()->isActive());
    QCOMPARE(log.entries, QStringList({"tools:NewDialogSettings", "tools:SettingChanged"}));
}

QTEST_MAIN(tst_ModelMatchingSearchPositionMouseDraw)
#include "tst_ModelMatchingSearchPositionMouseDraw.moc"
