#include "ModelMatching_Analyse_SearchModel.h"

#include "Halcon_Helper.h"
#include "ModelMatching.h"
#include "ModelMatchingContours.h"
#include "ModelMatchingErrors.h"
#include "ModelMatchingPrefilter.h"
#include "ModelMatchingSearchArea.h"
#include "ModelMatching_Analyse_CreateModel.h"
#include "PictureUnitConverter.h"

#include <Halcon.h>

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <numbers>

using namespace Halcon;

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

// The find's sub-pixel mode; null for a value outside the list.
const char* subPixelName(int mode)
{
    static const char* const names[] = {"", "none", "interpolation", "least_squares", "least_squares_high",
                                        "least_squares_very_high"};
    return mode >= 0 && mode < int(std::size(names)) ? names[mode] : nullptr;
}

} // namespace

ModelMatching_Analyse_SearchModel::ModelMatching_Analyse_SearchModel(ModelMatching* facade, const QString& name,
                                                                     Hobject_View_Gui* viewer, QObject* parent)
    : ModelMatching_Analyse_Worker(facade, name, viewer, parent)
{
    if (facade)
        facade->SetSearchWorker(this);
}

ModelMatching_Analyse_SearchModel::~ModelMatching_Analyse_SearchModel() = default;

Errors::Type_Error ModelMatching_Analyse_SearchModel::ReadModel(const QString& folder, const QString& baseName)
{
    ModelMatching_Analyse_CreateModel* creator = m_facade ? m_facade->GetCreateWorker() : nullptr;
    ClearModel();
    if (creator)
        creator->ClearModel();
    ModelMatchingSettings settings;
    const bool withSettings = m_facade && m_facade->GetSettingsSnapshot(settings);
    ModelMatchingShapeModelPtr model;
    if (const Errors::Type_Error error = ReadModelFile(folder, baseName, withSettings ? &settings : nullptr, model);
        error != 0 || !model)
        return error;
    SetModel(model);
    if (creator)
        creator->SetModel(model);
    return ModelMatchingErrors::NoError;
}

Errors::Type_Error ModelMatching_Analyse_SearchModel::ReadModelFile(const QString& folder, const QString& baseName,
                                                                   const ModelMatchingSettings* settings,
                                                                   ModelMatchingShapeModelPtr& model) const
{
    model.reset();
    const QString path = ModelDataFilePath(folder, baseName);
    if (settings) {
        if (settings->Model.ROI.isEmpty())
            return ModelMatchingErrors::NoError;
        const QFileInfo file(path);
        if (file.isFile() && file.size() == 0)
            return ModelMatchingErrors::NoError;
    }
    HTuple handle;
    int status = kSuccess;
    if (ModelMatchingErrors::LayerFailed(read_shape_model(QFile::encodeName(path).toStdString(), &handle), status))
        return ModelMatchingErrors::CannotLoadModel;
    model = std::make_shared<const ModelMatchingShapeModel>(handle.L());
    return ModelMatchingErrors::NoError;
}

Errors::Type_Error ModelMatching_Analyse_SearchModel::SaveFiles(const QString&, const QString&)
{
    return ModelMatchingErrors::NoError;
}

Errors::Type_Error ModelMatching_Analyse_SearchModel::SearchModel(const ModelMatchingSearchParameters& p,
                                                                  ModelMatchingSearchResult& r)
{
    r.Reset();
    ModelMatchingSettings settings;
    Hobject modelPicture;
    Errors::Type_Error pictureError = ModelMatchingErrors::GeneralError;
    if (!m_facade || !m_viewer || !m_facade->TakeSnapshot(settings, modelPicture, pictureError))
        return ModelMatchingErrors::GeneralError;
    const ModelMatchingShapeModelPtr model = GetModel();
    if (!model)
        return ModelMatchingErrors::NoModel;
    PictureUnitConverter converter =
        ModelMatching_Analyse_CreateModel::TemplateUnits(pictureError, modelPicture, m_viewer);
    if (m_snapshotHook)
        m_snapshotHook();

    const ModelMatchingSettings::SearchToleranceData& tolerance = settings.SearchTolerance;
    const double angleTolerance = tolerance.Used ? tolerance.AngleTolerance : p.AngleTolerance;
    const double scaleTolerance = tolerance.Used ? tolerance.ScaleTolerance : p.ScaleTolerance;

    // The search region.
    int objectClass = Halcon_Helper::ObjectClass_Other;
    if (const Errors::Type_Error error = Halcon_Helper::GetObjectClass(p.SearchContour, objectClass); error != 0)
        return error;
    if (objectClass == Halcon_Helper::ObjectClass_XldContour) {
        r.SearchContour = p.SearchContour;
    } else {
        const ModelMatchingSettings::SearchPositionData& area = settings.SearchPosition;
        ModelMatchingContours::RoiToContour(converter, area.PositionX, area.PositionY, area.SizeX, area.SizeY,
                                            area.Angle, r.SearchContour);
    }
    for (const ModelMatchingTransform* transform : {&p.SearchTransform1, &p.SearchTransform2}) {
        if (transform->IsSet())
            ModelMatchingContours::TransformContour(r.SearchContour, *transform, r.SearchContour);
    }
    Hobject filled, region;
    if (ModelMatchingErrors::LayerFailed(gen_region_contour_xld(r.SearchContour, &filled, "filled"), r.Status)
        || ModelMatchingErrors::LayerFailed(union1(filled, &region), r.Status))
        return ModelMatchingErrors::GeneralError;

    // The picture, filtered near the region.
    if (const Errors::Type_Error error = Halcon_Helper::CheckImage(p.Picture); error != 0)
        return error;
    Hobject picture;
    if (const Errors::Type_Error error = ModelMatchingPrefilter::Apply(p.Picture, region, settings.Filter, picture, r.Status);
        error != 0)
        return error;
    const int metric = settings.Model.MatchMetric;
    if (metric < ModelMatchingSettings::MatchMetric_UsePolarity
        || metric > ModelMatchingSettings::MatchMetric_IgnoreColorPolarity)
        return ModelMatchingErrors::GeneralError;
    if (metric != ModelMatchingSettings::MatchMetric_IgnoreColorPolarity) {
        if (const Errors::Type_Error error = Halcon_Helper::ToGray(picture, picture); error != 0)
            return error;
    }
    if (ModelMatchingErrors::LayerFailed(reduce_domain(picture, region, &r.SearchPicture), r.Status))
        return ModelMatchingErrors::GeneralError;

    // Where the model's reference point may lie.
    HTuple originRow, originColumn;
    if (ModelMatchingErrors::LayerFailed(get_shape_model_origin(model->Handle(), &originRow, &originColumn), r.Status))
        return ModelMatchingErrors::GeneralError;
    ModelMatchingSearchArea::Box box;
    Hobject roiContours;
    int roiStatus = kSuccess;
    if (!settings.Model.ROI.isEmpty()
        && ModelMatching_Analyse_CreateModel::BuildRoiContours(settings.Model.ROI, converter, roiContours, roiStatus)
            == 0
        && !roiContours.IsEmpty()) {
        if (const Errors::Type_Error error = ModelMatchingSearchArea::RoiExtent(
                roiContours, p.Angle, angleTolerance, !p.QuadrantRotation, box, r.Status);
            error != 0)
            return error;
    } else {
        Hobject edges, placed;
        if (ModelMatchingErrors::LayerFailed(get_shape_model_contours(&edges, model->Handle(), 1), r.Status))
            return ModelMatchingErrors::GeneralError;
        ModelMatchingContours::TransformContour(
            edges, {0.0, 0.0, 2.0 * originColumn.D(), 2.0 * originRow.D(), 1.0, 0.0, false}, placed);
        if (const Errors::Type_Error error = ModelMatchingSearchArea::ContourExtent(placed, box, r.Status); error != 0)
            return error;
    }
    const double margin = ModelMatchingSearchArea::Margin(p.SearchMargin, p.PyramidLevels, settings.Analyse.PyramidLevels);
    if (const Errors::Type_Error error = ModelMatchingSearchArea::ReferenceRectangle(
            region, box, originRow.D(), originColumn.D(), margin, r.SearchRectangle, r.Status);
        error != 0)
        return error;
    Hobject searchPicture;
    if (const Errors::Type_Error error = Halcon_Helper::ReduceDomain(r.SearchPicture, r.SearchRectangle, searchPicture);
        error != 0)
        return error;

    // The find.
    const double minimumScore = p.MinimumScore >= 0.0 ? p.MinimumScore : settings.Analyse.MinimumScore;
    const int levels = p.PyramidLevels >= 0 ? p.PyramidLevels : settings.Analyse.PyramidLevels;
    const char* subPixel = subPixelName(p.SubPixel);
    if (!subPixel || !(p.ScoreDivisor > 0.0) || !std::isfinite(p.ScoreDivisor))
        return ModelMatchingErrors::GeneralError;
    if (ModelMatchingErrors::LayerFailed(set_shape_model_param(model->Handle(), "timeout",
                                     p.Timeout >= 1 ? HTuple(p.Timeout) : HTuple("false")),
               r.Status))
        return ModelMatchingErrors::GeneralError;
    HTuple row, column, angle, scale, score;
    const Herror found = find_scaled_shape_model(
        searchPicture, model->Handle(), (p.Angle - angleTolerance) * kRadiansPerDegree,
        2.0 * angleTolerance * kRadiansPerDegree, 1.0 - scaleTolerance, 1.0 + scaleTolerance,
        minimumScore / p.ScoreDivisor, 1, p.MaxOverlap, subPixel, levels, p.Greediness, &row, &column, &angle, &scale,
        &score);
    if (ModelMatchingErrors::LayerFailed(found, r.Status))
        return found == kErrTimeout ? ModelMatchingErrors::FindTimeout : ModelMatchingErrors::CannotFindModel;
    if (score.Length() != 1)
        return ModelMatchingErrors::NoError;

    const double matchAngle = angle.D() / kRadiansPerDegree;
    if (!MatchPasses(tolerance, p, minimumScore, angleTolerance, scaleTolerance, score.D(), matchAngle, scale.D()))
        return ModelMatchingErrors::NoError;

    Hobject edges;
    if (ModelMatchingErrors::LayerFailed(get_shape_model_contours(&edges, model->Handle(), 1), r.Status))
        return ModelMatchingErrors::GeneralError;
    ModelMatchingContours::TransformContour(edges, {0.0, 0.0, column.D(), row.D(), scale.D(), matchAngle, false},
                                            r.ModelContour);
    r.Transform = ModelMatchingTransform(originColumn.D(), originRow.D(), column.D() - 2.0 * originColumn.D(),
                                         row.D() - 2.0 * originRow.D(), scale.D(), matchAngle, true);
    r.Score = score.D();
    r.Found = true;
    return ModelMatchingErrors::NoError;
}

bool ModelMatching_Analyse_SearchModel::MatchPasses(const ModelMatchingSettings::SearchToleranceData& tolerance,
                                                    const ModelMatchingSearchParameters& p, double minimumScore,
                                                    double angleTolerance, double scaleTolerance, double score,
                                                    double angle, double scale)
{
    if (p.CheckScore && score < minimumScore)
        return false;
    if (!tolerance.Used)
        return true;
    const double widening = tolerance.CheckTolerance / 100.0 + 1.0;
    const double angleBound = widening * angleTolerance, scaleBound = widening * scaleTolerance;
    if (p.CheckAngle && (angle < p.Angle - angleBound || angle > p.Angle + angleBound))
        return false;
    if (p.CheckScale && (scale < 1.0 - scaleBound || scale > 1.0 + scaleBound))
        return false;
    return true;
}
