#include "HalconXldOps.h"

#include "ContourGeometry_p.h"
#include "ControlValues_p.h"
#include "HalconAop_p.h"
#include "HalconGuard_p.h"
#include "HobjectElements_p.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace Halcon {

namespace {

// Contours (point tests, transforms) per chunk of work handed to a thread.
constexpr int kTestsPerChunk = 16;

using ControlValues::at;
constexpr double kTwoPi = 2.0 * std::numbers::pi;
// Beyond this a contour would only exhaust memory (a huge radius with a tiny resolution).
constexpr double kMaxContourPoints = 10'000'000.0;

// Reads numeric point-wise parameters (first = parameter number of the first) and their
// common length (at least 1).
Herror shapeParameters(std::initializer_list<const HTuple *> tuples, int first,
                       std::vector<std::vector<double>> &values, Hlong *count)
{
    values.assign(tuples.size(), {});
    Hlong n = 0;
    int parameter = first;
    size_t index = 0;
    for (const HTuple *t : tuples) {
        const Herror err = ControlValues::numbers(*t, parameter, &values[index]);
        if (err != kSuccess)
            return err;
        n = std::max(n, t->Length());
        ++parameter;
        ++index;
    }
    parameter = first;
    for (const HTuple *t : tuples) {
        if (t->Length() != 1 && (n == 0 || t->Length() != n))
            return wrongCount(parameter);
        ++parameter;
    }
    *count = n;
    return kSuccess;
}

Herror pointOrderOf(const HTuple &tuple, int parameter, bool *positive)
{
    std::string order;
    const Herror err = singleString(tuple, parameter, &order);
    if (err != kSuccess)
        return err;
    if (order != "positive" && order != "negative")
        return wrongValue(parameter);
    *positive = order == "positive";
    return kSuccess;
}

// Points of an elliptic arc in its own frame rotated by phi. The angle runs from start
// by span (signed); a full turn is closed exactly.
Herror ellipseArc(double row, double col, double phi, double r1, double r2, double start, double end,
                  bool positive, double resolution, int resolutionParameter, std::vector<XldPoint> &points)
{
    double span = positive ? end - start : start - end;
    bool full = false;
    if (std::abs(end - start) >= kTwoPi - 1e-12) {
        full = true;
        span = kTwoPi;
    } else {
        span = std::fmod(span, kTwoPi);
        if (span < 0.0)
            span += kTwoPi;
        if (span >= kTwoPi - 1e-12) {
            full = true;
            span = kTwoPi;
        }
    }
    const double steps = std::ceil(span * std::max(r1, r2) / resolution);
    if (steps > kMaxContourPoints)
        return wrongValue(resolutionParameter);
    const int segments = std::max(1, int(steps));
    const double direction = positive ? 1.0 : -1.0;
    const double cp = std::cos(phi), sp = std::sin(phi);
    points.clear();
    points.reserve(size_t(segments) + 1);
    const int last = span == 0.0 ? 0 : segments;
    for (int i = 0; i <= last; ++i) {
        if (full && i == last) {
            points.push_back(points.front());
            break;
        }
        const double t = start + direction * span * double(i) / double(segments);
        const double u = r1 * std::cos(t), v = r2 * std::sin(t);
        // Counter-clockwise on screen: the mathematical y axis points up, rows down.
        points.push_back({row - (u * sp + v * cp), col + (u * cp - v * sp)});
    }
    return kSuccess;
}

// Signed area (counter-clockwise on screen positive) and area moments of a polygon taken
// as closed.
struct PolygonMoments
{
    double area = 0.0; // signed
    double row = 0.0;
    double col = 0.0;
};

PolygonMoments polygonMoments(const std::vector<XldPoint> &p)
{
    PolygonMoments m;
    const size_t n = p.size();
    if (n < 3)
        return m;
    // Shoelace with x = column, y = -row, relative to the first point for precision.
    const double r0 = p[0].row, c0 = p[0].col;
    double a2 = 0.0, sx = 0.0, sy = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const XldPoint &q = p[i];
        const XldPoint &s = p[(i + 1) % n];
        const double x1 = q.col - c0, y1 = -(q.row - r0);
        const double x2 = s.col - c0, y2 = -(s.row - r0);
        const double cross = x1 * y2 - x2 * y1;
        a2 += cross;
        sx += (x1 + x2) * cross;
        sy += (y1 + y2) * cross;
    }
    m.area = a2 / 2.0;
    if (a2 != 0.0) {
        m.col = c0 + sx / (3.0 * a2);
        m.row = r0 - sy / (3.0 * a2);
    }
    return m;
}

bool onSegment(const XldPoint &p, const XldPoint &a, const XldPoint &b)
{
    const double dr = b.row - a.row, dc = b.col - a.col;
    return Detail::pointSegmentDistance2(p, a, b) <= 1e-18 * std::max(1.0, dr * dr + dc * dc);
}

bool pointInside(const std::vector<XldPoint> &poly, double row, double col)
{
    const size_t n = poly.size();
    if (n == 0)
        return false;
    const XldPoint p{row, col};
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const XldPoint &a = poly[i];
        const XldPoint &b = poly[j];
        if (onSegment(p, a, b))
            return true;
        if ((a.row > row) != (b.row > row)) {
            const double c = a.col + (row - a.row) * (b.col - a.col) / (b.row - a.row);
            if (col < c)
                inside = !inside;
        }
    }
    return inside;
}

// Outlines of one region. Border contours run on pixel edges: the region is drawn twice
// as large with every pixel covering a 3 x 3 block, so that the outline pixels of the
// enlarged picture fall on the corners of the original pixels.
void regionContours(const RegionElement &region, bool border, bool holes, std::vector<XldPtr> &out)
{
    if (region.isEmpty())
        return;
    const int scale = border ? 2 : 1;
    const int rows = (region.row2 - region.row1 + 1) * scale + (border ? 1 : 0) + 2;
    const int cols = (region.col2 - region.col1 + 1) * scale + (border ? 1 : 0) + 2;
    cv::Mat mask(rows, cols, CV_8UC1, cv::Scalar(0));
    for (const Run &run : region.runs) {
        const int r = (run.row - region.row1) * scale + 1;
        const int cb = (run.colBegin - region.col1) * scale + 1;
        const int ce = (run.colEnd - region.col1) * scale + 1 + (border ? 2 : 0);
        for (int k = 0; k < (border ? 3 : 1); ++k)
            std::memset(mask.ptr<std::uint8_t>(r + k) + cb, 255, size_t(ce - cb + 1));
    }
    std::vector<std::vector<cv::Point>> found;
    cv::findContours(mask, found, holes ? cv::RETR_CCOMP : cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
    if (border) {
        // The tracing cuts corners diagonally (inner corners, pixels that touch only at a
        // corner); on pixel edges the outline turns through the corner point instead,
        // which is the one of the two candidates inside the enlarged region. Then only
        // the points where the outline turns are kept.
        for (auto &f : found) {
            std::vector<cv::Point> edges;
            edges.reserve(f.size() * 2);
            for (size_t i = 0; i < f.size(); ++i) {
                const cv::Point p = f[i], q = f[(i + 1) % f.size()];
                edges.push_back(p);
                if (p.x != q.x && p.y != q.y)
                    edges.push_back(mask.at<std::uint8_t>(p.y, q.x) ? cv::Point(q.x, p.y) : cv::Point(p.x, q.y));
            }
            std::vector<cv::Point> corners;
            corners.reserve(edges.size());
            const size_t n = edges.size();
            for (size_t i = 0; i < n; ++i) {
                const cv::Point a = edges[(i + n - 1) % n], b = edges[i], c = edges[(i + 1) % n];
                const bool straight = (a.x == b.x && b.x == c.x) || (a.y == b.y && b.y == c.y);
                if (n < 3 || !straight)
                    corners.push_back(b);
            }
            f = std::move(corners);
        }
    }
    std::vector<std::vector<XldPoint>> contours;
    contours.reserve(found.size());
    for (const auto &f : found) {
        if (f.empty())
            continue;
        std::vector<XldPoint> points;
        points.reserve(f.size() + 1);
        // Start at the first pixel in reading order, so the order below is stable.
        const size_t startIndex = size_t(std::min_element(f.begin(), f.end(), [](const cv::Point &a, const cv::Point &b) {
                                             return a.y != b.y ? a.y < b.y : a.x < b.x;
                                         }) - f.begin());
        for (size_t i = 0; i < f.size(); ++i) {
            const cv::Point &q = f[(startIndex + i) % f.size()];
            if (border)
                points.push_back({region.row1 + (q.y - 2) / 2.0, region.col1 + (q.x - 2) / 2.0});
            else
                points.push_back({double(region.row1 + q.y - 1), double(region.col1 + q.x - 1)});
        }
        if (points.size() > 1)
            points.push_back(points.front());
        contours.push_back(std::move(points));
    }
    std::sort(contours.begin(), contours.end(), [](const auto &a, const auto &b) {
        return a.front().row != b.front().row ? a.front().row < b.front().row : a.front().col < b.front().col;
    });
    for (auto &c : contours)
        out.push_back(makeContour(std::move(c)));
}

} // namespace

Herror gen_cross_contour_xld(Hobject *cross, const HTuple &row, const HTuple &column, const HTuple &size,
                             const HTuple &angle)
{
    return guarded([&]() -> Herror {
        std::vector<std::vector<double>> v;
        Hlong n = 0;
        const Herror err = shapeParameters({&row, &column, &size, &angle}, 1, v, &n);
        if (err != kSuccess)
            return err;
        std::vector<XldPtr> contours;
        contours.reserve(size_t(n) * 2);
        for (Hlong i = 0; i < n; ++i) {
            const double r = at(v[0], i), c = at(v[1], i), half = at(v[2], i) / 2.0, a = at(v[3], i);
            if (half < 0.0)
                return kErrWrongValue3;
            // Along the angle: (row, col) direction (-sin, cos); across: (-cos, -sin).
            const double dr = -std::sin(a) * half, dc = std::cos(a) * half;
            contours.push_back(makeContour({{r - dr, c - dc}, {r + dr, c + dc}}));
            contours.push_back(makeContour({{r + dc, c - dr}, {r - dc, c + dr}}));
        }
        if (cross)
            *cross = makeObject(contours);
        return kSuccess;
    });
}

Herror gen_circle_contour_xld(Hobject *contCircle, const HTuple &row, const HTuple &column, const HTuple &radius,
                              const HTuple &startPhi, const HTuple &endPhi, const HTuple &pointOrder,
                              const HTuple &resolution)
{
    return guarded([&]() -> Herror {
        std::vector<std::vector<double>> v;
        Hlong n = 0;
        bool positive = true;
        double step = 0.0;
        Herror err = shapeParameters({&row, &column, &radius, &startPhi, &endPhi}, 1, v, &n);
        if (err == kSuccess)
            err = pointOrderOf(pointOrder, 6, &positive);
        if (err == kSuccess)
            err = ControlValues::number(resolution, 7, &step);
        if (err == kSuccess && step <= 0.0)
            err = kErrWrongValue7;
        if (err != kSuccess)
            return err;
        std::vector<XldPtr> contours;
        std::vector<XldPoint> points;
        for (Hlong i = 0; i < n; ++i) {
            const double r = at(v[2], i);
            if (r <= 0.0)
                return kErrWrongValue3;
            if ((err = ellipseArc(at(v[0], i), at(v[1], i), 0.0, r, r, at(v[3], i), at(v[4], i), positive, step, 7,
                                  points))
                != kSuccess)
                return err;
            contours.push_back(makeContour(points));
        }
        if (contCircle)
            *contCircle = makeObject(contours);
        return kSuccess;
    });
}

Herror gen_ellipse_contour_xld(Hobject *contEllipse, const HTuple &row, const HTuple &column, const HTuple &phi,
                               const HTuple &radius1, const HTuple &radius2, const HTuple &startPhi,
                               const HTuple &endPhi, const HTuple &pointOrder, const HTuple &resolution)
{
    return guarded([&]() -> Herror {
        std::vector<std::vector<double>> v;
        Hlong n = 0;
        bool positive = true;
        double step = 0.0;
        Herror err = shapeParameters({&row, &column, &phi, &radius1, &radius2, &startPhi, &endPhi}, 1, v, &n);
        if (err == kSuccess)
            err = pointOrderOf(pointOrder, 8, &positive);
        if (err == kSuccess)
            err = ControlValues::number(resolution, 9, &step);
        if (err == kSuccess && step <= 0.0)
            err = kErrWrongValue9;
        if (err != kSuccess)
            return err;
        std::vector<XldPtr> contours;
        std::vector<XldPoint> points;
        for (Hlong i = 0; i < n; ++i) {
            const double r1 = at(v[3], i), r2 = at(v[4], i);
            if (r1 <= 0.0)
                return kErrWrongValue4;
            if (r2 <= 0.0)
                return kErrWrongValue5;
            if ((err = ellipseArc(at(v[0], i), at(v[1], i), at(v[2], i), r1, r2, at(v[5], i), at(v[6], i), positive,
                                  step, 9, points))
                != kSuccess)
                return err;
            contours.push_back(makeContour(points));
        }
        if (contEllipse)
            *contEllipse = makeObject(contours);
        return kSuccess;
    });
}

Herror gen_rectangle2_contour_xld(Hobject *rectangle, const HTuple &row, const HTuple &column, const HTuple &phi,
                                  const HTuple &length1, const HTuple &length2)
{
    return guarded([&]() -> Herror {
        std::vector<std::vector<double>> v;
        Hlong n = 0;
        const Herror err = shapeParameters({&row, &column, &phi, &length1, &length2}, 1, v, &n);
        if (err != kSuccess)
            return err;
        std::vector<XldPtr> contours;
        for (Hlong i = 0; i < n; ++i) {
            const double r = at(v[0], i), c = at(v[1], i), a = at(v[2], i), l1 = at(v[3], i), l2 = at(v[4], i);
            if (l1 < 0.0)
                return kErrWrongValue4;
            if (l2 < 0.0)
                return kErrWrongValue5;
            // u along phi, w at phi + 90 degrees, both as (row, col) on screen.
            const double ur = -std::sin(a), uc = std::cos(a);
            const double wr = -std::cos(a), wc = -std::sin(a);
            auto corner = [&](double s, double t) {
                return XldPoint{r + s * l1 * ur + t * l2 * wr, c + s * l1 * uc + t * l2 * wc};
            };
            const XldPoint first = corner(1, -1);
            contours.push_back(makeContour({first, corner(1, 1), corner(-1, 1), corner(-1, -1), first}));
        }
        if (rectangle)
            *rectangle = makeObject(contours);
        return kSuccess;
    });
}

Herror gen_contour_polygon_xld(Hobject *contour, const HTuple &row, const HTuple &col)
{
    return guarded([&]() -> Herror {
        std::vector<double> rows, cols;
        Herror err = ControlValues::numbers(row, 1, &rows);
        if (err == kSuccess)
            err = ControlValues::numbers(col, 2, &cols);
        if (err != kSuccess)
            return err;
        if (rows.empty())
            return kErrWrongCount1;
        if (cols.size() != rows.size())
            return kErrWrongCount2;
        std::vector<XldPoint> points(rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            points[i] = {rows[i], cols[i]};
        if (contour)
            *contour = makeObject(makeContour(std::move(points)));
        return kSuccess;
    });
}

Herror gen_contour_region_xld(const Hobject &regions, Hobject *contours, const HTuple &mode)
{
    return guarded([&]() -> Herror {
        std::vector<RegionPtr> input;
        Herror err = regionsOf(regions, 1, input, true);
        std::string m;
        if (err == kSuccess)
            err = singleString(mode, 1, &m);
        if (err == kSuccess && m != "border" && m != "center" && m != "border_holes")
            err = kErrWrongValue1;
        if (err != kSuccess)
            return err;
        std::vector<XldPtr> out;
        for (const RegionPtr &region : input)
            regionContours(*region, m != "center", m == "border_holes", out);
        if (contours)
            *contours = makeObject(out);
        return kSuccess;
    });
}

Herror affine_trans_contour_xld(const Hobject &contours, Hobject *contoursAffineTrans, const HTuple &homMat2D)
{
    return guarded([&]() -> Herror {
        std::vector<XldView> input;
        double m[6];
        Herror err = xldViewsOf(contours, 1, input, true);
        if (err == kSuccess)
            err = ControlValues::matrix(homMat2D, 1, m);
        if (err != kSuccess)
            return err;
        std::vector<XldPtr> out(input.size());
        Aop::parallelChunks("affine_trans_contour_xld", "real", int(input.size()), kTestsPerChunk,
                            [&](int first, int end) {
                                for (size_t c = size_t(first); c < size_t(end); ++c) {
                                    const XldElement &xld = *input[c];
                                    std::vector<XldPoint> points(xld.points.size());
                                    for (size_t i = 0; i < points.size(); ++i) {
                                        const XldPoint &p = xld.points[i];
                                        points[i] = {m[0] * p.row + m[1] * p.col + m[2],
                                                     m[3] * p.row + m[4] * p.col + m[5]};
                                    }
                                    // The same arithmetic on equal points keeps a closed contour
                                    // closed exactly.
                                    out[c] = xld.kind == ElementKind::XldPoly ? makePolygon(std::move(points))
                                                                              : makeContour(std::move(points));
                                }
                            });
        if (contoursAffineTrans)
            *contoursAffineTrans = makeObject(std::move(out));
        return kSuccess;
    });
}

Herror area_center_xld(const Hobject &xld, HTuple *area, HTuple *row, HTuple *column, HTuple *pointOrder)
{
    return guarded([&]() -> Herror {
        std::vector<XldView> input;
        const Herror err = xldViewsOf(xld, 1, input, true);
        if (err != kSuccess)
            return err;
        const size_t n = input.size();
        std::vector<double> areas(n), rows(n), cols(n);
        std::vector<HValue> orders(n);
        Aop::parallelChunks("area_center_xld", "real", int(n), kTestsPerChunk, [&](int first, int end) {
            for (size_t i = size_t(first); i < size_t(end); ++i) {
                const std::vector<XldPoint> &points = input[i]->points;
                const PolygonMoments m = polygonMoments(points);
                double r = m.row, c = m.col;
                if (m.area == 0.0) {
                    r = c = 0.0;
                    for (const XldPoint &p : points) {
                        r += p.row;
                        c += p.col;
                    }
                    if (!points.empty()) {
                        r /= double(points.size());
                        c /= double(points.size());
                    }
                }
                areas[i] = std::abs(m.area);
                rows[i] = r;
                cols[i] = c;
                orders[i] = HValue(m.area >= 0.0 ? "positive" : "negative");
            }
        });
        if (area)
            *area = HTuple(areas);
        if (row)
            *row = HTuple(rows);
        if (column)
            *column = HTuple(cols);
        if (pointOrder)
            *pointOrder = HTuple(std::move(orders));
        return kSuccess;
    });
}

Herror test_xld_point(const Hobject &xld, const HTuple &row, const HTuple &column, HTuple *isInside)
{
    return guarded([&]() -> Herror {
        std::vector<XldView> input;
        std::vector<double> rows, cols;
        Herror err = xldViewsOf(xld, 1, input, true);
        if (err == kSuccess)
            err = ControlValues::numbers(row, 1, &rows);
        if (err == kSuccess)
            err = ControlValues::numbers(column, 2, &cols);
        if (err != kSuccess)
            return err;
        if (rows.size() != cols.size())
            return kErrWrongCount2;
        if (rows.empty())
            return kErrWrongCount1;
        const size_t contours = input.size(), points = rows.size();
        if (contours == 0) {
            if (isInside)
                *isInside = HTuple();
            return kSuccess;
        }
        if (contours != 1 && points != 1 && contours != points)
            return kErrWrongCount1;
        const size_t n = std::max(contours, points);
        std::vector<Hlong> result(n);
        Aop::parallelChunks("test_xld_point", "real", int(n), kTestsPerChunk, [&](int first, int end) {
            for (size_t i = size_t(first); i < size_t(end); ++i) {
                const XldElement &c = *input[contours == 1 ? 0 : i];
                const size_t k = points == 1 ? 0 : i;
                result[i] = pointInside(c.points, rows[k], cols[k]) ? 1 : 0;
            }
        });
        if (isInside)
            *isInside = HTuple(result);
        return kSuccess;
    });
}

Herror length_xld(const Hobject &xld, HTuple *length)
{
    return guarded([&]() -> Herror {
        std::vector<XldPtr> input;
        const Herror err = xldsOf(xld, 1, input, true);
        if (err != kSuccess)
            return err;
        std::vector<double> result;
        result.reserve(input.size());
        for (const XldPtr &contour : input) {
            double sum = 0.0;
            for (size_t i = 1; i < contour->points.size(); ++i)
                sum += std::hypot(contour->points[i].row - contour->points[i - 1].row,
                                  contour->points[i].col - contour->points[i - 1].col);
            result.push_back(sum);
        }
        if (length)
            *length = HTuple(result);
        return kSuccess;
    });
}

Herror smallest_rectangle1_xld(const Hobject &xld, HTuple *row1, HTuple *column1, HTuple *row2, HTuple *column2)
{
    return guarded([&]() -> Herror {
        std::vector<XldPtr> input;
        const Herror err = xldsOf(xld, 1, input, true);
        if (err != kSuccess)
            return err;
        std::vector<double> r1, c1, r2, c2;
        for (const XldPtr &contour : input) {
            if (contour->points.empty()) {
                r1.push_back(0.0);
                c1.push_back(0.0);
                r2.push_back(-1.0);
                c2.push_back(-1.0);
                continue;
            }
            double minR = contour->points[0].row, maxR = minR, minC = contour->points[0].col, maxC = minC;
            for (const XldPoint &p : contour->points) {
                minR = std::min(minR, p.row);
                maxR = std::max(maxR, p.row);
                minC = std::min(minC, p.col);
                maxC = std::max(maxC, p.col);
            }
            r1.push_back(minR);
            c1.push_back(minC);
            r2.push_back(maxR);
            c2.push_back(maxC);
        }
        if (row1)
            *row1 = HTuple(r1);
        if (column1)
            *column1 = HTuple(c1);
        if (row2)
            *row2 = HTuple(r2);
        if (column2)
            *column2 = HTuple(c2);
        return kSuccess;
    });
}

} // namespace Halcon
