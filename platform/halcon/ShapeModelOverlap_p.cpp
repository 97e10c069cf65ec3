#include "ShapeModelOverlap_p.h"

#include <cmath>

namespace Halcon::ShapeMatching {

double polygonArea(const std::vector<cv::Point2d> &polygon)
{
    double area = 0.0;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const cv::Point2d &a = polygon[i], &b = polygon[(i + 1) % polygon.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return std::fabs(area) * 0.5;
}

// Intersection area of two convex quadrilaterals (Sutherland-Hodgman).
double intersectionArea(const Quad &a, const Quad &b)
{
    std::vector<cv::Point2d> polygon(a.corners.begin(), a.corners.end());
    // Clip against each edge of b, keeping the side of b's interior.
    const double orientation = (b.corners[1] - b.corners[0]).cross(b.corners[2] - b.corners[1]) >= 0.0 ? 1.0 : -1.0;
    for (int e = 0; e < 4 && !polygon.empty(); ++e) {
        const cv::Point2d p = b.corners[size_t(e)], q = b.corners[size_t((e + 1) % 4)];
        auto inside = [&](const cv::Point2d &r) { return orientation * (q - p).cross(r - p) >= 0.0; };
        std::vector<cv::Point2d> clipped;
        for (size_t i = 0; i < polygon.size(); ++i) {
            const cv::Point2d &cur = polygon[i], &next = polygon[(i + 1) % polygon.size()];
            const bool ci = inside(cur), ni = inside(next);
            if (ci)
                clipped.push_back(cur);
            if (ci != ni) {
                const double d1 = (q - p).cross(cur - p), d2 = (q - p).cross(next - p);
                const double t = d1 / (d1 - d2);
                clipped.push_back(cur + t * (next - cur));
            }
        }
        polygon = std::move(clipped);
    }
    return polygon.size() < 3 ? 0.0 : polygonArea(polygon);
}

Quad boxOf(const ShapeModelData &model, const Match &m, double originX, double originY)
{
    // The match holds the origin's position; the box is about the reference point.
    const double c = std::cos(m.angle), s = std::sin(m.angle);
    const double refX = m.column - m.scale * (c * originX + s * originY);
    const double refY = m.row - m.scale * (-s * originX + c * originY);
    const double xs[4] = {model.boxX1 - 0.5, model.boxX2 + 0.5, model.boxX2 + 0.5, model.boxX1 - 0.5};
    const double ys[4] = {model.boxY1 - 0.5, model.boxY1 - 0.5, model.boxY2 + 0.5, model.boxY2 + 0.5};
    Quad q;
    for (int i = 0; i < 4; ++i)
        q.corners[size_t(i)] = {refX + m.scale * (c * xs[i] + s * ys[i]), refY + m.scale * (-s * xs[i] + c * ys[i])};
    return q;
}

} // namespace Halcon::ShapeMatching
