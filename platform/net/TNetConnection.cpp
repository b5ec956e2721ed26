#include "TNetConnection.h"

#include <host/HostContext.h>

#include <httplib.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <mutex>

namespace ngc {

namespace {

std::mutex g_traceMutex;
TNetConnection::TraceHook g_traceHook;

void runTraceHook(const CallTrace &trace)
{
    TNetConnection::TraceHook hook;
    {
        std::lock_guard lock(g_traceMutex);
        hook = g_traceHook;
    }
    if (hook)
        hook(trace);
}

QString seconds(std::chrono::milliseconds timeout)
{
    return QString::number(double(timeout.count()) / 1000.0, 'g', 6) + QStringLiteral(" s");
}

// httplib takes seconds and microseconds; a zero time-out would mean "wait forever" in places.
std::pair<time_t, time_t> secUsec(std::chrono::milliseconds timeout)
{
    const auto ms = std::max<std::chrono::milliseconds::rep>(timeout.count(), 1);
    return {time_t(ms / 1000), time_t((ms % 1000) * 1000)};
}

QString bodySnippet(const std::string &body)
{
    QString text = QString::fromUtf8(body.data(), qsizetype(std::min<size_t>(body.size(), 200)));
    return text.simplified();
}

} // namespace

struct TNetConnection::Transport {
    explicit Transport(const std::string &host, int port) : client(host, port) {}
    httplib::Client client;
};

TNetConnection::TNetConnection(QObject *parent) : QObject(parent) {}

TNetConnection::TNetConnection(const QString &serverName, QObject *parent)
    : QObject(parent), m_serverName(serverName)
{
}

TNetConnection::~TNetConnection() = default;

void TNetConnection::SetHost(const QString &host)
{
    QString name = host.trimmed();
    if (name.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive))
        name = name.mid(7);
    while (name.endsWith(QLatin1Char('/')))
        name.chop(1);
    m_host = name;
}

TNetConnection::TraceHook TNetConnection::setTraceHook(TraceHook hook)
{
    std::lock_guard lock(g_traceMutex);
    std::swap(g_traceHook, hook);
    return hook;
}

void TNetConnection::SetConnected(bool connected)
{
    if (connected)
        Open();
    else
        Close();
}

void TNetConnection::Open()
{
    if (m_open)
        return;
    if (m_beforeConnect)
        m_beforeConnect(*this);

    // The name and host end up in the request line; anything beyond a plain name could change
    // the request itself.
    static const QRegularExpression objectName(QStringLiteral("^[A-Za-z0-9_.-]+$"));
    static const QRegularExpression hostName(QStringLiteral("^[A-Za-z0-9_.-]+$"));
    if (!objectName.match(m_serverName).hasMatch())
        throw NetError(QStringLiteral("Nome de objeto remoto inválido: \"%1\"")
                           .arg(m_serverName)
                           .toStdString());
    if (!hostName.match(m_host).hasMatch())
        throw NetError(QStringLiteral("Endereço do servidor de aplicação inválido: \"%1\" (%2)")
                           .arg(m_host, m_serverName)
                           .toStdString());
    if (m_port < 1 || m_port > 65535)
        throw NetError(QStringLiteral("Porta do servidor de aplicação inválida: %1 (%2)")
                           .arg(m_port)
                           .arg(m_serverName)
                           .toStdString());

    const QString token = HostContext::instance().token();
    // A line break in the token would end the header and start another one.
    if (std::any_of(token.begin(), token.end(), [](QChar c) { return c.unicode() < 0x20; }))
        throw NetError(QStringLiteral("Token de acesso inválido para o servidor de aplicação (%1)")
                           .arg(m_serverName)
                           .toStdString());
    m_token = token;
    m_transport = makeTransport();
    applyTimeouts();
    m_open = true;
}

std::unique_ptr<TNetConnection::Transport> TNetConnection::makeTransport() const
{
    auto transport = std::make_unique<Transport>(m_host.toStdString(), m_port);
    httplib::Client &client = transport->client;
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    if (!m_token.isEmpty())
        client.set_bearer_token_auth(m_token.toStdString());
    return transport;
}

void TNetConnection::applyTimeouts() const
{
    if (!m_transport)
        return;
    httplib::Client &client = m_transport->client;
    const auto [connectSec, connectUsec] = secUsec(m_connectTimeout);
    client.set_connection_timeout(connectSec, connectUsec);
    const auto [readSec, readUsec] = secUsec(m_readTimeout);
    client.set_read_timeout(readSec, readUsec);
    client.set_write_timeout(readSec, readUsec);
}

void TNetConnection::setConnectTimeout(std::chrono::milliseconds timeout)
{
    m_connectTimeout = timeout;
    applyTimeouts();
}

void TNetConnection::setReadTimeout(std::chrono::milliseconds timeout)
{
    m_readTimeout = timeout;
    applyTimeouts();
}

void TNetConnection::Close()
{
    if (!m_open)
        return;
    m_transport.reset();
    m_token.clear();
    m_open = false;
}

QString TNetConnection::where(const QString &method) const
{
    return QStringLiteral("%1:%2 (%3.%4)").arg(m_host).arg(m_port).arg(m_serverName, method);
}

void TNetConnection::fail(const QString &method, const QString &before, const QString &after) const
{
    throw NetError((before + where(method) + after).toStdString());
}

QJsonValue TNetConnection::Call(const QString &method, const RemoteArgs &args)
{
    QJsonArray params;
    for (const RemoteArg &arg : args)
        params.append(arg.toJson());

    CallTrace trace;
    trace.object = m_serverName;
    trace.method = method;
    trace.args = params;
    try {
        QJsonArray refs;
        QJsonValue reply = callOpen(method, args, params, refs);
        trace.ok = true;
        trace.reply = reply;
        trace.refs = refs;
        runTraceHook(trace);
        return reply;
    } catch (const std::exception &error) {
        trace.error = QString::fromUtf8(error.what());
        runTraceHook(trace);
        throw;
    }
}

QJsonValue TNetConnection::callOpen(const QString &method, const RemoteArgs &args,
                                    const QJsonArray &params, QJsonArray &refs)
{
    if (!m_open)
        throw NetError(
            QStringLiteral("A conexão com o servidor de aplicação não está aberta (%1.%2)")
                .arg(m_serverName, method)
                .toStdString());
    if (method.isEmpty())
        fail(method, QStringLiteral("Chamada sem nome de método ao servidor de aplicação "));

    const int id = m_nextId++;
    QJsonObject request{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                        {QStringLiteral("id"), id},
                        {QStringLiteral("method"), method},
                        {QStringLiteral("params"), params}};
    const QByteArray body = QJsonDocument(request).toJson(QJsonDocument::Compact);
    const std::string path = "/rpc/" + m_serverName.toStdString();

    const auto started = std::chrono::steady_clock::now();
    httplib::Result result =
        m_transport->client.Post(path, body.constData(), size_t(body.size()), "application/json");
    if (!result) {
        const auto elapsed = std::chrono::steady_clock::now() - started;
        const QString cannotConnect =
            QStringLiteral("Não foi possível conectar ao servidor de aplicação ");
        switch (result.error()) {
        case httplib::Error::Connection:
            fail(method, cannotConnect,
                 QStringLiteral(": conexão recusada ou endereço inacessível"));
        case httplib::Error::ConnectionTimeout:
            fail(method, cannotConnect,
                 QStringLiteral(": sem resposta em ") + seconds(m_connectTimeout));
        case httplib::Error::Read:
            // A read error is either the time-out running out or the peer closing the socket.
            if (elapsed >= m_readTimeout)
                fail(method, QStringLiteral("O servidor de aplicação "),
                     QStringLiteral(" não respondeu em ") + seconds(m_readTimeout));
            fail(method, QStringLiteral("O servidor de aplicação "),
                 QStringLiteral(" fechou a conexão sem responder"));
        default:
            fail(method, QStringLiteral("Falha na comunicação com o servidor de aplicação "),
                 QStringLiteral(": ") + QString::fromStdString(httplib::to_string(result.error())));
        }
    }

    const httplib::Response &response = *result;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(response.body.data(), qsizetype(response.body.size())),
        &parseError);
    const QJsonObject envelope = document.object();
    const QString server = QStringLiteral("O servidor de aplicação ");
    const QString answer = QStringLiteral("Resposta inválida do servidor de aplicação ");

    // A protocol fault comes as an error object, with HTTP 200 or with an error status (401 for
    // the token); either way its message is the one to show.
    if (const QJsonValue error = envelope.value(QStringLiteral("error")); error.isObject()) {
        const QJsonObject object = error.toObject();
        fail(method, server,
             QStringLiteral(" recusou a chamada: ") +
                 object.value(QStringLiteral("message")).toString() + QStringLiteral(" (código ") +
                 QString::number(object.value(QStringLiteral("code")).toInt()) +
                 QStringLiteral(")"));
    }
    if (response.status != 200)
        fail(method, server,
             QStringLiteral(" respondeu HTTP ") + QString::number(response.status) +
                 QStringLiteral(": ") + bodySnippet(response.body));
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        fail(method, answer, QStringLiteral(": ") + bodySnippet(response.body));
    if (envelope.value(QStringLiteral("id")) != QJsonValue(id))
        fail(method, answer, QStringLiteral(": resposta a outra chamada"));

    const QJsonObject payload = envelope.value(QStringLiteral("result")).toObject();
    const QJsonValue reply = payload.value(QStringLiteral("reply"));
    if (reply.isUndefined())
        fail(method, answer, QStringLiteral(": sem resultado"));
    const QJsonValue refsValue = payload.value(QStringLiteral("refs"));
    refs = refsValue.toArray();
    const bool anyReference =
        std::any_of(args.begin(), args.end(), [](const RemoteArg &a) { return a.isReference(); });
    if (refsValue.isArray() ? refs.size() != args.size() : anyReference)
        fail(method, answer,
             QStringLiteral(": %1 valores de retorno para %2 argumentos")
                 .arg(refs.size())
                 .arg(args.size()));
    for (qsizetype i = 0; i < refs.size(); ++i) {
        if (!args[i].accepts(refs[i]))
            fail(method, answer,
                 QStringLiteral(": valor de retorno do argumento %1 de tipo inválido").arg(i + 1));
    }

    if (m_throwException && reply.isObject() &&
        reply.toObject().value(QStringLiteral("ok")) == QJsonValue(false))
        fail(method, QString(),
             QStringLiteral(": ") + reply.toObject().value(QStringLiteral("message")).toString());

    for (qsizetype i = 0; i < refs.size(); ++i)
        args[i].writeBack(refs[i]);
    return reply;
}

} // namespace ngc
