#include <net/CheckResultServ.h>
#include <net/NetError.h>

#include <services/HostUi.h>
#include <services/SilentAbort.h>

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <ostream>
#include <string>

using namespace ngc;

namespace {

// Records the messages the host would show; nothing else is expected to be asked.
class RecordingUi final : public HostUi {
public:
    struct Shown {
        QString text;
        MsgKind kind;
    };
    QList<Shown> shown;

    MsgButton message(const QString &text, MsgKind kind, const MsgButtons &buttons) override
    {
        shown.append({text, kind});
        return buttons.value(0, MsgButton::Ok);
    }
    void unexpectedError(const QString &text) override { ADD_FAILURE() << text.toStdString(); }
    void beginProgress(QWidget *, int, const QString &) override { ADD_FAILURE(); }
    void endProgress() override { ADD_FAILURE(); }
    bool search(TClientDataSet &) override { return false; }
    bool chooseRow(TDataSource &, const QString &, const QString &) override { return false; }
    bool markRows(TDataSource &, const QString &, const QString &, bool, QString &) override
    {
        return false;
    }
};

class CheckResultServTest : public ::testing::Test {
protected:
    void SetUp() override { setHostUi(&ui); }
    void TearDown() override { setHostUi(nullptr); }
    RecordingUi ui;
};

QJsonValue json(const char *text)
{
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(text));
    if (document.isArray())
        return document.array();
    return document.object();
}

const char *const kPacket =
    R"({"fields":[{"name":"CDTIPCOB","type":"string","size":2},{"name":"VRPERDESITM","type":"float"}],
        "rows":[["01",2.5],[null,null]]})";

} // namespace

TEST_F(CheckResultServTest, SuccessReturnsTheDataPart)
{
    const QJsonValue packet = json(kPacket);
    struct Case {
        const char *name;
        QJsonValue reply;
        int index;
        QJsonValue data;
    };
    const std::vector<Case> cases = {
        {"packet", QJsonObject{{QStringLiteral("ok"), true}, {QStringLiteral("data"), packet}}, 0,
         packet},
        {"array of packets",
         QJsonObject{{QStringLiteral("ok"), true},
                     {QStringLiteral("data"), QJsonArray{packet, packet}}},
         0, QJsonArray{packet, packet}},
        {"null data", json(R"({"ok":true,"data":null})"), 0, QJsonValue()},
        {"no data", json(R"({"ok":true})"), 0, QJsonValue(QJsonValue::Undefined)},
        {"second of several replies", json(R"([{"ok":false,"message":"x"},{"ok":true,"data":7}])"),
         1, 7},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CheckResultServ(c.reply, true, c.index), c.data) << c.name;
    EXPECT_TRUE(ui.shown.isEmpty());
}

TEST_F(CheckResultServTest, FailureIsShownAsAnErrorAndEndsSilently)
{
    struct Case {
        const char *name;
        const char *reply;
        QString shown;
    };
    const std::vector<Case> cases = {
        {"message", R"({"ok":false,"message":"Coleta já aprovada."})",
         QStringLiteral("Coleta já aprovada.")},
        // A blank box would leave the buyer guessing what went wrong.
        {"empty message", R"({"ok":false,"message":"  "})",
         QStringLiteral("O servidor de aplicação recusou a operação sem informar o motivo.")},
        {"no message", R"({"ok":false})",
         QStringLiteral("O servidor de aplicação recusou a operação sem informar o motivo.")},
    };
    for (const Case &c : cases) {
        ui.shown.clear();
        EXPECT_THROW(CheckResultServ(json(c.reply), true, 0), SilentAbort) << c.name;
        ASSERT_EQ(ui.shown.size(), 1) << c.name;
        EXPECT_EQ(ui.shown[0].text, c.shown) << c.name;
        EXPECT_EQ(ui.shown[0].kind, MsgKind::Error) << c.name;
    }
}

TEST_F(CheckResultServTest, FailureIsRaisedUnshownWhenTheCallerHandlesIt)
{
    try {
        CheckResultServ(json(R"({"ok":false,"message":"Coleta já aprovada."})"), false, 0);
        FAIL() << "no error";
    } catch (const NetError &error) {
        EXPECT_EQ(QString::fromUtf8(error.what()), QStringLiteral("Coleta já aprovada."));
    }
    EXPECT_TRUE(ui.shown.isEmpty());
}

TEST_F(CheckResultServTest, ReplyOfUnknownShapeIsAnErrorNotASuccess)
{
    struct Case {
        const char *name;
        QJsonValue reply;
        int index;
    };
    const std::vector<Case> cases = {
        {"null", QJsonValue(), 0},
        {"string", QStringLiteral("ok"), 0},
        {"no ok", json(R"({"data":[]})"), 0},
        {"ok as text", json(R"({"ok":"true","data":[]})"), 0},
        {"ok as number", json(R"({"ok":1,"data":[]})"), 0},
        {"index beyond a single reply", json(R"({"ok":true,"data":null})"), 1},
        {"index beyond the replies", json(R"([{"ok":true}])"), 1},
        {"negative index", json(R"([{"ok":true}])"), -1},
    };
    for (const Case &c : cases)
        EXPECT_THROW(CheckResultServ(c.reply, true, c.index), NetError) << c.name;
    EXPECT_TRUE(ui.shown.isEmpty());
}

TEST_F(CheckResultServTest, PacketsAreTakenFromTheDataPart)
{
    const QJsonValue packet = json(kPacket);
    const DataPacket one = packetOf(packet);
    ASSERT_EQ(one.fields.size(), 2);
    EXPECT_EQ(one.fields[0], (FieldDef{QStringLiteral("CDTIPCOB"), FieldType::String, 2}));
    EXPECT_EQ(one.fields[1].type, FieldType::Float);
    ASSERT_EQ(one.rows.size(), 2);
    EXPECT_EQ(one.rows[0][1].toDouble(), 2.5);
    EXPECT_TRUE(one.rows[1][0].isNull());

    const QJsonValue empty = json(R"({"fields":[{"name":"X","type":"integer"}],"rows":[]})");
    const QJsonArray several{packet, empty};
    EXPECT_EQ(packetAt(several, 0), one);
    EXPECT_TRUE(packetAt(several, 1).rows.isEmpty());

    EXPECT_THROW(packetAt(several, 2), NetError);
    EXPECT_THROW(packetAt(several, -1), NetError);
    EXPECT_THROW(packetAt(packet, 0), NetError);
    EXPECT_THROW(packetOf(QJsonValue()), PacketError);
    EXPECT_THROW(packetOf(json(R"({"fields":[{"name":"C","type":"string","size":2}],
                                   "rows":[["too long"]]})")),
                 PacketError);
}

namespace {

QJsonValue parsedReply(const char *text)
{
    return QJsonDocument::fromJson("[" + QByteArray(text) + "]").array().at(0);
}

RemoteReply inPlace(const char *text)
{
    auto scanner = std::make_shared<const JsonScanner>(std::string(text));
    EXPECT_TRUE(scanner->isValid()) << text;
    return RemoteReply(JsonSpan(scanner, scanner->root()));
}

// How one check and decode ended: the data or packet it gave, or what it raised and showed.
struct Outcome {
    QJsonValue data;
    DataPacket packet;
    std::string error;
    QStringList shown;
    friend bool operator==(const Outcome &, const Outcome &) = default;
};

std::ostream &operator<<(std::ostream &out, const Outcome &outcome)
{
    out << QJsonDocument(QJsonArray{outcome.data}).toJson(QJsonDocument::Compact).toStdString()
        << " rows=" << outcome.packet.rows.size() << " error=" << outcome.error;
    for (const QString &text : outcome.shown)
        out << " shown=" << text.toStdString();
    return out;
}

enum class Decode { Nothing, One, At0, At1, At2 };

} // namespace

// The screen's calls hand CheckResultServ and the packet decoders the reply as it was received;
// whatever the reply, they must end as they did with the reply parsed into a QJsonValue.
TEST_F(CheckResultServTest, ReplyReadInPlaceEndsAsTheParsedReplyDoes)
{
    struct Case {
        const char *name;
        std::string reply;
        int index;
        Decode decode;
        const char *ends; // how both end: "" for a success, else the start of the error
        bool showFailure = true;
    };
    const char *const fields =
        R"("fields":[{"name":"CD","type":"string","size":2},{"name":"VR","type":"float"},)"
        R"({"name":"NR","type":"integer"},{"name":"DT","type":"datetime"}])";
    const std::string packet =
        std::string("{") + fields +
        R"(,"rows":[["01",2.5,3,"2026-12-08T00:00:00"],[null,-1e-3,null,null],["\"\\",0,-7,null]]})";
    const std::string empty = std::string("{") + fields + R"(,"rows":[]})";
    auto ok = [](const std::string &data) { return R"({"ok":true,"data":)" + data + "}"; };
    auto bad = [&](const char *rows) {
        return ok(std::string("{") + fields + R"(,"rows":)" + rows + "}");
    };
    const std::string several = ok("[" + packet + "," + empty + "]");
    const std::string refused = R"({"ok":false,"message":"Coleta j\u00e1 aprovada: \"001\"."})";
    const std::string refusedThenPacket =
        "[" + std::string(R"({"ok":false,"message":"x"})") + "," + ok(packet) + "]";
    const std::vector<Case> cases = {
        {"packet", ok(packet), 0, Decode::One, ""},
        {"array of packets, first", several, 0, Decode::At0, ""},
        {"array of packets, second", several, 0, Decode::At1, ""},
        {"array of packets, beyond", several, 0, Decode::At2, "NetError"},
        {"array of packets as one", several, 0, Decode::One, "PacketError"},
        {"packet as an array", ok(packet), 0, Decode::At0, "NetError"},
        {"null data", ok("null"), 0, Decode::Nothing, ""},
        {"null data as a packet", ok("null"), 0, Decode::One, "PacketError"},
        {"no data", R"({"ok":true})", 0, Decode::Nothing, ""},
        {"no data as a packet", R"({"ok":true})", 0, Decode::One, "PacketError"},
        {"refused with a message", refused, 0, Decode::One, "silent abort"},
        {"refused with a message, unshown", refused, 0, Decode::One, "NetError: Coleta", false},
        {"refused with a blank message", R"({"ok":false,"message":" "})", 0, Decode::Nothing,
         "silent abort"},
        {"refused without a message", R"({"ok":false})", 0, Decode::Nothing, "silent abort"},
        {"refused without a message, unshown", R"({"ok":false})", 0, Decode::Nothing,
         "NetError: O servidor", false},
        {"first of several replies", refusedThenPacket, 0, Decode::Nothing, "silent abort"},
        {"second of several replies", refusedThenPacket, 1, Decode::One, ""},
        {"beyond the replies", refusedThenPacket, 2, Decode::Nothing, "NetError"},
        {"negative index", refusedThenPacket, -1, Decode::Nothing, "NetError"},
        {"index beyond a single reply", ok(packet), 1, Decode::One, "NetError"},
        {"ok as text", R"({"ok":"true","data":[]})", 0, Decode::Nothing, "NetError"},
        {"reply is a string", R"("ok")", 0, Decode::Nothing, "NetError"},
        {"row too short", bad(R"([["01",2.5,3]])"), 0, Decode::One, "PacketError"},
        {"string too long", bad(R"([["abc",2.5,3,null]])"), 0, Decode::One, "PacketError"},
        {"text for a float", bad(R"([["01","2.5",3,null]])"), 0, Decode::One, "PacketError"},
        {"fraction for an integer", bad(R"([["01",2.5,3.5,null]])"), 0, Decode::One, "PacketError"},
        {"bad date-time", bad(R"([["01",2.5,3,"08/12/2026"]])"), 0, Decode::One, "PacketError"},
        {"rows no array", bad(R"(7)"), 0, Decode::One, "PacketError"},
        {"no fields", ok(R"({"rows":[]})"), 0, Decode::One, "PacketError"},
        {"unknown type", ok(R"({"rows":[],"fields":[{"name":"CD","type":"text"}]})"), 0,
         Decode::One, "PacketError"},
        {"repeated rows",
         ok(R"({"rows":[[1]],"fields":[{"name":"N","type":"integer"}],"rows":[[2],[3]]})"), 0,
         Decode::One, ""},
        {"lone surrogate", bad(R"([["\ud800",1,1,null]])"), 0, Decode::One, ""},
        {"member beside the packet",
         ok(R"({"fields":[{"name":"N","type":"integer"}],"rows":[[1],[2]],"extra":{"x":[]}})"), 0,
         Decode::One, ""},
        {"empty list of packets", ok("[]"), 0, Decode::At0, "NetError"},
        {"list with a number", ok(R"([{"fields":[],"rows":[]},7])"), 0, Decode::At1, "PacketError"},
    };

    auto run = [this](const Case &c, auto check) {
        ui.shown.clear();
        Outcome outcome;
        try {
            const auto data = check(c);
            outcome.data = QJsonValue(data);
            switch (c.decode) {
            case Decode::Nothing:
                break;
            case Decode::One:
                outcome.packet = packetOf(data);
                break;
            case Decode::At0:
            case Decode::At1:
            case Decode::At2:
                outcome.packet = packetAt(data, int(c.decode) - int(Decode::At0));
                break;
            }
        } catch (const SilentAbort &) {
            outcome.error = "silent abort";
        } catch (const NetError &error) {
            outcome.error = std::string("NetError: ") + error.what();
        } catch (const PacketError &error) {
            outcome.error = std::string("PacketError: ") + error.what();
        }
        for (const auto &shown : ui.shown)
            outcome.shown.append(shown.text);
        return outcome;
    };
    for (const Case &c : cases) {
        const Outcome parsed = run(c, [](const Case &one) {
            return CheckResultServ(parsedReply(one.reply.c_str()), one.showFailure, one.index);
        });
        const Outcome read = run(c, [](const Case &one) {
            return CheckResultServ(inPlace(one.reply.c_str()), one.showFailure, one.index);
        });
        EXPECT_EQ(read, parsed) << c.name;
        EXPECT_TRUE(parsed.error.starts_with(c.ends) && (*c.ends || parsed.error.empty()))
            << c.name << ": " << parsed;
    }
}
