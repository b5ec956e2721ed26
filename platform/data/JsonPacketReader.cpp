#include "ColumnCache.h"
#include "PacketCodec.h"

#include <json/JsonTokenizer.h>

#include <QJsonArray>

#include <charconv>
#include <cmath>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace ngc::detail {

namespace {

using namespace Qt::StringLiterals;

// The field lists read last on this thread, by their text: a client reads the same few layouts
// over and over, and checking one costs more than reading a row of it. Only lists that passed the
// checks are kept, so a kept one needs none; and since a list is one self-contained JSON array,
// text that starts with a kept list's bytes holds exactly that list, which spares even scanning it.
class KnownFieldLists {
public:
    // The kept list whose text `rest` starts with, and that text's length.
    static const QList<FieldDef> *startOf(std::string_view rest, size_t &length)
    {
        for (const Known &entry : known()) {
            if (rest.substr(0, entry.text.size()) == entry.text) {
                length = entry.text.size();
                return &entry.fields;
            }
        }
        return nullptr;
    }

    // Checks and keeps the list written as `text`, a JSON array already read.
    static QList<FieldDef> read(std::string_view text)
    {
        QList<FieldDef> fields = decodeFields(JsonTokenizer(text).value().toArray());
        std::vector<Known> &kept = known();
        if (kept.size() >= kKept)
            kept.clear();
        kept.push_back(Known{std::string(text), fields});
        return fields;
    }

private:
    struct Known {
        std::string text;
        QList<FieldDef> fields;
    };
    static constexpr size_t kKept = 32;
    static std::vector<Known> &known()
    {
        thread_local std::vector<Known> kept;
        return kept;
    }
};

// Reads a data packet straight from JSON text into rows: no document is built, and values that
// repeat in a column are decoded once. The tokenizer checks the JSON as it goes; this checks the
// packet as decodePacket does, with the same messages. Like a document, it takes the last of
// repeated "fields" or "rows" members.
class PacketReader {
public:
    explicit PacketReader(const QByteArray &json) : m_json(json) {}

    DataPacket read();

private:
    // Values of a string or date-time column already decoded, keyed by their raw JSON bytes, so a
    // repeated value costs a comparison instead of a conversion and an allocation.
    using ColumnCache = detail::ColumnCache<std::string>;

    QJsonValue::Type kindAhead()
    {
        switch (m_json.kind()) {
        case JsonTokenizer::Kind::String:
            return QJsonValue::String;
        case JsonTokenizer::Kind::Object:
            return QJsonValue::Object;
        case JsonTokenizer::Kind::Array:
            return QJsonValue::Array;
        case JsonTokenizer::Kind::Boolean:
            return QJsonValue::Bool;
        case JsonTokenizer::Kind::Null:
            return QJsonValue::Null;
        case JsonTokenizer::Kind::Number:
            break;
        }
        return QJsonValue::Double;
    }

    QVariant readValue(const FieldDef &def, ColumnCache &cache, qsizetype row);
    [[noreturn]] void wrongKind(const FieldDef &def, qsizetype row, QJsonValue::Type kind,
                                const char *expected) const
    {
        fail(u"row %1, field %2: %3 where %4 was expected"_s.arg(
            QString::number(row + 1), def.name, kindOf(kind), QLatin1StringView(expected)));
    }
    void readRows(DataPacket &packet);
    DataPacket readPacket();

    JsonTokenizer m_json;
};

QVariant PacketReader::readValue(const FieldDef &def, ColumnCache &cache, qsizetype row)
{
    const QJsonValue::Type kind = kindAhead();
    if (kind == QJsonValue::Null) {
        m_json.null();
        return {};
    }
    switch (def.type) {
    case FieldType::String:
    case FieldType::DateTime: {
        if (kind != QJsonValue::String)
            wrongKind(def, row, kind, def.type == FieldType::String ? "a string" : "a date-time");
        const JsonString string = m_json.string();
        if (string.raw.empty())
            return {};
        // The first row has no earlier value to share; a packet of one row (an item, a
        // parameter set) then builds no table at all.
        const bool shared = row > 0;
        const size_t hash = shared ? columnHash(string.raw) : 0;
        if (shared) {
            if (const QVariant *known = cache.find(string.raw, hash))
                return *known;
        }
        const QString text = string.text();
        QVariant value;
        if (def.type == FieldType::String) {
            if (text.size() > effectiveSize(def))
                fail(u"row %1, field %2: string of %3 characters exceeds size %4"_s.arg(
                    QString::number(row + 1), def.name, QString::number(text.size()),
                    QString::number(effectiveSize(def))));
            value = text.isEmpty() ? QVariant() : QVariant(text);
        } else {
            const QDateTime dateTime = parseDateTime(text);
            if (!dateTime.isValid())
                fail(u"row %1, field %2: \"%3\" is not a date-time yyyy-MM-ddTHH:mm:ss[.zzz]"_s.arg(
                    QString::number(row + 1), def.name, text.left(40)));
            value = QVariant(dateTime);
        }
        if (shared)
            cache.insert(string.raw, hash, value, def.type == FieldType::DateTime);
        return value;
    }
    case FieldType::Float:
    case FieldType::Integer: {
        if (kind != QJsonValue::Double)
            wrongKind(def, row, kind, def.type == FieldType::Float ? "a number" : "an integer");
        // Out of a double's range is this column's fault, said below.
        bool integral = false;
        const std::string_view text = m_json.number(&integral, false);
        const char *first = text.data();
        const char *last = first + text.size();
        if (def.type == FieldType::Integer && integral) {
            qint64 number = 0;
            if (std::from_chars(first, last, number).ec == std::errc())
                return QVariant(number);
        }
        double number = 0;
        if (std::from_chars(first, last, number).ec != std::errc() || !std::isfinite(number))
            fail(u"row %1, field %2: number %3 out of range"_s.arg(
                QString::number(row + 1), def.name,
                QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())).left(40)));
        if (def.type == FieldType::Float)
            return QVariant(number);
        // A whole number written with a fraction or an exponent is still an integer.
        if (number != std::floor(number) || std::fabs(number) >= 9223372036854775808.0)
            fail(u"row %1, field %2: %3 is not an integer"_s.arg(QString::number(row + 1), def.name,
                                                                 QString::number(number, 'g', 17)));
        return QVariant(static_cast<qint64>(number));
    }
    case FieldType::Boolean:
        if (kind != QJsonValue::Bool)
            wrongKind(def, row, kind, "a boolean");
        return QVariant(m_json.boolean());
    }
    return {};
}

void PacketReader::readRows(DataPacket &packet)
{
    const qsizetype width = packet.fields.size();
    std::vector<ColumnCache> caches(static_cast<size_t>(width));
    m_json.expect('[', "\"rows\" is not an array");
    if (m_json.consume(']'))
        return;
    qsizetype index = 0;
    do {
        const QJsonValue::Type kind = kindAhead();
        if (kind != QJsonValue::Array)
            fail(u"row %1: %2, not an array"_s.arg(QString::number(index + 1), kindOf(kind)));
        m_json.consume('[');
        Row row;
        row.reserve(width);
        qsizetype count = 0;
        if (!m_json.consume(']')) {
            do {
                if (count < width) {
                    row.append(
                        readValue(packet.fields[count], caches[static_cast<size_t>(count)], index));
                } else {
                    m_json.skipValue();
                }
                ++count;
            } while (m_json.consume(','));
            m_json.expect(']', "',' or ']' expected");
        }
        if (count != width)
            fail(u"row %1: %2 values for %3 fields"_s.arg(
                QString::number(index + 1), QString::number(count), QString::number(width)));
        packet.rows.append(std::move(row));
        ++index;
    } while (m_json.consume(','));
    m_json.expect(']', "',' or ']' expected");
}

DataPacket PacketReader::read()
{
    try {
        return readPacket();
    } catch (const JsonError &error) {
        fail(QString::fromUtf8(error.what()));
    }
}

DataPacket PacketReader::readPacket()
{
    if (kindAhead() != QJsonValue::Object) {
        const QJsonValue::Type kind = kindAhead();
        m_json.skipValue();
        m_json.finish();
        fail(u"packet is %1, not an object"_s.arg(kindOf(kind)));
    }
    m_json.consume('{');
    DataPacket packet;
    bool haveFields = false;
    const char *rowsAt = nullptr;
    QJsonValue::Type rowsKind = QJsonValue::Undefined;
    // Whether the rows read in place are those of the last "rows" under the last "fields".
    bool rowsRead = false;
    // What reading the rows in place found wrong: reported only after the rest of the document,
    // as when the rows are read last, so the same text always fails with the same message.
    std::exception_ptr rowsFailure;
    if (!m_json.consume('}')) {
        do {
            if (m_json.peek() != '"')
                m_json.fail("member name expected");
            const QString name = m_json.string().text();
            m_json.expect(':', "':' expected");
            if (name == u"fields"_s) {
                // The field list is short: it is read whole, and decodeFields checks it as it
                // does for every packet.
                const QJsonValue::Type kind = kindAhead();
                size_t length = 0;
                if (const QList<FieldDef> *known =
                        KnownFieldLists::startOf(m_json.rest(), length)) {
                    packet.fields = *known;
                    m_json.seek(m_json.position() + length);
                } else {
                    const std::string_view span = m_json.valueSpan();
                    if (kind != QJsonValue::Array)
                        fail(u"\"fields\" is %1, not an array"_s.arg(kindOf(kind)));
                    packet.fields = KnownFieldLists::read(span);
                }
                // Rows read under other fields are read again at the end.
                haveFields = true;
                rowsRead = false;
                rowsFailure = nullptr;
            } else if (name == u"rows"_s) {
                // Rows are read once the fields are known; JSON does not fix the member order.
                // Packets written here put the fields first, and their rows are read in place.
                rowsKind = kindAhead();
                rowsAt = m_json.position();
                rowsRead = false;
                rowsFailure = nullptr;
                packet.rows.clear();
                if (haveFields && rowsKind == QJsonValue::Array) {
                    try {
                        readRows(packet);
                        rowsRead = true;
                    } catch (const PacketError &) {
                        rowsFailure = std::current_exception();
                        packet.rows.clear();
                        m_json.seek(rowsAt);
                        m_json.skipValue();
                    }
                } else {
                    m_json.skipValue();
                }
            } else {
                m_json.skipValue();
            }
        } while (m_json.consume(','));
        m_json.expect('}', "',' or '}' expected");
    }
    m_json.finish();
    if (!haveFields)
        fail(u"missing \"fields\""_s);
    if (!rowsAt)
        fail(u"missing \"rows\""_s);
    if (rowsKind != QJsonValue::Array)
        fail(u"\"rows\" is %1, not an array"_s.arg(kindOf(rowsKind)));
    if (rowsFailure)
        std::rethrow_exception(rowsFailure);
    if (!rowsRead) {
        packet.rows.clear();
        m_json.seek(rowsAt);
        readRows(packet);
    }
    return packet;
}

} // namespace

DataPacket readPacketJson(const QByteArray &json)
{
    return PacketReader(json).read();
}

} // namespace ngc::detail
