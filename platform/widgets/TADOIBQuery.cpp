#include "TADOIBQuery.h"

#include <data/TField.h>
#include <services/HostContext.h>

#include <QDateTime>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>

namespace ngc {

namespace {

// Splits the SQL into the text with "?" placeholders and the parameter name of each
// placeholder, in order. Quoted text, quoted names and "::" casts are left alone.
struct ParsedSql {
    QString text;
    QStringList names;
};

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

ParsedSql parseSql(const QString &sql)
{
    ParsedSql parsed;
    parsed.text.reserve(sql.size());
    QChar quote;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            parsed.text += c;
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            parsed.text += c;
            continue;
        }
        if (c == QLatin1Char(':') && i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char(':')) {
            parsed.text += QStringLiteral("::");
            ++i;
            continue;
        }
        if (c == QLatin1Char(':') && i + 1 < sql.size() && isNameChar(sql.at(i + 1)) &&
            !sql.at(i + 1).isDigit()) {
            int end = i + 1;
            while (end < sql.size() && isNameChar(sql.at(end)))
                ++end;
            parsed.names.append(sql.mid(i + 1, end - i - 1).toUpper());
            parsed.text += QLatin1Char('?');
            i = end - 1;
            continue;
        }
        parsed.text += c;
    }
    return parsed;
}

// The database named without its password, for messages.
QString describe(const QString &url)
{
    if (url.startsWith(QStringLiteral("sqlite:")))
        return url;
    QUrl parsed(url);
    if (!parsed.password().isEmpty())
        parsed.setPassword(QStringLiteral("***"));
    return parsed.toString();
}

QSqlDatabase openDatabase(const QString &url)
{
    const QString name = QStringLiteral("ngc-shared-%1-%2")
                             .arg(reinterpret_cast<quintptr>(QThread::currentThread()))
                             .arg(qHash(url));
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen() || db.open())
            return db;
        throw QueryError(QStringLiteral("Não foi possível abrir o banco de dados compartilhado "
                                        "%1: %2")
                             .arg(describe(url), db.lastError().text())
                             .toStdString());
    }
    QSqlDatabase db;
    if (url.startsWith(QStringLiteral("sqlite:"))) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(url.mid(int(qstrlen("sqlite:"))));
        // Only a database that exists is the shared one; never create an empty file.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    } else if (url.startsWith(QStringLiteral("postgresql:")) ||
               url.startsWith(QStringLiteral("postgres:"))) {
        const QUrl parsed(url);
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(parsed.host());
        if (parsed.port() > 0)
            db.setPort(parsed.port());
        db.setUserName(parsed.userName());
        db.setPassword(parsed.password());
        db.setDatabaseName(parsed.path().mid(1));
        QStringList options;
        const QUrlQuery query(parsed);
        for (const auto &[key, value] : query.queryItems(QUrl::FullyDecoded))
            if (key == QStringLiteral("sslmode") || key == QStringLiteral("connect_timeout"))
                options.append(key + QLatin1Char('=') + value);
        db.setConnectOptions(options.join(QLatin1Char(';')));
    } else {
        throw QueryError(QStringLiteral("Banco de dados compartilhado não reconhecido: %1")
                             .arg(describe(url))
                             .toStdString());
    }
    if (!db.open())
        throw QueryError(QStringLiteral("Não foi possível abrir o banco de dados compartilhado "
                                        "%1: %2")
                             .arg(describe(url), db.lastError().text())
                             .toStdString());
    return db;
}

FieldType typeOf(const QMetaType &type)
{
    switch (type.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return FieldType::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return FieldType::Float;
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return FieldType::DateTime;
    case QMetaType::Bool:
        return FieldType::Boolean;
    default:
        return FieldType::String;
    }
}

// cut: string values are cut to the field's size (declared fields); taken fields keep them whole.
QVariant convert(const QVariant &value, const FieldDef &def, bool cut)
{
    if (value.isNull())
        return {};
    switch (def.type) {
    case FieldType::String: {
        QString text = value.toString();
        const int size = def.size > 0 ? def.size : 20;
        if (cut && text.size() > size)
            text.truncate(size);
        return text;
    }
    case FieldType::Float:
        return value.toDouble();
    case FieldType::Integer:
        return value.toLongLong();
    case FieldType::Boolean:
        return value.toBool();
    case FieldType::DateTime:
        if (value.metaType().id() == QMetaType::QDate)
            return QDateTime(value.toDate(), QTime(0, 0));
        if (value.metaType().id() == QMetaType::QString)
            return QDateTime::fromString(value.toString(), Qt::ISODate);
        return value.toDateTime();
    }
    return value;
}

} // namespace

TADOIBQuery::TADOIBQuery(QString name) : m_name(std::move(name)), m_dataSet(m_name)
{
    auto refuse = [this](const char *what) {
        return [this, what](TClientDataSet &) {
            throw DataSetError(QStringLiteral("%1: consulta somente de leitura (%2).")
                                   .arg(m_name, QString::fromLatin1(what))
                                   .toStdString());
        };
    };
    m_dataSet.BeforeEdit = refuse("alteração");
    m_dataSet.BeforeInsert = refuse("inclusão");
    m_dataSet.BeforeDelete = refuse("exclusão");
}

TADOIBQuery::~TADOIBQuery() = default;

void TADOIBQuery::SetSQL(const QStringList &lines)
{
    Close();
    m_sql = lines;
    const QStringList names = ParamNames();
    QList<TParam> kept;
    for (const QString &name : names) {
        TParam param(name);
        for (const TParam &old : m_params)
            if (old.Name() == name)
                param = old;
        kept.append(param);
    }
    m_params = kept;
}

QStringList TADOIBQuery::ParamNames() const
{
    QStringList names = parseSql(m_sql.join(QLatin1Char('\n'))).names;
    names.removeDuplicates();
    return names;
}

TParam &TADOIBQuery::ParamByName(const QString &name)
{
    const QString wanted = name.toUpper();
    for (TParam &param : m_params)
        if (param.Name() == wanted)
            return param;
    throw QueryError(
        QStringLiteral("%1: parâmetro '%2' não encontrado.").arg(m_name, name).toStdString());
}

namespace {

// A statement prepared on a shared-database connection, with the parameter of each placeholder.
struct Statement {
    explicit Statement(const QSqlDatabase &db) : query(db) {}
    QSqlQuery query;
    QStringList placeholders;
};

// The statements prepared on this thread's connections, by connection and SQL text: compiling a
// statement costs several times running it, and every opening of a screen builds its queries
// anew with the same few texts. Past kMaxStatements the kept ones are dropped and the cache
// starts over.
constexpr int kMaxStatements = 32;
thread_local QHash<QString, std::shared_ptr<Statement>> preparedStatements;

QString statementKey(const QSqlDatabase &db, const QString &text)
{
    return db.connectionName() + QLatin1Char('\n') + text;
}

std::shared_ptr<Statement> preparedStatement(const QSqlDatabase &db, const QString &text,
                                             const QString &queryName)
{
    const QString key = statementKey(db, text);
    if (const auto found = preparedStatements.constFind(key); found != preparedStatements.cend())
        return found.value();
    const ParsedSql parsed = parseSql(text);
    auto statement = std::make_shared<Statement>(db);
    statement->query.setForwardOnly(true);
    if (!statement->query.prepare(parsed.text))
        throw QueryError(QStringLiteral("%1: %2")
                             .arg(queryName, statement->query.lastError().text())
                             .toStdString());
    statement->placeholders = parsed.names;
    if (preparedStatements.size() >= kMaxStatements)
        preparedStatements.clear();
    preparedStatements.insert(key, statement);
    return statement;
}

void forgetStatement(const QSqlDatabase &db, const QString &text)
{
    preparedStatements.remove(statementKey(db, text));
}

} // namespace

QSqlDatabase TADOIBQuery::SharedDatabase()
{
    const QString url = HostContext::instance().sharedDb;
    if (url.isEmpty())
        throw QueryError("Nenhum banco de dados compartilhado configurado (NGC_SHARED_DB).");
    return openDatabase(url);
}

void TADOIBQuery::Open()
{
    if (Active())
        return;
    const QSqlDatabase db = SharedDatabase();
    const QString text = m_sql.join(QLatin1Char('\n'));
    const std::shared_ptr<Statement> statement = preparedStatement(db, text, m_name);
    try {
        load(statement->query, statement->placeholders);
    } catch (...) {
        // A statement that failed is prepared again next time (the connection may have broken).
        forgetStatement(db, text);
        throw;
    }
}

void TADOIBQuery::load(QSqlQuery &query, const QStringList &placeholders)
{
    for (int i = 0; i < placeholders.size(); ++i)
        query.bindValue(i, ParamByName(placeholders.at(i)).Value());
    if (!query.exec())
        throw QueryError(
            QStringLiteral("%1: %2").arg(m_name, query.lastError().text()).toStdString());

    const QSqlRecord record = query.record();
    DataPacket packet;
    QList<int> columns; // result column of each packet field
    const bool declared = m_dataSet.FieldCount() > 0;
    if (declared) {
        packet.fields = m_dataSet.FieldDefs();
        for (const FieldDef &def : packet.fields) {
            const int column = record.indexOf(def.name);
            if (column < 0)
                throw QueryError(QStringLiteral("%1: o resultado não tem a coluna %2.")
                                     .arg(m_name, def.name)
                                     .toStdString());
            columns.append(column);
        }
    } else {
        for (int i = 0; i < record.count(); ++i) {
            FieldDef def{record.fieldName(i).toUpper(), typeOf(record.field(i).metaType()), 0};
            packet.fields.append(def);
            columns.append(i);
        }
    }
    while (query.next()) {
        Row row;
        row.reserve(packet.fields.size());
        for (int i = 0; i < packet.fields.size(); ++i)
            row.append(convert(query.value(columns.at(i)), packet.fields.at(i), declared));
        packet.rows.append(row);
    }
    if (query.lastError().isValid())
        throw QueryError(
            QStringLiteral("%1: %2").arg(m_name, query.lastError().text()).toStdString());
    // Kept for the next opening; meanwhile it holds no read lock.
    query.finish();
    // A taken string column is as wide as its widest value.
    if (!declared) {
        for (int i = 0; i < packet.fields.size(); ++i) {
            if (packet.fields[i].type != FieldType::String)
                continue;
            int widest = 1;
            for (const Row &row : packet.rows)
                widest = qMax(widest, int(row.at(i).toString().size()));
            packet.fields[i].size = widest;
        }
    }
    m_dataSet.SetData(packet);
    if (!m_dataSet.Active())
        m_dataSet.Open();
}

void TADOIBQuery::Close()
{
    m_dataSet.Close();
}

bool TADOIBQuery::Active() const
{
    return m_dataSet.Active();
}

bool TADOIBQuery::IsEmpty() const
{
    return m_dataSet.IsEmpty();
}

TField &TADOIBQuery::FieldByName(const QString &name) const
{
    return m_dataSet.FieldByName(name);
}

} // namespace ngc
