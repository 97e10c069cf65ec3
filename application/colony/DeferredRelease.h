#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>

// Frees what an analysis no longer needs on a thread of its own. The contours of a dense dish
// were made on the operator threads, and freeing tens of thousands of them one after the other
// took milliseconds in which every other thread waited for the next step. Objects handed over
// must not be used by anyone else afterwards except through shared, thread-safe ownership.
class DeferredRelease {
public:
    DeferredRelease();
    // Frees everything still queued before it returns.
    ~DeferredRelease();

    DeferredRelease(const DeferredRelease&) = delete;
    DeferredRelease& operator=(const DeferredRelease&) = delete;

    // Takes `object` over and frees it later; with too much still queued it is freed here,
    // so a producer faster than the freeing thread never makes the queue grow without end.
    template <typename T>
    void release(T&& object)
    {
        using Value = std::decay_t<T>;
        static_assert(!std::is_lvalue_reference_v<T>, "release takes the object over: pass it with std::move");
        push(std::make_unique<Holder<Value>>(std::move(object)));
    }

    // Blocks until everything handed over so far is freed.
    void drain();

    // Most objects waiting at once before release frees on the caller's thread.
    static constexpr std::size_t kMaxQueued = 64;

private:
    struct Item {
        virtual ~Item() = default;
    };
    template <typename T>
    struct Holder final : Item {
        explicit Holder(T&& v) : value(std::move(v)) {}
        T value;
    };

    void push(std::unique_ptr<Item> item);
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::unique_ptr<Item>> m_queue;
    bool m_freeing = false;
    bool m_stopping = false;
    std::thread m_thread;
};

// Hands `object` to `release`, or frees it right here without one.
template <typename T>
void releaseLater(DeferredRelease* release, T&& object)
{
    if (release)
        release->release(std::forward<T>(object));
    else
        std::decay_t<T> gone(std::move(object));
}
