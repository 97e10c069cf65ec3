#include "ModelMatchingEditors.h"

#include <ModelMatchingErrors.h>
#include <ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi.h>
#include <ThreadChecker.h>

#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <cmath>

namespace {

// The template is 400 pixels wide: 4 pixels are one percent.
constexpr double kPixelsPerPercent = 4.0;

ModelMatchingRoi rectangleRoi(double x, double y, double width, double height)
{
    ModelMatchingRoi r;
    r.PositionX = x;
    r.PositionY = y;
    r.SizeX = width;
    r.SizeY = height;
    return r;
}

bool near(double a, double b)
{
    return std::abs(a - b) < 1e-6;
}

bool hasOverlay(Hobject_View_Gui& viewer, const QString& name)
{
    Halcon::Hobject object;
    bool visible = false;
    bool selected = false;
    return viewer.getObject(name, object, visible, selected);
}

// Define-model mode with one region selected in the editor's list.
struct RoiEditing : ModelMatchingEditors {
    explicit RoiEditing(const QList<ModelMatchingRoi>& rois = {})
    {
        setup.facade->SetModelPictureMode(ModelMatching::Mode_DefineModel);
        setup.facade->EditSettings([&rois](ModelMatchingSettings& s) { s.Model.ROI = rois; });
        modelGui->UpdateWidget();
        log.watch(modelGui.get(), "model");
    }

    QToolButton* button(const char* name) { return child<QToolButton>(*modelGui, name); }
    QToolButton* rectangleButton() { return button("m_QToolButton_MouseSelect_Model_Rectangle_Add"); }
    QToolButton* ellipseButton() { return button("m_QToolButton_MouseSelect_Model_Ellipse_Add"); }
    QToolButton* moveButton() { return button("m_QToolButton_MouseSelect_Model_Move"); }
    ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi* mouseDraw() { return modelGui->GetMouseDraw(); }

    void select(int index)
    {
        QTreeWidget* tree = child<QTreeWidget>(*modelGui, "m_QTreeWidget_Model_ROI");
        tree->setCurrentItem(tree->topLevelItem(index));
    }

    EditorSignalLog log;
};

} // namespace

class tst_ModelMatchingModelRoiMouseDraw : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void drawingAddsOneRegion_data();
    void drawingAddsOneRegion();
    void regionFollowsTheMouseWhileDrawn();
    void abandonedDrawingLeavesNoRegion_data();
    void abandonedDrawingLeavesNoRegion();
    void moveChangesTheSelectedRegion();
    void moveWithoutSelectionEndsAtOnce();
    void analyseModeDrawsNothing();
    void unknownRegionsAreSkippedForTheHighlight();
    void toolsFollowTheSetupsNames();
};

void tst_ModelMatchingModelRoiMouseDraw::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
}

void tst_ModelMatchingModelRoiMouseDraw::drawingAddsOneRegion_data()
{
    QTest::addColumn<bool>("ellipse");
    QTest::newRow("rectangle") << false;
    QTest::newRow("ellipse") << true;
}

void tst_ModelMatchingModelRoiMouseDraw::drawingAddsOneRegion()
{
    QFETCH(bool, ellipse);
    RoiEditing editing({rectangleRoi(50, 50, 10, 10)});
    QToolButton* button = ellipse ? editing.ellipseButton() : editing.rectangleButton();
    Hobject_View_MouseDraw_Rectangle_Area* tool =
        ellipse ? editing.mouseDraw()->ellipseTool() : editing.mouseDraw()->rectangleTool();
    QVERIFY(!editing.moveButton()->isEnabled());

    button->setChecked(true);
    QVERIFY(tool->isActive());
    editing.drag(200, 160, 40, 80);

    const ModelMatchingRoiList& rois = editing.settings().Model.ROI;
    QCOMPARE(rois.size(), 2);
    const ModelMatchingRoi& added = rois.last();
    QCOMPARE(added.Type, int(ellipse ? ModelMatchingRoi::Type_Ellipse : ModelMatchingRoi::Type_Rectangle));
    QVERIFY(near(added.PositionX, 10) && near(added.PositionY, 20) && near(added.SizeX, 40) && near(added.SizeY, 20));
    QVERIFY(near(added.Angle, 0));
    QCOMPARE(editing.modelGui->GetSelectedRoi(), 1);
    QVERIFY(editing.moveButton()->isEnabled());
    // One check of "Add" adds one region: the tool is off again.
    QVERIFY(!button->isChecked() && !tool->isActive());
    QCOMPARE(editing.log.entries,
             QStringList({"model:AnalysingAbort", "model:NewDialogSettings", "model:SettingChanged"}));
    // The tool's drawing went with it.
    QVERIFY(!hasOverlay(editing.viewer(), tool->getObjectName() + "Area."));
}

void tst_ModelMatchingModelRoiMouseDraw::regionFollowsTheMouseWhileDrawn()
{
    RoiEditing editing;
    Hobject_View_MouseDraw_Rectangle_Area* tool = editing.mouseDraw()->rectangleTool();
    editing.rectangleButton()->setChecked(true);
    emit editing.viewer().signal_HalconMousePressEvent(40, 40);
    emit editing.viewer().signal_HalconMouseMoveEvent(120, 80);

    // Changed in the record as the mouse goes, and drawn under the tool's own prefix.
    QCOMPARE(editing.settings().Model.ROI.size(), 1);
    const ModelMatchingRoi now = editing.settings().Model.ROI.first();
    QVERIFY(near(now.PositionX, 10) && near(now.PositionY, 10) && near(now.SizeX, 20) && near(now.SizeY, 10));
    QVERIFY(hasOverlay(editing.viewer(), tool->getObjectName() + "Area."));
    // While the tool is busy the region is not highlighted as selected.
    QVERIFY(!hasOverlay(editing.viewer(), tool->getObjectName() + "Area.Selected."));

    emit editing.viewer().signal_HalconMouseReleaseEvent(160, 120);
    QVERIFY(near(editing.settings().Model.ROI.first().SizeX, 30));
}

void tst_ModelMatchingModelRoiMouseDraw::abandonedDrawingLeavesNoRegion_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("announced");
    QTest::newRow("click without a drag") << "click"
                                          << QStringList{"model:AnalysingAbort", "model:NewDialogSettings",
                                                         "model:SettingChanged"};
    QTest::newRow("only a width") << "line"
                                  << QStringList{"model:AnalysingAbort", "model:NewDialogSettings",
                                                 "model:SettingChanged"};
    QTest::newRow("cancelled while dragging") << "cancel"
                                              << QStringList{"model:AnalysingAbort", "model:NewDialogSettings",
                                                             "model:SettingChanged"};
    QTest::newRow("cancelled before pressing") << "off"
                                               << QStringList{"model:AnalysingAbort", "model:SettingChanged"};
}

void tst_ModelMatchingModelRoiMouseDraw::abandonedDrawingLeavesNoRegion()
{
    QFETCH(QString, how);
    QFETCH(QStringList, announced);
    RoiEditing editing({rectangleRoi(50, 50, 10, 10), rectangleRoi(5, 5, 10, 10)});
    editing.select(0);
    const ModelMatchingSettings before = editing.settings();
    editing.log.entries.clear();

    editing.ellipseButton()->setChecked(true);
    if (how == "click") {
        editing.drag(100, 100, 100, 100);
    } else if (how == "line") {
        editing.drag(100, 100, 180, 100);
    } else if (how == "cancel") {
        emit editing.viewer().signal_HalconMousePressEvent(100, 100);
        emit editing.viewer().signal_HalconMouseMoveEvent(180, 150);
        QCOMPARE(editing.settings().Model.ROI.size(), 3);
        editing.ellipseButton()->setChecked(false);
    } else {
        editing.ellipseButton()->setChecked(false);
    }

    QCOMPARE(editing.settings(), before);
    QCOMPARE(editing.modelGui->GetSelectedRoi(), 0);
    QVERIFY(editing.moveButton()->isEnabled());
    QVERIFY(!editing.mouseDraw()->ellipseTool()->isActive());
    QCOMPARE(editing.log.entries, announced);
}

void tst_ModelMatchingModelRoiMouseDraw::moveChangesTheSelectedRegion()
{
    // 80 x 80 pixels from (40, 40): the centre handle sits at (80, 80).
    RoiEditing editing({rectangleRoi(50, 50, 5, 5), rectangleRoi(10, 10, 20, 20)});
    editing.select(1);
    Hobject_View_MouseDraw_Rectangle_Move* tool = editing.mouseDraw()->moveTool();
    editing.log.entries.clear();

    editing.moveButton()->setChecked(true);
    QVERIFY(tool->isActive());
    emit editing.viewer().signal_HalconMousePressEvent(80, 80);
    QCOMPARE(tool->grabbedHandle(), Hobject_View_MouseDraw_Rectangle_Move::Handle_Center);
    emit editing.viewer().signal_HalconMouseMoveEvent(100, 90);
    // Moved in the record while the mouse goes.
    const ModelMatchingRoi moved = editing.settings().Model.ROI.at(1);
    QVERIFY(near(moved.PositionX, 15) && near(moved.PositionY, 12.5));
    QVERIFY(near(moved.SizeX, 20) && near(moved.SizeY, 20));
    emit editing.viewer().signal_HalconMouseReleaseEvent(100, 90);
    // The move tool stays on for the next drag.
    QVERIFY(tool->isActive());
    QCOMPARE(editing.settings().Model.ROI.at(0), rectangleRoi(50, 50, 5, 5));

    editing.moveButton()->setChecked(false);
    QCOMPARE(editing.log.entries, QStringList({"model:AnalysingAbort", "model:AnalysingAbort",
                                               "model:NewDialogSettings", "model:SettingChanged"}));
}

void tst_ModelMatchingModelRoiMouseDraw::moveWithoutSelectionEndsAtOnce()
{
    RoiEditing editing({rectangleRoi(10, 10, 20, 20)});
    const ModelMatchingSettings before = editing.settings();
    editing.log.entries.clear();

    editing.moveButton()->setChecked(true);

    QVERIFY(!editing.moveButton()->isChecked());
    QVERIFY(!editing.mouseDraw()->moveTool()->isActive());
    QCOMPARE(editing.log.entries, QStringList({"model:SettingChanged"}));
    QCOMPARE(editing.settings(), before);
}

void tst_ModelMatchingModelRoiMouseDraw::analyseModeDrawsNothing()
{
    RoiEditing editing({rectangleRoi(10, 10, 20, 20)});
    editing.viewer().removeObjects(QString(), false);
    QCOMPARE(editing.setup.facade->SetModelPictureMode(ModelMatching::Mode_Analyse), ModelMatchingErrors::NoError);

    editing.mouseDraw()->drawModelRoi(QStringLiteral("Drawn."));
    QCOMPARE(editing.viewer().getObjectCount(), 0);

    QCOMPARE(editing.setup.facade->SetModelPictureMode(ModelMatching::Mode_DefineModel), ModelMatchingErrors::NoError);
    editing.mouseDraw()->drawModelRoi(QStringLiteral("Drawn."));
    QVERIFY(hasOverlay(editing.viewer(), "Drawn.Area."));
}

void tst_ModelMatchingModelRoiMouseDraw::unknownRegionsAreSkippedForTheHighlight()
{
    ModelMatchingRoi unknown = rectangleRoi(0, 0, 50, 50);
    unknown.Type = 7;
    RoiEditing editing({unknown, rectangleRoi(60, 40, 10, 10)});
    editing.select(0);
    // The selected region makes no contour: nothing is highlighted, nothing else instead.
    QVERIFY(hasOverlay(editing.viewer(), QString(ModelMatchingEditors::kRoiPrefix) + "Area."));
    QVERIFY(!hasOverlay(editing.viewer(), QString(ModelMatchingEditors::kRoiPrefix) + "Area.Selected."));
    editing.select(1);
    QVERIFY(hasOverlay(editing.viewer(), QString(ModelMatchingEditors::kRoiPrefix) + "Area.Selected."));
}

void tst_ModelMatchingModelRoiMouseDraw::toolsFollowTheSetupsNames()
{
    RoiEditing editing;
    QCOMPARE(editing.mouseDraw()->rectangleTool()->getName(), QStringLiteral("Model_Roi_Rectangle_Area"));
    QCOMPARE(editing.mouseDraw()->ellipseTool()->getName(), QStringLiteral("Model_Roi_Ellipse_Area"));
    QCOMPARE(editing.mouseDraw()->moveTool()->getName(), QStringLiteral("Model_Roi_Move"));
    // Without a facade the tools answer nothing and change nothing.
    QToolButton add;
    add.setCheckable(true);
    int selected = -1;
    ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi alone(&add, nullptr, nullptr, &editing.viewer(),
                                                              ModelRoiDrawSettings(), nullptr, &selected);
    add.setChecked(true);
    editing.drag(40, 40, 120, 120);
    QCOMPARE(selected, -1);
    QVERIFY(editing.settings().Model.ROI.isEmpty());
}

QTEST_MAIN(tst_ModelMatchingModelRoiMouseDraw)
#include "tst_ModelMatchingModelRoiMouseDraw.moc"
