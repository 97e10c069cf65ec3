#include "ParallelContainerAnalysis.h"

#include <HalconSystemOps.h>

#include <algorithm>
#include <utility>

ParallelContainerAnalysis::ParallelContainerAnalysis(ITaskCancellation* runCancellation)
    : m_runCancellation(runCancellation)
{
}

ParallelContainerAnalysis::~ParallelContainerAnalysis()
{
    stop();
}

void ParallelContainerAnalysis::start(int count, int threads, IHalconView* view, const Setup& setup, Work work)
{
    stop();
    m_stopped.store(false);
    m_work = std::move(work);
    {
        std::lock_guard lock(m_mutex);
        m_jobs.clear();
        for (int i = 0; i < count; ++i) {
            m_jobs.push_back(std::make_unique<Job>(view));
            setup(m_jobs.back()->engines);
        }
    }
    m_pool.setMaxThreadCount(std::max(1, std::min(threads, count)));
    for (int i = 0; i < count; ++i)
        m_pool.start([this, i] { runJob(i); });
}

void ParallelContainerAnalysis::runJob(int containerIndex)
{
    Job* job = nullptr;
    {
        std::lock_guard lock(m_mutex);
        job = m_jobs[size_t(containerIndex)].get();
    }
    // The containers are the parallel work: operators inside one stay on its thread.
    Halcon::set_system("tsp_thread_num", 1);
    Outcome outcome;
    if (!m_stopped.load())
        outcome = m_work(containerIndex, job->engines);
    std::lock_guard lock(m_mutex);
    job->outcome = outcome;
    job->done = true;
    m_doneChanged.notify_all();
}

bool ParallelContainerAnalysis::holds(int containerIndex) const
{
    std::lock_guard lock(m_mutex);
    return containerIndex >= 0 && size_t(containerIndex) < m_jobs.size() && m_jobs[size_t(containerIndex)];
}

ParallelContainerAnalysis::Outcome ParallelContainerAnalysis::finish(int containerIndex, IHalconView* view,
                                                                     IColoniesCollection* colonies,
                                                                     IProgress* progress)
{
    std::unique_ptr<Job> job;
    {
        std::unique_lock lock(m_mutex);
        if (containerIndex < 0 || size_t(containerIndex) >= m_jobs.size() || !m_jobs[size_t(containerIndex)])
            return {};
        Job& held = *m_jobs[size_t(containerIndex)];
        m_doneChanged.wait(lock, [&held] { return held.done; });
        job = std::move(m_jobs[size_t(containerIndex)]);
    }
    job->engines.recorder.replay(view, colonies, progress);
    return job->outcome;
}

void ParallelContainerAnalysis::stop()
{
    m_stopped.store(true);
    std::unique_lock lock(m_mutex);
    for (const std::unique_ptr<Job>& job : m_jobs) {
        if (job)
            m_doneChanged.wait(lock, [&job] { return job->done; });
    }
    m_jobs.clear();
}

bool ParallelContainerAnalysis::isCancelled()
{
    return m_stopped.load() || (m_runCancellation && m_runCancellation->isCancelled());
}
