#pragma once

#include "ModelMatchingTransform.h"

#include <Hobject.h>

// One search request; angles in degrees, positions in pixels of the searched picture.
class ModelMatchingSearchParameters {
public:
    // Sub-pixel modes of the find.
    enum Enum_SubPixel {
        SubPixel_Default = 0,
        SubPixel_None = 1,
        SubPixel_Interpolation = 2,
        SubPixel_LeastSquares = 3,
        SubPixel_LeastSquaresHigh = 4,
        SubPixel_LeastSquaresVeryHigh = 5
    };

    // The three check flags on, everything else at its default.
    ModelMatchingSearchParameters() = default;

    // Everything but the three check flags back to the defaults.
    void SetDefaults();

    Halcon::Hobject Picture;
    // A closed XLD contour around the search region; anything else: the settings' search
    // rectangle is used.
    Halcon::Hobject SearchContour;
    // Applied to the search contour in this order, each only when set.
    ModelMatchingTransform SearchTransform1;
    ModelMatchingTransform SearchTransform2;
    // true: the model's extent is taken with the model turned by a quarter turn as Angle
    // lies; false: the smallest extent over a sweep of the searched angles.
    bool QuadrantRotation = false;
    // Pixels added to the rectangle of allowed positions: above 0 this value, 0 none,
    // below 0 (pyramid levels - 1) * 14.
    double SearchMargin = -1.0;
    double Angle = 0.0;
    // Replaced by the settings' tolerances when those are in use.
    double AngleTolerance = 0.0;
    double ScaleTolerance = 0.0;
    double MinimumScore = -1.0;  // below 0: the settings' minimum score
    double ScoreDivisor = 1.5;   // the find runs with the minimum score divided by this
    int PyramidLevels = -1;      // below 0: the settings' pyramid levels
    double MaxOverlap = 0.0;
    int SubPixel = SubPixel_Default;
    double Greediness = 0.0;
    int Timeout = 0;             // milliseconds; below 1 none
    bool CheckScore = true;
    bool CheckAngle = true;      // only when the settings' tolerances are in use
    bool CheckScale = true;      // likewise
};
