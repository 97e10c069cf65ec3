#pragma once

#include <QObject>
#include <QPointer>

class QDockWidget;
class QEvent;

// Watches the live view's dock: a double click on the title bar of the floating dock fills
// the screen as automation server, and is swallowed while docking is locked (the dock could
// otherwise be docked by it).
class Camera_LiveView_Gui_EventFilter : public QObject {
    Q_OBJECT
public:
    // Installs itself on the dock, when there is one; the destructor takes itself off.
    explicit Camera_LiveView_Gui_EventFilter(QDockWidget* dock, QObject* parent = nullptr);
    ~Camera_LiveView_Gui_EventFilter() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The dock is watched through its QObject side: the filter still sees events (children
    // leaving) while the dock is half destroyed, when it is no QDockWidget any more.
    QPointer<QObject> m_watched;
    QDockWidget* m_dock = nullptr;
};
