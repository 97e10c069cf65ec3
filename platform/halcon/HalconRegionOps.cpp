#include "HalconRegionOps.h"

#include "HalconGuard_p.h"
#include "HalconSystemOps.h"
#include "HobjectElements_p.h"
#include "RegionBounds_p.h"
#include "RegionRuns_p.h"
#include "RegionShapes_p.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace Halcon {

using namespace Detail;

namespace {

// Shapes and coordinates beyond this are refused: they could not come from a picture and
// would only exhaust memory.
constexpr double kCoordinateLimit = 1 << 20;
constexpr double kMaxStructureSize = 4095.0;

// All values of a numeric control parameter; at least one, all finite numbers.
Herror numbersOf(const HTuple& tuple, int parameter, std::vector<double>& values)
{
    values.clear();
    if (tuple.Length() == 0)
        return wrongCount(parameter);
    values.reserve(size_t(tuple.Length()));
    for (const HValue& v : tuple.Values()) {
        if (!v.IsNumber())
            return wrongType(parameter);
        const double d = v.D();
        if (!std::isfinite(d))
            return wrongValue(parameter);
        values.push_back(d);
    }
    return kSuccess;
}

Herror finiteNumber(const HTuple& tuple, int parameter, double* value)
{
    if (const Herror err = singleNumber(tuple, parameter, value); err != kSuccess)
        return err;
    return std::isfinite(*value) ? kSuccess : wrongValue(parameter);
}

// Reads the shape parameters; each holds one value or `count` values (the longest).
Herror shapeParameters(std::initializer_list<const HTuple*> tuples,
                       std::vector<std::vector<double>>& values, size_t& count)
{
    values.assign(tuples.size(), {});
    count = 1;
    int parameter = 1;
    for (const HTuple* t : tuples) {
        std::vector<double>& v = values[size_t(parameter - 1)];
        if (const Herror err = numbersOf(*t, parameter, v); err != kSuccess)
            return err;
        count = std::max(count, v.size());
        ++parameter;
    }
    parameter = 1;
    for (const std::vector<double>& v : values) {
        if (v.size() != 1 && v.size() != count)
            return wrongCount(parameter);
        ++parameter;
    }
    return kSuccess;
}

double valueAt(const std::vector<double>& values, size_t index)
{
    return values.size() == 1 ? values[0] : values[index];
}

bool coordinateOk(double v)
{
    return std::abs(v) <= kCoordinateLimit;
}

int roundInt(double v)
{
    return int(std::floor(v + 0.5));
}

// Union of all runs of the regions, in normal form.
Runs unionOf(const std::vector<RegionPtr>& regions)
{
    if (regions.size() == 1)
        return regions.front()->runs;
    Runs all;
    size_t total = 0;
    for (const RegionPtr& r : regions)
        total += r->runs.size();
    all.reserve(total);
    for (const RegionPtr& r : regions)
        all.insert(all.end(), r->runs.begin(), r->runs.end());
    normalizeRuns(all);
    return all;
}

// The picture rectangle complement fills: the system's "width" and "height" when both are
// set, else the largest picture seen.
void pictureSize(int& width, int& height)
{
    HTuple size;
    if (get_system(HTuple(std::vector<HValue>{HValue("width"), HValue("height")}), &size) == kSuccess
        && size.Length() == 2 && size[0].L() > 0 && size[1].L() > 0) {
        width = int(std::min<Hlong>(size[0].L(), Hlong(kCoordinateLimit)));
        height = int(std::min<Hlong>(size[1].L(), Hlong(kCoordinateLimit)));
        return;
    }
    pictureBounds(width, height);
}

template<class MakeRuns>
Herror generateShapes(Hobject* out, size_t count, MakeRuns&& makeRuns)
{
    std::vector<RegionPtr> regions;
    regions.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        Runs runs;
        if (const Herror err = makeRuns(i, runs); err != kSuccess)
            return err;
        regions.push_back(makeRegionSorted(std::move(runs)));
    }
    if (out)
        *out = makeObject(regions);
    return kSuccess;
}

// Applies `op` to the runs of every region of `input` (input number 1).
template<class Op>
Herror perRegion(const Hobject& input, Hobject* out, Op&& op)
{
    std::vector<RegionPtr> regions;
    if (const Herror err = regionsOf(input, 1, regions, true); err != kSuccess)
        return err;
    std::vector<RegionPtr> results;
    results.reserve(regions.size());
    for (const RegionPtr& r : regions)
        results.push_back(makeRegionSorted(op(*r)));
    if (out)
        *out = makeObject(results);
    return kSuccess;
}

} // namespace

// ---- Shapes ---------------------------------------------------------------------------

Herror gen_rectangle1(Hobject* rectangle, const HTuple& row1, const HTuple& column1,
                      const HTuple& row2, const HTuple& column2)
{
    return guarded([&]() -> Herror {
        std::vector<std::vector<double>> v;
        size_t count = 0;
        if (const Herror err = shapeParameters({&row1, &column1, &row2, &column2}, v, count);
            err != kSuccess)
            return err;
        for (size_t p = 0; p < 4; ++p)
            for (double d : v[p])
                if (!coordinateOk(d))
                    return wrongValue(int(p) + 1);
        return generateShapes(rectangle, count, [&](size_t i, Runs& runs) -> Herror {
            const int r1 = roundInt(valueAt(v[0], i));
            const int c1 = roundInt(valueAt(v[1], i));
            const int r2 = roundInt(valueAt(v[2], i));
            const int c2 = roundInt(valueAt(v[3], i));
            if (r2 < r1)
                return wrongValue(3);
            if (c2 < c1)
                return wrongValue(4);
            runs.reserve(size_t(r2 - r1 + 1));
            for (int r = r1; r <= r2; ++r)
                runs.push_back({r, c1, c2});
            return kSuccess;
        });
    });
}

Herror gen_rectangle2(Hobject* rectangle, const HTuple& row, const HTuple& column,
                      const HTuple& phi, const HTuple& length1, const HTuple& length2)
{
    return guarded([&]() -> Herror {
        std::vector<std::vector<double>> v;
        size_t count = 0;
        if (const Herror err = shapeParameters({&row, &column, &phi, &length1, &length2}, v, count);
            err != kSuccess)
            return err;
        for (size_t p : {0u, 1u, 3u, 4u})
            for (double d : v[p])
                if (!coordinateOk(d) || (p >= 3 && d < 0.0))
                    return wrongValue(int(p) + 1);
        return generateShapes(rectangle, count, [&](size_t i, Runs& runs) -> Herror {
            runs = rotatedRectangleRuns(valueAt(v[0], i), valueAt(v[1], i), valueAt(v[2], i),
                                        valueAt(v[3], i), valueAt(v[4], i));
            return kSuccess;
        });
    });
}

Herror gen_circle(Hobject* circle, const HTuple& row, const HTuple& column, const HTuple& radius)
{
    return guarded([&]() -> Herror {
        std::vector<std::vector<double>> v;
        size_t count = 0;
        if (const Herror err = shapeParameters({&row, &column, &radius}, v, count); err != kSuccess)
            return err;
        for (size_t p = 0; p < 3; ++p)
            for (double d : v[p])
                if (!coordinateOk(d) || (p == 2 && d <= 0.0))
                    return wrongValue(int(p) + 1);
        return generateShapes(circle, count, [&](size_t i, Runs& runs) -> Herror {
            runs = circleRuns(valueAt(v[0], i), valueAt(v[1], i), valueAt(v[2], i));
            return kSuccess;
        });
    });
}

Herror gen_ellipse(Hobject* ellipse, const HTuple& row, const HTuple& column, const HTuple& phi,
                   const HTuple& radius1, const HTuple& radius2)
{
    return guarded([&]() -> Herror {
        std::vector<std::vector<double>> v;
        size_t count = 0;
        if (const Herror err = shapeParameters({&row, &column, &phi, &radius1, &radius2}, v, count);
            err != kSuccess)
            return err;
        for (size_t p : {0u, 1u, 3u, 4u})
            for (double d : v[p])
                if (!coordinateOk(d) || (p >= 3 && d <= 0.0))
                    return wrongValue(int(p) + 1);
        return generateShapes(ellipse, count, [&](size_t i, Runs& runs) -> Herror {
            runs = ellipseRuns(valueAt(v[0], i), valueAt(v[1], i), valueAt(v[2], i),
                               valueAt(v[3], i), valueAt(v[4], i));
            return kSuccess;
        });
    });
}

Herror gen_region_contour_xld(const Hobject& contour, Hobject* region, const HTuple& mode)
{
    return guarded([&]() -> Herror {
        std::string modeName;
        if (const Herror err = singleString(mode, 1, &modeName); err != kSuccess)
            return err;
        const bool filled = modeName == "filled";
        if (!filled && modeName != "margin")
            return wrongValue(1);
        std::vector<XldPtr> contours;
        if (const Herror err = xldsOf(contour, 1, contours, true); err != kSuccess)
            return err;
        std::vector<RegionPtr> regions;
        regions.reserve(contours.size());
        for (const XldPtr& c : contours) {
            for (const XldPoint& p : c->points)
                if (!std::isfinite(p.row) || !std::isfinite(p.col) || !coordinateOk(p.row)
                    || !coordinateOk(p.col))
                    // No picture holds such a contour; it is not a usable input.
                    return wrongObjectClass(1);
            regions.push_back(makeRegionSorted(filled ? polygonFilledRuns(c->points)
                                                      : polygonMarginRuns(c->points, c->isClosed())));
        }
        if (region)
            *region = makeObject(regions);
        return kSuccess;
    });
}

// ---- Set operations -------------------------------------------------------------------

Herror connection(const Hobject& region, Hobject* connectedRegions)
{
    return guarded([&]() -> Herror {
        std::vector<RegionPtr> regions;
        if (const Herror err = regionsOf(region, 1, regions, true); err != kSuccess)
            return err;
        std::vector<RegionPtr> components;
        for (const RegionPtr& r : regions) {
            std::vector<Runs> parts = runsConnection(r->runs, true);
            for (Runs& part : parts)
                components.push_back(makeRegionSorted(std::move(part)));
        }
        if (connectedRegions)
            *connectedRegions = makeObject(components);
        return kSuccess;
    });
}

Herror complement(const Hobject& region, Hobject* regionComplement)
{
    return guarded([&]() -> Herror {
        return perRegion(region, regionComplement, [](const RegionElement& r) {
            int width = 0;
            int height = 0;
            pictureSize(width, height);
            if (!r.isEmpty()) {
                width = std::max(width, r.col2 + 1);
                height = std::max(height, r.row2 + 1);
            }
            return runsComplement(r.runs, width, height);
        });
    });
}

Herror intersection(const Hobject& region1, const Hobject& region2, Hobject* regionIntersection)
{
    return guarded([&]() -> Herror {
        std::vector<RegionPtr> others;
        if (const Herror err = regionsOf(region2, 2, others, true); err != kSuccess)
            return err;
        const Runs mask = unionOf(others);
        return perRegion(region1, regionIntersection,
                         [&mask](const RegionElement& r) { return runsIntersection(r.runs, mask); });
    });
}

Herror difference(const Hobject& region, const Hobject& sub, Hobject* regionDifference)
{
    return guarded([&]() -> Herror {
        std::vector<RegionPtr> others;
        if (const Herror err = regionsOf(sub, 2, others, true); err != kSuccess)
            return err;
        const Runs mask = unionOf(others);
        return perRegion(region, regionDifference,
                         [&mask](const RegionElement& r) { return runsDifference(r.runs, mask); });
    });
}

Herror union1(const Hobject& region, Hobject* regionUnion)
{
    return guarded([&]() -> Herror {
        std::vector<RegionPtr> regions;
        if (const Herror err = regionsOf(region, 1, regions, true); err != kSuccess)
            return err;
        RegionPtr result = regions.size() == 1 ? regions.front() : makeRegionSorted(unionOf(regions));
        if (regionUnion)
            *regionUnion = makeObject(ElementPtr(result));
        return kSuccess;
    });
}

Herror union2(const Hobject& region1, const Hobject& region2, Hobject* regionUnion)
{
    return guarded([&]() -> Herror {
        std::vector<RegionPtr> others;
        if (const Herror err = regionsOf(region2, 2, others, true); err != kSuccess)
            return err;
        const Runs mask = unionOf(others);
        return perRegion(region1, regionUnion,
                         [&mask](const RegionElement& r) { return runsUnion(r.runs, mask); });
    });
}

Herror dilation_circle(const Hobject& region, Hobject* regionDilation, const HTuple& radius)
{
    return guarded([&]() -> Herror {
        double r = 0.0;
        if (const Herror err = finiteNumber(radius, 1, &r); err != kSuccess)
            return err;
        if (r < 0.5 || r > kMaxStructureSize)
            return wrongValue(1);
        const std::vector<ElementRow> element = circleElement(r);
        return perRegion(region, regionDilation,
                         [&element](const RegionElement& reg) { return runsDilate(reg.runs, element); });
    });
}

Herror dilation_rectangle1(const Hobject& region, Hobject* regionDilation, const HTuple& width,
                           const HTuple& height)
{
    return guarded([&]() -> Herror {
        Hlong w = 0;
        Hlong h = 0;
        if (const Herror err = singleInteger(width, 1, &w); err != kSuccess)
            return err;
        if (const Herror err = singleInteger(height, 2, &h); err != kSuccess)
            return err;
        if (w < 1 || w > Hlong(kMaxStructureSize))
            return wrongValue(1);
        if (h < 1 || h > Hlong(kMaxStructureSize))
            return wrongValue(2);
        // A rectangle is separable: widen each run, then spread the rows.
        const std::vector<ElementRow> rows = rectangleElement(1, int(h));
        const std::vector<ElementRow> columns = rectangleElement(int(w), 1);
        return perRegion(region, regionDilation, [&](const RegionElement& reg) {
            return runsDilate(runsDilate(reg.runs, columns), rows);
        });
    });
}

// ---- Measures and tests ---------------------------------------------------------------

Herror area_center(const Hobject& regions, HTuple* area, HTuple* row, HTuple* column)
{
    return guarded([&]() -> Herror {
        std::vector<RegionPtr> list;
        if (const Herror err = regionsOf(regions, 1, list, true); err != kSuccess)
            return err;
        HTuple a, r, c;
        a.Reserve(Hlong(list.size()));
        r.Reserve(Hlong(list.size()));
        c.Reserve(Hlong(list.size()));
        for (const RegionPtr& reg : list) {
            a.Append(HValue(Hlong(reg->area)));
            r.Append(HValue(reg->isEmpty() ? 0.0 : reg->centerRow));
            c.Append(HValue(reg->isEmpty() ? 0.0 : reg->centerCol));
        }
        if (area)
            *area = std::move(a);
        if (row)
            *row = std::move(r);
        if (column)
            *column = std::move(c);
        return kSuccess;
    });
}

Herror smallest_rectangle1(const Hobject& regions, HTuple* row1, HTuple* column1, HTuple* row2,
                           HTuple* column2)
{
    return guarded([&]() -> Herror {
        std::vector<RegionPtr> list;
        if (const Herror err = regionsOf(regions, 1, list, true); err != kSuccess)
            return err;
        HTuple r1, c1, r2, c2;
        for (const RegionPtr& reg : list) {
            const bool empty = reg->isEmpty();
            r1.Append(HValue(Hlong(empty ? 0 : reg->row1)));
            c1.Append(HValue(Hlong(empty ? 0 : reg->col1)));
            r2.Append(HValue(Hlong(empty ? -1 : reg->row2)));
            c2.Append(HValue(Hlong(empty ? -1 : reg->col2)));
        }
        if (row1)
            *row1 = std::move(r1);
        if (column1)
            *column1 = std::move(c1);
        if (row2)
            *row2 = std::move(r2);
        if (column2)
            *column2 = std::move(c2);
        return kSuccess;
    });
}

Herror test_region_point(const Hobject& regions, const HTuple& row, const HTuple& column,
                         HTuple* isInside)
{
    return guarded([&]() -> Herror {
        std::vector<RegionPtr> list;
        if (const Herror err = regionsOf(regions, 1, list, true); err != kSuccess)
            return err;
        std::vector<double> rows, columns;
        if (const Herror err = numbersOf(row, 1, rows); err != kSuccess)
            return err;
        if (const Herror err = numbersOf(column, 2, columns); err != kSuccess)
            return err;
        if (rows.size() != columns.size())
            return wrongCount(2);
        HTuple result;
        result.Reserve(Hlong(rows.size()));
        for (size_t i = 0; i < rows.size(); ++i) {
            bool inside = false;
            if (coordinateOk(rows[i]) && coordinateOk(columns[i])) {
                const int r = roundInt(rows[i]);
                const int c = roundInt(columns[i]);
                for (const RegionPtr& reg : list) {
                    if (r >= reg->row1 && r <= reg->row2 && c >= reg->col1 && c <= reg->col2
                        && runsContain(reg->runs, r, c)) {
                        inside = true;
                        break;
                    }
                }
            }
            result.Append(HValue(Hlong(inside ? 1 : 0)));
        }
        if (isInside)
            *isInside = std::move(result);
        return kSuccess;
    });
}

Herror test_subset_region(const Hobject& region1, const Hobject& region2, HTuple* isSubset)
{
    return guarded([&]() -> Herror {
        std::vector<RegionPtr> outer;
        if (const Herror err = regionsOf(region2, 2, outer); err != kSuccess)
            return err;
        if (outer.size() != 1)
            return kErrObjectCountMismatch;
        std::vector<RegionPtr> inner;
        if (const Herror err = regionsOf(region1, 1, inner, true); err != kSuccess)
            return err;
        HTuple result;
        for (const RegionPtr& reg : inner)
            result.Append(HValue(Hlong(runsSubset(reg->runs, outer.front()->runs) ? 1 : 0)));
        if (isSubset)
            *isSubset = std::move(result);
        return kSuccess;
    });
}

} // namespace Halcon
