#pragma once

// XLD contour operators: making contours and measuring, testing and moving them.
// Every operator returns kSuccess (2) or a failure number of HalconErrors.h and leaves
// its outputs untouched on failure. Points are (row, column) with sub-pixel precision,
// rows growing downward; angles are radians, counter-clockwise on screen positive. A
// contour is closed when its first point equals its last.
//
// Generators take tuples: every numeric parameter holds one value or as many values as
// the longest, and one shape is made per index. Measures give one value per contour (an
// input without elements gives empty tuples); a region or image where a contour is
// expected fails with kErrWrongObjectClass1.
//
// Filling a contour into a region is gen_region_contour_xld (HalconRegionOps.h).

#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

namespace Halcon {

// ---- Making contours -----------------------------------------------------------------

// Two contours per point, each a line of length size through it: the first along angle,
// the second across it (angle 0 gives "+", pi/4 gives "x"). size >= 0.
Herror gen_cross_contour_xld(Hobject *cross, const HTuple &row, const HTuple &column, const HTuple &size,
                             const HTuple &angle);
// Arc of radius > 0 from startPhi to endPhi, pointOrder "positive" (counter-clockwise on
// screen) or "negative"; neighbouring points at most resolution (> 0) apart. A span of a
// full turn or more gives a closed circle (last point == first); equal angles give one
// point. The point at angle a is (row - r sin a, column + r cos a).
Herror gen_circle_contour_xld(Hobject *contCircle, const HTuple &row, const HTuple &column, const HTuple &radius,
                              const HTuple &startPhi, const HTuple &endPhi, const HTuple &pointOrder,
                              const HTuple &resolution);
// Ellipse arc: half axis radius1 along phi, radius2 across (both > 0); angles and point
// order as for circles, measured in the ellipse's own frame.
Herror gen_ellipse_contour_xld(Hobject *contEllipse, const HTuple &row, const HTuple &column, const HTuple &phi,
                               const HTuple &radius1, const HTuple &radius2, const HTuple &startPhi,
                               const HTuple &endPhi, const HTuple &pointOrder, const HTuple &resolution);
// Closed rectangle of 5 points about (row, column): half length length1 along phi,
// length2 across (both >= 0, so a zero width gives a line), corners counter-clockwise on
// screen.
Herror gen_rectangle2_contour_xld(Hobject *rectangle, const HTuple &row, const HTuple &column, const HTuple &phi,
                                  const HTuple &length1, const HTuple &length2);
// One contour through the points (rows and columns of equal length, at least one point).
Herror gen_contour_polygon_xld(Hobject *contour, const HTuple &row, const HTuple &col);
// The outline of every connected part of every region: mode "border" runs along the
// pixel edges (a pixel (r, c) spans r - 0.5 .. r + 0.5), "center" through the centres of
// the border pixels, "border_holes" as "border" plus one contour per hole. Contours are
// closed, ordered by region, then by their first pixel. Empty regions give none.
Herror gen_contour_region_xld(const Hobject &regions, Hobject *contours, const HTuple &mode);

// ---- Moving --------------------------------------------------------------------------

// Every point of every contour or polygon transformed by the matrix (HalconGeometryOps.h);
// closed contours stay closed.
Herror affine_trans_contour_xld(const Hobject &contours, Hobject *contoursAffineTrans, const HTuple &homMat2D);

// ---- Measures and tests ----------------------------------------------------------------

// Per contour, taken as closed: enclosed area, its centre, and "positive" when the points
// run counter-clockwise on screen, else "negative". A contour without area gives area 0,
// the mean of its points and "positive".
Herror area_center_xld(const Hobject &xld, HTuple *area, HTuple *row, HTuple *column, HTuple *pointOrder);
// Whether (row, column) lies inside the contour taken as closed (even-odd rule; a point on
// the outline is inside). N contours and one point, one contour and N points, or N and N
// pairwise give N values 1 or 0.
Herror test_xld_point(const Hobject &xld, const HTuple &row, const HTuple &column, HTuple *isInside);
// Per contour: the length along its points (a closed contour includes its closing segment
// because its last point repeats the first).
Herror length_xld(const Hobject &xld, HTuple *length);
// Per contour: the bounding box of its points; a contour without points gives 0, 0, -1, -1.
Herror smallest_rectangle1_xld(const Hobject &xld, HTuple *row1, HTuple *column1, HTuple *row2, HTuple *column2);

} // namespace Halcon
