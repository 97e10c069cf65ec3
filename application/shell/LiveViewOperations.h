#pragma once

#include "Errors.h"

#include <QString>

#include <functional>

class Camera_LiveView_Gui;
class QDockWidget;

// The live view as the automation clients drive it: its dock shown and hidden, the picture
// as shown saved, the three set-up aids opened and read, and the named marks drawn over the
// picture. The live view does the work and its own checks (unknown colours, sizes, filter
// modes, the waits for a picture); this decides only the dock. GUI thread; no message boxes.
class LiveViewOperations {
public:
    // windowHidden tells whether the main window is hidden; a server floats the dock then,
    // so the live view can be seen without the window.
    LiveViewOperations(Camera_LiveView_Gui* view, QDockWidget* dock, std::function<bool()> windowHidden);

    // Mode 1 only (104 otherwise).
    Errors::Type_Error show(int mode, bool automationServer);
    Errors::Type_Error hide();
    Errors::Type_Error isVisible(bool& visible) const;
    // 104 for a target that ExportTarget_Guard refuses, else the live view's code.
    Errors::Type_Error savePicture(const QString& path, const QString& format, int sizePercent);

    Errors::Type_Error focusShow(double positionX, double positionY, double sizeX, double sizeY, double angle,
                                 double threshold, double sensibility);
    Errors::Type_Error focusValue(double& current, double& maximum, double& lowerLimit, bool& inTolerance);
    Errors::Type_Error apertureShow(double positionX, double positionY, double sizeX, double sizeY, double angle,
                                    double center, double sensibility);
    Errors::Type_Error apertureValue(double& current, double& lowerLimit, double& upperLimit, bool& inTolerance);
    Errors::Type_Error homogeneousShow(double positionX, double positionY, double sizeX, double sizeY, double angle,
                                       int filterMode, double threshold, double sensibility);
    Errors::Type_Error homogeneousValue(double& current, double& maximum, double& lowerLimit, bool& inTolerance);

    Errors::Type_Error clearAll();
    Errors::Type_Error clear(const QString& name);
    Errors::Type_Error cross(const QString& name, double positionX, double positionY, double size, double angle,
                             const QString& color, int lineSize);
    Errors::Type_Error ellipse(const QString& name, double positionX, double positionY, double sizeX, double sizeY,
                               double angle, const QString& color, int lineSize, const QString& drawMode);
    Errors::Type_Error rectangle(const QString& name, double positionX, double positionY, double sizeX, double sizeY,
                                 double angle, const QString& color, int lineSize, const QString& drawMode);
    Errors::Type_Error line(const QString& name, double position1X, double position1Y, double position2X,
                            double position2Y, const QString& color, int lineSize);
    Errors::Type_Error text(const QString& name, double positionX, double positionY, const QString& text,
                            const QString& color, const QString& fontName, int textSize);

private:
    Camera_LiveView_Gui* m_view;
    QDockWidget* m_dock;
    std::function<bool()> m_windowHidden;
};
