#pragma once

#include <json/JsonScanner.h>

#include <QByteArray>
#include <QJsonValue>
#include <QLatin1StringView>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace ngc {

// One JSON value of a received text, read in place: its kind, members and elements are found in
// the scanned bytes, and a QJsonValue is built only when asked for. It can also stand for a value
// a caller built, and then answers from that value; a default one is an absent value
// (QJsonValue::Undefined).
//
// Copies share the text. The value built on first use is kept in the object, so one object is
// not to be read from two threads at once.
class JsonSpan {
public:
    JsonSpan() = default;
    explicit JsonSpan(const QJsonValue &value) : m_json(value) {}
    JsonSpan(std::shared_ptr<const JsonScanner> text, JsonScanner::Span span)
        : m_text(std::move(text)), m_span(span)
    {
    }

    QJsonValue::Type type() const;
    bool isUndefined() const { return type() == QJsonValue::Undefined; }
    bool isObject() const { return type() == QJsonValue::Object; }
    bool isArray() const { return type() == QJsonValue::Array; }
    bool isBool() const { return type() == QJsonValue::Bool; }
    bool isString() const { return type() == QJsonValue::String; }

    // The member of that name of an object (the last one should the name repeat, as a document
    // keeps it); absent for a missing member or a value that is no object.
    JsonSpan member(QLatin1StringView name) const;
    // Elements of an array; 0 and absent for anything else.
    qsizetype size() const;
    JsonSpan at(qsizetype index) const;
    // All elements of an array in one pass; none for anything else.
    QList<JsonSpan> elements() const;

    bool toBool() const;      // false for anything but true
    double toDouble() const;  // 0 for anything but a number
    QString toString() const; // empty for anything but a string
    QJsonValue toJson() const;
    operator QJsonValue() const { return toJson(); }

    // The value's bytes as received, not copied: they stay valid while this span or a copy of it
    // lives. Null for a value that was not read in place.
    QByteArray rawJson() const;

    friend bool operator==(const JsonSpan &span, const QJsonValue &value)
    {
        return span.toJson() == value;
    }

private:
    char first() const { return m_text->text()[size_t(m_span.begin)]; }
    bool nameIs(JsonScanner::Span name, QLatin1StringView wanted) const;

    std::shared_ptr<const JsonScanner> m_text;
    JsonScanner::Span m_span;
    mutable std::optional<QJsonValue> m_json;
};

} // namespace ngc
