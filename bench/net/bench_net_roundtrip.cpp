// One blocking remote call against a bare HTTP POST on the same loopback endpoint, so the ratio
// shows what the connection adds (request building, JSON encoding and decoding, reply checks);
// then the same cheap call against the real application server, in plain HTTP and over TLS on a
// keep-alive connection (the handshake once, before the timing), and, with --compare PATH,
// against a second build of it, side by side in the same run.
#include <support/AppServerProcess.h>
#include <support/TestCertificates.h>

#include <services/HostContext.h>
#include <net/TNetConnection.h>

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <map>
#include <memory>
#include <string_view>
#include <thread>

namespace {

// The shape of a small reply: {"ok":true,"data":null} with one by-reference key handed back.
const std::string kReply = R"({"jsonrpc":"2.0","id":1,"result":{"reply":{"ok":true,"data":null},)"
                           R"("refs":["0001"]}})";
const std::string kRequest =
    R"({"jsonrpc":"2.0","id":1,"method":"GetParaSupri","params":["0001"]})";

class LoopbackServer {
public:
    LoopbackServer()
    {
        m_server.set_tcp_nodelay(true);
        m_server.set_keep_alive_max_count(1000000);
        m_server.Post(R"(/rpc/(.*))", [](const httplib::Request &req, httplib::Response &res) {
            // Echo the id so the connection accepts the answer.
            const QJsonObject request =
                QJsonDocument::fromJson(QByteArray::fromStdString(req.body)).object();
            std::string body = kReply;
            body.replace(body.find("\"id\":1"), 6,
                         "\"id\":" + std::to_string(request.value(QStringLiteral("id")).toInt()));
            res.set_content(body, "application/json");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~LoopbackServer()
    {
        while (!m_server.is_running())
            std::this_thread::yield();
        m_server.stop();
        m_thread.join();
    }
    int port() const { return m_port; }

private:
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
};

LoopbackServer &server()
{
    static LoopbackServer instance;
    return instance;
}

void BM_BarePost(benchmark::State &state)
{
    httplib::Client client("127.0.0.1", server().port());
    client.set_keep_alive(true);
    client.set_tcp_nodelay(state.range(0) != 0);
    for (auto _ : state) {
        auto result = client.Post("/rpc/Ngc.rdmSuprimentos", kRequest, "application/json");
        if (!result || result->status != 200) {
            state.SkipWithError("bare POST failed");
            break;
        }
        benchmark::DoNotOptimize(result->body.data());
    }
}

void BM_ConnectionCall(benchmark::State &state)
{
    ngc::TNetConnection connection(QStringLiteral("Ngc.rdmSuprimentos"));
    connection.SetPort(server().port());
    connection.Open();
    QString filial = QStringLiteral("0001");
    for (auto _ : state) {
        const QJsonValue reply =
            connection.Call(QStringLiteral("GetParaSupri"), {ngc::RemoteArg::stringRef(&filial)});
        benchmark::DoNotOptimize(reply);
    }
}

// One server per program and way of speaking, started on first use and kept for the
// repetitions.
void appServerCall(benchmark::State &state, const QString &program, bool tls)
{
    static const TestCertificates certificates(
        {{QStringLiteral("server"), QStringLiteral("IP:127.0.0.1")}});
    static std::map<std::pair<QString, bool>, std::unique_ptr<AppServerProcess>> servers;
    auto &appServer = servers[{program, tls}];
    if (!appServer)
        appServer = std::make_unique<AppServerProcess>(
            program, tls ? certificates.serverOptions(QStringLiteral("server")) : QStringList());
    ngc::HostContext::instance().caFile =
        tls ? certificates.certificate(QStringLiteral("server")) : QString();
    ngc::TNetConnection connection(QStringLiteral("Ngc.rdmSuprimentos"));
    if (tls)
        connection.SetHost(QStringLiteral("https://127.0.0.1"));
    connection.SetPort(appServer->port());
    connection.Open();
    QString filial = QString::fromLatin1(demo::cdFilial);
    for (auto _ : state) {
        const QJsonValue reply =
            connection.Call(QStringLiteral("GetParaSupri"), {ngc::RemoteArg::stringRef(&filial)});
        benchmark::DoNotOptimize(reply);
    }
}

} // namespace

BENCHMARK(BM_BarePost)->Arg(1)->ArgName("nodelay")->MinTime(2.0)->UseRealTime();
// With Nagle on, every small POST waits for the delayed acknowledgement; a few rounds show it.
BENCHMARK(BM_BarePost)->Arg(0)->ArgName("nodelay")->Iterations(20)->UseRealTime();
BENCHMARK(BM_ConnectionCall)->MinTime(2.0)->UseRealTime();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList programs{QStringLiteral(NGC_APPSERVER)};
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string_view(argv[i]) == "--compare") {
            programs.append(QString::fromLocal8Bit(argv[i + 1]));
            std::copy(argv + i + 2, argv + argc, argv + i);
            argc -= 2;
            break;
        }
    }
    for (qsizetype i = 0; i < programs.size(); ++i) {
        benchmark::RegisterBenchmark(i == 0 ? "BM_AppServerCall" : "BM_AppServerCall/before",
                                     [program = programs[i]](benchmark::State &state) {
                                         appServerCall(state, program, false);
                                     })
            ->MinTime(2.0)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark(
        "BM_AppServerCall/tls",
        [program = programs[0]](benchmark::State &state) { appServerCall(state, program, true); })
        ->MinTime(2.0)
        ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
