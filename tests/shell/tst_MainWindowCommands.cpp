#include "AnalyserGui.h"
#include "AppSettings.h"
#include "COM_Class.h"
#include "ColonyAnalyserGui.h"
#include "ColonyDatabaseGui.h"
#include "ColonyEditorGui.h"
#include "ColonySettingsGui.h"
#include "CorrectionInfo.h"
#include "DemoTruth.h"
#include "InstrumentSettings.h"
#include "MainWindowFixture.h"
#include "UrlReceiver.h"
#include "ui_MainWindowGui.h"

#include <QDesktopServices>
#include <QDockWidget>
#include <QInputDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QtTest>

#include <memory>

using namespace MainWindowFixture;

namespace {

// Chooses the rack in the results browser and presses one of its buttons.
int chooseRack(QDialog* dialog, int rackId, const char* button)
{
    auto* browser = qobject_cast<ColonyDatabaseGui*>(dialog);
    if (!browser)
        return QDialog::Rejected;
    auto* list = browser->findChild<QTreeWidget*>(QStringLiteral("m_QTreeWidget_RackList"));
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->data(0, Qt::UserRole).toInt() == rackId)
            list->setCurrentItem(list->topLevelItem(i));
    }
    browser->findChild<QPushButton*>(QLatin1String(button))->click();
    return browser->result();
}

} // namespace

// The operator's menu and tool-bar commands, stand-alone, with their message boxes and dialogs
// answered by the test.
class tst_MainWindowCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void colonyDemoFindsEveryIsolatedColony_data();
    void colonyDemoFindsEveryIsolatedColony();
    void pictureFromFile();
    void pictureFromFileThatIsNoPicture();
    void cancelledFileDialogChangesNothing();
    void reevaluateStoredRack_data();
    void reevaluateStoredRack();
    void databaseSave_data();
    void databaseSave();
    void analyseStartWithoutPicture();
    void exportColonyResults_data();
    void exportColonyResults();
    void editColoniesWithoutAResultSaysWhy();
    void editColoniesOnlyOnTheColonyPage();
    void manual_data();
    void manual();
    void settingsDialogsSaveTheirRecords();
    void automationCallsShowNoDatabaseBox_data();
    void automationCallsShowNoDatabaseBox();

private:
    void runDemo(const QString& baseName);

    std::unique_ptr<ProgramFolder> m_folder;
    Answers m_answers;
    std::unique_ptr<WindowUnderTest> m_test;
    MainWindowGui* m_window = nullptr;
};

void tst_MainWindowCommands::init()
{
    m_folder = std::make_unique<ProgramFolder>();
    QVERIFY(m_folder->isValid());
    m_answers = Answers();
    m_test = std::make_unique<WindowUnderTest>(false, m_answers);
    m_window = &m_test->make();
    CorrectionInfo::resetCurrent();
}

void tst_MainWindowCommands::cleanup()
{
    m_window = nullptr;
    m_test.reset();
    m_folder.reset();
    CorrectionInfo::resetCurrent();
}

void tst_MainWindowCommands::runDemo(const QString& baseName)
{
    QAction* action = baseName == QLatin1String("Plate_gray") ? m_window->form()->m_QAction_Menubar_Colony_Demo_Plate
                                                              : m_window->form()->m_QAction_Toolbar_Colony_Demo_PetriPlate;
    action->trigger();
    QCOMPARE(DemoTruth::waitForAnalysis(*m_window), Errors::Type_Error(0));
}

void tst_MainWindowCommands::colonyDemoFindsEveryIsolatedColony_data()
{
    QTest::addColumn<QString>("baseName");
    QTest::newRow("96-well plate") << "Plate_gray";
    QTest::newRow("Petri dish") << "PetriPlate_gray";
}

void tst_MainWindowCommands::colonyDemoFindsEveryIsolatedColony()
{
    QFETCH(QString, baseName);
    CorrectionInfo stitched;
    stitched.Factor = 1.05;
    CorrectionInfo::setCurrent(stitched);
    runDemo(baseName);
    QVERIFY2(m_answers.boxes.isEmpty(), qPrintable(m_answers.titles().join(", ")));
    int isolated = 0;
    const QStringList missed =
        DemoTruth::missedIsolatedColonies(*m_window->colonyAnalyserGui(), DemoTruth::scene(baseName), &isolated);
    QVERIFY(isolated > 100);
    QVERIFY2(missed.isEmpty(), qPrintable(QStringLiteral("%1 of %2 missed: ").arg(missed.size()).arg(isolated)
                                          + missed.join(QStringLiteral("; "))));
    // A demo picture is no stitched picture; the demo settings are bound to no file.
    QCOMPARE(CorrectionInfo::current(), CorrectionInfo());
    QCOMPARE(m_window->colonySettings()->name, QStringLiteral("Demo_") + baseName);
    QVERIFY(m_window->colonySettingsFileName().isEmpty());
    QCOMPARE(m_window->analyserGui()->currentView(), 1);
}

void tst_MainWindowCommands::pictureFromFile()
{
    QVERIFY(m_window->loadColonySettings(QStringLiteral("settings/ColonyDemo/Demo_Plate_gray.ColonySettings"), false) == 0);
    m_answers.fileAnswer = m_folder->filePath(QStringLiteral("settings/ColonyDemo/Demo_Plate_gray.tif"));
    m_window->form()->m_QAction_Toolbar_PictureFromFile->trigger();
    QCOMPARE(m_answers.fileRequests.size(), 1);
    const MessageBox_Helper::FileRequest request = m_answers.fileRequests.first();
    QCOMPARE(request.kind, MessageBox_Helper::FileRequest::OpenFile);
    QCOMPARE(request.caption, QStringLiteral("Select colony picture"));
    // Qt's filter syntax: a name, then the patterns in brackets, separated by spaces.
    QVERIFY(QRegularExpression(QStringLiteral("^[^()]+ \\(\\*\\.jpg \\*\\.jpeg \\*\\.bmp \\*\\.png \\*\\.tif \\*\\.tiff\\)$"))
                .match(request.filter)
                .hasMatch());
    QCOMPARE(DemoTruth::waitForAnalysis(*m_window), Errors::Type_Error(0));
    QCOMPARE(int(m_window->colonyAnalyserGui()->rack().containers.size()), 96);

    // The next dialog starts at the last picture.
    m_answers.fileAnswer.clear();
    m_window->form()->m_QAction_Menubar_PictureFromFile->trigger();
    QCOMPARE(m_answers.fileRequests.at(1).directory, m_folder->filePath(QStringLiteral("settings/ColonyDemo/Demo_Plate_gray.tif")));
    QVERIFY(m_answers.boxes.isEmpty());
}

void tst_MainWindowCommands::pictureFromFileThatIsNoPicture()
{
    QVERIFY(writeFile(QStringLiteral("notapicture.tif"), "no picture at all"));
    m_answers.fileAnswer = m_folder->filePath(QStringLiteral("notapicture.tif"));
    m_window->form()->m_QAction_Menubar_PictureFromFile->trigger();
    QCOMPARE(m_answers.titles(), QStringList{"Read image error"});
    QCOMPARE(m_answers.boxes.first().text, Errors::getErrorText(54) + QStringLiteral("!"));
}

void tst_MainWindowCommands::cancelledFileDialogChangesNothing()
{
    runDemo(QStringLiteral("Plate_gray"));
    const int containers = int(m_window->colonyAnalyserGui()->rack().containers.size());
    m_answers.fileAnswer.clear();
    m_window->form()->m_QAction_Menubar_PictureFromFile->trigger();
    QCOMPARE(m_answers.fileRequests.size(), 1);
    QCOMPARE(int(m_window->colonyAnalyserGui()->rack().containers.size()), containers);
    QVERIFY(m_answers.boxes.isEmpty());
}

void tst_MainWindowCommands::reevaluateStoredRack_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("settingsName");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("with the stored settings")
        << "m_QPushButton_Reevaluate_DatabaseSettings" << "Demo_Plate_gray (from database)"
        << "settings/Colony/Demo_Plate_gray (from database).ColonySettings";
    QTest::newRow("with the current settings") << "m_QPushButton_Reevaluate_CurrentSettings" << "default"
                                               << "settings/Colony/default.ColonySettings";
}

// A rack stored from the demo plate is read back from the results browser and analysed again
// by the Colony Analyser page, with its stored correction.
void tst_MainWindowCommands::reevaluateStoredRack()
{
    QFETCH(QString, button);
    QFETCH(QString, settingsName);
    QFETCH(QString, fileName);
    runDemo(QStringLiteral("Plate_gray"));
    auto goodColonies = [this] {
        int good = 0;
        for (const auto& container : m_window->colonyAnalyserGui()->rack().containers)
            for (const auto& colony : container->colonies)
                good += colony->row.IsGoodColony ? 1 : 0;
        return good;
    };
    const int goodBefore = goodColonies();
    // The rack keeps the correction the analysis ran with.
    CorrectionInfo stored;
    stored.Factor = 1.0;
    m_window->colonyAnalyserGui()->rack().correction = stored;
    int rack = -1;
    QCOMPARE(m_window->AnalyseColonies_SaveResult(false, QStringLiteral("R-77"), QString(), rack), Errors::Type_Error(0));
    QCOMPARE(m_window->loadColonySettings(ColonySettings::defaultFilePath(), false), Errors::Type_Error(0));
    CorrectionInfo other;
    other.Factor = 1.07;
    CorrectionInfo::setCurrent(other);

    m_answers.dialog = [&](QDialog* dialog) { return chooseRack(dialog, rack, qPrintable(button)); };
    m_window->form()->m_QAction_Toolbar_PictureFromDatabase->trigger();
    QCOMPARE(m_answers.dialogs, 1);
    const Errors::Type_Error run = DemoTruth::waitForAnalysis(*m_window);
    QVERIFY(run != 101);
    QVERIFY2(m_answers.boxes.isEmpty(), qPrintable(m_answers.titles().join(", ")));
    QCOMPARE(m_window->colonySettings()->name, settingsName);
    QCOMPARE(m_window->colonySettingsFileName(), fileName);
    QCOMPARE(CorrectionInfo::current().Factor, 1.0);
    if (button.contains(QLatin1String("Database"))) {
        QCOMPARE(run, Errors::Type_Error(0));
        QCOMPARE(goodColonies(), goodBefore);
    }
}

void tst_MainWindowCommands::databaseSave_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("with a description") << true;
    QTest::newRow("cancelled") << false;
}

void tst_MainWindowCommands::databaseSave()
{
    QFETCH(bool, accept);
    runDemo(QStringLiteral("Plate_gray"));
    QVariantList before;
    QCOMPARE(m_window->Database_GetZelvorinRackID_By_RackBarcode(QString(), before), Errors::Type_Error(0));
    QString label;
    m_answers.dialog = [&](QDialog* dialog) {
        auto* input = qobject_cast<QInputDialog*>(dialog);
        if (!input)
            return int(QDialog::Rejected);
        label = input->labelText();
        input->setTextValue(QStringLiteral("first plate"));
        return int(accept ? QDialog::Accepted : QDialog::Rejected);
    };
    m_window->form()->m_QAction_Menubar_Analyse_Database_Save->trigger();
    QCOMPARE(label, QStringLiteral("Description:"));
    QVariantList after;
    QCOMPARE(m_window->Database_GetZelvorinRackID_By_RackBarcode(QString(), after), Errors::Type_Error(0));
    if (!accept) {
        QCOMPARE(after, before);
        QVERIFY(m_answers.boxes.isEmpty());
        return;
    }
    QCOMPARE(after.size(), before.size() + 1);
    const int rack = after.first().toInt();
    QCOMPARE(m_answers.titles(), QStringList{"Database"});
    QCOMPARE(m_answers.boxes.first().text, QStringLiteral("The result of analysing is saved to RackID=%1").arg(rack));
    DatabaseQueries::Rack stored;
    QCOMPARE(m_window->Database_GetZelvorinRack(rack, stored), Errors::Type_Error(0));
    QCOMPARE(stored.description, QStringLiteral("first plate"));
    QVERIFY(stored.rackBarcode.isEmpty());
}

void tst_MainWindowCommands::analyseStartWithoutPicture()
{
    m_window->form()->m_QAction_Menubar_Analyse_Analyse_Start->trigger();
    QCOMPARE(m_answers.titles(), QStringList{"Analyse error"});
    QCOMPARE(m_answers.boxes.first().text,
             QStringLiteral("Cannot analyse the colony: %1!").arg(Errors::getErrorText(102)));
}

void tst_MainWindowCommands::exportColonyResults_data()
{
    QTest::addColumn<QString>("target"); // in the program folder; empty: the dialog is cancelled
    QTest::addColumn<bool>("written");
    QTest::newRow("to a file") << "Colonies.csv" << true;
    QTest::newRow("cancelled") << "" << false;
    // The file cannot be made: the operator learns why, and nothing is left behind.
    QTest::newRow("into a missing folder") << "missing/Colonies.csv" << false;
}

void tst_MainWindowCommands::exportColonyResults()
{
    QFETCH(QString, target);
    QFETCH(bool, written);
    runDemo(QStringLiteral("PetriPlate_gray"));
    const QString file = target.isEmpty() ? QString() : m_folder->filePath(target);
    m_answers.fileAnswer = file;
    m_window->form()->m_QAction_Menubar_Analyse_ExportColonyResults->trigger();
    QCOMPARE(m_answers.fileRequests.size(), 1);
    QCOMPARE(m_answers.fileRequests.first().kind, MessageBox_Helper::FileRequest::SaveFile);
    QCOMPARE(m_answers.fileRequests.first().directory, QStringLiteral("Colony Positions.csv"));
    QCOMPARE(m_answers.fileRequests.first().filter, QStringLiteral("CSV files (*.csv)"));
    if (written) {
        QCOMPARE(m_answers.titles(), QStringList{"Export Colony Results"});
        QCOMPARE(m_answers.boxes.first().icon, QMessageBox::Information);
        QCOMPARE(m_answers.boxes.first().text, QStringLiteral("Export to \"%1\" done!").arg(file));
        QVERIFY(readFile(file).count('\n') > 100);
        return;
    }
    QVERIFY(file.isEmpty() || !QFileInfo::exists(file));
    if (file.isEmpty()) {
        QVERIFY(m_answers.boxes.isEmpty());
        return;
    }
    QCOMPARE(m_answers.titles(), QStringList{"Export Colony Results"});
    QCOMPARE(m_answers.boxes.first().icon, QMessageBox::Critical);
    QCOMPARE(m_answers.boxes.first().text, Errors::getErrorText(130) + QStringLiteral("!"));
}

void tst_MainWindowCommands::editColoniesWithoutAResultSaysWhy()
{
    m_window->form()->m_QAction_Menubar_Analyse_EditColonies->trigger();
    QCOMPARE(m_answers.titles(), QStringList{"Edit Colonies"});
    QCOMPARE(m_answers.boxes.first().icon, QMessageBox::Critical);
    QCOMPARE(m_answers.boxes.first().text, Errors::getErrorText(102) + QStringLiteral("!"));

    // A cancelled edit of a result is no failure.
    runDemo(QStringLiteral("Plate_gray"));
    m_answers.boxes.clear();
    int editors = 0;
    m_window->colonyAnalyserGui()->setEditorRunner([&](ColonyEditorGui&) {
        ++editors;
        return int(QDialog::Rejected);
    });
    m_window->form()->m_QAction_Menubar_Analyse_EditColonies->trigger();
    QCOMPARE(editors, 1);
    QVERIFY(m_answers.boxes.isEmpty());
}

void tst_MainWindowCommands::editColoniesOnlyOnTheColonyPage()
{
    m_window->analyserGui()->showImageStitcher();
    m_window->form()->m_QAction_Menubar_Analyse_EditColonies->trigger();
    QCOMPARE(m_answers.titles(), QStringList{"Edit Colonies"});
    QCOMPARE(m_answers.boxes.first().icon, QMessageBox::Information);
    QCOMPARE(m_answers.boxes.first().text, QStringLiteral("Image Stitcher does not support 'Edit Colonies'!"));
}

void tst_MainWindowCommands::manual_data()
{
    QTest::addColumn<bool>("installed");
    QTest::newRow("installed") << true;
    QTest::newRow("missing") << false;
}

void tst_MainWindowCommands::manual()
{
    QFETCH(bool, installed);
    if (installed)
        QVERIFY(writeFile(QStringLiteral("zelvorin_Manual.pdf"), "%PDF-1.4"));
    UrlReceiver receiver;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &receiver, "open");
    m_window->form()->m_QAction_Menubar_Help_PDFManual->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    if (!installed) {
        QCOMPARE(m_answers.titles(), QStringList{"PDF Manual error"});
        QVERIFY(receiver.urls.isEmpty());
        return;
    }
    QVERIFY(m_answers.boxes.isEmpty());
    QCOMPARE(receiver.urls.size(), 1);
    QVERIFY(QFileInfo(receiver.urls.first().toLocalFile()).isAbsolute());
    QCOMPARE(receiver.urls.first().toLocalFile(), m_folder->filePath(QStringLiteral("zelvorin_Manual.pdf")));
}

// Accepted dialogs leave their records saved in their files.
void tst_MainWindowCommands::settingsDialogsSaveTheirRecords()
{
    m_answers.dialog = [](QDialog*) { return int(QDialog::Accepted); };
    m_window->appSettings()->database.AutoDeleteMaximum = 123;
    m_window->form()->m_QAction_Menubar_System_Settings->trigger();
    AppSettings reread;
    QVERIFY(reread.load(QStringLiteral("settings/default.AppSettings")));
    QCOMPARE(reread.database.AutoDeleteMaximum, 123);

    m_window->instrumentSettings()->channelOffsetX_mm[4] = 2.5;
    m_window->form()->m_QAction_Menubar_System_InstrumentSettings->trigger();
    InstrumentSettings instrument;
    QVERIFY(instrument.loadFromFile(InstrumentSettings::defaultFilePath()));
    QCOMPARE(instrument.channelOffsetX_mm[4], 2.5);
    QCOMPARE(m_answers.dialogs, 2);
    QVERIFY(m_answers.boxes.isEmpty());
}

void tst_MainWindowCommands::automationCallsShowNoDatabaseBox_data()
{
    QTest::addColumn<int>("call");
    QTest::newRow("rack") << 0;
    QTest::newRow("colony position") << 1;
}

// A rack the database does not have is answered with the code: no box waits for an operator
// of the stand-alone program while the client waits for its answer.
void tst_MainWindowCommands::automationCallsShowNoDatabaseBox()
{
    QFETCH(int, call);
    setAutomationMainWindow(m_window);
    const auto noWindow = qScopeGuard([] { setAutomationMainWindow(nullptr); });
    COM_Class com;
    QString text;
    int number = 0;
    double value = 0.0;
    const int result = call == 0
        ? com.Database_GetZelvorinRack(4711, text, text, number, number, number, text)
        : com.Database_GetZelvorinColonyPosition_By_ColonyNumber(4711, 1, 1, 1, number, value, value, value);
    QCOMPARE(result, 87);
    QVERIFY2(m_answers.boxes.isEmpty(), qPrintable(m_answers.titles().join(", ")));
}

QTEST_MAIN(tst_MainWindowCommands)
#include "tst_MainWindowCommands.moc"
