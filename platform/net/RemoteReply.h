#pragma once

#include <json/JsonSpan.h>

namespace ngc {

// The reply of a remote method ({"ok":true,"data":...} or {"ok":false,"message":...}, or an array
// of such) as the connection received it: read in place from the response, with a QJsonValue
// built only when a caller asks for one (toJson, or the conversion, so code that takes the reply
// as a QJsonValue keeps working). CheckResultServ reads it without building that value.
class RemoteReply final : public JsonSpan {
public:
    using JsonSpan::JsonSpan;
    explicit RemoteReply(JsonSpan span) : JsonSpan(std::move(span)) {}
};

} // namespace ngc
