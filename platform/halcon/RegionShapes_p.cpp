#include "RegionShapes_p.h"

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <limits>

namespace Halcon::Detail {

namespace {

// Tolerance so that a pixel centre lying exactly on a border computed in floating point
// (an axis-parallel rectangle of whole half lengths, a circle through whole pixels) is in.
constexpr double kEdgeTolerance = 1e-7;

int ceilInt(double v)
{
    return int(std::ceil(v - kEdgeTolerance));
}

int floorInt(double v)
{
    return int(std::floor(v + kEdgeTolerance));
}

void pushRun(Runs& runs, int row, double left, double right)
{
    const int cb = ceilInt(left);
    const int ce = floorInt(right);
    if (cb <= ce)
        runs.push_back({row, cb, ce});
}

// floor(v + 0.5), for coordinates well inside int's range (the callers check them); the
// library's floor was about a tenth of filling a colony's outline.
int roundInt(double v)
{
    const double x = v + 0.5;
    const int truncated = int(x);
    return truncated - (x < double(truncated) ? 1 : 0);
}

} // namespace

Runs circleRuns(double row, double column, double radius)
{
    return ellipseRuns(row, column, 0.0, radius, radius);
}

Runs ellipseRuns(double row, double column, double phi, double radius1, double radius2)
{
    Runs runs;
    const double s = std::sin(phi);
    const double c = std::cos(phi);
    const double a2 = radius1 * radius1;
    const double b2 = radius2 * radius2;
    // u = dc*cos - dr*sin (along the main axis), v = dc*sin + dr*cos; inside when
    // u^2/a^2 + v^2/b^2 <= 1, a quadratic in dc for each row offset dr.
    const double qa = c * c / a2 + s * s / b2;
    const double extent = std::sqrt(a2 * s * s + b2 * c * c);
    const int rowBegin = ceilInt(row - extent);
    const int rowEnd = floorInt(row + extent);
    runs.reserve(size_t(std::max(0, rowEnd - rowBegin + 1)));
    for (int r = rowBegin; r <= rowEnd; ++r) {
        const double dr = r - row;
        const double qb = 2.0 * dr * s * c * (1.0 / b2 - 1.0 / a2);
        const double qc = dr * dr * (s * s / a2 + c * c / b2) - 1.0;
        double disc = qb * qb - 4.0 * qa * qc;
        if (disc < 0.0) {
            if (disc < -kEdgeTolerance)
                continue;
            disc = 0.0;
        }
        const double root = std::sqrt(disc);
        pushRun(runs, r, column + (-qb - root) / (2.0 * qa), column + (-qb + root) / (2.0 * qa));
    }
    return runs;
}

Runs rotatedRectangleRuns(double row, double column, double phi, double length1, double length2)
{
    Runs runs;
    const double s = std::sin(phi);
    const double c = std::cos(phi);
    const double extent = length1 * std::abs(s) + length2 * std::abs(c);
    const int rowBegin = ceilInt(row - extent);
    const int rowEnd = floorInt(row + extent);
    for (int r = rowBegin; r <= rowEnd; ++r) {
        const double dr = r - row;
        double lo = -std::numeric_limits<double>::infinity();
        double hi = std::numeric_limits<double>::infinity();
        // |dc*c - dr*s| <= length1 and |dc*s + dr*c| <= length2, each an interval of dc
        // (or all / nothing when the coefficient vanishes).
        auto clamp = [&](double coefficient, double offset, double half) {
            if (std::abs(coefficient) < 1e-12) {
                if (std::abs(offset) > half + kEdgeTolerance)
                    lo = 1.0, hi = 0.0;
                return;
            }
            double a = (-half - offset) / coefficient;
            double b = (half - offset) / coefficient;
            if (a > b)
                std::swap(a, b);
            lo = std::max(lo, a);
            hi = std::min(hi, b);
        };
        clamp(c, -dr * s, length1);
        clamp(s, dr * c, length2);
        if (lo <= hi + 2 * kEdgeTolerance)
            pushRun(runs, r, column + lo, column + hi);
    }
    return runs;
}

namespace {

// The pixels an outline passes through, by row: the columns of row firstRow + k are
// columns[starts[k] .. starts[k + 1]), ascending (a pixel met twice is there twice).
struct OutlinePixels
{
    int firstRow = 0;
    std::vector<int> starts;
    std::vector<int> columns;

    int rows() const { return int(starts.size()) - 1; }
};

// What filling one outline needs besides its result, kept per thread: the colonies of a
// dish are filled by the thousand on every thread, and allocating these for each cost more
// than the filling. Buffers grown past kKeptItems for one long outline are given back after it.
struct FillScratch
{
    static constexpr size_t kKeptItems = size_t(1) << 16;

    struct Edge
    {
        int first;
        int last;
        size_t index; // side from points[index] to the next point
    };

    OutlinePixels outline;
    std::vector<std::pair<int, int>> pixels; // (row, column)
    std::vector<int> next;
    std::vector<Edge> edges;
    std::vector<Edge> sorted;
    std::vector<size_t> byFirst;
    std::vector<size_t> nextEdge;
    std::vector<Edge> active;
    std::vector<double> crossings;
    Runs spans;

    void trim()
    {
        if (pixels.capacity() > kKeptItems || outline.starts.capacity() > kKeptItems
            || byFirst.capacity() > kKeptItems || edges.capacity() > kKeptItems)
            *this = FillScratch();
    }
};

FillScratch& fillScratch()
{
    thread_local FillScratch scratch;
    return scratch;
}

// Gives the per-thread buffers back to their bound when the filling is done, however it ends.
struct TrimmedAfter
{
    FillScratch& scratch;
    ~TrimmedAfter() { scratch.trim(); }
};

void outlinePixels(const std::vector<XldPoint>& points, bool close, FillScratch& scratch)
{
    OutlinePixels& out = scratch.outline;
    out.firstRow = 0;
    out.starts.clear();
    out.columns.clear();
    if (points.empty())
        return;
    std::vector<std::pair<int, int>>& pixels = scratch.pixels;
    pixels.clear();
    const auto addLine = [&pixels](const XldPoint& p, const XldPoint& q) {
        const int r0 = roundInt(p.row);
        const int c0 = roundInt(p.col);
        const int r1 = roundInt(q.row);
        const int c1 = roundInt(q.col);
        const int steps = std::max(std::abs(r1 - r0), std::abs(c1 - c0));
        if (steps == 0) {
            pixels.emplace_back(r0, c0);
            return;
        }
        // Along the longer axis k / steps * steps rounds back to k whatever the division
        // rounded, so that axis counts in whole pixels; the other keeps its rounding.
        const bool alongRows = std::abs(r1 - r0) == steps;
        const int along0 = alongRows ? r0 : c0;
        const int direction = (alongRows ? r1 > r0 : c1 > c0) ? 1 : -1;
        const int across0 = alongRows ? c0 : r0;
        const int across1 = alongRows ? c1 : r1;
        for (int k = 0; k <= steps; ++k) {
            const double t = double(k) / steps;
            const int along = along0 + k * direction;
            const int across = roundInt(across0 + t * (across1 - across0));
            pixels.emplace_back(alongRows ? along : across, alongRows ? across : along);
        }
    };
    if (points.size() == 1)
        addLine(points[0], points[0]);
    for (size_t i = 1; i < points.size(); ++i)
        addLine(points[i - 1], points[i]);
    if (close && points.size() > 2)
        addLine(points.back(), points.front());

    // The lines join end to end and step at most one row at a time, so there are never
    // more rows than pixels: a counting sort by row is linear.
    int firstRow = pixels.front().first;
    int lastRow = firstRow;
    for (const auto& pixel : pixels) {
        firstRow = std::min(firstRow, pixel.first);
        lastRow = std::max(lastRow, pixel.first);
    }
    out.firstRow = firstRow;
    out.starts.assign(size_t(lastRow - firstRow) + 2, 0);
    int* const starts = out.starts.data();
    for (const auto& pixel : pixels)
        ++starts[pixel.first - firstRow + 1];
    for (size_t k = 1; k < out.starts.size(); ++k)
        starts[k] += starts[k - 1];
    out.columns.resize(pixels.size());
    int* const columns = out.columns.data();
    std::vector<int>& nextColumn = scratch.next;
    nextColumn.assign(out.starts.begin(), out.starts.end() - 1);
    int* const next = nextColumn.data();
    for (const auto& pixel : pixels)
        columns[next[pixel.first - firstRow]++] = pixel.second;
    // An outline row holds a few pixels: sorted in place without the general sort's set-up.
    for (int k = 0; k < out.rows(); ++k) {
        int* const begin = columns + starts[k];
        int* const end = columns + starts[k + 1];
        if (end - begin > 16) {
            std::sort(begin, end);
            continue;
        }
        for (int* i = begin + 1; i < end; ++i) {
            const int v = *i;
            int* j = i;
            for (; j > begin && *(j - 1) > v; --j)
                *j = *(j - 1);
            *j = v;
        }
    }
}

// Appends one row: the union of the outline's pixels (ascending) and the spans inside
// (ascending by first column), as the fewest runs; touching intervals are joined.
void addRow(Runs& runs, int row, const int* pixels, const int* pixelsEnd, const Runs& spans)
{
    bool open = false;
    std::int64_t begin = 0;
    std::int64_t end = 0;
    const auto add = [&](std::int64_t first, std::int64_t last) {
        if (open && first <= end + 1) {
            end = std::max(end, last);
            return;
        }
        if (open)
            runs.push_back({row, int(begin), int(end)});
        open = true;
        begin = first;
        end = last;
    };
    auto span = spans.begin();
    while (pixels != pixelsEnd || span != spans.end()) {
        if (span == spans.end() || (pixels != pixelsEnd && *pixels < span->colBegin)) {
            add(*pixels, *pixels);
            ++pixels;
        } else {
            add(span->colBegin, span->colEnd);
            ++span;
        }
    }
    if (open)
        runs.push_back({row, int(begin), int(end)});
}

// The rows a scan line meets: from the lowest point's row rounded up to the highest's
// rounded down. A function of its own: inside the filling both bounds were kept in memory,
// a store and a load for every point.
std::pair<int, int> scanRows(const std::vector<XldPoint>& points)
{
    double low = points[0].row;
    double high = points[0].row;
    for (const XldPoint& p : points) {
        low = std::min(low, p.row);
        high = std::max(high, p.row);
    }
    return {int(std::ceil(low)), int(std::floor(high))};
}

} // namespace

Runs polygonMarginRuns(const std::vector<XldPoint>& points, bool close)
{
    FillScratch& scratch = fillScratch();
    const TrimmedAfter trimmed{scratch};
    outlinePixels(points, close, scratch);
    const OutlinePixels& outline = scratch.outline;
    Runs runs;
    runs.reserve(size_t(std::max(0, outline.rows())));
    const Runs noSpans;
    for (int k = 0; k < outline.rows(); ++k)
        addRow(runs, outline.firstRow + k, outline.columns.data() + outline.starts[size_t(k)],
               outline.columns.data() + outline.starts[size_t(k) + 1], noSpans);
    return runs;
}

Runs polygonFilledRuns(const std::vector<XldPoint>& points)
{
    if (points.size() < 3)
        return polygonMarginRuns(points, true);
    FillScratch& scratch = fillScratch();
    const TrimmedAfter trimmed{scratch};
    outlinePixels(points, true, scratch);
    const OutlinePixels& outline = scratch.outline;
    // Half-open rule: a vertex on the scan line counts for one edge only, so an edge crosses
    // the rows r with min(row) <= r < max(row). Edges join the active list when the scan
    // reaches their first row and leave after their last, so each row looks at the edges
    // that cross it, not at all of them.
    using Edge = FillScratch::Edge;
    const size_t n = points.size();
    std::vector<Edge>& edges = scratch.edges;
    edges.clear();
    for (size_t i = 0; i < n; ++i) {
        const XldPoint& p = points[i];
        const XldPoint& q = points[(i + 1) % n];
        const int first = int(std::ceil(std::min(p.row, q.row)));
        const int last = int(std::ceil(std::max(p.row, q.row))) - 1;
        if (first <= last)
            edges.push_back({first, last, i});
    }
    // Every row an edge crosses lies between the outline's first and last row.
    const auto [scanFirst, scanLast] = scanRows(points);
    const int rowBegin = std::min(outline.firstRow, scanFirst);
    const int rowEnd = std::max(outline.firstRow + outline.rows() - 1, scanLast);
    // The edges by first row, a counting sort over the rows scanned.
    std::vector<size_t>& byFirst = scratch.byFirst;
    byFirst.assign(size_t(rowEnd - rowBegin) + 2, 0);
    for (const Edge& e : edges)
        ++byFirst[size_t(e.first - rowBegin) + 1];
    for (size_t k = 1; k < byFirst.size(); ++k)
        byFirst[k] += byFirst[k - 1];
    std::vector<Edge>& sorted = scratch.sorted;
    sorted.resize(edges.size());
    {
        std::vector<size_t>& next = scratch.nextEdge;
        next.assign(byFirst.begin(), byFirst.end() - 1);
        for (const Edge& e : edges)
            sorted[next[size_t(e.first - rowBegin)]++] = e;
    }

    Runs runs;
    runs.reserve(size_t(rowEnd - rowBegin) + 1);
    std::vector<Edge>& active = scratch.active;
    active.clear();
    std::vector<double>& crossings = scratch.crossings;
    Runs& spans = scratch.spans;
    size_t nextEdge = 0;
    for (int r = rowBegin; r <= rowEnd; ++r) {
        spans.clear();
        if (r >= scanFirst && r <= scanLast) {
            while (nextEdge < sorted.size() && sorted[nextEdge].first <= r)
                active.push_back(sorted[nextEdge++]);
            active.erase(std::remove_if(active.begin(), active.end(), [r](const Edge& e) { return e.last < r; }),
                         active.end());
            crossings.clear();
            for (const Edge& e : active) {
                const XldPoint& p = points[e.index];
                const XldPoint& q = points[e.index + 1 == n ? 0 : e.index + 1];
                crossings.push_back(p.col + (r - p.row) * (q.col - p.col) / (q.row - p.row));
            }
            std::sort(crossings.begin(), crossings.end());
            for (size_t k = 0; k + 1 < crossings.size(); k += 2)
                pushRun(spans, r, crossings[k], crossings[k + 1]);
        }
        const int k = r - outline.firstRow;
        const bool outlined = k >= 0 && k < outline.rows();
        const int* pixels = outlined ? outline.columns.data() + outline.starts[size_t(k)] : nullptr;
        const int* pixelsEnd = outlined ? outline.columns.data() + outline.starts[size_t(k) + 1] : nullptr;
        addRow(runs, r, pixels, pixelsEnd, spans);
    }
    return runs;
}

std::vector<ElementRow> circleElement(double radius)
{
    std::vector<ElementRow> element;
    const int extent = int(std::floor(radius + kEdgeTolerance));
    element.reserve(size_t(2 * std::max(0, extent) + 1));
    for (int dy = -extent; dy <= extent; ++dy) {
        const int w = int(std::floor(std::sqrt(std::max(0.0, radius * radius - double(dy) * dy))
                                     + kEdgeTolerance));
        element.push_back({dy, -w, w});
    }
    return element;
}

std::vector<ElementRow> rectangleElement(int width, int height)
{
    std::vector<ElementRow> element;
    const int top = (height - 1) / 2;
    const int left = (width - 1) / 2;
    element.reserve(size_t(std::max(0, height)));
    for (int dy = -top; dy < height - top; ++dy)
        element.push_back({dy, -left, width - 1 - left});
    return element;
}

} // namespace Halcon::Detail
