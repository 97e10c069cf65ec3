#include "AnalyserGui.h"
#include "ColonyAnalyserGui.h"
#include "ColonySettingsGui.h"
#include "CorrectionInfo.h"
#include "DemoTruth.h"
#include "ImageStitcherGui.h"
#include "ImageStitcherSettings.h"
#include "MainWindowFixture.h"
#include "StitcherCommands.h"
#include "ui_MainWindowGui.h"

#include <QInputDialog>
#include <QtTest>

#include <memory>

using namespace MainWindowFixture;

// The operator's image stitcher commands, stand-alone, with their message boxes and dialogs
// answered by the test.
class tst_MainWindowStitcherCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void stitcherDemo_data();
    void stitcherDemo();
    void databaseSaveOfTheStitchedTray();
    void analyseStartStitchesAgain();

private:
    std::unique_ptr<ProgramFolder> m_folder;
    Answers m_answers;
    std::unique_ptr<WindowUnderTest> m_test;
    MainWindowGui* m_window = nullptr;
};

void tst_MainWindowStitcherCommands::init()
{
    m_folder = std::make_unique<ProgramFolder>();
    QVERIFY(m_folder->isValid());
    m_answers = Answers();
    m_test = std::make_unique<WindowUnderTest>(false, m_answers);
    m_window = &m_test->make();
    CorrectionInfo::resetCurrent();
}

void tst_MainWindowStitcherCommands::cleanup()
{
    m_window = nullptr;
    m_test.reset();
    m_folder.reset();
}

void tst_MainWindowStitcherCommands::stitcherDemo_data()
{
    QTest::addColumn<QString>("missingView");
    QTest::newRow("all six views") << QString();
    QTest::newRow("a view missing") << QStringLiteral("QTray-Plate-04.png");
}

// The demo binds its settings to no file and stitches; stand-alone the stitched tray is then
// analysed on the Colony Analyser page with the correction the stitch published.
void tst_MainWindowStitcherCommands::stitcherDemo()
{
    QFETCH(QString, missingView);
    if (!missingView.isEmpty())
        QVERIFY(QFile::remove(QStringLiteral("settings/ImageStitcherDemo/") + missingView));
    m_window->colonySettings()->emitCustom(ColonySettings::CustomSignal_PageLeft);
    m_window->form()->m_QAction_Toolbar_Stitcher_Demo_QTrayPlate->trigger();
    QCOMPARE(m_window->imageStitcherSettings()->data().name, QStringLiteral("Demo_QTray-Plate"));
    QVERIFY(m_window->imageStitcherSettingsFileName().isEmpty());
    QCOMPARE(m_window->colonySettings()->name, QStringLiteral("Demo_QTray-Plate"));
    QVERIFY(m_window->colonySettingsFileName().isEmpty());
    if (!missingView.isEmpty()) {
        // Known once the views are read, off the GUI thread.
        QTRY_COMPARE(m_answers.titles(), (QStringList{"Read image error", "Analyse error"}));
        QCOMPARE(m_answers.boxes.last().text, QStringLiteral("Cannot stitch images!"));
        return;
    }
    QVERIFY(m_answers.boxes.isEmpty());
    QCOMPARE(DemoTruth::waitForStitching(*m_window), Errors::Type_Error(0));
    QCOMPARE(CorrectionInfo::current().Points.size(), 4);
    // The stitched picture went on to the colony analysis.
    QCOMPARE(DemoTruth::waitForAnalysis(*m_window), Errors::Type_Error(0));
    QVERIFY(!m_window->colonyAnalyserGui()->rack().containers.empty());
    QVERIFY(m_answers.boxes.isEmpty());
}

void tst_MainWindowStitcherCommands::databaseSaveOfTheStitchedTray()
{
    QCOMPARE(m_window->loadImageStitcherSettings(StitcherCommands::demoSettingsPath(QStringLiteral("QTray-Plate")), false),
             Errors::Type_Error(0));
    QVERIFY(m_window->stitchPictureFiles(StitcherCommands::demoPicturePaths(QStringLiteral("QTray-Plate"))));
    QCOMPARE(DemoTruth::waitForStitching(*m_window), Errors::Type_Error(0));
    m_answers.dialog = [](QDialog* dialog) {
        auto* input = qobject_cast<QInputDialog*>(dialog);
        if (!input)
            return int(QDialog::Rejected);
        input->setTextValue(QStringLiteral("tray"));
        return int(QDialog::Accepted);
    };
    m_window->analyserGui()->showImageStitcher();
    m_window->form()->m_QAction_Menubar_Analyse_Database_Save->trigger();
    QCOMPARE(m_answers.titles(), QStringList{"Database"});
    QVERIFY2(m_answers.boxes.first().text.startsWith(QStringLiteral("The result of analysing is saved to ImageStitcherID=")),
             qPrintable(m_answers.boxes.first().text));
}

// On the Image Stitcher view the command stitches the held pictures again; while that runs a
// second one is refused.
void tst_MainWindowStitcherCommands::analyseStartStitchesAgain()
{
    QCOMPARE(m_window->loadImageStitcherSettings(StitcherCommands::demoSettingsPath(QStringLiteral("QTray-Plate")), false),
             Errors::Type_Error(0));
    QVERIFY(m_window->stitchPictureFiles(StitcherCommands::demoPicturePaths(QStringLiteral("QTray-Plate"))));
    QCOMPARE(DemoTruth::waitForStitching(*m_window), Errors::Type_Error(0));
    m_window->analyserGui()->showImageStitcher();
    CorrectionInfo::resetCurrent();
    m_window->form()->m_QAction_Menubar_Analyse_Analyse_Start->trigger();
    bool running = false;
    QCOMPARE(m_window->imageStitcherGui()->CheckRunning(running), Errors::Type_Error(0));
    QVERIFY(running);
    m_window->form()->m_QAction_Menubar_Analyse_Analyse_Start->trigger();
    QCOMPARE(m_answers.titles(), QStringList{"Analyse error"});
    QCOMPARE(m_answers.boxes.first().text,
             QStringLiteral("Cannot analyse the colony: %1!").arg(Errors::getErrorText(101)));
    QCOMPARE(DemoTruth::waitForStitching(*m_window), Errors::Type_Error(0));
    QCOMPARE(CorrectionInfo::current().Points.size(), 4);
}

QTEST_MAIN(tst_MainWindowStitcherCommands)
#include "tst_MainWindowStitcherCommands.moc"
