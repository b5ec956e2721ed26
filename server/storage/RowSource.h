#pragma once

#include <QByteArrayView>
#include <QList>
#include <QVariant>
#include <QVariantList>

namespace ngc {

// Rows read one at a time, whatever holds them: a kept statement of the database (see Statement)
// or rows a method has worked out itself (RowList). Every packet a reply carries is written from
// one (PacketWriter), so a value reads the same whichever way it came.
//
// A column's value is offered as the database keeps it where that costs nothing to look at (an
// integer, a double, UTF-8 text), and always as the QVariant Qt's driver would give for it.
class RowSource {
public:
    // What a column of the current row holds. Other: only value() tells.
    enum class Kind { Null, Integer, Float, Text, Other };

    RowSource() = default;
    virtual ~RowSource() = default;
    RowSource(const RowSource &) = delete;
    RowSource &operator=(const RowSource &) = delete;

    virtual int columnCount() const = 0;
    // Moves to the next row; false once there is none. DatabaseError on failure.
    virtual bool next() = 0;

    virtual Kind kind(int column) const = 0;
    // Only for a column of that kind.
    virtual qint64 integer(int column) const;
    virtual double real(int column) const;
    // UTF-8 as stored, valid until the next row (or value() of the same column).
    virtual QByteArrayView text(int column) const;
    // The value as Qt's driver gives it: a qlonglong, a double, a QString, a QByteArray or null.
    virtual QVariant value(int column) const = 0;
};

// Rows held in memory: what a method computed from what it read (a tax amount, a sum) or a
// default row for a key that has none.
class RowList final : public RowSource {
public:
    // Each row holds `columns` values.
    RowList(int columns, QList<QVariantList> rows) : m_columns(columns), m_rows(std::move(rows)) {}

    int columnCount() const override;
    bool next() override;
    Kind kind(int column) const override;
    QVariant value(int column) const override;

private:
    int m_columns;
    QList<QVariantList> m_rows;
    qsizetype m_at = -1;
};

} // namespace ngc
