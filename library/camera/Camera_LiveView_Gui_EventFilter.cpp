#include "Camera_LiveView_Gui_EventFilter.h"

#include "QuendralLibrary.h"

#include <QDockWidget>
#include <QEvent>
#include <QScreen>

Camera_LiveView_Gui_EventFilter::Camera_LiveView_Gui_EventFilter(QDockWidget* dock, QObject* parent)
    : QObject(parent)
    , m_watched(dock)
    , m_dock(dock)
{
    if (m_dock)
        m_dock->installEventFilter(this);
}

Camera_LiveView_Gui_EventFilter::~Camera_LiveView_Gui_EventFilter()
{
    if (QObject* watched = m_watched.data())
        watched->removeEventFilter(this);
}

bool Camera_LiveView_Gui_EventFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::NonClientAreaMouseButtonDblClick || !m_watched || watched != m_watched.data())
        return QObject::eventFilter(watched, event);
    if (m_dock->isFloating() && QuendralLibrary::IsAutomationServer()) {
        if (QScreen* screen = m_dock->screen()) {
            const QRect available = screen->availableGeometry();
            m_dock->move(available.topLeft() + QPoint(10, 10));
            m_dock->resize(available.width() - 40, available.height() - 60);
        }
        return true;
    }
    if (m_dock->allowedAreas() == Qt::NoDockWidgetArea)
        return true;
    return QObject::eventFilter(watched, event);
}
