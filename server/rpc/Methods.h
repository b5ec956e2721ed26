#pragma once

#include <server/storage/Database.h>

#include <json/JsonSpan.h>

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

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

// One call being served: its arguments, already checked against the method's signature and read
// in place from the request, and the session it runs in. By-reference arguments go back as they
// came.
class Call final {
public:
    Call(Database &database, QList<JsonSpan> arguments)
        : args(std::move(arguments)), m_database(database)
    {
    }

    // The thread's database session, taken on first use, so a method that reads nothing never
    // waits for a connection (nor, on an in-memory database, for the other sessions).
    Database::Session &session()
    {
        if (!m_session)
            m_session.emplace(m_database.session());
        return *m_session;
    }
    bool hasSession() const { return m_session.has_value(); }

    // The six item keys as they arrive (see Layouts::itemKeys), starting at argument `first`.
    QVariantList itemKeys(int first) const
    {
        QVariantList keys;
        for (int i = first; i < first + 6; ++i)
            keys.append(args.at(i).toString());
        return keys;
    }

    QList<JsonSpan> args;

private:
    Database &m_database;
    std::optional<Database::Session> m_session;
};

struct MethodSpec {
    QString object;
    QString name;
    QList<ArgSpec> args;
    // Returns the reply's data part (a packet, an array of packets or null) as JSON text written
    // by a JsonWriter; throws InvalidParams or BusinessFailure.
    std::function<QByteArray(Call &)> run;
};

// The two remote objects and their methods: fifteen for the screen and a Ping on each object.
class Methods final {
public:
    Methods() = delete;

    static const QString &infoPlanNegObject();
    static const QString &suprimentosObject();
    static const QList<MethodSpec> &all();
    static bool hasObject(const QString &object);
    static const MethodSpec *find(const QString &object, const QString &method);
    // The data part of a reply that carries none.
    static QByteArray noData();
};

} // namespace ngc
