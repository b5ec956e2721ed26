#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// One raw HTTP/1.1 keep-alive connection to 127.0.0.1, so a test controls exactly which socket
// each request travels on and which bytes it sends (a client library would pool and reconnect on
// its own, and would not send what a hostile client sends). `from` picks the client's own
// address in 127.0.0.0/8, so that one test can be several clients.
class RawConnection {
public:
    explicit RawConnection(int port, int timeoutSeconds = 10, const char *from = nullptr)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        timeval timeout{timeoutSeconds, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        if (from) {
            ::inet_pton(AF_INET, from, &address.sin_addr);
            if (::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
                return;
        }
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    }
    ~RawConnection() { ::close(m_fd); }
    RawConnection(const RawConnection &) = delete;
    RawConnection &operator=(const RawConnection &) = delete;

    bool connected() const { return m_connected; }

    static std::string request(const std::string &path, const QByteArray &body,
                               const std::string &extraHeaders = {})
    {
        return "POST " + path +
               " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: keep-alive\r\n"
               "Content-Type: application/json\r\n" +
               extraHeaders + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
               body.toStdString();
    }

    bool send(std::string_view bytes)
    {
        return ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }

    // Sends one request and reads its response; status 0 when the connection failed.
    int post(const std::string &path, const QByteArray &body, QByteArray *responseBody = nullptr,
             const std::string &extraHeaders = {})
    {
        if (!send(request(path, body, extraHeaders)))
            return 0;
        return read(responseBody);
    }

    // Reads the next response (bytes past it stay for the next call); status 0 when the
    // connection closed or timed out first.
    int read(QByteArray *responseBody = nullptr, std::string *headers = nullptr)
    {
        std::size_t headerEnd = std::string::npos;
        while ((headerEnd = m_pending.find("\r\n\r\n")) == std::string::npos) {
            if (!receive())
                return 0;
        }
        const std::string head = m_pending.substr(0, headerEnd);
        std::size_t length = 0;
        const std::size_t field = head.find("Content-Length: ");
        if (field != std::string::npos)
            length = std::stoul(head.substr(field + 16));
        while (m_pending.size() < headerEnd + 4 + length) {
            if (!receive())
                return 0;
        }
        if (responseBody)
            *responseBody = QByteArray::fromStdString(m_pending.substr(headerEnd + 4, length));
        if (headers)
            *headers = head;
        m_pending.erase(0, headerEnd + 4 + length);
        return std::stoi(head.substr(9, 3));
    }

    // Whether the server closes the connection (rather than leaving it open) within the timeout.
    bool closedByServer()
    {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n == 0 || (n < 0 && errno == ECONNRESET))
                return true;
            if (n < 0)
                return false;
        }
    }

private:
    bool receive()
    {
        char buffer[65536];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        m_pending.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    int m_fd = -1;
    bool m_connected = false;
    std::string m_pending;
};

// Connections that send a request's headers one byte at a time, every `interval`, from a thread
// of their own, as a slow or hostile client does; their client addresses taken in turn from
// `from` (none: 127.0.0.1).
class Tricklers {
public:
    Tricklers(int port, const std::string &path, int count, std::chrono::milliseconds interval,
              const std::vector<const char *> &from = {})
    {
        for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
            m_connections.push_back(std::make_unique<RawConnection>(
                port, 10, from.empty() ? nullptr : from[i % from.size()]));
        m_thread = std::thread([this, interval, path] {
            const std::string request = RawConnection::request(path, "{}");
            for (std::size_t sent = 0; !m_stop && sent < request.size(); ++sent) {
                for (auto &connection : m_connections)
                    connection->send(std::string_view(request).substr(sent, 1));
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait_for(lock, interval, [this] { return m_stop.load(); });
            }
        });
    }
    ~Tricklers()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    Tricklers(const Tricklers &) = delete;
    Tricklers &operator=(const Tricklers &) = delete;

    RawConnection &at(std::size_t i) { return *m_connections.at(i); }

private:
    std::vector<std::unique_ptr<RawConnection>> m_connections;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
};

inline QByteArray rpcBody(const QString &method, const QJsonArray &params, int id = 1)
{
    return QJsonDocument(
               QJsonObject{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}})
        .toJson(QJsonDocument::Compact);
}
