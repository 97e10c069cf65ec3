#include "Hobject_View_MouseDraw_Rectangle_Area.h"

#include "Hobject_View_Gui.h"

#include <QToolButton>

#include <cmath>

Hobject_View_MouseDraw_Rectangle_Area::Hobject_View_MouseDraw_Rectangle_Area(CallbackFunctions* callbacks,
                                                                             QToolButton* button,
                                                                             Hobject_View_Gui* view,
                                                                             const QString& name, QObject* parent)
    : Hobject_View_MouseDraw_Rectangle_Tool(Kind_Area, callbacks, button, view, name, parent)
{
    if (button)
        connect(button, &QToolButton::toggled, this,
                &Hobject_View_MouseDraw_Rectangle_Area::slot_QToolButton_MouseDraw_toggled);
}

void Hobject_View_MouseDraw_Rectangle_Area::slot_QToolButton_MouseDraw_toggled(bool checked)
{
    if (!switchOn(checked))
        return;
    m_startColumn = 0.0;
    m_startRow = 0.0;
    // Only the angle is taken: a new rectangle keeps the turn of the current one.
    m_angle = requestRectangle().angle;
    if (m_active && m_view) {
        m_view->beginMouseMode(QCursor(Qt::CrossCursor));
        m_view->updateView(true);
    }
}

void Hobject_View_MouseDraw_Rectangle_Area::slot_Hobject_View_Gui_HalconMousePressEvent(double x, double y)
{
    if (!m_active || m_dragging || !m_view)
        return;
    m_startColumn = x;
    m_startRow = y;
    Rectangle start;
    start.angle = m_angle;
    m_view->convertPixelToPercent(x, y, start.x, start.y);
    m_view->removeObjects(getObjectName(), false);
    reportStarted();
    reportChanged(start);
    // A callback may have cancelled the tool.
    if (!m_active || !m_view)
        return;
    m_dragging = true;
    m_view->updateView(true);
}

void Hobject_View_MouseDraw_Rectangle_Area::slot_Hobject_View_Gui_HalconMouseMoveEvent(double x, double y)
{
    if (!m_active || !m_dragging || !m_view)
        return;
    const Rectangle rectangle = draggedRectangle(x, y);
    m_view->removeObjects(getObjectName(), false);
    reportChanged(rectangle);
    if (m_view)
        m_view->updateView(true);
}

void Hobject_View_MouseDraw_Rectangle_Area::slot_Hobject_View_Gui_HalconMouseReleaseEvent(double x, double y)
{
    if (!m_active || !m_dragging || !m_view)
        return;
    reportFinished(draggedRectangle(x, y));
    // One drag is one drawing: the mode ends with it.
    cancel();
    if (m_view)
        m_view->updateView(true);
}

Hobject_View_MouseDraw_Rectangle_Area::Rectangle Hobject_View_MouseDraw_Rectangle_Area::draggedRectangle(double x,
                                                                                                         double y) const
{
    double startX = 0.0;
    double startY = 0.0;
    double deltaX = 0.0;
    double deltaY = 0.0;
    m_view->convertPixelToPercent(m_startColumn, m_startRow, startX, startY);
    m_view->convertPixelToPercent(x - m_startColumn, y - m_startRow, deltaX, deltaY);
    Rectangle rectangle;
    rectangle.x = deltaX <= 0.0 ? startX + deltaX : startX;
    rectangle.y = deltaY <= 0.0 ? startY + deltaY : startY;
    rectangle.width = std::abs(deltaX);
    rectangle.height = std::abs(deltaY);
    rectangle.angle = m_angle;
    return rectangle;
}
