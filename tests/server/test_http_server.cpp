#include "HttpTestClient.h"
#include "ServerTestSupport.h"

#include <server/AppServer.h>
#include <support/AppServerProcess.h>
#include <support/PostgresCluster.h>
#include <support/TestCertificates.h>

#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <barrier>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

const std::string kPath = "/rpc/Ngc27451.rdmInfoPlanNeg";

ngc::ServerConfig config(const QString &token = {}, qint64 maxBody = 8 << 20)
{
    ngc::ServerConfig config;
    config.http.host = QStringLiteral("127.0.0.1");
    config.http.port = 0;
    config.http.token = token;
    config.http.maxBodyBytes = maxBody;
    config.databaseUrl = QStringLiteral("sqlite::memory:");
    config.seedDemo = true;
    return config;
}

std::unique_ptr<ngc::AppServer> start(const QString &token = {}, qint64 maxBody = 8 << 20)
{
    return ngc::startServer(config(token, maxBody));
}

const QJsonObject json(const QByteArray &body)
{
    return QJsonDocument::fromJson(body).object();
}

// Every socket of a test is two descriptors in this process (client and server side).
void allowManyDescriptors()
{
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

// A GET of `path` on a connection of its own: the status and the body.
std::pair<int, QByteArray> get(int port, const std::string &path, const std::string &headers = {})
{
    RawConnection connection(port, 5);
    QByteArray body;
    if (!connection.send("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n"))
        return {0, body};
    const int status = connection.read(&body);
    return {status, body};
}

// Another writer's transaction on a SQLite file, holding its write lock until destroyed: a save
// sent meanwhile waits in the database.
class WriteLock {
public:
    explicit WriteLock(const QString &path)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", kName);
        db.setDatabaseName(path);
        if (!db.open() || !QSqlQuery(db).exec("BEGIN IMMEDIATE"))
            throw std::runtime_error("cannot lock " + path.toStdString());
    }
    ~WriteLock()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(kName);
            QSqlQuery(db).exec("ROLLBACK");
            db.close();
        }
        QSqlDatabase::removeDatabase(kName);
    }
    WriteLock(const WriteLock &) = delete;
    WriteLock &operator=(const WriteLock &) = delete;

private:
    static constexpr const char *kName = "write-lock";
};

std::string chunked(std::size_t bytes, std::size_t chunk)
{
    std::string body;
    for (std::size_t sent = 0; sent < bytes; sent += chunk) {
        char size[32];
        std::snprintf(size, sizeof size, "%zx\r\n", chunk);
        body += size + std::string(chunk, ' ') + "\r\n";
    }
    return body + "0\r\n\r\n";
}

TEST(HttpServer, BearerTokenIsRequiredWhenConfigured)
{
    const auto server = start(QStringLiteral("s3cret-token"));
    const QByteArray body = rpcBody("GetTipoCobr", {"", "T"});
    using namespace std::string_literals;
    const QList<std::tuple<const char *, std::string, int>> cases{
        {"no header", "", 401},
        {"wrong token", "Authorization: Bearer s3cret-tokeX\r\n", 401},
        {"token prefix only", "Authorization: Bearer s3cret\r\n", 401},
        {"other scheme", "Authorization: Basic s3cret-token\r\n", 401},
        {"NUL after the token", "Authorization: Bearer s3cret-token\0junk\r\n"s, 400},
        {"right token", "Authorization: Bearer s3cret-token\r\n", 200},
    };
    for (const auto &[name, header, status] : cases) {
        SCOPED_TRACE(name);
        RawConnection connection(server->port());
        QByteArray response;
        EXPECT_EQ(connection.post(kPath, body, &response, header), status);
        if (status == 200)
            EXPECT_TRUE(json(response)["result"]["reply"]["ok"].toBool());
        else
            EXPECT_EQ(json(response)["error"]["code"].toInt(), -32600);
    }
}

// Whatever a client sends, the answer is an HTTP status with a JSON-RPC error, the connection
// closes, and the next client is served.
TEST(HttpServer, MalformedOrOversizedRequestsAreRefused)
{
    ngc::ServerConfig settings = config({}, 4096);
    settings.http.maxHeaderBytes = 2048;
    const auto server = ngc::startServer(settings);
    const std::string head = "POST " + kPath + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    using namespace std::string_literals;
    const QList<std::tuple<const char *, std::string, int>> cases{
        {"length over the limit",
         RawConnection::request(kPath, rpcBody("GetTipoCobr", {QString(5000, 'x'), "T"})), 413},
        {"chunks over the limit", head + "Transfer-Encoding: chunked\r\n\r\n" + chunked(6000, 1000),
         413},
        {"headers over the limit", head + "X-Pad: " + std::string(3000, 'x') + "\r\n\r\n", 431},
        {"NUL in a value", head + "X-Note: a\0b\r\nContent-Length: 0\r\n\r\n"s, 400},
        {"control character in a value", head + "X-Note: a\x01z\r\nContent-Length: 0\r\n\r\n", 400},
        {"bad chunk size", head + "Transfer-Encoding: chunked\r\n\r\nzz\r\n", 400},
        {"not HTTP", "HELLO\r\n\r\n", 400},
        {"other path", RawConnection::request("/other", rpcBody("Ping", {})), 404},
        {"other verb", "GET " + kPath + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", 405},
    };
    for (const auto &[name, request, status] : cases) {
        SCOPED_TRACE(name);
        RawConnection connection(server->port());
        ASSERT_TRUE(connection.send(request));
        QByteArray response;
        std::string headers;
        EXPECT_EQ(connection.read(&response, &headers), status);
        EXPECT_EQ(json(response)["error"]["code"].toInt(), -32600);
        EXPECT_NE(headers.find("Connection: close"), std::string::npos);
        EXPECT_TRUE(connection.closedByServer());
    }
    RawConnection next(server->port());
    QByteArray response;
    EXPECT_EQ(next.post(kPath, rpcBody("GetTipoCobr", {"", "T"}), &response), 200);
    EXPECT_EQ(json(response)["result"]["reply"]["data"]["rows"].toArray().size(), 3);
}

TEST(HttpServer, NotificationsAreAnsweredWithNoContentAndBatchesWithAnArray)
{
    const auto server = start();
    const QList<std::tuple<const char *, QByteArray, int, int>> cases{
        {"notification", R"({"jsonrpc":"2.0","method":"Ping"})", 204, 0},
        {"batch of notifications",
         R"([{"jsonrpc":"2.0","method":"Ping"},{"jsonrpc":"2.0","method":"Ping"}])", 204, 0},
        {"batch",
         R"([{"jsonrpc":"2.0","method":"Ping","id":1},{"jsonrpc":"2.0","method":"Ping"},)"
         R"({"jsonrpc":"2.0","method":"Ping","id":null}])",
         200, 2},
    };
    RawConnection connection(server->port());
    for (const auto &[name, body, status, replies] : cases) {
        SCOPED_TRACE(name);
        QByteArray response;
        EXPECT_EQ(connection.post(kPath, body, &response), status);
        EXPECT_EQ(QJsonDocument::fromJson(response).array().size(), replies);
    }
}

// Requests written back to back on one connection are all run, in order, and answered in order:
// each save changes the discount the one before it left, so a save run out of order or twice
// would be refused as a lost update.
TEST(HttpServer, PipelinedRequestsAreAllRunAndAnsweredInOrder)
{
    const auto server = start();
    for (const int count : {3, 200}) {
        SCOPED_TRACE(count);
        RawConnection connection(server->port());
        QByteArray body;
        ASSERT_EQ(connection.post(kPath, rpcBody("GetItemCole", demoKeys()), &body), 200);
        const QJsonObject packet = json(body)["result"]["reply"]["data"].toObject();
        QJsonArray oldRow = packet["rows"][0].toArray();
        std::string pipeline;
        for (int i = 1; i <= count; ++i) {
            QJsonArray newRow = oldRow;
            newRow[11] = 10 + i * 0.25;
            const QJsonObject delta{
                {"fields", packet["fields"]},
                {"changes",
                 QJsonArray{QJsonObject{{"op", "update"}, {"old", oldRow}, {"new", newRow}}}}};
            pipeline += RawConnection::request(
                kPath,
                rpcBody("SetItemCole",
                        {delta, QJsonValue(), false, "CC01", 0, 0, 0, 0, "", "", "", ""}, i));
            oldRow = newRow;
        }
        ASSERT_TRUE(connection.send(pipeline));
        for (int i = 1; i <= count; ++i) {
            ASSERT_EQ(connection.read(&body), 200) << "answer " << i;
            EXPECT_EQ(json(body)["id"].toInt(), i);
            EXPECT_TRUE(json(body)["result"]["reply"]["ok"].toBool()) << body.toStdString();
        }
        ASSERT_EQ(connection.post(kPath, rpcBody("GetItemCole", demoKeys()), &body), 200);
        EXPECT_EQ(json(body)["result"]["reply"]["data"]["rows"][0][11].toDouble(),
                  10 + count * 0.25);
    }
}

// Idle and trickling connections cost the server a socket, not a worker: a normal call is
// answered beside 2,000 idle connections (some before their first request, some after one) and
// beside 300 that send their headers a byte at a time, and the tricklers are cut off at the
// header deadline.
TEST(HttpServer, IdleAndTricklingConnectionsDoNotHoldUpANormalCall)
{
    allowManyDescriptors();
    ngc::ServerConfig settings = config();
    settings.http.headerSeconds = 2;
    const auto server = ngc::startServer(settings);
    const QByteArray ping = rpcBody("Ping", {});
    std::vector<std::unique_ptr<RawConnection>> idle;
    for (int i = 0; i < 2000; ++i) {
        // Ten client addresses, each under the per-client cap.
        const std::string from = "127.0.1." + std::to_string(1 + i % 10);
        idle.push_back(std::make_unique<RawConnection>(server->port(), 10, from.c_str()));
        ASSERT_TRUE(idle.back()->connected()) << i;
        if (i % 2 == 0) {
            ASSERT_EQ(idle.back()->post(kPath, ping), 200) << i;
        }
    }
    {
        RawConnection normal(server->port(), 5);
        EXPECT_EQ(normal.post(kPath, ping), 200) << "beside idle connections";
    }
    Tricklers tricklers(server->port(), kPath, 300, 100ms, {"127.0.2.1"});
    std::this_thread::sleep_for(300ms);
    {
        RawConnection normal(server->port(), 5);
        EXPECT_EQ(normal.post(kPath, ping), 200) << "beside tricklers";
    }
    for (std::size_t i : {0, 1, 150, 299}) {
        EXPECT_TRUE(tricklers.at(i).closedByServer()) << "trickler " << i;
    }
    for (std::size_t i : {0, 1, 1000, 1001, 1999}) {
        EXPECT_EQ(idle[i]->post(kPath, ping), 200) << "idle connection " << i;
    }
}

// /health needs no token and tells only whether the database answers; /metrics is behind the
// token and counts the calls by object and method (under "-" when the method is unknown) and
// outcome, the refusals by status and the open connections.
TEST(HttpServer, HealthAndMetricsAreServedBesideTheCalls)
{
    const auto server = start(QStringLiteral("tok"));
    const std::string token = "Authorization: Bearer tok\r\n";
    EXPECT_EQ(get(server->port(), "/health"), std::pair(200, QByteArray("ok\n")));
    EXPECT_EQ(get(server->port(), "/metrics").first, 401);
    RawConnection posted(server->port());
    EXPECT_EQ(posted.post("/health", {}), 405);

    QJsonArray closedItem = demoKeys();
    closedItem[1] = "2026000002";
    const QList<std::tuple<QByteArray, int>> calls{
        {rpcBody("GetTipoCobr", {"", "T"}), 200},    {rpcBody("GetTipoCobr", {"", "T"}), 200},
        {rpcBody("DeletaPrazoPg", closedItem), 200}, // refused: the collection is closed
        {rpcBody("GetItemCole", {"0001"}), 200},     // too few arguments
        {rpcBody("NoSuchMethod", {}), 200},
    };
    RawConnection caller(server->port());
    for (const auto &[body, status] : calls)
        EXPECT_EQ(caller.post(kPath, body, nullptr, token), status);

    const auto [status, text] = get(server->port(), "/metrics", token);
    ASSERT_EQ(status, 200);
    const std::string object = "object=\"Ngc27451.rdmInfoPlanNeg\"";
    for (const std::string &line : {
             "ngc_rpc_calls_total{" + object + ",method=\"GetTipoCobr\",outcome=\"ok\"} 2\n",
             "ngc_rpc_calls_total{" + object + ",method=\"DeletaPrazoPg\",outcome=\"fail\"} 1\n",
             "ngc_rpc_calls_total{" + object + ",method=\"GetItemCole\",outcome=\"error\"} 1\n",
             std::string("ngc_rpc_calls_total{object=\"-\",method=\"-\",outcome=\"error\"} 1\n"),
             "ngc_rpc_call_duration_seconds_count{" + object + ",method=\"GetTipoCobr\"} 2\n",
             std::string("ngc_http_refusals_total{status=\"401\"} 1\n"),
             std::string("ngc_http_refusals_total{status=\"405\"} 1\n"),
             std::string("ngc_database_errors_total 0\n"),
         }) {
        EXPECT_NE(text.toStdString().find(line), std::string::npos) << line << text.toStdString();
    }
    // The caller's connection and this one at least (the refused one may still be closing).
    const qsizetype connections = text.indexOf("\nngc_http_connections ");
    ASSERT_GE(connections, 0);
    EXPECT_GE(text.mid(connections + 22).split('\n').first().toInt(), 2);
}

// On a TLS port a client that never completes its handshake is cut off at the header deadline,
// whether it sends nothing or part of one, and a plain HTTP request is told in plain HTTP to use
// TLS. A key that is not the certificate's stops the start.
TEST(HttpServer, ATlsPortHoldsTheHandshakeToTheHeaderDeadline)
{
    const TestCertificates certificates({{"server", "IP:127.0.0.1"}, {"other", "IP:127.0.0.1"}});
    ngc::ServerConfig settings = config();
    settings.http.headerSeconds = 1;
    settings.http.tlsCertificateFile = certificates.certificate("server");
    settings.http.tlsKeyFile = certificates.key("server");
    const auto server = ngc::startServer(settings);
    for (const std::string &sent : {std::string(), std::string("\x16\x03\x01\x02\x00", 5)}) {
        RawConnection silent(server->port(), 5);
        ASSERT_TRUE(silent.send(sent));
        EXPECT_TRUE(silent.closedByServer()) << sent.size() << " bytes sent";
    }
    RawConnection plain(server->port());
    QByteArray body;
    EXPECT_EQ(plain.post(kPath, rpcBody("Ping", {}), &body), 400);
    EXPECT_TRUE(body.contains("this port speaks HTTPS")) << body.toStdString();

    settings.http.tlsKeyFile = certificates.key("other");
    EXPECT_THROW(ngc::startServer(settings), std::runtime_error);
}

// Past the caps a connection is answered 503 and closed at once; a closed one makes room.
TEST(HttpServer, ConnectionsOverTheCapsAreRefusedAtOnce)
{
    ngc::ServerConfig settings = config();
    settings.http.maxConnections = 5;
    settings.http.maxConnectionsPerClient = 3;
    const auto server = ngc::startServer(settings);
    const QByteArray ping = rpcBody("Ping", {});
    std::vector<std::unique_ptr<RawConnection>> open;
    const QList<std::tuple<const char *, int>> cases{
        {"127.0.3.1", 200}, {"127.0.3.1", 200}, {"127.0.3.1", 200},
        {"127.0.3.1", 503},                                         // fourth from one address
        {"127.0.3.2", 200}, {"127.0.3.2", 200}, {"127.0.3.3", 503}, // sixth in all
    };
    for (const auto &[from, status] : cases) {
        SCOPED_TRACE(std::string(from) + " " + std::to_string(open.size()));
        open.push_back(std::make_unique<RawConnection>(server->port(), 5, from));
        EXPECT_EQ(open.back()->post(kPath, ping), status);
    }
    open.front().reset();
    int status = 0;
    for (int attempt = 0; attempt < 50 && status != 200; ++attempt) {
        std::this_thread::sleep_for(20ms);
        RawConnection again(server->port(), 5, "127.0.3.3");
        status = again.post(kPath, ping);
    }
    EXPECT_EQ(status, 200);
}

// Screens opened together connect at the same instant. Every one of them must be answered; a
// short listen queue drops some of the connection attempts, which then fail or hang.
TEST(HttpServer, ConnectionsOpenedAtOnceAreAllAnswered)
{
    const auto server = start();
    const QByteArray body = rpcBody("GetVerif_ColeApr", {"0001", "2026000001"});
    constexpr int kThreads = 8;
    constexpr int kPerThread = 16;
    std::barrier ready(kThreads);
    std::vector<std::vector<int>> statuses(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ready.arrive_and_wait();
            std::vector<std::unique_ptr<RawConnection>> connections;
            for (int i = 0; i < kPerThread; ++i)
                connections.push_back(std::make_unique<RawConnection>(server->port(), 10));
            for (auto &connection : connections)
                statuses[static_cast<std::size_t>(t)].push_back(connection->post(kPath, body));
        });
    }
    for (auto &thread : threads)
        thread.join();
    int answered = 0;
    for (const auto &perThread : statuses)
        answered += static_cast<int>(std::count(perThread.begin(), perThread.end(), 200));
    EXPECT_EQ(answered, kThreads * kPerThread);
}

TEST(HttpServer, APortInUseIsNotSharedWithASecondServer)
{
    const auto first = start();
    ngc::ServerConfig config;
    config.http.port = first->port();
    config.databaseUrl = QStringLiteral("sqlite::memory:");
    EXPECT_THROW(ngc::startServer(config), std::runtime_error);
    RawConnection client(first->port());
    EXPECT_EQ(client.post(kPath, rpcBody("GetTipoCobr", {"", "T"})), 200);
}

// A stop closes idle and trickling connections at once and refuses new ones, but a request
// already read is run and answered (here a save held up by another writer's lock).
TEST(HttpServer, StopAnswersTheRequestsAlreadyReadAndClosesTheRest)
{
    QTemporaryDir dir;
    ngc::ServerConfig settings = config();
    settings.databaseUrl = "sqlite:" + dir.filePath("stop.db");
    const auto server = ngc::startServer(settings);
    RawConnection idle(server->port(), 3);
    ASSERT_EQ(idle.post(kPath, rpcBody("Ping", {})), 200);
    Tricklers trickler(server->port(), kPath, 1, 100ms);

    auto lock = std::make_unique<WriteLock>(dir.filePath("stop.db"));
    RawConnection saving(server->port(), 10);
    ASSERT_TRUE(saving.send(RawConnection::request(kPath, rpcBody("DeletaPrazoPg", demoKeys()))));
    std::this_thread::sleep_for(300ms);

    server->stop();
    EXPECT_TRUE(idle.closedByServer());
    EXPECT_TRUE(trickler.at(0).closedByServer());
    RawConnection late(server->port(), 3);
    EXPECT_EQ(late.post(kPath, rpcBody("Ping", {})), 0);

    lock.reset();
    QByteArray body;
    std::string headers;
    EXPECT_EQ(saving.read(&body, &headers), 200);
    EXPECT_TRUE(json(body)["result"]["reply"]["ok"].toBool()) << body.toStdString();
    EXPECT_NE(headers.find("Connection: close"), std::string::npos);
    server->wait();
}

// With every place (--threads) taken by a request waiting on the database, the server still
// accepts, refuses a connection over its caps at once, cuts a trickler off at its deadline and
// answers what needs no database; the request queued behind the busy one runs once a place is
// free. The save is still waiting throughout: SQLite would give it up only after 10 s.
TEST(HttpServer, ARequestWaitingOnTheDatabaseHoldsUpNoConnection)
{
    QTemporaryDir dir;
    ngc::ServerConfig settings = config();
    settings.databaseUrl = "sqlite:" + dir.filePath("busy.db");
    settings.http.threads = 1;
    settings.http.headerSeconds = 1;
    settings.http.maxConnectionsPerClient = 3;
    const auto server = ngc::startServer(settings);
    auto lock = std::make_unique<WriteLock>(dir.filePath("busy.db"));
    RawConnection saving(server->port(), 15);
    ASSERT_TRUE(saving.send(RawConnection::request(kPath, rpcBody("DeletaPrazoPg", demoKeys()))));
    std::this_thread::sleep_for(200ms);
    RawConnection queued(server->port(), 15);
    ASSERT_TRUE(queued.send(RawConnection::request(kPath, rpcBody("Ping", {}, 2))));

    Tricklers trickler(server->port(), kPath, 1, 100ms, {"127.0.4.1"});
    EXPECT_TRUE(trickler.at(0).closedByServer());
    RawConnection metrics(server->port(), 5); // the third from 127.0.0.1
    ASSERT_TRUE(metrics.send("GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"));
    EXPECT_EQ(metrics.read(), 200);
    RawConnection overTheCap(server->port(), 5);
    EXPECT_EQ(overTheCap.post(kPath, rpcBody("Ping", {})), 503);

    lock.reset();
    QByteArray body;
    EXPECT_EQ(saving.read(&body), 200);
    EXPECT_TRUE(json(body)["result"]["reply"]["ok"].toBool()) << body.toStdString();
    EXPECT_EQ(queued.read(&body), 200);
    EXPECT_EQ(json(body)["id"].toInt(), 2);
}

// A chunked body is held to the limit like any other: 64 MiB sent to the real server is refused
// once it passes 8 MiB, and the server's memory does not grow by the body's size.
TEST(HttpServerProcess, AChunkedBodyOverTheLimitIsRefusedWithoutBeingKept)
{
    AppServerProcess server(QStringLiteral(NGC_APPSERVER_PATH));
    const long before = server.rssKiB();
    RawConnection connection(server.port(), 10);
    ASSERT_TRUE(connection.send(
        "POST " + kPath + " HTTP/1.1\r\nHost: 127.0.0.1\r\nTransfer-Encoding: chunked\r\n\r\n"));
    const std::string megabyte = chunked(1 << 20, 64 << 10);
    const std::string piece = megabyte.substr(0, megabyte.size() - 5); // without the last chunk
    int sent = 0;
    while (sent < 64 && connection.send(piece))
        ++sent;
    QByteArray body;
    EXPECT_EQ(connection.read(&body), 413);
    EXPECT_EQ(json(body)["error"]["code"].toInt(), -32600);
    const long after = server.rssKiB();
    RecordProperty("rss_growth_kib", static_cast<int>(after - before));
    EXPECT_LT(after - before, 32 * 1024) << "KiB";
}

// SIGTERM ends the server promptly even while clients trickle bytes at it.
TEST(HttpServerProcess, SigtermEndsTheServerWhileClientsTrickle)
{
    AppServerProcess server(QStringLiteral(NGC_APPSERVER_PATH));
    Tricklers tricklers(server.port(), kPath, 20, 200ms);
    RawConnection idle(server.port());
    ASSERT_EQ(idle.post(kPath, rpcBody("Ping", {})), 200);
    std::this_thread::sleep_for(500ms);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(server.terminate(5000), 0);
    RecordProperty("stop_ms", static_cast<int>(timer.elapsed()));
}

} // namespace

namespace {

// The health check follows the database: 200 while PostgreSQL answers, 503 (and nothing else)
// while it is stopped, and 200 again as soon as it is back, although the server's connections
// to it broke.
TEST(HttpServerProcess, HealthFollowsThePostgresDatabase)
{
    if (qEnvironmentVariableIsEmpty("NGC_TEST_PG_URL"))
        GTEST_SKIP() << "NGC_TEST_PG_URL is not set";
    PostgresCluster cluster;
    AppServerProcess server(QStringLiteral(NGC_APPSERVER_PATH), {"--db", cluster.url()});
    const std::pair<int, QByteArray> up{200, "ok\n"};
    EXPECT_EQ(get(server.port(), "/health"), up);
    RawConnection caller(server.port());
    EXPECT_EQ(caller.post(kPath, rpcBody("GetTipoCobr", {"", "T"})), 200);
    cluster.stop();
    EXPECT_EQ(get(server.port(), "/health"), std::pair(503, QByteArray("unavailable\n")));
    ASSERT_TRUE(cluster.start());
    EXPECT_EQ(get(server.port(), "/health"), up);
}

// SIGHUP opens the log file again by its name, as log rotation expects: the lines written before
// it stay in the renamed file, the later ones go to a new file of the old name. Without a log
// file SIGHUP changes nothing; it does not end the server.
TEST(HttpServerProcess, SighupOpensTheLogFileAgain)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("requests.log");
    AppServerProcess server(QStringLiteral(NGC_APPSERVER_PATH), {"--log-file", log});
    RawConnection client(server.port());
    ASSERT_EQ(client.post(kPath, rpcBody("GetTipoCobr", {"", "T"})), 200);
    ASSERT_TRUE(QFile::rename(log, log + ".1"));
    ::kill(static_cast<pid_t>(server.pid()), SIGHUP);
    for (int i = 0; i < 250 && !QFile::exists(log); ++i)
        std::this_thread::sleep_for(20ms);
    ASSERT_EQ(client.post(kPath, rpcBody("Ping", {})), 200);
    const auto contents = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    EXPECT_EQ(contents(log + ".1").count("\n"), 1);
    EXPECT_TRUE(contents(log + ".1").startsWith("Ngc27451.rdmInfoPlanNeg GetTipoCobr "));
    EXPECT_EQ(contents(log).count("\n"), 1);
    EXPECT_TRUE(contents(log).startsWith("Ngc27451.rdmInfoPlanNeg Ping ")) << contents(log).data();

    AppServerProcess withoutLog(QStringLiteral(NGC_APPSERVER_PATH));
    ::kill(static_cast<pid_t>(withoutLog.pid()), SIGHUP);
    std::this_thread::sleep_for(300ms);
    RawConnection other(withoutLog.port());
    EXPECT_EQ(other.post(kPath, rpcBody("Ping", {})), 200);
}

} // namespace
