#pragma once

// Integer grey-value limits of the hue, saturation and intensity ranges of the HSI colour
// model: each range [start, end] widened on each side by its percent of the full range
// (a percent outside 0..100 opens that side completely). Hue limits wrap around the hue
// circle (so the lower limit may end above the upper one); saturation and intensity limits
// are clamped to 0..255.
void CalculateColorThresholdLimits(double startHue, double endHue, double startHuePercent, double endHuePercent,
                                   double hueRange, double startSaturation, double endSaturation,
                                   double startSaturationPercent, double endSaturationPercent,
                                   double saturationRange, double startIntensity, double endIntensity,
                                   double startIntensityPercent, double endIntensityPercent, double intensityRange,
                                   int& hueMin, int& hueMax, int& saturationMin, int& saturationMax,
                                   int& intensityMin, int& intensityMax);
