#include "ReferencePointSearch.h"

#include "CorrectionInfo.h"
#include "IImageRefPointsView.h"

#include <DrawSettings.h>
#include <HalconFunctions.h>
#include <Halcon_Helper.h>
#include <IHalconView.h>

#include <HalconAop.h>
#include <HalconGeometryOps.h>
#include <HalconImageOps.h>
#include <HalconRegionOps.h>
#include <HalconShapeModel.h>
#include <HalconXldOps.h>

#include <QCoreApplication>
#include <QMutexLocker>

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

namespace {

constexpr double kDegreesPerRadian = 57.295779513082;
constexpr double kFullCircle = 6.283185307179622;
constexpr double kCornerAngleTolerance = 1.1; // degrees from a right angle
constexpr double kPlateOriginX = 20.0; // mm: the plate's X axis starts 20 mm left of the top-left mark

constexpr Errors::Type_Error kNotEnoughPoints = 160;
constexpr Errors::Type_Error kTooManyPoints = 161;
constexpr Errors::Type_Error kCornerAngleOutside = 162;
constexpr Errors::Type_Error kNotEvaluated = 163;
constexpr Errors::Type_Error kCoordinateSystemInvalid = 164;

// Entries of the draw-style table, counted from 1 as the overlay plan names them.
enum StyleEntry {
    StyleSearchArea = 1,
    StyleSearchAreaNotFound = 2,
    StyleLabel = 3,
    StyleMarkCircle = 4,
    StyleFoundCross = 5,
    StyleModelSingle = 6,
    StyleModelSeveral = 7,
    StyleCrossSeveral = 8,
};

const QString kSearchAreaName = QStringLiteral("HalconObject_ReferencePoints_SearchArea.%1");
const QString kLabelName = QStringLiteral("HalconObject_ReferencePoints_Label.%1");
const QString kMatchName = QStringLiteral("HalconObject_ReferencePoints_Match.%1");

QString tr(const char* text)
{
    return QCoreApplication::translate("ReferencePointSearch", text);
}

Halcon::HTuple identity()
{
    Halcon::HTuple matrix;
    Halcon::hom_mat2d_identity(&matrix);
    return matrix;
}

// One matrix step; a failing operator leaves the matrix as it was and the build goes on.
template<class Step>
void applyStep(Halcon::HTuple& matrix, Step step)
{
    Halcon::HTuple next;
    if (step(matrix, &next) == Halcon::kSuccess)
        matrix = next;
}

bool usableLength(double value)
{
    return std::isfinite(value) && value > 0.0;
}

// Frees the run's model whatever way the search ends; a run never reuses an earlier model.
class ShapeModelGuard {
public:
    explicit ShapeModelGuard(const Halcon::HTuple& model) : m_model(model) {}
    ~ShapeModelGuard()
    {
        if (!m_model.IsEmpty())
            Halcon::clear_shape_model(m_model);
    }
    ShapeModelGuard(const ShapeModelGuard&) = delete;
    ShapeModelGuard& operator=(const ShapeModelGuard&) = delete;

private:
    Halcon::HTuple m_model;
};

} // namespace

QString ReferenceCornerNames(int index)
{
    switch (index) {
    case 0:
        return tr("%1. Top Left").arg(1);
    case 1:
        return tr("%1. Top Right").arg(2);
    case 2:
        return tr("%1. Bottom Left").arg(3);
    case 3:
        return tr("%1. Bottom Right").arg(4);
    default:
        return QString();
    }
}

ReferencePointSearch::ReferencePointSearch()
{
    reset();
}

void ReferencePointSearch::setShapeSearchFunction(ShapeSearchFunction search)
{
    m_shapeSearch = search ? search : &Halcon::find_scaled_shape_model;
}

void ReferencePointSearch::init(IHalconView* view, IImageRefPointsView* pointsView)
{
    m_view = view;
    m_pointsView = pointsView;
    setMatrices(identity(), identity());
}

void ReferencePointSearch::reset()
{
    const Halcon::HTuple unit = identity();
    QMutexLocker lock(&m_mutex);
    for (ImageRefPoint& point : m_points)
        point = ImageRefPoint();
    HorizontalResolution = 0.0;
    VerticalResolution = 0.0;
    MeanResolution = 0.0;
    AxisRotation = 0.0;
    CornerAngle = 0.0;
    m_cornerResult = 0;
    m_picture = Halcon::Hobject();
    m_width = 0;
    m_height = 0;
    m_settings = nullptr;
    m_heightScaleMatrix = unit;
    m_plateMatrix = unit;
}

Errors::Type_Error ReferencePointSearch::run(Halcon::Hobject picture, const ReferencePoints* settings,
                                             const CorrectionInfo* correction)
{
    reset();
    if (m_pointsView) {
        m_pointsView->clear();
        m_pointsView->addMetrics(ImageRefPointsMetrics());
    }
    // Without settings there is nothing to search for.
    if (!settings)
        return kNotEvaluated;

    int width = 0;
    int height = 0;
    // An unreadable size leaves 0 x 0; the search then fails on its own operators.
    Halcon_Helper::GetImageSize(picture, width, height);
    {
        QMutexLocker lock(&m_mutex);
        m_settings = settings;
        m_picture = picture;
        m_width = width;
        m_height = height;
    }

    if (settings->FixedPosition)
        return useFixedPositions();
    return searchShapeModels(correction);
}

Errors::Type_Error ReferencePointSearch::useFixedPositions()
{
    const double positions[3][2] = {
        {m_settings->RefPointTopLeftX, m_settings->RefPointTopLeftY},
        {m_settings->RefPointTopRightX, m_settings->RefPointTopRightY},
        {m_settings->RefPointBottomLeftX, m_settings->RefPointBottomLeftY},
    };
    double columns[3] = {};
    double rows[3] = {};
    for (int k = 0; k < 3; ++k)
        percentToPixels(positions[k][0], positions[k][1], columns[k], rows[k]);
    {
        QMutexLocker lock(&m_mutex);
        for (int k = 0; k < PointCount; ++k)
            m_points[k].Index = k;
        for (int k = 0; k < 3; ++k) {
            m_points[k].Found = true;
            m_points[k].PosX_px = columns[k];
            m_points[k].PosY_px = rows[k];
        }
    }

    const double size = markSize();
    if (m_view) {
        for (int k = 0; k < PointCount; ++k) {
            const ImageRefPoint& point = m_points[k];
            m_view->addText(QString::number(point.Index + 1), point.PosY_px - 1.2 * size, point.PosX_px - size,
                            style(StyleLabel), kLabelName.arg(k), false, false);
        }
    }

    const Errors::Type_Error metricsResult = computeMetrics();
    showMatch();

    for (int k = 0; k < 3; ++k) {
        if (m_points[k].PosX_px == 0.0 || m_points[k].PosY_px == 0.0)
            return kNotEnoughPoints;
    }
    if (metricsResult != 0)
        return metricsResult;
    const Errors::Type_Error cornerResult = checkCornerAngle();
    if (cornerResult != 0)
        return cornerResult;
    return computeCoordinateSystemFixed();
}

Errors::Type_Error ReferencePointSearch::searchShapeModels(const CorrectionInfo* correction)
{
    const double radius = m_settings->RefPointRadius;
    Halcon::Hobject circle;
    Halcon::Herror error = Halcon::gen_circle_contour_xld(&circle, radius + 5.0, radius + 5.0, radius, 0.0,
                                                          kFullCircle, "positive", 0.1);
    if (error != Halcon::kSuccess)
        return Errors::Type_Error(error);

    const double scaleRange = m_settings->RefPointPointScaleRange / 100.0;
    Halcon::HTuple model;
    error = Halcon::create_scaled_shape_model_xld(circle, 3, 0.0, 0.0, "auto", 1.0 - scaleRange, 1.0 + scaleRange,
                                                  0.002, "auto", "ignore_local_polarity",
                                                  m_settings->RefPointPointMinimumContrast, &model);
    if (error != Halcon::kSuccess)
        return Errors::Type_Error(error);
    const ShapeModelGuard modelGuard(model);

    // All four areas are on screen before the first (slow) search starts.
    Halcon::Hobject areas[PointCount];
    for (int i = 1; i <= PointCount; ++i) {
        const ColonySettingsData::SearchPositionPoint& position = m_settings->SearchPosition[i - 1];
        double x = 0.0, y = 0.0, w = 0.0, h = 0.0;
        percentToPixels(position.X, position.Y, x, y);
        percentToPixels(m_settings->SearchPositionWidth, m_settings->SearchPositionHeight, w, h);
        Halcon::gen_rectangle1(&areas[i - 1], y, x, y + h, x + w);
        if (m_view) {
            m_view->addObject(areas[i - 1], style(StyleSearchArea), kSearchAreaName.arg(i), false);
            m_view->addText(QString::number(i), y, x, style(StyleLabel), kLabelName.arg(i), false, false);
        }
    }

    // The four searches are independent and run on the operator pool; what they found is
    // drawn and reported area by area, as a search of one area after the other would.
    AreaMatches matches[PointCount];
    Halcon::parallel_work("reference_points", PointCount, 1, [&](int first, int end) {
        for (int i = first; i < end; ++i)
            matches[i] = findMatches(model, areas[i], scaleRange);
    });
    // Not reset between areas: the last failing area decides the code.
    Errors::Type_Error result = 0;
    for (int i = 1; i <= PointCount; ++i)
        reportArea(i, model, areas[i - 1], matches[i - 1], result);

    if (result == 0 && correction)
        applyCorrection(*correction);

    if (result == 0) {
        result = computeMetrics();
        if (result == 0)
            result = checkCornerAngle();
        if (result == 0)
            result = computeCoordinateSystem();
    }
    showMatch();
    return result;
}

ReferencePointSearch::AreaMatches ReferencePointSearch::findMatches(const Halcon::HTuple& model,
                                                                   const Halcon::Hobject& areaRegion,
                                                                   double scaleRange) const
{
    AreaMatches found;
    Halcon::Hobject reduced;
    found.error = Halcon::reduce_domain(m_picture, areaRegion, &reduced);
    if (found.error == Halcon::kSuccess)
        found.error = m_shapeSearch(reduced, model, 0.0, 0.0, 1.0 - scaleRange, 1.0 + scaleRange,
                                    m_settings->RefPointPointMinimumScore, 1, 0.0, "least_squares", 3, 0.5,
                                    &found.rows, &found.columns, &found.angles, &found.scales, &found.scores);
    return found;
}

void ReferencePointSearch::reportArea(int area, const Halcon::HTuple& model, const Halcon::Hobject& areaRegion,
                                      const AreaMatches& search, Errors::Type_Error& result)
{
    ImageRefPoint found;
    found.Index = area - 1;

    const Halcon::Herror error = search.error;
    const Halcon::HTuple& rows = search.rows;
    const Halcon::HTuple& columns = search.columns;
    const Halcon::HTuple& angles = search.angles;
    const Halcon::HTuple& scales = search.scales;
    const Halcon::HTuple& scores = search.scores;
    const Halcon::Hlong matches = error == Halcon::kSuccess
        ? std::min({rows.Length(), columns.Length(), angles.Length(), scales.Length(), scores.Length()})
        : 0;

    const double radius = m_settings->RefPointRadius;
    const QString areaName = kSearchAreaName.arg(area);
    const QString matchName = kMatchName.arg(area);

    if (error != Halcon::kSuccess) {
        result = Errors::Type_Error(error);
        found.ErrorText = Errors::getErrorText(result);
        drawAreaNotFound(area, areaRegion);
    } else if (matches == 0) {
        result = kNotEnoughPoints;
        found.ErrorText = tr("No reference point found!");
        drawAreaNotFound(area, areaRegion);
    } else if (matches == 1) {
        found.Found = true;
        found.PosY_px = rows[0].D();
        found.PosX_px = columns[0].D();
        found.Scale = scales[0].D();
        found.Score = scores[0].D();
        if (m_view) {
            m_view->addObject(HalconGenCircle(found.PosY_px, found.PosX_px, radius), style(StyleMarkCircle),
                              areaName, false);
            m_view->addObject(HalconShapeModelContours(model, found.PosY_px, found.PosX_px, found.Scale,
                                                       angles[0].D()),
                              style(StyleModelSingle), matchName, false);
        }
    } else {
        result = kTooManyPoints;
        found.ErrorText = tr("Too many reference points found!");
        if (m_view) {
            const double size = markSize();
            for (Halcon::Hlong j = 0; j < matches; ++j) {
                const double row = rows[j].D();
                const double column = columns[j].D();
                m_view->addObject(HalconGenCircle(row, column, radius), style(StyleMarkCircle), areaName, false);
                m_view->addObject(HalconShapeModelContours(model, row, column, scales[j].D(), angles[j].D()),
                                  style(StyleModelSeveral), matchName, false);
                m_view->addObject(HalconGenCross(row, column, size, 0.0), style(StyleCrossSeveral), matchName,
                                  false);
            }
            m_view->setObjectsStyle(areaName, style(StyleSearchAreaNotFound), false);
        }
    }

    QMutexLocker lock(&m_mutex);
    m_points[area - 1] = found;
}

void ReferencePointSearch::drawAreaNotFound(int area, const Halcon::Hobject& areaRegion)
{
    if (!m_view)
        return;
    Halcon::HTuple size, row, column;
    Halcon::area_center(areaRegion, &size, &row, &column);
    const QString areaName = kSearchAreaName.arg(area);
    if (!row.IsEmpty() && !column.IsEmpty())
        m_view->addObject(HalconGenCircle(row.D(), column.D(), m_settings->RefPointRadius), style(StyleMarkCircle),
                          areaName, false);
    m_view->setObjectsStyle(areaName, style(StyleSearchAreaNotFound), false);
}

void ReferencePointSearch::applyCorrection(const CorrectionInfo& correction)
{
    if (correction.Factor == 1.0)
        return;
    QMutexLocker lock(&m_mutex);
    const int axisPoints = int(std::min<qsizetype>(correction.Points.size(), PointCount));
    for (int j = 0; j < axisPoints; ++j) {
        const OpticalAxisPoint& axis = correction.Points.at(j);
        ImageRefPoint& point = m_points[j];
        point.PosX_px = (point.PosX_px - axis.Column) * correction.Factor + axis.Column;
        point.PosY_px = (point.PosY_px - axis.Row) * correction.Factor + axis.Row;
    }
}

Errors::Type_Error ReferencePointSearch::computeMetrics()
{
    const ImageRefPoint& topLeft = m_points[TopLeft];
    const ImageRefPoint& topRight = m_points[TopRight];
    const ImageRefPoint& bottomLeft = m_points[BottomLeft];

    // Preset, so a failing operator reads as a zero length or angle, never as garbage.
    Halcon::HTuple horizontal(0.0), vertical(0.0), corner(0.0), rotation(0.0);
    Halcon::distance_pp(topLeft.PosY_px, topLeft.PosX_px, topRight.PosY_px, topRight.PosX_px, &horizontal);
    Halcon::distance_pp(topLeft.PosY_px, topLeft.PosX_px, bottomLeft.PosY_px, bottomLeft.PosX_px, &vertical);
    Halcon::angle_ll(topLeft.PosY_px, topLeft.PosX_px, bottomLeft.PosY_px, bottomLeft.PosX_px, topLeft.PosY_px,
                     topLeft.PosX_px, topRight.PosY_px, topRight.PosX_px, &corner);
    Halcon::angle_lx(topLeft.PosY_px, topLeft.PosX_px, topRight.PosY_px, topRight.PosX_px, &rotation);

    // Distances of 0 mm (or marks on top of each other) give no coordinate system; say so
    // instead of dividing by zero.
    const double distanceX = m_settings->DistanceX;
    const double distanceY = m_settings->DistanceY;
    const bool valid = usableLength(distanceX) && usableLength(distanceY) && usableLength(horizontal.D())
        && usableLength(vertical.D());

    QMutexLocker lock(&m_mutex);
    HorizontalResolution = valid ? horizontal.D() / distanceX : 0.0;
    VerticalResolution = valid ? vertical.D() / distanceY : 0.0;
    MeanResolution = (VerticalResolution + HorizontalResolution) * 0.5;
    CornerAngle = std::isfinite(corner.D()) ? corner.D() : 0.0;
    AxisRotation = std::isfinite(rotation.D()) ? rotation.D() : 0.0;
    if (!valid) {
        m_cornerResult = kCoordinateSystemInvalid;
        return kCoordinateSystemInvalid;
    }
    return 0;
}

Errors::Type_Error ReferencePointSearch::checkCornerAngle()
{
    if (std::fabs(CornerAngle * kDegreesPerRadian - 90.0) <= kCornerAngleTolerance)
        return 0;
    QMutexLocker lock(&m_mutex);
    m_cornerResult = kCornerAngleOutside;
    return kCornerAngleOutside;
}

Halcon::HTuple ReferencePointSearch::buildScaleTransform() const
{
    Halcon::HTuple matrix = identity();
    if (!m_settings)
        return matrix;
    const double cameraDistance = m_settings->DistanceCameraToRefPointPlane;
    if (cameraDistance == 0.0)
        return matrix;
    const double k = 1.0 - m_settings->DistanceRefPointPlaneToAgarPlane / cameraDistance;
    if (!std::isfinite(k))
        return matrix;
    applyStep(matrix, [&](const Halcon::HTuple& m, Halcon::HTuple* out) {
        return Halcon::hom_mat2d_scale(m, k, k, m_height * 0.5, m_width * 0.5, out);
    });
    return matrix;
}

Errors::Type_Error ReferencePointSearch::computeScaleTransform()
{
    QMutexLocker lock(&m_mutex);
    m_heightScaleMatrix = buildScaleTransform();
    return 0;
}

Errors::Type_Error ReferencePointSearch::computeCoordinateSystem()
{
    setMatrices(identity(), identity());
    computeScaleTransform();

    const ImageRefPoint& topLeft = m_points[TopLeft];
    const ImageRefPoint& topRight = m_points[TopRight];
    const ImageRefPoint& bottomLeft = m_points[BottomLeft];
    const ImageRefPoint& bottomRight = m_points[BottomRight];
    Halcon::HTuple centreRow, centreColumn, overlapping;
    const Halcon::Herror error = Halcon::intersection_ll(
        topLeft.PosY_px, topLeft.PosX_px, bottomRight.PosY_px, bottomRight.PosX_px, topRight.PosY_px,
        topRight.PosX_px, bottomLeft.PosY_px, bottomLeft.PosX_px, &centreRow, &centreColumn, &overlapping);
    if (error != Halcon::kSuccess || centreRow.IsEmpty() || centreColumn.IsEmpty())
        return kCoordinateSystemInvalid;
    if (!usableLength(VerticalResolution) || !usableLength(HorizontalResolution))
        return kCoordinateSystemInvalid;

    setPlateMatrix(centreRow.D(), centreColumn.D(), m_settings->DistanceY * 0.5 + 0.0,
                   m_settings->DistanceX * 0.5 + kPlateOriginX);
    return 0;
}

Errors::Type_Error ReferencePointSearch::computeCoordinateSystemFixed()
{
    setMatrices(identity(), identity());
    computeScaleTransform();
    if (!usableLength(VerticalResolution) || !usableLength(HorizontalResolution))
        return kCoordinateSystemInvalid;

    setPlateMatrix(m_points[TopLeft].PosY_px, m_points[TopLeft].PosX_px, 0.0, kPlateOriginX);
    return 0;
}

void ReferencePointSearch::setPlateMatrix(double row, double column, double originRow, double originColumn)
{
    Halcon::HTuple plate = identity();
    applyStep(plate, [&](const Halcon::HTuple& m, Halcon::HTuple* out) {
        return Halcon::hom_mat2d_rotate(m, -AxisRotation, row, column, out);
    });
    applyStep(plate, [&](const Halcon::HTuple& m, Halcon::HTuple* out) {
        return Halcon::hom_mat2d_translate(m, -row, -column, out);
    });
    applyStep(plate, [&](const Halcon::HTuple& m, Halcon::HTuple* out) {
        return Halcon::hom_mat2d_scale(m, 1.0 / VerticalResolution, 1.0 / HorizontalResolution, 0.0, 0.0, out);
    });
    applyStep(plate, [&](const Halcon::HTuple& m, Halcon::HTuple* out) {
        return Halcon::hom_mat2d_translate(m, originRow, originColumn, out);
    });
    QMutexLocker lock(&m_mutex);
    m_plateMatrix = plate;
}

void ReferencePointSearch::showMatch()
{
    const double size = markSize();
    for (int n = 1; n <= PointCount; ++n) {
        const ImageRefPoint point = m_points[n - 1];
        if (m_pointsView)
            m_pointsView->add(QString(), point);
        if (point.Found && m_view)
            m_view->addObject(HalconGenCross(point.PosY_px, point.PosX_px, size, 0.0), style(StyleFoundCross),
                              kMatchName.arg(n), false);
    }
    if (m_pointsView)
        m_pointsView->addMetrics(metrics());
    if (m_view)
        m_view->update();
}

void ReferencePointSearch::transformHeightScale(double row, double column, double* rowOut, double* columnOut) const
{
    transform(m_heightScaleMatrix, row, column, rowOut, columnOut);
}

void ReferencePointSearch::transformPlateCoordinates(double row, double column, double* yMillimetres,
                                                     double* xMillimetres) const
{
    transform(m_plateMatrix, row, column, yMillimetres, xMillimetres);
}

void ReferencePointSearch::transform(const Halcon::HTuple& matrix, double row, double column, double* first,
                                     double* second) const
{
    // Every colony of a dish is mapped twice, from every thread of the pool: the lock covers
    // the copy of the six values only, not their memory nor the operator.
    std::vector<Halcon::HValue> values;
    values.reserve(6);
    {
        QMutexLocker lock(&m_mutex);
        const std::span<const Halcon::HValue> held = matrix.Values();
        values.assign(held.begin(), held.end());
    }
    // A matrix or point the operator refuses leaves the point where it is.
    Halcon::HTuple qRow, qColumn;
    const bool mapped =
        Halcon::affine_trans_point_2d(Halcon::HTuple(std::move(values)), row, column, &qRow, &qColumn)
        == Halcon::kSuccess;
    if (first)
        *first = mapped ? qRow.D() : row;
    if (second)
        *second = mapped ? qColumn.D() : column;
}

ImageRefPointsMetrics ReferencePointSearch::metrics() const
{
    QMutexLocker lock(&m_mutex);
    ImageRefPointsMetrics result;
    result.HorizontalResolution = HorizontalResolution;
    result.VerticalResolution = VerticalResolution;
    result.AxisRotation = AxisRotation;
    result.CornerAngle = CornerAngle;
    if (m_cornerResult != 0)
        result.Message = Errors::getErrorText(m_cornerResult);
    return result;
}

ImageRefPoint ReferencePointSearch::point(int index) const
{
    if (index < 0 || index >= PointCount)
        return ImageRefPoint();
    QMutexLocker lock(&m_mutex);
    return m_points[index];
}

Halcon::HTuple ReferencePointSearch::heightScaleMatrix() const
{
    QMutexLocker lock(&m_mutex);
    return m_heightScaleMatrix;
}

Halcon::HTuple ReferencePointSearch::plateMatrix() const
{
    QMutexLocker lock(&m_mutex);
    return m_plateMatrix;
}

Errors::Type_Error ReferencePointSearch::cornerResult() const
{
    QMutexLocker lock(&m_mutex);
    return m_cornerResult;
}

void ReferencePointSearch::percentToPixels(double x, double y, double& xPixels, double& yPixels) const
{
    if (m_view) {
        m_view->percentToPixels(x, y, xPixels, yPixels);
        return;
    }
    // Without a viewer: percent of the longer side of the analysed picture.
    const double longer = std::max(m_width, m_height);
    xPixels = longer * x / 100.0;
    yPixels = longer * y / 100.0;
}

void ReferencePointSearch::setMatrices(const Halcon::HTuple& heightScale, const Halcon::HTuple& plate)
{
    QMutexLocker lock(&m_mutex);
    m_heightScaleMatrix = heightScale;
    m_plateMatrix = plate;
}

double ReferencePointSearch::markSize() const
{
    return double((m_height * 3) / 100);
}

const DrawStyle& ReferencePointSearch::style(int entry)
{
    return DrawSettings::instance().at(DrawSettings::ReferencePoints_SearchArea + entry - 1);
}
