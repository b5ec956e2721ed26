#include "JsonScanner.h"

#include <data/JsonText.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace ngc {

namespace {

// As deep as QJsonDocument goes, so both refuse the same texts for their depth.
constexpr size_t kMaxDepth = 1024;
// A number without an exponent and with no more digits than this on either side of the point is
// a finite double that does not underflow; only longer ones need converting to be sure.
constexpr qsizetype kPlainDigits = 300;

// Most bytes are past the space, so one comparison settles them.
bool isSpace(char c)
{
    return static_cast<unsigned char>(c) <= ' ' &&
           (c == ' ' || c == '\n' || c == '\r' || c == '\t');
}

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

// At the opening quote; returns just past the closing one, or nullptr for a malformed string.
const char *scanString(const char *p, const char *end)
{
    ++p;
    while (p < end) {
        while (kPlainInString[static_cast<unsigned char>(*p)] && ++p < end) {
        }
        if (p == end)
            break;
        const auto c = static_cast<unsigned char>(*p);
        if (c == '"')
            return p + 1;
        if (c < 0x20)
            return nullptr;
        if (c == '\\') {
            const int length = jsonEscapeLength(p, end);
            if (length == 0)
                return nullptr;
            p += length;
            continue;
        }
        if (c < 0x80) {
            ++p;
            continue;
        }
        const int length = utf8SequenceLength(p, end);
        if (length == 0)
            return nullptr;
        p += length;
    }
    return nullptr;
}

// -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)? that is a finite double; returns just past it, or
// nullptr.
const char *scanNumber(const char *p, const char *end)
{
    const char *start = p;
    auto digits = [&p, end]() {
        const char *from = p;
        while (p < end && isDigit(*p))
            ++p;
        return p - from;
    };
    if (*p == '-')
        ++p;
    qsizetype whole = 0;
    if (p < end && *p == '0') {
        ++p;
        whole = 1;
    } else if ((whole = digits()) == 0) {
        return nullptr;
    }
    qsizetype fraction = 0;
    if (p < end && *p == '.') {
        ++p;
        if ((fraction = digits()) == 0)
            return nullptr;
    }
    bool exponent = false;
    if (p < end && (*p == 'e' || *p == 'E')) {
        exponent = true;
        ++p;
        if (p < end && (*p == '+' || *p == '-'))
            ++p;
        if (digits() == 0)
            return nullptr;
    }
    if (exponent || whole > kPlainDigits || fraction > kPlainDigits) {
        // An overflow to infinity or an underflow below the doubles is what a document parser
        // refuses; a subnormal it takes, but leave that rarity to it as well.
        double value = 0;
        const auto [last, error] = std::from_chars(start, p, value);
        if (error != std::errc() || last != p || !std::isfinite(value))
            return nullptr;
    }
    return p;
}

const char *scanLiteral(const char *p, const char *end, std::string_view word)
{
    if (size_t(end - p) < word.size() || std::string_view(p, word.size()) != word)
        return nullptr;
    return p + word.size();
}

} // namespace

JsonScanner::JsonScanner(std::string text) : m_text(std::move(text))
{
    m_valid = scan();
    if (!m_valid)
        m_containers.clear();
}

bool JsonScanner::scan()
{
    const char *const begin = m_text.data();
    const char *const end = begin + m_text.size();
    const char *p = begin;
    // A reply's envelope and packet hold a container or two per 30 bytes; reserving for that spares
    // most regrowth, within a bound so that a large body of long rows does not reserve its size.
    m_containers.reserve(std::min<size_t>(m_text.size() / 16 + 4, 4096));
    // The containers still open, innermost last: index into m_containers, and its closing byte.
    struct Open {
        size_t index;
        char closing;
    };
    std::vector<Open> open;
    open.reserve(16);
    auto skip = [&p, end]() {
        while (p < end && isSpace(*p))
            ++p;
    };
    // A member name and its colon, leaving p at the value.
    auto name = [&p, end, &skip]() {
        if (p >= end || *p != '"' || !(p = scanString(p, end)))
            return false;
        skip();
        if (p >= end || *p != ':')
            return false;
        ++p;
        skip();
        return true;
    };

    skip();
    m_root.begin = p - begin;
    while (true) {
        // At a value.
        if (p >= end)
            return false;
        switch (*p) {
        case '{':
        case '[': {
            if (open.size() == kMaxDepth)
                return false;
            const char closing = *p == '{' ? '}' : ']';
            open.push_back({m_containers.size(), closing});
            m_containers.push_back({p - begin, 0});
            ++p;
            skip();
            if (p < end && *p == closing) {
                m_containers[open.back().index].end = p + 1 - begin;
                open.pop_back();
                ++p;
                break;
            }
            if (closing == '}' && !name())
                return false;
            continue;
        }
        case '"':
            p = scanString(p, end);
            break;
        case 't':
            p = scanLiteral(p, end, "true");
            break;
        case 'f':
            p = scanLiteral(p, end, "false");
            break;
        case 'n':
            p = scanLiteral(p, end, "null");
            break;
        default:
            p = (*p == '-' || isDigit(*p)) ? scanNumber(p, end) : nullptr;
            break;
        }
        if (!p)
            return false;
        // After a value: close what ends here, then on to the next value, if any.
        while (true) {
            skip();
            if (open.empty()) {
                if (p != end)
                    return false;
                while (p > begin + m_root.begin && isSpace(p[-1]))
                    --p;
                m_root.end = p - begin;
                return true;
            }
            if (p >= end)
                return false;
            if (*p == ',') {
                ++p;
                skip();
                if (open.back().closing == '}' && !name())
                    return false;
                break;
            }
            if (*p != open.back().closing)
                return false;
            m_containers[open.back().index].end = p + 1 - begin;
            open.pop_back();
            ++p;
        }
    }
}

qsizetype JsonScanner::skipSpace(qsizetype pos) const
{
    while (pos < qsizetype(m_text.size()) && isSpace(m_text[size_t(pos)]))
        ++pos;
    return pos;
}

qsizetype JsonScanner::firstItem(Span container) const
{
    const qsizetype pos = skipSpace(container.begin + 1);
    const char c = m_text[size_t(pos)];
    return c == '}' || c == ']' ? -1 : pos;
}

qsizetype JsonScanner::valueEnd(qsizetype pos) const
{
    const char *const text = m_text.data();
    switch (text[pos]) {
    case '{':
    case '[': {
        const auto it = std::lower_bound(
            m_containers.begin(), m_containers.end(), pos,
            [](const Container &container, qsizetype at) { return container.begin < at; });
        return it->end;
    }
    case '"':
        // Already checked: only the closing quote needs finding.
        for (++pos;; ++pos) {
            if (text[pos] == '\\')
                ++pos;
            else if (text[pos] == '"')
                return pos + 1;
        }
    default: {
        const auto size = qsizetype(m_text.size());
        while (pos < size && !isSpace(text[pos]) && text[pos] != ',' && text[pos] != ']' &&
               text[pos] != '}')
            ++pos;
        return pos;
    }
    }
}

qsizetype JsonScanner::nextItem(qsizetype pos, Span *name, Span &value) const
{
    if (name) {
        name->begin = pos;
        name->end = valueEnd(pos);
        pos = skipSpace(skipSpace(name->end) + 1);
    }
    value.begin = pos;
    value.end = valueEnd(pos);
    pos = skipSpace(value.end);
    return m_text[size_t(pos)] == ',' ? skipSpace(pos + 1) : -1;
}

} // namespace ngc
