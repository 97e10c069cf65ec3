#include "PictureCrossSearch.h"

#include <ModelMatchingContours.h>

#include <Halcon.h>

ModelMatchingCreateParameters PictureCrossSearch::createParameters()
{
    ModelMatchingCreateParameters p;
    p.PyramidLevels = 10;
    p.Angle = 45.0;
    p.AngleTolerance = 49.0;
    p.AngleStep = 0.1;
    p.ScaleTolerance = 0.05;
    p.ScaleStep = 0.0025;
    return p;
}

ModelMatchingSearchParameters PictureCrossSearch::searchParameters(const Halcon::Hobject& picture,
                                                                   const Halcon::Hobject& searchContour)
{
    ModelMatchingSearchParameters p;
    p.Picture = picture;
    p.SearchContour = searchContour;
    p.Angle = 45.0;
    p.AngleTolerance = 49.0;
    p.ScaleTolerance = 0.05;
    p.MinimumScore = -1.0;
    p.ScoreDivisor = 1.6;
    p.PyramidLevels = -1;
    p.MaxOverlap = 0.0;
    p.SubPixel = ModelMatchingSearchParameters::SubPixel_LeastSquaresHigh;
    p.Greediness = 0.0;
    p.Timeout = 5000;
    return p;
}

QString PictureCrossSearch::crossName(int pictureIndex, int pointIndex)
{
    return QStringLiteral("HalconObject_Stitcher_Cross.Position.%1.%2.").arg(pictureIndex).arg(pointIndex);
}

void PictureCrossSearch::toAgarPlane(double row, double col, double factor, int width, int height, double& rowOnAgar,
                                     double& colOnAgar)
{
    colOnAgar = (col - width * 0.5) * factor + width * 0.5;
    rowOnAgar = (row - height * 0.5) * factor + height * 0.5;
}

Errors::Type_Error PictureCrossSearch::evaluate(const ModelMatchingSearchResult& result, double crossToAgarFactor,
                                                int width, int height, PictureCross& cross)
{
    cross.score = result.Score;
    cross.scale = result.Transform.Scale;
    cross.angle = result.Transform.Angle;
    cross.found = result.Found;
    cross.errorCode = 0;
    cross.name = crossName(cross.pictureIndex, cross.pointIndex);
    if (!cross.found) {
        cross.errorCode = CrossNotFound;
        return CrossNotFound;
    }
    Halcon::Hobject merged;
    double x = 0.0, y = 0.0;
    ModelMatchingContours::MergeContours(result.ModelContour, 100.0, 12.5, 12.5, merged);
    cross.hobjContour = merged;
    if (!ModelMatchingContours::ContourCenter(merged, x, y)) {
        // A (0, 0) centre would place the picture wrongly in the stitch.
        cross.found = false;
        cross.errorCode = CrossNotFound;
        return CrossNotFound;
    }
    cross.colCenter = x;
    cross.rowCenter = y;
    toAgarPlane(y, x, crossToAgarFactor, width, height, cross.rowCenterOnAgar, cross.colCenterOnAgar);
    return 0;
}

Halcon::Hobject PictureCrossSearch::cutLine(const PictureCross& cross, int width, int height)
{
    Halcon::Hobject line;
    if (cross.rowCenter >= 150.0 && cross.rowCenter <= 1350.0)
        Halcon::gen_rectangle2_contour_xld(&line, cross.rowCenterOnAgar, width * 0.5, 0.0, width * 0.5, 0.0);
    else
        Halcon::gen_rectangle2_contour_xld(&line, height * 0.5, cross.colCenterOnAgar, 0.0, 0.0, height * 0.5);
    return line;
}
