#include "Hobject_View_Painter.h"

#include "Hobject_View_Layers.h"

#include <HTuple.h>
#include <HalconDisplay.h>
#include <HalconSystemOps.h>

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cmath>
#include <limits>

using Halcon::HTuple;
using Halcon::Hlong;

namespace {

HTuple toTuple(const QString& text)
{
    return HTuple(text.toStdString());
}

} // namespace

// The window's current colour, draw mode, line width and font while a paint runs.
struct Hobject_View_Painter::Style {
    explicit Style(Hlong windowHandle)
        : window(windowHandle)
    {
    }

    void setColor(const QString& value)
    {
        if (value.isEmpty() || (colorKnown && value == color))
            return;
        colorKnown = Halcon::set_color(window, toTuple(value)) == Halcon::kSuccess;
        color = value;
    }
    void setDraw(const QString& value)
    {
        if (value.isEmpty() || (drawKnown && value == draw))
            return;
        drawKnown = Halcon::set_draw(window, toTuple(value)) == Halcon::kSuccess;
        draw = value;
    }
    void setLineWidth(int value)
    {
        if (value == lineWidth)
            return;
        lineWidth = Halcon::set_line_width(window, value) == Halcon::kSuccess ? value : -1;
    }
    void setFont(const QByteArray& family, int size)
    {
        if (family == fontFamily && size == fontSize)
            return;
        // An empty name is the default family, at the size asked for.
        const QString name = family.isEmpty() ? QStringLiteral("*") : QString::fromLatin1(family);
        const QString font = QStringLiteral("-%1-%2-*-*-*-*-1-").arg(name).arg(size);
        const bool ok = Halcon::set_font(window, toTuple(font)) == Halcon::kSuccess;
        fontFamily = ok ? family : QByteArray();
        fontSize = ok ? size : -1;
    }

    Hlong window;
    QString color;
    bool colorKnown = false;
    QString draw;
    bool drawKnown = false;
    int lineWidth = -1;
    QByteArray fontFamily;
    int fontSize = -1;
};

Hobject_View_Painter::Hobject_View_Painter(Hlong window)
    : m_window(window)
{
    Halcon::clear_window(window);
    Halcon::set_system("flush_graphic", "false");

    HTuple partRow1;
    HTuple partColumn1;
    HTuple partRow2;
    HTuple partColumn2;
    HTuple windowRow;
    HTuple windowColumn;
    HTuple windowWidth;
    HTuple windowHeight;
    const bool partKnown =
        Halcon::get_part(window, &partRow1, &partColumn1, &partRow2, &partColumn2) == Halcon::kSuccess
        && Halcon::get_window_extents(window, &windowRow, &windowColumn, &windowWidth, &windowHeight) == Halcon::kSuccess
        && windowWidth.D() > 0.0 && windowHeight.D() > 0.0;
    m_viewRow1 = partKnown ? partRow1.D() - 0.5 : -std::numeric_limits<double>::max();
    m_viewColumn1 = partKnown ? partColumn1.D() - 0.5 : -std::numeric_limits<double>::max();
    m_viewRow2 = partKnown ? partRow2.D() + 0.5 : std::numeric_limits<double>::max();
    m_viewColumn2 = partKnown ? partColumn2.D() + 0.5 : std::numeric_limits<double>::max();
    if (partKnown)
        m_picturePixelsPerWindowPixel = std::max((partColumn2.D() - partColumn1.D() + 1.0) / windowWidth.D(),
                                                 (partRow2.D() - partRow1.D() + 1.0) / windowHeight.D());
}

Hobject_View_Painter::~Hobject_View_Painter()
{
    Halcon::set_system("flush_graphic", "true");
}

bool Hobject_View_Painter::reaches(double row1, double column1, double row2, double column2, int lineWidth) const
{
    const double margin = (lineWidth / 2.0 + 2.0) * m_picturePixelsPerWindowPixel + 1.0;
    return row2 + margin >= m_viewRow1 && row1 - margin <= m_viewRow2 && column2 + margin >= m_viewColumn1
        && column1 - margin <= m_viewColumn2;
}

void Hobject_View_Painter::draw(const Hobject_View_Layers& layers, bool drawPictures, bool drawOverlays,
                                double lineWidthScale, double fontScale)
{
    if (drawPictures) {
        for (const auto& picture : layers.pictures()) {
            if (picture->visible)
                Halcon::disp_obj(picture->image, m_window);
        }
    }
    if (drawOverlays)
        this->drawOverlays(layers, lineWidthScale, fontScale);
}

void Hobject_View_Painter::drawOverlays(const Hobject_View_Layers& layers, double lineWidthScale, double fontScale)
{
    Style style(m_window);
    const QString& selectionColor = layers.selectionColor();
    const int selectionLineWidth = layers.selectionLineWidth();
    for (const auto& entry : layers.objects()) {
        if (!entry->visible)
            continue;
        int width = 0;
        if (entry->selected) {
            style.setColor(selectionColor);
            width = selectionLineWidth;
        } else {
            style.setColor(entry->color);
            width = int(entry->lineWidth * lineWidthScale + 0.5);
        }
        width = std::max(width, 1);
        if (entry->hasExtent
            && !reaches(entry->extentRow1, entry->extentColumn1, entry->extentRow2, entry->extentColumn2, width))
            continue;
        style.setDraw(entry->drawMode);
        style.setLineWidth(width);
        Halcon::disp_obj(entry->object, m_window);
    }
    for (const auto& entry : layers.lines()) {
        if (!entry->visible)
            continue;
        const int width = std::max(entry->selected ? selectionLineWidth : entry->lineWidth, 1);
        if (!reaches(std::min(entry->y1, entry->y2), std::min(entry->x1, entry->x2), std::max(entry->y1, entry->y2),
                     std::max(entry->x1, entry->x2), width))
            continue;
        style.setColor(entry->selected ? selectionColor : entry->color);
        style.setLineWidth(width);
        Halcon::disp_line(m_window, entry->y1, entry->x1, entry->y2, entry->x2);
    }
    for (const auto& entry : layers.crosses()) {
        if (!entry->visible)
            continue;
        const int width = std::max(entry->selected ? selectionLineWidth : entry->lineWidth, 1);
        const double arm = std::abs(entry->size);
        if (!reaches(entry->y - arm, entry->x - arm, entry->y + arm, entry->x + arm, width))
            continue;
        style.setColor(entry->selected ? selectionColor : entry->color);
        style.setLineWidth(width);
        Halcon::disp_obj(entry->contour, m_window);
    }
    for (const auto& entry : layers.texts()) {
        if (!entry->visible)
            continue;
        // A text runs right and down from its position.
        if (entry->y > m_viewRow2 + 1.0 || entry->x > m_viewColumn2 + 1.0)
            continue;
        style.setColor(entry->color);
        const int size = int(entry->size * fontScale + 0.5);
        if (size <= 0)
            continue;
        style.setFont(entry->font, size);
        Halcon::set_tposition(m_window, int(entry->y + 0.5), int(entry->x + 0.5));
        Halcon::write_string(m_window, toTuple(entry->text));
    }
}
