#include "ApplicationMain.h"

#include "AppErrors.h"
#include "ApplicationConstants.h"
#include "AutomationState.h"
#include "Automation_Call.h"
#include "HalconFunctions.h"
#include "MainWindowGui.h"
#include "ProgramEnvironment.h"
#include "QuendralLibrary.h"

#include <HalconSystemOps.h>

#include <QApplication>
#include <QDir>
#include <QTextStream>

int applicationMain(int argc, char* argv[])
{
    ProgramEnvironment::setProcessTimeZone();
    // Every relative path of the program (settings, database, pictures) starts here.
    QDir::setCurrent(ProgramEnvironment::programFolderPath());

    QApplication application(argc, argv);
    // The window's close decides the end itself: with automation clients attached it only
    // hides the window.
    QApplication::setQuitOnLastWindowClosed(false);
    const QString name = ApplicationConstants::applicationName();
    const QString version = ApplicationConstants::version();
    QApplication::setApplicationName(name);
    QApplication::setApplicationVersion(version);

    QTextStream(stdout) << ProgramEnvironment::bannerText() << Qt::endl;

    AppErrors* appErrors = new AppErrors();
    setupAutomationServer(name, ApplicationConstants::automationClassName());
    QuendralLibrary::Start(name, version, ApplicationConstants::copyrightYears(), appErrors, isAutomationServer(),
                           nullptr);

    MainWindowGui* window
        = new MainWindowGui(nullptr, isAutomationServer() ? Qt::WindowStaysOnTopHint : Qt::WindowFlags());
    HalconRecordError(Halcon::set_system("current_runlength_number", 200000));
    window->startShow();
    setAutomationMainWindow(window);

    setApplicationRunning(true);
    const int result = QApplication::exec();
    setApplicationRunning(false);

    // Calls still waiting (a dialog, a live picture) are ended before what they wait on goes;
    // their clients get an error instead of no answer.
    Automation_Call::endAll();
    window->closeDatabase();
    stopAutomationServer();
    // No automation call may reach the window once it is gone.
    setAutomationMainWindow(nullptr);
    delete window;
    delete appErrors;
    QuendralLibrary::Stop();
    return result;
}
