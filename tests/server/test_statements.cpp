#include "QtStatement.h"
#include "ServerTestSupport.h"

#include <server/storage/PacketWriter.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <limits>

namespace {

// Prepared statements are kept per connection and reused; these check that a kept statement never
// outlives its connection and never pins what the connection sees.
class Statements : public ServerFixture {
protected:
    QJsonArray itemRows() { return rows(QStringLiteral("GetItemCole"), demoKeys()); }
};

TEST_P(Statements, ReusedStatementsReadTheirNewValuesEveryCall)
{
    const QList<std::pair<QString, int>> cases{
        {QStringLiteral("0001"), 1}, {QStringLiteral("0003"), 0}, {QStringLiteral("0002"), 1}};
    for (const auto &[branch, count] : cases) {
        SCOPED_TRACE(branch.toStdString());
        const auto found =
            query(QStringLiteral("SELECT CDFILIAL FROM PARASUPRI WHERE CDFILIAL = ?"), {branch});
        ASSERT_EQ(found.size(), count);
        if (count == 1) {
            EXPECT_EQ(found[0][0].toString(), branch);
        }
    }
}

// A PostgreSQL restart (here: the server ending this connection's backend) fails the request in
// flight; the next requests open a new connection and must not reuse any statement prepared on
// the old one, including those of other methods.
TEST_P(Statements, ABrokenConnectionIsReopenedWithoutItsOldStatements)
{
    ASSERT_EQ(itemRows().size(), 1);
    ASSERT_EQ(rows(QStringLiteral("GetPzoPgtItmCol"), demoKeys()).size(), 2);
    if (GetParam() == Backend::PostgreSQL) {
        const qint64 pid = query(QStringLiteral("SELECT pg_backend_pid()"))[0][0].toLongLong();
        ngc::Database other(postgresUrl());
        auto session = other.session();
        ngc::Sql::rows(session.db(), QStringLiteral("SELECT pg_terminate_backend(?)"), {pid});
        const QJsonObject failed = rpc(kOwnObject, QStringLiteral("GetItemCole"), demoKeys());
        EXPECT_EQ(failed["error"].toObject()["code"].toInt(), -32603);
    } else {
        database->session().discard();
    }
    EXPECT_EQ(rows(QStringLiteral("GetPzoPgtItmCol"), demoKeys()).size(), 2);
    const QJsonArray again = itemRows();
    ASSERT_EQ(again.size(), 1);
    EXPECT_EQ(again[0].toArray()[0].toString(), QStringLiteral("0001"));
}

INSTANTIATE_TEST_SUITE_P(Backends, Statements,
                         testing::Values(Backend::SQLite, Backend::PostgreSQL), backendName);

// A statement left half read keeps SQLite's read snapshot open on its connection; every later
// read there would then miss what other connections commit.
TEST(KeptStatements, AHalfReadStatementDoesNotHideLaterCommits)
{
    QTemporaryDir dir;
    const QString url = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("kept.db"));
    ngc::Database reader(url);
    ngc::Database writer(url);
    {
        auto session = writer.session();
        ngc::Sql::exec(session.db(), QStringLiteral("CREATE TABLE T (K INTEGER, V INTEGER)"));
        for (int k = 0; k < 3; ++k)
            ngc::Sql::exec(session.db(), QStringLiteral("INSERT INTO T VALUES (?, 0)"), {k});
    }
    const QString anyRow = QStringLiteral("SELECT K FROM T WHERE V >= ?");
    const QString value = QStringLiteral("SELECT V FROM T WHERE K = ?");
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        {
            auto session = reader.session();
            ASSERT_TRUE(ngc::Sql::exists(session.db(), anyRow, {0}));
        }
        {
            auto session = writer.session();
            ngc::Sql::exec(session.db(), QStringLiteral("UPDATE T SET V = ? WHERE K = ?"),
                           {round, 1});
        }
        auto session = reader.session();
        EXPECT_EQ(ngc::Sql::rows(session.db(), value, {1})[0][0].toInt(), round);
    }
}

// On SQLite statements run on SQLite's own interface; a packet read so must be byte for byte what
// Qt's driver gives for the same rows, for every stored kind of value under every field type, the
// odd pairings included.
TEST(KeptStatements, SqliteReadsGiveTheBytesOfTheQtPath)
{
    ngc::Database database(QStringLiteral("sqlite::memory:"));
    auto session = database.session();
    // A column without a declared type keeps each value in the kind it was given.
    ngc::Sql::exec(session.db(), QStringLiteral("CREATE TABLE V (N INTEGER, X)"));
    const char *const stored[] = {
        "NULL",
        "''",
        "'abc'",
        "'a\"b\\c'",
        "'Caf\u00e9 \"n\"' || char(10)",
        "'linha' || char(10) || 'tab' || char(9) || char(1)",
        "'ação € 😀'",
        "CAST(X'EFBBBF41' AS TEXT)",
        "CAST(X'C0AF' AS TEXT)",
        "CAST(X'EDA080' AS TEXT)",
        "CAST(X'E282' AS TEXT)",
        "0",
        "-7",
        "9007199254740993",
        "1.5",
        "0.1",
        "0.05",
        "1e300",
        "-0.0",
        "'1.25'",
        "'0.1'",
        "'42'",
        "' 12 '",
        "'2026-12-08T10:20:30'",
        "'2026-12-08 10:20:30'",
        "'2026-12-08T00:00:00Z'",
        "'2026-12-08T24:00:00'",
        "'2026-02-30T00:00:00'",
        "'2026-12-08'",
        "'2026-12-08T10:20:30.456'",
        "'not a date'",
        "X'00FF41'",
    };
    int n = 0;
    for (const char *value : stored)
        ngc::Sql::exec(
            session.db(),
            QStringLiteral("INSERT INTO V VALUES (%1, %2)").arg(n++).arg(QString::fromUtf8(value)));
    const QString sql = QStringLiteral("SELECT X FROM V WHERE N >= ? ORDER BY N");
    for (ngc::FieldType type :
         {ngc::FieldType::String, ngc::FieldType::Float, ngc::FieldType::Integer,
          ngc::FieldType::Boolean, ngc::FieldType::DateTime}) {
        SCOPED_TRACE(ngc::fieldTypeName(type).toStdString());
        const QList<ngc::FieldDef> layout{{QStringLiteral("X"), type, 40}};
        ngc::QtStatement viaQt(session.db(), sql);
        viaQt.execute({0});
        const QByteArray expected = ngc::PacketWriter::write(layout, viaQt);
        viaQt.reset();
        const QByteArray viaSqlite = ngc::Sql::packetJson(session.db(), layout, sql, {0});
        EXPECT_EQ(viaSqlite.toStdString(), expected.toStdString());
    }
}

// On PostgreSQL statements run on its own client library: the values bound as parameters and the
// rows read back must give byte for byte what Qt's driver gives, for every column type the
// server reads under every field type.
TEST(KeptStatements, PostgresReadsGiveTheBytesOfTheQtPath)
{
    if (postgresUrl().isEmpty())
        GTEST_SKIP() << "NGC_TEST_PG_URL is not set";
    const QString schema = QStringLiteral("t_stmt_%1").arg(QCoreApplication::applicationPid());
    ngc::Database database(withSchema(postgresUrl(), schema));
    auto session = database.session();
    QSqlDatabase &db = session.db();
    ngc::Sql::exec(db, QStringLiteral("CREATE TABLE V (N INTEGER, T TEXT, C VARCHAR(30), "
                                      "I INTEGER, L BIGINT, F DOUBLE PRECISION, M NUMERIC, "
                                      "B BOOLEAN)"));
    const QList<std::pair<const char *, QVariant>> stored{
        {"T", QVariant()},
        {"T", QString()},
        {"T", QStringLiteral("a\"b\\c'd?")},
        {"T", QStringLiteral("linha\ntab\t\u0001 a\u00e7\u00e3o \u20ac \U0001F600")},
        {"C", QStringLiteral(" 12 ")},
        {"C", QStringLiteral("1.25")},
        {"C", QStringLiteral("2026-12-08T10:20:30")},
        {"C", QStringLiteral("2026-02-30T00:00:00")},
        {"C", QStringLiteral("2026-12-08T10:20:30.456")},
        {"C", QStringLiteral("not a date")},
        {"I", 0},
        {"I", -7},
        {"I", 2147483647},
        {"L", qint64{9007199254740993}},
        {"L", qint64{-1}},
        {"F", 1.5},
        {"F", 0.1},
        {"F", 0.05},
        {"F", 1e300},
        {"F", -0.0},
        {"F", 4.9e-324},
        {"F", std::numeric_limits<double>::infinity()},
        {"F", std::numeric_limits<double>::quiet_NaN()},
        {"F", 20},
        {"M", QStringLiteral("20.50")},
        {"M", QStringLiteral("123456789012345678901234567890.5")},
        {"B", true},
        {"B", false},
    };
    int n = 0;
    for (const auto &[column, value] : stored)
        ngc::Sql::exec(
            db,
            QStringLiteral("INSERT INTO V (N, %1) VALUES (?, ?)").arg(QString::fromLatin1(column)),
            {n++, value});
    for (const char *column : {"T", "C", "I", "L", "F", "M", "B"}) {
        const QString sql = QStringLiteral("SELECT %1 FROM V WHERE N >= ? ORDER BY N")
                                .arg(QString::fromLatin1(column));
        for (ngc::FieldType type :
             {ngc::FieldType::String, ngc::FieldType::Float, ngc::FieldType::Integer,
              ngc::FieldType::Boolean, ngc::FieldType::DateTime}) {
            SCOPED_TRACE(std::string(column) + " as " + ngc::fieldTypeName(type).toStdString());
            const QList<ngc::FieldDef> layout{{QStringLiteral("X"), type, 40}};
            ngc::QtStatement viaQt(db, sql);
            viaQt.execute({0});
            const QByteArray expected = ngc::PacketWriter::write(layout, viaQt);
            viaQt.reset();
            EXPECT_EQ(ngc::Sql::packetJson(db, layout, sql, {0}).toStdString(),
                      expected.toStdString());
        }
    }
    // Qt's driver drops a byte-order mark that starts a text (QString::fromUtf8 does); here it
    // is kept, as SQLite's text is.
    ngc::Sql::exec(db, QStringLiteral("INSERT INTO V (N, T) VALUES (?, ?)"),
                   {-1, QStringLiteral("\ufeffA")});
    const QList<ngc::FieldDef> text{{QStringLiteral("T"), ngc::FieldType::String, 10}};
    const QString marked = QStringLiteral("SELECT T FROM V WHERE N = ?");
    EXPECT_EQ(ngc::Sql::packetJson(db, text, marked, {-1}),
              QByteArray("{\"fields\":[{\"name\":\"T\",\"size\":10,\"type\":\"string\"}],"
                         "\"rows\":[[\"\xEF\xBB\xBF"
                         "A\"]]}"));
    EXPECT_EQ(ngc::Sql::rows(db, marked, {-1}), (QList<QVariantList>{{QStringLiteral("\ufeffA")}}));
    ngc::Sql::exec(db, QStringLiteral("DROP SCHEMA ") + schema + QStringLiteral(" CASCADE"));
}

// A statement compiled on SQLite's handle must be gone before Qt closes the connection: SQLite
// refuses to close a connection with live statements, and the file would stay open for good.
TEST(KeptStatements, ConnectionsCloseWithTheirSqliteStatements)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("closing.db"));
    const auto descriptorsOnFile = [&file] {
        int count = 0;
        const QDir descriptors(QStringLiteral("/proc/self/fd"));
        for (const QFileInfo &entry : descriptors.entryInfoList(QDir::Files | QDir::System)) {
            if (entry.symLinkTarget() == file)
                ++count;
        }
        return count;
    };
    const QList<ngc::FieldDef> layout{{QStringLiteral("K"), ngc::FieldType::Integer, 0}};
    const QString read = QStringLiteral("SELECT K FROM T WHERE K >= ?");
    {
        ngc::Database database(QStringLiteral("sqlite:") + file);
        {
            auto session = database.session();
            ngc::Sql::exec(session.db(), QStringLiteral("CREATE TABLE T (K INTEGER)"));
            ngc::Sql::exec(session.db(), QStringLiteral("INSERT INTO T VALUES (?)"), {1});
            EXPECT_EQ(ngc::Sql::packetJson(session.db(), layout, read, {0}),
                      QByteArray(R"({"fields":[{"name":"K","type":"integer"}],"rows":[[1]]})"));
            ASSERT_GT(descriptorsOnFile(), 0);
            session.discard();
        }
        EXPECT_EQ(descriptorsOnFile(), 0) << "discard() left the connection open";
        auto session = database.session();
        EXPECT_EQ(ngc::Sql::packetJson(session.db(), layout, read, {1}).count("[1]"), 1);
    }
    EXPECT_EQ(descriptorsOnFile(), 0) << "the database closed with a statement still live";
}

} // namespace
