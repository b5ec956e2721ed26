#include "Metrics.h"

#include <algorithm>
#include <cstdio>

namespace ngc {

namespace {

// A label value as the exposition format wants it.
std::string label(const QString &value)
{
    std::string text;
    for (const char c : value.toStdString()) {
        if (c == '\\' || c == '"')
            text += '\\';
        if (c == '\n') {
            text += "\\n";
            continue;
        }
        text += c;
    }
    return text;
}

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

void help(std::string &text, const char *name, const char *type, const char *meaning)
{
    text += "# HELP ";
    text += name;
    text += ' ';
    text += meaning;
    text += "\n# TYPE ";
    text += name;
    text += ' ';
    text += type;
    text += '\n';
}

} // namespace

void Metrics::record(const RequestLog &entry)
{
    const QStringView outcome = entry.outcome;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (outcome.startsWith(u"http ")) {
        ++m_refusals[outcome.mid(5).toInt()];
        return;
    }
    if (entry.databaseError)
        ++m_databaseErrors;
    // A request that named no known object and method (malformed, or a method not found) is
    // counted under "-": what a client writes there must not grow the series without end.
    const bool error = outcome.startsWith(u"error ");
    const int code = error ? outcome.mid(6).toInt() : 0;
    const bool named =
        !error || code == Dispatcher::InvalidParamsCode || code == Dispatcher::InternalError;
    static const QString unnamed = QStringLiteral("-");
    Calls &calls = m_calls[named ? std::make_pair(entry.object, entry.method)
                                 : std::make_pair(unnamed, unnamed)];
    if (error)
        ++calls.error;
    else if (outcome == u"fail")
        ++calls.fail;
    else
        ++calls.ok;
    const double seconds = entry.milliseconds / 1000;
    calls.seconds += seconds;
    const auto bucket = std::lower_bound(kBuckets.begin(), kBuckets.end(), seconds);
    if (bucket != kBuckets.end())
        ++calls.buckets[static_cast<std::size_t>(bucket - kBuckets.begin())];
}

void Metrics::databaseError()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_databaseErrors;
}

std::string Metrics::text(int openConnections) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string text;
    help(text, "ngc_rpc_calls_total", "counter",
         "Remote calls answered, by object, method and outcome (ok; fail: refused with a message "
         "for the user; error: a JSON-RPC error).");
    for (const auto &[key, calls] : m_calls) {
        const std::string labels =
            "object=\"" + label(key.first) + "\",method=\"" + label(key.second) + "\"";
        for (const auto &[outcome, count] :
             {std::pair{"ok", calls.ok}, std::pair{"fail", calls.fail},
              std::pair{"error", calls.error}}) {
            if (count != 0)
                text += "ngc_rpc_calls_total{" + labels + ",outcome=\"" + outcome + "\"} " +
                        std::to_string(count) + "\n";
        }
    }
    help(text, "ngc_rpc_call_duration_seconds", "histogram",
         "Time the server took for a remote call, from its request document to its reply.");
    for (const auto &[key, calls] : m_calls) {
        const std::string labels =
            "object=\"" + label(key.first) + "\",method=\"" + label(key.second) + "\"";
        std::uint64_t cumulative = 0;
        for (std::size_t i = 0; i < kBuckets.size(); ++i) {
            cumulative += calls.buckets[i];
            text += "ngc_rpc_call_duration_seconds_bucket{" + labels + ",le=\"" +
                    number(kBuckets[i]) + "\"} " + std::to_string(cumulative) + "\n";
        }
        const std::uint64_t count = calls.ok + calls.fail + calls.error;
        text += "ngc_rpc_call_duration_seconds_bucket{" + labels + ",le=\"+Inf\"} " +
                std::to_string(count) + "\n";
        text += "ngc_rpc_call_duration_seconds_sum{" + labels + "} " + number(calls.seconds) + "\n";
        text +=
            "ngc_rpc_call_duration_seconds_count{" + labels + "} " + std::to_string(count) + "\n";
    }
    help(text, "ngc_http_refusals_total", "counter",
         "Requests the HTTP layer refused itself, by status (400, 401, 404, 405, 413, 431, 503).");
    for (const auto &[status, count] : m_refusals)
        text += "ngc_http_refusals_total{status=\"" + std::to_string(status) + "\"} " +
                std::to_string(count) + "\n";
    help(text, "ngc_http_connections", "gauge", "Connections open now.");
    text += "ngc_http_connections " + std::to_string(openConnections) + "\n";
    help(text, "ngc_database_errors_total", "counter",
         "Database failures: calls that ended in an internal error because of the database, and "
         "health checks that found it down.");
    text += "ngc_database_errors_total " + std::to_string(m_databaseErrors) + "\n";
    return text;
}

} // namespace ngc
