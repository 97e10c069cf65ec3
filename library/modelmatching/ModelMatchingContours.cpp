#include "ModelMatchingContours.h"

#include "Halcon_Helper.h"
#include "LabwareGrid.h"
#include "PictureUnitConverter.h"

#include <Halcon.h>

#include <numbers>

using namespace Halcon;

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
// The merge's relative distance limit: 1 % of the longer piece.
constexpr double kMergeRelativeDistance = 0.01;
// Distances that differ from a limit by rounding alone still count as equal to it.
constexpr double kDistanceSlack = 1e-9;

int contourCount(const Hobject& object)
{
    Hlong count = 0;
    return count_obj(object, &count) == kSuccess ? int(count) : 0;
}

// The matrix of the transform; steps that change nothing are left out unless all are wanted.
bool transformMatrix(const ModelMatchingTransform& t, bool allSteps, HTuple& matrix)
{
    const double row = t.FixedY(), column = t.FixedX();
    if (hom_mat2d_identity(&matrix) != kSuccess)
        return false;
    if ((allSteps || t.Scale != 1.0) && hom_mat2d_scale(matrix, t.Scale, t.Scale, row, column, &matrix) != kSuccess)
        return false;
    if ((allSteps || t.Angle != 0.0)
        && hom_mat2d_rotate(matrix, t.Angle * kRadiansPerDegree, row, column, &matrix) != kSuccess)
        return false;
    if ((allSteps || t.ShiftX != 0.0 || t.ShiftY != 0.0)
        && hom_mat2d_translate(matrix, t.ShiftY, t.ShiftX, &matrix) != kSuccess)
        return false;
    return true;
}

} // namespace

bool ModelMatchingContours::RoiToContour(IPictureUnitConverter& converter, double left, double top, double width,
                                         double height, double angle, Hobject& contour)
{
    contour = GenerateRotatedRectangleContour(&converter, left, top, width, height, angle);
    return !contour.IsEmpty();
}

bool ModelMatchingContours::RoiToContour(Hobject_View_Gui* viewer, double left, double top, double width,
                                         double height, double angle, Hobject& contour)
{
    PictureUnitConverter converter(viewer);
    return RoiToContour(converter, left, top, width, height, angle, contour);
}

bool ModelMatchingContours::TransformContour(const Hobject& contours, const ModelMatchingTransform& transform,
                                             Hobject& transformed)
{
    HTuple matrix;
    Hobject result;
    const bool ok = transform.IsSet() && transformMatrix(transform, false, matrix)
        && affine_trans_contour_xld(contours, &result, matrix) == kSuccess;
    transformed = result;
    return ok;
}

bool ModelMatchingContours::TransformPoint(double x, double y, const ModelMatchingTransform& transform,
                                           double& transformedX, double& transformedY)
{
    transformedX = 0.0;
    transformedY = 0.0;
    HTuple matrix, row, column;
    if (!transform.IsSet() || !transformMatrix(transform, true, matrix)
        || affine_trans_point_2d(matrix, y, x, &row, &column) != kSuccess)
        return false;
    transformedX = column.D();
    transformedY = row.D();
    return true;
}

QList<double> ModelMatchingContours::MergeDistances(double maxDistance)
{
    QList<double> distances;
    double distance = 0.0;
    double step = 0.1;
    for (;;) {
        distance += step;
        step += 0.05;
        if (distance > maxDistance + kDistanceSlack)
            return distances;
        distances.append(distance);
    }
}

bool ModelMatchingContours::MergeContours(const Hobject& contours, double maxDistance, double maxShift,
                                          double maxAngle, Hobject& merged)
{
    Hobject current = contours;
    if (contourCount(current) != 1) {
        union_collinear_contours_xld(contours, &current, maxDistance, kMergeRelativeDistance, maxShift,
                                     maxAngle * kRadiansPerDegree, "attr_keep");
        if (contourCount(current) != 1) {
            for (double distance : MergeDistances(maxDistance)) {
                union_adjacent_contours_xld(current, &current, distance, kMergeRelativeDistance, "attr_keep");
                if (contourCount(current) < 2)
                    break;
            }
        }
    }
    Hobject closed;
    close_contours_xld(current, &closed);
    merged = closed;
    return true;
}

bool ModelMatchingContours::LongestContour(const Hobject& contours, Hobject& longest)
{
    Halcon_Helper::ClearObject(longest);
    HTuple lengths;
    if (contourCount(contours) < 1 || length_xld(contours, &lengths) != kSuccess || lengths.IsEmpty())
        return false;
    Hlong best = 0;
    for (Hlong i = 1; i < lengths.Length(); ++i) {
        if (lengths[i].D() > lengths[best].D())
            best = i;
    }
    return select_obj(contours, &longest, best + 1) == kSuccess;
}

bool ModelMatchingContours::ContourCenter(const Hobject& contour, double& x, double& y)
{
    x = 0.0;
    y = 0.0;
    if (contourCount(contour) != 1)
        return false;
    HTuple crosses, area, row, column, order;
    if (test_self_intersection_xld(contour, "true", &crosses) != kSuccess)
        return false;
    if (crosses.I() == 1) {
        if (area_center_points_xld(contour, &area, &row, &column) != kSuccess)
            return false;
    } else {
        Hobject closed;
        if (close_contours_xld(contour, &closed) != kSuccess
            || area_center_xld(closed, &area, &row, &column, &order) != kSuccess)
            return false;
    }
    x = column.D();
    y = row.D();
    return true;
}
