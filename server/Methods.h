#pragma once

#include "Database.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <functional>

namespace ngc {

// How an argument travels: by-reference arguments are sent back, final value, in "refs".
enum class ArgKind {
    StringValue,
    StringRef,
    VariantValue, // null or a delta packet
    VariantRef,   // null or an array of strings
    Boolean,
    Integer, // signed 32 bits
};

struct ArgSpec {
    ArgKind kind;
    QString name;
    int maxLength = 0; // strings: the column the value is compared with; 0 means unchecked
};

// One call being served: the session it runs in and its arguments, already checked against the
// method's signature. A method may change by-reference arguments in place.
struct Call {
    Database::Session &session;
    QJsonArray args;
};

struct MethodSpec {
    QString object;
    QString name;
    QList<ArgSpec> args;
    // Returns the reply's data part (a packet, an array of packets or null); throws
    // InvalidParams or BusinessFailure.
    std::function<QJsonValue(Call &)> run;
};

// The two remote objects and their fifteen methods.
class Methods final {
public:
    Methods() = delete;

    static const QString &infoPlanNegObject();
    static const QString &suprimentosObject();
    static const QList<MethodSpec> &all();
    static bool hasObject(const QString &object);
    static const MethodSpec *find(const QString &object, const QString &method);
};

} // namespace ngc
