#pragma once

#include <net/NetError.h>
#include <net/RemoteArg.h>
#include <net/RemoteReply.h>

#include <QJsonArray>
#include <QJsonValue>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace ngc {

// What the trace hook sees of one remote call once it has ended.
struct CallTrace {
    QString object; // remote object, e.g. "Ngc27451.rdmInfoPlanNeg"
    QString method;
    QJsonArray args;  // the arguments as sent (by-reference ones with their value at sending)
    bool ok = false;  // false: the call failed and error says why
    QJsonValue reply; // the reply when ok (built only for the hook)
    QJsonArray refs;  // the final values the server returned for the arguments, when ok
    QString error;
};

// A connection to one remote object of the application server. Methods are called by name with
// positional arguments; every call blocks until the reply arrives or a time-out expires.
//
// Opening runs the before-connect handler (where the owner sets host and port) and makes the
// connection usable; the socket itself is connected by the first call and then kept alive, with
// Nagle's algorithm off, so that a call costs one round trip. One thread at a time may call.
class TNetConnection final : public QObject {
    Q_OBJECT
public:
    using BeforeConnectHandler = std::function<void(TNetConnection &)>;
    using TraceHook = std::function<void(const CallTrace &)>;

    explicit TNetConnection(QObject *parent = nullptr);
    explicit TNetConnection(const QString &serverName, QObject *parent = nullptr);
    ~TNetConnection() override;

    // The remote object's name; the path of every call is /rpc/<ServerName>.
    QString ServerName() const { return m_serverName; }
    void SetServerName(const QString &name) { m_serverName = name; }

    // Host name or address of the application server; "http://name" is taken as "name", and
    // "https://name" as "name" reached over TLS, its certificate verified against the host
    // context's CA file or else the system's authorities. Host and port take effect at the next
    // opening.
    QString Host() const { return m_host; }
    bool UsesTls() const { return m_tls; }
    void SetHost(const QString &host);
    int Port() const { return m_port; }
    void SetPort(int port) { m_port = port; }

    // With ThrowException a reply that reports a failure ({"ok":false}) is raised as a NetError
    // by Call; without it the reply is returned for CheckResultServ to show. Transport and
    // protocol failures are raised either way.
    bool ThrowException() const { return m_throwException; }
    void SetThrowException(bool on) { m_throwException = on; }

    // Time-outs take effect at once, also on an open connection.
    std::chrono::milliseconds ConnectTimeout() const { return m_connectTimeout; }
    void SetConnectTimeout(std::chrono::milliseconds timeout);
    std::chrono::milliseconds ReadTimeout() const { return m_readTimeout; }
    void SetReadTimeout(std::chrono::milliseconds timeout);

    // Opening an open connection and closing a closed one do nothing. Opening checks the
    // settings (NetError when host, port or server name are unusable) but does not touch the
    // network; the bearer token is read from the host context here. A token is sent over plain
    // HTTP only to this machine, unless the host context allows it to any server: otherwise
    // opening fails with a NetError that says so.
    void Open();
    void Close();
    void SetConnected(bool connected);
    bool Connected() const { return m_open; }

    // Calls a method of the remote object and returns its reply ({"ok":...}). On success every
    // by-reference argument receives the server's final value; on any failure none is touched.
    // The reply stays in the received bytes until someone asks for it as a QJsonValue.
    RemoteReply Call(const QString &method, const RemoteArgs &args = {});

    // Runs at every opening, before anything else.
    BeforeConnectHandler BeforeConnect;

    // One hook for every connection of the process, run after each call (also a failed one),
    // on the calling thread. Returns the hook it replaces; an empty function removes it.
    static TraceHook SetTraceHook(TraceHook hook);

private:
    struct Transport;

    std::unique_ptr<Transport> makeTransport() const;
    void applyTimeouts() const;
    // refs receives the final values the server returned for the arguments.
    RemoteReply callOpen(const QString &method, const RemoteArgs &args, JsonSpan &refs);
    QString where(const QString &method) const;
    [[noreturn]] void fail(const QString &method, const QString &before,
                           const QString &after = {}) const;

    QString m_serverName;
    QString m_host = QStringLiteral("127.0.0.1");
    int m_port = 8080;
    bool m_tls = false;
    QString m_caFile;
    bool m_throwException = false;
    std::chrono::milliseconds m_connectTimeout{5000};
    std::chrono::milliseconds m_readTimeout{60000};
    bool m_open = false;
    QString m_token;
    int m_nextId = 1;
    std::unique_ptr<Transport> m_transport;
};

} // namespace ngc
