#include "Gui_Helper_ScreenKeeper.h"

#include "Gui_Helper_ScrollColumn.h"
#include "Gui_Helper_ScrollStrip.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QWidget>

namespace {

QPointer<Gui_Helper_ScreenKeeper> g_keeper;

// Windows the program lays out itself; menus, tool tips and the like place themselves.
bool isPlacedWindow(const QWidget* widget)
{
    if (!widget->isWindow())
        return false;
    const Qt::WindowType type = widget->windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Tool;
}

} // namespace

bool Gui_Helper_ScreenKeeper::install()
{
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!application)
        return false;
    if (!g_keeper) {
        g_keeper = new Gui_Helper_ScreenKeeper(application);
        application->installEventFilter(g_keeper);
    }
    return true;
}

void Gui_Helper_ScreenKeeper::uninstall()
{
    delete g_keeper.data();
}

bool Gui_Helper_ScreenKeeper::eventFilter(QObject* watched, QEvent* event)
{
    // Before the window is mapped, so it appears where it fits.
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (isPlacedWindow(widget))
            fit(widget);
    }
    return QObject::eventFilter(watched, event);
}

bool Gui_Helper_ScreenKeeper::fit(QWidget* window)
{
    if (!window || !window->isWindow())
        return false;
    // The platform sizes these; a size of ours would end the state.
    if (window->windowState() & (Qt::WindowFullScreen | Qt::WindowMinimized))
        return true;
    const QScreen* screen = window->screen();
    if (!screen)
        return false;
    const QRect available = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    const QSize decoration = frame.size() - window->size();
    if (window->windowState() & Qt::WindowMaximized) {
        // Where no window manager maximises, a restored geometry would stay as it was saved
        // (with a title bar's height added below). What a window manager would do instead:
        // the frame on the available area, the state kept.
        const QPoint offset = window->geometry().topLeft() - frame.topLeft();
        const QRect maximised(available.topLeft() + offset, available.size() - decoration);
        if (window->geometry() != maximised) {
            // A geometry set ends the maximised state; it is the state that is kept.
            const Qt::WindowStates state = window->windowState();
            window->setGeometry(maximised);
            window->setWindowState(state);
        }
        return available.contains(window->frameGeometry());
    }
    const QSize size =
        window->size().boundedTo(available.size() - decoration).expandedTo(window->minimumSize());
    if (size != window->size())
        window->resize(size);

    QRect target(frame.topLeft(), size + decoration);
    if (target.right() > available.right())
        target.moveRight(available.right());
    if (target.bottom() > available.bottom())
        target.moveBottom(available.bottom());
    if (target.left() < available.left())
        target.moveLeft(available.left());
    if (target.top() < available.top())
        target.moveTop(available.top());
    // A window's position is that of its frame.
    if (target.topLeft() != frame.topLeft())
        window->move(target.topLeft());
    return available.contains(window->frameGeometry());
}

QScrollArea* Gui_Helper_ScreenKeeper::scrollArea(QWidget* content, QWidget* parent)
{
    auto* area = new Gui_Helper_ScrollColumn(parent);
    if (content)
        area->setWidget(content);
    return area;
}

bool Gui_Helper_ScreenKeeper::scrollSideways(QWidget* widget)
{
    QWidget* parent = widget ? widget->parentWidget() : nullptr;
    QLayout* layout = parent ? parent->layout() : nullptr;
    if (!layout || layout->indexOf(widget) < 0)
        return false;
    auto* strip = new Gui_Helper_ScrollStrip(parent);
    delete layout->replaceWidget(widget, strip);
    strip->setContent(widget);
    return true;
}
