#include "MainWindowGui.h"

#include "ui_MainWindowGui.h"

#include "AnalyserGui.h"
#include "AppErrors.h"
#include "AppSettings.h"
#include "ApplicationConstants.h"
#include "AutomationState.h"
#include "Automation_Call.h"
#include "Camera.h"
#include "CameraOperations.h"
#include "Camera_LiveView_Gui.h"
#include "Camera_Settings.h"
#include "ColonyAnalyserGui.h"
#include "ColonyAnalysisOperations.h"
#include "CommandFailureBox.h"
#include "ColonySettingsFiles.h"
#include "ColonySettingsGui.h"
#include "DatabaseQueries.h"
#include "Gui_Helper.h"
#include "Gui_Helper_ScreenKeeper.h"
#include "Hobject_View_Gui.h"
#include "ImageStitcherGui.h"
#include "ImageStitcherOperations.h"
#include "ImageStitcherSettings.h"
#include "ImageStitcherSettingsFiles.h"
#include "ImageStitcherSettingsGui.h"
#include "StitcherCommands.h"
#include "InstrumentSettings.h"
#include "LiveViewCallbacks.h"
#include "LiveViewOperations.h"
#include "MessageBox_Helper.h"
#include "PictureCommands.h"
#include "PictureFileLoader.h"
#include "ResultCommands.h"
#include "SqlServerOdbc.h"
#include "StartupSteps.h"
#include "SystemCommands.h"

#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QScrollArea>

// Q_INIT_RESOURCE declares its function in the enclosing namespace, so this stays global.
static void initMainWindowResources()
{
    Q_INIT_RESOURCE(MainWindowGui);
}

namespace {

QString symbol(const QString& fileName)
{
    return QStringLiteral("pictures:/Symbols/") + fileName;
}

} // namespace

QString MainWindowGui::instrumentSettingsFilePath()
{
    return InstrumentSettings::defaultFilePath();
}

QString MainWindowGui::appSettingsFilePath()
{
    return SystemCommands::appSettingsFilePath();
}

MainWindowGui::MainWindowGui(QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
    , m_ui(std::make_unique<Ui::MainWindowGui>())
{
    initMainWindowResources();
    // The window's own open reaches SQL Server through FreeTDS.
    SqlServerOdbc::useFreeTds();
    m_ui->setupUi(this);
    // The window layout files carry this name.
    Gui_Helper::setObjectName(this, QString());
    setWindowIcon(QIcon(QStringLiteral("pictures:/Programm.png")));
    setWindowTitle(ApplicationConstants::applicationName() + QStringLiteral(" V") + ApplicationConstants::version());
    setActionIcons();
    m_ui->m_QToolBar_Main->setWindowTitle(tr("Toolbar"));

    m_appSettings = new AppSettings(this);
    QString reason;
    if (!StartupSteps::loadApplicationSettings(*m_appSettings, appSettingsFilePath(), m_appSettingsFileName, reason)
        && !reason.isEmpty())
        StartupSteps::reportUnreadableSettingsFile(this, appSettingsFilePath(), reason);
    m_instrumentSettings = new InstrumentSettings(this);
    // A file that cannot be written keeps the offsets in memory, as the application settings do.
    if (!m_instrumentSettings->loadOrCreate(instrumentSettingsFilePath(), &reason)
        && QFileInfo::exists(instrumentSettingsFilePath()))
        StartupSteps::reportUnreadableSettingsFile(this, instrumentSettingsFilePath(), reason);
    m_colonySettings = new ColonySettings(this);
    m_colonySettingsFiles = std::make_unique<ColonySettingsFiles>(m_colonySettings);
    m_imageStitcherSettings = new ImageStitcherSettings(this);

    StartupSteps::warnAboutSecondInstance(this);
    StartupSteps::checkCameraDriver(this);

    m_database = new ApplicationDatabase(this, ApplicationConstants::applicationName(), this);
    StartupSteps::prepareDatabaseFile(*m_database, m_appSettings->database);
    StartupSteps::reportDatabaseOpen(this, openDatabase());

    Camera_Settings::SetDefaultColorSpace(1);
    Camera_Settings::SetDefaultExposureTime(200.0);
    Camera_Settings::SetDefaultEdgeEnhancement(2);
    Camera_Settings::SetDefaultWhiteBalanceMode(1);
    Camera_Settings::SetDefaultRotate(1);
    Camera_Settings::SetDefaultMultiples(1);
    Camera_Settings::SetDefaultMirrorLeftRight(false);
    Camera_Settings::SetDefaultMirrorUpDown(false);
    m_cameraSettings = new Camera_Settings(this);
    m_camera = new Camera(m_cameraSettings, QThread::LowestPriority, this);
    m_crossModel = new ModelMatching(QStringLiteral("CrossModel"), &m_imageStitcherSettings->data().CrossModel, this);
    m_imageStitcherSettings->setCrossModel(m_crossModel);
    m_imageStitcherSettingsFiles = std::make_unique<ImageStitcherSettingsFiles>(m_imageStitcherSettings, m_crossModel);

    m_analyserGui = new AnalyserGui(m_colonySettings, m_imageStitcherSettings, this);
    setCentralWidget(m_analyserGui);
    // Named like its page, as System Information lists the views by name.
    m_imageStitcherResultView =
        new Hobject_View_Gui(m_analyserGui->imageStitcherResultPage(), QStringLiteral("Image Stitcher Result"));
    Gui_Helper::fillParentWidget(m_imageStitcherResultView, true, false);
    m_imageStitcherGui = new ImageStitcherGui(m_database, m_appSettings, m_cameraSettings, m_imageStitcherSettings,
                                              m_crossModel, m_imageStitcherResultView, m_camera,
                                              m_analyserGui->imageStitcherPage());
    Gui_Helper::fillParentWidget(m_imageStitcherGui, true, false);
    m_colonyAnalyserGui = new ColonyAnalyserGui(m_database, m_appSettings, m_cameraSettings, m_colonySettings,
                                                m_analyserGui->colonyAnalyserPage());
    Gui_Helper::fillParentWidget(m_colonyAnalyserGui, true, false);

    createDocks();
    loadDefaultSettingsFiles();
    createOperations();

    Gui_Helper::applyWidgetStyles(this, true, true, true);
    // Layouts are kept only where their folder exists; a first start makes it.
    QDir().mkpath(QFileInfo(Gui_Helper::windowStatePath(objectName())).path());
    if (!Gui_Helper::restoreWindowLayout(this, QString()))
        resetWindowLayout();
    connectActions();
    // Reading the records at start is no change: a debounced notice still pending would make
    // the Colony Analyser page restart the first analysis a client asks for.
    for (Settings_Change_Helper* record : std::initializer_list<Settings_Change_Helper*>{
             m_appSettings, m_instrumentSettings, m_colonySettings, m_cameraSettings, m_imageStitcherSettings}) {
        record->setChangedBlocked(true);
        record->setChangedBlocked(false);
    }
}

MainWindowGui::~MainWindowGui()
{
    // What waiting automation calls would still do works on the parts below: they end first.
    Automation_Call::endAll();
    // The stitcher's worker reads the cross model and the template picture the stitcher
    // settings editor holds: it ends before anything here goes.
    m_imageStitcherGui->endWorker();
    // Reads still under way answer the commands: they end before the commands go.
    m_colonyPictureReads.reset();
    m_stitcherPictureReads.reset();
    // The operations hold no parts; they go first.
    m_liveViewOperations.reset();
    m_cameraOperations.reset();
    m_systemCommands.reset();
    m_stitcherCommands.reset();
    m_imageStitcher.reset();
    m_resultCommands.reset();
    m_pictureCommands.reset();
    m_colonyAnalysis.reset();
    m_databaseQueries.reset();
    // The colony settings editor's mouse tools draw on the analyser page's viewer: editor
    // first, then the page.
    m_imageStitcherSettingsFiles->setEditor(nullptr);
    delete m_imageStitcherSettingsGui;
    delete m_imageStitcherSettingsDock;
    m_colonySettingsFiles->setEditor(nullptr);
    delete m_colonySettingsGui;
    delete m_colonySettingsDock;
    delete m_liveViewDock;
    delete m_cameraSettingsDock;
    delete m_colonyAnalyserGui;
    delete m_imageStitcherGui;
    delete m_imageStitcherResultView;
    delete m_analyserGui;
    delete m_crossModel;
    // The camera's thread ends before its settings go; the page that stored their text is gone.
    delete m_camera;
    delete m_cameraSettings;
    delete m_database;
    delete m_appSettings;
    delete m_instrumentSettings;
    m_imageStitcherSettingsFiles.reset();
    delete m_imageStitcherSettings;
    m_colonySettingsFiles.reset();
    delete m_colonySettings;
}

void MainWindowGui::setActionIcons()
{
    Ui::MainWindowGui& ui = *m_ui;
    const struct {
        QAction* action;
        const char* file;
    } icons[] = {
        {ui.m_QAction_Menubar_System_Settings, "Settings.png"},
        {ui.m_QAction_Menubar_View_CameraSettings, "CameraSettings.png"},
        {ui.m_QAction_Menubar_View_LiveView, "LiveView.png"},
        {ui.m_QAction_Menubar_View_ColonySettings, "ColonySettings.png"},
        {ui.m_QAction_Menubar_Help_About, "About.png"},
        {ui.m_QAction_Toolbar_LiveView, "LiveView.png"},
        {ui.m_QAction_Toolbar_CameraConnect, "CameraConnect.png"},
        {ui.m_QAction_Toolbar_View_CameraSettings, "CameraSettings.png"},
        {ui.m_QAction_Toolbar_View_ColonySettings, "ColonySettings.png"},
        {ui.m_QAction_Toolbar_PictureFromCamera, "ColonyAnalyseFromCamera.png"},
        {ui.m_QAction_Toolbar_PictureFromFile, "ColonyAnalyseFromFile.png"},
        {ui.m_QAction_Menubar_System_Exit, "Exit.png"},
        {ui.m_QAction_Menubar_PictureFromCamera, "ColonyAnalyseFromCamera.png"},
        {ui.m_QAction_Menubar_PictureFromFile, "ColonyAnalyseFromFile.png"},
        {ui.m_QAction_Menubar_PictureFromDatabase, "ColonyAnalyseFromDatabase.png"},
        {ui.m_QAction_Menubar_System_CameraConnect, "CameraConnect.png"},
        {ui.m_QAction_Toolbar_PictureFromDatabase, "ColonyAnalyseFromDatabase.png"},
        {ui.m_QAction_Toolbar_Colony_Demo_Plate, "ColonyDemoPlate.png"},
        {ui.m_QAction_Menubar_Colony_Demo_Plate, "ColonyDemoPlate.png"},
        {ui.m_QAction_Menubar_Colony_Demo_PetriPlate, "ColonyDemoPetriPlate.png"},
        {ui.m_QAction_Toolbar_Colony_Demo_PetriPlate, "ColonyDemoPetriPlate.png"},
        {ui.m_QAction_Menubar_Analyse_Analyse_Start, "AnalyseAnalysingStart.png"},
        {ui.m_QAction_Menubar_Analyse_Database_Save, "AnalyseDatabaseSave.png"},
        {ui.m_QAction_Menubar_View_ResetWindowLayout, "ResetWindowLayout.png"},
        {ui.m_QAction_Menubar_Help_SystemInformation, "SystemInformation.png"},
        {ui.m_QAction_Menubar_Help_PDFManual, "PDFManual.png"},
        {ui.m_QAction_Menubar_Stitcher_Demo_QTrayPlate, "ImageStitcherSettings.png"},
        {ui.m_QAction_Menubar_View_ImageStitcherSettings, "ImageStitcherSettings.png"},
        {ui.m_QAction_Toolbar_View_ImageStitcherSettings, "ImageStitcherSettings.png"},
        {ui.m_QAction_Toolbar_Stitcher_Demo_QTrayPlate, "ImageStitcherSettings.png"},
    };
    for (const auto& entry : icons)
        entry.action->setIcon(QIcon(symbol(QLatin1String(entry.file))));
}

QDockWidget* MainWindowGui::createDock(const QString& title, const QString& objectName)
{
    auto* dock = new QDockWidget(title, this);
    // The saved window state finds docks by these names, also while a dock is still empty.
    dock->setObjectName(objectName);
    dock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable
                      | QDockWidget::DockWidgetClosable);
    dock->setAllowedAreas(Qt::AllDockWidgetAreas);
    addDockWidget(Qt::LeftDockWidgetArea, dock);
    return dock;
}

void MainWindowGui::setScrolledDockWidget(QDockWidget* dock, QWidget* editor)
{
    // The settings editors are taller than small screens; their docks scroll instead of
    // making the window larger than the screen.
    dock->setWidget(Gui_Helper_ScreenKeeper::scrollArea(editor, dock));
}

void MainWindowGui::createDocks()
{
    m_colonySettingsDock = createDock(tr("Colony settings"), QStringLiteral("ColonySettingsGui"));
    m_colonySettingsGui =
        new ColonySettingsGui(this, m_colonyAnalyserGui->halconView(), m_colonySettings, m_colonySettingsDock);
    setScrolledDockWidget(m_colonySettingsDock, m_colonySettingsGui);
    m_colonySettingsFiles->setEditor(m_colonySettingsGui);
    m_imageStitcherSettingsDock = createDock(tr("Imagestitcher settings"), QStringLiteral("ImageStitcherSettingsGui"));
    m_imageStitcherSettingsGui =
        new ImageStitcherSettingsGui(this, m_imageStitcherGui->getHalconViews(), m_imageStitcherGui->getHobjectView(),
                                     m_imageStitcherSettings, m_crossModel, m_imageStitcherSettingsDock);
    setScrolledDockWidget(m_imageStitcherSettingsDock, m_imageStitcherSettingsGui);
    m_imageStitcherSettingsFiles->setEditor(m_imageStitcherSettingsGui);
    m_cameraSettingsDock = createDock(tr("Camera settings"), QStringLiteral("Camera_Settings_Gui"));
    m_cameraSettingsGui = new Camera_Settings_Gui(this, m_camera, m_cameraSettingsDock);
    setScrolledDockWidget(m_cameraSettingsDock, m_cameraSettingsGui);
    m_cameraOperations = std::make_unique<CameraOperations>(m_camera, m_cameraSettingsGui);
    m_liveViewDock = createDock(tr("Camera live view"), QStringLiteral("Camera_LiveView_Gui"));
    m_liveViewCallbacks =
        std::make_unique<LiveViewCallbacks>([this](bool visible) { setLiveViewActionsChecked(visible); });
    m_liveViewGui = new Camera_LiveView_Gui(m_liveViewCallbacks.get(), m_camera, m_liveViewDock);
    m_liveViewDock->setWidget(m_liveViewGui);
}

void MainWindowGui::loadDefaultSettingsFiles()
{
    if (!m_cameraOperations->loadAtStart(Camera_Settings::defaultFilePath()))
        StartupSteps::reportUnreadableSettingsFile(this, Camera_Settings::defaultFilePath(), QString());
    QString reason;
    if (!m_colonySettingsFiles->loadAtStart(ColonySettings::defaultFilePath(), reason))
        StartupSteps::reportUnreadableSettingsFile(this, ColonySettings::defaultFilePath(), reason);
    if (!m_imageStitcherSettingsFiles->loadAtStart(ImageStitcherSettingsFiles::defaultFilePath()))
        StartupSteps::reportUnreadableSettingsFile(this, ImageStitcherSettingsFiles::defaultFilePath(), QString());
}

void MainWindowGui::createOperations()
{
    m_databaseQueries = std::make_unique<DatabaseQueries>(m_database, m_instrumentSettings);
    // The database was opened before the queries existed.
    m_databaseQueries->databaseOpened(m_appSettings->database, m_database->database()->isOpen());
    m_liveViewOperations =
        std::make_unique<LiveViewOperations>(m_liveViewGui, m_liveViewDock, [this] { return isHidden(); });
    m_colonyPictureReads = std::make_unique<PictureFileLoader>();
    m_stitcherPictureReads = std::make_unique<PictureFileLoader>();
    m_colonyAnalysis = std::make_unique<ColonyAnalysisOperations>(*m_colonySettingsFiles, m_camera,
                                                                  m_colonyAnalyserGui, m_instrumentSettings,
                                                                  m_database, m_colonyPictureReads.get());

    StitcherCommands::Parts stitcherParts;
    stitcherParts.window = this;
    stitcherParts.page = m_imageStitcherGui;
    stitcherParts.colonyPage = m_colonyAnalyserGui;
    stitcherParts.crossModel = m_crossModel;
    stitcherParts.settings = m_imageStitcherSettings;
    stitcherParts.files = m_imageStitcherSettingsFiles.get();
    stitcherParts.editor = m_imageStitcherSettingsGui;
    stitcherParts.colonyFiles = m_colonySettingsFiles.get();
    stitcherParts.colonyEditor = m_colonySettingsGui;
    stitcherParts.loader = m_stitcherPictureReads.get();
    stitcherParts.colonyLoader = m_colonyPictureReads.get();
    m_stitcherCommands = std::make_unique<StitcherCommands>(stitcherParts);

    PictureCommands::Parts pictureParts;
    pictureParts.window = this;
    pictureParts.analyser = m_analyserGui;
    pictureParts.page = m_colonyAnalyserGui;
    pictureParts.camera = m_cameraOperations.get();
    pictureParts.colonySettings = m_colonySettings;
    pictureParts.colonyFiles = m_colonySettingsFiles.get();
    pictureParts.colonyEditor = m_colonySettingsGui;
    pictureParts.database = m_database;
    pictureParts.stitcherPage = m_imageStitcherGui;
    pictureParts.stitcher = m_stitcherCommands.get();
    pictureParts.loader = m_colonyPictureReads.get();
    pictureParts.stitcherLoader = m_stitcherPictureReads.get();
    m_pictureCommands = std::make_unique<PictureCommands>(pictureParts);
    m_imageStitcher = std::make_unique<ImageStitcherOperations>(*m_imageStitcherSettingsFiles, m_imageStitcherSettings,
                                                                m_camera, m_imageStitcherGui,
                                                                m_stitcherPictureReads.get());

    ResultCommands::Parts resultParts;
    resultParts.window = this;
    resultParts.analyser = m_analyserGui;
    resultParts.page = m_colonyAnalyserGui;
    resultParts.stitcherPage = m_imageStitcherGui;
    resultParts.editColonies = [this] { return AnalyseColonies_UserEditColonies(); };
    m_resultCommands = std::make_unique<ResultCommands>(resultParts);

    SystemCommands::Parts systemParts;
    systemParts.window = this;
    systemParts.databaseOpener = this;
    systemParts.database = m_database;
    systemParts.appSettings = m_appSettings;
    systemParts.appSettingsFileName = &m_appSettingsFileName;
    systemParts.instrumentSettings = m_instrumentSettings;
    m_systemCommands = std::make_unique<SystemCommands>(systemParts);
}

void MainWindowGui::connectActions()
{
    Ui::MainWindowGui& ui = *m_ui;
    const struct {
        QAction* action;
        void (MainWindowGui::*slot)();
    } actions[] = {
        {ui.m_QAction_Menubar_System_Settings, &MainWindowGui::slot_QAction_Menubar_System_Settings_triggered},
        {ui.m_QAction_Menubar_System_InstrumentSettings, &MainWindowGui::slot_QAction_InstrumentSettings_triggered},
        {ui.m_QAction_Menubar_System_Exit, &MainWindowGui::slot_QAction_Menubar_System_Exit_triggered},
        {ui.m_QAction_Menubar_View_ResetWindowLayout, &MainWindowGui::slot_QAction_Menubar_View_ResetWindowLayout},
        {ui.m_QAction_Menubar_System_CameraConnect, &MainWindowGui::slot_QAction_CameraConnect_triggered},
        {ui.m_QAction_Menubar_PictureFromCamera, &MainWindowGui::slot_QAction_PictureFromCamera_triggered},
        {ui.m_QAction_Menubar_PictureFromFile, &MainWindowGui::slot_QAction_PictureFromFile_triggered},
        {ui.m_QAction_Menubar_PictureFromDatabase, &MainWindowGui::slot_QAction_PictureFromDatabase_triggered},
        {ui.m_QAction_Menubar_Colony_Demo_Plate, &MainWindowGui::slot_QAction_Colony_Demo_Plate_triggered},
        {ui.m_QAction_Menubar_Colony_Demo_PetriPlate, &MainWindowGui::slot_QAction_Colony_Demo_PetriPlate_triggered},
        {ui.m_QAction_Menubar_Stitcher_Demo_QTrayPlate, &MainWindowGui::slot_QAction_Stitcher_Demo_QTrayPlate_triggered},
        {ui.m_QAction_Toolbar_Stitcher_Demo_QTrayPlate, &MainWindowGui::slot_QAction_Stitcher_Demo_QTrayPlate_triggered},
        {ui.m_QAction_Menubar_View_ImageStitcherSettings,
         &MainWindowGui::slot_QAction_View_ImageStitcherSettings_triggered},
        {ui.m_QAction_Toolbar_View_ImageStitcherSettings,
         &MainWindowGui::slot_QAction_View_ImageStitcherSettings_triggered},
        {ui.m_QAction_Menubar_Analyse_Analyse_Start, &MainWindowGui::slot_QAction_Analyse_Analyse_Start_triggered},
        {ui.m_QAction_Menubar_Analyse_EditColonies, &MainWindowGui::slot_QAction_Analyse_EditColonies_triggered},
        {ui.m_QAction_Menubar_Analyse_Database_Save, &MainWindowGui::slot_QAction_Analyse_Database_Save_triggered},
        {ui.m_QAction_Menubar_Analyse_ExportColonyResults,
         &MainWindowGui::slot_QAction_Analyse_ExportColonyResults_triggered},
        {ui.m_QAction_Menubar_Help_About, &MainWindowGui::slot_QAction_Menubar_Help_About_triggered},
        {ui.m_QAction_Menubar_Help_SystemInformation,
         &MainWindowGui::slot_QAction_Menubar_Help_SystemInformation_triggered},
        {ui.m_QAction_Menubar_Help_PDFManual, &MainWindowGui::slot_QAction_Menubar_Help_PDFManual_triggered},
        {ui.m_QAction_Menubar_View_CameraSettings, &MainWindowGui::slot_QAction_View_CameraSettings_triggered},
        {ui.m_QAction_Menubar_View_LiveView, &MainWindowGui::slot_QAction_LiveView_triggered},
        {ui.m_QAction_Menubar_View_ColonySettings, &MainWindowGui::slot_QAction_View_ColonySettings_triggered},
        {ui.m_QAction_Toolbar_CameraConnect, &MainWindowGui::slot_QAction_CameraConnect_triggered},
        {ui.m_QAction_Toolbar_View_CameraSettings, &MainWindowGui::slot_QAction_View_CameraSettings_triggered},
        {ui.m_QAction_Toolbar_LiveView, &MainWindowGui::slot_QAction_LiveView_triggered},
        {ui.m_QAction_Toolbar_View_ColonySettings, &MainWindowGui::slot_QAction_View_ColonySettings_triggered},
        {ui.m_QAction_Toolbar_PictureFromCamera, &MainWindowGui::slot_QAction_PictureFromCamera_triggered},
        {ui.m_QAction_Toolbar_PictureFromFile, &MainWindowGui::slot_QAction_PictureFromFile_triggered},
        {ui.m_QAction_Toolbar_PictureFromDatabase, &MainWindowGui::slot_QAction_PictureFromDatabase_triggered},
        {ui.m_QAction_Toolbar_Colony_Demo_Plate, &MainWindowGui::slot_QAction_Colony_Demo_Plate_triggered},
        {ui.m_QAction_Toolbar_Colony_Demo_PetriPlate, &MainWindowGui::slot_QAction_Colony_Demo_PetriPlate_triggered},
    };
    for (const auto& entry : actions)
        connect(entry.action, &QAction::triggered, this, entry.slot);
    connect(m_camera, &Camera::signal_open, this, &MainWindowGui::slot_Camera_open);
    connect(m_camera, &Camera::signal_close, this, &MainWindowGui::slot_Camera_close);
    connect(m_colonySettingsGui, &ColonySettingsGui::signal_GetRefPointOffset, m_colonyAnalyserGui,
            &ColonyAnalyserGui::slot_GetRefPointOffset);
    connect(m_colonySettings, &ColonySettings::signal_custom, this, &MainWindowGui::slot_ColonySettings_custom);
    connect(m_imageStitcherSettings, &ImageStitcherSettings::signal_custom, this,
            &MainWindowGui::slot_ImageStitcherSettings_custom);
    connect(m_crossModel, &ModelMatching::signal_ModeChanged, this, &MainWindowGui::slot_CrossModel_ModeChanged);
}

void MainWindowGui::startShow()
{
    if (isAutomationServer()) {
        m_ui->m_QMenuBar_MainMenu->hide();
        m_ui->m_QToolBar_Main->hide();
        m_cameraSettingsDock->hide();
        m_liveViewDock->hide();
        m_colonySettingsDock->hide();
        m_imageStitcherSettingsDock->hide();
        return;
    }
    show();
    // Geometry and dock state only fit once the window is shown.
    if (!Gui_Helper::restoreWindowLayout(this, QString()))
        resetWindowLayout();
    // A layout saved on a larger screen, or a maximise no window manager carries out.
    Gui_Helper_ScreenKeeper::fit(this);
}

void MainWindowGui::resetWindowLayout()
{
    const QScreen* screen = this->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
    removeToolBar(m_ui->m_QToolBar_Main);
    removeDockWidget(m_liveViewDock);
    removeDockWidget(m_colonySettingsDock);
    removeDockWidget(m_cameraSettingsDock);
    // Maximised, not shown: a server's window stays hidden until a client shows it. Without a
    // window manager nobody carries the maximise out: the keeper puts the frame on the
    // available area as one would (the whole client area there would put the frame beyond).
    setWindowState(windowState() | Qt::WindowMaximized);
    Gui_Helper_ScreenKeeper::fit(this);
    addToolBar(Qt::TopToolBarArea, m_ui->m_QToolBar_Main);
    addDockWidget(Qt::LeftDockWidgetArea, m_colonySettingsDock, Qt::Vertical);
    addDockWidget(Qt::LeftDockWidgetArea, m_cameraSettingsDock, Qt::Vertical);
    addDockWidget(Qt::LeftDockWidgetArea, m_liveViewDock, Qt::Vertical);
    m_ui->m_QToolBar_Main->show();
    m_liveViewDock->setFloating(true);
    m_liveViewDock->hide();
    m_liveViewDock->setGeometry(available.adjusted(100, 100, -100, -100));
    m_colonySettingsDock->setFloating(false);
    m_colonySettingsDock->show();
    m_cameraSettingsDock->setFloating(false);
    m_cameraSettingsDock->show();
    tabifyDockWidget(m_cameraSettingsDock, m_imageStitcherSettingsDock);
    tabifyDockWidget(m_cameraSettingsDock, m_colonySettingsDock);
}

void MainWindowGui::closeEvent(QCloseEvent* event)
{
    // A server's window only hides: the process ends with its last client.
    if (isAutomationServer()) {
        GUI_Hide();
        event->ignore();
        return;
    }
    m_colonyAnalyserGui->Stop();
    if (!m_cameraSettingsGui->settingsFileName().isEmpty())
        m_cameraSettingsGui->askSaveChangedSettings();
    // Edits are offered also when the settings have no file of their own (a demo, defaults
    // after a damaged default file); Cancel or a save that did not happen keeps the window.
    if (!m_colonySettingsGui->askSaveModifiedBeforeClose()) {
        event->ignore();
        return;
    }
    if (!m_imageStitcherSettings->data().name.startsWith(QStringLiteral("Demo_"))
        && !m_imageStitcherSettingsFiles->fileName().isEmpty())
        m_imageStitcherSettingsGui->askSaveModified();
    Gui_Helper::saveWindowLayout(this, QString());
    // With clients attached the window goes and the process stays until the last release.
    if (automationObjectCount() == 0)
        quitApplication();
    event->accept();
}

void MainWindowGui::closeDatabase()
{
    m_database->database()->close();
}

bool MainWindowGui::isWindowHidden() const
{
    return isHidden();
}

Errors::Type_Error MainWindowGui::openDatabase()
{
    // The open also puts right what killed saves of the database left.
    const Errors::Type_Error result = m_database->openDatabase(m_appSettings->database);
    if (m_databaseQueries)
        m_databaseQueries->databaseOpened(m_appSettings->database, result == 0);
    return result;
}

void MainWindowGui::showDatabaseError(QString databaseName, QString text)
{
    // An automation client learns of the failure from the code its call returns.
    if (isAutomationServer() || isInAutomationCall())
        return;
    MessageBox_Helper::critical(this, tr("Database \"%1\" error").arg(databaseName), text, QMessageBox::Ok);
}

// ---- Colony settings file (IColonySettingsHost) --------------------------------------------

QString MainWindowGui::colonySettingsFileName()
{
    return m_colonySettingsFiles->fileName();
}

bool MainWindowGui::saveColonySettings(const QString& fileName)
{
    return m_colonySettingsFiles->save(fileName);
}

Errors::Type_Error MainWindowGui::loadColonySettings(const QString& fileName, bool notify)
{
    return m_colonySettingsFiles->load(fileName, notify);
}

bool MainWindowGui::newColonySettings(bool lightTable, const QString& fileName, bool notify)
{
    return m_colonySettingsFiles->reset(lightTable, fileName, notify);
}

void MainWindowGui::setColonySettingsActionsChecked(bool checked)
{
    m_ui->m_QAction_Menubar_View_ColonySettings->setChecked(checked);
    m_ui->m_QAction_Toolbar_View_ColonySettings->setChecked(checked);
}

Errors::Type_Error MainWindowGui::setColonySettingsFromData(const ColonySettingsData& data, const QString& fileName,
                                                            bool notify)
{
    return m_colonySettingsFiles->takeOver(data, fileName, notify);
}

bool MainWindowGui::analysePictureFile(const QString& path)
{
    return m_pictureCommands->analysePictureFile(path);
}

// ---- Image stitcher settings file (IImageStitcherSettingsHost) -----------------------------

QString MainWindowGui::imageStitcherSettingsFileName()
{
    return m_imageStitcherSettingsFiles->fileName();
}

bool MainWindowGui::saveImageStitcherSettings(const QString& fileName)
{
    return m_imageStitcherSettingsFiles->save(fileName);
}

Errors::Type_Error MainWindowGui::loadImageStitcherSettings(const QString& fileName, bool notify)
{
    return m_imageStitcherSettingsFiles->load(fileName, notify);
}

bool MainWindowGui::newImageStitcherSettings(const QString& name, bool notify)
{
    return m_imageStitcherSettingsFiles->reset(name, notify);
}

void MainWindowGui::setImageStitcherSettingsActionsChecked(bool checked)
{
    m_ui->m_QAction_Menubar_View_ImageStitcherSettings->setChecked(checked);
    m_ui->m_QAction_Toolbar_View_ImageStitcherSettings->setChecked(checked);
}

Errors::Type_Error MainWindowGui::setImageStitcherSettingsFromData(ImageStitcherSettings& settings,
                                                                   const QString& fileName, bool notify)
{
    return m_imageStitcherSettingsFiles->takeOver(settings, fileName, notify);
}

bool MainWindowGui::stitchPictureFiles(const QStringList& paths)
{
    return m_stitcherCommands->stitchPictureFiles(paths);
}

// ---- Slots ---------------------------------------------------------------------------------

void MainWindowGui::slot_QAction_Menubar_System_Settings_triggered()
{
    m_systemCommands->applicationSettings();
}

void MainWindowGui::slot_QAction_InstrumentSettings_triggered()
{
    m_systemCommands->instrumentSettings();
}

void MainWindowGui::slot_QAction_Menubar_System_Exit_triggered()
{
    close();
}

void MainWindowGui::slot_QAction_Menubar_View_ResetWindowLayout()
{
    resetWindowLayout();
}

void MainWindowGui::slot_QAction_Menubar_Help_About_triggered()
{
    m_systemCommands->about();
}

void MainWindowGui::slot_QAction_Menubar_Help_SystemInformation_triggered()
{
    m_systemCommands->systemInformation();
}

void MainWindowGui::slot_QAction_Menubar_Help_PDFManual_triggered()
{
    m_systemCommands->manual();
}

void MainWindowGui::slot_QAction_CameraConnect_triggered()
{
    if (const Errors::Type_Error code = m_cameraOperations->toggleByOperator())
        CommandFailureBox::showCode(this, tr("Camera error"), code);
}

void MainWindowGui::toggleDock(QDockWidget* dock, bool raise)
{
    dock->setVisible(!dock->isVisible());
    if (raise && dock->isVisible())
        dock->raise();
}

void MainWindowGui::slot_QAction_LiveView_triggered()
{
    toggleDock(m_liveViewDock, false);
}

void MainWindowGui::slot_QAction_View_CameraSettings_triggered()
{
    toggleDock(m_cameraSettingsDock, true);
}

void MainWindowGui::slot_QAction_View_ColonySettings_triggered()
{
    toggleDock(m_colonySettingsDock, true);
}

void MainWindowGui::slot_QAction_View_ImageStitcherSettings_triggered()
{
    toggleDock(m_imageStitcherSettingsDock, true);
}

void MainWindowGui::slot_QAction_PictureFromCamera_triggered()
{
    m_pictureCommands->fromCamera();
}

void MainWindowGui::slot_QAction_PictureFromFile_triggered()
{
    m_pictureCommands->fromFile();
}

void MainWindowGui::slot_QAction_PictureFromDatabase_triggered()
{
    m_pictureCommands->fromDatabase();
}

void MainWindowGui::slot_QAction_Colony_Demo_Plate_triggered()
{
    m_pictureCommands->colonyDemo(QStringLiteral("Plate_gray"));
}

void MainWindowGui::slot_QAction_Colony_Demo_PetriPlate_triggered()
{
    m_pictureCommands->colonyDemo(QStringLiteral("PetriPlate_gray"));
}

void MainWindowGui::slot_QAction_Stitcher_Demo_QTrayPlate_triggered()
{
    m_stitcherCommands->demo(QStringLiteral("QTray-Plate"));
}

void MainWindowGui::slot_QAction_Analyse_Analyse_Start_triggered()
{
    m_resultCommands->analyseStart();
}

void MainWindowGui::slot_QAction_Analyse_Database_Save_triggered()
{
    m_resultCommands->databaseSave();
}

void MainWindowGui::slot_QAction_Analyse_EditColonies_triggered()
{
    m_resultCommands->editColonies();
}

void MainWindowGui::slot_QAction_Analyse_ExportColonyResults_triggered()
{
    m_resultCommands->exportColonyResults();
}

void MainWindowGui::setCameraConnectActions(bool open)
{
    // Written like every other command, and back to the form's words once the camera is closed.
    const QString text = open ? tr("Camera Disconnect") : tr("Camera Connect");
    m_ui->m_QAction_Toolbar_CameraConnect->setText(text);
    m_ui->m_QAction_Toolbar_CameraConnect->setToolTip(text);
    m_ui->m_QAction_Menubar_System_CameraConnect->setText(open ? tr("&Camera Disconnect") : tr("&Camera Connect"));
    const QIcon icon(symbol(open ? QStringLiteral("CameraDisconnect.png") : QStringLiteral("CameraConnect.png")));
    for (QAction* action : {m_ui->m_QAction_Toolbar_CameraConnect, m_ui->m_QAction_Menubar_System_CameraConnect}) {
        action->setIcon(icon);
        action->setChecked(open);
    }
}

void MainWindowGui::visibilityChanged(bool visible)
{
    m_ui->m_QAction_Menubar_View_CameraSettings->setChecked(visible);
    m_ui->m_QAction_Toolbar_View_CameraSettings->setChecked(visible);
}

void MainWindowGui::titleChanged(QString title)
{
    m_cameraSettingsDock->setWindowTitle(title);
}

void MainWindowGui::setLiveViewActionsChecked(bool checked)
{
    m_ui->m_QAction_Menubar_View_LiveView->setChecked(checked);
    m_ui->m_QAction_Toolbar_LiveView->setChecked(checked);
}

void MainWindowGui::slot_Camera_open()
{
    setCameraConnectActions(true);
}

void MainWindowGui::slot_Camera_close()
{
    setCameraConnectActions(false);
}

void MainWindowGui::slot_ColonySettings_custom(ColonySettings::Enum_CustomSignal id, const QVariant&)
{
    if (id == ColonySettings::CustomSignal_PageLeft)
        m_colonySettingsDock->raise();
}

void MainWindowGui::slot_ImageStitcherSettings_custom(int id, const QVariant&)
{
    if (id == ImageStitcherSettings::CustomSignal_OverviewShown) {
        m_imageStitcherSettingsDock->raise();
        return;
    }
    // The stitcher left the stitched picture as the camera's last picture.
    if (id == ImageStitcherSettings::CustomSignal_StitchedPicture && !isAutomationServer()) {
        Halcon::Hobject picture;
        if (m_camera->GetPicture(picture) == 0)
            m_colonyAnalyserGui->Analyse(picture);
    }
}

void MainWindowGui::slot_CrossModel_ModeChanged(ModelMatching::Enum_Mode mode)
{
    if (mode == ModelMatching::Mode_DefineModel)
        m_analyserGui->showImageStitcher();
}
