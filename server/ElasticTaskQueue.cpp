#include "ElasticTaskQueue.h"

namespace ngc {

ElasticTaskQueue::ElasticTaskQueue(std::size_t maxThreads)
    : m_maxThreads(maxThreads ? maxThreads : 1)
{
}

ElasticTaskQueue::~ElasticTaskQueue()
{
    shutdown();
}

void ElasticTaskQueue::enqueue(std::function<void()> job)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_stopping) {
        // No worker is left to take it; the job still has to run to close its connection.
        lock.unlock();
        job();
        return;
    }
    m_jobs.push_back(std::move(job));
    if (m_jobs.size() > m_idle && m_threads.size() < m_maxThreads)
        m_threads.emplace_back([this] { work(); });
    m_wake.notify_one();
}

void ElasticTaskQueue::shutdown()
{
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        threads.swap(m_threads);
    }
    m_wake.notify_all();
    for (std::thread &thread : threads)
        thread.join();
}

void ElasticTaskQueue::work()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            ++m_idle;
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            --m_idle;
            if (m_jobs.empty())
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
}

} // namespace ngc
