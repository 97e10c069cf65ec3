#include "HalconDisplay.h"

#include "ControlValues_p.h"
#include "HalconColors_p.h"
#include "HalconGuard_p.h"
#include "HalconWindowTable_p.h"
#include "HalconWindow_p.h"
#include "HobjectElements_p.h"

#include <QImage>
#include <QString>

#include <opencv2/core.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace Halcon {

using Display::HalconWindow;

namespace {

constexpr int kMaxWindowSize = 32767;
constexpr int kDefaultWindowSize = 512;
// Parts beyond this are surely a caller's mistake, and keeping them bounded keeps the
// window arithmetic far from overflow.
constexpr double kMaxPartCoordinate = 1.0e7;

using WindowPtr = std::shared_ptr<HalconWindow>;

Herror windowOf(const HTuple &handle, int parameter, WindowPtr *window)
{
    Hlong id = 0;
    const Herror err = singleInteger(handle, parameter, &id);
    if (err != kSuccess)
        return err;
    *window = Display::findWindow(id);
    return *window ? kSuccess : wrongValue(parameter);
}

// Runs `work` on the window of the handle (parameter 1), guarded; the window stays alive
// until `work` returns even if another thread closes it meanwhile.
template <typename Work>
Herror withWindow(const HTuple &windowHandle, Work work)
{
    return guarded([&]() -> Herror {
        WindowPtr window;
        const Herror err = windowOf(windowHandle, 1, &window);
        if (err != kSuccess)
            return err;
        return work(*window);
    });
}

// Reads a window's settings under its lock; the read cannot fail once the handle is valid.
template <typename Read>
Herror readWindow(const HTuple &windowHandle, Read read)
{
    return withWindow(windowHandle, [&](HalconWindow &window) -> Herror {
        std::lock_guard<std::mutex> lock(window.mutex);
        read(std::as_const(window));
        return kSuccess;
    });
}

// Checks the new settings, then stores them under the window's lock; a failed check
// changes nothing.
template <typename Parse, typename Store>
Herror writeWindow(const HTuple &windowHandle, Parse parse, Store store)
{
    return withWindow(windowHandle, [&](HalconWindow &window) -> Herror {
        const Herror err = parse();
        if (err != kSuccess)
            return err;
        std::lock_guard<std::mutex> lock(window.mutex);
        store(window);
        return kSuccess;
    });
}

// Whole numbers come back as integers, as callers mostly set them.
HTuple numberTuple(double value)
{
    return value == std::floor(value) ? HTuple(Hlong(value)) : HTuple(value);
}

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// A size of 1 .. kMaxWindowSize, or -1 for `fallback`.
Herror windowSize(const HTuple &tuple, int parameter, int fallback, int *size)
{
    Hlong value = 0;
    const Herror err = singleInteger(tuple, parameter, &value);
    if (err != kSuccess)
        return err;
    if (value == -1) {
        *size = fallback;
        return kSuccess;
    }
    if (value < 1 || value > kMaxWindowSize)
        return wrongValue(parameter);
    *size = int(value);
    return kSuccess;
}

Herror windowPosition(const HTuple &tuple, int parameter, int *position)
{
    Hlong value = 0;
    const Herror err = singleInteger(tuple, parameter, &value);
    if (err != kSuccess)
        return err;
    if (value < -kMaxWindowSize * 4 || value > kMaxWindowSize * 4)
        return wrongValue(parameter);
    *position = int(value);
    return kSuccess;
}

// All values of a tuple as one text, numbers in their decimal form.
QString tupleText(const HTuple &tuple)
{
    std::string text;
    for (const HValue &value : tuple.Values())
        text += value.S();
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

bool parseFontSize(const std::string &text, int *size)
{
    if (text.empty() || text.size() > 6 || !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    const int value = std::stoi(text);
    if (value < 1 || value > 1000)
        return false;
    *size = value;
    return true;
}

std::vector<std::string> splitDashes(const std::string &text)
{
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        const size_t dash = text.find('-', start);
        fields.push_back(text.substr(start, dash == std::string::npos ? std::string::npos : dash - start));
        if (dash == std::string::npos)
            return fields;
        start = dash + 1;
    }
}

// Style flag of the X-style form: "*" or empty keeps the default, "0"/"1" set it.
bool parseFlag(const std::vector<std::string> &fields, size_t index, bool *flag)
{
    if (index >= fields.size() || fields[index].empty() || fields[index] == "*")
        return true;
    if (fields[index] == "0" || fields[index] == "1") {
        *flag = fields[index] == "1";
        return true;
    }
    return false;
}

bool parseFont(const std::string &text, Display::FontSpec *spec)
{
    Display::FontSpec parsed;
    parsed.text = text;
    if (text == "default") {
        *spec = parsed;
        return true;
    }
    const std::vector<std::string> fields = splitDashes(text);
    if (!text.empty() && text[0] == '-') {
        // "-family-size-width-italic-underline-strikeout-bold-charset-"; family "*" is the
        // default family.
        if (fields.size() < 3 || fields.size() > 10 || fields[1].empty())
            return false;
        if (fields[1] != "*")
            parsed.family = QString::fromStdString(fields[1]);
        if (!fields[2].empty() && fields[2] != "*" && !parseFontSize(fields[2], &parsed.pixelSize))
            return false;
        if (!parseFlag(fields, 4, &parsed.italic) || !parseFlag(fields, 5, &parsed.underline)
            || !parseFlag(fields, 6, &parsed.strikeOut) || !parseFlag(fields, 7, &parsed.bold))
            return false;
        *spec = parsed;
        return true;
    }
    // "family-size" or "family-style-size"
    if (fields.size() < 2 || fields.size() > 3 || fields[0].empty())
        return false;
    parsed.family = QString::fromStdString(fields[0]);
    if (!parseFontSize(fields.back(), &parsed.pixelSize))
        return false;
    if (fields.size() == 3) {
        const std::string style = lowered(fields[1]);
        if (style == "bold")
            parsed.bold = true;
        else if (style == "italic")
            parsed.italic = true;
        else if (style == "bolditalic")
            parsed.bold = parsed.italic = true;
        else if (style != "normal")
            return false;
    }
    *spec = parsed;
    return true;
}

template<class Accept>
Herror displayObject(const Hobject &object, const HTuple &windowHandle, Accept accept)
{
    return withWindow(windowHandle, [&](HalconWindow &window) -> Herror {
        const std::vector<ElementPtr> &elements = elementsOf(object);
        // Check everything first so that a bad element draws nothing at all.
        for (const ElementPtr &element : elements) {
            if (!accept(element->kind))
                return wrongObjectClass(1);
            if (const ImagePtr image = asImage(element); image && image->channels() != 1 && image->channels() != 3)
                return kErrWrongChannelCount;
        }
        std::lock_guard<std::mutex> lock(window.mutex);
        for (const ElementPtr &element : elements) {
            switch (element->kind) {
            case ElementKind::Image:
                window.drawImage(asImage(element));
                break;
            case ElementKind::Region:
                window.drawRegion(*asRegion(element));
                break;
            case ElementKind::XldCont:
            case ElementKind::XldPoly:
                window.drawXld(*asXld(element));
                break;
            }
        }
        return kSuccess;
    });
}

} // namespace

// ---- Windows ---------------------------------------------------------------------------

Herror set_window_attr(const HTuple &attributeName, const HTuple &attributeValue)
{
    return guarded([&]() -> Herror {
        std::string name;
        Herror err = singleString(attributeName, 1, &name);
        if (err != kSuccess)
            return err;
        Display::WindowAttributes attributes = Display::windowAttributes();
        if (name == "border_width") {
            Hlong width = 0;
            err = singleInteger(attributeValue, 2, &width);
            if (err != kSuccess)
                return err;
            if (width < 0 || width > 1000)
                return kErrWrongValue2;
            attributes.borderWidth = int(width);
        } else if (name == "background_color") {
            std::string colorName;
            err = singleString(attributeValue, 2, &colorName);
            if (err != kSuccess)
                return err;
            if (!Display::colorFromName(colorName, &attributes.background))
                return kErrWrongValue2;
            attributes.backgroundName = colorName;
        } else if (name == "window_title") {
            err = singleString(attributeValue, 2, &attributes.title);
            if (err != kSuccess)
                return err;
        } else {
            return kErrUnknownParameter;
        }
        Display::setWindowAttributes(attributes);
        return kSuccess;
    });
}

Herror get_window_attr(const HTuple &attributeName, HTuple *attributeValue)
{
    return guarded([&]() -> Herror {
        std::string name;
        const Herror err = singleString(attributeName, 1, &name);
        if (err != kSuccess)
            return err;
        const Display::WindowAttributes attributes = Display::windowAttributes();
        HTuple value;
        if (name == "border_width")
            value = HTuple(attributes.borderWidth);
        else if (name == "background_color")
            value = HTuple(attributes.backgroundName);
        else if (name == "window_title")
            value = HTuple(attributes.title);
        else
            return kErrUnknownParameter;
        if (attributeValue)
            *attributeValue = value;
        return kSuccess;
    });
}

Herror open_window(const HTuple &row, const HTuple &column, const HTuple &width, const HTuple &height,
                   const HTuple &fatherWindow, const HTuple &mode, const HTuple &machine, Hlong *windowHandle)
{
    return guarded([&]() -> Herror {
        int r = 0, c = 0, w = 0, h = 0;
        Hlong father = 0;
        std::string modeText, machineText;
        Herror err = windowPosition(row, 1, &r);
        if (err == kSuccess)
            err = windowPosition(column, 2, &c);
        if (err == kSuccess)
            err = windowSize(width, 3, kDefaultWindowSize, &w);
        if (err == kSuccess)
            err = windowSize(height, 4, kDefaultWindowSize, &h);
        if (err == kSuccess)
            err = singleInteger(fatherWindow, 5, &father);
        if (err == kSuccess)
            err = singleString(mode, 6, &modeText);
        if (err == kSuccess && modeText != "visible" && modeText != "invisible" && modeText != "transparent"
            && modeText != "buffer")
            err = kErrWrongValue6;
        if (err == kSuccess)
            err = singleString(machine, 7, &machineText);
        if (err != kSuccess)
            return err;

        const Display::WindowAttributes attributes = Display::windowAttributes();
        auto window = std::make_shared<HalconWindow>(w, h, attributes.background);
        if (window->canvas.isNull())
            return kErrOutOfMemory;
        window->father = father;
        window->mode = modeText;
        window->title = attributes.title;
        window->borderWidth = attributes.borderWidth;
        window->row = r;
        window->column = c;
        const Hlong handle = Display::addWindow(std::move(window));
        if (windowHandle)
            *windowHandle = handle;
        return kSuccess;
    });
}

Herror open_window(const HTuple &row, const HTuple &column, const HTuple &width, const HTuple &height,
                   const HTuple &fatherWindow, const HTuple &mode, const HTuple &machine, HTuple *windowHandle)
{
    Hlong handle = 0;
    const Herror err = open_window(row, column, width, height, fatherWindow, mode, machine, &handle);
    if (err == kSuccess && windowHandle)
        *windowHandle = HTuple(handle);
    return err;
}

Herror close_window(const HTuple &windowHandle)
{
    return guarded([&]() -> Herror {
        Hlong id = 0;
        const Herror err = singleInteger(windowHandle, 1, &id);
        if (err != kSuccess)
            return err;
        return Display::removeWindow(id) ? kSuccess : kErrWrongValue1;
    });
}

Herror clear_window(const HTuple &windowHandle)
{
    return withWindow(windowHandle, [&](HalconWindow &window) -> Herror {
        std::lock_guard<std::mutex> lock(window.mutex);
        window.clear();
        return kSuccess;
    });
}

Herror set_window_extents(const HTuple &windowHandle, const HTuple &row, const HTuple &column, const HTuple &width,
                          const HTuple &height)
{
    return withWindow(windowHandle, [&](HalconWindow &window) -> Herror {
        std::lock_guard<std::mutex> lock(window.mutex);
        int r = 0, c = 0, w = 0, h = 0;
        Herror err = windowPosition(row, 2, &r);
        if (err == kSuccess)
            err = windowPosition(column, 3, &c);
        if (err == kSuccess)
            err = windowSize(width, 4, window.width(), &w);
        if (err == kSuccess)
            err = windowSize(height, 5, window.height(), &h);
        if (err != kSuccess)
            return err;
        if (w != window.width() || h != window.height()) {
            QImage previous = window.canvas;
            window.resize(w, h);
            if (window.canvas.isNull()) {
                window.canvas = previous;
                return kErrOutOfMemory;
            }
        }
        window.row = r;
        window.column = c;
        return kSuccess;
    });
}

Herror get_window_extents(const HTuple &windowHandle, HTuple *row, HTuple *column, HTuple *width, HTuple *height)
{
    return readWindow(windowHandle, [&](const HalconWindow &window) {
        if (row)
            *row = HTuple(window.row);
        if (column)
            *column = HTuple(window.column);
        if (width)
            *width = HTuple(window.width());
        if (height)
            *height = HTuple(window.height());
    });
}

// ---- Part ------------------------------------------------------------------------------

Herror set_part(const HTuple &windowHandle, const HTuple &row1, const HTuple &column1, const HTuple &row2,
                const HTuple &column2)
{
    return withWindow(windowHandle, [&](HalconWindow &window) -> Herror {
        double v[4];
        const HTuple *tuples[4] = {&row1, &column1, &row2, &column2};
        for (int i = 0; i < 4; ++i) {
            const Herror err = ControlValues::number(*tuples[i], i + 2, &v[i]);
            if (err != kSuccess)
                return err;
            if (std::abs(v[i]) > kMaxPartCoordinate)
                return wrongValue(i + 2);
        }
        std::lock_guard<std::mutex> lock(window.mutex);
        if (v[0] == -1.0 && v[1] == -1.0 && v[2] == -1.0 && v[3] == -1.0) {
            window.resetPart();
            return kSuccess;
        }
        if (v[2] < v[0])
            return kErrWrongValue4;
        if (v[3] < v[1])
            return kErrWrongValue5;
        window.part = Display::Part{v[0], v[1], v[2], v[3]};
        return kSuccess;
    });
}

Herror get_part(const HTuple &windowHandle, HTuple *row1, HTuple *column1, HTuple *row2, HTuple *column2)
{
    return readWindow(windowHandle, [&](const HalconWindow &window) {
        if (row1)
            *row1 = numberTuple(window.part.row1);
        if (column1)
            *column1 = numberTuple(window.part.column1);
        if (row2)
            *row2 = numberTuple(window.part.row2);
        if (column2)
            *column2 = numberTuple(window.part.column2);
    });
}

Herror set_part_style(const HTuple &windowHandle, const HTuple &style)
{
    Hlong value = 0;
    return writeWindow(
        windowHandle,
        [&]() -> Herror {
            Herror err = singleInteger(style, 2, &value);
            if (err != kSuccess)
                return err;
            return value < 0 || value > 2 ? kErrWrongValue2 : kSuccess;
        },
        [&](HalconWindow &window) {
            window.partStyle = int(value);
        });
}

Herror get_part_style(const HTuple &windowHandle, HTuple *style)
{
    return readWindow(windowHandle, [&](const HalconWindow &window) {
        if (style)
            *style = HTuple(window.partStyle);
    });
}

// ---- Drawing ---------------------------------------------------------------------------

Herror disp_obj(const Hobject &object, const HTuple &windowHandle)
{
    return displayObject(object, windowHandle, [](ElementKind) { return true; });
}

Herror disp_image(const Hobject &image, const HTuple &windowHandle)
{
    return displayObject(image, windowHandle, [](ElementKind kind) { return kind == ElementKind::Image; });
}

Herror disp_region(const Hobject &region, const HTuple &windowHandle)
{
    return displayObject(region, windowHandle, [](ElementKind kind) { return kind == ElementKind::Region; });
}

Herror disp_xld(const Hobject &xld, const HTuple &windowHandle)
{
    return displayObject(xld, windowHandle,
                         [](ElementKind kind) { return kind == ElementKind::XldCont || kind == ElementKind::XldPoly; });
}

Herror disp_line(const HTuple &windowHandle, const HTuple &row1, const HTuple &column1, const HTuple &row2,
                 const HTuple &column2)
{
    return withWindow(windowHandle, [&](HalconWindow &window) -> Herror {
        std::vector<double> r1, c1, r2, c2;
        Herror err = ControlValues::numbers(row1, 2, &r1);
        if (err == kSuccess)
            err = ControlValues::numbers(column1, 3, &c1);
        if (err == kSuccess)
            err = ControlValues::numbers(row2, 4, &r2);
        if (err == kSuccess)
            err = ControlValues::numbers(column2, 5, &c2);
        Hlong count = 0;
        if (err == kSuccess)
            err = ControlValues::commonLength({{row1.Length(), 2}, {column1.Length(), 3}, {row2.Length(), 4},
                                               {column2.Length(), 5}},
                                              true, &count);
        if (err != kSuccess)
            return err;
        std::lock_guard<std::mutex> lock(window.mutex);
        for (Hlong i = 0; i < count; ++i) {
            window.drawLine(ControlValues::at(r1, i), ControlValues::at(c1, i), ControlValues::at(r2, i),
                            ControlValues::at(c2, i));
        }
        return kSuccess;
    });
}

Herror set_color(const HTuple &windowHandle, const HTuple &color)
{
    QColor value;
    return writeWindow(
        windowHandle,
        [&]() -> Herror {
            std::string name;
            const Herror err = singleString(color, 2, &name);
            if (err != kSuccess)
                return err;
            return Display::colorFromName(name, &value) ? kSuccess : kErrWrongValue2;
        },
        [&](HalconWindow &window) {
            window.color = value;
        });
}

Herror set_rgb(const HTuple &windowHandle, const HTuple &red, const HTuple &green, const HTuple &blue)
{
    Hlong v[3] = {};
    return writeWindow(
        windowHandle,
        [&]() -> Herror {
            const HTuple *tuples[3] = {&red, &green, &blue};
            for (int i = 0; i < 3; ++i) {
                const Herror err = singleInteger(*tuples[i], i + 2, &v[i]);
                if (err != kSuccess)
                    return err;
                if (v[i] < 0 || v[i] > 255)
                    return wrongValue(i + 2);
            }
            return kSuccess;
        },
        [&](HalconWindow &window) {
            window.color = QColor(int(v[0]), int(v[1]), int(v[2]));
        });
}

Herror get_rgb_text(const HTuple &windowHandle, HTuple *color)
{
    return readWindow(windowHandle, [&](const HalconWindow &window) {
        if (color)
            *color = HTuple(Display::colorText(window.color));
    });
}

Herror set_draw(const HTuple &windowHandle, const HTuple &mode)
{
    std::string text;
    return writeWindow(
        windowHandle,
        [&]() -> Herror {
            const Herror err = singleString(mode, 2, &text);
            if (err != kSuccess)
                return err;
            // Callers spell the modes with either case ("Margin" appears), so both are taken.
            text = lowered(text);
            return text != "margin" && text != "fill" ? kErrWrongValue2 : kSuccess;
        },
        [&](HalconWindow &window) {
            window.fill = text == "fill";
        });
}

Herror get_draw(const HTuple &windowHandle, HTuple *mode)
{
    return readWindow(windowHandle, [&](const HalconWindow &window) {
        if (mode)
            *mode = HTuple(window.fill ? "fill" : "margin");
    });
}

Herror set_line_width(const HTuple &windowHandle, const HTuple &width)
{
    double value = 0.0;
    return writeWindow(
        windowHandle,
        [&]() -> Herror {
            const Herror err = ControlValues::number(width, 2, &value);
            if (err != kSuccess)
                return err;
            return value < 1.0 || value > 2000.0 ? kErrWrongValue2 : kSuccess;
        },
        [&](HalconWindow &window) {
            window.lineWidth = value;
        });
}

Herror get_line_width(const HTuple &windowHandle, HTuple *width)
{
    return readWindow(windowHandle, [&](const HalconWindow &window) {
        if (width)
            *width = numberTuple(window.lineWidth);
    });
}

// ---- Text ------------------------------------------------------------------------------

Herror set_font(const HTuple &windowHandle, const HTuple &font)
{
    Display::FontSpec spec;
    return writeWindow(
        windowHandle,
        [&]() -> Herror {
            std::string text;
            const Herror err = singleString(font, 2, &text);
            if (err != kSuccess)
                return err;
            return parseFont(text, &spec) ? kSuccess : kErrWrongValue2;
        },
        [&](HalconWindow &window) {
            window.font = spec;
        });
}

Herror get_font(const HTuple &windowHandle, HTuple *font)
{
    return readWindow(windowHandle, [&](const HalconWindow &window) {
        if (font)
            *font = HTuple(window.font.text);
    });
}

Herror set_tposition(const HTuple &windowHandle, const HTuple &row, const HTuple &column)
{
    double r = 0.0, c = 0.0;
    return writeWindow(
        windowHandle,
        [&]() -> Herror {
            Herror err = ControlValues::number(row, 2, &r);
            if (err == kSuccess)
                err = ControlValues::number(column, 3, &c);
            if (err != kSuccess)
                return err;
            if (std::abs(r) > kMaxPartCoordinate)
                return kErrWrongValue2;
            return std::abs(c) > kMaxPartCoordinate ? kErrWrongValue3 : kSuccess;
        },
        [&](HalconWindow &window) {
            window.textRow = r;
            window.textColumn = c;
        });
}

Herror get_tposition(const HTuple &windowHandle, HTuple *row, HTuple *column)
{
    return readWindow(windowHandle, [&](const HalconWindow &window) {
        if (row)
            *row = HTuple(window.textRow);
        if (column)
            *column = HTuple(window.textColumn);
    });
}

Herror write_string(const HTuple &windowHandle, const HTuple &string)
{
    return withWindow(windowHandle, [&](HalconWindow &window) -> Herror {
        const QString text = tupleText(string);
        std::lock_guard<std::mutex> lock(window.mutex);
        return window.writeText(text) ? kSuccess : kErrNotAvailable;
    });
}

Herror get_string_extents(const HTuple &windowHandle, const HTuple &string, HTuple *ascent, HTuple *descent,
                          HTuple *width, HTuple *height)
{
    return withWindow(windowHandle, [&](HalconWindow &window) -> Herror {
        const QString text = tupleText(string);
        int a = 0, d = 0, w = 0, h = 0;
        {
            std::lock_guard<std::mutex> lock(window.mutex);
            if (!window.textExtents(text, &a, &d, &w, &h))
                return kErrNotAvailable;
        }
        if (ascent)
            *ascent = HTuple(a);
        if (descent)
            *descent = HTuple(d);
        if (width)
            *width = HTuple(w);
        if (height)
            *height = HTuple(h);
        return kSuccess;
    });
}

// ---- Copying and dumping -----------------------------------------------------------------

Herror copy_rectangle(const HTuple &sourceWindow, const HTuple &destinationWindow, const HTuple &row1,
                      const HTuple &column1, const HTuple &row2, const HTuple &column2, const HTuple &destRow,
                      const HTuple &destColumn)
{
    return guarded([&]() -> Herror {
        WindowPtr source, destination;
        Herror err = windowOf(sourceWindow, 1, &source);
        if (err == kSuccess)
            err = windowOf(destinationWindow, 2, &destination);
        if (err != kSuccess)
            return err;
        Hlong v[6];
        const HTuple *tuples[6] = {&row1, &column1, &row2, &column2, &destRow, &destColumn};
        for (int i = 0; i < 6; ++i) {
            err = singleInteger(*tuples[i], i + 3, &v[i]);
            if (err != kSuccess)
                return err;
            if (v[i] < -kMaxWindowSize * 4 || v[i] > kMaxWindowSize * 4)
                return wrongValue(i + 3);
        }
        if (v[2] < v[0])
            return kErrWrongValue5;
        if (v[3] < v[1])
            return kErrWrongValue6;

        std::unique_lock<std::mutex> sourceLock(source->mutex, std::defer_lock);
        std::unique_lock<std::mutex> destinationLock(destination->mutex, std::defer_lock);
        if (source == destination)
            sourceLock.lock();
        else
            std::lock(sourceLock, destinationLock);

        // Clip the rectangle to the source, then its image to the destination.
        QRect from{int(v[1]), int(v[0]), int(v[3] - v[1] + 1), int(v[2] - v[0] + 1)};
        QPoint to{int(v[5]), int(v[4])};
        const QRect clipped = from.intersected(source->canvas.rect());
        to += clipped.topLeft() - from.topLeft();
        const QRect target = QRect(to, clipped.size()).intersected(destination->canvas.rect());
        if (target.isEmpty())
            return kSuccess;
        from = QRect(clipped.topLeft() + (target.topLeft() - to), target.size());

        if (source != destination && from == source->canvas.rect() && target == destination->canvas.rect()) {
            // The usual double-buffer flip: share the pixels instead of copying them.
            destination->shareCanvas(source->canvas);
            return kSuccess;
        }
        const QImage piece = source->canvas.copy(from);
        uchar *bits = destination->canvas.bits();
        const qsizetype bytesPerLine = destination->canvas.bytesPerLine();
        for (int y = 0; y < piece.height(); ++y) {
            std::copy_n(reinterpret_cast<const QRgb *>(piece.constScanLine(y)), piece.width(),
                        reinterpret_cast<QRgb *>(bits + (target.top() + y) * bytesPerLine) + target.left());
        }
        destination->touch();
        return kSuccess;
    });
}

Herror dump_window_image(Hobject *image, const HTuple &windowHandle)
{
    return withWindow(windowHandle, [&](HalconWindow &window) -> Herror {
        // The planes are made under the lock: no reference to the canvas leaves this
        // thread, so a drawing thread never has to copy the canvas away from us.
        std::vector<cv::Mat> channels;
        {
            std::lock_guard<std::mutex> lock(window.mutex);
            const QImage &canvas = window.canvas;
            const cv::Mat bgra(canvas.height(), canvas.width(), CV_8UC4, const_cast<uchar *>(canvas.constBits()),
                               size_t(canvas.bytesPerLine()));
            cv::split(bgra, channels);
        }
        ImagePtr dumped = makeImage({channels[2], channels[1], channels[0]});
        if (!dumped)
            return kErrInternal;
        if (image)
            *image = makeObject(dumped);
        return kSuccess;
    });
}

// ---- For the widget ------------------------------------------------------------------------

namespace {

// The widget's reads take the handle it was given; false when that window is gone.
template <typename Read>
bool readWindowById(Hlong windowHandle, Read read)
{
    const WindowPtr window = Display::findWindow(windowHandle);
    if (!window)
        return false;
    std::lock_guard<std::mutex> lock(window->mutex);
    read(std::as_const(*window));
    return true;
}

} // namespace

bool windowCanvas(Hlong windowHandle, QImage *canvas)
{
    return readWindowById(windowHandle, [&](const HalconWindow &window) {
        if (canvas)
            *canvas = window.canvas;
    });
}

bool windowFather(Hlong windowHandle, Hlong *fatherWindow)
{
    return readWindowById(windowHandle, [&](const HalconWindow &window) {
        if (fatherWindow)
            *fatherWindow = window.father;
    });
}

std::uint64_t windowRevision(Hlong windowHandle)
{
    std::uint64_t revision = 0;
    readWindowById(windowHandle, [&](const HalconWindow &window) { revision = window.revision; });
    return revision;
}

} // namespace Halcon
