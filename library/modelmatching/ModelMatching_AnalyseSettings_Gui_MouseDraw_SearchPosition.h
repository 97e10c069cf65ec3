#pragma once

#include "ModelMatching_MouseDraw.h"
#include "SearchPositionDrawSettings.h"

#include <QString>

class Hobject_View_Gui;
class ModelMatching;
class QToolButton;

// Draws a new search rectangle with the mouse, or moves, sizes and turns the current one.
// The rectangle is previewed while the mouse goes and stored in the settings record only
// when the mouse is released; a release without an area (a click) stores nothing. GUI
// thread only.
class ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition : public ModelMatching_MouseDraw {
    Q_OBJECT
public:
    // Neither buttons, viewer nor facade is owned. The tools are named after the facade
    // ("<facade>_SearchPosition_Area", "<facade>_SearchPosition_Move"), so that two setups
    // never share a name.
    ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition(QToolButton* areaButton, QToolButton* moveButton,
                                                               Hobject_View_Gui* view,
                                                               const SearchPositionDrawSettings& drawSettings,
                                                               ModelMatching* facade, QObject* parent = nullptr);

    // "SearchPosition_Area" or "SearchPosition_Move" behind the facade's name and "_".
    static QString toolName(const ModelMatching* facade, const QString& kind);

    Hobject_View_MouseDraw_Rectangle_Area* areaTool() const { return m_areaTool; }
    Hobject_View_MouseDraw_Rectangle_Move* moveTool() const { return m_moveTool; }

private:
    void getRectangle(const QString& name, const QString& objectName, double& x, double& y, double& width,
                      double& height, double& angle) override;
    void drawStarted(const QString& name, const QString& objectName) override;
    void drawChanged(const QString& name, const QString& objectName, double x, double y, double width,
                     double height, double angle) override;
    void drawFinished(const QString& name, const QString& objectName, double x, double y, double width,
                      double height, double angle) override;
    void drawEnded(const QString& name, const QString& objectName) override;

    const SearchPositionDrawSettings m_drawSettings;
    Hobject_View_MouseDraw_Rectangle_Area* m_areaTool = nullptr;
    Hobject_View_MouseDraw_Rectangle_Move* m_moveTool = nullptr;
};
