#include "DrawSettings.h"

DrawSettings::DrawSettings()
{
    m_styles[0] = DrawStyle("green", "margin", 1);
    m_styles[1] = DrawStyle("red", "margin", 3);
    m_styles[2] = DrawStyle("cyan", "arial", 6);
    m_styles[3] = DrawStyle("white", "margin", 1);
    m_styles[4] = DrawStyle("green", "margin", 1);
    m_styles[5] = DrawStyle("green", "margin", 1);
    m_styles[6] = DrawStyle("red", "margin", 1);
    m_styles[7] = DrawStyle("red", "margin", 1);
    m_styles[8] = DrawStyle("magenta", "margin", 1);
    m_styles[9] = DrawStyle("cadet blue", "arial", 6);
    m_styles[10] = DrawStyle("orange", "margin", 1);
    m_styles[11] = DrawStyle("blue", "margin", 1);
    m_styles[12] = DrawStyle("magenta", "margin", 1);
    m_styles[13] = DrawStyle("yellow", "fill", 1);
    m_styles[14] = DrawStyle("blue", "fill", 1);
    m_styles[15] = DrawStyle("cadet blue", "fill", 1);
    m_styles[16] = DrawStyle("dark green", "fill", 1);
    m_styles[17] = DrawStyle("red", "margin", 1);
    m_styles[18] = DrawStyle("red", "margin", 1);
    m_styles[19] = DrawStyle("blue", "margin", 1);
    m_styles[20] = DrawStyle("light blue", "margin", 1);
    m_styles[21] = DrawStyle("blue", "margin", 2);
    m_styles[22] = DrawStyle("green", "margin", 2);
    m_styles[23] = DrawStyle("red", "margin", 1);
    m_styles[24] = DrawStyle("light blue", "margin", 1);
    m_styles[25] = DrawStyle("light blue", "arial", 4);
}

const DrawSettings& DrawSettings::instance()
{
    static const DrawSettings settings;
    return settings;
}

const DrawStyle& DrawSettings::at(int position) const
{
    static const DrawStyle none;
    if (position < 0 || position >= Count)
        return none;
    return m_styles[position];
}
