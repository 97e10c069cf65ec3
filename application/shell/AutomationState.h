#pragma once

#include "Errors.h"

#include <QString>

#include <functional>

class IAutomationOperations;

// The process-wide automation state: whether the program runs as automation server, the
// main window that automation calls reach, whether the event loop runs, the start error
// and the number of live automation objects. Written in the GUI thread; readable from any.

// Learns whether the automation system started the program; when it did not, brings the
// class registration up to date and offers the class objects for one client. Always 0.
Errors::Type_Error setupAutomationServer(const QString& applicationName, const QString& className);
// Revokes the class objects. Always 0.
Errors::Type_Error stopAutomationServer();

bool isAutomationServer();
// What setupAutomationServer learns; set directly where no server is set up (tests).
void setAutomationServer(bool automationServer);

IAutomationOperations* automationMainWindow();
void setAutomationMainWindow(IAutomationOperations* window);

bool isApplicationRunning();
void setApplicationRunning(bool running);

Errors::Type_Error startError();
void setStartError(Errors::Type_Error code);

int automationObjectCount();
// Called by each automation object when it is made and when its client releases it. The
// release of the last one decides the server's end: a started server, or a stand-alone
// program whose window the operator closed, quits; a stand-alone program with its window
// offers its class object for the next client. After the event loop it only counts.
void automationObjectCreated();
void automationObjectReleased();

// Whether an automation method is being carried out. A box that a part shows then would wait
// for an operator while the client waits for its answer; the code goes back instead.
bool isInAutomationCall();
// Marks the automation method in progress for its lifetime (GUI thread; calls may nest while
// a method keeps events flowing).
class AutomationCallScope {
public:
    AutomationCallScope();
    ~AutomationCallScope();
    AutomationCallScope(const AutomationCallScope&) = delete;
    AutomationCallScope& operator=(const AutomationCallScope&) = delete;
};

// Ends the application's event loop, or does what tests put in its place.
void quitApplication();
void setApplicationQuitFunction(std::function<void()> quit);
