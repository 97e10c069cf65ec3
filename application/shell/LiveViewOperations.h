#pragma once

#include "Errors.h"

#include <QString>

#include <functional>

class Automation_Call;
class Camera_LiveView_Gui;
class QDockWidget;

// The live view's dock as the automation clients drive it, shown and hidden, and the picture
// as shown saved where the export guard allows. The set-up aids and the named marks go to the
// live view itself, which does its own checks (unknown colours, sizes, filter modes, the waits
// for a picture). GUI thread; no message boxes.
class LiveViewOperations {
public:
    // windowHidden tells whether the main window is hidden; a server floats the dock then,
    // so the live view can be seen without the window.
    LiveViewOperations(Camera_LiveView_Gui* view, QDockWidget* dock, std::function<bool()> windowHidden);

    // Mode 1 only (104 otherwise).
    Errors::Type_Error show(int mode, bool automationServer);
    Errors::Type_Error hide();
    Errors::Type_Error isVisible(bool& visible) const;
    // 104 for a target that ExportTarget_Guard refuses, else the live view's code (its wait for
    // a picture part of call when there is one).
    Errors::Type_Error savePicture(const QString& path, const QString& format, int sizePercent,
                                   Automation_Call* call = nullptr);

private:
    Camera_LiveView_Gui* m_view;
    QDockWidget* m_dock;
    std::function<bool()> m_windowHidden;
};
