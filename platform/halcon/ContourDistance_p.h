#pragma once

// Layer-private: the smallest distance between two contours, behind distance_cc_min.

#include "HobjectElements_p.h"

#include <vector>

namespace Halcon::Detail {

// Smallest distance between two contours (at least one point each): between their points
// (pointToPoint), or between the polylines through them, 0 where they touch or cross. A
// contour of one point is that point.
//
// Exact: the result is the smallest of the very values that comparing every point of one
// list with every point (or side) of the other gives. Boxes over runs of consecutive
// points only leave out pairs that cannot come closer than the best pair found so far, so
// two distant contours cost a few box tests and two long ones far less than all pairs. The
// boxes of long contours are kept per thread for the next call (a container outline meets
// every colony inside it), with the contour they belong to. Both elements are contours; they
// are taken as their object holds them, so that threads measuring against the same outline do
// not all move its count.
double contourDistance(const ElementPtr &a, const ElementPtr &b, bool pointToPoint);

} // namespace Halcon::Detail
