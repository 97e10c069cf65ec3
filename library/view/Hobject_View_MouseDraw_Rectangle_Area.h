#pragma once

#include "Hobject_View_MouseDraw_Rectangle_Tool.h"

#include <QString>

class Hobject_View_Gui;
class QToolButton;

// Draws a new rectangle on a viewer by dragging from one corner to the opposite one. The
// tool draws nothing itself: it reports the rectangle to its owner, who draws the preview
// and keeps the result. Its checkable button switches the mode on; a release, a cancel or
// switching on any other rectangle tool ends it. GUI thread only.
class Hobject_View_MouseDraw_Rectangle_Area : public Hobject_View_MouseDraw_Rectangle_Tool {
    Q_OBJECT
public:
    // The drawing tools' own interface, so that one owner can implement it beside the move
    // tools' one.
    class CallbackFunctions : public Hobject_View_MouseDraw_Rectangle_Tool::Callbacks {};

    // Neither callbacks, button nor viewer is owned. Owners name their preview overlays with
    // getObjectName() as prefix, so that the tool can remove them.
    Hobject_View_MouseDraw_Rectangle_Area(CallbackFunctions* callbacks, QToolButton* button, Hobject_View_Gui* view,
                                          const QString& name, QObject* parent = nullptr);

public slots:
    void slot_QToolButton_MouseDraw_toggled(bool checked);
    void slot_Hobject_View_Gui_HalconMousePressEvent(double x, double y) override;
    void slot_Hobject_View_Gui_HalconMouseMoveEvent(double x, double y) override;
    void slot_Hobject_View_Gui_HalconMouseReleaseEvent(double x, double y) override;

private:
    // The rectangle from the drag's start to (x, y), in percent with a positive size.
    Rectangle draggedRectangle(double x, double y) const;

    double m_startColumn = 0.0;
    double m_startRow = 0.0;
    double m_angle = 0.0;
};
