#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ngc {

// The threads that run the dispatcher's blocking work (the database), off the event loop that
// serves the sockets. At most `maxThreads` of them, started as they are first needed; the one
// idle for the shortest time takes the next job, so a light load keeps using a few threads, each
// with its database connection and prepared statements warm, and a heavy one never opens more
// connections than there are threads.
class WorkerPool final {
public:
    explicit WorkerPool(std::size_t maxThreads);
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    // Jobs past the ones that have threads wait in order of arrival.
    void post(std::function<void()> job);
    // Lets the running jobs finish, drops the waiting ones and joins every thread; later jobs are
    // dropped too.
    void shutdown();

private:
    struct Worker {
        std::condition_variable wake;
        std::function<void()> job;
        std::thread thread;
    };
    void work(Worker &self);

    std::mutex m_mutex;
    std::vector<std::unique_ptr<Worker>> m_workers;
    std::vector<Worker *> m_idle; // the last one went idle last
    std::deque<std::function<void()>> m_waiting;
    std::size_t m_maxThreads;
    bool m_stopping = false;
};

} // namespace ngc
