#include "StepWorker_Thread.h"

#include "Gui_Helper.h"

StepWorker_Thread::StepWorker_Thread(qint32 finishState, QObject* parent)
    : QThread(parent)
    , m_finishState(finishState)
{
}

StepWorker_Thread::~StepWorker_Thread()
{
    endThread();
}

void StepWorker_Thread::endThread()
{
    m_quit.store(true);
    requestInterruption();
    m_wake.release(1);
    // No processEvents here: the owner is usually being destroyed, and turning its event loop
    // would hand it the queued reports of the step still running. The worker never waits for
    // the owner's thread, so it ends after that step on its own.
    while (!wait(100)) {
    }
    // A thread that never started has nothing to order.
    if (isFinished()) {
        while (!m_ended.load(std::memory_order_acquire))
            QThread::yieldCurrentThread();
    }
}

void StepWorker_Thread::startRun(qint32 state)
{
    m_error.store(0);
    m_stop.store(false);
    m_state.store(state);
    m_wake.release(1);
}

Errors::Type_Error StepWorker_Thread::Stop(Automation_Call* call)
{
    if (m_state.load() == StateIdle)
        return 0;
    // Test and set in one: of two stops only the first waits.
    if (m_stop.exchange(true))
        return ErrorAborted;
    return Errors::Type_Error(Gui_Helper::waitThen(
        call, [this] { return m_state.load() == StateIdle; }, m_stopTimeoutMs.load(), 20, [this](bool idle) -> int {
            if (!idle)
                return ErrorInProgress;
            m_stop.store(false);
            return 0;
        }));
}

qint32 StepWorker_Thread::failWith(Errors::Type_Error code)
{
    m_error.store(code);
    setStateText(tr("%1!").arg(Errors::getErrorText(code)));
    return m_finishState;
}

void StepWorker_Thread::run()
{
    for (;;) {
        const qint32 state = m_state.load();
        if (state == StateIdle)
            m_wake.acquire(1); // the waking operation set the state
        else
            m_state.store(step(state));

        if (m_stop.load() && m_state.load() != StateIdle) {
            // A step that failed on its own keeps its code.
            if (m_error.load() == 0)
                failWith(ErrorAborted);
            m_state.store(m_finishState);
        }
        if (m_quit.load()) {
            quitting();
            m_ended.store(true, std::memory_order_release);
            return;
        }
    }
}
