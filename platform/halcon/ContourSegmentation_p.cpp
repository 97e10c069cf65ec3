#include "ContourSegmentation_p.h"

#include "ContourGeometry_p.h"
#include "HalconAop_p.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>

namespace Halcon::Detail {

namespace {

bool closedPoints(const std::vector<XldPoint> &p)
{
    return p.size() > 2 && p.front().row == p.back().row && p.front().col == p.back().col;
}

double distanceToLine2(const XldPoint &p, const XldPoint &a, const XldPoint &b)
{
    const double dr = b.row - a.row, dc = b.col - a.col;
    const double len2 = dr * dr + dc * dc;
    const double er = p.row - a.row, ec = p.col - a.col;
    if (len2 <= 0.0)
        return er * er + ec * ec;
    const double k = er * dc - ec * dr;
    return k * k / len2;
}

// Point lists of one contour seen through unwrapped indices: index i is point i mod n.
class Ring
{
public:
    Ring(const std::vector<XldPoint> &points) : m_points(points), m_n(points.size()) {}
    const XldPoint &operator[](size_t i) const { return m_points[i % m_n]; }
    size_t size() const { return m_n; }

private:
    const std::vector<XldPoint> &m_points;
    size_t m_n;
};

// Polygon vertices between lo and hi (both kept) so that no point lies farther than tol
// from its side.
void simplify(const Ring &s, size_t lo, size_t hi, double tol, std::vector<size_t> &vertices)
{
    std::vector<std::pair<size_t, size_t>> stack{{lo, hi}};
    std::vector<size_t> found{lo, hi};
    const double tol2 = tol * tol;
    while (!stack.empty()) {
        const auto [a, b] = stack.back();
        stack.pop_back();
        double worst = -1.0;
        size_t at = a;
        for (size_t i = a + 1; i < b; ++i) {
            const double d = distanceToLine2(s[i], s[a], s[b]);
            if (d > worst) {
                worst = d;
                at = i;
            }
        }
        if (worst > tol2) {
            found.push_back(at);
            stack.push_back({a, at});
            stack.push_back({at, b});
        }
    }
    std::sort(found.begin(), found.end());
    for (size_t v : found) {
        if (vertices.empty() || vertices.back() != v)
            vertices.push_back(v);
    }
}

class ArcFit
{
public:
    ArcFit(ArcKind kind, double tolerance) : m_kind(kind), m_tolerance(tolerance) {}

    // Whether the contour from point lo to point hi lies within the tolerance of one
    // circle (or ellipse). The sides are sampled at least every pixel, so that a few
    // corners on a circle (a square's) do not pass for it.
    bool fits(const Ring &s, size_t lo, size_t hi)
    {
        m_buffer.clear();
        for (size_t i = lo; i <= hi; ++i) {
            const XldPoint &a = s[i];
            m_buffer.push_back(a);
            if (i == hi)
                break;
            const XldPoint &b = s[i + 1];
            const int steps = int(std::min(1000.0, std::ceil(std::hypot(b.row - a.row, b.col - a.col))));
            for (int k = 1; k < steps; ++k) {
                const double f = double(k) / double(steps);
                m_buffer.push_back({a.row + f * (b.row - a.row), a.col + f * (b.col - a.col)});
            }
        }
        if (hi - lo < 2 || m_buffer.size() < 3)
            return false;
        if (fitsCircle())
            return true;
        return m_kind == ArcKind::Ellipses && m_buffer.size() >= 5 && fitsEllipse();
    }

private:
    void bufferMean(double &mr, double &mc) const
    {
        mr = 0.0;
        mc = 0.0;
        for (const XldPoint &p : m_buffer) {
            mr += p.row;
            mc += p.col;
        }
        mr /= double(m_buffer.size());
        mc /= double(m_buffer.size());
    }

    bool fitsCircle()
    {
        // Algebraic least squares about the mean: u^2 + v^2 + D u + E v + F = 0.
        double mr = 0.0, mc = 0.0;
        bufferMean(mr, mc);
        double a[3][4] = {};
        for (const XldPoint &p : m_buffer) {
            const double u = p.col - mc, v = p.row - mr, w = -(u * u + v * v);
            const double row[3] = {u, v, 1.0};
            for (int i = 0; i < 3; ++i) {
                for (int j = 0; j < 3; ++j)
                    a[i][j] += row[i] * row[j];
                a[i][3] += row[i] * w;
            }
        }
        double x[3];
        if (!solve3(a, x))
            return false;
        const double cu = -x[0] / 2.0, cv = -x[1] / 2.0;
        const double r2 = cu * cu + cv * cv - x[2];
        if (!(r2 > 0.0) || !std::isfinite(r2))
            return false;
        const double r = std::sqrt(r2);
        for (const XldPoint &p : m_buffer) {
            if (std::abs(std::hypot(p.col - mc - cu, p.row - mr - cv) - r) > m_tolerance)
                return false;
        }
        return true;
    }

    bool fitsEllipse()
    {
        double mr = 0.0, mc = 0.0;
        bufferMean(mr, mc);
        m_cvPoints.clear();
        for (const XldPoint &p : m_buffer)
            m_cvPoints.emplace_back(float(p.col - mc), float(p.row - mr));
        cv::RotatedRect e;
        try {
            e = cv::fitEllipseDirect(m_cvPoints);
        } catch (const cv::Exception &) {
            return false; // degenerate point set: no ellipse
        }
        const double ra = e.size.width / 2.0, rb = e.size.height / 2.0;
        if (!(ra > 0.0) || !(rb > 0.0) || !std::isfinite(ra) || !std::isfinite(rb) || !std::isfinite(e.center.x)
            || !std::isfinite(e.center.y))
            return false;
        const double t = e.angle * CV_PI / 180.0, ct = std::cos(t), st = std::sin(t);
        for (const cv::Point2f &p : m_cvPoints) {
            const double dx = p.x - e.center.x, dy = p.y - e.center.y;
            const double u = dx * ct + dy * st, v = -dx * st + dy * ct;
            const double k = std::sqrt(u * u / (ra * ra) + v * v / (rb * rb));
            // Radial distance to the ellipse: close to the true distance for the
            // near-round shapes this judges, and never smaller.
            const double d = k > 0.0 ? std::abs(1.0 - 1.0 / k) * std::hypot(u, v) : std::min(ra, rb);
            if (d > m_tolerance)
                return false;
        }
        return true;
    }

    static bool solve3(double a[3][4], double x[3])
    {
        for (int c = 0; c < 3; ++c) {
            int pivot = c;
            for (int r = c + 1; r < 3; ++r) {
                if (std::abs(a[r][c]) > std::abs(a[pivot][c]))
                    pivot = r;
            }
            if (std::abs(a[pivot][c]) < 1e-12)
                return false;
            for (int k = 0; k < 4; ++k)
                std::swap(a[c][k], a[pivot][k]);
            for (int r = 0; r < 3; ++r) {
                if (r == c)
                    continue;
                const double f = a[r][c] / a[c][c];
                for (int k = c; k < 4; ++k)
                    a[r][k] -= f * a[c][k];
            }
        }
        for (int c = 0; c < 3; ++c)
            x[c] = a[c][3] / a[c][c];
        return true;
    }

    ArcKind m_kind;
    double m_tolerance;
    std::vector<XldPoint> m_buffer;
    std::vector<cv::Point2f> m_cvPoints;
};

std::vector<XldPoint> smoothed(const std::vector<XldPoint> &p, bool cyclic, int window)
{
    const size_t n = p.size();
    const int half = window > 1 ? window / 2 : 0;
    if (half == 0)
        return p;
    std::vector<XldPoint> s(n);
    for (size_t i = 0; i < n; ++i) {
        // Open ends shrink the window symmetrically, so the end points stay put.
        const long h = cyclic ? half : std::min<long>({half, long(i), long(n - 1 - i)});
        double r = 0.0, c = 0.0;
        for (long k = -h; k <= h; ++k) {
            // A closed contour shorter than the window wraps round more than once.
            const XldPoint &q = p[size_t(((long(i) + k) % long(n) + long(n)) % long(n))];
            r += q.row;
            c += q.col;
        }
        s[i] = {r / double(2 * h + 1), c / double(2 * h + 1)};
    }
    return s;
}

} // namespace

void segmentContour(const std::vector<XldPoint> &points, const SegmentParameters &parameters,
                    std::vector<std::vector<XldPoint>> &pieces)
{
    const bool closed = closedPoints(points);
    const std::vector<XldPoint> p(points.begin(), closed ? points.end() - 1 : points.end());
    const size_t n = p.size();
    if (n < 3) {
        pieces.push_back(points);
        return;
    }
    // Split points are chosen on the smoothed contour, arcs judged on the contour itself.
    const std::vector<XldPoint> s = smoothed(p, closed, parameters.smooth);
    const Ring ring(s), original(p);
    ArcFit fit(parameters.arcs, parameters.maxLineDist2);
    if (closed && parameters.arcs != ArcKind::None && fit.fits(original, 0, n)) {
        pieces.push_back(points);
        return;
    }

    // Polygon; a closed contour is cut at point 0 and at the point farthest from it.
    std::vector<size_t> v;
    if (closed) {
        size_t far = 0;
        double best = -1.0;
        for (size_t i = 1; i < n; ++i) {
            const double d = std::hypot(s[i].row - s[0].row, s[i].col - s[0].col);
            if (d > best) {
                best = d;
                far = i;
            }
        }
        simplify(ring, 0, far, parameters.maxLineDist1, v);
        v.pop_back();
        simplify(ring, far, n, parameters.maxLineDist1, v);
    } else {
        simplify(ring, 0, n - 1, parameters.maxLineDist1, v);
    }

    // Neighbouring sides taken together while one arc holds them.
    std::vector<std::pair<size_t, size_t>> ranges; // unwrapped point indices, both ends kept
    size_t start = 0;
    while (start + 1 < v.size()) {
        size_t end = start + 1;
        if (parameters.arcs != ArcKind::None) {
            while (end + 1 < v.size() && fit.fits(original, v[start], v[end + 1]))
                ++end;
        }
        ranges.push_back({v[start], v[end]});
        start = end;
    }
    if (closed && ranges.size() > 1 && parameters.arcs != ArcKind::None
        && fit.fits(original, ranges.back().first, ranges.front().second + n)) {
        ranges.front() = {ranges.back().first, ranges.front().second + n};
        ranges.pop_back();
    }
    if (closed && ranges.size() == 1) {
        pieces.push_back(points);
        return;
    }
    for (const auto &[a, b] : ranges) {
        std::vector<XldPoint> piece;
        piece.reserve(b - a + 1);
        for (size_t i = a; i <= b; ++i)
            piece.push_back(p[i % n]);
        pieces.push_back(std::move(piece));
    }
}

namespace {

// Direction out of a contour at one end, over a short stretch so that a corner right
// behind the end still shows.
constexpr double kEndStretch = 3.0;

// Contours whose ends one thread measures at a time.
constexpr int kEndsPerChunk = 64;

struct EndInfo
{
    XldPoint at;
    double dr = 0.0, dc = 0.0; // unit vector pointing out of the contour
    bool valid = false;
};

EndInfo endInfo(const std::vector<XldPoint> &p, bool atEnd, double length)
{
    EndInfo e;
    const size_t n = p.size();
    const double stretch = std::min(kEndStretch, length);
    e.at = atEnd ? p[n - 1] : p[0];
    XldPoint inner = e.at;
    double walked = 0.0;
    for (size_t k = 1; k < n; ++k) {
        const XldPoint &a = atEnd ? p[n - k] : p[k - 1];
        const XldPoint &b = atEnd ? p[n - 1 - k] : p[k];
        walked += std::hypot(b.row - a.row, b.col - a.col);
        inner = b;
        if (walked >= stretch)
            break;
    }
    const double dr = e.at.row - inner.row, dc = e.at.col - inner.col, len = std::hypot(dr, dc);
    if (len > 0.0) {
        e.dr = dr / len;
        e.dc = dc / len;
        e.valid = true;
    }
    return e;
}

// One pass; false when nothing was united.
bool unitePass(std::vector<std::vector<XldPoint>> &contours, const UnionParameters &u)
{
    const size_t count = contours.size();
    std::vector<EndInfo> ends(2 * count);
    std::vector<double> lengths(count, 0.0);
    // Each contour's ends on its own, on the pool: every pass measures all of them again.
    Aop::parallelChunks("union_straight_contours_xld", "real", int(count), kEndsPerChunk, [&](int first, int end) {
        for (size_t i = size_t(first); i < size_t(end); ++i) {
            const std::vector<XldPoint> &c = contours[i];
            if (c.size() < 2 || closedPoints(c))
                continue;
            lengths[i] = contourLength(c);
            ends[2 * i] = endInfo(c, false, lengths[i]);
            ends[2 * i + 1] = endInfo(c, true, lengths[i]);
        }
    });
    std::vector<size_t> order;
    order.reserve(2 * count);
    for (size_t i = 0; i < count; ++i) {
        if (ends[2 * i].valid && ends[2 * i + 1].valid) {
            order.push_back(2 * i);
            order.push_back(2 * i + 1);
        }
    }
    // Sweep over rows: only ends within maxDist rows of each other can pair.
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return ends[a].at.row < ends[b].at.row; });
    std::vector<EndJoin> candidates;
    for (size_t x = 0; x < order.size(); ++x) {
        const EndInfo &e1 = ends[order[x]];
        for (size_t y = x + 1; y < order.size() && ends[order[y]].at.row - e1.at.row <= u.maxDist; ++y) {
            const size_t a = order[x], b = order[y];
            if (a / 2 == b / 2)
                continue;
            const EndInfo &e2 = ends[b];
            const double gr = e2.at.row - e1.at.row, gc = e2.at.col - e1.at.col;
            const double gap = std::hypot(gr, gc);
            if (gap > u.maxDist)
                continue;
            // Continuing contours leave their ends in opposite directions.
            const double dot = std::clamp(-(e1.dr * e2.dr + e1.dc * e2.dc), -1.0, 1.0);
            const double angle = std::acos(dot);
            if (angle > u.maxDiff)
                continue;
            const double behind1 = -(gr * e1.dr + gc * e1.dc), behind2 = gr * e2.dr + gc * e2.dc;
            const double allowed = u.percent / 100.0 * std::min(lengths[a / 2], lengths[b / 2]);
            if (std::max(behind1, behind2) > allowed + 1e-9)
                continue;
            candidates.push_back({gap, angle, std::min(a, b), std::max(a, b)});
        }
    }
    return joinContourEnds(contours, std::move(candidates));
}

} // namespace

void uniteContours(std::vector<std::vector<XldPoint>> &contours, const UnionParameters &parameters)
{
    for (int pass = 0; parameters.passes < 0 || pass < parameters.passes; ++pass) {
        if (!unitePass(contours, parameters))
            break;
    }
}

bool joinContourEnds(std::vector<std::vector<XldPoint>> &contours, std::vector<EndJoin> candidates)
{
    if (candidates.empty())
        return false;
    const size_t count = contours.size();
    std::sort(candidates.begin(), candidates.end(), [](const EndJoin &a, const EndJoin &b) {
        return std::tie(a.gap, a.rank, a.end1, a.end2) < std::tie(b.gap, b.rank, b.end1, b.end2);
    });
    constexpr size_t kNone = std::numeric_limits<size_t>::max();
    std::vector<size_t> link(2 * count, kNone);
    bool joined = false;
    for (const EndJoin &c : candidates) {
        if (link[c.end1] != kNone || link[c.end2] != kNone)
            continue;
        link[c.end1] = c.end2;
        link[c.end2] = c.end1;
        joined = true;
    }
    if (!joined)
        return false;

    std::vector<std::vector<XldPoint>> result;
    result.reserve(count);
    std::vector<std::uint8_t> used(count, 0);
    auto append = [](std::vector<XldPoint> &chain, const std::vector<XldPoint> &piece, bool forward) {
        const size_t n = piece.size();
        for (size_t k = 0; k < n; ++k) {
            const XldPoint &q = piece[forward ? k : n - 1 - k];
            if (chain.empty() || chain.back().row != q.row || chain.back().col != q.col)
                chain.push_back(q);
        }
    };
    for (size_t i = 0; i < count; ++i) {
        if (used[i])
            continue;
        if (link[2 * i] == kNone && link[2 * i + 1] == kNone) {
            result.push_back(std::move(contours[i]));
            used[i] = 1;
            continue;
        }
        // Back to the chain's first piece; a loop starts at i itself.
        size_t first = i;
        bool forward = true;
        for (;;) {
            const size_t behind = forward ? 2 * first : 2 * first + 1;
            if (link[behind] == kNone)
                break;
            const size_t other = link[behind];
            first = other / 2;
            forward = other % 2 == 1;
            if (first == i) {
                forward = true;
                break;
            }
        }
        std::vector<XldPoint> chain;
        size_t current = first;
        bool loop = false;
        for (;;) {
            append(chain, contours[current], forward);
            used[current] = 1;
            const size_t ahead = forward ? 2 * current + 1 : 2 * current;
            if (link[ahead] == kNone)
                break;
            const size_t other = link[ahead];
            if (other / 2 == first) {
                loop = true;
                break;
            }
            current = other / 2;
            forward = other % 2 == 0;
        }
        if (loop && (chain.front().row != chain.back().row || chain.front().col != chain.back().col))
            chain.push_back(chain.front());
        result.push_back(std::move(chain));
    }
    contours = std::move(result);
    return true;
}

} // namespace Halcon::Detail
