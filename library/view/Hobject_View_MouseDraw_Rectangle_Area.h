#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class Hobject_View_Gui;
class QToolButton;

// Draws a new rectangle on a viewer by dragging from one corner to the opposite one. The
// tool draws nothing itself: it reports the rectangle to its owner, who draws the preview
// and keeps the result. Its checkable button switches the mode on; a release, a cancel or
// switching on any other rectangle tool ends it. GUI thread only.
//
// Rectangles cross the callbacks in picture units: top-left corner and size of the unrotated
// rectangle in percent of the longer picture side, angle in degrees about its centre.
class Hobject_View_MouseDraw_Rectangle_Area : public QObject {
    Q_OBJECT
public:
    // Every call passes the tool's name and object name first, so that one owner can serve
    // several tools.
    class CallbackFunctions {
    public:
        virtual ~CallbackFunctions() = default;
        // The owner's current rectangle; all five come preset to 0.
        virtual void getRectangle(const QString& name, const QString& objectName, double& x, double& y,
                                  double& width, double& height, double& angle) = 0;
        virtual void drawStarted(const QString& name, const QString& objectName) = 0;
        // The rectangle as it is now, for a preview.
        virtual void drawChanged(const QString& name, const QString& objectName, double x, double y, double width,
                                 double height, double angle) = 0;
        // The rectangle the user settled on.
        virtual void drawFinished(const QString& name, const QString& objectName, double x, double y, double width,
                                  double height, double angle) = 0;
        // The mode has ended, after a drawing or a cancel.
        virtual void drawEnded(const QString& name, const QString& objectName) = 0;
    };

    // Neither callbacks, button nor viewer is owned. Owners name their preview overlays with
    // getObjectName() as prefix, so that the tool can remove them.
    Hobject_View_MouseDraw_Rectangle_Area(CallbackFunctions* callbacks, QToolButton* button, Hobject_View_Gui* view,
                                          const QString& name, QObject* parent = nullptr);
    // Leaves the registry, so that a cancel of all tools never reaches a destroyed one.
    ~Hobject_View_MouseDraw_Rectangle_Area() override;

    // Ends the mode; true when it was on.
    bool cancel();
    bool isActive() const { return m_active; }
    QString getName() const { return m_name; }
    // Prefix of every overlay drawn for this tool:
    // "HalconObject_MouseDraw_Rectangle.Area.<number>.<name>.".
    QString getObjectName() const { return m_objectName; }

    // Cancels every live drawing tool in construction order; true when any was on.
    static bool cancelAllTools();
    // Lets go of view, which is being destroyed: the mode ends without callbacks (the owner
    // may be going too) and nothing touches the viewer again.
    static void releaseView(const Hobject_View_Gui* view);

public slots:
    void slot_QToolButton_MouseDraw_toggled(bool checked);
    void slot_Hobject_View_Gui_HalconMousePressEvent(double x, double y);
    void slot_Hobject_View_Gui_HalconMouseMoveEvent(double x, double y);
    void slot_Hobject_View_Gui_HalconMouseReleaseEvent(double x, double y);

private:
    // The rectangle from the drag's start to (x, y), in percent with a positive size.
    void draggedRectangle(double x, double y, double& left, double& top, double& width, double& height) const;

    CallbackFunctions* m_callbacks = nullptr;
    QPointer<QToolButton> m_button;
    QPointer<Hobject_View_Gui> m_view;
    QString m_name;
    QString m_objectName;
    bool m_active = false;
    bool m_dragging = false;
    double m_startColumn = 0.0;
    double m_startRow = 0.0;
    double m_angle = 0.0;
};

// Switches every rectangle tool of the program off: the drawing tools, then the move tools.
// true when any of them was on.
bool Hobject_View_MouseDraw_Rectangle_cancelAll();
