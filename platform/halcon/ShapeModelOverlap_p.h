#pragma once

// Layer-private: how much two matches of a shape model overlap, by their rotated boxes.

#include "ShapeModelData_p.h"
#include "ShapeModelSearch_p.h"

#include <opencv2/core/types.hpp>

#include <array>
#include <vector>

namespace Halcon::ShapeMatching {

struct Quad
{
    std::array<cv::Point2d, 4> corners;
};

// Area of a simple polygon.
double polygonArea(const std::vector<cv::Point2d> &polygon);

// Intersection area of two convex quadrilaterals (Sutherland-Hodgman).
double intersectionArea(const Quad &a, const Quad &b);

// The model's box around its reference point, placed at the match.
Quad boxOf(const ShapeModelData &model, const Match &m, double originX, double originY);

} // namespace Halcon::ShapeMatching
