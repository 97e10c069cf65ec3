#include "Automation_Call.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <mutex>
#include <vector>

namespace {

// GUI thread only, so without a lock.
Automation_Call* g_current = nullptr;
// The calls that wait: they live on here after their method returned.
std::vector<std::shared_ptr<Automation_Call>> g_waiting;

// Apart from the global pool, which the vision operators fill with their own parts: work that
// waits for those must not take a thread they need.
QThreadPool& workPool()
{
    static QThreadPool pool;
    static const bool sized = [] {
        pool.setMaxThreadCount(2);
        return true;
    }();
    Q_UNUSED(sized);
    return pool;
}

// The work travels to the pool through a queue of our own: the pool's queue hands a job over
// under a lock inside Qt, which the thread checker cannot see.
std::mutex g_jobsMutex;
std::deque<std::function<void()>> g_jobs;

void startElsewhere(std::function<void()> job)
{
    {
        const std::lock_guard<std::mutex> lock(g_jobsMutex);
        g_jobs.push_back(std::move(job));
    }
    // One runner per job; each takes the oldest job left.
    workPool().start([] {
        std::function<void()> next;
        {
            const std::lock_guard<std::mutex> lock(g_jobsMutex);
            next = std::move(g_jobs.front());
            g_jobs.pop_front();
        }
        next();
    });
}

} // namespace

std::shared_ptr<Automation_Call> Automation_Call::create(const void* owner)
{
    return std::shared_ptr<Automation_Call>(new Automation_Call(owner));
}

Automation_Call::Automation_Call(const void* owner)
    : m_owner(owner)
{
}

Automation_Call::~Automation_Call() = default;

Automation_Call* Automation_Call::current()
{
    return g_current;
}

Automation_Call::Scope::Scope(Automation_Call* call)
    : m_previous(g_current)
{
    g_current = call;
}

Automation_Call::Scope::~Scope()
{
    g_current = m_previous;
}

int Automation_Call::then(Automation_Call* call, int code, Next next)
{
    if (code != Pending || !call)
        return next(code);
    call->m_rest.push_back(std::move(next));
    return Pending;
}

quint64 Automation_Call::beginWait(Next next, std::function<void()> cancel)
{
    // The wait is the innermost part: the callers queue theirs behind it as they return.
    m_rest.push_front(std::move(next));
    m_cancel = std::move(cancel);
    m_waiting = true;
    const std::shared_ptr<Automation_Call> self = shared_from_this();
    if (std::find(g_waiting.begin(), g_waiting.end(), self) == g_waiting.end())
        g_waiting.push_back(self);
    return ++m_wait;
}

Automation_Call::Resume Automation_Call::resumer(quint64 wait)
{
    const std::weak_ptr<Automation_Call> weak = weak_from_this();
    return [weak, wait](int code) {
        // Always through the event loop: a wait may end inside a frame that must not run the
        // call's rest (a release, a worker thread).
        QCoreApplication* application = QCoreApplication::instance();
        if (!application)
            return;
        QMetaObject::invokeMethod(
            application,
            [weak, wait, code] {
                if (const std::shared_ptr<Automation_Call> call = weak.lock())
                    call->resume(wait, code);
            },
            Qt::QueuedConnection);
    };
}

int Automation_Call::suspend(Next next, const std::function<void(Resume resume)>& start, std::function<void()> cancel)
{
    const quint64 wait = beginWait(std::move(next), std::move(cancel));
    start(resumer(wait));
    return Pending;
}

int Automation_Call::waitUntil(std::function<bool()> done, int timeoutMs, int stepMs, Next next)
{
    if (done())
        return next(1);
    const quint64 wait = beginWait(std::move(next), {});
    if (!m_timer)
        m_timer = std::make_unique<QTimer>();
    QObject::disconnect(m_timerConnection);
    const QDeadlineTimer deadline(qint64(std::max(0, timeoutMs)), Qt::PreciseTimer);
    m_timerConnection = QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this, wait, done, deadline] {
        if (done())
            resume(wait, 1);
        else if (deadline.hasExpired())
            resume(wait, 0);
    });
    m_timer->start(std::max(1, stepMs));
    return Pending;
}

int Automation_Call::runElsewhere(std::function<int()> work, Next next)
{
    const Resume resume = resumer(beginWait(std::move(next), {}));
    startElsewhere([work = std::move(work), resume] { resume(work()); });
    return Pending;
}

int Automation_Call::runForCall(Automation_Call* call, std::function<int()> work)
{
    if (!call)
        return work();
    return call->runElsewhere(std::move(work), [](int code) { return code; });
}

void Automation_Call::stopWaiting()
{
    m_waiting = false;
    m_cancel = nullptr;
    if (m_timer)
        m_timer->stop();
}

void Automation_Call::resume(quint64 wait, int code)
{
    if (!m_waiting || wait != m_wait)
        return;
    stopWaiting();
    // The call may be ended by what its rest does; it stays until that returns.
    const std::shared_ptr<Automation_Call> self = shared_from_this();
    if (m_frame)
        m_frame([this, code] { runRest(code); });
    else
        runRest(code);
}

void Automation_Call::runRest(int code)
{
    const Scope scope(this);
    while (!m_rest.empty()) {
        std::deque<Next> outer = std::exchange(m_rest, {});
        const Next part = std::move(outer.front());
        outer.pop_front();
        code = part(code);
        // A part that waits again queued its own rest; the outer parts follow that.
        for (Next& later : outer)
            m_rest.push_back(std::move(later));
        if (code == Pending)
            return;
    }
    g_waiting.erase(std::remove(g_waiting.begin(), g_waiting.end(), shared_from_this()), g_waiting.end());
    if (const std::function<void(int)> finished = std::exchange(m_finished, nullptr))
        finished(code);
}

void Automation_Call::ownerGone(const void* owner)
{
    for (const std::shared_ptr<Automation_Call>& call : g_waiting) {
        if (call->m_owner == owner)
            call->m_ownerGone = true;
    }
}

void Automation_Call::endAll()
{
    const std::vector<std::shared_ptr<Automation_Call>> calls = std::exchange(g_waiting, {});
    for (const std::shared_ptr<Automation_Call>& call : calls) {
        const std::function<void()> cancel = call->m_cancel;
        call->stopWaiting();
        call->m_rest.clear();
        call->m_finished = nullptr;
        if (cancel)
            cancel();
    }
    workPool().waitForDone();
}

int Automation_Call::waitingCount()
{
    return int(g_waiting.size());
}
