#pragma once

#include "SearchAreaDrawSettings.h"

#include <Hobject_View_MouseDraw_Rectangle_Host.h>

class IHalconView;
class QToolButton;
class SearchAreaSettings;

// Lets the operator draw (Area button) or move and size (Move button) one rotated search
// area on the viewer of its picture position. It answers the two rectangle tools for that
// one record: reports it, clears the configured overlays, draws the outline while the mouse
// moves and stores what the tool settles on. The area is turned only with the editor's
// angle box, so the move tool has no angle handle. GUI thread only.
//
// Without a record (or without a viewer) the tools get a zero rectangle and nothing is
// stored or drawn; a rectangle without area (a click) is not stored either.
class SearchAreaMouseHandler : public Hobject_View_MouseDraw_Rectangle_Host {
    Q_OBJECT
public:
    // Neither view, buttons nor settings are owned; the tools are, and the viewer behind
    // view must outlive them (or release them when it goes).
    SearchAreaMouseHandler(IHalconView* view, QToolButton* areaButton, QToolButton* moveButton,
                           const SearchAreaDrawSettings& draw, SearchAreaSettings* settings,
                           QObject* parent = nullptr);

    void setSearchAreaSettings(SearchAreaSettings* settings);
    SearchAreaSettings* searchAreaSettings() const { return m_settings; }

    Hobject_View_MouseDraw_Rectangle_Area* areaTool() const { return m_areaTool; }
    Hobject_View_MouseDraw_Rectangle_Move* moveTool() const { return m_moveTool; }
    // The number N in the tools' names "SearchPosition_Area.N." and "SearchPosition_Move.N.".
    int number() const { return m_number; }

signals:
    void signal_SettingChanged();
    void signal_AnalysingAbort();
    void signal_NewDialogSettings();

private:
    void getRectangle(const QString& name, const QString& objectName, double& x, double& y, double& width,
                      double& height, double& angle) override;
    void drawStarted(const QString& name, const QString& objectName) override;
    void drawChanged(const QString& name, const QString& objectName, double x, double y, double width,
                     double height, double angle) override;
    void drawFinished(const QString& name, const QString& objectName, double x, double y, double width,
                      double height, double angle) override;
    void drawEnded(const QString& name, const QString& objectName) override;

    IHalconView* m_view = nullptr;
    SearchAreaDrawSettings m_draw;
    SearchAreaSettings* m_settings = nullptr;
    int m_number = 0;
    Hobject_View_MouseDraw_Rectangle_Area* m_areaTool = nullptr;
    Hobject_View_MouseDraw_Rectangle_Move* m_moveTool = nullptr;
};
