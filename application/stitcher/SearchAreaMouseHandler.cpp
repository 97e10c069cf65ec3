#include "SearchAreaMouseHandler.h"

#include "SearchAreaSettings.h"

#include <Hobject_View_MouseDraw_Settings.h>
#include <IHalconView.h>

#include <atomic>
#include <cmath>

namespace {

// Gives every handler of the process its own tool names.
std::atomic<int> s_instanceCount{0};

bool allFinite(std::initializer_list<double> values)
{
    for (double value : values)
        if (!std::isfinite(value))
            return false;
    return true;
}

} // namespace

SearchAreaMouseHandler::SearchAreaMouseHandler(IHalconView* view, QToolButton* areaButton, QToolButton* moveButton,
                                               const SearchAreaDrawSettings& draw, SearchAreaSettings* settings,
                                               QObject* parent)
    : Hobject_View_MouseDraw_Rectangle_Host(view ? view->getView() : nullptr, parent)
    , m_view(view)
    , m_draw(draw)
    , m_settings(settings)
    , m_number(++s_instanceCount)
{
    m_areaTool = makeAreaTool(areaButton, QStringLiteral("SearchPosition_Area.%1.").arg(m_number));

    Hobject_View_MouseDraw_Settings moveStyle;
    moveStyle.ToolName = QStringLiteral("SearchPosition_Move.%1.").arg(m_number);
    moveStyle.ShowEdgeAngle = false;
    moveStyle.EdgeColor = QStringLiteral("red");
    moveStyle.EdgeSize = 1.8;
    m_moveTool = makeMoveTool(moveButton, moveStyle);
}

void SearchAreaMouseHandler::setSearchAreaSettings(SearchAreaSettings* settings)
{
    m_settings = settings;
}

void SearchAreaMouseHandler::getRectangle(const QString&, const QString&, double& x, double& y, double& width,
                                          double& height, double& angle)
{
    if (!m_settings)
        return;
    x = m_settings->PosX;
    y = m_settings->PosY;
    width = m_settings->SizeX;
    height = m_settings->SizeY;
    angle = m_settings->Angle;
    // A running stitch would draw over the area being edited.
    emit signal_AnalysingAbort();
}

void SearchAreaMouseHandler::drawStarted(const QString&, const QString&)
{
    if (!m_view)
        return;
    for (const QString& prefix : m_draw.prefixes)
        m_view->removeObjects(prefix);
    m_view->update();
}

void SearchAreaMouseHandler::drawChanged(const QString&, const QString& objectName, double x, double y,
                                         double width, double height, double angle)
{
    if (!m_view || !allFinite({x, y, width, height, angle}))
        return;
    m_view->addRotatedRectangle(x, y, width, height, angle, objectName + QStringLiteral("FullArea."),
                                m_draw.colour.toLatin1().constData(), "margin", 1, false);
    m_view->update();
}

void SearchAreaMouseHandler::drawFinished(const QString&, const QString&, double x, double y, double width,
                                          double height, double angle)
{
    // A click without a drag would leave an area in which no cross can be found.
    if (!m_settings || !allFinite({x, y, width, height, angle}) || !(width > 0.0) || !(height > 0.0))
        return;
    m_settings->PosX = x;
    m_settings->PosY = y;
    m_settings->SizeX = width;
    m_settings->SizeY = height;
    m_settings->Angle = angle;
    emit signal_NewDialogSettings();
}

void SearchAreaMouseHandler::drawEnded(const QString&, const QString&)
{
    emit signal_NewDialogSettings();
    emit signal_SettingChanged();
}
