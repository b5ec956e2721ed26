#include "DataPacket.h"

#include "ColumnCache.h"
#include "PacketCodec.h"

#include <QDate>
#include <QDateTime>
#include <json/JsonTokenizer.h>
#include <json/JsonWriter.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QTime>

#include <array>
#include <cmath>
#include <tuple>
#include <vector>

namespace ngc {

using namespace Qt::StringLiterals;
using namespace detail;

namespace detail {

int effectiveSize(const FieldDef &def)
{
    constexpr int kDefaultStringSize = 20;
    return def.size > 0 ? def.size : kDefaultStringSize;
}

void fail(const QString &message)
{
    throw PacketError(message.toStdString());
}

QString kindOf(QJsonValue::Type type)
{
    switch (type) {
    case QJsonValue::Null:
        return u"null"_s;
    case QJsonValue::Bool:
        return u"boolean"_s;
    case QJsonValue::Double:
        return u"number"_s;
    case QJsonValue::String:
        return u"string"_s;
    case QJsonValue::Array:
        return u"array"_s;
    case QJsonValue::Object:
        return u"object"_s;
    case QJsonValue::Undefined:
        break;
    }
    return u"nothing"_s;
}

} // namespace detail

namespace {

QString dateTimeText(const QDateTime &value)
{
    const QDateTime local = value.timeSpec() == Qt::LocalTime ? value : value.toLocalTime();
    return local.toString(local.time().msec() != 0 ? u"yyyy-MM-ddTHH:mm:ss.zzz"_s
                                                   : u"yyyy-MM-ddTHH:mm:ss"_s);
}

// The wire form of one value. A value of another type than its column is converted the way the
// column would read it; what cannot be represented (no number, an invalid date) becomes null.
QJsonValue encodeValue(const FieldDef &def, const QVariant &value)
{
    if (value.isNull())
        return QJsonValue(QJsonValue::Null);
    switch (def.type) {
    case FieldType::String:
        return QJsonValue(value.toString());
    case FieldType::Float: {
        const double number = value.toDouble();
        // JSON has no text for these; sending null is the one value the other side can read.
        if (!std::isfinite(number))
            return QJsonValue(QJsonValue::Null);
        return QJsonValue(number);
    }
    case FieldType::DateTime: {
        const QDateTime dateTime = value.toDateTime();
        if (!dateTime.isValid())
            return QJsonValue(QJsonValue::Null);
        return QJsonValue(dateTimeText(dateTime));
    }
    case FieldType::Integer:
        return QJsonValue(value.toLongLong());
    case FieldType::Boolean:
        return QJsonValue(value.toBool());
    }
    return QJsonValue(QJsonValue::Null);
}

QJsonArray buildFields(const QList<FieldDef> &fields)
{
    QJsonArray array;
    for (const FieldDef &def : fields) {
        QJsonObject object{{u"name"_s, def.name}, {u"type"_s, fieldTypeName(def.type)}};
        if (def.type == FieldType::String && def.size > 0)
            object.insert(u"size"_s, def.size);
        array.append(object);
    }
    return array;
}

// A dataset sends the same field list with every save, and building it costs more than the rows
// of a small change; the last few lists written on this thread are kept and shared, so that
// screens saving in turn keep theirs.
QJsonArray encodeFields(const QList<FieldDef> &fields)
{
    struct Written {
        QList<FieldDef> fields;
        QJsonArray array;
    };
    constexpr size_t kKept = 4;
    thread_local std::array<Written, kKept> written;
    thread_local size_t next = 0;
    for (const Written &entry : written) {
        if (!entry.array.isEmpty() && entry.fields == fields)
            return entry.array;
    }
    Written &entry = written[next];
    next = (next + 1) % kKept;
    entry.array = buildFields(fields);
    entry.fields = fields;
    return entry.array;
}

QJsonArray encodeRow(const QList<FieldDef> &fields, const Row &row)
{
    QJsonArray array;
    for (qsizetype i = 0; i < fields.size(); ++i)
        array.append(encodeValue(fields[i], i < row.size() ? row[i] : QVariant()));
    return array;
}

// encodeValue() written straight to text: the bytes the document writer gives for its value.
void writeValue(JsonWriter &writer, const FieldDef &def, const QVariant &value)
{
    if (value.isNull()) {
        writer.null();
        return;
    }
    switch (def.type) {
    case FieldType::String:
        writer.string(value.toString());
        return;
    case FieldType::Float:
        writer.number(value.toDouble());
        return;
    case FieldType::DateTime:
        writeDateTime(writer, value.toDateTime());
        return;
    case FieldType::Integer:
        writer.integer(value.toLongLong());
        return;
    case FieldType::Boolean:
        writer.boolean(value.toBool());
        return;
    }
    writer.null();
}

void writeRow(JsonWriter &writer, const QList<FieldDef> &fields, const Row &row)
{
    writer.raw("[");
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i != 0)
            writer.raw(",");
        writeValue(writer, fields[i], i < row.size() ? row[i] : QVariant());
    }
    writer.raw("]");
}

} // namespace

namespace detail {

namespace {

int digits(const QString &text, qsizetype from, qsizetype count, bool &ok)
{
    int result = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') {
            ok = false;
            return 0;
        }
        result = result * 10 + (c - u'0');
    }
    return result;
}

FieldType parseFieldType(const QString &name, bool &ok)
{
    ok = true;
    if (name == u"string"_s)
        return FieldType::String;
    if (name == u"float"_s)
        return FieldType::Float;
    if (name == u"datetime"_s)
        return FieldType::DateTime;
    if (name == u"integer"_s)
        return FieldType::Integer;
    if (name == u"boolean"_s)
        return FieldType::Boolean;
    ok = false;
    return FieldType::String;
}

} // namespace

QDateTime parseDateTime(const QString &text)
{
    const qsizetype length = text.size();
    if (length != 19 && length != 23)
        return {};
    if (text[4] != u'-' || text[7] != u'-' || text[10] != u'T' || text[13] != u':' ||
        text[16] != u':' || (length == 23 && text[19] != u'.'))
        return {};
    bool ok = true;
    const int year = digits(text, 0, 4, ok);
    const int month = digits(text, 5, 2, ok);
    const int day = digits(text, 8, 2, ok);
    const int hour = digits(text, 11, 2, ok);
    const int minute = digits(text, 14, 2, ok);
    const int second = digits(text, 17, 2, ok);
    const int msec = length == 23 ? digits(text, 20, 3, ok) : 0;
    if (!ok)
        return {};
    const QDate date(year, month, day);
    const QTime time(hour, minute, second, msec);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

QList<FieldDef> decodeFields(const QJsonArray &array)
{
    QList<FieldDef> fields;
    fields.reserve(array.size());
    QSet<QString> seen;
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QJsonValue entry = array.at(i);
        // Made only for a message: most packets are fine, and this runs for every field.
        const auto where = [i] { return u"field %1"_s.arg(i + 1); };
        if (!entry.isObject())
            fail(u"%1: %2, not an object"_s.arg(where(), kindOf(entry.type())));
        const QJsonObject spec = entry.toObject();
        const QJsonValue name = spec.value(u"name"_s);
        if (!name.isString() || name.toString().isEmpty())
            fail(u"%1: missing name"_s.arg(where()));
        FieldDef def;
        def.name = name.toString();
        const QString key = def.name.toUpper();
        if (seen.contains(key))
            fail(u"%1: duplicate field name %2"_s.arg(where(), def.name));
        seen.insert(key);
        const QJsonValue type = spec.value(u"type"_s);
        if (!type.isString())
            fail(u"field %1: missing type"_s.arg(def.name));
        bool known = false;
        def.type = parseFieldType(type.toString(), known);
        if (!known)
            fail(u"field %1: unknown type \"%2\""_s.arg(def.name, type.toString()));
        const QJsonValue size = spec.value(u"size"_s);
        if (def.type == FieldType::String && !size.isUndefined()) {
            const double number = size.toDouble(-1);
            if (!size.isDouble() || number < 1 || number > 1e6 || number != std::floor(number))
                fail(u"field %1: size is not a positive whole number"_s.arg(def.name));
            def.size = static_cast<int>(number);
        }
        fields.append(def);
    }
    return fields;
}

} // namespace detail

namespace {

QJsonArray requireArray(const QJsonObject &object, const QString &key)
{
    const auto it = object.constFind(key);
    if (it == object.constEnd())
        fail(u"missing \"%1\""_s.arg(key));
    if (!it->isArray())
        fail(u"\"%1\" is %2, not an array"_s.arg(key, kindOf(it->type())));
    return it->toArray();
}

// Where a value sits, spelled out only when something is wrong with it: "row 3",
// "change 2 old".
struct Where {
    const char *unit;
    qsizetype index;
    const char *part = nullptr;
    QString text() const
    {
        QString result = QLatin1StringView(unit) + u' ' + QString::number(index + 1);
        if (part)
            result += u' ' + QLatin1StringView(part);
        return result;
    }
};

using TextCache = detail::ColumnCache<QString>;

// Decodes one value for its column. An empty string is a null value: that is how every dataset
// treats it, so it is normalised here once. Works on a QJsonValue and on an array element
// reference alike, the latter without copying the element.
template <typename Json>
QVariant decodeValue(const FieldDef &def, const Json &value, const Where &where, TextCache &cache)
{
    const QJsonValue::Type type = value.type();
    if (type == QJsonValue::Null)
        return {};
    auto wrongKind = [&](const QString &expected) {
        fail(u"%1, field %2: %3 where %4 was expected"_s.arg(where.text(), def.name, kindOf(type),
                                                             expected));
    };
    switch (def.type) {
    case FieldType::String: {
        if (type != QJsonValue::String)
            wrongKind(u"a string"_s);
        const QString text = value.toString();
        if (text.isEmpty())
            return {};
        const size_t hash = detail::columnHash(text);
        if (const QVariant *known = cache.find(text, hash))
            return *known;
        if (text.size() > effectiveSize(def))
            fail(u"%1, field %2: string of %3 characters exceeds size %4"_s.arg(
                where.text(), def.name, QString::number(text.size()),
                QString::number(effectiveSize(def))));
        QVariant result(text);
        cache.insert(text, hash, result, false);
        return result;
    }
    case FieldType::Float:
        if (type != QJsonValue::Double)
            wrongKind(u"a number"_s);
        return QVariant(value.toDouble());
    case FieldType::DateTime: {
        if (type != QJsonValue::String)
            wrongKind(u"a date-time"_s);
        const QString text = value.toString();
        const size_t hash = detail::columnHash(text);
        if (const QVariant *known = cache.find(text, hash))
            return *known;
        const QDateTime dateTime = parseDateTime(text);
        if (!dateTime.isValid())
            fail(u"%1, field %2: \"%3\" is not a date-time yyyy-MM-ddTHH:mm:ss[.zzz]"_s.arg(
                where.text(), def.name, text.left(40)));
        QVariant result(dateTime);
        cache.insert(text, hash, result, true);
        return result;
    }
    case FieldType::Integer: {
        if (type != QJsonValue::Double)
            wrongKind(u"an integer"_s);
        // toInteger() refuses fractions and anything outside 64 bits; the sentinel is told apart
        // from a genuine value by asking twice.
        const qint64 number = value.toInteger(0);
        if (number == 0 && value.toInteger(1) != 0)
            fail(u"%1, field %2: %3 is not an integer"_s.arg(
                where.text(), def.name, QString::number(value.toDouble(), 'g', 17)));
        return QVariant(number);
    }
    case FieldType::Boolean:
        if (type != QJsonValue::Bool)
            wrongKind(u"a boolean"_s);
        return QVariant(value.toBool());
    }
    return {};
}

Row decodeRow(const QList<FieldDef> &fields, const QJsonValue &value, const Where &where,
              std::vector<TextCache> &dates)
{
    if (!value.isArray())
        fail(u"%1: %2, not an array"_s.arg(where.text(), kindOf(value.type())));
    const QJsonArray array = value.toArray();
    if (array.size() != fields.size())
        fail(u"%1: %2 values for %3 fields"_s.arg(where.text(), QString::number(array.size()),
                                                  QString::number(fields.size())));
    Row row;
    row.reserve(fields.size());
    qsizetype i = 0;
    for (auto it = array.constBegin(); it != array.constEnd(); ++it, ++i)
        row.append(decodeValue(fields[i], *it, where, dates[static_cast<size_t>(i)]));
    return row;
}

QJsonObject requireObject(const QJsonValue &json)
{
    if (!json.isObject())
        fail(u"packet is %1, not an object"_s.arg(kindOf(json.type())));
    return json.toObject();
}

} // namespace

QString fieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::String:
        return u"string"_s;
    case FieldType::Float:
        return u"float"_s;
    case FieldType::DateTime:
        return u"datetime"_s;
    case FieldType::Integer:
        return u"integer"_s;
    case FieldType::Boolean:
        return u"boolean"_s;
    }
    return {};
}

QJsonValue encodePacket(const DataPacket &packet)
{
    QJsonArray rows;
    for (const Row &row : packet.rows)
        rows.append(encodeRow(packet.fields, row));
    return QJsonObject{{u"fields"_s, encodeFields(packet.fields)}, {u"rows"_s, rows}};
}

QJsonValue encodeDelta(const DeltaPacket &delta)
{
    QJsonArray changes;
    for (const DeltaChange &change : delta.changes) {
        QJsonObject object;
        switch (change.op) {
        case DeltaChange::Op::Insert:
            object.insert(u"op"_s, u"insert"_s);
            object.insert(u"new"_s, encodeRow(delta.fields, change.newRow));
            break;
        case DeltaChange::Op::Update:
            object.insert(u"op"_s, u"update"_s);
            object.insert(u"old"_s, encodeRow(delta.fields, change.oldRow));
            object.insert(u"new"_s, encodeRow(delta.fields, change.newRow));
            break;
        case DeltaChange::Op::Delete:
            object.insert(u"op"_s, u"delete"_s);
            object.insert(u"old"_s, encodeRow(delta.fields, change.oldRow));
            break;
        }
        changes.append(object);
    }
    return QJsonObject{{u"fields"_s, encodeFields(delta.fields)}, {u"changes"_s, changes}};
}

void writeFields(JsonWriter &writer, const QList<FieldDef> &fields)
{
    writer.raw("[");
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const FieldDef &field = fields[i];
        writer.raw(i == 0 ? "{\"name\":" : ",{\"name\":");
        writer.string(field.name);
        if (field.type == FieldType::String && field.size > 0) {
            writer.raw(",\"size\":");
            writer.integer(field.size);
        }
        writer.raw(",\"type\":\"");
        writer.raw(fieldTypeName(field.type).toLatin1());
        writer.raw("\"}");
    }
    writer.raw("]");
}

void writeDateTime(JsonWriter &writer, const QDateTime &value)
{
    if (value.isValid())
        writer.string(dateTimeText(value));
    else
        writer.null();
}

// Written as the document writer writes encodePacket() and encodeDelta(): members in the order a
// QJsonObject keeps them.
QByteArray packetToJson(const DataPacket &packet)
{
    JsonWriter writer;
    writer.raw("{\"fields\":");
    writeFields(writer, packet.fields);
    writer.raw(",\"rows\":[");
    for (qsizetype r = 0; r < packet.rows.size(); ++r) {
        if (r != 0)
            writer.raw(",");
        writeRow(writer, packet.fields, packet.rows[r]);
    }
    writer.raw("]}");
    return writer.take();
}

QByteArray deltaToJson(const DeltaPacket &delta)
{
    JsonWriter writer;
    writer.raw("{\"changes\":[");
    for (qsizetype c = 0; c < delta.changes.size(); ++c) {
        const DeltaChange &change = delta.changes[c];
        writer.raw(c == 0 ? "{" : ",{");
        if (change.op != DeltaChange::Op::Delete) {
            writer.raw("\"new\":");
            writeRow(writer, delta.fields, change.newRow);
            writer.raw(",");
        }
        if (change.op != DeltaChange::Op::Insert) {
            writer.raw("\"old\":");
            writeRow(writer, delta.fields, change.oldRow);
            writer.raw(",");
        }
        switch (change.op) {
        case DeltaChange::Op::Insert:
            writer.raw("\"op\":\"insert\"}");
            break;
        case DeltaChange::Op::Update:
            writer.raw("\"op\":\"update\"}");
            break;
        case DeltaChange::Op::Delete:
            writer.raw("\"op\":\"delete\"}");
            break;
        }
    }
    writer.raw("],\"fields\":");
    writeFields(writer, delta.fields);
    writer.raw("}");
    return writer.take();
}

DataPacket decodePacket(const QJsonValue &json)
{
    const QJsonObject object = requireObject(json);
    DataPacket packet;
    packet.fields = decodeFields(requireArray(object, u"fields"_s));
    const QJsonArray rows = requireArray(object, u"rows"_s);
    packet.rows.reserve(rows.size());
    std::vector<TextCache> dates(static_cast<size_t>(packet.fields.size()));
    qsizetype index = 0;
    for (auto it = rows.constBegin(); it != rows.constEnd(); ++it, ++index)
        packet.rows.append(decodeRow(packet.fields, *it, Where{"row", index}, dates));
    return packet;
}

DeltaPacket decodeDelta(const QJsonValue &json)
{
    const QJsonObject object = requireObject(json);
    DeltaPacket delta;
    delta.fields = decodeFields(requireArray(object, u"fields"_s));
    const QJsonArray changes = requireArray(object, u"changes"_s);
    delta.changes.reserve(changes.size());
    std::vector<TextCache> dates(static_cast<size_t>(delta.fields.size()));
    for (qsizetype i = 0; i < changes.size(); ++i) {
        const QString where = u"change %1"_s.arg(i + 1);
        const QJsonValue entry = changes.at(i);
        if (!entry.isObject())
            fail(u"%1: %2, not an object"_s.arg(where, kindOf(entry.type())));
        const QJsonObject change = entry.toObject();
        const QString op = change.value(u"op"_s).toString();
        DeltaChange decoded;
        bool needsOld = false;
        bool needsNew = false;
        if (op == u"insert"_s) {
            decoded.op = DeltaChange::Op::Insert;
            needsNew = true;
        } else if (op == u"update"_s) {
            decoded.op = DeltaChange::Op::Update;
            needsOld = needsNew = true;
        } else if (op == u"delete"_s) {
            decoded.op = DeltaChange::Op::Delete;
            needsOld = true;
        } else {
            fail(u"%1: unknown op \"%2\""_s.arg(where, op));
        }
        for (const auto &[key, needed, target] : {std::tuple{"old", needsOld, &decoded.oldRow},
                                                  std::tuple{"new", needsNew, &decoded.newRow}}) {
            const QJsonValue row = change.value(QLatin1StringView(key));
            if (needed && row.isUndefined())
                fail(u"%1: %2 without \"%3\""_s.arg(where, op, QLatin1StringView(key)));
            if (!needed && !row.isUndefined())
                fail(u"%1: %2 with \"%3\""_s.arg(where, op, QLatin1StringView(key)));
            if (needed)
                *target = decodeRow(delta.fields, row, Where{"change", i, key}, dates);
        }
        delta.changes.append(std::move(decoded));
    }
    return delta;
}

DataPacket packetFromJson(const QByteArray &json)
{
    return readPacketJson(json);
}

DeltaPacket deltaFromJson(const QByteArray &json)
{
    try {
        return decodeDelta(parseJson(json));
    } catch (const JsonError &error) {
        fail(QString::fromUtf8(error.what()));
    }
}

} // namespace ngc
