#pragma once

// Layer-private: set operations, measures and shapes on run-length regions. Every
// function takes and returns runs sorted by (row, first column), non-overlapping and
// merged (no two runs of a row touch), the form region elements keep.

#include "HobjectElements_p.h"

#include <cstdint>
#include <vector>

namespace Halcon::Detail {

using Runs = std::vector<Run>;

struct RunMoments
{
    std::int64_t area = 0;
    double row = 0.0;
    double column = 0.0;
};

std::int64_t runsArea(const Runs& runs);
RunMoments runsMoments(const Runs& runs);
// False for an empty region (outputs untouched).
bool runsBoundingBox(const Runs& runs, int& row1, int& column1, int& row2, int& column2);

Runs runsUnion(const Runs& a, const Runs& b);
Runs runsIntersection(const Runs& a, const Runs& b);
Runs runsDifference(const Runs& a, const Runs& b);
// The pixels of [0, width) x [0, height) outside the region.
Runs runsComplement(const Runs& a, int width, int height);
Runs runsClip(const Runs& a, int width, int height);

bool runsContain(const Runs& a, int row, int column);
bool runsSubset(const Runs& inner, const Runs& outer);

// Structuring element: one column interval [left, right] per row offset.
struct ElementRow
{
    int dy;
    int left;
    int right;
};
Runs runsDilate(const Runs& a, const std::vector<ElementRow>& element);

// Connected components, ordered by their first pixel (row-major). A union-find over the
// runs: each run is joined with the overlapping runs of the row above.
std::vector<Runs> runsConnection(const Runs& a, bool eightNeighbourhood);

} // namespace Halcon::Detail
