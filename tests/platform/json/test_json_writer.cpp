#include <json/JsonWriter.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace {

// The writer must give the very bytes QJsonDocument gives: the client's parser is not the
// question, the golden replies and the codec's float round trip are.
QByteArray viaDocument(const QJsonValue &value)
{
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

QByteArray written(const QJsonValue &value)
{
    ngc::JsonWriter writer;
    writer.value(value);
    return writer.take();
}

const double kEdgeNumbers[] = {0.0,
                               -0.0,
                               1.0,
                               -1.0,
                               0.1,
                               1.0 / 3,
                               20.0,
                               0.05,
                               1e15,
                               1e16,
                               1e20,
                               1e21,
                               1e-7,
                               123456.789,
                               9007199254740991.0,
                               9007199254740992.0,
                               9007199254740994.0,
                               -9007199254740992.0,
                               -9007199254740994.0,
                               4.9e-324,
                               std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::lowest(),
                               std::numeric_limits<double>::min(),
                               std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN()};

QString randomText(QRandomGenerator &random)
{
    // Weighted towards what needs care: escapes, control characters, accents, pairs and halves
    // of surrogate pairs.
    static const char16_t pool[] = {u'a',   u'Z',   u'0',   u' ',   u'"',   u'\\',  u'/',
                                    u'\b',  u'\f',  u'\n',  u'\r',  u'\t',  0x01,   0x1f,
                                    0x7f,   0x80,   0xe9,   0xe7,   0x20ac, 0xfffd, 0xfeff,
                                    0xffff, 0xd83d, 0xde00, 0xdbff, 0xdc00};
    QString text;
    const int length = random.bounded(12);
    for (int i = 0; i < length; ++i)
        text.append(QChar(pool[random.bounded(static_cast<int>(std::size(pool)))]));
    return text;
}

TEST(JsonWriter, ScalarsAreWrittenAsTheDocumentWritesThem)
{
    for (double number : kEdgeNumbers) {
        SCOPED_TRACE(number);
        EXPECT_EQ(written(QJsonValue(number)), viaDocument(QJsonValue(number)));
        ngc::JsonWriter writer;
        writer.number(number);
        EXPECT_EQ(writer.take(), viaDocument(QJsonValue(number)));
    }
    for (qint64 number : {qint64{0}, qint64{-1}, qint64{42}, std::numeric_limits<qint64>::max(),
                          std::numeric_limits<qint64>::min(), qint64{1} << 53}) {
        SCOPED_TRACE(number);
        ngc::JsonWriter writer;
        writer.integer(number);
        EXPECT_EQ(writer.take(), viaDocument(QJsonValue(number)));
    }
    QRandomGenerator random(20261208);
    for (int i = 0; i < 2000; ++i) {
        const QString text = randomText(random);
        EXPECT_EQ(written(text), viaDocument(text)) << text.toStdString();
        const double bits = std::bit_cast<double>(random.generate64());
        EXPECT_EQ(written(bits), viaDocument(bits)) << bits;
    }
}

// Text read from SQLite is written from its UTF-8 bytes; it must come out as the same text
// decoded would, a leading byte-order mark included. Broken bytes are refused, not guessed at.
TEST(JsonWriter, Utf8TextIsWrittenAsItsDecodedText)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QRandomGenerator random(8122026);
    for (int i = 0; i < 2000; ++i) {
        const QByteArray bytes = randomText(random).toUtf8();
        ngc::JsonWriter writer;
        ASSERT_TRUE(writer.stringFromUtf8(bytes)) << bytes.toHex().constData();
        const QString text = decoder.decode(bytes);
        EXPECT_EQ(writer.take(), viaDocument(text)) << bytes.toHex().constData();
    }
    for (const char *broken : {"\x80", "a\xc0\xaf" "b", "\xed\xa0\x80", "\xe2\x82", "\xf4\x90\x80\x80",
                               "\xf8\x88\x80\x80\x80", "\xc3", "ok\xe0\x80\x80", "\xef\xbf"}) {
        const QByteArray bytes(broken);
        SCOPED_TRACE(bytes.toHex().constData());
        ngc::JsonWriter writer;
        EXPECT_FALSE(writer.stringFromUtf8(bytes));
        EXPECT_TRUE(writer.take().isEmpty());
    }
}

// Request ids come from the parser, which keeps some whole numbers as doubles; they are echoed
// back in the same form.
TEST(JsonWriter, ParsedValuesAreEchoedUnchanged)
{
    for (const char *json :
         {R"([1,-7,1.5,1e15,1.0,-0,1e300,9007199254740993,123456789012345678901234567890])",
          R"(["x\u0000y","\ud800",{"b":[true,false,null],"a":{"z":1,"\u00e9":2}}])",
          R"([[],{},"",[[[]]],-0.0,2.5e-8])"}) {
        SCOPED_TRACE(json);
        const QJsonArray parsed = QJsonDocument::fromJson(json).array();
        ASSERT_FALSE(parsed.isEmpty());
        EXPECT_EQ(written(parsed), viaDocument(parsed));
    }
}

} // namespace
