#include <json/JsonTokenizer.h>

#include <gtest/gtest.h>

#include <QCborValue>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <string>
#include <vector>

using namespace ngc;

namespace {

// Qt's parser is the reference; a scalar is read as the element of an array, since a document
// must be an object or an array.
QJsonValue viaDocument(const std::string &text)
{
    const QByteArray bytes = QByteArray::fromStdString(text);
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (document.isObject())
        return document.object();
    if (document.isArray())
        return document.array();
    return QJsonDocument::fromJson("[" + bytes + "]").array().at(0);
}

// Equal, and numbers kept alike as integers or doubles (which decides how they are written
// back), all the way down.
void expectSame(const QJsonValue &ours, const QJsonValue &theirs, const std::string &text)
{
    ASSERT_EQ(ours, theirs) << text;
    if (ours.isDouble()) {
        const QCborValue a = QCborValue::fromJsonValue(ours);
        const QCborValue b = QCborValue::fromJsonValue(theirs);
        EXPECT_EQ(a.isInteger(), b.isInteger()) << text;
        EXPECT_EQ(a.toInteger(), b.toInteger()) << text;
    }
    const QJsonArray array = ours.toArray();
    for (qsizetype i = 0; i < array.size(); ++i)
        expectSame(array.at(i), theirs.toArray().at(i), text);
    const QJsonObject object = ours.toObject();
    for (auto it = object.begin(); it != object.end(); ++it)
        expectSame(it.value(), theirs.toObject().value(it.key()), text);
}

} // namespace

TEST(JsonTokenizer, ValuesReadAsTheDocumentParserReadsThem)
{
    const std::vector<std::string> texts = {
        R"({"jsonrpc":"2.0","id":17,"method":"GetItemCole","params":["0001",null,true,-3]})",
        R"([0,-0,1,-1,1.0,1e2,1.5,-12.5e-3,9007199254740993,-9223372036854775808,)"
        R"(9223372036854775808,123456789012345678901234567890,4.9e-324,1.7976931348623157e308])",
        R"(["","a\"b\\c\/\b\f\n\r\t","\u00e9\u00E9 Preço","\ud83d\ude00","\ud800","\udc00x",)"
        R"("\ud800\u0041","\u0000"])",
        R"({"a":1,"a":2,"b":{"a":[{}]},"":[]})",
        " \t\r\n[ 1 , { \"x\" : [ ] } ] \n",
        "\"text\"",
        "false",
        "null",
        std::string(1024, '[') + std::string(1024, ']'),
    };
    for (const std::string &text : texts) {
        SCOPED_TRACE(text.substr(0, 80));
        expectSame(parseJson(QByteArrayView(text.data(), qsizetype(text.size()))),
                   viaDocument(text), text.substr(0, 80));
    }
}

// Qt's parser drops a byte-order mark that starts a string; it is a character like any other and
// stays, wherever it stands.
TEST(JsonTokenizer, StringsKeepEveryCharacter)
{
    const QJsonArray read = parseJson("[\"\xEF\xBB\xBF"
                                      "A\",\"x\xEF\xBB\xBF\",\"\\ufeffB\"]")
                                .toArray();
    EXPECT_EQ(read, (QJsonArray{QStringLiteral("\ufeffA"), QStringLiteral("x\ufeff"),
                                QStringLiteral("\ufeffB")}));
}

TEST(JsonTokenizer, RefusalsNameTheOffsetAndTheReason)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "offset 0: value expected"},
        {"  ", "offset 2: value expected"},
        {"\xEF\xBB\xBF{}", "offset 0: value expected"},
        {"{} x", "offset 3: garbage at the end of the document"},
        {R"({"a" 1})", "offset 5: ':' expected"},
        {R"({"a":1,})", "offset 7: member name expected"},
        {"[1,]", "offset 3: value expected"},
        {"[1 2]", "offset 3: ',' or ']' expected"},
        {R"({"a":1 "b":2})", "offset 7: ',' or '}' expected"},
        {R"(["abc)", "offset 5: unterminated string"},
        {"[\"a\x01\"]", "offset 3: control character in string"},
        {R"(["\x"])", "offset 3: invalid escape"},
        {"[\"\xC0\x80\"]", "offset 2: invalid UTF-8 in string"},
        {"[01]", "offset 2: ',' or ']' expected"},
        {"[1.]", "offset 3: invalid number"},
        {"[.5]", "offset 1: value expected"},
        {"[-]", "offset 2: invalid number"},
        {"[1e400]", "offset 1: number out of range"},
        {"[1e-400]", "offset 1: number out of range"},
        {"[tru]", "offset 1: invalid literal"},
        {std::string(1025, '['), "offset 1024: too deeply nested"},
    };
    for (const auto &[text, message] : cases) {
        try {
            parseJson(QByteArrayView(text.data(), qsizetype(text.size())));
            ADD_FAILURE() << "accepted " << text.substr(0, 40);
        } catch (const JsonError &error) {
            EXPECT_EQ(std::string(error.what()), "invalid JSON at " + message)
                << text.substr(0, 40);
        }
    }
}
