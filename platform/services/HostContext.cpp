#include <services/HostContext.h>

#include <QFile>
#include <QtGlobal>

namespace ngc {

QString HostContext::token() const
{
    if (tokenFile.isEmpty())
        return {};
    QFile file(tokenFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).trimmed();
}

QString HostContext::setServer(const QString &text)
{
    const QString server = text.trimmed();
    QString host = server;
    bool tls = false;
    if (host.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        tls = true;
        host.remove(0, 8);
    } else if (host.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) {
        host.remove(0, 7);
    }
    while (host.endsWith(QLatin1Char('/')))
        host.chop(1);
    const bool bracketed = host.startsWith(QLatin1Char('['));
    const qsizetype closing = host.indexOf(QLatin1Char(']'));
    if (bracketed && closing < 0)
        return QStringLiteral("\"%1\" is not host:port").arg(server);
    serverTls = tls;
    QString error;
    const qsizetype colon = host.lastIndexOf(QLatin1Char(':'));
    const bool hasPort =
        colon >= 0 && (bracketed ? colon > closing : host.indexOf(QLatin1Char(':')) == colon);
    if (hasPort) {
        bool ok = false;
        const int port = host.mid(colon + 1).toInt(&ok);
        if (ok && port > 0 && port <= 65535)
            serverPort = port;
        else
            error = QStringLiteral("\"%1\" has no valid port (1 to 65535)").arg(server);
        host.truncate(colon);
    }
    if (bracketed)
        host = host.mid(1, closing - 1);
    if (!host.isEmpty())
        serverHost = host;
    return error;
}

std::optional<bool> HostContext::parseSwitch(const QString &text)
{
    const QString value = text.trimmed().toLower();
    for (const char *on : {"1", "true", "yes", "on"}) {
        if (value == QLatin1String(on))
            return true;
    }
    for (const char *off : {"0", "false", "no", "off"}) {
        if (value == QLatin1String(off))
            return false;
    }
    return std::nullopt;
}

HostContext HostContext::fromEnvironment()
{
    HostContext context;
    context.serverHost = QStringLiteral("127.0.0.1");
    // A malformed address keeps what could be read of it; the host program reports it instead.
    context.setServer(qEnvironmentVariable("NGC_SERVER"));
    context.tokenFile = qEnvironmentVariable("NGC_TOKEN_FILE");
    context.caFile = qEnvironmentVariable("NGC_CA_FILE");
    context.allowPlainToken =
        parseSwitch(qEnvironmentVariable("NGC_ALLOW_PLAIN_TOKEN")).value_or(false);
    context.sharedDb = qEnvironmentVariable("NGC_SHARED_DB");
    bool ok = false;
    const int code = qEnvironmentVariable("NGC_MODULE_CODE").trimmed().toInt(&ok);
    if (ok)
        context.moduleCode = code;
    return context;
}

HostContext &HostContext::instance()
{
    static HostContext context = fromEnvironment();
    return context;
}

} // namespace ngc
