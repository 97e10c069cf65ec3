#include "ColonyMarginAnalysis.h"

#include "ColonySettingsData.h"
#include "DeferredRelease.h"
#include "DrawSettings.h"
#include "Halcon_Helper.h"
#include "IHalconView.h"
#include "IPlate.h"
#include "IPlateCoordinates.h"
#include "IProgress.h"
#include "ITaskCancellation.h"

#include <Halcon.h>

#include <QString>

#include <algorithm>
#include <cmath>

namespace {

constexpr Errors::Type_Error kNoError = 0;
constexpr Errors::Type_Error kGeneralApplicationError = 3;
constexpr Errors::Type_Error kAborted = 100;
constexpr Errors::Type_Error kReferencePointsNotEvaluated = 163;

// A layer result as a result code: 0 for success, the layer's own number otherwise.
inline Errors::Type_Error code(Halcon::Herror error)
{
    return error == Halcon::kSuccess ? kNoError : Errors::Type_Error(error);
}

const QString kMarginsName = QStringLiteral("HalconObject_Margins.");

} // namespace

ColonyMarginAnalysis::ColonyMarginAnalysis() = default;

ColonyMarginAnalysis::~ColonyMarginAnalysis() = default;

void ColonyMarginAnalysis::init(IHalconView* view, IPlate* plate, IPlateCoordinates* referencePoints,
                                ITaskCancellation* cancellation, IProgress* progress)
{
    m_view = view;
    m_plate = plate;
    m_referencePoints = referencePoints;
    m_cancellation = cancellation;
    m_progress = progress;
}

Errors::Type_Error ColonyMarginAnalysis::run(Halcon::Hobject picture, const ColonySettingsData* settings,
                                             bool fixedGreyRange, qint32 containerIndex,
                                             Halcon::Hobject containerOutline)
{
    // The properties analysis reads these right after; a failed run must not hand it the
    // contours or grey level of the previous container.
    releaseLater(m_release, std::move(m_contours));
    m_contours = Halcon::Hobject();
    m_thresholdLevel = 0.0;
    m_segmentCount = 0;
    m_grayLow = 0.0;
    m_grayHigh = 0.0;

    m_settings = settings;
    m_fixedGreyRange = fixedGreyRange;
    m_picture = picture;
    int width = 0;
    int height = 0;
    const Errors::Type_Error sizeResult = Halcon_Helper::GetImageSize(m_picture, width, height);
    m_width = width;
    m_height = height;
    if (sizeResult != kNoError)
        return sizeResult;

    m_containerOutline = containerOutline;
    m_containerIndex = containerIndex;
    if (!m_settings)
        return kGeneralApplicationError;

    Errors::Type_Error result = kNoError;
    switch (m_settings->Colony.AnalysisMode) {
    case 0:
        result = runStandard();
        break;
    case 1:
        result = runDynamicThreshold();
        break;
    default:
        break;
    }
    if (m_view)
        m_view->update();
    return result;
}

Errors::Type_Error ColonyMarginAnalysis::runStandard()
{
    const ColonySettingsData::ColonyData& colony = m_settings->Colony;
    if (!m_plate)
        return kGeneralApplicationError;

    Halcon::Hobject inner;
    Errors::Type_Error result = m_plate->containerContour(inner, m_containerIndex, -colony.GrayMargin);
    if (result != kNoError)
        return result;
    if (m_view)
        m_view->addObject(inner, DrawSettings::instance().at(DrawSettings::Margins_Second), kMarginsName, false);

    Halcon::Hobject innerRegion;
    result = code(Halcon::gen_region_contour_xld(inner, &innerRegion, "filled"));
    if (result != kNoError)
        return result;

    double low = 0.0;
    double high = 255.0;
    if (!m_fixedGreyRange) {
        Halcon::HTuple minimum;
        Halcon::HTuple maximum;
        Halcon::HTuple range;
        result = code(Halcon::min_max_gray(innerRegion, m_picture, colony.GrayPercentUnder, &minimum, &maximum, &range));
        if (result != kNoError)
            return result;
        if (minimum.IsEmpty())
            return Errors::Type_Error(Halcon::kErrEmptyObject);
        low = minimum.D();
        result = code(Halcon::min_max_gray(innerRegion, m_picture, colony.GrayPercentOver, &minimum, &maximum, &range));
        if (result != kNoError)
            return result;
        if (maximum.IsEmpty())
            return Errors::Type_Error(Halcon::kErrEmptyObject);
        high = maximum.D();
    }
    m_grayLow = low;
    m_grayHigh = high;
    const double level = high - (high - low) * colony.GrayCenter;

    // Without an outline there is nothing to search, which is not the same as no colonies.
    if (m_containerOutline.IsEmpty())
        return Errors::Type_Error(Halcon::kErrEmptyObject);
    Halcon::Hobject containerRegion;
    result = code(Halcon::gen_region_contour_xld(m_containerOutline, &containerRegion, "filled"));
    if (result != kNoError)
        return result;
    Halcon::Hobject reduced;
    result = code(Halcon::reduce_domain(m_picture, containerRegion, &reduced));
    if (result != kNoError)
        return result;
    Halcon::Hobject edges;
    result = code(Halcon::threshold_sub_pix(reduced, &edges, level));
    if (result != kNoError)
        return result;

    Halcon::Hobject united;
    result = buildContours(edges, united, false);
    if (result == kNoError) {
        m_contours = united;
        m_thresholdLevel = level;
    }
    releaseLater(m_release, std::vector<Halcon::Hobject>{std::move(innerRegion), std::move(containerRegion),
                                                         std::move(reduced), std::move(edges)});
    showContours(m_contours, DrawSettings::Margins);
    return result;
}

Errors::Type_Error ColonyMarginAnalysis::runDynamicThreshold()
{
    const ColonySettingsData::ColonyData& colony = m_settings->Colony;
    sendProgress(QStringLiteral("Colony margins..."));

    if (m_containerOutline.IsEmpty())
        return Errors::Type_Error(Halcon::kErrEmptyObject);
    Halcon::Hobject containerRegion;
    Errors::Type_Error result = code(Halcon::gen_region_contour_xld(m_containerOutline, &containerRegion, "filled"));
    if (result != kNoError)
        return result;

    // The mean mask comes from millimetres; without a plate coordinate system it would be
    // meaningless (and a non-finite size cannot be turned into a mask at all).
    const double resolution = m_referencePoints ? m_referencePoints->meanResolution() : 0.0;
    if (!(resolution > 0.0) || !std::isfinite(resolution))
        return kReferencePointsNotEvaluated;
    double halfSize = std::trunc(resolution * colony.MaxColonyDiameter);
    if (!std::isfinite(halfSize))
        halfSize = 0.0;
    // Beyond the largest mask anyway; clamped only so that the integer stays defined and
    // the filter reports the bad size.
    halfSize = qBound(-1.0e6, halfSize, 1.0e6);
    const Halcon::Hlong maskSize = 2 * Halcon::Hlong(halfSize) + 1;

    // The filters run on the container and the band of half a mask around it only, cut out of
    // the picture: every mean inside the container sees the same pixels as on the whole
    // picture, at a fraction of the cost per container. The edges are moved back afterwards.
    Halcon::HTuple row1;
    Halcon::HTuple column1;
    Halcon::HTuple row2;
    Halcon::HTuple column2;
    result = code(Halcon::smallest_rectangle1(containerRegion, &row1, &column1, &row2, &column2));
    if (result != kNoError)
        return result;
    if (row1.IsEmpty() || row2.L() < row1.L())
        return Errors::Type_Error(Halcon::kErrEmptyObject);
    const Halcon::Hlong band = std::max<Halcon::Hlong>(0, Halcon::Hlong(halfSize));
    const Halcon::Hlong lastRow = std::max<Halcon::Hlong>(0, m_height - 1);
    const Halcon::Hlong lastColumn = std::max<Halcon::Hlong>(0, m_width - 1);
    const Halcon::Hlong cutRow = std::clamp<Halcon::Hlong>(row1.L() - band, 0, lastRow);
    const Halcon::Hlong cutColumn = std::clamp<Halcon::Hlong>(column1.L() - band, 0, lastColumn);
    const Halcon::Hlong cutRow2 = std::clamp<Halcon::Hlong>(row2.L() + band, cutRow, lastRow);
    const Halcon::Hlong cutColumn2 = std::clamp<Halcon::Hlong>(column2.L() + band, cutColumn, lastColumn);
    Halcon::Hobject cutRegion;
    result = code(Halcon::gen_rectangle1(&cutRegion, cutRow, cutColumn, cutRow2, cutColumn2));
    if (result != kNoError)
        return result;
    Halcon::Hobject cutDomain;
    result = code(Halcon::reduce_domain(m_picture, cutRegion, &cutDomain));
    if (result != kNoError)
        return result;
    Halcon::Hobject cut;
    result = code(Halcon::crop_domain(cutDomain, &cut));
    if (result != kNoError)
        return result;
    Halcon::HTuple identity;
    Halcon::HTuple toCut;
    Halcon::HTuple toPicture;
    result = code(Halcon::hom_mat2d_identity(&identity));
    if (result == kNoError)
        result = code(Halcon::hom_mat2d_translate(identity, double(-cutRow), double(-cutColumn), &toCut));
    if (result == kNoError)
        result = code(Halcon::hom_mat2d_translate(identity, double(cutRow), double(cutColumn), &toPicture));
    if (result != kNoError)
        return result;
    Halcon::Hobject outlineInCut;
    result = code(Halcon::affine_trans_contour_xld(m_containerOutline, &outlineInCut, toCut));
    if (result != kNoError)
        return result;
    Halcon::Hobject regionInCut;
    result = code(Halcon::gen_region_contour_xld(outlineInCut, &regionInCut, "filled"));
    if (result != kNoError)
        return result;
    Halcon::Hobject reduced;
    result = code(Halcon::reduce_domain(cut, regionInCut, &reduced));
    if (result != kNoError)
        return result;

    Halcon::Hobject mean;
    result = code(Halcon::mean_image(reduced, &mean, maskSize, maskSize));
    if (result != kNoError)
        return result;

    sendProgress(QStringLiteral("Colony margins: threshold..."));
    const double factor = colony.WhiteOnBlack ? -1.0 : 1.0;
    Halcon::Hobject difference;
    result = code(Halcon::sub_image(reduced, mean, &difference, factor, colony.Offset + 128.0));
    if (result != kNoError)
        return result;
    Halcon::Hobject edgesInCut;
    result = code(Halcon::threshold_sub_pix(difference, &edgesInCut, 129));
    if (result != kNoError)
        return result;
    Halcon::Hobject edges;
    result = code(Halcon::affine_trans_contour_xld(edgesInCut, &edges, toPicture));
    if (result != kNoError)
        return result;
    if (cancelled())
        return kAborted;

    Halcon::Hobject united;
    result = buildContours(edges, united, true);
    // The cut-out pictures and every contour before the union: tens of thousands of objects
    // on a dense dish.
    releaseLater(m_release,
                 std::vector<Halcon::Hobject>{std::move(cut), std::move(cutDomain), std::move(reduced), std::move(mean),
                                              std::move(difference), std::move(edgesInCut), std::move(edges)});
    if (result != kNoError)
        return result;

    m_contours = united;
    m_thresholdLevel = 0.0;
    Halcon::Hlong count = 0;
    result = code(Halcon::count_obj(m_contours, &count));
    if (result != kNoError)
        return result;
    sendProgress(QStringLiteral("Colony margins: show %1 contours...").arg(count));
    showContours(m_contours, DrawSettings::Margins);
    return kNoError;
}

Errors::Type_Error ColonyMarginAnalysis::buildContours(const Halcon::Hobject& edges, Halcon::Hobject& united,
                                                       bool dynamicMode)
{
    const double height = double(m_height);
    Halcon::Hlong count = 0;
    Errors::Type_Error result = kNoError;

    if (dynamicMode) {
        result = code(Halcon::count_obj(edges, &count));
        if (result != kNoError)
            return result;
        sendProgress(QStringLiteral("Colony margins: segment %1 contours...").arg(count));
    }
    Halcon::Hobject segments;
    result = code(Halcon::segment_contours_xld(edges, &segments, "lines_ellipses", 9, height * 0.39 / 100.0,
                                               height * 0.293 / 100.0));
    if (result != kNoError)
        return result;
    if (dynamicMode && cancelled())
        return kAborted;

    result = code(Halcon::count_obj(segments, &count));
    if (result != kNoError)
        return result;
    m_segmentCount = qint32(count);
    if (dynamicMode)
        sendProgress(QStringLiteral("Colony margins: regress %1 contours...").arg(count));
    Halcon::Hobject regressed;
    result = code(Halcon::regress_contours_xld(segments, &regressed, "drop", 10));
    if (result != kNoError)
        return result;
    if (dynamicMode && cancelled())
        return kAborted;

    if (dynamicMode) {
        result = code(Halcon::count_obj(regressed, &count));
        if (result != kNoError)
            return result;
        sendProgress(QStringLiteral("Colony margins: union %1 contours...").arg(count));
    }
    Halcon::Hobject joined;
    result = code(Halcon::union_straight_contours_xld(regressed, &joined, height * 0.195 / 100.0, 0.5, 100.0,
                                                      "noparallel", "maximum"));
    if (result != kNoError)
        return result;
    if (dynamicMode && cancelled())
        return kAborted;

    united = joined;
    releaseLater(m_release, std::vector<Halcon::Hobject>{std::move(segments), std::move(regressed)});
    return kNoError;
}

void ColonyMarginAnalysis::showContours(const Halcon::Hobject& contours, int style)
{
    if (m_view)
        m_view->addObject(contours, DrawSettings::instance().at(style), kMarginsName, false);
}

void ColonyMarginAnalysis::sendProgress(const QString& text)
{
    if (m_progress)
        m_progress->setProgressText(text);
}

bool ColonyMarginAnalysis::cancelled()
{
    return m_cancellation && m_cancellation->isCancelled();
}
