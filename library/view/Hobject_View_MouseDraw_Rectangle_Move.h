#pragma once

#include "Hobject_View_MouseDraw_Rectangle_Tool.h"
#include "Hobject_View_MouseDraw_Settings.h"

#include <QString>

class Hobject_View_Gui;
class QToolButton;

// Moves, sizes and turns an existing rectangle on a viewer with handles: four corners, the
// centre and a round rotation handle. The rectangle belongs to the owner, who reports it
// through getRectangle and draws it; the tool draws only its handles. The mode stays on
// after each drag until the button is unchecked, a double click, a cancel or another
// rectangle tool switches it off. GUI thread only.
class Hobject_View_MouseDraw_Rectangle_Move : public Hobject_View_MouseDraw_Rectangle_Tool {
    Q_OBJECT
public:
    // The move tools' own interface, with the same five operations as the drawing tools', so
    // that one owner can implement both.
    class CallbackFunctions : public Hobject_View_MouseDraw_Rectangle_Tool::Callbacks {};

    enum Handle {
        Handle_None = 0,
        Handle_LeftTop = 1,
        Handle_RightTop = 2,
        Handle_LeftBottom = 3,
        Handle_RightBottom = 4,
        Handle_Center = 5,
        Handle_Angle = 6
    };

    // Neither callbacks, button nor viewer is owned; the settings are copied, and their
    // ToolName is the tool's name.
    Hobject_View_MouseDraw_Rectangle_Move(CallbackFunctions* callbacks, QToolButton* button, Hobject_View_Gui* view,
                                          const Hobject_View_MouseDraw_Settings& settings,
                                          QObject* parent = nullptr);
    // Name of a handle's overlay; empty for Handle_None.
    QString handleName(Handle handle) const;
    Handle grabbedHandle() const { return m_grabbed; }

public slots:
    void slot_QToolButton_MouseMove_toggled(bool checked);
    void slot_Hobject_View_Gui_HalconMousePressEvent(double x, double y) override;
    void slot_Hobject_View_Gui_HalconMouseMoveEvent(double x, double y) override;
    void slot_Hobject_View_Gui_HalconMouseReleaseEvent(double x, double y) override;
    void slot_Hobject_View_Gui_HalconMouseDoubleClickEvent(double x, double y);
    void slot_Hobject_View_Gui_HalconObjectSelected(const QString& name);
    void slot_Hobject_View_Gui_ZoomFactorChanged(double factorX, double factorY);

private:
    void drawHandles();
    void viewReleased() override;

    const Hobject_View_MouseDraw_Settings m_settings;
    Rectangle m_rectangle;
    double m_zoomFactorX = 1.0;
    double m_zoomFactorY = 1.0;
    double m_angleHandleDistance = 0.0; // pixels from the centre
    Handle m_grabbed = Handle_None;
};
