#include "HttpTestClient.h"

#include <support/AppServerProcess.h>

#include <QFile>
#include <QJsonArray>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

const std::string kPath = "/rpc/Ngc27451.rdmInfoPlanNeg";
const QJsonArray kKeys{"0001", "2026000001", "1001", "00001", "1001", "001"};

// One save: the demo item's discount and freight both become `value`, and the discount is
// replicated to every item of the collection. A save is whole or not at all, so afterwards every
// item carries one discount and the demo item's freight equals it.
bool save(RawConnection &connection, double value)
{
    QByteArray body;
    if (connection.post(kPath, rpcBody("GetItemCole", kKeys), &body) != 200)
        return false;
    const QJsonObject read = QJsonDocument::fromJson(body).object();
    const QJsonObject packet = read["result"]["reply"]["data"].toObject();
    const QJsonArray rows = packet["rows"].toArray();
    if (rows.isEmpty())
        return false;
    const QJsonArray oldRow = rows[0].toArray();
    QJsonArray newRow = oldRow;
    newRow[11] = value;
    newRow[25] = value;
    const QJsonObject delta{
        {"fields", packet["fields"]},
        {"changes", QJsonArray{QJsonObject{{"op", "update"}, {"old", oldRow}, {"new", newRow}}}}};
    const QJsonArray params{delta, QJsonValue(), false, "CC01", 1, 1, 1, 1, "", "", "", ""};
    if (connection.post(kPath, rpcBody("SetItemCole", params), &body) != 200)
        return false;
    const QJsonObject written = QJsonDocument::fromJson(body).object();
    return written["result"]["reply"]["ok"].toBool();
}

TEST(CrashRecovery, KillingTheServerMidWriteLeavesNoItemHalfApplied)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("crash.db");
    std::atomic<int> saved{0};
    for (int round = 0; round < 3; ++round) {
        // ngc-appserver as a child process on the file, seeded with the demo data.
        AppServerProcess server(QStringLiteral(NGC_APPSERVER_PATH), {"--db", "sqlite:" + file});
        std::atomic<bool> stop{false};
        std::vector<std::thread> writers;
        for (int w = 0; w < 2; ++w) {
            writers.emplace_back([&, w] {
                RawConnection connection(server.port(), 5);
                for (int i = 0; !stop && i < 100000; ++i) {
                    if (save(connection, round * 1000 + w * 500 + i % 100))
                        ++saved;
                    else if (stop)
                        break;
                }
            });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300 + 150 * round));
        server.kill();
        stop = true;
        for (std::thread &writer : writers)
            writer.join();
    }
    EXPECT_GT(saved.load(), 0);

    {
        // The server recovers the file on start; then the data is read directly.
        const AppServerProcess restarted(QStringLiteral(NGC_APPSERVER_PATH),
                                         {"--db", "sqlite:" + file});
        EXPECT_GT(restarted.port(), 0);
    }
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "crash-check");
    db.setDatabaseName(file);
    ASSERT_TRUE(db.open());
    {
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec("SELECT COUNT(DISTINCT COALESCE(VRPERDESITM, -1)), COUNT(*) "
                               "FROM ITEMCOLE WHERE NRCOLEPRECO = '2026000001'"));
        ASSERT_TRUE(query.next());
        EXPECT_EQ(query.value(0).toInt(), 1) << "items with different discounts";
        EXPECT_EQ(query.value(1).toInt(), 36);
        ASSERT_TRUE(query.exec("SELECT VRPERDESITM, VRFRETEFORN FROM ITEMCOLE WHERE "
                               "NRCOLEPRECO = '2026000001' AND CDPRODUTO = '1001' AND "
                               "CDMARCA = '00001' AND CDFORNECED = '1001' AND CDREGIAO = '001'"));
        ASSERT_TRUE(query.next());
        EXPECT_EQ(query.value(0).toDouble(), query.value(1).toDouble());
        ASSERT_TRUE(query.exec("PRAGMA integrity_check"));
        ASSERT_TRUE(query.next());
        EXPECT_EQ(query.value(0).toString(), "ok");
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("crash-check");
}

} // namespace
