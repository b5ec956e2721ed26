#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

namespace ngc {

// How many requests may run at once (`--threads`). The threads of the HTTP shell's event loop run
// each request themselves, database work included; there is one thread more than places here, so
// that while every place is taken by a request waiting on the database, one thread still accepts,
// reads, writes and enforces deadlines. A request that finds every place taken waits its turn, in
// order of arrival.
class RequestLimit final {
public:
    // `grown` is called (outside the lock, by the thread of the request that made it so) each
    // time more requests run at once than ever before, with their number: the threads that run
    // them are started as they are needed.
    explicit RequestLimit(std::size_t places, std::function<void(std::size_t)> grown = {})
        : m_places(places ? places : 1), m_grown(std::move(grown))
    {
    }
    RequestLimit(const RequestLimit &) = delete;
    RequestLimit &operator=(const RequestLimit &) = delete;

    // True: a place was free and is now the caller's, who runs the request at once and then calls
    // leave(). False: every place is taken; `resume` is kept and called, by the thread of a
    // request that leaves, once a place is its own. It must hand the request to another thread
    // and return, not run it there.
    template <class Resume> bool enter(Resume &&resume)
    {
        std::size_t most = 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_running == m_places) {
                m_waiting.emplace_back(std::forward<Resume>(resume));
                return false;
            }
            if (++m_running > m_most)
                most = m_most = m_running;
        }
        if (most != 0 && m_grown)
            m_grown(most);
        return true;
    }

    // Gives the place up, or over to the request that has waited longest.
    void leave()
    {
        std::function<void()> next;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_waiting.empty()) {
                --m_running;
                return;
            }
            next = std::move(m_waiting.front());
            m_waiting.pop_front();
        }
        next();
    }

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_waiting;
    std::size_t m_places;
    std::size_t m_running = 0;
    std::size_t m_most = 0; // the most that ever ran at once
    std::function<void(std::size_t)> m_grown;
};

} // namespace ngc
