#pragma once

#include "ColonyMarginAnalysis.h"
#include "ColonyPropertiesAnalysis.h"
#include "DeferredRelease.h"
#include "ColonySettingsData.h"
#include "Errors.h"
#include "IPlate.h"
#include "IProgress.h"
#include "ITaskCancellation.h"
#include "ParallelContainerAnalysis.h"
#include "ReferencePointSearch.h"
#include "ReferencePointSearchCoordinates.h"
#include "StepWorker_Thread.h"
#include "WorkerAppSettings.h"

#include <Hobject.h>

#include <QMutex>
#include <QString>

#include <atomic>

class IColonyAnalyserHost;
class QElapsedTimer;

// Analyses one plate (rack) picture for colonies on a thread of its own. The Colony Analyser
// page owns one worker for its whole life and is the only caller of its operations and the
// only receiver of its reports.
//
// A run is a fixed sequence of steps (a StepWorker_Thread): start, picture preparation with
// the reference-point search, colour filter, threshold, then search area and colony search
// once per container of the labware grid, and finish. The page's operations run on the GUI
// thread and hand their inputs over while the worker is idle.
//
// With the vision layer's operator parallelisation on ("parallelize_operators", up to
// "thread_num" threads), the containers are measured on a pool of threads ahead of the
// step machine, which still takes them one by one and hands the page exactly the reports,
// drawings and pick order of a run on one thread.
class ColonyAnalyserThread : public StepWorker_Thread, public IPlate, public ITaskCancellation, public IProgress {
    Q_OBJECT
public:
    using AppSettingsData = WorkerAppSettings;

    enum Enum_State {
        StateIdle = 0,
        StateStart = 1,
        StateRestart = 2,
        StatePreparePicture = 3,
        StateSearchArea = 4,
        StateSearchColonies = 5,
        StateNextContainer = 6,
        StateFinish = 7,
        StateColorFilter = 8,
        StateThreshold = 9
    };

    // host must outlive the worker. Null settings pointers take the defaults. The thread
    // starts at once and waits idle.
    ColonyAnalyserThread(IColonyAnalyserHost* host, const AppSettingsData* appSettings,
                         const ColonySettingsData* settings, QObject* parent = nullptr);
    // Ends the thread after the step that is running (no "Done!"); the page's event loop is
    // not turned meanwhile, so no queued report reaches a page that is being destroyed.
    ~ColonyAnalyserThread() override;

    ColonyAnalyserThread(const ColonyAnalyserThread&) = delete;
    ColonyAnalyserThread& operator=(const ColonyAnalyserThread&) = delete;

    // GUI thread only. 0; 101 while a run is busy; 152 for settings that fail validation
    // (nothing changes); the code of the picture check.
    Errors::Type_Error Analyse(const AppSettingsData& appSettings, const ColonySettingsData& settings,
                               const Halcon::Hobject& picture);
    // Stops a running analysis and analyses the held picture again with new settings. 0; 102
    // without a picture; 152 for invalid settings; the code of Stop.
    Errors::Type_Error Reanalyse(const AppSettingsData& appSettings, const ColonySettingsData& settings);
    // running := busy; result: 102 without a picture, else the error of the current or last run.
    Errors::Type_Error CheckRunning(bool& running);
    // Stops a run, forgets the picture and the error, clears the page's display. With a call
    // the wait for the stop is part of it (Automation_Call).
    Errors::Type_Error Reset(Automation_Call* call = nullptr);
    // Distance reference-point plane -> agar plane (mm); rebuilds the height-scale transform.
    // 101 while a run is busy (the run reads that record); 104 for a height that is no number
    // or whose size reaches the camera's distance to the reference plane (height unchanged).
    Errors::Type_Error SetAgarHeight(double heightMillimetres);

    // Crops picture to the labware rectangle of settings; on failure the picture stays.
    static Errors::Type_Error cutSearchArea(Halcon::Hobject& picture, const ColonySettingsData& settings);

    // Hue threshold region of the limits; when minimum > maximum the range wraps around the
    // hue circle: values below maximum or above minimum. The vision layer's code.
    static int thresholdHue(const Halcon::Hobject& hue, int minimum, int maximum, Halcon::Hobject& region);

    // Mask size of a filter mode 1..6; false (and 0) for any other mode.
    static bool filterMaskSize(int mode, int& maskSize);
    static Errors::Type_Error smoothPicture(Halcon::Hobject& picture, bool median, int medianMode, bool mean,
                                           int meanMode);

    // What the page reads. Width and height of the held picture (0 without one).
    int pictureWidth() const { return m_width.load(); }
    int pictureHeight() const { return m_height.load(); }
    // Size of the crosses drawn at colony centres: the mean resolution of the last
    // reference-point search in px/mm (0 before a successful search).
    double crossSize() const;
    // The settings of the last run; read on the GUI thread (the worker only reads them).
    const ColonySettingsData& settings() const { return m_settings; }
    const AppSettingsData& appSettings() const { return m_appSettings; }
    // Its transforms and metrics are published under the search's own lock.
    const ReferencePointSearch& referencePointSearch() const { return m_referencePointSearch; }

    // Time spent in each step during the last run, summed over the containers (milliseconds).
    // The reference-point search is part of prepare and also given alone; margins and
    // properties together are the colony search step.
    struct StepTimes {
        double start = 0.0;
        double prepare = 0.0;
        double referencePoints = 0.0;
        double colorFilter = 0.0;
        double threshold = 0.0;
        double searchArea = 0.0;
        double margins = 0.0;
        double properties = 0.0;
        double finish = 0.0;
        int containers = 0;
        // Threads the containers were measured on (1: one after the other by the worker).
        int containerThreads = 1;
    };
    StepTimes stepTimes() const;

    // IPlate, ITaskCancellation, IProgress: worker thread; containerContour and isCancelled
    // also from the threads that measure containers in parallel (they only read).
    Errors::Type_Error containerContour(Halcon::Hobject& contour, qint32 containerIndex, double offset) override;
    bool isCancelled() override;
    void setProgressText(const QString& text) override;

protected:
    qint32 step(qint32 state) override;
    void setStateText(const QString& text) override;
    void quitting() override;

private:
    qint32 StepStart();
    qint32 StepRestart();
    qint32 StepPreparePicture();
    qint32 StepColorFilter();
    qint32 StepThreshold();
    qint32 StepSearchArea();
    qint32 StepSearchColonies();
    qint32 StepNextContainer();
    qint32 StepFinish();
    qint32 SetError(Errors::Type_Error code);
    // Start and restart: new step times, the started report and status; a start also
    // clears the page's view.
    qint32 beginRun(bool clearView);
    // The time of a step run once, measured by timer.
    void setTime(double StepTimes::*step, const QElapsedTimer& timer);
    // The red, green and blue channels on the page's view.
    void showColorChannels();
    // Margins, then colonies, of one container with the given engines.
    ParallelContainerAnalysis::Outcome analyseContainer(ColonyMarginAnalysis& margins,
                                                        ColonyPropertiesAnalysis& properties, qint32 index,
                                                        qint32 number, const Halcon::Hobject& searchArea);
    // Starts the pool on all containers when the operator parallelisation allows more than
    // one thread and there is more than one container.
    void startParallelContainers();
    // The colony properties inputs of the running analysis, as the steps hand them to the
    // worker's own engine.
    void setPropertiesInputs(ColonyPropertiesAnalysis& properties);
    qint32 containerNumber(qint32 index) const;
    Errors::Type_Error validateSettings(const ColonySettingsData& settings) const;

    IColonyAnalyserHost* m_host = nullptr;
    AppSettingsData m_appSettings;
    ColonySettingsData m_settings;
    Halcon::Hobject m_picture;
    Halcon::Hobject m_grayPicture;
    Halcon::Hobject m_preparedPicture;
    Halcon::Hobject m_colorPicture;
    Halcon::Hobject m_red;
    Halcon::Hobject m_green;
    Halcon::Hobject m_blue;
    Halcon::Hobject m_hue;
    Halcon::Hobject m_saturation;
    Halcon::Hobject m_intensity;
    Halcon::Hobject m_hueRegion;
    Halcon::Hobject m_saturationRegion;
    Halcon::Hobject m_intensityRegion;
    std::atomic<qint32> m_width{0};
    std::atomic<qint32> m_height{0};
    qint32 m_containerIndex = 0;
    qint32 m_containerNumber = 0;
    Halcon::Hobject m_searchArea;
    ReferencePointSearch m_referencePointSearch;
    // The search as the analyses of every thread read it.
    ReferencePointSearchCoordinates m_plateCoordinates{&m_referencePointSearch};
    // Before the analyses that hand it what they no longer need: it outlives them.
    DeferredRelease m_release;
    ColonyMarginAnalysis m_marginAnalysis;
    ColonyPropertiesAnalysis m_propertiesAnalysis;
    mutable QMutex m_timesMutex;
    StepTimes m_times;
    // Last: its threads read the members above, and it ends them first.
    ParallelContainerAnalysis m_parallel{this};
};
