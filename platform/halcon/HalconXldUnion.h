#pragma once

// Uniting contour pieces that belong together and the centre of a contour's points.
//
// Every operator returns kSuccess (2) or a failure number of HalconErrors.h and leaves its
// outputs untouched on failure. Points are (row, column); angles radians. Closed contours
// and contours of fewer than two points are passed on as they are; an input without
// elements gives an empty result. A region or image where contours are expected fails
// with kErrWrongObjectClass1.
//
// The distance limit of a join is the larger of maxDistAbs and maxDistRel times the
// length of the longer of the two pieces. Pieces are joined in passes, the smallest gaps
// first and every end at most once per pass, until no pass joins anything; a chain whose
// ends come back together is closed. mode is "attr_keep" or "attr_forget": contours carry
// no attributes here, so both give the same result.

#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

namespace Halcon {

// Joins pieces whose end points lie within the distance limit, whatever their directions.
Herror union_adjacent_contours_xld(const Hobject &contours, Hobject *unionContours, const HTuple &maxDistAbs,
                                   const HTuple &maxDistRel, const HTuple &mode);

// Joins pieces that lie on one straight line: their regression lines differ by at most
// maxAngle (0 .. pi/2 counts, direction ignored); the end points of the shorter piece lie
// at most maxShift (>= 0) across the regression line of the longer one; the pieces do not
// overlap along that line by more than one pixel; and their facing ends lie within the
// distance limit. The facing ends are joined.
Herror union_collinear_contours_xld(const Hobject &contours, Hobject *unionContours, const HTuple &maxDistAbs,
                                    const HTuple &maxDistRel, const HTuple &maxShift, const HTuple &maxAngle,
                                    const HTuple &mode);

// Per contour: the number of its points as area and the mean of its points as centre;
// a contour without points gives 0, 0.0, 0.0.
Herror area_center_points_xld(const Hobject &xld, HTuple *area, HTuple *row, HTuple *column);

} // namespace Halcon
