#pragma once

#include <QByteArrayView>
#include <QString>

#include <string>
#include <string_view>

namespace ngc {

// The rules for the bytes of JSON text, in one place: what a string may hold when read (UTF-8 in
// its shortest form, the escapes JSON knows) and how text is escaped and encoded when written.
// The tokenizer, the writer and everything built on them follow these, so that what one writes
// the other reads back unchanged.

// JSON's white space: what may stand between its tokens.
inline bool isJsonSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// The length of the escape sequence that starts with the backslash at `at` (before `end`): 2 for
// \" \\ \/ \b \f \n \r \t, 6 for \u and four hexadecimal digits; 0 when it is none.
inline int jsonEscapeLength(const char *at, const char *end)
{
    if (end - at < 2)
        return 0;
    switch (at[1]) {
    case '"':
    case '\\':
    case '/':
    case 'b':
    case 'f':
    case 'n':
    case 'r':
    case 't':
        return 2;
    case 'u':
        if (end - at < 6)
            return 0;
        for (int i = 2; i < 6; ++i) {
            const char c = at[i];
            if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
                return 0;
        }
        return 6;
    default:
        return 0;
    }
}

// The length of the well-formed UTF-8 sequence that starts at `at` (before `end`): the shortest
// form of one scalar value, no surrogate, nothing past U+10FFFF (RFC 3629). 0 when the bytes there
// are none.
inline int utf8SequenceLength(const char *at, const char *end)
{
    const auto lead = static_cast<unsigned char>(*at);
    if (lead < 0x80)
        return 1;
    int length = 0;
    // The range of the second byte narrows where the first alone would allow an overlong form,
    // a surrogate or a value past U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        if (lead == 0xe0)
            low = 0xa0;
        else if (lead == 0xed)
            high = 0x9f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        if (lead == 0xf0)
            low = 0x90;
        else if (lead == 0xf4)
            high = 0x8f;
    } else {
        return 0;
    }
    if (end - at < length)
        return 0;
    const auto second = static_cast<unsigned char>(at[1]);
    if (second < low || second > high)
        return 0;
    for (int i = 2; i < length; ++i) {
        const auto next = static_cast<unsigned char>(at[i]);
        if (next < 0x80 || next > 0xbf)
            return 0;
    }
    return length;
}

// Whether the bytes are well-formed UTF-8 throughout.
bool isValidUtf8(QByteArrayView bytes);

// The text of well-formed UTF-8 bytes, every character kept: QString::fromUtf8 drops a byte-order
// mark at the start, which in a value is a character like any other.
QString utf8ToString(QByteArrayView utf8);

// The text of a string's bytes between its quotes, already checked (see JsonTokenizer): escapes
// resolved, an escaped surrogate pair joined, and a lone escaped surrogate kept as that code unit
// (as Qt's JSON parser keeps it).
QString decodeJsonString(std::string_view raw);

// Appends a quote, a backslash or a control character as JSON escapes it (\" \\ \b \f \n \r \t,
// the others as \u00XX), or half a surrogate pair as \uXXXX: the writer's escapes, which are
// those Qt's JSON writer uses.
void appendJsonEscape(std::string &text, char16_t unit);
// Appends one character as UTF-8.
void appendUtf8(std::string &text, char32_t code);

} // namespace ngc
