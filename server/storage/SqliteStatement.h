#pragma once

#include "Statement.h"

#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace ngc {

// A statement compiled on SQLite's own handle beneath a Qt connection: how every statement with
// values runs on SQLite. Qt's driver describes every result column again on each execution (a
// QSqlRecord of lower-cased type names), which costs a read of one item several times what
// SQLite spends answering it. Values are bound as the driver binds them and read back as it
// reads them, so a statement text gives the same rows either way. The connection's statement
// cache owns it (see Database) and finalises it before the connection closes.
class SqliteStatement final : public Statement {
public:
    // Throws DatabaseError when the text does not compile.
    SqliteStatement(sqlite3 *handle, const QString &sql);
    ~SqliteStatement() override;

    void execute(const QVariantList &values) override;
    int rowsAffected() const override;
    void reset() override;

    int columnCount() const override;
    bool next() override;
    Kind kind(int column) const override;
    qint64 integer(int column) const override;
    double real(int column) const override;
    QByteArrayView text(int column) const override;
    // It invalidates what text() gave for the column: SQLite converts the value in place.
    QVariant value(int column) const override;

private:
    int bindText(int index, const QString &text);
    [[noreturn]] void fail(const char *what) const;

    sqlite3_stmt *m_statement = nullptr;
};

} // namespace ngc
