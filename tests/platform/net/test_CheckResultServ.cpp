#include <net/CheckResultServ.h>
#include <net/NetError.h>

#include <host/HostUi.h>
#include <host/SilentAbort.h>

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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
