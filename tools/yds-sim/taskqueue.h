#pragma once

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace ydssim {

// The HTTP server's workers. A held answer (the hang fault) keeps its worker, so a fixed pool
// would stop serving once every worker holds one: this one starts a thread whenever a job
// finds no idle worker, up to `limit`, and lets the extra threads go after a while idle.
class GrowingTaskQueue final : public httplib::TaskQueue
{
public:
    GrowingTaskQueue(int base, int limit);
    ~GrowingTaskQueue() override;

    void enqueue(std::function<void()> fn) override;
    void shutdown() override;

private:
    void work();
    void startThread();  // with m held
    void joinFinished(); // with m held

    const int m_base;
    const int m_limit;
    std::mutex m;
    std::condition_variable m_cv;
    std::deque<std::function<void()>> m_jobs;
    std::map<std::thread::id, std::thread> m_threads;
    std::vector<std::thread> m_finished; // extra threads that ended, to be joined
    int m_idle = 0;
    bool m_shutdown = false;
};

} // namespace ydssim
