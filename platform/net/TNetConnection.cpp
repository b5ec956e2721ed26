#include "TNetConnection.h"

#include <net/RpcRequest.h>

#include <json/JsonScanner.h>
#include <json/JsonSpan.h>

#include <services/HostContext.h>

#include <httplib.h>
#include <openssl/x509.h>

#include <arpa/inet.h>

#include <QFileInfo>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <mutex>

namespace ngc {

using namespace Qt::StringLiterals;

namespace {

std::mutex g_traceMutex;
TNetConnection::TraceHook g_traceHook;

TNetConnection::TraceHook traceHook()
{
    std::lock_guard lock(g_traceMutex);
    return g_traceHook;
}

// Compares as the document did (1.0 is 1), but a plain integer, which is what a server writes,
// without parsing it.
bool isId(const JsonSpan &value, int id)
{
    return value.rawJson() == QByteArray::number(id) || value == QJsonValue(id);
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

// Whether a host name or address is this machine, where a token cannot be read on the way.
bool isLoopback(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
        host.endsWith(QLatin1String(".localhost"), Qt::CaseInsensitive))
        return true;
    in_addr v4{};
    if (inet_pton(AF_INET, host.toLatin1().constData(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    return inet_pton(AF_INET6, host.toLatin1().constData(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

// Why OpenSSL refused the server's certificate.
QString certificateProblem(const httplib::Client &client)
{
    const long result = client.get_openssl_verify_result();
    if (result == X509_V_OK)
        return QStringLiteral("ele não foi emitido para este nome de servidor");
    return QString::fromUtf8(X509_verify_cert_error_string(result)) +
           QStringLiteral(" (verifique NGC_CA_FILE)");
}

QString bodySnippet(const std::string &body)
{
    QString text = QString::fromUtf8(body.data(), qsizetype(std::min<size_t>(body.size(), 200)));
    return text.simplified();
}

} // namespace

struct TNetConnection::Transport {
    Transport(const std::string &host, int port, bool tls)
        : client(tls ? httplib::Client("https://" + host + ":" + std::to_string(port))
                     : httplib::Client(host, port))
    {
    }
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
    m_tls = name.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
    if (m_tls)
        name = name.mid(8);
    else if (name.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive))
        name = name.mid(7);
    while (name.endsWith(QLatin1Char('/')))
        name.chop(1);
    m_host = name;
}

TNetConnection::TraceHook TNetConnection::SetTraceHook(TraceHook hook)
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
    if (BeforeConnect)
        BeforeConnect(*this);

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

    const HostContext &context = HostContext::instance();
    const QString token = context.token();
    // A line break in the token would end the header and start another one.
    if (std::any_of(token.begin(), token.end(), [](QChar c) { return c.unicode() < 0x20; }))
        throw NetError(QStringLiteral("Token de acesso inválido para o servidor de aplicação (%1)")
                           .arg(m_serverName)
                           .toStdString());
    if (!token.isEmpty() && !m_tls && !context.allowPlainToken && !isLoopback(m_host))
        throw NetError(QStringLiteral("O token de acesso não é enviado sem criptografia ao "
                                      "servidor de aplicação %1:%2 (%3): use https:// no endereço "
                                      "do servidor ou, numa rede confiável, "
                                      "NGC_ALLOW_PLAIN_TOKEN=1")
                           .arg(m_host)
                           .arg(m_port)
                           .arg(m_serverName)
                           .toStdString());
    if (m_tls && !context.caFile.isEmpty() && !QFileInfo(context.caFile).isReadable())
        throw NetError(
            QStringLiteral("O arquivo de certificados %1 (NGC_CA_FILE) não pode ser lido "
                           "(%2)")
                .arg(context.caFile, m_serverName)
                .toStdString());
    m_caFile = m_tls ? context.caFile : QString();
    m_token = token;
    m_transport = makeTransport();
    applyTimeouts();
    m_open = true;
}

std::unique_ptr<TNetConnection::Transport> TNetConnection::makeTransport() const
{
    auto transport = std::make_unique<Transport>(m_host.toStdString(), m_port, m_tls);
    httplib::Client &client = transport->client;
    if (m_tls) {
        client.enable_server_certificate_verification(true);
        if (!m_caFile.isEmpty())
            client.set_ca_cert_path(m_caFile.toStdString());
    }
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

void TNetConnection::SetConnectTimeout(std::chrono::milliseconds timeout)
{
    m_connectTimeout = timeout;
    applyTimeouts();
}

void TNetConnection::SetReadTimeout(std::chrono::milliseconds timeout)
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

RemoteReply TNetConnection::Call(const QString &method, const RemoteArgs &args)
{
    // The trace is built only for a hook: tests install one, a running screen does not and should
    // not pay for it. The arguments are taken as sent, before by-reference ones change.
    const TraceHook hook = traceHook();
    CallTrace trace;
    if (hook) {
        trace.object = m_serverName;
        trace.method = method;
        for (const RemoteArg &arg : args)
            trace.args.append(arg.toJson());
    }
    try {
        JsonSpan refs;
        RemoteReply reply = callOpen(method, args, refs);
        if (hook) {
            trace.ok = true;
            trace.reply = reply.toJson();
            trace.refs = refs.toJson().toArray();
            hook(trace);
        }
        return reply;
    } catch (const std::exception &error) {
        if (hook) {
            trace.error = QString::fromUtf8(error.what());
            hook(trace);
        }
        throw;
    }
}

RemoteReply TNetConnection::callOpen(const QString &method, const RemoteArgs &args, JsonSpan &refs)
{
    if (!m_open)
        throw NetError(
            QStringLiteral("A conexão com o servidor de aplicação não está aberta (%1.%2)")
                .arg(m_serverName, method)
                .toStdString());
    if (method.isEmpty())
        fail(method, QStringLiteral("Chamada sem nome de método ao servidor de aplicação "));

    const int id = m_nextId++;
    RpcRequest request(id, method);
    for (const RemoteArg &arg : args)
        request.add(arg);
    const QByteArray body = request.text();
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
        case httplib::Error::Write:
            // Closed while the request was still being written: a server that speaks TLS does
            // that to a plain request.
            fail(method, QStringLiteral("O servidor de aplicação "),
                 QStringLiteral(" fechou a conexão sem responder"));
        case httplib::Error::SSLConnection:
            fail(method,
                 QStringLiteral("Não foi possível estabelecer uma conexão segura (TLS) com o "
                                "servidor de aplicação "),
                 QStringLiteral(": ele não respondeu em TLS ou recusou a conexão"));
        case httplib::Error::SSLServerVerification:
            fail(method, QStringLiteral("O certificado do servidor de aplicação "),
                 QStringLiteral(" foi recusado: ") + certificateProblem(m_transport->client));
        default:
            fail(method, QStringLiteral("Falha na comunicação com o servidor de aplicação "),
                 QStringLiteral(": ") + QString::fromStdString(httplib::to_string(result.error())));
        }
    }

    const int status = result->status;
    // The body is read in place: only the small parts of the envelope are parsed, the reply
    // stays in these bytes for CheckResultServ and the packet decoder.
    // A body that is not JSON as this system writes it (a proxy's error page, a reply cut short)
    // is refused below, with the server and the method named.
    const auto text = std::make_shared<const JsonScanner>(std::move(result->body));
    const bool wellFormed = text->isValid();
    JsonSpan envelope;
    if (wellFormed)
        envelope = JsonSpan(text, text->root());
    const QString server = QStringLiteral("O servidor de aplicação ");
    const QString answer = QStringLiteral("Resposta inválida do servidor de aplicação ");

    // A protocol fault comes as an error object, with HTTP 200 or with an error status (401 for
    // the token); either way its message is the one to show.
    if (const JsonSpan error = envelope.member("error"_L1); error.isObject()) {
        const QJsonObject object = error.toJson().toObject();
        fail(method, server,
             QStringLiteral(" recusou a chamada: ") +
                 object.value(QStringLiteral("message")).toString() + QStringLiteral(" (código ") +
                 QString::number(object.value(QStringLiteral("code")).toInt()) +
                 QStringLiteral(")"));
    }
    if (status != 200)
        fail(method, server,
             QStringLiteral(" respondeu HTTP ") + QString::number(status) + QStringLiteral(": ") +
                 bodySnippet(text->text()));
    if (!wellFormed || !envelope.isObject())
        fail(method, answer, QStringLiteral(": ") + bodySnippet(text->text()));
    if (!isId(envelope.member("id"_L1), id))
        fail(method, answer, QStringLiteral(": resposta a outra chamada"));

    const JsonSpan payload = envelope.member("result"_L1);
    RemoteReply reply(payload.member("reply"_L1));
    if (reply.isUndefined())
        fail(method, answer, QStringLiteral(": sem resultado"));
    refs = payload.member("refs"_L1);
    const QList<JsonSpan> finals = refs.elements();
    const bool anyReference =
        std::any_of(args.begin(), args.end(), [](const RemoteArg &a) { return a.isReference(); });
    if (refs.isArray() ? finals.size() != args.size() : anyReference)
        fail(method, answer,
             QStringLiteral(": %1 valores de retorno para %2 argumentos")
                 .arg(finals.size())
                 .arg(args.size()));
    for (qsizetype i = 0; i < finals.size(); ++i) {
        if (!args[i].accepts(finals[i]))
            fail(method, answer,
                 QStringLiteral(": valor de retorno do argumento %1 de tipo inválido").arg(i + 1));
    }

    if (m_throwException) {
        const JsonSpan ok = reply.member("ok"_L1);
        if (ok.isBool() && !ok.toBool())
            fail(method, QString(), QStringLiteral(": ") + reply.member("message"_L1).toString());
    }

    for (qsizetype i = 0; i < finals.size(); ++i)
        args[i].writeBack(finals[i]);
    return reply;
}

} // namespace ngc
