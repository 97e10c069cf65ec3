#pragma once

#include <string>
#include <utility>

// One display style of an overlay: colour name, draw mode ("margin"/"fill") or font name for
// texts, line width or font size for texts. Kept as 8-bit text, as the vision layer takes it.
struct DrawStyle {
    std::string color;
    std::string mode = "margin";
    int width = 1;

    DrawStyle() = default;
    DrawStyle(std::string colorName, std::string drawMode, int lineWidth)
        : color(std::move(colorName)), mode(std::move(drawMode)), width(lineWidth) {}

    bool operator==(const DrawStyle&) const = default;
};
