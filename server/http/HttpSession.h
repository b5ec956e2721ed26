#pragma once

// One connection of the HTTP shell (server/http/HttpServer.cpp), and what all connections share.
// Internal to the shell.

#include <server/rpc/Dispatcher.h>
#include "HttpServer.h"
#include "RequestLimit.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/ssl/stream.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/read_size.hpp>
#include <boost/beast/core/stream_traits.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_set>
#include <utility>

namespace ngc {

namespace asio = boost::asio;
namespace beast = boost::beast;

class HttpConnection;

// What the connections of one server share; used from every thread of the loop.
struct HttpShared {
    HttpShared(const Dispatcher &d, const HttpSettings &s, const HttpEndpoints &e, RequestLimit &l,
               asio::io_context &i, std::function<void(const RequestLog &)> logger)
        : dispatcher(d), settings(s), endpoints(e), limit(l), io(i), log(std::move(logger))
    {
    }

    const Dispatcher &dispatcher;
    const HttpSettings &settings;
    const HttpEndpoints &endpoints;
    RequestLimit &limit;
    asio::io_context &io;
    std::function<void(const RequestLog &)> log;
    std::string expectedAuthorization; // "Bearer <token>"; empty: none needed
    std::atomic<bool> stopping{false};
    bool loopEnded = false; // set once no thread runs the loop: connections destroyed later
                            // touch nothing else

    std::mutex mutex; // guards the three below
    std::unordered_set<HttpConnection *> connections;
    std::map<asio::ip::address, int> perClient;
    std::function<void()> lastClosed; // while stopping, when no connection is left

    void logRefusal(const QString &object, unsigned status) const
    {
        if (log)
            log({object, {}, 0, QStringLiteral("http %1").arg(status), false});
    }
};

// An answer as it goes on the wire, in one piece (over TLS, one piece is one record). `withBody`
// false: the headers of a HEAD answer, which announce the body without sending it.
std::string httpResponse(beast::http::status status, unsigned version, bool keepAlive,
                         std::string_view contentType, std::string_view body,
                         std::string_view extraHeaders = {}, bool withBody = true);

// The body of an answer the shell gives itself: a JSON-RPC error, so that every client reads it
// the same way.
QByteArray refusalBody(const QString &message);

// Compares without stopping at the first difference, so the time taken tells nothing about how
// much of a guessed token was right.
bool sameSecret(std::string_view given, std::string_view expected);

// Marks an asynchronous step as the continuation of the one that started it, so that Asio runs
// it on the same thread when it completes at once instead of waking another thread for it.
template <class Function> struct Continuing {
    Function function;
    template <class... Args> void operator()(Args &&...args)
    {
        function(std::forward<Args>(args)...);
    }
    friend bool asio_handler_is_continuation(Continuing *) { return true; }
};
template <class Function> Continuing<std::decay_t<Function>> continuing(Function &&function)
{
    return {std::forward<Function>(function)};
}

// What the server sees of every connection, from any thread: the deadline of what it waits for
// (checked by the server's sweep) and the two ways to end it. Both post to the connection's own
// strand, on which everything else of the connection runs.
class HttpConnection : public std::enable_shared_from_this<HttpConnection> {
public:
    using Clock = std::chrono::steady_clock;
    virtual ~HttpConnection() = default;
    // Closes at once unless a request is being answered; that one gets its answer with
    // Connection: close.
    virtual void stop() = 0;
    // Closes if the deadline has passed.
    virtual void expire() = 0;
    // Closes at once; only while no thread runs the loop.
    virtual void abort() = 0;

    bool overdue(Clock::time_point now) const
    {
        return now.time_since_epoch().count() >= m_deadline.load(std::memory_order_relaxed);
    }

protected:
    void setDeadline(int seconds)
    {
        m_deadline.store((Clock::now() + std::chrono::seconds(seconds)).time_since_epoch().count(),
                         std::memory_order_relaxed);
    }
    void clearDeadline()
    {
        m_deadline.store(std::numeric_limits<Clock::rep>::max(), std::memory_order_relaxed);
    }

private:
    std::atomic<Clock::rep> m_deadline{std::numeric_limits<Clock::rep>::max()};
};

// One connection, from its first byte to its close, as a chain of asynchronous steps on its
// strand: (over TLS, the handshake,) waiting for a request, its headers and its body, each with
// its deadline; running it on the thread that read it; writing the answer; and waiting for the
// next one. Requests are taken one at a time, so pipelined ones are answered in order; bytes that
// arrive meanwhile stay in the buffer or the socket. The parser is fed from the connection's own
// buffer, so bytes already read cost no further trip through the loop. `Stream` is a TCP socket
// or a TLS stream over one.
template <class Stream> class HttpSession final : public HttpConnection {
public:
    using Socket = asio::ip::tcp::socket;
    static constexpr bool kTls = !std::is_same_v<Stream, Socket>;

    HttpSession(Stream stream, HttpShared &shared, asio::ip::address client)
        : m_stream(std::move(stream)), m_shared(shared), m_client(std::move(client))
    {
        std::lock_guard<std::mutex> lock(m_shared.mutex);
        m_shared.connections.insert(this);
        ++m_shared.perClient[m_client];
    }

    ~HttpSession() override
    {
        if (m_shared.loopEnded)
            return;
        std::function<void()> lastClosed;
        {
            std::lock_guard<std::mutex> lock(m_shared.mutex);
            m_shared.connections.erase(this);
            const auto count = m_shared.perClient.find(m_client);
            if (--count->second == 0)
                m_shared.perClient.erase(count);
            if (m_shared.stopping && m_shared.connections.empty())
                lastClosed = m_shared.lastClosed;
        }
        if (lastClosed)
            lastClosed();
    }

    HttpSession(const HttpSession &) = delete;
    HttpSession &operator=(const HttpSession &) = delete;

    void start()
    {
        asio::dispatch(executor(), [self = self()] {
            if constexpr (kTls)
                self->awaitHandshake();
            else
                self->awaitRequest();
        });
    }

    void stop() override
    {
        asio::post(executor(), [self = self()] {
            if (self->m_state == State::Handshaking || self->m_state == State::Waiting ||
                self->m_state == State::Reading)
                self->close();
        });
    }

    void expire() override
    {
        asio::post(executor(), [self = self()] {
            if (self->m_state != State::Closed && self->overdue(Clock::now()))
                self->close();
        });
    }

    void abort() override { close(); }

private:
    enum class State { Handshaking, Waiting, Reading, Running, Writing, Lingering, Closed };
    enum class Route { Rpc, Health, Metrics };
    using Parser = beast::http::request_parser<beast::http::string_body>;

    Socket &lowest() { return beast::get_lowest_layer(m_stream); }
    auto executor() { return lowest().get_executor(); }
    std::shared_ptr<HttpSession> self()
    {
        return std::static_pointer_cast<HttpSession>(shared_from_this());
    }

    void close()
    {
        m_state = State::Closed;
        clearDeadline();
        beast::error_code ignored;
        lowest().close(ignored);
    }

    // A TLS client speaks first, with a handshake record; anything else is a plain HTTP client
    // that got the port wrong, and is told so in plain HTTP. The handshake must be over within
    // the header deadline.
    void awaitHandshake()
    {
        m_state = State::Handshaking;
        setDeadline(m_shared.settings.headerSeconds);
        lowest().async_read_some(
            m_buffer.prepare(kWaitBytes),
            continuing([self = self()](beast::error_code ec, std::size_t bytes) {
                self->m_buffer.commit(bytes);
                if (ec || self->m_state == State::Closed)
                    return self->close();
                constexpr unsigned char handshakeRecord = 0x16;
                if (static_cast<const unsigned char *>(self->m_buffer.data().data())[0] !=
                    handshakeRecord)
                    return self->refuse(beast::http::status::bad_request,
                                        QStringLiteral("Bad Request: this port speaks HTTPS; send "
                                                       "the request over TLS (https://)"));
                self->handshake();
            }));
    }

    void handshake()
    {
        if constexpr (kTls) {
            m_stream.async_handshake(
                asio::ssl::stream_base::server, m_buffer.data(),
                continuing([self = self()](beast::error_code ec, std::size_t used) {
                    if (ec || self->m_state == State::Closed)
                        return self->close();
                    self->m_buffer.consume(used);
                    self->m_secure = true;
                    self->awaitRequest();
                }));
        }
    }

    // Between requests the connection waits for a first byte; it holds no parser and, once a
    // large request has passed, gives its buffer back.
    void awaitRequest()
    {
        if (m_shared.stopping)
            return close();
        if (m_buffer.size() > 0)
            return beginRequest();
        m_state = State::Waiting;
        if (m_buffer.capacity() > kWaitBytes)
            m_buffer.shrink_to_fit();
        setDeadline(m_shared.settings.idleSeconds);
        read(kWaitBytes);
    }

    void read(std::size_t bytes)
    {
        m_stream.async_read_some(m_buffer.prepare(bytes),
                                 continuing([self = self()](beast::error_code ec, std::size_t got) {
                                     self->m_buffer.commit(got);
                                     if (self->m_state == State::Closed)
                                         return;
                                     if (ec)
                                         return self->failedRead(ec);
                                     if (self->m_state == State::Waiting)
                                         return self->beginRequest();
                                     self->parse();
                                 }));
    }

    void beginRequest()
    {
        m_state = State::Reading;
        setDeadline(m_shared.settings.headerSeconds);
        m_parser.emplace();
        m_parser->header_limit(static_cast<std::uint32_t>(m_shared.settings.maxHeaderBytes));
        m_parser->body_limit(static_cast<std::uint64_t>(m_shared.settings.maxBodyBytes));
        m_headerChecked = false;
        parse();
    }

    // Feeds the parser what the buffer holds: the headers are checked as soon as they are
    // complete, before any of the body is taken; more is read only when the parser needs it.
    void parse()
    {
        for (;;) {
            beast::error_code ec;
            std::size_t used = 0;
            if (m_buffer.size() > 0) {
                used = m_parser->put(m_buffer.data(), ec);
                m_buffer.consume(used);
            }
            if (ec == beast::http::error::need_more || (!ec && used == 0 && !m_parser->is_done()))
                return read(beast::read_size(m_buffer, kReadBytes));
            if (ec)
                return failedRead(ec);
            if (!m_headerChecked) {
                m_headerChecked = true;
                if (!acceptHeader())
                    return;
                setDeadline(m_shared.settings.bodySeconds);
                m_parser->eager(true);
                const beast::http::request_header<> &header = m_parser->get();
                if (header.version() >= 11 &&
                    beast::iequals(header[beast::http::field::expect], "100-continue"))
                    return sendContinue();
            }
            if (m_parser->is_done())
                return run();
        }
    }

    // Refuses what the headers alone decide (the path, the verb, the token) and returns false;
    // otherwise notes the route and returns true.
    bool acceptHeader()
    {
        using beast::http::status;
        using beast::http::verb;
        const beast::http::request_header<> &header = m_parser->get();
        const std::string_view target = header.target();
        const std::string_view path = target.substr(0, target.find('?'));
        constexpr std::string_view prefix = "/rpc/";
        m_object = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
        const bool isGet = header.method() == verb::get || header.method() == verb::head;
        m_headOnly = header.method() == verb::head;
        if (path == "/health" && m_shared.endpoints.healthy) {
            m_route = Route::Health;
        } else if (path == "/metrics" && m_shared.endpoints.metrics) {
            m_route = Route::Metrics;
        } else if (path.starts_with(prefix) && path.size() > prefix.size() &&
                   path.find('/', prefix.size()) == std::string_view::npos) {
            m_route = Route::Rpc;
            m_object = m_object.mid(static_cast<qsizetype>(prefix.size()));
        } else {
            refuse(status::not_found,
                   QStringLiteral("Not Found: requests go to /rpc/<remote object>"));
            return false;
        }
        if (m_route == Route::Rpc && header.method() != verb::post) {
            refuse(status::method_not_allowed,
                   QStringLiteral("Method Not Allowed: remote calls are POSTed"),
                   "Allow: POST\r\n");
            return false;
        }
        if (m_route != Route::Rpc && !isGet) {
            refuse(status::method_not_allowed, QStringLiteral("Method Not Allowed: use GET"),
                   "Allow: GET, HEAD\r\n");
            return false;
        }
        if (m_route != Route::Health && !m_shared.expectedAuthorization.empty() &&
            !sameSecret(header[beast::http::field::authorization],
                        m_shared.expectedAuthorization)) {
            refuse(status::unauthorized,
                   QStringLiteral("Unauthorized: missing or wrong bearer token"),
                   "WWW-Authenticate: Bearer\r\n");
            return false;
        }
        return true;
    }

    void sendContinue()
    {
        static constexpr std::string_view proceed = "HTTP/1.1 100 Continue\r\n\r\n";
        asio::async_write(m_stream, asio::buffer(proceed.data(), proceed.size()),
                          continuing([self = self()](beast::error_code ec, std::size_t) {
                              if (ec || self->m_state == State::Closed)
                                  return self->close();
                              self->parse();
                          }));
    }

    void failedRead(beast::error_code ec)
    {
        using Error = beast::http::error;
        if (ec == Error::body_limit)
            return refuse(beast::http::status::payload_too_large,
                          QStringLiteral("Invalid Request: the body exceeds %1 bytes")
                              .arg(m_shared.settings.maxBodyBytes));
        if (ec == Error::header_limit)
            return refuse(beast::http::status::request_header_fields_too_large,
                          QStringLiteral("Request Header Fields Too Large: more than %1 bytes")
                              .arg(m_shared.settings.maxHeaderBytes));
        // A malformed request (a control character in a header value among them) is refused;
        // a connection closed (part-way through a request or not) or failed just closes.
        if (ec.category() == beast::http::make_error_code(Error::bad_value).category())
            return refuse(
                beast::http::status::bad_request,
                QStringLiteral("Bad Request: %1").arg(QString::fromStdString(ec.message())));
        close();
    }

    // Runs the request on this thread, or queues it when every place is taken (RequestLimit).
    void run()
    {
        m_state = State::Running;
        clearDeadline();
        beast::http::request<beast::http::string_body> request = m_parser->release();
        m_parser.reset();
        m_keepAlive = request.keep_alive();
        m_version = request.version();
        m_body = std::move(request.body());
        if (m_route == Route::Metrics) {
            const std::string text = m_shared.endpoints.metrics();
            return answer(beast::http::status::ok, "text/plain; version=0.0.4; charset=utf-8",
                          QByteArray(text.data(), static_cast<qsizetype>(text.size())));
        }
        if (m_shared.limit.enter(
                [self = self()] { asio::post(self->executor(), [self] { self->runHere(); }); }))
            runHere();
    }

    // Holds one of the limit's places until the work is done.
    void runHere()
    {
        struct Place {
            RequestLimit &limit;
            ~Place() { limit.leave(); }
        };
        QByteArray reply;
        bool healthy = false;
        {
            const Place place{m_shared.limit};
            if (m_route == Route::Health)
                healthy = m_shared.endpoints.healthy();
            else
                reply = m_shared.dispatcher.handle(
                    m_object,
                    QByteArray::fromRawData(m_body.data(), static_cast<qsizetype>(m_body.size())));
        }
        m_body = {};
        if (m_route == Route::Health)
            return answer(healthy ? beast::http::status::ok
                                  : beast::http::status::service_unavailable,
                          "text/plain; charset=utf-8",
                          healthy ? QByteArrayLiteral("ok\n") : QByteArrayLiteral("unavailable\n"));
        // Notifications only: nothing to say.
        if (reply.isEmpty())
            return answer(beast::http::status::no_content, {}, {});
        answer(beast::http::status::ok, "application/json", reply);
    }

    void answer(beast::http::status status, std::string_view contentType, const QByteArray &body)
    {
        m_keepAlive = m_keepAlive && !m_shared.stopping;
        m_out =
            httpResponse(status, m_version, m_keepAlive, contentType,
                         std::string_view(body.constData(), static_cast<std::size_t>(body.size())),
                         {}, !m_headOnly);
        write();
    }

    void refuse(beast::http::status status, const QString &message,
                std::string_view extraHeaders = {})
    {
        m_shared.logRefusal(m_object.isEmpty() ? QStringLiteral("-") : m_object,
                            static_cast<unsigned>(status));
        const QByteArray body = refusalBody(message);
        m_keepAlive = false;
        m_out =
            httpResponse(status, m_parser && m_parser->get().version() == 10 ? 10 : 11, false,
                         "application/json",
                         std::string_view(body.constData(), static_cast<std::size_t>(body.size())),
                         extraHeaders);
        m_parser.reset();
        write();
    }

    void write()
    {
        m_state = State::Writing;
        setDeadline(m_shared.settings.bodySeconds);
        const asio::const_buffer buffers = asio::buffer(m_out);
        auto written = continuing([self = self()](beast::error_code ec, std::size_t) {
            if (ec || self->m_state == State::Closed)
                return self->close();
            self->m_out = {};
            if (self->m_keepAlive)
                return self->awaitRequest();
            self->linger();
        });
        // Before the handshake (a plain request to the TLS port) the answer goes out in plain.
        if (kTls && !m_secure)
            asio::async_write(lowest(), buffers, std::move(written));
        else
            asio::async_write(m_stream, buffers, std::move(written));
    }

    // Closing right after an answer while the client still sends (the rest of a refused body,
    // pipelined requests) would reset the connection and could destroy the answer before the
    // client reads it; so the sending side closes first and what still comes is read and
    // dropped for a moment. Over TLS the close is the protocol's own (close_notify).
    void linger()
    {
        m_state = State::Lingering;
        setDeadline(kLingerSeconds);
        if constexpr (kTls) {
            if (m_secure)
                return m_stream.async_shutdown(
                    continuing([self = self()](beast::error_code) { self->close(); }));
        }
        beast::error_code ignored;
        lowest().shutdown(asio::socket_base::shutdown_send, ignored);
        drain();
    }

    void drain()
    {
        m_buffer.clear();
        lowest().async_read_some(m_buffer.prepare(kDrainBytes),
                                 continuing([self = self()](beast::error_code ec, std::size_t) {
                                     if (ec || self->m_state == State::Closed)
                                         return self->close();
                                     self->drain();
                                 }));
    }

    static constexpr std::size_t kWaitBytes = 512;
    static constexpr std::size_t kReadBytes = 64 * 1024;
    static constexpr std::size_t kDrainBytes = 16 * 1024;
    static constexpr int kLingerSeconds = 2;

    Stream m_stream;
    HttpShared &m_shared;
    asio::ip::address m_client;
    State m_state = State::Waiting;
    Route m_route = Route::Rpc;
    bool m_secure = false; // the TLS handshake is over
    bool m_headerChecked = false;
    bool m_keepAlive = true;
    bool m_headOnly = false;
    unsigned m_version = 11;
    beast::flat_buffer m_buffer;
    std::optional<Parser> m_parser;
    QString m_object;
    std::string m_body; // of the request
    std::string m_out;  // the answer
};

} // namespace ngc
