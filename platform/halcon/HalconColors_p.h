#pragma once

// Layer-private: the colour names of the display operators.

#include <QColor>

#include <string>

namespace Halcon::Display {

// A named colour (case does not matter) or "#rgb", "#rrggbb", "#rrggbbaa"; false for
// anything else (color untouched).
bool colorFromName(const std::string &name, QColor *color);
// "#rrggbb", or "#rrggbbaa" when the colour is not opaque.
std::string colorText(const QColor &color);

} // namespace Halcon::Display
