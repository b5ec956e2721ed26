#include "Sql.h"

#include "Database.h"
#include "JsonWriter.h"
#include "SqliteStatement.h"

#include <QDate>
#include <QDateTime>
#include <QSqlError>
#include <QSqlRecord>
#include <QTime>

#include <utility>
#include <vector>

namespace ngc {

namespace {

const QString kDateFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

// Binds the values to the thread's prepared statement for the text and runs it.
QSqlQuery &run(QSqlDatabase &db, const QString &sql, const QVariantList &binds)
{
    QSqlQuery &query = Database::prepared(db, sql);
    for (qsizetype i = 0; i < binds.size(); ++i)
        query.bindValue(static_cast<int>(i), binds[i]);
    if (!query.exec()) {
        const DatabaseError error("statement failed", query.lastError());
        // A statement whose transaction a concurrent one aborted is still good (and PostgreSQL
        // would refuse to drop it before the rollback); other failures may have broken it.
        if (!error.isConflict())
            Database::forgetPrepared(db, sql);
        throw error;
    }
    return query;
}

void checkColumns(QSqlQuery &query, const QList<FieldDef> &layout)
{
    if (query.record().count() != layout.size()) {
        query.finish();
        throw DatabaseError("statement returns " + std::to_string(query.record().count()) +
                            " columns for a layout of " + std::to_string(layout.size()));
    }
}

char16_t unitAt(QStringView text, int i)
{
    return text[i].unicode();
}

char16_t unitAt(QByteArrayView text, int i)
{
    return static_cast<unsigned char>(text[i]);
}

// Whether a stored date-time is already the text the wire carries ("2026-12-08T00:00:00", a
// valid date and time), in Qt's form of the text (UTF-16) or SQLite's own (UTF-8). Such text is
// sent as it is: the round trip through a local QDateTime costs more than the rest of the row,
// and would move a time that falls in a daylight-saving gap.
template <typename Text>
bool isWireDateTime(Text text)
{
    if (text.size() != 19 || unitAt(text, 4) != u'-' || unitAt(text, 7) != u'-' ||
        unitAt(text, 10) != u'T' || unitAt(text, 13) != u':' || unitAt(text, 16) != u':')
        return false;
    int parts[6] = {};
    const int starts[6] = {0, 5, 8, 11, 14, 17};
    for (int p = 0; p < 6; ++p) {
        const int length = p == 0 ? 4 : 2;
        for (int i = starts[p]; i < starts[p] + length; ++i) {
            const char16_t c = unitAt(text, i);
            if (c < u'0' || c > u'9')
                return false;
            parts[p] = parts[p] * 10 + (c - u'0');
        }
    }
    return QDate::isValid(parts[0], parts[1], parts[2]) &&
           QTime::isValid(parts[3], parts[4], parts[5]);
}

// A layout's field list as text, kept per thread: the layouts are the server's constants, and
// writing a few dozen field descriptions costs about as much as reading the row they describe.
// The copy of the list kept beside its text holds on to the list's storage, so that address
// cannot come back for another list.
const QByteArray &fieldsText(const QList<FieldDef> &layout)
{
    thread_local std::vector<std::pair<QList<FieldDef>, QByteArray>> known;
    for (const auto &[list, text] : known) {
        if (list.constData() == layout.constData() && list.size() == layout.size())
            return text;
    }
    if (known.size() >= 64)
        known.clear();
    JsonWriter writer;
    writer.fields(layout);
    known.emplace_back(layout, writer.take());
    return known.back().second;
}

// toWire() and the packet encoding in one step.
void writeWire(JsonWriter &writer, const QVariant &stored, FieldType type)
{
    if (stored.isNull()) {
        writer.null();
        return;
    }
    switch (type) {
    case FieldType::String: {
        const QString text = stored.toString();
        if (text.isEmpty())
            writer.null();
        else
            writer.string(text);
        return;
    }
    case FieldType::Float:
        writer.number(stored.toDouble());
        return;
    case FieldType::Integer:
        writer.integer(stored.toLongLong());
        return;
    case FieldType::Boolean:
        writer.boolean(stored.toBool());
        return;
    case FieldType::DateTime: {
        const QString text = stored.toString();
        if (isWireDateTime(QStringView(text)))
            writer.string(text);
        else
            writer.dateTime(QDateTime::fromString(text, Qt::ISODate));
        return;
    }
    }
    writer.null();
}

// writeWire() for a column of the statement's current row, reading what SQLite stores without a
// QVariant where the layout expects that kind of value; any other pairing goes the general way,
// with the value Qt's driver would have given.
void writeColumn(JsonWriter &writer, const SqliteStatement &statement, int column,
                 FieldType type)
{
    switch (statement.kind(column)) {
    case SqliteStatement::Kind::Null:
        writer.null();
        return;
    case SqliteStatement::Kind::Integer:
        if (type == FieldType::Float) {
            writer.number(static_cast<double>(statement.integer(column)));
            return;
        }
        if (type == FieldType::Integer) {
            writer.integer(statement.integer(column));
            return;
        }
        if (type == FieldType::Boolean) {
            writer.boolean(statement.integer(column) != 0);
            return;
        }
        break;
    case SqliteStatement::Kind::Float:
        if (type == FieldType::Float) {
            writer.number(statement.real(column));
            return;
        }
        break;
    case SqliteStatement::Kind::Text: {
        const QByteArrayView text = statement.text(column);
        if (type == FieldType::String) {
            if (text.isEmpty()) {
                writer.null();
                return;
            }
            if (writer.stringFromUtf8(text))
                return;
        } else if (type == FieldType::DateTime && isWireDateTime(text)) {
            writer.raw("\"");
            writer.raw(text);
            writer.raw("\"");
            return;
        }
        break;
    }
    case SqliteStatement::Kind::Blob:
        break;
    }
    writeWire(writer, statement.value(column), type);
}

// packetJson() on SQLite's own statement.
QByteArray sqlitePacketJson(QSqlDatabase &db, SqliteStatement &statement,
                            const QList<FieldDef> &layout, const QString &sql,
                            const QVariantList &binds)
{
    // Resets the statement on every way out, so it keeps no read snapshot open.
    struct Rewind {
        SqliteStatement &statement;
        ~Rewind() { statement.reset(); }
    };
    try {
        const Rewind rewind{statement};
        if (statement.columnCount() != layout.size())
            throw DatabaseError("statement returns " + std::to_string(statement.columnCount()) +
                                " columns for a layout of " + std::to_string(layout.size()));
        statement.bind(binds);
        JsonWriter writer;
        writer.raw("{\"fields\":");
        writer.raw(fieldsText(layout));
        writer.raw(",\"rows\":[");
        bool first = true;
        while (statement.step()) {
            writer.raw(first ? "[" : ",[");
            first = false;
            for (int i = 0; i < layout.size(); ++i) {
                if (i != 0)
                    writer.raw(",");
                writeColumn(writer, statement, i, layout[i].type);
            }
            writer.raw("]");
        }
        writer.raw("]}");
        return writer.take();
    } catch (const DatabaseError &) {
        Database::forgetPrepared(db, sql);
        throw;
    }
}

} // namespace

int Sql::exec(QSqlDatabase &db, const QString &sql, const QVariantList &binds)
{
    if (binds.isEmpty()) {
        // PostgreSQL cannot prepare DDL or LOCK; a statement without values needs no preparing.
        QSqlQuery query(db);
        if (!query.exec(sql))
            throw DatabaseError("statement failed", query.lastError());
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
    checkColumns(query, layout);
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

QByteArray Sql::packetJson(QSqlDatabase &db, const QList<FieldDef> &layout, const QString &sql,
                           const QVariantList &binds)
{
    if (SqliteStatement *statement = Database::sqliteStatement(db, sql))
        return sqlitePacketJson(db, *statement, layout, sql, binds);
    QSqlQuery &query = run(db, sql, binds);
    checkColumns(query, layout);
    JsonWriter writer;
    writer.raw("{\"fields\":");
    writer.raw(fieldsText(layout));
    writer.raw(",\"rows\":[");
    bool first = true;
    while (query.next()) {
        writer.raw(first ? "[" : ",[");
        first = false;
        for (int i = 0; i < layout.size(); ++i) {
            if (i != 0)
                writer.raw(",");
            writeWire(writer, query.value(i), layout[i].type);
        }
        writer.raw("]");
    }
    writer.raw("]}");
    query.finish();
    return writer.take();
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
