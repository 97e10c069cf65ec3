#include "DeferredRelease.h"

DeferredRelease::DeferredRelease() : m_thread([this] { run(); }) {}

DeferredRelease::~DeferredRelease()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void DeferredRelease::drain()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_freeing; });
}

void DeferredRelease::push(std::unique_ptr<Item> item)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_queue.size() < kMaxQueued) {
            m_queue.push_back(std::move(item));
            m_wake.notify_one();
            return;
        }
    }
    item.reset();
}

void DeferredRelease::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty())
            return;
        std::unique_ptr<Item> item = std::move(m_queue.front());
        m_queue.pop_front();
        m_freeing = true;
        lock.unlock();
        item.reset();
        lock.lock();
        m_freeing = false;
        if (m_queue.empty())
            m_idle.notify_all();
    }
}
