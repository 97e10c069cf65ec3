#pragma once

#include "PictureCross.h"

#include <Errors.h>
#include <Hobject.h>
#include <ModelMatchingCreateParameters.h>
#include <ModelMatchingSearchParameters.h>
#include <ModelMatchingSearchResult.h>

#include <QString>

// The image stitcher's fixed use of its cross model: the values the model is made and
// searched with, and how a search result becomes a PictureCross (one contour, its centre,
// that centre carried from the cross plane onto the agar plane).
class PictureCrossSearch {
public:
    static constexpr Errors::Type_Error CrossNotFound = 201;

    // Angles 45 +- 49 degrees (the cross is the same every quarter turn), scales 0.95 to 1.05.
    static ModelMatchingCreateParameters createParameters();
    static ModelMatchingSearchParameters searchParameters(const Halcon::Hobject& picture,
                                                          const Halcon::Hobject& searchContour);

    // "HalconObject_Stitcher_Cross.Position.<picture>.<point>."
    static QString crossName(int pictureIndex, int pointIndex);

    // Fills the cross from a search that returned 0: the match values, then, when it matched,
    // its merged contour, the contour's centre and that centre on the agar plane (scaled by
    // crossToAgarFactor about the centre of the width x height picture). 0 for a usable
    // cross; CrossNotFound when nothing matched or the contour gives no single centre, and
    // then found is false: such a cross never reaches the stitch.
    static Errors::Type_Error evaluate(const ModelMatchingSearchResult& result, double crossToAgarFactor, int width,
                                       int height, PictureCross& cross);

    // The point (row, col) scaled by factor about the picture centre (width / 2, height / 2).
    static void toAgarPlane(double row, double col, double factor, int width, int height, double& rowOnAgar,
                            double& colOnAgar);

    // The line through the agar point across the whole picture along which the stitch may cut:
    // horizontal when 150 <= rowCenter <= 1350, else vertical.
    static Halcon::Hobject cutLine(const PictureCross& cross, int width, int height);
};
