#include "QtStatement.h"

#include <server/storage/Database.h>

#include <QSqlError>
#include <QSqlRecord>

namespace ngc {

QtStatement::QtStatement(const QSqlDatabase &db, const QString &sql) : m_query(db)
{
    m_query.setForwardOnly(true);
    if (!m_query.prepare(sql))
        throw DatabaseError("cannot prepare statement", m_query.lastError());
}

void QtStatement::execute(const QVariantList &values)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        m_query.bindValue(static_cast<int>(i), values[i]);
    if (!m_query.exec())
        throw DatabaseError("statement failed", m_query.lastError());
}

int QtStatement::rowsAffected() const
{
    return m_query.numRowsAffected();
}

void QtStatement::reset()
{
    m_query.finish();
}

int QtStatement::columnCount() const
{
    return m_query.record().count();
}

bool QtStatement::next()
{
    if (m_query.next())
        return true;
    if (m_query.lastError().isValid())
        throw DatabaseError("statement failed", m_query.lastError());
    return false;
}

RowSource::Kind QtStatement::kind(int column) const
{
    return m_query.isNull(column) ? Kind::Null : Kind::Other;
}

QVariant QtStatement::value(int column) const
{
    return m_query.value(column);
}

} // namespace ngc
