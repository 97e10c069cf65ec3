#include "Hobject_View_ZoomPan.h"

#include "PictureUnitConverter.h"

#include <algorithm>
#include <utility>

int Hobject_View_ZoomPan::longerSide() const
{
    return std::max(m_pictureWidth, m_pictureHeight);
}

void Hobject_View_ZoomPan::setWidgetSize(int width, int height)
{
    m_widgetWidth = width;
    m_widgetHeight = height;
}

double Hobject_View_ZoomPan::textScale() const
{
    const int partHeight = m_part.row2 - m_part.row1;
    if (partHeight == 0)
        return 0.0;
    return (m_widgetHeight / 500.0) * (double(m_pictureHeight) / partHeight);
}

void Hobject_View_ZoomPan::clearPicture()
{
    m_pictureWidth = 0;
    m_pictureHeight = 0;
    m_part = Part();
}

bool Hobject_View_ZoomPan::setPictureSize(int width, int height)
{
    m_pictureWidth = width;
    m_pictureHeight = height;
    bool changed = false;
    if (m_part.column2 == 0 || m_part.column2 > width) {
        m_part.column2 = width;
        changed = true;
    }
    if (m_part.row2 == 0 || m_part.row2 > height) {
        m_part.row2 = height;
        changed = true;
    }
    if (m_part.column1 > m_part.column2) {
        m_part.column1 = m_part.column2;
        changed = true;
    }
    if (m_part.row1 > m_part.row2) {
        m_part.row1 = m_part.row2;
        changed = true;
    }
    return changed;
}

void Hobject_View_ZoomPan::showWhole()
{
    m_part = Part{0, 0, m_pictureWidth, m_pictureHeight};
}

Hobject_View_ZoomPan::Fit Hobject_View_ZoomPan::fit()
{
    Fit result;
    // No size, no aspect ratio: the next resize or show sets the part again.
    if (m_widgetWidth < 1 || m_widgetHeight < 1)
        return result;
    const double aspect = double(m_widgetWidth) / double(m_widgetHeight);
    Part part = m_part;
    const double heightWanted = (part.column2 - part.column1) / aspect;
    if (m_pictureHeight <= heightWanted)
        part.row2 = int(part.row1 + heightWanted);
    else
        part.column2 = int((part.row2 - part.row1) * aspect + part.column1);
    if (part.column2 > m_pictureWidth && part.row2 > m_pictureHeight) {
        part.row2 = m_pictureHeight;
        part.column2 = int(aspect * m_pictureHeight);
    }
    m_part.column2 = part.column2;
    m_part.row2 = part.row2;
    if (part.column1 >= part.column2 || part.row1 >= part.row2)
        return result;
    result.apply = true;

    const int partWidth = part.column2 - part.column1;
    const int partHeight = part.row2 - part.row1;
    if (m_pictureWidth > 0 && m_pictureHeight > 0 && partWidth > 0 && partHeight > 0) {
        result.factorX = double(m_pictureWidth) / partWidth;
        result.factorY = double(m_pictureHeight) / partHeight;
        if (result.factorX != m_zoomFactorX || result.factorY != m_zoomFactorY) {
            m_zoomFactorX = result.factorX;
            m_zoomFactorY = result.factorY;
            result.zoomChanged = true;
        }
    } else if (m_zoomFactorX != 0.0 || m_zoomFactorY != 0.0) {
        m_zoomFactorX = 0.0;
        m_zoomFactorY = 0.0;
        result.zoomChanged = true;
    }
    return result;
}

void Hobject_View_ZoomPan::zoomIn()
{
    Part& part = m_part;
    const int partWidth = part.column2 - part.column1;
    const int partHeight = part.row2 - part.row1;
    if (partWidth > kMinimumPartSize && partHeight > kMinimumPartSize) {
        const double dx = partWidth / 6.0;
        const double dy = partHeight / 6.0;
        part.column1 = int(part.column1 + dx);
        part.row1 = int(part.row1 + dy);
        part.column2 = int(part.column2 - dx);
        part.row2 = int(part.row2 - dy);
    }
    part.column1 = std::min(part.column1, m_pictureWidth);
    part.row1 = std::min(part.row1, m_pictureHeight);
    part.column2 = std::max(part.column2, part.column1);
    part.row2 = std::max(part.row2, part.row1);
}

void Hobject_View_ZoomPan::zoomOut()
{
    Part& part = m_part;
    const int dx = (part.column2 - part.column1) / 6;
    const int dy = (part.row2 - part.row1) / 6;
    part.column1 = std::max(part.column1 - dx, 0);
    part.row1 = std::max(part.row1 - dy, 0);
    part.column2 = std::min(part.column2 + dx, m_pictureWidth);
    part.row2 = std::min(part.row2 + dy, m_pictureHeight);
}

void Hobject_View_ZoomPan::scrollToColumn(int column)
{
    const int d = column - m_part.column1;
    m_part.column1 = std::min(m_part.column1 + d, m_pictureWidth);
    m_part.column2 = std::min(m_part.column2 + d, m_pictureWidth);
}

void Hobject_View_ZoomPan::scrollToRow(int row)
{
    const int d = row - m_part.row1;
    m_part.row1 = std::min(m_part.row1 + d, m_pictureHeight);
    m_part.row2 = std::min(m_part.row2 + d, m_pictureHeight);
}

void Hobject_View_ZoomPan::pan(int columns, int rows)
{
    if (m_part.column1 + columns >= 0 && m_part.column2 + columns <= m_pictureWidth) {
        m_part.column1 += columns;
        m_part.column2 += columns;
    }
    if (m_part.row1 + rows >= 0 && m_part.row2 + rows <= m_pictureHeight) {
        m_part.row1 += rows;
        m_part.row2 += rows;
    }
}

bool Hobject_View_ZoomPan::wheel(double x, double y, int delta)
{
    Part& part = m_part;
    const int left = int(x - part.column1);
    const int right = int(part.column2 - x);
    const int top = int(y - part.row1);
    const int bottom = int(part.row2 - y);
    if (left < 0 || right < 0 || top < 0 || bottom < 0)
        return false;
    const int stepLeft = int(left / 6.0 + 0.5);
    const int stepRight = int(right / 6.0 + 0.5);
    const int stepTop = int(top / 6.0 + 0.5);
    const int stepBottom = int(bottom / 6.0 + 0.5);
    if (delta < 1) {
        part.column1 = std::max(part.column1 - stepLeft, 0);
        part.column2 = std::min(part.column2 + stepRight, m_pictureWidth);
        part.row1 = std::max(part.row1 - stepTop, 0);
        part.row2 = std::min(part.row2 + stepBottom, m_pictureHeight);
    } else if (left + right > kMinimumPartSize && top + bottom > kMinimumPartSize) {
        part.column1 = std::min(part.column1 + stepLeft, m_pictureWidth);
        part.row1 = std::min(part.row1 + stepTop, m_pictureHeight);
        part.column2 = std::max(part.column2 - stepRight, part.column1);
        part.row2 = std::max(part.row2 - stepBottom, part.row1);
    }
    return true;
}

bool Hobject_View_ZoomPan::centerOnPercent(double x, double y)
{
    if (m_pictureWidth == 0 || m_pictureHeight == 0)
        return false;
    const int side = longerSide();
    centerRange(PictureUnitConverter::toPixels(side, x), m_pictureWidth, m_part.column1, m_part.column2);
    centerRange(PictureUnitConverter::toPixels(side, y), m_pictureHeight, m_part.row1, m_part.row2);
    keepMinimumSize(m_part);
    return true;
}

bool Hobject_View_ZoomPan::showPercentRange(double x, double y, double width, double height)
{
    if (m_pictureWidth == 0 || m_pictureHeight == 0)
        return false;
    const int side = longerSide();
    m_part.column1 = int(PictureUnitConverter::toPixels(side, x));
    m_part.row1 = int(PictureUnitConverter::toPixels(side, y));
    m_part.column2 = int(PictureUnitConverter::toPixels(side, x + width));
    m_part.row2 = int(PictureUnitConverter::toPixels(side, y + height));
    keepMinimumSize(m_part);
    return true;
}

Hobject_View_ZoomPan::Part Hobject_View_ZoomPan::zoomRange(int startColumn, int startRow, int column, int row)
{
    if (startColumn > column)
        std::swap(startColumn, column);
    if (startRow > row)
        std::swap(startRow, row);
    const int width = column - startColumn;
    const int height = row - startRow;
    if (width > height) {
        // A flat band is widened to a square about its middle row.
        const int d = (width - height) / 2;
        startRow = std::max(startRow - d, 0);
        row = std::max(row + d, startRow);
    }
    Part part{startColumn, startRow, column, row};
    keepMinimumSize(part);
    return part;
}

void Hobject_View_ZoomPan::centerRange(double center, int pictureSize, int& first, int& last)
{
    const int size = last - first;
    const int half = size / 2;
    first = int(center - half);
    last = int(center + half);
    if (first < 0) {
        first = 0;
        last = size;
    }
    if (last > pictureSize) {
        first = std::max(pictureSize - size, 0);
        last = pictureSize;
    }
}

void Hobject_View_ZoomPan::keepMinimumSize(Part& part)
{
    if (part.column2 - part.column1 <= kMinimumPartSize)
        part.column2 = part.column1 + kMinimumPartSize;
    if (part.row2 - part.row1 <= kMinimumPartSize)
        part.row2 = part.row1 + kMinimumPartSize;
}
