#pragma once

#include "Errors.h"
#include "ImageColony.h"

#include <vector>

class ITaskCancellation;

// The nearest neighbour of every colony of one container. The colonies lie sorted by
// ascending column (PosX_px) with ColonyIndex their position. A colony is compared with the
// earlier colonies whose column lies less than window pixels to its left and with the last
// earlier one at window or more (and so, from their side, with the later colonies that
// compare with it). Each colony takes the smallest distance_cc_min ("point_to_segment", the
// later colony's contour first) over its pairs, the earliest colony on a tie; a pair that
// cannot be measured is no neighbour, and a colony without one keeps NeighborIndex -1 and the
// largest double.
//
// The colonies are searched nearest first through a grid of their bounding boxes, so a
// crowded container costs in proportion to its colonies, on the threads of the operator
// parallelisation; the result depends on neither.
class ColonyNeighborSearch {
public:
    // 0, or 100 when cancellation turned true (polled after each colony but the first and
    // the last).
    static Errors::Type_Error measure(std::vector<ImageColony>& colonies, double window,
                                      ITaskCancellation* cancellation);
};
