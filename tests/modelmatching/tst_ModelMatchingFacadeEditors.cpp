#include "ModelMatchingEditors.h"

#include <ModelMatchingErrors.h>
#include <ModelMatching_ModelPicture.h>
#include <ThreadChecker.h>

#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

using Emit = std::function<void(ModelMatchingEditors&)>;

bool modelPanelEnabled(ModelMatchingEditors& editors)
{
    return child<QWidget>(*editors.modelGui, "m_QWidget_ModelSettings")->isEnabled();
}

} // namespace

Q_DECLARE_METATYPE(Emit)

class tst_ModelMatchingFacadeEditors : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void editorsTakeTheModeWhenTheyRegister();
    void editorWithoutTemplatePictureKeepsItsState();
    void modeChangesReachTheEditorsBeforeTheyAreAnnounced();
    void editorSignalsLeaveTheFacadeOnce_data();
    void editorSignalsLeaveTheFacadeOnce();
    void editorsThatGoAwayAreForgotten();
    void updateWidgetsShowsTheRecord();
};

void tst_ModelMatchingFacadeEditors::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
}

void tst_ModelMatchingFacadeEditors::editorsTakeTheModeWhenTheyRegister()
{
    ModelMatchingEditors editors;
    QVERIFY(!modelPanelEnabled(editors));
    QCOMPARE(editors.setup.facade->SetModelPictureMode(ModelMatching::Mode_DefineModel), ModelMatchingErrors::NoError);
    QVERIFY(modelPanelEnabled(editors));

    // A second model settings editor registers in define-model mode and takes it at once.
    ModelMatching_ModelSettings_Gui second(editors.setup.facade.get(), ModelMatchingEditors::stitcherRoiDrawing(),
                                           editors.setup.viewer.get());
    QCOMPARE(editors.setup.facade->GetModelSettingsGui(), &second);
    QVERIFY(child<QWidget>(second, "m_QWidget_ModelSettings")->isEnabled());
    QCOMPARE(editors.setup.facade->SetModelPictureMode(ModelMatching::Mode_Analyse), ModelMatchingErrors::NoError);
    QVERIFY(!child<QWidget>(second, "m_QWidget_ModelSettings")->isEnabled());
}

void tst_ModelMatchingFacadeEditors::editorWithoutTemplatePictureKeepsItsState()
{
    Hobject_View_Gui viewer;
    ModelMatchingSettings settings;
    ModelMatching facade(QStringLiteral("CrossModel"), &settings);
    QCOMPARE(facade.GetMode(), 0);
    ModelMatching_ModelSettings_Gui gui(&facade, ModelRoiDrawSettings(), &viewer);
    // Mode 0 is refused: the editor stays as it was made.
    QVERIFY(child<QWidget>(gui, "m_QWidget_ModelSettings")->isEnabled());
    QCOMPARE(facade.UpdateWidgets(), ModelMatchingErrors::NoError);
    QCOMPARE(facade.SetModelPictureEnabled(false), ModelMatchingErrors::NoError);
}

void tst_ModelMatchingFacadeEditors::modeChangesReachTheEditorsBeforeTheyAreAnnounced()
{
    ModelMatchingEditors editors;
    QList<bool> panelWhenAnnounced;
    QStringList buttonWhenAnnounced;
    QPushButton* modeButton = child<QPushButton>(*editors.pictureGui, "m_QPushButton_DefineModel");
    connect(editors.setup.facade.get(), &ModelMatching::signal_ModeChanged, this, [&] {
        panelWhenAnnounced.append(modelPanelEnabled(editors));
        buttonWhenAnnounced.append(modeButton->text());
    });

    modeButton->click();
    QCOMPARE(editors.setup.facade->GetMode(), int(ModelMatching::Mode_DefineModel));
    // Loading template files ends in analyse mode, also without the button.
    QTemporaryDir dir;
    QCOMPARE(editors.setup.facade->SaveFiles(dir.path(), QStringLiteral("Plate")), ModelMatchingErrors::NoError);
    QCOMPARE(editors.pictureGui->LoadFiles(dir.path(), QStringLiteral("Plate")), ModelMatchingErrors::NoError);

    QCOMPARE(panelWhenAnnounced, QList<bool>({true, false}));
    QCOMPARE(buttonWhenAnnounced, QStringList({"Switch to analyse mode", "Switch to define model"}));
}

void tst_ModelMatchingFacadeEditors::editorSignalsLeaveTheFacadeOnce_data()
{
    QTest::addColumn<Emit>("emitter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("model settings edited") << Emit([](ModelMatchingEditors& e) {
        child<QSpinBox>(*e.modelGui, "m_QSpinBox_Model_MinElementSize")->setValue(20);
    }) << "facade:SettingChanged";
    QTest::newRow("search settings edited") << Emit([](ModelMatchingEditors& e) {
        child<QSlider>(*e.analyseGui, "m_QSlider_Analyse_MinimumScore")->setValue(55);
    }) << "facade:SettingChanged";
    QTest::newRow("new template picture") << Emit([](ModelMatchingEditors& e) {
        e.pictureGui->SetModelPicture(CrossScenes::crossTemplate(4));
    }) << "facade:SettingChanged";
    QTest::newRow("model abort") << Emit([](ModelMatchingEditors& e) { emit e.modelGui->signal_AnalysingAbort(); })
                                 << "facade:AnalysingAbort";
    QTest::newRow("search abort") << Emit([](ModelMatchingEditors& e) {
        emit e.analyseGui->signal_AnalysingAbort();
    }) << "facade:AnalysingAbort";
    QTest::newRow("picture abort") << Emit([](ModelMatchingEditors& e) {
        emit e.pictureGui->signal_AnalysingAbort();
    }) << "facade:AnalysingAbort";
    QTest::newRow("model refresh") << Emit([](ModelMatchingEditors& e) {
        emit e.modelGui->signal_NewDialogSettings();
    }) << "facade:NewDialogSettings";
    QTest::newRow("search refresh") << Emit([](ModelMatchingEditors& e) {
        emit e.analyseGui->signal_NewDialogSettings();
    }) << "facade:NewDialogSettings";
    QTest::newRow("picture refresh") << Emit([](ModelMatchingEditors& e) {
        emit e.pictureGui->signal_NewDialogSettings();
    }) << "facade:NewDialogSettings";
    QTest::newRow("use current picture") << Emit([](ModelMatchingEditors& e) {
        emit e.pictureGui->signal_UseCurrentPicture();
    }) << "facade:UseCurrentPicture";
    QTest::newRow("loaded from file") << Emit([](ModelMatchingEditors& e) {
        emit e.pictureGui->signal_LoadFromFile();
    }) << "facade:LoadFromFile";
}

void tst_ModelMatchingFacadeEditors::editorSignalsLeaveTheFacadeOnce()
{
    QFETCH(Emit, emitter);
    QFETCH(QString, expected);
    ModelMatchingEditors editors;
    ModelMatching* facade = editors.setup.facade.get();
    EditorSignalLog log;
    log.watch(facade, "facade");
    connect(facade, &ModelMatching::signal_UseCurrentPicture, this, [&log] { log.add("facade", "UseCurrentPicture"); });
    connect(facade, &ModelMatching::signal_LoadFromFile, this, [&log] { log.add("facade", "LoadFromFile"); });

    emitter(editors);

    QCOMPARE(log.entries, QStringList({expected}));
}

void tst_ModelMatchingFacadeEditors::editorsThatGoAwayAreForgotten()
{
    ModelMatchingEditors editors;
    ModelMatching* facade = editors.setup.facade.get();
    QSignalSpy changed(facade, &ModelMatching::signal_SettingChanged);

    facade->SetModelSettingsGui(nullptr);
    QVERIFY(!facade->GetModelSettingsGui());
    child<QSpinBox>(*editors.modelGui, "m_QSpinBox_Model_MinElementSize")->setValue(20);
    QCOMPARE(changed.size(), 0);

    editors.analyseGui.reset();
    editors.pictureGui.reset();
    QVERIFY(!facade->GetAnalyseSettingsGui());
    QVERIFY(!facade->GetModelPictureGui());
    QCOMPARE(facade->GetMode(), 0);
    QCOMPARE(facade->UpdateWidgets(), ModelMatchingErrors::NoError);
    QCOMPARE(facade->SetModelPictureMode(ModelMatching::Mode_DefineModel), ModelMatchingErrors::GeneralError);
}

void tst_ModelMatchingFacadeEditors::updateWidgetsShowsTheRecord()
{
    ModelMatchingEditors editors(ModelMatchingEditors::stitcherRoiDrawing(), SearchPositionDrawSettings());
    editors.setup.facade->EditSettings([](ModelMatchingSettings& s) {
        s.Model.MinElementSize = 40;
        s.SearchPosition.PositionX = 33.0;
        // As the refresh leaves it with the tolerances hidden.
        s.SearchTolerance.Used = false;
    });
    const ModelMatchingSettings before = editors.settings();
    QSignalSpy changed(editors.setup.facade.get(), &ModelMatching::signal_SettingChanged);

    QCOMPARE(editors.setup.facade->UpdateWidgets(), ModelMatchingErrors::NoError);

    QCOMPARE(child<QSpinBox>(*editors.modelGui, "m_QSpinBox_Model_MinElementSize")->value(), 40);
    QCOMPARE(child<QDoubleSpinBox>(*editors.analyseGui, "m_QDoubleSpinBox_SearchPosition_PositionX")->value(), 33.0);
    QCOMPARE(editors.settings(), before);
    QCOMPARE(changed.size(), 0);
}

QTEST_MAIN(tst_ModelMatchingFacadeEditors)
#include "tst_ModelMatchingFacadeEditors.moc"
