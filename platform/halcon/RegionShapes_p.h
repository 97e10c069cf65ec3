#pragma once

// Layer-private: rasterising shapes and outlines into runs.

#include "RegionRuns_p.h"

#include <vector>

namespace Halcon::Detail {

// The pixels whose centres lie inside (or on the border of) the shape.
Runs circleRuns(double row, double column, double radius);
Runs ellipseRuns(double row, double column, double phi, double radius1, double radius2);
Runs rotatedRectangleRuns(double row, double column, double phi, double length1, double length2);

// The pixels an outline passes through (8-connected lines between the rounded points);
// closing adds the segment from the last point back to the first.
Runs polygonMarginRuns(const std::vector<XldPoint>& points, bool close);
// The pixels whose centres lie inside the closed outline (even-odd rule), together with
// the outline's own pixels.
Runs polygonFilledRuns(const std::vector<XldPoint>& points);

// Structuring elements of the dilations.
std::vector<ElementRow> circleElement(double radius);
std::vector<ElementRow> rectangleElement(int width, int height);

} // namespace Halcon::Detail
