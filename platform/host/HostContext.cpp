#include <host/HostContext.h>

#include <QFile>
#include <QtGlobal>

namespace ngc {

namespace {

// "host:port", "host" or "[v6-address]:port"; a missing or unreadable port keeps the default.
void parseServer(const QString &server, HostContext &context)
{
    QString host = server.trimmed();
    if (host.isEmpty())
        return;
    const qsizetype colon = host.lastIndexOf(QLatin1Char(':'));
    const bool bracketed = host.startsWith(QLatin1Char('['));
    const qsizetype closing = host.indexOf(QLatin1Char(']'));
    if (colon >= 0 && (!bracketed || colon > closing) &&
        (bracketed || host.indexOf(QLatin1Char(':')) == colon)) {
        bool ok = false;
        const int port = host.mid(colon + 1).toInt(&ok);
        if (ok && port > 0 && port <= 65535)
            context.serverPort = port;
        host.truncate(colon);
    }
    if (bracketed && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (!host.isEmpty())
        context.serverHost = host;
}

} // namespace

QString HostContext::token() const
{
    if (tokenFile.isEmpty())
        return {};
    QFile file(tokenFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).trimmed();
}

HostContext HostContext::fromEnvironment()
{
    HostContext context;
    context.serverHost = QStringLiteral("127.0.0.1");
    parseServer(qEnvironmentVariable("NGC_SERVER"), context);
    context.tokenFile = qEnvironmentVariable("NGC_TOKEN_FILE");
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
