#pragma once

#include <QByteArrayView>
#include <QString>

namespace ngc {

// The bytes of JSON text are checked alike by every reader and writer here (the packet reader,
// the connection's reply scanner, the server's writer), so that what one accepts the others
// accept too.

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

// The text of well-formed UTF-8 bytes, every character kept: QString::fromUtf8 drops a byte-order
// mark at the start, which in a value is a character like any other.
inline QString utf8ToString(QByteArrayView utf8)
{
    if (utf8.startsWith("\xEF\xBB\xBF"))
        return QChar(0xfeff) + QString::fromUtf8(utf8.sliced(3));
    return QString::fromUtf8(utf8);
}

} // namespace ngc
