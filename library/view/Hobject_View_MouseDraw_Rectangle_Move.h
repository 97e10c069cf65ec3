#pragma once

#include "Hobject_View_MouseDraw_Settings.h"

#include <QObject>
#include <QPointer>
#include <QString>

class Hobject_View_Gui;
class QToolButton;

// Moves, sizes and turns an existing rectangle on a viewer with handles: four corners, the
// centre and a round rotation handle. The rectangle belongs to the owner, who reports it
// through getRectangle and draws it; the tool draws only its handles. The mode stays on
// after each drag until the button is unchecked, a double click, a cancel or another
// rectangle tool switches it off. GUI thread only.
//
// Rectangles cross the callbacks in picture units: top-left corner and size of the unrotated
// rectangle in percent of the longer picture side, angle in degrees about its centre.
class Hobject_View_MouseDraw_Rectangle_Move : public QObject {
    Q_OBJECT
public:
    // The same five operations as the drawing tool's, so one owner can serve both kinds.
    class CallbackFunctions {
    public:
        virtual ~CallbackFunctions() = default;
        // The owner's current rectangle; all five come preset to 0.
        virtual void getRectangle(const QString& name, const QString& objectName, double& x, double& y,
                                  double& width, double& height, double& angle) = 0;
        virtual void drawStarted(const QString& name, const QString& objectName) = 0;
        virtual void drawChanged(const QString& name, const QString& objectName, double x, double y, double width,
                                 double height, double angle) = 0;
        virtual void drawFinished(const QString& name, const QString& objectName, double x, double y, double width,
                                  double height, double angle) = 0;
        virtual void drawEnded(const QString& name, const QString& objectName) = 0;
    };

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
    // Leaves the registry, so that a cancel of all tools never reaches a destroyed one.
    ~Hobject_View_MouseDraw_Rectangle_Move() override;

    // Ends the mode and removes the handles; true when it was on.
    bool cancel();
    bool isActive() const { return m_active; }
    QString getName() const { return m_settings.ToolName; }
    // Prefix of every overlay drawn for this tool, handles included:
    // "HalconObject_MouseDraw_Rectangle.Move.<number>.<name>.".
    QString getObjectName() const { return m_objectName; }
    // Name of a handle's overlay; empty for Handle_None.
    QString handleName(Handle handle) const;
    Handle grabbedHandle() const { return m_grabbed; }

    // Cancels every live move tool in construction order; true when any was on.
    static bool cancelAllTools();
    // Lets go of view, which is being destroyed: the mode ends without callbacks (the owner
    // may be going too) and nothing touches the viewer again.
    static void releaseView(const Hobject_View_Gui* view);

public slots:
    void slot_QToolButton_MouseMove_toggled(bool checked);
    void slot_Hobject_View_Gui_HalconMousePressEvent(double x, double y);
    void slot_Hobject_View_Gui_HalconMouseMoveEvent(double x, double y);
    void slot_Hobject_View_Gui_HalconMouseReleaseEvent(double x, double y);
    void slot_Hobject_View_Gui_HalconMouseDoubleClickEvent(double x, double y);
    void slot_Hobject_View_Gui_HalconObjectSelected(const QString& name);
    void slot_Hobject_View_Gui_ZoomFactorChanged(double factorX, double factorY);

private:
    void fetchRectangle();
    void drawHandles();
    void reportChanged();

    CallbackFunctions* m_callbacks = nullptr;
    QPointer<QToolButton> m_button;
    QPointer<Hobject_View_Gui> m_view;
    const Hobject_View_MouseDraw_Settings m_settings;
    QString m_objectName;
    bool m_active = false;
    bool m_dragging = false;
    double m_x = 0.0;
    double m_y = 0.0;
    double m_width = 0.0;
    double m_height = 0.0;
    double m_angle = 0.0;
    double m_zoomFactorX = 1.0;
    double m_zoomFactorY = 1.0;
    double m_angleHandleDistance = 0.0; // pixels from the centre
    Handle m_grabbed = Handle_None;
};
