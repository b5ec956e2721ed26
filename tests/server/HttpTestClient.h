#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <string>

// One raw HTTP/1.1 keep-alive connection to 127.0.0.1, so a test controls exactly which socket
// each request travels on (a client library would pool and reconnect on its own).
class RawConnection {
public:
    explicit RawConnection(int port, int timeoutSeconds = 10)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        timeval timeout{timeoutSeconds, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    }
    ~RawConnection() { ::close(m_fd); }
    RawConnection(const RawConnection &) = delete;
    RawConnection &operator=(const RawConnection &) = delete;

    bool connected() const { return m_connected; }

    // Sends one request and reads its response; status 0 when the connection failed.
    int post(const std::string &path, const QByteArray &body, QByteArray *responseBody = nullptr,
             const std::string &extraHeaders = {})
    {
        const std::string request = "POST " + path +
                                    " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: keep-alive\r\n"
                                    "Content-Type: application/json\r\n" +
                                    extraHeaders +
                                    "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
                                    body.toStdString();
        if (::send(m_fd, request.data(), request.size(), MSG_NOSIGNAL) !=
            static_cast<ssize_t>(request.size()))
            return 0;
        std::string data;
        std::size_t headerEnd = std::string::npos;
        while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
            if (!receive(data))
                return 0;
        }
        const std::string headers = data.substr(0, headerEnd);
        std::size_t length = 0;
        const std::size_t field = headers.find("Content-Length: ");
        if (field != std::string::npos)
            length = std::stoul(headers.substr(field + 16));
        while (data.size() < headerEnd + 4 + length) {
            if (!receive(data))
                return 0;
        }
        if (responseBody)
            *responseBody = QByteArray::fromStdString(data.substr(headerEnd + 4, length));
        return std::stoi(headers.substr(9, 3));
    }

private:
    bool receive(std::string &data)
    {
        char buffer[65536];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        data.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    int m_fd = -1;
    bool m_connected = false;
};

inline QByteArray rpcBody(const QString &method, const QJsonArray &params, int id = 1)
{
    return QJsonDocument(
               QJsonObject{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}})
        .toJson(QJsonDocument::Compact);
}
