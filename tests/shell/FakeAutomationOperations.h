#pragma once

#include "Automation_Call.h"
#include "IAutomationOperations.h"

#include <QDateTime>
#include <QString>
#include <QVariantList>

#include <optional>

// Stands in for the main window behind COM_Class: records the operation and its inputs and
// either fills every output with a value that tells its position or leaves them alone.
class FakeAutomationOperations : public IAutomationOperations {
public:
    enum class Mode { FillOutputs, LeaveOutputs };

    Mode mode = Mode::FillOutputs;
    Errors::Type_Error result = 7;
    // Inside an automation call, every operation answers later, from the event loop.
    bool answerLater = false;
    int answeredLater = 0;
    bool hidden = false;
    QString lastOperation;
    QVariantList lastInputs;
    // When set, the colony row every read hands out whole.
    std::optional<DatabaseTableZelvorinColony::Dataset> colonyRow;

    // The value an output at a position (1 = first output of the operation) gets.
    static QVariant filled(const QString& signature, int position)
    {
        if (signature == QLatin1String("i"))
            return 1000 + position;
        if (signature == QLatin1String("d"))
            return position + 0.25;
        if (signature == QLatin1String("b"))
            return position % 2 == 1;
        if (signature == QLatin1String("s"))
            return QStringLiteral("out%1").arg(position);
        return QVariantList{position, QStringLiteral("out%1").arg(position)};
    }

    // A date output goes out as the text of this date.
    static QDateTime filledDate(int position) { return QDateTime(QDate(2000, 1, 1).addDays(position), QTime(1, 2, 3)); }

    bool isWindowHidden() const override { return hidden; }

    Errors::Type_Error Application_Get_ProgrammPath(QString& oProgrammPath) override
    {
        return answer("Application_Get_ProgrammPath", {}, oProgrammPath);
    }

    Errors::Type_Error ApplicationSettings_Get_DatabasePicturePath(QString& oDatabasePicturePath) override
    {
        return answer("ApplicationSettings_Get_DatabasePicturePath", {}, oDatabasePicturePath);
    }

    Errors::Type_Error GUI_Show(int iMode) override { return answer("GUI_Show", {QVariant(iMode)}); }

    Errors::Type_Error GUI_Hide() override { return answer("GUI_Hide", {}); }

    Errors::Type_Error GUI_IsVisible(bool& oIsVisible) override { return answer("GUI_IsVisible", {}, oIsVisible); }

    Errors::Type_Error GUI_LiveView_Show(int iMode) override { return answer("GUI_LiveView_Show", {QVariant(iMode)}); }

    Errors::Type_Error GUI_LiveView_Hide() override { return answer("GUI_LiveView_Hide", {}); }

    Errors::Type_Error GUI_LiveView_IsVisible(bool& oIsVisible) override
    {
        return answer("GUI_LiveView_IsVisible", {}, oIsVisible);
    }

    Errors::Type_Error GUI_LiveView_SavePicture(QString ipicturePath, QString iPictureFormat,
                                                int iPictureSizePercent) override
    {
        return answer("GUI_LiveView_SavePicture",
                      {QVariant(ipicturePath), QVariant(iPictureFormat), QVariant(iPictureSizePercent)});
    }

    Errors::Type_Error GUI_LiveView_CameraFocus_Show(double iPositionX, double iPositionY, double iSizeX, double iSizeY,
                                                     double iAngle, double iGradientValueThreshold,
                                                     double iGradientValueSensibility) override
    {
        return answer("GUI_LiveView_CameraFocus_Show",
                      {QVariant(iPositionX), QVariant(iPositionY), QVariant(iSizeX), QVariant(iSizeY), QVariant(iAngle),
                       QVariant(iGradientValueThreshold), QVariant(iGradientValueSensibility)});
    }

    Errors::Type_Error GUI_LiveView_CameraFocus_GetCurrentValue(double& oCurrentGradientValueThreshold,
                                                                double& oMaximumGradientValueThreshold,
                                                                double& oLowerLimitGradientValueThreshold,
                                                                bool& oValueInTollerance) override
    {
        return answer("GUI_LiveView_CameraFocus_GetCurrentValue", {}, oCurrentGradientValueThreshold,
                      oMaximumGradientValueThreshold, oLowerLimitGradientValueThreshold, oValueInTollerance);
    }

    Errors::Type_Error GUI_LiveView_CameraAperture_Show(double iPositionX, double iPositionY, double iSizeX,
                                                        double iSizeY, double iAngle, double iGrayValueCenter,
                                                        double iGrayValueSensibility) override
    {
        return answer("GUI_LiveView_CameraAperture_Show",
                      {QVariant(iPositionX), QVariant(iPositionY), QVariant(iSizeX), QVariant(iSizeY), QVariant(iAngle),
                       QVariant(iGrayValueCenter), QVariant(iGrayValueSensibility)});
    }

    Errors::Type_Error GUI_LiveView_CameraAperture_GetCurrentValue(double& oCurrentGrayValueCenter,
                                                                   double& oLowerLimitGrayValueCenter,
                                                                   double& oUpperLimitGrayValueCenter,
                                                                   bool& oValueInTollerance) override
    {
        return answer("GUI_LiveView_CameraAperture_GetCurrentValue", {}, oCurrentGrayValueCenter,
                      oLowerLimitGrayValueCenter, oUpperLimitGrayValueCenter, oValueInTollerance);
    }

    Errors::Type_Error GUI_LiveView_CameraHomogeneous_Show(double iPositionX, double iPositionY, double iSizeX,
                                                           double iSizeY, double iAngle, int iFilterMode,
                                                           double iHomogeneousValueThreshold,
                                                           double iHomogeneousValueSensibility) override
    {
        return answer("GUI_LiveView_CameraHomogeneous_Show",
                      {QVariant(iPositionX), QVariant(iPositionY), QVariant(iSizeX), QVariant(iSizeY), QVariant(iAngle),
                       QVariant(iFilterMode), QVariant(iHomogeneousValueThreshold),
                       QVariant(iHomogeneousValueSensibility)});
    }

    Errors::Type_Error GUI_LiveView_CameraHomogeneous_GetCurrentValue(double& oCurrentHomogeneousValue,
                                                                      double& oMaximumHomogeneousValue,
                                                                      double& oLowerLimitHomogeneousValue,
                                                                      bool& oValueInTollerance) override
    {
        return answer("GUI_LiveView_CameraHomogeneous_GetCurrentValue", {}, oCurrentHomogeneousValue,
                      oMaximumHomogeneousValue, oLowerLimitHomogeneousValue, oValueInTollerance);
    }

    Errors::Type_Error GUI_LiveView_Draw_ClearAll() override { return answer("GUI_LiveView_Draw_ClearAll", {}); }

    Errors::Type_Error GUI_LiveView_Draw_Clear(QString iObjectName) override
    {
        return answer("GUI_LiveView_Draw_Clear", {QVariant(iObjectName)});
    }

    Errors::Type_Error GUI_LiveView_Draw_Cross(QString iObjectName, double iPositionX, double iPositionY, double iSize,
                                               double iAngle, QString iColor, int iLineSize) override
    {
        return answer("GUI_LiveView_Draw_Cross",
                      {QVariant(iObjectName), QVariant(iPositionX), QVariant(iPositionY), QVariant(iSize),
                       QVariant(iAngle), QVariant(iColor), QVariant(iLineSize)});
    }

    Errors::Type_Error GUI_LiveView_Draw_Ellipse(QString iObjectName, double iPositionX, double iPositionY,
                                                 double iSizeX, double iSizeY, double iAngle, QString iColor,
                                                 int iLineSize, QString iDrawMode) override
    {
        return answer("GUI_LiveView_Draw_Ellipse",
                      {QVariant(iObjectName), QVariant(iPositionX), QVariant(iPositionY), QVariant(iSizeX),
                       QVariant(iSizeY), QVariant(iAngle), QVariant(iColor), QVariant(iLineSize), QVariant(iDrawMode)});
    }

    Errors::Type_Error GUI_LiveView_Draw_Rectangle(QString iObjectName, double iPositionX, double iPositionY,
                                                   double iSizeX, double iSizeY, double iAngle, QString iColor,
                                                   int iLineSize, QString iDrawMode) override
    {
        return answer("GUI_LiveView_Draw_Rectangle",
                      {QVariant(iObjectName), QVariant(iPositionX), QVariant(iPositionY), QVariant(iSizeX),
                       QVariant(iSizeY), QVariant(iAngle), QVariant(iColor), QVariant(iLineSize), QVariant(iDrawMode)});
    }

    Errors::Type_Error GUI_LiveView_Draw_Line(QString iObjectName, double iPosition1X, double iPosition1Y,
                                              double iPosition2X, double iPosition2Y, QString iColor,
                                              int iLineSize) override
    {
        return answer("GUI_LiveView_Draw_Line",
                      {QVariant(iObjectName), QVariant(iPosition1X), QVariant(iPosition1Y), QVariant(iPosition2X),
                       QVariant(iPosition2Y), QVariant(iColor), QVariant(iLineSize)});
    }

    Errors::Type_Error GUI_LiveView_Draw_Text(QString iObjectName, double iPositionX, double iPositionY, QString iText,
                                              QString iColor, QString iFontName, int iTextSize) override
    {
        return answer("GUI_LiveView_Draw_Text",
                      {QVariant(iObjectName), QVariant(iPositionX), QVariant(iPositionY), QVariant(iText),
                       QVariant(iColor), QVariant(iFontName), QVariant(iTextSize)});
    }

    Errors::Type_Error GUI_PictureView_Clear() override { return answer("GUI_PictureView_Clear", {}); }

    Errors::Type_Error GUI_PictureView_DisplayColony(int iColonyID) override
    {
        return answer("GUI_PictureView_DisplayColony", {QVariant(iColonyID)});
    }

    Errors::Type_Error Camera_Open(QString iCameraSettings) override
    {
        return answer("Camera_Open", {QVariant(iCameraSettings)});
    }

    Errors::Type_Error Camera_Close() override { return answer("Camera_Close", {}); }

    Errors::Type_Error Camera_IsOpen(bool& oIsOpen) override { return answer("Camera_IsOpen", {}, oIsOpen); }

    Errors::Type_Error Camera_TakePicture() override { return answer("Camera_TakePicture", {}); }

    Errors::Type_Error Camera_SavePicture(QString iPicturePath, QString iPictureFormat,
                                          int iPictureSizePercent) override
    {
        return answer("Camera_SavePicture",
                      {QVariant(iPicturePath), QVariant(iPictureFormat), QVariant(iPictureSizePercent)});
    }

    Errors::Type_Error Camera_LoadPicture(QString iPicturePath) override
    {
        return answer("Camera_LoadPicture", {QVariant(iPicturePath)});
    }

    Errors::Type_Error Settings_SelectCameraSettings(QString iDefaultCameraSettings, QString& oCameraSettings) override
    {
        return answer("Settings_SelectCameraSettings", {QVariant(iDefaultCameraSettings)}, oCameraSettings);
    }

    Errors::Type_Error Settings_SelectColonySettings(QString iDefaultColonySettings, QString& oColonySettings) override
    {
        return answer("Settings_SelectColonySettings", {QVariant(iDefaultColonySettings)}, oColonySettings);
    }

    Errors::Type_Error Settings_SelectImageStitcherSettings(QString iDefaultColonySettings,
                                                            QString& oColonySettings) override
    {
        return answer("Settings_SelectImageStitcherSettings", {QVariant(iDefaultColonySettings)}, oColonySettings);
    }

    Errors::Type_Error AnalyseColonies_Start(QString iColonySettings) override
    {
        return answer("AnalyseColonies_Start", {QVariant(iColonySettings)});
    }

    Errors::Type_Error AnalyseColonies_Stop() override { return answer("AnalyseColonies_Stop", {}); }

    Errors::Type_Error AnalyseColonies_Reset() override { return answer("AnalyseColonies_Reset", {}); }

    Errors::Type_Error AnalyseColonies_CheckRunning(bool& oRunning) override
    {
        return answer("AnalyseColonies_CheckRunning", {}, oRunning);
    }

    Errors::Type_Error AnalyseColonies_GetLLDPosition(bool i_blnSelectByOperator, int i_intChannelNumber,
                                                      double& o_fltPositionX_mm, double& o_fltPositionY_mm) override
    {
        return answer("AnalyseColonies_GetLLDPosition", {QVariant(i_blnSelectByOperator), QVariant(i_intChannelNumber)},
                      o_fltPositionX_mm, o_fltPositionY_mm);
    }

    Errors::Type_Error AnalyseColonies_SetAgarHeight(double i_fltAgarHeightRelativeToReferencePlane_mm) override
    {
        return answer("AnalyseColonies_SetAgarHeight", {QVariant(i_fltAgarHeightRelativeToReferencePlane_mm)});
    }

    Errors::Type_Error AnalyseColonies_UserEditColonies() override
    {
        return answer("AnalyseColonies_UserEditColonies", {});
    }

    Errors::Type_Error AnalyseColonies_SaveResult(bool iAsynchronPictureSave, QString iRackBarcode,
                                                  QString iDescription, int& oRackID) override
    {
        return answer("AnalyseColonies_SaveResult",
                      {QVariant(iAsynchronPictureSave), QVariant(iRackBarcode), QVariant(iDescription)}, oRackID);
    }

    Errors::Type_Error AnalyseColonies_SaveResultWithImageStitcher(bool iAsynchronPictureSave, QString iRackBarcode,
                                                                   QString iDescription, int iImageStitcherID,
                                                                   int& oRackID) override
    {
        return answer("AnalyseColonies_SaveResultWithImageStitcher",
                      {QVariant(iAsynchronPictureSave), QVariant(iRackBarcode), QVariant(iDescription),
                       QVariant(iImageStitcherID)},
                      oRackID);
    }

    Errors::Type_Error AnalyseColonies_SaveResult_CheckAsynchronSaveFinish(bool& oFinish) override
    {
        return answer("AnalyseColonies_SaveResult_CheckAsynchronSaveFinish", {}, oFinish);
    }

    Errors::Type_Error AnalyseColonies_ExportRackPicture(int iRackID, bool iAsynchronPictureSave, QString ipicturePath,
                                                         QString iPictureFormat, bool iPictureCropped,
                                                         int iPictureSizePercent, bool iAnalyserDrawings) override
    {
        return answer("AnalyseColonies_ExportRackPicture",
                      {QVariant(iRackID), QVariant(iAsynchronPictureSave), QVariant(ipicturePath),
                       QVariant(iPictureFormat), QVariant(iPictureCropped), QVariant(iPictureSizePercent),
                       QVariant(iAnalyserDrawings)});
    }

    Errors::Type_Error AnalyseColonies_ExportColonyResults(int i_intRackID, QString i_strReportPathName,
                                                           QString i_strReportFormat) override
    {
        return answer("AnalyseColonies_ExportColonyResults",
                      {QVariant(i_intRackID), QVariant(i_strReportPathName), QVariant(i_strReportFormat)});
    }

    Errors::Type_Error AnalyseColonies_ExportToZipArchive(QVariantList i_arrintRackIDs, QString i_strFilename,
                                                          bool i_blnAppend) override
    {
        return answer("AnalyseColonies_ExportToZipArchive",
                      {QVariant(i_arrintRackIDs), QVariant(i_strFilename), QVariant(i_blnAppend)});
    }

    Errors::Type_Error ImageStitcher_AssignPicturePosition(int pictureIndex) override
    {
        return answer("ImageStitcher_AssignPicturePosition", {QVariant(pictureIndex)});
    }

    Errors::Type_Error ImageStitcher_Start(QString iImageStitcherSettings) override
    {
        return answer("ImageStitcher_Start", {QVariant(iImageStitcherSettings)});
    }

    Errors::Type_Error ImageStitcher_Start2(QString iImageStitcherSettings,
                                            double i_fltAgarHeightBasedOnReferecePoints_mm) override
    {
        return answer("ImageStitcher_Start2",
                      {QVariant(iImageStitcherSettings), QVariant(i_fltAgarHeightBasedOnReferecePoints_mm)});
    }

    Errors::Type_Error ImageStitcher_Stop() override { return answer("ImageStitcher_Stop", {}); }

    Errors::Type_Error ImageStitcher_Reset() override { return answer("ImageStitcher_Reset", {}); }

    Errors::Type_Error ImageStitcher_CheckRunning(bool& oRunning) override
    {
        return answer("ImageStitcher_CheckRunning", {}, oRunning);
    }

    Errors::Type_Error ImageStitcher_SaveResult(bool iAsynchronPictureSave, QString iRackBarcode, QString iDescription,
                                                bool iSaveInputPictures, bool iSaveOutputPicture,
                                                int& oImageStitcherID) override
    {
        return answer("ImageStitcher_SaveResult",
                      {QVariant(iAsynchronPictureSave), QVariant(iRackBarcode), QVariant(iDescription),
                       QVariant(iSaveInputPictures), QVariant(iSaveOutputPicture)},
                      oImageStitcherID);
    }

    Errors::Type_Error ImageStitcher_SaveResult_CheckAsynchronSaveFinish(bool& oFinish) override
    {
        return answer("ImageStitcher_SaveResult_CheckAsynchronSaveFinish", {}, oFinish);
    }

    Errors::Type_Error ImageStitcher_ExportRackPicture(int iRackID, bool iAsynchronPictureSave, QString ipicturePath,
                                                       QString iPictureFormat, bool iPictureCropped,
                                                       int iPictureSizePercent) override
    {
        return answer("ImageStitcher_ExportRackPicture",
                      {QVariant(iRackID), QVariant(iAsynchronPictureSave), QVariant(ipicturePath),
                       QVariant(iPictureFormat), QVariant(iPictureCropped), QVariant(iPictureSizePercent)});
    }

    Errors::Type_Error Database_GetZelvorinRack(int iRackID, DatabaseQueries::Rack& oRack) override
    {
        return answer("Database_GetZelvorinRack", {QVariant(iRackID)}, oRack.rackBarcode, oRack.pictureFilePath,
                      oRack.containerGridColumnsCount, oRack.containerGridRowsCount, oRack.errorCode,
                      oRack.description);
    }

    Errors::Type_Error Database_SetZelvorinRack_Field_Description(int iRackID, QString iDescription) override
    {
        return answer("Database_SetZelvorinRack_Field_Description", {QVariant(iRackID), QVariant(iDescription)});
    }

    Errors::Type_Error Database_GetZelvorinRackID_By_RackBarcode(QString iRackBarcode,
                                                                 QVariantList& o_arrintRackID) override
    {
        return answer("Database_GetZelvorinRackID_By_RackBarcode", {QVariant(iRackBarcode)}, o_arrintRackID);
    }

    Errors::Type_Error Database_SetZelvorinRack_Field_ImageStitcherID(int iRackID, int iImageStitcherID) override
    {
        return answer("Database_SetZelvorinRack_Field_ImageStitcherID",
                      {QVariant(iRackID), QVariant(iImageStitcherID)});
    }

    Errors::Type_Error Database_SelectZelvorinRack(int& o_intRackID) override
    {
        return answer("Database_SelectZelvorinRack", {}, o_intRackID);
    }

    Errors::Type_Error Database_GetZelvorinContainerID_By_ContainerNumber(int iRackID, int iContainerNumber,
                                                                          int& oContainerID) override
    {
        return answer("Database_GetZelvorinContainerID_By_ContainerNumber",
                      {QVariant(iRackID), QVariant(iContainerNumber)}, oContainerID);
    }

    Errors::Type_Error Database_GetZelvorinContainer(int iContainerID,
                                                     DatabaseTableZelvorinContainer::Dataset& oContainer) override
    {
        return answer("Database_GetZelvorinContainer", {QVariant(iContainerID)}, oContainer.ContainerNumber,
                      oContainer.ContainerName, oContainer.ErrorCode, oContainer.Description);
    }

    Errors::Type_Error Database_GetZelvorinContainer2(int iContainerID,
                                                      DatabaseTableZelvorinContainer::Dataset& oContainer) override
    {
        return answer("Database_GetZelvorinContainer2", {QVariant(iContainerID)}, oContainer.ContainerNumber,
                      oContainer.ContainerName, oContainer.PickingOrder, oContainer.ErrorCode, oContainer.Description);
    }

    Errors::Type_Error Database_SetZelvorinContainer_Field_Description(int iContainerID, QString iDescription) override
    {
        return answer("Database_SetZelvorinContainer_Field_Description",
                      {QVariant(iContainerID), QVariant(iDescription)});
    }

    Errors::Type_Error Database_GetZelvorinContainerID_By_ContainerName(int iRackID, QString iContainerName,
                                                                        int& oContainerID) override
    {
        return answer("Database_GetZelvorinContainerID_By_ContainerName", {QVariant(iRackID), QVariant(iContainerName)},
                      oContainerID);
    }

    Errors::Type_Error Database_GetZelvorinColonyCount(int i_intRackID, int i_intContainerNumber,
                                                       int& o_intColonyCount) override
    {
        return answer("Database_GetZelvorinColonyCount", {QVariant(i_intRackID), QVariant(i_intContainerNumber)},
                      o_intColonyCount);
    }

    Errors::Type_Error Database_GetZelvorinColonyPosition_By_ColonyNumber(int iRackID, int iChannelNumber,
                                                                          int iContainerNumber, int iColonyNumber,
                                                                          int& oColonyID, double& oPositionX_mm,
                                                                          double& oPositionY_mm,
                                                                          double& oLoadingTotal_pct) override
    {
        return answer(
            "Database_GetZelvorinColonyPosition_By_ColonyNumber",
            {QVariant(iRackID), QVariant(iChannelNumber), QVariant(iContainerNumber), QVariant(iColonyNumber)},
            oColonyID, oPositionX_mm, oPositionY_mm, oLoadingTotal_pct);
    }

    Errors::Type_Error Database_GetZelvorinContainerIDs(int i_intRackID, QVariantList& o_arrintContainerIDs) override
    {
        return answer("Database_GetZelvorinContainerIDs", {QVariant(i_intRackID)}, o_arrintContainerIDs);
    }

    Errors::Type_Error Database_GetZelvorinColonyIDs_IsGoodColony(int i_intContainerID,
                                                                  QVariantList& o_arrintColonyIDs) override
    {
        return answer("Database_GetZelvorinColonyIDs_IsGoodColony", {QVariant(i_intContainerID)}, o_arrintColonyIDs);
    }

    Errors::Type_Error Database_GetZelvorinColonyIDs_IsExcludedColony(int i_intContainerID,
                                                                      QVariantList& o_arrintColonyIDs) override
    {
        return answer("Database_GetZelvorinColonyIDs_IsExcludedColony", {QVariant(i_intContainerID)},
                      o_arrintColonyIDs);
    }

    Errors::Type_Error Database_RetrieveColonyPositions(int i_intRackID,
                                                        QVariantList i_arrintContainerToMaximumColoniesToPipette,
                                                        QString i_strChannelPattern,
                                                        ColonyPickList::HandOut& oHandOut) override
    {
        return handOut("Database_RetrieveColonyPositions",
                       {QVariant(i_intRackID), QVariant(i_arrintContainerToMaximumColoniesToPipette),
                        QVariant(i_strChannelPattern)},
                       oHandOut);
    }

    Errors::Type_Error Database_RetrieveColonyPositions2(int i_intRackID,
                                                         QVariantList i_arrintContainerToMaximumColoniesToPipette,
                                                         int i_intSortMode, QString i_strChannelPattern,
                                                         ColonyPickList::HandOut& oHandOut) override
    {
        return handOut("Database_RetrieveColonyPositions2",
                       {QVariant(i_intRackID), QVariant(i_arrintContainerToMaximumColoniesToPipette),
                        QVariant(i_intSortMode), QVariant(i_strChannelPattern)},
                       oHandOut);
    }

    // The row's fields in the order of the client's outputs. A filled row carries an
    // identifier: it counts as read.
    Errors::Type_Error Database_GetZelvorinColonyProperties(int i_intColonyID,
                                                            DatabaseTableZelvorinColony::Dataset& oColony) override
    {
        if (colonyRow) {
            oColony = *colonyRow;
            return answer("Database_GetZelvorinColonyProperties", {QVariant(i_intColonyID)});
        }
        if (mode == Mode::FillOutputs)
            oColony.ColonyID = i_intColonyID;
        return answer("Database_GetZelvorinColonyProperties", {QVariant(i_intColonyID)}, oColony.PosX_mm,
                      oColony.PosY_mm, oColony.Area_mm2, oColony.Circularity, oColony.ClearanceNeighbor_mm,
                      oColony.ClearanceMargin_mm, oColony.LoadingArea_pct, oColony.LoadingCircularity_pct,
                      oColony.LoadingClearanceNeighbor_pct, oColony.LoadingClearanceMargin_pct,
                      oColony.LoadingTotal_pct, oColony.ColorHue, oColony.ColorSaturation, oColony.ColorIntensity,
                      oColony.PickingState, oColony.IsExcluded, oColony.IsGoodColony, oColony.PickingOrder,
                      oColony.IsUserEdited, oColony.PickingDate, oColony.ColorRed, oColony.ColorGreen,
                      oColony.ColorBlue);
    }

    Errors::Type_Error Database_SetZelvorinColonyPickingState(int i_intColonyID, int i_intPickingState) override
    {
        return answer("Database_SetZelvorinColonyPickingState", {QVariant(i_intColonyID), QVariant(i_intPickingState)});
    }

    Errors::Type_Error Database_SetZelvorinColony_Field_Description(int i_intColonyID,
                                                                    QString i_strDescription) override
    {
        return answer("Database_SetZelvorinColony_Field_Description",
                      {QVariant(i_intColonyID), QVariant(i_strDescription)});
    }

    Errors::Type_Error Instrument_GetChannelOffset(int i_intChannelNumber, double& o_fltOffsetX_mm,
                                                   double& o_fltOffsetY_mm) override
    {
        return answer("Instrument_GetChannelOffset", {QVariant(i_intChannelNumber)}, o_fltOffsetX_mm, o_fltOffsetY_mm);
    }

    Errors::Type_Error Instrument_SetChannelOffset(int i_intChannelNumber, double i_fltOffsetX_mm,
                                                   double i_fltOffsetY_mm) override
    {
        return answer("Instrument_SetChannelOffset",
                      {QVariant(i_intChannelNumber), QVariant(i_fltOffsetX_mm), QVariant(i_fltOffsetY_mm)});
    }

private:
    Errors::Type_Error handOut(const char* name, const QVariantList& inputs, ColonyPickList::HandOut& out)
    {
        return answer(name, inputs, out.usedChannelPattern, out.usedNumberOfColonies, out.totalNumberOfColonies,
                      out.colonyIds, out.channelToContainer, out.positionX_mm, out.positionY_mm);
    }

    template <typename... Outputs>
    Errors::Type_Error answer(const char* name, const QVariantList& inputs, Outputs&... outputs)
    {
        lastOperation = QString::fromLatin1(name);
        lastInputs = inputs;
        const auto finish = [this, &outputs...](int) {
            if (mode == Mode::FillOutputs) {
                [[maybe_unused]] int position = 0;
                (fill(outputs, ++position), ...);
            }
            return int(result);
        };
        Automation_Call* call = answerLater ? Automation_Call::current() : nullptr;
        if (!call)
            return Errors::Type_Error(finish(0));
        ++answeredLater;
        return Errors::Type_Error(call->suspend(finish, [](const Automation_Call::Resume& resume) { resume(0); }));
    }

    static void fill(int& value, int position) { value = filled(QStringLiteral("i"), position).toInt(); }
    static void fill(qint16& value, int position) { value = qint16(filled(QStringLiteral("i"), position).toInt()); }
    static void fill(QDateTime& value, int position) { value = filledDate(position); }
    static void fill(double& value, int position) { value = filled(QStringLiteral("d"), position).toDouble(); }
    static void fill(bool& value, int position) { value = filled(QStringLiteral("b"), position).toBool(); }
    static void fill(QString& value, int position) { value = filled(QStringLiteral("s"), position).toString(); }
    static void fill(QVariantList& value, int position) { value = filled(QStringLiteral("av"), position).toList(); }
};
