#pragma once

// Layer-private: a shape model's pose scored and refined to sub-pixel precision on the
// gradients of one pyramid level.

#include "ShapeGradients_p.h"
#include "ShapeModelData_p.h"

#include <vector>

namespace Halcon::ShapeMatching {

// How a point's similarity (dot product of unit directions) enters the score.
enum class Polarity { Signed, GlobalAbs, LocalAbs };

struct Pose
{
    double x;
    double y;
    double angle;
    double scale;
};

struct LeastSquaresSetup
{
    int iterations;
    double sampleStep;
    bool fixAngle;
    bool fixScale;
    double angleLow, angleHigh, scaleLow, scaleHigh;
    double minContrast;
    double sign; // expected sign of the projection for Signed / GlobalAbs polarity
};

// Similarity at a sub-pixel pose, 0 .. 1.
double subPixelScore(const std::vector<ModelPoint> &points, const GradientImage &g, const Pose &pose,
                     Polarity polarity);

// Moves the pose so that the model points lie on the picture's edges: each point looks
// for the strongest edge across it (parabola through the gradient samples along its
// normal) and the pose minimises the distances along the normals, robustly weighted.
bool refineLeastSquares(const std::vector<ModelPoint> &points, const GradientImage &g, Polarity polarity,
                        const LeastSquaresSetup &setup, Pose &pose);

} // namespace Halcon::ShapeMatching
