#pragma once

#include "DrawStyle.h"

// The process-wide draw styles of every overlay the application draws, each at a fixed
// position. Built once with the defaults and never written afterwards, so the GUI thread and
// the analysis worker read it without a lock.
class DrawSettings {
public:
    enum Position {
        ReferencePoints_SearchArea = 0,
        ReferencePoints_SearchArea_Search = 1,
        ReferencePoints_Label = 2,
        ReferencePoints_SearchArea_Searched = 3,
        ReferencePoints_Match = 4,
        ReferencePoints_Match_Search1 = 5,
        ReferencePoints_Match_Search2 = 6,
        ReferencePoints_Match_Search3 = 7,
        Colonies_SearchArea = 8,
        Colonies_SearchArea_Label = 9,
        Margins = 10,
        Margins_Second = 11,
        Colonies_Neighbor = 12,
        Colonies_Threshold_Hue = 13,
        Colonies_Threshold_Saturation = 14,
        Colonies_Threshold_Intensity = 15,
        Colonies_Threshold_Combined = 16,
        OpticalCenter = 17,
        Unused18 = 18,
        Center_LightTable = 19,
        Center_Agar = 20,
        Colonies_Properties1 = 21,
        Colonies_Properties2 = 22,
        Colonies_Rejected = 23,
        Colonies_Rejected_Center = 24,
        Colonies_PickOrder_Label = 25,
        Count = 26
    };

    // The one table of the process.
    static const DrawSettings& instance();

    // A position outside 0 to 25 gives a default-constructed style, never memory beyond the table.
    const DrawStyle& at(int position) const;
    const DrawStyle& operator[](int position) const { return at(position); }
    static constexpr int count() { return Count; }

    DrawSettings();

private:
    DrawStyle m_styles[Count];
};
