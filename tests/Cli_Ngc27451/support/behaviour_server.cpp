#include "behaviour_server.h"

#include <net/CheckResultServ.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <gtest/gtest.h>

#include <stdexcept>

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
    return QStringLiteral(NGC_APPSERVER_PATH);
}

AppServer::AppServer()
    : m_server(program(), {QStringLiteral("--db"), QStringLiteral("sqlite:") + dbPath(),
                           QStringLiteral("--seed"), QStringLiteral("demo")})
{
}

AppServer::~AppServer() = default;

QString AppServer::dbPath() const
{
    return m_dir.filePath(QStringLiteral("demo.db"));
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
    auto hook = ngc::TNetConnection::SetTraceHook({});
    ngc::TNetConnection connection(object);
    connection.SetHost(QStringLiteral("127.0.0.1"));
    connection.SetPort(port());
    connection.Open();
    QJsonValue reply;
    try {
        reply = connection.Call(method, args);
    } catch (...) {
        ngc::TNetConnection::SetTraceHook(hook);
        throw;
    }
    ngc::TNetConnection::SetTraceHook(hook);
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
    m_previous = ngc::TNetConnection::SetTraceHook(
        [this](const ngc::CallTrace &trace) { m_calls.append(trace); });
}

CallRecorder::~CallRecorder()
{
    ngc::TNetConnection::SetTraceHook(m_previous);
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

QString str(const char *utf8)
{
    return utf8 ? QString::fromUtf8(utf8) : QString();
}

QString demoWhere()
{
    return QStringLiteral(
        " WHERE CDFILIAL = '0001' AND NRCOLEPRECO = '2026000001' AND CDPRODUTO = '1001' "
        "AND CDMARCA = '00001' AND CDFORNECED = '1001' AND CDREGIAO = '001'");
}

QJsonArray strings(std::initializer_list<const char *> texts)
{
    QJsonArray array;
    for (const char *text : texts)
        array.append(QString::fromUtf8(text));
    return array;
}

} // namespace behaviour
