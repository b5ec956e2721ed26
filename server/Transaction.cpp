#include "Transaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace ngc {

namespace {
void run(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw DatabaseError(sql.toStdString() +
                            " failed: " + query.lastError().text().toStdString());
}
} // namespace

Transaction::Transaction(Database::Session &session) : m_session(session)
{
    run(m_session.db(),
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
    run(m_session.db(), QStringLiteral("COMMIT"));
    m_open = false;
}

} // namespace ngc
