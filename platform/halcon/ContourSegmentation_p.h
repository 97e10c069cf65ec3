#pragma once

// Layer-private: splitting contours into lines and arcs and uniting pieces that continue
// one another, for segment_contours_xld and the union_*_contours_xld operators.

#include "HobjectElements_p.h"

#include <vector>

namespace Halcon::Detail {

enum class ArcKind { None, Circles, Ellipses };

struct SegmentParameters
{
    ArcKind arcs = ArcKind::Ellipses;
    int smooth = 0;          // points averaged, odd; 0 or 1 for none
    double maxLineDist1 = 1; // polygon tolerance
    double maxLineDist2 = 1; // arc tolerance
};

// The pieces of one contour, in order along it (neighbours share their end point); a
// closed contour that fits one arc comes back whole and closed.
void segmentContour(const std::vector<XldPoint> &points, const SegmentParameters &parameters,
                    std::vector<std::vector<XldPoint>> &pieces);

struct UnionParameters
{
    double maxDist = 0.0;
    double maxDiff = 0.0;   // radians
    double percent = 100.0; // allowed overlap, of the shorter piece's length
    int passes = 1;         // < 0: until nothing changes
};

// Unites open contours in place; closed ones are left as they are.
void uniteContours(std::vector<std::vector<XldPoint>> &contours, const UnionParameters &parameters);

// A possible join of two contour ends; an end is 2 * contour index + (1 at its last point).
struct EndJoin
{
    double gap;  // distance of the two ends: smaller gaps are joined first
    double rank; // breaks ties of equal gaps: smaller first
    size_t end1;
    size_t end2;
};

// Joins the candidates greedily, each end at most once, and rebuilds the contours as the
// chains they form (a chain that comes back to its start is closed); contours without a
// join keep their place. False when nothing was joined.
bool joinContourEnds(std::vector<std::vector<XldPoint>> &contours, std::vector<EndJoin> candidates);

} // namespace Halcon::Detail
