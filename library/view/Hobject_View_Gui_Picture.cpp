#include "Hobject_View_Gui_Picture.h"

#include "Gui_Helper.h"

Hobject_View_Gui_Picture::Hobject_View_Gui_Picture(CallbackFunctions* receiver, QWidget* parent)
    : QWidget(parent)
    , m_receiver(receiver)
    , m_parentWidget(parent)
{
    Gui_Helper::fillParentWidget(this, true, true);
    // Moves without a pressed button must reach the viewer (coordinates in the status line).
    setAttribute(Qt::WA_MouseTracking, true);
}

void Hobject_View_Gui_Picture::paintEvent(QPaintEvent* event)
{
    if (m_receiver)
        m_receiver->paintEvent(event);
}

void Hobject_View_Gui_Picture::resizeEvent(QResizeEvent* event)
{
    if (m_receiver)
        m_receiver->resizeEvent(event);
}

void Hobject_View_Gui_Picture::showEvent(QShowEvent* event)
{
    if (m_receiver)
        m_receiver->showEvent(event);
}

void Hobject_View_Gui_Picture::hideEvent(QHideEvent* event)
{
    if (m_receiver)
        m_receiver->hideEvent(event);
}

void Hobject_View_Gui_Picture::mouseMoveEvent(QMouseEvent* event)
{
    if (m_receiver)
        m_receiver->mouseMoveEvent(event);
}

void Hobject_View_Gui_Picture::mousePressEvent(QMouseEvent* event)
{
    if (m_receiver)
        m_receiver->mousePressEvent(event);
}

void Hobject_View_Gui_Picture::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_receiver)
        m_receiver->mouseReleaseEvent(event);
}

void Hobject_View_Gui_Picture::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (m_receiver)
        m_receiver->mouseDoubleClickEvent(event);
}

void Hobject_View_Gui_Picture::wheelEvent(QWheelEvent* event)
{
    if (m_receiver)
        m_receiver->wheelEvent(event);
}
