#include "Hobject_View_MouseDraw_Rectangle_Tool.h"

#include "Hobject_View_Gui.h"

#include <QIcon>
#include <QToolButton>

#include <algorithm>
#include <vector>

namespace {

using Tool = Hobject_View_MouseDraw_Rectangle_Tool;

// Live tools of each kind in construction order. GUI thread only, like the tools.
std::vector<Tool*>& registry(Tool::Kind kind)
{
    static std::vector<Tool*> tools[2];
    return tools[kind];
}

// Numbers the object names of each kind. It only grows, so a tool made after another was
// destroyed never takes over a live tool's overlay prefix.
int g_toolsMade[2] = {0, 0};

bool isRegistered(Tool::Kind kind, const Tool* tool)
{
    const auto& tools = registry(kind);
    return std::find(tools.begin(), tools.end(), tool) != tools.end();
}

QString kindName(Tool::Kind kind)
{
    return kind == Tool::Kind_Area ? QStringLiteral("Area") : QStringLiteral("Move");
}

} // namespace

Hobject_View_MouseDraw_Rectangle_Tool::Hobject_View_MouseDraw_Rectangle_Tool(Kind kind, Callbacks* callbacks,
                                                                             QToolButton* button,
                                                                             Hobject_View_Gui* view,
                                                                             const QString& name, QObject* parent)
    : QObject(parent)
    , m_view(view)
    , m_kind(kind)
    , m_callbacks(callbacks)
    , m_button(button)
    , m_name(name)
{
    registry(m_kind).push_back(this);
    m_objectName =
        QStringLiteral("HalconObject_MouseDraw_Rectangle.%1.%2.%3.").arg(kindName(m_kind)).arg(++g_toolsMade[m_kind]).arg(m_name);
    if (m_button)
        m_button->setIcon(QIcon(QStringLiteral("pictures:/MouseDraw/MouseDraw_%1.png").arg(kindName(m_kind))));
    if (m_view) {
        m_view->addObjectGroup(QStringLiteral("MouseDraw_Rectangle (Hidden)"), m_objectName, true);
        connect(m_view, &Hobject_View_Gui::signal_HalconMousePressEvent, this,
                &Hobject_View_MouseDraw_Rectangle_Tool::slot_Hobject_View_Gui_HalconMousePressEvent);
        connect(m_view, &Hobject_View_Gui::signal_HalconMouseMoveEvent, this,
                &Hobject_View_MouseDraw_Rectangle_Tool::slot_Hobject_View_Gui_HalconMouseMoveEvent);
        connect(m_view, &Hobject_View_Gui::signal_HalconMouseReleaseEvent, this,
                &Hobject_View_MouseDraw_Rectangle_Tool::slot_Hobject_View_Gui_HalconMouseReleaseEvent);
    }
}

Hobject_View_MouseDraw_Rectangle_Tool::~Hobject_View_MouseDraw_Rectangle_Tool()
{
    auto& tools = registry(m_kind);
    tools.erase(std::remove(tools.begin(), tools.end(), this), tools.end());
    if (m_active && m_view) {
        m_view->removeObjects(m_objectName, false);
        m_view->endMouseMode();
        m_view->updateView(true);
    }
}

void Hobject_View_MouseDraw_Rectangle_Tool::uncheckButton()
{
    if (!m_button)
        return;
    const bool wasBlocked = m_button->blockSignals(true);
    m_button->setChecked(false);
    m_button->blockSignals(wasBlocked);
}

bool Hobject_View_MouseDraw_Rectangle_Tool::cancel()
{
    if (!m_active)
        return false;
    if (m_view)
        m_view->removeObjects(m_objectName, false);
    uncheckButton();
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

bool Hobject_View_MouseDraw_Rectangle_Tool::cancelAll(Kind kind)
{
    bool anyActive = false;
    // A copy, because a callback may destroy tools; a destroyed one has left the registry.
    const std::vector<Tool*> tools = registry(kind);
    for (Tool* tool : tools) {
        if (isRegistered(kind, tool) && tool->cancel())
            anyActive = true;
    }
    return anyActive;
}

void Hobject_View_MouseDraw_Rectangle_Tool::releaseView(const Hobject_View_Gui* view)
{
    for (Kind kind : {Kind_Area, Kind_Move}) {
        for (Tool* tool : registry(kind)) {
            if (tool->m_view != view)
                continue;
            if (tool->m_active)
                tool->uncheckButton();
            tool->m_active = false;
            tool->m_dragging = false;
            tool->viewReleased();
            tool->m_view = nullptr;
        }
    }
}

bool Hobject_View_MouseDraw_Rectangle_Tool::switchOn(bool checked)
{
    if (!m_view)
        return false;
    if (!checked || m_view->getPictureCount() == 0) {
        cancel();
        m_view->updateView(true);
        return false;
    }
    Hobject_View_MouseDraw_Rectangle_cancelAll();
    m_active = true;
    m_dragging = false;
    m_view->removeObjects(m_objectName, false);
    return true;
}

Hobject_View_MouseDraw_Rectangle_Tool::Rectangle Hobject_View_MouseDraw_Rectangle_Tool::requestRectangle()
{
    Rectangle rectangle;
    if (m_callbacks)
        m_callbacks->getRectangle(m_name, m_objectName, rectangle.x, rectangle.y, rectangle.width, rectangle.height,
                                  rectangle.angle);
    return rectangle;
}

void Hobject_View_MouseDraw_Rectangle_Tool::reportStarted()
{
    if (m_callbacks)
        m_callbacks->drawStarted(m_name, m_objectName);
}

void Hobject_View_MouseDraw_Rectangle_Tool::reportChanged(const Rectangle& rectangle)
{
    if (m_callbacks)
        m_callbacks->drawChanged(m_name, m_objectName, rectangle.x, rectangle.y, rectangle.width, rectangle.height,
                                 rectangle.angle);
}

void Hobject_View_MouseDraw_Rectangle_Tool::reportFinished(const Rectangle& rectangle)
{
    if (m_callbacks)
        m_callbacks->drawFinished(m_name, m_objectName, rectangle.x, rectangle.y, rectangle.width, rectangle.height,
                                  rectangle.angle);
}

bool Hobject_View_MouseDraw_Rectangle_cancelAll()
{
    const bool areaActive = Tool::cancelAll(Tool::Kind_Area);
    const bool moveActive = Tool::cancelAll(Tool::Kind_Move);
    return areaActive || moveActive;
}
