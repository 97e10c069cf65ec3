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

Errors::Type_Error LiveViewOperations::savePicture(const QString& path, const QString& format, int sizePercent,
                                                   Automation_Call* call)
{
    if (const Errors::Type_Error code = ExportTarget_Guard::checkPicture(path, format))
        return code;
    return m_view->SavePicture(path, format, sizePercent, call);
}
