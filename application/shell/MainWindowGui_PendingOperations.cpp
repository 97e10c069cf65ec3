#include "MainWindowGui.h"

// Operations whose parts the window does not build yet. Each answers 3 "General application
// error" and changes nothing; they move to MainWindowGui.cpp as they are built.

namespace {
constexpr Errors::Type_Error c_notAvailable = 3;
}

Errors::Type_Error MainWindowGui::Application_Get_ProgrammPath(QString&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ApplicationSettings_Get_DatabasePicturePath(QString&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Show(int)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Hide()
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_IsVisible(bool&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_SavePicture(QString, QString, int)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_CameraFocus_Show(double, double, double, double, double, double, double)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_CameraFocus_GetCurrentValue(double&, double&, double&, bool&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_CameraAperture_Show(double, double, double, double, double, double,
                                                                   double)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_CameraAperture_GetCurrentValue(double&, double&, double&, bool&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_CameraHomogeneous_Show(double, double, double, double, double, int,
                                                                      double, double)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_CameraHomogeneous_GetCurrentValue(double&, double&, double&, bool&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Draw_ClearAll()
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Draw_Clear(QString)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Draw_Cross(QString, double, double, double, double, QString, int)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Draw_Ellipse(QString, double, double, double, double, double, QString,
                                                            int, QString)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Draw_Rectangle(QString, double, double, double, double, double, QString,
                                                              int, QString)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Draw_Line(QString, double, double, double, double, QString, int)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Draw_Text(QString, double, double, QString, QString, QString, int)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_PictureView_Clear()
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::GUI_PictureView_DisplayColony(int)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Camera_Open(QString)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Camera_Close()
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Camera_IsOpen(bool&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Camera_TakePicture()
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Camera_SavePicture(QString, QString, int)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Camera_LoadPicture(QString)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Settings_SelectCameraSettings(QString, QString&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Settings_SelectColonySettings(QString, QString&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Settings_SelectImageStitcherSettings(QString, QString&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::AnalyseColonies_Start(QString)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::AnalyseColonies_Stop()
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::AnalyseColonies_Reset()
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::AnalyseColonies_CheckRunning(bool&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::AnalyseColonies_GetLLDPosition(bool, int, double&, double&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::AnalyseColonies_SetAgarHeight(double)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::AnalyseColonies_UserEditColonies()
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::AnalyseColonies_SaveResult(bool, QString, QString, int&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::AnalyseColonies_SaveResultWithImageStitcher(bool, QString, QString, int, int&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::AnalyseColonies_SaveResult_CheckAsynchronSaveFinish(bool&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::AnalyseColonies_ExportRackPicture(int, bool, QString, QString, bool, int, bool)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::AnalyseColonies_ExportColonyResults(int, QString, QString)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::AnalyseColonies_ExportToZipArchive(QVariantList, QString, bool)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_AssignPicturePosition(int)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_Start(QString)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_Start2(QString, double)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_Stop()
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_Reset()
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_CheckRunning(bool&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_SaveResult(bool, QString, QString, bool, bool, int&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_SaveResult_CheckAsynchronSaveFinish(bool&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_ExportRackPicture(int, bool, QString, QString, bool, int)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinRack(int, QString&, QString&, int&, int&, int&, QString&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_SetZelvorinRack_Field_Description(int, QString)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinRackID_By_RackBarcode(QString, QVariantList&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_SetZelvorinRack_Field_ImageStitcherID(int, int)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_SelectZelvorinRack(int&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinContainerID_By_ContainerNumber(int, int, int&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinContainer(int, int&, QString&, int&, QString&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinContainer2(int, int&, QString&, int&, int&, QString&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_SetZelvorinContainer_Field_Description(int, QString)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinContainerID_By_ContainerName(int, QString, int&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinColonyCount(int, int, int&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinColonyPosition_By_ColonyNumber(int, int, int, int, int&, double&,
                                                                                     double&, double&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinContainerIDs(int, QVariantList&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinColonyIDs_IsGoodColony(int, QVariantList&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinColonyIDs_IsExcludedColony(int, QVariantList&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_RetrieveColonyPositions(int, QVariantList, QString, QString&, int&, int&,
                                                                   QVariantList&, QVariantList&, QVariantList&,
                                                                   QVariantList&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_RetrieveColonyPositions2(int, QVariantList, int, QString, QString&, int&,
                                                                    int&, QVariantList&, QVariantList&, QVariantList&,
                                                                    QVariantList&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_GetZelvorinColonyProperties(int, double&, double&, double&, double&, double&,
                                                                       double&, double&, double&, double&, double&,
                                                                       double&, double&, double&, double&, int&, bool&,
                                                                       bool&, int&, bool&, QString&, double&, double&,
                                                                       double&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_SetZelvorinColonyPickingState(int, int)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Database_SetZelvorinColony_Field_Description(int, QString)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Instrument_GetChannelOffset(int, double&, double&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::Instrument_SetChannelOffset(int, double, double)
{
    return c_notAvailable;
}
