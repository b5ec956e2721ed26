#include "JsonSpan.h"

#include "JsonText.h"
#include "JsonTokenizer.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <charconv>

namespace ngc {

QJsonValue::Type JsonSpan::type() const
{
    if (!m_text)
        return m_json ? m_json->type() : QJsonValue::Undefined;
    switch (first()) {
    case '{':
        return QJsonValue::Object;
    case '[':
        return QJsonValue::Array;
    case '"':
        return QJsonValue::String;
    case 't':
    case 'f':
        return QJsonValue::Bool;
    case 'n':
        return QJsonValue::Null;
    default:
        return QJsonValue::Double;
    }
}

bool JsonSpan::nameIs(JsonScanner::Span name, QLatin1StringView wanted) const
{
    const std::string_view raw = m_text->bytes({name.begin + 1, name.end - 1});
    const std::string_view latin1(wanted.data(), size_t(wanted.size()));
    // Bytes compare alike only where both texts are ASCII: a Latin-1 letter past it is one byte
    // there and two in the received UTF-8.
    const bool ascii = std::all_of(latin1.begin(), latin1.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii && raw.find('\\') == std::string_view::npos)
        return raw == latin1;
    return decodeJsonString(raw) == wanted;
}

JsonSpan JsonSpan::member(QLatin1StringView name) const
{
    if (!m_text) {
        if (!m_json || !m_json->isObject())
            return {};
        const QJsonValue value = m_json->toObject().value(name);
        return value.isUndefined() ? JsonSpan() : JsonSpan(value);
    }
    if (first() != '{')
        return {};
    std::optional<JsonScanner::Span> found;
    m_text->forEachMember(m_span, [&](JsonScanner::Span key, JsonScanner::Span value) {
        if (nameIs(key, name))
            found = value;
        return true;
    });
    return found ? JsonSpan(m_text, *found) : JsonSpan();
}

qsizetype JsonSpan::size() const
{
    if (!m_text)
        return m_json ? m_json->toArray().size() : 0;
    if (first() != '[')
        return 0;
    qsizetype count = 0;
    m_text->forEachElement(m_span, [&count](JsonScanner::Span) {
        ++count;
        return true;
    });
    return count;
}

JsonSpan JsonSpan::at(qsizetype index) const
{
    if (index < 0)
        return {};
    if (!m_text) {
        if (!m_json || index >= m_json->toArray().size())
            return {};
        return JsonSpan(m_json->toArray().at(index));
    }
    if (first() != '[')
        return {};
    std::optional<JsonScanner::Span> found;
    qsizetype current = 0;
    m_text->forEachElement(m_span, [&](JsonScanner::Span value) {
        if (current++ != index)
            return true;
        found = value;
        return false;
    });
    return found ? JsonSpan(m_text, *found) : JsonSpan();
}

QList<JsonSpan> JsonSpan::elements() const
{
    QList<JsonSpan> all;
    if (!m_text) {
        if (m_json) {
            for (const QJsonValue &element : m_json->toArray())
                all.append(JsonSpan(element));
        }
        return all;
    }
    if (first() != '[')
        return all;
    m_text->forEachElement(m_span, [&](JsonScanner::Span value) {
        all.append(JsonSpan(m_text, value));
        return true;
    });
    return all;
}

bool JsonSpan::toBool() const
{
    if (!m_text)
        return m_json && m_json->toBool();
    return first() == 't';
}

double JsonSpan::toDouble() const
{
    if (!m_text)
        return m_json ? m_json->toDouble() : 0;
    if (type() != QJsonValue::Double)
        return 0;
    const std::string_view digits = m_text->bytes(m_span);
    double number = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return number;
}

QString JsonSpan::toString() const
{
    if (!m_text)
        return m_json ? m_json->toString() : QString();
    if (first() != '"')
        return {};
    return decodeJsonString(m_text->bytes({m_span.begin + 1, m_span.end - 1}));
}

QJsonValue JsonSpan::toJson() const
{
    if (!m_json)
        m_json = m_text ? parseJson(m_text->bytes(m_span)) : QJsonValue(QJsonValue::Undefined);
    return *m_json;
}

QByteArray JsonSpan::rawJson() const
{
    if (!m_text)
        return {};
    return QByteArray::fromRawData(m_text->text().data() + m_span.begin, m_span.end - m_span.begin);
}

} // namespace ngc
