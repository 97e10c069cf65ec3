#include "ShapeModelData_p.h"

#include <algorithm>
#include <cmath>

namespace Halcon::ShapeMatching {

namespace {

constexpr const char *kMetricNames[] = {"use_polarity", "ignore_global_polarity", "ignore_local_polarity",
                                        "ignore_color_polarity"};

} // namespace

const char *metricName(Metric metric)
{
    return kMetricNames[int(metric)];
}

bool metricFromName(const std::string &name, Metric *metric)
{
    for (int i = 0; i < 4; ++i) {
        if (name == kMetricNames[i]) {
            *metric = Metric(i);
            return true;
        }
    }
    return false;
}

bool withinLimits(const ShapeModelData &data)
{
    using namespace ModelLimits;
    const auto coordinate = [](double v) { return std::isfinite(v) && std::fabs(v) <= kMaxCoordinate; };
    const auto within = [](double v, double low, double high) { return std::isfinite(v) && v >= low && v <= high; };
    if (!within(data.angleStart, -kMaxAngle, kMaxAngle) || !within(data.angleExtent, 0.0, kMaxAngle)
        || !within(data.angleStep, 0.0, kMaxAngle) || data.angleStep <= 0.0
        || !within(data.scaleMin, kMinScale, kMaxScale) || !within(data.scaleMax, data.scaleMin, kMaxScale)
        || !within(data.scaleStep, 0.0, kMaxScale) || data.scaleStep <= 0.0
        || !within(data.minContrast, 0.0, kMaxMinContrast) || data.levels.empty()
        || data.numLevels() > kMaxLevels)
        return false;
    for (const ModelLevel &level : data.levels) {
        for (const ModelPoint &p : level.points) {
            const double length = std::hypot(double(p.dx), double(p.dy));
            if (!coordinate(p.x) || !coordinate(p.y) || !(std::fabs(length - 1.0) <= 1e-3))
                return false;
        }
        for (const auto &contour : level.contours)
            for (const XldPoint &q : contour)
                if (!coordinate(q.row) || !coordinate(q.col))
                    return false;
    }
    return true;
}

void computeExtent(ShapeModelData &data)
{
    data.boxX1 = data.boxY1 = data.boxX2 = data.boxY2 = 0.0f;
    data.radius = 0.0f;
    if (data.levels.empty() || data.levels.front().points.empty())
        return;
    const auto &points = data.levels.front().points;
    float x1 = points[0].x, x2 = x1, y1 = points[0].y, y2 = y1, r2 = 0.0f;
    for (const ModelPoint &p : points) {
        x1 = std::min(x1, p.x);
        x2 = std::max(x2, p.x);
        y1 = std::min(y1, p.y);
        y2 = std::max(y2, p.y);
        r2 = std::max(r2, p.x * p.x + p.y * p.y);
    }
    data.boxX1 = x1;
    data.boxX2 = x2;
    data.boxY1 = y1;
    data.boxY2 = y2;
    data.radius = std::sqrt(r2);
}

} // namespace Halcon::ShapeMatching
