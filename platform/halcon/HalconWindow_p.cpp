#include "HalconWindow_p.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPen>
#include <QStringList>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace Halcon::Display {

namespace {

// Window pixel index from a window coordinate, kept far from int overflow for parts far
// away from the picture.
int toPixel(double value)
{
    return int(std::clamp(value, -1.0e9, 1.0e9));
}

// The first window pixel whose centre lies at or after the window coordinate.
int firstPixelFrom(double edge)
{
    return toPixel(std::ceil(edge - 0.5));
}

// Picture rows (or columns) whose pixels reach into the window: pixel p covers
// p - 0.5 .. p + 0.5, the window first - 0.5 .. first - 0.5 + size / scale.
void visibleRange(double first, double scale, int windowSize, int *begin, int *end)
{
    *begin = toPixel(std::floor(first - 1.0) + 1.0);
    *end = toPixel(std::ceil(first + windowSize / scale) - 1.0);
}

std::vector<Run>::const_iterator firstRunOfRow(const std::vector<Run> &runs, int row)
{
    return std::lower_bound(runs.begin(), runs.end(), row, [](const Run &run, int r) { return run.row < r; });
}

// Byte plane of a region of interest: bytes as they are, wider types spread from the
// whole plane's minimum to its maximum so that the view does not change with the part.
cv::Mat bytePlane(const cv::Mat &plane, const cv::Rect &roi)
{
    if (plane.depth() == CV_8U)
        return plane(roi);
    double minimum = 0.0;
    double maximum = 0.0;
    cv::minMaxLoc(plane, &minimum, &maximum);
    cv::Mat out;
    if (maximum > minimum) {
        const double scale = 255.0 / (maximum - minimum);
        plane(roi).convertTo(out, CV_8U, scale, -minimum * scale);
    } else {
        plane(roi).convertTo(out, CV_8U);
    }
    return out;
}

void releaseMat(void *info)
{
    delete static_cast<cv::Mat *>(info);
}

// Cuts the segment to the canvas [0, width) x [0, height) (Liang-Barsky); false when
// nothing of it is inside.
bool clipToCanvas(QPointF &a, QPointF &b, int width, int height)
{
    const double xMax = width - 1e-6;
    const double yMax = height - 1e-6;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    double t0 = 0.0;
    double t1 = 1.0;
    auto edge = [&](double p, double q) {
        if (p == 0.0)
            return q >= 0.0;
        const double r = q / p;
        if (p < 0.0) {
            if (r > t1)
                return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0)
                return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!edge(-dx, a.x()) || !edge(dx, xMax - a.x()) || !edge(-dy, a.y()) || !edge(dy, yMax - a.y()))
        return false;
    const QPointF start = a;
    a = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
    b = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
    return true;
}

// One-pixel line of an opaque colour straight into the canvas: what the views draw most
// (thousands of colony contours), and several times faster than a painter's stroker.
class ThinLines
{
public:
    explicit ThinLines(QImage &canvas, QRgb pixel)
        : m_bits(reinterpret_cast<QRgb *>(canvas.bits()))
        , m_stride(canvas.bytesPerLine() / qsizetype(sizeof(QRgb)))
        , m_width(canvas.width())
        , m_height(canvas.height())
        , m_pixel(pixel)
    {
    }

    void line(QPointF a, QPointF b)
    {
        if (!clipToCanvas(a, b, m_width, m_height))
            return;
        int x0 = std::clamp(int(std::floor(a.x())), 0, m_width - 1);
        int y0 = std::clamp(int(std::floor(a.y())), 0, m_height - 1);
        const int x1 = std::clamp(int(std::floor(b.x())), 0, m_width - 1);
        const int y1 = std::clamp(int(std::floor(b.y())), 0, m_height - 1);
        const int dx = std::abs(x1 - x0);
        const int dy = -std::abs(y1 - y0);
        const int stepX = x0 < x1 ? 1 : -1;
        const int stepY = y0 < y1 ? 1 : -1;
        int error = dx + dy;
        while (true) {
            m_bits[y0 * m_stride + x0] = m_pixel;
            if (x0 == x1 && y0 == y1)
                return;
            const int twice = 2 * error;
            if (twice >= dy) {
                error += dy;
                x0 += stepX;
            }
            if (twice <= dx) {
                error += dx;
                y0 += stepY;
            }
        }
    }

private:
    QRgb *m_bits;
    qsizetype m_stride;
    int m_width;
    int m_height;
    QRgb m_pixel;
};

} // namespace

HalconWindow::HalconWindow(int width, int height, const QColor &backgroundColor)
    : background(backgroundColor)
    , canvas(width, height, QImage::Format_ARGB32_Premultiplied)
{
    if (!canvas.isNull())
        canvas.fill(background);
    resetPart();
}

PartTransform HalconWindow::transform() const
{
    // set_part keeps row1 <= row2 and column1 <= column2, so the divisors are at least 1.
    return PartTransform{part.row1, part.column1, width() / (part.column2 - part.column1 + 1.0),
                         height() / (part.row2 - part.row1 + 1.0)};
}

void HalconWindow::resetPart()
{
    part = Part{0.0, 0.0, double(height() - 1), double(width() - 1)};
}

void HalconWindow::clear()
{
    // A canvas shared with a copy or a widget is replaced instead of detached: copying
    // the pixels first would be wasted.
    if (!canvas.isDetached())
        canvas = QImage(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(background);
    touch();
}

void HalconWindow::resize(int newWidth, int newHeight)
{
    canvas = QImage(newWidth, newHeight, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(background);
    touch();
}

void HalconWindow::shareCanvas(const QImage &other)
{
    canvas = other;
    touch();
}

// ---- Images ------------------------------------------------------------------------------

HalconWindow::ScaledPicture HalconWindow::scalePicture(const ImageElement &image, const PartTransform &t,
                                                       int windowWidth, int windowHeight, int style)
{
    ScaledPicture out;
    int column0, column1, row0, row1;
    visibleRange(t.column1, t.scaleX, windowWidth, &column0, &column1);
    visibleRange(t.row1, t.scaleY, windowHeight, &row0, &row1);
    column0 = std::max(column0, 0);
    row0 = std::max(row0, 0);
    column1 = std::min(column1, image.width - 1);
    row1 = std::min(row1, image.height - 1);
    if (column0 > column1 || row0 > row1)
        return out;

    // Window pixels whose centres fall on those picture pixels.
    const int x0 = std::max(0, firstPixelFrom((column0 - t.column1) * t.scaleX));
    const int x1 = std::min(windowWidth, firstPixelFrom((column1 + 1 - t.column1) * t.scaleX));
    const int y0 = std::max(0, firstPixelFrom((row0 - t.row1) * t.scaleY));
    const int y1 = std::min(windowHeight, firstPixelFrom((row1 + 1 - t.row1) * t.scaleY));
    if (x0 >= x1 || y0 >= y1)
        return out;

    const cv::Rect roi(column0, row0, column1 - column0 + 1, row1 - row0 + 1);
    // The domain's pixels; none for a full domain, whose pixels are all opaque.
    cv::Mat alpha;
    if (!image.hasFullDomain()) {
        alpha = cv::Mat::zeros(roi.size(), CV_8U);
        const std::vector<Run> &runs = image.domain->runs;
        for (auto it = firstRunOfRow(runs, row0); it != runs.end() && it->row <= row1; ++it) {
            const int begin = std::max(it->colBegin, column0);
            const int end = std::min(it->colEnd, column1);
            if (begin <= end) {
                uchar *line = alpha.ptr<uchar>(it->row - row0);
                std::fill(line + (begin - column0), line + (end - column0 + 1), uchar(255));
            }
        }
    }
    const cv::Mat outside = alpha.empty() ? cv::Mat() : cv::Mat(alpha == 0);
    const auto colour = [&](const cv::Mat &plane) {
        cv::Mat bytes = bytePlane(plane, roi);
        if (outside.empty())
            return bytes;
        // Premultiplied: no colour where transparent. The plane may be the picture's own.
        cv::Mat cleared = bytes.clone();
        cleared.setTo(cv::Scalar::all(0), outside);
        return cleared;
    };

    // Window pixel centre x + 0.5 shows picture column (x + 0.5) / scale + column1 - 0.5.
    const double shiftX = (x0 + 0.5) / t.scaleX + t.column1 - 0.5 - column0;
    const double shiftY = (y0 + 0.5) / t.scaleY + t.row1 - 0.5 - row0;
    const bool unscaled = t.scaleX == 1.0 && t.scaleY == 1.0 && shiftX == 0.0 && shiftY == 0.0
        && x1 - x0 == roi.width && y1 - y0 == roi.height;
    const cv::Matx23d inverse(1.0 / t.scaleX, 0.0, shiftX, 0.0, 1.0 / t.scaleY, shiftY);
    const int interpolation = style == 0 ? cv::INTER_NEAREST : style == 1 ? cv::INTER_LINEAR : cv::INTER_CUBIC;
    // Plane by plane, then merged: a picture shown smaller than it is (a whole plate, a
    // stitched tray) is merged at the window's size, not at its own. Each channel is
    // interpolated on its own either way, so the pixels are the same.
    const auto scale = [&](const cv::Mat &plane) {
        if (unscaled)
            return plane;
        cv::Mat scaledPlane;
        cv::warpAffine(plane, scaledPlane, inverse, cv::Size(x1 - x0, y1 - y0), interpolation | cv::WARP_INVERSE_MAP,
                       cv::BORDER_REPLICATE);
        return scaledPlane;
    };
    const cv::Mat red = scale(colour(image.planes[0]));
    const cv::Mat green = image.channels() == 3 ? scale(colour(image.planes[1])) : red;
    const cv::Mat blue = image.channels() == 3 ? scale(colour(image.planes[2])) : red;
    const cv::Mat scaledAlpha = alpha.empty() ? cv::Mat(red.size(), CV_8U, cv::Scalar(255)) : scale(alpha);
    cv::Mat scaled;
    cv::merge(std::vector<cv::Mat>{blue, green, red, scaledAlpha}, scaled);
    auto *keeper = new cv::Mat(scaled);
    out.picture = QImage(keeper->data, keeper->cols, keeper->rows, qsizetype(keeper->step),
                         image.hasFullDomain() ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied,
                         releaseMat, keeper);
    out.offset = QPoint(x0, y0);
    return out;
}

const HalconWindow::ScaledPicture *HalconWindow::scaledPicture(const ImagePtr &image)
{
    for (ScaledPicture &entry : m_cache) {
        if (entry.identity == image.get() && !entry.element.expired() && entry.part == part
            && entry.width == width() && entry.height == height() && entry.style == partStyle) {
            entry.lastUse = ++m_useCounter;
            return &entry;
        }
    }
    ScaledPicture made = scalePicture(*image, transform(), width(), height(), partStyle);
    made.element = image;
    made.identity = image.get();
    made.part = part;
    made.width = width();
    made.height = height();
    made.style = partStyle;
    made.lastUse = ++m_useCounter;
    m_cache.erase(std::remove_if(m_cache.begin(), m_cache.end(),
                                 [this](const ScaledPicture &e) {
                                     return e.element.expired() || e.part != part || e.width != width()
                                         || e.height != height();
                                 }),
                  m_cache.end());
    if (m_cache.size() >= kCacheSize) {
        m_cache.erase(std::min_element(m_cache.begin(), m_cache.end(), [](const ScaledPicture &a, const ScaledPicture &b) {
            return a.lastUse < b.lastUse;
        }));
    }
    m_cache.push_back(std::move(made));
    return &m_cache.back();
}

void HalconWindow::drawImage(const ImagePtr &image)
{
    const ScaledPicture *scaled = scaledPicture(image);
    if (scaled->picture.isNull())
        return;
    QPainter painter(&canvas);
    painter.drawImage(scaled->offset, scaled->picture);
    touch();
}

// ---- Regions -----------------------------------------------------------------------------

void HalconWindow::drawRegion(const RegionElement &region)
{
    if (region.isEmpty())
        return;
    const PartTransform t = transform();
    if (fill)
        fillRegion(region, t);
    else
        outlineRegion(region, t);
    touch();
}

void HalconWindow::fillRegion(const RegionElement &region, const PartTransform &t)
{
    int rowFirst, rowLast, columnFirst, columnLast;
    visibleRange(t.row1, t.scaleY, height(), &rowFirst, &rowLast);
    visibleRange(t.column1, t.scaleX, width(), &columnFirst, &columnLast);
    if (region.row2 < rowFirst || region.row1 > rowLast || region.col2 < columnFirst || region.col1 > columnLast)
        return;

    const int w = width();
    const int h = height();
    const bool direct = opaqueColor();
    std::unique_ptr<QPainter> painter;
    uchar *bits = nullptr;
    qsizetype bytesPerLine = 0;
    if (direct) {
        bits = canvas.bits(); // detaches a shared canvas once
        bytesPerLine = canvas.bytesPerLine();
    } else {
        painter = std::make_unique<QPainter>(&canvas);
    }
    const QRgb pixel = color.rgba();

    int currentRow = rowFirst - 1;
    int y0 = 0;
    int y1 = 0;
    for (auto it = firstRunOfRow(region.runs, rowFirst); it != region.runs.end() && it->row <= rowLast; ++it) {
        if (it->row != currentRow) {
            currentRow = it->row;
            y0 = std::max(0, firstPixelFrom((currentRow - t.row1) * t.scaleY));
            y1 = std::min(h, firstPixelFrom((currentRow + 1 - t.row1) * t.scaleY));
            // A row thinner than a window pixel still shows, as in a zoomed-out view.
            if (y1 <= y0 && y0 < h)
                y1 = y0 + 1;
        }
        if (y1 <= y0 || it->colEnd < columnFirst || it->colBegin > columnLast)
            continue;
        const int begin = std::max(it->colBegin, columnFirst);
        const int end = std::min(it->colEnd, columnLast);
        const int x0 = std::max(0, firstPixelFrom((begin - t.column1) * t.scaleX));
        int x1 = std::min(w, firstPixelFrom((end + 1 - t.column1) * t.scaleX));
        if (x1 <= x0) {
            if (x0 >= w)
                continue;
            x1 = x0 + 1;
        }
        if (direct) {
            for (int y = y0; y < y1; ++y) {
                auto *line = reinterpret_cast<QRgb *>(bits + y * bytesPerLine);
                std::fill(line + x0, line + x1, pixel);
            }
        } else {
            painter->fillRect(QRect(x0, y0, x1 - x0, y1 - y0), color);
        }
    }
}

namespace {

// The part of [begin, end] that the runs of a neighbouring row do not cover, interval by
// interval. `from` walks forward over the neighbour's runs as the runs of a row ascend.
template<class Report>
void uncovered(const Run *neighbourEnd, const Run *&from, int begin, int end, Report report)
{
    while (from != neighbourEnd && from->colEnd < begin)
        ++from;
    int next = begin;
    for (const Run *run = from; run != neighbourEnd && run->colBegin <= end; ++run) {
        if (run->colBegin > next)
            report(next, run->colBegin - 1);
        next = std::max(next, run->colEnd + 1);
        if (next > end)
            return;
    }
    if (next <= end)
        report(next, end);
}

bool covers(const Run *runs, const Run *runsEnd, int column)
{
    const Run *it = std::lower_bound(runs, runsEnd, column, [](const Run &run, int c) { return run.colEnd < c; });
    return it != runsEnd && it->colBegin <= column;
}

} // namespace

void HalconWindow::outlineRegion(const RegionElement &region, const PartTransform &t)
{
    int rowFirst, rowLast, columnFirst, columnLast;
    visibleRange(t.row1, t.scaleY, height(), &rowFirst, &rowLast);
    visibleRange(t.column1, t.scaleX, width(), &columnFirst, &columnLast);
    // Lines of a wide pen reach beyond their pixels.
    const int reachX = int(std::ceil(lineWidth / t.scaleX)) + 1;
    const int reachY = int(std::ceil(lineWidth / t.scaleY)) + 1;
    rowFirst -= reachY;
    rowLast += reachY;
    columnFirst -= reachX;
    columnLast += reachX;
    if (region.row2 < rowFirst || region.row1 > rowLast || region.col2 < columnFirst || region.col1 > columnLast)
        return;

    // The outline runs through the centres of the border pixels, as a closed chain: each
    // crack between a region pixel and an outside pixel, moved half a pixel inwards, and
    // its ends moved in at outer corners and out at inner corners so that neighbouring
    // pieces meet. Coordinates below are pixel edges: pixel c spans c .. c + 1.
    m_lines.clear();
    const Run *all = region.runs.data();
    const Run *allEnd = all + region.runs.size();
    auto rowEnd = [allEnd](const Run *start) {
        const Run *e = start;
        while (e != allEnd && e->row == start->row)
            ++e;
        return e;
    };
    auto addLine = [this, &t](double x1, double y1, double x2, double y2) {
        m_lines.emplace_back(t.x(x1 - 0.5), t.y(y1 - 0.5), t.x(x2 - 0.5), t.y(y2 - 0.5));
    };
    const Run *previous = nullptr;
    const Run *previousEnd = nullptr;
    const Run *current = all + (firstRunOfRow(region.runs, rowFirst) - region.runs.begin());
    // The row above the first visible one is needed for its corners.
    if (current != all && (current - 1)->row == current->row - 1) {
        previousEnd = current;
        previous = current - 1;
        while (previous != all && (previous - 1)->row == previousEnd[-1].row)
            --previous;
    }
    while (current != allEnd && current->row <= rowLast) {
        const Run *currentEnd = rowEnd(current);
        const int row = current->row;
        const bool hasAbove = previous && previous->row == row - 1;
        const Run *above = hasAbove ? previous : nullptr;
        const Run *aboveEnd = hasAbove ? previousEnd : nullptr;
        const bool hasBelow = currentEnd != allEnd && currentEnd->row == row + 1;
        const Run *below = hasBelow ? currentEnd : nullptr;
        const Run *belowEnd = hasBelow ? rowEnd(currentEnd) : nullptr;
        const double middle = row + 0.5;
        const Run *aboveWalk = above;
        const Run *belowWalk = below;
        for (const Run *run = current; run != currentEnd; ++run) {
            if (run->colEnd < columnFirst || run->colBegin > columnLast)
                continue;
            // Along the row: an end at the run's end is an outer corner, else an inner one.
            auto horizontal = [&](int begin, int end) {
                const double left = begin == run->colBegin ? begin + 0.5 : begin - 0.5;
                const double right = end == run->colEnd ? end + 0.5 : end + 1.5;
                addLine(left, middle, right, middle);
            };
            uncovered(aboveEnd, aboveWalk, run->colBegin, run->colEnd, horizontal);
            uncovered(belowEnd, belowWalk, run->colBegin, run->colEnd, horizontal);
            // Down the run's ends. `inner` is the neighbour pixel on the region's side of
            // the end, `outer` the one beyond it.
            for (int side = 0; side < 2; ++side) {
                const int column = side == 0 ? run->colBegin : run->colEnd;
                const int beyond = side == 0 ? column - 1 : column + 1;
                const double x = column + 0.5;
                double top = middle;
                if (covers(above, aboveEnd, column))
                    top = covers(above, aboveEnd, beyond) ? row - 0.5 : row;
                double bottom = middle;
                if (covers(below, belowEnd, column))
                    bottom = covers(below, belowEnd, beyond) ? row + 1.5 : row + 1;
                addLine(x, top, x, bottom);
                if (run->colBegin == run->colEnd)
                    break;
            }
        }
        previous = current;
        previousEnd = currentEnd;
        current = currentEnd;
    }
    strokeLines();
}

void HalconWindow::strokeLines()
{
    if (m_lines.empty())
        return;
    if (thinOpaque()) {
        ThinLines lines(canvas, color.rgba());
        for (const QLineF &l : m_lines)
            lines.line(l.p1(), l.p2());
        return;
    }
    QPainter painter(&canvas);
    QPen pen(color, lineWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    painter.setPen(pen);
    painter.drawLines(m_lines.data(), int(m_lines.size()));
}

// ---- Contours and lines ------------------------------------------------------------------

void HalconWindow::drawXld(const XldElement &xld)
{
    const size_t n = xld.points.size();
    if (n == 0)
        return;
    const PartTransform t = transform();
    // Skip contours that cannot reach the window, before mapping a single point.
    double rowMin = xld.points[0].row, rowMax = rowMin;
    double columnMin = xld.points[0].col, columnMax = columnMin;
    for (const XldPoint &p : xld.points) {
        rowMin = std::min(rowMin, p.row);
        rowMax = std::max(rowMax, p.row);
        columnMin = std::min(columnMin, p.col);
        columnMax = std::max(columnMax, p.col);
    }
    const double reach = lineWidth;
    if (t.x(columnMax) < -reach || t.x(columnMin) > width() + reach || t.y(rowMax) < -reach
        || t.y(rowMin) > height() + reach)
        return;

    m_points.resize(n);
    for (size_t i = 0; i < n; ++i)
        m_points[i] = QPointF(t.x(xld.points[i].col), t.y(xld.points[i].row));
    if (thinOpaque()) {
        ThinLines lines(canvas, color.rgba());
        if (n == 1)
            lines.line(m_points[0], m_points[0]);
        for (size_t i = 1; i < n; ++i)
            lines.line(m_points[i - 1], m_points[i]);
        touch();
        return;
    }
    QPainter painter(&canvas);
    painter.setPen(QPen(color, lineWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    if (n == 1)
        painter.drawPoint(m_points[0]);
    else
        painter.drawPolyline(m_points.data(), int(n));
    touch();
}

void HalconWindow::drawLine(double row1, double column1, double row2, double column2)
{
    const PartTransform t = transform();
    m_lines.clear();
    m_lines.emplace_back(t.x(column1), t.y(row1), t.x(column2), t.y(row2));
    strokeLines();
    touch();
}

// ---- Text --------------------------------------------------------------------------------

namespace {

bool haveGuiApplication()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

QFont makeFont(const FontSpec &spec)
{
    QFont font = spec.family.isEmpty() ? QGuiApplication::font() : QFont(spec.family);
    font.setPixelSize(spec.pixelSize);
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
    font.setUnderline(spec.underline);
    font.setStrikeOut(spec.strikeOut);
    return font;
}

} // namespace

bool HalconWindow::writeText(const QString &text)
{
    if (!haveGuiApplication())
        return false;
    const QFont qfont = makeFont(font);
    const QFontMetricsF metrics(qfont);
    const PartTransform t = transform();
    const double x = t.x(textColumn);
    const double y = t.y(textRow);
    const QStringList lines = text.split(QLatin1Char('\n'));
    {
        QPainter painter(&canvas);
        painter.setFont(qfont);
        painter.setPen(color);
        for (qsizetype i = 0; i < lines.size(); ++i)
            painter.drawText(QPointF(x, y + i * metrics.lineSpacing() + metrics.ascent()), lines[i]);
    }
    const double advance = metrics.horizontalAdvance(lines.back());
    textRow += (lines.size() - 1) * metrics.lineSpacing() / t.scaleY;
    textColumn += advance / t.scaleX;
    touch();
    return true;
}

bool HalconWindow::textExtents(const QString &text, int *ascent, int *descent, int *textWidth, int *textHeight) const
{
    if (!haveGuiApplication())
        return false;
    const QFontMetricsF metrics(makeFont(font));
    double widest = 0.0;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    *ascent = int(std::ceil(metrics.ascent()));
    *descent = int(std::ceil(metrics.descent()));
    *textWidth = int(std::ceil(widest));
    *textHeight = int(std::ceil((lines.size() - 1) * metrics.lineSpacing() + metrics.height()));
    return true;
}

} // namespace Halcon::Display
