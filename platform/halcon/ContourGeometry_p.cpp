#include "ContourGeometry_p.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace Halcon::Detail {

namespace {

double cross(const XldPoint &o, const XldPoint &a, const XldPoint &b)
{
    return (a.row - o.row) * (b.col - o.col) - (a.col - o.col) * (b.row - o.row);
}

bool withinBox(const XldPoint &p, const XldPoint &a, const XldPoint &b)
{
    return p.row >= std::min(a.row, b.row) && p.row <= std::max(a.row, b.row) && p.col >= std::min(a.col, b.col)
        && p.col <= std::max(a.col, b.col);
}

int sign(double v)
{
    return v > 0.0 ? 1 : (v < 0.0 ? -1 : 0);
}

} // namespace

double pointSegmentDistance2(const XldPoint &p, const XldPoint &a, const XldPoint &b)
{
    const double dr = b.row - a.row, dc = b.col - a.col;
    const double len2 = dr * dr + dc * dc;
    double t = len2 > 0.0 ? ((p.row - a.row) * dr + (p.col - a.col) * dc) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double er = a.row + t * dr - p.row, ec = a.col + t * dc - p.col;
    return er * er + ec * ec;
}

bool segmentsMeet(const XldPoint &a, const XldPoint &b, const XldPoint &c, const XldPoint &d)
{
    const int d1 = sign(cross(c, d, a)), d2 = sign(cross(c, d, b));
    const int d3 = sign(cross(a, b, c)), d4 = sign(cross(a, b, d));
    if (d1 * d2 < 0 && d3 * d4 < 0)
        return true;
    return (d1 == 0 && withinBox(a, c, d)) || (d2 == 0 && withinBox(b, c, d)) || (d3 == 0 && withinBox(c, a, b))
        || (d4 == 0 && withinBox(d, a, b));
}

double contourLength(const std::vector<XldPoint> &points)
{
    double sum = 0.0;
    for (size_t i = 1; i < points.size(); ++i)
        sum += std::hypot(points[i].row - points[i - 1].row, points[i].col - points[i - 1].col);
    return sum;
}

ContourArea contourArea(const std::vector<XldPoint> &p)
{
    ContourArea result;
    const size_t n = p.size();
    if (n == 0)
        return result;
    // Shoelace relative to the first point, for precision far from the origin.
    const double r0 = p[0].row, c0 = p[0].col;
    double a2 = 0.0, sr = 0.0, sc = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double r1 = p[i].row - r0, c1 = p[i].col - c0;
        const double r2 = p[(i + 1) % n].row - r0, c2 = p[(i + 1) % n].col - c0;
        const double k = c1 * r2 - c2 * r1;
        a2 += k;
        sr += (r1 + r2) * k;
        sc += (c1 + c2) * k;
    }
    if (a2 != 0.0) {
        result.area = std::abs(a2) / 2.0;
        result.row = r0 + sr / (3.0 * a2);
        result.col = c0 + sc / (3.0 * a2);
        return result;
    }
    for (const XldPoint &q : p) {
        result.row += q.row;
        result.col += q.col;
    }
    result.row /= double(n);
    result.col /= double(n);
    return result;
}

double contourCircularity(const std::vector<XldPoint> &points)
{
    const ContourArea a = contourArea(points);
    if (a.area <= 0.0)
        return 0.0;
    double rmax2 = 0.0;
    for (const XldPoint &p : points)
        rmax2 = std::max(rmax2, (p.row - a.row) * (p.row - a.row) + (p.col - a.col) * (p.col - a.col));
    if (rmax2 <= 0.0)
        return 0.0;
    return std::min(1.0, a.area / (std::numbers::pi * rmax2));
}

double contourDirection(const std::vector<XldPoint> &points)
{
    if (points.size() < 2)
        return 0.0;
    double mr = 0.0, mc = 0.0;
    for (const XldPoint &p : points) {
        mr += p.row;
        mc += p.col;
    }
    mr /= double(points.size());
    mc /= double(points.size());
    double srr = 0.0, scc = 0.0, src = 0.0;
    for (const XldPoint &p : points) {
        srr += (p.row - mr) * (p.row - mr);
        scc += (p.col - mc) * (p.col - mc);
        src += (p.row - mr) * (p.col - mc);
    }
    // Principal axis in (x = column, y = -row).
    double phi = 0.5 * std::atan2(-2.0 * src, scc - srr);
    if (phi < 0.0)
        phi += std::numbers::pi;
    if (phi >= std::numbers::pi)
        phi -= std::numbers::pi;
    return phi;
}

namespace {

// The buffers of one test, kept per thread: the dish's contours are tested by the thousand on
// every thread, and allocating them for each contour cost more than the test. A buffer grown
// past kKeptSides for one long contour is given back after it.
struct SelfIntersectionScratch
{
    static constexpr size_t kKeptSides = 1 << 14;

    std::vector<XldPoint> q;
    std::vector<size_t> order;
    std::vector<double> colMin;
    std::vector<double> colMax;

    void trim()
    {
        if (q.capacity() > kKeptSides) {
            q = {};
            order = {};
            colMin = {};
            colMax = {};
        }
    }
};

bool selfIntersects(const std::vector<XldPoint> &input, bool closeOpen, SelfIntersectionScratch &scratch)
{
    std::vector<XldPoint> &q = scratch.q;
    q.clear();
    q.reserve(input.size() + 1);
    for (const XldPoint &p : input) {
        if (q.empty() || q.back().row != p.row || q.back().col != p.col)
            q.push_back(p);
    }
    bool cyclic = false;
    if (q.size() > 2 && q.front().row == q.back().row && q.front().col == q.back().col) {
        cyclic = true;
    } else if (closeOpen && q.size() > 2) {
        q.push_back(q.front());
        cyclic = true;
    }
    if (q.size() < 3)
        return false;
    const size_t m = q.size() - 1; // sides q[i] -> q[i + 1]
    auto adjacent = [&](size_t i, size_t j) {
        const size_t lo = std::min(i, j), hi = std::max(i, j);
        return hi - lo == 1 || (cyclic && lo == 0 && hi == m - 1);
    };
    // A side that turns straight back onto its neighbour overlaps it.
    for (size_t i = 0; i + 1 < m || (cyclic && i < m); ++i) {
        const size_t j = (i + 1) % m;
        if (j == i)
            break;
        const XldPoint &a = q[i], &b = q[i + 1], &c = q[j + 1];
        if (cross(a, b, c) == 0.0 && (b.row - a.row) * (c.row - b.row) + (b.col - a.col) * (c.col - b.col) < 0.0)
            return true;
    }
    // Sweep along the columns: only sides whose column ranges overlap are compared.
    std::vector<size_t> &order = scratch.order;
    std::vector<double> &colMin = scratch.colMin, &colMax = scratch.colMax;
    order.resize(m);
    colMin.resize(m);
    colMax.resize(m);
    for (size_t i = 0; i < m; ++i) {
        order[i] = i;
        colMin[i] = std::min(q[i].col, q[i + 1].col);
        colMax[i] = std::max(q[i].col, q[i + 1].col);
    }
    std::sort(order.begin(), order.end(), [&](size_t x, size_t y) { return colMin[x] < colMin[y]; });
    for (size_t s = 0; s < m; ++s) {
        const size_t i = order[s];
        const double rowMin = std::min(q[i].row, q[i + 1].row), rowMax = std::max(q[i].row, q[i + 1].row);
        for (size_t u = s + 1; u < m && colMin[order[u]] <= colMax[i]; ++u) {
            const size_t j = order[u];
            if (adjacent(i, j))
                continue;
            if (std::max(q[j].row, q[j + 1].row) < rowMin || std::min(q[j].row, q[j + 1].row) > rowMax)
                continue;
            if (segmentsMeet(q[i], q[i + 1], q[j], q[j + 1]))
                return true;
        }
    }
    return false;
}

} // namespace

bool contourSelfIntersects(const std::vector<XldPoint> &input, bool closeOpen)
{
    thread_local SelfIntersectionScratch scratch;
    const bool intersects = selfIntersects(input, closeOpen, scratch);
    scratch.trim();
    return intersects;
}

} // namespace Halcon::Detail
