#pragma once

// Layer-private: the search of a shape model in a picture. Per search the picture's
// gradient directions are computed once per pyramid level around the domain; the top
// level is searched exhaustively over position, angle and scale, candidates are followed
// down the pyramid and refined to sub-pixel precision on the lowest level.

#include "HalconErrors.h"
#include "HobjectElements_p.h"
#include "ShapeModelRegistry_p.h"

#include <vector>

namespace Halcon::ShapeMatching {

enum class SubPixel { None, Interpolation, LeastSquares, LeastSquaresHigh, LeastSquaresVeryHigh };

struct SearchParameters
{
    double angleStart = 0.0;
    double angleExtent = 0.0;
    double scaleMin = 1.0;
    double scaleMax = 1.0;
    double minScore = 0.5;
    int numMatches = 1;         // 0 = all
    double maxOverlap = 0.5;
    SubPixel subPixel = SubPixel::LeastSquares;
    int topLevel = 0;           // 0 = the model's levels
    int lowestLevel = 1;
    double greediness = 0.9;
};

struct Match
{
    double row;
    double column;
    double angle;
    double scale;
    double score;
};

class ShapeModelSearch
{
public:
    // Matches sorted by falling score; kErrTimeout when the model's time-out ran out.
    static Herror find(const ImageElement &image, const ModelSnapshot &model, const SearchParameters &parameters,
                       std::vector<Match> *matches);
};

} // namespace Halcon::ShapeMatching
