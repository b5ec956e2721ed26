#include <net/RpcRequest.h>

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>
#include <vector>

using namespace ngc;

namespace {

// The text one argument takes in a request.
QByteArray argumentText(const RemoteArg &arg)
{
    RpcRequest request(1, QStringLiteral("M"));
    request.add(arg);
    const QByteArray text = request.text();
    const QByteArray head = R"({"id":1,"jsonrpc":"2.0","method":"M","params":[)";
    EXPECT_TRUE(text.startsWith(head) && text.endsWith("]}")) << text.toStdString();
    return text.mid(head.size(), text.size() - head.size() - 2);
}

QJsonValue readBack(const QByteArray &text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson("[" + text + "]", &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text.toStdString();
    return document.array().at(0);
}

} // namespace

TEST(RpcRequest, ValuesReadBackAsTheyWere)
{
    struct Case {
        const char *name;
        QJsonValue value;
        const char *text; // the exact text where it matters, else nullptr
    };
    const QJsonObject packet =
        QJsonDocument::fromJson(R"({"fields":[{"name":"A","type":"float"}],"rows":[[1.5]]})")
            .object();
    const std::vector<Case> cases = {
        {"plain text", QStringLiteral("0001"), R"("0001")"},
        {"empty text", QString(), R"("")"},
        {"quote and backslash", QStringLiteral(R"(a"b\c)"), R"("a\"b\\c")"},
        {"control characters", QStringLiteral("\b\f\n\r\t") + QChar(1) + QChar(0x1f),
         R"("\b\f\n\r\t\u0001\u001f")"},
        {"accents", QStringLiteral("Preço à vista"), "\"Pre\xC3\xA7o \xC3\xA0 vista\""},
        {"escapes beside accents", QStringLiteral("é\"\n"), "\"\xC3\xA9\\\"\\n\""},
        {"surrogate pair", QString::fromUtf8("\xF0\x9F\x98\x80"), nullptr},
        {"lone surrogate", QString(QChar(0xD800)) + QStringLiteral("x"), nullptr},
        {"null", QJsonValue(), "null"},
        {"undefined goes as null", QJsonValue(QJsonValue::Undefined), "null"},
        {"true", true, "true"},
        {"false", false, "false"},
        {"integer", 2, "2"},
        {"smallest integer", std::numeric_limits<qint32>::min(), "-2147483648"},
        {"zero", 0, "0"},
        {"negative zero", -0.0, nullptr},
        {"fraction", 2.5, nullptr},
        {"tiny", 1e-300, nullptr},
        {"beyond exact integers", 9007199254740993.0, nullptr},
        {"list of names", QJsonArray{QStringLiteral("CDTIPCOB"), QStringLiteral("a\"b")}, nullptr},
        {"packet", packet, nullptr},
    };
    for (const Case &c : cases) {
        const QByteArray text = argumentText(RemoteArg::variant(c.value));
        if (c.text) {
            EXPECT_EQ(text, QByteArray(c.text)) << c.name;
        }
        const QJsonValue expected = c.value.isUndefined() ? QJsonValue() : c.value;
        const QJsonValue read = readBack(text);
        EXPECT_EQ(read, expected) << c.name << ": " << text.toStdString();
        if (c.value.isDouble()) {
            EXPECT_EQ(std::signbit(read.toDouble()), std::signbit(c.value.toDouble())) << c.name;
        }
    }
    // A lone surrogate is kept, as the document writer keeps it.
    const QByteArray lone = argumentText(RemoteArg::string(QString(QChar(0xDC00))));
    EXPECT_EQ(lone, QByteArray(R"("\udc00")"));
    EXPECT_EQ(readBack(lone).toString(), QString(QChar(0xDC00)));
}

TEST(RpcRequest, IsOneJsonRpcRequest)
{
    QString filial = QStringLiteral("0001");
    QJsonValue nulls;
    RpcRequest request(7, QStringLiteral("GetItemCole"));
    for (const RemoteArg &arg :
         {RemoteArg::stringRef(&filial), RemoteArg::string(QStringLiteral("x\"y")),
          RemoteArg::variantRef(&nulls), RemoteArg::boolean(true), RemoteArg::integer(-3)})
        request.add(arg);
    const QByteArray text = request.text();
    QJsonParseError error;
    const QJsonObject body = QJsonDocument::fromJson(text, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << text.toStdString();
    const QJsonObject expected{
        {QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
        {QStringLiteral("id"), 7},
        {QStringLiteral("method"), QStringLiteral("GetItemCole")},
        {QStringLiteral("params"),
         QJsonArray{QStringLiteral("0001"), QStringLiteral("x\"y"), QJsonValue(), true, -3}}};
    EXPECT_EQ(body, expected) << text.toStdString();

    RpcRequest none(1, QStringLiteral("Ping"));
    EXPECT_EQ(QJsonDocument::fromJson(none.text()).object().value(QStringLiteral("params")),
              QJsonValue(QJsonArray()));
}
