#include "ModelMatching_MouseDraw.h"

#include "ModelMatching.h"

#include <Hobject_View_Gui.h>

ModelMatching_MouseDraw::ModelMatching_MouseDraw(Hobject_View_Gui* view, ModelMatching* facade, QObject* parent)
    : Hobject_View_MouseDraw_Rectangle_Host(view, parent), m_view(view), m_facade(facade)
{
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
