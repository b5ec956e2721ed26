#include "RpcRequest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace ngc {

namespace {

// The document writer's text for any value: a scalar is written as the only element of an
// array, whose brackets are then left out.
void appendThroughDocument(QByteArray &out, const QJsonValue &value)
{
    if (value.isObject()) {
        out += QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
        return;
    }
    if (value.isArray()) {
        out += QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
        return;
    }
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    out.append(wrapped.constData() + 1, wrapped.size() - 2);
}

} // namespace

RpcRequest::RpcRequest(int id, const QString &method)
{
    m_text.reserve(128);
    m_text += "{\"id\":";
    m_text += QByteArray::number(id);
    m_text += ",\"jsonrpc\":\"2.0\",\"method\":";
    appendString(m_text, method);
    m_text += ",\"params\":[";
}

void RpcRequest::add(const RemoteArg &arg)
{
    if (!m_first)
        m_text += ',';
    m_first = false;
    switch (arg.kind()) {
    case RemoteArg::Kind::String:
    case RemoteArg::Kind::StringRef:
        appendString(m_text, arg.text());
        return;
    case RemoteArg::Kind::Variant:
    case RemoteArg::Kind::VariantRef:
    case RemoteArg::Kind::Boolean:
    case RemoteArg::Kind::Integer:
        break;
    }
    appendValue(m_text, arg.toJson());
}

QByteArray RpcRequest::text()
{
    m_text += "]}";
    return std::move(m_text);
}

void RpcRequest::appendString(QByteArray &out, QStringView text)
{
    bool escapes = false;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit < 0x20 || unit == u'"' || unit == u'\\') {
            escapes = true;
        } else if (QChar::isSurrogate(unit)) {
            // A lone half of a pair has no UTF-8; the document writer keeps it as an escape.
            appendThroughDocument(out, text.toString());
            return;
        }
    }
    const QByteArray utf8 = text.toUtf8();
    out += '"';
    if (!escapes) {
        out += utf8;
        out += '"';
        return;
    }
    static constexpr char hex[] = "0123456789abcdef";
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                out += "\\u00";
                out += hex[(c >> 4) & 0xF];
                out += hex[c & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void RpcRequest::appendValue(QByteArray &out, const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        out += "null";
        return;
    case QJsonValue::Bool:
        out += value.toBool() ? "true" : "false";
        return;
    case QJsonValue::String:
        appendString(out, value.toString());
        return;
    case QJsonValue::Double: {
        // Whole numbers (the integer arguments) are written as such; any other number as the
        // document writer writes it, so that it reads back the same.
        const double number = value.toDouble();
        if (number == std::trunc(number) && std::fabs(number) < 9007199254740992.0 &&
            !(number == 0 && std::signbit(number))) {
            out += QByteArray::number(static_cast<qint64>(number));
            return;
        }
        break;
    }
    case QJsonValue::Array:
    case QJsonValue::Object:
        break;
    }
    appendThroughDocument(out, value);
}

} // namespace ngc
