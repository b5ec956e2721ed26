#pragma once

#include "Dispatcher.h"

#include <QString>

#include <functional>
#include <memory>

namespace ngc {

struct HttpSettings {
    QString host = QStringLiteral("127.0.0.1");
    int port = 8080;   // 0: any free port
    QString token;     // empty: no bearer token needed
    int threads = 256; // most connections served at once
    qint64 maxBodyBytes = qint64{8} * 1024 * 1024;
    // An idle connection is closed after this long. It also bounds how long a stop waits for
    // connections that sit idle between requests.
    int keepAliveSeconds = 5;
};

// The HTTP shell around the dispatcher: POST /rpc/<object>, a bearer token when configured, a
// body size limit, keep-alive and TCP_NODELAY. Requests in flight finish when it stops.
class HttpServer final {
public:
    // `log` also records the requests refused before they reach the dispatcher (token, size).
    HttpServer(const Dispatcher &dispatcher, HttpSettings settings,
               std::function<void(const RequestLog &)> log = {});
    ~HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    // Binds and starts serving on a thread of its own; returns the port. Throws
    // std::runtime_error when the address cannot be bound.
    int start();
    void stop();
    // Blocks until the server has stopped.
    void wait();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace ngc
