#pragma once

#include <server/rpc/Dispatcher.h>

#include <QString>

#include <functional>
#include <memory>
#include <string>

namespace ngc {

// Limits and deadlines of the HTTP shell; ngc-appserver sets each from its command line.
struct HttpSettings {
    QString host = QStringLiteral("127.0.0.1");
    int port = 8080;  // 0: any free port
    QString token;    // empty: no bearer token needed
    int threads = 16; // requests run at once (the dispatcher's blocking database work)
    qint64 maxBodyBytes = qint64{8} * 1024 * 1024; // over it: 413, whatever the encoding
    int maxHeaderBytes = 16 * 1024;                // request line and headers; over it: 431
    int maxConnections = 10000;        // open at once, lowered to what the descriptors allow
    int maxConnectionsPerClient = 256; // open at once from one address
    // A connection that sends nothing between requests is closed after idleSeconds; a request's
    // headers must arrive within headerSeconds of its first byte, its body within bodySeconds of
    // the headers; an answer the client does not read is given up after bodySeconds.
    int idleSeconds = 60;
    int headerSeconds = 10;
    int bodySeconds = 30;
    // The most a stop waits for answers in progress before it closes what is left.
    int stopSeconds = 4;
    // Both set: HTTPS only, with this certificate (PEM, the chain after it) and its private key.
    QString tlsCertificateFile;
    QString tlsKeyFile;
};

// What the shell answers besides the remote calls; an endpoint left empty is not served (404).
struct HttpEndpoints {
    // GET /health: whether the database answers. It blocks, so it runs like a request (taking one
    // of the `threads` places). No token is needed, and the answer says nothing else.
    std::function<bool()> healthy;
    // GET /metrics: the Prometheus text exposition, behind the token like the calls.
    std::function<std::string()> metrics;
};

// The HTTP shell around the dispatcher: POST /rpc/<object> with a bearer token when configured,
// plain or over TLS, on an event loop in which a connection waiting for bytes costs its socket and
// a small buffer. The loop runs on `threads` + 1 threads, and the thread that reads a request runs
// it, while at most `threads` requests run at once (RequestLimit). Requests answered in order on
// each connection (pipelining), keep-alive, TCP_NODELAY, limits and deadlines as set above; the
// connections over the caps are refused at once with 503.
class HttpServer final {
public:
    // `log` also records the requests the shell answers itself (status 400, 401, 404, 405, 413,
    // 431, 503), with the method as "-".
    HttpServer(const Dispatcher &dispatcher, HttpSettings settings,
               std::function<void(const RequestLog &)> log = {}, HttpEndpoints endpoints = {});
    ~HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    // Binds and starts serving on threads of its own; returns the port. Throws
    // std::runtime_error when the address cannot be bound or the TLS certificate not loaded.
    int start();
    // Stops accepting and closes the connections waiting for a request, idle or part-way through
    // one; the requests already read are answered (with Connection: close), and whatever is left
    // after stopSeconds is closed. Returns at once; wait() returns when it is over.
    void stop();
    void wait();

    // Connections open now, from any thread.
    int openConnections() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace ngc
