#pragma once

#include "Errors.h"

#include <QString>

#include <functional>

class Automation_Call;
class Hobject_View_Gui;

// The named marks that the control software draws over the live picture: crosses,
// ellipses, rectangles, lines and texts under "LiveImage.Draw.<object name>.<kind>.", and
// their removal by object name. Positions and sizes are percent of the longer side of the
// viewer's picture, angles degrees; an ellipse or rectangle is given by the left and top
// edge and the size of its unrotated shape and turns about its centre. GUI thread only.
//
// Every drawing waits for a picture in the viewer (15 "No picture grabbed" when none comes
// in time); with an automation call it waits as part of the call (Automation_Call) and answers
// Pending until its rest has run. Arguments are checked before that wait: an object name holding "." (it would
// reach into another object's marks), a colour, draw mode or font outside the accepted
// lists, a size or line size not above 0 and a value that is not finite or lies beyond
// tenfold the picture give 3 and draw nothing.
class Camera_LiveView_Draw {
public:
    static QString prefix() { return QStringLiteral("LiveImage.Draw."); }
    static constexpr int MaximumLineSize = 2000;
    static constexpr int MaximumTextSize = 1000;

    // The viewer is not owned.
    explicit Camera_LiveView_Draw(Hobject_View_Gui* view);

    // Case-sensitive: "blue", "light blue", "cadet blue", "red", "orange", "green",
    // "dark green", "spring green", "cyan", "magenta", "yellow", "pink", "gray", "dim gray",
    // "light gray", "black", "white".
    static bool IsColorName(const QString& color);
    // "margin" or "fill".
    static bool IsDrawModeName(const QString& drawMode);
    // "Arial", or empty for the viewer's own font.
    static bool IsFontName(const QString& fontName);
    // Not holding ".", so that its prefix reaches no other object's marks.
    static bool IsObjectName(const QString& objectName);

    // 0 as soon as the viewer holds a picture, 15 when none came within the wait time.
    Errors::Type_Error WaitForPicture();
    // next(0 or 15 as WaitForPicture) once that is known; what next answers.
    Errors::Type_Error WaitForPictureThen(Automation_Call* call,
                                          const std::function<Errors::Type_Error(Errors::Type_Error)>& next);

    Errors::Type_Error Draw_ClearAll();
    Errors::Type_Error Draw_Clear(const QString& objectName);
    Errors::Type_Error Draw_Cross(const QString& objectName, double positionX, double positionY, double size,
                                  double angle, const QString& color, int lineSize, Automation_Call* call = nullptr);
    Errors::Type_Error Draw_Ellipse(const QString& objectName, double positionX, double positionY, double sizeX,
                                    double sizeY, double angle, const QString& color, int lineSize,
                                    const QString& drawMode, Automation_Call* call = nullptr);
    Errors::Type_Error Draw_Rectangle(const QString& objectName, double positionX, double positionY, double sizeX,
                                      double sizeY, double angle, const QString& color, int lineSize,
                                      const QString& drawMode, Automation_Call* call = nullptr);
    Errors::Type_Error Draw_Line(const QString& objectName, double position1X, double position1Y, double position2X,
                                 double position2Y, const QString& color, int lineSize,
                                 Automation_Call* call = nullptr);
    Errors::Type_Error Draw_Text(const QString& objectName, double positionX, double positionY, const QString& text,
                                 const QString& color, const QString& fontName, int textSize,
                                 Automation_Call* call = nullptr);

protected:
    // For an owner whose viewer comes after it.
    void setView(Hobject_View_Gui* view) { m_view = view; }

private:
    // Arguments are checked before the wait for a picture: 3, else what the wait gives; then
    // add puts the mark on the viewer (40 when it cannot) and the viewer is repainted. add may
    // run after the drawing call returned: it holds its own copies of the arguments.
    Errors::Type_Error place(Automation_Call* call, bool argumentsValid, const std::function<bool()>& add);
    enum class Shape { Ellipse, Rectangle };
    Errors::Type_Error drawShape(Shape shape, const QString& objectName, double positionX, double positionY,
                                 double sizeX, double sizeY, double angle, const QString& color, int lineSize,
                                 const QString& drawMode, Automation_Call* call);
    Hobject_View_Gui* m_view = nullptr;
};
