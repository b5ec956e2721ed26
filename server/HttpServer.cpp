#include "HttpServer.h"

#include "ElasticTaskQueue.h"

#include <httplib.h>

#include <sys/socket.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace ngc {

namespace {

const char *const kJson = "application/json";

// Compares without stopping at the first difference, so the time taken tells nothing about how
// much of a guessed token was right.
bool sameSecret(const std::string &given, const std::string &expected)
{
    unsigned char difference = given.size() == expected.size() ? 0 : 1;
    for (std::size_t i = 0; i < given.size(); ++i)
        difference |= static_cast<unsigned char>(given[i] ^ expected[i % (expected.size() + 1)]);
    return difference == 0;
}

std::string toStd(const QByteArray &bytes)
{
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// A log entry for a request the HTTP layer answers itself; the method is unknown then.
RequestLog refused(const httplib::Request &request, int status)
{
    const std::string prefix = "/rpc/";
    QString object = QString::fromStdString(request.path);
    if (request.path.rfind(prefix, 0) == 0)
        object = QString::fromStdString(request.path.substr(prefix.size()));
    return {object, {}, 0, QStringLiteral("http %1").arg(status)};
}

} // namespace

struct HttpServer::Impl {
    Impl(const Dispatcher &d, HttpSettings s) : dispatcher(d), settings(std::move(s)) {}
    const Dispatcher &dispatcher;
    HttpSettings settings;
    httplib::Server server;
    std::thread thread;
    std::mutex mutex;
    // The socket bound last; cpp-httplib listens on it with a queue too short for a burst of
    // clients connecting at once, so start() listens again with the system's maximum.
    std::atomic<int> listening{-1};
};

HttpServer::HttpServer(const Dispatcher &dispatcher, HttpSettings settings,
                       std::function<void(const RequestLog &)> log)
    : m_impl(std::make_unique<Impl>(dispatcher, std::move(settings)))
{
    Impl &impl = *m_impl;
    httplib::Server &server = impl.server;
    const std::size_t threads = static_cast<std::size_t>(std::max(1, impl.settings.threads));
    server.new_task_queue = [threads] { return new ElasticTaskQueue(threads); };
    server.set_tcp_nodelay(true);
    // SO_REUSEADDR lets a restarted server bind while old connections linger in TIME_WAIT.
    // SO_REUSEPORT (cpp-httplib's default) is left off: it would let a second server bind the
    // same port and silently take half of the connections instead of failing to start.
    server.set_socket_options([&impl](socket_t socket) {
        const int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
        impl.listening = socket;
    });
    server.set_keep_alive_max_count(std::numeric_limits<int>::max());
    server.set_keep_alive_timeout(impl.settings.keepAliveSeconds);
    server.set_payload_max_length(static_cast<std::size_t>(impl.settings.maxBodyBytes));

    const std::string expected = "Bearer " + impl.settings.token.toStdString();
    const bool needsToken = !impl.settings.token.isEmpty();
    server.set_pre_routing_handler([needsToken, expected, log](const httplib::Request &request,
                                                               httplib::Response &response) {
        if (!needsToken || sameSecret(request.get_header_value("Authorization"), expected))
            return httplib::Server::HandlerResponse::Unhandled;
        if (log)
            log(refused(request, 401));
        response.status = 401;
        response.set_header("WWW-Authenticate", "Bearer");
        response.set_content(toStd(Dispatcher::errorResponse(
                                 Dispatcher::InvalidRequest,
                                 QStringLiteral("Unauthorized: missing or wrong bearer token"))),
                             kJson);
        return httplib::Server::HandlerResponse::Handled;
    });
    const qint64 limit = impl.settings.maxBodyBytes;
    server.set_error_handler(httplib::Server::HandlerWithResponse(
        [limit, log](const httplib::Request &request, httplib::Response &response) {
            if (response.status != 413)
                return httplib::Server::HandlerResponse::Unhandled;
            if (log)
                log(refused(request, 413));
            response.set_content(
                toStd(Dispatcher::errorResponse(
                    Dispatcher::InvalidRequest,
                    QStringLiteral("Invalid Request: the body exceeds %1 bytes").arg(limit))),
                kJson);
            return httplib::Server::HandlerResponse::Handled;
        }));
    server.Post(
        R"(/rpc/([^/]+))", [this](const httplib::Request &request, httplib::Response &response) {
            const QString object = QString::fromStdString(request.matches[1].str());
            const QByteArray body(request.body.data(), static_cast<qsizetype>(request.body.size()));
            response.set_content(toStd(m_impl->dispatcher.handle(object, body)), kJson);
        });
}

HttpServer::~HttpServer()
{
    stop();
    wait();
}

int HttpServer::start()
{
    Impl &impl = *m_impl;
    const std::string host = impl.settings.host.toStdString();
    int port = impl.settings.port;
    if (port == 0) {
        port = impl.server.bind_to_any_port(host);
    } else if (!impl.server.bind_to_port(host, port)) {
        port = -1;
    }
    if (port < 0 || ::listen(impl.listening, SOMAXCONN) != 0)
        throw std::runtime_error("cannot listen on " + host + ":" +
                                 std::to_string(impl.settings.port));
    std::lock_guard<std::mutex> lock(impl.mutex);
    impl.thread = std::thread([&impl] { impl.server.listen_after_bind(); });
    return port;
}

void HttpServer::stop()
{
    m_impl->server.stop();
}

void HttpServer::wait()
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    if (m_impl->thread.joinable())
        m_impl->thread.join();
}

} // namespace ngc
