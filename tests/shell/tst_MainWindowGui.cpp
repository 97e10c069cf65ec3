#include "Automation_Client.h"
#include "Automation_Server.h"
#include "COM_Class.h"
#include "Camera.h"
#include "CameraOperations.h"
#include "Camera_LiveView_Gui.h"
#include "Camera_Settings.h"
#include "ColonyAnalyserGui.h"
#include "ColonySettingsGui.h"
#include "Database.h"
#include "DemoTruth.h"
#include "Gui_Helper.h"
#include "ImageStitcherSettings.h"
#include "ImageStitcherGui.h"
#include "ImageStitcherSettingsFiles.h"
#include "ImageStitcherThread.h"
#include "InstrumentSettings.h"
#include "ModelMatching.h"
#include "ModelMatching_ModelPicture.h"
#include "MainWindowFixture.h"
#include "PrivateSessionBus.h"
#include "ProgramUnderTest.h"
#include "QAxDefaultFactory.h"
#include "QuendralLibrary.h"
#include "StitcherCommands.h"
#include "ui_MainWindowGui.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QToolBar>
#include <QtTest>

#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace MainWindowFixture;

// The main window's construction, form, close and window operations, each in a program
// folder of its own.
class tst_MainWindowGui : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void firstStartWritesTheDefaultFiles_data();
    void firstStartWritesTheDefaultFiles();
    void damagedDefaultFilesAreKept_data();
    void damagedDefaultFilesAreKept();
    void newSQLite3DatabaseFromTheTemplate();
    void wrongDatabaseVersionIsTheStartError_data();
    void wrongDatabaseVersionIsTheStartError();
    void readingTheRecordsAtStartIsNoChange();
    void anotherInstanceOfThisUser_data();
    void anotherInstanceOfThisUser();
    void tearDownWithAnAnalysisRunning_data();
    void tearDownWithAnAnalysisRunning();
    void tearDownEndsTheStitcherFirst();

    void menus_data();
    void menus();
    void toolBar();
    void iconsWhereTheFormHasThem();
    void saveShortcutFromAnywhere();
    void resetLayoutTabsTheSettingsDocks();
    void viewActionsToggleTheirDocks();
    void colonySettingsActionsFollowTheEditor();
    void cameraDockActionsFollowTheirViews_data();
    void cameraDockActionsFollowTheirViews();
    void cameraSettingsDockTitleFollowsTheEditor();
    void cameraConnectActionsFollowTheCamera();

    void startShow_data();
    void startShow();
    void guiShow_data();
    void guiShow();
    void guiHideOnlyAsServer_data();
    void guiHideOnlyAsServer();
    void close_data();
    void close();
    void closeStopsTheAnalysisAndOffersToSave_data();
    void closeStopsTheAnalysisAndOffersToSave();
    void exitAfterAnEditedDemo_data();
    void exitAfterAnEditedDemo();
    void closingWithAClientAttachedOnlyHides();
    void programAndPicturePaths();

private:
    int m_quits = 0;
};

void tst_MainWindowGui::initTestCase()
{
    setApplicationQuitFunction([this] { ++m_quits; });
}

void tst_MainWindowGui::cleanup()
{
    setAutomationMainWindow(nullptr);
    setApplicationRunning(false);
    m_quits = 0;
}

// ---- Construction ------------------------------------------------------------------------------

void tst_MainWindowGui::firstStartWritesTheDefaultFiles_data()
{
    QTest::addColumn<bool>("automationServer");
    QTest::addColumn<QStringList>("boxes");
    // Without the shipped application settings the database is an MS Access file, which
    // this platform cannot open.
    QTest::newRow("stand-alone") << false << QStringList{"Database error"};
    QTest::newRow("automation server") << true << QStringList{};
}

void tst_MainWindowGui::firstStartWritesTheDefaultFiles()
{
    QFETCH(bool, automationServer);
    QFETCH(QStringList, boxes);
    ProgramFolder folder(Empty);
    QVERIFY(folder.isValid());
    for (const char* sub : {"settings/Colony", "settings/camera"})
        QVERIFY(QDir().mkpath(folder.filePath(QLatin1String(sub))));
    Answers answers;
    WindowUnderTest test(automationServer, answers);
    MainWindowGui& window = test.make();

    for (const QString& file : {MainWindowGui::appSettingsFilePath(), MainWindowGui::instrumentSettingsFilePath(),
                                Camera_Settings::defaultFilePath(), ColonySettings::defaultFilePath(),
                                ImageStitcherSettingsFiles::defaultFilePath()})
        QVERIFY2(QFileInfo::exists(folder.filePath(file)), qPrintable(file));
    QCOMPARE(window.imageStitcherSettingsFileName(), ImageStitcherSettingsFiles::defaultFilePath());
    QCOMPARE(window.appSettingsFileName(), MainWindowGui::appSettingsFilePath());
    QCOMPARE(window.colonySettingsFileName(), ColonySettings::defaultFilePath());
    QCOMPARE(window.cameraOperations()->settingsFileName(), Camera_Settings::defaultFilePath());
    QVERIFY(startError() != 0);
    QCOMPARE(answers.titles(), boxes);
    if (!automationServer)
        QCOMPARE(answers.boxes.first().text, Errors::getErrorText(startError()) + QStringLiteral("!"));

    // The next start reads them back, the stitcher's too, though no cross model lies beside it.
    test.destroy();
    answers.boxes.clear();
    MainWindowGui& again = test.make();
    QCOMPARE(answers.titles(), boxes);
    QCOMPARE(again.imageStitcherSettingsFileName(), ImageStitcherSettingsFiles::defaultFilePath());
    QCOMPARE(again.colonySettingsFileName(), ColonySettings::defaultFilePath());
}

void tst_MainWindowGui::damagedDefaultFilesAreKept_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("boxes");
    const QStringList settingsError{"Settings error"};
    // The default application settings name an MS Access database, which does not open here.
    QTest::newRow("application settings") << MainWindowGui::appSettingsFilePath()
                                          << QStringList{"Settings error", "Database error"};
    QTest::newRow("instrument settings") << MainWindowGui::instrumentSettingsFilePath() << settingsError;
    QTest::newRow("camera settings") << Camera_Settings::defaultFilePath() << settingsError;
    QTest::newRow("colony settings") << ColonySettings::defaultFilePath() << settingsError;
    QTest::newRow("image stitcher settings") << ImageStitcherSettingsFiles::defaultFilePath() << settingsError;
}

// A default file that does not load is the operator's to mend: it stays as it is, the record
// holds defaults and he is told.
void tst_MainWindowGui::damagedDefaultFilesAreKept()
{
    QFETCH(QString, file);
    QFETCH(QStringList, boxes);
    ProgramFolder folder(ShippedSettings);
    QVERIFY(folder.isValid());
    const QByteArray damaged("<?xml version='1.0' encoding='UTF-8' ?><Settings><Name><Name>x");
    QVERIFY(writeFile(file, damaged));
    Answers answers;
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();

    QCOMPARE(readFile(file), damaged);
    QCOMPARE(answers.titles(), boxes);
    QVERIFY(answers.boxes.first().text.contains(file));
    if (file == ColonySettings::defaultFilePath()) {
        QVERIFY(window.colonySettingsFileName().isEmpty());
        QVERIFY(window.colonySettings()->data() == ColonySettingsData::standardDefaults());
    }
    if (file == Camera_Settings::defaultFilePath())
        QVERIFY(window.cameraOperations()->settingsFileName().isEmpty());
    if (file == ImageStitcherSettingsFiles::defaultFilePath()) {
        QVERIFY(window.imageStitcherSettingsFileName().isEmpty());
        // The defaults, with the cross model's tolerances out of use, as the settings editor hides them.
        ImageStitcherSettingsData defaults;
        defaults.CrossModel.SearchTolerance.Used = false;
        QVERIFY(window.imageStitcherSettings()->data() == defaults);
    }
    if (file == MainWindowGui::appSettingsFilePath())
        QVERIFY(window.appSettingsFileName().isEmpty());
    // Closing asks nothing and writes none of them.
    window.close();
    QCOMPARE(readFile(file), damaged);
}

void tst_MainWindowGui::newSQLite3DatabaseFromTheTemplate()
{
    ProgramFolder folder(ShippedSettings);
    QVERIFY(folder.isValid());
    Answers answers;
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    QCOMPARE(window.appSettings()->database.Type, AppSettings::TypeSQLite3);
    QVERIFY(QFileInfo::exists(folder.filePath(window.appSettings()->database.SQLite3.Filename)));
    QVERIFY(window.database()->database()->isOpen());
    QCOMPARE(startError(), Errors::Type_Error(0));
    QVERIFY2(answers.boxes.isEmpty(), qPrintable(answers.titles().join(", ")));
}

void tst_MainWindowGui::wrongDatabaseVersionIsTheStartError_data()
{
    QTest::addColumn<bool>("automationServer");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("stand-alone") << false << QStringList{"Database error"};
    QTest::newRow("automation server") << true << QStringList{};
}

void tst_MainWindowGui::wrongDatabaseVersionIsTheStartError()
{
    QFETCH(bool, automationServer);
    QFETCH(QStringList, boxes);
    ProgramFolder folder(ShippedSettings);
    QVERIFY(folder.isValid());
    {
        // A database of another version where the settings name it.
        Answers first;
        WindowUnderTest test(true, first);
        test.make();
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("version"));
        db.setDatabaseName(folder.filePath(QStringLiteral("database/zelvorin.db3")));
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(QStringLiteral("UPDATE ZelvorinDatabaseVersion SET Version = 3")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("version"));

    Answers answers;
    WindowUnderTest test(automationServer, answers);
    MainWindowGui& window = test.make();
    QCOMPARE(startError(), Errors::Type_Error(91));
    QVERIFY(!window.database()->database()->isOpen());
    QCOMPARE(answers.titles(), boxes);
}

// A client that starts an analysis right after the program started sees that run finish:
// no change notice left from reading the records restarts it half-way.
void tst_MainWindowGui::readingTheRecordsAtStartIsNoChange()
{
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    Answers answers;
    WindowUnderTest test(true, answers);
    MainWindowGui& window = test.make();
    QSignalSpy app(window.appSettings(), &Settings_Change_Helper::signal_changed);
    QSignalSpy colony(window.colonySettings(), &Settings_Change_Helper::signal_changed);
    QSignalSpy camera(window.cameraSettings(), &Settings_Change_Helper::signal_changed);
    QCOMPARE(window.Camera_LoadPicture(QStringLiteral("settings/ColonyDemo/Demo_Plate_gray.tif")),
             Errors::Type_Error(0));
    QCOMPARE(window.AnalyseColonies_Start(QStringLiteral("Demo_Plate_gray")), Errors::Type_Error(0));
    QCOMPARE(DemoTruth::waitForAnalysis(window), Errors::Type_Error(0));
    // Well past the records' 500 ms.
    QVERIFY(!app.wait(1000));
    QCOMPARE(colony.count(), 0);
    QCOMPARE(camera.count(), 0);
}

void tst_MainWindowGui::anotherInstanceOfThisUser_data()
{
    QTest::addColumn<bool>("automationServer");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("stand-alone: the operator is told") << false << QStringList{"Application error"};
    QTest::newRow("automation server: nobody is there to answer") << true << QStringList{};
}

// Another running instance of this user holds the single-instance marker.
void tst_MainWindowGui::anotherInstanceOfThisUser()
{
    QFETCH(bool, automationServer);
    QFETCH(QStringList, boxes);
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    // Held the way a running instance holds it.
    const QByteArray marker = QFile::encodeName(QuendralLibrary::SingleInstanceMarkerPath(QStringLiteral("zelvorin")));
    const int held = ::open(marker.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    QVERIFY(held >= 0);
    QCOMPARE(::flock(held, LOCK_SH), 0);
    Answers answers;
    {
        WindowUnderTest test(automationServer, answers);
        test.make();
        QVERIFY(QuendralLibrary::IsAlreadyRunning());
    }
    ::close(held);
    QCOMPARE(answers.titles(), boxes);
}

void tst_MainWindowGui::tearDownWithAnAnalysisRunning_data()
{
    QTest::addColumn<bool>("automationServer");
    QTest::newRow("stand-alone") << false;
    QTest::newRow("automation server") << true;
}

// Under AddressSanitizer this is the close order: editor tools, page, worker, camera.
void tst_MainWindowGui::tearDownWithAnAnalysisRunning()
{
    QFETCH(bool, automationServer);
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    Answers answers;
    WindowUnderTest test(automationServer, answers);
    MainWindowGui& window = test.make();
    window.startShow();
    QCOMPARE(window.Camera_LoadPicture(QStringLiteral("settings/ColonyDemo/Demo_Plate_gray.tif")),
             Errors::Type_Error(0));
    QCOMPARE(window.AnalyseColonies_Start(QStringLiteral("Demo_Plate_gray")), Errors::Type_Error(0));
    // The labware editor holds the page's viewer while the window goes.
    window.colonySettingsGui()->refreshFromSettings();
    test.destroy();
}

// The stitcher's worker reads the cross model and the template picture its settings editor
// holds: whenever either goes, the worker is gone.
void tst_MainWindowGui::tearDownEndsTheStitcherFirst()
{
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    Answers answers;
    WindowUnderTest test(true, answers);
    MainWindowGui& window = test.make();
    const QStringList views = StitcherCommands::demoPicturePaths(QStringLiteral("QTray-Plate"));
    for (int position = 0; position < views.size(); ++position) {
        QCOMPARE(window.Camera_LoadPicture(views.at(position)), Errors::Type_Error(0));
        QCOMPARE(window.ImageStitcher_AssignPicturePosition(position), Errors::Type_Error(0));
    }
    QCOMPARE(window.ImageStitcher_Start(QStringLiteral("Demo_QTray-Plate")), Errors::Type_Error(0));
    const QPointer<ImageStitcherThread> worker = window.imageStitcherGui()->worker();
    QVERIFY(worker);
    QStringList outlived;
    const auto check = [&](const char* part) {
        if (worker && !worker->isFinished())
            outlived << QLatin1String(part);
    };
    QObject::connect(window.crossModel(), &QObject::destroyed, [&] { check("cross model"); });
    QObject::connect(window.crossModel()->GetModelPictureSource(), &QObject::destroyed,
                     [&] { check("template picture"); });

    test.destroy();

    QCOMPARE(outlived, QStringList());
}

// ---- Form ------------------------------------------------------------------------------------------

void tst_MainWindowGui::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("System") << "m_QMenu_System" << "&System"
                            << QStringList{"&Camera Connect", "-", "&Application Settings", "&Instrument Settings",
                                           "-", "E&xit"};
    QTest::newRow("Analyse") << "m_QMenu_Analyse" << "&Analyse"
                             << QStringList{"Read from &Camera", "Read from &File", "Read from &Database", "-",
                                            "Start/Restart &Analysis", "-", "Edit Colonies",
                                            "&Save Results to Database", "E&xport Colony Results"};
    QTest::newRow("Demo") << "m_QMenu_Demo" << "&Demo"
                          << QStringList{"&Demo MTP Plate", "&Demo Petri Plate", "Demo &Stitcher"};
    QTest::newRow("View") << "m_QMenu_View" << "&View"
                          << QStringList{"&Camera Settings", "&Live View", "Image &Stitcher Settings",
                                         "&Colony Settings", "-", "&Reset Window Layout"};
    QTest::newRow("Help") << "m_QMenu_Help" << "&Help"
                          << QStringList{"&About", "&System Information", "-", "zelvorin &Manual"};
}

void tst_MainWindowGui::menus()
{
    QFETCH(QString, menu);
    QFETCH(QString, title);
    QFETCH(QStringList, entries);
    ProgramFolder folder;
    Answers answers;
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    const QList<QAction*> bar = window.form()->m_QMenuBar_MainMenu->actions();
    QStringList titles;
    for (QAction* action : bar)
        titles << action->text();
    QCOMPARE(titles, (QStringList{"&System", "&Analyse", "&Demo", "&View", "&Help"}));

    auto* found = window.findChild<QMenu*>(menu);
    QVERIFY(found);
    QCOMPARE(found->title(), title);
    QStringList shown;
    for (QAction* action : found->actions())
        shown << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(shown, entries);
}

void tst_MainWindowGui::toolBar()
{
    ProgramFolder folder;
    Answers answers;
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    QToolBar* bar = window.form()->m_QToolBar_Main;
    QCOMPARE(bar->windowTitle(), QStringLiteral("Toolbar"));
    QCOMPARE(bar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    QCOMPARE(window.toolBarArea(bar), Qt::TopToolBarArea);
    QStringList shown;
    for (QAction* action : bar->actions())
        shown << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(shown, (QStringList{"Camera Connect", "-", "Camera Settings", "Live View", "Stitcher Settings",
                                 "Colony Settings", "-", "Read from Camera", "Read from File", "Read from Database",
                                 "-", "Demo Stitcher", "Demo Plate", "Demo Petri Plate"}));
}

void tst_MainWindowGui::iconsWhereTheFormHasThem()
{
    ProgramFolder folder;
    Answers answers;
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    const QStringList withoutIcon{"m_QAction_Menubar_System_InstrumentSettings",
                                  "m_QAction_Menubar_Analyse_ExportColonyResults",
                                  "m_QAction_Menubar_Analyse_EditColonies"};
    const QList<QAction*> actions = window.findChildren<QAction*>(QRegularExpression(QStringLiteral("^m_QAction_")));
    QCOMPARE(actions.size(), 33);
    for (QAction* action : actions) {
        QCOMPARE(action->parent(), &window);
        QVERIFY2(action->icon().isNull() == withoutIcon.contains(action->objectName()),
                 qPrintable(action->objectName()));
    }
    QCOMPARE(window.form()->m_QAction_Menubar_Stitcher_Demo_QTrayPlate->icon().pixmap(16).toImage(),
             window.form()->m_QAction_Menubar_View_ImageStitcherSettings->icon().pixmap(16).toImage());
    QVERIFY(!window.windowIcon().isNull());
}

// Ctrl+S reaches the save from any widget of the window: here, with nothing analysed, it
// says why nothing can be saved.
void tst_MainWindowGui::saveShortcutFromAnywhere()
{
    ProgramFolder folder;
    Answers answers;
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    window.startShow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QWidget* deep = window.colonyAnalyserGui();
    deep->setFocus();
    QTest::keyClick(deep, Qt::Key_S, Qt::ControlModifier);
    QTRY_COMPARE(answers.titles(), QStringList{"Database error"});
    QCOMPARE(answers.boxes.first().text, QStringLiteral("Cannot save the informationen to the database: %1!")
                                             .arg(Errors::getErrorText(102)));
}

void tst_MainWindowGui::resetLayoutTabsTheSettingsDocks()
{
    ProgramFolder folder;
    Answers answers;
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    window.startShow();
    window.liveViewDock()->setFloating(false);
    window.liveViewDock()->show();
    window.resetWindowLayout();
    QVERIFY(window.liveViewDock()->isFloating());
    QVERIFY(window.liveViewDock()->isHidden());
    for (QDockWidget* dock : {window.colonySettingsDock(), window.cameraSettingsDock(), window.imageStitcherSettingsDock()}) {
        QVERIFY(!dock->isFloating());
        QCOMPARE(window.dockWidgetArea(dock), Qt::LeftDockWidgetArea);
    }
    const QList<QDockWidget*> tabbed = window.tabifiedDockWidgets(window.cameraSettingsDock());
    QVERIFY(tabbed.contains(window.colonySettingsDock()));
    QVERIFY(tabbed.contains(window.imageStitcherSettingsDock()));
    QVERIFY(window.form()->m_QToolBar_Main->isVisible());
}

void tst_MainWindowGui::viewActionsToggleTheirDocks()
{
    ProgramFolder folder;
    Answers answers;
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    window.startShow();
    const struct {
        QAction* action;
        QDockWidget* dock;
    } pairs[] = {
        {window.form()->m_QAction_Menubar_View_CameraSettings, window.cameraSettingsDock()},
        {window.form()->m_QAction_Toolbar_LiveView, window.liveViewDock()},
        {window.form()->m_QAction_Toolbar_View_ColonySettings, window.colonySettingsDock()},
        {window.form()->m_QAction_Menubar_View_ImageStitcherSettings, window.imageStitcherSettingsDock()},
    };
    for (const auto& pair : pairs) {
        const bool before = pair.dock->isVisible();
        pair.action->trigger();
        QCOMPARE(pair.dock->isVisible(), !before);
        pair.action->trigger();
        QCOMPARE(pair.dock->isVisible(), before);
    }
}

void tst_MainWindowGui::colonySettingsActionsFollowTheEditor()
{
    ProgramFolder folder;
    Answers answers;
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    window.startShow();
    window.colonySettingsDock()->setFloating(true);
    window.colonySettingsDock()->show();
    QTRY_VERIFY(window.form()->m_QAction_Menubar_View_ColonySettings->isChecked());
    QVERIFY(window.form()->m_QAction_Toolbar_View_ColonySettings->isChecked());
    window.form()->m_QAction_Menubar_View_ColonySettings->trigger();
    QTRY_VERIFY(!window.form()->m_QAction_Toolbar_View_ColonySettings->isChecked());
    QVERIFY(!window.form()->m_QAction_Menubar_View_ColonySettings->isChecked());
}

void tst_MainWindowGui::cameraDockActionsFollowTheirViews_data()
{
    QTest::addColumn<bool>("liveView");
    QTest::newRow("camera settings") << false;
    QTest::newRow("live view") << true;
}

// The camera settings editor and the live view report their visibility alike; each dock's
// actions follow only their own.
void tst_MainWindowGui::cameraDockActionsFollowTheirViews()
{
    QFETCH(bool, liveView);
    ProgramFolder folder;
    Answers answers;
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    window.startShow();
    Ui::MainWindowGui& ui = *window.form();
    QDockWidget* dock = liveView ? window.liveViewDock() : window.cameraSettingsDock();
    QDockWidget* other = liveView ? window.cameraSettingsDock() : window.liveViewDock();
    QAction* menu = liveView ? ui.m_QAction_Menubar_View_LiveView : ui.m_QAction_Menubar_View_CameraSettings;
    QAction* toolBar = liveView ? ui.m_QAction_Toolbar_LiveView : ui.m_QAction_Toolbar_View_CameraSettings;
    QAction* otherMenu = liveView ? ui.m_QAction_Menubar_View_CameraSettings : ui.m_QAction_Menubar_View_LiveView;
    // The settings editor sits in a scroll area of its dock.
    QVERIFY(dock->isAncestorOf(liveView ? static_cast<QWidget*>(window.liveViewGui())
                                        : static_cast<QWidget*>(window.cameraSettingsGui())));
    other->hide();
    QTRY_VERIFY(!otherMenu->isChecked());

    dock->setFloating(true);
    dock->show();
    QTRY_VERIFY(menu->isChecked());
    QVERIFY(toolBar->isChecked());
    QVERIFY(!otherMenu->isChecked());
    menu->trigger();
    QTRY_VERIFY(!toolBar->isChecked());
    QVERIFY(!menu->isChecked());
    QVERIFY(!dock->isVisible());
}

void tst_MainWindowGui::cameraSettingsDockTitleFollowsTheEditor()
{
    ProgramFolder folder;
    Answers answers;
    WindowUnderTest test(true, answers);
    MainWindowGui& window = test.make();
    QCOMPARE(window.cameraSettingsDock()->windowTitle(), QStringLiteral(" Camera settings \"default\""));
    QVERIFY(QFile::copy(Camera_Settings::defaultFilePath(),
                        Camera_Settings::settingsFolder() + QStringLiteral("/bench") + Camera_Settings::fileExtension()));
    QCOMPARE(window.Camera_Open(QStringLiteral("bench")), Errors::Type_Error(0));
    QCOMPARE(window.cameraOperations()->settingsFileName(),
             Camera_Settings::settingsFolder() + QStringLiteral("/bench") + Camera_Settings::fileExtension());
    QCOMPARE(window.cameraSettingsDock()->windowTitle(), QStringLiteral(" Camera settings \"bench\""));
    window.cameraSettings()->SetCustom(Camera_Settings::CustomSignal_Modified, QVariant(true));
    QCOMPARE(window.cameraSettingsDock()->windowTitle(), QStringLiteral("* Camera settings \"bench\""));
    // An open camera takes other settings through the editor; a server asks nothing first.
    QCOMPARE(window.Camera_Open(QStringLiteral("default")), Errors::Type_Error(0));
    QCOMPARE(window.cameraSettingsDock()->windowTitle(), QStringLiteral(" Camera settings \"default\""));
    QVERIFY(answers.boxes.isEmpty());
    QCOMPARE(window.Camera_Close(), Errors::Type_Error(0));
}

void tst_MainWindowGui::cameraConnectActionsFollowTheCamera()
{
    ProgramFolder folder;
    Answers answers;
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    QAction* toolBar = window.form()->m_QAction_Toolbar_CameraConnect;
    QAction* menu = window.form()->m_QAction_Menubar_System_CameraConnect;
    const auto texts = [&] { return QStringList{toolBar->text(), toolBar->toolTip(), menu->text()}; };
    const QStringList closedTexts{"Camera Connect", "Camera Connect", "&Camera Connect"};
    QCOMPARE(texts(), closedTexts);
    QSignalSpy opened(window.camera(), &Camera::signal_open);
    toolBar->trigger();
    QVERIFY(window.camera()->IsOpen());
    QTRY_COMPARE(opened.count(), 1);
    QCOMPARE(texts(), (QStringList{"Camera Disconnect", "Camera Disconnect", "&Camera Disconnect"}));
    for (QAction* action : {toolBar, menu})
        QVERIFY(action->isChecked());
    // The operator's camera stays open when a client of a stand-alone program closes it.
    QCOMPARE(window.Camera_Close(), Errors::Type_Error(0));
    QVERIFY(window.camera()->IsOpen());

    QSignalSpy closed(window.camera(), &Camera::signal_close);
    menu->trigger();
    QVERIFY(!window.camera()->IsOpen());
    QTRY_COMPARE(closed.count(), 1);
    // Closed again, the commands read as they did at the start.
    QCOMPARE(texts(), closedTexts);
    for (QAction* action : {toolBar, menu})
        QVERIFY(!action->isChecked());
    QVERIFY(answers.boxes.isEmpty());
}

// ---- Showing, hiding and closing ------------------------------------------------------------------

void tst_MainWindowGui::startShow_data()
{
    QTest::addColumn<bool>("automationServer");
    QTest::addColumn<bool>("visible");
    QTest::newRow("stand-alone") << false << true;
    QTest::newRow("automation server") << true << false;
}

void tst_MainWindowGui::startShow()
{
    QFETCH(bool, automationServer);
    QFETCH(bool, visible);
    ProgramFolder folder;
    Answers answers;
    WindowUnderTest test(automationServer, answers);
    MainWindowGui& window = test.make();
    QCOMPARE(window.windowTitle(), QStringLiteral("zelvorin V1.1.0"));
    QCOMPARE(window.objectName(), QStringLiteral("MainWindowGui"));
    window.startShow();
    QCOMPARE(window.isVisible(), visible);
    QCOMPARE(window.isWindowHidden(), !visible);
    bool reported = !visible;
    QCOMPARE(window.GUI_IsVisible(reported), Errors::Type_Error(0));
    QCOMPARE(reported, visible);
    if (automationServer) {
        // Shown by a client, the server's window has neither menus, tool bar nor docks.
        window.GUI_Show(1);
        QVERIFY(window.form()->m_QMenuBar_MainMenu->isHidden());
        QVERIFY(window.form()->m_QToolBar_Main->isHidden());
        QVERIFY(window.colonySettingsDock()->isHidden());
        QVERIFY(window.liveViewDock()->isHidden());
    }
}

void tst_MainWindowGui::guiShow_data()
{
    QTest::addColumn<bool>("automationServer");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("maximized");
    QTest::newRow("server, normal") << true << 1 << 0 << true << false;
    QTest::newRow("server, maximized") << true << 2 << 0 << true << true;
    QTest::newRow("server, 3 changes nothing") << true << 3 << 0 << false << false;
    QTest::newRow("server, 4 changes nothing") << true << 4 << 0 << false << false;
    QTest::newRow("server, unknown mode") << true << 7 << 104 << false << false;
    QTest::newRow("server, negative mode") << true << -1 << 104 << false << false;
    QTest::newRow("stand-alone ignores the mode") << false << 7 << 0 << false << false;
    QTest::newRow("stand-alone does not show") << false << 1 << 0 << false << false;
}

void tst_MainWindowGui::guiShow()
{
    QFETCH(bool, automationServer);
    QFETCH(int, mode);
    QFETCH(int, result);
    QFETCH(bool, visible);
    QFETCH(bool, maximized);
    ProgramFolder folder;
    Answers answers;
    WindowUnderTest test(automationServer, answers);
    MainWindowGui& window = test.make();
    QCOMPARE(int(window.GUI_Show(mode)), result);
    QCOMPARE(window.isVisible(), visible);
    if (maximized)
        QVERIFY(window.isMaximized());
}

void tst_MainWindowGui::guiHideOnlyAsServer_data()
{
    QTest::addColumn<bool>("automationServer");
    QTest::addColumn<bool>("visibleAfter");
    QTest::newRow("server") << true << false;
    QTest::newRow("stand-alone") << false << true;
}

void tst_MainWindowGui::guiHideOnlyAsServer()
{
    QFETCH(bool, automationServer);
    QFETCH(bool, visibleAfter);
    ProgramFolder folder;
    Answers answers;
    WindowUnderTest test(automationServer, answers);
    MainWindowGui& window = test.make();
    window.show();
    window.liveViewDock()->show();
    QCOMPARE(window.GUI_Hide(), Errors::Type_Error(0));
    QCOMPARE(window.isVisible(), visibleAfter);
    QCOMPARE(window.liveViewDock()->isVisible(), visibleAfter);
    // The server's layout is kept for its next show.
    QCOMPARE(QFileInfo::exists(Gui_Helper::windowStatePath(QStringLiteral("MainWindowGui"))), automationServer);
}

void tst_MainWindowGui::close_data()
{
    QTest::addColumn<bool>("automationServer");
    QTest::addColumn<bool>("objectAlive");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("quits");
    QTest::newRow("server: only hides") << true << false << false << 0;
    QTest::newRow("server with a client: only hides") << true << true << false << 0;
    QTest::newRow("stand-alone, no client: ends") << false << false << true << 1;
    QTest::newRow("stand-alone with a client: closes, goes on") << false << true << true << 0;
}

void tst_MainWindowGui::close()
{
    QFETCH(bool, automationServer);
    QFETCH(bool, objectAlive);
    QFETCH(bool, accepted);
    QFETCH(int, quits);
    ProgramFolder folder;
    Answers answers;
    WindowUnderTest test(automationServer, answers);
    MainWindowGui& window = test.make();
    window.show();
    std::unique_ptr<COM_Class> object(objectAlive ? new COM_Class() : nullptr);

    QCloseEvent event;
    QApplication::sendEvent(&window, &event);
    QCOMPARE(event.isAccepted(), accepted);
    QCOMPARE(m_quits, quits);
    if (!accepted)
        QVERIFY(window.isHidden());
}

void tst_MainWindowGui::closeStopsTheAnalysisAndOffersToSave_data()
{
    QTest::addColumn<QString>("settings"); // loaded before the edit
    QTest::addColumn<bool>("cameraEdited");
    QTest::addColumn<QStringList>("boxes");
    const QString demo = ColonySettings::demoFolder() + QStringLiteral("/Demo_Plate_gray.ColonySettings");
    QTest::newRow("settings from a file") << ColonySettings::defaultFilePath() << false << QStringList{"Save"};
    // Edited demo settings are offered too (through Save As, never over the demo file).
    QTest::newRow("demo settings") << demo << false << QStringList{"Save"};
    QTest::newRow("changed camera settings") << demo << true << QStringList{"Save camera settings ...", "Save"};
    QTest::newRow("both changed") << ColonySettings::defaultFilePath() << true
                                  << QStringList{"Save camera settings ...", "Save"};
}

void tst_MainWindowGui::closeStopsTheAnalysisAndOffersToSave()
{
    QFETCH(QString, settings);
    QFETCH(bool, cameraEdited);
    QFETCH(QStringList, boxes);
    ProgramFolder folder;
    Answers answers;
    answers.boxAnswer = QMessageBox::No;
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    window.show();
    QCOMPARE(window.loadColonySettings(settings, false), Errors::Type_Error(0));
    window.colonySettings()->Colony.AreaMin += 0.5;
    window.colonySettingsGui()->notifySettingsEdited();
    if (cameraEdited)
        window.cameraSettings()->SetCustom(Camera_Settings::CustomSignal_Modified, QVariant(true));
    QCOMPARE(window.Camera_LoadPicture(QStringLiteral("settings/ColonyDemo/Demo_Plate_gray.tif")),
             Errors::Type_Error(0));
    QCOMPARE(window.AnalyseColonies_Start(QString()), Errors::Type_Error(0));

    QCloseEvent event;
    QApplication::sendEvent(&window, &event);
    QVERIFY(event.isAccepted());
    bool running = true;
    window.colonyAnalyserGui()->worker()->CheckRunning(running);
    QVERIFY(!running);
    QCOMPARE(answers.titles(), boxes);
    QVERIFY(QFileInfo::exists(Gui_Helper::windowStatePath(QStringLiteral("MainWindowGui"))));
}

void tst_MainWindowGui::exitAfterAnEditedDemo_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveAs"); // answer of the Save As dialog; empty: cancelled
    QTest::addColumn<bool>("closed");
    QTest::newRow("cancel keeps the window") << int(QMessageBox::Cancel) << "" << false;
    QTest::newRow("cancelled save as keeps the window") << int(QMessageBox::Yes) << "" << false;
    QTest::newRow("saved under a name of its own") << int(QMessageBox::Yes) << "settings/Colony/Mine.ColonySettings"
                                                   << true;
    QTest::newRow("edits dropped") << int(QMessageBox::No) << "" << true;
}

// Demo settings are bound to no file: their edits are offered at Exit like any others.
void tst_MainWindowGui::exitAfterAnEditedDemo()
{
    QFETCH(int, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, closed);
    ProgramFolder folder;
    Answers answers;
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    window.startShow();
    window.form()->m_QAction_Menubar_Colony_Demo_Plate->trigger();
    QCOMPARE(DemoTruth::waitForAnalysis(window), Errors::Type_Error(0));
    QVERIFY(window.colonySettingsFileName().isEmpty());
    window.colonySettings()->Colony.AreaMin += 0.5;
    window.colonySettingsGui()->notifySettingsEdited();
    answers.boxes.clear();
    answers.boxAnswer = QMessageBox::StandardButton(answer);
    answers.fileAnswer = saveAs.isEmpty() ? QString() : folder.filePath(saveAs);

    window.form()->m_QAction_Menubar_System_Exit->trigger();

    QCOMPARE(answers.titles(), QStringList{"Save"});
    QCOMPARE(answers.boxes.first().text, QStringLiteral("Save modified colony settings \"Demo_Plate_gray\" ?"));
    QCOMPARE(window.isVisible(), !closed);
    QCOMPARE(m_quits, closed ? 1 : 0);
    QCOMPARE(window.colonySettingsGui()->isModified(), !closed);
    if (!saveAs.isEmpty()) {
        ColonySettings saved;
        QVERIFY(saved.loadFromFile(saveAs));
        QCOMPARE(saved.Colony.AreaMin, window.colonySettings()->Colony.AreaMin);
        QCOMPARE(window.colonySettingsFileName(), folder.filePath(saveAs));
    }
}

// The whole scenario with a client on the bus: the operator closes the stand-alone window
// while the control software holds an object; its release then ends the program.
void tst_MainWindowGui::closingWithAClientAttachedOnlyHides()
{
    ProgramFolder folder;
    Answers answers;
    PrivateSessionBus bus;
    QVERIFY2(bus.start(), qPrintable(bus.error()));
    Automation_Server server(createAxFactory(), bus.connect(QStringLiteral("server")));
    QVERIFY(server.start(QAxFactory::SingleInstance));
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    window.startShow();
    setAutomationMainWindow(&window);
    setApplicationRunning(true);

    Automation_Client client(bus.connect(QStringLiteral("client")));
    auto inClientThread = [](const std::function<void()>& work) {
        std::unique_ptr<QThread> thread(QThread::create(work));
        QSignalSpy finished(thread.get(), &QThread::finished);
        thread->start();
        return finished.wait(ProgramUnderTest::TimeoutMs);
    };
    QString error;
    bool attached = false;
    QVERIFY(inClientThread(
        [&] { attached = client.attach(ProgramUnderTest::serviceName(), QStringLiteral("COM_Class"), error); }));
    QVERIFY2(attached, qPrintable(error));
    QCOMPARE(automationObjectCount(), 1);

    QVERIFY(window.close());
    QVERIFY(window.isHidden());
    QCOMPARE(m_quits, 0);

    QVariantList visible;
    QVERIFY(inClientThread([&] { visible = client.call(QStringLiteral("GUI_IsVisible")).arguments(); }));
    QCOMPARE(visible, (QVariantList{0, false}));
    bool released = false;
    QVERIFY(inClientThread([&] { released = client.release(error); }));
    QVERIFY2(released, qPrintable(error));
    QCOMPARE(m_quits, 1);
    QVERIFY(!server.isOffered(QStringLiteral("COM_Class")));
}

void tst_MainWindowGui::programAndPicturePaths()
{
    ProgramFolder folder;
    Answers answers;
    WindowUnderTest test(true, answers);
    MainWindowGui& window = test.make();
    QString path;
    QCOMPARE(window.Application_Get_ProgrammPath(path), Errors::Type_Error(0));
    QCOMPARE(path, QDir::toNativeSeparators(QDir::currentPath() + QStringLiteral("/")));
    window.appSettings()->database.PicturePath = QStringLiteral("database/pictures");
    QCOMPARE(window.ApplicationSettings_Get_DatabasePicturePath(path), Errors::Type_Error(0));
    QCOMPARE(path, QDir::toNativeSeparators(QDir::currentPath() + QStringLiteral("/database/pictures/")));
}

QTEST_MAIN(tst_MainWindowGui)
#include "tst_MainWindowGui.moc"
