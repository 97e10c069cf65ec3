#pragma once

#include <Hobject.h>

// What a model is made with; angles in degrees.
struct ModelMatchingCreateParameters {
    int PyramidLevels = 10;
    double Angle = 0.0;          // centre of the model's angle range
    double AngleTolerance = 0.0; // half width of the range
    double AngleStep = 0.1;
    double ScaleTolerance = 0.0; // scales 1 - this to 1 + this
    double ScaleStep = 0.0025;
};

// What model creation hands back; pixels of the template picture.
struct ModelMatchingCreateResult {
    void Reset() { *this = ModelMatchingCreateResult(); }

    int Status = 2;                  // the last failing layer code; 2 = success
    Halcon::Hobject SearchContour;   // the settings' search rectangle
    Halcon::Hobject ModelPicture;    // the filtered template reduced to the model regions
    Halcon::Hobject RoiContours;     // the model regions as contours
    Halcon::Hobject ModelContour;    // the model's edges laid onto the template picture
};
