#include "behaviour_server.h"

#include <net/CheckResultServ.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace behaviour {

LaunchKeys demoItem()
{
    return {QStringLiteral("0001"), QStringLiteral("2026000001"), QStringLiteral("1001"),
            QStringLiteral("1001"), QStringLiteral("CM01"),       QStringLiteral("00001"),
            QStringLiteral("001"),  QStringLiteral("CC01")};
}

LaunchKeys fixedDayItem()
{
    LaunchKeys keys = demoItem();
    keys.cdForneced = QStringLiteral("1003");
    return keys;
}

LaunchKeys closedCollectionItem()
{
    LaunchKeys keys = demoItem();
    keys.nrColePreco = QStringLiteral("2026000002");
    return keys;
}

QString AppServer::program()
{
    const QString fromEnv = qEnvironmentVariable("NGC_APPSERVER");
    if (!fromEnv.isEmpty())
        return fromEnv;
    return QDir(QCoreApplication::applicationDirPath())
        .absoluteFilePath(QStringLiteral("../../server/ngc-appserver"));
}

AppServer::AppServer()
{
    const QString output = m_dir.filePath(QStringLiteral("stdout"));
    m_process.setStandardOutputFile(output);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program(), {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                                QStringLiteral("--db"), QStringLiteral("sqlite:") + dbPath(),
                                QStringLiteral("--seed"), QStringLiteral("demo")});
    if (!m_process.waitForStarted(10000))
        throw std::runtime_error("cannot start " + program().toStdString());

    const QByteArray prefix = "listening on 127.0.0.1:";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (m_port == 0) {
        QFile file(output);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray line = file.readLine();
            if (line.endsWith('\n')) {
                if (!line.startsWith(prefix))
                    throw std::runtime_error("unexpected first line: " + line.toStdString());
                m_port = line.mid(prefix.size()).trimmed().toInt();
                break;
            }
        }
        if (m_process.state() == QProcess::NotRunning ||
            std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("the application server did not start");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

AppServer::~AppServer()
{
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString AppServer::dbPath() const
{
    return m_dir.filePath(QStringLiteral("demo.db"));
}

void AppServer::kill()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

void AppServer::exec(const QString &sql, const QVariantList &values)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(dbPath());
        if (!db.open())
            throw std::runtime_error(db.lastError().text().toStdString());
        QSqlQuery query(db);
        query.prepare(sql);
        for (const QVariant &value : values)
            query.addBindValue(value);
        if (!query.exec())
            throw std::runtime_error(query.lastError().text().toStdString());
    }
    QSqlDatabase::removeDatabase(name);
}

QJsonValue AppServer::call(const QString &object, const QString &method,
                           const ngc::RemoteArgs &args)
{
    // The test's own reads are not the screen's calls: keep them out of any recording.
    auto hook = ngc::TNetConnection::setTraceHook({});
    ngc::TNetConnection connection(object);
    connection.SetHost(QStringLiteral("127.0.0.1"));
    connection.setPort(m_port);
    connection.Open();
    QJsonValue reply;
    try {
        reply = connection.Call(method, args);
    } catch (...) {
        ngc::TNetConnection::setTraceHook(hook);
        throw;
    }
    ngc::TNetConnection::setTraceHook(hook);
    return ngc::CheckResultServ(reply, false, 0);
}

ngc::DataPacket AppServer::item(LaunchKeys k)
{
    return ngc::packetOf(
        call(QStringLiteral("Ngc27451.rdmInfoPlanNeg"), QStringLiteral("GetItemCole"),
             {ngc::RemoteArg::stringRef(&k.cdFilial), ngc::RemoteArg::stringRef(&k.nrColePreco),
              ngc::RemoteArg::stringRef(&k.cdProduto), ngc::RemoteArg::stringRef(&k.cdMarca),
              ngc::RemoteArg::stringRef(&k.cdForneced), ngc::RemoteArg::stringRef(&k.cdRegiao)}));
}

ngc::DataPacket AppServer::taxesByBranch(LaunchKeys k)
{
    return ngc::packetAt(
        call(QStringLiteral("Ngc27451.rdmInfoPlanNeg"), QStringLiteral("GetImpFilial"),
             {ngc::RemoteArg::stringRef(&k.cdFilial),
              ngc::RemoteArg::stringRef(&k.chaveComplementar),
              ngc::RemoteArg::stringRef(&k.cdRegiao), ngc::RemoteArg::stringRef(&k.cdForneced),
              ngc::RemoteArg::stringRef(&k.cdProduto)}),
        1);
}

ngc::DataPacket AppServer::taxList(LaunchKeys k)
{
    return ngc::packetOf(
        call(QStringLiteral("Ngc27451.rdmInfoPlanNeg"), QStringLiteral("GetImpColet"),
             {ngc::RemoteArg::stringRef(&k.cdFilial), ngc::RemoteArg::stringRef(&k.nrColePreco),
              ngc::RemoteArg::stringRef(&k.cdProduto), ngc::RemoteArg::stringRef(&k.cdMarca),
              ngc::RemoteArg::stringRef(&k.cdForneced), ngc::RemoteArg::stringRef(&k.cdRegiao)}));
}

CallRecorder::CallRecorder()
{
    m_previous = ngc::TNetConnection::setTraceHook(
        [this](const ngc::CallTrace &trace) { m_calls.append(trace); });
}

CallRecorder::~CallRecorder()
{
    ngc::TNetConnection::setTraceHook(m_previous);
}

QStringList CallRecorder::methods() const
{
    QStringList names;
    for (const ngc::CallTrace &call : m_calls)
        names.append(call.method);
    return names;
}

int CallRecorder::count(const QString &method) const
{
    return static_cast<int>(methods().count(method));
}

ngc::CallTrace CallRecorder::last(const QString &method) const
{
    for (auto it = m_calls.crbegin(); it != m_calls.crend(); ++it) {
        if (it->method == method)
            return *it;
    }
    ADD_FAILURE() << "no call of " << method.toStdString();
    return {};
}

QVariant valueOf(const ngc::DataPacket &packet, const QString &field)
{
    if (packet.rows.isEmpty())
        return {};
    for (int i = 0; i < packet.fields.size(); ++i) {
        if (packet.fields.at(i).name == field)
            return packet.rows.first().at(i);
    }
    ADD_FAILURE() << "no field " << field.toStdString();
    return {};
}

} // namespace behaviour
