#include "ServerTestSupport.h"

#include <QDir>
#include <QFile>

namespace {

// Each golden file holds one request and the exact response the demo data gives for it; the
// same files are the examples of the protocol documentation.
class Golden : public testing::TestWithParam<QString> {};

TEST_P(Golden, ResponseMatchesTheRecordedOne)
{
    QFile file(QStringLiteral(NGC_GOLDEN_DIR "/") + GetParam());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject golden = QJsonDocument::fromJson(file.readAll()).object();

    ngc::Database database(QStringLiteral("sqlite::memory:"));
    {
        auto session = database.session();
        ngc::Schema::migrate(session);
        ngc::Seed::demo(session);
    }
    const ngc::Dispatcher dispatcher(database);
    const QByteArray response = dispatcher.handle(
        golden["object"].toString(),
        QJsonDocument(golden["request"].toObject()).toJson(QJsonDocument::Compact));
    EXPECT_EQ(QJsonDocument::fromJson(response).object(), golden["response"].toObject())
        << response.toStdString();
    // Replies are written as text; they must be byte for byte what a JSON document of the same
    // content gives.
    EXPECT_EQ(response.toStdString(),
              QJsonDocument(golden["response"].toObject()).toJson(QJsonDocument::Compact).toStdString());
}

std::vector<QString> goldenFiles()
{
    std::vector<QString> names;
    for (const QString &name :
         QDir(QStringLiteral(NGC_GOLDEN_DIR)).entryList({QStringLiteral("*.json")}, QDir::Files))
        names.push_back(name);
    return names;
}

INSTANTIATE_TEST_SUITE_P(Methods, Golden, testing::ValuesIn(goldenFiles()),
                         [](const testing::TestParamInfo<QString> &file) {
                             return file.param.chopped(5).remove('_').toStdString();
                         });

TEST(Dispatcher, ProtocolFaultsGetTheStandardErrorCodes)
{
    ngc::Database database(QStringLiteral("sqlite::memory:"));
    {
        auto session = database.session();
        ngc::Schema::migrate(session);
    }
    QList<ngc::RequestLog> logged;
    const ngc::Dispatcher dispatcher(database,
                                     [&](const ngc::RequestLog &entry) { logged.append(entry); });
    const QString own = kOwnObject;
    const QList<std::tuple<const char *, QString, QByteArray, int, QJsonValue>> cases{
        {"malformed JSON", own, R"({"jsonrpc":"2.0","id":1,"method":)", -32700, {}},
        {"empty body", own, "", -32700, {}},
        {"wrong version", own, R"({"jsonrpc":"1.0","id":3,"method":"GetTipoCobr","params":[]})",
         -32600, 3},
        {"method not a string", own, R"({"jsonrpc":"2.0","id":4,"method":5,"params":[]})", -32600,
         4},
        {"params a string", own,
         R"({"jsonrpc":"2.0","id":5,"method":"GetTipoCobr","params":"a"})", -32600, 5},
        {"params by name", own,
         R"({"jsonrpc":"2.0","id":5,"method":"GetTipoCobr","params":{"a":1}})", -32602, 5},
        {"id neither number, string nor null", own,
         R"({"jsonrpc":"2.0","id":true,"method":"Ping"})", -32600, {}},
        {"unknown object", QStringLiteral("Ngc.rdmOutro"),
         R"({"jsonrpc":"2.0","id":6,"method":"GetTipoCobr","params":["","T"]})", -32601, 6},
        {"method of the other object", QStringLiteral("Ngc.rdmSuprimentos"),
         R"({"jsonrpc":"2.0","id":7,"method":"GetTipoCobr","params":["","T"]})", -32601, 7},
        {"unknown method", own, R"({"jsonrpc":"2.0","id":"x","method":"DropAll","params":[]})",
         -32601, "x"},
        {"missing params", own, R"({"jsonrpc":"2.0","id":8,"method":"GetTipoCobr"})", -32602, 8},
        {"too many arguments", own,
         R"({"jsonrpc":"2.0","id":9,"method":"GetTipoCobr","params":["","T",""]})", -32602, 9},
        {"null for a string", own,
         R"({"jsonrpc":"2.0","id":10,"method":"GetTipoCobr","params":[null,"T"]})", -32602, 10},
        {"integer out of range", own,
         R"({"jsonrpc":"2.0","id":11,"method":"SetItemCole","params":[null,null,false,"",)"
         R"(4294967296,0,0,0,"","","",""]})",
         -32602, 11},
        {"array for a packet", own,
         R"({"jsonrpc":"2.0","id":12,"method":"SetPzoPgtItmCol","params":[[1]]})", -32602, 12},
    };
    for (const auto &[name, object, body, code, id] : cases) {
        SCOPED_TRACE(name);
        const QJsonObject response =
            QJsonDocument::fromJson(dispatcher.handle(object, body)).object();
        EXPECT_EQ(response["jsonrpc"].toString(), "2.0");
        EXPECT_EQ(response["error"]["code"].toInt(), code);
        EXPECT_FALSE(response["error"]["message"].toString().isEmpty());
        EXPECT_EQ(response["id"], id.isUndefined() ? QJsonValue(QJsonValue::Null) : id);
        EXPECT_FALSE(response.contains("result"));
    }
    ASSERT_EQ(logged.size(), cases.size());
    EXPECT_EQ(logged.last().method, "SetPzoPgtItmCol");
    EXPECT_EQ(logged.last().outcome, "error -32602");
}

// Batches and notifications as JSON-RPC 2.0 has them: the replies of a batch in order, none for
// a notification (not even an error about its method), an answer to whatever is too malformed to
// be either.
TEST(Dispatcher, BatchesAndNotifications)
{
    ngc::Database database(QStringLiteral("sqlite::memory:"));
    {
        auto session = database.session();
        ngc::Schema::migrate(session);
    }
    int logged = 0;
    const ngc::Dispatcher dispatcher(database, [&](const ngc::RequestLog &) { ++logged; });
    const QByteArray ping = R"({"jsonrpc":"2.0","id":1,"method":"Ping"})";
    const QByteArray note = R"({"jsonrpc":"2.0","method":"Ping"})";
    const QByteArray pingReply =
        R"({"id":1,"jsonrpc":"2.0","result":{"refs":[],"reply":{"data":null,"ok":true}}})";
    const QByteArray invalid =
        R"({"error":{"code":-32600,"message":"Invalid Request: a request object or a non-empty )"
        R"(array of them is expected"},"id":null,"jsonrpc":"2.0"})";
    const QList<std::tuple<const char *, QByteArray, QByteArray, int>> cases{
        {"notification", note, "", 1},
        {"notification of an unknown method", R"({"jsonrpc":"2.0","method":"DropAll"})", "", 1},
        {"notification with wrong arguments",
         R"({"jsonrpc":"2.0","method":"Ping","params":[1]})", "", 1},
        {"null id", R"({"jsonrpc":"2.0","id":null,"method":"Ping"})",
         R"({"id":null,"jsonrpc":"2.0","result":{"refs":[],"reply":{"data":null,"ok":true}}})",
         1},
        {"batch", "[" + ping + "," + note + "," + ping + "]", "[" + pingReply + "," + pingReply + "]",
         3},
        {"batch of notifications", "[" + note + "," + note + "]", "", 2},
        {"empty batch", "[]", invalid, 1},
        {"batch of non-requests", "[1,\"x\"]", "[" + invalid + "," + invalid + "]", 2},
        {"malformed notification",
         R"({"method":"Ping"})",
         R"({"error":{"code":-32600,"message":"Invalid Request: \"jsonrpc\" must be \"2.0\""},)"
         R"("id":null,"jsonrpc":"2.0"})",
         1},
    };
    for (const auto &[name, request, response, entries] : cases) {
        SCOPED_TRACE(name);
        logged = 0;
        EXPECT_EQ(dispatcher.handle(kOwnObject, request).toStdString(), response.toStdString());
        EXPECT_EQ(logged, entries);
    }
}

TEST(Dispatcher, EmptyWritesSucceedWithNullDataAndEchoTheReferences)
{
    ngc::Database database(QStringLiteral("sqlite::memory:"));
    {
        auto session = database.session();
        ngc::Schema::migrate(session);
    }
    const ngc::Dispatcher dispatcher(database);
    const QByteArray body =
        R"({"jsonrpc":"2.0","id":2,"method":"SetItemCole","params":[null,["CDSEGMARCCOL"],true,)"
        R"("CC01",0,1,2,0,"","","[\"1001\"]",""]})";
    const QJsonObject response =
        QJsonDocument::fromJson(dispatcher.handle(kOwnObject, body)).object();
    const QJsonObject expected =
        QJsonDocument::fromJson(
            R"({"jsonrpc":"2.0","id":2,"result":{"reply":{"ok":true,"data":null},)"
            R"("refs":[null,["CDSEGMARCCOL"],null,"CC01",null,null,null,null,"","","[\"1001\"]",""]}})")
            .object();
    EXPECT_EQ(response, expected);
}

// The health check answers without the database: a server whose database cannot be opened still
// answers it, on both objects, while every method that reads fails.
TEST(Dispatcher, PingAnswersWithoutTheDatabase)
{
    ngc::Database database(QStringLiteral("sqlite:/nonexistent-directory/ngc.db"));
    const ngc::Dispatcher dispatcher(database);
    for (const QString &object : {kOwnObject, QStringLiteral("Ngc.rdmSuprimentos")}) {
        SCOPED_TRACE(object.toStdString());
        EXPECT_EQ(dispatcher.handle(object, R"({"jsonrpc":"2.0","id":3,"method":"Ping"})"),
                  R"({"id":3,"jsonrpc":"2.0","result":{"refs":[],"reply":{"data":null,"ok":true}}})");
        const QJsonObject withArgument = QJsonDocument::fromJson(dispatcher.handle(
            object, R"({"jsonrpc":"2.0","id":4,"method":"Ping","params":["x"]})")).object();
        EXPECT_EQ(withArgument["error"]["code"].toInt(), -32602);
    }
    const QJsonObject read = QJsonDocument::fromJson(dispatcher.handle(
        QStringLiteral("Ngc.rdmSuprimentos"),
        R"({"jsonrpc":"2.0","id":5,"method":"GetParaSupri","params":["0001"]})")).object();
    EXPECT_EQ(read["error"]["code"].toInt(), -32603);
}

// Envelopes are written as text; whatever the id, the references and the message, they are the
// bytes a JSON document of the same content gives.
TEST(Dispatcher, RepliesAreTheBytesOfTheEquivalentDocument)
{
    ngc::Database database(QStringLiteral("sqlite::memory:"));
    {
        auto session = database.session();
        ngc::Schema::migrate(session);
        ngc::Seed::demo(session);
    }
    const ngc::Dispatcher dispatcher(database);
    const QByteArray closedItem =
        R"(["0001","2026000002","1001","00001","1001","001"])";
    const QList<std::pair<const char *, QByteArray>> cases{
        {"string id with escapes", R"({"jsonrpc":"2.0","id":"a\"b\u00e9\n","method":"Ping"})"},
        {"fractional id", R"({"jsonrpc":"2.0","id":1.5,"method":"Ping"})"},
        {"large id", R"({"jsonrpc":"2.0","id":1e15,"method":"Ping"})"},
        {"huge id", R"({"jsonrpc":"2.0","id":123456789012345678901234567890,"method":"Ping"})"},
        {"negative id", R"({"jsonrpc":"2.0","id":-0,"method":"Ping"})"},
        {"refused with an accented message",
         R"({"jsonrpc":"2.0","id":6,"method":"DeletaPrazoPg","params":)" + closedItem + "}"},
        {"by-reference values with escapes",
         R"({"jsonrpc":"2.0","id":7,"method":"GetVerif_ColeApr","params":["\"0\u00e7","\t"]})"},
    };
    for (const auto &[name, body] : cases) {
        SCOPED_TRACE(name);
        const QByteArray response = dispatcher.handle(kOwnObject, body);
        const QJsonObject parsed = QJsonDocument::fromJson(response).object();
        ASSERT_TRUE(parsed.contains("result")) << response.toStdString();
        if (std::string_view(name).starts_with("refused")) {
            EXPECT_FALSE(parsed["result"]["reply"]["ok"].toBool());
        }
        const QJsonObject request = QJsonDocument::fromJson(body).object();
        QJsonObject expected = parsed;
        expected["id"] = request["id"];
        EXPECT_EQ(response.toStdString(),
                  QJsonDocument(expected).toJson(QJsonDocument::Compact).toStdString());
    }
}

} // namespace
