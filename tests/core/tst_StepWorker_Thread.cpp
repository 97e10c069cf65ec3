// The step worker: a job runs every step once, a stop ends it after the step that is running
// and goes through the finish step, a stop that times out leaves its request only until the
// next start, and the end of the worker skips the finish step.

#include "Automation_Call.h"
#include "StepWorker_Thread.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QSemaphore>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

constexpr int kTimeoutMs = 120000;

// What the worker did, in order: step numbers, "text:..." and "quit".
class Record {
public:
    void add(const QString& entry)
    {
        QMutexLocker lock(&m_mutex);
        m_entries.append(entry);
    }
    QStringList entries() const
    {
        QMutexLocker lock(&m_mutex);
        return m_entries;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_entries;
};

// A job of three steps: start (1), work (2), finish (3), then idle. One state can be held
// in a latch until the test opens it; a stop-aware hold also lets go when a stop is asked.
class LatchWorker : public StepWorker_Thread {
public:
    enum { StateStart = 1, StateWork = 2, StateFinish = 3 };

    explicit LatchWorker(Record& record, bool startThread = true)
        : StepWorker_Thread(StateFinish)
        , m_record(record)
    {
        if (startThread)
            start();
    }
    ~LatchWorker() override { endThread(); }

    // Idle worker only, like the hand-over of a real job.
    void hold(qint32 state, bool stopAware)
    {
        m_held.store(state);
        m_stopAware.store(stopAware);
    }
    void begin(qint32 state = StateStart) { startRun(state); }
    Errors::Type_Error error() const { return runError(); }

    QSemaphore reached;
    QSemaphore open;
    QSemaphore finished;

protected:
    qint32 step(qint32 state) override
    {
        m_record.add(QString::number(state));
        if (state == m_held.load())
            wait();
        switch (state) {
        case StateStart:
            return StateWork;
        case StateWork:
            return StateFinish;
        case StateFinish:
            if (runError() == 0)
                setStateText(QStringLiteral("Done!"));
            finished.release(1);
            return StateIdle;
        default:
            return failWith(3);
        }
    }
    void setStateText(const QString& text) override { m_record.add(QStringLiteral("text:") + text); }
    void quitting() override { m_record.add(QStringLiteral("quit")); }

private:
    void wait()
    {
        reached.release(1);
        QElapsedTimer timer;
        timer.start();
        while (!open.tryAcquire(1, 5) && timer.elapsed() < kTimeoutMs) {
            if ((m_stopAware.load() && stopRequested()) || isInterruptionRequested())
                break;
        }
    }

    Record& m_record;
    std::atomic<qint32> m_held{StepWorker_Thread::StateIdle};
    std::atomic<bool> m_stopAware{false};
};

QString errorStatus(Errors::Type_Error code)
{
    return QStringLiteral("text:") + Errors::getErrorText(code) + QLatin1Char('!');
}

const QStringList kWholeJob{"1", "2", "3", "text:Done!"};

bool waitFinished(LatchWorker& worker)
{
    if (!worker.finished.tryAcquire(1, kTimeoutMs))
        return false;
    QElapsedTimer timer;
    timer.start();
    while (!worker.isIdle()) {
        if (timer.elapsed() > kTimeoutMs)
            return false;
        QThread::yieldCurrentThread();
    }
    return true;
}

} // namespace

class tst_StepWorker_Thread : public QObject {
    Q_OBJECT
private slots:
    void jobs_data();
    void jobs();
    void stopWhileIdle();
    void stopEndsTheRunAfterItsStep_data();
    void stopEndsTheRunAfterItsStep();
    void secondStopWhileTheFirstWaits();
    void stopForACallWaitsWithoutALoop();
    void restartRunsToTheEnd_data();
    void restartRunsToTheEnd();
    void endDuringARunSkipsTheFinish();
    void endOfAWorkerThatNeverStarted();
};

void tst_StepWorker_Thread::jobs_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("error");
    QTest::newRow("every step once") << 1 << kWholeJob << 0;
    QTest::newRow("unknown state fails to the finish")
        << 99 << QStringList{"99", errorStatus(3), "3"} << 3;
}

void tst_StepWorker_Thread::jobs()
{
    QFETCH(int, first);
    QFETCH(QStringList, expected);
    QFETCH(int, error);
    Record record;
    LatchWorker worker(record);
    worker.begin(first);
    QVERIFY(waitFinished(worker));
    QCOMPARE(record.entries(), expected);
    QCOMPARE(worker.error(), Errors::Type_Error(error));
}

void tst_StepWorker_Thread::stopWhileIdle()
{
    Record record;
    LatchWorker worker(record);
    QCOMPARE(worker.Stop(), Errors::Type_Error(0));
    QVERIFY(!worker.stopRequested());
    worker.begin();
    QVERIFY(waitFinished(worker));
    QCOMPARE(record.entries(), kWholeJob);
}

void tst_StepWorker_Thread::stopEndsTheRunAfterItsStep_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("held");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("error");
    QTest::newRow("start") << 1 << 1 << QStringList{"1", errorStatus(100), "3"} << 100;
    QTest::newRow("work") << 1 << 2 << QStringList{"1", "2", errorStatus(100), "3"} << 100;
    // A run that is already finishing ends as it would have: the stop finds it done.
    QTest::newRow("finish") << 1 << 3 << kWholeJob << 0;
    // A step that failed on its own keeps its code: the stop does not make it an abort.
    QTest::newRow("failing step") << 7 << 7 << QStringList{"7", errorStatus(3), "3"} << 3;
}

void tst_StepWorker_Thread::stopEndsTheRunAfterItsStep()
{
    QFETCH(int, first);
    QFETCH(int, held);
    QFETCH(QStringList, expected);
    QFETCH(int, error);
    Record record;
    LatchWorker worker(record);
    worker.hold(held, true);
    worker.begin(first);
    QVERIFY(worker.reached.tryAcquire(1, kTimeoutMs));

    QCOMPARE(worker.Stop(), Errors::Type_Error(0));
    QVERIFY(worker.isIdle());
    QVERIFY(!worker.stopRequested());
    QCOMPARE(record.entries(), expected);
    QCOMPARE(worker.error(), Errors::Type_Error(error));
}

void tst_StepWorker_Thread::secondStopWhileTheFirstWaits()
{
    Record record;
    LatchWorker worker(record);
    worker.hold(LatchWorker::StateWork, false);
    worker.begin();
    QVERIFY(worker.reached.tryAcquire(1, kTimeoutMs));
    // Runs inside the first stop's wait, while the worker is still held.
    Errors::Type_Error second = -1;
    QTimer::singleShot(0, this, [&] {
        second = worker.Stop();
        worker.open.release(1);
    });
    QCOMPARE(worker.Stop(), Errors::Type_Error(0));
    QCOMPARE(second, StepWorker_Thread::ErrorAborted);
    QCOMPARE(worker.error(), StepWorker_Thread::ErrorAborted);
    QVERIFY(!worker.stopRequested());
}

void tst_StepWorker_Thread::stopForACallWaitsWithoutALoop()
{
    Record record;
    LatchWorker worker(record);
    worker.hold(LatchWorker::StateWork, false);
    worker.begin();
    QVERIFY(worker.reached.tryAcquire(1, kTimeoutMs));
    const int owner = 0;
    const std::shared_ptr<Automation_Call> call = Automation_Call::create(&owner);
    int finished = -1;
    call->setFinished([&finished](int code) { finished = code; });
    // The stop is asked at once and its wait handed to the call: the answer comes later.
    QCOMPARE(int(worker.Stop(call.get())), Automation_Call::Pending);
    QVERIFY(worker.stopRequested());
    // Of two stops only the first waits, also when the first waits for a call.
    QCOMPARE(worker.Stop(), StepWorker_Thread::ErrorAborted);
    worker.open.release(1);
    QTRY_COMPARE_WITH_TIMEOUT(finished, 0, kTimeoutMs);
    QVERIFY(worker.isIdle());
    QVERIFY(!worker.stopRequested());
    QCOMPARE(worker.error(), StepWorker_Thread::ErrorAborted);
}

void tst_StepWorker_Thread::restartRunsToTheEnd_data()
{
    QTest::addColumn<bool>("stop");
    QTest::addColumn<bool>("timeOut");
    QTest::addColumn<int>("again");
    QTest::newRow("after a finished run") << false << false << 1;
    QTest::newRow("after a stop") << true << false << 1;
    QTest::newRow("after a stop that timed out") << true << true << 1;
    QTest::newRow("midway after a stop that timed out") << true << true << 2;
}

void tst_StepWorker_Thread::restartRunsToTheEnd()
{
    QFETCH(bool, stop);
    QFETCH(bool, timeOut);
    QFETCH(int, again);
    Record record;
    LatchWorker worker(record);
    worker.hold(LatchWorker::StateWork, !timeOut);
    if (timeOut)
        worker.setStopTimeout(50);
    worker.begin();
    QVERIFY(worker.reached.tryAcquire(1, kTimeoutMs));
    if (!stop) {
        worker.open.release(1);
    } else if (!timeOut) {
        QCOMPARE(worker.Stop(), Errors::Type_Error(0));
    } else {
        QCOMPARE(worker.Stop(), StepWorker_Thread::ErrorInProgress);
        // The request stays: the next stop sees it, and the run still ends aborted.
        QVERIFY(worker.stopRequested());
        QCOMPARE(worker.Stop(), StepWorker_Thread::ErrorAborted);
        worker.open.release(1);
    }
    QVERIFY(waitFinished(worker));
    QCOMPARE(worker.error(), stop ? StepWorker_Thread::ErrorAborted : Errors::Type_Error(0));

    worker.hold(StepWorker_Thread::StateIdle, false);
    const qsizetype firstRun = record.entries().size();
    worker.begin(again);
    QVERIFY(waitFinished(worker));
    QCOMPARE(record.entries().mid(firstRun), kWholeJob.mid(again - 1));
    QCOMPARE(worker.error(), Errors::Type_Error(0));
    QVERIFY(!worker.stopRequested());
}

void tst_StepWorker_Thread::endDuringARunSkipsTheFinish()
{
    Record record;
    auto worker = std::make_unique<LatchWorker>(record);
    worker->hold(LatchWorker::StateWork, false);
    worker->begin();
    QVERIFY(worker->reached.tryAcquire(1, kTimeoutMs));
    worker.reset();
    QCOMPARE(record.entries(), (QStringList{"1", "2", "quit"}));
}

void tst_StepWorker_Thread::endOfAWorkerThatNeverStarted()
{
    Record record;
    {
        LatchWorker worker(record, false);
    }
    QVERIFY(record.entries().isEmpty());
}

QTEST_GUILESS_MAIN(tst_StepWorker_Thread)
#include "tst_StepWorker_Thread.moc"
