#include <server/Metrics.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

// Each bucket counts the calls at or under its bound, the last one all of them; the sum is in
// seconds. Database errors come from calls and from health checks alike.
TEST(Metrics, DurationsFillCumulativeBucketsAndErrorsAreCounted)
{
    ngc::Metrics metrics;
    for (const double milliseconds : {0.2, 0.5, 0.7, 3.0, 4.9, 20000.0})
        metrics.record({"Obj", "Get", milliseconds, "ok", false});
    metrics.record({"Obj", "Set", 1.0, "error -32603", true});
    metrics.databaseError();
    const std::string text = metrics.text(0);
    const std::string series =
        "ngc_rpc_call_duration_seconds_bucket{object=\"Obj\",method=\"Get\",";
    const std::pair<const char *, int> buckets[] = {
        {"0.0005", 2}, {"0.001", 3}, {"0.0025", 3}, {"0.005", 5}, {"10", 5}, {"+Inf", 6},
    };
    for (const auto &[bound, count] : buckets) {
        const std::string line = series + "le=\"" + bound + "\"} " + std::to_string(count) + "\n";
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    for (const char *line : {
             "ngc_rpc_call_duration_seconds_sum{object=\"Obj\",method=\"Get\"} 20.0093\n",
             "ngc_rpc_calls_total{object=\"Obj\",method=\"Set\",outcome=\"error\"} 1\n",
             "ngc_database_errors_total 2\n",
         })
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

} // namespace
