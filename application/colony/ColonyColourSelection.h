#pragma once

#include "ColonyRackRecord.h"

#include <QString>

#include <memory>
#include <vector>

class ColonySettings;
class Hobject_View_Gui;
class QWidget;

// The colour-range selection that the colony settings editor starts on the page: the
// operator picks colonies in the picture, and the hue, saturation and intensity they span
// become the colour range of the colony settings.
class ColonyColourSelection {
public:
    bool isActive() const { return m_active; }
    // Starts with nothing picked: the view shows the colonies, none selected, and takes
    // clicks with a cross cursor.
    void enter(Hobject_View_Gui& view);
    // The view's own mouse handling again, no colony selected.
    void leave(Hobject_View_Gui& view);
    // Ends the mode without touching the view (the settings' listeners do that).
    void end() { m_active = false; }

    // Every colony whose contour holds the point (column x, row y) toggles its selection in
    // the view; overlapping colonies all toggle.
    static void toggleAt(const ColonyRackRecord& rack, Hobject_View_Gui& view, double x, double y);
    // The view selected objectName: the first colony of that name is picked, or, when it was
    // picked already, leaves the picked colonies and the view's selection.
    void objectSelected(const ColonyRackRecord& rack, Hobject_View_Gui& view, const QString& objectName);

    const std::vector<std::unique_ptr<ColonyRackRecord::Colony>>& picked() const { return m_picked; }

    // The range of the picked colonies into the colour record of settings; a tolerance below
    // 5 % is raised to 5 % when the operator agrees (asked with parent). Tells the settings'
    // listeners that the values changed. Nothing happens without a picked colony.
    void apply(ColonySettings& settings, QWidget* parent) const;

private:
    bool m_active = false;
    // Copies, so that a new run cannot take them away.
    std::vector<std::unique_ptr<ColonyRackRecord::Colony>> m_picked;
};
