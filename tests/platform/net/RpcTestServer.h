#pragma once

#include <httplib.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A scriptable JSON-RPC endpoint on 127.0.0.1 for the client's tests: records every request and
// answers with whatever the test's handler writes, including what the real server never would.
class RpcTestServer {
public:
    struct Seen {
        std::string path;
        QJsonObject body;
        std::string authorization;
        int remotePort = 0;
    };
    using Handler = std::function<void(const QJsonObject &request, httplib::Response &)>;

    explicit RpcTestServer(Handler handler = echoRefs) : m_handler(std::move(handler))
    {
        m_server.set_tcp_nodelay(true);
        m_server.Post(R"(/rpc/(.*))", [this](const httplib::Request &req, httplib::Response &res) {
            const QJsonObject body =
                QJsonDocument::fromJson(QByteArray::fromStdString(req.body)).object();
            Handler current;
            {
                std::lock_guard lock(m_mutex);
                m_seen.push_back(
                    {req.path, body, req.get_header_value("Authorization"), req.remote_port});
                current = m_handler;
            }
            current(body, res);
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        // Bound and listening already: connections made before the loop starts wait in the
        // backlog.
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~RpcTestServer()
    {
        // stop() before the loop has started would leave the loop running for ever.
        while (!m_server.is_running())
            std::this_thread::yield();
        m_server.stop();
        m_thread.join();
    }
    RpcTestServer(const RpcTestServer &) = delete;
    RpcTestServer &operator=(const RpcTestServer &) = delete;

    int port() const { return m_port; }
    httplib::Server &server() { return m_server; }
    void setHandler(Handler handler)
    {
        std::lock_guard lock(m_mutex);
        m_handler = std::move(handler);
    }
    std::vector<Seen> seen() const
    {
        std::lock_guard lock(m_mutex);
        return m_seen;
    }

    static void sendJson(httplib::Response &res, const QJsonObject &object, int status = 200)
    {
        res.status = status;
        res.set_content(QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString(),
                        "application/json");
    }
    static QJsonObject success(const QJsonObject &request, const QJsonValue &reply,
                               const QJsonArray &refs)
    {
        return {{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                {QStringLiteral("id"), request.value(QStringLiteral("id"))},
                {QStringLiteral("result"),
                 QJsonObject{{QStringLiteral("reply"), reply}, {QStringLiteral("refs"), refs}}}};
    }
    static QJsonObject okReply(const QJsonValue &data = QJsonValue())
    {
        return {{QStringLiteral("ok"), true}, {QStringLiteral("data"), data}};
    }
    // Answers ok with every argument handed back unchanged as its final value.
    static void echoRefs(const QJsonObject &request, httplib::Response &res)
    {
        sendJson(res,
                 success(request, okReply(), request.value(QStringLiteral("params")).toArray()));
    }

private:
    httplib::Server m_server;
    Handler m_handler;
    mutable std::mutex m_mutex;
    std::vector<Seen> m_seen;
    int m_port = 0;
    std::thread m_thread;
};
