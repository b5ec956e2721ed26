#pragma once

#include <server/rpc/Dispatcher.h>

#include <QString>

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace ngc {

// What GET /metrics tells, in Prometheus's text exposition format: the remote calls by object,
// method and outcome, how long they took (a histogram), the requests the HTTP layer refused by
// status, the open connections and the database errors. Fed by the request log, from any thread.
class Metrics final {
public:
    void record(const RequestLog &entry);
    // A database failure the request log does not carry (a health check that found it down).
    void databaseError();
    std::string text(int openConnections) const;

private:
    static constexpr std::array<double, 14> kBuckets{
        0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};
    struct Calls {
        std::uint64_t ok = 0;
        std::uint64_t fail = 0;
        std::uint64_t error = 0;
        std::array<std::uint64_t, kBuckets.size()> buckets{}; // each counts its own range only
        double seconds = 0;
    };

    mutable std::mutex m_mutex;
    std::map<std::pair<QString, QString>, Calls> m_calls; // by object and method
    std::map<int, std::uint64_t> m_refusals;              // by HTTP status
    std::uint64_t m_databaseErrors = 0;
};

} // namespace ngc
