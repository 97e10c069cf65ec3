#include "ImageStitcherSettingsData.h"

#include <cmath>

namespace {

// PosX, PosY, SizeX, SizeY of both areas per picture position; angles stay 0.
constexpr double kDefaultAreas[ImageStitcherSettingsData::PicturesCount][2][4] = {
    {{86, 1, 12, 10}, {1, 55, 10, 12}}, {{1, 3, 10, 12}, {1, 60, 10, 12}}, {{1, 7, 10, 12}, {85, 61, 12, 10}},
    {{6, 1, 12, 10}, {90, 55, 10, 12}}, {{90, 3, 10, 12}, {90, 60, 10, 12}}, {{90, 7, 10, 12}, {6, 61, 12, 10}}};

void setArea(SearchAreaSettings& area, const double (&values)[4])
{
    area.setDefaults();
    area.PosX = values[0];
    area.PosY = values[1];
    area.SizeX = values[2];
    area.SizeY = values[3];
}

} // namespace

ImageStitcherSettingsData::ImageStitcherSettingsData()
{
    setDefaults();
}

void ImageStitcherSettingsData::setDefaults()
{
    name.clear();
    CrossModel.SetDefaults();
    CrossModel.Analyse.PyramidLevels = 5;
    DistanceCameraToCrossPlane = 246.1;
    DistancePointsPlaneToAgarPlane = -2.5;
    DistanceCrossPlaneToPointsPlane = 10.8;
    for (int i = 0; i < PicturesCount; ++i) {
        setArea(ReferencePoints[size_t(i)].Area1, kDefaultAreas[i][0]);
        setArea(ReferencePoints[size_t(i)].Area2, kDefaultAreas[i][1]);
    }
}

bool ImageStitcherSettingsData::distancesUsable() const
{
    const double d = DistanceCameraToCrossPlane;
    const double p = DistancePointsPlaneToAgarPlane;
    const double c = DistanceCrossPlaneToPointsPlane;
    if (!std::isfinite(d) || !std::isfinite(p) || !std::isfinite(c) || !(d > 0.0))
        return false;
    const double toAgar = 1.0 + (c + p) / d;
    const double correction = 1.0 - (c - (p + c)) / d;
    return std::isfinite(toAgar) && toAgar > 0.0 && std::isfinite(correction) && correction > 0.0;
}

bool ImageStitcherSettingsData::crossToAgarFactor(double& factor) const
{
    factor = 1.0;
    if (!distancesUsable())
        return false;
    factor = 1.0 + (DistanceCrossPlaneToPointsPlane + DistancePointsPlaneToAgarPlane) / DistanceCameraToCrossPlane;
    return true;
}

bool ImageStitcherSettingsData::correctionFactor(double& factor) const
{
    factor = 1.0;
    if (!distancesUsable())
        return false;
    const double c = DistanceCrossPlaneToPointsPlane;
    factor = 1.0 - (c - (DistancePointsPlaneToAgarPlane + c)) / DistanceCameraToCrossPlane;
    return true;
}
