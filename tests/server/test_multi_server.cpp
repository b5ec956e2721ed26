#include "HttpTestClient.h"
#include "ServerTestSupport.h"

#include <server/AppServer.h>
#include <support/AppServerProcess.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUrl>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

// Several ngc-appserver processes on one PostgreSQL database, as behind a load balancer: each
// request may go to either, and they share nothing but the database.
namespace {

const std::string kPath = "/rpc/Ngc27451.rdmInfoPlanNeg";
const QString kLostUpdate =
    QStringLiteral("O item foi alterado por outro usuário. Verifique os dados e tente novamente.");

// Six-key order: branch, collection, product, brand, supplier, region.
QJsonArray itemKeys(const char *product, const char *brand, const char *supplier,
                    const char *region)
{
    return {"0001", "2026000001", product, brand, supplier, region};
}

QJsonObject call(int port, const QString &method, const QJsonArray &params)
{
    RawConnection connection(port, 30);
    QByteArray body;
    const int status = connection.post(kPath, rpcBody(method, params), &body);
    if (status != 200)
        return {
            {"transport", QStringLiteral("HTTP %1 %2").arg(status).arg(QString::fromUtf8(body))}};
    return QJsonDocument::fromJson(body).object();
}

struct Item {
    QJsonArray fields;
    QJsonArray row;
    int index(const char *name) const
    {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (fields[i]["name"].toString() == QLatin1String(name))
                return static_cast<int>(i);
        }
        return -1;
    }
    double number(const char *name) const { return row[index(name)].toDouble(); }
};

Item read(int port, const QJsonArray &keys)
{
    const QJsonObject response = call(port, "GetItemCole", keys);
    const QJsonObject packet = response["result"]["reply"]["data"].toObject();
    return {packet["fields"].toArray(), packet["rows"][0].toArray()};
}

// Saves the item with one more unit bought and the given discount, replicating the discount to
// the whole collection when asked. Returns "" when saved, else the refusal or the error.
QString save(int port, const Item &item, double discount, bool replicate)
{
    QJsonArray row = item.row;
    row[item.index("QTACMPITMCOL")] = item.number("QTACMPITMCOL") + 1;
    row[item.index("VRPERDESITM")] = discount;
    const QJsonObject delta{
        {"fields", item.fields},
        {"changes", QJsonArray{QJsonObject{{"op", "update"}, {"old", item.row}, {"new", row}}}}};
    const int choice = replicate ? 1 : 0;
    const QJsonObject response =
        call(port, "SetItemCole",
             {delta, QJsonValue(), false, "CC01", choice, choice, choice, choice, "", "", "", ""});
    const QJsonObject reply = response["result"]["reply"].toObject();
    if (reply["ok"].toBool())
        return {};
    if (reply.contains("message"))
        return reply["message"].toString();
    return QString::fromUtf8(QJsonDocument(response).toJson(QJsonDocument::Compact));
}

// Runs statements as the test database's own user; false at the first that fails.
bool administer(const QString &base, const QStringList &statements)
{
    const QUrl url(base);
    bool done = true;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("multi-server"));
        db.setHostName(url.host());
        db.setPort(url.port(5432));
        db.setUserName(url.userName());
        db.setPassword(url.password());
        db.setDatabaseName(url.path().mid(1));
        done = db.open();
        QSqlQuery(db).exec(QStringLiteral("SET client_min_messages TO WARNING"));
        for (const QString &statement : statements)
            done = done && QSqlQuery(db).exec(statement);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("multi-server"));
    return done;
}

void dropSchema(const QString &base, const QString &schema)
{
    ASSERT_TRUE(administer(base, {QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema)}));
}

class MultiServer : public testing::Test {
protected:
    void SetUp() override
    {
        const QString base = postgresUrl();
        if (base.isEmpty())
            GTEST_SKIP() << "NGC_TEST_PG_URL is not set";
        m_schema = QStringLiteral("ms_%1").arg(QCoreApplication::applicationPid());
        dropSchema(base, m_schema);
        const QStringList args{QStringLiteral("--db"), withSchema(base, m_schema),
                               QStringLiteral("--seed"), QStringLiteral("demo")};
        first = std::make_unique<AppServerProcess>(QStringLiteral(NGC_APPSERVER_PATH), args);
        second = std::make_unique<AppServerProcess>(QStringLiteral(NGC_APPSERVER_PATH), args);
        m_base = base;
    }
    void TearDown() override
    {
        first.reset();
        second.reset();
        if (!m_base.isEmpty())
            dropSchema(m_base, m_schema);
    }

    std::unique_ptr<AppServerProcess> first;
    std::unique_ptr<AppServerProcess> second;

private:
    QString m_schema;
    QString m_base;
};

TEST_F(MultiServer, TheSecondOfTwoSavesFromTheSameReadingIsRefusedWithNothingWritten)
{
    const QJsonArray keys = itemKeys("1001", "00001", "1001", "001");
    const Item throughFirst = read(first->port(), keys);
    const Item throughSecond = read(second->port(), keys);
    EXPECT_EQ(save(first->port(), throughFirst, 7.5, false), QString());
    EXPECT_EQ(save(second->port(), throughSecond, 9.5, false), kLostUpdate);
    const Item after = read(second->port(), keys);
    EXPECT_EQ(after.number("VRPERDESITM"), 7.5);
    EXPECT_EQ(after.number("QTACMPITMCOL"), throughFirst.number("QTACMPITMCOL") + 1);
}

// Writers of two items through both servers, and on each server a replication of another item's
// discount to the whole collection, which also changes the writers' items. Every save adds one
// unit to its item's quantity and sets a discount no other save uses: the final quantities count
// the saves that were acknowledged, and each final discount must be one an acknowledged save
// wrote.
TEST_F(MultiServer, ConcurrentSavesAndReplicationsThroughTwoServersLoseNothing)
{
    const std::vector<QJsonArray> contended{itemKeys("1001", "00001", "1001", "001"),
                                            itemKeys("1002", "00001", "1001", "001")};
    const std::vector<QJsonArray> replicating{itemKeys("1003", "00002", "1003", "002"),
                                              itemKeys("1003", "00002", "1002", "002")};
    const int ports[] = {first->port(), second->port()};
    std::map<QString, double> initial;
    for (const auto &keys : {contended[0], contended[1], replicating[0], replicating[1]})
        initial[keys[2].toString() + keys[4].toString()] =
            read(ports[0], keys).number("QTACMPITMCOL");

    std::mutex mutex;
    std::map<QString, int> acknowledged;     // by item
    std::map<QString, QSet<double>> written; // discounts acknowledged, by item ("*": replicated)
    std::map<QString, int> refusals;         // by message
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);

    const auto worker = [&](int id, int port, std::vector<QJsonArray> items, bool replicate,
                            int saves) {
        for (int i = 0; i < saves && std::chrono::steady_clock::now() < deadline; ++i) {
            const QJsonArray &keys = items[std::size_t(i) % items.size()];
            const QString item = keys[2].toString() + keys[4].toString();
            const double discount = (id * 100 + i) / 100.0;
            const QString outcome = save(port, read(port, keys), discount, replicate);
            std::lock_guard lock(mutex);
            if (outcome.isEmpty()) {
                ++acknowledged[item];
                written[replicate ? QStringLiteral("*") : item].insert(discount);
            } else {
                ++refusals[outcome];
            }
        }
    };
    std::vector<std::thread> threads;
    for (int w = 0; w < 4; ++w)
        threads.emplace_back(worker, w + 1, ports[w % 2], contended, false, 25);
    for (int r = 0; r < 2; ++r)
        threads.emplace_back(worker, r + 5, ports[r], std::vector{replicating[r]}, true, 8);
    for (std::thread &thread : threads)
        thread.join();

    // The only refusal a buyer may see here is a lost update: a deadlock between the two
    // replications is the servers' business.
    for (const auto &[message, count] : refusals)
        EXPECT_EQ(message.toStdString(), kLostUpdate.toStdString()) << count << " times";
    for (const auto &keys : {contended[0], contended[1], replicating[0], replicating[1]}) {
        const QString item = keys[2].toString() + keys[4].toString();
        const Item now = read(ports[1], keys);
        EXPECT_EQ(now.number("QTACMPITMCOL"), initial[item] + acknowledged[item])
            << "item " << item.toStdString();
        const double discount = now.number("VRPERDESITM");
        EXPECT_TRUE(written[item].contains(discount) ||
                    written[QStringLiteral("*")].contains(discount))
            << "item " << item.toStdString()
            << " has a discount no acknowledged save wrote: " << discount;
    }
    EXPECT_GT(acknowledged[contended[0][2].toString() + contended[0][4].toString()], 0);
    EXPECT_FALSE(written[QStringLiteral("*")].isEmpty()) << "no replication was saved";
}

// Starts a server in this process on `url` with the demo data and reads the item through it:
// "up", or what went wrong.
std::string startAndRead(const QString &url)
{
    ngc::ServerConfig config;
    config.http.host = QStringLiteral("127.0.0.1");
    config.http.port = 0;
    config.databaseUrl = url;
    config.seedDemo = true;
    try {
        ngc::AppServer server(config);
        return read(server.port(), itemKeys("1001", "00001", "1001", "001")).row.isEmpty()
                   ? "no item"
                   : "up";
    } catch (const std::exception &error) {
        return error.what();
    }
}

// Servers started at the same moment on a new database, with the demo data: one creates the
// schema, the tables and the data while the others wait, and every one of them comes up and
// serves the item. A few rounds, since the servers must meet for it to matter.
TEST(MultiServerStart, ServersStartedTogetherOnANewDatabaseAllComeUp)
{
    if (postgresUrl().isEmpty())
        GTEST_SKIP() << "NGC_TEST_PG_URL is not set";
    constexpr int kServers = 3;
    for (int round = 0; round < 3; ++round) {
        const QString schema =
            QStringLiteral("start_%1_%2").arg(QCoreApplication::applicationPid()).arg(round);
        dropSchema(postgresUrl(), schema);
        std::latch together(kServers);
        std::vector<std::string> outcomes(kServers);
        std::vector<std::thread> servers;
        for (int i = 0; i < kServers; ++i) {
            servers.emplace_back([&, i] {
                together.arrive_and_wait();
                outcomes[size_t(i)] = startAndRead(withSchema(postgresUrl(), schema));
            });
        }
        for (std::thread &server : servers)
            server.join();
        for (const std::string &outcome : outcomes)
            EXPECT_EQ(outcome, "up") << "round " << round;
        dropSchema(postgresUrl(), schema);
    }
}

// A role that may not create schemas, given one an administrator made: the server uses it and
// creates its tables there.
TEST(MultiServerStart, ARoleWithoutTheRightToCreateSchemasUsesOneMadeForIt)
{
    if (postgresUrl().isEmpty())
        GTEST_SKIP() << "NGC_TEST_PG_URL is not set";
    const QString name = QStringLiteral("limited_%1").arg(QCoreApplication::applicationPid());
    const QStringList drop{QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(name),
                           QStringLiteral("DROP ROLE IF EXISTS %1").arg(name)};
    if (!administer(postgresUrl(),
                    drop + QStringList{QStringLiteral("CREATE ROLE %1 LOGIN").arg(name),
                                       QStringLiteral("CREATE SCHEMA %1").arg(name),
                                       QStringLiteral("GRANT USAGE, CREATE ON SCHEMA %1 TO %1")
                                           .arg(name)}))
        GTEST_SKIP() << "the test database's user cannot create roles";
    QUrl url(postgresUrl());
    url.setUserName(name);
    url.setPassword({});
    EXPECT_EQ(startAndRead(withSchema(url.toString(), name)), "up");
    EXPECT_TRUE(administer(postgresUrl(), drop));
}

} // namespace
