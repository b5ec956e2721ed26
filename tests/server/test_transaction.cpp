#include "ServerTestSupport.h"

#include <server/storage/RequestError.h>
#include <server/storage/Transaction.h>

#include <atomic>
#include <latch>
#include <thread>

namespace {

using ngc::Sql;
using ngc::Transaction;

TEST(Transaction, ConflictsAreRunAgainFromTheStartOtherFailuresAreNot)
{
    ngc::Database database(QStringLiteral("sqlite::memory:"));
    auto session = database.session();
    Sql::exec(session.db(), QStringLiteral("CREATE TABLE T (N INTEGER)"));
    enum Outcome { Committed, Refused, Raised };
    struct Case {
        const char *name;
        int conflicts; // attempts that end in the error below
        const char *sqlState;
        int attempts;
        Outcome outcome;
    };
    const Case cases[] = {
        {"no conflict", 0, "", 1, Committed},
        {"deadlock twice", 2, "40P01", 3, Committed},
        {"serialization failure", 1, "40001", 2, Committed},
        {"deadlock every time", 99, "40P01", Transaction::kAttempts, Refused},
        {"unique violation", 1, "23505", 1, Raised},
        {"lost connection", 1, "", 1, Raised},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Sql::exec(session.db(), QStringLiteral("DELETE FROM T"));
        int attempts = 0;
        Outcome outcome = Committed;
        try {
            Transaction::run(session, [&] {
                ++attempts;
                Sql::exec(session.db(), QStringLiteral("INSERT INTO T (N) VALUES (?)"), {attempts});
                if (attempts <= c.conflicts)
                    throw ngc::DatabaseError("aborted", QString::fromLatin1(c.sqlState));
            });
        } catch (const ngc::BusinessFailure &e) {
            outcome = Refused;
            EXPECT_TRUE(e.userMessage().contains(QStringLiteral("Nada foi gravado"))) << e.what();
        } catch (const ngc::DatabaseError &) {
            outcome = Raised;
        }
        EXPECT_EQ(outcome, c.outcome);
        EXPECT_EQ(attempts, c.attempts);
        // Only the attempt that committed left its row.
        const auto rows = Sql::rows(session.db(), QStringLiteral("SELECT N FROM T"));
        if (c.outcome == Committed)
            EXPECT_EQ(rows, (QList<QVariantList>{{attempts}}));
        else
            EXPECT_TRUE(rows.isEmpty());
    }
}

// Two transactions that lock two rows in opposite orders: PostgreSQL aborts one of them with a
// deadlock, which runs again once the other has committed. The aborted one waits for that here:
// run again at once, it can take the row back before the other's waiting update has woken up,
// and the two deadlock a second time (which run() also survives, but not in three attempts).
TEST(Transaction, APostgreSqlDeadlockIsRunAgainUntilBothCommit)
{
    if (postgresUrl().isEmpty())
        GTEST_SKIP() << "NGC_TEST_PG_URL is not set";
    const QString schema = QStringLiteral("tx_%1").arg(QCoreApplication::applicationPid());
    ngc::Database database(withSchema(postgresUrl(), schema));
    auto session = database.session();
    Sql::exec(session.db(), QStringLiteral("DROP TABLE IF EXISTS T"));
    Sql::exec(session.db(), QStringLiteral("CREATE TABLE T (K INTEGER PRIMARY KEY, N INTEGER)"));
    Sql::exec(session.db(), QStringLiteral("INSERT INTO T VALUES (1, 0), (2, 0)"));

    std::latch bothLocked(2);
    std::atomic<int> attempts{0};
    std::atomic<int> failures{0};
    std::atomic<int> finished{0};
    const auto writer = [&](int first, int second) {
        try {
            auto own = database.session();
            bool again = false;
            Transaction::run(own, [&] {
                ++attempts;
                if (again)
                    finished.wait(0);
                const QString update = QStringLiteral("UPDATE T SET N = N + 1 WHERE K = ?");
                Sql::exec(own.db(), update, {first});
                if (!std::exchange(again, true))
                    bothLocked.arrive_and_wait();
                Sql::exec(own.db(), update, {second});
            });
        } catch (const std::exception &e) {
            ADD_FAILURE() << e.what();
            ++failures;
        }
        ++finished;
        finished.notify_all();
    };
    std::thread one(writer, 1, 2);
    std::thread two(writer, 2, 1);
    one.join();
    two.join();

    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(attempts.load(), 3) << "one of the two should have been aborted once";
    EXPECT_EQ(Sql::rows(session.db(), QStringLiteral("SELECT N FROM T ORDER BY K")),
              (QList<QVariantList>{{2}, {2}}));
    Sql::exec(session.db(), QStringLiteral("DROP SCHEMA ") + schema + QStringLiteral(" CASCADE"));
}

} // namespace
