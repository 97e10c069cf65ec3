#include "ModelMatchingEditors.h"

#include <ModelMatchingErrors.h>
#include <ThreadChecker.h>

#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QtTest>

#include <functional>

namespace {

using Edit = std::function<void(QWidget&)>;

// Every group shown, the tolerances bounded at 49 degrees and 0.1.
SearchPositionDrawSettings everythingShown()
{
    SearchPositionDrawSettings draw;
    draw.showSearchPosition = true;
    draw.showSearchTolerance = true;
    draw.maxAngleTolerance = 49.0;
    draw.maxScaleTolerance = 0.1;
    return draw;
}

Edit setDouble(const char* name, double value)
{
    return [name, value](QWidget& g) { child<QDoubleSpinBox>(g, name)->setValue(value); };
}

Edit setInt(const char* name, int value)
{
    return [name, value](QWidget& g) { child<QSpinBox>(g, name)->setValue(value); };
}

} // namespace

Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(RecordChange)
Q_DECLARE_METATYPE(ModelMatchingSettings::SearchToleranceData)

class tst_ModelMatchingAnalyseSettingsGui : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyFieldReachesTheRecord_data();
    void everyFieldReachesTheRecord();
    void refreshShowsTheRecord_data();
    void refreshShowsTheRecord();
    void groupsFollowTheDrawSettings();
    void modesEnableWhatTheDrawSettingsSay_data();
    void modesEnableWhatTheDrawSettingsSay();
    void withoutRecordNothingIsWritten();
};

void tst_ModelMatchingAnalyseSettingsGui::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
}

void tst_ModelMatchingAnalyseSettingsGui::everyFieldReachesTheRecord_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<RecordChange>("expect");
    QTest::addColumn<QString>("scoreText");
    auto row = [](const char* name, Edit edit, RecordChange expect, const char* score = "0.70") {
        QTest::newRow(name) << edit << expect << QString::fromLatin1(score);
    };
    row("position x", setDouble("m_QDoubleSpinBox_SearchPosition_PositionX", 12.34),
        [](auto& s) { s.SearchPosition.PositionX = 12.34; });
    row("position y", setDouble("m_QDoubleSpinBox_SearchPosition_PositionY", 55.5),
        [](auto& s) { s.SearchPosition.PositionY = 55.5; });
    row("size x", setDouble("m_QDoubleSpinBox_SearchPosition_SizeX", 44.0),
        [](auto& s) { s.SearchPosition.SizeX = 44.0; });
    row("size y below its minimum", setDouble("m_QDoubleSpinBox_SearchPosition_SizeY", 0.0),
        [](auto& s) { s.SearchPosition.SizeY = 0.1; });
    row("angle in half degrees", setDouble("m_QDoubleSpinBox_SearchPosition_Angle", -12.5),
        [](auto& s) { s.SearchPosition.Angle = -12.5; });
    row("angle beyond its range", setDouble("m_QDoubleSpinBox_SearchPosition_Angle", 60.0),
        [](auto& s) { s.SearchPosition.Angle = 45.0; });
    row("tolerance off", [](QWidget& g) { child<QGroupBox>(g, "m_QGroupBox_SearchTolerance_Used")->setChecked(false); },
        [](auto& s) { s.SearchTolerance.Used = false; });
    row("angle tolerance", setDouble("m_QDoubleSpinBox_SearchTolerance_AngleTolerance", 20.25),
        [](auto& s) { s.SearchTolerance.AngleTolerance = 20.25; });
    row("angle tolerance beyond its maximum", setDouble("m_QDoubleSpinBox_SearchTolerance_AngleTolerance", 60.0),
        [](auto& s) { s.SearchTolerance.AngleTolerance = 49.0; });
    row("scale tolerance", setDouble("m_QDoubleSpinBox_SearchTolerance_ScaleTolerance", 0.075),
        [](auto& s) { s.SearchTolerance.ScaleTolerance = 0.075; });
    row("check tolerance", setInt("m_QSpinBox_SearchTolerance_CheckTolerance", 45),
        [](auto& s) { s.SearchTolerance.CheckTolerance = 45; });
    row("pyramid levels", setInt("m_QSpinBox_Analyse_PyramidLevels", 4),
        [](auto& s) { s.Analyse.PyramidLevels = 4; });
    row("minimum score", [](QWidget& g) { child<QSlider>(g, "m_QSlider_Analyse_MinimumScore")->setValue(73); },
        [](auto& s) { s.Analyse.MinimumScore = 0.73; }, "0.73");
}

void tst_ModelMatchingAnalyseSettingsGui::everyFieldReachesTheRecord()
{
    QFETCH(Edit, edit);
    QFETCH(RecordChange, expect);
    QFETCH(QString, scoreText);
    ModelMatchingEditors editors(ModelMatchingEditors::stitcherRoiDrawing(), everythingShown());
    editors.analyseGui->UpdateWidget();
    ModelMatchingSettings expected = editors.settings();
    expect(expected);
    QSignalSpy changed(editors.setup.facade.get(), &ModelMatching::signal_SettingChanged);

    edit(*editors.analyseGui);

    QCOMPARE(editors.settings(), expected);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(child<QLabel>(*editors.analyseGui, "m_QLabel_Analyse_MinimumScore")->text(), scoreText);
}

void tst_ModelMatchingAnalyseSettingsGui::refreshShowsTheRecord_data()
{
    using Tolerance = ModelMatchingSettings::SearchToleranceData;
    QTest::addColumn<bool>("toleranceShown");
    QTest::addColumn<Tolerance>("stored");
    QTest::addColumn<Tolerance>("refreshed");
    QTest::addColumn<double>("score");
    QTest::addColumn<int>("slider");
    // Hidden, the tolerances are not the record's to narrow the search with.
    QTest::newRow("tolerance hidden") << false << Tolerance{true, 60.0, 0.5, 35} << Tolerance{false, 60.0, 0.5, 35}
                                      << 0.7 << 70;
    QTest::newRow("tolerance shown, beyond the maxima")
        << true << Tolerance{true, 60.0, 0.5, 35} << Tolerance{true, 49.0, 0.1, 35} << 0.706 << 71;
    QTest::newRow("tolerance shown, within the maxima")
        << true << Tolerance{false, 30.0, 0.05, 35} << Tolerance{false, 30.0, 0.05, 35} << 0.7 << 70;
}

void tst_ModelMatchingAnalyseSettingsGui::refreshShowsTheRecord()
{
    using Tolerance = ModelMatchingSettings::SearchToleranceData;
    QFETCH(bool, toleranceShown);
    QFETCH(Tolerance, stored);
    QFETCH(Tolerance, refreshed);
    QFETCH(double, score);
    QFETCH(int, slider);
    SearchPositionDrawSettings draw = everythingShown();
    draw.showSearchTolerance = toleranceShown;
    ModelMatchingEditors editors(ModelMatchingEditors::stitcherRoiDrawing(), draw);
    editors.setup.facade->EditSettings([&](ModelMatchingSettings& s) {
        s.SearchPosition = {1.25, 2.5, 3.75, 5.0, -10.5};
        s.SearchTolerance = stored;
        s.Analyse = {6, score};
    });
    ModelMatchingSettings expected = editors.settings();
    expected.SearchTolerance = refreshed;
    ModelMatching_AnalyseSettings_Gui& gui = *editors.analyseGui;
    QSignalSpy changed(editors.setup.facade.get(), &ModelMatching::signal_SettingChanged);

    QCOMPARE(gui.UpdateWidget(), ModelMatchingErrors::NoError);

    QCOMPARE(editors.settings(), expected);
    QCOMPARE(changed.size(), 0);
    QCOMPARE(child<QDoubleSpinBox>(gui, "m_QDoubleSpinBox_SearchPosition_PositionX")->value(), 1.25);
    QCOMPARE(child<QDoubleSpinBox>(gui, "m_QDoubleSpinBox_SearchPosition_PositionY")->value(), 2.5);
    QCOMPARE(child<QDoubleSpinBox>(gui, "m_QDoubleSpinBox_SearchPosition_SizeX")->value(), 3.75);
    QCOMPARE(child<QDoubleSpinBox>(gui, "m_QDoubleSpinBox_SearchPosition_SizeY")->value(), 5.0);
    QCOMPARE(child<QDoubleSpinBox>(gui, "m_QDoubleSpinBox_SearchPosition_Angle")->value(), -10.5);
    QCOMPARE(child<QGroupBox>(gui, "m_QGroupBox_SearchTolerance_Used")->isChecked(), refreshed.Used);
    if (toleranceShown) {
        QCOMPARE(child<QDoubleSpinBox>(gui, "m_QDoubleSpinBox_SearchTolerance_AngleTolerance")->value(),
                 refreshed.AngleTolerance);
        QCOMPARE(child<QDoubleSpinBox>(gui, "m_QDoubleSpinBox_SearchTolerance_ScaleTolerance")->value(),
                 refreshed.ScaleTolerance);
    }
    QCOMPARE(child<QSpinBox>(gui, "m_QSpinBox_SearchTolerance_CheckTolerance")->value(), 35);
    QCOMPARE(child<QSpinBox>(gui, "m_QSpinBox_Analyse_PyramidLevels")->value(), 6);
    QCOMPARE(child<QSlider>(gui, "m_QSlider_Analyse_MinimumScore")->value(), slider);
    QCOMPARE(child<QLabel>(gui, "m_QLabel_Analyse_MinimumScore")->text(),
             QStringLiteral("%1").arg(score, 0, 'f', 2));
}

void tst_ModelMatchingAnalyseSettingsGui::groupsFollowTheDrawSettings()
{
    ModelMatchingEditors stitcher;
    QVERIFY(child<QGroupBox>(*stitcher.analyseGui, "m_QGroupBox_SearchPosition")->isHidden());
    QVERIFY(child<QGroupBox>(*stitcher.analyseGui, "m_QGroupBox_SearchTolerance_Used")->isHidden());
    QCOMPARE(stitcher.analyseGui->objectName(), QStringLiteral("ModelMatching_AnalyseSettings_Gui"));

    ModelMatchingEditors shown(ModelMatchingEditors::stitcherRoiDrawing(), everythingShown());
    QVERIFY(!child<QGroupBox>(*shown.analyseGui, "m_QGroupBox_SearchPosition")->isHidden());
    QVERIFY(!child<QGroupBox>(*shown.analyseGui, "m_QGroupBox_SearchTolerance_Used")->isHidden());
}

void tst_ModelMatchingAnalyseSettingsGui::modesEnableWhatTheDrawSettingsSay_data()
{
    QTest::addColumn<bool>("positionInDefine");
    QTest::addColumn<bool>("analyseInDefine");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("panel");
    QTest::addColumn<bool>("position");
    QTest::addColumn<bool>("analyse");
    QTest::newRow("analyse mode") << false << false << 1 << true << true << true;
    QTest::newRow("define, both kept") << true << true << 2 << true << true << true;
    QTest::newRow("define, position only") << true << false << 2 << true << true << false;
    QTest::newRow("define, analyse only") << false << true << 2 << true << false << true;
    QTest::newRow("define, neither") << false << false << 2 << false << false << false;
}

void tst_ModelMatchingAnalyseSettingsGui::modesEnableWhatTheDrawSettingsSay()
{
    QFETCH(bool, positionInDefine);
    QFETCH(bool, analyseInDefine);
    QFETCH(int, mode);
    QFETCH(bool, panel);
    QFETCH(bool, position);
    QFETCH(bool, analyse);
    SearchPositionDrawSettings draw = everythingShown();
    draw.searchPositionInDefineMode = positionInDefine;
    draw.analyseInDefineMode = analyseInDefine;
    ModelMatchingEditors editors(ModelMatchingEditors::stitcherRoiDrawing(), draw);
    ModelMatching_AnalyseSettings_Gui& gui = *editors.analyseGui;
    // Start from the opposite mode.
    QCOMPARE(gui.SetMode(mode == 1 ? 2 : 1), ModelMatchingErrors::NoError);

    QCOMPARE(gui.SetMode(mode), ModelMatchingErrors::NoError);

    QCOMPARE(child<QWidget>(gui, "m_QWidget_AnalyseSettings")->isEnabled(), panel);
    QCOMPARE(child<QGroupBox>(gui, "m_QGroupBox_SearchPosition")->isEnabledTo(&gui), position && panel);
    QCOMPARE(child<QGroupBox>(gui, "m_QGroupBox_Analyse")->isEnabledTo(&gui), analyse && panel);
    // A mode that does not exist changes nothing.
    QCOMPARE(gui.SetMode(7), ModelMatchingErrors::GeneralError);
    QCOMPARE(child<QWidget>(gui, "m_QWidget_AnalyseSettings")->isEnabled(), panel);
}

void tst_ModelMatchingAnalyseSettingsGui::withoutRecordNothingIsWritten()
{
    Hobject_View_Gui viewer;
    ModelMatching facade(QStringLiteral("CrossModel"), nullptr);
    ModelMatching_AnalyseSettings_Gui gui(&facade, everythingShown(), &viewer);
    QSignalSpy changed(&gui, &ModelMatching_AnalyseSettings_Gui::signal_SettingChanged);
    QCOMPARE(gui.UpdateWidget(), ModelMatchingErrors::NoError);
    child<QSlider>(gui, "m_QSlider_Analyse_MinimumScore")->setValue(12);
    child<QDoubleSpinBox>(gui, "m_QDoubleSpinBox_SearchPosition_SizeX")->setValue(12);
    QCOMPARE(changed.size(), 0);
}

QTEST_MAIN(tst_ModelMatchingAnalyseSettingsGui)
#include "tst_ModelMatchingAnalyseSettingsGui.moc"
