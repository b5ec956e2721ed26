#pragma once

#include <json/JsonSpan.h>

namespace ngc {

// The data part of a checked reply (a packet, an array of packets, null, or absent), read in place
// from the response; packetOf and packetAt decode its packets straight from the bytes. Converts to
// a QJsonValue, built on first use, for code that wants one.
class RemoteData final : public JsonSpan {
public:
    using JsonSpan::JsonSpan;
    explicit RemoteData(JsonSpan span) : JsonSpan(std::move(span)) {}
};

} // namespace ngc
