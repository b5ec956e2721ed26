#pragma once

#include <QString>

#include <stdexcept>

namespace ngc {

// The request itself is wrong (argument count or kind, a packet that is not the expected layout,
// a value longer than its column, an unknown field name, a malformed selection): answered with
// the JSON-RPC error "invalid params", nothing written.
class InvalidParams : public std::runtime_error {
public:
    explicit InvalidParams(const QString &message) : std::runtime_error(message.toStdString()) {}
};

// The request is well formed but the business refuses it (a closed collection, a lost update, a
// duplicate term): answered with {"ok":false,"message":...}, a text for the user, nothing
// written.
class BusinessFailure : public std::runtime_error {
public:
    explicit BusinessFailure(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString userMessage() const { return QString::fromStdString(what()); }
};

} // namespace ngc
