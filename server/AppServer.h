#pragma once

#include <server/storage/Database.h>
#include <server/rpc/Dispatcher.h>
#include <server/http/HttpServer.h>
#include "Metrics.h"

#include <QString>

#include <functional>
#include <memory>

namespace ngc {

struct ServerConfig {
    HttpSettings http;
    QString databaseUrl = QStringLiteral("sqlite:ngc-appserver.db");
    bool seedDemo = false;
    std::function<void(const RequestLog &)> log; // called once per request, from any thread
};

// The whole application server in one object: storage (schema migrated, demo data loaded when
// asked), dispatcher, metrics and HTTP shell with its /health and /metrics, already listening
// once constructed. Tests and benchmarks run it in-process; ngc-appserver wraps it in a command
// line.
class AppServer final {
public:
    explicit AppServer(const ServerConfig &config);
    ~AppServer();
    AppServer(const AppServer &) = delete;
    AppServer &operator=(const AppServer &) = delete;

    int port() const { return m_port; }
    Database &database() { return m_database; }
    // Stops accepting, lets requests in flight finish.
    void stop();
    void wait();

private:
    // Whether the database answers a trivial statement, for GET /health.
    bool databaseAnswers();

    Metrics m_metrics;
    std::function<void(const RequestLog &)> m_log; // the metrics, then the configured log
    Database m_database;
    Dispatcher m_dispatcher;
    HttpServer m_http;
    int m_port = 0;
};

// Starts a server and returns it; its port() is the bound one (useful with port 0).
std::unique_ptr<AppServer> startServer(const ServerConfig &config);

} // namespace ngc
