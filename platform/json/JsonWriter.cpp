#include "JsonWriter.h"

#include "JsonText.h"

#include <QCborValue>
#include <QJsonArray>
#include <QJsonObject>
#include <QLocale>

#include <cmath>

namespace ngc {

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
            appendJsonEscape(m_text, unit);
        } else if (QChar::isHighSurrogate(unit) && at != end && QChar::isLowSurrogate(*at)) {
            appendUtf8(m_text, QChar::surrogateToUcs4(unit, *at));
            ++at;
        } else if (QChar::isSurrogate(unit)) {
            // Half a pair has no UTF-8 form; JSON can still carry it escaped.
            appendJsonEscape(m_text, unit);
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
        appendJsonEscape(m_text, static_cast<unsigned char>(*at++));
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

void JsonWriter::strings(const QStringList &texts)
{
    m_text.push_back('[');
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i != 0)
            m_text.push_back(',');
        string(texts[i]);
    }
    m_text.push_back(']');
}

} // namespace ngc
