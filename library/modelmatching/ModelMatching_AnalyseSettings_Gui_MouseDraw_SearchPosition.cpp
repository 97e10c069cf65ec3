#include "ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition.h"

#include "ModelMatching.h"

#include <Hobject_View_Gui.h>
#include <Hobject_View_MouseDraw_Settings.h>

ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition::ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition(
    QToolButton* areaButton, QToolButton* moveButton, Hobject_View_Gui* view,
    const SearchPositionDrawSettings& drawSettings, ModelMatching* facade, QObject* parent)
    : QObject(parent), m_view(view), m_drawSettings(drawSettings), m_facade(facade)
{
    m_areaTool = new Hobject_View_MouseDraw_Rectangle_Area(
        static_cast<Hobject_View_MouseDraw_Rectangle_Area::CallbackFunctions*>(this), areaButton, view,
        toolName(facade, QStringLiteral("SearchPosition_Area")), this);
    Hobject_View_MouseDraw_Settings moveStyle;
    moveStyle.ToolName = toolName(facade, QStringLiteral("SearchPosition_Move"));
    moveStyle.EdgeColor = m_drawSettings.moveColour;
    moveStyle.AngleHelpLineColor = m_drawSettings.moveColour;
    m_moveTool = new Hobject_View_MouseDraw_Rectangle_Move(
        static_cast<Hobject_View_MouseDraw_Rectangle_Move::CallbackFunctions*>(this), moveButton, view, moveStyle,
        this);
}

ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition::~ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition()
{
    // Deleted here, while this object still answers as their callbacks.
    delete m_areaTool;
    delete m_moveTool;
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
    const ModelMatchingSettings* settings = m_facade ? m_facade->GetSettings() : nullptr;
    if (!settings)
        return;
    x = settings->SearchPosition.PositionX;
    y = settings->SearchPosition.PositionY;
    width = settings->SearchPosition.SizeX;
    height = settings->SearchPosition.SizeY;
    angle = settings->SearchPosition.Angle;
    emit signal_AnalysingAbort();
}

void ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition::drawStarted(const QString&, const QString&)
{
    if (!m_view)
        return;
    for (const QString& prefix : m_drawSettings.prefixes)
        m_view->removeObjects(prefix, false);
    m_view->updateView(true);
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
    m_view->updateView(true);
}

void ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition::drawFinished(const QString&, const QString&,
                                                                              double x, double y, double width,
                                                                              double height, double angle)
{
    ModelMatchingSettings* settings = m_facade ? m_facade->GetSettings() : nullptr;
    if (!settings)
        return;
    // A click is no search rectangle: the one there stays.
    if (width > 0.0 && height > 0.0) {
        const auto lock = m_facade->LockSettings();
        settings->SearchPosition.PositionX = x;
        settings->SearchPosition.PositionY = y;
        settings->SearchPosition.SizeX = width;
        settings->SearchPosition.SizeY = height;
        settings->SearchPosition.Angle = angle;
    }
    emit signal_NewDialogSettings();
}

void ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition::drawEnded(const QString&, const QString&)
{
    emit signal_NewDialogSettings();
    emit signal_SettingChanged();
}
