#include "ShapeModelRefine_p.h"

#include <algorithm>
#include <cmath>

namespace Halcon::ShapeMatching {

namespace {

// The gradient projected onto the normal (nx, ny) at a sub-pixel point, interpolated
// bilinearly from the four pixels around it. Each pixel's projection is taken before
// interpolating, in absolute value when the polarity may change locally, so that
// neighbours of opposite contrast do not cancel. With `magnitude` the projection of the
// gradient itself and its interpolated length; without, of the unit direction.
bool sampleProjection(const GradientImage &g, double x, double y, double nx, double ny, bool absolute,
                      bool magnitude, double *projection, double *length)
{
    if (!(x >= 0.0 && y >= 0.0 && x <= g.ux.cols - 1.001 && y <= g.ux.rows - 1.001))
        return false;
    const int x0 = int(x), y0 = int(y);
    const double fx = x - x0, fy = y - y0;
    const double w[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
    const int xs[4] = {x0, x0 + 1, x0, x0 + 1}, ys[4] = {y0, y0, y0 + 1, y0 + 1};
    double sum = 0.0, size = 0.0;
    for (int k = 0; k < 4; ++k) {
        const double m = magnitude ? g.magnitude.at<float>(ys[k], xs[k]) : 1.0;
        const double ux = g.ux.at<float>(ys[k], xs[k]), uy = g.uy.at<float>(ys[k], xs[k]);
        const double p = (ux * nx + uy * ny) * m;
        sum += w[k] * (absolute ? std::fabs(p) : p);
        size += w[k] * ((ux != 0.0 || uy != 0.0) ? m : 0.0);
    }
    *projection = sum;
    if (length)
        *length = size;
    return true;
}

// Solves the n x n system (n <= 4) in place by Gaussian elimination; false if singular.
bool solve(int n, double a[4][4], double b[4])
{
    for (int col = 0; col < n; ++col) {
        int pivot = col;
        for (int r = col + 1; r < n; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col]))
                pivot = r;
        if (std::fabs(a[pivot][col]) < 1e-12)
            return false;
        std::swap(a[col], a[pivot]);
        std::swap(b[col], b[pivot]);
        for (int r = col + 1; r < n; ++r) {
            const double f = a[r][col] / a[col][col];
            for (int k = col; k < n; ++k)
                a[r][k] -= f * a[col][k];
            b[r] -= f * b[col];
        }
    }
    for (int col = n - 1; col >= 0; --col) {
        for (int k = col + 1; k < n; ++k)
            b[col] -= a[col][k] * b[k];
        b[col] /= a[col][col];
    }
    return true;
}

} // namespace

// Similarity at a sub-pixel pose, 0 .. 1.
double subPixelScore(const std::vector<ModelPoint> &points, const GradientImage &g, const Pose &pose,
                     Polarity polarity)
{
    const double c = std::cos(pose.angle), s = std::sin(pose.angle);
    double sum = 0.0;
    for (const ModelPoint &p : points) {
        const double qx = pose.x + pose.scale * (c * p.x + s * p.y);
        const double qy = pose.y + pose.scale * (-s * p.x + c * p.y);
        double v = 0.0;
        if (sampleProjection(g, qx, qy, c * p.dx + s * p.dy, -s * p.dx + c * p.dy, polarity == Polarity::LocalAbs,
                             false, &v, nullptr))
            sum += v;
    }
    if (polarity == Polarity::GlobalAbs)
        sum = std::fabs(sum);
    return points.empty() ? 0.0 : std::clamp(sum / double(points.size()), 0.0, 1.0);
}

// Moves the pose so that the model points lie on the picture's edges: each point looks
// for the strongest edge across it (parabola through the gradient samples along its
// normal) and the pose minimises the distances along the normals, robustly weighted.
bool refineLeastSquares(const std::vector<ModelPoint> &points, const GradientImage &g, Polarity polarity,
                        const LeastSquaresSetup &setup, Pose &pose)
{
    constexpr int kMaxSamples = 33;
    double values[kMaxSamples];
    bool moved = false;
    for (int iteration = 0; iteration < setup.iterations; ++iteration) {
        const double reach = iteration == 0 ? 2.0 : iteration == 1 ? 1.5 : 1.0;
        const int half = std::min(int(std::lround(reach / setup.sampleStep)), kMaxSamples / 2);
        const double c = std::cos(pose.angle), s = std::sin(pose.angle);
        double ata[4][4] = {}, atb[4] = {};
        int inliers = 0;
        for (const ModelPoint &p : points) {
            const double mx = pose.scale * (c * p.x + s * p.y), my = pose.scale * (-s * p.x + c * p.y);
            const double qx = pose.x + mx, qy = pose.y + my;
            const double nx = c * p.dx + s * p.dy, ny = -s * p.dx + c * p.dy;
            int best = -1;
            bool usable = true;
            for (int k = -half; k <= half; ++k) {
                const double t = k * setup.sampleStep;
                double projection = 0.0, length = 0.0;
                if (!sampleProjection(g, qx + t * nx, qy + t * ny, nx, ny, polarity == Polarity::LocalAbs, true,
                                      &projection, &length)) {
                    usable = false;
                    break;
                }
                double v = polarity == Polarity::LocalAbs ? projection : setup.sign * projection;
                // Only edges running along the model edge count.
                if (v < 0.8 * length)
                    v = 0.0;
                values[k + half] = v;
                if (best < 0 || v > values[best])
                    best = k + half;
            }
            if (!usable || best <= 0 || best >= 2 * half || values[best] < setup.minContrast)
                continue;
            const double a = values[best - 1], b = values[best], d = values[best + 1];
            const double denominator = a - 2.0 * b + d;
            const double vertex = denominator < 0.0 ? 0.5 * (a - d) / denominator : 0.0;
            const double distance = ((best - half) + std::clamp(vertex, -0.5, 0.5)) * setup.sampleStep;
            // Tukey weights: far points are likely clutter.
            const double limit = reach;
            if (std::fabs(distance) >= limit)
                continue;
            const double u = distance / limit;
            const double w = (1.0 - u * u) * (1.0 - u * u);
            const double j[4] = {nx, ny, nx * (pose.scale * (-s * p.x + c * p.y)) + ny * (pose.scale * (-c * p.x - s * p.y)),
                                 nx * (mx / pose.scale) + ny * (my / pose.scale)};
            for (int r = 0; r < 4; ++r) {
                for (int k = 0; k < 4; ++k)
                    ata[r][k] += w * j[r] * j[k];
                atb[r] += w * j[r] * distance;
            }
            ++inliers;
        }
        if (inliers < 6)
            return moved;
        // Unknowns: x, y, then angle and scale unless fixed.
        int index[4] = {0, 1, 0, 0};
        int n = 2;
        if (!setup.fixAngle)
            index[n++] = 2;
        if (!setup.fixScale)
            index[n++] = 3;
        double a[4][4] = {}, b[4] = {};
        for (int r = 0; r < n; ++r) {
            for (int k = 0; k < n; ++k)
                a[r][k] = ata[index[r]][index[k]];
            b[r] = atb[index[r]];
            a[r][r] *= 1.0 + 1e-9;
            a[r][r] += 1e-9;
        }
        if (!solve(n, a, b))
            return moved;
        double delta[4] = {b[0], b[1], 0.0, 0.0};
        for (int r = 2; r < n; ++r)
            delta[index[r]] = b[r];
        pose.x += delta[0];
        pose.y += delta[1];
        pose.angle = std::clamp(pose.angle + delta[2], setup.angleLow, setup.angleHigh);
        pose.scale = std::clamp(pose.scale + delta[3], setup.scaleLow, setup.scaleHigh);
        moved = true;
        if (std::fabs(delta[0]) + std::fabs(delta[1]) < 1e-4 && std::fabs(delta[2]) < 1e-6 && std::fabs(delta[3]) < 1e-6)
            break;
    }
    return moved;
}

} // namespace Halcon::ShapeMatching
