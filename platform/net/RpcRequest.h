#pragma once

#include <net/RemoteArg.h>

#include <json/JsonWriter.h>

#include <QByteArray>
#include <QString>

namespace ngc {

// The text of one JSON-RPC request, written straight into bytes with the JSON writer: a call's
// arguments are a few short strings as a rule, and building a document of them and serialising
// it cost more than the rest of the client's side of the call.
class RpcRequest final {
public:
    RpcRequest(int id, const QString &method);

    void add(const RemoteArg &arg);
    // The finished text; the request takes no more arguments after it.
    QByteArray text();

private:
    JsonWriter m_text;
    bool m_first = true;
};

} // namespace ngc
