#include "ColonyPropertiesAnalysis.h"

#include "ColonyMarginAnalysis.h"
#include "ColonyNeighborSearch.h"
#include "DeferredRelease.h"
#include "EngineCallRecorder.h"
#include "DrawSettings.h"
#include "HalconFunctions.h"
#include "Halcon_Helper.h"
#include "IColoniesCollection.h"
#include "IHalconView.h"
#include "IPlateCoordinates.h"
#include "IProgress.h"
#include "ITaskCancellation.h"

#include <Halcon.h>

#include <QColor>
#include <QScopeGuard>
#include <QString>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <utility>

namespace {
constexpr double kPi = 3.14159265358979323846;
}

namespace {

constexpr Errors::Type_Error kNoError = 0;
constexpr Errors::Type_Error kGeneralApplicationError = 3;
constexpr Errors::Type_Error kAborted = 100;
constexpr Errors::Type_Error kIncorrectCriteria = 152;
constexpr Errors::Type_Error kReferencePointsNotEvaluated = 163;
constexpr double kNoNeighbor = std::numeric_limits<double>::max();
// Colonies per chunk of work handed to a thread: one evaluation, and one entry of the list.
constexpr int kEvaluationGrain = 8;
constexpr int kListGrain = 64;

inline Errors::Type_Error code(Halcon::Herror error)
{
    return error == Halcon::kSuccess ? kNoError : Errors::Type_Error(error);
}

// A colour measure of a colony given by its contour: measure(filled region), or the code of
// the fill.
template <typename Measure>
Errors::Type_Error measureFilled(const Halcon::Hobject& contour, Measure&& measure)
{
    Halcon::Hobject filled;
    const Errors::Type_Error result = code(Halcon::gen_region_contour_xld(contour, &filled, "filled"));
    if (result != kNoError)
        return result;
    return measure(filled);
}

// The colony's overlay name in the viewer.
QString colonyLabel(bool good, qint32 containerNumber, size_t index)
{
    return (good ? QStringLiteral("HalconObject_Colonies.Included.%1.%2.")
                 : QStringLiteral("HalconObject_Colonies.Rejected.%1.%2."))
        .arg(containerNumber)
        .arg(index);
}

inline bool usableResolution(double resolution)
{
    return resolution > 0.0 && std::isfinite(resolution);
}

// The thresholds of one channel of the RGB model.
struct ChannelThresholds {
    bool inverse;
    double minimum;
    double maximum;
    double minimumNorm;
    double maximumNorm;
};

// Whether the channel value passes; its score in [0, 1] when it does.
bool channelPasses(const ChannelThresholds& t, double value, double& score)
{
    if (t.inverse) {
        if (value > t.maximum)
            return false;
        score = 1.0 - NormalizeToRange(value, t.minimumNorm, t.maximum);
        return true;
    }
    if (value < t.minimum)
        return false;
    score = NormalizeToRange(value, t.minimum, t.maximumNorm);
    return true;
}

} // namespace

double NormalizeToRange(double value, double minimum, double maximum)
{
    const double limited = value < maximum ? value : maximum;
    const double clamped = minimum < limited ? limited : minimum;
    if (maximum - minimum > 0.0)
        return (clamped - minimum) / (maximum - minimum);
    return 0.0;
}

ColonyPropertiesAnalysis::ColonyPropertiesAnalysis() = default;

ColonyPropertiesAnalysis::~ColonyPropertiesAnalysis() = default;

void ColonyPropertiesAnalysis::init(IHalconView* view, IColoniesCollection* colonies,
                                    ITaskCancellation* cancellation, IPlateCoordinates* referencePoints,
                                    ColonyMarginAnalysis* margins, IProgress* progress)
{
    m_view = view;
    m_collection = colonies;
    m_cancellation = cancellation;
    m_referencePoints = referencePoints;
    m_margins = margins;
    m_progress = progress;
}

void ColonyPropertiesAnalysis::setSettings(const ColonySettingsData* settings)
{
    m_settings = settings;
    m_rgbModel = settings && settings->ColorModel == ColonySettingsData::ColorModelRgb;
    m_hsiModel = settings && settings->ColorModel == ColonySettingsData::ColorModelHsi;
    m_weightFactor = 0.0;
    if (!settings)
        return;
    const ColonySettingsData::ColonyData& colony = settings->Colony;
    double sum = colony.AreaWeight + colony.CircularityWeight + colony.NeighborDistanceWeight
        + colony.MarginDistanceWeight;
    if (m_rgbModel)
        sum += colony.ThresholdColorRedWeight + colony.ThresholdColorGreenWeight + colony.ThresholdColorBlueWeight;
    if (sum > 0.0 && std::isfinite(sum))
        m_weightFactor = 100.0 / sum;
}

void ColonyPropertiesAnalysis::setInputObjects(Halcon::Hobject preparedPicture, Halcon::Hobject picture)
{
    m_preparedPicture = preparedPicture;
    m_picture = picture;
    m_rgbRed = m_rgbGreen = m_rgbBlue = Halcon::Hobject();
    m_hsiRed = m_hsiGreen = m_hsiBlue = Halcon::Hobject();
    m_hsiHue = m_hsiSaturation = m_hsiIntensity = Halcon::Hobject();
    m_hueRegion = m_saturationRegion = m_intensityRegion = Halcon::Hobject();
    int width = 0;
    int height = 0;
    Halcon_Helper::GetImageSize(m_preparedPicture, width, height);
    m_width = width;
    m_height = height;
}

void ColonyPropertiesAnalysis::setThresholdRegions(Halcon::Hobject red, Halcon::Hobject green, Halcon::Hobject blue)
{
    m_rgbRed = red;
    m_rgbGreen = green;
    m_rgbBlue = blue;
}

void ColonyPropertiesAnalysis::setThresholdImages(Halcon::Hobject red, Halcon::Hobject green, Halcon::Hobject blue,
                                                  Halcon::Hobject hue, Halcon::Hobject saturation,
                                                  Halcon::Hobject intensity, Halcon::Hobject hueRegion,
                                                  Halcon::Hobject saturationRegion,
                                                  Halcon::Hobject intensityRegion)
{
    m_hsiRed = red;
    m_hsiGreen = green;
    m_hsiBlue = blue;
    m_hsiHue = hue;
    m_hsiSaturation = saturation;
    m_hsiIntensity = intensity;
    m_hueRegion = hueRegion;
    m_saturationRegion = saturationRegion;
    m_intensityRegion = intensityRegion;
}

Errors::Type_Error ColonyPropertiesAnalysis::run(bool forceGood, qint32 containerNumber, bool fastCalculation)
{
    if (!m_margins) {
        m_colonies.clear();
        return kGeneralApplicationError;
    }
    return analyse(m_margins->getContours(), m_margins->getContainerOutline(), m_margins->getThresholdLevel(),
                   forceGood, containerNumber, fastCalculation);
}

Errors::Type_Error ColonyPropertiesAnalysis::analyse(const Halcon::Hobject& contours,
                                                     const Halcon::Hobject& containerOutline, double thresholdLevel,
                                                     bool forceGood, qint32 containerNumber, bool fastCalculation)
{
    m_forceGood = forceGood;
    m_containerNumber = containerNumber;
    // Each colony holds contours and outlines of its own: freeing thousands of them one after
    // the other took longer than measuring them. They are handed over once this run is done:
    // freed while the new colonies are made, on the threads that made the old ones, they made
    // those threads wait for their own memory.
    std::vector<ImageColony> previousColonies = std::move(m_colonies);
    m_colonies.clear();
    Halcon::Hobject previousContours;
    const auto releasePrevious = qScopeGuard([&] {
        releaseLater(m_release, std::move(previousColonies));
        releaseLater(m_release, std::move(previousContours));
    });
    if (!m_settings)
        return kGeneralApplicationError;

    Halcon::Hlong count = 0;
    Errors::Type_Error result = reportCount(contours, QStringLiteral("Colony propertis: %1 margins..."), count);
    if (result != kNoError)
        return result;
    previousContours = std::move(m_contours);
    m_contours = contours;
    m_containerOutline = containerOutline;
    m_thresholdLevel = thresholdLevel;

    result = measure(fastCalculation);
    if (result != kNoError)
        return result;
    show();
    return kNoError;
}

Errors::Type_Error ColonyPropertiesAnalysis::measure(bool fastCalculation)
{
    // Checked before anything is divided by them.
    if (!(m_weightFactor > 0.0))
        return kIncorrectCriteria;
    if (!m_referencePoints || !usableResolution(m_referencePoints->horizontalResolution())
        || !usableResolution(m_referencePoints->verticalResolution()))
        return kReferencePointsNotEvaluated;
    m_resolution = m_referencePoints->meanResolution();
    if (!usableResolution(m_resolution))
        return kReferencePointsNotEvaluated;

    Halcon::Hlong count = 0;
    Errors::Type_Error result = reportCount(m_contours, QStringLiteral("Colony propertis: %1..."), count);
    if (result != kNoError)
        return result;

    Halcon::Hobject selected;
    result = code(Halcon::select_contours_xld(m_contours, &selected, "closed", 0, double(m_height) * 0.293 / 100.0,
                                              0, 0));
    if (result != kNoError)
        return result;
    Halcon::Hobject closed;
    result = code(Halcon::close_contours_xld(selected, &closed));
    if (result != kNoError)
        return result;
    result = reportCount(closed, QStringLiteral("Colony propertis: %1..."), count);
    if (result != kNoError)
        return result;

    if (count > 0) {
        // One call per measure for all contours instead of one per contour.
        Halcon::HTuple selfIntersecting;
        result = code(Halcon::test_self_intersection_xld(closed, "false", &selfIntersecting));
        if (result != kNoError)
            return result;
        Halcon::HTuple area;
        Halcon::HTuple row;
        Halcon::HTuple column;
        Halcon::HTuple pointOrder;
        result = code(Halcon::area_center_xld(closed, &area, &row, &column, &pointOrder));
        if (result != kNoError)
            return result;
        Halcon::HTuple inside;
        result = code(Halcon::test_xld_point(closed, row, column, &inside));
        if (result != kNoError)
            return result;
        if (selfIntersecting.Length() != count || area.Length() != count || inside.Length() != count)
            return Errors::Type_Error(Halcon::kErrObjectCountMismatch);

        // The fractions of a pixel are no colonies; every other contour gets its place in the
        // list first, in the order of the neighbour search (by column, contours of one column
        // in the order they came), and is filled in there on the pool. The measures are only
        // read there.
        const Halcon::HTuple& areas = area;
        const Halcon::HTuple& rows = row;
        const Halcon::HTuple& columns = column;
        const Halcon::HTuple& crossing = selfIntersecting;
        const Halcon::HTuple& centreInside = inside;
        std::vector<std::pair<double, Halcon::Hlong>> order;
        order.reserve(size_t(count));
        for (Halcon::Hlong i = 0; i < count; ++i) {
            if (areas[i].D() >= 0.1)
                order.emplace_back(columns[i].D(), i);
        }
        std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        m_colonies.resize(order.size());
        std::atomic<Halcon::Hlong> firstFailure{count};
        std::vector<Errors::Type_Error> failures(size_t(count), kNoError);
        Halcon::parallel_work("colony_properties", int(order.size()), kListGrain, [&](int first, int end) {
            for (qint32 place = first; place < end; ++place) {
                const Halcon::Hlong i = order[size_t(place)].second;
                ImageColony& colony = m_colonies[size_t(place)];
                colony.ContainerNumber = m_containerNumber;
                colony.ColonyIndex = place;
                const Errors::Type_Error selected = code(Halcon::select_obj(closed, &colony.Contour, i + 1));
                if (selected != kNoError) {
                    failures[size_t(i)] = selected;
                    Halcon::Hlong seen = firstFailure.load();
                    while (i < seen && !firstFailure.compare_exchange_weak(seen, i)) {
                    }
                    continue;
                }
                const double areaPixels = areas[i].D();
                colony.SelfIntersecting = crossing[i].L() != 0;
                colony.Area_px = areaPixels;
                colony.PosY_px = rows[i].D();
                colony.PosX_px = columns[i].D();
                colony.CenterInside = centreInside[i].L() != 0;
                colony.Radius_px = std::sqrt(areaPixels / kPi);
            }
        });
        if (firstFailure.load() < count) {
            m_colonies.clear();
            return failures[size_t(firstFailure.load())];
        }
    }

    releaseLater(m_release, std::vector<Halcon::Hobject>{std::move(selected), std::move(closed)});
    result = measureNeighbors();
    if (result != kNoError)
        return result;

    sendProgress(QStringLiteral("Colony properties..."));
    result = evaluateColonies(fastCalculation);
    if (result != kNoError)
        return result;

    assignPickingOrder(m_colonies);
    return kNoError;
}

Errors::Type_Error ColonyPropertiesAnalysis::evaluateColonies(bool fastCalculation)
{
    const size_t n = m_colonies.size();
    // What a colony draws while it is judged (the colour regions of the HSI model) is kept
    // and drawn in colony order afterwards, as one colony after the other would have.
    const bool keepDrawings = m_view && m_hsiModel;
    std::vector<std::unique_ptr<EngineCallRecorder>> drawings(keepDrawings ? n : 0);
    std::vector<Errors::Type_Error> results(n, kNoError);
    // The first colony whose evaluation failed or was cancelled: later ones do not count.
    std::atomic<size_t> firstFailure{n};
    Halcon::parallel_work("colony_properties", int(n), kEvaluationGrain, [&](int first, int end) {
        for (size_t i = size_t(first); i < size_t(end); ++i) {
            if (i > firstFailure.load())
                return;
            IHalconView* view = m_view;
            if (keepDrawings) {
                drawings[i] = std::make_unique<EngineCallRecorder>(nullptr);
                view = drawings[i].get();
            }
            const Errors::Type_Error result = cancelled() ? kAborted : evaluateOne(m_colonies[i], fastCalculation, view);
            if (result == kNoError) {
                m_colonies[i].Label = colonyLabel(m_colonies[i].IsGoodColony, m_containerNumber, i);
                continue;
            }
            results[i] = result;
            size_t seen = firstFailure.load();
            while (i < seen && !firstFailure.compare_exchange_weak(seen, i)) {
            }
            return;
        }
    });
    const size_t failed = firstFailure.load();
    for (size_t i = 0; i < drawings.size() && i <= failed; ++i) {
        if (drawings[i])
            drawings[i]->replay(m_view, nullptr, nullptr);
    }
    return failed < n ? results[failed] : kNoError;
}

Errors::Type_Error ColonyPropertiesAnalysis::evaluateOne(ImageColony& colony, bool fastCalculation, IHalconView* view)
{
    Halcon::Hobject filled;
    Errors::Type_Error result = code(Halcon::gen_region_contour_xld(colony.Contour, &filled, "filled"));
    if (result != kNoError)
        return result;
    Halcon::Hobject dilated;
    result = code(Halcon::dilation_circle(filled, &dilated, 4.5));
    if (result != kNoError)
        return result;
    result = code(Halcon::gen_contour_region_xld(dilated, &colony.OutlineContour, "center"));
    if (result != kNoError)
        return result;
    return evaluateColony(colony, filled, fastCalculation, view);
}

Errors::Type_Error ColonyPropertiesAnalysis::measureNeighbors()
{
    sendProgress(QStringLiteral("Colony propertis: %1 neighbors...").arg(m_colonies.size()));
    if (m_colonies.size() < 2)
        return kNoError;

    int maxRadius = 0;
    for (const ImageColony& colony : m_colonies) {
        if (colony.Radius_px > double(maxRadius))
            maxRadius = int(std::min(colony.Radius_px, 1.0e6));
    }
    const double window = m_resolution * (2.0 * m_settings->Colony.NeighborDistanceMaxNorm) + 2.0 * maxRadius;
    if (cancelled())
        return kAborted;
    return ColonyNeighborSearch::measure(m_colonies, window, m_cancellation);
}

Errors::Type_Error ColonyPropertiesAnalysis::evaluateColony(ImageColony& colony, const Halcon::Hobject& filled,
                                                            bool fastCalculation, IHalconView* view)
{
    const ColonySettingsData::ColonyData& settings = m_settings->Colony;
    bool propertiesPassed = true;
    bool colorPassed = true;
    // With fastCalculation the costly measures stop once the colony has failed.
    const auto optional = [&]() { return propertiesPassed || !fastCalculation; };

    Halcon::Hobject border;
    Errors::Type_Error result = code(Halcon::gen_region_contour_xld(colony.Contour, &border, "margin"));
    if (result != kNoError)
        return result;
    Halcon::Hobject inner;
    result = code(Halcon::difference(filled, border, &inner));
    if (result != kNoError)
        return result;
    Halcon::HTuple area;
    Halcon::HTuple row;
    Halcon::HTuple column;
    result = code(Halcon::area_center(inner, &area, &row, &column));
    if (result != kNoError)
        return result;
    if (area.IsEmpty() || area.L() == 0)
        inner = filled;

    Halcon::HTuple minimum;
    Halcon::HTuple maximum;
    Halcon::HTuple range;
    result = code(Halcon::min_max_gray(inner, m_preparedPicture, 50.0, &minimum, &maximum, &range));
    if (result != kNoError)
        return result;
    const double median = minimum.D();

    if (settings.AnalysisMode == 0) {
        if (settings.WhiteOnBlack ? median < m_thresholdLevel : median > m_thresholdLevel)
            propertiesPassed = false;
    }

    if (optional()) {
        Halcon::HTuple circularity;
        result = code(Halcon::circularity_xld(colony.Contour, &circularity));
        if (result != kNoError)
            return result;
        colony.Circularity = circularity.D();
        if (colony.Circularity < settings.CircularityMin)
            propertiesPassed = false;
    }

    colony.Area_mm2 = colony.Area_px / (m_resolution * m_resolution);
    if (!(settings.AreaMin <= colony.Area_mm2 && colony.Area_mm2 <= settings.AreaMax))
        propertiesPassed = false;

    if (cancelled())
        return kAborted;

    if (optional()) {
        colony.ClearanceNeighbor_mm = colony.NeighborDistance_px == kNoNeighbor
            ? settings.NeighborDistanceMaxNorm
            : colony.NeighborDistance_px / m_resolution;
        if (colony.ClearanceNeighbor_mm < settings.NeighborDistanceMin)
            propertiesPassed = false;
    }

    if (optional()) {
        double distance = 0.0;
        marginDistance(colony.Contour, distance);
        colony.ClearanceMargin_mm = distance / m_resolution;
        if (colony.ClearanceMargin_mm < settings.MarginDistanceMin)
            propertiesPassed = false;
    }

    double redScore = 0.0;
    double greenScore = 0.0;
    double blueScore = 0.0;
    if (optional() && (m_rgbModel || m_hsiModel)) {
        if (m_rgbModel) {
            result = evaluateRgbColorRegion(filled, colorPassed, colony.ColorRed, colony.ColorGreen, colony.ColorBlue,
                                            redScore, greenScore, blueScore);
            if (result != kNoError)
                return result;
            const QColor color(qBound(0, int(colony.ColorRed), 255), qBound(0, int(colony.ColorGreen), 255),
                               qBound(0, int(colony.ColorBlue), 255), 255);
            int hue = 0;
            int saturation = 0;
            int value = 0;
            color.getHsv(&hue, &saturation, &value);
            colony.ColorHue = hue;
            colony.ColorSaturation = saturation;
            colony.ColorIntensity = value;
        } else {
            result = thresholdColonyRegion(filled, view, colorPassed, colony.ColorHue, colony.ColorSaturation,
                                           colony.ColorIntensity, colony.ColorRed, colony.ColorGreen,
                                           colony.ColorBlue, colony.ColorArea_pct, colony.ErrorCode);
            if (result != kNoError)
                return result;
        }
    }

    if (!(fastCalculation && colony.PosX_px == 0.0 && colony.PosY_px == 0.0)) {
        m_referencePoints->transformHeightScale(colony.PosY_px, colony.PosX_px, &colony.PosYCorrected_px,
                                                &colony.PosXCorrected_px);
        m_referencePoints->transformPlateCoordinates(colony.PosYCorrected_px, colony.PosXCorrected_px,
                                                     &colony.PosY_mm, &colony.PosX_mm);
    }

    colony.ColorPassed = colorPassed;
    colony.PropertiesPassed = propertiesPassed;
    colony.IsExcluded = false;
    if (!(colorPassed && propertiesPassed) && !m_forceGood) {
        colony.IsGoodColony = false;
        return kNoError;
    }
    colony.IsGoodColony = true;
    applyWeights(colony, settings, m_weightFactor, m_rgbModel, redScore, greenScore, blueScore);
    return kNoError;
}

Errors::Type_Error ColonyPropertiesAnalysis::marginDistance(const Halcon::Hobject& contour, double& distance)
{
    // A distance that cannot be measured counts as touching the margin: the colony is then
    // rejected rather than given a made-up clearance.
    distance = 0.0;
    Halcon::HTuple result;
    static const Halcon::HTuple kMode("point_to_segment"); // made once, not per colony
    const Halcon::Herror error = Halcon::distance_cc_min(m_containerOutline, contour, kMode, &result);
    if (error != Halcon::kSuccess)
        return code(error);
    if (!result.IsEmpty() && result.D() >= 0.0)
        distance = result.D();
    return kNoError;
}

void ColonyPropertiesAnalysis::applyWeights(ImageColony& colony, const ColonySettingsData::ColonyData& settings,
                                            double weightFactor, bool rgbModel, double redScore, double greenScore,
                                            double blueScore)
{
    const double f = weightFactor;
    colony.LoadingArea_pct = NormalizeToRange(colony.Area_mm2, settings.AreaMin, settings.AreaMax)
        * settings.AreaWeight * f;
    colony.LoadingCircularity_pct = NormalizeToRange(colony.Circularity, settings.CircularityMin,
                                                     settings.CircularityMaxNorm)
        * settings.CircularityWeight * f;
    colony.LoadingClearanceNeighbor_pct = NormalizeToRange(colony.ClearanceNeighbor_mm, settings.NeighborDistanceMin,
                                                           settings.NeighborDistanceMaxNorm)
        * settings.NeighborDistanceWeight * f;
    colony.LoadingClearanceMargin_pct = NormalizeToRange(colony.ClearanceMargin_mm, settings.MarginDistanceMin,
                                                         settings.MarginDistanceMaxNorm)
        * settings.MarginDistanceWeight * f;
    colony.LoadingTotal_pct = ((colony.LoadingCircularity_pct + colony.LoadingArea_pct)
                               + colony.LoadingClearanceNeighbor_pct)
        + colony.LoadingClearanceMargin_pct;
    if (rgbModel) {
        colony.LoadingColorRed_pct = settings.ThresholdColorRedWeight * redScore * f;
        colony.LoadingColorGreen_pct = settings.ThresholdColorGreenWeight * greenScore * f;
        colony.LoadingColorBlue_pct = settings.ThresholdColorBlueWeight * blueScore * f;
        colony.LoadingTotal_pct += (colony.LoadingColorRed_pct + colony.LoadingColorGreen_pct)
            + colony.LoadingColorBlue_pct;
    }
}

void ColonyPropertiesAnalysis::assignPickingOrder(std::vector<ImageColony>& colonies)
{
    m_pickOrder.resize(colonies.size());
    for (size_t i = 0; i < colonies.size(); ++i)
        m_pickOrder[i] = int(i);
    // Stable: equal scores keep the list order, so every run picks in the same order.
    std::stable_sort(m_pickOrder.begin(), m_pickOrder.end(), [&colonies](int a, int b) {
        return colonies[size_t(a)].LoadingTotal_pct > colonies[size_t(b)].LoadingTotal_pct;
    });
    qint32 counter = 1;
    for (int index : m_pickOrder) {
        ImageColony& colony = colonies[size_t(index)];
        colony.PickingOrder = colony.IsGoodColony ? counter++ : 0;
    }
}

void ColonyPropertiesAnalysis::show()
{
    sendProgress(QStringLiteral("Colony properties: show..."));
    const DrawSettings& styles = DrawSettings::instance();
    const double r = m_resolution;
    if (m_view) {
        m_view->addObject(HalconGenCross(m_height / 2, m_width / 2, 3.0 * r, 0.0),
                          styles.at(DrawSettings::OpticalCenter), QStringLiteral("HalconObject_OpticalCenter"), false);
    }
    for (size_t i = 0; i < m_colonies.size(); ++i) {
        const ImageColony& colony = m_colonies[i];
        if (colony.IsGoodColony) {
            if (!m_view)
                continue;
            m_view->addObject(HalconGenCross(colony.PosY_px, colony.PosX_px, r, 0.0),
                              styles.at(DrawSettings::Center_Agar), colony.Label + QStringLiteral("Center.Agar"), true);
            m_view->addObject(HalconGenCross(colony.PosYCorrected_px, colony.PosXCorrected_px, r, 0.0),
                              styles.at(DrawSettings::Center_LightTable),
                              colony.Label + QStringLiteral("Center.LightTable"), true);
            m_view->addObject(colony.Contour, styles.at(DrawSettings::Colonies_Properties2), colony.Label, true);
        } else {
            if (!m_view)
                continue;
            if (colony.PropertiesPassed && !colony.ColorPassed)
                m_view->addObject(HalconGenCross(colony.PosY_px, colony.PosX_px, 3.0 * r, 0.0),
                                  styles.at(DrawSettings::Colonies_Rejected_Center),
                                  colony.Label + QStringLiteral("Center"), true);
            m_view->addObject(colony.Contour, styles.at(DrawSettings::Colonies_Rejected), colony.Label, true);
        }
    }
    if (m_collection) {
        for (const ImageColony& colony : m_colonies)
            m_collection->add(colony);
    }
    if (m_forceGood)
        showTestCrosses();
    if (m_view)
        m_view->update();
}

void ColonyPropertiesAnalysis::showTestCrosses()
{
    if (!m_view || !m_referencePoints)
        return;
    const double horizontal = m_referencePoints->horizontalResolution();
    const double vertical = m_referencePoints->verticalResolution();
    if (horizontal == 0.0 || vertical == 0.0)
        return;
    double row[4];
    double column[4];
    for (int k = 0; k < 4; ++k)
        m_referencePoints->referencePointPosition(k, row[k], column[k]);
    Halcon::HTuple centerRow;
    Halcon::HTuple centerColumn;
    Halcon::HTuple overlapping;
    if (Halcon::intersection_ll(row[0], column[0], row[3], column[3], row[1], column[1], row[2], column[2],
                                &centerRow, &centerColumn, &overlapping)
        != Halcon::kSuccess)
        return;
    const double row0 = centerRow.D();
    const double column0 = centerColumn.D();
    Halcon::HTuple identity;
    Halcon::HTuple rotation;
    if (Halcon::hom_mat2d_identity(&identity) != Halcon::kSuccess
        || Halcon::hom_mat2d_rotate(identity, -m_referencePoints->axisRotation(), column0, row0, &rotation)
            != Halcon::kSuccess)
        return;
    static constexpr double kOffsets[5][2] = {{-50.0, -30.0}, {50.0, -30.0}, {-50.0, 30.0}, {50.0, 30.0}, {0.0, 0.0}};
    const int size = (2 * m_height) / 100;
    for (const auto& offset : kOffsets) {
        Halcon::HTuple qColumn;
        Halcon::HTuple qRow;
        if (Halcon::affine_trans_point_2d(rotation, column0 + offset[0] * horizontal, row0 + offset[1] * vertical,
                                          &qColumn, &qRow)
            != Halcon::kSuccess)
            continue;
        Halcon::Hobject cross;
        if (Halcon::gen_cross_contour_xld(&cross, qRow.D(), qColumn.D(), size, 0.0) != Halcon::kSuccess)
            continue;
        m_view->addObject(cross, "green", "margin", 1, QStringLiteral("HalconObject_Colonies.Included."), false);
    }
}

void ColonyPropertiesAnalysis::sendProgress(const QString& text)
{
    if (m_progress)
        m_progress->setProgressText(text);
}

Errors::Type_Error ColonyPropertiesAnalysis::reportCount(const Halcon::Hobject& objects, const QString& text,
                                                         Halcon::Hlong& count)
{
    const Errors::Type_Error result = code(Halcon::count_obj(objects, &count));
    if (result == kNoError)
        sendProgress(text.arg(count));
    return result;
}

bool ColonyPropertiesAnalysis::cancelled()
{
    return m_cancellation && m_cancellation->isCancelled();
}

// ---- Colour models --------------------------------------------------------------------------

Errors::Type_Error ColonyPropertiesAnalysis::evaluateRgbColor(const Halcon::Hobject& contour, bool& passed,
                                                              double& red, double& green, double& blue,
                                                              double& redScore, double& greenScore, double& blueScore)
{
    passed = false;
    red = green = blue = 0.0;
    redScore = greenScore = blueScore = 0.0;
    return measureFilled(contour, [&](const Halcon::Hobject& filled) {
        return evaluateRgbColorRegion(filled, passed, red, green, blue, redScore, greenScore, blueScore);
    });
}

Errors::Type_Error ColonyPropertiesAnalysis::evaluateRgbColorRegion(const Halcon::Hobject& filled, bool& passed,
                                                                    double& red, double& green, double& blue,
                                                                    double& redScore, double& greenScore,
                                                                    double& blueScore)
{
    passed = false;
    red = green = blue = 0.0;
    redScore = greenScore = blueScore = 0.0;
    if (!m_settings)
        return kGeneralApplicationError;
    const ColonySettingsData::ColonyData& s = m_settings->Colony;
    const Halcon::Hobject* pictures[3] = {&m_rgbRed, &m_rgbGreen, &m_rgbBlue};
    double* values[3] = {&red, &green, &blue};
    double* scores[3] = {&redScore, &greenScore, &blueScore};
    const ChannelThresholds thresholds[3] = {
        {s.ThresholdColorRedInverse, s.ThresholdColorRedMin, s.ThresholdColorRedMax, s.ThresholdColorRedMinNorm,
         s.ThresholdColorRedMaxNorm},
        {s.ThresholdColorGreenInverse, s.ThresholdColorGreenMin, s.ThresholdColorGreenMax,
         s.ThresholdColorGreenMinNorm, s.ThresholdColorGreenMaxNorm},
        {s.ThresholdColorBlueInverse, s.ThresholdColorBlueMin, s.ThresholdColorBlueMax, s.ThresholdColorBlueMinNorm,
         s.ThresholdColorBlueMaxNorm}};

    // A channel that cannot be read is an error, not a colony judged on a made-up value.
    Halcon::HTuple minimum;
    Halcon::HTuple maximum;
    Halcon::HTuple range;
    for (int k = 0; k < 3; ++k) {
        const Errors::Type_Error result = code(Halcon::min_max_gray(filled, *pictures[k], 0.0, &minimum, &maximum,
                                                                    &range));
        if (result != kNoError)
            return result;
        *values[k] = minimum.D();
    }
    bool allPassed = true;
    for (int k = 0; k < 3; ++k) {
        double score = 0.0;
        if (channelPasses(thresholds[k], *values[k], score))
            *scores[k] = score;
        else
            allPassed = false;
    }
    if (!allPassed)
        redScore = greenScore = blueScore = 0.0;
    passed = allPassed;
    return kNoError;
}

Errors::Type_Error ColonyPropertiesAnalysis::thresholdColony(const Halcon::Hobject& contour, bool& passed,
                                                             double& hue, double& saturation, double& intensity,
                                                             double& red, double& green, double& blue,
                                                             double& areaPercent, Errors::Type_Error& errorCode)
{
    passed = false;
    hue = saturation = intensity = red = green = blue = areaPercent = 0.0;
    errorCode = kNoError;
    return measureFilled(contour, [&](const Halcon::Hobject& filled) {
        return thresholdColonyRegion(filled, passed, hue, saturation, intensity, red, green, blue, areaPercent,
                                     errorCode);
    });
}

Errors::Type_Error ColonyPropertiesAnalysis::thresholdColonyRegion(const Halcon::Hobject& filled, bool& passed,
                                                                   double& hue, double& saturation, double& intensity,
                                                                   double& red, double& green, double& blue,
                                                                   double& areaPercent, Errors::Type_Error& errorCode)
{
    return thresholdColonyRegion(filled, m_view, passed, hue, saturation, intensity, red, green, blue, areaPercent,
                                 errorCode);
}

Errors::Type_Error ColonyPropertiesAnalysis::thresholdColonyRegion(const Halcon::Hobject& filled, IHalconView* view,
                                                                   bool& passed, double& hue, double& saturation,
                                                                   double& intensity, double& red, double& green,
                                                                   double& blue, double& areaPercent,
                                                                   Errors::Type_Error& errorCode)
{
    passed = false;
    hue = saturation = intensity = red = green = blue = areaPercent = 0.0;
    errorCode = kNoError;
    if (!m_settings)
        return kGeneralApplicationError;
    const ColonySettingsData::ColonyColorData& s = m_settings->ColonyColor;
    const DrawSettings& styles = DrawSettings::instance();

    Halcon::Hobject hueRegion;
    Halcon::Hobject saturationRegion;
    Halcon::Hobject intensityRegion;
    Errors::Type_Error result = code(Halcon::intersection(filled, m_hueRegion, &hueRegion));
    if (result == kNoError)
        result = code(Halcon::intersection(filled, m_saturationRegion, &saturationRegion));
    if (result == kNoError)
        result = code(Halcon::intersection(filled, m_intensityRegion, &intensityRegion));
    if (result != kNoError)
        return result;

    if (view) {
        view->addObject(hueRegion, styles.at(DrawSettings::Colonies_Threshold_Hue),
                          QStringLiteral("HalconObject_Colonies_Threshold_Hue.%1.").arg(m_containerNumber), false);
        view->addObject(saturationRegion, styles.at(DrawSettings::Colonies_Threshold_Saturation),
                          QStringLiteral("HalconObject_Colonies_Threshold_Saturation.%1.").arg(m_containerNumber),
                          false);
        view->addObject(intensityRegion, styles.at(DrawSettings::Colonies_Threshold_Intensity),
                          QStringLiteral("HalconObject_Colonies_Threshold_Intensity.%1.").arg(m_containerNumber),
                          false);
    }

    Halcon::Hobject combined;
    if (s.HueUsed || s.SaturationUsed || s.IntensityUsed) {
        combined = filled;
        const Halcon::Hobject* used[3] = {s.HueUsed ? &hueRegion : nullptr,
                                          s.SaturationUsed ? &saturationRegion : nullptr,
                                          s.IntensityUsed ? &intensityRegion : nullptr};
        for (const Halcon::Hobject* region : used) {
            if (!region)
                continue;
            result = code(Halcon::intersection(combined, *region, &combined));
            if (result != kNoError)
                return result;
        }
    }
    if (view)
        view->addObject(combined, styles.at(DrawSettings::Colonies_Threshold_Combined),
                          QStringLiteral("HalconObject_Colonies_Threshold_Combined.%1.").arg(m_containerNumber),
                          false);

    bool hueWraps = false;
    result = measureHsiColorRegion(filled, hue, saturation, intensity, red, green, blue, hueWraps);
    if (result != kNoError) {
        errorCode = result;
        return result;
    }

    Halcon::HTuple area;
    Halcon::HTuple row;
    Halcon::HTuple column;
    result = code(Halcon::area_center(filled, &area, &row, &column));
    if (result != kNoError)
        return result;
    const Halcon::Hlong filledArea = area.IsEmpty() ? 0 : area.L();
    Halcon::Hlong combinedArea = 0;
    if (!combined.IsEmpty()) {
        result = code(Halcon::area_center(combined, &area, &row, &column));
        if (result != kNoError)
            return result;
        combinedArea = area.IsEmpty() ? 0 : area.L();
    }
    // A colony without pixels has no colour share; it is never in range.
    const bool hasArea = filledArea > 0;
    areaPercent = hasArea ? (double(combinedArea) * 100.0) / double(filledArea) : 0.0;
    const bool inRange = hasArea && areaPercent >= s.CombinedAreaPercent;
    passed = s.RangeGoods ? inRange : !inRange;

    if (view)
        view->update();
    return kNoError;
}

Errors::Type_Error ColonyPropertiesAnalysis::measureHsiColor(const Halcon::Hobject& contour, double& hue,
                                                             double& saturation, double& intensity, double& red,
                                                             double& green, double& blue, bool& hueWraps)
{
    hue = saturation = intensity = red = green = blue = 0.0;
    hueWraps = false;
    return measureFilled(contour, [&](const Halcon::Hobject& filled) {
        return measureHsiColorRegion(filled, hue, saturation, intensity, red, green, blue, hueWraps);
    });
}

Errors::Type_Error ColonyPropertiesAnalysis::measureHsiColorRegion(const Halcon::Hobject& filled, double& hue,
                                                                   double& saturation, double& intensity,
                                                                   double& red, double& green, double& blue,
                                                                   bool& hueWraps)
{
    hue = saturation = intensity = red = green = blue = 0.0;
    hueWraps = false;
    if (!m_settings)
        return kGeneralApplicationError;

    Halcon::HTuple minimum;
    Halcon::HTuple maximum;
    Halcon::HTuple range;
    Errors::Type_Error result = code(Halcon::min_max_gray(filled, m_hsiHue, 5.0, &minimum, &maximum, &range));
    if (result != kNoError)
        return result;
    hueWraps = minimum.D() < 25.0 && maximum.D() > 230.0;

    const int algorithm = m_settings->ColonyColor.MeasureAlgorithm;
    if (algorithm < 1 || algorithm > 4)
        return kGeneralApplicationError;

    const Halcon::Hobject* pictures[6] = {&m_hsiHue, &m_hsiSaturation, &m_hsiIntensity,
                                          &m_hsiRed, &m_hsiGreen, &m_hsiBlue};
    double* values[6] = {&hue, &saturation, &intensity, &red, &green, &blue};
    Halcon::HTuple mean;
    Halcon::HTuple deviation;
    for (int k = 0; k < 6; ++k) {
        const Halcon::Hobject& picture = *pictures[k];
        double value = 0.0;
        switch (algorithm) {
        case 1:
            if (k == 0 && hueWraps) {
                // The mean of a hue around the wrap point lies on the wrong side of the circle.
                result = code(Halcon::min_max_gray(filled, picture, 50.0, &minimum, &maximum, &range));
                value = (minimum.D() + maximum.D()) / 2.0;
            } else {
                result = code(Halcon::intensity(filled, picture, &mean, &deviation));
                value = mean.D();
            }
            break;
        case 2:
            result = code(Halcon::min_max_gray(filled, picture, 45.0, &minimum, &maximum, &range));
            value = (minimum.D() + maximum.D()) / 2.0;
            break;
        case 3:
            result = code(Halcon::min_max_gray(filled, picture, 1.0, &minimum, &maximum, &range));
            value = maximum.D();
            break;
        default:
            result = code(Halcon::min_max_gray(filled, picture, 1.0, &minimum, &maximum, &range));
            value = minimum.D();
            break;
        }
        if (result != kNoError)
            return result;
        *values[k] = value;
    }
    return kNoError;
}
