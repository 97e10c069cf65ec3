#pragma once

// Layer-private: turns a template picture or contours into the edge points of every
// pyramid level of a shape model.

#include "HalconErrors.h"
#include "HobjectElements_p.h"
#include "ShapeModelData_p.h"

#include <memory>
#include <vector>

namespace Halcon::ShapeMatching {

enum class PointReduction { Auto, None, Low, Medium, High };

struct BuildParameters
{
    int numLevels = 0;          // 0 = automatic
    double angleStart = 0.0;
    double angleExtent = 0.0;
    double angleStep = 0.0;     // 0 = automatic
    double scaleMin = 1.0;
    double scaleMax = 1.0;
    double scaleStep = 0.0;     // 0 = automatic
    PointReduction reduction = PointReduction::Auto;
    Metric metric = Metric::UsePolarity;
    double contrastLow = -1.0;  // < 0 = automatic
    double contrastHigh = -1.0; // < 0 = automatic
    double minSize = -1.0;      // < 0 = automatic
    double minContrast = -1.0;  // < 0 = automatic
};

class ShapeModelBuilder
{
public:
    // The image's first element with its domain; kErrTooFewModelPoints when the template
    // has too few edges.
    static Herror fromImage(const ImageElement &image, const BuildParameters &parameters,
                            std::shared_ptr<ShapeModelData> *model);
    static Herror fromContours(const std::vector<XldPtr> &contours, const BuildParameters &parameters,
                               std::shared_ptr<ShapeModelData> *model);
};

} // namespace Halcon::ShapeMatching
