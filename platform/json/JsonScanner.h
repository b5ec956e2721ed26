#pragma once

#include <QtGlobal>

#include <string>
#include <string_view>
#include <vector>

namespace ngc {

// A JSON text checked in one pass, keeping where every object and array begins and ends, so that
// the few parts of a reply the connection needs can be found without building a document of the
// rest (a data packet is decoded later, once, straight from its bytes).
//
// It reads with JsonTokenizer, so it accepts exactly what that accepts: strict JSON. A text it
// refuses is not JSON this system writes, whatever a lenient parser might make of it.
class JsonScanner final {
public:
    // Byte offsets of one value (or one member name, quotes included): [begin, end).
    struct Span {
        qsizetype begin = 0;
        qsizetype end = 0;
    };

    explicit JsonScanner(std::string text);

    bool isValid() const { return m_valid; }
    // Why the text was refused ("invalid JSON at offset 12: ..."); empty when it is valid.
    const std::string &error() const { return m_error; }
    const std::string &text() const { return m_text; }
    // The top-level value without the white space around it; only when valid.
    Span root() const { return m_root; }
    std::string_view bytes(Span span) const
    {
        return std::string_view(m_text).substr(size_t(span.begin), size_t(span.end - span.begin));
    }

    // Runs visit(name, value) for every member of the object at span, in text order, until visit
    // returns false. Only for a valid text and a span of an object.
    template <typename Visit> void forEachMember(Span object, Visit visit) const
    {
        Span name;
        Span value;
        qsizetype pos = firstItem(object);
        while (pos >= 0) {
            pos = nextItem(pos, &name, value);
            if (!visit(name, value))
                return;
        }
    }
    // Likewise for every element of the array at span.
    template <typename Visit> void forEachElement(Span array, Visit visit) const
    {
        Span value;
        qsizetype pos = firstItem(array);
        while (pos >= 0) {
            pos = nextItem(pos, nullptr, value);
            if (!visit(value))
                return;
        }
    }

private:
    struct Container {
        qsizetype begin;
        qsizetype end;
    };

    void scan();
    // -1 when the container at span is empty, else the offset of its first item.
    qsizetype firstItem(Span container) const;
    // Reads the item at pos (a member when name is given, else an element) and returns the offset
    // of the next one, -1 after the last.
    qsizetype nextItem(qsizetype pos, Span *name, Span &value) const;
    qsizetype valueEnd(qsizetype pos) const;
    qsizetype skipSpace(qsizetype pos) const;

    std::string m_text;
    // Every object and array in the order they open, so sorted by begin.
    std::vector<Container> m_containers;
    Span m_root;
    bool m_valid = false;
    std::string m_error;
};

} // namespace ngc
