#pragma once

#include "AppSettingsGui.h"
#include "ApplicationDatabase.h"
#include "Camera_Settings_Gui.h"
#include "ColonyPickList.h"
#include "ColonySettings.h"
#include "DatabaseQueries.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "IAutomationOperations.h"
#include "IColonySettingsHost.h"
#include "IImageStitcherSettingsHost.h"
#include "ModelMatching.h"

#include <QMainWindow>
#include <QString>
#include <QVariant>

#include <memory>

class AnalyserGui;
class AppSettings;
class Camera;
class CameraOperations;
class Camera_LiveView_Gui;
class Camera_Settings;
class ColonyAnalyserGui;
class ColonyAnalysisOperations;
class ColonySettingsFiles;
class ColonySettingsGui;
class Hobject_View_Gui;
class ImageStitcherGui;
class ImageStitcherOperations;
class ImageStitcherSettings;
class ImageStitcherSettingsFiles;
class ImageStitcherSettingsGui;
class InstrumentSettings;
class LiveViewCallbacks;
class LiveViewOperations;
class PictureCommands;
class PictureFileLoader;
class QCloseEvent;
class QDockWidget;
class ResultCommands;
class StitcherCommands;
class SystemCommands;

namespace Ui {
class MainWindowGui;
}

// The application's one window and the owner of every other part: settings records, the
// database, the camera, the central tab page with the Colony Analyser page, the docks with
// the settings editors. It carries the menus and the tool bar, and it is where the
// automation methods arrive; each operation forwards to the class beside it that does the
// work. GUI thread only.
class MainWindowGui : public QMainWindow,
                      public IAutomationOperations,
                      public IColonySettingsHost,
                      public IImageStitcherSettingsHost,
                      public ApplicationDatabase::ErrorHandler,
                      public AppSettingsGui::CallbackFunctions,
                      private Camera_Settings_Gui::CallbackFunctions {
    Q_OBJECT
public:
    static QString instrumentSettingsFilePath();
    static QString appSettingsFilePath();

    MainWindowGui(QWidget* parent, Qt::WindowFlags flags);
    ~MainWindowGui() override;

    // Once after construction: shows the window stand-alone; as automation server it stays
    // hidden, without menus, tool bar and docks, until GUI_Show.
    void startShow();
    // At the end of the program, after the event loop.
    void closeDatabase();
    // Tool bar on top, the settings docks tabbed on the left, the live view floating hidden.
    void resetWindowLayout();

    // Opens the database the application settings name, by its kind, and checks its version.
    Errors::Type_Error openDatabase() override;
    // The database error box; none in an automation server.
    void showDatabaseError(QString databaseName, QString text) override;

    // The colony settings record's file (IColonySettingsHost).
    QString colonySettingsFileName() override;
    bool saveColonySettings(const QString& fileName) override;
    Errors::Type_Error loadColonySettings(const QString& fileName, bool notify) override;
    bool newColonySettings(bool lightTable, const QString& fileName, bool notify) override;
    void setColonySettingsActionsChecked(bool checked) override;
    Errors::Type_Error setColonySettingsFromData(const ColonySettingsData& data, const QString& fileName, bool notify);

    // Reads a picture file off the GUI thread, then analyses it on the Colony Analyser page;
    // a failure gets its box once it is found. True.
    bool analysePictureFile(const QString& path);

    // The image stitcher settings record's file (IImageStitcherSettingsHost).
    QString imageStitcherSettingsFileName() override;
    bool saveImageStitcherSettings(const QString& fileName) override;
    Errors::Type_Error loadImageStitcherSettings(const QString& fileName, bool notify) override;
    bool newImageStitcherSettings(const QString& name, bool notify) override;
    void setImageStitcherSettingsActionsChecked(bool checked) override;
    Errors::Type_Error setImageStitcherSettingsFromData(ImageStitcherSettings& settings, const QString& fileName,
                                                        bool notify);
    // Resets the Image Stitcher page, reads the pictures off the GUI thread and starts the
    // page on them; false after a box when the reset failed, later failures get theirs when found.
    bool stitchPictureFiles(const QStringList& paths);

    bool isWindowHidden() const override;

    // The parts, for the operations beside the window and for tests.
    Ui::MainWindowGui* form() const { return m_ui.get(); }
    AppSettings* appSettings() const { return m_appSettings; }
    QString appSettingsFileName() const { return m_appSettingsFileName; }
    ColonySettings* colonySettings() const { return m_colonySettings; }
    InstrumentSettings* instrumentSettings() const { return m_instrumentSettings; }
    Camera_Settings* cameraSettings() const { return m_cameraSettings; }
    Camera* camera() const { return m_camera; }
    ApplicationDatabase* database() const { return m_database; }
    AnalyserGui* analyserGui() const { return m_analyserGui; }
    ColonyAnalyserGui* colonyAnalyserGui() const { return m_colonyAnalyserGui; }
    ColonySettingsGui* colonySettingsGui() const { return m_colonySettingsGui; }
    QDockWidget* colonySettingsDock() const { return m_colonySettingsDock; }
    QDockWidget* cameraSettingsDock() const { return m_cameraSettingsDock; }
    QDockWidget* liveViewDock() const { return m_liveViewDock; }
    QDockWidget* imageStitcherSettingsDock() const { return m_imageStitcherSettingsDock; }
    Camera_Settings_Gui* cameraSettingsGui() const { return m_cameraSettingsGui; }
    Camera_LiveView_Gui* liveViewGui() const { return m_liveViewGui; }
    ImageStitcherSettings* imageStitcherSettings() const { return m_imageStitcherSettings; }
    ImageStitcherGui* imageStitcherGui() const { return m_imageStitcherGui; }
    ImageStitcherSettingsGui* imageStitcherSettingsGui() const { return m_imageStitcherSettingsGui; }
    ModelMatching* crossModel() const { return m_crossModel; }
    ImageStitcherOperations* imageStitcherOperations() const { return m_imageStitcher.get(); }
    CameraOperations* cameraOperations() const { return m_cameraOperations.get(); }
    DatabaseQueries& databaseQueries() { return *m_databaseQueries; }

    // Program, window, live view, picture view and camera.
    Errors::Type_Error Application_Get_ProgrammPath(QString& oProgrammPath) override;
    Errors::Type_Error ApplicationSettings_Get_DatabasePicturePath(QString& oDatabasePicturePath) override;
    Errors::Type_Error GUI_Show(int iMode) override;
    Errors::Type_Error GUI_Hide() override;
    Errors::Type_Error GUI_IsVisible(bool& oIsVisible) override;
    Errors::Type_Error GUI_LiveView_Show(int iMode) override;
    Errors::Type_Error GUI_LiveView_Hide() override;
    Errors::Type_Error GUI_LiveView_IsVisible(bool& oIsVisible) override;
    Errors::Type_Error GUI_LiveView_SavePicture(QString ipicturePath, QString iPictureFormat,
                                                int iPictureSizePercent) override;
    Errors::Type_Error GUI_LiveView_CameraFocus_Show(double iPositionX, double iPositionY, double iSizeX, double iSizeY,
                                                     double iAngle, double iGradientValueThreshold,
                                                     double iGradientValueSensibility) override;
    Errors::Type_Error GUI_LiveView_CameraFocus_GetCurrentValue(double& oCurrentGradientValueThreshold,
                                                                double& oMaximumGradientValueThreshold,
                                                                double& oLowerLimitGradientValueThreshold,
                                                                bool& oValueInTollerance) override;
    Errors::Type_Error GUI_LiveView_CameraAperture_Show(double iPositionX, double iPositionY, double iSizeX,
                                                        double iSizeY, double iAngle, double iGrayValueCenter,
                                                        double iGrayValueSensibility) override;
    Errors::Type_Error GUI_LiveView_CameraAperture_GetCurrentValue(double& oCurrentGrayValueCenter,
                                                                   double& oLowerLimitGrayValueCenter,
                                                                   double& oUpperLimitGrayValueCenter,
                                                                   bool& oValueInTollerance) override;
    Errors::Type_Error GUI_LiveView_CameraHomogeneous_Show(double iPositionX, double iPositionY, double iSizeX,
                                                           double iSizeY, double iAngle, int iFilterMode,
                                                           double iHomogeneousValueThreshold,
                                                           double iHomogeneousValueSensibility) override;
    Errors::Type_Error GUI_LiveView_CameraHomogeneous_GetCurrentValue(double& oCurrentHomogeneousValue,
                                                                      double& oMaximumHomogeneousValue,
                                                                      double& oLowerLimitHomogeneousValue,
                                                                      bool& oValueInTollerance) override;
    Errors::Type_Error GUI_LiveView_Draw_ClearAll() override;
    Errors::Type_Error GUI_LiveView_Draw_Clear(QString iObjectName) override;
    Errors::Type_Error GUI_LiveView_Draw_Cross(QString iObjectName, double iPositionX, double iPositionY, double iSize,
                                               double iAngle, QString iColor, int iLineSize) override;
    Errors::Type_Error GUI_LiveView_Draw_Ellipse(QString iObjectName, double iPositionX, double iPositionY,
                                                 double iSizeX, double iSizeY, double iAngle, QString iColor,
                                                 int iLineSize, QString iDrawMode) override;
    Errors::Type_Error GUI_LiveView_Draw_Rectangle(QString iObjectName, double iPositionX, double iPositionY,
                                                   double iSizeX, double iSizeY, double iAngle, QString iColor,
                                                   int iLineSize, QString iDrawMode) override;
    Errors::Type_Error GUI_LiveView_Draw_Line(QString iObjectName, double iPosition1X, double iPosition1Y,
                                              double iPosition2X, double iPosition2Y, QString iColor,
                                              int iLineSize) override;
    Errors::Type_Error GUI_LiveView_Draw_Text(QString iObjectName, double iPositionX, double iPositionY, QString iText,
                                              QString iColor, QString iFontName, int iTextSize) override;
    Errors::Type_Error GUI_PictureView_Clear() override;
    Errors::Type_Error GUI_PictureView_DisplayColony(int iColonyID) override;
    Errors::Type_Error Camera_Open(QString iCameraSettings) override;
    Errors::Type_Error Camera_Close() override;
    Errors::Type_Error Camera_IsOpen(bool& oIsOpen) override;
    Errors::Type_Error Camera_TakePicture() override;
    Errors::Type_Error Camera_SavePicture(QString iPicturePath, QString iPictureFormat,
                                          int iPictureSizePercent) override;
    Errors::Type_Error Camera_LoadPicture(QString iPicturePath) override;

    // Settings selection dialogs.
    Errors::Type_Error Settings_SelectCameraSettings(QString iDefaultCameraSettings, QString& oCameraSettings) override;
    Errors::Type_Error Settings_SelectColonySettings(QString iDefaultColonySettings, QString& oColonySettings) override;
    Errors::Type_Error Settings_SelectImageStitcherSettings(QString iDefaultColonySettings,
                                                            QString& oColonySettings) override;

    // Colony analysis.
    Errors::Type_Error AnalyseColonies_Start(QString iColonySettings) override;
    Errors::Type_Error AnalyseColonies_Stop() override;
    Errors::Type_Error AnalyseColonies_Reset() override;
    Errors::Type_Error AnalyseColonies_CheckRunning(bool& oRunning) override;
    Errors::Type_Error AnalyseColonies_GetLLDPosition(bool i_blnSelectByOperator, int i_intChannelNumber,
                                                      double& o_fltPositionX_mm, double& o_fltPositionY_mm) override;
    Errors::Type_Error AnalyseColonies_SetAgarHeight(double i_fltAgarHeightRelativeToReferencePlane_mm) override;
    Errors::Type_Error AnalyseColonies_UserEditColonies() override;
    Errors::Type_Error AnalyseColonies_SaveResult(bool iAsynchronPictureSave, QString iRackBarcode,
                                                  QString iDescription, int& oRackID) override;
    Errors::Type_Error AnalyseColonies_SaveResultWithImageStitcher(bool iAsynchronPictureSave, QString iRackBarcode,
                                                                   QString iDescription, int iImageStitcherID,
                                                                   int& oRackID) override;
    Errors::Type_Error AnalyseColonies_SaveResult_CheckAsynchronSaveFinish(bool& oFinish) override;
    Errors::Type_Error AnalyseColonies_ExportRackPicture(int iRackID, bool iAsynchronPictureSave, QString ipicturePath,
                                                         QString iPictureFormat, bool iPictureCropped,
                                                         int iPictureSizePercent, bool iAnalyserDrawings) override;
    Errors::Type_Error AnalyseColonies_ExportColonyResults(int i_intRackID, QString i_strReportPathName,
                                                           QString i_strReportFormat) override;
    Errors::Type_Error AnalyseColonies_ExportToZipArchive(QVariantList i_arrintRackIDs, QString i_strFilename,
                                                          bool i_blnAppend) override;

    // Image stitcher.
    Errors::Type_Error ImageStitcher_AssignPicturePosition(int pictureIndex) override;
    Errors::Type_Error ImageStitcher_Start(QString iImageStitcherSettings) override;
    Errors::Type_Error ImageStitcher_Start2(QString iImageStitcherSettings,
                                            double i_fltAgarHeightBasedOnReferecePoints_mm) override;
    Errors::Type_Error ImageStitcher_Stop() override;
    Errors::Type_Error ImageStitcher_Reset() override;
    Errors::Type_Error ImageStitcher_CheckRunning(bool& oRunning) override;
    Errors::Type_Error ImageStitcher_SaveResult(bool iAsynchronPictureSave, QString iRackBarcode, QString iDescription,
                                                bool iSaveInputPictures, bool iSaveOutputPicture,
                                                int& oImageStitcherID) override;
    Errors::Type_Error ImageStitcher_SaveResult_CheckAsynchronSaveFinish(bool& oFinish) override;
    Errors::Type_Error ImageStitcher_ExportRackPicture(int iRackID, bool iAsynchronPictureSave, QString ipicturePath,
                                                       QString iPictureFormat, bool iPictureCropped,
                                                       int iPictureSizePercent) override;

    // Database queries.
    Errors::Type_Error Database_GetZelvorinRack(int iRackID, DatabaseQueries::Rack& oRack) override;
    Errors::Type_Error Database_SetZelvorinRack_Field_Description(int iRackID, QString iDescription) override;
    Errors::Type_Error Database_GetZelvorinRackID_By_RackBarcode(QString iRackBarcode,
                                                                 QVariantList& o_arrintRackID) override;
    Errors::Type_Error Database_SetZelvorinRack_Field_ImageStitcherID(int iRackID, int iImageStitcherID) override;
    Errors::Type_Error Database_SelectZelvorinRack(int& o_intRackID) override;
    Errors::Type_Error Database_GetZelvorinContainerID_By_ContainerNumber(int iRackID, int iContainerNumber,
                                                                          int& oContainerID) override;
    Errors::Type_Error Database_GetZelvorinContainer(int iContainerID,
                                                     DatabaseTableZelvorinContainer::Dataset& oContainer) override;
    Errors::Type_Error Database_GetZelvorinContainer2(int iContainerID,
                                                      DatabaseTableZelvorinContainer::Dataset& oContainer) override;
    Errors::Type_Error Database_SetZelvorinContainer_Field_Description(int iContainerID, QString iDescription) override;
    Errors::Type_Error Database_GetZelvorinContainerID_By_ContainerName(int iRackID, QString iContainerName,
                                                                        int& oContainerID) override;
    Errors::Type_Error Database_GetZelvorinColonyCount(int i_intRackID, int i_intContainerNumber,
                                                       int& o_intColonyCount) override;
    Errors::Type_Error Database_GetZelvorinColonyPosition_By_ColonyNumber(int iRackID, int iChannelNumber,
                                                                          int iContainerNumber, int iColonyNumber,
                                                                          int& oColonyID, double& oPositionX_mm,
                                                                          double& oPositionY_mm,
                                                                          double& oLoadingTotal_pct) override;
    Errors::Type_Error Database_GetZelvorinContainerIDs(int i_intRackID, QVariantList& o_arrintContainerIDs) override;
    Errors::Type_Error Database_GetZelvorinColonyIDs_IsGoodColony(int i_intContainerID,
                                                                  QVariantList& o_arrintColonyIDs) override;
    Errors::Type_Error Database_GetZelvorinColonyIDs_IsExcludedColony(int i_intContainerID,
                                                                      QVariantList& o_arrintColonyIDs) override;
    Errors::Type_Error Database_RetrieveColonyPositions(int i_intRackID,
                                                        QVariantList i_arrintContainerToMaximumColoniesToPipette,
                                                        QString i_strChannelPattern,
                                                        ColonyPickList::HandOut& oHandOut) override;
    Errors::Type_Error Database_RetrieveColonyPositions2(int i_intRackID,
                                                         QVariantList i_arrintContainerToMaximumColoniesToPipette,
                                                         int i_intSortMode, QString i_strChannelPattern,
                                                         ColonyPickList::HandOut& oHandOut) override;
    Errors::Type_Error Database_GetZelvorinColonyProperties(int i_intColonyID,
                                                            DatabaseTableZelvorinColony::Dataset& oColony) override;
    Errors::Type_Error Database_SetZelvorinColonyPickingState(int i_intColonyID, int i_intPickingState) override;
    Errors::Type_Error Database_SetZelvorinColony_Field_Description(int i_intColonyID,
                                                                    QString i_strDescription) override;

    // Instrument channel offsets.
    Errors::Type_Error Instrument_GetChannelOffset(int i_intChannelNumber, double& o_fltOffsetX_mm,
                                                   double& o_fltOffsetY_mm) override;
    Errors::Type_Error Instrument_SetChannelOffset(int i_intChannelNumber, double i_fltOffsetX_mm,
                                                   double i_fltOffsetY_mm) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void slot_QAction_Menubar_System_Settings_triggered();
    void slot_QAction_InstrumentSettings_triggered();
    void slot_QAction_Menubar_System_Exit_triggered();
    void slot_QAction_Menubar_View_ResetWindowLayout();
    void slot_QAction_Menubar_Help_About_triggered();
    void slot_QAction_Menubar_Help_SystemInformation_triggered();
    void slot_QAction_Menubar_Help_PDFManual_triggered();
    void slot_QAction_CameraConnect_triggered();
    void slot_QAction_LiveView_triggered();
    void slot_QAction_View_CameraSettings_triggered();
    void slot_QAction_View_ColonySettings_triggered();
    void slot_QAction_View_ImageStitcherSettings_triggered();
    void slot_QAction_PictureFromCamera_triggered();
    void slot_QAction_PictureFromFile_triggered();
    void slot_QAction_PictureFromDatabase_triggered();
    void slot_QAction_Colony_Demo_Plate_triggered();
    void slot_QAction_Colony_Demo_PetriPlate_triggered();
    void slot_QAction_Stitcher_Demo_QTrayPlate_triggered();
    void slot_QAction_Analyse_Analyse_Start_triggered();
    void slot_QAction_Analyse_Database_Save_triggered();
    void slot_QAction_Analyse_EditColonies_triggered();
    void slot_QAction_Analyse_ExportColonyResults_triggered();
    void slot_Camera_open();
    void slot_Camera_close();
    void slot_ColonySettings_custom(ColonySettings::Enum_CustomSignal id, const QVariant& param);
    void slot_ImageStitcherSettings_custom(int id, const QVariant& param);
    void slot_CrossModel_ModeChanged(ModelMatching::Enum_Mode mode);

private:
    // The camera settings editor's reports (Camera_Settings_Gui::CallbackFunctions).
    void visibilityChanged(bool visible) override;
    void titleChanged(QString title) override;
    void setLiveViewActionsChecked(bool checked);

    void setActionIcons();
    void createDocks();
    QDockWidget* createDock(const QString& title, const QString& objectName);
    static void setScrolledDockWidget(QDockWidget* dock, QWidget* editor);
    void loadDefaultSettingsFiles();
    void createImageStitcherEditor();
    void createOperations();
    void connectActions();
    static void toggleDock(QDockWidget* dock, bool raise);
    void setCameraConnectActions(bool open);

    std::unique_ptr<Ui::MainWindowGui> m_ui;
    AppSettings* m_appSettings = nullptr;
    QString m_appSettingsFileName;
    ColonySettings* m_colonySettings = nullptr;
    Camera_Settings* m_cameraSettings = nullptr;
    InstrumentSettings* m_instrumentSettings = nullptr;
    Camera* m_camera = nullptr;
    ApplicationDatabase* m_database = nullptr;
    QDockWidget* m_cameraSettingsDock = nullptr;
    Camera_Settings_Gui* m_cameraSettingsGui = nullptr;
    QDockWidget* m_liveViewDock = nullptr;
    Camera_LiveView_Gui* m_liveViewGui = nullptr;
    std::unique_ptr<LiveViewCallbacks> m_liveViewCallbacks;
    QDockWidget* m_colonySettingsDock = nullptr;
    ColonySettingsGui* m_colonySettingsGui = nullptr;
    QDockWidget* m_imageStitcherSettingsDock = nullptr;
    AnalyserGui* m_analyserGui = nullptr;
    ColonyAnalyserGui* m_colonyAnalyserGui = nullptr;
    Hobject_View_Gui* m_imageStitcherResultView = nullptr;
    ImageStitcherSettings* m_imageStitcherSettings = nullptr;
    ModelMatching* m_crossModel = nullptr;
    ImageStitcherGui* m_imageStitcherGui = nullptr;
    ImageStitcherSettingsGui* m_imageStitcherSettingsGui = nullptr;

    std::unique_ptr<ColonySettingsFiles> m_colonySettingsFiles;
    std::unique_ptr<ImageStitcherSettingsFiles> m_imageStitcherSettingsFiles;
    std::unique_ptr<ImageStitcherOperations> m_imageStitcher;
    std::unique_ptr<CameraOperations> m_cameraOperations;
    std::unique_ptr<LiveViewOperations> m_liveViewOperations;
    std::unique_ptr<ColonyAnalysisOperations> m_colonyAnalysis;
    std::unique_ptr<PictureCommands> m_pictureCommands;
    std::unique_ptr<ResultCommands> m_resultCommands;
    std::unique_ptr<SystemCommands> m_systemCommands;
    std::unique_ptr<StitcherCommands> m_stitcherCommands;
    std::unique_ptr<DatabaseQueries> m_databaseQueries;
    // The operator's picture reads for each page; their answers reach the commands above.
    std::unique_ptr<PictureFileLoader> m_colonyPictureReads;
    std::unique_ptr<PictureFileLoader> m_stitcherPictureReads;
};
