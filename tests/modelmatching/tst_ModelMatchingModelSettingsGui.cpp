#include "ModelMatchingEditors.h"

#include <ModelMatchingErrors.h>
#include <ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi.h>
#include <Halcon.h>
#include <ThreadChecker.h>

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

namespace {

using Edit = std::function<void(ModelMatching_ModelSettings_Gui&)>;

ModelMatchingRoi roi(int type, double x, double y, double width, double height, double angle = 0.0)
{
    ModelMatchingRoi r;
    r.Type = type;
    r.PositionX = x;
    r.PositionY = y;
    r.SizeX = width;
    r.SizeY = height;
    r.Angle = angle;
    return r;
}

void setRois(ModelMatchingEditors& editors, const QList<ModelMatchingRoi>& rois)
{
    editors.setup.facade->EditSettings([&rois](ModelMatchingSettings& s) { s.Model.ROI = rois; });
    editors.modelGui->UpdateWidget();
}

// Number of contours in the overlay of that exact name; -1 when there is none.
int overlayContours(Hobject_View_Gui& viewer, const QString& name)
{
    Halcon::Hobject object;
    bool visible = false;
    bool selected = false;
    if (!viewer.getObject(name, object, visible, selected))
        return -1;
    return int(object.CountObj());
}

} // namespace

Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(RecordChange)

class tst_ModelMatchingModelSettingsGui : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyFieldReachesTheRecord_data();
    void everyFieldReachesTheRecord();
    void contrastsStayInOrder_data();
    void contrastsStayInOrder();
    void refreshShowsTheRecordAndWritesNothing();
    void filterGroupsFollowTheDrawSettings();
    void selectionDrawsTheRegions();
    void removingRegionsRedrawsTheViewer_data();
    void removingRegionsRedrawsTheViewer();
    void removeWithoutSelectionDoesNothing();
    void analyseModeClearsSelectionAndEndsTools();
    void unknownModeChangesNothing();
    void withoutRecordNothingIsWritten();
};

void tst_ModelMatchingModelSettingsGui::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
}

void tst_ModelMatchingModelSettingsGui::everyFieldReachesTheRecord_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<RecordChange>("expect");
    auto row = [](const char* name, Edit edit, RecordChange expect) { QTest::newRow(name) << edit << expect; };
    row("median used", [](auto& g) { child<QGroupBox>(g, "m_QGroupBox_Filter_Median_Used")->setChecked(true); },
        [](auto& s) { s.Filter.Median.Used = true; });
    row("median first strength", [](auto& g) {
        child<QComboBox>(g, "m_QComboBox_Filter_Median_Mode")->setCurrentIndex(0);
    }, [](auto& s) { s.Filter.Median.Mode = 1; });
    row("shock used", [](auto& g) { child<QGroupBox>(g, "m_QGroupBox_Filter_Shock_Used")->setChecked(true); },
        [](auto& s) { s.Filter.Shock.Used = true; });
    row("shock last strength", [](auto& g) {
        child<QComboBox>(g, "m_QComboBox_Filter_Shock_Mode")->setCurrentIndex(8);
    }, [](auto& s) { s.Filter.Shock.Mode = 9; });
    row("emphasize used", [](auto& g) {
        child<QGroupBox>(g, "m_QGroupBox_Filter_Emphasize_Used")->setChecked(true);
    }, [](auto& s) { s.Filter.Emphasize.Used = true; });
    row("emphasize strength", [](auto& g) {
        child<QComboBox>(g, "m_QComboBox_Filter_Emphasize_Mode")->setCurrentIndex(4);
    }, [](auto& s) { s.Filter.Emphasize.Mode = 5; });
    row("picture contrast", [](auto& g) {
        child<QSpinBox>(g, "m_QSpinBox_Picture_MinContrast")->setValue(25);
    }, [](auto& s) { s.Picture.MinContrast = 25; });
    row("picture contrast above its range", [](auto& g) {
        child<QSpinBox>(g, "m_QSpinBox_Picture_MinContrast")->setValue(400);
    }, [](auto& s) { s.Picture.MinContrast = 100; });
    row("minimum element size", [](auto& g) {
        child<QSpinBox>(g, "m_QSpinBox_Model_MinElementSize")->setValue(35);
    }, [](auto& s) { s.Model.MinElementSize = 35; });
    row("first match metric", [](auto& g) {
        child<QComboBox>(g, "m_QComboBox_Model_MatchMetric")->setCurrentIndex(0);
    }, [](auto& s) { s.Model.MatchMetric = ModelMatchingSettings::MatchMetric_UsePolarity; });
    // An emptied combo box reports index -1: nothing is stored then.
    row("emptied strength combo", [](auto& g) { child<QComboBox>(g, "m_QComboBox_Filter_Median_Mode")->clear(); },
        [](auto&) {});
}

void tst_ModelMatchingModelSettingsGui::everyFieldReachesTheRecord()
{
    QFETCH(Edit, edit);
    QFETCH(RecordChange, expect);
    ModelMatchingEditors editors;
    editors.setup.facade->SetModelPictureMode(ModelMatching::Mode_DefineModel);
    editors.modelGui->UpdateWidget();
    ModelMatchingSettings expected = editors.settings();
    expect(expected);
    QSignalSpy changed(editors.setup.facade.get(), &ModelMatching::signal_SettingChanged);

    edit(*editors.modelGui);

    QCOMPARE(editors.settings(), expected);
    QCOMPARE(changed.size(), expected == ModelMatchingSettings() ? 0 : 1);
}

void tst_ModelMatchingModelSettingsGui::contrastsStayInOrder_data()
{
    QTest::addColumn<QString>("edited");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("announced");
    // The record starts at low 30, high 40.
    QTest::newRow("low above high raises high") << "m_QSpinBox_Model_ContrastLow" << 60 << 60 << 60 << 2;
    QTest::newRow("high below low lowers low") << "m_QSpinBox_Model_ContrastHigh" << 20 << 20 << 20 << 2;
    QTest::newRow("low within order") << "m_QSpinBox_Model_ContrastLow" << 35 << 35 << 40 << 1;
    QTest::newRow("high within order") << "m_QSpinBox_Model_ContrastHigh" << 90 << 30 << 90 << 1;
}

void tst_ModelMatchingModelSettingsGui::contrastsStayInOrder()
{
    QFETCH(QString, edited);
    QFETCH(int, value);
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(int, announced);
    ModelMatchingEditors editors;
    editors.setup.facade->EditSettings([](ModelMatchingSettings& s) {
        s.Model.ContrastLow = 30;
        s.Model.ContrastHigh = 40;
    });
    editors.modelGui->UpdateWidget();
    QSignalSpy changed(editors.modelGui.get(), &ModelMatching_ModelSettings_Gui::signal_SettingChanged);

    child<QSpinBox>(*editors.modelGui, qPrintable(edited))->setValue(value);

    QCOMPARE(editors.settings().Model.ContrastLow, low);
    QCOMPARE(editors.settings().Model.ContrastHigh, high);
    QCOMPARE(child<QSpinBox>(*editors.modelGui, "m_QSpinBox_Model_ContrastLow")->value(), low);
    QCOMPARE(child<QSpinBox>(*editors.modelGui, "m_QSpinBox_Model_ContrastHigh")->value(), high);
    QCOMPARE(changed.size(), announced);
}

void tst_ModelMatchingModelSettingsGui::refreshShowsTheRecordAndWritesNothing()
{
    ModelMatchingEditors editors;
    editors.setup.facade->EditSettings([](ModelMatchingSettings& s) {
        s.Filter.Median = {true, 7};
        s.Filter.Shock = {false, 2};
        s.Picture.MinContrast = 12;
        // Out of order, as a file may hold them.
        s.Model.ContrastLow = 60;
        s.Model.ContrastHigh = 40;
        s.Model.MinElementSize = 15;
        s.Model.MatchMetric = ModelMatchingSettings::MatchMetric_IgnoreLocalPolarity;
        s.Model.ROI = {roi(1, 1.5, 2.25, 10, 20, 5.125), roi(2, 30, 40, 5, 6), roi(5, 0, 0, 1, 1)};
    });
    const ModelMatchingSettings before = editors.settings();
    ModelMatching_ModelSettings_Gui& gui = *editors.modelGui;
    QTreeWidget* tree = child<QTreeWidget>(gui, "m_QTreeWidget_Model_ROI");
    QSignalSpy changed(&gui, &ModelMatching_ModelSettings_Gui::signal_SettingChanged);
    QSignalSpy current(tree, &QTreeWidget::currentItemChanged);

    QCOMPARE(gui.UpdateWidget(), ModelMatchingErrors::NoError);

    QCOMPARE(editors.settings(), before);
    QCOMPARE(changed.size(), 0);
    QCOMPARE(current.size(), 0);
    QVERIFY(child<QGroupBox>(gui, "m_QGroupBox_Filter_Median_Used")->isChecked());
    QCOMPARE(child<QComboBox>(gui, "m_QComboBox_Filter_Median_Mode")->currentText(), QStringLiteral("(7) Extreme"));
    QVERIFY(!child<QGroupBox>(gui, "m_QGroupBox_Filter_Shock_Used")->isChecked());
    // A filter that is off shows only its title.
    QCOMPARE(child<QGroupBox>(gui, "m_QGroupBox_Filter_Shock_Used")->maximumHeight(), 15);
    QCOMPARE(child<QComboBox>(gui, "m_QComboBox_Filter_Shock_Mode")->currentText(), QStringLiteral("(2) Soft"));
    QCOMPARE(child<QSpinBox>(gui, "m_QSpinBox_Picture_MinContrast")->value(), 12);
    QCOMPARE(child<QSpinBox>(gui, "m_QSpinBox_Model_ContrastLow")->value(), 60);
    QCOMPARE(child<QSpinBox>(gui, "m_QSpinBox_Model_ContrastHigh")->value(), 40);
    QCOMPARE(child<QSpinBox>(gui, "m_QSpinBox_Model_MinElementSize")->value(), 15);
    QCOMPARE(child<QComboBox>(gui, "m_QComboBox_Model_MatchMetric")->currentText(),
             QStringLiteral("Ignore local polarity"));

    QCOMPARE(tree->topLevelItemCount(), 3);
    const QStringList first{"1", "1.50", "2.25", "10.00", "20.00", "5.13", "Rectangle"};
    for (int column = 0; column < first.size(); ++column)
        QCOMPARE(tree->topLevelItem(0)->text(column), first.at(column));
    QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("2"));
    QCOMPARE(tree->topLevelItem(1)->text(6), QStringLiteral("Ellipse"));
    QCOMPARE(tree->topLevelItem(2)->text(0), QStringLiteral("3"));
    QCOMPARE(tree->topLevelItem(2)->text(6), QStringLiteral("Unknown"));
    QVERIFY(!(tree->topLevelItem(0)->flags() & Qt::ItemIsEditable));

    // A tree whose signals someone else blocked stays blocked.
    tree->blockSignals(true);
    gui.UpdateWidget();
    QVERIFY(tree->signalsBlocked());
    tree->blockSignals(false);

    // The next edit of either contrast puts the pair in order.
    child<QSpinBox>(gui, "m_QSpinBox_Model_ContrastHigh")->setValue(45);
    QCOMPARE(editors.settings().Model.ContrastLow, 45);
    QCOMPARE(editors.settings().Model.ContrastHigh, 45);
}

void tst_ModelMatchingModelSettingsGui::filterGroupsFollowTheDrawSettings()
{
    ModelRoiDrawSettings draw = ModelMatchingEditors::stitcherRoiDrawing();
    ModelMatchingEditors stitcher(draw);
    ModelMatching_ModelSettings_Gui& gui = *stitcher.modelGui;
    QVERIFY(!child<QGroupBox>(gui, "m_QGroupBox_Filter_Median_Used")->isHidden());
    QVERIFY(!child<QGroupBox>(gui, "m_QGroupBox_Filter_Shock_Used")->isHidden());
    QVERIFY(child<QGroupBox>(gui, "m_QGroupBox_Filter_Emphasize_Used")->isHidden());
    QVERIFY(!child<QToolButton>(gui, "m_QToolButton_MouseSelect_Model_Move")->isEnabled());
    QCOMPARE(gui.objectName(), QStringLiteral("ModelMatching_ModelSettings_Gui"));
}

void tst_ModelMatchingModelSettingsGui::selectionDrawsTheRegions()
{
    ModelMatchingEditors editors;
    QCOMPARE(editors.setup.facade->SetModelPictureMode(ModelMatching::Mode_DefineModel), ModelMatchingErrors::NoError);
    // The unknown region makes no contour: the highlight must still be the selected one.
    setRois(editors, {roi(5, 0, 0, 1, 1), roi(1, 10, 10, 20, 20), roi(2, 50, 40, 10, 10)});
    QTreeWidget* tree = child<QTreeWidget>(*editors.modelGui, "m_QTreeWidget_Model_ROI");
    QToolButton* move = child<QToolButton>(*editors.modelGui, "m_QToolButton_MouseSelect_Model_Move");
    const QString prefix = QString::fromLatin1(ModelMatchingEditors::kRoiPrefix);

    tree->setCurrentItem(tree->topLevelItem(2));

    QCOMPARE(editors.modelGui->GetSelectedRoi(), 2);
    QVERIFY(move->isEnabled());
    QCOMPARE(overlayContours(editors.viewer(), prefix + "Area."), 2);
    Halcon::Hobject highlighted;
    bool visible = false;
    bool selected = false;
    QVERIFY(editors.viewer().getObject(prefix + "Area.Selected.", highlighted, visible, selected));
    Halcon::HTuple row1, column1, row2, column2;
    QCOMPARE(Halcon::smallest_rectangle1_xld(highlighted, &row1, &column1, &row2, &column2), Halcon::kSuccess);
    // The ellipse: 40 x 40 pixels from (160, 200).
    QVERIFY(std::abs(column1.D() - 200.0) < 1.0 && std::abs(column2.D() - 240.0) < 1.0);
    QVERIFY(std::abs(row1.D() - 160.0) < 1.0 && std::abs(row2.D() - 200.0) < 1.0);

    tree->setCurrentItem(nullptr);
    QCOMPARE(editors.modelGui->GetSelectedRoi(), -1);
    QVERIFY(!move->isEnabled());
}

void tst_ModelMatchingModelSettingsGui::removingRegionsRedrawsTheViewer_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("regionsLeft");
    QTest::newRow("remove selected") << "m_QPushButton_Model_Remove" << 1;
    QTest::newRow("remove all") << "m_QPushButton_Model_RemoveAll" << 0;
}

void tst_ModelMatchingModelSettingsGui::removingRegionsRedrawsTheViewer()
{
    QFETCH(QString, button);
    QFETCH(int, regionsLeft);
    ModelMatchingEditors editors;
    editors.setup.facade->SetModelPictureMode(ModelMatching::Mode_DefineModel);
    setRois(editors, {roi(1, 10, 10, 20, 20), roi(2, 50, 40, 10, 10)});
    QTreeWidget* tree = child<QTreeWidget>(*editors.modelGui, "m_QTreeWidget_Model_ROI");
    tree->setCurrentItem(tree->topLevelItem(0));
    const QString prefix = QString::fromLatin1(ModelMatchingEditors::kRoiPrefix);
    QCOMPARE(overlayContours(editors.viewer(), prefix + "Area."), 2);
    QSignalSpy changed(editors.modelGui.get(), &ModelMatching_ModelSettings_Gui::signal_SettingChanged);

    child<QPushButton>(*editors.modelGui, qPrintable(button))->click();

    QCOMPARE(editors.settings().Model.ROI.size(), regionsLeft);
    if (regionsLeft == 1)
        QCOMPARE(editors.settings().Model.ROI.first().Type, int(ModelMatchingRoi::Type_Ellipse));
    QCOMPARE(tree->topLevelItemCount(), regionsLeft);
    QCOMPARE(editors.modelGui->GetSelectedRoi(), -1);
    QVERIFY(!child<QToolButton>(*editors.modelGui, "m_QToolButton_MouseSelect_Model_Move")->isEnabled());
    QCOMPARE(changed.size(), 1);
    // What is gone is no longer shown, and nothing stays highlighted.
    QCOMPARE(overlayContours(editors.viewer(), prefix + "Area."), regionsLeft == 0 ? -1 : regionsLeft);
    QCOMPARE(overlayContours(editors.viewer(), prefix + "Area.Selected."), -1);
}

void tst_ModelMatchingModelSettingsGui::removeWithoutSelectionDoesNothing()
{
    ModelMatchingEditors editors;
    editors.setup.facade->SetModelPictureMode(ModelMatching::Mode_DefineModel);
    setRois(editors, {roi(1, 10, 10, 20, 20)});
    QSignalSpy changed(editors.modelGui.get(), &ModelMatching_ModelSettings_Gui::signal_SettingChanged);
    child<QPushButton>(*editors.modelGui, "m_QPushButton_Model_Remove")->click();
    QCOMPARE(editors.settings().Model.ROI.size(), 1);
    QCOMPARE(changed.size(), 0);
    // Emptying an empty list is still announced.
    setRois(editors, {});
    child<QPushButton>(*editors.modelGui, "m_QPushButton_Model_RemoveAll")->click();
    QCOMPARE(changed.size(), 1);
}

void tst_ModelMatchingModelSettingsGui::analyseModeClearsSelectionAndEndsTools()
{
    ModelMatchingEditors editors;
    editors.setup.facade->SetModelPictureMode(ModelMatching::Mode_DefineModel);
    setRois(editors, {roi(1, 10, 10, 20, 20)});
    ModelMatching_ModelSettings_Gui& gui = *editors.modelGui;
    QTreeWidget* tree = child<QTreeWidget>(gui, "m_QTreeWidget_Model_ROI");
    QToolButton* move = child<QToolButton>(gui, "m_QToolButton_MouseSelect_Model_Move");
    tree->setCurrentItem(tree->topLevelItem(0));
    move->setChecked(true);
    QVERIFY(gui.GetMouseDraw()->moveTool()->isActive());

    QCOMPARE(gui.SetMode(ModelMatching::Mode_Analyse), ModelMatchingErrors::NoError);

    QCOMPARE(gui.GetSelectedRoi(), -1);
    QVERIFY(!tree->currentItem());
    QVERIFY(!move->isEnabled() && !move->isChecked());
    QVERIFY(!gui.GetMouseDraw()->moveTool()->isActive());
    QVERIFY(!child<QWidget>(gui, "m_QWidget_ModelSettings")->isEnabled());

    QCOMPARE(gui.SetMode(ModelMatching::Mode_DefineModel), ModelMatchingErrors::NoError);
    QVERIFY(child<QWidget>(gui, "m_QWidget_ModelSettings")->isEnabled());
    // The selection is not given back.
    QCOMPARE(gui.GetSelectedRoi(), -1);
    QVERIFY(!move->isEnabled());
}

void tst_ModelMatchingModelSettingsGui::unknownModeChangesNothing()
{
    ModelMatchingEditors editors;
    ModelMatching_ModelSettings_Gui& gui = *editors.modelGui;
    QVERIFY(!child<QWidget>(gui, "m_QWidget_ModelSettings")->isEnabled());
    QCOMPARE(gui.SetMode(0), ModelMatchingErrors::GeneralError);
    QCOMPARE(gui.SetMode(3), ModelMatchingErrors::GeneralError);
    QVERIFY(!child<QWidget>(gui, "m_QWidget_ModelSettings")->isEnabled());
}

void tst_ModelMatchingModelSettingsGui::withoutRecordNothingIsWritten()
{
    Hobject_View_Gui viewer;
    ModelMatching facade(QStringLiteral("CrossModel"), nullptr);
    ModelMatching_ModelSettings_Gui gui(&facade, ModelRoiDrawSettings(), &viewer);
    QSignalSpy changed(&gui, &ModelMatching_ModelSettings_Gui::signal_SettingChanged);
    QCOMPARE(gui.UpdateWidget(), ModelMatchingErrors::NoError);
    child<QSpinBox>(gui, "m_QSpinBox_Model_ContrastLow")->setValue(50);
    child<QComboBox>(gui, "m_QComboBox_Model_MatchMetric")->setCurrentIndex(1);
    child<QPushButton>(gui, "m_QPushButton_Model_RemoveAll")->click();
    QCOMPARE(changed.size(), 0);

    ModelMatching_ModelSettings_Gui alone(nullptr, ModelRoiDrawSettings(), &viewer);
    QCOMPARE(alone.UpdateWidget(), ModelMatchingErrors::NoError);
    child<QGroupBox>(alone, "m_QGroupBox_Filter_Median_Used")->setChecked(true);
}

QTEST_MAIN(tst_ModelMatchingModelSettingsGui)
#include "tst_ModelMatchingModelSettingsGui.moc"
