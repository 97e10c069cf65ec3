#include "Automation_Call.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

#include <memory>

// The rest of a call runs after its method returned, in the order the parts were handed over,
// once its own wait ends: never inside another call's wait.
class tst_Automation_Call : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void withoutCallEveryPartRunsAtOnce();
    void restRunsInnerPartFirstWhenTheWaitEnds();
    void partThatWaitsAgainKeepsTheOuterPartsBehindIt();
    void waitEndsWithItsOwnTimeOutWhateverOthersDo();
    void resumeCountsOnceAndOnlyForItsOwnWait();
    void workElsewhereAnswersOnThisThread();
    void workForACallRunsElsewhereOnlyWithOne();
    void frameSurroundsEveryLaterPart();
    void endAllCancelsAndDropsTheRest();
    void ownerGoneMarksOnlyThatOwnersCalls();
};

namespace {

// A call that waits for a flag the test sets; its finished code lands in finished.
struct WaitingCall {
    std::shared_ptr<Automation_Call> call;
    std::shared_ptr<bool> ready = std::make_shared<bool>(false);
    int finished = 0;

    WaitingCall()
    {
        call = Automation_Call::create(this);
        call->setFinished([this](int code) { finished = code; });
    }
};

} // namespace

void tst_Automation_Call::cleanup()
{
    Automation_Call::endAll();
    QCOMPARE(Automation_Call::waitingCount(), 0);
}

void tst_Automation_Call::withoutCallEveryPartRunsAtOnce()
{
    QStringList order;
    const int code = Automation_Call::then(nullptr, 5, [&order](int code) {
        order << QStringLiteral("next %1").arg(code);
        return code + 1;
    });
    QCOMPARE(code, 6);
    QCOMPARE(order, QStringList{QStringLiteral("next 5")});
    // A code that is not Pending goes on at once also with a call.
    const std::shared_ptr<Automation_Call> call = Automation_Call::create(this);
    QCOMPARE(Automation_Call::then(call.get(), 3, [](int code) { return code * 2; }), 6);
    QVERIFY(!call->isWaiting());
}

void tst_Automation_Call::restRunsInnerPartFirstWhenTheWaitEnds()
{
    WaitingCall waiting;
    QStringList order;
    const std::shared_ptr<bool> ready = waiting.ready;
    {
        const Automation_Call::Scope scope(waiting.call.get());
        QCOMPARE(Automation_Call::current(), waiting.call.get());
        // The innermost part waits; its caller hands its own part over behind it.
        const int inner = waiting.call->waitUntil([ready] { return *ready; }, 60000, 1, [&order](int met) {
            order << QStringLiteral("wait %1").arg(met);
            return 40;
        });
        QCOMPARE(inner, Automation_Call::Pending);
        const int outer = Automation_Call::then(waiting.call.get(), inner, [&order](int code) {
            order << QStringLiteral("outer %1").arg(code);
            return code + 2;
        });
        QCOMPARE(outer, Automation_Call::Pending);
    }
    QCOMPARE(Automation_Call::current(), nullptr);
    QVERIFY(waiting.call->isWaiting());
    QCOMPARE(Automation_Call::waitingCount(), 1);
    QVERIFY(order.isEmpty());

    *ready = true;
    QTRY_COMPARE(waiting.finished, 42);
    QCOMPARE(order, (QStringList{QStringLiteral("wait 1"), QStringLiteral("outer 40")}));
    QCOMPARE(Automation_Call::waitingCount(), 0);
}

void tst_Automation_Call::partThatWaitsAgainKeepsTheOuterPartsBehindIt()
{
    WaitingCall waiting;
    Automation_Call* call = waiting.call.get();
    QStringList order;
    const std::shared_ptr<bool> first = std::make_shared<bool>(false);
    const std::shared_ptr<bool> second = std::make_shared<bool>(false);
    {
        const Automation_Call::Scope scope(call);
        const int inner = call->waitUntil([first] { return *first; }, 60000, 1, [&order, call, second](int) {
            order << QStringLiteral("first");
            // The rest of the first wait waits again, inside the same call.
            return call->waitUntil([second] { return *second; }, 60000, 1, [&order](int) {
                order << QStringLiteral("second");
                return 1;
            });
        });
        Automation_Call::then(call, inner, [&order](int code) {
            order << QStringLiteral("outer");
            return code + 10;
        });
    }
    *first = true;
    QTRY_COMPARE(order, QStringList{QStringLiteral("first")});
    QVERIFY(call->isWaiting());
    QCOMPARE(waiting.finished, 0);
    *second = true;
    QTRY_COMPARE(waiting.finished, 11);
    QCOMPARE(order, (QStringList{QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("outer")}));
}

void tst_Automation_Call::waitEndsWithItsOwnTimeOutWhateverOthersDo()
{
    // A call begun first that waits for a long time does not hold a later one: the later ends
    // with its own time-out, the earlier when its own condition comes.
    WaitingCall earlier;
    WaitingCall later;
    QElapsedTimer clock;
    clock.start();
    qint64 laterEnded = 0;
    QCOMPARE(earlier.call->waitUntil([ready = earlier.ready] { return *ready; }, 60000, 5,
                                     [](int met) { return met ? 1 : 15; }),
             Automation_Call::Pending);
    QCOMPARE(later.call->waitUntil([] { return false; }, 100, 5,
                                   [&](int met) {
                                       laterEnded = clock.elapsed();
                                       return met ? 1 : 15;
                                   }),
             Automation_Call::Pending);
    QTRY_COMPARE(later.finished, 15);
    QVERIFY2(laterEnded >= 100, qPrintable(QString::number(laterEnded)));
    QVERIFY(earlier.call->isWaiting());
    *earlier.ready = true;
    QTRY_COMPARE(earlier.finished, 1);
}

void tst_Automation_Call::resumeCountsOnceAndOnlyForItsOwnWait()
{
    WaitingCall waiting;
    Automation_Call* call = waiting.call.get();
    Automation_Call::Resume first;
    Automation_Call::Resume second;
    int runs = 0;
    const int code = call->suspend(
        [&](int code) {
            ++runs;
            // The rest waits once more, inside the same call.
            return call->suspend([code](int again) { return again + code; },
                                 [&second](const Automation_Call::Resume& given) { second = given; });
        },
        [&first](const Automation_Call::Resume& given) { first = given; });
    QCOMPARE(code, Automation_Call::Pending);
    // Through the event loop, also when called right here; only the first counts.
    first(7);
    first(8);
    QCOMPARE(runs, 0);
    QTRY_COMPARE(runs, 1);
    QTRY_VERIFY(bool(second));
    // The first wait's resume, kept, does nothing to the second wait.
    first(9);
    QCoreApplication::processEvents();
    QCOMPARE(runs, 1);
    QVERIFY(call->isWaiting());
    second(3);
    QTRY_COMPARE(waiting.finished, 10);
}

void tst_Automation_Call::workElsewhereAnswersOnThisThread()
{
    WaitingCall waiting;
    QThread* workThread = nullptr;
    QThread* restThread = nullptr;
    const int code = waiting.call->runElsewhere(
        [&workThread] {
            workThread = QThread::currentThread();
            return 21;
        },
        [&restThread](int code) {
            restThread = QThread::currentThread();
            return code * 2;
        });
    QCOMPARE(code, Automation_Call::Pending);
    QTRY_COMPARE(waiting.finished, 42);
    QVERIFY(workThread && workThread != QThread::currentThread());
    QCOMPARE(restThread, QThread::currentThread());
}

// In-process callers keep their work in place; a client's goes to the calls' own thread and
// its code is the call's answer.
void tst_Automation_Call::workForACallRunsElsewhereOnlyWithOne()
{
    QThread* workThread = nullptr;
    const auto work = [&workThread] {
        workThread = QThread::currentThread();
        return 7;
    };
    QCOMPARE(Automation_Call::runForCall(nullptr, work), 7);
    QCOMPARE(workThread, QThread::currentThread());

    workThread = nullptr;
    WaitingCall waiting;
    QCOMPARE(Automation_Call::runForCall(waiting.call.get(), work), Automation_Call::Pending);
    QTRY_COMPARE(waiting.finished, 7);
    QVERIFY(workThread && workThread != QThread::currentThread());
}

void tst_Automation_Call::frameSurroundsEveryLaterPart()
{
    WaitingCall waiting;
    int depth = 0;
    int depthInPart = -1;
    Automation_Call* currentInPart = nullptr;
    waiting.call->setFrame([&depth](const std::function<void()>& part) {
        ++depth;
        part();
        --depth;
    });
    waiting.call->waitUntil([ready = waiting.ready] { return *ready; }, 60000, 1, [&](int) {
        depthInPart = depth;
        currentInPart = Automation_Call::current();
        return 0;
    });
    *waiting.ready = true;
    QTRY_COMPARE(depthInPart, 1);
    QCOMPARE(currentInPart, waiting.call.get());
    QCOMPARE(depth, 0);
}

void tst_Automation_Call::endAllCancelsAndDropsTheRest()
{
    WaitingCall waiting;
    waiting.finished = -1;
    bool cancelled = false;
    bool restRan = false;
    Automation_Call::Resume resume;
    waiting.call->suspend(
        [&restRan](int code) {
            restRan = true;
            return code;
        },
        [&resume](const Automation_Call::Resume& given) { resume = given; }, [&cancelled] { cancelled = true; });
    Automation_Call::endAll();
    QVERIFY(cancelled);
    QVERIFY(!waiting.call->isWaiting());
    QCOMPARE(Automation_Call::waitingCount(), 0);
    // What the cancel set off comes too late: the call has no rest and no answer any more.
    resume(1);
    QCoreApplication::processEvents();
    QVERIFY(!restRan);
    QCOMPARE(waiting.finished, -1);
}

void tst_Automation_Call::ownerGoneMarksOnlyThatOwnersCalls()
{
    int ownerA = 0;
    int ownerB = 0;
    const std::shared_ptr<Automation_Call> a = Automation_Call::create(&ownerA);
    const std::shared_ptr<Automation_Call> b = Automation_Call::create(&ownerB);
    for (const auto& call : {a, b})
        call->waitUntil([] { return false; }, 60000, 1000, [](int code) { return code; });
    Automation_Call::ownerGone(&ownerA);
    QVERIFY(a->isOwnerGone());
    QVERIFY(!b->isOwnerGone());
}

QTEST_GUILESS_MAIN(tst_Automation_Call)
#include "tst_Automation_Call.moc"
