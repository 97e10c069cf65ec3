#include "LiveViewOperations.h"

#include "AppErrors.h"
#include "Camera_LiveView_Gui.h"
#include "ExportTarget_Guard.h"

#include <QDockWidget>

LiveViewOperations::LiveViewOperations(Camera_LiveView_Gui* view, QDockWidget* dock,
                                       std::function<bool()> windowHidden)
    : m_view(view)
    , m_dock(dock)
    , m_windowHidden(std::move(windowHidden))
{
}

Errors::Type_Error LiveViewOperations::show(int mode, bool automationServer)
{
    if (mode != 1)
        return AppErrors::ParameterIncorrect;
    if (automationServer && m_windowHidden())
        m_dock->setFloating(true);
    m_dock->showNormal();
    return 0;
}

Errors::Type_Error LiveViewOperations::hide()
{
    m_dock->hide();
    return 0;
}

Errors::Type_Error LiveViewOperations::isVisible(bool& visible) const
{
    visible = m_dock->isVisible();
    return 0;
}

Errors::Type_Error LiveViewOperations::savePicture(const QString& path, const QString& format, int sizePercent)
{
    if (const Errors::Type_Error code = ExportTarget_Guard::check(path))
        return code;
    return m_view->SavePicture(path, format, sizePercent);
}

Errors::Type_Error LiveViewOperations::focusShow(double positionX, double positionY, double sizeX, double sizeY,
                                                 double angle, double threshold, double sensibility)
{
    return m_view->CameraFocus_Show(positionX, positionY, sizeX, sizeY, angle, threshold, sensibility);
}

Errors::Type_Error LiveViewOperations::focusValue(double& current, double& maximum, double& lowerLimit,
                                                  bool& inTolerance)
{
    return m_view->CameraFocus_GetCurrentValue(current, maximum, lowerLimit, inTolerance);
}

Errors::Type_Error LiveViewOperations::apertureShow(double positionX, double positionY, double sizeX, double sizeY,
                                                    double angle, double center, double sensibility)
{
    return m_view->CameraAperture_Show(positionX, positionY, sizeX, sizeY, angle, center, sensibility);
}

Errors::Type_Error LiveViewOperations::apertureValue(double& current, double& lowerLimit, double& upperLimit,
                                                     bool& inTolerance)
{
    return m_view->CameraAperture_GetCurrentValue(current, lowerLimit, upperLimit, inTolerance);
}

Errors::Type_Error LiveViewOperations::homogeneousShow(double positionX, double positionY, double sizeX, double sizeY,
                                                       double angle, int filterMode, double threshold,
                                                       double sensibility)
{
    return m_view->CameraHomogeneous_Show(positionX, positionY, sizeX, sizeY, angle, filterMode, threshold,
                                          sensibility);
}

Errors::Type_Error LiveViewOperations::homogeneousValue(double& current, double& maximum, double& lowerLimit,
                                                        bool& inTolerance)
{
    return m_view->CameraHomogeneous_GetCurrentValue(current, maximum, lowerLimit, inTolerance);
}

Errors::Type_Error LiveViewOperations::clearAll()
{
    return m_view->Draw_ClearAll();
}

Errors::Type_Error LiveViewOperations::clear(const QString& name)
{
    return m_view->Draw_Clear(name);
}

Errors::Type_Error LiveViewOperations::cross(const QString& name, double positionX, double positionY, double size,
                                             double angle, const QString& color, int lineSize)
{
    return m_view->Draw_Cross(name, positionX, positionY, size, angle, color, lineSize);
}

Errors::Type_Error LiveViewOperations::ellipse(const QString& name, double positionX, double positionY, double sizeX,
                                               double sizeY, double angle, const QString& color, int lineSize,
                                               const QString& drawMode)
{
    return m_view->Draw_Ellipse(name, positionX, positionY, sizeX, sizeY, angle, color, lineSize, drawMode);
}

Errors::Type_Error LiveViewOperations::rectangle(const QString& name, double positionX, double positionY,
                                                 double sizeX, double sizeY, double angle, const QString& color,
                                                 int lineSize, const QString& drawMode)
{
    return m_view->Draw_Rectangle(name, positionX, positionY, sizeX, sizeY, angle, color, lineSize, drawMode);
}

Errors::Type_Error LiveViewOperations::line(const QString& name, double position1X, double position1Y,
                                            double position2X, double position2Y, const QString& color, int lineSize)
{
    return m_view->Draw_Line(name, position1X, position1Y, position2X, position2Y, color, lineSize);
}

Errors::Type_Error LiveViewOperations::text(const QString& name, double positionX, double positionY,
                                            const QString& text, const QString& color, const QString& fontName,
                                            int textSize)
{
    return m_view->Draw_Text(name, positionX, positionY, text, color, fontName, textSize);
}
