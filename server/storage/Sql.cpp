#include "Sql.h"

#include "Database.h"
#include "PacketWriter.h"
#include "Statement.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

namespace ngc {

namespace {

const QString kDateFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

// Runs the connection's kept statement for the text with the values, hands it to `read` and
// resets it on every way out, so that it keeps no read snapshot open. A statement that failed is
// dropped from the cache, unless a concurrent transaction aborted its own (the statement is still
// good, and PostgreSQL would refuse to drop it before the rollback).
template <typename Read>
auto run(QSqlDatabase &db, const QString &sql, const QVariantList &binds, Read read)
{
    Statement &statement = Database::statement(db, sql);
    struct Rewind {
        Statement &statement;
        ~Rewind() { statement.reset(); }
    };
    try {
        const Rewind rewind{statement};
        statement.execute(binds);
        return read(statement);
    } catch (const DatabaseError &error) {
        if (!error.isConflict())
            Database::forgetStatement(db, sql);
        throw;
    }
}

} // namespace

int Sql::exec(QSqlDatabase &db, const QString &sql, const QVariantList &binds)
{
    if (binds.isEmpty()) {
        QSqlQuery query(db);
        if (!query.exec(sql))
            throw DatabaseError("statement failed", query.lastError());
        return query.numRowsAffected();
    }
    return run(db, sql, binds, [](Statement &statement) {
        while (statement.next()) {
        }
        return statement.rowsAffected();
    });
}

QList<QVariantList> Sql::rows(QSqlDatabase &db, const QString &sql, const QVariantList &binds)
{
    return run(db, sql, binds, [](Statement &statement) {
        QList<QVariantList> result;
        const int columns = statement.columnCount();
        while (statement.next()) {
            QVariantList row;
            row.reserve(columns);
            for (int i = 0; i < columns; ++i)
                row.append(statement.value(i));
            result.append(row);
        }
        return result;
    });
}

bool Sql::exists(QSqlDatabase &db, const QString &sql, const QVariantList &binds)
{
    return run(db, sql, binds, [](Statement &statement) { return statement.next(); });
}

QByteArray Sql::packetJson(QSqlDatabase &db, const QList<FieldDef> &layout, const QString &sql,
                           const QVariantList &binds)
{
    return run(db, sql, binds,
               [&layout](Statement &statement) { return PacketWriter::write(layout, statement); });
}

QVariant Sql::toStored(const QVariant &wire, FieldType type)
{
    if (wire.isNull() || !wire.isValid())
        return {};
    switch (type) {
    case FieldType::String: {
        const QString text = wire.toString();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    case FieldType::Float:
        return wire.toDouble();
    case FieldType::Integer:
        return wire.toLongLong();
    case FieldType::Boolean:
        return wire.toBool();
    case FieldType::DateTime: {
        const QDateTime value = wire.toDateTime();
        return value.isValid() ? QVariant(value.toString(kDateFormat)) : QVariant();
    }
    }
    return {};
}

bool Sql::sameStored(const QVariant &a, const QVariant &b, FieldType type)
{
    const bool aNull = a.isNull() || (type == FieldType::String && a.toString().isEmpty());
    const bool bNull = b.isNull() || (type == FieldType::String && b.toString().isEmpty());
    if (aNull || bNull)
        return aNull == bNull;
    switch (type) {
    case FieldType::Float:
        return a.toDouble() == b.toDouble();
    case FieldType::Integer:
        return a.toLongLong() == b.toLongLong();
    case FieldType::Boolean:
        return a.toBool() == b.toBool();
    case FieldType::String:
    case FieldType::DateTime:
        return a.toString() == b.toString();
    }
    return false;
}

} // namespace ngc
