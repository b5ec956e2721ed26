#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

namespace ngc {

// A statement compiled on SQLite's own handle beneath a Qt connection. Qt's driver describes every
// result column again on each execution (a QSqlRecord of lower-cased type names), which costs a
// read of one item several times what SQLite spends answering it; hot reads go through this class
// instead. Values are bound as the driver binds them, so a statement text gives the same rows
// either way. The thread's statement cache owns it (see Database) and finalises it before the
// connection closes.
class SqliteStatement final {
public:
    enum class Kind { Integer, Float, Text, Blob, Null };

    // Throws DatabaseError when the text does not compile.
    SqliteStatement(sqlite3 *handle, const QString &sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    // Binds the values to the first parameters, in order. DatabaseError on failure.
    void bind(const QVariantList &values);
    // Moves to the next row; false once there is none. DatabaseError on failure.
    bool step();
    // Back to the start with no values bound, so the statement holds no read snapshot between
    // executions.
    void reset();

    int columnCount() const;
    // What the current row holds in a column, as SQLite stores it.
    Kind kind(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    QByteArrayView text(int column) const; // UTF-8, valid until the next step or reset
    // The value as Qt's driver gives it: a qlonglong, a double, a QString, a QByteArray or null.
    // It invalidates what text() gave for the column: SQLite converts the value in place.
    QVariant value(int column) const;

private:
    int bindText(int index, const QString &text);
    [[noreturn]] void fail(const char *what) const;

    sqlite3_stmt *m_statement = nullptr;
};

} // namespace ngc
