#include "HttpTestClient.h"
#include "ServerTestSupport.h"

#include <server/AppServer.h>

#include <QElapsedTimer>

#include <algorithm>
#include <barrier>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

const std::string kPath = "/rpc/Ngc27451.rdmInfoPlanNeg";

std::unique_ptr<ngc::AppServer> start(const QString &token = {}, qint64 maxBody = 8 << 20)
{
    ngc::ServerConfig config;
    config.http.keepAliveSeconds = 2;
    config.http.host = QStringLiteral("127.0.0.1");
    config.http.port = 0;
    config.http.token = token;
    config.http.maxBodyBytes = maxBody;
    config.databaseUrl = QStringLiteral("sqlite::memory:");
    config.seedDemo = true;
    return ngc::startServer(config);
}

const QJsonObject json(const QByteArray &body)
{
    return QJsonDocument::fromJson(body).object();
}

TEST(HttpServer, BearerTokenIsRequiredWhenConfigured)
{
    const auto server = start(QStringLiteral("s3cret-token"));
    const QByteArray body = rpcBody("GetTipoCobr", {"", "T"});
    const QList<std::tuple<const char *, std::string, int>> cases{
        {"no header", "", 401},
        {"wrong token", "Authorization: Bearer s3cret-tokeX\r\n", 401},
        {"token prefix only", "Authorization: Bearer s3cret\r\n", 401},
        {"other scheme", "Authorization: Basic s3cret-token\r\n", 401},
        {"right token", "Authorization: Bearer s3cret-token\r\n", 200},
    };
    for (const auto &[name, header, status] : cases) {
        SCOPED_TRACE(name);
        RawConnection connection(server->port());
        QByteArray response;
        EXPECT_EQ(connection.post(kPath, body, &response, header), status);
        if (status == 401)
            EXPECT_EQ(json(response)["error"]["code"].toInt(), -32600);
        else
            EXPECT_TRUE(json(response)["result"]["reply"]["ok"].toBool());
    }
}

TEST(HttpServer, BodyOverTheLimitIsRefusedWithAJsonRpcError)
{
    const auto server = start({}, 4096);
    RawConnection connection(server->port());
    QByteArray response;
    QByteArray big = rpcBody("GetTipoCobr", {QString(5000, 'x'), "T"});
    EXPECT_EQ(connection.post(kPath, big, &response), 413);
    EXPECT_EQ(json(response)["error"]["code"].toInt(), -32600);

    RawConnection second(server->port());
    EXPECT_EQ(second.post(kPath, rpcBody("GetTipoCobr", {"", "T"}), &response), 200);
    EXPECT_EQ(json(response)["result"]["reply"]["data"]["rows"].toArray().size(), 3);
}

TEST(HttpServer, OnlyPostsToRemoteObjectsAreServed)
{
    const auto server = start();
    QByteArray response;
    RawConnection other(server->port());
    EXPECT_EQ(other.post("/other", rpcBody("GetTipoCobr", {"", "T"}), &response), 404);
    RawConnection unknown(server->port());
    EXPECT_EQ(unknown.post("/rpc/Ngc.rdmNada", rpcBody("GetTipoCobr", {"", "T"}), &response), 200);
    EXPECT_EQ(json(response)["error"]["code"].toInt(), -32601);
}

// Every open screen keeps its connection; 64 of them idle must not keep a new client waiting,
// and each of them can go on using its own connection afterwards.
TEST(HttpServer, IdleKeepAliveConnectionsDoNotStarveANewClient)
{
    const auto server = start();
    const QByteArray body = rpcBody("GetVerif_ColeApr", {"0001", "2026000001"});
    std::vector<std::unique_ptr<RawConnection>> idle;
    for (int i = 0; i < 64; ++i) {
        idle.push_back(std::make_unique<RawConnection>(server->port()));
        ASSERT_EQ(idle.back()->post(kPath, body), 200) << "connection " << i;
    }
    QElapsedTimer timer;
    timer.start();
    RawConnection newcomer(server->port(), 10);
    QByteArray response;
    ASSERT_EQ(newcomer.post(kPath, body, &response), 200);
    EXPECT_EQ(json(response)["result"]["reply"]["data"]["rows"].toArray().size(), 1);
    RecordProperty("new_client_ms", static_cast<int>(timer.elapsed()));
    for (auto &connection : idle)
        EXPECT_EQ(connection->post(kPath, body), 200);

    // Stopping waits at most the keep-alive time for the idle connections.
    timer.restart();
    server->stop();
    server->wait();
    RecordProperty("stop_ms", static_cast<int>(timer.elapsed()));
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

} // namespace
