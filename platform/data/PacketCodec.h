#pragma once

// Internal to the data library: what the two packet decoders (from a QJsonValue and straight
// from JSON text) share, so that both accept and refuse alike and say so in the same words.

#include "DataPacket.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonValue>

namespace ngc::detail {

int effectiveSize(const FieldDef &def);
[[noreturn]] void fail(const QString &message);
QString kindOf(QJsonValue::Type type);
// "yyyy-MM-ddTHH:mm:ss" with an optional ".zzz", local time; an invalid QDateTime when the text
// is anything else (a zone suffix included: the wire carries wall-clock times).
QDateTime parseDateTime(const QString &text);
QList<FieldDef> decodeFields(const QJsonArray &array);
// Decodes a packet from JSON text without building a document first.
DataPacket readPacketJson(const QByteArray &json);

} // namespace ngc::detail
