#include "Sql.h"

#include "Database.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlRecord>

namespace ngc {

namespace {
const QString kDateFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");
}

namespace {

// Binds the values to the thread's prepared statement for the text and runs it.
QSqlQuery &run(QSqlDatabase &db, const QString &sql, const QVariantList &binds)
{
    QSqlQuery &query = Database::prepared(db, sql);
    for (qsizetype i = 0; i < binds.size(); ++i)
        query.bindValue(static_cast<int>(i), binds[i]);
    if (!query.exec()) {
        const std::string message = query.lastError().text().toStdString();
        Database::forgetPrepared(db, sql);
        throw DatabaseError("statement failed: " + message);
    }
    return query;
}

} // namespace

int Sql::exec(QSqlDatabase &db, const QString &sql, const QVariantList &binds)
{
    if (binds.isEmpty()) {
        // PostgreSQL cannot prepare DDL or LOCK; a statement without values needs no preparing.
        QSqlQuery query(db);
        if (!query.exec(sql))
            throw DatabaseError("statement failed: " + query.lastError().text().toStdString());
        return query.numRowsAffected();
    }
    QSqlQuery &query = run(db, sql, binds);
    const int affected = query.numRowsAffected();
    query.finish();
    return affected;
}

QList<QVariantList> Sql::rows(QSqlDatabase &db, const QString &sql, const QVariantList &binds)
{
    QSqlQuery &query = run(db, sql, binds);
    QList<QVariantList> result;
    const int columns = query.record().count();
    while (query.next()) {
        QVariantList row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i)
            row.append(query.value(i));
        result.append(row);
    }
    query.finish();
    return result;
}

bool Sql::exists(QSqlDatabase &db, const QString &sql, const QVariantList &binds)
{
    QSqlQuery &query = run(db, sql, binds);
    const bool found = query.next();
    query.finish();
    return found;
}

DataPacket Sql::packet(QSqlDatabase &db, const QList<FieldDef> &layout, const QString &sql,
                       const QVariantList &binds)
{
    DataPacket packet;
    packet.fields = layout;
    QSqlQuery &query = run(db, sql, binds);
    if (query.record().count() != layout.size()) {
        query.finish();
        throw DatabaseError("statement returns " + std::to_string(query.record().count()) +
                            " columns for a layout of " + std::to_string(layout.size()));
    }
    while (query.next()) {
        Row row;
        row.reserve(layout.size());
        for (int i = 0; i < layout.size(); ++i)
            row.append(toWire(query.value(i), layout[i].type));
        packet.rows.append(row);
    }
    query.finish();
    return packet;
}

QVariant Sql::toWire(const QVariant &stored, FieldType type)
{
    if (stored.isNull())
        return {};
    switch (type) {
    case FieldType::String: {
        const QString text = stored.toString();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    case FieldType::Float:
        return stored.toDouble();
    case FieldType::Integer:
        return stored.toLongLong();
    case FieldType::Boolean:
        return stored.toBool();
    case FieldType::DateTime: {
        const QDateTime value = QDateTime::fromString(stored.toString(), Qt::ISODate);
        return value.isValid() ? QVariant(value) : QVariant();
    }
    }
    return {};
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
