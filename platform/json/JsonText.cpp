#include "JsonText.h"

#include <charconv>

namespace ngc {

namespace {

char hexDigit(unsigned value)
{
    return static_cast<char>(value < 10 ? '0' + value : 'a' + value - 10);
}

char16_t hex4(const char *digits)
{
    unsigned value = 0;
    std::from_chars(digits, digits + 4, value, 16);
    return static_cast<char16_t>(value);
}

} // namespace

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

QString utf8ToString(QByteArrayView utf8)
{
    if (utf8.startsWith("\xEF\xBB\xBF"))
        return QChar(0xfeff) + QString::fromUtf8(utf8.sliced(3));
    return QString::fromUtf8(utf8);
}

QString decodeJsonString(std::string_view raw)
{
    if (raw.find('\\') == std::string_view::npos)
        return utf8ToString(QByteArrayView(raw.data(), static_cast<qsizetype>(raw.size())));
    QString text;
    text.reserve(static_cast<qsizetype>(raw.size()));
    const char *p = raw.data();
    const char *const end = p + raw.size();
    while (p < end) {
        if (*p != '\\') {
            const char *run = p;
            while (p < end && *p != '\\')
                ++p;
            text += utf8ToString(QByteArrayView(run, p - run));
            continue;
        }
        ++p;
        switch (*p) {
        case 'b':
            text += u'\b';
            break;
        case 'f':
            text += u'\f';
            break;
        case 'n':
            text += u'\n';
            break;
        case 'r':
            text += u'\r';
            break;
        case 't':
            text += u'\t';
            break;
        case 'u': {
            const char16_t unit = hex4(p + 1);
            p += 4;
            text += QChar(unit);
            // A pair is two escapes; either half alone stays as it is.
            if (QChar::isHighSurrogate(unit) && end - p >= 7 && p[1] == '\\' && p[2] == 'u' &&
                QChar::isLowSurrogate(hex4(p + 3))) {
                text += QChar(hex4(p + 3));
                p += 6;
            }
            break;
        }
        default: // '"', '\\', '/'
            text += QLatin1Char(*p);
            break;
        }
        ++p;
    }
    return text;
}

void appendJsonEscape(std::string &text, char16_t unit)
{
    switch (unit) {
    case u'"':
        text.append("\\\"");
        return;
    case u'\\':
        text.append("\\\\");
        return;
    case u'\b':
        text.append("\\b");
        return;
    case u'\f':
        text.append("\\f");
        return;
    case u'\n':
        text.append("\\n");
        return;
    case u'\r':
        text.append("\\r");
        return;
    case u'\t':
        text.append("\\t");
        return;
    default: {
        const char escaped[] = {'\\',
                                'u',
                                hexDigit((unit >> 12) & 0xf),
                                hexDigit((unit >> 8) & 0xf),
                                hexDigit((unit >> 4) & 0xf),
                                hexDigit(unit & 0xf)};
        text.append(escaped, sizeof escaped);
    }
    }
}

void appendUtf8(std::string &text, char32_t code)
{
    if (code < 0x80) {
        text.push_back(static_cast<char>(code));
        return;
    }
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

} // namespace ngc
