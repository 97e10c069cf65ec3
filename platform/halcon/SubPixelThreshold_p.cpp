#include "SubPixelThreshold_p.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace Halcon::Detail {

namespace {

// A crossing of the iso-line with the line between two neighbouring pixel centres. Each
// crossing is made once, by the first cell that meets it, and linked by the cells on both
// sides: `next` by the cell where the contour leaves through it, `prev` by the other one.
struct Crossing
{
    double row;
    double col;
    std::int32_t next;
    std::int32_t prev;
};

// The domain of one row of the bounding box as bytes 0/1, filled from the runs.
class DomainRows
{
public:
    DomainRows(const ImageElement &image, int col1, int width)
        : m_runs(image.hasFullDomain() ? nullptr : &image.domain->runs), m_col1(col1), m_width(width)
    {
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

template<class T>
class IsoTracer
{
public:
    IsoTracer(const ImageElement &image, double threshold) : m_image(image), m_threshold(threshold) {}

    void run(std::vector<XldPtr> &out)
    {
        int row1 = 0, col1 = 0, row2 = m_image.height - 1, col2 = m_image.width - 1;
        if (!m_image.hasFullDomain()) {
            const RegionElement &d = *m_image.domain;
            if (d.isEmpty())
                return;
            row1 = std::max(row1, int(d.row1));
            col1 = std::max(col1, int(d.col1));
            row2 = std::min(row2, int(d.row2));
            col2 = std::min(col2, int(d.col2));
        }
        if (row2 <= row1 || col2 <= col1)
            return; // no cell of 2 x 2 pixels fits
        const int width = col2 - col1 + 1;
        m_points.reserve(size_t(4 * (width + (row2 - row1 + 1))));

        // Row buffers: domain of the upper and lower pixel row, crossing ids of the upper
        // and lower horizontal lines and of the vertical lines of the current cell row.
        std::vector<std::uint8_t> maskUpper(static_cast<size_t>(width)), maskLower(static_cast<size_t>(width));
        const size_t span = static_cast<size_t>(width);
        std::vector<std::int32_t> idsUpper(span, -1), idsLower(span, -1), idsVertical(span, -1);
        DomainRows domain(m_image, col1, width);
        domain.fill(row1, maskUpper.data());

        const cv::Mat &plane = m_image.planes[0];
        const double t = m_threshold;
        for (int r = row1; r < row2; ++r) {
            domain.fill(r + 1, maskLower.data());
            std::fill(idsLower.begin(), idsLower.end(), -1);
            std::fill(idsVertical.begin(), idsVertical.end(), -1);
            const T *upper = plane.ptr<T>(r);
            const T *lower = plane.ptr<T>(r + 1);
            for (int x = 0; x + 1 < width; ++x) {
                const int c = col1 + x;
                const double tl = double(upper[c]), tr = double(upper[c + 1]);
                const double bl = double(lower[c]), br = double(lower[c + 1]);
                const int code = (tl >= t ? 1 : 0) | (tr >= t ? 2 : 0) | (bl >= t ? 4 : 0) | (br >= t ? 8 : 0);
                if (code == 0 || code == 15)
                    continue;
                if (!(maskUpper[size_t(x)] && maskUpper[size_t(x) + 1] && maskLower[size_t(x)] && maskLower[size_t(x) + 1]))
                    continue;
                cell(r, c, x, tl, tr, bl, br, code, idsUpper, idsLower, idsVertical);
            }
            std::swap(maskUpper, maskLower);
            std::swap(idsUpper, idsLower);
        }
        trace(out);
    }

private:
    std::int32_t add(double row, double col)
    {
        m_points.push_back({row, col, -1, -1});
        return std::int32_t(m_points.size() - 1);
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
            if (id < 0)
                id = add(r + 1, c + fraction(bl, br));
            ids[n] = id;
            exits[n++] = bBl;
        }
        if (bBr != bTr) {
            std::int32_t &id = idsVertical[size_t(x) + 1];
            if (id < 0)
                id = add(r + fraction(tr, br), c + 1);
            ids[n] = id;
            exits[n++] = bBr;
        }
        if (bTr != bTl) {
            std::int32_t &id = idsUpper[size_t(x)];
            if (id < 0)
                id = add(r, c + fraction(tl, tr));
            ids[n] = id;
            exits[n++] = bTr;
        }
        if (bTl != bBl) {
            std::int32_t &id = idsVertical[size_t(x)];
            if (id < 0)
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

    void link(std::int32_t from, std::int32_t to)
    {
        m_points[size_t(from)].next = to;
        m_points[size_t(to)].prev = from;
    }

    void finish(std::vector<XldPoint> &points, bool closed, std::vector<XldPtr> &out)
    {
        if (closed && points.size() > 1 && points.back().row == points.front().row
            && points.back().col == points.front().col)
            points.pop_back();
        if (points.size() < 2)
            return; // collapsed to one point: outlines nothing
        if (closed)
            points.push_back(points.front());
        out.push_back(makeContour(points));
    }

    void append(std::vector<XldPoint> &points, const Crossing &p)
    {
        // Grey values equal to the threshold put neighbouring crossings on one pixel centre.
        if (points.empty() || points.back().row != p.row || points.back().col != p.col)
            points.push_back({p.row, p.col});
    }

    void trace(std::vector<XldPtr> &out)
    {
        const size_t n = m_points.size();
        std::vector<std::uint8_t> visited(n, 0);
        std::vector<XldPoint> points;
        points.reserve(256);
        // Open contours start where the domain ends, at a crossing without predecessor.
        for (size_t i = 0; i < n; ++i) {
            if (visited[i] || m_points[i].prev >= 0)
                continue;
            points.clear();
            for (std::int32_t k = std::int32_t(i); k >= 0 && !visited[size_t(k)]; k = m_points[size_t(k)].next) {
                visited[size_t(k)] = 1;
                append(points, m_points[size_t(k)]);
            }
            finish(points, false, out);
        }
        // What is left runs in loops.
        for (size_t i = 0; i < n; ++i) {
            if (visited[i])
                continue;
            points.clear();
            for (std::int32_t k = std::int32_t(i); k >= 0 && !visited[size_t(k)]; k = m_points[size_t(k)].next) {
                visited[size_t(k)] = 1;
                append(points, m_points[size_t(k)]);
            }
            finish(points, true, out);
        }
    }

    const ImageElement &m_image;
    const double m_threshold;
    std::vector<Crossing> m_points;
};

} // namespace

void subPixelContours(const ImageElement &image, double threshold, std::vector<XldPtr> &out)
{
    switch (image.type) {
    case PixelType::Byte:
        IsoTracer<std::uint8_t>(image, threshold).run(out);
        break;
    case PixelType::UInt2:
        IsoTracer<std::uint16_t>(image, threshold).run(out);
        break;
    case PixelType::Real:
        IsoTracer<float>(image, threshold).run(out);
        break;
    }
}

} // namespace Halcon::Detail
