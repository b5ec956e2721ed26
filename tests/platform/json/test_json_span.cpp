#include <json/JsonSpan.h>

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <string>
#include <vector>

using namespace ngc;

namespace {

JsonSpan inPlace(const std::string &text)
{
    auto scanner = std::make_shared<const JsonScanner>(text);
    EXPECT_TRUE(scanner->isValid()) << text;
    return JsonSpan(scanner, scanner->root());
}

QJsonValue document(const std::string &text)
{
    const QJsonDocument parsed = QJsonDocument::fromJson(QByteArray::fromStdString(text));
    return parsed.isArray() ? QJsonValue(parsed.array()) : QJsonValue(parsed.object());
}

// Reads span the way CheckResultServ and the connection do, everywhere, and compares each answer
// with the parsed value's.
void expectSame(const JsonSpan &span, const QJsonValue &value, const std::string &path)
{
    ASSERT_EQ(span.type(), value.type()) << path;
    EXPECT_EQ(span.toJson(), value) << path;
    EXPECT_EQ(span.toBool(), value.toBool()) << path;
    EXPECT_EQ(span.toString(), value.toString()) << path;
    const qsizetype size = value.isArray() ? value.toArray().size() : 0;
    EXPECT_EQ(span.size(), size) << path;
    EXPECT_TRUE(span.at(size).isUndefined()) << path;
    EXPECT_TRUE(span.at(-1).isUndefined()) << path;
    for (qsizetype i = 0; i < size; ++i)
        expectSame(span.at(i), value.toArray().at(i), path + "[" + std::to_string(i) + "]");
    EXPECT_TRUE(span.member(QLatin1StringView("absent")).isUndefined()) << path;
    if (!value.isObject())
        return;
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QByteArray name = it.key().toLatin1();
        expectSame(span.member(QLatin1StringView(name)), it.value(),
                   path + "." + name.toStdString());
    }
}

} // namespace

TEST(JsonSpan, AnswersAsTheParsedValueDoes)
{
    const std::vector<std::string> texts = {
        R"({"ok":true,"data":{"fields":[{"name":"A","type":"string","size":2}],"rows":[["x"]]}})",
        R"([{"ok":false,"message":"Coleta j\u00e1 aprovada: \"001\" \\ fim"},{"ok":true,"data":[]}])",
        // A repeated name: the document keeps the last one.
        R"({"ok":false,"data":1,"ok":true,"message":"a","message":"b"})",
        // Names written with escapes are the names they spell.
        R"({"\u006fk":true,"d\u0061ta":null,"a\"b":1})",
        // Latin-1 letters past ASCII are two bytes in the text and one in the name looked up.
        R"({"pre\u00e7o":1,"ÿ":[2],"naïve":"x"})",
        R"({"s":"Pre\u00e7o \ud83d\ude00 à vista","n":[-0,1.5e3,12,1e-300],"b":[true,false,null]})",
        R"({"e":{},"a":[],"nested":[[[{"x":[{}]}]]],"empty":""})",
        R"(["only", "elements", 1, {"k": "v"}])",
    };
    for (const std::string &text : texts) {
        const QJsonValue value = document(text);
        expectSame(inPlace(text), value, text);
        // A span standing for a parsed value answers alike.
        expectSame(JsonSpan(value), value, "parsed " + text);
    }
}

TEST(JsonSpan, ExposesTheBytes)
{
    const JsonSpan span = inPlace(R"( {"rows":[],"fields":[],"rows":[1]} )");
    EXPECT_EQ(span.rawJson(), QByteArray(R"({"rows":[],"fields":[],"rows":[1]})"));
    EXPECT_EQ(span.member(QLatin1StringView("rows")).rawJson(), QByteArray("[1]"));

    // A value that was not read in place has no bytes, and an absent one is undefined.
    EXPECT_TRUE(JsonSpan(QJsonValue(1)).rawJson().isNull());
    EXPECT_EQ(JsonSpan().toJson(), QJsonValue(QJsonValue::Undefined));
    EXPECT_EQ(JsonSpan().type(), QJsonValue::Undefined);
}
