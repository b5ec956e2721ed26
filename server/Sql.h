#pragma once

#include <data/DataPacket.h>

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

namespace ngc {

// Statement helpers. Every value travels as a bound parameter; the SQL text is always one of the
// server's own constants.
class Sql final {
public:
    Sql() = delete;

    // Runs a statement that returns no rows; returns the number of rows it changed. With values,
    // the thread's prepared statement for the text is reused (see Database::prepared) and the
    // values bound positionally. DatabaseError on failure.
    static int exec(QSqlDatabase &db, const QString &sql, const QVariantList &binds = {});
    static QList<QVariantList> rows(QSqlDatabase &db, const QString &sql,
                                    const QVariantList &binds = {});
    static bool exists(QSqlDatabase &db, const QString &sql, const QVariantList &binds);

    // A packet with the given layout; the statement's columns are the layout's fields in order.
    static DataPacket packet(QSqlDatabase &db, const QList<FieldDef> &layout, const QString &sql,
                             const QVariantList &binds = {});
    // The same packet written straight to JSON text, the bytes JsonWriter::packet gives for
    // packet(): for a reply that only sends the rows on, without building them first.
    static QByteArray packetJson(QSqlDatabase &db, const QList<FieldDef> &layout,
                                 const QString &sql, const QVariantList &binds);

    // Stored form <-> wire form. Dates are stored as ISO text without a zone
    // ("2026-12-08T00:00:00") on every backend, so what the client sent is exactly what it reads
    // back; an empty string is a null value.
    static QVariant toWire(const QVariant &stored, FieldType type);
    static QVariant toStored(const QVariant &wire, FieldType type);
    // Equality of two stored values as the database returns them (numbers may come back as text
    // or integers depending on the driver).
    static bool sameStored(const QVariant &a, const QVariant &b, FieldType type);
};

} // namespace ngc
