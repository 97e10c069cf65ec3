#include "MainWindowGui.h"

// Operations whose parts the window does not hold yet: the live view (GUI_LiveView_*), the
// settings picker (Settings_Select*), the colony editor on the Colony Analyser page
// (AnalyseColonies_UserEditColonies). Each answers
// 3 "General application error" and changes nothing; they move to MainWindowGui_Automation.cpp
// as their parts are built.

namespace {
constexpr Errors::Type_Error c_notAvailable = 3;
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

Errors::Type_Error MainWindowGui::AnalyseColonies_UserEditColonies()
{
    return c_notAvailable;
}
