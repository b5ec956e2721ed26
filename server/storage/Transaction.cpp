#include "Transaction.h"

#include "RequestError.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtGlobal>

#include <chrono>
#include <random>
#include <thread>

namespace ngc {

namespace {

void execute(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw DatabaseError(sql.toStdString() + " failed", query.lastError());
}

// A pause that grows with each attempt and differs between the transactions that collided, so
// that they do not meet again at once: up to 10, 20, 40 and 80 ms.
void backOff(int attempt)
{
    thread_local std::minstd_rand random{std::random_device{}()};
    std::uniform_int_distribution<int> milliseconds(1, 10 << (attempt - 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds(random)));
}

} // namespace

Transaction::Transaction(Database::Session &session) : m_session(session)
{
    execute(m_session.db(),
            m_session.isPostgres() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
    m_open = true;
}

Transaction::~Transaction()
{
    if (m_open) {
        QSqlQuery query(m_session.db());
        query.exec(QStringLiteral("ROLLBACK"));
    }
}

void Transaction::commit()
{
    execute(m_session.db(), QStringLiteral("COMMIT"));
    m_open = false;
}

void Transaction::run(Database::Session &session, const std::function<void()> &work)
{
    for (int attempt = 1;; ++attempt) {
        try {
            Transaction transaction(session);
            work();
            transaction.commit();
            return;
        } catch (const DatabaseError &error) {
            if (!error.isConflict())
                throw;
            if (attempt == kAttempts) {
                qWarning("transaction aborted by concurrent ones %d times, refused: %s", kAttempts,
                         error.what());
                throw BusinessFailure(QStringLiteral(
                    "Não foi possível gravar: outras gravações simultâneas nos mesmos itens "
                    "impediram a gravação. Nada foi gravado; tente novamente."));
            }
        }
        backOff(attempt);
    }
}

} // namespace ngc
