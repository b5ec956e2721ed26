#include <server/storage/Database.h>
#include <server/rpc/Dispatcher.h>
#include <server/storage/Schema.h>
#include <server/storage/Sql.h>
#include <server/storage/Transaction.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// 1000 products x 10 brands x 10 suppliers x 10 regions = 1,000,000 items in one collection.
const char *const kMasters[] = {
    "INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0001', 'Matriz')",
    "INSERT INTO COLEPRECO (CDFILIAL, NRCOLEPRECO, DSCOLEPRECO, IDSITCOLE) "
    "VALUES ('0001', 'BENCH', 'Coleta grande', 'A')",
    "INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO) WITH RECURSIVE n(i) AS "
    "(SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
    "SELECT CAST(i + 10000 AS VARCHAR(10)), CAST(i AS VARCHAR(20)), "
    "'Produto ' || CAST(i AS VARCHAR(10)) FROM n",
    "INSERT INTO MARCA (CDMARCA, NMMARCA) WITH RECURSIVE n(i) AS "
    "(SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10) "
    "SELECT CAST(i + 10000 AS VARCHAR(5)), 'Marca ' || CAST(i AS VARCHAR(5)) FROM n",
    "INSERT INTO FORNECED (CDFORNECED, NMFANTFORN, IDTPIJURFORN, NRINSJURFORN) "
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10) "
    "SELECT CAST(i + 10000 AS VARCHAR(21)), 'Fornecedor ' || CAST(i AS VARCHAR(5)), 'J', "
    "'12345678000195' FROM n",
    "INSERT INTO REGIAO (CDREGIAO, NMREGIAO) WITH RECURSIVE n(i) AS "
    "(SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10) "
    "SELECT CAST(i + 100 AS VARCHAR(3)), 'Regiao ' || CAST(i AS VARCHAR(5)) FROM n",
    "INSERT INTO ITEMCOLE (CDFILIAL, NRCOLEPRECO, CDPRODUTO, CDMARCA, CDFORNECED, CDREGIAO, "
    "VRPRECUNIITM, QTACMPITMCOL) SELECT '0001', 'BENCH', P.CDPRODUTO, M.CDMARCA, F.CDFORNECED, "
    "R.CDREGIAO, 10.0, 1.0 FROM PRODUTO P CROSS JOIN MARCA M CROSS JOIN FORNECED F "
    "CROSS JOIN REGIAO R",
};

const QJsonArray kItemKeys{"0001", "BENCH", "10001", "10001", "10001", "101"};

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<ngc::Database> database;
    std::unique_ptr<ngc::Dispatcher> dispatcher;
    QString schema;

    explicit Fixture(bool postgres)
    {
        QString url = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("bench.db"));
        if (postgres) {
            schema = QStringLiteral("bench_%1").arg(QCoreApplication::applicationPid());
            url = qEnvironmentVariable("NGC_TEST_PG_URL") + QStringLiteral("?schema=") + schema;
        }
        database = std::make_unique<ngc::Database>(url);
        auto session = database->session();
        if (postgres) {
            ngc::Sql::exec(session.db(),
                           QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema));
            ngc::Sql::exec(session.db(), QStringLiteral("CREATE SCHEMA %1").arg(schema));
        }
        ngc::Schema::migrate(session);
        ngc::Transaction transaction(session);
        for (const char *statement : kMasters)
            ngc::Sql::exec(session.db(), QString::fromLatin1(statement));
        transaction.commit();
        if (postgres)
            ngc::Sql::exec(session.db(), QStringLiteral("ANALYZE"));
        dispatcher = std::make_unique<ngc::Dispatcher>(*database);
    }
    ~Fixture()
    {
        if (!schema.isEmpty()) {
            auto session = database->session();
            ngc::Sql::exec(session.db(),
                           QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema));
        }
    }

    QJsonObject call(const QString &method, const QJsonArray &params)
    {
        const QJsonObject request{
            {"jsonrpc", "2.0"}, {"id", 1}, {"method", method}, {"params", params}};
        return QJsonDocument::fromJson(
                   dispatcher->handle(QStringLiteral("Ngc27451.rdmInfoPlanNeg"),
                                      QJsonDocument(request).toJson(QJsonDocument::Compact)))
            .object();
    }

    // SetItemCole with every dimension at "Todos": the item's discount goes to the whole
    // collection.
    double replicate(double discount)
    {
        const QJsonObject read = call(QStringLiteral("GetItemCole"), kItemKeys);
        const QJsonObject packet = read["result"]["reply"]["data"].toObject();
        const QJsonArray oldRow = packet["rows"].toArray()[0].toArray();
        QJsonArray newRow = oldRow;
        newRow[11] = discount;
        const QJsonObject delta{
            {"fields", packet["fields"]},
            {"changes",
             QJsonArray{QJsonObject{{"op", "update"}, {"old", oldRow}, {"new", newRow}}}}};
        QElapsedTimer timer;
        timer.start();
        const QJsonObject written =
            call(QStringLiteral("SetItemCole"),
                 {delta, QJsonValue(), false, "", 1, 1, 1, 1, "", "", "", ""});
        const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        if (!written["result"]["reply"]["ok"].toBool())
            throw std::runtime_error("SetItemCole failed");
        return seconds;
    }

    // The same rows, the same value, one statement in one transaction: the floor to compare with.
    double plainUpdate(double discount)
    {
        QElapsedTimer timer;
        timer.start();
        auto session = database->session();
        ngc::Transaction transaction(session);
        ngc::Sql::exec(session.db(),
                       QStringLiteral("UPDATE ITEMCOLE SET VRPERDESITM = ? WHERE CDFILIAL = ? "
                                      "AND NRCOLEPRECO = ?"),
                       {discount, QStringLiteral("0001"), QStringLiteral("BENCH")});
        transaction.commit();
        return static_cast<double>(timer.nsecsElapsed()) / 1e9;
    }
};

void replication(benchmark::State &state, bool postgres)
{
    if (postgres && qEnvironmentVariableIsEmpty("NGC_TEST_PG_URL")) {
        state.SkipWithError("NGC_TEST_PG_URL is not set");
        return;
    }
    Fixture fixture(postgres);
    double plain = 0;
    double replicated = 0;
    double discount = 1;
    fixture.plainUpdate(0.5); // warm the cache for both
    for (auto _ : state) {
        const double r = fixture.replicate(discount);
        discount += 1;
        const double p = fixture.plainUpdate(discount);
        state.SetIterationTime(r);
        replicated += r;
        plain += p;
    }
    state.counters["items"] = 1000000;
    state.counters["plain_ms"] = plain * 1000 / static_cast<double>(state.iterations());
    state.counters["replication_ms"] = replicated * 1000 / static_cast<double>(state.iterations());
    state.counters["ratio"] = replicated / plain;
}

BENCHMARK_CAPTURE(replication, SQLite, false)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(replication, PostgreSQL, true)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
