#pragma once

#include "RowSource.h"

#include <data/DataPacket.h>
#include <json/JsonWriter.h>

#include <QByteArray>
#include <QList>

namespace ngc {

// Writes the packets of replies from rows, straight to JSON text: the one way a reply's packet
// is made, whether its rows come from a statement or from a method's own computing. The bytes
// are those the packet codec writes for the same values as the client decodes them, so the
// client reads every value back as it was stored, floats bit for bit.
class PacketWriter final {
public:
    PacketWriter() = delete;

    // The packet of `layout` holding every row left in `rows`, whose columns are the layout's
    // fields in order. DatabaseError when the rows have another number of columns.
    static QByteArray write(const QList<FieldDef> &layout, RowSource &rows);
    // Several packets as one JSON array.
    static QByteArray list(std::initializer_list<QByteArray> packets);

    // One column of the current row as a field of that type carries it: an empty string or a
    // date-time that is none as null, numbers as numbers, dates as the codec's text. What the
    // source holds in its own form is written from that form; anything else goes through the
    // value Qt's driver gives, with the same text out either way.
    static void column(JsonWriter &writer, const RowSource &rows, int column, FieldType type);
};

} // namespace ngc
