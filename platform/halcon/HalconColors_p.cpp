#include "HalconColors_p.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace Halcon::Display {

namespace {

struct NamedColor
{
    const char *name;
    unsigned char red;
    unsigned char green;
    unsigned char blue;
};

// The classic X11 values, which is what users of the names expect to see.
constexpr NamedColor kNamedColors[] = {
    {"black", 0, 0, 0},
    {"white", 255, 255, 255},
    {"red", 255, 0, 0},
    {"green", 0, 255, 0},
    {"blue", 0, 0, 255},
    {"cyan", 0, 255, 255},
    {"magenta", 255, 0, 255},
    {"yellow", 255, 255, 0},
    {"orange", 255, 165, 0},
    {"coral", 255, 127, 80},
    {"pink", 255, 192, 203},
    {"gold", 255, 215, 0},
    {"goldenrod", 218, 165, 32},
    {"khaki", 240, 230, 140},
    {"gray", 190, 190, 190},
    {"grey", 190, 190, 190},
    {"dim gray", 105, 105, 105},
    {"dim grey", 105, 105, 105},
    {"light gray", 211, 211, 211},
    {"light grey", 211, 211, 211},
    {"cadet blue", 95, 158, 160},
    {"light blue", 173, 216, 230},
    {"slate blue", 106, 90, 205},
    {"medium slate blue", 123, 104, 238},
    {"dark slate blue", 72, 61, 139},
    {"cornflower blue", 100, 149, 237},
    {"midnight blue", 25, 25, 112},
    {"navy", 0, 0, 128},
    {"medium blue", 0, 0, 205},
    {"light steel blue", 176, 196, 222},
    {"dark green", 0, 100, 0},
    {"forest green", 34, 139, 34},
    {"spring green", 0, 255, 127},
    {"dark olive green", 85, 107, 47},
    {"lime green", 50, 205, 50},
    {"turquoise", 64, 224, 208},
    {"orange red", 255, 69, 0},
    {"indian red", 205, 92, 92},
    {"violet red", 208, 32, 144},
    {"violet", 238, 130, 238},
    {"firebrick", 178, 34, 34},
    {"brown", 165, 42, 42},
    {"purple", 160, 32, 240},
};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool hexColor(const std::string &text, QColor *color)
{
    const size_t n = text.size() - 1;
    if (n != 3 && n != 6 && n != 8)
        return false;
    int digits[8] = {};
    for (size_t i = 0; i < n; ++i) {
        digits[i] = hexDigit(text[i + 1]);
        if (digits[i] < 0)
            return false;
    }
    if (n == 3) {
        *color = QColor(digits[0] * 17, digits[1] * 17, digits[2] * 17);
        return true;
    }
    const int alpha = n == 8 ? digits[6] * 16 + digits[7] : 255;
    *color = QColor(digits[0] * 16 + digits[1], digits[2] * 16 + digits[3], digits[4] * 16 + digits[5], alpha);
    return true;
}

} // namespace

bool colorFromName(const std::string &name, QColor *color)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (!lower.empty() && lower[0] == '#')
        return hexColor(lower, color);
    for (const NamedColor &named : kNamedColors) {
        if (lower == named.name) {
            *color = QColor(named.red, named.green, named.blue);
            return true;
        }
    }
    return false;
}

std::string colorText(const QColor &color)
{
    char buffer[16];
    if (color.alpha() == 255)
        std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", color.red(), color.green(), color.blue());
    else
        std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x%02x", color.red(), color.green(), color.blue(),
                      color.alpha());
    return buffer;
}

} // namespace Halcon::Display
