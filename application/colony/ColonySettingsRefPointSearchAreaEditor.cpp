#include "ColonySettingsRefPointSearchAreaEditor.h"

#include "ColonySettings.h"

namespace {

Hobject_View_MouseDraw_Settings searchAreaMoveStyle()
{
    Hobject_View_MouseDraw_Settings style;
    style.ToolName = QStringLiteral("Labware_Move");
    style.ShowEdgeAngle = false;
    return style;
}

} // namespace

ColonySettingsRefPointSearchAreaEditor::ColonySettingsRefPointSearchAreaEditor(QToolButton* createButton,
                                                                               QToolButton* editButton,
                                                                               Hobject_View_Gui* view,
                                                                               ColonySettings* settings, int index,
                                                                               QObject* parent)
    : ColonySettingsRectangleEditor(createButton, editButton, view, settings, searchAreaMoveStyle(), parent)
    , m_index(index >= 0 && index < 4 ? index : 0)
{
}

void ColonySettingsRefPointSearchAreaEditor::readRectangle(double& x, double& y, double& width, double& height,
                                                           double& angle) const
{
    const ColonySettingsData::ReferencePointsData& points = settings()->ReferencePoints;
    x = points.SearchPosition[m_index].X;
    y = points.SearchPosition[m_index].Y;
    width = points.SearchPositionWidth;
    height = points.SearchPositionHeight;
    angle = 0.0;
}

void ColonySettingsRefPointSearchAreaEditor::storeRectangle(double x, double y, double width, double height, double)
{
    ColonySettingsData::ReferencePointsData& points = settings()->ReferencePoints;
    points.SearchPosition[m_index].X = x;
    points.SearchPosition[m_index].Y = y;
    points.SearchPositionWidth = width;
    points.SearchPositionHeight = height;
}
