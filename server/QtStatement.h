#pragma once

#include "Statement.h"

#include <QSqlQuery>

namespace ngc {

// A statement run through Qt SQL, for a connection whose driver has no interface of its own
// here (PostgreSQL). Every value is the driver's.
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
