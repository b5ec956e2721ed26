#pragma once

#include <data/DataPacket.h>

#include <QByteArray>
#include <QJsonValue>
#include <QStringView>

#include <string>

namespace ngc {

// Writes replies straight to JSON text, without building a tree of QJsonValues first: for a
// packet of a few dozen columns the tree and its conversions cost several times the database
// read. The bytes are exactly those QJsonDocument::toJson(Compact) gives for the same content
// (the packet codec's encoding, for packets), so the client reads every value back as before,
// floats bit for bit. Objects are written by hand; their keys go in the sorted order a QJsonObject
// keeps.
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
    // The codec's date-time text: local time, milliseconds only when there are any; null when
    // invalid.
    void dateTime(const QDateTime &value);
    // A packet's field list, the value of its "fields" member.
    void fields(const QList<FieldDef> &fields);
    void packet(const DataPacket &packet);

private:
    // A number QJsonValue keeps as a double: the shortest text that reads back exactly.
    void fraction(double value);
    void packetValue(const FieldDef &field, const QVariant &value);

    // A plain string: a reply is a few dozen short appends, which QByteArray makes several
    // times as dear.
    std::string m_text;
};

} // namespace ngc
