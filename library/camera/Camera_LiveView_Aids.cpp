#include "Camera_LiveView_Aids.h"

#include "ErrorCodes.h"
#include "Halcon_Helper.h"
#include "HalconFunctions.h"

#include <LabwareGrid.h>
#include <PictureUnitConverter.h>

#include <HalconEnhanceOps.h>
#include <HalconFilterOps.h>
#include <HalconImageOps.h>
#include <HalconRegionOps.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace Camera_LiveView_Aids {

namespace {

using Halcon::HTuple;
using Halcon::Hobject;

constexpr Errors::Type_Error kInvalidValue = 3;

// Tolerance about the mean and mean-filter mask of the filter mean modes 1 .. 13.
struct FilterMode {
    double tolerance;
    int maskSize;
};
constexpr std::array<FilterMode, 13> kFilterModes{{{1.0, 0},
                                                  {2.0, 3},
                                                  {4.0, 5},
                                                  {7.0, 7},
                                                  {9.0, 9},
                                                  {12.0, 11},
                                                  {15.0, 13},
                                                  {18.0, 15},
                                                  {22.0, 17},
                                                  {26.0, 19},
                                                  {30.0, 21},
                                                  {35.0, 23},
                                                  {45.0, 25}}};

// Focus and homogeneity show the tolerance boundary this far below the right end of the
// scale, the aperture this far from its middle, in scale steps.
constexpr double kLowerScaleSpan = 40.8;
constexpr double kApertureScaleSpan = 11.43;

bool halconOk(Halcon::Herror result)
{
    HalconRecordError(result);
    return result == Halcon::kSuccess;
}

// The measured picture in one channel, its domain the area clipped to the picture.
struct Area {
    Hobject contour;
    Hobject gray;
    Hobject domain;
    double pixels = 0.0;
};

Errors::Type_Error measuringArea(const Hobject& picture, const Labware& labware, Area& area)
{
    if (const Errors::Type_Error error = MeasuringContour(picture, labware, area.contour))
        return error;
    Hobject gray;
    if (const Errors::Type_Error error = Halcon_Helper::ToGray(picture, gray))
        return error;
    Hobject region;
    if (!halconOk(Halcon::gen_region_contour_xld(area.contour, &region, "filled")))
        return kHalconFailed;
    if (const Errors::Type_Error error = Halcon_Helper::ReduceDomain(gray, region, area.gray))
        return error;
    HTuple pixels, row, column;
    if (!halconOk(Halcon::get_domain(area.gray, &area.domain))
        || !halconOk(Halcon::area_center(area.domain, &pixels, &row, &column)) || pixels.IsEmpty())
        return kHalconFailed;
    area.pixels = pixels.D();
    return area.pixels > 0.0 ? kNoError : kEmptyObject;
}

Errors::Type_Error meanGray(const Hobject& region, const Hobject& image, double& mean)
{
    HTuple means, deviations;
    if (!halconOk(Halcon::intensity(region, image, &means, &deviations)) || means.IsEmpty())
        return kHalconFailed;
    mean = means.D();
    return kNoError;
}

// Area and grey-value range (5 % of each end left out) of a part of the area.
Errors::Type_Error partMeasures(const Hobject& part, const Hobject& image, double& pixels, double& range)
{
    pixels = 0.0;
    range = 0.0;
    HTuple area, row, column;
    if (!halconOk(Halcon::area_center(part, &area, &row, &column)) || area.IsEmpty())
        return kHalconFailed;
    pixels = area.D();
    if (pixels <= 0.0)
        return kNoError;
    HTuple minimum, maximum, ranges;
    if (!halconOk(Halcon::min_max_gray(part, image, 5.0, &minimum, &maximum, &ranges)) || ranges.IsEmpty())
        return kHalconFailed;
    range = ranges.D();
    return kNoError;
}

// Lower limit and whether the current value reaches it, for the aids whose scale ends at
// the threshold. result is written only on success.
Errors::Type_Error thresholdResult(double current, double previousMaximum, double threshold, double sensibility,
                                   Result& result)
{
    if (!IsValidSensibility(sensibility) || !std::isfinite(threshold) || !std::isfinite(current))
        return kInvalidValue;
    Result computed;
    computed.current = current;
    computed.maximum = std::isfinite(previousMaximum) ? std::max(previousMaximum, current) : current;
    computed.lowerLimit = threshold - kLowerScaleSpan / sensibility;
    computed.inTolerance = computed.lowerLimit <= current;
    computed.slider = SliderPosition(255, (current - threshold) * sensibility);
    computed.sliderMaximum = SliderPosition(255, (computed.maximum - threshold) * sensibility);
    result = computed;
    return kNoError;
}

} // namespace

int SliderPosition(int offset, double d)
{
    if (std::isnan(d))
        return std::clamp(offset, 0, 255);
    // Far beyond the scale either way: no integer conversion may overflow.
    const double steps = std::trunc(std::clamp(d, -1000.0, 1000.0) + 0.5);
    return std::clamp(offset + int(steps), 0, 255);
}

bool IsValidPosition(double value)
{
    return std::isfinite(value) && std::abs(value) <= MaximumPictureUnits;
}

bool IsValidSize(double value)
{
    return IsValidPosition(value) && value > 0.0;
}

bool IsValidSensibility(double sensibility)
{
    return std::isfinite(sensibility) && sensibility > 0.0;
}

bool IsValidArea(const Labware& area)
{
    return IsValidPosition(area.PositionX) && IsValidPosition(area.PositionY) && IsValidSize(area.SizeX)
        && IsValidSize(area.SizeY) && std::isfinite(area.Angle);
}

Errors::Type_Error MeasuringContour(const Hobject& picture, const Labware& area, Hobject& contour)
{
    contour = Hobject();
    if (const Errors::Type_Error error = Halcon_Helper::CheckImage(picture))
        return error;
    if (!IsValidArea(area))
        return kInvalidValue;
    PictureUnitConverter converter(picture);
    Hobject built = GenerateRotatedRectangleContour(&converter, area.PositionX, area.PositionY, area.SizeX, area.SizeY,
                                                    area.Angle);
    if (Halcon_Helper::CheckNotEmpty(built) != kNoError)
        return kHalconFailed;
    contour = built;
    return kNoError;
}

Errors::Type_Error MeasureFocus(const Hobject& picture, const Labware& labware, double& focus, Hobject& contour)
{
    focus = 0.0;
    Area area;
    const Errors::Type_Error error = measuringArea(picture, labware, area);
    contour = area.contour;
    if (error)
        return error;
    // Only the area's edges are computed: inside it they are those of the whole picture.
    Hobject amplitude;
    if (!halconOk(Halcon::sobel_amp(area.gray, &amplitude, "sum_abs", 3)))
        return kHalconFailed;
    return meanGray(area.domain, amplitude, focus);
}

Errors::Type_Error MeasureAperture(const Hobject& picture, const Labware& labware, double& grayValue,
                                   Hobject& contour)
{
    grayValue = 0.0;
    Area area;
    const Errors::Type_Error error = measuringArea(picture, labware, area);
    contour = area.contour;
    if (error)
        return error;
    return meanGray(area.domain, area.gray, grayValue);
}

bool HomogeneityFilter(int filterMeanMode, double& tolerance, int& maskSize)
{
    tolerance = 0.0;
    maskSize = 0;
    if (filterMeanMode < 1 || filterMeanMode > int(kFilterModes.size()))
        return false;
    tolerance = kFilterModes[size_t(filterMeanMode - 1)].tolerance;
    maskSize = kFilterModes[size_t(filterMeanMode - 1)].maskSize;
    return true;
}

double HomogeneityValue(double area, double darkArea, double brightArea, double darkRange, double brightRange)
{
    if (!(area > 0.0))
        return 0.0;
    double h = std::max(0.0, 100.0 - (darkArea + brightArea) * 100.0 / area);
    if (darkArea > 0.0)
        h = std::max(0.0, h - darkRange * h / 255.0);
    if (brightArea > 0.0)
        h = std::max(0.0, h - brightRange * h / 255.0);
    return h;
}

Errors::Type_Error MeasureHomogeneity(const Hobject& picture, const Labware& labware, int filterMeanMode,
                                      Homogeneity& result)
{
    result = Homogeneity();
    double tolerance = 0.0;
    int maskSize = 0;
    if (!HomogeneityFilter(filterMeanMode, tolerance, maskSize))
        return kInvalidValue;
    Area area;
    const Errors::Type_Error error = measuringArea(picture, labware, area);
    result.contour = area.contour;
    if (error)
        return error;

    Hobject smoothed = area.gray;
    if (maskSize > 0 && !halconOk(Halcon::mean_image(area.gray, &smoothed, maskSize, maskSize)))
        return kHalconFailed;
    double mean = 0.0;
    if (const Errors::Type_Error meanError = meanGray(area.domain, smoothed, mean))
        return meanError;
    const int lower = std::max(0, int(std::trunc(mean - tolerance + 0.5)));
    const int upper = std::min(255, int(std::trunc(mean + tolerance + 0.5)));

    // Both inside the area, since the smoothed picture's domain is the area.
    Hobject dark, bright;
    if (!halconOk(Halcon::threshold(smoothed, &dark, 0, lower))
        || !halconOk(Halcon::threshold(smoothed, &bright, upper, 255)))
        return kHalconFailed;
    double darkArea = 0.0, darkRange = 0.0, brightArea = 0.0, brightRange = 0.0;
    if (const Errors::Type_Error darkError = partMeasures(dark, smoothed, darkArea, darkRange))
        return darkError;
    if (const Errors::Type_Error brightError = partMeasures(bright, smoothed, brightArea, brightRange))
        return brightError;

    result.value = HomogeneityValue(area.pixels, darkArea, brightArea, darkRange, brightRange);
    result.dark = dark;
    result.bright = bright;
    result.lowerThreshold = lower;
    result.upperThreshold = upper;
    return kNoError;
}

Errors::Type_Error FocusResult(double current, double previousMaximum,
                               const Camera_LiveView_Settings_Data::GradientValueGroup& values, Result& result)
{
    return thresholdResult(current, previousMaximum, values.Threshold, values.Sensibility, result);
}

Errors::Type_Error ApertureResult(double current, const Camera_LiveView_Settings_Data::GrayValueGroup& values,
                                  Result& result)
{
    if (!IsValidSensibility(values.Sensibility) || !std::isfinite(values.Center) || !std::isfinite(current))
        return kInvalidValue;
    Result computed;
    computed.current = current;
    computed.lowerLimit = values.Center - kApertureScaleSpan / values.Sensibility;
    computed.upperLimit = values.Center + kApertureScaleSpan / values.Sensibility;
    computed.inTolerance = computed.lowerLimit <= current && current <= computed.upperLimit;
    computed.slider = SliderPosition(127, (current - values.Center) * values.Sensibility);
    result = computed;
    return kNoError;
}

Errors::Type_Error HomogeneityResult(double current, double previousMaximum,
                                     const Camera_LiveView_Settings_Data::HomogeneousGroup& values, Result& result)
{
    return thresholdResult(current, previousMaximum, values.Threshold, values.Sensibility, result);
}

} // namespace Camera_LiveView_Aids
