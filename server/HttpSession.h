#pragma once

// One connection of the HTTP shell (server/HttpServer.cpp), and what all connections share.
// Internal to the shell.

#include "Dispatcher.h"
#include "HttpServer.h"
#include "WorkerPool.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/address.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

namespace ngc {

namespace asio = boost::asio;
namespace beast = boost::beast;

class HttpConnection;

// What the connections of one server share. Everything in it is used on the event loop's thread
// only, so nothing is locked.
struct HttpShared {
    const Dispatcher &dispatcher;
    const HttpSettings &settings;
    WorkerPool &workers;
    asio::io_context &io;
    std::function<void(const RequestLog &)> log;
    std::string expectedAuthorization; // "Bearer <token>"; empty: none needed
    bool stopping = false;
    bool loopEnded = false; // connections destroyed after this touch nothing else
    std::unordered_set<HttpConnection *> connections;
    std::map<asio::ip::address, int> perClient;
    std::function<void()> lastClosed; // while stopping, when no connection is left

    void logRefusal(const QString &object, unsigned status) const
    {
        if (log)
            log({object, {}, 0, QStringLiteral("http %1").arg(status)});
    }
};

// A response the shell gives itself, with a JSON-RPC error body so that every client reads it
// the same way; the connection closes after it.
beast::http::response<beast::http::string_body>
httpRefusal(beast::http::status status, const QString &message, unsigned version = 11);

// Compares without stopping at the first difference, so the time taken tells nothing about how
// much of a guessed token was right.
bool sameSecret(std::string_view given, std::string_view expected);

// The stop of the server sees every connection through this.
class HttpConnection {
public:
    virtual ~HttpConnection() = default;
    // Closes at once unless a request is being answered; that one gets its answer with
    // Connection: close.
    virtual void stop() = 0;
    // Closes at once.
    virtual void abort() = 0;
};

// One connection, from its first byte to its close, as a chain of asynchronous steps on the
// event loop: waiting for a request, its headers, its body (each with its own deadline), running
// it on a worker, writing the answer, and waiting for the next one. Requests are taken one at a
// time, so pipelined ones are answered in order; bytes that arrive meanwhile stay in the buffer
// or the socket. `Stream` is beast::tcp_stream, or a TLS stream over one (which would shake
// hands in start()).
template <class Stream>
class HttpSession final : public HttpConnection,
                          public std::enable_shared_from_this<HttpSession<Stream>> {
public:
    HttpSession(Stream stream, HttpShared &shared, asio::ip::address client)
        : m_stream(std::move(stream)), m_shared(shared), m_client(std::move(client))
    {
        m_shared.connections.insert(this);
        ++m_shared.perClient[m_client];
    }

    ~HttpSession() override
    {
        if (m_shared.loopEnded)
            return;
        m_shared.connections.erase(this);
        const auto count = m_shared.perClient.find(m_client);
        if (--count->second == 0)
            m_shared.perClient.erase(count);
        if (m_shared.stopping && m_shared.connections.empty() && m_shared.lastClosed)
            m_shared.lastClosed();
    }

    HttpSession(const HttpSession &) = delete;
    HttpSession &operator=(const HttpSession &) = delete;

    void start() { awaitRequest(); }

    void stop() override
    {
        if (m_state == State::Waiting || m_state == State::Reading)
            abort();
    }

    void abort() override
    {
        m_state = State::Closed;
        beast::close_socket(beast::get_lowest_layer(m_stream));
    }

private:
    enum class State { Waiting, Reading, Running, Writing, Lingering, Closed };
    using Request = beast::http::request<beast::http::string_body>;
    using Response = beast::http::response<beast::http::string_body>;

    auto &lowest() { return beast::get_lowest_layer(m_stream); }
    std::shared_ptr<HttpSession> self() { return this->shared_from_this(); }
    static std::chrono::seconds seconds(int count) { return std::chrono::seconds(count); }

    // Between requests the connection waits for a first byte; it holds no parser and, once a
    // large request has passed, gives its buffer back.
    void awaitRequest()
    {
        if (m_shared.stopping)
            return abort();
        if (m_buffer.size() > 0)
            return readHeader();
        m_state = State::Waiting;
        if (m_buffer.capacity() > kWaitBytes)
            m_buffer.shrink_to_fit();
        lowest().expires_after(seconds(m_shared.settings.idleSeconds));
        m_stream.async_read_some(m_buffer.prepare(kWaitBytes),
                                 [self = self()](beast::error_code ec, std::size_t bytes) {
                                     self->m_buffer.commit(bytes);
                                     if (ec || self->m_state == State::Closed)
                                         return self->abort();
                                     self->readHeader();
                                 });
    }

    void readHeader()
    {
        m_state = State::Reading;
        m_parser.emplace();
        m_parser->header_limit(static_cast<std::uint32_t>(m_shared.settings.maxHeaderBytes));
        m_parser->body_limit(static_cast<std::uint64_t>(m_shared.settings.maxBodyBytes));
        lowest().expires_after(seconds(m_shared.settings.headerSeconds));
        beast::http::async_read_header(
            m_stream, m_buffer, *m_parser,
            [self = self()](beast::error_code ec, std::size_t) { self->onHeader(ec); });
    }

    void onHeader(beast::error_code ec)
    {
        if (ec)
            return failedRead(ec);
        const Request &request = m_parser->get();
        const std::string_view target = request.target();
        constexpr std::string_view prefix = "/rpc/";
        const std::string_view path = target.substr(0, target.find('?'));
        m_object = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
        if (!path.starts_with(prefix) || path.size() == prefix.size() ||
            path.find('/', prefix.size()) != std::string_view::npos)
            return refuse(beast::http::status::not_found,
                          QStringLiteral("Not Found: requests go to /rpc/<remote object>"));
        m_object = m_object.mid(static_cast<qsizetype>(prefix.size()));
        if (request.method() != beast::http::verb::post)
            return refuse(beast::http::status::method_not_allowed,
                          QStringLiteral("Method Not Allowed: remote calls are POSTed"));
        if (!m_shared.expectedAuthorization.empty() &&
            !sameSecret(request[beast::http::field::authorization], m_shared.expectedAuthorization))
            return refuse(beast::http::status::unauthorized,
                          QStringLiteral("Unauthorized: missing or wrong bearer token"));
        if (request.version() >= 11 &&
            beast::iequals(request[beast::http::field::expect], "100-continue")) {
            static constexpr std::string_view proceed = "HTTP/1.1 100 Continue\r\n\r\n";
            return asio::async_write(m_stream, asio::buffer(proceed.data(), proceed.size()),
                                     [self = self()](beast::error_code error, std::size_t) {
                                         if (error || self->m_state == State::Closed)
                                             return self->abort();
                                         self->readBody();
                                     });
        }
        readBody();
    }

    void readBody()
    {
        lowest().expires_after(seconds(m_shared.settings.bodySeconds));
        beast::http::async_read(m_stream, m_buffer, *m_parser,
                                [self = self()](beast::error_code ec, std::size_t) {
                                    if (ec)
                                        return self->failedRead(ec);
                                    self->run();
                                });
    }

    void failedRead(beast::error_code ec)
    {
        using Error = beast::http::error;
        if (m_state == State::Closed)
            return;
        if (ec == Error::body_limit)
            return refuse(beast::http::status::payload_too_large,
                          QStringLiteral("Invalid Request: the body exceeds %1 bytes")
                              .arg(m_shared.settings.maxBodyBytes));
        if (ec == Error::header_limit)
            return refuse(beast::http::status::request_header_fields_too_large,
                          QStringLiteral("Request Header Fields Too Large: more than %1 bytes")
                              .arg(m_shared.settings.maxHeaderBytes));
        // A malformed request (a control character in a header value among them) is refused;
        // a deadline passed, a connection closed part-way or a stop just closes.
        if (ec.category() == beast::http::make_error_code(Error::bad_value).category() &&
            ec != Error::end_of_stream && ec != Error::partial_message)
            return refuse(
                beast::http::status::bad_request,
                QStringLiteral("Bad Request: %1").arg(QString::fromStdString(ec.message())));
        abort();
    }

    // The dispatcher runs on a worker; its answer comes back to the event loop.
    void run()
    {
        m_state = State::Running;
        lowest().expires_never();
        Request request = m_parser->release();
        m_parser.reset();
        m_keepAlive = request.keep_alive();
        m_version = request.version();
        m_shared.workers.post([self = self(), body = std::move(request.body())]() mutable {
            QByteArray reply = self->m_shared.dispatcher.handle(
                self->m_object,
                QByteArray::fromRawData(body.data(), static_cast<qsizetype>(body.size())));
            asio::io_context &io = self->m_shared.io;
            asio::post(io,
                       [self = std::move(self), reply = std::move(reply)] { self->answer(reply); });
        });
    }

    void answer(const QByteArray &reply)
    {
        if (m_state == State::Closed)
            return;
        m_response = {};
        m_response.version(m_version);
        if (reply.isEmpty()) {
            // Notifications only: nothing to say.
            m_response.result(beast::http::status::no_content);
        } else {
            m_response.result(beast::http::status::ok);
            m_response.set(beast::http::field::content_type, "application/json");
            m_response.body().assign(reply.constData(), static_cast<std::size_t>(reply.size()));
        }
        m_response.keep_alive(m_keepAlive && !m_shared.stopping);
        if (!reply.isEmpty())
            m_response.prepare_payload();
        write();
    }

    void refuse(beast::http::status status, const QString &message)
    {
        m_shared.logRefusal(m_object, static_cast<unsigned>(status));
        m_response =
            httpRefusal(status, message, m_parser && m_parser->get().version() == 10 ? 10 : 11);
        m_parser.reset();
        write();
    }

    void write()
    {
        m_state = State::Writing;
        lowest().expires_after(seconds(m_shared.settings.bodySeconds));
        beast::http::async_write(m_stream, m_response,
                                 [self = self()](beast::error_code ec, std::size_t) {
                                     if (ec || self->m_state == State::Closed)
                                         return self->abort();
                                     if (self->m_response.keep_alive())
                                         return self->awaitRequest();
                                     self->linger();
                                 });
    }

    // Closing right after an answer while the client still sends (the rest of a refused body,
    // pipelined requests) would reset the connection and could destroy the answer before the
    // client reads it; so the sending side closes first and what still comes is read and
    // dropped for a moment.
    void linger()
    {
        m_state = State::Lingering;
        m_response = {};
        beast::error_code ignored;
        lowest().socket().shutdown(asio::socket_base::shutdown_send, ignored);
        lowest().expires_after(seconds(kLingerSeconds));
        drain();
    }

    void drain()
    {
        m_buffer.clear();
        m_stream.async_read_some(m_buffer.prepare(kDrainBytes),
                                 [self = self()](beast::error_code ec, std::size_t) {
                                     if (ec || self->m_state == State::Closed)
                                         return self->abort();
                                     self->drain();
                                 });
    }

    static constexpr std::size_t kWaitBytes = 512;
    static constexpr std::size_t kDrainBytes = 16 * 1024;
    static constexpr int kLingerSeconds = 2;

    Stream m_stream;
    HttpShared &m_shared;
    asio::ip::address m_client;
    State m_state = State::Waiting;
    beast::flat_buffer m_buffer;
    std::optional<beast::http::request_parser<beast::http::string_body>> m_parser;
    Response m_response;
    QString m_object;
    unsigned m_version = 11;
    bool m_keepAlive = true;
};

} // namespace ngc
