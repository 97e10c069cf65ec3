#include "ImageRefPointsMetrics.h"

#include <cmath>

bool ImageRefPointsMetrics::hasResolution() const
{
    const auto usable = [](double value) { return std::isfinite(value) && value != 0.0; };
    return usable(HorizontalResolution) && usable(VerticalResolution);
}

void ImageRefPointsMetrics::registerMetaType()
{
    qRegisterMetaType<ImageRefPointsMetrics>("ImageRefPointsMetrics");
}
