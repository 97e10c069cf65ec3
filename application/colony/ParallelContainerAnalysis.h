#pragma once

#include "ColonyMarginAnalysis.h"
#include "ColonyPropertiesAnalysis.h"
#include "EngineCallRecorder.h"
#include "Errors.h"
#include "ITaskCancellation.h"

#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// Analyses the containers of one run on a pool of threads, while the worker takes them one
// after the other, in index order, and hands each one's reports to the page. Every container
// has engines of its own whose drawings, colonies and status texts an EngineCallRecorder
// keeps, so the page receives the same calls in the same order as from a run on one
// thread, only sooner.
class ParallelContainerAnalysis : public ITaskCancellation {
public:
    struct Outcome {
        Errors::Type_Error result = 0;
        double marginsMs = 0.0;
        double propertiesMs = 0.0;
    };
    // One container's engines and the recorder that stands in for the page.
    struct Engines {
        explicit Engines(IHalconView* view)
            : recorder(view)
        {
        }
        ColonyMarginAnalysis margins;
        ColonyPropertiesAnalysis properties;
        EngineCallRecorder recorder;
    };
    // Wires a container's engines (to the recorder, and to this as their cancellation).
    using Setup = std::function<void(Engines&)>;
    // Analyses one container with its engines; runs on a pool thread.
    using Work = std::function<Outcome(int containerIndex, Engines&)>;

    // runCancellation: the run's stop request, which ends the work as well.
    explicit ParallelContainerAnalysis(ITaskCancellation* runCancellation);
    ~ParallelContainerAnalysis() override;

    ParallelContainerAnalysis(const ParallelContainerAnalysis&) = delete;
    ParallelContainerAnalysis& operator=(const ParallelContainerAnalysis&) = delete;

    // Starts containers 0 .. count - 1 on up to `threads` threads (after stopping any
    // earlier work). view: the page's viewer, for picture-unit conversions.
    void start(int count, int threads, IHalconView* view, const Setup& setup, Work work);
    // Whether container containerIndex belongs to the work started last and is not finished.
    bool holds(int containerIndex) const;
    // Waits for the container, hands its kept reports to the targets and returns its
    // outcome; its engines are dropped.
    Outcome finish(int containerIndex, IHalconView* view, IColoniesCollection* colonies, IProgress* progress);
    // Drops what is not finished: work not begun is skipped, work running is cancelled;
    // returns when no pool thread works for this any more.
    void stop();

    // True once stop is called, or while the run is cancelled.
    bool isCancelled() override;

private:
    struct Job {
        explicit Job(IHalconView* view)
            : engines(view)
        {
        }
        Engines engines;
        Outcome outcome;
        bool done = false; // guarded by m_mutex
    };

    void runJob(int containerIndex);

    ITaskCancellation* m_runCancellation = nullptr;
    std::atomic<bool> m_stopped{false};
    Work m_work;
    std::vector<std::unique_ptr<Job>> m_jobs;
    // Guards the done flags; handing the jobs over through it also orders their set-up
    // before the pool threads read it.
    mutable std::mutex m_mutex;
    std::condition_variable m_doneChanged;
    QThreadPool m_pool;
};
