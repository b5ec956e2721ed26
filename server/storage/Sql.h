#pragma once

#include <data/DataPacket.h>

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

namespace ngc {

// Statement helpers. Every value travels as a bound parameter; the SQL text is always one of the
// server's own constants. Every statement with values runs as the connection's kept statement
// for its text (see Database::statement), and is reset once read.
class Sql final {
public:
    Sql() = delete;

    // Runs a statement that returns no rows; returns the number of rows it changed. Without
    // values the text runs once as it stands (PostgreSQL prepares no DDL or LOCK). DatabaseError
    // on failure.
    static int exec(QSqlDatabase &db, const QString &sql, const QVariantList &binds = {});
    // Every row, each value as Qt's driver gives it.
    static QList<QVariantList> rows(QSqlDatabase &db, const QString &sql,
                                    const QVariantList &binds = {});
    static bool exists(QSqlDatabase &db, const QString &sql, const QVariantList &binds);
    // The packet of the given layout holding the statement's rows, as JSON text (see
    // PacketWriter); the statement's columns are the layout's fields in order.
    static QByteArray packetJson(QSqlDatabase &db, const QList<FieldDef> &layout,
                                 const QString &sql, const QVariantList &binds);

    // Wire form -> stored form. Dates are stored as ISO text without a zone
    // ("2026-12-08T00:00:00") on every backend, so what the client sent is exactly what it reads
    // back; an empty string is a null value.
    static QVariant toStored(const QVariant &wire, FieldType type);
    // Equality of two stored values as the database returns them (numbers may come back as text
    // or integers depending on the driver).
    static bool sameStored(const QVariant &a, const QVariant &b, FieldType type);
};

} // namespace ngc
