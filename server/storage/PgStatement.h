#pragma once

#include "Statement.h"

#include <QByteArray>
#include <QString>

#include <vector>

struct pg_conn;
struct pg_result;

namespace ngc {

// A statement prepared with PostgreSQL's own client library on the connection beneath a Qt
// connection: how every statement with values runs on PostgreSQL. Qt's driver sends each
// execution as an EXECUTE with the values spelled into its text and describes every result column
// again each time (a QSqlRecord of 26 fields for an item, more than half of what the server spent
// on reading one). Here the statement is prepared once, its values travel as parameters and the
// result is read where it lies. Values are bound in the text Qt's driver would give them and read
// back as it reads them, so a statement gives the same rows either way. The connection's
// statement cache owns it (see Database).
class PgStatement final : public Statement {
public:
    // Throws DatabaseError when the text cannot be prepared.
    PgStatement(pg_conn *connection, const QString &sql);
    ~PgStatement() override;

    void execute(const QVariantList &values) override;
    int rowsAffected() const override;
    void reset() override;

    int columnCount() const override;
    bool next() override;
    Kind kind(int column) const override;
    qint64 integer(int column) const override;
    double real(int column) const override;
    QByteArrayView text(int column) const override;
    QVariant value(int column) const override;

private:
    // How a column's type reads, from its type OID.
    enum class Type { Boolean, Int32, Int64, Double, Text };
    // The failure `result` reports (or the connection, when there is none) as a DatabaseError.
    [[noreturn]] void fail(const char *what, const pg_result *result) const;

    pg_conn *m_connection;
    QByteArray m_name;
    int m_columns = 0;
    std::vector<Type> m_types;
    pg_result *m_result = nullptr;
    int m_rows = 0;
    int m_row = -1;
};

} // namespace ngc
