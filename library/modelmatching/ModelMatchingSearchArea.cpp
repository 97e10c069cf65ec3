#include "ModelMatchingSearchArea.h"

#include "ModelMatchingContours.h"
#include "ModelMatchingErrors.h"

#include <Halcon.h>

#include <algorithm>
#include <cmath>

using namespace Halcon;

namespace {

constexpr double kSweepStep = 10.0;
constexpr double kHalfTurn = 180.0;
constexpr double kMarginPerLevel = 14.0;
constexpr int kAutomaticLevels = 6;

} // namespace

QList<double> ModelMatchingSearchArea::SweepAngles(double angle, double tolerance)
{
    // A turn shows every extent there is: a wider tolerance only lengthens the list, without
    // end where adding a step no longer changes a huge number.
    const double bounded = std::isnan(tolerance) ? 0.0 : std::min(tolerance, kHalfTurn);
    const double low = angle - bounded, high = angle + bounded;
    const int most = int(2.0 * kHalfTurn / kSweepStep);
    QList<double> angles;
    for (int k = 0; k < most && low + kSweepStep * k < high; ++k)
        angles.append(low + kSweepStep * k);
    angles.append(high);
    angles.append(angle);
    return angles;
}

double ModelMatchingSearchArea::QuadrantTurn(double angle)
{
    if (angle > 45.0 && angle < 135.0)
        return 90.0;
    if (angle > 225.0 && angle < 315.0)
        return 270.0;
    return 0.0;
}

double ModelMatchingSearchArea::Margin(double searchMargin, int requestLevels, int settingsLevels)
{
    if (searchMargin > 0.0)
        return searchMargin;
    if (searchMargin == 0.0)
        return 0.0;
    int levels = requestLevels >= 0 ? requestLevels : settingsLevels;
    if (levels <= 0)
        levels = kAutomaticLevels;
    return (levels - 1) * kMarginPerLevel;
}

Errors::Type_Error ModelMatchingSearchArea::ContourExtent(const Hobject& contours, Box& box, int& status)
{
    Hobject filled, joined;
    HTuple row1, column1, row2, column2;
    if (ModelMatchingErrors::LayerFailed(gen_region_contour_xld(contours, &filled, "filled"), status) || ModelMatchingErrors::LayerFailed(union1(filled, &joined), status)
        || ModelMatchingErrors::LayerFailed(smallest_rectangle1(joined, &row1, &column1, &row2, &column2), status))
        return ModelMatchingErrors::GeneralError;
    box.Row1 = row1.L();
    box.Column1 = column1.L();
    box.Row2 = row2.L();
    box.Column2 = column2.L();
    return ModelMatchingErrors::NoError;
}

Errors::Type_Error ModelMatchingSearchArea::RoiExtent(const Hobject& roiContours, double angle, double tolerance,
                                                      bool sweep, Box& box, int& status)
{
    box = Box();
    Hobject first;
    HTuple area, row, column, order;
    if (ModelMatchingErrors::LayerFailed(select_obj(roiContours, &first, 1), status)
        || ModelMatchingErrors::LayerFailed(area_center_xld(first, &area, &row, &column, &order), status))
        return ModelMatchingErrors::GeneralError;
    const QList<double> angles = sweep ? SweepAngles(angle, tolerance) : QList<double>{QuadrantTurn(angle)};
    for (double a : angles) {
        Hobject turned = roiContours;
        if (!row.IsEmpty() && a != 0.0)
            ModelMatchingContours::TransformContour(roiContours, {column.D(), row.D(), 0.0, 0.0, 1.0, a, false}, turned);
        Box measured;
        if (const Errors::Type_Error error = ContourExtent(turned, measured, status); error != 0)
            return error;
        // A later angle wins only when strictly narrower (or lower).
        if (measured.Width() < box.Width()) {
            box.Column1 = measured.Column1;
            box.Column2 = measured.Column2;
        }
        if (measured.Height() < box.Height()) {
            box.Row1 = measured.Row1;
            box.Row2 = measured.Row2;
        }
    }
    return ModelMatchingErrors::NoError;
}

Errors::Type_Error ModelMatchingSearchArea::ReferenceRectangle(const Hobject& searchRegion, const Box& model,
                                                               double originRow, double originColumn, double margin,
                                                               Hobject& rectangle, int& status)
{
    rectangle = Hobject();
    HTuple area, searchRow, searchColumn, row1, column1, row2, column2;
    if (ModelMatchingErrors::LayerFailed(area_center(searchRegion, &area, &searchRow, &searchColumn), status)
        || ModelMatchingErrors::LayerFailed(smallest_rectangle1(searchRegion, &row1, &column1, &row2, &column2), status))
        return ModelMatchingErrors::GeneralError;
    const double offsetRow = originRow - double(model.Row1 + model.Row2) / 2.0;
    const double offsetColumn = originColumn - double(model.Column1 + model.Column2) / 2.0;
    const double freeWidth = std::max(double(column2.L() - column1.L() - model.Width()), 0.0) + margin;
    const double freeHeight = std::max(double(row2.L() - row1.L() - model.Height()), 0.0) + margin;
    const double centreRow = searchRow.D() + offsetRow, centreColumn = searchColumn.D() + offsetColumn;
    if (ModelMatchingErrors::LayerFailed(gen_rectangle1(&rectangle, centreRow - freeHeight / 2.0, centreColumn - freeWidth / 2.0,
                              centreRow + freeHeight / 2.0, centreColumn + freeWidth / 2.0),
               status))
        return ModelMatchingErrors::GeneralError;
    return ModelMatchingErrors::NoError;
}
