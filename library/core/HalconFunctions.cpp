#include "HalconFunctions.h"

#include <HTuple.h>
#include <HalconErrors.h>
#include <HalconGeometryOps.h>
#include <HalconShapeModel.h>
#include <HalconTypes.h>
#include <HalconXldOps.h>

#include <atomic>

namespace {

// Angles arrive in degrees from the pages; the layer wants radians.
constexpr double kDegreesPerRadian = 57.295779513082;
constexpr double kFullCircle = 6.283185307179622;

std::atomic<int> g_lastHalconError{Halcon::kSuccess};

} // namespace

QString HalconErrorText(int halconError)
{
    char text[Halcon::kMaxErrorTextLength + 1] = {};
    Halcon::get_error_text(Halcon::Hlong(halconError), text);
    text[Halcon::kMaxErrorTextLength] = '\0';
    return QString::fromLatin1(text);
}

void HalconRecordError(int halconResult)
{
    if (halconResult != Halcon::kSuccess)
        g_lastHalconError.store(halconResult, std::memory_order_relaxed);
}

int HalconLastError()
{
    return g_lastHalconError.load(std::memory_order_relaxed);
}

void HalconResetLastError()
{
    g_lastHalconError.store(Halcon::kSuccess, std::memory_order_relaxed);
}

Halcon::Hobject HalconGenCross(double row, double column, double size, double angleDegrees)
{
    Halcon::Hobject cross;
    Halcon::gen_cross_contour_xld(&cross, row, column, size, angleDegrees / kDegreesPerRadian);
    return cross;
}

Halcon::Hobject HalconGenCircle(double row, double column, double radius)
{
    Halcon::Hobject circle;
    Halcon::gen_circle_contour_xld(&circle, row, column, radius, 0.0, kFullCircle, "positive", 0.1);
    return circle;
}

Halcon::Hobject HalconGenArc(double row, double column, double radius, double startDegrees, double endDegrees)
{
    Halcon::Hobject arc;
    Halcon::gen_circle_contour_xld(&arc, row, column, radius, startDegrees / kDegreesPerRadian,
                                   endDegrees / kDegreesPerRadian, "positive", 0.1);
    return arc;
}

Halcon::Hobject HalconPlaceContours(const Halcon::Hobject& contours, double row, double column,
                                    double scale, double angleRadians)
{
    // Each step starts from what the steps before it produced, even after a failure.
    Halcon::HTuple matrix;
    Halcon::HTuple next;
    Halcon::hom_mat2d_identity(&matrix);
    if (Halcon::hom_mat2d_scale(matrix, scale, scale, 0.0, 0.0, &next) == Halcon::kSuccess)
        matrix = next;
    if (Halcon::hom_mat2d_rotate(matrix, angleRadians, 0.0, 0.0, &next) == Halcon::kSuccess)
        matrix = next;
    if (Halcon::hom_mat2d_translate(matrix, row, column, &next) == Halcon::kSuccess)
        matrix = next;
    Halcon::Hobject placed;
    Halcon::affine_trans_contour_xld(contours, &placed, matrix);
    return placed;
}

Halcon::Hobject HalconShapeModelContours(const Halcon::HTuple& modelID, double row, double column, double scale,
                                         double angleRadians)
{
    Halcon::Hobject contours;
    Halcon::get_shape_model_contours(&contours, modelID, 1);
    return HalconPlaceContours(contours, row, column, scale, angleRadians);
}
