#pragma once

#include <json/JsonSpan.h>

#include <QJsonValue>
#include <QList>
#include <QString>

namespace ngc {

// One positional argument of a remote call. By-value arguments carry their value; by-reference
// ones point at the caller's variable, which is read when the call is sent and overwritten with
// what the server left in it once the call has succeeded. The variable must outlive the call.
class RemoteArg final {
public:
    enum class Kind { String, StringRef, Variant, VariantRef, Boolean, Integer };

    static RemoteArg string(const QString &value);
    static RemoteArg stringRef(QString *variable);
    // A variant is a null, an array of strings (a list of field names) or a data packet.
    static RemoteArg variant(const QJsonValue &value);
    static RemoteArg variantRef(QJsonValue *variable);
    static RemoteArg boolean(bool value);
    static RemoteArg integer(qint32 value);

    Kind kind() const { return m_kind; }
    bool isReference() const { return m_kind == Kind::StringRef || m_kind == Kind::VariantRef; }

    // The value as it goes on the wire.
    QJsonValue toJson() const;
    // The text of a string argument (by value or by reference) without wrapping it in a JSON
    // value; empty for the other kinds.
    QString text() const;

    // Whether the server's final value fits the variable (a string reference takes only a
    // string). Checked for every argument before any is written back.
    bool accepts(const JsonSpan &value) const;
    // Writes the server's final value into the variable; by-value arguments ignore it.
    void writeBack(const JsonSpan &value) const;

private:
    RemoteArg(Kind kind, QJsonValue value) : m_kind(kind), m_value(std::move(value)) {}

    Kind m_kind;
    QJsonValue m_value;
    QString *m_stringRef = nullptr;
    QJsonValue *m_variantRef = nullptr;
};

using RemoteArgs = QList<RemoteArg>;

} // namespace ngc
