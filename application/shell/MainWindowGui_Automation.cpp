#include "MainWindowGui.h"

#include "AppErrors.h"
#include "AppSettings.h"
#include "AutomationState.h"
#include "Automation_Call.h"
#include "CameraOperations.h"
#include "ColonyAnalyserGui.h"
#include "ColonyAnalysisOperations.h"
#include "DatabaseQueries.h"
#include "ImageStitcherOperations.h"
#include "Gui_Helper.h"
#include "InstrumentSettings.h"
#include "PictureCommands.h"
#include "SettingsSelection.h"

#include <QDir>
#include <QDockWidget>

// The operations behind the automation methods, each handed to the part that does the work.

namespace {

QString absoluteFolderPath(const QString& path)
{
    return QDir::toNativeSeparators(QDir(path).absolutePath() + QLatin1Char('/'));
}

} // namespace

Errors::Type_Error MainWindowGui::Application_Get_ProgrammPath(QString& oProgrammPath)
{
    oProgrammPath = absoluteFolderPath(QDir::currentPath());
    return 0;
}

Errors::Type_Error MainWindowGui::ApplicationSettings_Get_DatabasePicturePath(QString& oDatabasePicturePath)
{
    oDatabasePicturePath = absoluteFolderPath(m_appSettings->database.PicturePath);
    return 0;
}

Errors::Type_Error MainWindowGui::GUI_Show(int iMode)
{
    // Stand-alone the operator owns the window.
    if (!isAutomationServer())
        return 0;
    switch (iMode) {
    case 1:
        show();
        return 0;
    case 2:
        showMaximized();
        return 0;
    case 3:
    case 4:
        return 0;
    default:
        return AppErrors::ParameterIncorrect;
    }
}

Errors::Type_Error MainWindowGui::GUI_Hide()
{
    if (!isAutomationServer())
        return 0;
    m_liveViewDock->hide();
    if (!isHidden()) {
        Gui_Helper::saveWindowLayout(this, QString());
        hide();
    }
    return 0;
}

Errors::Type_Error MainWindowGui::GUI_IsVisible(bool& oIsVisible)
{
    oIsVisible = isVisible();
    return 0;
}

Errors::Type_Error MainWindowGui::GUI_PictureView_Clear()
{
    return m_colonyAnalyserGui->PictureView_Clear();
}

Errors::Type_Error MainWindowGui::GUI_PictureView_DisplayColony(int iColonyID)
{
    return m_colonyAnalyserGui->PictureView_DisplayColony(iColonyID);
}

Errors::Type_Error MainWindowGui::Camera_Open(QString iCameraSettings)
{
    return m_cameraOperations->open(iCameraSettings);
}

Errors::Type_Error MainWindowGui::Camera_Close()
{
    return m_cameraOperations->close(isAutomationServer());
}

Errors::Type_Error MainWindowGui::Camera_IsOpen(bool& oIsOpen)
{
    return m_cameraOperations->isOpen(oIsOpen);
}

Errors::Type_Error MainWindowGui::Camera_TakePicture()
{
    return m_cameraOperations->takePicture();
}

Errors::Type_Error MainWindowGui::Camera_SavePicture(QString iPicturePath, QString iPictureFormat,
                                                     int iPictureSizePercent)
{
    return m_cameraOperations->savePicture(iPicturePath, iPictureFormat, iPictureSizePercent,
                                           Automation_Call::current());
}

Errors::Type_Error MainWindowGui::Camera_LoadPicture(QString iPicturePath)
{
    return m_cameraOperations->loadPicture(iPicturePath);
}

Errors::Type_Error MainWindowGui::Settings_SelectCameraSettings(QString iDefaultCameraSettings,
                                                                QString& oCameraSettings)
{
    return SettingsSelection::select(this, SettingsSelection::camera(), iDefaultCameraSettings,
                                     m_cameraSettingsGui->settingsFileName(), oCameraSettings,
                                     Automation_Call::current());
}

Errors::Type_Error MainWindowGui::Settings_SelectColonySettings(QString iDefaultColonySettings,
                                                                QString& oColonySettings)
{
    return SettingsSelection::select(this, SettingsSelection::colony(), iDefaultColonySettings,
                                     colonySettingsFileName(), oColonySettings, Automation_Call::current());
}

Errors::Type_Error MainWindowGui::Settings_SelectImageStitcherSettings(QString iDefaultColonySettings,
                                                                       QString& oColonySettings)
{
    // The window holds no stitcher settings file yet: only a default name is chosen at the start.
    return SettingsSelection::select(this, SettingsSelection::imageStitcher(), iDefaultColonySettings, QString(),
                                     oColonySettings, Automation_Call::current());
}

Errors::Type_Error MainWindowGui::AnalyseColonies_Start(QString iColonySettings)
{
    return m_colonyAnalysis->start(iColonySettings, Automation_Call::current());
}

Errors::Type_Error MainWindowGui::AnalyseColonies_Stop()
{
    return m_colonyAnalysis->stop(Automation_Call::current());
}

Errors::Type_Error MainWindowGui::AnalyseColonies_Reset()
{
    return m_colonyAnalysis->reset(Automation_Call::current());
}

Errors::Type_Error MainWindowGui::AnalyseColonies_CheckRunning(bool& oRunning)
{
    return m_colonyAnalysis->checkRunning(oRunning);
}

Errors::Type_Error MainWindowGui::AnalyseColonies_GetLLDPosition(bool, int i_intChannelNumber,
                                                                 double& o_fltPositionX_mm, double& o_fltPositionY_mm)
{
    return m_colonyAnalysis->lldPosition(i_intChannelNumber, o_fltPositionX_mm, o_fltPositionY_mm);
}

Errors::Type_Error MainWindowGui::AnalyseColonies_SetAgarHeight(double i_fltAgarHeightRelativeToReferencePlane_mm)
{
    return m_colonyAnalyserGui->SetAgarHeight(i_fltAgarHeightRelativeToReferencePlane_mm);
}

Errors::Type_Error MainWindowGui::AnalyseColonies_UserEditColonies()
{
    return m_colonyAnalyserGui->UserEditColonies(Automation_Call::current());
}

Errors::Type_Error MainWindowGui::AnalyseColonies_SaveResult(bool iAsynchronPictureSave, QString iRackBarcode,
                                                             QString iDescription, int& oRackID)
{
    return m_colonyAnalysis->saveResult(iAsynchronPictureSave, iRackBarcode, iDescription, -1, oRackID,
                                        Automation_Call::current());
}

Errors::Type_Error MainWindowGui::AnalyseColonies_SaveResultWithImageStitcher(bool iAsynchronPictureSave,
                                                                              QString iRackBarcode,
                                                                              QString iDescription,
                                                                              int iImageStitcherID, int& oRackID)
{
    return m_colonyAnalysis->saveResult(iAsynchronPictureSave, iRackBarcode, iDescription, iImageStitcherID, oRackID,
                                        Automation_Call::current());
}

Errors::Type_Error MainWindowGui::AnalyseColonies_SaveResult_CheckAsynchronSaveFinish(bool& oFinish)
{
    return m_colonyAnalysis->checkAsynchronSaveFinish(oFinish);
}

Errors::Type_Error MainWindowGui::AnalyseColonies_ExportRackPicture(int iRackID, bool iAsynchronPictureSave,
                                                                    QString ipicturePath, QString iPictureFormat,
                                                                    bool iPictureCropped, int iPictureSizePercent,
                                                                    bool iAnalyserDrawings)
{
    return m_colonyAnalyserGui->ExportRackPicture(iRackID, iAsynchronPictureSave, ipicturePath, iPictureFormat,
                                                  iPictureCropped, iPictureSizePercent, iAnalyserDrawings,
                                                  Automation_Call::current());
}

Errors::Type_Error MainWindowGui::AnalyseColonies_ExportColonyResults(int i_intRackID, QString i_strReportPathName,
                                                                      QString i_strReportFormat)
{
    return m_colonyAnalyserGui->ExportColonyResults(i_intRackID, i_strReportPathName, i_strReportFormat);
}

Errors::Type_Error MainWindowGui::AnalyseColonies_ExportToZipArchive(QVariantList i_arrintRackIDs,
                                                                     QString i_strFilename, bool i_blnAppend)
{
    return m_colonyAnalysis->exportToZipArchive(i_arrintRackIDs, i_strFilename, i_blnAppend,
                                                Automation_Call::current());
}

Errors::Type_Error MainWindowGui::ImageStitcher_AssignPicturePosition(int pictureIndex)
{
    return m_imageStitcher->assignPicturePosition(pictureIndex);
}

Errors::Type_Error MainWindowGui::ImageStitcher_Start(QString iImageStitcherSettings)
{
    return m_imageStitcher->start(iImageStitcherSettings, Automation_Call::current());
}

Errors::Type_Error MainWindowGui::ImageStitcher_Start2(QString iImageStitcherSettings,
                                                       double i_fltAgarHeightBasedOnReferecePoints_mm)
{
    return m_imageStitcher->start2(iImageStitcherSettings, i_fltAgarHeightBasedOnReferecePoints_mm,
                                   Automation_Call::current());
}

Errors::Type_Error MainWindowGui::ImageStitcher_Stop()
{
    return m_imageStitcher->stop(Automation_Call::current());
}

Errors::Type_Error MainWindowGui::ImageStitcher_Reset()
{
    return m_imageStitcher->reset(Automation_Call::current());
}

Errors::Type_Error MainWindowGui::ImageStitcher_CheckRunning(bool& oRunning)
{
    return m_imageStitcher->checkRunning(oRunning);
}

Errors::Type_Error MainWindowGui::ImageStitcher_SaveResult(bool iAsynchronPictureSave, QString iRackBarcode,
                                                           QString iDescription, bool iSaveInputPictures,
                                                           bool iSaveOutputPicture, int& oImageStitcherID)
{
    return m_imageStitcher->saveResult(iAsynchronPictureSave, iRackBarcode, iDescription, iSaveInputPictures,
                                       iSaveOutputPicture, oImageStitcherID, Automation_Call::current());
}

Errors::Type_Error MainWindowGui::ImageStitcher_SaveResult_CheckAsynchronSaveFinish(bool& oFinish)
{
    return m_imageStitcher->checkAsynchronSaveFinish(oFinish);
}

Errors::Type_Error MainWindowGui::ImageStitcher_ExportRackPicture(int, bool, QString, QString, bool, int)
{
    return AppErrors::NotImplemented;
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinRack(int iRackID, DatabaseQueries::Rack& oRack)
{
    return m_databaseQueries->Database_GetZelvorinRack(iRackID, oRack);
}

Errors::Type_Error MainWindowGui::Database_SetZelvorinRack_Field_Description(int iRackID, QString iDescription)
{
    return m_databaseQueries->Database_SetZelvorinRack_Field_Description(iRackID, iDescription);
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinRackID_By_RackBarcode(QString iRackBarcode,
                                                                            QVariantList& o_arrintRackID)
{
    return m_databaseQueries->Database_GetZelvorinRackID_By_RackBarcode(iRackBarcode, o_arrintRackID);
}

Errors::Type_Error MainWindowGui::Database_SetZelvorinRack_Field_ImageStitcherID(int iRackID, int iImageStitcherID)
{
    return m_databaseQueries->Database_SetZelvorinRack_Field_ImageStitcherID(iRackID, iImageStitcherID);
}

Errors::Type_Error MainWindowGui::Database_SelectZelvorinRack(int& o_intRackID)
{
    return m_pictureCommands->selectRack(o_intRackID, Automation_Call::current());
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinContainerID_By_ContainerNumber(int iRackID,
                                                                                     int iContainerNumber,
                                                                                     int& oContainerID)
{
    return m_databaseQueries->Database_GetZelvorinContainerID_By_ContainerNumber(iRackID, iContainerNumber,
                                                                                 oContainerID);
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinContainer(int iContainerID,
                                                                DatabaseTableZelvorinContainer::Dataset& oContainer)
{
    return m_databaseQueries->Database_GetZelvorinContainer(iContainerID, oContainer);
}

// The same row; the automation method adds its pick order.
Errors::Type_Error MainWindowGui::Database_GetZelvorinContainer2(int iContainerID,
                                                                 DatabaseTableZelvorinContainer::Dataset& oContainer)
{
    return m_databaseQueries->Database_GetZelvorinContainer(iContainerID, oContainer);
}

Errors::Type_Error MainWindowGui::Database_SetZelvorinContainer_Field_Description(int iContainerID,
                                                                                  QString iDescription)
{
    return m_databaseQueries->Database_SetZelvorinContainer_Field_Description(iContainerID, iDescription);
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinContainerID_By_ContainerName(int iRackID,
                                                                                   QString iContainerName,
                                                                                   int& oContainerID)
{
    return m_databaseQueries->Database_GetZelvorinContainerID_By_ContainerName(iRackID, iContainerName, oContainerID);
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinColonyCount(int i_intRackID, int i_intContainerNumber,
                                                                  int& o_intColonyCount)
{
    return m_databaseQueries->Database_GetZelvorinColonyCount(i_intRackID, i_intContainerNumber, o_intColonyCount);
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinColonyPosition_By_ColonyNumber(
    int iRackID, int iChannelNumber, int iContainerNumber, int iColonyNumber, int& oColonyID, double& oPositionX_mm,
    double& oPositionY_mm, double& oLoadingTotal_pct)
{
    return m_databaseQueries->Database_GetZelvorinColonyPosition_By_ColonyNumber(
        iRackID, iChannelNumber, iContainerNumber, iColonyNumber, oColonyID, oPositionX_mm, oPositionY_mm,
        oLoadingTotal_pct);
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinContainerIDs(int i_intRackID, QVariantList& o_arrintContainerIDs)
{
    return m_databaseQueries->Database_GetZelvorinContainerIDs(i_intRackID, o_arrintContainerIDs);
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinColonyIDs_IsGoodColony(int i_intContainerID,
                                                                             QVariantList& o_arrintColonyIDs)
{
    return m_databaseQueries->Database_GetZelvorinColonyIDs_IsGoodColony(i_intContainerID, o_arrintColonyIDs);
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinColonyIDs_IsExcludedColony(int i_intContainerID,
                                                                                 QVariantList& o_arrintColonyIDs)
{
    return m_databaseQueries->Database_GetZelvorinColonyIDs_IsExcludedColony(i_intContainerID, o_arrintColonyIDs);
}

Errors::Type_Error MainWindowGui::Database_RetrieveColonyPositions(
    int i_intRackID, QVariantList i_arrintContainerToMaximumColoniesToPipette, QString i_strChannelPattern,
    ColonyPickList::HandOut& oHandOut)
{
    return m_databaseQueries->Database_RetrieveColonyPositions(i_intRackID, i_arrintContainerToMaximumColoniesToPipette,
                                                               i_strChannelPattern, oHandOut);
}

Errors::Type_Error MainWindowGui::Database_RetrieveColonyPositions2(
    int i_intRackID, QVariantList i_arrintContainerToMaximumColoniesToPipette, int i_intSortMode,
    QString i_strChannelPattern, ColonyPickList::HandOut& oHandOut)
{
    return m_databaseQueries->Database_RetrieveColonyPositions2(
        i_intRackID, i_arrintContainerToMaximumColoniesToPipette, i_intSortMode, i_strChannelPattern, oHandOut);
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinColonyProperties(int i_intColonyID,
                                                                       DatabaseTableZelvorinColony::Dataset& oColony)
{
    return m_databaseQueries->Database_GetZelvorinColonyProperties(i_intColonyID, oColony);
}

Errors::Type_Error MainWindowGui::Database_SetZelvorinColonyPickingState(int i_intColonyID, int i_intPickingState)
{
    return m_databaseQueries->Database_SetZelvorinColonyPickingState(i_intColonyID, i_intPickingState);
}

Errors::Type_Error MainWindowGui::Database_SetZelvorinColony_Field_Description(int i_intColonyID,
                                                                               QString i_strDescription)
{
    return m_databaseQueries->Database_SetZelvorinColony_Field_Description(i_intColonyID, i_strDescription);
}

Errors::Type_Error MainWindowGui::Instrument_GetChannelOffset(int i_intChannelNumber, double& o_fltOffsetX_mm,
                                                              double& o_fltOffsetY_mm)
{
    return m_instrumentSettings->channelOffset(i_intChannelNumber, o_fltOffsetX_mm, o_fltOffsetY_mm);
}

Errors::Type_Error MainWindowGui::Instrument_SetChannelOffset(int i_intChannelNumber, double i_fltOffsetX_mm,
                                                              double i_fltOffsetY_mm)
{
    return m_instrumentSettings->setChannelOffset(i_intChannelNumber, i_fltOffsetX_mm, i_fltOffsetY_mm,
                                                  instrumentSettingsFilePath());
}
