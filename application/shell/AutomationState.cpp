#include "AutomationState.h"

#include "IAutomationOperations.h"
#include "LibraryFunctions.h"
#include "QAxFactory.h"

#include <QCoreApplication>

#include <atomic>

namespace {

std::atomic<bool> g_automationServer{false};
std::atomic<IAutomationOperations*> g_mainWindow{nullptr};
std::atomic<bool> g_running{false};
std::atomic<Errors::Type_Error> g_startError{0};
std::atomic<int> g_objectCount{0};
std::atomic<int> g_callDepth{0};
std::function<void()> g_quit;

} // namespace

bool isInAutomationCall()
{
    return g_callDepth > 0;
}

AutomationCallScope::AutomationCallScope()
{
    ++g_callDepth;
}

AutomationCallScope::~AutomationCallScope()
{
    --g_callDepth;
}

void quitApplication()
{
    if (g_quit)
        g_quit();
    else
        QCoreApplication::quit();
}

Errors::Type_Error setupAutomationServer(const QString& applicationName, const QString& className)
{
    g_automationServer = QAxFactory::isServer();
    if (!g_automationServer)
        registerComServerIfNeeded(applicationName, className, nullptr);
    // A started server already offers its classes to any number of clients; this changes
    // nothing then.
    QAxFactory::startServer(QAxFactory::SingleInstance);
    return 0;
}

Errors::Type_Error stopAutomationServer()
{
    QAxFactory::stopServer();
    return 0;
}

bool isAutomationServer()
{
    return g_automationServer;
}

void setAutomationServer(bool automationServer)
{
    g_automationServer = automationServer;
}

IAutomationOperations* automationMainWindow()
{
    return g_mainWindow;
}

void setAutomationMainWindow(IAutomationOperations* window)
{
    g_mainWindow = window;
}

bool isApplicationRunning()
{
    return g_running;
}

void setApplicationRunning(bool running)
{
    g_running = running;
}

Errors::Type_Error startError()
{
    return g_startError;
}

void setStartError(Errors::Type_Error code)
{
    g_startError = code;
}

int automationObjectCount()
{
    return g_objectCount;
}

void automationObjectCreated()
{
    ++g_objectCount;
}

void automationObjectReleased()
{
    if (--g_objectCount > 0 || !g_running)
        return;
    stopAutomationServer();
    const IAutomationOperations* window = g_mainWindow;
    if (g_automationServer || (window && window->isWindowHidden()))
        quitApplication();
    else
        QAxFactory::startServer(QAxFactory::SingleInstance);
}

void setApplicationQuitFunction(std::function<void()> quit)
{
    g_quit = std::move(quit);
}
