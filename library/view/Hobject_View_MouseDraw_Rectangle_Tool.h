#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class Hobject_View_Gui;
class QToolButton;

// What the rectangle drawing and move tools share: the owner's callbacks, the tool button and
// the viewer, the object name that prefixes every overlay drawn for the tool, the registries
// of live tools and switching the mode on and off. GUI thread only.
//
// Rectangles cross the callbacks in picture units: top-left corner and size of the unrotated
// rectangle in percent of the longer picture side, angle in degrees about its centre.
class Hobject_View_MouseDraw_Rectangle_Tool : public QObject {
    Q_OBJECT
public:
    // Each kind has its own registry, numbering, overlay prefix and button icon.
    enum Kind { Kind_Area = 0, Kind_Move = 1 };

    // What a tool reports to its owner. Every call passes the tool's name and object name
    // first, so that one owner can serve several tools.
    class Callbacks {
    public:
        virtual ~Callbacks() = default;
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

    // Leaves the registry, so that a cancel of all tools never reaches a destroyed one. The
    // owner may be half gone: no callbacks, but the overlays go and the viewer gets its
    // mouse back.
    ~Hobject_View_MouseDraw_Rectangle_Tool() override;

    // Ends the mode and removes the tool's overlays; true when it was on.
    bool cancel();
    bool isActive() const { return m_active; }
    QString getName() const { return m_name; }
    // Prefix of every overlay drawn for this tool:
    // "HalconObject_MouseDraw_Rectangle.<Area|Move>.<number>.<name>.".
    QString getObjectName() const { return m_objectName; }

    // Lets go of view, which is being destroyed: every tool on it ends its mode without
    // callbacks (the owner may be going too) and nothing touches the viewer again.
    static void releaseView(const Hobject_View_Gui* view);

public slots:
    virtual void slot_Hobject_View_Gui_HalconMousePressEvent(double x, double y) = 0;
    virtual void slot_Hobject_View_Gui_HalconMouseMoveEvent(double x, double y) = 0;
    virtual void slot_Hobject_View_Gui_HalconMouseReleaseEvent(double x, double y) = 0;

protected:
    struct Rectangle {
        double x = 0.0;
        double y = 0.0;
        double width = 0.0;
        double height = 0.0;
        double angle = 0.0;
    };

    // Neither callbacks, button nor viewer is owned. Enters the registry of its kind, gives
    // the button its icon, shows on the viewer what is drawn under the object name and
    // follows the viewer's mouse.
    Hobject_View_MouseDraw_Rectangle_Tool(Kind kind, Callbacks* callbacks, QToolButton* button,
                                          Hobject_View_Gui* view, const QString& name, QObject* parent);

    // Cancels every live tool of the kind in construction order; true when any was on.
    static bool cancelAll(Kind kind);

    // The button's toggle: false when the mode stays off (switched off, or no picture to
    // draw on). Otherwise every other tool is off and this one is on and waiting, with its
    // overlays removed.
    bool switchOn(bool checked);
    // The owner's rectangle, preset to 0.
    Rectangle requestRectangle();
    void reportStarted();
    void reportChanged(const Rectangle& rectangle);
    void reportFinished(const Rectangle& rectangle);
    // The viewer went: a kind drops what it holds of a drag.
    virtual void viewReleased() {}

    QPointer<Hobject_View_Gui> m_view;
    bool m_active = false;
    bool m_dragging = false;

private:
    friend bool Hobject_View_MouseDraw_Rectangle_cancelAll();

    // Unchecked silently: the toggle slot must not run a second cancel.
    void uncheckButton();

    const Kind m_kind;
    Callbacks* const m_callbacks;
    QPointer<QToolButton> m_button;
    const QString m_name;
    QString m_objectName;
};

// Switches every rectangle tool of the program off: the drawing tools, then the move tools.
// true when any of them was on.
bool Hobject_View_MouseDraw_Rectangle_cancelAll();
