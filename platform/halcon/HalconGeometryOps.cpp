#include "HalconGeometryOps.h"

#include "ControlValues_p.h"
#include "HalconGuard_p.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace Halcon {

namespace {

using ControlValues::at;

// m := t * m, that is t applied after m.
void applyAfter(double m[6], const double t[6])
{
    const double r[6] = {
        t[0] * m[0] + t[1] * m[3],        t[0] * m[1] + t[1] * m[4],        t[0] * m[2] + t[1] * m[5] + t[2],
        t[3] * m[0] + t[4] * m[3],        t[3] * m[1] + t[4] * m[4],        t[3] * m[2] + t[4] * m[5] + t[5],
    };
    for (int i = 0; i < 6; ++i)
        m[i] = r[i];
}

// A linear part [a b; d e] about the fixed point (px, py): p' = L (p - P) + P.
void linearAbout(double a, double b, double d, double e, double px, double py, double t[6])
{
    t[0] = a;
    t[1] = b;
    t[2] = px - a * px - b * py;
    t[3] = d;
    t[4] = e;
    t[5] = py - d * px - e * py;
}

// Direction of a vector (dRow, dCol) counter-clockwise on screen: rows grow downward,
// so the row axis is negated against the mathematical y axis.
double direction(double dRow, double dCol)
{
    return std::atan2(-dRow, dCol);
}

double normalizeAngle(double a)
{
    while (a <= -std::numbers::pi)
        a += 2.0 * std::numbers::pi;
    while (a > std::numbers::pi)
        a -= 2.0 * std::numbers::pi;
    return a;
}

// Reads n point-wise parameters into values, and their common length.
Herror pointParameters(std::initializer_list<const HTuple *> tuples, std::vector<std::vector<double>> &values,
                       Hlong *count)
{
    values.assign(tuples.size(), {});
    std::vector<ControlValues::Length> lengths;
    int parameter = 1;
    for (const HTuple *t : tuples) {
        const Herror err = ControlValues::numbers(*t, parameter, &values[size_t(parameter - 1)]);
        if (err != kSuccess)
            return err;
        lengths.push_back({t->Length(), parameter});
        ++parameter;
    }
    Hlong n = 0;
    for (const auto &l : lengths)
        n = std::max(n, l.length);
    for (const auto &l : lengths) {
        if (n > 0 && l.length != 1 && l.length != n)
            return wrongCount(l.parameter);
    }
    *count = n;
    return kSuccess;
}

// Reads the point-wise parameters and answers `value(v, i)` for each index i of them.
template <typename Value>
Herror pointwise(std::initializer_list<const HTuple *> tuples, HTuple *result, Value value)
{
    return guarded([&]() -> Herror {
        std::vector<std::vector<double>> v;
        Hlong n = 0;
        const Herror err = pointParameters(tuples, v, &n);
        if (err != kSuccess)
            return err;
        std::vector<double> values(static_cast<size_t>(n));
        for (Hlong i = 0; i < n; ++i)
            values[size_t(i)] = value(v, i);
        if (result)
            *result = HTuple(values);
        return kSuccess;
    });
}

// Reads the matrix (parameter 1) and one number each from the following parameters, and
// answers the matrix followed by the transformation `make` builds from those numbers.
template <size_t N, typename Make>
Herror applyAfterMatrix(const HTuple &homMat2D, const std::array<const HTuple *, N> &arguments, HTuple *result,
                        Make make)
{
    return guarded([&]() -> Herror {
        double m[6];
        Herror err = ControlValues::matrix(homMat2D, 1, m);
        double values[N];
        for (size_t i = 0; i < N && err == kSuccess; ++i)
            err = ControlValues::number(*arguments[i], int(i) + 2, &values[i]);
        if (err != kSuccess)
            return err;
        double t[6];
        make(values, t);
        applyAfter(m, t);
        if (result)
            *result = ControlValues::matrixTuple(m);
        return kSuccess;
    });
}

} // namespace

Herror hom_mat2d_identity(HTuple *homMat2DIdentity)
{
    return guarded([&]() -> Herror {
        const double m[6] = {1.0, 0.0, 0.0, 0.0, 1.0, 0.0};
        if (homMat2DIdentity)
            *homMat2DIdentity = ControlValues::matrixTuple(m);
        return kSuccess;
    });
}

Herror hom_mat2d_translate(const HTuple &homMat2D, const HTuple &tx, const HTuple &ty, HTuple *homMat2DTranslate)
{
    return applyAfterMatrix<2>(homMat2D, {&tx, &ty}, homMat2DTranslate, [](const double v[2], double t[6]) {
        const double translation[6] = {1.0, 0.0, v[0], 0.0, 1.0, v[1]};
        std::copy(translation, translation + 6, t);
    });
}

Herror hom_mat2d_rotate(const HTuple &homMat2D, const HTuple &phi, const HTuple &px, const HTuple &py,
                        HTuple *homMat2DRotate)
{
    return applyAfterMatrix<3>(homMat2D, {&phi, &px, &py}, homMat2DRotate, [](const double v[3], double t[6]) {
        // Counter-clockwise on screen: row' = cos*row - sin*col, col' = sin*row + cos*col.
        const double c = std::cos(v[0]), s = std::sin(v[0]);
        linearAbout(c, -s, s, c, v[1], v[2], t);
    });
}

Herror hom_mat2d_scale(const HTuple &homMat2D, const HTuple &sx, const HTuple &sy, const HTuple &px,
                       const HTuple &py, HTuple *homMat2DScale)
{
    return applyAfterMatrix<4>(homMat2D, {&sx, &sy, &px, &py}, homMat2DScale,
                               [](const double v[4], double t[6]) { linearAbout(v[0], 0.0, 0.0, v[1], v[2], v[3], t); });
}

Herror hom_mat2d_invert(const HTuple &homMat2D, HTuple *homMat2DInvert)
{
    return guarded([&]() -> Herror {
        double m[6];
        const Herror err = ControlValues::matrix(homMat2D, 1, m);
        if (err != kSuccess)
            return err;
        const double det = m[0] * m[4] - m[1] * m[3];
        const double scale = std::max({std::abs(m[0]), std::abs(m[1]), std::abs(m[3]), std::abs(m[4])});
        if (scale == 0.0 || std::abs(det) <= 1e-12 * scale * scale)
            return kErrWrongValue1;
        const double a = m[4] / det, b = -m[1] / det, d = -m[3] / det, e = m[0] / det;
        const double r[6] = {a, b, -(a * m[2] + b * m[5]), d, e, -(d * m[2] + e * m[5])};
        if (homMat2DInvert)
            *homMat2DInvert = ControlValues::matrixTuple(r);
        return kSuccess;
    });
}

Herror hom_mat2d_compose(const HTuple &homMat2DLeft, const HTuple &homMat2DRight, HTuple *homMat2DCompose)
{
    return guarded([&]() -> Herror {
        double left[6], right[6];
        Herror err = ControlValues::matrix(homMat2DLeft, 1, left);
        if (err == kSuccess)
            err = ControlValues::matrix(homMat2DRight, 2, right);
        if (err != kSuccess)
            return err;
        applyAfter(right, left);
        if (homMat2DCompose)
            *homMat2DCompose = ControlValues::matrixTuple(right);
        return kSuccess;
    });
}

Herror affine_trans_point_2d(const HTuple &homMat2D, const HTuple &px, const HTuple &py, HTuple *qx, HTuple *qy)
{
    return guarded([&]() -> Herror {
        double m[6];
        Herror err = ControlValues::matrix(homMat2D, 1, m);
        if (err != kSuccess)
            return err;
        if (px.Length() == 1 && py.Length() == 1) {
            // One point, as most callers map, from every thread: no lists.
            double r = 0.0, c = 0.0;
            if ((err = ControlValues::number(px, 2, &r)) != kSuccess
                || (err = ControlValues::number(py, 3, &c)) != kSuccess)
                return err;
            if (qx)
                *qx = HTuple(m[0] * r + m[1] * c + m[2]);
            if (qy)
                *qy = HTuple(m[3] * r + m[4] * c + m[5]);
            return kSuccess;
        }
        std::vector<double> rows, cols;
        if ((err = ControlValues::numbers(px, 2, &rows)) != kSuccess
            || (err = ControlValues::numbers(py, 3, &cols)) != kSuccess)
            return err;
        Hlong n = 0;
        if ((err = ControlValues::commonLength({{px.Length(), 2}, {py.Length(), 3}}, true, &n)) != kSuccess)
            return err;
        std::vector<double> outRows(static_cast<size_t>(n)), outCols(static_cast<size_t>(n));
        for (Hlong i = 0; i < n; ++i) {
            const double r = at(rows, i), c = at(cols, i);
            outRows[size_t(i)] = m[0] * r + m[1] * c + m[2];
            outCols[size_t(i)] = m[3] * r + m[4] * c + m[5];
        }
        if (qx)
            *qx = HTuple(outRows);
        if (qy)
            *qy = HTuple(outCols);
        return kSuccess;
    });
}

Herror distance_pp(const HTuple &row1, const HTuple &column1, const HTuple &row2, const HTuple &column2,
                   HTuple *distance)
{
    return pointwise({&row1, &column1, &row2, &column2}, distance, [](const auto &v, Hlong i) {
        return std::hypot(at(v[2], i) - at(v[0], i), at(v[3], i) - at(v[1], i));
    });
}

Herror angle_ll(const HTuple &rowA1, const HTuple &columnA1, const HTuple &rowA2, const HTuple &columnA2,
                const HTuple &rowB1, const HTuple &columnB1, const HTuple &rowB2, const HTuple &columnB2,
                HTuple *angle)
{
    return pointwise({&rowA1, &columnA1, &rowA2, &columnA2, &rowB1, &columnB1, &rowB2, &columnB2}, angle,
                     [](const auto &v, Hlong i) {
                         const double a = direction(at(v[2], i) - at(v[0], i), at(v[3], i) - at(v[1], i));
                         const double b = direction(at(v[6], i) - at(v[4], i), at(v[7], i) - at(v[5], i));
                         return normalizeAngle(b - a);
                     });
}

Herror angle_lx(const HTuple &row1, const HTuple &column1, const HTuple &row2, const HTuple &column2, HTuple *angle)
{
    return pointwise({&row1, &column1, &row2, &column2}, angle, [](const auto &v, Hlong i) {
        return normalizeAngle(direction(at(v[2], i) - at(v[0], i), at(v[3], i) - at(v[1], i)));
    });
}

Herror intersection_ll(const HTuple &rowA1, const HTuple &columnA1, const HTuple &rowA2, const HTuple &columnA2,
                       const HTuple &rowB1, const HTuple &columnB1, const HTuple &rowB2, const HTuple &columnB2,
                       HTuple *row, HTuple *column, HTuple *isOverlapping)
{
    return guarded([&]() -> Herror {
        std::vector<std::vector<double>> v;
        Hlong n = 0;
        const Herror err = pointParameters({&rowA1, &columnA1, &rowA2, &columnA2, &rowB1, &columnB1, &rowB2, &columnB2},
                                           v, &n);
        if (err != kSuccess)
            return err;
        std::vector<double> rows(static_cast<size_t>(n)), cols(static_cast<size_t>(n));
        for (Hlong i = 0; i < n; ++i) {
            const double ar = at(v[0], i), ac = at(v[1], i);
            const double dar = at(v[2], i) - ar, dac = at(v[3], i) - ac;
            const double br = at(v[4], i), bc = at(v[5], i);
            const double dbr = at(v[6], i) - br, dbc = at(v[7], i) - bc;
            const double cross = dar * dbc - dac * dbr;
            const double lengths = std::hypot(dar, dac) * std::hypot(dbr, dbc);
            // A line of zero length has no direction: a bad point of that line, not parallelism.
            if (std::hypot(dar, dac) == 0.0)
                return kErrWrongValue1;
            if (std::hypot(dbr, dbc) == 0.0)
                return kErrWrongValue5;
            if (std::abs(cross) <= 1e-12 * lengths)
                return kErrParallelLines;
            const double t = ((br - ar) * dbc - (bc - ac) * dbr) / cross;
            rows[size_t(i)] = ar + t * dar;
            cols[size_t(i)] = ac + t * dac;
        }
        if (row)
            *row = HTuple(rows);
        if (column)
            *column = HTuple(cols);
        if (isOverlapping)
            *isOverlapping = HTuple(std::vector<Hlong>(size_t(n), 0));
        return kSuccess;
    });
}

} // namespace Halcon
