#include "HttpServer.h"

#include "HttpSession.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include <QtGlobal>

#include <sys/resource.h>

#include <algorithm>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace ngc {

using tcp = asio::ip::tcp;

beast::http::response<beast::http::string_body>
httpRefusal(beast::http::status status, const QString &message, unsigned version)
{
    beast::http::response<beast::http::string_body> response(status, version);
    response.set(beast::http::field::content_type, "application/json");
    if (status == beast::http::status::unauthorized)
        response.set(beast::http::field::www_authenticate, "Bearer");
    if (status == beast::http::status::method_not_allowed)
        response.set(beast::http::field::allow, "POST");
    response.body() = Dispatcher::errorResponse(Dispatcher::InvalidRequest, message).toStdString();
    response.keep_alive(false);
    response.prepare_payload();
    return response;
}

bool sameSecret(std::string_view given, std::string_view expected)
{
    unsigned char difference = given.size() == expected.size() ? 0 : 1;
    for (std::size_t i = 0; i < given.size(); ++i)
        difference |= static_cast<unsigned char>(given[i] ^ expected[i % (expected.size() + 1)]);
    return difference == 0;
}

namespace {

// Each connection takes a descriptor; a few are kept for the listening socket, the database
// files and the log.
int descriptorBound(int wanted)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return wanted;
    const rlim_t spare = 64;
    const rlim_t usable = limit.rlim_cur > 2 * spare ? limit.rlim_cur - spare : limit.rlim_cur / 2;
    return static_cast<int>(std::min<rlim_t>(static_cast<rlim_t>(wanted), usable));
}

} // namespace

struct HttpServer::Impl {
    Impl(const Dispatcher &dispatcher, HttpSettings s, std::function<void(const RequestLog &)> log)
        : settings(std::move(s)), shared{dispatcher, settings, workers, io, std::move(log),
                                         {},         false,    false,   {}, {},
                                         {}},
          workers(static_cast<std::size_t>(std::max(1, settings.threads)))
    {
        if (!settings.token.isEmpty())
            shared.expectedAuthorization = "Bearer " + settings.token.toStdString();
        shared.lastClosed = [this] { deadline.cancel(); };
    }

    void accept();
    void admit(tcp::socket socket);
    void beginStop();

    HttpSettings settings;
    // Declared before the event loop, so that connections still held by its handlers when it is
    // destroyed find it.
    HttpShared shared;
    asio::io_context io{1};
    WorkerPool workers;
    tcp::acceptor acceptor{io};
    asio::steady_timer retry{io};    // accepting again after a shortage of descriptors
    asio::steady_timer deadline{io}; // the end of a stop
    int maxConnections = 0;
    std::thread thread;
    std::mutex mutex;
};

void HttpServer::Impl::accept()
{
    acceptor.async_accept([this](beast::error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted || shared.stopping)
            return;
        if (ec == asio::error::no_descriptors || ec == asio::error::no_buffer_space ||
            ec == asio::error::no_memory) {
            // The pending connection stays queued; try again once some have closed.
            retry.expires_after(std::chrono::milliseconds(100));
            retry.async_wait([this](beast::error_code error) {
                if (!error)
                    accept();
            });
            return;
        }
        if (!ec)
            admit(std::move(socket));
        accept();
    });
}

// A connection over a cap is answered 503 at once and closed, rather than left queued behind the
// others: its client learns now that it must come back later.
void HttpServer::Impl::admit(tcp::socket socket)
{
    beast::error_code ec;
    const tcp::endpoint peer = socket.remote_endpoint(ec);
    if (ec)
        return;
    const auto count = shared.perClient.find(peer.address());
    const int fromClient = count == shared.perClient.end() ? 0 : count->second;
    if (static_cast<int>(shared.connections.size()) >= maxConnections ||
        fromClient >= settings.maxConnectionsPerClient) {
        shared.logRefusal(QStringLiteral("-"), 503);
        static const std::string busy = [] {
            std::ostringstream text;
            text << httpRefusal(beast::http::status::service_unavailable,
                                QStringLiteral("Service Unavailable: too many connections; "
                                               "try again later"));
            return text.str();
        }();
        socket.non_blocking(true, ec);
        socket.write_some(asio::buffer(busy), ec);
        socket.shutdown(tcp::socket::shutdown_both, ec);
        socket.close(ec);
        return;
    }
    socket.set_option(tcp::no_delay(true), ec);
    std::make_shared<HttpSession<beast::tcp_stream>>(beast::tcp_stream(std::move(socket)), shared,
                                                     peer.address())
        ->start();
}

void HttpServer::Impl::beginStop()
{
    if (shared.stopping)
        return;
    shared.stopping = true;
    beast::error_code ignored;
    acceptor.close(ignored);
    retry.cancel();
    if (shared.connections.empty())
        return;
    deadline.expires_after(std::chrono::seconds(settings.stopSeconds));
    deadline.async_wait([this](beast::error_code ec) {
        if (ec)
            return;
        // Answers not written by now are given up; requests still on a worker finish there
        // and go unanswered.
        const std::vector<HttpConnection *> left(shared.connections.begin(),
                                                 shared.connections.end());
        for (HttpConnection *connection : left)
            connection->abort();
        io.stop();
    });
    // Copied: a connection closed here leaves the set.
    const std::vector<HttpConnection *> open(shared.connections.begin(), shared.connections.end());
    for (HttpConnection *connection : open)
        connection->stop();
}

HttpServer::HttpServer(const Dispatcher &dispatcher, HttpSettings settings,
                       std::function<void(const RequestLog &)> log)
    : m_impl(std::make_unique<Impl>(dispatcher, std::move(settings), std::move(log)))
{
}

HttpServer::~HttpServer()
{
    stop();
    wait();
}

int HttpServer::start()
{
    Impl &impl = *m_impl;
    std::string host = impl.settings.host.toStdString();
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    const std::string where = host + ":" + std::to_string(impl.settings.port);
    beast::error_code ec;
    tcp::resolver resolver(impl.io);
    const auto found =
        resolver.resolve(host, std::to_string(impl.settings.port),
                         tcp::resolver::passive | tcp::resolver::numeric_service, ec);
    if (ec || found.empty())
        throw std::runtime_error("cannot resolve " + where);
    const tcp::endpoint endpoint = found.begin()->endpoint();
    // SO_REUSEADDR lets a restarted server bind while old connections linger in TIME_WAIT.
    // SO_REUSEPORT stays off: it would let a second server bind the same port and silently take
    // part of the connections instead of failing to start.
    impl.acceptor.open(endpoint.protocol(), ec);
    if (!ec)
        impl.acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
    if (!ec)
        impl.acceptor.bind(endpoint, ec);
    // The system's longest queue, for screens opened at the same moment.
    if (!ec)
        impl.acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (ec)
        throw std::runtime_error("cannot listen on " + where + ": " + ec.message());
    impl.maxConnections = descriptorBound(impl.settings.maxConnections);
    const int port = impl.acceptor.local_endpoint().port();
    impl.accept();
    std::lock_guard<std::mutex> lock(impl.mutex);
    impl.thread = std::thread([&impl] {
        for (;;) {
            try {
                impl.io.run();
                return;
            } catch (const std::exception &e) {
                qWarning("HTTP event loop: %s", e.what());
            }
        }
    });
    return port;
}

void HttpServer::stop()
{
    asio::post(m_impl->io, [impl = m_impl.get()] { impl->beginStop(); });
}

void HttpServer::wait()
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    if (!m_impl->thread.joinable())
        return;
    m_impl->thread.join();
    // Requests still running finish; none of their answers is written any more.
    m_impl->workers.shutdown();
    m_impl->shared.loopEnded = true;
}

} // namespace ngc
