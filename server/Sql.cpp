#include "Sql.h"

#include "Database.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlRecord>

namespace ngc {

namespace {
const QString kDateFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");
}

QSqlQuery Sql::exec(QSqlDatabase &db, const QString &sql, const QVariantList &binds)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (binds.isEmpty()) {
        // PostgreSQL cannot prepare DDL or LOCK; a statement without values needs no preparing.
        if (!query.exec(sql))
            throw DatabaseError("statement failed: " + query.lastError().text().toStdString());
        return query;
    }
    if (!query.prepare(sql))
        throw DatabaseError("cannot prepare statement: " + query.lastError().text().toStdString());
    for (const QVariant &value : binds)
        query.addBindValue(value);
    if (!query.exec())
        throw DatabaseError("statement failed: " + query.lastError().text().toStdString());
    return query;
}

QList<QVariantList> Sql::rows(QSqlDatabase &db, const QString &sql, const QVariantList &binds)
{
    QSqlQuery query = exec(db, sql, binds);
    QList<QVariantList> result;
    const int columns = query.record().count();
    while (query.next()) {
        QVariantList row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i)
            row.append(query.value(i));
        result.append(row);
    }
    return result;
}

bool Sql::exists(QSqlDatabase &db, const QString &sql, const QVariantList &binds)
{
    QSqlQuery query = exec(db, sql, binds);
    return query.next();
}

DataPacket Sql::packet(QSqlDatabase &db, const QList<FieldDef> &layout, const QString &sql,
                       const QVariantList &binds)
{
    DataPacket packet;
    packet.fields = layout;
    QSqlQuery query = exec(db, sql, binds);
    if (query.record().count() != layout.size())
        throw DatabaseError("statement returns " + std::to_string(query.record().count()) +
                            " columns for a layout of " + std::to_string(layout.size()));
    while (query.next()) {
        Row row;
        row.reserve(layout.size());
        for (int i = 0; i < layout.size(); ++i)
            row.append(toWire(query.value(i), layout[i].type));
        packet.rows.append(row);
    }
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
