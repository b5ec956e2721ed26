#include "JsonTokenizer.h"

#include "JsonText.h"

#include <QJsonArray>
#include <QJsonObject>

#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace ngc {

namespace {

// A number without an exponent and with no more digits than this on either side of the point is
// a finite double that does not underflow; only longer ones need converting to be sure.
constexpr qsizetype kPlainDigits = 300;

// Bytes a string holds as they are: printable ASCII but the quote and the backslash. Anything
// else ends a run and is looked at on its own.
constexpr std::array<bool, 256> kPlainInString = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x80; ++c)
        plain[size_t(c)] = c != '"' && c != '\\';
    return plain;
}();

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

JsonError::JsonError(qsizetype offset, const char *reason)
    : std::runtime_error("invalid JSON at offset " + std::to_string(offset) + ": " + reason),
      m_offset(offset)
{
}

QString JsonString::text() const
{
    if (escaped)
        return decodeJsonString(raw);
    const QByteArrayView bytes(raw.data(), static_cast<qsizetype>(raw.size()));
    return ascii ? QString::fromLatin1(bytes) : utf8ToString(bytes);
}

void JsonTokenizer::fail(const char *reason) const
{
    throw JsonError(offset(), reason);
}

JsonTokenizer::Kind JsonTokenizer::kind()
{
    switch (peek()) {
    case '"':
        return Kind::String;
    case '{':
        return Kind::Object;
    case '[':
        return Kind::Array;
    case 't':
    case 'f':
        return Kind::Boolean;
    case 'n':
        return Kind::Null;
    case '-':
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
        return Kind::Number;
    default:
        fail("value expected");
    }
}

JsonString JsonTokenizer::string()
{
    if (peek() != '"')
        fail("string expected");
    ++m_pos;
    JsonString string;
    const char *start = m_pos;
    while (true) {
        while (m_pos < m_end && kPlainInString[static_cast<unsigned char>(*m_pos)])
            ++m_pos;
        if (m_pos >= m_end)
            fail("unterminated string");
        const auto c = static_cast<unsigned char>(*m_pos);
        if (c == '"')
            break;
        if (c < 0x20)
            fail("control character in string");
        if (c == '\\') {
            string.escaped = true;
            if (m_pos + 1 >= m_end) {
                ++m_pos;
                fail("unterminated string");
            }
            const int length = jsonEscapeLength(m_pos, m_end);
            if (length == 0) {
                ++m_pos;
                fail("invalid escape");
            }
            m_pos += length;
            continue;
        }
        string.ascii = false;
        const int length = utf8SequenceLength(m_pos, m_end);
        if (length == 0)
            fail("invalid UTF-8 in string");
        m_pos += length;
    }
    string.raw = std::string_view(start, static_cast<size_t>(m_pos - start));
    ++m_pos;
    return string;
}

// -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
std::string_view JsonTokenizer::number(bool *integral, bool checkRange)
{
    skipSpace();
    const char *start = m_pos;
    auto digits = [this]() {
        const char *from = m_pos;
        while (m_pos < m_end && isDigit(*m_pos))
            ++m_pos;
        return m_pos - from;
    };
    if (m_pos < m_end && *m_pos == '-')
        ++m_pos;
    qsizetype whole = 0;
    if (m_pos < m_end && *m_pos == '0') {
        ++m_pos;
        whole = 1;
    } else if ((whole = digits()) == 0) {
        fail("invalid number");
    }
    qsizetype fraction = 0;
    if (m_pos < m_end && *m_pos == '.') {
        ++m_pos;
        if ((fraction = digits()) == 0)
            fail("invalid number");
    }
    bool exponent = false;
    if (m_pos < m_end && (*m_pos == 'e' || *m_pos == 'E')) {
        exponent = true;
        ++m_pos;
        if (m_pos < m_end && (*m_pos == '+' || *m_pos == '-'))
            ++m_pos;
        if (digits() == 0)
            fail("invalid number");
    }
    if (integral)
        *integral = fraction == 0 && !exponent;
    if (checkRange && (exponent || whole > kPlainDigits || fraction > kPlainDigits)) {
        // Qt's parser refuses what overflows to infinity or underflows to nothing; a subnormal
        // number it takes, and so does from_chars.
        double value = 0;
        const auto [last, error] = std::from_chars(start, m_pos, value);
        if (error != std::errc() || last != m_pos || !std::isfinite(value)) {
            m_pos = start;
            fail("number out of range");
        }
    }
    return std::string_view(start, static_cast<size_t>(m_pos - start));
}

void JsonTokenizer::literal(std::string_view word)
{
    if (static_cast<size_t>(m_end - m_pos) < word.size() ||
        std::string_view(m_pos, word.size()) != word)
        fail("invalid literal");
    m_pos += word.size();
}

bool JsonTokenizer::boolean()
{
    if (peek() == 't') {
        literal("true");
        return true;
    }
    literal("false");
    return false;
}

void JsonTokenizer::null()
{
    skipSpace();
    literal("null");
}

std::string_view JsonTokenizer::valueSpan()
{
    skipSpace();
    const char *start = m_pos;
    skipValue();
    return std::string_view(start, static_cast<size_t>(m_pos - start));
}

QJsonValue JsonTokenizer::value()
{
    return value(0);
}

QJsonValue JsonTokenizer::value(int depth)
{
    switch (kind()) {
    case Kind::Object: {
        if (depth == kMaxDepth)
            fail("too deeply nested");
        ++m_pos;
        QJsonObject object;
        if (consume('}'))
            return object;
        do {
            if (peek() != '"')
                fail("member name expected");
            const QString name = string().text();
            expect(':', "':' expected");
            object.insert(name, value(depth + 1));
        } while (consume(','));
        expect('}', "',' or '}' expected");
        return object;
    }
    case Kind::Array: {
        if (depth == kMaxDepth)
            fail("too deeply nested");
        ++m_pos;
        QJsonArray array;
        if (consume(']'))
            return array;
        do {
            array.append(value(depth + 1));
        } while (consume(','));
        expect(']', "',' or ']' expected");
        return array;
    }
    case Kind::String:
        return string().text();
    case Kind::Number: {
        bool integral = false;
        const std::string_view text = number(&integral);
        const char *const end = text.data() + text.size();
        if (integral) {
            qint64 whole = 0;
            const auto [last, error] = std::from_chars(text.data(), end, whole);
            if (error == std::errc() && last == end)
                return QJsonValue(whole);
        }
        double number = 0;
        std::from_chars(text.data(), end, number);
        return QJsonValue(number);
    }
    case Kind::Boolean:
        return boolean();
    case Kind::Null:
        null();
        return QJsonValue(QJsonValue::Null);
    }
    return {};
}

void JsonTokenizer::finish()
{
    if (!atEnd())
        fail("garbage at the end of the document");
}

QJsonValue parseJson(QByteArrayView text)
{
    JsonTokenizer tokenizer(text);
    QJsonValue value = tokenizer.value();
    tokenizer.finish();
    return value;
}

} // namespace ngc
