#include "Hobject_View_MouseDraw_Rectangle_Host.h"

#include "Hobject_View_Gui.h"

Hobject_View_MouseDraw_Rectangle_Host::Hobject_View_MouseDraw_Rectangle_Host(Hobject_View_Gui* view, QObject* parent)
    : QObject(parent)
    , m_toolView(view)
{
}

Hobject_View_MouseDraw_Rectangle_Host::~Hobject_View_MouseDraw_Rectangle_Host()
{
    const QObjectList owned = children();
    for (QObject* child : owned) {
        if (qobject_cast<Hobject_View_MouseDraw_Rectangle_Tool*>(child))
            delete child;
    }
}

Hobject_View_MouseDraw_Rectangle_Area* Hobject_View_MouseDraw_Rectangle_Host::makeAreaTool(QToolButton* button,
                                                                                           const QString& name)
{
    return new Hobject_View_MouseDraw_Rectangle_Area(
        static_cast<Hobject_View_MouseDraw_Rectangle_Area::CallbackFunctions*>(this), button, m_toolView.data(), name,
        this);
}

Hobject_View_MouseDraw_Rectangle_Move* Hobject_View_MouseDraw_Rectangle_Host::makeMoveTool(
    QToolButton* button, const Hobject_View_MouseDraw_Settings& settings)
{
    return new Hobject_View_MouseDraw_Rectangle_Move(
        static_cast<Hobject_View_MouseDraw_Rectangle_Move::CallbackFunctions*>(this), button, m_toolView.data(),
        settings, this);
}
