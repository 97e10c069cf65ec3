#include "HalconShapeModel.h"

#include "HalconGuard_p.h"
#include "HobjectElements_p.h"
#include "ShapeModelBuilder_p.h"
#include "ShapeModelFile_p.h"
#include "ShapeModelRegistry_p.h"
#include "ShapeModelSearch_p.h"

#include <QFile>

#include <cmath>
#include <string>

namespace Halcon {

using namespace ShapeMatching;

namespace {

// Failure numbers for parameters beyond the nine the shared helpers number.
Herror valueError(int parameter)
{
    return parameter >= 10 && parameter <= 12 ? Herror(kErrWrongValue10 + parameter - 10) : wrongValue(parameter);
}

// The shared readers number parameters 1 .. 9; later ones are renumbered here.
Herror renumbered(Herror err, int parameter)
{
    if (err == kSuccess || parameter < 10 || parameter > 12)
        return err;
    if (err == kErrWrongCount1)
        return Herror(kErrWrongCount10 + parameter - 10);
    if (err == kErrWrongType1)
        return Herror(kErrWrongType10 + parameter - 10);
    if (err == kErrWrongValue1)
        return Herror(kErrWrongValue10 + parameter - 10);
    return err;
}

Herror readNumber(const HTuple &tuple, int parameter, double *value)
{
    const int p = parameter > 9 ? 1 : parameter;
    Herror err = renumbered(singleNumber(tuple, p, value), parameter);
    if (err == kSuccess && !std::isfinite(*value))
        err = valueError(parameter);
    return err;
}

Herror readString(const HTuple &tuple, int parameter, std::string *value)
{
    const int p = parameter > 9 ? 1 : parameter;
    return renumbered(singleString(tuple, p, value), parameter);
}

// A number, or the text `automatic` (then *isAuto and *value untouched).
Herror readNumberOrAuto(const HTuple &tuple, int parameter, const char *automatic, double *value, bool *isAuto)
{
    *isAuto = false;
    if (tuple.Length() == 1 && tuple[0].IsString()) {
        if (tuple[0].Str() != automatic)
            return valueError(parameter);
        *isAuto = true;
        return kSuccess;
    }
    return readNumber(tuple, parameter, value);
}

Herror readLevels(const HTuple &tuple, int parameter, int *levels)
{
    double value = 0.0;
    bool isAuto = false;
    if (const Herror err = readNumberOrAuto(tuple, parameter, "auto", &value, &isAuto); err != kSuccess)
        return err;
    if (isAuto) {
        *levels = 0;
        return kSuccess;
    }
    if (value != std::floor(value) || value < 1.0 || value > kMaxLevels)
        return valueError(parameter);
    *levels = int(value);
    return kSuccess;
}

// Parameters 1 .. 9, shared by both ways of making a model.
Herror readCommon(const HTuple &numLevels, const HTuple &angleStart, const HTuple &angleExtent,
                  const HTuple &angleStep, const HTuple &scaleMin, const HTuple &scaleMax, const HTuple &scaleStep,
                  const HTuple &optimization, const HTuple &metric, BuildParameters *p)
{
    using namespace ModelLimits;
    Herror err = readLevels(numLevels, 1, &p->numLevels);
    if (err == kSuccess)
        err = readNumber(angleStart, 2, &p->angleStart);
    if (err == kSuccess && std::fabs(p->angleStart) > kMaxAngle)
        err = wrongValue(2);
    if (err == kSuccess)
        err = readNumber(angleExtent, 3, &p->angleExtent);
    if (err == kSuccess && (p->angleExtent < 0.0 || p->angleExtent > kMaxAngle))
        err = wrongValue(3);
    bool isAuto = false;
    if (err == kSuccess)
        err = readNumberOrAuto(angleStep, 4, "auto", &p->angleStep, &isAuto);
    if (err == kSuccess && !isAuto && (p->angleStep <= 0.0 || p->angleStep > kMaxAngle))
        err = wrongValue(4);
    if (err == kSuccess && isAuto)
        p->angleStep = 0.0;
    if (err == kSuccess)
        err = readNumber(scaleMin, 5, &p->scaleMin);
    if (err == kSuccess && (p->scaleMin < kMinScale || p->scaleMin > kMaxScale))
        err = wrongValue(5);
    if (err == kSuccess)
        err = readNumber(scaleMax, 6, &p->scaleMax);
    if (err == kSuccess && (p->scaleMax < p->scaleMin || p->scaleMax > kMaxScale))
        err = wrongValue(6);
    if (err == kSuccess)
        err = readNumberOrAuto(scaleStep, 7, "auto", &p->scaleStep, &isAuto);
    if (err == kSuccess && !isAuto && (p->scaleStep <= 0.0 || p->scaleStep > kMaxScale))
        err = wrongValue(7);
    if (err == kSuccess && isAuto)
        p->scaleStep = 0.0;
    if (err != kSuccess)
        return err;

    if (optimization.Length() < 1 || optimization.Length() > 2)
        return wrongCount(8);
    for (const HValue &v : optimization.Values())
        if (!v.IsString())
            return wrongType(8);
    const std::string &reduction = optimization[0].Str();
    if (reduction == "auto")
        p->reduction = PointReduction::Auto;
    else if (reduction == "none")
        p->reduction = PointReduction::None;
    else if (reduction == "point_reduction_low")
        p->reduction = PointReduction::Low;
    else if (reduction == "point_reduction_medium")
        p->reduction = PointReduction::Medium;
    else if (reduction == "point_reduction_high")
        p->reduction = PointReduction::High;
    else
        return wrongValue(8);
    if (optimization.Length() == 2 && optimization[1].Str() != "pregeneration"
        && optimization[1].Str() != "no_pregeneration")
        return wrongValue(8);

    std::string metricText;
    if (const Herror e = readString(metric, 9, &metricText); e != kSuccess)
        return e;
    if (!metricFromName(metricText, &p->metric))
        return wrongValue(9);
    return kSuccess;
}

Herror readMinContrast(const HTuple &tuple, int parameter, double *value)
{
    bool isAuto = false;
    if (const Herror err = readNumberOrAuto(tuple, parameter, "auto", value, &isAuto); err != kSuccess)
        return err;
    if (isAuto)
        *value = -1.0;
    else if (*value < 0.0 || *value > ModelLimits::kMaxMinContrast)
        return valueError(parameter);
    return kSuccess;
}

// [low, high, min size]: numbers or their automatic texts; "auto" alone for all three.
Herror readContrast(const HTuple &tuple, int parameter, BuildParameters *p)
{
    if (tuple.Length() < 1 || tuple.Length() > 3)
        return Herror(kErrWrongCount10 + parameter - 10);
    if (tuple.Length() == 1 && tuple[0].IsString() && tuple[0].Str() == "auto") {
        p->contrastLow = p->contrastHigh = p->minSize = -1.0;
        return kSuccess;
    }
    static const char *const automatic[3] = {"auto_contrast", "auto_contrast_hyst", "auto_min_size"};
    double values[3] = {-1.0, -1.0, -1.0};
    for (Hlong i = 0; i < tuple.Length(); ++i) {
        const HValue &v = tuple[i];
        if (v.IsString()) {
            if (v.Str() != automatic[i] && !(i == 0 && v.Str() == "auto"))
                return valueError(parameter);
            continue;
        }
        const double d = v.D();
        if (!std::isfinite(d) || d < 0.0)
            return valueError(parameter);
        values[i] = d;
    }
    p->contrastLow = values[0];
    // One value: the same threshold for both ends of the hysteresis.
    p->contrastHigh = tuple.Length() == 1 ? values[0] : values[1];
    p->minSize = values[2];
    return kSuccess;
}

Herror singleImage(const Hobject &object, ImagePtr *image)
{
    std::vector<ImagePtr> images;
    if (const Herror err = imagesOf(object, 1, images); err != kSuccess)
        return err;
    if (images.size() != 1)
        return kErrObjectCountMismatch;
    *image = images.front();
    return kSuccess;
}

HTuple numberTuple(double value)
{
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return HTuple(Hlong(value));
    return HTuple(value);
}

QString pathOf(const std::string &name)
{
    return QFile::decodeName(QByteArray::fromStdString(name));
}

} // namespace

Herror create_scaled_shape_model(const Hobject &templateImage, const HTuple &numLevels, const HTuple &angleStart,
                                 const HTuple &angleExtent, const HTuple &angleStep, const HTuple &scaleMin,
                                 const HTuple &scaleMax, const HTuple &scaleStep, const HTuple &optimization,
                                 const HTuple &metric, const HTuple &contrast, const HTuple &minContrast,
                                 HTuple *modelID)
{
    return guarded([&]() -> Herror {
        ImagePtr image;
        if (const Herror err = singleImage(templateImage, &image); err != kSuccess)
            return err;
        BuildParameters p;
        Herror err = readCommon(numLevels, angleStart, angleExtent, angleStep, scaleMin, scaleMax, scaleStep,
                                optimization, metric, &p);
        if (err == kSuccess)
            err = readContrast(contrast, 10, &p);
        if (err == kSuccess)
            err = readMinContrast(minContrast, 11, &p.minContrast);
        if (err != kSuccess)
            return err;
        std::shared_ptr<ShapeModelData> model;
        if (const Herror e = ShapeModelBuilder::fromImage(*image, p, &model); e != kSuccess)
            return e;
        const Hlong handle = ShapeModelRegistry::add(std::move(model));
        if (modelID)
            *modelID = HTuple(handle);
        return kSuccess;
    });
}

Herror create_scaled_shape_model_xld(const Hobject &contours, const HTuple &numLevels, const HTuple &angleStart,
                                     const HTuple &angleExtent, const HTuple &angleStep, const HTuple &scaleMin,
                                     const HTuple &scaleMax, const HTuple &scaleStep, const HTuple &optimization,
                                     const HTuple &metric, const HTuple &minContrast, HTuple *modelID)
{
    return guarded([&]() -> Herror {
        std::vector<XldPtr> xlds;
        if (const Herror err = xldsOf(contours, 1, xlds); err != kSuccess)
            return err;
        BuildParameters p;
        Herror err = readCommon(numLevels, angleStart, angleExtent, angleStep, scaleMin, scaleMax, scaleStep,
                                optimization, metric, &p);
        if (err == kSuccess)
            err = readMinContrast(minContrast, 10, &p.minContrast);
        if (err != kSuccess)
            return err;
        std::shared_ptr<ShapeModelData> model;
        if (const Herror e = ShapeModelBuilder::fromContours(xlds, p, &model); e != kSuccess)
            return e;
        const Hlong handle = ShapeModelRegistry::add(std::move(model));
        if (modelID)
            *modelID = HTuple(handle);
        return kSuccess;
    });
}

Herror find_scaled_shape_model(const Hobject &image, const HTuple &modelID, const HTuple &angleStart,
                               const HTuple &angleExtent, const HTuple &scaleMin, const HTuple &scaleMax,
                               const HTuple &minScore, const HTuple &numMatches, const HTuple &maxOverlap,
                               const HTuple &subPixel, const HTuple &numLevels, const HTuple &greediness,
                               HTuple *row, HTuple *column, HTuple *angle, HTuple *scale, HTuple *score)
{
    return guarded([&]() -> Herror {
        ImagePtr picture;
        if (const Herror err = singleImage(image, &picture); err != kSuccess)
            return err;
        ModelSnapshot model;
        if (const Herror err = ShapeModelRegistry::get(modelID, 1, &model); err != kSuccess)
            return err;
        SearchParameters p;
        Herror err = readNumber(angleStart, 2, &p.angleStart);
        if (err == kSuccess)
            err = readNumber(angleExtent, 3, &p.angleExtent);
        if (err == kSuccess && p.angleExtent < 0.0)
            err = wrongValue(3);
        if (err == kSuccess)
            err = readNumber(scaleMin, 4, &p.scaleMin);
        if (err == kSuccess && p.scaleMin <= 0.0)
            err = wrongValue(4);
        if (err == kSuccess)
            err = readNumber(scaleMax, 5, &p.scaleMax);
        if (err == kSuccess && p.scaleMax < p.scaleMin)
            err = wrongValue(5);
        if (err == kSuccess)
            err = readNumber(minScore, 6, &p.minScore);
        if (err == kSuccess && (p.minScore < 0.0 || p.minScore > 1.0))
            err = wrongValue(6);
        double matches = 0.0;
        if (err == kSuccess)
            err = readNumber(numMatches, 7, &matches);
        if (err == kSuccess && (matches < 0.0 || matches != std::floor(matches) || matches > 1e6))
            err = wrongValue(7);
        if (err == kSuccess)
            err = readNumber(maxOverlap, 8, &p.maxOverlap);
        if (err == kSuccess && (p.maxOverlap < 0.0 || p.maxOverlap > 1.0))
            err = wrongValue(8);
        if (err != kSuccess)
            return err;
        p.numMatches = int(matches);

        std::string mode;
        if (const Herror e = readString(subPixel, 9, &mode); e != kSuccess)
            return e;
        if (mode.empty() || mode == "none" || mode == "false")
            p.subPixel = SubPixel::None;
        else if (mode == "interpolation" || mode == "true")
            p.subPixel = SubPixel::Interpolation;
        else if (mode == "least_squares")
            p.subPixel = SubPixel::LeastSquares;
        else if (mode == "least_squares_high")
            p.subPixel = SubPixel::LeastSquaresHigh;
        else if (mode == "least_squares_very_high")
            p.subPixel = SubPixel::LeastSquaresVeryHigh;
        else
            return wrongValue(9);

        if (numLevels.Length() < 1 || numLevels.Length() > 2)
            return kErrWrongCount10;
        for (Hlong i = 0; i < numLevels.Length(); ++i) {
            const HValue &v = numLevels[i];
            if (!v.IsNumber())
                return kErrWrongType10;
            if (v.D() != std::floor(v.D()) || v.D() < 0.0 || v.D() > kMaxLevels)
                return kErrWrongValue10;
        }
        p.topLevel = numLevels[0].I();
        p.lowestLevel = numLevels.Length() == 2 ? std::max(1, numLevels[1].I()) : 1;
        if (p.topLevel > 0 && p.lowestLevel > p.topLevel)
            return kErrWrongValue10;
        if (const Herror e = readNumber(greediness, 11, &p.greediness); e != kSuccess)
            return e;
        if (p.greediness < 0.0 || p.greediness > 1.0)
            return kErrWrongValue11;

        std::vector<Match> found;
        if (const Herror e = ShapeModelSearch::find(*picture, model, p, &found); e != kSuccess)
            return e;
        HTuple rows, columns, angles, scales, scores;
        for (const Match &m : found) {
            rows.Append(HValue(m.row));
            columns.Append(HValue(m.column));
            angles.Append(HValue(m.angle));
            scales.Append(HValue(m.scale));
            scores.Append(HValue(m.score));
        }
        if (row)
            *row = std::move(rows);
        if (column)
            *column = std::move(columns);
        if (angle)
            *angle = std::move(angles);
        if (scale)
            *scale = std::move(scales);
        if (score)
            *score = std::move(scores);
        return kSuccess;
    });
}

Herror get_shape_model_contours(Hobject *modelContours, const HTuple &modelID, const HTuple &level)
{
    return guarded([&]() -> Herror {
        ModelSnapshot model;
        if (const Herror err = ShapeModelRegistry::get(modelID, 1, &model); err != kSuccess)
            return err;
        double value = 0.0;
        if (const Herror err = readNumber(level, 2, &value); err != kSuccess)
            return err;
        if (value != std::floor(value) || value < 1.0 || value > model.data->numLevels())
            return wrongValue(2);
        const int k = int(value);
        const double factor = double(1 << (k - 1));
        const double originRow = model.settings.originRow / factor, originCol = model.settings.originColumn / factor;
        std::vector<ElementPtr> elements;
        for (const auto &contour : model.data->levels[size_t(k - 1)].contours) {
            std::vector<XldPoint> points;
            points.reserve(contour.size());
            for (const XldPoint &p : contour)
                points.push_back({p.row - originRow, p.col - originCol});
            elements.push_back(makeContour(std::move(points)));
        }
        if (modelContours)
            *modelContours = makeObject(std::move(elements));
        return kSuccess;
    });
}

Herror set_shape_model_origin(const HTuple &modelID, const HTuple &row, const HTuple &column)
{
    return guarded([&]() -> Herror {
        double r = 0.0, c = 0.0;
        ModelSnapshot model;
        if (const Herror err = ShapeModelRegistry::get(modelID, 1, &model); err != kSuccess)
            return err;
        if (const Herror err = readNumber(row, 2, &r); err != kSuccess)
            return err;
        if (const Herror err = readNumber(column, 3, &c); err != kSuccess)
            return err;
        if (std::fabs(r) > ModelLimits::kMaxCoordinate)
            return wrongValue(2);
        if (std::fabs(c) > ModelLimits::kMaxCoordinate)
            return wrongValue(3);
        return ShapeModelRegistry::update(modelID, 1, [&](ModelSettings &settings) {
            settings.originRow = r;
            settings.originColumn = c;
            return kSuccess;
        });
    });
}

Herror get_shape_model_origin(const HTuple &modelID, HTuple *row, HTuple *column)
{
    return guarded([&]() -> Herror {
        ModelSnapshot model;
        if (const Herror err = ShapeModelRegistry::get(modelID, 1, &model); err != kSuccess)
            return err;
        if (row)
            *row = HTuple(model.settings.originRow);
        if (column)
            *column = HTuple(model.settings.originColumn);
        return kSuccess;
    });
}

Herror set_shape_model_param(const HTuple &modelID, const HTuple &genParamName, const HTuple &genParamValue)
{
    return guarded([&]() -> Herror {
        ModelSnapshot model;
        if (const Herror err = ShapeModelRegistry::get(modelID, 1, &model); err != kSuccess)
            return err;
        std::string name;
        if (const Herror err = readString(genParamName, 2, &name); err != kSuccess)
            return err;
        if (name != "timeout")
            return kErrUnknownParameter;
        if (genParamValue.Length() != 1)
            return wrongCount(3);
        Hlong timeout = 0;
        if (genParamValue[0].IsString()) {
            if (genParamValue[0].Str() != "false")
                return wrongValue(3);
        } else {
            const double ms = genParamValue[0].D();
            if (!std::isfinite(ms) || ms <= 0.0 || ms > double(ModelLimits::kMaxTimeoutMs))
                return wrongValue(3);
            timeout = Hlong(std::ceil(ms));
        }
        return ShapeModelRegistry::update(modelID, 1, [&](ModelSettings &settings) {
            settings.timeoutMs = timeout;
            return kSuccess;
        });
    });
}

Herror get_shape_model_params(const HTuple &modelID, HTuple *numLevels, HTuple *angleStart, HTuple *angleExtent,
                              HTuple *angleStep, HTuple *scaleMin, HTuple *scaleMax, HTuple *scaleStep,
                              HTuple *metric, HTuple *minContrast)
{
    return guarded([&]() -> Herror {
        ModelSnapshot model;
        if (const Herror err = ShapeModelRegistry::get(modelID, 1, &model); err != kSuccess)
            return err;
        const ShapeModelData &d = *model.data;
        if (numLevels)
            *numLevels = HTuple(Hlong(d.numLevels()));
        if (angleStart)
            *angleStart = HTuple(d.angleStart);
        if (angleExtent)
            *angleExtent = HTuple(d.angleExtent);
        if (angleStep)
            *angleStep = HTuple(d.angleStep);
        if (scaleMin)
            *scaleMin = HTuple(d.scaleMin);
        if (scaleMax)
            *scaleMax = HTuple(d.scaleMax);
        if (scaleStep)
            *scaleStep = HTuple(d.scaleStep);
        if (metric)
            *metric = HTuple(metricName(d.metric));
        if (minContrast)
            *minContrast = numberTuple(d.minContrast);
        return kSuccess;
    });
}

Herror write_shape_model(const HTuple &modelID, const HTuple &fileName)
{
    return guarded([&]() -> Herror {
        ModelSnapshot model;
        if (const Herror err = ShapeModelRegistry::get(modelID, 1, &model); err != kSuccess)
            return err;
        std::string name;
        if (const Herror err = readString(fileName, 2, &name); err != kSuccess)
            return err;
        if (name.empty())
            return wrongValue(2);
        return ShapeModelFile::write(pathOf(name), model);
    });
}

Herror read_shape_model(const HTuple &fileName, HTuple *modelID)
{
    return guarded([&]() -> Herror {
        std::string name;
        if (const Herror err = readString(fileName, 1, &name); err != kSuccess)
            return err;
        if (name.empty())
            return wrongValue(1);
        ModelSnapshot model;
        if (const Herror err = ShapeModelFile::read(pathOf(name), &model); err != kSuccess)
            return err;
        const Hlong handle = ShapeModelRegistry::add(std::move(model.data), model.settings);
        if (modelID)
            *modelID = HTuple(handle);
        return kSuccess;
    });
}

Herror clear_shape_model(const HTuple &modelID)
{
    return guarded([&]() -> Herror { return ShapeModelRegistry::remove(modelID, 1); });
}

} // namespace Halcon
