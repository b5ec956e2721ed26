#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonValue>
#include <QStringList>
#include <QStringView>

#include <string>

namespace ngc {

// The one writer of JSON text here: the client's requests, the server's replies and the packet
// codec all write with it, straight to text, without building a tree of QJsonValues first. The
// bytes are exactly those QJsonDocument::toJson(Compact) gives for the same content, so what one
// side wrote the other reads back as it was, floats bit for bit. Objects are written by their
// callers member by member; a caller that wants Qt's bytes writes the keys in the sorted order a
// QJsonObject keeps.
class JsonWriter final {
public:
    JsonWriter() { m_text.reserve(4096); }

    QByteArray take()
    {
        QByteArray text(m_text.data(), static_cast<qsizetype>(m_text.size()));
        m_text.clear();
        return text;
    }

    // Punctuation and keys known to need no escaping, e.g. raw("{\"ok\":").
    void raw(QByteArrayView text) { m_text.append(text.data(), static_cast<size_t>(text.size())); }
    void null() { m_text.append("null"); }
    void boolean(bool value) { m_text.append(value ? "true" : "false"); }
    void integer(qint64 value);
    // Written as a QJsonValue holding it would be: whole numbers up to 2^53 as integers, others
    // in the shortest form that reads back exactly; what is no finite number as null.
    void number(double value);
    void string(QStringView text);
    // Writes the text these bytes hold, as string() would, when they are well-formed UTF-8 (a
    // leading byte-order mark is part of the text); otherwise writes nothing and returns false.
    [[nodiscard]] bool stringFromUtf8(QByteArrayView utf8);
    void value(const QJsonValue &value);
    // An array of strings.
    void strings(const QStringList &texts);

private:
    // A number QJsonValue keeps as a double: the shortest text that reads back exactly.
    void fraction(double value);

    // A plain string: a reply is a few dozen short appends, which QByteArray makes several
    // times as dear.
    std::string m_text;
};

} // namespace ngc
