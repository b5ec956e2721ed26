#pragma once

#include <net/RemoteArg.h>

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QStringView>

namespace ngc {

// The text of one JSON-RPC request, written straight into bytes. A call's arguments are a few
// short strings as a rule; building a document of them and serialising it cost more than the
// rest of the client's side of the call. Packets and other containers still go through the
// document writer, whose output for them is what the server has always read.
class RpcRequest final {
public:
    RpcRequest(int id, const QString &method);

    void add(const RemoteArg &arg);
    // The finished text; the request takes no more arguments after it.
    QByteArray text();

    // A JSON string with the same text: quote, backslash and control characters escaped, the
    // rest as UTF-8.
    static void appendString(QByteArray &out, QStringView text);
    static void appendValue(QByteArray &out, const QJsonValue &value);

private:
    QByteArray m_text;
    bool m_first = true;
};

} // namespace ngc
