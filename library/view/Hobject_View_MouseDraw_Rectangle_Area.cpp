#include "Hobject_View_MouseDraw_Rectangle_Area.h"

#include "Hobject_View_Gui.h"
#include "Hobject_View_MouseDraw_Rectangle_Move.h"

#include <QIcon>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Live drawing tools in construction order. GUI thread only, like the tools.
std::vector<Hobject_View_MouseDraw_Rectangle_Area*>& registry()
{
    static std::vector<Hobject_View_MouseDraw_Rectangle_Area*> tools;
    return tools;
}

// Numbers the object names. It only grows, so a tool made after another was destroyed
// never takes over a live tool's overlay prefix.
int g_toolsMade = 0;

bool isRegistered(const Hobject_View_MouseDraw_Rectangle_Area* tool)
{
    const auto& tools = registry();
    return std::find(tools.begin(), tools.end(), tool) != tools.end();
}

} // namespace

Hobject_View_MouseDraw_Rectangle_Area::Hobject_View_MouseDraw_Rectangle_Area(CallbackFunctions* callbacks,
                                                                             QToolButton* button,
                                                                             Hobject_View_Gui* view,
                                                                             const QString& name, QObject* parent)
    : QObject(parent)
    , m_callbacks(callbacks)
    , m_button(button)
    , m_view(view)
    , m_name(name)
{
    registry().push_back(this);
    m_objectName = QStringLiteral("HalconObject_MouseDraw_Rectangle.Area.%1.%2.").arg(++g_toolsMade).arg(m_name);
    if (m_button) {
        m_button->setIcon(QIcon(QStringLiteral("pictures:/MouseDraw/MouseDraw_Area.png")));
        connect(m_button, &QToolButton::toggled, this,
                &Hobject_View_MouseDraw_Rectangle_Area::slot_QToolButton_MouseDraw_toggled);
    }
    if (m_view) {
        m_view->addObjectGroup(QStringLiteral("MouseDraw_Rectangle (Hidden)"), m_objectName, true);
        connect(m_view, &Hobject_View_Gui::signal_HalconMousePressEvent, this,
                &Hobject_View_MouseDraw_Rectangle_Area::slot_Hobject_View_Gui_HalconMousePressEvent);
        connect(m_view, &Hobject_View_Gui::signal_HalconMouseMoveEvent, this,
                &Hobject_View_MouseDraw_Rectangle_Area::slot_Hobject_View_Gui_HalconMouseMoveEvent);
        connect(m_view, &Hobject_View_Gui::signal_HalconMouseReleaseEvent, this,
                &Hobject_View_MouseDraw_Rectangle_Area::slot_Hobject_View_Gui_HalconMouseReleaseEvent);
    }
}

Hobject_View_MouseDraw_Rectangle_Area::~Hobject_View_MouseDraw_Rectangle_Area()
{
    auto& tools = registry();
    tools.erase(std::remove(tools.begin(), tools.end(), this), tools.end());
    // The owner may be half gone: no callbacks, but the viewer gets its mouse back.
    if (m_active && m_view) {
        m_view->removeObjects(m_objectName, false);
        m_view->endMouseMode();
        m_view->updateView(true);
    }
}

bool Hobject_View_MouseDraw_Rectangle_Area::cancel()
{
    if (!m_active)
        return false;
    if (m_view)
        m_view->removeObjects(m_objectName, false);
    if (m_button) {
        // Unchecked silently: the toggle slot must not run a second cancel.
        const bool wasBlocked = m_button->blockSignals(true);
        m_button->setChecked(false);
        m_button->blockSignals(wasBlocked);
    }
    m_active = false;
    m_dragging = false;
    if (m_view)
        m_view->endMouseMode();
    if (m_callbacks)
        m_callbacks->drawEnded(m_name, m_objectName);
    if (m_view)
        m_view->updateView(true);
    return true;
}

void Hobject_View_MouseDraw_Rectangle_Area::releaseView(const Hobject_View_Gui* view)
{
    for (Hobject_View_MouseDraw_Rectangle_Area* tool : registry()) {
        if (tool->m_view != view)
            continue;
        if (tool->m_active && tool->m_button) {
            const bool wasBlocked = tool->m_button->blockSignals(true);
            tool->m_button->setChecked(false);
            tool->m_button->blockSignals(wasBlocked);
        }
        tool->m_active = false;
        tool->m_dragging = false;
        tool->m_view = nullptr;
    }
}

bool Hobject_View_MouseDraw_Rectangle_Area::cancelAllTools()
{
    bool anyActive = false;
    // A copy, because a callback may destroy tools; a destroyed one has left the registry.
    const std::vector<Hobject_View_MouseDraw_Rectangle_Area*> tools = registry();
    for (Hobject_View_MouseDraw_Rectangle_Area* tool : tools) {
        if (isRegistered(tool) && tool->cancel())
            anyActive = true;
    }
    return anyActive;
}

void Hobject_View_MouseDraw_Rectangle_Area::slot_QToolButton_MouseDraw_toggled(bool checked)
{
    if (!m_view)
        return;
    if (!checked || m_view->getPictureCount() == 0) {
        cancel();
        m_view->updateView(true);
        return;
    }
    Hobject_View_MouseDraw_Rectangle_cancelAll();
    m_startColumn = 0.0;
    m_startRow = 0.0;
    m_active = true;
    m_dragging = false;
    m_view->removeObjects(m_objectName, false);
    // Only the angle is taken: a new rectangle keeps the turn of the current one.
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;
    double angle = 0.0;
    if (m_callbacks)
        m_callbacks->getRectangle(m_name, m_objectName, x, y, width, height, angle);
    m_angle = angle;
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
    double xPercent = 0.0;
    double yPercent = 0.0;
    m_view->convertPixelToPercent(x, y, xPercent, yPercent);
    m_view->removeObjects(m_objectName, false);
    if (m_callbacks) {
        m_callbacks->drawStarted(m_name, m_objectName);
        m_callbacks->drawChanged(m_name, m_objectName, xPercent, yPercent, 0.0, 0.0, m_angle);
    }
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
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;
    draggedRectangle(x, y, left, top, width, height);
    m_view->removeObjects(m_objectName, false);
    if (m_callbacks)
        m_callbacks->drawChanged(m_name, m_objectName, left, top, width, height, m_angle);
    if (m_view)
        m_view->updateView(true);
}

void Hobject_View_MouseDraw_Rectangle_Area::slot_Hobject_View_Gui_HalconMouseReleaseEvent(double x, double y)
{
    if (!m_active || !m_dragging || !m_view)
        return;
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;
    draggedRectangle(x, y, left, top, width, height);
    if (m_callbacks)
        m_callbacks->drawFinished(m_name, m_objectName, left, top, width, height, m_angle);
    // One drag is one drawing: the mode ends with it.
    cancel();
    if (m_view)
        m_view->updateView(true);
}

void Hobject_View_MouseDraw_Rectangle_Area::draggedRectangle(double x, double y, double& left, double& top,
                                                             double& width, double& height) const
{
    double startX = 0.0;
    double startY = 0.0;
    double deltaX = 0.0;
    double deltaY = 0.0;
    m_view->convertPixelToPercent(m_startColumn, m_startRow, startX, startY);
    m_view->convertPixelToPercent(x - m_startColumn, y - m_startRow, deltaX, deltaY);
    left = deltaX <= 0.0 ? startX + deltaX : startX;
    top = deltaY <= 0.0 ? startY + deltaY : startY;
    width = std::abs(deltaX);
    height = std::abs(deltaY);
}

bool Hobject_View_MouseDraw_Rectangle_cancelAll()
{
    const bool areaActive = Hobject_View_MouseDraw_Rectangle_Area::cancelAllTools();
    const bool moveActive = Hobject_View_MouseDraw_Rectangle_Move::cancelAllTools();
    return areaActive || moveActive;
}
