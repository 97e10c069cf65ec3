#pragma once

#include "Camera_LiveView_Settings_Data.h"
#include "Errors.h"

#include <Hobject.h>

// The measurements of the live view's set-up aids and the numbers their panels show. Pure:
// nothing here keeps state or touches a widget, so each can run on any thread.
//
// A measuring area is a LabwareGroup in picture units of the measured picture (percent of
// its longer side). Failures: 41 or 42 for a picture that is no image, 3 for an area whose
// size is not above 0 or whose values are not finite, for a sensibility not above 0 and for
// an unknown filter mode, 42 when the area lies wholly off the picture; outputs keep their
// preset values then.
namespace Camera_LiveView_Aids {

using Labware = Camera_LiveView_Settings_Data::LabwareGroup;

// What a panel shows after one picture.
struct Result {
    double current = 0.0;
    double maximum = 0.0; // focus and homogeneity: the highest current value since the panel opened
    double lowerLimit = 0.0;
    double upperLimit = 0.0; // aperture only
    bool inTolerance = false;
    int slider = 0; // 0 .. 255
    int sliderMaximum = 0; // focus and homogeneity
};

// Values outside these picture units (tenfold the picture) are no area of a live picture.
constexpr double MaximumPictureUnits = 1000.0;

// offset + (d + 0.5 truncated toward zero), kept within 0 .. 255.
int SliderPosition(int offset, double d);

// The area's outline on the picture: centre at its middle, half lengths half its sizes.
Errors::Type_Error MeasuringContour(const Halcon::Hobject& picture, const Labware& area, Halcon::Hobject& contour);
bool IsValidArea(const Labware& area);
// One position or size of a valid area.
bool IsValidPosition(double value);
bool IsValidSize(double value);
bool IsValidSensibility(double sensibility);

// Mean edge strength (Sobel "sum_abs", size 3) inside the area.
Errors::Type_Error MeasureFocus(const Halcon::Hobject& picture, const Labware& area, double& focus,
                                Halcon::Hobject& contour);
// Mean grey value inside the area.
Errors::Type_Error MeasureAperture(const Halcon::Hobject& picture, const Labware& area, double& grayValue,
                                   Halcon::Hobject& contour);

// Smoothing of a filter mean mode (1 "Off" .. 13 "Ultra extreme"): the tolerance about the
// mean and the square mask of the mean filter (0 for none); false for any other mode.
bool HomogeneityFilter(int filterMeanMode, double& tolerance, int& maskSize);
// Percent of the area that keeps to its mean brightness, less the spread inside the dark
// and the bright parts (ranges in grey values); never below 0. 0 for an area without pixels.
double HomogeneityValue(double area, double darkArea, double brightArea, double darkRange, double brightRange);

struct Homogeneity {
    double value = 0.0;
    Halcon::Hobject contour;
    Halcon::Hobject dark; // darker than the mean less the tolerance
    Halcon::Hobject bright; // brighter than the mean plus the tolerance
    int lowerThreshold = 0;
    int upperThreshold = 0;
};
Errors::Type_Error MeasureHomogeneity(const Halcon::Hobject& picture, const Labware& area, int filterMeanMode,
                                      Homogeneity& result);

// The panel numbers of a measured value; previousMaximum is what the panel held before.
Errors::Type_Error FocusResult(double current, double previousMaximum,
                               const Camera_LiveView_Settings_Data::GradientValueGroup& values, Result& result);
Errors::Type_Error ApertureResult(double current, const Camera_LiveView_Settings_Data::GrayValueGroup& values,
                                  Result& result);
Errors::Type_Error HomogeneityResult(double current, double previousMaximum,
                                     const Camera_LiveView_Settings_Data::HomogeneousGroup& values, Result& result);

} // namespace Camera_LiveView_Aids
