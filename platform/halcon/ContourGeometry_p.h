#pragma once

// Layer-private: measures of contour point lists shared by the XLD analysis operators.

#include "HobjectElements_p.h"

#include <vector>

namespace Halcon::Detail {

double contourLength(const std::vector<XldPoint> &points);

// Area (absolute) and area centre of the polygon taken as closed; the mean of the
// points when it has no area.
struct ContourArea
{
    double area = 0.0;
    double row = 0.0;
    double col = 0.0;
};
ContourArea contourArea(const std::vector<XldPoint> &points);

// area / (pi * rmax^2) with rmax the largest distance of a point from the area centre.
double contourCircularity(const std::vector<XldPoint> &points);

// Direction of the principal axis of the points, 0 .. pi, counter-clockwise on screen.
double contourDirection(const std::vector<XldPoint> &points);

// Squared distance from p to the side ab (a point when a equals b).
double pointSegmentDistance2(const XldPoint &p, const XldPoint &a, const XldPoint &b);

// Whether sides ab and cd share a point (crossing, touching or overlapping).
bool segmentsMeet(const XldPoint &a, const XldPoint &b, const XldPoint &c, const XldPoint &d);

// Whether two sides that are not neighbours touch or cross (neighbours that fold back
// onto each other count too). closeOpen adds the side from the last point to the first.
bool contourSelfIntersects(const std::vector<XldPoint> &points, bool closeOpen);

} // namespace Halcon::Detail
