#include "RpcTestServer.h"
#include "TlsContext.h"

#include <net/TNetConnection.h>

#include <services/HostContext.h>

#include <gtest/gtest.h>

#include <QTemporaryFile>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

using namespace ngc;
using namespace std::chrono_literals;

namespace {

const QString kObject = QStringLiteral("Ngc27451.rdmInfoPlanNeg");

std::unique_ptr<TNetConnection> openConnection(int port)
{
    auto connection = std::make_unique<TNetConnection>(kObject);
    connection->SetHost(QStringLiteral("127.0.0.1"));
    connection->SetPort(port);
    connection->Open();
    return connection;
}

QJsonObject samplePacket()
{
    return QJsonDocument::fromJson(R"({"fields":[{"name":"CDFILIAL","type":"string","size":4}],
                                       "rows":[["0001"]]})")
        .object();
}

void check(bool ok, const char *what)
{
    if (!ok)
        throw std::runtime_error(std::string(what) + " failed");
}

// Binds fd to a free port of 127.0.0.1 and returns its address.
sockaddr_in bindLoopback(int fd)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    check(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0, "bind");
    socklen_t length = sizeof address;
    check(::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0, "getsockname");
    return address;
}

// A port on 127.0.0.1 with nothing listening on it.
int closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = bindLoopback(fd);
    ::close(fd);
    return ntohs(address.sin_port);
}

// A listener that never accepts, with its queue already full: further connects get no answer.
class FullListener {
public:
    FullListener()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in address = bindLoopback(m_listener);
        check(::listen(m_listener, 0) == 0, "listen");
        m_port = ntohs(address.sin_port);
        for (int &fd : m_fillers) {
            fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            // Non-blocking: "in progress" is the expected answer; the queue fills either way.
            static_cast<void>(
                ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address));
        }
    }
    ~FullListener()
    {
        for (int fd : m_fillers)
            ::close(fd);
        ::close(m_listener);
    }
    int port() const { return m_port; }

private:
    int m_listener = -1;
    int m_fillers[4] = {};
    int m_port = 0;
};

struct TraceRecorder {
    TraceRecorder()
    {
        m_previous =
            TNetConnection::SetTraceHook([this](const CallTrace &t) { calls.push_back(t); });
    }
    ~TraceRecorder() { TNetConnection::SetTraceHook(m_previous); }
    std::vector<CallTrace> calls;

private:
    TNetConnection::TraceHook m_previous;
};

} // namespace

TEST(TNetConnection, SendsEachArgumentKindAsPlainJson)
{
    QString key = QStringLiteral("0001");
    QJsonValue nullFields;
    QJsonValue fieldList = QJsonArray{QStringLiteral("CDTIPCOB"), QStringLiteral("NMMARCA")};
    struct Case {
        const char *name;
        RemoteArg arg;
        QJsonValue expected;
    };
    const std::vector<Case> cases = {
        {"string", RemoteArg::string(QStringLiteral("Preço à vista")),
         QStringLiteral("Preço à vista")},
        {"empty string", RemoteArg::string(QString()), QString()},
        {"string by reference", RemoteArg::stringRef(&key), QStringLiteral("0001")},
        {"null variant", RemoteArg::variant(QJsonValue()), QJsonValue()},
        {"undefined variant", RemoteArg::variant(QJsonValue(QJsonValue::Undefined)), QJsonValue()},
        {"field list", RemoteArg::variant(fieldList), fieldList},
        {"packet", RemoteArg::variant(samplePacket()), samplePacket()},
        {"null variant by reference", RemoteArg::variantRef(&nullFields), QJsonValue()},
        {"list by reference", RemoteArg::variantRef(&fieldList), fieldList},
        {"true", RemoteArg::boolean(true), true},
        {"false", RemoteArg::boolean(false), false},
        {"integer", RemoteArg::integer(2), 2},
        {"negative integer", RemoteArg::integer(-2147483647 - 1), -2147483647.0 - 1},
    };

    RpcTestServer server;
    auto connection = openConnection(server.port());
    RemoteArgs all;
    QJsonArray expected;
    for (const Case &c : cases) {
        all.append(c.arg);
        expected.append(c.expected);
    }
    connection->Call(QStringLiteral("GetItemCole"), all);

    const auto seen = server.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].path, "/rpc/Ngc27451.rdmInfoPlanNeg");
    EXPECT_EQ(seen[0].body.value(QStringLiteral("jsonrpc")).toString(), QStringLiteral("2.0"));
    EXPECT_TRUE(seen[0].body.value(QStringLiteral("id")).isDouble());
    EXPECT_EQ(seen[0].body.value(QStringLiteral("method")).toString(),
              QStringLiteral("GetItemCole"));
    const QJsonArray params = seen[0].body.value(QStringLiteral("params")).toArray();
    ASSERT_EQ(params.size(), expected.size());
    for (qsizetype i = 0; i < params.size(); ++i)
        EXPECT_EQ(params[i], expected[i]) << cases[size_t(i)].name;
    EXPECT_TRUE(params[0].isString());
    EXPECT_TRUE(params[11].isDouble());
}

TEST(TNetConnection, WritesBackWhatTheServerLeftInReferences)
{
    RpcTestServer server([](const QJsonObject &request, httplib::Response &res) {
        QJsonArray refs;
        for (const QJsonValue &param : request.value(QStringLiteral("params")).toArray())
            refs.append(param.isString() ? QJsonValue(param.toString() + QStringLiteral("*"))
                                         : QJsonValue(QJsonArray{QStringLiteral("VRPERDESITM")}));
        // By-value arguments come back as null, as the server sends them.
        refs[0] = QJsonValue();
        refs[2] = QJsonValue();
        RpcTestServer::sendJson(res,
                                RpcTestServer::success(request, RpcTestServer::okReply(), refs));
    });
    auto connection = openConnection(server.port());

    const QString byValue = QStringLiteral("by value");
    QString filial = QStringLiteral("0001");
    QString selection;
    QJsonValue nullFields;
    connection->Call(QStringLiteral("SetItemCole"),
                     {RemoteArg::string(byValue), RemoteArg::stringRef(&filial),
                      RemoteArg::integer(1), RemoteArg::stringRef(&selection),
                      RemoteArg::variantRef(&nullFields)});

    EXPECT_EQ(filial, QStringLiteral("0001*"));
    EXPECT_EQ(selection, QStringLiteral("*"));
    EXPECT_EQ(nullFields, QJsonValue(QJsonArray{QStringLiteral("VRPERDESITM")}));
    EXPECT_EQ(byValue, QStringLiteral("by value"));
}

TEST(TNetConnection, FailedCallLeavesReferencesUntouchedAndNamesTheMethod)
{
    using Respond = std::function<void(const QJsonObject &, httplib::Response &)>;
    const auto refsOf = [](const QJsonObject &request) {
        QJsonArray refs;
        for (qsizetype i = 0; i < request.value(QStringLiteral("params")).toArray().size(); ++i)
            refs.append(QStringLiteral("changed"));
        return refs;
    };
    struct Case {
        const char *name;
        Respond respond;
        const char *messagePart;
    };
    const std::vector<Case> cases = {
        {"method not found",
         [](const QJsonObject &request, httplib::Response &res) {
             RpcTestServer::sendJson(
                 res,
                 {{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                  {QStringLiteral("id"), request.value(QStringLiteral("id"))},
                  {QStringLiteral("error"),
                   QJsonObject{{QStringLiteral("code"), -32601},
                               {QStringLiteral("message"), QStringLiteral("Method not found")}}}});
         },
         "Method not found (código -32601)"},
        {"error object with an error status",
         [](const QJsonObject &, httplib::Response &res) {
             RpcTestServer::sendJson(
                 res,
                 {{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                  {QStringLiteral("id"), QJsonValue()},
                  {QStringLiteral("error"),
                   QJsonObject{{QStringLiteral("code"), -32001},
                               {QStringLiteral("message"), QStringLiteral("Unauthorized")}}}},
                 401);
         },
         "Unauthorized (código -32001)"},
        {"plain HTTP error",
         [](const QJsonObject &, httplib::Response &res) {
             res.status = 500;
             res.set_content("boom", "text/plain");
         },
         "HTTP 500: boom"},
        {"not JSON",
         [](const QJsonObject &, httplib::Response &res) {
             res.set_content("<html>", "text/html");
         },
         "Resposta inválida"},
        {"a proxy's error page",
         [](const QJsonObject &, httplib::Response &res) {
             res.status = 502;
             res.set_content("<html><body><h1>502 Bad Gateway</h1></body></html>", "text/html");
         },
         "respondeu HTTP 502: <html><body><h1>502 Bad Gateway"},
        {"a reply cut short",
         [](const QJsonObject &request, httplib::Response &res) {
             const QByteArray whole =
                 QJsonDocument(
                     RpcTestServer::success(request, RpcTestServer::okReply(),
                                            QJsonArray{QStringLiteral("x"), QStringLiteral("y")}))
                     .toJson(QJsonDocument::Compact);
             res.set_content(whole.left(whole.size() - 3).toStdString(), "application/json");
         },
         "Resposta inválida do servidor de aplicação"},
        {"answer to another call",
         [&](const QJsonObject &request, httplib::Response &res) {
             QJsonObject other = request;
             other[QStringLiteral("id")] = request.value(QStringLiteral("id")).toInt() + 1;
             RpcTestServer::sendJson(
                 res, RpcTestServer::success(other, RpcTestServer::okReply(), refsOf(request)));
         },
         "outra chamada"},
        {"too few final values",
         [](const QJsonObject &request, httplib::Response &res) {
             RpcTestServer::sendJson(res, RpcTestServer::success(request, RpcTestServer::okReply(),
                                                                 QJsonArray{QStringLiteral("x")}));
         },
         "1 valores de retorno para 2 argumentos"},
        {"no final values at all",
         [](const QJsonObject &request, httplib::Response &res) {
             QJsonObject body = RpcTestServer::success(request, RpcTestServer::okReply(), {});
             QJsonObject result = body.value(QStringLiteral("result")).toObject();
             result.remove(QStringLiteral("refs"));
             body[QStringLiteral("result")] = result;
             RpcTestServer::sendJson(res, body);
         },
         "0 valores de retorno"},
        {"number for a string reference",
         [](const QJsonObject &request, httplib::Response &res) {
             RpcTestServer::sendJson(res,
                                     RpcTestServer::success(request, RpcTestServer::okReply(),
                                                            QJsonArray{QStringLiteral("x"), 7}));
         },
         "argumento 2 de tipo inválido"},
        {"no reply",
         [](const QJsonObject &request, httplib::Response &res) {
             RpcTestServer::sendJson(res,
                                     {{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                                      {QStringLiteral("id"), request.value(QStringLiteral("id"))},
                                      {QStringLiteral("result"), QJsonObject()}});
         },
         "sem resultado"},
    };

    RpcTestServer server;
    auto connection = openConnection(server.port());
    for (const Case &c : cases) {
        server.setHandler(c.respond);
        QString filial = QStringLiteral("0001");
        QString colePreco = QStringLiteral("123");
        try {
            connection->Call(QStringLiteral("GetVerif_ColeApr"),
                             {RemoteArg::stringRef(&filial), RemoteArg::stringRef(&colePreco)});
            ADD_FAILURE() << c.name << ": no error";
        } catch (const NetError &error) {
            const QString message = QString::fromUtf8(error.what());
            EXPECT_TRUE(message.contains(QString::fromUtf8(c.messagePart)))
                << c.name << ": " << error.what();
            EXPECT_TRUE(message.contains(
                QStringLiteral("127.0.0.1:%1 (Ngc27451.rdmInfoPlanNeg.GetVerif_ColeApr)")
                    .arg(server.port())))
                << c.name << ": " << error.what();
        }
        EXPECT_EQ(filial, QStringLiteral("0001")) << c.name;
        EXPECT_EQ(colePreco, QStringLiteral("123")) << c.name;
    }
}

TEST(TNetConnection, ServerMessageIsShownLiterally)
{
    RpcTestServer server([](const QJsonObject &request, httplib::Response &res) {
        RpcTestServer::sendJson(
            res, {{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                  {QStringLiteral("id"), request.value(QStringLiteral("id"))},
                  {QStringLiteral("error"),
                   QJsonObject{{QStringLiteral("code"), -32602},
                               {QStringLiteral("message"), QStringLiteral("bad %1 or %0")}}}});
    });
    auto connection = openConnection(server.port());
    try {
        connection->Call(QStringLiteral("GetItemCole"));
        FAIL() << "no error";
    } catch (const NetError &error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QStringLiteral("bad %1 or %0")))
            << error.what();
    }
}

TEST(TNetConnection, ConnectionRefusedIsAClearError)
{
    const int port = closedPort();
    auto connection = openConnection(port); // opening alone does not touch the network
    EXPECT_TRUE(connection->Connected());
    try {
        connection->Call(QStringLiteral("GetItemCole"));
        FAIL() << "no error";
    } catch (const NetError &error) {
        EXPECT_EQ(QString::fromUtf8(error.what()),
                  QStringLiteral("Não foi possível conectar ao servidor de aplicação 127.0.0.1:%1 "
                                 "(Ngc27451.rdmInfoPlanNeg.GetItemCole): conexão recusada ou "
                                 "endereço inacessível")
                      .arg(port));
    }
}

TEST(TNetConnection, TimeOutsEndTheCallWithAClearError)
{
    RpcTestServer stalling([](const QJsonObject &request, httplib::Response &res) {
        std::this_thread::sleep_for(800ms);
        RpcTestServer::echoRefs(request, res);
    });
    FullListener full;
    struct Case {
        const char *name;
        int port;
        const char *messagePart;
    };
    for (const Case &c : {Case{"read", stalling.port(), "não respondeu em 0.2 s"},
                          Case{"connect", full.port(), "sem resposta em 0.2 s"}}) {
        TNetConnection connection(kObject);
        connection.SetPort(c.port);
        connection.SetConnectTimeout(200ms);
        connection.SetReadTimeout(200ms);
        connection.Open();
        QString key = QStringLiteral("0001");
        const auto started = std::chrono::steady_clock::now();
        try {
            connection.Call(QStringLiteral("GetItemCole"), {RemoteArg::stringRef(&key)});
            ADD_FAILURE() << c.name << ": no error";
        } catch (const NetError &error) {
            EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QString::fromUtf8(c.messagePart)))
                << c.name << ": " << error.what();
        }
        // Not a speed check: only that the call gave up instead of waiting for the server.
        EXPECT_LT(std::chrono::steady_clock::now() - started, 750ms) << c.name;
        EXPECT_EQ(key, QStringLiteral("0001"));
    }
}

TEST(TNetConnection, CallAfterATimeOutGetsItsOwnReply)
{
    std::atomic<bool> stall = true;
    RpcTestServer server([&](const QJsonObject &request, httplib::Response &res) {
        if (stall.exchange(false))
            std::this_thread::sleep_for(400ms);
        RpcTestServer::sendJson(
            res, RpcTestServer::success(
                     request, RpcTestServer::okReply(request.value(QStringLiteral("method"))), {}));
    });
    auto connection = openConnection(server.port());
    connection->SetReadTimeout(100ms);
    EXPECT_THROW(connection->Call(QStringLiteral("GetItemCole")), NetError);
    // Let the late answer reach the old socket before asking again.
    std::this_thread::sleep_for(500ms);
    connection->SetReadTimeout(5s);
    EXPECT_EQ(connection->Call(QStringLiteral("GetSomaPerc")),
              QJsonValue(RpcTestServer::okReply(QStringLiteral("GetSomaPerc"))));
}

TEST(TNetConnection, OpeningRunsBeforeConnectAndChecksTheSettings)
{
    RpcTestServer server;
    TNetConnection connection(kObject);
    int openings = 0;
    connection.BeforeConnect = [&](TNetConnection &sender) {
        ++openings;
        sender.SetHost(QStringLiteral("http://127.0.0.1/"));
        sender.SetPort(server.port());
    };

    EXPECT_THROW(connection.Call(QStringLiteral("GetItemCole")), NetError);
    connection.SetConnected(true);
    connection.Open();
    EXPECT_EQ(openings, 1);
    EXPECT_EQ(connection.Host(), QStringLiteral("127.0.0.1"));
    connection.Call(QStringLiteral("GetItemCole"));
    connection.SetConnected(false);
    EXPECT_FALSE(connection.Connected());
    EXPECT_THROW(connection.Call(QStringLiteral("GetItemCole")), NetError);
    connection.Open();
    EXPECT_EQ(openings, 2);
    connection.Call(QStringLiteral("GetItemCole"));
    EXPECT_EQ(server.seen().size(), 2u);

    struct Case {
        const char *name;
        QString object;
        QString host;
        int port;
    };
    for (const Case &c :
         {Case{"object with a slash", QStringLiteral("a/b"), {}, 1},
          Case{"object with a line break", QStringLiteral("a\r\nX: y"), {}, 1},
          Case{"no object", QString(), {}, 1},
          Case{"host with a space", kObject, QStringLiteral("a b"), 1},
          Case{"no host", kObject, QStringLiteral(" "), 1}, Case{"port zero", kObject, {}, 0},
          Case{"port too large", kObject, {}, 65536}}) {
        TNetConnection bad(c.object);
        if (!c.host.isNull())
            bad.SetHost(c.host);
        bad.SetPort(c.port);
        EXPECT_THROW(bad.Open(), NetError) << c.name;
        EXPECT_FALSE(bad.Connected()) << c.name;
    }
}

TEST(TNetConnection, SendsTheHostTokenOnlyWhenThereIsOne)
{
    RpcTestServer server;
    QTemporaryFile tokenFile;
    ASSERT_TRUE(tokenFile.open());
    HostContext &context = HostContext::instance();
    const QString previous = context.tokenFile;
    const auto writeToken = [&](const QByteArray &text) {
        tokenFile.resize(0);
        tokenFile.write(text);
        tokenFile.flush();
    };

    context.tokenFile = tokenFile.fileName();
    writeToken("s3cret\n");
    openConnection(server.port())->Call(QStringLiteral("GetItemCole"));
    // A token that would smuggle a header of its own is refused before anything is sent.
    writeToken("s3cret\r\nX-Injected: 1");
    TNetConnection injected(kObject);
    injected.SetPort(server.port());
    EXPECT_THROW(injected.Open(), NetError);
    EXPECT_FALSE(injected.Connected());
    context.tokenFile.clear();
    openConnection(server.port())->Call(QStringLiteral("GetItemCole"));
    context.tokenFile = previous;

    const auto seen = server.seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].authorization, "Bearer s3cret");
    EXPECT_EQ(seen[1].authorization, "");
}

TEST(TNetConnection, KeepsOneSocketAndSurvivesTheServerClosingAnIdleOne)
{
    RpcTestServer server;
    server.server().set_keep_alive_timeout(1);
    auto connection = openConnection(server.port());
    for (int i = 0; i < 3; ++i)
        connection->Call(QStringLiteral("GetParaSupri"));
    // The server drops the idle socket; the next call must not fail because of it.
    std::this_thread::sleep_for(1500ms);
    connection->Call(QStringLiteral("GetParaSupri"));

    const auto seen = server.seen();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[1].remotePort, seen[0].remotePort);
    EXPECT_EQ(seen[2].remotePort, seen[0].remotePort);
    EXPECT_NE(seen[1].body.value(QStringLiteral("id")), seen[0].body.value(QStringLiteral("id")));
}

TEST(TNetConnection, FailureInTheReplyIsRaisedOnlyWithThrowException)
{
    const QJsonObject refused{{QStringLiteral("ok"), false},
                              {QStringLiteral("message"), QStringLiteral("Item bloqueado")}};
    RpcTestServer server([&](const QJsonObject &request, httplib::Response &res) {
        RpcTestServer::sendJson(
            res, RpcTestServer::success(request, refused, QJsonArray{QStringLiteral("0002")}));
    });
    auto connection = openConnection(server.port());
    QString key = QStringLiteral("0001");
    EXPECT_EQ(connection->Call(QStringLiteral("GetItemCole"), {RemoteArg::stringRef(&key)}),
              QJsonValue(refused));
    EXPECT_EQ(key, QStringLiteral("0002"));

    connection->SetThrowException(true);
    key = QStringLiteral("0001");
    try {
        connection->Call(QStringLiteral("GetItemCole"), {RemoteArg::stringRef(&key)});
        FAIL() << "no error";
    } catch (const NetError &error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).endsWith(QStringLiteral(": Item bloqueado")))
            << error.what();
    }
    EXPECT_EQ(key, QStringLiteral("0001"));
}

TEST(TNetConnection, TraceHookSeesEveryCallInOrder)
{
    TraceRecorder recorder;
    RpcTestServer server;
    auto connection = openConnection(server.port());
    QString filial = QStringLiteral("0001");
    connection->Call(QStringLiteral("GetParaSupri"), {RemoteArg::stringRef(&filial)});
    connection->Close();
    EXPECT_THROW(connection->Call(QStringLiteral("GetItemCole"), {RemoteArg::integer(3)}),
                 NetError);

    ASSERT_EQ(recorder.calls.size(), 2u);
    const CallTrace &first = recorder.calls[0];
    EXPECT_EQ(first.object, kObject);
    EXPECT_EQ(first.method, QStringLiteral("GetParaSupri"));
    EXPECT_EQ(first.args, QJsonArray{QStringLiteral("0001")});
    EXPECT_TRUE(first.ok);
    EXPECT_EQ(first.reply, QJsonValue(RpcTestServer::okReply()));
    EXPECT_EQ(first.refs, QJsonArray{QStringLiteral("0001")});
    const CallTrace &second = recorder.calls[1];
    EXPECT_EQ(second.method, QStringLiteral("GetItemCole"));
    EXPECT_EQ(second.args, QJsonArray{3});
    EXPECT_FALSE(second.ok);
    EXPECT_TRUE(second.error.contains(QStringLiteral("não está aberta")))
        << second.error.toStdString();
}

// The body is read in place rather than parsed whole; what it holds and how it can be broken
// must come out as it did when it was parsed whole.
TEST(TNetConnection, BodyIsReadAsADocumentParserReadsIt)
{
    struct Case {
        const char *name;
        std::string body;  // "@" stands for the id of the request
        const char *reply; // the reply expected, as JSON, or nothing for a failure
        const char *messagePart = "";
    };
    const std::string refs = R"("refs":["0002"])";
    const std::vector<Case> cases = {
        {"escapes in the reply",
         R"({"jsonrpc":"2.0","id":@,"result":{)" + refs +
             R"(,"reply":{"ok":true,"data":["a\"}b","c\\",")"
             R"(\u00e9\ud83d\ude00","Preço"]}}})",
         R"({"ok":true,"data":["a\"}b","c\\","\u00e9\ud83d\ude00","Preço"]})"},
        {"members in another order, white space",
         " {\"result\" : {\"reply\" : {\"ok\" : true} , " + refs + "} ,\n \"id\" : @ } \n",
         R"({"ok":true})"},
        {"id written with a fraction", R"({"id":@.0,"result":{"reply":{"ok":true},)" + refs + "}}",
         R"({"ok":true})"},
        {"repeated result: the last counts",
         R"({"id":@,"result":{"reply":7},"result":{"reply":{"ok":false},)" + refs + "}}",
         R"({"ok":false})"},
        // Qt's lenient parser took these; what is not strict JSON is no reply of this server.
        {"byte-order mark",
         "\xEF\xBB\xBF{\"id\":@,\"result\":{\"reply\":{\"ok\":true}," + refs + "}}", nullptr,
         "Resposta inválida do servidor de aplicação"},
        {"number with a bare point",
         R"({"id":@,"result":{"reply":{"ok":true,"data":1.},)" + refs + "}}", nullptr,
         "Resposta inválida do servidor de aplicação"},
        {"error that is no object", R"({"id":@,"error":"x","result":{"reply":true,)" + refs + "}}",
         "true"},
        {"truncated", R"({"id":@,"result":{"reply":{"ok":true},"refs":[nu)", nullptr,
         "Resposta inválida do servidor de aplicação"},
        {"garbage after the envelope", R"({"id":@,"result":{"reply":{"ok":true},)" + refs + "}}}",
         nullptr, "Resposta inválida do servidor de aplicação"},
        {"array for an envelope", R"([{"id":@}])", nullptr,
         "Resposta inválida do servidor de aplicação"},
        {"result that is no object", R"({"id":@,"result":[{"reply":{"ok":true}}]})", nullptr,
         "sem resultado"},
        {"refs that are no array", R"({"id":@,"result":{"reply":{"ok":true},"refs":"x"}})", nullptr,
         "0 valores de retorno para 1 argumentos"},
        {"error object in a well-formed body",
         R"({"id":@,"error":{"code":-32602,"message":"Par\u00e2metros"},"result":{}})", nullptr,
         "recusou a chamada: Parâmetros (código -32602)"},
        {"another call's id", R"({"id":0,"result":{"reply":{"ok":true},)" + refs + "}}", nullptr,
         "outra chamada"},
    };
    RpcTestServer server;
    auto connection = openConnection(server.port());
    for (const Case &c : cases) {
        server.setHandler([&c](const QJsonObject &request, httplib::Response &res) {
            std::string body = c.body;
            if (const size_t at = body.find('@'); at != std::string::npos)
                body.replace(at, 1, std::to_string(request.value(QStringLiteral("id")).toInt()));
            res.set_content(body, "application/json");
        });
        QString key = QStringLiteral("0001");
        try {
            const QJsonValue reply =
                connection->Call(QStringLiteral("GetItemCole"), {RemoteArg::stringRef(&key)});
            ASSERT_NE(c.reply, nullptr) << c.name << ": no error";
            EXPECT_EQ(key, QStringLiteral("0002")) << c.name;
            EXPECT_EQ(reply, QJsonDocument::fromJson("[" + QByteArray(c.reply) + "]").array().at(0))
                << c.name;
        } catch (const NetError &error) {
            EXPECT_EQ(c.reply, nullptr) << c.name << ": " << error.what();
            EXPECT_EQ(key, QStringLiteral("0001")) << c.name;
            EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QString::fromUtf8(c.messagePart)))
                << c.name << ": " << error.what();
        }
    }
}

// Opening decides, before anything is sent, whether the token may travel.
TEST(TNetConnection, TheTokenGoesOverPlainHttpOnlyToThisMachineUnlessAllowed)
{
    TlsContext context;
    struct Case {
        const char *host;
        bool token;
        bool allowed;
        bool opens;
    };
    const Case cases[] = {
        {"192.0.2.10", true, false, false},        {"appserver.example", true, false, false},
        {"192.0.2.10", true, true, true},          {"https://192.0.2.10", true, false, true},
        {"http://192.0.2.10", true, false, false}, {"appserver.example", false, false, true},
        {"127.0.0.1", true, false, true},          {"127.3.2.1", true, false, true},
        {"localhost", true, false, true},          {"LOCALHOST", true, false, true},
        {"128.0.0.1", true, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.host);
        context.set(c.token, {}, c.allowed);
        TNetConnection connection(kObject);
        connection.SetHost(QString::fromLatin1(c.host));
        connection.SetPort(8080);
        if (c.opens) {
            EXPECT_NO_THROW(connection.Open());
        } else {
            try {
                connection.Open();
                ADD_FAILURE() << "opened";
            } catch (const NetError &error) {
                EXPECT_TRUE(QString::fromUtf8(error.what())
                                .contains(QStringLiteral("NGC_ALLOW_PLAIN_TOKEN=1")))
                    << error.what();
            }
        }
    }
    context.set(false, QStringLiteral("/no/such/ca.pem"), false);
    TNetConnection missingCa(kObject);
    missingCa.SetHost(QStringLiteral("https://127.0.0.1"));
    EXPECT_THROW(missingCa.Open(), NetError);
}
