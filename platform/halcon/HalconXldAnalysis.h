#pragma once

// Sub-pixel edges and the analysis of XLD contours: iso-contours of a grey picture,
// splitting them into lines and arcs, uniting pieces that continue one another,
// selecting, closing and measuring contours.
//
// Every operator returns kSuccess (2) or a failure number of HalconErrors.h and leaves
// its outputs untouched on failure. Points are (row, column), pixel (r, c) centred at
// (r, c). A contour is closed when its first point equals its last. Contour operators
// accept contours and polygons; an input object without elements gives an empty result
// (empty object or empty tuple) unless said otherwise, a region or image where a contour
// is expected fails with wrongObjectClass of that input.

#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

namespace Halcon {

// ---- Sub-pixel edges -------------------------------------------------------------------

// Iso-contours at grey value `threshold` of every one-channel image (byte, uint2 or
// real), inside its domain: the lines between pixels at or above the threshold and
// pixels below it, linearly interpolated between pixel centres. A contour that runs
// wholly inside the domain is closed; one that meets the domain's (or the picture's)
// border ends there and stays open. Contours run with the bright side (>= threshold) on
// their left as seen on screen, so a bright blob is outlined counter-clockwise. An image
// with an empty domain gives no contour; an image input without elements fails with
// kErrEmptyObject, one with several channels with kErrWrongChannelCount.
Herror threshold_sub_pix(const Hobject &image, Hobject *border, const HTuple &threshold);

// ---- Splitting and uniting -------------------------------------------------------------

// Splits every contour into straight lines and arcs. mode "lines" gives lines only,
// "lines_circles" lines and circular arcs, "lines_ellipses" lines and elliptic arcs.
// smoothCont (0 .. 1001; 0 or 1 for none, an even count takes the next odd one) is the
// number of points averaged before the split points are chosen. The contour is first approximated by a polygon whose
// points lie at most maxLineDist1 (> 0) from it; neighbouring polygon sides are then
// taken together into one arc as long as a circle or ellipse stays within maxLineDist2
// (> 0) of all their points. A closed contour that fits one circle or ellipse as a whole
// stays one closed contour. The pieces keep the input points: neighbouring pieces share
// their end point, in the order along the contour.
Herror segment_contours_xld(const Hobject &contours, Hobject *contoursSplit, const HTuple &mode,
                            const HTuple &smoothCont, const HTuple &maxLineDist1, const HTuple &maxLineDist2);

// Regression lines of the contours, computed with outlier handling mode "no", "drop",
// "gauss" or "median" over iterations (>= 0) passes. The points are kept as they are;
// the operators that need a contour's line (select_contours_xld "direction") compute it
// the same way.
Herror regress_contours_xld(const Hobject &contours, Hobject *regressContours, const HTuple &mode,
                            const HTuple &iterations);

// Unites open contours that continue one another: the end of one and the start of the
// other (either may be reversed) lie at most maxDist (>= 0) apart, and the directions of
// the two ends differ by at most maxDiff (radians, >= 0). The second may start behind the
// end of the first by at most percent (0 .. 100) of the shorter one's length, so pieces
// that run side by side are not united: mode "noparallel", the only filter there is.
// iterations is a count
// (>= 1) of passes or "maximum" (until nothing changes). Closed contours are passed on as
// they are. A chain whose ends meet again is closed.
Herror union_straight_contours_xld(const Hobject &contours, Hobject *unionContours, const HTuple &maxDist,
                                   const HTuple &maxDiff, const HTuple &percent, const HTuple &mode,
                                   const HTuple &iterations);

// ---- Selecting and closing -------------------------------------------------------------

// The contours whose feature lies in [min1, max1]:
//   "contour_length"  length along the points;
//   "maximum_extent"  the larger side of the bounding box;
//   "direction"       angle of the regression line, 0 .. pi (radians);
//   "closed"          distance between first and last point, for contours of at least
//                     three points (so a gap up to max1 counts as closed);
//   "open"            the contours "closed" would not select with the same min1, max1.
// min2 and max2 are read (numbers) but not used by these features. min1 > max1 selects
// nothing.
Herror select_contours_xld(const Hobject &contours, Hobject *selectedContours, const HTuple &feature,
                           const HTuple &min1, const HTuple &max1, const HTuple &min2, const HTuple &max2);

// Every contour closed: the first point appended where the last differs from it.
Herror close_contours_xld(const Hobject &contours, Hobject *closedContours);

// ---- Measures and tests ----------------------------------------------------------------

// Per contour, taken as closed: area / (pi * rmax^2), rmax the largest distance of a point
// from the area centre; 1 for a circle, 0 for a contour without area.
Herror circularity_xld(const Hobject &contours, HTuple *circularity);

// Smallest distance between contour1 and contour2 (one and one, one and N, or N and N
// pairwise; both inputs must hold contours). mode "point_to_point": between their points;
// "point_to_segment" or "fast_point_to_segment": between the lines through their points,
// 0 where they cross. A contour without points fails with kErrEmptyObject.
Herror distance_cc_min(const Hobject &contour1, const Hobject &contour2, const HTuple &mode, HTuple *distanceMin);

// Per contour 1 when two of its sides that are not neighbours touch or cross, else 0.
// closeXld "true" also takes the side from the last point back to the first of an open
// contour, "false" only the sides between its points (a closed contour has that side
// anyway).
Herror test_self_intersection_xld(const Hobject &contours, const HTuple &closeXld, HTuple *doesIntersect);

// The points of exactly one contour (an object of several fails with
// kErrObjectCountMismatch, one without elements with kErrEmptyObject).
Herror get_contour_xld(const Hobject &contour, HTuple *row, HTuple *col);

} // namespace Halcon
