#include "PacketWriter.h"

#include "Database.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <utility>
#include <vector>

namespace ngc {

namespace {

char16_t unitAt(QStringView text, int i)
{
    return text[i].unicode();
}

char16_t unitAt(QByteArrayView text, int i)
{
    return static_cast<unsigned char>(text[i]);
}

// Whether a stored date-time is already the text the wire carries ("2026-12-08T00:00:00", a
// valid date and time), in Qt's form of the text (UTF-16) or the database's own (UTF-8). Such
// text is sent as it is: the round trip through a local QDateTime costs more than the rest of the
// row, and would move a time that falls in a daylight-saving gap.
template <typename Text> bool isWireDateTime(Text text)
{
    if (text.size() != 19 || unitAt(text, 4) != u'-' || unitAt(text, 7) != u'-' ||
        unitAt(text, 10) != u'T' || unitAt(text, 13) != u':' || unitAt(text, 16) != u':')
        return false;
    int parts[6] = {};
    const int starts[6] = {0, 5, 8, 11, 14, 17};
    for (int p = 0; p < 6; ++p) {
        const int length = p == 0 ? 4 : 2;
        for (int i = starts[p]; i < starts[p] + length; ++i) {
            const char16_t c = unitAt(text, i);
            if (c < u'0' || c > u'9')
                return false;
            parts[p] = parts[p] * 10 + (c - u'0');
        }
    }
    return QDate::isValid(parts[0], parts[1], parts[2]) &&
           QTime::isValid(parts[3], parts[4], parts[5]);
}

// A layout's field list as text, kept per thread: the layouts are the server's constants, and
// writing a few dozen field descriptions costs about as much as reading the row they describe.
// The copy of the list kept beside its text holds on to the list's storage, so that address
// cannot come back for another list.
const QByteArray &fieldsText(const QList<FieldDef> &layout)
{
    thread_local std::vector<std::pair<QList<FieldDef>, QByteArray>> known;
    for (const auto &[list, text] : known) {
        if (list.constData() == layout.constData() && list.size() == layout.size())
            return text;
    }
    if (known.size() >= 64)
        known.clear();
    JsonWriter writer;
    writeFields(writer, layout);
    known.emplace_back(layout, writer.take());
    return known.back().second;
}

// A column's value as Qt's driver gives it, written as a field of that type carries it.
void writeValue(JsonWriter &writer, const QVariant &stored, FieldType type)
{
    if (stored.isNull()) {
        writer.null();
        return;
    }
    switch (type) {
    case FieldType::String: {
        const QString text = stored.toString();
        if (text.isEmpty())
            writer.null();
        else
            writer.string(text);
        return;
    }
    case FieldType::Float:
        writer.number(stored.toDouble());
        return;
    case FieldType::Integer:
        writer.integer(stored.toLongLong());
        return;
    case FieldType::Boolean:
        writer.boolean(stored.toBool());
        return;
    case FieldType::DateTime: {
        const QString text = stored.toString();
        if (isWireDateTime(QStringView(text)))
            writer.string(text);
        else
            writeDateTime(writer, QDateTime::fromString(text, Qt::ISODate));
        return;
    }
    }
    writer.null();
}

} // namespace

void PacketWriter::column(JsonWriter &writer, const RowSource &rows, int column, FieldType type)
{
    switch (rows.kind(column)) {
    case RowSource::Kind::Null:
        writer.null();
        return;
    case RowSource::Kind::Integer:
        if (type == FieldType::Float) {
            writer.number(static_cast<double>(rows.integer(column)));
            return;
        }
        if (type == FieldType::Integer) {
            writer.integer(rows.integer(column));
            return;
        }
        if (type == FieldType::Boolean) {
            writer.boolean(rows.integer(column) != 0);
            return;
        }
        break;
    case RowSource::Kind::Float:
        if (type == FieldType::Float) {
            writer.number(rows.real(column));
            return;
        }
        break;
    case RowSource::Kind::Text: {
        const QByteArrayView text = rows.text(column);
        if (type == FieldType::String) {
            if (text.isEmpty()) {
                writer.null();
                return;
            }
            if (writer.stringFromUtf8(text))
                return;
        } else if (type == FieldType::DateTime && isWireDateTime(text)) {
            writer.raw("\"");
            writer.raw(text);
            writer.raw("\"");
            return;
        }
        break;
    }
    case RowSource::Kind::Other:
        break;
    }
    writeValue(writer, rows.value(column), type);
}

QByteArray PacketWriter::write(const QList<FieldDef> &layout, RowSource &rows)
{
    if (rows.columnCount() != layout.size())
        throw DatabaseError("statement returns " + std::to_string(rows.columnCount()) +
                            " columns for a layout of " + std::to_string(layout.size()));
    JsonWriter writer;
    writer.raw("{\"fields\":");
    writer.raw(fieldsText(layout));
    writer.raw(",\"rows\":[");
    bool first = true;
    while (rows.next()) {
        writer.raw(first ? "[" : ",[");
        first = false;
        for (int i = 0; i < layout.size(); ++i) {
            if (i != 0)
                writer.raw(",");
            column(writer, rows, i, layout[i].type);
        }
        writer.raw("]");
    }
    writer.raw("]}");
    return writer.take();
}

QByteArray PacketWriter::list(std::initializer_list<QByteArray> packets)
{
    QByteArray text("[");
    for (const QByteArray &packet : packets) {
        if (text.size() > 1)
            text.append(',');
        text.append(packet);
    }
    text.append(']');
    return text;
}

} // namespace ngc
