#include "MainWindowGui.h"

#include "AppErrors.h"
#include "ApplicationConstants.h"
#include "AutomationState.h"
#include "Gui_Helper.h"

#include <QCloseEvent>

MainWindowGui::MainWindowGui(QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
{
    // The window layout files carry this name.
    Gui_Helper::setObjectName(this, QString());
    setWindowTitle(ApplicationConstants::applicationName() + QStringLiteral(" V") + ApplicationConstants::version());
}

MainWindowGui::~MainWindowGui() = default;

void MainWindowGui::startShow()
{
    if (!isAutomationServer())
        show();
}

void MainWindowGui::closeDatabase()
{
    // No database is opened yet.
}

bool MainWindowGui::isWindowHidden() const
{
    return isHidden();
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
    if (isAutomationServer())
        hide();
    return 0;
}

Errors::Type_Error MainWindowGui::GUI_IsVisible(bool& oIsVisible)
{
    oIsVisible = isVisible();
    return 0;
}

void MainWindowGui::closeEvent(QCloseEvent* event)
{
    // A server's window only hides: the process ends with its last client.
    if (isAutomationServer()) {
        GUI_Hide();
        event->ignore();
        return;
    }
    // With clients attached the window goes and the process stays until the last release.
    if (automationObjectCount() == 0)
        quitApplication();
    event->accept();
}
