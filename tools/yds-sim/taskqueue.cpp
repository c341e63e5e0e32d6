#include "taskqueue.h"

#include <chrono>

namespace ydssim {

namespace {
// How long an extra thread waits for work before it ends.
constexpr auto kExtraIdle = std::chrono::seconds(10);
} // namespace

GrowingTaskQueue::GrowingTaskQueue(int base, int limit) : m_base(base), m_limit(limit)
{
    std::lock_guard lk(m);
    for (int i = 0; i < base; ++i)
        startThread();
}

GrowingTaskQueue::~GrowingTaskQueue()
{
    shutdown();
}

void GrowingTaskQueue::startThread()
{
    std::thread t([this] { work(); });
    const auto id = t.get_id();
    m_threads.emplace(id, std::move(t));
}

void GrowingTaskQueue::joinFinished()
{
    for (std::thread &t : m_finished)
        t.join(); // the thread has left work() and touches nothing of ours any more
    m_finished.clear();
}

void GrowingTaskQueue::enqueue(std::function<void()> fn)
{
    std::lock_guard lk(m);
    joinFinished();
    m_jobs.push_back(std::move(fn));
    if (int(m_jobs.size()) > m_idle && int(m_threads.size()) < m_limit)
        startThread();
    else
        m_cv.notify_one();
}

void GrowingTaskQueue::shutdown()
{
    std::map<std::thread::id, std::thread> threads;
    {
        std::lock_guard lk(m);
        m_shutdown = true;
        m_cv.notify_all();
        joinFinished();
        threads.swap(m_threads);
    }
    for (auto &[id, t] : threads)
        t.join(); // each ends once the queue is empty
}

void GrowingTaskQueue::work()
{
    std::unique_lock lk(m);
    for (;;) {
        ++m_idle;
        const bool woken =
            m_cv.wait_for(lk, kExtraIdle, [this] { return m_shutdown || !m_jobs.empty(); });
        --m_idle;
        if (m_jobs.empty()) {
            if (m_shutdown)
                return;
            if (!woken && int(m_threads.size()) > m_base) {
                auto it = m_threads.find(std::this_thread::get_id());
                m_finished.push_back(std::move(it->second));
                m_threads.erase(it);
                return;
            }
            continue;
        }
        std::function<void()> fn = std::move(m_jobs.front());
        m_jobs.pop_front();
        lk.unlock();
        fn();
        lk.lock();
    }
}

} // namespace ydssim
