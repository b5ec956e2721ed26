#include <json/JsonScanner.h>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonDocument>

#include <string>
#include <utility>
#include <vector>

using namespace ngc;

namespace {

// Whether Qt's document parser takes the text; a scalar is taken as the element of an array,
// since a document must be an object or an array.
bool documentTakes(const std::string &text)
{
    const QByteArray bytes = QByteArray::fromStdString(text);
    const QByteArray trimmed = bytes.trimmed();
    const bool container = trimmed.startsWith('{') || trimmed.startsWith('[');
    QJsonParseError error;
    QJsonDocument::fromJson(container ? bytes : "[" + bytes + "]", &error);
    return error.error == QJsonParseError::NoError;
}

const std::string kEnvelope =
    R"({"jsonrpc":"2.0","id":17,"result":{"refs":["0001",null,"a\"b\\c"],)"
    R"("reply":{"ok":true,"data":{"fields":[{"name":"DS","type":"string","size":20},)"
    R"({"name":"VR","type":"float"}],"rows":[["Preço \u00e0 vista \ud83d\ude00",-1.5e-3],)"
    R"([null,0]]}}}})";

} // namespace

TEST(JsonScanner, AcceptsStrictJsonOnly)
{
    struct Case {
        const char *name;
        std::string text;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"empty object", "{}", true},
        {"white space around", " \t\r\n{ } \n", true},
        {"escaped quote and backslash", R"({"a\"":"\\\"\\"})", true},
        {"every simple escape", R"(["\"\\\/\b\f\n\r\t"])", true},
        {"unicode escapes", R"(["\u00E9\u00e9\ud83d\ude00"])", true},
        // Syntax allows it; what it means is for the decoder.
        {"lone surrogate escape", R"(["\ud800"])", true},
        {"UTF-8 of two, three and four bytes", "[\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\"]", true},
        {"nested containers", R"({"a":[{"b":[[],{}]},[1,[2,[3]]]],"c":{"d":{"e":null}}})", true},
        {"numbers", "[0,-0,12,-12.5,1.5e+3,1E-3,1.7e308,1e-300]", true},
        {"literals", "[true,false,null]", true},
        {"scalar at the top", "\"text\"", true},
        {"empty text", "", false},
        {"only white space", "  \n", false},
        {"truncated object", R"({"a":1)", false},
        {"truncated string", R"({"a":"b)", false},
        {"truncated escape", R"(["\)", false},
        {"truncated unicode escape", R"(["\u12"])", false},
        {"non-hex unicode escape", R"(["\u12G4"])", false},
        {"unknown escape", R"(["\x"])", false},
        {"control character in a string", "[\"a\x01\"]", false},
        {"trailing garbage", "{}x", false},
        {"second value", "{}{}", false},
        {"NUL after the value", std::string("{}\0", 3), false},
        {"byte-order mark", "\xEF\xBB\xBF{}", false},
        {"overlong UTF-8", "[\"\xC0\x80\"]", false},
        {"UTF-8 of a surrogate", "[\"\xED\xA0\x80\"]", false},
        {"UTF-8 beyond U+10FFFF", "[\"\xF4\x90\x80\x80\"]", false},
        {"UTF-8 cut short", "[\"\xE2\x82\"]", false},
        {"stray continuation byte", "[\"\x80\"]", false},
        {"leading zero", "[01]", false},
        {"point without digits", "[1.]", false},
        {"fraction without integer", "[.5]", false},
        {"minus alone", "[-]", false},
        {"plus sign", "[+1]", false},
        {"exponent without digits", "[1e]", false},
        {"infinite number", "[1e400]", false},
        {"just beyond the largest double", "[1.8e308]", false},
        {"number below the doubles", "[1e-400]", false},
        {"letter after a number", "[12a]", false},
        {"misspelt literal", "[tru]", false},
        {"capitalised literal", "[True]", false},
        {"literal run on", "[nullx]", false},
        {"trailing comma in an array", "[1,]", false},
        {"leading comma in an array", "[,1]", false},
        {"trailing comma in an object", R"({"a":1,})", false},
        {"member without value", R"({"a"})", false},
        {"member without colon", R"({"a" 1})", false},
        {"number as member name", "{1:2}", false},
        {"closing the wrong container", R"({"a":[1}})", false},
        {"unclosed inner container", R"({"a":[1,2})", false},
        {"deepest nesting a document takes", std::string(1024, '[') + std::string(1024, ']'), true},
        {"one level deeper", std::string(1025, '[') + std::string(1025, ']'), false},
    };
    for (const Case &c : cases) {
        const JsonScanner scanner(c.text);
        EXPECT_EQ(scanner.isValid(), c.valid) << c.name;
        // What the scanner accepts the document parser must take, or a reply read in place
        // would succeed where it used to fail.
        if (scanner.isValid()) {
            EXPECT_TRUE(documentTakes(c.text)) << c.name;
        }
    }
}

// Every cut of a document ends inside it, and a changed byte may break it: wherever the scanner
// still accepts the text, the document parser must too.
TEST(JsonScanner, NeverAcceptsWhatTheDocumentParserRefuses)
{
    for (size_t length = 0; length < kEnvelope.size(); ++length) {
        const std::string cut = kEnvelope.substr(0, length);
        EXPECT_FALSE(JsonScanner(cut).isValid()) << cut;
    }
    const std::string replacements = std::string("\"\\{}[],:0e-. xtu\x01\xC3\x80", 20);
    int accepted = 0;
    for (size_t at = 0; at < kEnvelope.size(); ++at) {
        for (char replacement : replacements) {
            std::string changed = kEnvelope;
            changed[at] = replacement;
            if (!JsonScanner(changed).isValid())
                continue;
            ++accepted;
            EXPECT_TRUE(documentTakes(changed)) << changed;
        }
    }
    // Many changes keep the text valid (a digit for a digit, a letter inside a string).
    EXPECT_GT(accepted, 100);
}

TEST(JsonScanner, FindsMembersAndElementsInPlace)
{
    const std::string text = R"(  {"a\"b" : "x\\" , "c":[1,{"d":"]}"},[ ]] ,"e":{},"f":-2.5e1}  )";
    const JsonScanner scanner(text);
    ASSERT_TRUE(scanner.isValid());
    EXPECT_EQ(scanner.bytes(scanner.root()), text.substr(2, text.size() - 4));

    std::vector<std::pair<std::string, std::string>> members;
    JsonScanner::Span array;
    scanner.forEachMember(scanner.root(), [&](JsonScanner::Span name, JsonScanner::Span value) {
        members.emplace_back(scanner.bytes(name), scanner.bytes(value));
        if (members.back().first == R"("c")")
            array = value;
        return true;
    });
    const std::vector<std::pair<std::string, std::string>> expected = {
        {R"("a\"b")", R"("x\\")"},
        {R"("c")", R"([1,{"d":"]}"},[ ]])"},
        {R"("e")", "{}"},
        {R"("f")", "-2.5e1"},
    };
    EXPECT_EQ(members, expected);

    std::vector<std::string> elements;
    scanner.forEachElement(array, [&](JsonScanner::Span value) {
        elements.emplace_back(scanner.bytes(value));
        return true;
    });
    EXPECT_EQ(elements, (std::vector<std::string>{"1", R"({"d":"]}"})", "[ ]"}));

    int visited = 0;
    scanner.forEachMember(scanner.root(), [&](JsonScanner::Span, JsonScanner::Span) {
        ++visited;
        return false;
    });
    EXPECT_EQ(visited, 1);
}
