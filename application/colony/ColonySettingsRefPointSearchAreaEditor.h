#pragma once

#include "ColonySettingsRectangleEditor.h"

// Draws and moves the search area of one of the four reference points. The four areas share
// one width and height, so sizing one sizes all; they are never turned (no angle handle).
class ColonySettingsRefPointSearchAreaEditor : public ColonySettingsRectangleEditor {
    Q_OBJECT
public:
    // index 0 to 3; another index is taken as 0.
    ColonySettingsRefPointSearchAreaEditor(QToolButton* createButton, QToolButton* editButton,
                                           Hobject_View_Gui* view, ColonySettings* settings, int index,
                                           QObject* parent = nullptr);

    int index() const { return m_index; }

private:
    void readRectangle(double& x, double& y, double& width, double& height, double& angle) const override;
    void storeRectangle(double x, double y, double width, double height, double angle) override;

    const int m_index;
};
