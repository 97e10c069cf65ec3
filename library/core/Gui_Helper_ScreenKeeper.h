#pragma once

#include <QObject>

class QScrollArea;
class QWidget;

// Keeps the program's windows within the available area of their screen, also where no
// window manager does: a window that is shown too large is made smaller (down to its minimum
// size), one beyond an edge is moved in. Content that can be taller or wider than a screen
// goes into scroll areas, so that the minimum sizes stay small. GUI thread only.
class Gui_Helper_ScreenKeeper : public QObject {
    Q_OBJECT
public:
    // Watches every window that is shown from now on; once per application. False without
    // a widget application.
    static bool install();
    static void uninstall();

    // Fits one window now, e.g. after a layout restored while it is shown. True when its
    // frame lies within the available area afterwards. A maximised window's frame is put on
    // the available area, as a window manager would; full-screen and minimised windows are
    // the platform's and are left alone.
    static bool fit(QWidget* window);

    // A scroll area around content (which it takes as its child), for editors that may be
    // taller than a screen: it scrolls downwards and is as wide as the content needs.
    static QScrollArea* scrollArea(QWidget* content, QWidget* parent);
    // Puts widget, in the place it has in its parent's layout, into a strip that scrolls it
    // sideways when the room is narrower than the widget. False without a parent layout.
    static bool scrollSideways(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
