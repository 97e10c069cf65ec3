#include "HalconXldUnion.h"

#include "ContourGeometry_p.h"
#include "ContourSegmentation_p.h"
#include "ControlValues_p.h"
#include "HalconGuard_p.h"
#include "HobjectElements_p.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace Halcon {

using namespace Detail;

namespace {

using PointLists = std::vector<std::vector<XldPoint>>;

// Overlap along the common line that still counts as two pieces following each other.
constexpr double kCollinearOverlap = 1.0;

Herror nonNegative(const HTuple &tuple, int parameter, double *value)
{
    if (const Herror err = ControlValues::number(tuple, parameter, value); err != kSuccess)
        return err;
    return *value < 0.0 ? wrongValue(parameter) : kSuccess;
}

Herror attributeMode(const HTuple &mode, int parameter)
{
    std::string m;
    if (const Herror err = singleString(mode, parameter, &m); err != kSuccess)
        return err;
    return m == "attr_keep" || m == "attr_forget" ? kSuccess : wrongValue(parameter);
}

bool joinable(const std::vector<XldPoint> &p)
{
    return p.size() >= 2 && (p.front().row != p.back().row || p.front().col != p.back().col);
}

double gapOf(const XldPoint &a, const XldPoint &b)
{
    return std::hypot(a.row - b.row, a.col - b.col);
}

struct Limits
{
    double distAbs = 0.0;
    double distRel = 0.0;
    double limit(double longerLength) const { return std::max(distAbs, distRel * longerLength); }
};

Herror readPieces(const Hobject &contours, PointLists &lists)
{
    std::vector<XldPtr> input;
    if (const Herror err = xldsOf(contours, 1, input, true); err != kSuccess)
        return err;
    lists.clear();
    lists.reserve(input.size());
    for (const XldPtr &xld : input)
        lists.push_back(xld->points);
    return kSuccess;
}

Herror writePieces(const PointLists &lists, Hobject *out)
{
    if (!out)
        return kSuccess;
    std::vector<XldPtr> elements;
    elements.reserve(lists.size());
    for (const std::vector<XldPoint> &points : lists)
        elements.push_back(makeContour(points));
    *out = makeObject(elements);
    return kSuccess;
}

// ---- adjacent ---------------------------------------------------------------------------

bool adjacentPass(PointLists &contours, const Limits &limits)
{
    const size_t count = contours.size();
    std::vector<double> lengths(count, 0.0);
    std::vector<size_t> ends;
    ends.reserve(2 * count);
    double longest = 0.0;
    for (size_t i = 0; i < count; ++i) {
        if (!joinable(contours[i]))
            continue;
        lengths[i] = contourLength(contours[i]);
        longest = std::max(longest, lengths[i]);
        ends.push_back(2 * i);
        ends.push_back(2 * i + 1);
    }
    auto at = [&](size_t end) -> const XldPoint & {
        const std::vector<XldPoint> &p = contours[end / 2];
        return end % 2 ? p.back() : p.front();
    };
    // Sweep over rows: no pair lies further apart than the largest possible limit.
    const double reach = limits.limit(longest);
    std::sort(ends.begin(), ends.end(), [&](size_t a, size_t b) { return at(a).row < at(b).row; });
    std::vector<EndJoin> candidates;
    for (size_t x = 0; x < ends.size(); ++x) {
        const XldPoint &p = at(ends[x]);
        for (size_t y = x + 1; y < ends.size() && at(ends[y]).row - p.row <= reach; ++y) {
            const size_t a = ends[x], b = ends[y];
            if (a / 2 == b / 2)
                continue;
            const double gap = gapOf(p, at(b));
            if (gap <= limits.limit(std::max(lengths[a / 2], lengths[b / 2])))
                candidates.push_back({gap, 0.0, std::min(a, b), std::max(a, b)});
        }
    }
    return joinContourEnds(contours, std::move(candidates));
}

// ---- collinear --------------------------------------------------------------------------

struct Line
{
    double row = 0.0, col = 0.0;  // a point of the regression line (the mean of the points)
    double ur = 0.0, uc = 1.0;    // unit direction (row, column)
    double direction = 0.0;       // 0 .. pi
    double length = 0.0;

    double along(const XldPoint &p) const { return (p.row - row) * ur + (p.col - col) * uc; }
    double across(const XldPoint &p) const { return std::abs((p.row - row) * uc - (p.col - col) * ur); }
};

Line lineOf(const std::vector<XldPoint> &p)
{
    Line line;
    for (const XldPoint &q : p) {
        line.row += q.row;
        line.col += q.col;
    }
    line.row /= double(p.size());
    line.col /= double(p.size());
    line.direction = contourDirection(p);
    // Counter-clockwise on screen: a positive angle points up (rows decreasing).
    line.ur = -std::sin(line.direction);
    line.uc = std::cos(line.direction);
    line.length = contourLength(p);
    return line;
}

struct CollinearParameters
{
    Limits limits;
    double maxShift = 0.0;
    double maxAngle = 0.0;
};

// The join of pieces i and j (i's line the longer one), or false.
bool collinearJoin(const PointLists &contours, const std::vector<Line> &lines, size_t i, size_t j,
                   const CollinearParameters &c, EndJoin &join)
{
    const Line &ref = lines[i];
    const Line &other = lines[j];
    double turn = std::abs(ref.direction - other.direction);
    turn = std::min(turn, std::numbers::pi - turn);
    if (turn > c.maxAngle)
        return false;
    const std::vector<XldPoint> &a = contours[i];
    const std::vector<XldPoint> &b = contours[j];
    if (std::max(ref.across(b.front()), ref.across(b.back())) > c.maxShift)
        return false;
    const double a0 = ref.along(a.front()), a1 = ref.along(a.back());
    const double b0 = ref.along(b.front()), b1 = ref.along(b.back());
    // The end of each piece that faces the other along the line.
    const bool bAhead = std::min(b0, b1) + std::max(b0, b1) > std::min(a0, a1) + std::max(a0, a1);
    const bool aEndLast = bAhead ? a1 > a0 : a1 < a0;
    const bool bEndLast = bAhead ? b1 < b0 : b1 > b0;
    const double aFacing = aEndLast ? a1 : a0, bFacing = bEndLast ? b1 : b0;
    // Negative where the pieces overlap along the line.
    const double separation = bAhead ? bFacing - aFacing : aFacing - bFacing;
    if (separation < -kCollinearOverlap)
        return false;
    const XldPoint &pa = aEndLast ? a.back() : a.front();
    const XldPoint &pb = bEndLast ? b.back() : b.front();
    const double gap = gapOf(pa, pb);
    if (gap > c.limits.limit(ref.length))
        return false;
    const size_t endA = 2 * i + (aEndLast ? 1 : 0), endB = 2 * j + (bEndLast ? 1 : 0);
    join = {gap, turn, std::min(endA, endB), std::max(endA, endB)};
    return true;
}

bool collinearPass(PointLists &contours, const CollinearParameters &c)
{
    const size_t count = contours.size();
    std::vector<Line> lines(count);
    std::vector<size_t> open;
    open.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        if (!joinable(contours[i]))
            continue;
        lines[i] = lineOf(contours[i]);
        open.push_back(i);
    }
    std::vector<EndJoin> candidates;
    for (size_t x = 0; x < open.size(); ++x) {
        for (size_t y = x + 1; y < open.size(); ++y) {
            size_t i = open[x], j = open[y];
            if (lines[j].length > lines[i].length)
                std::swap(i, j);
            EndJoin join{};
            if (collinearJoin(contours, lines, i, j, c, join))
                candidates.push_back(join);
        }
    }
    return joinContourEnds(contours, std::move(candidates));
}

template<class Pass>
void untilStable(PointLists &contours, Pass &&pass)
{
    // Every successful pass removes at least one piece, so this ends.
    while (pass(contours)) {
    }
}

} // namespace

Herror union_adjacent_contours_xld(const Hobject &contours, Hobject *unionContours, const HTuple &maxDistAbs,
                                   const HTuple &maxDistRel, const HTuple &mode)
{
    return guarded([&]() -> Herror {
        PointLists lists;
        if (const Herror err = readPieces(contours, lists); err != kSuccess)
            return err;
        Limits limits;
        if (const Herror err = nonNegative(maxDistAbs, 1, &limits.distAbs); err != kSuccess)
            return err;
        if (const Herror err = nonNegative(maxDistRel, 2, &limits.distRel); err != kSuccess)
            return err;
        if (const Herror err = attributeMode(mode, 3); err != kSuccess)
            return err;
        untilStable(lists, [&](PointLists &l) { return adjacentPass(l, limits); });
        return writePieces(lists, unionContours);
    });
}

Herror union_collinear_contours_xld(const Hobject &contours, Hobject *unionContours, const HTuple &maxDistAbs,
                                    const HTuple &maxDistRel, const HTuple &maxShift, const HTuple &maxAngle,
                                    const HTuple &mode)
{
    return guarded([&]() -> Herror {
        PointLists lists;
        if (const Herror err = readPieces(contours, lists); err != kSuccess)
            return err;
        CollinearParameters c;
        if (const Herror err = nonNegative(maxDistAbs, 1, &c.limits.distAbs); err != kSuccess)
            return err;
        if (const Herror err = nonNegative(maxDistRel, 2, &c.limits.distRel); err != kSuccess)
            return err;
        if (const Herror err = nonNegative(maxShift, 3, &c.maxShift); err != kSuccess)
            return err;
        if (const Herror err = nonNegative(maxAngle, 4, &c.maxAngle); err != kSuccess)
            return err;
        if (const Herror err = attributeMode(mode, 5); err != kSuccess)
            return err;
        untilStable(lists, [&](PointLists &l) { return collinearPass(l, c); });
        return writePieces(lists, unionContours);
    });
}

Herror area_center_points_xld(const Hobject &xld, HTuple *area, HTuple *row, HTuple *column)
{
    return guarded([&]() -> Herror {
        std::vector<XldPtr> input;
        if (const Herror err = xldsOf(xld, 1, input, true); err != kSuccess)
            return err;
        HTuple areas, rows, columns;
        for (const XldPtr &contour : input) {
            double r = 0.0, c = 0.0;
            for (const XldPoint &p : contour->points) {
                r += p.row;
                c += p.col;
            }
            const size_t n = contour->points.size();
            if (n > 0) {
                r /= double(n);
                c /= double(n);
            }
            areas.Append(HValue(Hlong(n)));
            rows.Append(HValue(r));
            columns.Append(HValue(c));
        }
        if (area)
            *area = std::move(areas);
        if (row)
            *row = std::move(rows);
        if (column)
            *column = std::move(columns);
        return kSuccess;
    });
}

} // namespace Halcon
