// Load driver for the application server over loopback: throughput and latency of the no-op
// (Ping), a cheap read, GetItemCole and SetItemCole at several connection counts, then a new
// client's latency beside idle keep-alive connections and the server's memory over a sustained
// load. Every phase runs for a fixed time and stops by itself.
//
//   bench_net_load [--seconds N] [--idle-seconds N]
//                  [--phase throughput|idle|crowd|scaleout|all]
//                  [--port N] [--method Ping|GetParaSupri|GetItemCole|SetItemCole]
//                  [--compare PATH]
//
// --port drives a server that is already running (throughput only) instead of starting one.
// --compare PATH runs every phase against a second server program too (another build of
// ngc-appserver, "before"), side by side in the same run: the throughput rows alternate between
// the two servers, so both see the same load from the rest of the machine.
// NGC_TEST_PG_URL, when set, repeats the throughput phase on PostgreSQL and measures GetItemCole
// there against a bare libpq point select of the same row.
//
// The crowd phase holds 2,000 idle connections, then 300 that send their headers a byte a
// second, and measures a normal client's calls beside each crowd. The scaleout phase (PostgreSQL
// only) drives one server, then two on the same database, with the same clients.
//
// The throughput phase drives each server twice: through TNetConnection, reading the packets as
// the screen does, and with a bare HTTP client that sends a ready request and only looks for
// "ok":true in the answer. Client and server share the machine's cores, so only the second shows
// the server's own throughput; the first adds what the screen's side of a call costs.
#include <server/HttpTestClient.h>
#include <support/AppServerProcess.h>

#include <net/CheckResultServ.h>
#include <net/TNetConnection.h>

#include <httplib.h>
#include <libpq-fe.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace ngc;
using Clock = std::chrono::steady_clock;

namespace {

const QString kPlan = QStringLiteral("Ngc27451.rdmInfoPlanNeg");
const QString kSupri = QStringLiteral("Ngc.rdmSuprimentos");

// The demo item's keys, in the order of the six-key argument list; or, with an index, those of
// one of the 36 items of the demo collection (products 1001-1003, brands 00001-00002, suppliers
// 1001-1003, regions 001-002), so that writers need not meet on one item.
struct Keys {
    Keys() = default;
    explicit Keys(int item)
        : produto(QString::number(1001 + item / 12 % 3)),
          marca(QStringLiteral("0000%1").arg(1 + item / 6 % 2)),
          forneced(QString::number(1001 + item / 2 % 3)),
          regiao(QStringLiteral("00%1").arg(1 + item % 2))
    {
    }

    QString filial = QString::fromLatin1(demo::cdFilial);
    QString colePreco = QString::fromLatin1(demo::nrColePreco);
    QString produto = QString::fromLatin1(demo::cdProduto);
    QString marca = QString::fromLatin1(demo::cdMarca);
    QString forneced = QString::fromLatin1(demo::cdForneced);
    QString regiao = QString::fromLatin1(demo::cdRegiao);
    QString complementar = QString::fromLatin1(demo::chaveComplementar);

    RemoteArgs args()
    {
        return {RemoteArg::stringRef(&filial),   RemoteArg::stringRef(&colePreco),
                RemoteArg::stringRef(&produto),  RemoteArg::stringRef(&marca),
                RemoteArg::stringRef(&forneced), RemoteArg::stringRef(&regiao)};
    }
};

bool ok(const QJsonValue &reply)
{
    return reply.toObject().value(QStringLiteral("ok")).toBool();
}

// One client: its own connection and its own copy of the keys, as one open screen has.
class Client {
public:
    Client(int port, const QString &object, Keys keys = {})
        : m_connection(object), m_keys(std::move(keys))
    {
        m_connection.SetPort(port);
        m_connection.Open();
    }

    // Each returns whether the server did what was asked; a read decodes its packet, as the
    // screen's loading does.
    bool ping() { return ok(m_connection.Call(QStringLiteral("Ping"), {})); }
    bool cheapRead()
    {
        packetOf(CheckResultServ(m_connection.Call(QStringLiteral("GetParaSupri"),
                                                   {RemoteArg::stringRef(&m_keys.filial)}),
                                 false));
        return true;
    }
    bool readItem()
    {
        packetOf(CheckResultServ(m_connection.Call(QStringLiteral("GetItemCole"), m_keys.args()),
                                 false));
        return true;
    }

    // Saves the item with its discount moved between two values, from the row last read. A
    // refusal (someone else saved in between) makes the next save re-read first.
    bool saveItem()
    {
        if (m_item.isEmpty())
            reloadItem();
        QJsonArray oldRow = m_item.value(QStringLiteral("rows")).toArray().at(0).toArray();
        QJsonArray newRow = oldRow;
        newRow[11] = oldRow.at(11).toDouble() == 4.0 ? 6.0 : 4.0;
        const QJsonObject delta{
            {QStringLiteral("fields"), m_item.value(QStringLiteral("fields"))},
            {QStringLiteral("changes"),
             QJsonArray{QJsonObject{{QStringLiteral("op"), QStringLiteral("update")},
                                    {QStringLiteral("old"), oldRow},
                                    {QStringLiteral("new"), newRow}}}}};
        QJsonValue nullFields;
        QString produto, regiao, forn, marca;
        const QJsonValue reply = m_connection.Call(
            QStringLiteral("SetItemCole"),
            {RemoteArg::variant(delta), RemoteArg::variantRef(&nullFields),
             RemoteArg::boolean(false), RemoteArg::stringRef(&m_keys.complementar),
             RemoteArg::integer(0), RemoteArg::integer(0), RemoteArg::integer(0),
             RemoteArg::integer(0), RemoteArg::stringRef(&produto), RemoteArg::stringRef(&regiao),
             RemoteArg::stringRef(&forn), RemoteArg::stringRef(&marca)});
        if (!ok(reply)) {
            m_item = {};
            return false;
        }
        QJsonArray rows{newRow};
        m_item[QStringLiteral("rows")] = rows;
        return true;
    }
    void reloadItem()
    {
        m_item =
            QJsonValue(CheckResultServ(
                           m_connection.Call(QStringLiteral("GetItemCole"), m_keys.args()), false))
                .toObject();
    }

private:
    TNetConnection m_connection;
    Keys m_keys;
    QJsonObject m_item;
};

enum class Method { NoOp, CheapRead, GetItemCole, SetItemCole };

// How the load is made: the connection a screen uses, a bare HTTP client, or (the baseline on
// PostgreSQL, GetItemCole only) a bare libpq client reading the row from the database itself.
enum class Driver { Connection, Bare, Libpq };

// The database and schema the libpq baseline reads.
QString g_libpqUrl;
QString g_libpqSchema;

const char *name(Method method)
{
    switch (method) {
    case Method::NoOp:
        return "Ping";
    case Method::CheapRead:
        return "GetParaSupri";
    case Method::GetItemCole:
        return "GetItemCole";
    case Method::SetItemCole:
        return "SetItemCole";
    }
    return "";
}

// A bare keep-alive HTTP client with Nagle's algorithm off, sending one ready request over and
// over: it costs the same little for every method, so the server's work is what differs.
class BareClient {
public:
    BareClient(int port, Method method, int timeoutSeconds = 300) : m_client("127.0.0.1", port)
    {
        m_client.set_keep_alive(true);
        m_client.set_tcp_nodelay(true);
        m_client.set_connection_timeout(timeoutSeconds);
        m_client.set_read_timeout(timeoutSeconds);
        m_client.set_write_timeout(timeoutSeconds);
        QJsonArray params;
        QString object = kPlan;
        const Keys keys;
        if (method == Method::CheapRead) {
            object = kSupri;
            params = {keys.filial};
        } else if (method == Method::GetItemCole) {
            params = {keys.filial, keys.colePreco, keys.produto,
                      keys.marca,  keys.forneced,  keys.regiao};
        }
        m_path = "/rpc/" + object.toStdString();
        m_body =
            QJsonDocument(QJsonObject{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                                      {QStringLiteral("id"), 1},
                                      {QStringLiteral("method"), QString::fromLatin1(name(method))},
                                      {QStringLiteral("params"), params}})
                .toJson(QJsonDocument::Compact)
                .toStdString();
    }

    bool call()
    {
        const httplib::Result result = m_client.Post(m_path, m_body, "application/json");
        if (!result)
            throw std::runtime_error(httplib::to_string(result.error()));
        return result->status == 200 && result->body.find("\"ok\":true") != std::string::npos;
    }

private:
    httplib::Client m_client;
    std::string m_path;
    std::string m_body;
};

// The baseline for GetItemCole on PostgreSQL: a client of PostgreSQL's own library, on a
// connection of its own, running the very statement the server runs for the demo item (prepared
// once, its text result left unread) over and over. It is what reading the row costs with no HTTP,
// no JSON and no server in between.
class LibpqClient {
public:
    LibpqClient(const QString &url, const QString &schema)
    {
        // The server's URL may carry its own "?schema="; the library takes the rest as it is.
        const QByteArray conninfo = url.section(QLatin1Char('?'), 0, 0).toUtf8();
        m_connection = PQconnectdb(conninfo.constData());
        if (PQstatus(m_connection) != CONNECTION_OK)
            fail("cannot connect");
        const QByteArray path = "SET search_path TO " + schema.toUtf8();
        check(PQexec(m_connection, path.constData()), PGRES_COMMAND_OK, "cannot set the schema");
        check(PQprepare(m_connection, "item", kItemSql, 6, nullptr), PGRES_COMMAND_OK,
              "cannot prepare");
    }
    ~LibpqClient() { PQfinish(m_connection); }
    LibpqClient(const LibpqClient &) = delete;
    LibpqClient &operator=(const LibpqClient &) = delete;

    bool call()
    {
        PGresult *result = PQexecPrepared(m_connection, "item", 6, m_keys, nullptr, nullptr, 0);
        const bool found = PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) == 1;
        PQclear(result);
        return found;
    }

private:
    // GetItemCole's statement, as the server prepares it (getItemCole in server/rpc/Methods.cpp,
    // with its "?" numbered): a change there belongs here too.
    static constexpr const char *kItemSql =
        "SELECT I.CDFILIAL, I.NRCOLEPRECO, I.CDPRODUTO, P.CDARVPROD, I.CDMARCA, I.CDFORNECED, "
        "I.CDREGIAO, I.CDTIPCOB, T.NMTIPOCOBR, I.VRPRECUNIITM, I.VRPRECECOITM, I.VRPERDESITM, "
        "I.QTACMPITMCOL, I.CDFORMPGTO, F.NMFORMPGTO, I.IDTPFOPGTCOL, I.NRPARCPGTCOL, "
        "I.NRDIAPGFXCOL, I.IDUTDIAPGCOL, I.IDTIPFREITM, I.NRPZOENTCOL, I.DTINIVALITM, "
        "I.DTFINVALITM, I.CDSEGMARCCOL, M.NMMARCA, I.VRFRETEFORN "
        "FROM ITEMCOLE I "
        "LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO "
        "LEFT JOIN TIPOCOBR T ON T.CDTIPCOB = I.CDTIPCOB "
        "LEFT JOIN FORMPGTO F ON F.CDFORMPGTO = I.CDFORMPGTO "
        "LEFT JOIN MARCA M ON M.CDMARCA = I.CDSEGMARCCOL "
        "WHERE I.CDFILIAL = $1 AND I.NRCOLEPRECO = $2 AND I.CDPRODUTO = $3 AND I.CDMARCA = $4 "
        "AND I.CDFORNECED = $5 AND I.CDREGIAO = $6";

    [[noreturn]] void fail(const char *what)
    {
        throw std::runtime_error(std::string(what) + ": " + PQerrorMessage(m_connection));
    }
    void check(PGresult *result, ExecStatusType wanted, const char *what)
    {
        const bool ok = PQresultStatus(result) == wanted;
        PQclear(result);
        if (!ok)
            fail(what);
    }

    PGconn *m_connection = nullptr;
    const char *const m_keys[6] = {demo::cdFilial, demo::nrColePreco, demo::cdProduto,
                                   demo::cdMarca,  demo::cdForneced,  demo::cdRegiao};
};

struct LoadResult {
    double callsPerSecond = 0;
    double p50 = 0;
    double p99 = 0;
    long calls = 0;
    long refused = 0;
    long errors = 0;
};

double percentile(std::vector<double> &sorted, double p)
{
    if (sorted.empty())
        return 0;
    const size_t index = std::min(sorted.size() - 1, size_t(p * double(sorted.size())));
    return sorted[index];
}

LoadResult summarize(std::vector<std::vector<double>> &perThread, double seconds, long refused,
                     long errors)
{
    std::vector<double> all;
    for (auto &samples : perThread)
        all.insert(all.end(), samples.begin(), samples.end());
    std::sort(all.begin(), all.end());
    LoadResult result;
    result.calls = long(all.size());
    result.callsPerSecond = double(all.size()) / seconds;
    result.p50 = percentile(all, 0.50);
    result.p99 = percentile(all, 0.99);
    result.refused = refused;
    result.errors = errors;
    return result;
}

// `connections` clients, each on a thread of its own and a connection to one of `ports` in turn;
// with `ownItems`, each saves an item of its own instead of all the demo item.
LoadResult runLoad(const std::vector<int> &ports, Method method, int connections, double seconds,
                   Driver driver = Driver::Connection, bool ownItems = false)
{
    std::vector<std::vector<double>> latencies(static_cast<size_t>(connections));
    std::atomic<long> refused = 0;
    std::atomic<long> errors = 0;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    std::vector<std::thread> threads;
    for (int i = 0; i < connections; ++i) {
        threads.emplace_back([&, i] {
            std::unique_ptr<Client> client;
            std::unique_ptr<BareClient> bare;
            const int port = ports[static_cast<std::size_t>(i) % ports.size()];
            std::unique_ptr<LibpqClient> libpq;
            if (driver == Driver::Bare)
                bare = std::make_unique<BareClient>(port, method);
            else if (driver == Driver::Libpq)
                libpq = std::make_unique<LibpqClient>(g_libpqUrl, g_libpqSchema);
            else
                client =
                    std::make_unique<Client>(port, method == Method::CheapRead ? kSupri : kPlan,
                                             ownItems ? Keys(i) : Keys());
            auto &mine = latencies[size_t(i)];
            while (Clock::now() < end) {
                const auto started = Clock::now();
                try {
                    bool done = false;
                    if (bare) {
                        done = bare->call();
                    } else if (libpq) {
                        done = libpq->call();
                    } else {
                        switch (method) {
                        case Method::NoOp:
                            done = client->ping();
                            break;
                        case Method::CheapRead:
                            done = client->cheapRead();
                            break;
                        case Method::GetItemCole:
                            done = client->readItem();
                            break;
                        case Method::SetItemCole:
                            done = client->saveItem();
                            break;
                        }
                    }
                    mine.push_back(
                        std::chrono::duration<double, std::milli>(Clock::now() - started).count());
                    if (!done)
                        ++refused;
                } catch (const std::exception &error) {
                    if (errors++ == 0)
                        std::fprintf(stderr, "%s: %s\n", name(method), error.what());
                }
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    return summarize(latencies, seconds, refused, errors);
}

// Empty: every method.
QString g_onlyMethod;

// The server programs driven: this build's, then the one given with --compare.
struct ServerProgram {
    QString label;
    QString path;
};
std::vector<ServerProgram> g_programs{{QStringLiteral("after"), QStringLiteral(NGC_APPSERVER)}};

// One running server of each program, each on a database of its own.
struct Running {
    QString label;
    std::unique_ptr<AppServerProcess> process;
};
std::vector<Running> startAll(const std::function<QStringList(const QString &)> &argsFor)
{
    std::vector<Running> running;
    for (const ServerProgram &program : g_programs)
        running.push_back({program.label, std::make_unique<AppServerProcess>(
                                              program.path, argsFor(program.label))});
    return running;
}

struct Target {
    QString label;
    int port;
};

void throughputTable(const QString &title, const std::vector<Target> &targets, double seconds,
                     Driver driver)
{
    std::printf("\n### %s, %s\n\n", qPrintable(title),
                driver == Driver::Bare ? "bare HTTP client" : "through TNetConnection");
    std::printf("| method | connections | server | calls/s | p50 ms | p99 ms | calls | refused | "
                "errors |\n");
    std::printf("|---|---:|---|---:|---:|---:|---:|---:|---:|\n");
    for (int connections : {1, 8, 32}) {
        std::vector<double> noOp(targets.size());
        for (Method method :
             {Method::NoOp, Method::CheapRead, Method::GetItemCole, Method::SetItemCole}) {
            if (!g_onlyMethod.isEmpty() && g_onlyMethod != QString::fromLatin1(name(method)))
                continue;
            // A save needs the item's last values, which only the connection keeps.
            if (driver == Driver::Bare && method == Method::SetItemCole)
                continue;
            for (std::size_t t = 0; t < targets.size(); ++t) {
                const LoadResult r =
                    runLoad({targets[t].port}, method, connections, seconds, driver);
                if (method == Method::NoOp)
                    noOp[t] = r.callsPerSecond;
                std::printf("| %s | %d | %s | %.0f | %.3f | %.3f | %ld | %ld | %ld |\n",
                            name(method), connections, qPrintable(targets[t].label),
                            r.callsPerSecond, r.p50, r.p99, r.calls, r.refused, r.errors);
                if (method == Method::GetItemCole && noOp[t] > 0)
                    std::printf("| GetItemCole / Ping | %d | %s | %.2f | | | | | |\n", connections,
                                qPrintable(targets[t].label), r.callsPerSecond / noOp[t]);
                std::fflush(stdout);
            }
        }
    }
}

// GetItemCole through each server, with both drivers, against the libpq baseline reading the
// same row from the first server's schema; each connection count in turn, all in one run.
void libpqTable(const std::vector<Target> &targets, double seconds)
{
    std::printf("\n### PostgreSQL, GetItemCole against a bare libpq point select of the same "
                "row\n\n");
    std::printf("| connections | client | server | calls/s | p50 ms | p99 ms | of libpq |\n");
    std::printf("|---:|---|---|---:|---:|---:|---:|\n");
    for (int connections : {1, 8, 32}) {
        const LoadResult base =
            runLoad({0}, Method::GetItemCole, connections, seconds, Driver::Libpq);
        std::printf("| %d | libpq | - | %.0f | %.3f | %.3f | 1.00 |\n", connections,
                    base.callsPerSecond, base.p50, base.p99);
        for (const Target &target : targets) {
            for (Driver driver : {Driver::Bare, Driver::Connection}) {
                const LoadResult r =
                    runLoad({target.port}, Method::GetItemCole, connections, seconds, driver);
                std::printf("| %d | %s | %s | %.0f | %.3f | %.3f | %.2f |\n", connections,
                            driver == Driver::Bare ? "bare HTTP" : "TNetConnection",
                            qPrintable(target.label), r.callsPerSecond, r.p50, r.p99,
                            r.callsPerSecond / base.callsPerSecond);
            }
        }
        std::fflush(stdout);
    }
}

void throughputPhase(const QString &title,
                     const std::function<QStringList(const QString &)> &argsFor, double seconds,
                     bool againstLibpq = false)
{
    const std::vector<Running> servers = startAll(argsFor);
    std::vector<Target> targets;
    for (const Running &server : servers)
        targets.push_back({server.label, server.process->port()});
    throughputTable(title, targets, seconds, Driver::Bare);
    throughputTable(title, targets, seconds, Driver::Connection);
    if (againstLibpq && (g_onlyMethod.isEmpty() || g_onlyMethod == QLatin1String("GetItemCole")))
        libpqTable(targets, seconds);
}

// A normal client's calls beside a crowd: each call waits at most `timeout`, and the client
// stops after 200 calls or `budget`, whichever comes first.
void normalClient(const char *beside, const QString &label, int port, std::chrono::seconds timeout,
                  std::chrono::seconds budget)
{
    std::vector<std::vector<double>> samples(1);
    long failed = 0;
    const auto end = Clock::now() + budget;
    BareClient client(port, Method::GetItemCole, static_cast<int>(timeout.count()));
    for (int i = 0; i < 200 && Clock::now() < end; ++i) {
        const auto started = Clock::now();
        try {
            if (client.call())
                samples[0].push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - started).count());
            else
                ++failed;
        } catch (const std::exception &) {
            ++failed;
        }
    }
    const LoadResult r = summarize(samples, 1, 0, failed);
    std::printf("| %s | %s | %ld | %ld | %.3f | %.3f |\n", beside, qPrintable(label), r.calls,
                r.errors, r.p50, r.p99);
    std::fflush(stdout);
}

// 2,000 idle connections (every other one after a call of its own), then 300 sending their
// headers a byte a second; the connections come from several loopback addresses, as many
// clients' would, each under the server's per-client cap.
void crowdPhase(const std::function<QStringList(const QString &)> &argsFor)
{
    std::printf("\n### A normal client beside a crowd (SQLite file, GetItemCole, bare client, "
                "200 calls, each given up after 10 s, at most 30 s in all)\n\n");
    std::printf("| beside | server | calls answered | calls failed | p50 ms | p99 ms |\n");
    std::printf("|---|---|---:|---:|---:|---:|\n");
    for (const ServerProgram &program : g_programs) {
        AppServerProcess server(program.path, argsFor(program.label));
        const QByteArray ping = QByteArrayLiteral(R"({"jsonrpc":"2.0","id":1,"method":"Ping"})");
        const std::string path = "/rpc/" + kPlan.toStdString();
        {
            std::vector<std::unique_ptr<RawConnection>> idle;
            // A server that serves a connection per thread stops answering once its threads
            // are taken; the rest then stay idle without a call.
            bool answering = true;
            for (int i = 0; i < 2000; ++i) {
                const std::string from = "127.0.1." + std::to_string(1 + i % 16);
                idle.push_back(std::make_unique<RawConnection>(server.port(), 1, from.c_str()));
                if (answering && i % 2 == 0)
                    answering = idle.back()->post(path, ping) == 200;
            }
            normalClient("2,000 idle connections", program.label, server.port(),
                         std::chrono::seconds(10), std::chrono::seconds(30));
        }
        Tricklers tricklers(server.port(), path, 300, std::chrono::seconds(1),
                            {"127.0.2.1", "127.0.2.2", "127.0.2.3", "127.0.2.4"});
        std::this_thread::sleep_for(std::chrono::seconds(2));
        normalClient("300 trickling connections", program.label, server.port(),
                     std::chrono::seconds(10), std::chrono::seconds(30));
    }
}

// One server against two on the same PostgreSQL database, with the same clients spread over
// them, in the same run: GetItemCole with the bare client, and saves of an item per client
// through TNetConnection.
void scaleOutPhase(const QString &pg, double seconds)
{
    const QStringList database{QStringLiteral("--db"),
                               pg + (pg.contains(QLatin1Char('?')) ? u'&' : u'?') +
                                   QStringLiteral("schema=bench_scaleout")};
    // The first creates the tables and loads the demo data, alone; the second finds them.
    AppServerProcess first(g_programs[0].path, database);
    AppServerProcess second(g_programs[0].path, database);
    std::printf("\n### One server and two on one PostgreSQL database, same clients\n\n");
    std::printf("| method | clients | servers | calls/s | p50 ms | p99 ms | calls | refused | "
                "errors | two / one |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (int clients : {8, 32}) {
        for (const auto &[method, driver] : {std::pair{Method::GetItemCole, Driver::Bare},
                                             std::pair{Method::SetItemCole, Driver::Connection}}) {
            double one = 0;
            for (const std::vector<int> &ports :
                 {std::vector<int>{first.port()}, std::vector<int>{first.port(), second.port()}}) {
                const LoadResult r = runLoad(ports, method, clients, seconds, driver, true);
                if (ports.size() == 1)
                    one = r.callsPerSecond;
                std::printf("| %s | %d | %zu | %.0f | %.3f | %.3f | %ld | %ld | %ld | %s |\n",
                            name(method), clients, ports.size(), r.callsPerSecond, r.p50, r.p99,
                            r.calls, r.refused, r.errors,
                            ports.size() == 1
                                ? ""
                                : qPrintable(QString::number(r.callsPerSecond / one, 'f', 2)));
                std::fflush(stdout);
            }
        }
    }
}

void idlePhase(const ServerProgram &program, const QStringList &serverArgs, double seconds)
{
    AppServerProcess server(program.path, serverArgs);
    std::printf("\n### Idle connections and memory (SQLite file), %s\n\n",
                qPrintable(program.label));

    // 64 screens open and idle: each has called once, so each holds a live keep-alive socket.
    std::vector<std::unique_ptr<Client>> idle;
    for (int i = 0; i < 64; ++i) {
        idle.push_back(std::make_unique<Client>(server.port(), kPlan));
        idle.back()->readItem();
    }
    std::vector<std::vector<double>> newClient(1);
    long errors = 0;
    {
        Client client(server.port(), kPlan);
        for (int i = 0; i < 200; ++i) {
            const auto started = Clock::now();
            try {
                client.readItem();
                newClient[0].push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - started).count());
            } catch (const std::exception &error) {
                if (errors++ == 0)
                    std::fprintf(stderr, "new client: %s\n", error.what());
            }
        }
    }
    const LoadResult fresh = summarize(newClient, 1, 0, errors);
    std::printf("New client beside 64 idle connections: %ld calls, p50 %.3f ms, p99 %.3f ms, "
                "%ld errors\n\n",
                fresh.calls, fresh.p50, fresh.p99, fresh.errors);

    // Sustained load (8 readers, 2 writers) while the idle connections stay open; the server's
    // resident memory is sampled every second.
    std::atomic<bool> running = true;
    std::vector<long> rss;
    std::thread sampler([&] {
        while (running) {
            rss.push_back(server.rssKiB());
            std::this_thread::sleep_for(std::chrono::seconds(1));
        }
    });
    std::thread readers([&] { runLoad({server.port()}, Method::GetItemCole, 8, seconds); });
    const LoadResult writes = runLoad({server.port()}, Method::SetItemCole, 2, seconds);
    readers.join();
    running = false;
    sampler.join();
    std::printf("Sustained load for %.0f s: %ld saves (%ld refused), server RSS KiB per 10 s:",
                seconds, writes.calls, writes.refused);
    for (size_t i = 0; i < rss.size(); i += 10)
        std::printf(" %ld", rss[i]);
    if (!rss.empty()) {
        // The first seconds fill caches and start workers; growth is measured after them.
        const size_t from = std::min<size_t>(5, rss.size() - 1);
        const long peak = *std::max_element(rss.begin() + long(from), rss.end());
        std::printf("\nRSS after warm-up %ld KiB, peak %ld KiB, end %ld KiB (%+.1f%%)\n", rss[from],
                    peak, rss.back(), 100.0 * double(rss.back() - rss[from]) / double(rss[from]));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Two thousand connections are two thousand descriptors here, and as many in the server.
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    double seconds = 5;
    double idleSeconds = 60;
    QString phase = QStringLiteral("all");
    int port = 0;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QStringLiteral("--seconds"))
            seconds = args[i + 1].toDouble();
        else if (args[i] == QStringLiteral("--idle-seconds"))
            idleSeconds = args[i + 1].toDouble();
        else if (args[i] == QStringLiteral("--phase"))
            phase = args[i + 1];
        else if (args[i] == QStringLiteral("--method"))
            g_onlyMethod = args[i + 1];
        else if (args[i] == QStringLiteral("--port"))
            port = args[i + 1].toInt();
        else if (args[i] == QStringLiteral("--compare"))
            g_programs.push_back({QStringLiteral("before"), args[i + 1]});
    }

    QTemporaryDir dir;
    // Each server has a database of its own.
    auto sqliteFile = [&dir](const QString &name) {
        return [&dir, name](const QString &label) {
            return QStringList{QStringLiteral("--db"),
                               QStringLiteral("sqlite:") +
                                   dir.filePath(name + label + QStringLiteral(".db"))};
        };
    };
    const auto all = [&phase](const char *name) {
        return phase == QStringLiteral("all") || phase == QLatin1String(name);
    };
    try {
        if (port != 0) {
            const QString label = QStringLiteral("Server on port %1").arg(port);
            throughputTable(label, {{QStringLiteral("-"), port}}, seconds, Driver::Bare);
            throughputTable(label, {{QStringLiteral("-"), port}}, seconds, Driver::Connection);
            return 0;
        }
        if (all("throughput")) {
            throughputPhase(QStringLiteral("SQLite file (WAL)"),
                            sqliteFile(QStringLiteral("bench-")), seconds);
            const QString pg = qEnvironmentVariable("NGC_TEST_PG_URL");
            if (!pg.isEmpty()) {
                g_libpqUrl = pg;
                g_libpqSchema = QStringLiteral("bench_") + g_programs.front().label;
                throughputPhase(
                    QStringLiteral("PostgreSQL"),
                    [&pg](const QString &label) {
                        return QStringList{QStringLiteral("--db"),
                                           pg + (pg.contains(QLatin1Char('?')) ? u'&' : u'?') +
                                               QStringLiteral("schema=bench_") + label};
                    },
                    seconds, true);
            }
        }
        if (all("idle")) {
            for (const ServerProgram &program : g_programs)
                idlePhase(program, sqliteFile(QStringLiteral("idle-"))(program.label), idleSeconds);
        }
        if (all("crowd"))
            crowdPhase(sqliteFile(QStringLiteral("crowd-")));
        if (all("scaleout")) {
            const QString pg = qEnvironmentVariable("NGC_TEST_PG_URL");
            if (pg.isEmpty())
                std::printf("\nOne server against two: skipped, NGC_TEST_PG_URL is not set\n");
            else
                scaleOutPhase(pg, seconds);
        }
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench_net_load: %s\n", error.what());
        return 1;
    }
    return 0;
}
