#pragma once

// Region operators: making, combining, measuring and testing run-length regions.
// Every operator returns kSuccess (2) or a failure number of HalconErrors.h and leaves
// its outputs unchanged on failure (an output may be the same object as an input).
// Coordinates are (row, column); angles are radians, counter-clockwise on screen.
//
// Operators that produce one result per input region give an empty result for an input
// object without elements. Shape generators accept tuples: every parameter holds either
// one value or as many values as the longest parameter, and one region is made per index.

#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

namespace Halcon {

// ---- Shapes ---------------------------------------------------------------------------

// The pixels of rows row1..row2 and columns column1..column2, both ends included
// (coordinates are rounded). row2 < row1 or column2 < column1 fails.
Herror gen_rectangle1(Hobject *rectangle, const HTuple &row1, const HTuple &column1,
                      const HTuple &row2, const HTuple &column2);
// Rotated rectangle about (row, column): half lengths length1 along phi, length2 across.
// The pixels whose centres lie inside. Negative lengths fail.
Herror gen_rectangle2(Hobject *rectangle, const HTuple &row, const HTuple &column,
                      const HTuple &phi, const HTuple &length1, const HTuple &length2);
// The pixels whose centres lie within radius of (row, column); radius must be > 0.
Herror gen_circle(Hobject *circle, const HTuple &row, const HTuple &column, const HTuple &radius);
// Ellipse with main half axis radius1 along phi and radius2 across (both > 0).
Herror gen_ellipse(Hobject *ellipse, const HTuple &row, const HTuple &column, const HTuple &phi,
                   const HTuple &radius1, const HTuple &radius2);
// Region of each contour or polygon: mode "filled" (the enclosed pixels and the outline,
// the contour taken as closed) or "margin" (the pixels the outline passes through).
Herror gen_region_contour_xld(const Hobject &contour, Hobject *region, const HTuple &mode);

// ---- Set operations -------------------------------------------------------------------

// Connected components (8-neighbourhood) of every region, ordered by their first pixel.
// An empty region has no component.
Herror connection(const Hobject &region, Hobject *connectedRegions);
// Per region: the pixels of the picture rectangle [0, width) x [0, height) not in it.
// A region knows no picture, so the rectangle is the system's "width" x "height" when
// both are set (set_system), otherwise the largest picture the grey-value operators
// (threshold, filters, statistics) have seen in this process; either is widened when
// needed to hold the region itself. With pictures of one size (the camera's) that is the
// picture; a region made before any picture is complemented within its own extent.
Herror complement(const Hobject &region, Hobject *regionComplement);
// Per region of region1: the part inside the union of all regions of region2.
Herror intersection(const Hobject &region1, const Hobject &region2, Hobject *regionIntersection);
// Per region of region: the part outside the union of all regions of sub.
Herror difference(const Hobject &region, const Hobject &sub, Hobject *regionDifference);
// One region: the union of all regions (an empty region for an empty input).
Herror union1(const Hobject &region, Hobject *regionUnion);
// Per region of region1: its union with all regions of region2.
Herror union2(const Hobject &region1, const Hobject &region2, Hobject *regionUnion);
// Dilation with a circle of the given radius (0.5 .. 4095; 0.5 leaves the region as is).
Herror dilation_circle(const Hobject &region, Hobject *regionDilation, const HTuple &radius);
// Dilation with a width x height rectangle (each 1 .. 4095) centred on the pixel; for an
// even size the extra column/row lies right/below.
Herror dilation_rectangle1(const Hobject &region, Hobject *regionDilation, const HTuple &width,
                           const HTuple &height);

// ---- Measures and tests ---------------------------------------------------------------

// Per region: pixel count and centre of gravity; an empty region gives 0, 0.0, 0.0.
Herror area_center(const Hobject &regions, HTuple *area, HTuple *row, HTuple *column);
// Per region: the bounding box, corners included; an empty region gives 0, 0, -1, -1.
Herror smallest_rectangle1(const Hobject &regions, HTuple *row1, HTuple *column1, HTuple *row2,
                           HTuple *column2);
// Per point (row, column tuples of equal length; reals are rounded to the pixel): 1 when
// the pixel lies in at least one of the regions, else 0.
Herror test_region_point(const Hobject &regions, const HTuple &row, const HTuple &column,
                         HTuple *isInside);
// Per region of region1: 1 when it lies completely inside region2 (one region), else 0.
// An empty region is a subset of every region.
Herror test_subset_region(const Hobject &region1, const Hobject &region2, HTuple *isSubset);

} // namespace Halcon
