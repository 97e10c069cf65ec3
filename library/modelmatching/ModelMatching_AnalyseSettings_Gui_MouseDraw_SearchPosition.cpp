#include "ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition.h"

#include "ModelMatching.h"

#include <Hobject_View_Gui.h>
#include <Hobject_View_MouseDraw_Settings.h>

ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition::ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition(
    QToolButton* areaButton, QToolButton* moveButton, Hobject_View_Gui* view,
    const SearchPositionDrawSettings& drawSettings, ModelMatching* facade, QObject* parent)
    : ModelMatching_MouseDraw(view, facade, parent), m_drawSettings(drawSettings)
{
    m_areaTool = makeAreaTool(areaButton, toolName(facade, QStringLiteral("SearchPosition_Area")));
    Hobject_View_MouseDraw_Settings moveStyle;
    moveStyle.ToolName = toolName(facade, QStringLiteral("SearchPosition_Move"));
    moveStyle.EdgeColor = m_drawSettings.moveColour;
    moveStyle.AngleHelpLineColor = m_drawSettings.moveColour;
    m_moveTool = makeMoveTool(moveButton, moveStyle);
}

QString ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition::toolName(const ModelMatching* facade,
                                                                            const QString& kind)
{
    const QString facadeName = facade ? facade->GetName() : QString();
    return facadeName.isEmpty() ? kind : facadeName + QLatin1Char('_') + kind;
}

void ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition::getRectangle(const QString&, const QString&,
                                                                              double& x, double& y, double& width,
                                                                              double& height, double& angle)
{
    const ModelMatchingSettings* record = settings();
    if (!record)
        return;
    x = record->SearchPosition.PositionX;
    y = record->SearchPosition.PositionY;
    width = record->SearchPosition.SizeX;
    height = record->SearchPosition.SizeY;
    angle = record->SearchPosition.Angle;
    emit signal_AnalysingAbort();
}

void ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition::drawStarted(const QString&, const QString&)
{
    if (!m_view)
        return;
    for (const QString& prefix : m_drawSettings.prefixes)
        m_view->removeObjects(prefix, false);
    repaint();
}

void ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition::drawChanged(const QString&, const QString& objectName,
                                                                             double x, double y, double width,
                                                                             double height, double angle)
{
    if (!m_view)
        return;
    // Under the tool's own prefix, so the tool takes the preview away when it ends.
    m_view->removeObjects(objectName + QStringLiteral("FullArea."), false);
    Halcon::Hobject contour;
    if (ModelMatchingContours::RoiToContour(m_view.data(), x, y, width, height, angle, contour))
        m_view->addObject(contour, m_drawSettings.colour, QStringLiteral("margin"), 1,
                          objectName + QStringLiteral("FullArea."), false, false);
    repaint();
}

void ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition::drawFinished(const QString&, const QString&,
                                                                              double x, double y, double width,
                                                                              double height, double angle)
{
    if (!settings())
        return;
    // A click is no search rectangle: the one there stays.
    if (width > 0.0 && height > 0.0)
        m_facade->EditSettings([=](ModelMatchingSettings& s) { s.SearchPosition = {x, y, width, height, angle}; });
    emit signal_NewDialogSettings();
}

void ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition::drawEnded(const QString&, const QString&)
{
    emit signal_NewDialogSettings();
    emit signal_SettingChanged();
}
