#include <data/DataPacket.h>

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>

using namespace ngc;

namespace {

DataPacket onePacket(FieldType type, const QVariant &value, int size = 0)
{
    DataPacket packet;
    packet.fields = {FieldDef{"V", type, size}};
    packet.rows = {Row{value}};
    return packet;
}

QVariant roundTrip(FieldType type, const QVariant &value)
{
    return packetFromJson(packetToJson(onePacket(type, value))).rows.at(0).at(0);
}

} // namespace

TEST(Packet, FloatsReadBackBitForBit)
{
    const double values[] = {0.1,
                             1.0 / 3.0,
                             0.1 + 0.2,
                             12.5,
                             -123.456,
                             1e300,
                             DBL_MAX,
                             DBL_MIN,
                             5e-324,
                             9007199254740993.0,
                             123456789012345680.0,
                             1e17,
                             -2.5e-8,
                             100.0};
    for (const double value : values) {
        const QVariant back = roundTrip(FieldType::Float, value);
        ASSERT_EQ(back.metaType().id(), QMetaType::Double) << value;
        const double read = back.toDouble();
        EXPECT_EQ(std::memcmp(&read, &value, sizeof value), 0) << value << " came back as " << read;
    }
}

TEST(Packet, ValuesOfEveryTypeRoundTrip)
{
    DataPacket packet;
    packet.fields = {{"S", FieldType::String, 4},   {"F", FieldType::Float, 0},
                     {"D", FieldType::DateTime, 0}, {"I", FieldType::Integer, 0},
                     {"B", FieldType::Boolean, 0},  {"T", FieldType::String, 0}};
    packet.rows = {
        Row{QString("0001"), 12.5, QDateTime(QDate(2026, 12, 8), QTime(0, 0)),
            QVariant(qint64(1) << 62), true, QString(20, 'x')},
        Row{QString("Ação"), -0.5, QDateTime(QDate(1999, 1, 31), QTime(23, 59, 58, 7)),
            QVariant(qint64(-9007199254740993)), false, QVariant()},
        Row{QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()},
    };
    EXPECT_EQ(packetFromJson(packetToJson(packet)), packet);
}

TEST(Packet, WireFormIsStable)
{
    DataPacket packet;
    packet.fields = {{"CDFILIAL", FieldType::String, 4},
                     {"VRPRECUNIITM", FieldType::Float, 0},
                     {"DTINIVALITM", FieldType::DateTime, 0}};
    packet.rows = {Row{QString("0001"), 12.5, QDateTime(QDate(2026, 12, 8), QTime(0, 0))},
                   Row{QVariant(), 3.0, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 60))}};
    EXPECT_EQ(packetToJson(packet).toStdString(),
              R"({"fields":[{"name":"CDFILIAL","size":4,"type":"string"},)"
              R"({"name":"VRPRECUNIITM","type":"float"},{"name":"DTINIVALITM","type":"datetime"}],)"
              R"("rows":[["0001",12.5,"2026-12-08T00:00:00"],[null,3,"2026-01-02T03:04:05.060"]]})");
}

// Packets and deltas are written straight to text; the bytes must be those Qt's document writer
// gives for their encoded value, which is what every reader here was proved against.
TEST(Packet, PacketsAndDeltasAreWrittenAsTheDocumentWritesThem)
{
    const QList<FieldDef> fields{{"CODE", FieldType::String, 4},   {"NAME", FieldType::String, 0},
                                 {"PRICE", FieldType::Float, 0},   {"WHEN", FieldType::DateTime, 0},
                                 {"COUNT", FieldType::Integer, 0}, {"FLAG", FieldType::Boolean, 0}};
    const QList<Row> rows{
        {QString("0001"), QString(), 12.5, QDateTime(QDate(2026, 12, 8), QTime(0, 0)),
         QVariant(qint64(1) << 62), true},
        {QString("a\"b\\c\n\t") + QChar(1) + QChar(0x7f), QString("A\u00e7\u00e3o \u20ac"), -0.0,
         QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 60)), QVariant(qint64(-9007199254740993)),
         false},
        {QString::fromUtf8("\xF0\x9F\x98\x80") + QChar(0xd800), QString(QChar(0xfeff)), 1e300,
         QDateTime(QDate(2026, 6, 1), QTime(12, 0), Qt::UTC), QVariant(qint64(0)), QVariant()},
        {QVariant(), QVariant(), std::nan(""), QDateTime(), QVariant(), QVariant()},
        {QString("x"), QString("y"), 9007199254740993.0, QVariant(), QVariant()}, // short: padded
        {QVariant(), QVariant(), 0.1, QVariant(), QVariant(), true},
    };
    const auto viaDocument = [](const QJsonValue &value) {
        return QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact).toStdString();
    };
    DataPacket packet{fields, rows};
    EXPECT_EQ(packetToJson(packet).toStdString(), viaDocument(encodePacket(packet)));
    DeltaPacket delta{fields, {}};
    for (qsizetype i = 0; i + 1 < rows.size(); ++i) {
        const auto op = DeltaChange::Op(i % 3);
        delta.changes.append(DeltaChange{op, op == DeltaChange::Op::Insert ? Row() : rows[i],
                                         op == DeltaChange::Op::Delete ? Row() : rows[i + 1]});
    }
    EXPECT_EQ(deltaToJson(delta).toStdString(), viaDocument(encodeDelta(delta)));
}

TEST(Packet, DateTimesTravelAsLocalWallClock)
{
    const QDateTime utc(QDate(2026, 6, 1), QTime(12, 0), Qt::UTC);
    const QVariant back = roundTrip(FieldType::DateTime, utc);
    EXPECT_EQ(back.toDateTime().timeSpec(), Qt::LocalTime);
    EXPECT_EQ(back.toDateTime(), utc); // the same instant
    EXPECT_TRUE(roundTrip(FieldType::DateTime, QDateTime()).isNull());
}

TEST(Packet, NormalisesWhatAFieldWouldStore)
{
    // An empty string is a null value; a whole number is fine in a float column; a number that is
    // no JSON number goes as null.
    EXPECT_TRUE(roundTrip(FieldType::String, QString("")).isNull());
    const DataPacket packet =
        packetFromJson(R"({"fields":[{"name":"F","type":"float"}],"rows":[[7],[7.0],[1e2]]})");
    for (const Row &row : packet.rows)
        EXPECT_EQ(row.at(0).metaType().id(), QMetaType::Double);
    EXPECT_TRUE(roundTrip(FieldType::Float, std::nan("")).isNull());
    EXPECT_TRUE(roundTrip(FieldType::Float, HUGE_VAL).isNull());
}

TEST(Packet, EmptyPacketsAreValid)
{
    EXPECT_EQ(packetFromJson(R"({"fields":[],"rows":[]})"), DataPacket{});
    const DataPacket noRows =
        packetFromJson(R"({"fields":[{"name":"A","type":"string","size":3}],"rows":[]})");
    EXPECT_EQ(noRows.fields.size(), 1);
    EXPECT_TRUE(noRows.rows.isEmpty());
}

TEST(Packet, MalformedPacketsAreRefusedWithAReason)
{
    const struct {
        const char *json;
        const char *reason;
    } cases[] = {
        {R"({"fields":[)", "invalid JSON"},
        {R"([1,2])", "not an object"},
        {R"({"rows":[]})", "missing \"fields\""},
        {R"({"fields":[]})", "missing \"rows\""},
        {R"({"fields":{},"rows":[]})", "\"fields\" is object"},
        {R"({"fields":[],"rows":{}})", "\"rows\" is object"},
        {R"({"fields":[{"name":"A","type":"money"}],"rows":[]})", "unknown type \"money\""},
        {R"({"fields":[{"type":"float"}],"rows":[]})", "field 1: missing name"},
        {R"({"fields":[{"name":"A"}],"rows":[]})", "field A: missing type"},
        {R"({"fields":["A"],"rows":[]})", "field 1: string, not an object"},
        {R"({"fields":[{"name":"A","type":"float"},{"name":"a","type":"float"}],"rows":[]})",
         "duplicate field name a"},
        {R"({"fields":[{"name":"A","type":"string","size":0}],"rows":[]})", "size"},
        {R"({"fields":[{"name":"A","type":"string","size":2.5}],"rows":[]})", "size"},
        {R"({"fields":[{"name":"A","type":"float"}],"rows":[[1],[1,2]]})",
         "row 2: 2 values for 1 fields"},
        {R"({"fields":[{"name":"A","type":"float"}],"rows":[[1],5]})", "row 2: number, not an array"},
        {R"({"fields":[{"name":"A","type":"float"}],"rows":[["1"]]})",
         "row 1, field A: string where a number was expected"},
        {R"({"fields":[{"name":"A","type":"integer"}],"rows":[[1.5]]})",
         "row 1, field A: 1.5 is not an integer"},
        {R"({"fields":[{"name":"A","type":"integer"}],"rows":[[1e30]]})", "is not an integer"},
        {R"({"fields":[{"name":"A","type":"boolean"}],"rows":[[1]]})", "where a boolean"},
        {R"({"fields":[{"name":"A","type":"string"}],"rows":[[1]]})", "where a string"},
        {R"({"fields":[{"name":"CDFILIAL","type":"string","size":4}],"rows":[["0001"],[null],["0000001"]]})",
         "row 3, field CDFILIAL: string of 7 characters exceeds size 4"},
        {R"({"fields":[{"name":"A","type":"string"}],"rows":[["123456789012345678901"]]})",
         "exceeds size 20"},
        {R"({"fields":[{"name":"D","type":"datetime"}],"rows":[["2026-02-30T00:00:00"]]})",
         "is not a date-time"},
        {R"({"fields":[{"name":"D","type":"datetime"}],"rows":[["2026-02-03T00:00:00Z"]]})",
         "is not a date-time"},
        {R"({"fields":[{"name":"D","type":"datetime"}],"rows":[["2026-02-03"]]})",
         "is not a date-time"},
        {R"({"fields":[{"name":"D","type":"datetime"}],"rows":[[20260203]]})", "where a date-time"},
    };
    for (const auto &c : cases) {
        try {
            packetFromJson(c.json);
            ADD_FAILURE() << "accepted " << c.json;
        } catch (const PacketError &error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos)
                << c.json << " gave: " << error.what();
        }
    }
}

TEST(Packet, TextAndDocumentDecodersAgree)
{
    const char *texts[] = {
        R"({"fields":[{"name":"S","type":"string","size":6}],"rows":[["a\"b\\c"],["\u00e7\u00e3o"],["\ud83d\ude00x"],["\/\b\f\n\r\t"],["Ação"],[""],[null]]})",
        R"( { "rows" : [ [ 1 , true , "2026-12-08T00:00:00" ] ] , "extra" : {"a":[1,{"b":null}]},
            "fields" : [ {"name":"I","type":"integer","note":1}, {"name":"B","type":"boolean"},
                         {"name":"D","type":"datetime"} ] } )",
        R"({"fields":[{"name":"F","type":"float"},{"name":"I","type":"integer"}],"rows":[[-0.5e-3,12.0],[1E+2,-9223372036854775808],[123456789012345678901234567890,1e2]]})",
        R"({"fields":[],"rows":[[],[]]})",
        // What JSON allows but means little: a lone surrogate is kept, the last of repeated
        // members counts, as in a document.
        R"({"fields":[{"name":"S","type":"string"}],"rows":[["\ud800"],["\udc00x"]]})",
        R"({"fields":[{"name":"S","type":"string"}],"rows":[["a"]],"rows":[]})",
        R"({"rows":[[1]],"fields":[{"name":"N","type":"integer"}],"rows":[[2],[3]]})",
        R"({"fields":[{"name":"N","type":"string"}],"rows":[[1]],"fields":[{"name":"N","type":"integer"}]})",
    };
    for (const char *text : texts) {
        const DataPacket direct = packetFromJson(text);
        const QJsonDocument document = QJsonDocument::fromJson(text);
        ASSERT_TRUE(document.isObject()) << text;
        EXPECT_EQ(direct, decodePacket(document.object())) << text;
    }
    const DataPacket escaped = packetFromJson(texts[0]);
    EXPECT_EQ(escaped.rows[0][0].toString(), "a\"b\\c");
    EXPECT_EQ(escaped.rows[2][0].toString(), QString::fromUtf8("\xF0\x9F\x98\x80x"));
}

// Decoders share equal values of a column through a table that grows with the distinct values
// seen, then starts over (dates) or gives up (strings); every row must still read back as sent.
TEST(Packet, RepeatedAndDistinctValuesReadBackAsSent)
{
    DataPacket sent;
    sent.fields = {FieldDef{"CODE", FieldType::String, 10}, FieldDef{"NAME", FieldType::String, 10},
                   FieldDef{"WHEN", FieldType::DateTime, 0}};
    const QDateTime start(QDate(2026, 12, 8), QTime(8, 0));
    for (int row = 0; row < 3000; ++row) {
        sent.rows.append(Row{QString::number(row % 7), QStringLiteral("N%1").arg(row % 1500),
                             start.addSecs(60 * (row % 2500))});
    }
    const QByteArray text = packetToJson(sent);
    EXPECT_EQ(packetFromJson(text), sent);
    EXPECT_EQ(decodePacket(QJsonDocument::fromJson(text).object()), sent);
}

// The text decoder keeps the field lists it has read; a list must be taken again only when its
// text is the same to the byte, so a changed list is checked anew.
TEST(Packet, AFieldListSeenBeforeIsCheckedAgainWhenItsTextDiffers)
{
    const QByteArray good = R"({"fields":[{"name":"A","type":"integer"}],"rows":[[1]]})";
    const QByteArray changed[] = {
        R"({"fields":[{"name":"A","type":"integr"}],"rows":[[1]]})",
        R"({"fields":[{"name":"A","type":"integer"},{"name":"a","type":"float"}],"rows":[[1,2]]})",
        R"({"fields":[{"name":"A","type":"string"}],"rows":[[1]]})",
    };
    for (const QByteArray &text : changed) {
        SCOPED_TRACE(text.constData());
        EXPECT_EQ(packetFromJson(good).rows.at(0).at(0), QVariant(qint64{1}));
        EXPECT_THROW(packetFromJson(text), PacketError);
    }
    EXPECT_EQ(packetFromJson(good).fields.at(0).type, FieldType::Integer);
}

TEST(Packet, TextThatIsNoJsonIsRefused)
{
    const char *valid = R"({"fields":[{"name":"S","type":"string"},{"name":"F","type":"float"}],"rows":[["a",1]]})";
    ASSERT_NO_THROW(packetFromJson(valid));
    const QByteArray cases[] = {
        QByteArray(valid) + QByteArray("\0\0\0\2", 4), // nothing may follow the packet
        QByteArray(valid) + "x",
        R"({"fields":[{"name":"S","type":"string"},{"name":"F","type":"float"}],"rows":[["a",01]]})",
        R"({"fields":[{"name":"S","type":"string"},{"name":"F","type":"float"}],"rows":[["a",1.]]})",
        R"({"fields":[{"name":"S","type":"string"},{"name":"F","type":"float"}],"rows":[["a",.5]]})",
        R"({"fields":[{"name":"S","type":"string"},{"name":"F","type":"float"}],"rows":[["a",+1]]})",
        R"({"fields":[{"name":"S","type":"string"},{"name":"F","type":"float"}],"rows":[["a",1e]]})",
        R"({"fields":[{"name":"S","type":"string"},{"name":"F","type":"float"}],"rows":[["a",1],]})",
        R"({"fields":[{"name":"S","type":"string"},{"name":"F","type":"float"}],"rows":[["a" 1]]})",
        R"({"fields":[{"name":"S","type":"string"},{"name":"F","type":"float"}],"rows":[["a\x",1]]})",
        R"({"fields":[{"name":"S","type":"string"},{"name":"F","type":"float"}],"rows":[["a\u12",1]]})",
        R"({"fields":[{"name":"S","type":"string"},{"name":"F","type":"float"}],"rows":[["a)" "\t" R"(",1]]})",
        R"({"fields":[{"name":"S","type":"string"},{"name":"F","type":"float"}],"rows":[["a",tru]]})",
        R"({"fields":[{"name":"S","type":"string"},{"name":"F","type":"float"}],"rows":[["a",1]])",
        QByteArray(R"({"fields":[{"name":"S","type":"string"},{"name":"F","type":"float"}],"rows":[[")")
            + "\xC3\x28" + R"(",1]]})", // broken UTF-8
        QByteArray(R"({"fields":[{"name":"S","type":"string"},{"name":"F","type":"float"}],"rows":[[")")
            + "\xC0\xAF" + R"(",1]]})", // overlong UTF-8
        QByteArray(R"({"x":)") + QByteArray(100000, '[') + QByteArray(100000, ']') + "}",
        "",
        "   ",
    };
    for (const QByteArray &text : cases)
        EXPECT_THROW(packetFromJson(text), PacketError) << text.left(120).toStdString();
}

TEST(Delta, RoundTripsEveryKindOfChange)
{
    DeltaPacket delta;
    delta.fields = {{"A", FieldType::String, 2}, {"V", FieldType::Float, 0}};
    delta.changes = {
        DeltaChange{DeltaChange::Op::Update, Row{QString("01"), 1.0}, Row{QString("01"), 2.5}},
        DeltaChange{DeltaChange::Op::Insert, {}, Row{QString("02"), QVariant()}},
        DeltaChange{DeltaChange::Op::Delete, Row{QString("03"), 0.1}, {}},
    };
    const QByteArray json = deltaToJson(delta);
    EXPECT_EQ(deltaFromJson(json), delta);
    EXPECT_TRUE(json.contains(R"({"new":["02",null],"op":"insert"})")) << json.toStdString();
}

// Saves in a row reuse the field list already written; a list that differs in anything (a size,
// a type, one field more) must still travel as itself, also when the first one comes back.
TEST(Delta, EachSaveCarriesItsOwnFieldList)
{
    const QList<QList<FieldDef>> layouts = {
        {{"A", FieldType::String, 2}, {"V", FieldType::Float, 0}},
        {{"A", FieldType::String, 3}, {"V", FieldType::Float, 0}},
        {{"A", FieldType::String, 2}, {"V", FieldType::Integer, 0}},
        {{"A", FieldType::String, 2}, {"V", FieldType::Float, 0}, {"W", FieldType::Boolean, 0}},
        {},
        {{"A", FieldType::String, 2}, {"V", FieldType::Float, 0}},
    };
    for (const QList<FieldDef> &fields : layouts) {
        DeltaPacket delta;
        delta.fields = fields;
        Row row;
        for (const FieldDef &def : fields)
            row.append(def.type == FieldType::String ? QVariant(QString("01")) : QVariant());
        delta.changes = {DeltaChange{DeltaChange::Op::Insert, {}, row}};
        EXPECT_EQ(deltaFromJson(deltaToJson(delta)), delta) << fields.size() << " fields";
    }
}

TEST(Delta, MalformedDeltasAreRefused)
{
    const char *fields = R"("fields":[{"name":"A","type":"string","size":2}])";
    const struct {
        const char *changes;
        const char *reason;
    } cases[] = {
        {R"("rows":[])", "missing \"changes\""},
        {R"("changes":[{"op":"upsert","new":["a"]}])", "change 1: unknown op \"upsert\""},
        {R"("changes":[{"op":"insert"}])", "change 1: insert without \"new\""},
        {R"("changes":[{"op":"update","new":["a"]}])", "update without \"old\""},
        {R"("changes":[{"op":"delete","old":["a"],"new":["b"]}])", "delete with \"new\""},
        {R"("changes":[{"op":"insert","new":["abc"]}])", "change 1 new, field A: string of 3"},
        {R"("changes":[7])", "change 1: number, not an object"},
    };
    for (const auto &c : cases) {
        const QByteArray json = QByteArray("{") + fields + "," + c.changes + "}";
        try {
            deltaFromJson(json);
            ADD_FAILURE() << "accepted " << json.toStdString();
        } catch (const PacketError &error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos)
                << json.toStdString() << " gave: " << error.what();
        }
    }
}
