#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QVariant>

#include <stdexcept>

namespace ngc {

class JsonWriter;

// Field types a packet and a dataset know.
enum class FieldType { String, Float, DateTime, Integer, Boolean };

// One column of a packet: name, type, and for strings the maximum length in characters.
struct FieldDef {
    QString name;
    FieldType type = FieldType::String;
    int size = 0; // strings only; 0 means the default length of 20
    friend bool operator==(const FieldDef &, const FieldDef &) = default;
};

// A row holds one QVariant per field: QString, double, QDateTime, qint32/qint64 or bool, or a
// null QVariant for a null value.
using Row = QList<QVariant>;

// A whole result set as it crosses the wire: {"fields":[...],"rows":[[...],...]}.
struct DataPacket {
    QList<FieldDef> fields;
    QList<Row> rows;
    friend bool operator==(const DataPacket &, const DataPacket &) = default;
};

// One entry of a delta: an update carries the whole old and new row, an insert only the new
// one, a delete only the old one.
struct DeltaChange {
    enum class Op { Insert, Update, Delete };
    Op op = Op::Update;
    Row oldRow;
    Row newRow;
    friend bool operator==(const DeltaChange &, const DeltaChange &) = default;
};

// The unsent changes of a dataset: {"fields":[...],"changes":[{"op":..,"old":..,"new":..}]}.
struct DeltaPacket {
    QList<FieldDef> fields;
    QList<DeltaChange> changes;
    bool isEmpty() const { return changes.isEmpty(); }
    friend bool operator==(const DeltaPacket &, const DeltaPacket &) = default;
};

// Raised for a packet that does not match the format; the message names what is wrong
// ("row 3, field CDFILIAL: string of 7 characters exceeds size 4").
class PacketError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

QString fieldTypeName(FieldType type);

// Encoding never fails. Floats are written so that they read back bit for bit, with two
// exceptions JSON forces: a negative zero is written as 0, and a value that is no finite number
// (NaN, infinity) as null. Date-times are ISO 8601 local time without a zone, milliseconds only
// when there are any ("2026-12-08T00:00:00", "2026-12-08T10:20:30.456").
QJsonValue encodePacket(const DataPacket &packet);
QJsonValue encodeDelta(const DeltaPacket &delta);
QByteArray packetToJson(const DataPacket &packet);
QByteArray deltaToJson(const DeltaPacket &delta);
// Parts of that encoding, for a writer that composes packets of its own (the server writes its
// replies' packets from rows): the value of "fields", and one date-time (null when invalid).
void writeFields(JsonWriter &writer, const QList<FieldDef> &fields);
void writeDateTime(JsonWriter &writer, const QDateTime &value);

// Decoding validates everything (JSON syntax, field list, types, row widths, value kinds, string
// lengths) and throws PacketError before anything is returned, so a caller never sees half a
// packet. Values come out in the form a dataset stores: an empty string as null, integers as
// qint64, date-times as local QDateTime. A whole number is fine in a float column; a fraction in an
// integer column is not. packetFromJson reads the text directly, without building a document, and
// is the fast way to load a large packet from bytes.
DataPacket decodePacket(const QJsonValue &json);
DeltaPacket decodeDelta(const QJsonValue &json);
DataPacket packetFromJson(const QByteArray &json);
DeltaPacket deltaFromJson(const QByteArray &json);

} // namespace ngc
