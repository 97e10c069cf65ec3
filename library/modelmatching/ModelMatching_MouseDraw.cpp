#include "ModelMatching_MouseDraw.h"

#include "ModelMatching.h"

#include <Hobject_View_Gui.h>

ModelMatching_MouseDraw::ModelMatching_MouseDraw(Hobject_View_Gui* view, ModelMatching* facade, QObject* parent)
    : QObject(parent), m_view(view), m_facade(facade)
{
}

ModelMatching_MouseDraw::~ModelMatching_MouseDraw()
{
    // Before the viewer may go: a live tool gives the viewer its mouse back.
    const QObjectList owned = children();
    for (QObject* tool : owned)
        if (qobject_cast<Hobject_View_MouseDraw_Rectangle_Area*>(tool)
            || qobject_cast<Hobject_View_MouseDraw_Rectangle_Move*>(tool))
            delete tool;
}

Hobject_View_MouseDraw_Rectangle_Area* ModelMatching_MouseDraw::makeAreaTool(QToolButton* button, const QString& name)
{
    return new Hobject_View_MouseDraw_Rectangle_Area(
        static_cast<Hobject_View_MouseDraw_Rectangle_Area::CallbackFunctions*>(this), button, m_view.data(), name,
        this);
}

Hobject_View_MouseDraw_Rectangle_Move* ModelMatching_MouseDraw::makeMoveTool(QToolButton* button,
                                                                            const Hobject_View_MouseDraw_Settings& style)
{
    return new Hobject_View_MouseDraw_Rectangle_Move(
        static_cast<Hobject_View_MouseDraw_Rectangle_Move::CallbackFunctions*>(this), button, m_view.data(), style,
        this);
}

ModelMatchingSettings* ModelMatching_MouseDraw::settings() const
{
    return m_facade ? m_facade->GetSettings() : nullptr;
}

void ModelMatching_MouseDraw::repaint()
{
    if (m_view)
        m_view->updateView(true);
}
