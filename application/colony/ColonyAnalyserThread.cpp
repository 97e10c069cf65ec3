#include "ColonyAnalyserThread.h"

#include "Automation_Call.h"
#include "CalculateColorThresholdLimits.h"
#include "ColonySettings.h"
#include "CorrectionInfo.h"
#include "HalconFunctions.h"
#include "Halcon_Helper.h"
#include "IColonyAnalyserHost.h"
#include "LabwareGrid.h"
#include "PictureUnitConverter.h"

#include <Halcon.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QMutexLocker>

#include <cmath>

namespace {

constexpr double kDegreesPerRadian = 57.295779513082;

// Application error codes of the worker.
constexpr Errors::Type_Error kGeneralError = 3;
constexpr Errors::Type_Error kNoPicture = 102;
constexpr Errors::Type_Error kParameter = 104;
constexpr Errors::Type_Error kUnusableColorImage = 103;
constexpr Errors::Type_Error kIncorrectSettings = 152;
constexpr Errors::Type_Error kExpectColorPicture = 131;

const QString kPictureNormal = QStringLiteral("HalconPicture_Colonies_Normal.Background.");
const QString kPicturePreprocessed = QStringLiteral("HalconPicture_Colonies_Preprocessed.Background.");
const QString kPictureColorPreprocessed = QStringLiteral("HalconPicture_Colonies_Color_Preprocessed.Background.");
const QString kPictureRed = QStringLiteral("HalconPicture_Colonies_Color_Red.Background.");
const QString kPictureGreen = QStringLiteral("HalconPicture_Colonies_Color_Green.Background.");
const QString kPictureBlue = QStringLiteral("HalconPicture_Colonies_Color_Blue.Background.");
const QString kPictureHue = QStringLiteral("HalconPicture_Colonies_Color_Hue.Background.");
const QString kPictureSaturation = QStringLiteral("HalconPicture_Colonies_Color_Saturation.Background.");
const QString kPictureIntensity = QStringLiteral("HalconPicture_Colonies_Color_Intensity.Background.");
const QString kSearchAreaName = QStringLiteral("HalconObject_Colonies_SearchArea.Area.");
const QString kContainerAreaName = QStringLiteral("HalconObject_Colonies_SearchArea.Area.%1.");
const QString kContainerTextPrefix = QStringLiteral("HalconObject_Colonies_SearchArea.Text");

double elapsedMs(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1.0e6;
}

} // namespace

ColonyAnalyserThread::ColonyAnalyserThread(IColonyAnalyserHost* host, const AppSettingsData* appSettings,
                                           const ColonySettingsData* settings, QObject* parent)
    : StepWorker_Thread(StateFinish, parent)
    , m_host(host)
{
    if (appSettings)
        m_appSettings = *appSettings;
    if (settings)
        m_settings = *settings;

    IHalconView* view = m_host->halconView();
    m_referencePointSearch.init(view, m_host->imageRefPointsTable());
    m_marginAnalysis.init(view, this, &m_plateCoordinates, this, this);
    m_marginAnalysis.setDeferredRelease(&m_release);
    m_propertiesAnalysis.init(view, m_host->imageColoniesTable(), this, &m_plateCoordinates, &m_marginAnalysis,
                              this);
    m_propertiesAnalysis.setDeferredRelease(&m_release);
    m_propertiesAnalysis.setSettings(&m_settings);

    start(QThread::NormalPriority);
}

ColonyAnalyserThread::~ColonyAnalyserThread()
{
    endThread();
}

// ---- Operations of the page (GUI thread) -----------------------------------------------------

Errors::Type_Error ColonyAnalyserThread::validateSettings(const ColonySettingsData& settings) const
{
    QString message;
    if (!ColonySettings::validate(settings, message))
        return kIncorrectSettings;
    return 0;
}

Errors::Type_Error ColonyAnalyserThread::Analyse(const AppSettingsData& appSettings,
                                                 const ColonySettingsData& settings, const Halcon::Hobject& picture)
{
    if (!isIdle())
        return ErrorInProgress;
    if (const Errors::Type_Error code = validateSettings(settings); code != 0)
        return code;

    int width = 0;
    int height = 0;
    if (const Errors::Type_Error code = Halcon_Helper::GetImageSize(picture, width, height); code != 0)
        return code;

    // Inputs first, then the state, then the wake-up: the worker reads them only after that.
    m_picture = picture;
    m_width.store(width);
    m_height.store(height);
    m_appSettings = appSettings;
    m_settings = settings;
    m_propertiesAnalysis.setSettings(&m_settings);
    startRun(StateStart);
    return 0;
}

Errors::Type_Error ColonyAnalyserThread::Reanalyse(const AppSettingsData& appSettings,
                                                   const ColonySettingsData& settings)
{
    if (m_width.load() == 0 || m_height.load() == 0)
        return kNoPicture;
    if (const Errors::Type_Error code = validateSettings(settings); code != 0)
        return code;
    if (const Errors::Type_Error code = Stop(); code != 0)
        return code;

    m_appSettings = appSettings;
    m_settings = settings;
    m_propertiesAnalysis.setSettings(&m_settings);
    startRun(StateRestart);
    return 0;
}

Errors::Type_Error ColonyAnalyserThread::CheckRunning(bool& running)
{
    running = false;
    if (m_width.load() == 0 || m_height.load() == 0)
        return kNoPicture;
    running = !isIdle();
    return runError();
}

Errors::Type_Error ColonyAnalyserThread::Reset(Automation_Call* call)
{
    return Errors::Type_Error(Automation_Call::then(call, Stop(call), [this](int code) {
        if (code != 0)
            return code;
        m_width.store(0);
        m_height.store(0);
        m_picture = Halcon::Hobject();
        setRunError(0);
        m_host->viewClear(true);
        m_host->emitRackReset(Halcon::Hobject());
        setStateText(QString());
        return 0;
    }));
}

Errors::Type_Error ColonyAnalyserThread::SetAgarHeight(double heightMillimetres)
{
    // The run reads this record and the transform it rebuilds.
    if (!isIdle())
        return ErrorInProgress;
    // The height is stored with the rack, and an agar plane at the camera (or as far beyond the
    // reference plane) leaves no picture scale. Without a camera distance nothing is scaled.
    const double cameraDistance = std::fabs(m_settings.ReferencePoints.DistanceCameraToRefPointPlane);
    if (!std::isfinite(heightMillimetres) || (cameraDistance > 0.0 && std::fabs(heightMillimetres) >= cameraDistance))
        return kParameter;
    m_settings.ReferencePoints.DistanceRefPointPlaneToAgarPlane = heightMillimetres;
    return m_referencePointSearch.computeScaleTransform();
}

double ColonyAnalyserThread::crossSize() const
{
    const ImageRefPointsMetrics metrics = m_referencePointSearch.metrics();
    return (metrics.HorizontalResolution + metrics.VerticalResolution) * 0.5;
}

ColonyAnalyserThread::StepTimes ColonyAnalyserThread::stepTimes() const
{
    QMutexLocker lock(&m_timesMutex);
    return m_times;
}

int ColonyAnalyserThread::thresholdHue(const Halcon::Hobject& hue, int minimum, int maximum, Halcon::Hobject& region)
{
    region = Halcon::Hobject();
    if (minimum <= maximum)
        return Halcon::threshold(hue, &region, minimum, maximum);
    // The range wraps around: everything but the values between the two limits.
    Halcon::Hobject between;
    if (const Halcon::Herror e = Halcon::threshold(hue, &between, maximum, minimum); e != Halcon::kSuccess)
        return e;
    return Halcon::complement(between, &region);
}

bool ColonyAnalyserThread::filterMaskSize(int mode, int& maskSize)
{
    static constexpr int sizes[] = {3, 5, 7, 11, 15, 20};
    maskSize = 0;
    if (mode < 1 || mode > 6)
        return false;
    maskSize = sizes[mode - 1];
    return true;
}

Errors::Type_Error ColonyAnalyserThread::cutSearchArea(Halcon::Hobject& picture, const ColonySettingsData& settings)
{
    const ColonySettingsData::LabwareData& labware = settings.Labware;
    PictureUnitConverter converter(picture);
    const Halcon::Hobject rectangle = GenerateRotatedRectangleContour(
        &converter, labware.PositionX, labware.PositionY, labware.SizeX, labware.SizeY, labware.Angle);
    Halcon::Hobject region;
    Halcon::Hobject reduced;
    Halcon::Hobject cropped;
    Halcon::Herror result = Halcon::gen_region_contour_xld(rectangle, &region, "filled");
    if (result == Halcon::kSuccess)
        result = Halcon::reduce_domain(picture, region, &reduced);
    if (result == Halcon::kSuccess)
        result = Halcon::crop_domain(reduced, &cropped);
    if (result != Halcon::kSuccess) {
        HalconRecordError(result);
        return Errors::Type_Error(result);
    }
    picture = cropped;
    return 0;
}

// Median, then mean, as the settings ask; a failing filter is the run's error, not a silent
// pass with the unfiltered picture.
Errors::Type_Error ColonyAnalyserThread::smoothPicture(Halcon::Hobject& picture, bool median, int medianMode,
                                                       bool mean, int meanMode)
{
    int mask = 0;
    if (median) {
        if (!filterMaskSize(medianMode, mask))
            return kGeneralError;
        if (const Halcon::Herror e = Halcon::median_image(picture, &picture, "circle", mask, "continued");
            e != Halcon::kSuccess) {
            HalconRecordError(e);
            return Errors::Type_Error(e);
        }
    }
    if (mean) {
        if (!filterMaskSize(meanMode, mask))
            return kGeneralError;
        if (const Halcon::Herror e = Halcon::mean_image(picture, &picture, mask, mask); e != Halcon::kSuccess) {
            HalconRecordError(e);
            return Errors::Type_Error(e);
        }
    }
    return 0;
}

// ---- Containers on a pool of threads (worker thread) ------------------------------------------

qint32 ColonyAnalyserThread::containerNumber(qint32 index) const
{
    const ColonySettingsData::LabwareData& labware = m_settings.Labware;
    return ContainerNumberFromIndex(index, labware.SectionsX, labware.SectionsY, labware.PositionDirection);
}

void ColonyAnalyserThread::setPropertiesInputs(ColonyPropertiesAnalysis& properties)
{
    properties.setSettings(&m_settings);
    properties.setInputObjects(m_preparedPicture, m_picture);
    if (m_settings.ColorModel == ColonySettingsData::ColorModelRgb)
        properties.setThresholdRegions(m_red, m_green, m_blue);
    else if (m_settings.ColorModel == ColonySettingsData::ColorModelHsi)
        properties.setThresholdImages(m_red, m_green, m_blue, m_hue, m_saturation, m_intensity, m_hueRegion,
                                      m_saturationRegion, m_intensityRegion);
}

void ColonyAnalyserThread::startParallelContainers()
{
    Halcon::HTuple parallel;
    Halcon::HTuple threads;
    if (Halcon::get_system("parallelize_operators", &parallel) != Halcon::kSuccess || parallel.S() != "true"
        || Halcon::get_system("thread_num", &threads) != Halcon::kSuccess || threads.Length() != 1)
        return;
    const ColonySettingsData::LabwareData& labware = m_settings.Labware;
    const int count = labware.SectionsX * labware.SectionsY;
    if (threads.L() < 2 || count < 2)
        return;
    IHalconView* view = m_host->halconView();
    const auto setup = [this, view](ParallelContainerAnalysis::Engines& engines) {
        // Drawings only when the page draws at all, as for the worker's own engines.
        IHalconView* recorded = view ? &engines.recorder : nullptr;
        engines.margins.init(recorded, this, &m_plateCoordinates, &m_parallel, &engines.recorder);
        engines.properties.init(recorded, &engines.recorder, &m_parallel, &m_plateCoordinates, &engines.margins,
                                &engines.recorder);
        engines.margins.setDeferredRelease(&m_release);
        engines.properties.setDeferredRelease(&m_release);
        setPropertiesInputs(engines.properties);
    };
    const int poolThreads = int(std::min<Halcon::Hlong>(threads.L(), count));
    {
        QMutexLocker lock(&m_timesMutex);
        m_times.containerThreads = poolThreads;
    }
    m_parallel.start(count, poolThreads, view, setup,
                     [this](int index, ParallelContainerAnalysis::Engines& engines) {
                         Halcon::Hobject searchArea;
                         containerContour(searchArea, index, 0.0);
                         return analyseContainer(engines.margins, engines.properties, index, containerNumber(index),
                                                 searchArea);
                     });
}

// ---- Engine interfaces (worker thread) --------------------------------------------------------

Errors::Type_Error ColonyAnalyserThread::containerContour(Halcon::Hobject& contour, qint32 containerIndex,
                                                          double offset)
{
    const ColonySettingsData::LabwareData& labware = m_settings.Labware;
    return GenerateContainerContour(m_host->view(), contour, containerIndex, labware.RoundArea, labware.SectionsX,
                                    labware.SectionsY, labware.PositionX, labware.PositionY, labware.SizeX,
                                    labware.SizeY, labware.GapX, labware.GapY, labware.Angle, offset);
}

bool ColonyAnalyserThread::isCancelled()
{
    return stopRequested();
}

void ColonyAnalyserThread::setProgressText(const QString& text)
{
    m_host->emitStateSetText(text);
}

// ---- Step machine ------------------------------------------------------------------------------

void ColonyAnalyserThread::setStateText(const QString& text)
{
    m_host->emitStateSetText(text);
}

qint32 ColonyAnalyserThread::SetError(Errors::Type_Error code)
{
    setRunError(code);
    setStateText(Errors::getErrorText(code));
    return StateFinish;
}

void ColonyAnalyserThread::quitting()
{
    m_parallel.stop();
}

qint32 ColonyAnalyserThread::step(qint32 state)
{
    switch (state) {
    case StateStart:
        return StepStart();
    case StateRestart:
        return StepRestart();
    case StatePreparePicture:
        return StepPreparePicture();
    case StateColorFilter:
        return StepColorFilter();
    case StateThreshold:
        return StepThreshold();
    case StateSearchArea:
        return StepSearchArea();
    case StateSearchColonies:
        return StepSearchColonies();
    case StateNextContainer:
        return StepNextContainer();
    case StateFinish:
        return StepFinish();
    default:
        return failWith(kGeneralError);
    }
}

qint32 ColonyAnalyserThread::StepStart()
{
    return beginRun(true);
}

qint32 ColonyAnalyserThread::StepRestart()
{
    return beginRun(false);
}

qint32 ColonyAnalyserThread::beginRun(bool clearView)
{
    {
        QMutexLocker lock(&m_timesMutex);
        m_times = StepTimes();
    }
    QElapsedTimer timer;
    timer.start();
    m_host->emitAnalyserStarted();
    setStateText(tr("Search colonies ..."));
    if (clearView) {
        m_host->viewClear(false);
        m_host->viewUpdate(true);
    }
    setTime(&StepTimes::start, timer);
    return StatePreparePicture;
}

void ColonyAnalyserThread::setTime(double StepTimes::*step, const QElapsedTimer& timer)
{
    QMutexLocker lock(&m_timesMutex);
    m_times.*step = elapsedMs(timer);
}

qint32 ColonyAnalyserThread::StepPreparePicture()
{
    QElapsedTimer timer;
    timer.start();
    const int colorModel = m_settings.ColorModel;
    const bool anyColor = colorModel == ColonySettingsData::ColorModelRgb || colorModel == ColonySettingsData::ColorModelHsi;
    const bool hsi = colorModel == ColonySettingsData::ColorModelHsi;

    m_host->viewSetPictureSelectorsVisible(QStringLiteral("HalconPicture_Colonies_Color_Preprocessed."), hsi, false);
    m_host->viewSetPictureSelectorsVisible(QStringLiteral("HalconPicture_Colonies_Color_Hue."), hsi, false);
    m_host->viewSetPictureSelectorsVisible(QStringLiteral("HalconPicture_Colonies_Color_Saturation."), hsi, false);
    m_host->viewSetPictureSelectorsVisible(QStringLiteral("HalconPicture_Colonies_Color_Intensity."), hsi, false);
    m_host->viewSetPictureSelectorsVisible(QStringLiteral("HalconPicture_Colonies_Color_Red."), anyColor, false);
    m_host->viewSetPictureSelectorsVisible(QStringLiteral("HalconPicture_Colonies_Color_Green."), anyColor, false);
    m_host->viewSetPictureSelectorsVisible(QStringLiteral("HalconPicture_Colonies_Color_Blue."), anyColor, false);
    m_host->viewSetObjectSelectorsVisible(QStringLiteral("HalconObject_Colonies_Threshold_Combined."), hsi, false);
    m_host->viewSetObjectSelectorsVisible(QStringLiteral("HalconObject_Colonies_Threshold_Hue."), hsi, false);
    m_host->viewSetObjectSelectorsVisible(QStringLiteral("HalconObject_Colonies_Threshold_Saturation."), hsi, false);
    m_host->viewSetObjectSelectorsVisible(QStringLiteral("HalconObject_Colonies_Threshold_Intensity."), hsi, false);

    m_containerIndex = 0;

    m_host->viewRemoveObjects(QString(), false);
    m_host->viewRemovePictures(QStringLiteral("HalconPicture_Colonies_Preprocessed."), false);
    m_host->viewRemovePictures(QStringLiteral("HalconPicture_Colonies_Color_Preprocessed."), false);
    m_host->viewRemovePictures(QStringLiteral("HalconPicture_Colonies_Color_Hue."), false);
    m_host->viewRemovePictures(QStringLiteral("HalconPicture_Colonies_Color_Saturation."), false);
    m_host->viewRemovePictures(QStringLiteral("HalconPicture_Colonies_Color_Intensity."), false);
    m_host->viewRemovePictures(QStringLiteral("HalconPicture_Colonies_Color_Red."), false);
    m_host->viewRemovePictures(QStringLiteral("HalconPicture_Colonies_Color_Green."), false);
    m_host->viewRemovePictures(QStringLiteral("HalconPicture_Colonies_Color_Blue."), false);

    m_host->emitRackReset(m_picture);
    m_host->viewSetPicture(m_picture, kPictureNormal, false);

    Halcon::Hlong channels = 0;
    if (Halcon::count_channels(m_picture, &channels) != Halcon::kSuccess)
        return failWith(kNoPicture);

    if (channels >= 3) {
        if (Halcon::rgb1_to_gray(m_picture, &m_grayPicture) != Halcon::kSuccess)
            return failWith(kUnusableColorImage);
    } else {
        m_grayPicture = m_picture;
        if (anyColor)
            return failWith(kExpectColorPicture);
    }

    const ColonySettingsData::ColonyData& colony = m_settings.Colony;
    Halcon::Hobject filtered = m_picture;
    if (const Errors::Type_Error code =
            smoothPicture(filtered, colony.PreprocessingMedianEnabled, colony.PreprocessingMedianMode,
                          colony.PreprocessingMeanEnabled, colony.PreprocessingMeanMode);
        code != 0)
        return failWith(code);

    if (!colony.PreprocessingMedianEnabled && !colony.PreprocessingMeanEnabled) {
        // Unfiltered: the prepared picture is the grey picture made above.
        m_preparedPicture = m_grayPicture;
    } else if (channels >= 3) {
        if (Halcon::rgb1_to_gray(filtered, &m_preparedPicture) != Halcon::kSuccess)
            return failWith(kUnusableColorImage);
    } else {
        m_preparedPicture = filtered;
    }

    m_red = Halcon::Hobject();
    m_green = Halcon::Hobject();
    m_blue = Halcon::Hobject();
    m_hue = Halcon::Hobject();
    m_saturation = Halcon::Hobject();
    m_intensity = Halcon::Hobject();

    m_propertiesAnalysis.setInputObjects(m_preparedPicture, m_picture);

    m_host->viewSetPicture(m_preparedPicture, kPicturePreprocessed, false);
    m_host->emitRackAdd(m_picture, QDateTime::currentDateTime(), QString());

    const ColonySettingsData::LabwareData& labware = m_settings.Labware;
    double x0 = 0.0;
    double y0 = 0.0;
    double width = 0.0;
    double height = 0.0;
    m_host->viewPercentToPixel(labware.PositionX, labware.PositionY, x0, y0);
    m_host->viewPercentToPixel(labware.SizeX, labware.SizeY, width, height);
    Halcon::Hobject rectangle;
    Halcon::gen_rectangle2_contour_xld(&rectangle, y0 + 0.5 * height, x0 + 0.5 * width,
                                       labware.Angle / kDegreesPerRadian, 0.5 * width, 0.5 * height);
    m_host->viewAddObject(rectangle, "magenta", "margin", 1, kSearchAreaName, false, false);

    CorrectionInfo correction;
    if (!m_settings.ReferencePoints.FixedPosition)
        correction = CorrectionInfo::current();

    QElapsedTimer searchTimer;
    searchTimer.start();
    const Errors::Type_Error result =
        m_referencePointSearch.run(m_grayPicture, &m_settings.ReferencePoints, &correction);
    const double searchMs = elapsedMs(searchTimer);
    if (result != 0)
        return SetError(result);

    m_host->viewUpdate(true);
    QMutexLocker lock(&m_timesMutex);
    m_times.referencePoints = searchMs;
    m_times.prepare = elapsedMs(timer);
    return StateColorFilter;
}

qint32 ColonyAnalyserThread::StepColorFilter()
{
    QElapsedTimer timer;
    timer.start();
    setStateText(tr("Filter ..."));
    m_colorPicture = m_picture;

    if (m_settings.ColorModel == ColonySettingsData::ColorModelRgb) {
        if (const Halcon::Herror e = Halcon::decompose3(m_picture, &m_red, &m_green, &m_blue); e != Halcon::kSuccess)
            return SetError(Errors::Type_Error(e));
        showColorChannels();
    } else if (m_settings.ColorModel == ColonySettingsData::ColorModelHsi) {
        const ColonySettingsData::ColonyColorData& color = m_settings.ColonyColor;
        if (const Errors::Type_Error code =
                smoothPicture(m_colorPicture, color.MedianUsed, color.MedianMode, color.MeanUsed, color.MeanMode);
            code != 0)
            return failWith(code);
        m_host->viewSetPicture(m_colorPicture, kPictureColorPreprocessed, false);

        if (const Halcon::Herror e = Halcon::decompose3(m_colorPicture, &m_red, &m_green, &m_blue);
            e != Halcon::kSuccess)
            return SetError(Errors::Type_Error(e));
        if (const Halcon::Herror e =
                Halcon::trans_from_rgb(m_red, m_green, m_blue, &m_hue, &m_saturation, &m_intensity, "hsv");
            e != Halcon::kSuccess)
            return SetError(Errors::Type_Error(e));

        // Hue shown as a fully saturated, full-value colour picture.
        Halcon::Hobject constant;
        Halcon::gen_image_proto(m_hue, &constant, 255.0);
        Halcon::Hobject hueRed;
        Halcon::Hobject hueGreen;
        Halcon::Hobject hueBlue;
        Halcon::trans_to_rgb(m_hue, constant, constant, &hueRed, &hueGreen, &hueBlue, "hsv");
        Halcon::Hobject hueDisplay;
        Halcon::compose3(hueRed, hueGreen, hueBlue, &hueDisplay);

        m_host->viewSetPicture(hueDisplay, kPictureHue, false);
        m_host->viewSetPicture(m_saturation, kPictureSaturation, false);
        m_host->viewSetPicture(m_intensity, kPictureIntensity, false);
        showColorChannels();
    }
    setTime(&StepTimes::colorFilter, timer);
    return StateThreshold;
}

void ColonyAnalyserThread::showColorChannels()
{
    m_host->viewSetPicture(m_red, kPictureRed, false);
    m_host->viewSetPicture(m_green, kPictureGreen, false);
    m_host->viewSetPicture(m_blue, kPictureBlue, false);
    m_host->viewUpdate(true);
}

qint32 ColonyAnalyserThread::StepThreshold()
{
    QElapsedTimer timer;
    timer.start();
    setStateText(tr("Threshold ..."));

    if (m_settings.ColorModel == ColonySettingsData::ColorModelRgb) {
        m_propertiesAnalysis.setThresholdRegions(m_red, m_green, m_blue);
    } else if (m_settings.ColorModel == ColonySettingsData::ColorModelHsi) {
        const ColonySettingsData::ColonyColorData& c = m_settings.ColonyColor;
        int hueMin = 0;
        int hueMax = 0;
        int saturationMin = 0;
        int saturationMax = 0;
        int intensityMin = 0;
        int intensityMax = 0;
        CalculateColorThresholdLimits(c.StartHue, c.EndHue, c.StartHuePercent, c.EndHuePercent, 255.0,
                                      c.StartSaturation, c.EndSaturation, c.StartSaturationPercent,
                                      c.EndSaturationPercent, 255.0, c.StartIntensity, c.EndIntensity,
                                      c.StartIntensityPercent, c.EndIntensityPercent, 255.0, hueMin, hueMax,
                                      saturationMin, saturationMax, intensityMin, intensityMax);
        if (const int e = thresholdHue(m_hue, hueMin, hueMax, m_hueRegion); e != Halcon::kSuccess)
            return SetError(Errors::Type_Error(e));
        Halcon::threshold(m_saturation, &m_saturationRegion, saturationMin, saturationMax);
        Halcon::threshold(m_intensity, &m_intensityRegion, intensityMin, intensityMax);
        m_propertiesAnalysis.setThresholdImages(m_red, m_green, m_blue, m_hue, m_saturation, m_intensity,
                                                m_hueRegion, m_saturationRegion, m_intensityRegion);
    }
    setTime(&StepTimes::threshold, timer);
    return StateSearchArea;
}

qint32 ColonyAnalyserThread::StepSearchArea()
{
    QElapsedTimer timer;
    timer.start();
    const ColonySettingsData::LabwareData& labware = m_settings.Labware;
    const int i = m_containerIndex;
    if (i == 0)
        startParallelContainers();
    m_containerNumber = containerNumber(i);
    const QString label = GenerateGridLabelText(i, labware.SectionsX, labware.SectionsY, labware.PositionDirection);

    m_searchArea = Halcon::Hobject();
    containerContour(m_searchArea, i, 0.0);
    DrawContainerLabel(m_host->view(), i, labware.SectionsX, labware.SectionsY, labware.PositionX, labware.PositionY,
                       labware.SizeX, labware.SizeY, labware.GapX, labware.GapY, labware.Angle,
                       labware.PositionDirection, kContainerTextPrefix, nullptr, nullptr, 6);

    const QString name = kContainerAreaName.arg(i);
    m_host->emitContainerListAdd(name, m_containerNumber, label, QString(), i, m_searchArea);
    m_host->viewAddObject(m_searchArea, "magenta", "margin", 1, name, false, false);

    QMutexLocker lock(&m_timesMutex);
    m_times.searchArea += elapsedMs(timer);
    return StateSearchColonies;
}

ParallelContainerAnalysis::Outcome ColonyAnalyserThread::analyseContainer(ColonyMarginAnalysis& margins,
                                                                         ColonyPropertiesAnalysis& properties,
                                                                         qint32 index, qint32 number,
                                                                         const Halcon::Hobject& searchArea)
{
    ParallelContainerAnalysis::Outcome outcome;
    QElapsedTimer timer;
    timer.start();
    outcome.result = margins.run(m_preparedPicture, &m_settings, false, index, searchArea);
    outcome.marginsMs = elapsedMs(timer);
    if (outcome.result == 0) {
        timer.restart();
        outcome.result = properties.run(false, number, m_settings.Colony.FastCalculation);
        outcome.propertiesMs = elapsedMs(timer);
    }
    return outcome;
}

qint32 ColonyAnalyserThread::StepSearchColonies()
{
    // A container the pool measured hands over its reports here, in container order.
    const ParallelContainerAnalysis::Outcome outcome = m_parallel.holds(m_containerIndex)
        ? m_parallel.finish(m_containerIndex, m_host->halconView(), m_host->imageColoniesTable(), this)
        : analyseContainer(m_marginAnalysis, m_propertiesAnalysis, m_containerIndex, m_containerNumber,
                           m_searchArea);
    const Errors::Type_Error result = outcome.result;
    {
        QMutexLocker lock(&m_timesMutex);
        m_times.margins += outcome.marginsMs;
        m_times.properties += outcome.propertiesMs;
        ++m_times.containers;
    }
    if (result != 0)
        return SetError(result);
    m_host->viewUpdate(true);
    return StateNextContainer;
}

qint32 ColonyAnalyserThread::StepNextContainer()
{
    ++m_containerIndex;
    const ColonySettingsData::LabwareData& labware = m_settings.Labware;
    if (m_containerIndex < labware.SectionsX * labware.SectionsY)
        return StateSearchArea;
    return StateFinish;
}

qint32 ColonyAnalyserThread::StepFinish()
{
    QElapsedTimer timer;
    timer.start();
    m_parallel.stop();
    if (runError() == 0)
        setStateText(tr("Done!"));
    m_host->emitAnalyserStopped();
    m_host->viewUpdate(false);
    QCoreApplication::processEvents();
    setTime(&StepTimes::finish, timer);
    return StateIdle;
}
