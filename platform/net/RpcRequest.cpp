#include "RpcRequest.h"

namespace ngc {

RpcRequest::RpcRequest(int id, const QString &method)
{
    m_text.raw("{\"id\":");
    m_text.integer(id);
    m_text.raw(",\"jsonrpc\":\"2.0\",\"method\":");
    m_text.string(method);
    m_text.raw(",\"params\":[");
}

void RpcRequest::add(const RemoteArg &arg)
{
    if (!m_first)
        m_text.raw(",");
    m_first = false;
    switch (arg.kind()) {
    case RemoteArg::Kind::String:
    case RemoteArg::Kind::StringRef:
        m_text.string(arg.text());
        return;
    case RemoteArg::Kind::Variant:
    case RemoteArg::Kind::VariantRef:
    case RemoteArg::Kind::Boolean:
    case RemoteArg::Kind::Integer:
        break;
    }
    m_text.value(arg.toJson());
}

QByteArray RpcRequest::text()
{
    m_text.raw("]}");
    return m_text.take();
}

} // namespace ngc
