#include "JsonScanner.h"

#include "JsonTokenizer.h"

#include <algorithm>

namespace ngc {

JsonScanner::JsonScanner(std::string text) : m_text(std::move(text))
{
    try {
        scan();
        m_valid = true;
    } catch (const JsonError &error) {
        m_error = error.what();
        m_containers.clear();
    }
}

void JsonScanner::scan()
{
    // A reply's envelope and packet hold a container or two per 30 bytes; reserving for that spares
    // most regrowth, within a bound so that a large body of long rows does not reserve its size.
    m_containers.reserve(std::min<size_t>(m_text.size() / 16 + 4, 4096));
    // The containers still open, innermost last, by their index in m_containers, which lists them
    // in the order they open.
    std::vector<size_t> open;
    open.reserve(16);
    JsonTokenizer tokenizer(std::string_view{m_text});
    tokenizer.skipSpace();
    m_root.begin = tokenizer.offset();
    tokenizer.skipValue([this, &open](bool opens, qsizetype offset) {
        if (opens) {
            open.push_back(m_containers.size());
            m_containers.push_back({offset, 0});
        } else {
            m_containers[open.back()].end = offset;
            open.pop_back();
        }
    });
    m_root.end = tokenizer.offset();
    tokenizer.finish();
}

qsizetype JsonScanner::skipSpace(qsizetype pos) const
{
    while (pos < qsizetype(m_text.size()) && isJsonSpace(m_text[size_t(pos)]))
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
        while (pos < size && !isJsonSpace(text[pos]) && text[pos] != ',' && text[pos] != ']' &&
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
