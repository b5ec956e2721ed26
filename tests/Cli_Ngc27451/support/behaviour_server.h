#pragma once

#include <data/DataPacket.h>
#include <net/TNetConnection.h>
#include <support/AppServerProcess.h>

#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

#include <initializer_list>
#include <memory>

namespace behaviour {

// The eight launch keys of one opening of the screen, in the entry's order.
struct LaunchKeys {
    QString cdFilial;
    QString nrColePreco;
    QString cdForneced;
    QString cdProduto;
    QString chaveMarca;
    QString cdMarca;
    QString cdRegiao;
    QString chaveComplementar;
};

// The item the demo data set is built around (unit price 20, discount 5, a registered payment
// form with two instalments, a second brand, taxes listed by branch for three branches).
LaunchKeys demoItem();
// Another item of the same open collection, paid on a fixed day (10) in 3 instalments.
LaunchKeys fixedDayItem();
// The demo item's twin in the collection that no longer accepts changes.
LaunchKeys closedCollectionItem();

// The real application server, run as a child process on a free port of 127.0.0.1 over a SQLite
// file of its own seeded with the demo data; stopped when this object goes.
class AppServer final {
public:
    AppServer();
    ~AppServer();
    AppServer(const AppServer &) = delete;
    AppServer &operator=(const AppServer &) = delete;

    int port() const { return m_server.port(); }
    QString dbPath() const;
    // Stops the server at once, as a crash or a lost network would.
    void kill() { m_server.kill(); }

    // Changes the stored data behind the server's back (the file is shared in WAL mode), for
    // the cases the demo data does not hold.
    void exec(const QString &sql, const QVariantList &values = {});

    // A connection of its own, as a second buyer's screen or a report would have.
    QJsonValue call(const QString &object, const QString &method, const ngc::RemoteArgs &args);
    // The stored item and its taxes as the server answers for them now.
    ngc::DataPacket item(LaunchKeys keys);
    ngc::DataPacket taxesByBranch(LaunchKeys keys);
    ngc::DataPacket taxList(LaunchKeys keys);

    static QString program();

private:
    QTemporaryDir m_dir;
    AppServerProcess m_server;
};

// Every remote call of the process while it lives, in order (the connection's trace hook).
class CallRecorder final {
public:
    CallRecorder();
    ~CallRecorder();
    CallRecorder(const CallRecorder &) = delete;
    CallRecorder &operator=(const CallRecorder &) = delete;

    const QList<ngc::CallTrace> &calls() const { return m_calls; }
    QStringList methods() const;
    int count(const QString &method) const;
    // The last call of a method; fails the test when there is none.
    ngc::CallTrace last(const QString &method) const;
    void clear() { m_calls.clear(); }

private:
    QList<ngc::CallTrace> m_calls;
    ngc::TNetConnection::TraceHook m_previous;
};

// A field of a packet's first row, null when the packet has no rows.
QVariant valueOf(const ngc::DataPacket &packet, const QString &field);

// The SQL condition (" WHERE ...") that selects the demo item's row, for AppServer::exec.
QString demoWhere();

// A JSON array of texts, as remote calls carry arguments and field lists.
QJsonArray strings(std::initializer_list<const char *> texts);

// A text of a table of cases (UTF-8), nullptr read as empty.
QString str(const char *utf8);

} // namespace behaviour
