#include "DeferredRelease.h"

#include <QtTest>

#include <atomic>
#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Counts its destruction and the thread it happened on; optionally waits for a gate first,
// which holds the freeing thread as long as the test needs.
struct Tracked {
    struct Log {
        std::atomic<int> freed{0};
        std::atomic<int> freedOnCaller{0};
        std::thread::id caller = std::this_thread::get_id();
    };
    Tracked(std::shared_ptr<Log> log, std::shared_future<void> gate = {})
        : m_log(std::move(log))
        , m_gate(std::move(gate))
    {
    }
    Tracked(Tracked&& other) noexcept = default;
    ~Tracked()
    {
        if (!m_log)
            return; // moved from
        if (m_gate.valid())
            m_gate.wait();
        if (std::this_thread::get_id() == m_log->caller)
            ++m_log->freedOnCaller;
        ++m_log->freed;
    }
    std::shared_ptr<Log> m_log;
    std::shared_future<void> m_gate;
};

// Holds a gated object's destruction until opened.
struct Gate {
    std::promise<void> opener;
    std::shared_future<void> held = opener.get_future().share();
    void open() { opener.set_value(); }
};

} // namespace

class tst_DeferredRelease : public QObject {
    Q_OBJECT

private slots:
    void freesOnItsOwnThread()
    {
        auto log = std::make_shared<Tracked::Log>();
        DeferredRelease release;
        std::vector<Tracked> list;
        for (int i = 0; i < 100; ++i)
            list.emplace_back(log);
        release.release(std::move(list));
        release.release(Tracked(log));
        release.drain();
        QCOMPARE(log->freed.load(), 101);
        QCOMPARE(log->freedOnCaller.load(), 0);
    }

    // What is still queued when the owner goes is freed before its destructor returns.
    void destructionFreesWhatIsQueued()
    {
        auto log = std::make_shared<Tracked::Log>();
        Gate gate;
        {
            DeferredRelease release;
            release.release(Tracked(log, gate.held));
            for (int i = 0; i < 10; ++i)
                release.release(Tracked(log));
            gate.open();
        }
        QCOMPARE(log->freed.load(), 11);
    }

    // A freeing thread that cannot keep up never makes the queue grow past its bound: what
    // does not fit is freed by the caller at once.
    void fullQueueFreesOnTheCaller()
    {
        auto log = std::make_shared<Tracked::Log>();
        DeferredRelease release;
        // After the release, so that a failing check ends the gate (a broken promise lets the
        // held object go) before the release waits for its thread.
        Gate gate;
        release.release(Tracked(log, gate.held));
        // The gated object may still be queued or already being freed; either way at most
        // kMaxQueued further objects are waiting after these.
        for (std::size_t i = 0; i < DeferredRelease::kMaxQueued + 1; ++i)
            release.release(Tracked(log));
        QVERIFY(log->freedOnCaller.load() >= 1);
        const int onCaller = log->freedOnCaller.load();
        QCOMPARE(log->freed.load(), onCaller);
        gate.open();
        release.drain();
        QCOMPARE(log->freed.load(), int(DeferredRelease::kMaxQueued) + 2);
        QCOMPARE(log->freedOnCaller.load(), onCaller);
    }

    void withoutOneFreesAtOnce()
    {
        auto log = std::make_shared<Tracked::Log>();
        releaseLater(nullptr, Tracked(log));
        QCOMPARE(log->freed.load(), 1);
        QCOMPARE(log->freedOnCaller.load(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_DeferredRelease)
#include "tst_DeferredRelease.moc"
