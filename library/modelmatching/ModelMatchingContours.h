#pragma once

#include "ModelMatchingTransform.h"

#include <Hobject.h>

#include <QList>

class Hobject_View_Gui;
class IPictureUnitConverter;

// Stateless geometry on XLD contours shared by model creation, model search and the
// image stitcher's cross search. Positions are pixels, X the column and Y the row; angles
// are degrees. No operation throws; outputs are preset before the work.
class ModelMatchingContours {
public:
    // A rectangle in percent of the longer picture side (left and top edge of the
    // unrotated rectangle, its size) turned by angle about its centre, as a closed contour
    // in pixels. false (and an empty contour) when no contour can be made.
    static bool RoiToContour(IPictureUnitConverter& converter, double left, double top, double width, double height,
                             double angle, Halcon::Hobject& contour);
    static bool RoiToContour(Hobject_View_Gui* viewer, double left, double top, double width, double height,
                             double angle, Halcon::Hobject& contour);

    // Scales, rotates and shifts the contours (output may be the input). Steps that change
    // nothing are left out. false (and an empty output) when the transform is not set or
    // the input is not made of contours.
    static bool TransformContour(const Halcon::Hobject& contours, const ModelMatchingTransform& transform,
                                 Halcon::Hobject& transformed);
    // The point under the transform; false and (0, 0) when the transform is not set.
    static bool TransformPoint(double x, double y, const ModelMatchingTransform& transform, double& transformedX,
                               double& transformedY);

    // Joins broken pieces into as few contours as it can, each closed: one piece is just
    // closed; otherwise pieces on a common line are joined first (gaps up to
    // maxDistance, maxShift across, maxAngle degrees apart), then any ends at the growing
    // distances of MergeDistances(maxDistance) until one contour is left.
    static bool MergeContours(const Halcon::Hobject& contours, double maxDistance, double maxShift, double maxAngle,
                              Halcon::Hobject& merged);
    // The distances the joining of ends tries: 0.1, 0.25, 0.45, 0.7, 1.0, ... (steps growing
    // by 0.05 each time), as long as they are at most maxDistance.
    static QList<double> MergeDistances(double maxDistance);

    // The longest of the contours (the first of equal ones); false when there is none.
    static bool LongestContour(const Halcon::Hobject& contours, Halcon::Hobject& longest);
    // Centre of exactly one contour: the centre of its enclosed area, or the mean of its
    // points when it crosses itself. false and (0, 0) for any other object.
    static bool ContourCenter(const Halcon::Hobject& contour, double& x, double& y);
};
