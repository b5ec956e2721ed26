#include "PgStatement.h"

#include "Database.h"

#include <json/JsonText.h>

#include <QDateTime>
#include <QLocale>

#include <libpq-fe.h>

#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace ngc {

namespace {

std::atomic<quint64> g_nextName{1};

// Type OIDs of PostgreSQL's built-in types (fixed by its catalogue).
constexpr Oid kBool = 16;
constexpr Oid kInt8 = 20;
constexpr Oid kInt2 = 21;
constexpr Oid kInt4 = 23;
constexpr Oid kOid = 26;
constexpr Oid kFloat4 = 700;
constexpr Oid kFloat8 = 701;
constexpr Oid kNumeric = 1700;

// The server's statements mark their values with "?", as Qt's drivers take them; PostgreSQL
// numbers them. A "?" inside a quoted literal or name is text, not a value.
QByteArray numberedParameters(const QString &sql)
{
    const QByteArray text = sql.toUtf8();
    QByteArray numbered;
    numbered.reserve(text.size() + 16);
    int next = 1;
    char quote = 0;
    for (const char c : text) {
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '?') {
            numbered += '$';
            numbered += QByteArray::number(next++);
            continue;
        }
        numbered += c;
    }
    return numbered;
}

// A value as the text Qt's driver spells it in a statement.
QByteArray parameterText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return static_cast<const QString *>(value.constData())->toUtf8();
    case QMetaType::Bool:
        return value.toBool() ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
    case QMetaType::Int:
    case QMetaType::LongLong:
        return QByteArray::number(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QByteArray::number(value.toULongLong());
    case QMetaType::Double: {
        const double number = value.toDouble();
        if (std::isnan(number))
            return QByteArrayLiteral("NaN");
        if (std::isinf(number))
            return number > 0 ? QByteArrayLiteral("Infinity") : QByteArrayLiteral("-Infinity");
        return QByteArray::number(number, 'g', QLocale::FloatingPointShortest);
    }
    case QMetaType::QDateTime:
        return value.toDateTime().toString(Qt::ISODateWithMs).toUtf8();
    default:
        return value.toString().toUtf8();
    }
}

} // namespace

PgStatement::PgStatement(pg_conn *connection, const QString &sql)
    : m_connection(connection), m_name("ngc_" + QByteArray::number(g_nextName++))
{
    // Holds each result until it has been read, on every way out.
    struct Result {
        PGresult *result;
        ~Result() { PQclear(result); }
    };
    const QByteArray text = numberedParameters(sql);
    const Result prepared{
        PQprepare(m_connection, m_name.constData(), text.constData(), 0, nullptr)};
    if (PQresultStatus(prepared.result) != PGRES_COMMAND_OK)
        fail("cannot prepare statement", prepared.result);
    // What the rows will hold is known now, once: no execution describes them again.
    const Result described{PQdescribePrepared(m_connection, m_name.constData())};
    if (PQresultStatus(described.result) != PGRES_COMMAND_OK)
        fail("cannot prepare statement", described.result);
    m_columns = PQnfields(described.result);
    m_types.reserve(static_cast<size_t>(m_columns));
    for (int i = 0; i < m_columns; ++i) {
        switch (PQftype(described.result, i)) {
        case kBool:
            m_types.push_back(Type::Boolean);
            break;
        case kInt2:
        case kInt4:
        case kOid:
            m_types.push_back(Type::Int32);
            break;
        case kInt8:
            m_types.push_back(Type::Int64);
            break;
        case kFloat4:
        case kFloat8:
        case kNumeric:
            m_types.push_back(Type::Double);
            break;
        default:
            m_types.push_back(Type::Text);
            break;
        }
    }
}

PgStatement::~PgStatement()
{
    PQclear(m_result);
    // Kept statements are dropped when a connection has too many or one failed; the server's
    // copy goes too. A connection that broke has no copy left, and this fails harmlessly.
    PQclear(PQexec(m_connection, ("DEALLOCATE " + m_name).constData()));
}

void PgStatement::fail(const char *what, const pg_result *result) const
{
    const char *message = result ? PQresultErrorMessage(result) : "";
    if (!*message)
        message = PQerrorMessage(m_connection);
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    throw DatabaseError(std::string(what) + ": " + QByteArray(message).trimmed().toStdString(),
                        state ? QString::fromLatin1(state) : QString());
}

void PgStatement::execute(const QVariantList &values)
{
    reset();
    std::vector<QByteArray> texts(static_cast<size_t>(values.size()));
    std::vector<const char *> pointers(static_cast<size_t>(values.size()), nullptr);
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (values[i].isNull())
            continue;
        texts[size_t(i)] = parameterText(values[i]);
        pointers[size_t(i)] = texts[size_t(i)].constData();
    }
    m_result = PQexecPrepared(m_connection, m_name.constData(), static_cast<int>(values.size()),
                              pointers.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(m_result);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
        fail("statement failed", m_result);
    m_rows = PQntuples(m_result);
}

int PgStatement::rowsAffected() const
{
    return m_result ? std::atoi(PQcmdTuples(m_result)) : 0;
}

void PgStatement::reset()
{
    PQclear(m_result);
    m_result = nullptr;
    m_rows = 0;
    m_row = -1;
}

int PgStatement::columnCount() const
{
    return m_columns;
}

bool PgStatement::next()
{
    return ++m_row < m_rows;
}

RowSource::Kind PgStatement::kind(int column) const
{
    if (PQgetisnull(m_result, m_row, column))
        return Kind::Null;
    switch (m_types[size_t(column)]) {
    case Type::Int32:
    case Type::Int64:
        return Kind::Integer;
    case Type::Double:
        return Kind::Float;
    case Type::Text:
        return Kind::Text;
    case Type::Boolean:
        break;
    }
    return Kind::Other;
}

qint64 PgStatement::integer(int column) const
{
    const QByteArrayView digits = text(column);
    qint64 number = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return number;
}

double PgStatement::real(int column) const
{
    // PostgreSQL writes every double so that it reads back exactly; NaN and Infinity are spelled
    // out, which from_chars reads too.
    const QByteArrayView digits = text(column);
    double number = std::numeric_limits<double>::quiet_NaN();
    std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return number;
}

QByteArrayView PgStatement::text(int column) const
{
    return {PQgetvalue(m_result, m_row, column), PQgetlength(m_result, m_row, column)};
}

QVariant PgStatement::value(int column) const
{
    if (PQgetisnull(m_result, m_row, column))
        return {};
    switch (m_types[size_t(column)]) {
    case Type::Boolean:
        return QVariant(*PQgetvalue(m_result, m_row, column) == 't');
    case Type::Int32:
        return QVariant(static_cast<int>(integer(column)));
    case Type::Int64:
        return QVariant::fromValue<qlonglong>(integer(column));
    case Type::Double:
        return QVariant(real(column));
    case Type::Text:
        break;
    }
    return utf8ToString(text(column));
}

} // namespace ngc
