#include "ModelMatching_Analyse_CreateModel.h"

#include "Halcon_Helper.h"
#include "ModelMatching.h"
#include "ModelMatchingContours.h"
#include "ModelMatchingErrors.h"
#include "ModelMatchingPendingFiles.h"
#include "ModelMatchingPrefilter.h"
#include "ReplacingFile.h"
#include "ModelMatching_Analyse_SearchModel.h"
#include "PictureUnitConverter.h"

#include <Halcon.h>

#include <QFile>
#include <QFileInfo>

#include <numbers>

using namespace Halcon;

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

HTuple automaticOr(int value, const char* automatic)
{
    return value < 1 ? HTuple(automatic) : HTuple(value);
}

const char* metricName(int metric)
{
    switch (metric) {
    case ModelMatchingSettings::MatchMetric_UsePolarity:
        return "use_polarity";
    case ModelMatchingSettings::MatchMetric_IgnoreGlobalPolarity:
        return "ignore_global_polarity";
    case ModelMatchingSettings::MatchMetric_IgnoreLocalPolarity:
        return "ignore_local_polarity";
    case ModelMatchingSettings::MatchMetric_IgnoreColorPolarity:
        return "ignore_color_polarity";
    default:
        return nullptr;
    }
}

} // namespace

ModelMatching_Analyse_CreateModel::ModelMatching_Analyse_CreateModel(ModelMatching* facade, const QString& name,
                                                                     Hobject_View_Gui* viewer, QObject* parent)
    : ModelMatching_Analyse_Worker(facade, name, viewer, parent)
{
    if (facade)
        facade->SetCreateWorker(this);
}

ModelMatching_Analyse_CreateModel::~ModelMatching_Analyse_CreateModel() = default;

Errors::Type_Error ModelMatching_Analyse_CreateModel::BuildRoiContours(const ModelMatchingRoiList& rois,
                                                                       IPictureUnitConverter& converter,
                                                                       Hobject& contours, int& status)
{
    contours = Hobject();
    Hobject all;
    for (const ModelMatchingRoi& roi : rois) {
        double left = 0.0, top = 0.0, width = 0.0, height = 0.0;
        converter.percentToPixels(roi.PositionX, roi.PositionY, left, top);
        converter.percentToPixels(roi.SizeX, roi.SizeY, width, height);
        const double row = top + height / 2.0, column = left + width / 2.0, phi = roi.Angle * kRadiansPerDegree;
        Hobject contour;
        Herror err = kSuccess;
        if (roi.Type == ModelMatchingRoi::Type_Rectangle)
            err = gen_rectangle2_contour_xld(&contour, row, column, phi, width / 2.0, height / 2.0);
        else if (roi.Type == ModelMatchingRoi::Type_Ellipse)
            err = gen_ellipse_contour_xld(&contour, row, column, phi, width / 2.0, height / 2.0, 0.0,
                                          2.0 * std::numbers::pi, "positive", 2.0);
        else
            continue;
        if (ModelMatchingErrors::LayerFailed(err, status) || ModelMatchingErrors::LayerFailed(concat_obj(all, contour, &all), status))
            return ModelMatchingErrors::GeneralError;
    }
    contours = all;
    return ModelMatchingErrors::NoError;
}

PictureUnitConverter ModelMatching_Analyse_CreateModel::TemplateUnits(Errors::Type_Error pictureError,
                                                                     const Hobject& picture, Hobject_View_Gui* viewer)
{
    return pictureError == 0 ? PictureUnitConverter(picture) : PictureUnitConverter(viewer);
}

Errors::Type_Error ModelMatching_Analyse_CreateModel::GetModelRoiContours(Hobject& contours) const
{
    contours = Hobject();
    ModelMatchingSettings settings;
    Hobject picture;
    Errors::Type_Error pictureError = ModelMatchingErrors::GeneralError;
    if (!m_facade || !m_viewer || !m_facade->TakeSnapshot(settings, picture, pictureError))
        return ModelMatchingErrors::GeneralError;
    PictureUnitConverter converter = TemplateUnits(pictureError, picture, m_viewer);
    int status = kSuccess;
    return BuildRoiContours(settings.Model.ROI, converter, contours, status);
}

Errors::Type_Error ModelMatching_Analyse_CreateModel::CreateModel(const ModelMatchingCreateParameters& p,
                                                                  ModelMatchingCreateResult& r)
{
    r.Reset();
    ModelMatchingSettings settings;
    Hobject picture;
    Errors::Type_Error pictureError = ModelMatchingErrors::GeneralError;
    if (!m_facade || !m_viewer || !m_facade->GetModelPictureSource()
        || !m_facade->TakeSnapshot(settings, picture, pictureError))
        return ModelMatchingErrors::GeneralError;

    ClearModel();
    if (ModelMatching_Analyse_SearchModel* searcher = m_facade->GetSearchWorker())
        searcher->ClearModel();

    PictureUnitConverter converter = TemplateUnits(pictureError, picture, m_viewer);
    const ModelMatchingSettings::SearchPositionData& area = settings.SearchPosition;
    ModelMatchingContours::RoiToContour(converter, area.PositionX, area.PositionY, area.SizeX, area.SizeY,
                                        area.Angle, r.SearchContour);
    if (pictureError != 0)
        return pictureError;
    if (settings.Model.ROI.isEmpty())
        return ModelMatchingErrors::NoError;
    if (const Errors::Type_Error error = BuildRoiContours(settings.Model.ROI, converter, r.RoiContours, r.Status);
        error != 0)
        return error;
    // A region thinner than a pixel has no area, yet its outline still fills a line of pixels:
    // the model made from it is searched for seconds, often in vain. As the layer refuses a
    // region too small for a model.
    for (const ModelMatchingRoi& roi : settings.Model.ROI) {
        if (!roi.MakesRegion())
            continue;
        double width = 0.0, height = 0.0;
        converter.percentToPixels(roi.SizeX, roi.SizeY, width, height);
        if (!(width >= 1.0 && height >= 1.0)) {
            r.Status = kErrTooFewModelPoints;
            return ModelMatchingErrors::TooFewModelPoints;
        }
    }

    Hobject region, filtered, joined;
    if (ModelMatchingErrors::LayerFailed(gen_region_contour_xld(r.RoiContours, &region, "filled"), r.Status))
        return ModelMatchingErrors::GeneralError;
    if (const Errors::Type_Error error =
            ModelMatchingPrefilter::Apply(picture, region, settings.Filter, filtered, r.Status);
        error != 0)
        return error;
    const char* metric = metricName(settings.Model.MatchMetric);
    if (!metric)
        return ModelMatchingErrors::GeneralError;
    if (settings.Model.MatchMetric != ModelMatchingSettings::MatchMetric_IgnoreColorPolarity) {
        if (const Errors::Type_Error error = Halcon_Helper::ToGray(filtered, filtered); error != 0)
            return error;
    }
    if (ModelMatchingErrors::LayerFailed(union1(region, &joined), r.Status) || ModelMatchingErrors::LayerFailed(reduce_domain(filtered, joined, &r.ModelPicture), r.Status))
        return ModelMatchingErrors::GeneralError;

    HTuple contrast = automaticOr(settings.Model.ContrastLow, "auto_contrast");
    contrast.Append(automaticOr(settings.Model.ContrastHigh, "auto_contrast_hyst"));
    contrast.Append(automaticOr(settings.Model.MinElementSize, "auto_min_size"));
    HTuple handle;
    const Herror created = create_scaled_shape_model(
        r.ModelPicture, p.PyramidLevels, (p.Angle - p.AngleTolerance) * kRadiansPerDegree,
        2.0 * p.AngleTolerance * kRadiansPerDegree, p.AngleStep * kRadiansPerDegree, 1.0 - p.ScaleTolerance,
        1.0 + p.ScaleTolerance, p.ScaleStep, "auto", metric, contrast,
        automaticOr(settings.Picture.MinContrast, "auto"), &handle);
    if (ModelMatchingErrors::LayerFailed(created, r.Status))
        return created == kErrTooFewModelPoints ? ModelMatchingErrors::TooFewModelPoints
                                                : ModelMatchingErrors::CannotCreateModel;
    // Freed on every early return below: no half-made model reaches either worker.
    const auto model = std::make_shared<const ModelMatchingShapeModel>(handle.L());
    if (m_createdHook)
        m_createdHook(model->Id());

    // Taken before the origin moves, so they are relative to the reference point.
    Hobject edges, domain;
    HTuple pixels, row, column;
    if (ModelMatchingErrors::LayerFailed(get_shape_model_contours(&edges, model->Handle(), 1), r.Status)
        || ModelMatchingErrors::LayerFailed(get_domain(r.ModelPicture, &domain), r.Status)
        || ModelMatchingErrors::LayerFailed(area_center(domain, &pixels, &row, &column), r.Status)
        || ModelMatchingErrors::LayerFailed(set_shape_model_origin(model->Handle(), row, column), r.Status))
        return ModelMatchingErrors::GeneralError;
    // The reference point lies at the template domain's centre.
    ModelMatchingContours::TransformContour(edges, {0.0, 0.0, column.D(), row.D(), 1.0, 0.0, false}, r.ModelContour);

    SetModel(model);
    if (ModelMatching_Analyse_SearchModel* searcher = m_facade->GetSearchWorker())
        return searcher->SetModel(model);
    return ModelMatchingErrors::NoError;
}

Errors::Type_Error ModelMatching_Analyse_CreateModel::WriteModel(const QString& folder, const QString& baseName) const
{
    ModelMatchingPendingFiles pending;
    if (const Errors::Type_Error error = WriteModel(folder, baseName, pending); error != 0)
        return error;
    return pending.commit() ? ModelMatchingErrors::NoError : ModelMatchingErrors::CannotSaveModel;
}

Errors::Type_Error ModelMatching_Analyse_CreateModel::WriteModel(const QString& folder, const QString& baseName,
                                                                 ModelMatchingPendingFiles& pending) const
{
    const QString path = ModelDataFilePath(folder, baseName);
    const ModelMatchingShapeModelPtr model = GetModel();
    ModelMatchingSettings settings;
    if (m_facade && m_facade->GetSettingsSnapshot(settings)) {
        if (settings.Model.ROI.isEmpty())
            return pending.removal(path) ? ModelMatchingErrors::NoError : ModelMatchingErrors::CannotSaveModel;
        if (!model) {
            // An empty file says "regions, but no model" to the reader; it never takes the
            // place of a model.
            const QFileInfo existing(path);
            if (existing.isFile() && existing.size() > 0)
                return ModelMatchingErrors::NoError;
            const QString written = pending.replacement(path);
            if (written.isEmpty() || !ReplacingFile::write(written, QByteArray()))
                return ModelMatchingErrors::CannotSaveModel;
            return ModelMatchingErrors::NoError;
        }
    }
    const QString written = model ? pending.replacement(path) : QString();
    int status = kSuccess;
    if (written.isEmpty()
        || ModelMatchingErrors::LayerFailed(write_shape_model(model->Handle(), QFile::encodeName(written).toStdString()),
                                            status))
        return ModelMatchingErrors::CannotSaveModel;
    return ModelMatchingErrors::NoError;
}

Errors::Type_Error ModelMatching_Analyse_CreateModel::LoadFiles(const QString&, const QString&)
{
    return ModelMatchingErrors::NoError;
}
