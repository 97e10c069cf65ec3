#pragma once

#include "ColonyPickList.h"
#include "DatabaseQueries.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "Errors.h"

#include <QString>
#include <QVariantList>

// The main window's operations behind the automation methods: COM_Class presets the
// outputs and calls the operation of the same name. Every operation runs in the GUI thread,
// shows no message box and answers with a code.
class IAutomationOperations {
public:
    virtual ~IAutomationOperations() = default;

    // Whether the window is hidden (closed by the operator or never shown).
    virtual bool isWindowHidden() const = 0;

    // Program, window, live view, picture view and camera.
    virtual Errors::Type_Error Application_Get_ProgrammPath(QString& oProgrammPath) = 0;
    virtual Errors::Type_Error ApplicationSettings_Get_DatabasePicturePath(QString& oDatabasePicturePath) = 0;
    virtual Errors::Type_Error GUI_Show(int iMode) = 0;
    virtual Errors::Type_Error GUI_Hide() = 0;
    virtual Errors::Type_Error GUI_IsVisible(bool& oIsVisible) = 0;
    virtual Errors::Type_Error GUI_LiveView_Show(int iMode) = 0;
    virtual Errors::Type_Error GUI_LiveView_Hide() = 0;
    virtual Errors::Type_Error GUI_LiveView_IsVisible(bool& oIsVisible) = 0;
    virtual Errors::Type_Error GUI_LiveView_SavePicture(QString ipicturePath, QString iPictureFormat,
                                                        int iPictureSizePercent)
        = 0;
    virtual Errors::Type_Error
    GUI_LiveView_CameraFocus_Show(double iPositionX, double iPositionY, double iSizeX, double iSizeY, double iAngle,
                                  double iGradientValueThreshold, double iGradientValueSensibility)
        = 0;
    virtual Errors::Type_Error GUI_LiveView_CameraFocus_GetCurrentValue(double& oCurrentGradientValueThreshold,
                                                                        double& oMaximumGradientValueThreshold,
                                                                        double& oLowerLimitGradientValueThreshold,
                                                                        bool& oValueInTollerance)
        = 0;
    virtual Errors::Type_Error GUI_LiveView_CameraAperture_Show(double iPositionX, double iPositionY, double iSizeX,
                                                                double iSizeY, double iAngle, double iGrayValueCenter,
                                                                double iGrayValueSensibility)
        = 0;
    virtual Errors::Type_Error
    GUI_LiveView_CameraAperture_GetCurrentValue(double& oCurrentGrayValueCenter, double& oLowerLimitGrayValueCenter,
                                                double& oUpperLimitGrayValueCenter, bool& oValueInTollerance)
        = 0;
    virtual Errors::Type_Error GUI_LiveView_CameraHomogeneous_Show(double iPositionX, double iPositionY, double iSizeX,
                                                                   double iSizeY, double iAngle, int iFilterMode,
                                                                   double iHomogeneousValueThreshold,
                                                                   double iHomogeneousValueSensibility)
        = 0;
    virtual Errors::Type_Error
    GUI_LiveView_CameraHomogeneous_GetCurrentValue(double& oCurrentHomogeneousValue, double& oMaximumHomogeneousValue,
                                                   double& oLowerLimitHomogeneousValue, bool& oValueInTollerance)
        = 0;
    virtual Errors::Type_Error GUI_LiveView_Draw_ClearAll() = 0;
    virtual Errors::Type_Error GUI_LiveView_Draw_Clear(QString iObjectName) = 0;
    virtual Errors::Type_Error GUI_LiveView_Draw_Cross(QString iObjectName, double iPositionX, double iPositionY,
                                                       double iSize, double iAngle, QString iColor, int iLineSize)
        = 0;
    virtual Errors::Type_Error GUI_LiveView_Draw_Ellipse(QString iObjectName, double iPositionX, double iPositionY,
                                                         double iSizeX, double iSizeY, double iAngle, QString iColor,
                                                         int iLineSize, QString iDrawMode)
        = 0;
    virtual Errors::Type_Error GUI_LiveView_Draw_Rectangle(QString iObjectName, double iPositionX, double iPositionY,
                                                           double iSizeX, double iSizeY, double iAngle, QString iColor,
                                                           int iLineSize, QString iDrawMode)
        = 0;
    virtual Errors::Type_Error GUI_LiveView_Draw_Line(QString iObjectName, double iPosition1X, double iPosition1Y,
                                                      double iPosition2X, double iPosition2Y, QString iColor,
                                                      int iLineSize)
        = 0;
    virtual Errors::Type_Error GUI_LiveView_Draw_Text(QString iObjectName, double iPositionX, double iPositionY,
                                                      QString iText, QString iColor, QString iFontName, int iTextSize)
        = 0;
    virtual Errors::Type_Error GUI_PictureView_Clear() = 0;
    virtual Errors::Type_Error GUI_PictureView_DisplayColony(int iColonyID) = 0;
    virtual Errors::Type_Error Camera_Open(QString iCameraSettings) = 0;
    virtual Errors::Type_Error Camera_Close() = 0;
    virtual Errors::Type_Error Camera_IsOpen(bool& oIsOpen) = 0;
    virtual Errors::Type_Error Camera_TakePicture() = 0;
    virtual Errors::Type_Error Camera_SavePicture(QString iPicturePath, QString iPictureFormat, int iPictureSizePercent)
        = 0;
    virtual Errors::Type_Error Camera_LoadPicture(QString iPicturePath) = 0;

    // Settings selection dialogs.
    virtual Errors::Type_Error Settings_SelectCameraSettings(QString iDefaultCameraSettings, QString& oCameraSettings)
        = 0;
    virtual Errors::Type_Error Settings_SelectColonySettings(QString iDefaultColonySettings, QString& oColonySettings)
        = 0;
    virtual Errors::Type_Error Settings_SelectImageStitcherSettings(QString iDefaultColonySettings,
                                                                    QString& oColonySettings)
        = 0;

    // Colony analysis.
    virtual Errors::Type_Error AnalyseColonies_Start(QString iColonySettings) = 0;
    virtual Errors::Type_Error AnalyseColonies_Stop() = 0;
    virtual Errors::Type_Error AnalyseColonies_Reset() = 0;
    virtual Errors::Type_Error AnalyseColonies_CheckRunning(bool& oRunning) = 0;
    virtual Errors::Type_Error AnalyseColonies_GetLLDPosition(bool i_blnSelectByOperator, int i_intChannelNumber,
                                                              double& o_fltPositionX_mm, double& o_fltPositionY_mm)
        = 0;
    virtual Errors::Type_Error AnalyseColonies_SetAgarHeight(double i_fltAgarHeightRelativeToReferencePlane_mm) = 0;
    virtual Errors::Type_Error AnalyseColonies_UserEditColonies() = 0;
    virtual Errors::Type_Error AnalyseColonies_SaveResult(bool iAsynchronPictureSave, QString iRackBarcode,
                                                          QString iDescription, int& oRackID)
        = 0;
    virtual Errors::Type_Error AnalyseColonies_SaveResultWithImageStitcher(bool iAsynchronPictureSave,
                                                                           QString iRackBarcode, QString iDescription,
                                                                           int iImageStitcherID, int& oRackID)
        = 0;
    virtual Errors::Type_Error AnalyseColonies_SaveResult_CheckAsynchronSaveFinish(bool& oFinish) = 0;
    virtual Errors::Type_Error AnalyseColonies_ExportRackPicture(int iRackID, bool iAsynchronPictureSave,
                                                                 QString ipicturePath, QString iPictureFormat,
                                                                 bool iPictureCropped, int iPictureSizePercent,
                                                                 bool iAnalyserDrawings)
        = 0;
    virtual Errors::Type_Error AnalyseColonies_ExportColonyResults(int i_intRackID, QString i_strReportPathName,
                                                                   QString i_strReportFormat)
        = 0;
    virtual Errors::Type_Error AnalyseColonies_ExportToZipArchive(QVariantList i_arrintRackIDs, QString i_strFilename,
                                                                  bool i_blnAppend)
        = 0;

    // Image stitcher.
    virtual Errors::Type_Error ImageStitcher_AssignPicturePosition(int pictureIndex) = 0;
    virtual Errors::Type_Error ImageStitcher_Start(QString iImageStitcherSettings) = 0;
    virtual Errors::Type_Error ImageStitcher_Start2(QString iImageStitcherSettings,
                                                    double i_fltAgarHeightBasedOnReferecePoints_mm)
        = 0;
    virtual Errors::Type_Error ImageStitcher_Stop() = 0;
    virtual Errors::Type_Error ImageStitcher_Reset() = 0;
    virtual Errors::Type_Error ImageStitcher_CheckRunning(bool& oRunning) = 0;
    virtual Errors::Type_Error ImageStitcher_SaveResult(bool iAsynchronPictureSave, QString iRackBarcode,
                                                        QString iDescription, bool iSaveInputPictures,
                                                        bool iSaveOutputPicture, int& oImageStitcherID)
        = 0;
    virtual Errors::Type_Error ImageStitcher_SaveResult_CheckAsynchronSaveFinish(bool& oFinish) = 0;
    virtual Errors::Type_Error ImageStitcher_ExportRackPicture(int iRackID, bool iAsynchronPictureSave,
                                                               QString ipicturePath, QString iPictureFormat,
                                                               bool iPictureCropped, int iPictureSizePercent)
        = 0;

    // Database queries. Rows and the hand-out go out as records; COM_Class hands their fields
    // to the client.
    virtual Errors::Type_Error Database_GetZelvorinRack(int iRackID, DatabaseQueries::Rack& oRack) = 0;
    virtual Errors::Type_Error Database_SetZelvorinRack_Field_Description(int iRackID, QString iDescription) = 0;
    virtual Errors::Type_Error Database_GetZelvorinRackID_By_RackBarcode(QString iRackBarcode,
                                                                         QVariantList& o_arrintRackID)
        = 0;
    virtual Errors::Type_Error Database_SetZelvorinRack_Field_ImageStitcherID(int iRackID, int iImageStitcherID) = 0;
    virtual Errors::Type_Error Database_SelectZelvorinRack(int& o_intRackID) = 0;
    virtual Errors::Type_Error Database_GetZelvorinContainerID_By_ContainerNumber(int iRackID, int iContainerNumber,
                                                                                  int& oContainerID)
        = 0;
    virtual Errors::Type_Error Database_GetZelvorinContainer(int iContainerID,
                                                             DatabaseTableZelvorinContainer::Dataset& oContainer)
        = 0;
    virtual Errors::Type_Error Database_GetZelvorinContainer2(int iContainerID,
                                                              DatabaseTableZelvorinContainer::Dataset& oContainer)
        = 0;
    virtual Errors::Type_Error Database_SetZelvorinContainer_Field_Description(int iContainerID, QString iDescription)
        = 0;
    virtual Errors::Type_Error Database_GetZelvorinContainerID_By_ContainerName(int iRackID, QString iContainerName,
                                                                                int& oContainerID)
        = 0;
    virtual Errors::Type_Error Database_GetZelvorinColonyCount(int i_intRackID, int i_intContainerNumber,
                                                               int& o_intColonyCount)
        = 0;
    virtual Errors::Type_Error
    Database_GetZelvorinColonyPosition_By_ColonyNumber(int iRackID, int iChannelNumber, int iContainerNumber,
                                                       int iColonyNumber, int& oColonyID, double& oPositionX_mm,
                                                       double& oPositionY_mm, double& oLoadingTotal_pct)
        = 0;
    virtual Errors::Type_Error Database_GetZelvorinContainerIDs(int i_intRackID, QVariantList& o_arrintContainerIDs)
        = 0;
    virtual Errors::Type_Error Database_GetZelvorinColonyIDs_IsGoodColony(int i_intContainerID,
                                                                          QVariantList& o_arrintColonyIDs)
        = 0;
    virtual Errors::Type_Error Database_GetZelvorinColonyIDs_IsExcludedColony(int i_intContainerID,
                                                                              QVariantList& o_arrintColonyIDs)
        = 0;
    virtual Errors::Type_Error Database_RetrieveColonyPositions(
        int i_intRackID, QVariantList i_arrintContainerToMaximumColoniesToPipette, QString i_strChannelPattern,
        ColonyPickList::HandOut& oHandOut)
        = 0;
    virtual Errors::Type_Error Database_RetrieveColonyPositions2(
        int i_intRackID, QVariantList i_arrintContainerToMaximumColoniesToPipette, int i_intSortMode,
        QString i_strChannelPattern, ColonyPickList::HandOut& oHandOut)
        = 0;
    // A row that was not read stays not valid: the client's outputs keep their values.
    virtual Errors::Type_Error Database_GetZelvorinColonyProperties(int i_intColonyID,
                                                                    DatabaseTableZelvorinColony::Dataset& oColony)
        = 0;
    virtual Errors::Type_Error Database_SetZelvorinColonyPickingState(int i_intColonyID, int i_intPickingState) = 0;
    virtual Errors::Type_Error Database_SetZelvorinColony_Field_Description(int i_intColonyID, QString i_strDescription)
        = 0;

    // Instrument channel offsets.
    virtual Errors::Type_Error Instrument_GetChannelOffset(int i_intChannelNumber, double& o_fltOffsetX_mm,
                                                           double& o_fltOffsetY_mm)
        = 0;
    virtual Errors::Type_Error Instrument_SetChannelOffset(int i_intChannelNumber, double i_fltOffsetX_mm,
                                                           double i_fltOffsetY_mm)
        = 0;
};
