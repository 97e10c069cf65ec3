#pragma once

#include "Hobject_View_MouseDraw_Rectangle_Area.h"
#include "Hobject_View_MouseDraw_Rectangle_Move.h"

#include <QObject>
#include <QPointer>
#include <QString>

class Hobject_View_Gui;
class QToolButton;
struct Hobject_View_MouseDraw_Settings;

// An owner of rectangle tools on one viewer: it makes the tools, answers both kinds with the
// same five callbacks (which the subclass implements, telling the tools apart by name) and
// deletes them first when it goes, so that a live tool gives the viewer its mouse back while
// the viewer is still there. The tools call nothing back as they go. GUI thread only.
class Hobject_View_MouseDraw_Rectangle_Host : public QObject,
                                              private Hobject_View_MouseDraw_Rectangle_Area::CallbackFunctions,
                                              private Hobject_View_MouseDraw_Rectangle_Move::CallbackFunctions {
    Q_OBJECT
public:
    ~Hobject_View_MouseDraw_Rectangle_Host() override;

protected:
    // The viewer is not owned.
    Hobject_View_MouseDraw_Rectangle_Host(Hobject_View_Gui* view, QObject* parent);

    // Tools on the viewer that call this object back; owned by it.
    Hobject_View_MouseDraw_Rectangle_Area* makeAreaTool(QToolButton* button, const QString& name);
    Hobject_View_MouseDraw_Rectangle_Move* makeMoveTool(QToolButton* button,
                                                        const Hobject_View_MouseDraw_Settings& settings);

private:
    const QPointer<Hobject_View_Gui> m_toolView;
};
