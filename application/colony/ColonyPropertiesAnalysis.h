#pragma once

#include "ColonySettingsData.h"
#include "Errors.h"
#include "ImageColony.h"

#include <Hobject.h>

#include <QtGlobal>

#include <vector>

class ColonyMarginAnalysis;
class DeferredRelease;
class IColoniesCollection;
class IHalconView;
class IPlateCoordinates;
class IProgress;
class ITaskCancellation;

// value clamped to [minimum, maximum] and mapped to [0, 1]; 0 for an empty or inverted range.
double NormalizeToRange(double value, double minimum, double maximum);

// Turns the margin contours of one container into colonies: measures each one in pixels and
// millimetres, finds its nearest neighbour and its distance to the container outline, judges
// its colour by the selected colour model, decides good or rejected, weights the good ones
// into a total score and numbers them in pick order; then draws them and hands every colony
// to the host. Runs on the analysis worker's thread, once per container, right after the
// margin analysis of that container; the neighbours and the colonies are measured on the
// threads of the operator parallelisation, with the result, reports and drawings of a run
// on one thread. The cancellation and the plate coordinates are then read from those threads.
class ColonyPropertiesAnalysis {
public:
    ColonyPropertiesAnalysis();
    ~ColonyPropertiesAnalysis();

    ColonyPropertiesAnalysis(const ColonyPropertiesAnalysis&) = delete;
    ColonyPropertiesAnalysis& operator=(const ColonyPropertiesAnalysis&) = delete;

    // None of the collaborators is owned.
    void init(IHalconView* view, IColoniesCollection* colonies, ITaskCancellation* cancellation,
              IPlateCoordinates* referencePoints, ColonyMarginAnalysis* margins, IProgress* progress);
    // Where the colonies of the last run and the contours of a run go when they are no longer
    // needed; without one (nullptr) they are freed here.
    void setDeferredRelease(DeferredRelease* release) { m_release = release; }
    // Keeps the pointer (the worker's own copy) and derives the colour model and the weight
    // factor 100 / (sum of the weights in use). A sum that is not above 0 leaves the factor 0,
    // and every run then ends with 152 before it divides by it.
    void setSettings(const ColonySettingsData* settings);
    // The prepared grey picture (after the preprocessing filters) and the picture as the
    // worker holds it; empties the colour inputs.
    void setInputObjects(Halcon::Hobject preparedPicture, Halcon::Hobject picture);
    // Channel pictures of the RGB colour model.
    void setThresholdRegions(Halcon::Hobject red, Halcon::Hobject green, Halcon::Hobject blue);
    // Pictures and threshold regions of the HSI colour model.
    void setThresholdImages(Halcon::Hobject red, Halcon::Hobject green, Halcon::Hobject blue, Halcon::Hobject hue,
                            Halcon::Hobject saturation, Halcon::Hobject intensity, Halcon::Hobject hueRegion,
                            Halcon::Hobject saturationRegion, Halcon::Hobject intensityRegion);

    // Analyses the contours that the margin analysis found last. 0; 100 when cancelled; 152
    // for weights that do not sum above 0; 163 without a plate resolution; the code of a
    // failing operator or colour test otherwise. A failed run draws and hands over nothing.
    Errors::Type_Error run(bool forceGood, qint32 containerNumber, bool fastCalculation);
    // run on given contours: what run does after it has taken them from the margin analysis.
    Errors::Type_Error analyse(const Halcon::Hobject& contours, const Halcon::Hobject& containerOutline,
                               double thresholdLevel, bool forceGood, qint32 containerNumber, bool fastCalculation);

    // The colonies of the last run, in ascending column order.
    const std::vector<ImageColony>& colonies() const { return m_colonies; }
    double weightFactor() const { return m_weightFactor; }

    // Colour model 1: the minimum of each channel inside the contour, tested against the
    // thresholds of the settings; scores in [0, 1], all 0 when a channel fails.
    Errors::Type_Error evaluateRgbColor(const Halcon::Hobject& contour, bool& passed, double& red, double& green,
                                        double& blue, double& redScore, double& greenScore, double& blueScore);
    // Colour model 2: share of the colony's area inside the hue/saturation/intensity ranges in
    // use, and its colour. errorCode gets the code of a failed colour measurement.
    Errors::Type_Error thresholdColony(const Halcon::Hobject& contour, bool& passed, double& hue, double& saturation,
                                       double& intensity, double& red, double& green, double& blue,
                                       double& areaPercent, Errors::Type_Error& errorCode);
    // The colour of the colony by MeasureAlgorithm; hueWraps when its hue straddles the wrap
    // point of the hue circle.
    Errors::Type_Error measureHsiColor(const Halcon::Hobject& contour, double& hue, double& saturation,
                                       double& intensity, double& red, double& green, double& blue, bool& hueWraps);

    // The three colour tests on the colony's filled region instead of its contour, for callers
    // that hold the region already (the evaluation fills each colony once).
    Errors::Type_Error evaluateRgbColorRegion(const Halcon::Hobject& filled, bool& passed, double& red,
                                              double& green, double& blue, double& redScore, double& greenScore,
                                              double& blueScore);
    Errors::Type_Error thresholdColonyRegion(const Halcon::Hobject& filled, bool& passed, double& hue,
                                             double& saturation, double& intensity, double& red, double& green,
                                             double& blue, double& areaPercent, Errors::Type_Error& errorCode);
    Errors::Type_Error measureHsiColorRegion(const Halcon::Hobject& filled, double& hue, double& saturation,
                                             double& intensity, double& red, double& green, double& blue,
                                             bool& hueWraps);

    // Weighted scores of a good colony (colour scores count in the RGB model only).
    static void applyWeights(ImageColony& colony, const ColonySettingsData::ColonyData& settings, double weightFactor,
                             bool rgbModel, double redScore, double greenScore, double blueScore);
    // Numbers the good colonies 1, 2, ... by descending total score; equal scores keep the
    // list order (colony index). Every other colony gets 0.
    void assignPickingOrder(std::vector<ImageColony>& colonies);

private:
    Errors::Type_Error measure(bool fastCalculation);
    Errors::Type_Error measureNeighbors();
    // Every colony of the list on the threads of the operator parallelisation: the result
    // and the drawings are those of one colony after the other; the first failing colony's
    // code is returned.
    Errors::Type_Error evaluateColonies(bool fastCalculation);
    // Outline contour and evaluation of one colony; its drawings go to view.
    Errors::Type_Error evaluateOne(ImageColony& colony, bool fastCalculation, IHalconView* view);
    Errors::Type_Error evaluateColony(ImageColony& colony, const Halcon::Hobject& filled, bool fastCalculation,
                                      IHalconView* view);
    Errors::Type_Error thresholdColonyRegion(const Halcon::Hobject& filled, IHalconView* view, bool& passed,
                                             double& hue, double& saturation, double& intensity, double& red,
                                             double& green, double& blue, double& areaPercent,
                                             Errors::Type_Error& errorCode);
    Errors::Type_Error marginDistance(const Halcon::Hobject& contour, double& distance);
    void show();
    void showTestCrosses();
    void sendProgress(const QString& text);
    // Counts the objects and reports the count in the progress text, where "%1" stands.
    Errors::Type_Error reportCount(const Halcon::Hobject& objects, const QString& text, Halcon::Hlong& count);
    bool cancelled();

    IHalconView* m_view = nullptr;
    IColoniesCollection* m_collection = nullptr;
    ITaskCancellation* m_cancellation = nullptr;
    IPlateCoordinates* m_referencePoints = nullptr;
    ColonyMarginAnalysis* m_margins = nullptr;
    IProgress* m_progress = nullptr;
    DeferredRelease* m_release = nullptr;
    const ColonySettingsData* m_settings = nullptr;
    Halcon::Hobject m_preparedPicture;
    qint32 m_width = 0;
    qint32 m_height = 0;
    bool m_forceGood = false;
    qint32 m_containerNumber = 0;
    Halcon::Hobject m_contours;
    Halcon::Hobject m_containerOutline;
    double m_thresholdLevel = 0.0;
    bool m_rgbModel = false;
    bool m_hsiModel = false;
    double m_weightFactor = 0.0;
    double m_resolution = 0.0; // mean px/mm of the current run
    Halcon::Hobject m_picture;
    Halcon::Hobject m_rgbRed;
    Halcon::Hobject m_rgbGreen;
    Halcon::Hobject m_rgbBlue;
    Halcon::Hobject m_hsiRed;
    Halcon::Hobject m_hsiGreen;
    Halcon::Hobject m_hsiBlue;
    Halcon::Hobject m_hsiHue;
    Halcon::Hobject m_hsiSaturation;
    Halcon::Hobject m_hsiIntensity;
    Halcon::Hobject m_hueRegion;
    Halcon::Hobject m_saturationRegion;
    Halcon::Hobject m_intensityRegion;
    std::vector<ImageColony> m_colonies;
    std::vector<int> m_pickOrder; // reused between containers
};
