#pragma once

#include "Errors.h"

#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QVariantList>

#include <tuple>

class IAutomationOperations;

// The automation class of the instrument's control software. Its public slots are the
// methods of the automation interface, in the interface's order: the int result and the
// reference parameters are the call's out arguments. A method presets its outputs, then
// forwards to the main window's operation of the same name (3 "General application error"
// while there is none); seven are answered here. The database reads come back as one record
// (a rack, a container or colony row, the hand-out) that only this class spreads over the
// client's outputs. An object holds no state: its life counts the clients, and the release of
// the last one may end the server. Its release cancels the dialogs its calls opened, so a
// client that goes away never leaves one waiting. Over the bus only the client that made the
// object may call it, and a call that waits (for a live picture, the page, a dialog, an
// export) is answered later without holding any other call.
class COM_Class : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    explicit COM_Class(QObject* parent = nullptr);
    ~COM_Class() override;

public slots:
    int Application_GetVersion(QString& oVersionString);
    int Application_GetErrorText(int iErrorNumber, QString& oErrorText);
    int Application_IsRunning(bool& oIsRunning);
    int Application_GetStartError(int& oErrorNumber);
    int Application_Get_ProgrammPath(QString& oProgrammPath);
    int ApplicationSettings_Get_DatabasePicturePath(QString& oDatabasePicturePath);
    int GUI_Show(int iMode);
    int GUI_Hide();
    int GUI_IsVisible(bool& oIsVisible);
    int GUI_LiveView_Show(int iMode);
    int GUI_LiveView_Hide();
    int GUI_LiveView_IsVisible(bool& oIsVisible);
    int GUI_LiveView_SavePicture(const QString& ipicturePath, const QString& iPictureFormat, int iPictureSizePercent);
    int GUI_LiveView_CameraFocus_Show(double iPositionX, double iPositionY, double iSizeX, double iSizeY, double iAngle,
                                      double iGradientValueThreshold, double iGradientValueSensibility);
    int GUI_LiveView_CameraFocus_GetCurrentValue(double& oCurrentGradientValueThreshold,
                                                 double& oMaximumGradientValueThreshold,
                                                 double& oLowerLimitGradientValueThreshold, bool& oValueInTollerance);
    int GUI_LiveView_CameraAperture_Show(double iPositionX, double iPositionY, double iSizeX, double iSizeY,
                                         double iAngle, double iGrayValueCenter, double iGrayValueSensibility);
    int GUI_LiveView_CameraAperture_GetCurrentValue(double& oCurrentGrayValueCenter, double& oLowerLimitGrayValueCenter,
                                                    double& oUpperLimitGrayValueCenter, bool& oValueInTollerance);
    int GUI_LiveView_CameraHomogeneous_Show(double iPositionX, double iPositionY, double iSizeX, double iSizeY,
                                            double iAngle, int iFilterMode, double iHomogeneousValueThreshold,
                                            double iHomogeneousValueSensibility);
    int GUI_LiveView_CameraHomogeneous_GetCurrentValue(double& oCurrentHomogeneousValue,
                                                       double& oMaximumHomogeneousValue,
                                                       double& oLowerLimitHomogeneousValue, bool& oValueInTollerance);
    int GUI_LiveView_Draw_ClearAll();
    int GUI_LiveView_Draw_Clear(const QString& iObjectName);
    int GUI_LiveView_Draw_Cross(const QString& iObjectName, double iPositionX, double iPositionY, double iSize,
                                double iAngle, const QString& iColor, int iLineSize);
    int GUI_LiveView_Draw_Ellipse(const QString& iObjectName, double iPositionX, double iPositionY, double iSizeX,
                                  double iSizeY, double iAngle, const QString& iColor, int iLineSize,
                                  const QString& iDrawMode);
    int GUI_LiveView_Draw_Rectangle(const QString& iObjectName, double iPositionX, double iPositionY, double iSizeX,
                                    double iSizeY, double iAngle, const QString& iColor, int iLineSize,
                                    const QString& iDrawMode);
    int GUI_LiveView_Draw_Line(const QString& iObjectName, double iPosition1X, double iPosition1Y, double iPosition2X,
                               double iPosition2Y, const QString& iColor, int iLineSize);
    int GUI_LiveView_Draw_Text(const QString& iObjectName, double iPositionX, double iPositionY, const QString& iText,
                               const QString& iColor, const QString& iFontName, int iTextSize);
    int GUI_PictureView_Clear();
    int GUI_PictureView_DisplayColony(int iColonyID);
    int Camera_Open(const QString& iCameraSettings);
    int Camera_Close();
    int Camera_IsOpen(bool& oIsOpen);
    int Camera_TakePicture();
    int Camera_SavePicture(const QString& iPicturePath, const QString& iPictureFormat, int iPictureSizePercent);
    int Camera_LoadPicture(const QString& iPicturePath);
    int Settings_SelectCameraSettings(const QString& iDefaultCameraSettings, QString& oCameraSettings);
    int Settings_SelectColonySettings(const QString& iDefaultColonySettings, QString& oColonySettings);
    int Settings_SelectImageStitcherSettings(const QString& iDefaultColonySettings, QString& oColonySettings);
    int Settings_GetCameraSettingsNamesList(QVariantList& o_arrstrCameraSettingsNames);
    int Settings_GetImageStitcherSettingsNamesList(QVariantList& o_arrstrStitcherSettingsNames);
    int Settings_GetColonySettingsNamesList(QVariantList& o_arrstrColonySettingsNames);
    int AnalyseColonies_Start(const QString& iColonySettings);
    int AnalyseColonies_Stop();
    int AnalyseColonies_Reset();
    int AnalyseColonies_CheckRunning(bool& oRunning);
    int AnalyseColonies_GetLLDPosition(bool i_blnSelectByOperator, int i_intChannelNumber, double& o_fltPositionX_mm,
                                       double& o_fltPositionY_mm);
    int AnalyseColonies_SetAgarHeight(double i_fltAgarHeightRelativeToReferencePlane_mm);
    int AnalyseColonies_UserEditColonies();
    int AnalyseColonies_SaveResult(bool iAsynchronPictureSave, const QString& iRackBarcode, const QString& iDescription,
                                   int& oRackID);
    int AnalyseColonies_SaveResultWithImageStitcher(bool iAsynchronPictureSave, const QString& iRackBarcode,
                                                    const QString& iDescription, int iImageStitcherID, int& oRackID);
    int AnalyseColonies_SaveResult_CheckAsynchronSaveFinish(bool& oFinish);
    int AnalyseColonies_ExportRackPicture(int iRackID, bool iAsynchronPictureSave, const QString& ipicturePath,
                                          const QString& iPictureFormat, bool iPictureCropped, int iPictureSizePercent,
                                          bool iAnalyserDrawings);
    int AnalyseColonies_ExportColonyResults(int i_intRackID, const QString& i_strReportPathName,
                                            const QString& i_strReportFormat);
    int AnalyseColonies_ExportToZipArchive(const QVariantList& i_arrintRackIDs, const QString& i_strFilename,
                                           bool i_blnAppend);
    int ImageStitcher_AssignPicturePosition(int pictureIndex);
    int ImageStitcher_Start(const QString& iImageStitcherSettings);
    int ImageStitcher_Start2(const QString& iImageStitcherSettings, double i_fltAgarHeightBasedOnReferecePoints_mm);
    int ImageStitcher_Stop();
    int ImageStitcher_Reset();
    int ImageStitcher_CheckRunning(bool& oRunning);
    int ImageStitcher_SaveResult(bool iAsynchronPictureSave, const QString& iRackBarcode, const QString& iDescription,
                                 bool iSaveInputPictures, bool iSaveOutputPicture, int& oImageStitcherID);
    int ImageStitcher_SaveResult_CheckAsynchronSaveFinish(bool& oFinish);
    int ImageStitcher_ExportRackPicture(int iRackID, bool iAsynchronPictureSave, const QString& ipicturePath,
                                        const QString& iPictureFormat, bool iPictureCropped, int iPictureSizePercent);
    int Database_GetZelvorinRack(int iRackID, QString& oRackBarcode, QString& oPictureFilePath,
                                 int& oContainerGridColumnsCount, int& oContainerGridRowsCount, int& oErrorCode,
                                 QString& oDescription);
    int Database_SetZelvorinRack_Field_Description(int iRackID, const QString& iDescription);
    int Database_GetZelvorinRackID_By_RackBarcode(const QString& iRackBarcode, QVariantList& o_arrintRackID);
    int Database_SetZelvorinRack_Field_ImageStitcherID(int iRackID, int iImageStitcherID);
    int Database_SelectZelvorinRack(int& o_intRackID);
    int Database_GetZelvorinContainerID_By_ContainerNumber(int iRackID, int iContainerNumber, int& oContainerID);
    int Database_GetZelvorinContainer(int iContainerID, int& oContainerNumber, QString& oContainerName, int& oErrorCode,
                                      QString& oDescription);
    int Database_GetZelvorinContainer2(int iContainerID, int& oContainerNumber, QString& oContainerName,
                                       int& oPickOrder, int& oErrorCode, QString& oDescription);
    int Database_SetZelvorinContainer_Field_Description(int iContainerID, const QString& iDescription);
    int Database_GetZelvorinContainerID_By_ContainerName(int iRackID, const QString& iContainerName, int& oContainerID);
    int Database_GetZelvorinColonyCount(int i_intRackID, int i_intContainerNumber, int& o_intColonyCount);
    int Database_GetZelvorinColonyPosition_By_ColonyNumber(int iRackID, int iChannelNumber, int iContainerNumber,
                                                           int iColonyNumber, int& oColonyID, double& oPositionX_mm,
                                                           double& oPositionY_mm, double& oLoadingTotal_pct);
    int Database_GetZelvorinContainerIDs(int i_intRackID, QVariantList& o_arrintContainerIDs);
    int Database_GetZelvorinColonyIDs_IsGoodColony(int i_intContainerID, QVariantList& o_arrintColonyIDs);
    int Database_GetZelvorinColonyIDs_IsExcludedColony(int i_intContainerID, QVariantList& o_arrintColonyIDs);
    int Database_RetrieveColonyPositions(int i_intRackID,
                                         const QVariantList& i_arrintContainerToMaximumColoniesToPipette,
                                         const QString& i_strChannelPattern, QString& o_strUsedChannelPattern,
                                         int& o_intUsedNumberOfColonies, int& o_intTotalNumberOfColonies,
                                         QVariantList& o_arrintColonyID, QVariantList& o_arrintChannelToContainer,
                                         QVariantList& o_arrfltPositionX_mm, QVariantList& o_arrfltPositionY_mm);
    int Database_RetrieveColonyPositions2(int i_intRackID,
                                          const QVariantList& i_arrintContainerToMaximumColoniesToPipette,
                                          int i_intSortMode, const QString& i_strChannelPattern,
                                          QString& o_strUsedChannelPattern, int& o_intUsedNumberOfColonies,
                                          int& o_intTotalNumberOfColonies, QVariantList& o_arrintColonyID,
                                          QVariantList& o_arrintChannelToContainer, QVariantList& o_arrfltPositionX_mm,
                                          QVariantList& o_arrfltPositionY_mm);
    int Database_GetZelvorinColonyProperties(int i_intColonyID, double& o_fltPositionX_mm, double& o_fltpositionY_mm,
                                             double& o_fltArea_mm2, double& o_fltCircularity,
                                             double& o_fltClearanceNeightbor_mm, double& o_fltClearanceMargin_mm,
                                             double& o_fltLoadingArea_pct, double& o_fltLoadingCircularity_pct,
                                             double& o_fltLoadingClearanceNeighbor_pct,
                                             double& o_fltLoadingClearanceBorder_pct, double& o_fltLoadingTotal_pct,
                                             double& o_fltColorHue, double& o_fltColorSaturation,
                                             double& o_fltColorIntensity, int& o_intPickingState, bool& o_blnIsExcluded,
                                             bool& o_blnIsGoodColony, int& o_intPickOrder, bool& o_blnIsUserEdited);
    int Database_GetZelvorinColonyProperties2(
        int i_intColonyID, double& o_fltPositionX_mm, double& o_fltpositionY_mm, double& o_fltArea_mm2,
        double& o_fltCircularity, double& o_fltClearanceNeightbor_mm, double& o_fltClearanceMargin_mm,
        double& o_fltLoadingArea_pct, double& o_fltLoadingCircularity_pct, double& o_fltLoadingClearanceNeighbor_pct,
        double& o_fltLoadingClearanceBorder_pct, double& o_fltLoadingTotal_pct, double& o_fltColorHue,
        double& o_fltColorSaturation, double& o_fltColorIntensity, int& o_intPickingState, bool& o_blnIsExcluded,
        bool& o_blnIsGoodColony, int& o_intPickOrder, bool& o_blnIsUserEdited, QString& o_strPickingDate,
        double& o_fltColorRed, double& o_fltColorGreen, double& o_fltColorBlue);
    int Database_SetZelvorinColonyPickingState(int i_intColonyID, int i_intPickingState);
    int Database_SetZelvorinColony_Field_Description(int i_intColonyID, const QString& i_strDescription);
    int Instrument_GetChannelOffset(int i_intChannelNumber, double& o_fltOffsetX_mm, double& o_fltOffsetY_mm);
    int Instrument_SetChannelOffset(int i_intChannelNumber, double i_fltOffsetX_mm, double i_fltOffsetY_mm);

private:
    // A bus call from a client that did not make this object: answered an error, refused.
    bool refusesCaller();
    // The main window's operation with these arguments (3 while there is no window). A dialog
    // it shows belongs to this object's client and is cancelled when the client releases the
    // object or leaves the bus.
    template <typename... Parameters, typename... Arguments>
    int forward(Errors::Type_Error (IAutomationOperations::*operation)(Parameters...), Arguments&&... arguments);
    // As forward, for an operation that may wait; it takes the inputs, then the outputs. Over
    // the bus it waits as part of an Automation_Call: its outputs live on with the call, and
    // the client gets the answer once the operation's rest has run.
    template <typename... Parameters, typename... Inputs, typename... Outputs>
    int forwardLater(Errors::Type_Error (IAutomationOperations::*operation)(Parameters...),
                     std::tuple<Inputs...> inputs, std::tuple<Outputs&...> outputs);
    template <typename... Parameters, typename... Arguments>
    int invoke(IAutomationOperations* window, Errors::Type_Error (IAutomationOperations::*operation)(Parameters...),
               Arguments&&... arguments);
};
