#pragma once

#include <QList>
#include <QPointer>

class QObject;
class QWidget;

// Blocks the signals of every widget below a root while code fills a form, and later
// releases exactly the widgets it blocked itself: widgets blocked by someone else stay
// blocked, and widgets deleted or moved away meanwhile are left alone.
class Gui_Helper_SignalBlocker {
public:
    explicit Gui_Helper_SignalBlocker(QObject* root, bool blockNow = true);
    ~Gui_Helper_SignalBlocker();
    Gui_Helper_SignalBlocker(const Gui_Helper_SignalBlocker&) = delete;
    Gui_Helper_SignalBlocker& operator=(const Gui_Helper_SignalBlocker&) = delete;

    void setBlocked(bool block);

private:
    QPointer<QObject> m_root;
    // Guarded pointers: a widget deleted while blocked must not be touched, nor mistaken
    // for a new widget at the same address.
    QList<QPointer<QWidget>> m_blocked;
};
