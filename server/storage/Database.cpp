#include "Database.h"

#include "PgStatement.h"
#include "SqliteStatement.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <array>
#include <atomic>
#include <memory>
#include <unordered_map>
#include <vector>

namespace ngc {

namespace {

std::atomic<quint64> g_nextDatabaseId{1};
std::atomic<quint64> g_nextThreadId{1};

// The SQL texts assembled per request (an insert of the fields present, a replication over the
// dimensions chosen) come in many variants; past this many statements on one connection the kept
// ones are dropped and the cache starts over.
constexpr qsizetype kMaxPreparedPerConnection = 64;

// The statements one connection keeps between requests, by SQL text. They must be gone before
// the connection closes (SQLite refuses to close a connection with live statements).
struct ConnectionStatements {
    std::unordered_map<QString, std::unique_ptr<Statement>> byText;
    // The statements found last, by the address of their text: a request's SQL is one of the
    // server's constants, and hashing a join of a few hundred characters on every call costs
    // more than this look. The kept copy of the text holds its storage, so an address found here
    // is that text. Emptied whenever a statement goes.
    struct Recent {
        QString sql;
        Statement *statement = nullptr;
    };
    std::array<Recent, 4> recent;
    size_t nextRecent = 0;
    void forgetRecent() { recent = {}; }
    // The handle beneath the Qt connection, looked up with its first statement.
    sqlite3 *sqlite = nullptr;
    PGconn *postgres = nullptr;
};

// Connections are named per database object and per thread; the names opened by a thread are
// removed when it ends, which is the only place where Qt allows it for that connection. The
// statements prepared on a connection go with it, and before it.
struct ThreadConnections {
    quint64 threadId = g_nextThreadId++;
    std::vector<QString> names;
    // The connection name of each database object on this thread, made once.
    std::unordered_map<quint64, QString> nameOf;
    // By connection name.
    std::unordered_map<QString, ConnectionStatements> prepared;
    ~ThreadConnections()
    {
        prepared.clear();
        for (const QString &name : names)
            QSqlDatabase::removeDatabase(name);
    }
};
thread_local ThreadConnections t_connections;

const QString &connectionName(quint64 databaseId)
{
    auto found = t_connections.nameOf.find(databaseId);
    if (found == t_connections.nameOf.end())
        found = t_connections.nameOf
                    .emplace(databaseId, QStringLiteral("ngc-server-%1-%2")
                                             .arg(databaseId)
                                             .arg(t_connections.threadId))
                    .first;
    return found->second;
}

// PostgreSQL's advisory lock that set-up takes, the same in every server of this program.
constexpr qint64 kSetupLockKey = 0x6e67632d73657475; // "ngc-setu"

void execOrThrow(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw DatabaseError("database set-up failed (" + sql.toStdString() + ")",
                            query.lastError());
}

} // namespace

DatabaseUrl DatabaseUrl::parse(const QString &url)
{
    DatabaseUrl result;
    if (url.startsWith(QLatin1String("sqlite:"))) {
        result.kind = Kind::SQLite;
        const QString rest = url.mid(7);
        if (rest == QLatin1String(":memory:")) {
            result.memory = true;
        } else if (rest.isEmpty()) {
            throw std::invalid_argument("sqlite: needs a file path or :memory:");
        } else {
            result.path = rest;
        }
        return result;
    }
    if (url.startsWith(QLatin1String("postgresql://")) ||
        url.startsWith(QLatin1String("postgres://"))) {
        const QUrl parsed(url, QUrl::StrictMode);
        if (!parsed.isValid() || parsed.host().isEmpty())
            throw std::invalid_argument("malformed PostgreSQL URL: " + url.toStdString());
        result.kind = Kind::PostgreSQL;
        result.host = parsed.host();
        result.port = parsed.port(5432);
        result.user = parsed.userName();
        result.password = parsed.password();
        result.name = parsed.path().mid(1);
        result.schema = QUrlQuery(parsed).queryItemValue(QStringLiteral("schema"));
        static const QRegularExpression identifier(QStringLiteral("^[a-z_][a-z0-9_]{0,62}$"));
        if (!result.schema.isEmpty() && !identifier.match(result.schema).hasMatch())
            throw std::invalid_argument("the schema name must be a lower-case identifier: " +
                                        result.schema.toStdString());
        if (result.name.isEmpty())
            throw std::invalid_argument("the PostgreSQL URL names no database: " +
                                        url.toStdString());
        return result;
    }
    throw std::invalid_argument("unknown database URL (use sqlite:PATH, sqlite::memory: or "
                                "postgresql://user@host:port/db): " +
                                url.toStdString());
}

void Database::configureSqlite()
{
    sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
}

Database::Database(const QString &url) : m_url(DatabaseUrl::parse(url)), m_id(g_nextDatabaseId++)
{
    if (m_url.kind == DatabaseUrl::Kind::SQLite && m_url.memory) {
        m_memoryUri = QStringLiteral("file:ngc-memory-%1-%2?mode=memory&cache=shared")
                          .arg(QCoreApplication::applicationPid())
                          .arg(m_id);
        m_anchorName = QStringLiteral("ngc-server-anchor-%1").arg(m_id);
        open(m_anchorName);
    }
}

Database::~Database()
{
    const QString own = connectionName(m_id);
    t_connections.nameOf.erase(m_id);
    auto &names = t_connections.names;
    t_connections.prepared.erase(own);
    for (auto it = names.begin(); it != names.end();) {
        if (*it == own) {
            QSqlDatabase::removeDatabase(*it);
            it = names.erase(it);
        } else {
            ++it;
        }
    }
    if (!m_anchorName.isEmpty())
        QSqlDatabase::removeDatabase(m_anchorName);
}

QSqlDatabase Database::open(const QString &connectionName) const
{
    QSqlDatabase db;
    if (m_url.kind == DatabaseUrl::Kind::PostgreSQL) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
        db.setHostName(m_url.host);
        db.setPort(m_url.port);
        db.setUserName(m_url.user);
        db.setPassword(m_url.password);
        db.setDatabaseName(m_url.name);
        db.setConnectOptions(QStringLiteral("connect_timeout=10"));
    } else {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(m_url.memory ? m_memoryUri : m_url.path);
        db.setConnectOptions(m_url.memory
                                 ? QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=10000")
                                 : QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    }
    connect(db);
    return db;
}

void Database::connect(QSqlDatabase &db) const
{
    if (!db.open())
        throw DatabaseError("cannot open the database", db.lastError());
    if (m_url.kind == DatabaseUrl::Kind::PostgreSQL) {
        execOrThrow(db, QStringLiteral("SET client_min_messages TO WARNING"));
        if (!m_url.schema.isEmpty()) {
            // The name is a checked identifier (see DatabaseUrl::parse); SET takes no parameters.
            // Created under the set-up lock: two connections creating the same new schema at
            // once would both find it missing, and one would fail. One that exists is left
            // alone, so that a role without the right to create schemas can use it.
            execOrThrow(db, QStringLiteral("DO $$BEGIN "
                                           "IF NOT EXISTS (SELECT 1 FROM pg_namespace "
                                           "WHERE nspname = '%2') THEN "
                                           "PERFORM pg_advisory_xact_lock(%1); "
                                           "CREATE SCHEMA IF NOT EXISTS %2; "
                                           "END IF; END$$")
                                .arg(kSetupLockKey)
                                .arg(m_url.schema));
            execOrThrow(db, QStringLiteral("SET search_path TO ") + m_url.schema);
        }
        return;
    }
    execOrThrow(db, QStringLiteral("PRAGMA foreign_keys = ON"));
    if (!m_url.memory) {
        execOrThrow(db, QStringLiteral("PRAGMA journal_mode = WAL"));
        // In WAL mode NORMAL loses no committed transaction when the process dies; only a power
        // cut can take back the last ones, and never leaves a transaction half applied.
        execOrThrow(db, QStringLiteral("PRAGMA synchronous = NORMAL"));
    }
}

Database::SetupLock::SetupLock(Session &session)
{
    if (!session.isPostgres())
        return;
    m_db = session.db();
    execOrThrow(m_db, QStringLiteral("SELECT pg_advisory_lock(%1)").arg(kSetupLockKey));
    m_held = true;
}

Database::SetupLock::~SetupLock()
{
    // A connection that broke meanwhile took the lock with it.
    if (m_held)
        QSqlQuery(m_db).exec(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(kSetupLockKey));
}

Database::Session Database::session()
{
    std::unique_lock<std::recursive_mutex> lock;
    if (m_url.memory)
        lock = std::unique_lock<std::recursive_mutex>(m_memoryMutex);
    const QString name = connectionName(m_id);
    QSqlDatabase db;
    if (QSqlDatabase::contains(name)) {
        db = QSqlDatabase::database(name, false);
        if (!db.isOpen()) {
            t_connections.prepared.erase(name);
            connect(db);
        }
    } else {
        try {
            db = open(name);
        } catch (...) {
            QSqlDatabase::removeDatabase(name);
            throw;
        }
        t_connections.names.push_back(name);
    }
    return Session(db, isPostgres(), std::move(lock));
}

void Database::Session::discard()
{
    t_connections.prepared.erase(m_db.connectionName());
    m_db.close();
}

Statement &Database::statement(QSqlDatabase &db, const QString &sql)
{
    ConnectionStatements &connection = t_connections.prepared[db.connectionName()];
    for (const ConnectionStatements::Recent &recent : connection.recent) {
        if (recent.statement && recent.sql.constData() == sql.constData() &&
            recent.sql.size() == sql.size())
            return *recent.statement;
    }
    auto &statements = connection.byText;
    auto found = statements.find(sql);
    if (found == statements.end()) {
        if (!connection.sqlite && !connection.postgres) {
            const QVariant handle = db.driver()->handle();
            if (qstrcmp(handle.typeName(), "sqlite3*") == 0)
                connection.sqlite = *static_cast<sqlite3 *const *>(handle.constData());
            else if (qstrcmp(handle.typeName(), "pg_conn*") == 0)
                connection.postgres = *static_cast<PGconn *const *>(handle.constData());
            if (!connection.sqlite && !connection.postgres)
                throw DatabaseError("the connection has no handle to prepare statements on");
        }
        if (static_cast<qsizetype>(statements.size()) >= kMaxPreparedPerConnection) {
            statements.clear();
            connection.forgetRecent();
        }
        std::unique_ptr<Statement> statement;
        if (connection.sqlite)
            statement = std::make_unique<SqliteStatement>(connection.sqlite, sql);
        else
            statement = std::make_unique<PgStatement>(connection.postgres, sql);
        found = statements.emplace(sql, std::move(statement)).first;
    }
    connection.recent[connection.nextRecent] = {found->first, found->second.get()};
    connection.nextRecent = (connection.nextRecent + 1) % connection.recent.size();
    return *found->second;
}

void Database::forgetStatement(QSqlDatabase &db, const QString &sql)
{
    const auto statements = t_connections.prepared.find(db.connectionName());
    if (statements != t_connections.prepared.end()) {
        statements->second.byText.erase(sql);
        statements->second.forgetRecent();
    }
}

} // namespace ngc
