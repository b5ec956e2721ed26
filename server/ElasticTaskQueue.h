#pragma once

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace ngc {

// The HTTP server's worker pool. Every keep-alive connection occupies a worker for as long as it
// stays open, and every open screen keeps one, so a fixed small pool lets idle screens starve a
// new client. This pool starts a worker whenever a connection would otherwise wait, up to a
// ceiling, and keeps it for the next one.
class ElasticTaskQueue final : public httplib::TaskQueue {
public:
    explicit ElasticTaskQueue(std::size_t maxThreads);
    ~ElasticTaskQueue() override;
    ElasticTaskQueue(const ElasticTaskQueue &) = delete;
    ElasticTaskQueue &operator=(const ElasticTaskQueue &) = delete;

    void enqueue(std::function<void()> job) override;
    // Runs the queued jobs to their end, then joins every worker.
    void shutdown() override;

private:
    void work();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    std::vector<std::thread> m_threads;
    std::size_t m_idle = 0;
    std::size_t m_maxThreads;
    bool m_stopping = false;
};

} // namespace ngc
