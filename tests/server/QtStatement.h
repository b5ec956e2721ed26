#pragma once

#include <server/storage/Statement.h>

#include <QSqlQuery>

namespace ngc {

// A statement run through Qt SQL: what Qt's driver gives for the same statement, the reference
// the server's own statements (SQLite's and PostgreSQL's interfaces) are compared with.
class QtStatement final : public Statement {
public:
    // Throws DatabaseError when the text cannot be prepared.
    QtStatement(const QSqlDatabase &db, const QString &sql);

    void execute(const QVariantList &values) override;
    int rowsAffected() const override;
    void reset() override;

    int columnCount() const override;
    bool next() override;
    Kind kind(int column) const override;
    QVariant value(int column) const override;

private:
    QSqlQuery m_query;
};

} // namespace ngc
