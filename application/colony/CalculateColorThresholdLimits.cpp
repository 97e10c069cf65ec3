#include "CalculateColorThresholdLimits.h"

#include <QtGlobal>

#include <cmath>

namespace {

// A limit as an integer; NaN or a value beyond any grey value counts as the open side, so
// the conversion never meets a value an int cannot hold.
int toLimit(double value, int openValue)
{
    if (!std::isfinite(value))
        return openValue;
    return int(qBound(-1.0e6, value, 1.0e6));
}

void channelLimits(double start, double end, double startPercent, double endPercent, double range, bool wraps,
                   int& minimum, int& maximum)
{
    minimum = 0;
    maximum = 255;
    if (startPercent >= 0.0 && startPercent <= 100.0)
        minimum = toLimit(std::floor(start - startPercent * range / 100.0), 0);
    if (endPercent >= 0.0 && endPercent <= 100.0)
        maximum = toLimit(std::ceil(end + endPercent * range / 100.0), 255);
    if (wraps) {
        if (minimum < 0)
            minimum += 256;
        if (maximum > 255)
            maximum -= 256;
    } else {
        if (minimum < 0)
            minimum = 0;
        if (maximum > 255)
            maximum = 255;
    }
}

} // namespace

void CalculateColorThresholdLimits(double startHue, double endHue, double startHuePercent, double endHuePercent,
                                   double hueRange, double startSaturation, double endSaturation,
                                   double startSaturationPercent, double endSaturationPercent,
                                   double saturationRange, double startIntensity, double endIntensity,
                                   double startIntensityPercent, double endIntensityPercent, double intensityRange,
                                   int& hueMin, int& hueMax, int& saturationMin, int& saturationMax,
                                   int& intensityMin, int& intensityMax)
{
    channelLimits(startHue, endHue, startHuePercent, endHuePercent, hueRange, true, hueMin, hueMax);
    channelLimits(startSaturation, endSaturation, startSaturationPercent, endSaturationPercent, saturationRange,
                  false, saturationMin, saturationMax);
    channelLimits(startIntensity, endIntensity, startIntensityPercent, endIntensityPercent, intensityRange, false,
                  intensityMin, intensityMax);
}
