#pragma once

// Layer-private: what a shape model holds. Made once by ShapeModelBuilder (or read from a
// file) and never changed afterwards, so searches share it without a lock; what callers
// may change (origin, time-out) lives beside it in ShapeModelRegistry.

#include "HobjectElements_p.h"

#include <memory>
#include <string>
#include <vector>

namespace Halcon::ShapeMatching {

enum class Metric { UsePolarity = 0, IgnoreGlobalPolarity = 1, IgnoreLocalPolarity = 2, IgnoreColorPolarity = 3 };

const char *metricName(Metric metric);
bool metricFromName(const std::string &name, Metric *metric);

// One edge point relative to the reference point, in pixels of its level: x = column,
// y = row; (dx, dy) is the unit gradient direction (column, row components).
struct ModelPoint
{
    float x;
    float y;
    float dx;
    float dy;
};

struct ModelLevel
{
    std::vector<ModelPoint> points;               // matched points, in contour order
    std::vector<std::vector<XldPoint>> contours;  // all edges, for display
};

constexpr int kMaxLevels = 10;

struct ShapeModelData
{
    double angleStart = 0.0;
    double angleExtent = 0.0;
    double angleStep = 0.0;
    double scaleMin = 1.0;
    double scaleMax = 1.0;
    double scaleStep = 0.0;
    Metric metric = Metric::UsePolarity;
    double minContrast = 10.0;
    int channels = 1;                   // channels of the template (contour models: 1)
    bool fromContours = false;
    // Box of the level-1 points around the reference point (for the overlap of matches).
    float boxX1 = 0.0f, boxY1 = 0.0f, boxX2 = 0.0f, boxY2 = 0.0f;
    float radius = 0.0f;                // largest distance of a level-1 point from the reference
    std::vector<ModelLevel> levels;     // [0] = level 1

    int numLevels() const { return int(levels.size()); }
};

using ModelDataPtr = std::shared_ptr<const ShapeModelData>;

// The range every model stays in, made here or read from a file, so that a search with it
// keeps its integer arithmetic and its time-out within range.
namespace ModelLimits {
constexpr double kMaxCoordinate = double(1 << 20); // points, contours, origin: pixels of their level
constexpr double kMaxAngle = 6.283185307179586 + 1e-9; // |angle start|, angle extent and step
constexpr double kMinScale = 0.01;
constexpr double kMaxScale = 100.0;
constexpr double kMaxMinContrast = 1.0e6;
constexpr long long kMaxTimeoutMs = 1000000000000LL;
} // namespace ModelLimits

// Whether ranges, contrast and every point and contour of the model lie within ModelLimits,
// with unit gradient directions.
bool withinLimits(const ShapeModelData &data);

// Box and radius from the level-1 points.
void computeExtent(ShapeModelData &data);

} // namespace Halcon::ShapeMatching
