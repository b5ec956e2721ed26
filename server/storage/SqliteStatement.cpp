#include "SqliteStatement.h"

#include "Database.h"

#include <QDateTime>

#include <sqlite3.h>

namespace ngc {

SqliteStatement::SqliteStatement(sqlite3 *handle, const QString &sql)
{
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v3(handle, text.constData(), static_cast<int>(text.size()),
                           SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr) != SQLITE_OK) {
        const std::string message = sqlite3_errmsg(handle);
        sqlite3_finalize(m_statement);
        throw DatabaseError("cannot prepare statement: " + message);
    }
    if (!m_statement)
        throw DatabaseError("cannot prepare statement: the text holds no statement");
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

void SqliteStatement::fail(const char *what) const
{
    throw DatabaseError(std::string(what) + ": " + sqlite3_errmsg(sqlite3_db_handle(m_statement)));
}

int SqliteStatement::bindText(int index, const QString &text)
{
    // The database holds UTF-8; text bound in that form is compared without a conversion.
    const QByteArray bytes = text.toUtf8();
    return sqlite3_bind_text(m_statement, index, bytes.constData(), static_cast<int>(bytes.size()),
                             SQLITE_TRANSIENT);
}

void SqliteStatement::execute(const QVariantList &values)
{
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant &value = values[i];
        const int index = static_cast<int>(i) + 1;
        int result = SQLITE_OK;
        if (value.isNull()) {
            result = sqlite3_bind_null(m_statement, index);
        } else {
            switch (value.typeId()) {
            case QMetaType::QString:
                result = bindText(index, *static_cast<const QString *>(value.constData()));
                break;
            case QMetaType::Bool:
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
                result = sqlite3_bind_int64(m_statement, index, value.toLongLong());
                break;
            case QMetaType::Double:
                result = sqlite3_bind_double(m_statement, index, value.toDouble());
                break;
            case QMetaType::QByteArray: {
                const QByteArray bytes = value.toByteArray();
                result = sqlite3_bind_blob(m_statement, index, bytes.constData(),
                                           static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
                break;
            }
            case QMetaType::QDateTime:
                result = bindText(index, value.toDateTime().toString(Qt::ISODateWithMs));
                break;
            default:
                result = bindText(index, value.toString());
                break;
            }
        }
        if (result != SQLITE_OK)
            fail("cannot bind a value");
    }
}

bool SqliteStatement::next()
{
    switch (sqlite3_step(m_statement)) {
    case SQLITE_ROW:
        return true;
    case SQLITE_DONE:
        return false;
    default:
        fail("statement failed");
    }
}

int SqliteStatement::rowsAffected() const
{
    return sqlite3_changes(sqlite3_db_handle(m_statement));
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

int SqliteStatement::columnCount() const
{
    return sqlite3_column_count(m_statement);
}

SqliteStatement::Kind SqliteStatement::kind(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return Kind::Integer;
    case SQLITE_FLOAT:
        return Kind::Float;
    case SQLITE_BLOB:
        return Kind::Other;
    case SQLITE_NULL:
        return Kind::Null;
    default:
        return Kind::Text;
    }
}

qint64 SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

double SqliteStatement::real(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

QByteArrayView SqliteStatement::text(int column) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return {data, sqlite3_column_bytes(m_statement, column)};
}

QVariant SqliteStatement::value(int column) const
{
    switch (kind(column)) {
    case Kind::Integer:
        return QVariant::fromValue<qlonglong>(integer(column));
    case Kind::Float:
        return real(column);
    case Kind::Other: {
        const void *data = sqlite3_column_blob(m_statement, column);
        return QByteArray(static_cast<const char *>(data),
                          sqlite3_column_bytes(m_statement, column));
    }
    case Kind::Null:
        return {};
    case Kind::Text: {
        // SQLite's own UTF-16 form, as the driver reads it: bytes that are no valid UTF-8 come
        // out as they do there.
        const void *units = sqlite3_column_text16(m_statement, column);
        return QString(static_cast<const QChar *>(units),
                       sqlite3_column_bytes16(m_statement, column) / 2);
    }
    }
    return {};
}

} // namespace ngc
