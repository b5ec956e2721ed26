#include "HttpServer.h"

#include "HttpSession.h"

#include <boost/asio/ssl/context.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>

#include <QtGlobal>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <sys/resource.h>

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace ngc {

using tcp = asio::ip::tcp;

std::string httpResponse(beast::http::status status, unsigned version, bool keepAlive,
                         std::string_view contentType, std::string_view body,
                         std::string_view extraHeaders, bool withBody)
{
    std::string out;
    out.reserve(160 + extraHeaders.size() + (withBody ? body.size() : 0));
    out += version == 10 ? "HTTP/1.0 " : "HTTP/1.1 ";
    out += std::to_string(static_cast<unsigned>(status));
    out += ' ';
    out += beast::http::obsolete_reason(status);
    out += "\r\n";
    if (!contentType.empty()) {
        out += "Content-Type: ";
        out += contentType;
        out += "\r\n";
    }
    // A 204 has no body, and says nothing of its length.
    if (status != beast::http::status::no_content) {
        out += "Content-Length: ";
        out += std::to_string(body.size());
        out += "\r\n";
    }
    if (version >= 11 && !keepAlive)
        out += "Connection: close\r\n";
    else if (version == 10 && keepAlive)
        out += "Connection: keep-alive\r\n";
    out += extraHeaders;
    out += "\r\n";
    if (withBody)
        out += body;
    return out;
}

QByteArray refusalBody(const QString &message)
{
    return Dispatcher::errorResponse(Dispatcher::InvalidRequest, message);
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

std::string openSslError()
{
    const unsigned long code = ::ERR_get_error();
    ::ERR_clear_error();
    if (code == 0)
        return "unknown error";
    char text[256];
    ::ERR_error_string_n(code, text, sizeof text);
    return text;
}

// The server's side of TLS: TLS 1.2 and later, with the certificate chain and the key of the
// settings, which must belong together.
std::unique_ptr<asio::ssl::context> tlsContext(const HttpSettings &settings)
{
    auto context = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_server);
    SSL_CTX *native = context->native_handle();
    ::SSL_CTX_set_min_proto_version(native, TLS1_2_VERSION);
    ::SSL_CTX_set_options(native, SSL_OP_NO_RENEGOTIATION | SSL_OP_CIPHER_SERVER_PREFERENCE);
    const std::string certificate = settings.tlsCertificateFile.toStdString();
    const std::string key = settings.tlsKeyFile.toStdString();
    if (::SSL_CTX_use_certificate_chain_file(native, certificate.c_str()) != 1)
        throw std::runtime_error("cannot load the TLS certificate " + certificate + ": " +
                                 openSslError());
    if (::SSL_CTX_use_PrivateKey_file(native, key.c_str(), SSL_FILETYPE_PEM) != 1)
        throw std::runtime_error("cannot load the TLS key " + key + ": " + openSslError());
    if (::SSL_CTX_check_private_key(native) != 1)
        throw std::runtime_error("the TLS key " + key + " does not belong to the certificate " +
                                 certificate);
    return context;
}

} // namespace

struct HttpServer::Impl {
    Impl(const Dispatcher &dispatcher, HttpSettings s, std::function<void(const RequestLog &)> log,
         HttpEndpoints e)
        : settings(std::move(s)), endpoints(std::move(e)),
          shared(dispatcher, settings, endpoints, limit, io, std::move(log)),
          limit(static_cast<std::size_t>(std::max(1, settings.threads)),
                [this](std::size_t running) { startThreads(running + 1); })
    {
        if (!settings.token.isEmpty())
            shared.expectedAuthorization = "Bearer " + settings.token.toStdString();
        shared.lastClosed = [this] { io.stop(); };
    }

    // So many threads run the loop at least, from now on.
    void startThreads(std::size_t count);
    void accept();
    void admit(tcp::socket socket);
    void sweep();
    void beginStop();
    std::vector<std::shared_ptr<HttpConnection>> openConnections();

    HttpSettings settings;
    HttpEndpoints endpoints;
    // Connections still held by the loop's handlers or by requests waiting for a place, when
    // these go, find `shared` alive; so does the TLS context their streams were made with.
    HttpShared shared;
    RequestLimit limit;
    std::unique_ptr<asio::ssl::context> tls;
    asio::io_context io{std::max(1, settings.threads) + 1};
    asio::strand<asio::io_context::executor_type> strand{io.get_executor()}; // all below
    tcp::acceptor acceptor{strand};
    asio::steady_timer retry{strand};    // accepting again after a shortage of descriptors
    asio::steady_timer sweeper{strand};  // deadlines of the connections
    asio::steady_timer deadline{strand}; // the end of a stop
    int maxConnections = 0;
    std::mutex mutex; // guards the two below
    std::vector<std::thread> threads;
    bool ended = false; // wait() has joined the threads: no more are started
    std::mutex waiting; // one wait() at a time
};

// Each running request holds a thread; one more thread always runs the loop for the network.
// They start as they are first needed, so a light load keeps few of them, each with its database
// connection and caches warm.
void HttpServer::Impl::startThreads(std::size_t count)
{
    std::lock_guard<std::mutex> lock(mutex);
    while (!ended && threads.size() < count) {
        threads.emplace_back([this] {
            for (;;) {
                try {
                    io.run();
                    return;
                } catch (const std::exception &e) {
                    qWarning("HTTP event loop: %s", e.what());
                }
            }
        });
    }
}

void HttpServer::Impl::accept()
{
    acceptor.async_accept(asio::make_strand(io), [this](beast::error_code ec, tcp::socket socket) {
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

// A connection over a cap is refused at once and closed, rather than left queued behind the
// others: its client learns now that it must come back later. A plain one is told so with a 503;
// a TLS one is just closed, since nothing can be said to it before a handshake.
void HttpServer::Impl::admit(tcp::socket socket)
{
    beast::error_code ec;
    const tcp::endpoint peer = socket.remote_endpoint(ec);
    if (ec)
        return;
    bool full = false;
    {
        std::lock_guard<std::mutex> lock(shared.mutex);
        const auto count = shared.perClient.find(peer.address());
        const int fromClient = count == shared.perClient.end() ? 0 : count->second;
        full = static_cast<int>(shared.connections.size()) >= maxConnections ||
               fromClient >= settings.maxConnectionsPerClient;
    }
    if (full) {
        shared.logRefusal(QStringLiteral("-"), 503);
        if (!tls) {
            static const std::string busy = [] {
                const QByteArray body =
                    refusalBody(QStringLiteral("Service Unavailable: too many connections; try "
                                               "again later"));
                return httpResponse(beast::http::status::service_unavailable, 11, false,
                                    "application/json", body.toStdString());
            }();
            socket.non_blocking(true, ec);
            socket.write_some(asio::buffer(busy), ec);
            socket.shutdown(tcp::socket::shutdown_both, ec);
        }
        socket.close(ec);
        return;
    }
    socket.set_option(tcp::no_delay(true), ec);
    if (tls)
        std::make_shared<HttpSession<asio::ssl::stream<tcp::socket>>>(
            asio::ssl::stream<tcp::socket>(std::move(socket), *tls), shared, peer.address())
            ->start();
    else
        std::make_shared<HttpSession<tcp::socket>>(std::move(socket), shared, peer.address())
            ->start();
}

std::vector<std::shared_ptr<HttpConnection>> HttpServer::Impl::openConnections()
{
    std::vector<std::shared_ptr<HttpConnection>> open;
    std::lock_guard<std::mutex> lock(shared.mutex);
    open.reserve(shared.connections.size());
    for (HttpConnection *connection : shared.connections) {
        // Null for one whose last owner is gone and that is leaving the set.
        if (auto held = connection->weak_from_this().lock())
            open.push_back(std::move(held));
    }
    return open;
}

// Every connection's deadline is checked here a few times a second, instead of a timer per
// connection re-armed (a system call, and a wake-up of another thread) at every step of every
// request; a deadline is therefore kept to within a quarter of a second.
void HttpServer::Impl::sweep()
{
    sweeper.expires_after(std::chrono::milliseconds(250));
    sweeper.async_wait([this](beast::error_code ec) {
        if (ec)
            return;
        const auto now = HttpConnection::Clock::now();
        std::vector<std::shared_ptr<HttpConnection>> overdue;
        {
            std::lock_guard<std::mutex> lock(shared.mutex);
            for (HttpConnection *connection : shared.connections) {
                if (!connection->overdue(now))
                    continue;
                if (auto held = connection->weak_from_this().lock())
                    overdue.push_back(std::move(held));
            }
        }
        for (const auto &connection : overdue)
            connection->expire();
        sweep();
    });
}

void HttpServer::Impl::beginStop()
{
    {
        std::lock_guard<std::mutex> lock(shared.mutex);
        if (shared.stopping)
            return;
        shared.stopping = true;
    }
    beast::error_code ignored;
    acceptor.close(ignored);
    retry.cancel();
    const std::vector<std::shared_ptr<HttpConnection>> open = openConnections();
    if (open.empty())
        return io.stop();
    // Answers not written by then are given up; requests still running finish and go
    // unanswered, and what is left is closed once the loop has ended (wait()).
    deadline.expires_after(std::chrono::seconds(settings.stopSeconds));
    deadline.async_wait([this](beast::error_code ec) {
        if (!ec)
            io.stop();
    });
    for (const auto &connection : open)
        connection->stop();
}

HttpServer::HttpServer(const Dispatcher &dispatcher, HttpSettings settings,
                       std::function<void(const RequestLog &)> log, HttpEndpoints endpoints)
    : m_impl(std::make_unique<Impl>(dispatcher, std::move(settings), std::move(log),
                                    std::move(endpoints)))
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
    if (!impl.settings.tlsCertificateFile.isEmpty() || !impl.settings.tlsKeyFile.isEmpty())
        impl.tls = tlsContext(impl.settings);
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
    asio::post(impl.strand, [&impl] {
        impl.accept();
        impl.sweep();
    });
    impl.startThreads(2);
    return port;
}

void HttpServer::stop()
{
    asio::post(m_impl->strand, [impl = m_impl.get()] { impl->beginStop(); });
}

void HttpServer::wait()
{
    Impl &impl = *m_impl;
    std::lock_guard<std::mutex> one(impl.waiting);
    // A request still running may start a thread meanwhile; that one ends at once.
    for (;;) {
        std::vector<std::thread> running;
        {
            std::lock_guard<std::mutex> lock(impl.mutex);
            if (impl.threads.empty()) {
                impl.ended = true;
                break;
            }
            running.swap(impl.threads);
        }
        for (std::thread &thread : running)
            thread.join();
    }
    if (impl.shared.loopEnded)
        return;
    // No thread runs the loop any more: what is still open is closed from here.
    for (const auto &connection : impl.openConnections())
        connection->abort();
    impl.shared.loopEnded = true;
}

int HttpServer::openConnections() const
{
    std::lock_guard<std::mutex> lock(m_impl->shared.mutex);
    return static_cast<int>(m_impl->shared.connections.size());
}

} // namespace ngc
