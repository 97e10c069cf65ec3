#pragma once

#include "Errors.h"

#include <Hobject.h>

#include <QtGlobal>

class ColonySettingsData;
class DeferredRelease;
class IHalconView;
class IPlate;
class IPlateCoordinates;
class IProgress;
class ITaskCancellation;

// Finds the margins (edges) of the colonies inside one container of the prepared grey picture:
// a sub-pixel threshold inside the container's outline, split into lines and elliptic arcs,
// regressed and united. The closed contours of the result are the colony candidates of the
// colony properties analysis, which also measures each colony's distance to the outline kept
// here. Runs on the analysis worker's thread, once per container.
class ColonyMarginAnalysis {
public:
    ColonyMarginAnalysis();
    ~ColonyMarginAnalysis();

    ColonyMarginAnalysis(const ColonyMarginAnalysis&) = delete;
    ColonyMarginAnalysis& operator=(const ColonyMarginAnalysis&) = delete;

    // None of the collaborators is owned; they live as long as the worker that owns this.
    void init(IHalconView* view, IPlate* plate, IPlateCoordinates* referencePoints,
              ITaskCancellation* cancellation, IProgress* progress);
    // Where the pictures and contours of a run go when they are no longer needed; without
    // one (nullptr) they are freed on the analysing thread.
    void setDeferredRelease(DeferredRelease* release) { m_release = release; }

    // Analyses container containerIndex, whose outline contour is containerOutline. With
    // fixedGreyRange the standard mode takes 0..255 instead of the grey range it measures.
    // 0, 100 when cancelled, 163 without a usable resolution (dynamic mode), the code of the
    // picture size or of the first failing operator otherwise. The results of an earlier run
    // are cleared first, so a failure never leaves them behind.
    Errors::Type_Error run(Halcon::Hobject picture, const ColonySettingsData* settings, bool fixedGreyRange,
                           qint32 containerIndex, Halcon::Hobject containerOutline);

    Halcon::Hobject getContours() const { return m_contours; }
    Halcon::Hobject getContainerOutline() const { return m_containerOutline; }
    // Grey level of the standard mode, 0.0 after the dynamic mode or a failed run.
    double getThresholdLevel() const { return m_thresholdLevel; }
    qint32 getSegmentCount() const { return m_segmentCount; }
    double getGrayLow() const { return m_grayLow; }
    double getGrayHigh() const { return m_grayHigh; }

private:
    Errors::Type_Error runStandard();
    Errors::Type_Error runDynamicThreshold();
    // Segmentation, regression and union of the edges into united. The dynamic mode reports
    // each stage and may be cancelled between them.
    Errors::Type_Error buildContours(const Halcon::Hobject& edges, Halcon::Hobject& united, bool dynamicMode);
    void showContours(const Halcon::Hobject& contours, int style);
    void sendProgress(const QString& text);
    bool cancelled();

    IHalconView* m_view = nullptr;
    IPlate* m_plate = nullptr;
    IPlateCoordinates* m_referencePoints = nullptr;
    ITaskCancellation* m_cancellation = nullptr;
    IProgress* m_progress = nullptr;
    DeferredRelease* m_release = nullptr;
    const ColonySettingsData* m_settings = nullptr;
    Halcon::Hobject m_picture;
    bool m_fixedGreyRange = false;
    qint32 m_width = 0;
    qint32 m_height = 0;
    qint32 m_containerIndex = 0;
    double m_thresholdLevel = 0.0;
    qint32 m_segmentCount = 0;
    double m_grayLow = 0.0;
    double m_grayHigh = 0.0;
    Halcon::Hobject m_containerOutline;
    Halcon::Hobject m_contours;
};
