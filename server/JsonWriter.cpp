#include "JsonWriter.h"

#include <data/JsonText.h>

#include <QCborValue>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QLocale>

#include <cmath>

namespace ngc {

namespace {

char hexDigit(unsigned value)
{
    return static_cast<char>(value < 10 ? '0' + value : 'a' + value - 10);
}

void appendEscapedUnit(std::string &text, char16_t unit)
{
    const char escaped[] = {'\\',
                            'u',
                            hexDigit((unit >> 12) & 0xf),
                            hexDigit((unit >> 8) & 0xf),
                            hexDigit((unit >> 4) & 0xf),
                            hexDigit(unit & 0xf)};
    text.append(escaped, sizeof escaped);
}

// A quote, a backslash or a control character, as QJsonDocument escapes it.
void appendEscapedAscii(std::string &text, char unit)
{
    switch (unit) {
    case '"':
        text.append("\\\"");
        return;
    case '\\':
        text.append("\\\\");
        return;
    case '\b':
        text.append("\\b");
        return;
    case '\f':
        text.append("\\f");
        return;
    case '\n':
        text.append("\\n");
        return;
    case '\r':
        text.append("\\r");
        return;
    case '\t':
        text.append("\\t");
        return;
    default:
        appendEscapedUnit(text, static_cast<char16_t>(unit));
    }
}

void appendUtf8(std::string &text, char32_t code)
{
    if (code < 0x800) {
        text.push_back(static_cast<char>(0xc0 | (code >> 6)));
    } else if (code < 0x10000) {
        text.push_back(static_cast<char>(0xe0 | (code >> 12)));
        text.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3f)));
    } else {
        text.push_back(static_cast<char>(0xf0 | (code >> 18)));
        text.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3f)));
        text.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3f)));
    }
    text.push_back(static_cast<char>(0x80 | (code & 0x3f)));
}

// Well-formed UTF-8, as the packet readers take it. Bytes that pass are copied into a reply as
// they are; what a decoder makes of others is its own choice, so they are left to the caller.
bool isValidUtf8(QByteArrayView bytes)
{
    const char *at = bytes.data();
    const char *const end = at + bytes.size();
    while (at != end) {
        const int length = utf8SequenceLength(at, end);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

const char *typeName(FieldType type)
{
    switch (type) {
    case FieldType::String:
        return "string";
    case FieldType::Float:
        return "float";
    case FieldType::DateTime:
        return "datetime";
    case FieldType::Integer:
        return "integer";
    case FieldType::Boolean:
        return "boolean";
    }
    return "";
}

} // namespace

void JsonWriter::integer(qint64 value)
{
    char digits[24];
    char *end = digits + sizeof digits;
    char *at = end;
    // Works on the magnitude as unsigned, so the most negative value needs no special case.
    quint64 magnitude = value < 0 ? 0 - static_cast<quint64>(value) : static_cast<quint64>(value);
    do {
        *--at = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        *--at = '-';
    m_text.append(at, static_cast<size_t>(end - at));
}

void JsonWriter::number(double value)
{
    if (!std::isfinite(value)) {
        null();
        return;
    }
    // QJsonValue decides which whole numbers it keeps as integers; asking it keeps the text the
    // same as the codec's.
    const QCborValue stored = QCborValue::fromJsonValue(QJsonValue(value));
    if (stored.isInteger())
        integer(stored.toInteger());
    else
        fraction(value);
}

void JsonWriter::fraction(double value)
{
    if (!std::isfinite(value)) {
        null();
        return;
    }
    const QByteArray digits = QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
    m_text.append(digits.constData(), static_cast<size_t>(digits.size()));
}

void JsonWriter::string(QStringView text)
{
    m_text.push_back('"');
    const char16_t *at = text.utf16();
    const char16_t *const end = at + text.size();
    while (at != end) {
        // Runs of plain ASCII are copied at once: codes, names and dates are nothing else.
        const char16_t *plain = at;
        while (plain != end && *plain >= 0x20 && *plain < 0x80 && *plain != u'"' && *plain != u'\\')
            ++plain;
        if (plain != at) {
            const qsizetype length = plain - at;
            const size_t start = m_text.size();
            m_text.resize(start + static_cast<size_t>(length));
            char *out = m_text.data() + start;
            for (const char16_t *c = at; c != plain; ++c)
                *out++ = static_cast<char>(*c);
            at = plain;
            continue;
        }
        const char16_t unit = *at++;
        if (unit < 0x80) {
            appendEscapedAscii(m_text, static_cast<char>(unit));
        } else if (QChar::isHighSurrogate(unit) && at != end && QChar::isLowSurrogate(*at)) {
            appendUtf8(m_text, QChar::surrogateToUcs4(unit, *at));
            ++at;
        } else if (QChar::isSurrogate(unit)) {
            // Half a pair has no UTF-8 form; JSON can still carry it escaped.
            appendEscapedUnit(m_text, unit);
        } else {
            appendUtf8(m_text, unit);
        }
    }
    m_text.push_back('"');
}

bool JsonWriter::stringFromUtf8(QByteArrayView utf8)
{
    if (!isValidUtf8(utf8))
        return false;
    const char *at = utf8.data();
    const char *const end = at + utf8.size();
    m_text.push_back('"');
    while (at != end) {
        const char *plain = at;
        while (plain != end && static_cast<unsigned char>(*plain) >= 0x20 && *plain != '"' &&
               *plain != '\\')
            ++plain;
        m_text.append(at, static_cast<size_t>(plain - at));
        at = plain;
        if (at == end)
            break;
        appendEscapedAscii(m_text, *at++);
    }
    m_text.push_back('"');
    return true;
}

void JsonWriter::value(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        null();
        return;
    case QJsonValue::Bool:
        boolean(value.toBool());
        return;
    case QJsonValue::Double: {
        const QCborValue stored = QCborValue::fromJsonValue(value);
        if (stored.isInteger())
            integer(stored.toInteger());
        else
            fraction(value.toDouble());
        return;
    }
    case QJsonValue::String:
        string(value.toString());
        return;
    case QJsonValue::Array: {
        m_text.push_back('[');
        bool first = true;
        for (const QJsonValue &entry : value.toArray()) {
            if (!first)
                m_text.push_back(',');
            first = false;
            this->value(entry);
        }
        m_text.push_back(']');
        return;
    }
    case QJsonValue::Object: {
        m_text.push_back('{');
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (it != object.begin())
                m_text.push_back(',');
            string(it.key());
            m_text.push_back(':');
            this->value(it.value());
        }
        m_text.push_back('}');
        return;
    }
    }
}

void JsonWriter::packetValue(const FieldDef &field, const QVariant &value)
{
    if (value.isNull()) {
        null();
        return;
    }
    switch (field.type) {
    case FieldType::String:
        string(value.toString());
        return;
    case FieldType::Float:
        number(value.toDouble());
        return;
    case FieldType::DateTime:
        dateTime(value.toDateTime());
        return;
    case FieldType::Integer:
        integer(value.toLongLong());
        return;
    case FieldType::Boolean:
        boolean(value.toBool());
        return;
    }
    null();
}

void JsonWriter::dateTime(const QDateTime &value)
{
    if (!value.isValid()) {
        null();
        return;
    }
    const QDateTime local = value.timeSpec() == Qt::LocalTime ? value : value.toLocalTime();
    string(local.toString(local.time().msec() != 0 ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")
                                                   : QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
}

void JsonWriter::fields(const QList<FieldDef> &fields)
{
    m_text.push_back('[');
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const FieldDef &field = fields[i];
        m_text.append(i == 0 ? "{\"name\":" : ",{\"name\":");
        string(field.name);
        if (field.type == FieldType::String && field.size > 0) {
            m_text.append(",\"size\":");
            integer(field.size);
        }
        m_text.append(",\"type\":\"");
        m_text.append(typeName(field.type));
        m_text.append("\"}");
    }
    m_text.push_back(']');
}

void JsonWriter::packet(const DataPacket &packet)
{
    m_text.append("{\"fields\":");
    fields(packet.fields);
    m_text.append(",\"rows\":[");
    for (qsizetype r = 0; r < packet.rows.size(); ++r) {
        const Row &row = packet.rows[r];
        m_text.append(r == 0 ? "[" : ",[");
        for (qsizetype i = 0; i < packet.fields.size(); ++i) {
            if (i != 0)
                m_text.push_back(',');
            packetValue(packet.fields[i], i < row.size() ? row[i] : QVariant());
        }
        m_text.push_back(']');
    }
    m_text.append("]}");
}

} // namespace ngc
