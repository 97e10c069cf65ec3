#pragma once

#include "Errors.h"

#include <QSemaphore>
#include <QString>
#include <QThread>

#include <atomic>

class Automation_Call;

// A worker that runs its jobs as a step state machine on a thread of its own: one step per
// pass of its loop, a stop request and a quit request tested after every step. One owner
// thread (the GUI thread) calls its operations and hands a job over while the worker is idle:
// the inputs first, then startRun (the state, then the wake-up); the worker reads the inputs
// only between leaving the idle state and returning to it. State, error and flags are atomics.
//
// A derived worker starts the thread at the end of its constructor and calls endThread first
// thing in its destructor: the steps are its own and must not run while it goes.
class StepWorker_Thread : public QThread {
    Q_OBJECT
public:
    static constexpr qint32 StateIdle = 0;
    static constexpr Errors::Type_Error ErrorAborted = 100;
    static constexpr Errors::Type_Error ErrorInProgress = 101;
    // Generous bound of Stop for a worker that does not come back to idle.
    static constexpr int DefaultStopTimeoutMs = 60000;

    StepWorker_Thread(const StepWorker_Thread&) = delete;
    StepWorker_Thread& operator=(const StepWorker_Thread&) = delete;

    // Owner thread. Waits, keeping the GUI responsive, until the worker is idle: 0 (at once
    // when idle); 100 when another stop is waiting; 101 when the worker did not stop within
    // the stop time-out (the request stays, so the run still ends after its current step).
    // With a call the wait is part of it (Automation_Call) and the answer Pending until then.
    Errors::Type_Error Stop(Automation_Call* call = nullptr);

    qint32 state() const { return m_state.load(); }
    bool isIdle() const { return m_state.load() == StateIdle; }
    // True from a stop's request until the run it stopped has ended.
    bool stopRequested() const { return m_stop.load(); }
    void setStopTimeout(int milliseconds) { m_stopTimeoutMs.store(milliseconds); }

protected:
    // finishState is where a stopped run goes on; its step must lead back to idle.
    explicit StepWorker_Thread(qint32 finishState, QObject* parent = nullptr);
    ~StepWorker_Thread() override;

    // Owner thread, worker idle, inputs set: forgets the last run's error and any request a
    // stop that timed out left behind (it belonged to the run that has ended), then wakes the
    // worker in state.
    void startRun(qint32 state);
    // Ends the thread after the step that is running, without a finish step. The owner's
    // event loop is not turned meanwhile, so no queued report reaches an owner that is going;
    // steps that wait long may watch isInterruptionRequested. Safe to call twice.
    void endThread();

    // Worker thread: runs one step of a job and returns the next state.
    virtual qint32 step(qint32 state) = 0;
    // Worker thread: the job's status text for the owner.
    virtual void setStateText(const QString& text) = 0;
    // Worker thread: the last act before the loop ends for good.
    virtual void quitting() {}

    // error := code, status "%1!" with the code's text; returns the finish state.
    qint32 failWith(Errors::Type_Error code);
    Errors::Type_Error runError() const { return m_error.load(); }
    void setRunError(Errors::Type_Error code) { m_error.store(code); }

private:
    void run() final;

    const qint32 m_finishState;
    QSemaphore m_wake;
    std::atomic<qint32> m_state{StateIdle};
    std::atomic<Errors::Type_Error> m_error{0};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_quit{false};
    // Set by run as its last act: the acquire of it in endThread orders everything the thread
    // did before the members go (also for checkers that cannot see inside QThread::wait).
    std::atomic<bool> m_ended{false};
    std::atomic<int> m_stopTimeoutMs{DefaultStopTimeoutMs};
};
