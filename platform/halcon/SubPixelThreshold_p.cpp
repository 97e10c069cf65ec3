#include "SubPixelThreshold_p.h"

#include "HalconAop_p.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <type_traits>

namespace Halcon::Detail {

namespace {

// Bands shorter than this cost more to join than they save.
constexpr int kMinBandRows = 32;
// Contours whose points are gathered by one thread at a time.
constexpr int kWalksPerChunk = 16;

// A crossing of the iso-line with the line between two neighbouring pixel centres. Each
// crossing is made once, by the first cell that meets it, and linked by the cells on both
// sides: `next` by the cell where the contour leaves through it, `prev` by the other one.
// Within a band of rows, -1 is no crossing and kOutside - x the crossing on the band's top
// line at column x that the band above made.
struct Crossing
{
    double row;
    double col;
    std::int32_t next;
    std::int32_t prev;
};

// Every band's crossings in one list. Made uninitialised: each is written once, on the pool,
// so that the pages are first touched there rather than cleared on one thread.
class CrossingList
{
public:
    explicit CrossingList(size_t size) : m_data(new Crossing[size]), m_size(size) {}
    size_t size() const { return m_size; }
    Crossing &operator[](size_t i) { return m_data[i]; }
    const Crossing &operator[](size_t i) const { return m_data[i]; }

    // Where each band's crossings begin, and after the last one the end.
    std::vector<std::int32_t> bandStarts;

private:
    std::unique_ptr<Crossing[]> m_data;
    size_t m_size;
};

constexpr std::int32_t kNone = -1;
constexpr std::int32_t kOutside = -2;

bool outside(std::int32_t id)
{
    return id <= kOutside;
}

// The domain of one row of the bounding box as bytes 0/1, filled from the runs; rows are
// asked for in rising order from `firstRow` on.
class DomainRows
{
public:
    DomainRows(const ImageElement &image, int col1, int width, int firstRow)
        : m_runs(image.hasFullDomain() ? nullptr : &image.domain->runs), m_col1(col1), m_width(width)
    {
        if (m_runs)
            m_next = size_t(std::lower_bound(m_runs->begin(), m_runs->end(), firstRow,
                                             [](const Run &run, int row) { return run.row < row; })
                            - m_runs->begin());
    }

    void fill(int row, std::uint8_t *mask)
    {
        if (!m_runs) {
            std::memset(mask, 1, size_t(m_width));
            return;
        }
        std::memset(mask, 0, size_t(m_width));
        const std::vector<Run> &runs = *m_runs;
        while (m_next < runs.size() && runs[m_next].row < row)
            ++m_next;
        for (size_t i = m_next; i < runs.size() && runs[i].row == row; ++i) {
            const int b = std::max(runs[i].colBegin - m_col1, 0);
            const int e = std::min(runs[i].colEnd - m_col1, m_width - 1);
            if (b <= e)
                std::memset(mask + b, 1, size_t(e - b + 1));
        }
    }

private:
    const std::vector<Run> *m_runs;
    int m_col1;
    int m_width;
    size_t m_next = 0;
};

// The bounding box of the domain that cells of 2 x 2 pixels can cover.
struct CellArea
{
    int row1 = 0;
    int col1 = 0;
    int row2 = -1;
    int col2 = -1;
    bool empty() const { return row2 <= row1 || col2 <= col1; }
    int width() const { return col2 - col1 + 1; }
};

CellArea cellArea(const ImageElement &image)
{
    CellArea a{0, 0, image.height - 1, image.width - 1};
    if (!image.hasFullDomain()) {
        const RegionElement &d = *image.domain;
        if (d.isEmpty())
            return CellArea{};
        a.row1 = std::max(a.row1, int(d.row1));
        a.col1 = std::max(a.col1, int(d.col1));
        a.row2 = std::min(a.row2, int(d.row2));
        a.col2 = std::min(a.col2, int(d.col2));
    }
    return a;
}

// The crossings and links that the cells of the cell rows [rowBegin, rowEnd) make, in the
// order a scan of the whole area makes them; the crossings on the band's top line that the
// cells above make are left to the band above.
struct Band
{
    std::vector<Crossing> points;
    // Crossing ids on the band's bottom line, by column (kNone where none was made).
    std::vector<std::int32_t> bottom;
};

template<class T>
class BandTracer
{
public:
    BandTracer(const ImageElement &image, const CellArea &area, double threshold)
        : m_image(image), m_area(area), m_threshold(threshold)
    {
    }

    void run(int rowBegin, int rowEnd, Band &band)
    {
        m_points = &band.points;
        const int width = m_area.width();
        const int col1 = m_area.col1;
        const size_t span = size_t(width);
        m_points->reserve(size_t(4 * (width + (rowEnd - rowBegin + 1))));

        // Row buffers: domain of the upper and lower pixel row, crossing ids of the upper
        // and lower horizontal lines and of the vertical lines of the current cell row.
        std::vector<std::uint8_t> maskUpper(span), maskLower(span);
        std::vector<std::int32_t> idsUpper(span, kNone), idsLower(span, kNone), idsVertical(span, kNone);
        const cv::Mat &plane = m_image.planes[0];
        const double t = m_threshold;
        if (rowBegin > m_area.row1) {
            // The cells of the row above made their bottom crossings first.
            DomainRows above(m_image, col1, width, rowBegin - 1);
            above.fill(rowBegin - 1, maskUpper.data());
            DomainRows top(m_image, col1, width, rowBegin);
            top.fill(rowBegin, maskLower.data());
            const T *row = plane.ptr<T>(rowBegin);
            for (int x = 0; x + 1 < width; ++x) {
                const bool masks = maskUpper[size_t(x)] && maskUpper[size_t(x) + 1] && maskLower[size_t(x)]
                    && maskLower[size_t(x) + 1];
                if (masks && ((double(row[col1 + x]) >= t) != (double(row[col1 + x + 1]) >= t)))
                    idsUpper[size_t(x)] = kOutside - x;
            }
        }
        // Which side of the threshold each pixel of the upper and lower row lies on, padded
        // so that a word can be read at every cell; cells with four corners on one side make
        // no crossing, and whole words of them are passed over.
        std::vector<std::uint8_t> sideUpper(span + kWord, 0), sideLower(span + kWord, 0);
        sides(plane.ptr<T>(rowBegin) + col1, width, sideUpper.data());
        // The cells that wrote ids in this and the previous cell row: only those ids are put
        // back to kNone, not whole rows.
        std::vector<int> cellsNow, cellsBefore;
        DomainRows domain(m_image, col1, width, rowBegin);
        domain.fill(rowBegin, maskUpper.data());
        for (int r = rowBegin; r < rowEnd; ++r) {
            domain.fill(r + 1, maskLower.data());
            const T *upper = plane.ptr<T>(r);
            const T *lower = plane.ptr<T>(r + 1);
            sides(lower + col1, width, sideLower.data());
            cellsNow.clear();
            const int cells = width - 1;
            for (int x = 0; x < cells; x += kWord) {
                std::uint64_t changes = sideChanges(sideUpper.data() + x, sideLower.data() + x);
                if (cells - x < kWord)
                    changes &= (std::uint64_t(1) << (8 * (cells - x))) - 1;
                for (; changes != 0; changes &= changes - 1) {
                    const int cx = x + std::countr_zero(changes) / 8;
                    if (!(maskUpper[size_t(cx)] && maskUpper[size_t(cx) + 1] && maskLower[size_t(cx)]
                          && maskLower[size_t(cx) + 1]))
                        continue;
                    const int c = col1 + cx;
                    const double tl = double(upper[c]), tr = double(upper[c + 1]);
                    const double bl = double(lower[c]), br = double(lower[c + 1]);
                    const int code = sideUpper[size_t(cx)] | sideUpper[size_t(cx) + 1] << 1
                        | sideLower[size_t(cx)] << 2 | sideLower[size_t(cx) + 1] << 3;
                    cell(r, c, cx, tl, tr, bl, br, code, idsUpper, idsLower, idsVertical);
                    cellsNow.push_back(cx);
                }
            }
            for (const int x : cellsNow) {
                idsVertical[size_t(x)] = kNone;
                idsVertical[size_t(x) + 1] = kNone;
            }
            std::swap(maskUpper, maskLower);
            std::swap(idsUpper, idsLower);
            std::swap(sideUpper, sideLower);
            // The lower line's ids, made free for the next cell row: written as the bottom
            // line of the row before and as the top line of this one, and in the band's first
            // row also where the band above made crossings.
            if (r == rowBegin) {
                std::fill(idsLower.begin(), idsLower.end(), kNone);
            } else {
                for (const int x : cellsBefore)
                    idsLower[size_t(x)] = kNone;
                for (const int x : cellsNow)
                    idsLower[size_t(x)] = kNone;
            }
            std::swap(cellsNow, cellsBefore);
        }
        band.bottom = std::move(idsUpper);
    }

private:
    static constexpr int kWord = 8;

    // 1 where the pixel lies at or above the threshold, compared as the cells compare it.
    void sides(const T *pixels, int width, std::uint8_t *out) const
    {
        if constexpr (std::is_integral_v<T>) {
            // For whole numbers, v >= t is v >= ceil(t); a threshold beyond the type's range
            // puts every pixel on one side.
            const double t = m_threshold;
            const double top = double(std::numeric_limits<T>::max());
            if (std::isnan(t) || t > top) {
                std::memset(out, 0, size_t(width));
                return;
            }
            if (t <= 0.0) {
                std::memset(out, 1, size_t(width));
                return;
            }
            const T least = T(std::ceil(t));
            for (int x = 0; x < width; ++x)
                out[x] = pixels[x] >= least ? 1 : 0;
        } else {
            const double t = m_threshold;
            for (int x = 0; x < width; ++x)
                out[x] = double(pixels[x]) >= t ? 1 : 0;
        }
    }

    // A byte per cell of the word, the first cell's lowest: non-zero where the cell's corners
    // lie on both sides.
    static_assert(std::endian::native == std::endian::little);
    static std::uint64_t sideChanges(const std::uint8_t *upper, const std::uint8_t *lower)
    {
        std::uint64_t u0, u1, l0, l1;
        std::memcpy(&u0, upper, sizeof u0);
        std::memcpy(&u1, upper + 1, sizeof u1);
        std::memcpy(&l0, lower, sizeof l0);
        std::memcpy(&l1, lower + 1, sizeof l1);
        return (u0 ^ u1) | (u0 ^ l0) | (l0 ^ l1);
    }

    std::int32_t add(double row, double col)
    {
        m_points->push_back({row, col, kNone, kNone});
        return std::int32_t(m_points->size() - 1);
    }

    // Interpolated position of the threshold between two values that lie on either side;
    // a NaN or infinite pixel of a real image (counted as below) puts it half-way.
    double fraction(double from, double to) const
    {
        const double f = (m_threshold - from) / (to - from);
        return std::isfinite(f) ? std::clamp(f, 0.0, 1.0) : 0.5;
    }

    void cell(int r, int c, int x, double tl, double tr, double bl, double br, int code,
              std::vector<std::int32_t> &idsUpper, std::vector<std::int32_t> &idsLower,
              std::vector<std::int32_t> &idsVertical)
    {
        const bool bTl = code & 1, bTr = code & 2, bBl = code & 4, bBr = code & 8;
        // Crossings in counter-clockwise order on screen around the cell: bottom side
        // (BL -> BR), right (BR -> TR), top (TR -> TL), left (TL -> BL). Leaving the bright
        // side there is an exit; the contour runs from an exit to an entry so that the
        // bright side lies on its left.
        std::int32_t ids[4];
        bool exits[4];
        int n = 0;
        if (bBl != bBr) {
            std::int32_t &id = idsLower[size_t(x)];
            if (id == kNone)
                id = add(r + 1, c + fraction(bl, br));
            ids[n] = id;
            exits[n++] = bBl;
        }
        if (bBr != bTr) {
            std::int32_t &id = idsVertical[size_t(x) + 1];
            if (id == kNone)
                id = add(r + fraction(tr, br), c + 1);
            ids[n] = id;
            exits[n++] = bBr;
        }
        if (bTr != bTl) {
            std::int32_t &id = idsUpper[size_t(x)];
            if (id == kNone)
                id = add(r, c + fraction(tl, tr));
            ids[n] = id;
            exits[n++] = bTr;
        }
        if (bTl != bBl) {
            std::int32_t &id = idsVertical[size_t(x)];
            if (id == kNone)
                id = add(r + fraction(tl, bl), c);
            ids[n] = id;
            exits[n++] = bTl;
        }
        if (n == 2) {
            link(exits[0] ? ids[0] : ids[1], exits[0] ? ids[1] : ids[0]);
            return;
        }
        // Saddle: exits and entries alternate. With the cell's mean on the bright side the
        // bright corners connect through the cell (each exit goes to the following entry,
        // cutting off a dark corner); otherwise each exit goes to the preceding entry.
        const bool brightCentre = (tl + tr + bl + br) * 0.25 >= m_threshold;
        for (int i = 0; i < 4; ++i) {
            if (exits[i])
                link(ids[i], ids[brightCentre ? (i + 1) % 4 : (i + 3) % 4]);
        }
    }

    // A crossing of the band above keeps the link in the band's own crossing, to be set
    // when the bands are joined.
    void link(std::int32_t from, std::int32_t to)
    {
        if (!outside(from))
            (*m_points)[size_t(from)].next = to;
        if (!outside(to))
            (*m_points)[size_t(to)].prev = from;
    }

    const ImageElement &m_image;
    const CellArea m_area;
    const double m_threshold;
    std::vector<Crossing> *m_points = nullptr;
};

// One list of every band's crossings, numbered as a scan of the whole area numbers them,
// with the links across band lines set on both crossings. The bands are copied side by side;
// the few links that reach into the band above are set afterwards.
CrossingList joinBands(const std::vector<Band> &bands, std::string_view type)
{
    std::vector<std::int32_t> offsets(bands.size() + 1, 0);
    for (size_t b = 0; b < bands.size(); ++b)
        offsets[b + 1] = offsets[b] + std::int32_t(bands[b].points.size());
    CrossingList all(size_t(offsets.back()));
    all.bandStarts = offsets;
    // Per band: (crossing above, crossing of this band, whether the link runs upwards).
    struct UpLink
    {
        std::int32_t above;
        std::int32_t self;
        bool toAbove;
    };
    std::vector<std::vector<UpLink>> upLinks(bands.size());
    Aop::parallelChunks("threshold_sub_pix", type, int(bands.size()), 1, [&](int first, int end) {
        for (size_t b = size_t(first); b < size_t(end); ++b) {
            const std::int32_t offset = offsets[b];
            const auto global = [&](std::int32_t id) -> std::int32_t {
                if (id == kNone)
                    return kNone;
                if (!outside(id))
                    return offset + id;
                return offsets[b - 1] + bands[b - 1].bottom[size_t(kOutside - id)];
            };
            const std::vector<Crossing> &points = bands[b].points;
            for (size_t i = 0; i < points.size(); ++i) {
                const Crossing &p = points[i];
                const std::int32_t self = offset + std::int32_t(i);
                all[size_t(self)] = {p.row, p.col, global(p.next), global(p.prev)};
                // The crossing above learns of the link only from this side.
                if (p.next != kNone && outside(p.next))
                    upLinks[b].push_back({global(p.next), self, true});
                if (p.prev != kNone && outside(p.prev))
                    upLinks[b].push_back({global(p.prev), self, false});
            }
        }
    });
    for (const std::vector<UpLink> &links : upLinks) {
        for (const UpLink &link : links) {
            if (link.toAbove)
                all[size_t(link.above)].prev = link.self;
            else
                all[size_t(link.above)].next = link.self;
        }
    }
    return all;
}

void finish(std::vector<XldPoint> &points, bool closed, XldPtr &out)
{
    if (closed && points.size() > 1 && points.back().row == points.front().row
        && points.back().col == points.front().col)
        points.pop_back();
    if (points.size() < 2)
        return; // collapsed to one point: outlines nothing
    if (closed)
        points.push_back(points.front());
    out = makeContour(std::move(points));
}

void append(std::vector<XldPoint> &points, const Crossing &p)
{
    // Grey values equal to the threshold put neighbouring crossings on one pixel centre.
    if (points.empty() || points.back().row != p.row || points.back().col != p.col)
        points.push_back({p.row, p.col});
}

// One contour of the trace: where it starts, how many crossings it takes, whether it closes.
struct Walk
{
    std::int32_t start;
    std::int32_t length;
    bool closed;
};

// The walks one after the other, as they share the visited marks: open contours start
// where the domain ends, at a crossing without predecessor; what is left runs in loops, each
// from its first crossing.
std::vector<Walk> serialWalks(const CrossingList &crossings)
{
    const size_t n = crossings.size();
    std::vector<std::uint8_t> visited(n, 0);
    std::vector<Walk> walks;
    const auto walk = [&](size_t i, bool closed) {
        std::int32_t length = 0;
        for (std::int32_t k = std::int32_t(i); k >= 0 && !visited[size_t(k)]; k = crossings[size_t(k)].next) {
            visited[size_t(k)] = 1;
            ++length;
        }
        walks.push_back({std::int32_t(i), length, closed});
    };
    for (size_t i = 0; i < n; ++i) {
        if (!visited[i] && crossings[i].prev < 0)
            walk(i, false);
    }
    for (size_t i = 0; i < n; ++i) {
        if (!visited[i])
            walk(i, true);
    }
    return walks;
}

// Part of a contour inside one band: from a crossing whose predecessor lies in another band
// (or that has none) to where the contour leaves the band or ends.
struct Fragment
{
    std::int32_t head;
    std::int32_t tail;
    std::int32_t length;
    std::int32_t lowest;
};

struct BandWalks
{
    std::vector<Fragment> fragments;
    std::vector<Walk> loops; // contours closed within the band
    bool consistent = true;
};

// Every link of the band's crossings is checked from both ends on the way: the walks below
// rely on each crossing having at most one predecessor and one successor.
void walkBand(const CrossingList &crossings, std::int32_t first, std::int32_t end, std::vector<std::uint8_t> &visited,
              BandWalks &out)
{
    const std::int32_t n = std::int32_t(crossings.size());
    const auto valid = [n](std::int32_t id) { return id == kNone || (id >= 0 && id < n); };
    const auto inBand = [first, end](std::int32_t id) { return id >= first && id < end; };
    // Walks from `start` while the contour stays in the band; false if a link is one-sided.
    const auto walk = [&](std::int32_t start, Fragment &f) {
        f = {start, start, 0, start};
        for (std::int32_t k = start;;) {
            if (visited[size_t(k)])
                return false;
            visited[size_t(k)] = 1;
            ++f.length;
            f.lowest = std::min(f.lowest, k);
            f.tail = k;
            const std::int32_t next = crossings[size_t(k)].next;
            if (!valid(next) || (next != kNone && crossings[size_t(next)].prev != k))
                return false;
            if (!inBand(next) || next == start)
                return true;
            k = next;
        }
    };
    for (std::int32_t i = first; i < end; ++i) {
        const std::int32_t prev = crossings[size_t(i)].prev;
        if (!valid(prev)) {
            out.consistent = false;
            return;
        }
        if (inBand(prev))
            continue;
        if (prev != kNone && crossings[size_t(prev)].next != i) {
            out.consistent = false;
            return;
        }
        Fragment f;
        if (!walk(i, f)) {
            out.consistent = false;
            return;
        }
        out.fragments.push_back(f);
    }
    // Whatever no fragment reached has its predecessor in the band all the way round.
    for (std::int32_t i = first; i < end; ++i) {
        if (visited[size_t(i)])
            continue;
        Fragment f;
        if (!walk(i, f) || crossings[size_t(f.tail)].next != i) {
            out.consistent = false;
            return;
        }
        out.loops.push_back({i, f.length, true});
    }
}

// The walks of serialWalks, found band by band on the pool and strung together across the
// band lines; false where the links are not those of separate lines and loops.
bool bandWalks(const CrossingList &crossings, std::string_view type, std::vector<Walk> &walks)
{
    const std::vector<std::int32_t> &starts = crossings.bandStarts;
    const size_t bands = starts.size() - 1;
    std::vector<std::uint8_t> visited(crossings.size(), 0);
    std::vector<BandWalks> found(bands);
    Aop::parallelChunks("threshold_sub_pix", type, int(bands), 1, [&](int first, int end) {
        for (size_t b = size_t(first); b < size_t(end); ++b)
            walkBand(crossings, starts[b], starts[b + 1], visited, found[b]);
    });
    std::vector<Fragment> fragments;
    std::vector<Walk> closed;
    for (BandWalks &band : found) {
        if (!band.consistent)
            return false;
        fragments.insert(fragments.end(), band.fragments.begin(), band.fragments.end());
        closed.insert(closed.end(), band.loops.begin(), band.loops.end());
    }
    // Fragments come by head, band after band; a contour goes on at the head its tail links to.
    const auto fragmentAt = [&fragments](std::int32_t head) -> std::int32_t {
        const auto it = std::lower_bound(fragments.begin(), fragments.end(), head,
                                         [](const Fragment &f, std::int32_t id) { return f.head < id; });
        return it != fragments.end() && it->head == head ? std::int32_t(it - fragments.begin()) : -1;
    };
    std::vector<std::uint8_t> used(fragments.size(), 0);
    // From fragment f as far as the links go; false if a fragment is met twice or missing.
    const auto follow = [&](std::int32_t f, Walk &w, bool closes) {
        for (std::int32_t g = f;;) {
            if (used[size_t(g)])
                return false;
            used[size_t(g)] = 1;
            w.length += fragments[size_t(g)].length;
            w.start = std::min(w.start, fragments[size_t(g)].lowest);
            const std::int32_t next = crossings[size_t(fragments[size_t(g)].tail)].next;
            if (next == kNone)
                return !closes;
            g = fragmentAt(next);
            if (g < 0)
                return false;
            if (g == f)
                return closes;
        }
    };
    walks.clear();
    for (size_t f = 0; f < fragments.size(); ++f) {
        if (crossings[size_t(fragments[f].head)].prev != kNone)
            continue;
        Walk w{fragments[f].head, 0, false};
        if (!follow(std::int32_t(f), w, false))
            return false;
        w.start = fragments[f].head;
        walks.push_back(w);
    }
    for (size_t f = 0; f < fragments.size(); ++f) {
        if (used[f])
            continue;
        Walk w{fragments[f].lowest, 0, true};
        if (!follow(std::int32_t(f), w, true))
            return false;
        closed.push_back(w);
    }
    // Loops start at their first crossing, and come in that order after the open lines.
    std::sort(closed.begin(), closed.end(), [](const Walk &a, const Walk &b) { return a.start < b.start; });
    walks.insert(walks.end(), closed.begin(), closed.end());
    return true;
}

void trace(const CrossingList &crossings, std::string_view type, std::vector<XldPtr> &out)
{
    // Where each contour starts and how long it is, then its points, on the pool.
    std::vector<Walk> walks;
    if (crossings.bandStarts.size() <= 2 || !bandWalks(crossings, type, walks))
        walks = serialWalks(crossings);
    std::vector<XldPtr> contours(walks.size());
    Aop::parallelChunks("threshold_sub_pix", type, int(walks.size()), kWalksPerChunk, [&](int first, int end) {
        for (size_t w = size_t(first); w < size_t(end); ++w) {
            // Taken by the contour: made at its final size (a closed one repeats its start).
            std::vector<XldPoint> points;
            points.reserve(size_t(walks[w].length) + 1);
            std::int32_t k = walks[w].start;
            for (std::int32_t step = 0; step < walks[w].length; ++step, k = crossings[size_t(k)].next)
                append(points, crossings[size_t(k)]);
            finish(points, walks[w].closed, contours[w]);
        }
    });
    for (XldPtr &contour : contours) {
        if (contour)
            out.push_back(std::move(contour));
    }
}

template<class T>
void traceImage(const ImageElement &image, double threshold, std::vector<XldPtr> &out)
{
    const CellArea area = cellArea(image);
    if (area.empty())
        return; // no cell of 2 x 2 pixels fits
    const int cellRows = area.row2 - area.row1;
    const int threads = std::max(1, Aop::threadCount("threshold_sub_pix", pixelTypeName(image.type)));
    // A few bands per thread keep them all busy where the domain is uneven.
    const int grain = threads == 1 ? cellRows : std::max(kMinBandRows, (cellRows + 4 * threads - 1) / (4 * threads));
    std::vector<Band> bands(size_t((cellRows + grain - 1) / grain));
    Aop::parallelChunks("threshold_sub_pix", pixelTypeName(image.type), cellRows, grain, [&](int first, int end) {
        BandTracer<T>(image, area, threshold).run(area.row1 + first, area.row1 + end, bands[size_t(first / grain)]);
    });
    const char *type = pixelTypeName(image.type);
    trace(joinBands(bands, type), type, out);
}

} // namespace

void subPixelContours(const ImageElement &image, double threshold, std::vector<XldPtr> &out)
{
    switch (image.type) {
    case PixelType::Byte:
        traceImage<std::uint8_t>(image, threshold, out);
        break;
    case PixelType::UInt2:
        traceImage<std::uint16_t>(image, threshold, out);
        break;
    case PixelType::Real:
        traceImage<float>(image, threshold, out);
        break;
    }
}

} // namespace Halcon::Detail
