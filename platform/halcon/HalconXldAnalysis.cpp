#include "HalconXldAnalysis.h"

#include "ContourDistance_p.h"
#include "ContourGeometry_p.h"
#include "ContourSegmentation_p.h"
#include "ControlValues_p.h"
#include "HalconAop_p.h"
#include "HalconGuard_p.h"
#include "HobjectElements_p.h"
#include "SubPixelThreshold_p.h"

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

namespace Halcon {

using namespace Detail;

namespace {

// Contours per chunk of work handed to a thread: contours differ widely in length.
constexpr int kContoursPerChunk = 4;
// Contours per chunk of light work on each: a measure, a copy, a short walk over the points.
constexpr int kSelectionsPerChunk = 64;

Herror positiveNumber(const HTuple &tuple, int parameter, double *value, bool allowZero)
{
    const Herror err = ControlValues::number(tuple, parameter, value);
    if (err != kSuccess)
        return err;
    if (*value < 0.0 || (!allowZero && *value == 0.0))
        return wrongValue(parameter);
    return kSuccess;
}

// One contour per list, made on the pool under `op`; the lists' points are taken over.
Herror makeContours(std::string_view op, std::vector<std::vector<XldPoint>> &lists, Hobject *out)
{
    std::vector<XldPtr> elements(lists.size());
    Aop::parallelChunks(op, "real", int(lists.size()), kSelectionsPerChunk, [&](int first, int end) {
        for (size_t i = size_t(first); i < size_t(end); ++i)
            elements[i] = makeContour(std::move(lists[i]));
    });
    if (out)
        *out = makeObject(std::move(elements));
    return kSuccess;
}

// The one contour of an object, or all of them when several, for pairwise measures: the
// object's own list, checked to be contours with points. Nothing is allocated for a call once
// a thread has made one: the neighbour search measures thousands of pairs on every thread.
Herror pointLists(const Hobject &object, int input, const std::vector<ElementPtr> *&out)
{
    thread_local std::vector<XldView> views;
    const Herror err = xldViewsOf(object, input, views);
    if (err != kSuccess)
        return err;
    for (const XldView xld : views) {
        if (xld->points.empty())
            return kErrEmptyObject;
    }
    out = &elementsOf(object);
    return kSuccess;
}

} // namespace

Herror threshold_sub_pix(const Hobject &image, Hobject *border, const HTuple &threshold)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images;
        if (const Herror err = imagesOf(image, 1, images); err != kSuccess)
            return err;
        double level = 0.0;
        if (const Herror err = ControlValues::number(threshold, 1, &level); err != kSuccess)
            return err;
        for (const ImagePtr &img : images) {
            if (img->channels() != 1)
                return kErrWrongChannelCount;
        }
        std::vector<XldPtr> contours;
        for (const ImagePtr &img : images)
            subPixelContours(*img, level, contours);
        if (border)
            *border = makeObject(std::move(contours));
        return kSuccess;
    });
}

Herror segment_contours_xld(const Hobject &contours, Hobject *contoursSplit, const HTuple &mode,
                            const HTuple &smoothCont, const HTuple &maxLineDist1, const HTuple &maxLineDist2)
{
    return guarded([&]() -> Herror {
        std::vector<XldView> input;
        if (const Herror err = xldViewsOf(contours, 1, input, true); err != kSuccess)
            return err;
        SegmentParameters p;
        std::string m;
        if (const Herror err = singleString(mode, 1, &m); err != kSuccess)
            return err;
        if (m == "lines")
            p.arcs = ArcKind::None;
        else if (m == "lines_circles")
            p.arcs = ArcKind::Circles;
        else if (m == "lines_ellipses")
            p.arcs = ArcKind::Ellipses;
        else
            return kErrWrongValue1;
        Hlong smooth = 0;
        if (const Herror err = singleInteger(smoothCont, 2, &smooth); err != kSuccess)
            return err;
        if (smooth < 0 || smooth > 1001)
            return kErrWrongValue2;
        p.smooth = int(smooth);
        if (const Herror err = positiveNumber(maxLineDist1, 3, &p.maxLineDist1, false); err != kSuccess)
            return err;
        if (const Herror err = positiveNumber(maxLineDist2, 4, &p.maxLineDist2, false); err != kSuccess)
            return err;
        // Contours are split independently, each piece made a contour on the thread that cut
        // it; the pieces are joined in input order.
        std::vector<std::vector<XldPtr>> split(input.size());
        Aop::parallelChunks("segment_contours_xld", "real", int(input.size()), kContoursPerChunk,
                            [&](int first, int end) {
                                std::vector<std::vector<XldPoint>> pieces;
                                for (size_t i = size_t(first); i < size_t(end); ++i) {
                                    pieces.clear();
                                    segmentContour(input[i]->points, p, pieces);
                                    split[i].reserve(pieces.size());
                                    for (std::vector<XldPoint> &piece : pieces)
                                        split[i].push_back(makeContour(std::move(piece)));
                                }
                            });
        size_t total = 0;
        for (const auto &pieces : split)
            total += pieces.size();
        std::vector<XldPtr> elements;
        elements.reserve(total);
        for (auto &contourPieces : split)
            for (XldPtr &piece : contourPieces)
                elements.push_back(std::move(piece));
        if (contoursSplit)
            *contoursSplit = makeObject(std::move(elements));
        return kSuccess;
    });
}

Herror regress_contours_xld(const Hobject &contours, Hobject *regressContours, const HTuple &mode,
                            const HTuple &iterations)
{
    return guarded([&]() -> Herror {
        std::vector<XldPtr> input;
        if (const Herror err = xldsOf(contours, 1, input, true); err != kSuccess)
            return err;
        std::string m;
        if (const Herror err = singleString(mode, 1, &m); err != kSuccess)
            return err;
        if (m != "no" && m != "drop" && m != "gauss" && m != "median")
            return kErrWrongValue1;
        Hlong passes = 0;
        if (const Herror err = singleInteger(iterations, 2, &passes); err != kSuccess)
            return err;
        if (passes < 0)
            return kErrWrongValue2;
        // The points stay; the line is derived again where a feature needs it.
        if (regressContours)
            *regressContours = makeObject(std::move(input));
        return kSuccess;
    });
}

Herror union_straight_contours_xld(const Hobject &contours, Hobject *unionContours, const HTuple &maxDist,
                                   const HTuple &maxDiff, const HTuple &percent, const HTuple &mode,
                                   const HTuple &iterations)
{
    return guarded([&]() -> Herror {
        std::vector<XldView> input;
        if (const Herror err = xldViewsOf(contours, 1, input, true); err != kSuccess)
            return err;
        UnionParameters p;
        if (const Herror err = positiveNumber(maxDist, 1, &p.maxDist, true); err != kSuccess)
            return err;
        if (const Herror err = positiveNumber(maxDiff, 2, &p.maxDiff, true); err != kSuccess)
            return err;
        if (const Herror err = positiveNumber(percent, 3, &p.percent, true); err != kSuccess)
            return err;
        if (p.percent > 100.0)
            return kErrWrongValue3;
        std::string m;
        if (const Herror err = singleString(mode, 4, &m); err != kSuccess)
            return err;
        if (m != "noparallel")
            return kErrWrongValue4;
        if (iterations.Length() == 1 && iterations[0].IsString()) {
            if (iterations[0].Str() != "maximum")
                return kErrWrongValue5;
            p.passes = -1;
        } else {
            Hlong passes = 0;
            if (const Herror err = singleInteger(iterations, 5, &passes); err != kSuccess)
                return err;
            if (passes < 1 || passes > 1'000'000)
                return kErrWrongValue5;
            p.passes = int(passes);
        }
        std::vector<std::vector<XldPoint>> lists(input.size());
        Aop::parallelChunks("union_straight_contours_xld", "real", int(input.size()), kSelectionsPerChunk,
                            [&](int first, int end) {
                                for (size_t i = size_t(first); i < size_t(end); ++i)
                                    lists[i] = input[i]->points;
                            });
        uniteContours(lists, p);
        return makeContours("union_straight_contours_xld", lists, unionContours);
    });
}

Herror select_contours_xld(const Hobject &contours, Hobject *selectedContours, const HTuple &feature,
                           const HTuple &min1, const HTuple &max1, const HTuple &min2, const HTuple &max2)
{
    return guarded([&]() -> Herror {
        std::vector<XldView> input;
        if (const Herror err = xldViewsOf(contours, 1, input, true); err != kSuccess)
            return err;
        std::string f;
        if (const Herror err = singleString(feature, 1, &f); err != kSuccess)
            return err;
        if (f != "contour_length" && f != "maximum_extent" && f != "direction" && f != "closed" && f != "open")
            return kErrWrongValue1;
        double lo = 0.0, hi = 0.0, unused = 0.0;
        if (const Herror err = ControlValues::number(min1, 2, &lo); err != kSuccess)
            return err;
        if (const Herror err = ControlValues::number(max1, 3, &hi); err != kSuccess)
            return err;
        if (const Herror err = ControlValues::number(min2, 4, &unused); err != kSuccess)
            return err;
        if (const Herror err = ControlValues::number(max2, 5, &unused); err != kSuccess)
            return err;
        const auto decide = [&](XldView xld) {
            const std::vector<XldPoint> &p = xld->points;
            bool take = false;
            if (f == "closed" || f == "open") {
                bool closed = false;
                if (p.size() >= 3) {
                    const double gap = std::hypot(p.back().row - p.front().row, p.back().col - p.front().col);
                    closed = gap >= lo && gap <= hi;
                }
                take = f == "closed" ? closed : !closed;
            } else {
                double value = 0.0;
                if (f == "contour_length") {
                    value = contourLength(p);
                } else if (f == "direction") {
                    value = contourDirection(p);
                } else if (!p.empty()) {
                    double r1 = p[0].row, r2 = r1, c1 = p[0].col, c2 = c1;
                    for (const XldPoint &q : p) {
                        r1 = std::min(r1, q.row);
                        r2 = std::max(r2, q.row);
                        c1 = std::min(c1, q.col);
                        c2 = std::max(c2, q.col);
                    }
                    value = std::max(r2 - r1, c2 - c1);
                }
                take = value >= lo && value <= hi;
            }
            return take;
        };
        // Only the selected contours are shared, once, and on the pool: each share writes to
        // the contour's count, last written by the thread that made it. What is not taken
        // stays empty and is left out.
        const std::vector<ElementPtr> &elements = elementsOf(contours);
        std::vector<ElementPtr> selected(input.size());
        Aop::parallelChunks("select_contours_xld", "real", int(input.size()), kSelectionsPerChunk,
                            [&](int first, int end) {
                                for (size_t i = size_t(first); i < size_t(end); ++i) {
                                    if (decide(input[i]))
                                        selected[i] = elements[i];
                                }
                            });
        if (selectedContours)
            *selectedContours = makeObject(std::move(selected));
        return kSuccess;
    });
}

Herror close_contours_xld(const Hobject &contours, Hobject *closedContours)
{
    return guarded([&]() -> Herror {
        std::vector<XldView> input;
        if (const Herror err = xldViewsOf(contours, 1, input, true); err != kSuccess)
            return err;
        const std::vector<ElementPtr> &elements = elementsOf(contours);
        std::vector<ElementPtr> out;
        out.reserve(input.size());
        for (size_t i = 0; i < input.size(); ++i) {
            const XldView xld = input[i];
            const std::vector<XldPoint> &p = xld->points;
            if (p.size() < 2 || (p.front().row == p.back().row && p.front().col == p.back().col)) {
                out.push_back(elements[i]);
                continue;
            }
            std::vector<XldPoint> points;
            points.reserve(p.size() + 1);
            points.assign(p.begin(), p.end());
            points.push_back(p.front());
            out.push_back(xld->kind == ElementKind::XldPoly ? makePolygon(std::move(points))
                                                            : makeContour(std::move(points)));
        }
        if (closedContours)
            *closedContours = makeObject(std::move(out));
        return kSuccess;
    });
}

Herror circularity_xld(const Hobject &contours, HTuple *circularity)
{
    return guarded([&]() -> Herror {
        std::vector<XldView> input;
        if (const Herror err = xldViewsOf(contours, 1, input, true); err != kSuccess)
            return err;
        std::vector<double> values;
        values.reserve(input.size());
        for (const XldView xld : input)
            values.push_back(contourCircularity(xld->points));
        if (circularity)
            *circularity = HTuple(values);
        return kSuccess;
    });
}

Herror distance_cc_min(const Hobject &contour1, const Hobject &contour2, const HTuple &mode, HTuple *distanceMin)
{
    return guarded([&]() -> Herror {
        const std::vector<ElementPtr> *listA = nullptr;
        const std::vector<ElementPtr> *listB = nullptr;
        if (const Herror err = pointLists(contour1, 1, listA); err != kSuccess)
            return err;
        if (const Herror err = pointLists(contour2, 2, listB); err != kSuccess)
            return err;
        const std::vector<ElementPtr> &a = *listA;
        const std::vector<ElementPtr> &b = *listB;
        std::string_view m;
        if (const Herror err = singleString(mode, 1, &m); err != kSuccess)
            return err;
        if (m != "point_to_point" && m != "point_to_segment" && m != "fast_point_to_segment")
            return kErrWrongValue1;
        if (a.size() != 1 && b.size() != 1 && a.size() != b.size())
            return kErrObjectCountMismatch;
        const bool pointToPoint = m == "point_to_point";
        const size_t n = std::max(a.size(), b.size());
        if (n == 1) {
            const double distance = contourDistance(a[0], b[0], pointToPoint);
            if (distanceMin)
                *distanceMin = HTuple(distance);
            return kSuccess;
        }
        std::vector<double> result(n);
        for (size_t i = 0; i < n; ++i)
            result[i] = contourDistance(a[a.size() == 1 ? 0 : i], b[b.size() == 1 ? 0 : i], pointToPoint);
        if (distanceMin)
            *distanceMin = HTuple(result);
        return kSuccess;
    });
}

Herror test_self_intersection_xld(const Hobject &contours, const HTuple &closeXld, HTuple *doesIntersect)
{
    return guarded([&]() -> Herror {
        std::vector<XldView> input;
        if (const Herror err = xldViewsOf(contours, 1, input, true); err != kSuccess)
            return err;
        std::string m;
        if (const Herror err = singleString(closeXld, 1, &m); err != kSuccess)
            return err;
        if (m != "true" && m != "false")
            return kErrWrongValue1;
        std::vector<Hlong> result(input.size());
        Aop::parallelChunks("test_self_intersection_xld", "real", int(input.size()), kContoursPerChunk,
                            [&](int first, int end) {
                                for (int i = first; i < end; ++i)
                                    result[size_t(i)] = contourSelfIntersects(input[size_t(i)]->points, m == "true") ? 1 : 0;
                            });
        if (doesIntersect)
            *doesIntersect = HTuple(result);
        return kSuccess;
    });
}

Herror get_contour_xld(const Hobject &contour, HTuple *row, HTuple *col)
{
    return guarded([&]() -> Herror {
        std::vector<XldPtr> input;
        if (const Herror err = xldsOf(contour, 1, input); err != kSuccess)
            return err;
        if (input.size() != 1)
            return kErrObjectCountMismatch;
        std::vector<double> rows, cols;
        rows.reserve(input[0]->points.size());
        cols.reserve(input[0]->points.size());
        for (const XldPoint &p : input[0]->points) {
            rows.push_back(p.row);
            cols.push_back(p.col);
        }
        if (row)
            *row = HTuple(rows);
        if (col)
            *col = HTuple(cols);
        return kSuccess;
    });
}

} // namespace Halcon
