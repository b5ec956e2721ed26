#include "WorkerPool.h"

namespace ngc {

WorkerPool::WorkerPool(std::size_t maxThreads) : m_maxThreads(maxThreads ? maxThreads : 1) {}

WorkerPool::~WorkerPool()
{
    shutdown();
}

void WorkerPool::post(std::function<void()> job)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_stopping)
        return;
    if (!m_idle.empty()) {
        Worker *worker = m_idle.back();
        m_idle.pop_back();
        worker->job = std::move(job);
        worker->wake.notify_one();
    } else if (m_workers.size() < m_maxThreads) {
        auto worker = std::make_unique<Worker>();
        worker->job = std::move(job);
        Worker &self = *worker;
        m_workers.push_back(std::move(worker));
        self.thread = std::thread([this, &self] { work(self); });
    } else {
        m_waiting.push_back(std::move(job));
    }
}

void WorkerPool::shutdown()
{
    std::vector<std::unique_ptr<Worker>> workers;
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        workers.swap(m_workers);
        dropped.swap(m_waiting);
        m_idle.clear();
        for (const auto &worker : workers)
            worker->wake.notify_one();
    }
    for (const auto &worker : workers)
        worker->thread.join();
}

void WorkerPool::work(Worker &self)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (self.job) {
            std::function<void()> job = std::move(self.job);
            self.job = nullptr;
            lock.unlock();
            job();
            // Whatever the job holds goes before the pool's lock is taken again.
            job = nullptr;
            lock.lock();
        }
        if (!m_waiting.empty()) {
            self.job = std::move(m_waiting.front());
            m_waiting.pop_front();
            continue;
        }
        if (m_stopping)
            return;
        m_idle.push_back(&self);
        self.wake.wait(lock, [&] { return self.job || m_stopping; });
    }
}

} // namespace ngc
