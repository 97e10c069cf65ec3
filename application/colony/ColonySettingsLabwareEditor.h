#pragma once

#include "ColonySettingsRectangleEditor.h"

// Draws and moves the rectangle of the labware's container grid (Labware PositionX,
// PositionY, SizeX, SizeY, Angle); it may be turned with the angle handle.
class ColonySettingsLabwareEditor : public ColonySettingsRectangleEditor {
    Q_OBJECT
public:
    ColonySettingsLabwareEditor(QToolButton* createButton, QToolButton* editButton, Hobject_View_Gui* view,
                                ColonySettings* settings, QObject* parent = nullptr);

private:
    void readRectangle(double& x, double& y, double& width, double& height, double& angle) const override;
    void storeRectangle(double x, double y, double width, double height, double angle) override;
};
