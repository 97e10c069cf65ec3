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
