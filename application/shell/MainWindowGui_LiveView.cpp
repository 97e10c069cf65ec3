#include "MainWindowGui.h"

#include "AutomationState.h"
#include "Automation_Call.h"
#include "Camera_LiveView_Gui.h"
#include "LiveViewOperations.h"

// The live-view operations behind the automation methods: the dock's to LiveViewOperations,
// the set-up aids and the marks to the live view. Those that wait for a live picture wait as
// part of the automation call being served, if there is one.

Errors::Type_Error MainWindowGui::GUI_LiveView_Show(int iMode)
{
    return m_liveViewOperations->show(iMode, isAutomationServer());
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Hide()
{
    return m_liveViewOperations->hide();
}

Errors::Type_Error MainWindowGui::GUI_LiveView_IsVisible(bool& oIsVisible)
{
    return m_liveViewOperations->isVisible(oIsVisible);
}

Errors::Type_Error MainWindowGui::GUI_LiveView_SavePicture(QString ipicturePath, QString iPictureFormat,
                                                           int iPictureSizePercent)
{
    return m_liveViewOperations->savePicture(ipicturePath, iPictureFormat, iPictureSizePercent,
                                             Automation_Call::current());
}

Errors::Type_Error MainWindowGui::GUI_LiveView_CameraFocus_Show(double iPositionX, double iPositionY, double iSizeX,
                                                                double iSizeY, double iAngle,
                                                                double iGradientValueThreshold,
                                                                double iGradientValueSensibility)
{
    return m_liveViewGui->CameraFocus_Show(iPositionX, iPositionY, iSizeX, iSizeY, iAngle, iGradientValueThreshold,
                                           iGradientValueSensibility);
}

Errors::Type_Error MainWindowGui::GUI_LiveView_CameraFocus_GetCurrentValue(double& oCurrentGradientValueThreshold,
                                                                           double& oMaximumGradientValueThreshold,
                                                                           double& oLowerLimitGradientValueThreshold,
                                                                           bool& oValueInTollerance)
{
    return m_liveViewGui->CameraFocus_GetCurrentValue(oCurrentGradientValueThreshold, oMaximumGradientValueThreshold,
                                                      oLowerLimitGradientValueThreshold, oValueInTollerance,
                                                      Automation_Call::current());
}

Errors::Type_Error MainWindowGui::GUI_LiveView_CameraAperture_Show(double iPositionX, double iPositionY, double iSizeX,
                                                                   double iSizeY, double iAngle,
                                                                   double iGrayValueCenter,
                                                                   double iGrayValueSensibility)
{
    return m_liveViewGui->CameraAperture_Show(iPositionX, iPositionY, iSizeX, iSizeY, iAngle, iGrayValueCenter,
                                              iGrayValueSensibility);
}

Errors::Type_Error MainWindowGui::GUI_LiveView_CameraAperture_GetCurrentValue(double& oCurrentGrayValueCenter,
                                                                              double& oLowerLimitGrayValueCenter,
                                                                              double& oUpperLimitGrayValueCenter,
                                                                              bool& oValueInTollerance)
{
    return m_liveViewGui->CameraAperture_GetCurrentValue(oCurrentGrayValueCenter, oLowerLimitGrayValueCenter,
                                                         oUpperLimitGrayValueCenter, oValueInTollerance,
                                                         Automation_Call::current());
}

Errors::Type_Error MainWindowGui::GUI_LiveView_CameraHomogeneous_Show(double iPositionX, double iPositionY,
                                                                      double iSizeX, double iSizeY, double iAngle,
                                                                      int iFilterMode,
                                                                      double iHomogeneousValueThreshold,
                                                                      double iHomogeneousValueSensibility)
{
    return m_liveViewGui->CameraHomogeneous_Show(iPositionX, iPositionY, iSizeX, iSizeY, iAngle, iFilterMode,
                                                 iHomogeneousValueThreshold, iHomogeneousValueSensibility);
}

Errors::Type_Error MainWindowGui::GUI_LiveView_CameraHomogeneous_GetCurrentValue(double& oCurrentHomogeneousValue,
                                                                                 double& oMaximumHomogeneousValue,
                                                                                 double& oLowerLimitHomogeneousValue,
                                                                                 bool& oValueInTollerance)
{
    return m_liveViewGui->CameraHomogeneous_GetCurrentValue(oCurrentHomogeneousValue, oMaximumHomogeneousValue,
                                                            oLowerLimitHomogeneousValue, oValueInTollerance,
                                                            Automation_Call::current());
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Draw_ClearAll()
{
    return m_liveViewGui->Draw_ClearAll();
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Draw_Clear(QString iObjectName)
{
    return m_liveViewGui->Draw_Clear(iObjectName);
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Draw_Cross(QString iObjectName, double iPositionX, double iPositionY,
                                                          double iSize, double iAngle, QString iColor, int iLineSize)
{
    return m_liveViewGui->Draw_Cross(iObjectName, iPositionX, iPositionY, iSize, iAngle, iColor, iLineSize,
                                     Automation_Call::current());
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Draw_Ellipse(QString iObjectName, double iPositionX, double iPositionY,
                                                            double iSizeX, double iSizeY, double iAngle, QString iColor,
                                                            int iLineSize, QString iDrawMode)
{
    return m_liveViewGui->Draw_Ellipse(iObjectName, iPositionX, iPositionY, iSizeX, iSizeY, iAngle, iColor, iLineSize,
                                       iDrawMode, Automation_Call::current());
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Draw_Rectangle(QString iObjectName, double iPositionX, double iPositionY,
                                                              double iSizeX, double iSizeY, double iAngle,
                                                              QString iColor, int iLineSize, QString iDrawMode)
{
    return m_liveViewGui->Draw_Rectangle(iObjectName, iPositionX, iPositionY, iSizeX, iSizeY, iAngle, iColor, iLineSize,
                                         iDrawMode, Automation_Call::current());
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Draw_Line(QString iObjectName, double iPosition1X, double iPosition1Y,
                                                         double iPosition2X, double iPosition2Y, QString iColor,
                                                         int iLineSize)
{
    return m_liveViewGui->Draw_Line(iObjectName, iPosition1X, iPosition1Y, iPosition2X, iPosition2Y, iColor, iLineSize,
                                    Automation_Call::current());
}

Errors::Type_Error MainWindowGui::GUI_LiveView_Draw_Text(QString iObjectName, double iPositionX, double iPositionY,
                                                         QString iText, QString iColor, QString iFontName,
                                                         int iTextSize)
{
    return m_liveViewGui->Draw_Text(iObjectName, iPositionX, iPositionY, iText, iColor, iFontName, iTextSize,
                                    Automation_Call::current());
}
