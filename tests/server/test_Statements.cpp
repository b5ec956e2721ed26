#include "ServerTestSupport.h"

#include <QTemporaryDir>

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

} // namespace
