#pragma once

#include "JsonText.h"

#include <QByteArrayView>
#include <QJsonValue>
#include <QString>

#include <stdexcept>
#include <string>
#include <string_view>

namespace ngc {

// Text that is not strict JSON. what() reads "invalid JSON at offset N: reason".
class JsonError : public std::runtime_error {
public:
    JsonError(qsizetype offset, const char *reason);
    qsizetype offset() const { return m_offset; }

private:
    qsizetype m_offset;
};

// A string as it stands in the text: its bytes between the quotes, already checked, and whether
// they need more than a copy to become text (escapes, bytes beyond ASCII).
struct JsonString {
    std::string_view raw;
    bool escaped = false;
    bool ascii = true;

    QString text() const;
};

// The one reader of JSON text here: a cursor that reads a text value by value and checks it as it
// goes. Everything that reads JSON stands on it: the packet decoder, the reply scanner, the
// dispatcher's requests, whole values read into a QJsonValue.
//
// It accepts strict JSON only (RFC 8259): UTF-8 in its shortest form, the escapes JSON knows,
// numbers of its grammar that are finite doubles (a subnormal one included), nesting up to
// kMaxDepth. What it accepts Qt's JSON parser accepts with the same meaning, with one exception:
// a byte-order mark at the start of a string is a character here and dropped there. Some texts
// Qt's parser takes this refuses: a byte-order mark before the value, "1." or ".5", control
// characters in strings. Each refusal is a JsonError naming the offset and the reason.
class JsonTokenizer final {
public:
    // What the value ahead is, told by its first byte.
    enum class Kind { Object, Array, String, Number, Boolean, Null };
    // As deep as Qt's parser goes.
    static constexpr int kMaxDepth = 1024;

    JsonTokenizer(const char *begin, const char *end) : m_begin(begin), m_pos(begin), m_end(end) {}
    explicit JsonTokenizer(QByteArrayView text)
        : JsonTokenizer(text.data(), text.data() + text.size())
    {
    }
    explicit JsonTokenizer(std::string_view text)
        : JsonTokenizer(text.data(), text.data() + text.size())
    {
    }

    qsizetype offset() const { return m_pos - m_begin; }
    const char *position() const { return m_pos; }
    // Back (or on) to a place already read, to read from there again.
    void seek(const char *position) { m_pos = position; }
    // The text from here on.
    std::string_view rest() const { return {m_pos, static_cast<size_t>(m_end - m_pos)}; }

    void skipSpace()
    {
        // Most bytes are past the space, so one comparison settles them.
        while (m_pos < m_end && static_cast<unsigned char>(*m_pos) <= ' ' && isJsonSpace(*m_pos))
            ++m_pos;
    }
    // The next byte after white space; NUL at the end of the text (a NUL byte in it is no end).
    char peek()
    {
        skipSpace();
        return m_pos < m_end ? *m_pos : '\0';
    }
    bool atEnd()
    {
        skipSpace();
        return m_pos == m_end;
    }
    // Takes `c` when it comes next.
    bool consume(char c)
    {
        if (peek() != c || m_pos == m_end)
            return false;
        ++m_pos;
        return true;
    }
    void expect(char c, const char *reason)
    {
        if (!consume(c))
            fail(reason);
    }

    // The kind of the value ahead, left unread; "value expected" when none starts there.
    Kind kind();
    // Each reads the value ahead, which must be of its kind. Containers are read by their parts:
    // consume('{') or '[', the members or elements, then the closing byte.
    JsonString string();
    // The number's text. With checkRange false a number too large or too small for a double is
    // let through for the caller to judge; `integral` tells whether it has neither fraction nor
    // exponent.
    std::string_view number(bool *integral = nullptr, bool checkRange = true);
    bool boolean();
    void null();
    // Reads and checks one value of any kind, whole.
    void skipValue()
    {
        skipValue([](bool, qsizetype) {});
    }
    // The same, telling `visit(opens, offset)` where each object and array in it opens (at its
    // first byte) and closes (just past its last), in text order.
    template <typename Visit> void skipValue(Visit visit);
    // Reads one value whole and returns its text.
    std::string_view valueSpan();
    // Reads one value whole into a QJsonValue: numbers without fraction or exponent that fit 64
    // bits as integers, others as doubles, as Qt's parser keeps them; the last of repeated member
    // names wins.
    QJsonValue value();
    // Nothing but white space may follow: "garbage at the end of the document" otherwise.
    void finish();

    [[noreturn]] void fail(const char *reason) const;

private:
    QJsonValue value(int depth);
    void literal(std::string_view word);
    void memberName()
    {
        if (peek() != '"')
            fail("member name expected");
        string();
        expect(':', "':' expected");
    }

    const char *m_begin;
    const char *m_pos;
    const char *m_end;
};

template <typename Visit> void JsonTokenizer::skipValue(Visit visit)
{
    // The closing bytes of the containers still open, innermost last.
    std::string open;
    while (true) {
        // At a value.
        switch (kind()) {
        case Kind::Object:
        case Kind::Array: {
            if (open.size() == kMaxDepth)
                fail("too deeply nested");
            const char closing = *m_pos == '{' ? '}' : ']';
            visit(true, offset());
            ++m_pos;
            if (consume(closing)) {
                visit(false, offset());
                break;
            }
            open.push_back(closing);
            if (closing == '}')
                memberName();
            continue;
        }
        case Kind::String:
            string();
            break;
        case Kind::Number:
            number();
            break;
        case Kind::Boolean:
            boolean();
            break;
        case Kind::Null:
            null();
            break;
        }
        // After a value: close what ends here, then on to the next value, if any.
        while (!open.empty()) {
            const char closing = open.back();
            if (consume(',')) {
                if (closing == '}')
                    memberName();
                break;
            }
            if (!consume(closing))
                fail(closing == '}' ? "',' or '}' expected" : "',' or ']' expected");
            visit(false, offset());
            open.pop_back();
        }
        if (open.empty())
            return;
    }
}

// Reads a whole text that must hold exactly one JSON value. JsonError otherwise.
QJsonValue parseJson(QByteArrayView text);

} // namespace ngc
