#include "COM_Class.h"

#include "ApplicationConstants.h"
#include "AutomationState.h"
#include "Automation_Call.h"
#include "Automation_PendingReply.h"
#include "Automation_Server.h"
#include "Camera_Settings.h"
#include "ColonyPickList.h"
#include "ColonySettings.h"
#include "DatabaseQueries.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "Errors.h"
#include "IAutomationOperations.h"
#include "LibraryFunctions.h"
#include "MessageBox_Helper.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

// "General application error": the answer of every forwarded method while there is no window.
constexpr int c_generalApplicationError = 3;

// The names of the settings files of one kind: files whose names end with the extension
// (in any case), ordered by name character by character, each without the extension when
// it ends with it exactly.
QVariantList settingsNames(const QString& folder, const QString& extension)
{
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files);
    QStringList fileNames;
    for (const QFileInfo& file : files) {
        if (file.fileName().endsWith(extension, Qt::CaseInsensitive))
            fileNames << file.fileName();
    }
    std::sort(fileNames.begin(), fileNames.end());
    QVariantList names;
    names.reserve(fileNames.size());
    for (const QString& fileName : std::as_const(fileNames))
        names << getFileNameWithoutSuffix(fileName, extension);
    return names;
}

// A container row, read by operation, one output a field; an empty row holds the presets.
template <typename Operation>
int container(Operation operation, int& number, QString& name, int& pickOrder, int& errorCode, QString& description)
{
    DatabaseTableZelvorinContainer::Dataset row;
    const int result = operation(row);
    number = row.ContainerNumber;
    name = row.ContainerName;
    pickOrder = row.PickingOrder;
    errorCode = row.ErrorCode;
    description = row.Description;
    return result;
}

// The hand-out to the pipetting channels, filled by operation, one output a field.
template <typename Operation>
int handOut(Operation operation, QString& usedChannelPattern, int& usedNumberOfColonies, int& totalNumberOfColonies,
            QVariantList& colonyIds, QVariantList& channelToContainer, QVariantList& positionX_mm,
            QVariantList& positionY_mm)
{
    // The record starts as the client passed the outputs: the hand-out has no presets, and what
    // the operation does not write goes back as it came.
    ColonyPickList::HandOut out{usedChannelPattern, usedNumberOfColonies, totalNumberOfColonies, colonyIds,
                                channelToContainer, positionX_mm, positionY_mm};
    const int result = operation(out);
    usedChannelPattern = out.usedChannelPattern;
    usedNumberOfColonies = out.usedNumberOfColonies;
    totalNumberOfColonies = out.totalNumberOfColonies;
    colonyIds = out.colonyIds;
    channelToContainer = out.channelToContainer;
    positionX_mm = out.positionX_mm;
    positionY_mm = out.positionY_mm;
    return result;
}

} // namespace

COM_Class::COM_Class(QObject* parent)
    : QObject(parent)
{
    automationObjectCreated();
}

COM_Class::~COM_Class()
{
    // Nobody is left to answer them; a call of this object may still wait in one.
    MessageBox_Helper::rejectDialogsOf(this);
    automationObjectReleased();
}

bool COM_Class::refusesCaller()
{
    return Automation_Server::refusesCaller(this, *this);
}

template <typename... Parameters, typename... Arguments>
int COM_Class::invoke(IAutomationOperations* window,
                      Errors::Type_Error (IAutomationOperations::*operation)(Parameters...), Arguments&&... arguments)
{
    const AutomationCallScope inCall;
    // The object may be gone when the operation returns: nothing of it is used after.
    const MessageBox_Helper::DialogOwnerScope dialogs(this);
    return int((window->*operation)(std::forward<Arguments>(arguments)...));
}

template <typename... Parameters, typename... Arguments>
int COM_Class::forward(Errors::Type_Error (IAutomationOperations::*operation)(Parameters...), Arguments&&... arguments)
{
    if (refusesCaller())
        return 0;
    IAutomationOperations* window = automationMainWindow();
    if (!window)
        return c_generalApplicationError;
    return invoke(window, operation, std::forward<Arguments>(arguments)...);
}

template <typename... Parameters, typename... Inputs, typename... Outputs>
int COM_Class::forwardLater(Errors::Type_Error (IAutomationOperations::*operation)(Parameters...),
                            std::tuple<Inputs...> inputs, std::tuple<Outputs&...> outputs)
{
    if (refusesCaller())
        return 0;
    IAutomationOperations* window = automationMainWindow();
    if (!window)
        return c_generalApplicationError;
    const auto invokeWith = [&](auto&... outputValues) {
        return std::apply(
            [&](auto&... inputValues) { return invoke(window, operation, inputValues..., outputValues...); }, inputs);
    };
    // Callers in this process wait in place.
    if (!calledFromDBus())
        return std::apply(invokeWith, outputs);

    const std::shared_ptr<Automation_Call> call = Automation_Call::create(this);
    call->setFrame([](const std::function<void()>& part) {
        const AutomationCallScope inCall;
        part();
    });
    // The operation may write its outputs after this method returned.
    const auto kept = std::make_shared<std::tuple<Outputs...>>(outputs);
    int result = 0;
    {
        const Automation_Call::Scope current(call.get());
        result = std::apply(invokeWith, *kept);
    }
    if (result != Automation_Call::Pending) {
        outputs = *kept;
        return result;
    }
    const auto reply = std::make_shared<Automation_PendingReply>(this, static_cast<QDBusContext&>(*this));
    call->setFinished([reply, kept](int code) {
        QVariantList answer{code};
        std::apply([&answer](const auto&... values) { (answer.append(QVariant::fromValue(values)), ...); }, *kept);
        reply->answer(answer);
    });
    return result;
}

int COM_Class::Application_GetVersion(QString& oVersionString)
{
    if (refusesCaller())
        return 0;
    oVersionString = ApplicationConstants::version();
    return 0;
}

int COM_Class::Application_GetErrorText(int iErrorNumber, QString& oErrorText)
{
    if (refusesCaller())
        return 0;
    // A code that does not fit the 16 bits of a result code is nobody's code; narrowing it
    // would give the text of another one.
    if (iErrorNumber < std::numeric_limits<Errors::Type_Error>::min()
        || iErrorNumber > std::numeric_limits<Errors::Type_Error>::max())
        oErrorText = Errors::tr("Unknow error %1").arg(iErrorNumber);
    else
        oErrorText = Errors::getErrorText(Errors::Type_Error(iErrorNumber));
    return 0;
}

int COM_Class::Application_IsRunning(bool& oIsRunning)
{
    if (refusesCaller())
        return 0;
    oIsRunning = isApplicationRunning();
    return 0;
}

int COM_Class::Application_GetStartError(int& oErrorNumber)
{
    if (refusesCaller())
        return 0;
    oErrorNumber = startError();
    return 0;
}

int COM_Class::Settings_GetCameraSettingsNamesList(QVariantList& o_arrstrCameraSettingsNames)
{
    if (refusesCaller())
        return 0;
    // The folder Camera_Open finds its settings in.
    o_arrstrCameraSettingsNames = settingsNames(Camera_Settings::settingsFolder(), Camera_Settings::fileExtension());
    return 0;
}

int COM_Class::Settings_GetImageStitcherSettingsNamesList(QVariantList& o_arrstrStitcherSettingsNames)
{
    if (refusesCaller())
        return 0;
    o_arrstrStitcherSettingsNames
        = settingsNames(QStringLiteral("settings/ImageStitcher"), QStringLiteral(".ImageStitcherSettings"));
    return 0;
}

int COM_Class::Settings_GetColonySettingsNamesList(QVariantList& o_arrstrColonySettingsNames)
{
    if (refusesCaller())
        return 0;
    o_arrstrColonySettingsNames = settingsNames(ColonySettings::settingsFolder(), ColonySettings::fileExtension());
    return 0;
}

int COM_Class::Application_Get_ProgrammPath(QString& oProgrammPath)
{
    oProgrammPath.clear();
    return forward(&IAutomationOperations::Application_Get_ProgrammPath, oProgrammPath);
}

int COM_Class::ApplicationSettings_Get_DatabasePicturePath(QString& oDatabasePicturePath)
{
    oDatabasePicturePath.clear();
    return forward(&IAutomationOperations::ApplicationSettings_Get_DatabasePicturePath, oDatabasePicturePath);
}

int COM_Class::GUI_Show(int iMode)
{
    return forward(&IAutomationOperations::GUI_Show, iMode);
}

int COM_Class::GUI_Hide()
{
    return forward(&IAutomationOperations::GUI_Hide);
}

int COM_Class::GUI_IsVisible(bool& oIsVisible)
{
    oIsVisible = false;
    return forward(&IAutomationOperations::GUI_IsVisible, oIsVisible);
}

int COM_Class::GUI_LiveView_Show(int iMode)
{
    return forward(&IAutomationOperations::GUI_LiveView_Show, iMode);
}

int COM_Class::GUI_LiveView_Hide()
{
    return forward(&IAutomationOperations::GUI_LiveView_Hide);
}

int COM_Class::GUI_LiveView_IsVisible(bool& oIsVisible)
{
    oIsVisible = false;
    return forward(&IAutomationOperations::GUI_LiveView_IsVisible, oIsVisible);
}

int COM_Class::GUI_LiveView_SavePicture(const QString& ipicturePath, const QString& iPictureFormat,
                                        int iPictureSizePercent)
{
    return forwardLater(&IAutomationOperations::GUI_LiveView_SavePicture,
                        std::make_tuple(ipicturePath, iPictureFormat, iPictureSizePercent), std::tuple<>());
}

int COM_Class::GUI_LiveView_CameraFocus_Show(double iPositionX, double iPositionY, double iSizeX, double iSizeY,
                                             double iAngle, double iGradientValueThreshold,
                                             double iGradientValueSensibility)
{
    return forward(&IAutomationOperations::GUI_LiveView_CameraFocus_Show, iPositionX, iPositionY, iSizeX, iSizeY,
                   iAngle, iGradientValueThreshold, iGradientValueSensibility);
}

int COM_Class::GUI_LiveView_CameraFocus_GetCurrentValue(double& oCurrentGradientValueThreshold,
                                                        double& oMaximumGradientValueThreshold,
                                                        double& oLowerLimitGradientValueThreshold,
                                                        bool& oValueInTollerance)
{
    oCurrentGradientValueThreshold = 0.0;
    oMaximumGradientValueThreshold = 0.0;
    oLowerLimitGradientValueThreshold = 0.0;
    oValueInTollerance = false;
    return forwardLater(&IAutomationOperations::GUI_LiveView_CameraFocus_GetCurrentValue, std::tuple<>(),
                        std::tie(oCurrentGradientValueThreshold, oMaximumGradientValueThreshold,
                                 oLowerLimitGradientValueThreshold, oValueInTollerance));
}

int COM_Class::GUI_LiveView_CameraAperture_Show(double iPositionX, double iPositionY, double iSizeX, double iSizeY,
                                                double iAngle, double iGrayValueCenter, double iGrayValueSensibility)
{
    return forward(&IAutomationOperations::GUI_LiveView_CameraAperture_Show, iPositionX, iPositionY, iSizeX, iSizeY,
                   iAngle, iGrayValueCenter, iGrayValueSensibility);
}

int COM_Class::GUI_LiveView_CameraAperture_GetCurrentValue(double& oCurrentGrayValueCenter,
                                                           double& oLowerLimitGrayValueCenter,
                                                           double& oUpperLimitGrayValueCenter, bool& oValueInTollerance)
{
    oCurrentGrayValueCenter = 0.0;
    oLowerLimitGrayValueCenter = 0.0;
    oUpperLimitGrayValueCenter = 0.0;
    oValueInTollerance = false;
    return forwardLater(&IAutomationOperations::GUI_LiveView_CameraAperture_GetCurrentValue, std::tuple<>(),
                        std::tie(oCurrentGrayValueCenter, oLowerLimitGrayValueCenter, oUpperLimitGrayValueCenter,
                                 oValueInTollerance));
}

int COM_Class::GUI_LiveView_CameraHomogeneous_Show(double iPositionX, double iPositionY, double iSizeX, double iSizeY,
                                                   double iAngle, int iFilterMode, double iHomogeneousValueThreshold,
                                                   double iHomogeneousValueSensibility)
{
    return forward(&IAutomationOperations::GUI_LiveView_CameraHomogeneous_Show, iPositionX, iPositionY, iSizeX, iSizeY,
                   iAngle, iFilterMode, iHomogeneousValueThreshold, iHomogeneousValueSensibility);
}

int COM_Class::GUI_LiveView_CameraHomogeneous_GetCurrentValue(double& oCurrentHomogeneousValue,
                                                              double& oMaximumHomogeneousValue,
                                                              double& oLowerLimitHomogeneousValue,
                                                              bool& oValueInTollerance)
{
    oCurrentHomogeneousValue = 0.0;
    oMaximumHomogeneousValue = 0.0;
    oLowerLimitHomogeneousValue = 0.0;
    oValueInTollerance = false;
    return forwardLater(&IAutomationOperations::GUI_LiveView_CameraHomogeneous_GetCurrentValue, std::tuple<>(),
                        std::tie(oCurrentHomogeneousValue, oMaximumHomogeneousValue, oLowerLimitHomogeneousValue,
                                 oValueInTollerance));
}

int COM_Class::GUI_LiveView_Draw_ClearAll()
{
    return forward(&IAutomationOperations::GUI_LiveView_Draw_ClearAll);
}

int COM_Class::GUI_LiveView_Draw_Clear(const QString& iObjectName)
{
    return forward(&IAutomationOperations::GUI_LiveView_Draw_Clear, iObjectName);
}

int COM_Class::GUI_LiveView_Draw_Cross(const QString& iObjectName, double iPositionX, double iPositionY, double iSize,
                                       double iAngle, const QString& iColor, int iLineSize)
{
    return forwardLater(&IAutomationOperations::GUI_LiveView_Draw_Cross,
                        std::make_tuple(iObjectName, iPositionX, iPositionY, iSize, iAngle, iColor, iLineSize),
                        std::tuple<>());
}

int COM_Class::GUI_LiveView_Draw_Ellipse(const QString& iObjectName, double iPositionX, double iPositionY,
                                         double iSizeX, double iSizeY, double iAngle, const QString& iColor,
                                         int iLineSize, const QString& iDrawMode)
{
    return forwardLater(&IAutomationOperations::GUI_LiveView_Draw_Ellipse,
                        std::make_tuple(iObjectName, iPositionX, iPositionY, iSizeX, iSizeY, iAngle, iColor, iLineSize,
                                        iDrawMode),
                        std::tuple<>());
}

int COM_Class::GUI_LiveView_Draw_Rectangle(const QString& iObjectName, double iPositionX, double iPositionY,
                                           double iSizeX, double iSizeY, double iAngle, const QString& iColor,
                                           int iLineSize, const QString& iDrawMode)
{
    return forwardLater(&IAutomationOperations::GUI_LiveView_Draw_Rectangle,
                        std::make_tuple(iObjectName, iPositionX, iPositionY, iSizeX, iSizeY, iAngle, iColor, iLineSize,
                                        iDrawMode),
                        std::tuple<>());
}

int COM_Class::GUI_LiveView_Draw_Line(const QString& iObjectName, double iPosition1X, double iPosition1Y,
                                      double iPosition2X, double iPosition2Y, const QString& iColor, int iLineSize)
{
    return forwardLater(&IAutomationOperations::GUI_LiveView_Draw_Line,
                        std::make_tuple(iObjectName, iPosition1X, iPosition1Y, iPosition2X, iPosition2Y, iColor,
                                        iLineSize),
                        std::tuple<>());
}

int COM_Class::GUI_LiveView_Draw_Text(const QString& iObjectName, double iPositionX, double iPositionY,
                                      const QString& iText, const QString& iColor, const QString& iFontName,
                                      int iTextSize)
{
    return forwardLater(&IAutomationOperations::GUI_LiveView_Draw_Text,
                        std::make_tuple(iObjectName, iPositionX, iPositionY, iText, iColor, iFontName, iTextSize),
                        std::tuple<>());
}

int COM_Class::GUI_PictureView_Clear()
{
    return forward(&IAutomationOperations::GUI_PictureView_Clear);
}

int COM_Class::GUI_PictureView_DisplayColony(int iColonyID)
{
    return forward(&IAutomationOperations::GUI_PictureView_DisplayColony, iColonyID);
}

int COM_Class::Camera_Open(const QString& iCameraSettings)
{
    return forward(&IAutomationOperations::Camera_Open, iCameraSettings);
}

int COM_Class::Camera_Close()
{
    return forward(&IAutomationOperations::Camera_Close);
}

int COM_Class::Camera_IsOpen(bool& oIsOpen)
{
    oIsOpen = false;
    return forward(&IAutomationOperations::Camera_IsOpen, oIsOpen);
}

int COM_Class::Camera_TakePicture()
{
    return forward(&IAutomationOperations::Camera_TakePicture);
}

int COM_Class::Camera_SavePicture(const QString& iPicturePath, const QString& iPictureFormat, int iPictureSizePercent)
{
    return forwardLater(&IAutomationOperations::Camera_SavePicture,
                        std::make_tuple(iPicturePath, iPictureFormat, iPictureSizePercent), std::tuple<>());
}

int COM_Class::Camera_LoadPicture(const QString& iPicturePath)
{
    return forward(&IAutomationOperations::Camera_LoadPicture, iPicturePath);
}

int COM_Class::Settings_SelectCameraSettings(const QString& iDefaultCameraSettings, QString& oCameraSettings)
{
    oCameraSettings.clear();
    return forwardLater(&IAutomationOperations::Settings_SelectCameraSettings, std::make_tuple(iDefaultCameraSettings),
                        std::tie(oCameraSettings));
}

int COM_Class::Settings_SelectColonySettings(const QString& iDefaultColonySettings, QString& oColonySettings)
{
    oColonySettings.clear();
    return forwardLater(&IAutomationOperations::Settings_SelectColonySettings, std::make_tuple(iDefaultColonySettings),
                        std::tie(oColonySettings));
}

int COM_Class::Settings_SelectImageStitcherSettings(const QString& iDefaultColonySettings, QString& oColonySettings)
{
    oColonySettings.clear();
    return forwardLater(&IAutomationOperations::Settings_SelectImageStitcherSettings,
                        std::make_tuple(iDefaultColonySettings), std::tie(oColonySettings));
}

int COM_Class::AnalyseColonies_Start(const QString& iColonySettings)
{
    return forwardLater(&IAutomationOperations::AnalyseColonies_Start, std::make_tuple(iColonySettings),
                        std::tuple<>());
}

int COM_Class::AnalyseColonies_Stop()
{
    return forwardLater(&IAutomationOperations::AnalyseColonies_Stop, std::tuple<>(), std::tuple<>());
}

int COM_Class::AnalyseColonies_Reset()
{
    return forwardLater(&IAutomationOperations::AnalyseColonies_Reset, std::tuple<>(), std::tuple<>());
}

int COM_Class::AnalyseColonies_CheckRunning(bool& oRunning)
{
    oRunning = false;
    return forward(&IAutomationOperations::AnalyseColonies_CheckRunning, oRunning);
}

int COM_Class::AnalyseColonies_GetLLDPosition(bool i_blnSelectByOperator, int i_intChannelNumber,
                                              double& o_fltPositionX_mm, double& o_fltPositionY_mm)
{
    return forward(&IAutomationOperations::AnalyseColonies_GetLLDPosition, i_blnSelectByOperator, i_intChannelNumber,
                   o_fltPositionX_mm, o_fltPositionY_mm);
}

int COM_Class::AnalyseColonies_SetAgarHeight(double i_fltAgarHeightRelativeToReferencePlane_mm)
{
    return forward(&IAutomationOperations::AnalyseColonies_SetAgarHeight, i_fltAgarHeightRelativeToReferencePlane_mm);
}

int COM_Class::AnalyseColonies_UserEditColonies()
{
    return forwardLater(&IAutomationOperations::AnalyseColonies_UserEditColonies, std::tuple<>(), std::tuple<>());
}

int COM_Class::AnalyseColonies_SaveResult(bool iAsynchronPictureSave, const QString& iRackBarcode,
                                          const QString& iDescription, int& oRackID)
{
    oRackID = -1;
    return forwardLater(&IAutomationOperations::AnalyseColonies_SaveResult,
                        std::make_tuple(iAsynchronPictureSave, iRackBarcode, iDescription), std::tie(oRackID));
}

int COM_Class::AnalyseColonies_SaveResultWithImageStitcher(bool iAsynchronPictureSave, const QString& iRackBarcode,
                                                           const QString& iDescription, int iImageStitcherID,
                                                           int& oRackID)
{
    oRackID = -1;
    return forwardLater(&IAutomationOperations::AnalyseColonies_SaveResultWithImageStitcher,
                        std::make_tuple(iAsynchronPictureSave, iRackBarcode, iDescription, iImageStitcherID),
                        std::tie(oRackID));
}

int COM_Class::AnalyseColonies_SaveResult_CheckAsynchronSaveFinish(bool& oFinish)
{
    oFinish = true;
    return forward(&IAutomationOperations::AnalyseColonies_SaveResult_CheckAsynchronSaveFinish, oFinish);
}

int COM_Class::AnalyseColonies_ExportRackPicture(int iRackID, bool iAsynchronPictureSave, const QString& ipicturePath,
                                                 const QString& iPictureFormat, bool iPictureCropped,
                                                 int iPictureSizePercent, bool iAnalyserDrawings)
{
    return forwardLater(&IAutomationOperations::AnalyseColonies_ExportRackPicture,
                        std::make_tuple(iRackID, iAsynchronPictureSave, ipicturePath, iPictureFormat, iPictureCropped,
                                        iPictureSizePercent, iAnalyserDrawings),
                        std::tuple<>());
}

int COM_Class::AnalyseColonies_ExportColonyResults(int i_intRackID, const QString& i_strReportPathName,
                                                   const QString& i_strReportFormat)
{
    return forward(&IAutomationOperations::AnalyseColonies_ExportColonyResults, i_intRackID, i_strReportPathName,
                   i_strReportFormat);
}

int COM_Class::AnalyseColonies_ExportToZipArchive(const QVariantList& i_arrintRackIDs, const QString& i_strFilename,
                                                  bool i_blnAppend)
{
    return forwardLater(&IAutomationOperations::AnalyseColonies_ExportToZipArchive,
                        std::make_tuple(i_arrintRackIDs, i_strFilename, i_blnAppend), std::tuple<>());
}

int COM_Class::ImageStitcher_AssignPicturePosition(int pictureIndex)
{
    return forward(&IAutomationOperations::ImageStitcher_AssignPicturePosition, pictureIndex);
}

int COM_Class::ImageStitcher_Start(const QString& iImageStitcherSettings)
{
    return forwardLater(&IAutomationOperations::ImageStitcher_Start, std::make_tuple(iImageStitcherSettings),
                        std::tuple<>());
}

int COM_Class::ImageStitcher_Start2(const QString& iImageStitcherSettings,
                                    double i_fltAgarHeightBasedOnReferecePoints_mm)
{
    return forwardLater(&IAutomationOperations::ImageStitcher_Start2,
                        std::make_tuple(iImageStitcherSettings, i_fltAgarHeightBasedOnReferecePoints_mm),
                        std::tuple<>());
}

int COM_Class::ImageStitcher_Stop()
{
    return forwardLater(&IAutomationOperations::ImageStitcher_Stop, std::tuple<>(), std::tuple<>());
}

int COM_Class::ImageStitcher_Reset()
{
    return forwardLater(&IAutomationOperations::ImageStitcher_Reset, std::tuple<>(), std::tuple<>());
}

int COM_Class::ImageStitcher_CheckRunning(bool& oRunning)
{
    oRunning = false;
    return forward(&IAutomationOperations::ImageStitcher_CheckRunning, oRunning);
}

int COM_Class::ImageStitcher_SaveResult(bool iAsynchronPictureSave, const QString& iRackBarcode,
                                        const QString& iDescription, bool iSaveInputPictures, bool iSaveOutputPicture,
                                        int& oImageStitcherID)
{
    oImageStitcherID = -1;
    return forwardLater(&IAutomationOperations::ImageStitcher_SaveResult,
                        std::make_tuple(iAsynchronPictureSave, iRackBarcode, iDescription, iSaveInputPictures,
                                        iSaveOutputPicture),
                        std::tie(oImageStitcherID));
}

int COM_Class::ImageStitcher_SaveResult_CheckAsynchronSaveFinish(bool& oFinish)
{
    oFinish = true;
    return forward(&IAutomationOperations::ImageStitcher_SaveResult_CheckAsynchronSaveFinish, oFinish);
}

int COM_Class::ImageStitcher_ExportRackPicture(int iRackID, bool iAsynchronPictureSave, const QString& ipicturePath,
                                               const QString& iPictureFormat, bool iPictureCropped,
                                               int iPictureSizePercent)
{
    return forward(&IAutomationOperations::ImageStitcher_ExportRackPicture, iRackID, iAsynchronPictureSave,
                   ipicturePath, iPictureFormat, iPictureCropped, iPictureSizePercent);
}

int COM_Class::Database_GetZelvorinRack(int iRackID, QString& oRackBarcode, QString& oPictureFilePath,
                                        int& oContainerGridColumnsCount, int& oContainerGridRowsCount, int& oErrorCode,
                                        QString& oDescription)
{
    // An empty record holds the presets.
    DatabaseQueries::Rack rack;
    const int result = forward(&IAutomationOperations::Database_GetZelvorinRack, iRackID, rack);
    oRackBarcode = rack.rackBarcode;
    oPictureFilePath = rack.pictureFilePath;
    oContainerGridColumnsCount = rack.containerGridColumnsCount;
    oContainerGridRowsCount = rack.containerGridRowsCount;
    oErrorCode = rack.errorCode;
    oDescription = rack.description;
    return result;
}

int COM_Class::Database_SetZelvorinRack_Field_Description(int iRackID, const QString& iDescription)
{
    return forward(&IAutomationOperations::Database_SetZelvorinRack_Field_Description, iRackID, iDescription);
}

int COM_Class::Database_GetZelvorinRackID_By_RackBarcode(const QString& iRackBarcode, QVariantList& o_arrintRackID)
{
    o_arrintRackID.clear();
    return forward(&IAutomationOperations::Database_GetZelvorinRackID_By_RackBarcode, iRackBarcode, o_arrintRackID);
}

int COM_Class::Database_SetZelvorinRack_Field_ImageStitcherID(int iRackID, int iImageStitcherID)
{
    return forward(&IAutomationOperations::Database_SetZelvorinRack_Field_ImageStitcherID, iRackID, iImageStitcherID);
}

int COM_Class::Database_SelectZelvorinRack(int& o_intRackID)
{
    return forwardLater(&IAutomationOperations::Database_SelectZelvorinRack, std::tuple<>(), std::tie(o_intRackID));
}

int COM_Class::Database_GetZelvorinContainerID_By_ContainerNumber(int iRackID, int iContainerNumber, int& oContainerID)
{
    oContainerID = -1;
    return forward(&IAutomationOperations::Database_GetZelvorinContainerID_By_ContainerNumber, iRackID,
                   iContainerNumber, oContainerID);
}

int COM_Class::Database_GetZelvorinContainer(int iContainerID, int& oContainerNumber, QString& oContainerName,
                                             int& oErrorCode, QString& oDescription)
{
    int pickOrder = 0;
    return container(
        [&](DatabaseTableZelvorinContainer::Dataset& row) {
            return forward(&IAutomationOperations::Database_GetZelvorinContainer, iContainerID, row);
        },
        oContainerNumber, oContainerName, pickOrder, oErrorCode, oDescription);
}

int COM_Class::Database_GetZelvorinContainer2(int iContainerID, int& oContainerNumber, QString& oContainerName,
                                              int& oPickOrder, int& oErrorCode, QString& oDescription)
{
    return container(
        [&](DatabaseTableZelvorinContainer::Dataset& row) {
            return forward(&IAutomationOperations::Database_GetZelvorinContainer2, iContainerID, row);
        },
        oContainerNumber, oContainerName, oPickOrder, oErrorCode, oDescription);
}

int COM_Class::Database_SetZelvorinContainer_Field_Description(int iContainerID, const QString& iDescription)
{
    return forward(&IAutomationOperations::Database_SetZelvorinContainer_Field_Description, iContainerID, iDescription);
}

int COM_Class::Database_GetZelvorinContainerID_By_ContainerName(int iRackID, const QString& iContainerName,
                                                                int& oContainerID)
{
    oContainerID = -1;
    return forward(&IAutomationOperations::Database_GetZelvorinContainerID_By_ContainerName, iRackID, iContainerName,
                   oContainerID);
}

int COM_Class::Database_GetZelvorinColonyCount(int i_intRackID, int i_intContainerNumber, int& o_intColonyCount)
{
    o_intColonyCount = 0;
    return forward(&IAutomationOperations::Database_GetZelvorinColonyCount, i_intRackID, i_intContainerNumber,
                   o_intColonyCount);
}

int COM_Class::Database_GetZelvorinColonyPosition_By_ColonyNumber(int iRackID, int iChannelNumber, int iContainerNumber,
                                                                  int iColonyNumber, int& oColonyID,
                                                                  double& oPositionX_mm, double& oPositionY_mm,
                                                                  double& oLoadingTotal_pct)
{
    if (refusesCaller())
        return 0;
    // Presets only with a window: without one the outputs stay as they came.
    if (!automationMainWindow())
        return c_generalApplicationError;
    oColonyID = -1;
    oPositionX_mm = 0.0;
    oPositionY_mm = 0.0;
    oLoadingTotal_pct = 0.0;
    return forward(&IAutomationOperations::Database_GetZelvorinColonyPosition_By_ColonyNumber, iRackID, iChannelNumber,
                   iContainerNumber, iColonyNumber, oColonyID, oPositionX_mm, oPositionY_mm, oLoadingTotal_pct);
}

int COM_Class::Database_GetZelvorinContainerIDs(int i_intRackID, QVariantList& o_arrintContainerIDs)
{
    return forward(&IAutomationOperations::Database_GetZelvorinContainerIDs, i_intRackID, o_arrintContainerIDs);
}

int COM_Class::Database_GetZelvorinColonyIDs_IsGoodColony(int i_intContainerID, QVariantList& o_arrintColonyIDs)
{
    return forward(&IAutomationOperations::Database_GetZelvorinColonyIDs_IsGoodColony, i_intContainerID,
                   o_arrintColonyIDs);
}

int COM_Class::Database_GetZelvorinColonyIDs_IsExcludedColony(int i_intContainerID, QVariantList& o_arrintColonyIDs)
{
    return forward(&IAutomationOperations::Database_GetZelvorinColonyIDs_IsExcludedColony, i_intContainerID,
                   o_arrintColonyIDs);
}

int COM_Class::Database_RetrieveColonyPositions(int i_intRackID,
                                                const QVariantList& i_arrintContainerToMaximumColoniesToPipette,
                                                const QString& i_strChannelPattern, QString& o_strUsedChannelPattern,
                                                int& o_intUsedNumberOfColonies, int& o_intTotalNumberOfColonies,
                                                QVariantList& o_arrintColonyID,
                                                QVariantList& o_arrintChannelToContainer,
                                                QVariantList& o_arrfltPositionX_mm, QVariantList& o_arrfltPositionY_mm)
{
    return handOut(
        [&](ColonyPickList::HandOut& out) {
            return forward(&IAutomationOperations::Database_RetrieveColonyPositions, i_intRackID,
                           i_arrintContainerToMaximumColoniesToPipette, i_strChannelPattern, out);
        },
        o_strUsedChannelPattern, o_intUsedNumberOfColonies, o_intTotalNumberOfColonies, o_arrintColonyID,
        o_arrintChannelToContainer, o_arrfltPositionX_mm, o_arrfltPositionY_mm);
}

int COM_Class::Database_RetrieveColonyPositions2(int i_intRackID,
                                                 const QVariantList& i_arrintContainerToMaximumColoniesToPipette,
                                                 int i_intSortMode, const QString& i_strChannelPattern,
                                                 QString& o_strUsedChannelPattern, int& o_intUsedNumberOfColonies,
                                                 int& o_intTotalNumberOfColonies, QVariantList& o_arrintColonyID,
                                                 QVariantList& o_arrintChannelToContainer,
                                                 QVariantList& o_arrfltPositionX_mm, QVariantList& o_arrfltPositionY_mm)
{
    return handOut(
        [&](ColonyPickList::HandOut& out) {
            return forward(&IAutomationOperations::Database_RetrieveColonyPositions2, i_intRackID,
                           i_arrintContainerToMaximumColoniesToPipette, i_intSortMode, i_strChannelPattern, out);
        },
        o_strUsedChannelPattern, o_intUsedNumberOfColonies, o_intTotalNumberOfColonies, o_arrintColonyID,
        o_arrintChannelToContainer, o_arrfltPositionX_mm, o_arrfltPositionY_mm);
}

int COM_Class::Database_GetZelvorinColonyProperties(
    int i_intColonyID, double& o_fltPositionX_mm, double& o_fltpositionY_mm, double& o_fltArea_mm2,
    double& o_fltCircularity, double& o_fltClearanceNeightbor_mm, double& o_fltClearanceMargin_mm,
    double& o_fltLoadingArea_pct, double& o_fltLoadingCircularity_pct, double& o_fltLoadingClearanceNeighbor_pct,
    double& o_fltLoadingClearanceBorder_pct, double& o_fltLoadingTotal_pct, double& o_fltColorHue,
    double& o_fltColorSaturation, double& o_fltColorIntensity, int& o_intPickingState, bool& o_blnIsExcluded,
    bool& o_blnIsGoodColony, int& o_intPickOrder, bool& o_blnIsUserEdited)
{
    // Only the second variant hands these out.
    QString pickingDate;
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    return Database_GetZelvorinColonyProperties2(
        i_intColonyID, o_fltPositionX_mm, o_fltpositionY_mm, o_fltArea_mm2, o_fltCircularity,
        o_fltClearanceNeightbor_mm, o_fltClearanceMargin_mm, o_fltLoadingArea_pct, o_fltLoadingCircularity_pct,
        o_fltLoadingClearanceNeighbor_pct, o_fltLoadingClearanceBorder_pct, o_fltLoadingTotal_pct, o_fltColorHue,
        o_fltColorSaturation, o_fltColorIntensity, o_intPickingState, o_blnIsExcluded, o_blnIsGoodColony,
        o_intPickOrder, o_blnIsUserEdited, pickingDate, red, green, blue);
}

int COM_Class::Database_GetZelvorinColonyProperties2(
    int i_intColonyID, double& o_fltPositionX_mm, double& o_fltpositionY_mm, double& o_fltArea_mm2,
    double& o_fltCircularity, double& o_fltClearanceNeightbor_mm, double& o_fltClearanceMargin_mm,
    double& o_fltLoadingArea_pct, double& o_fltLoadingCircularity_pct, double& o_fltLoadingClearanceNeighbor_pct,
    double& o_fltLoadingClearanceBorder_pct, double& o_fltLoadingTotal_pct, double& o_fltColorHue,
    double& o_fltColorSaturation, double& o_fltColorIntensity, int& o_intPickingState, bool& o_blnIsExcluded,
    bool& o_blnIsGoodColony, int& o_intPickOrder, bool& o_blnIsUserEdited, QString& o_strPickingDate,
    double& o_fltColorRed, double& o_fltColorGreen, double& o_fltColorBlue)
{
    DatabaseTableZelvorinColony::Dataset row;
    const int result = forward(&IAutomationOperations::Database_GetZelvorinColonyProperties, i_intColonyID, row);
    // A row that was not read leaves every output as it came.
    if (!row.isValid())
        return result;
    o_fltPositionX_mm = row.PosX_mm;
    o_fltpositionY_mm = row.PosY_mm;
    o_fltArea_mm2 = row.Area_mm2;
    o_fltCircularity = row.Circularity;
    o_fltClearanceNeightbor_mm = row.ClearanceNeighbor_mm;
    o_fltClearanceMargin_mm = row.ClearanceMargin_mm;
    o_fltLoadingArea_pct = row.LoadingArea_pct;
    o_fltLoadingCircularity_pct = row.LoadingCircularity_pct;
    o_fltLoadingClearanceNeighbor_pct = row.LoadingClearanceNeighbor_pct;
    o_fltLoadingClearanceBorder_pct = row.LoadingClearanceMargin_pct;
    o_fltLoadingTotal_pct = row.LoadingTotal_pct;
    o_fltColorHue = row.ColorHue;
    o_fltColorSaturation = row.ColorSaturation;
    o_fltColorIntensity = row.ColorIntensity;
    o_intPickingState = row.PickingState;
    o_blnIsExcluded = row.IsExcluded;
    o_blnIsGoodColony = row.IsGoodColony;
    o_intPickOrder = row.PickingOrder;
    o_blnIsUserEdited = row.IsUserEdited;
    o_strPickingDate = row.PickingDate.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    o_fltColorRed = row.ColorRed;
    o_fltColorGreen = row.ColorGreen;
    o_fltColorBlue = row.ColorBlue;
    return result;
}

int COM_Class::Database_SetZelvorinColonyPickingState(int i_intColonyID, int i_intPickingState)
{
    return forward(&IAutomationOperations::Database_SetZelvorinColonyPickingState, i_intColonyID, i_intPickingState);
}

int COM_Class::Database_SetZelvorinColony_Field_Description(int i_intColonyID, const QString& i_strDescription)
{
    return forward(&IAutomationOperations::Database_SetZelvorinColony_Field_Description, i_intColonyID,
                   i_strDescription);
}

int COM_Class::Instrument_GetChannelOffset(int i_intChannelNumber, double& o_fltOffsetX_mm, double& o_fltOffsetY_mm)
{
    o_fltOffsetX_mm = 0.0;
    o_fltOffsetY_mm = 0.0;
    return forward(&IAutomationOperations::Instrument_GetChannelOffset, i_intChannelNumber, o_fltOffsetX_mm,
                   o_fltOffsetY_mm);
}

int COM_Class::Instrument_SetChannelOffset(int i_intChannelNumber, double i_fltOffsetX_mm, double i_fltOffsetY_mm)
{
    return forward(&IAutomationOperations::Instrument_SetChannelOffset, i_intChannelNumber, i_fltOffsetX_mm,
                   i_fltOffsetY_mm);
}
