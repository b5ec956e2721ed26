#include "RemoteArg.h"

namespace ngc {

RemoteArg RemoteArg::string(const QString &value)
{
    return RemoteArg(Kind::String, QJsonValue(value));
}

RemoteArg RemoteArg::stringRef(QString *variable)
{
    Q_ASSERT(variable);
    RemoteArg arg(Kind::StringRef, QJsonValue());
    arg.m_stringRef = variable;
    return arg;
}

RemoteArg RemoteArg::variant(const QJsonValue &value)
{
    // An undefined value would silently turn into null on the wire; say null outright.
    return RemoteArg(Kind::Variant, value.isUndefined() ? QJsonValue() : value);
}

RemoteArg RemoteArg::variantRef(QJsonValue *variable)
{
    Q_ASSERT(variable);
    RemoteArg arg(Kind::VariantRef, QJsonValue());
    arg.m_variantRef = variable;
    return arg;
}

RemoteArg RemoteArg::boolean(bool value)
{
    return RemoteArg(Kind::Boolean, QJsonValue(value));
}

RemoteArg RemoteArg::integer(qint32 value)
{
    return RemoteArg(Kind::Integer, QJsonValue(value));
}

QJsonValue RemoteArg::toJson() const
{
    switch (m_kind) {
    case Kind::StringRef:
        return QJsonValue(*m_stringRef);
    case Kind::VariantRef:
        return m_variantRef->isUndefined() ? QJsonValue() : *m_variantRef;
    case Kind::String:
    case Kind::Variant:
    case Kind::Boolean:
    case Kind::Integer:
        break;
    }
    return m_value;
}

QString RemoteArg::text() const
{
    switch (m_kind) {
    case Kind::StringRef:
        return *m_stringRef;
    case Kind::String:
        return m_value.toString();
    case Kind::Variant:
    case Kind::VariantRef:
    case Kind::Boolean:
    case Kind::Integer:
        break;
    }
    return {};
}

bool RemoteArg::accepts(const JsonSpan &value) const
{
    switch (m_kind) {
    case Kind::StringRef:
        return value.isString();
    case Kind::VariantRef:
        return !value.isUndefined();
    case Kind::String:
    case Kind::Variant:
    case Kind::Boolean:
    case Kind::Integer:
        break;
    }
    return true;
}

void RemoteArg::writeBack(const JsonSpan &value) const
{
    if (m_kind == Kind::StringRef)
        *m_stringRef = value.toString();
    else if (m_kind == Kind::VariantRef)
        *m_variantRef = value.toJson();
}

} // namespace ngc
