#include "ColonySettingsLabwareEditor.h"

#include "ColonySettings.h"

namespace {

Hobject_View_MouseDraw_Settings labwareMoveStyle()
{
    Hobject_View_MouseDraw_Settings style;
    style.ToolName = QStringLiteral("Labware_Move");
    return style;
}

} // namespace

ColonySettingsLabwareEditor::ColonySettingsLabwareEditor(QToolButton* createButton, QToolButton* editButton,
                                                         Hobject_View_Gui* view, ColonySettings* settings,
                                                         QObject* parent)
    : ColonySettingsRectangleEditor(createButton, editButton, view, settings, labwareMoveStyle(), parent)
{
}

void ColonySettingsLabwareEditor::readRectangle(double& x, double& y, double& width, double& height,
                                                double& angle) const
{
    const ColonySettingsData::LabwareData& labware = settings()->Labware;
    x = labware.PositionX;
    y = labware.PositionY;
    width = labware.SizeX;
    height = labware.SizeY;
    angle = labware.Angle;
}

void ColonySettingsLabwareEditor::storeRectangle(double x, double y, double width, double height, double angle)
{
    ColonySettingsData::LabwareData& labware = settings()->Labware;
    labware.PositionX = x;
    labware.PositionY = y;
    labware.SizeX = width;
    labware.SizeY = height;
    labware.Angle = angle;
}
