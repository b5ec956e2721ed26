#include "ServerTestSupport.h"

#include <data/DataPacket.h>

#include <QDateTime>
#include <QSet>

using ngc::DataPacket;
using ngc::DeltaChange;
using ngc::DeltaPacket;

namespace {

// The layouts the client's datasets are declared with, written out independently of the server's
// own table: "NAME:type[:size]".
const QMap<QString, QString> kExpectedLayouts{
    {"GetItemCole",
     "CDFILIAL:string:4 NRCOLEPRECO:string:10 CDPRODUTO:string:10 CDARVPROD:string:20 "
     "CDMARCA:string:5 CDFORNECED:string:21 CDREGIAO:string:3 CDTIPCOB:string:2 "
     "NMTIPOCOBR:string:20 VRPRECUNIITM:float VRPRECECOITM:float VRPERDESITM:float "
     "QTACMPITMCOL:float CDFORMPGTO:string:2 NMFORMPGTO:string:30 IDTPFOPGTCOL:string:1 "
     "NRPARCPGTCOL:float NRDIAPGFXCOL:float IDUTDIAPGCOL:string:1 IDTIPFREITM:string:1 "
     "NRPZOENTCOL:string:3 DTINIVALITM:datetime DTFINVALITM:datetime CDSEGMARCCOL:string:5 "
     "NMMARCA:string:20 VRFRETEFORN:float"},
    {"GetPzoPgtItmCol",
     "CDFILIAL:string:4 NRCOLEPRECO:string:10 CDFORNECED:string:21 CDPRODUTO:string:10 "
     "CDARVPROD:string:20 CDMARCA:string:5 CDREGIAO:string:3 NRDIASPGTCOL:float "
     "VRPERCPGTCOL:float"},
    {"GetImpColet",
     "CDIMPOSTO:string:2 NMIMPOSTO:string:30 VRALIQIMPCOL:float VRIMPCOLETA:float "
     "IDIMPDIGCOL:string:1 CDFILIAL:string:4 NRCOLEPRECO:string:10 CDFORNECED:string:21 "
     "CDPRODUTO:string:10 CDARVPROD:string:20 CDMARCA:string:5 CDREGIAO:string:3 "
     "IDTRATIMPO:string:1 VRADIMPCOL:float"},
    {"GetImpFilial/0", "CDFILIAL:string:4 NMFILIAL:string:30"},
    {"GetImpFilial/1",
     "CDIMPOSTO:string:2 NMIMPOSTO:string:30 SGIMPOSTO:string:10 CDFILIAP:string:4 "
     "VRPERCALIQUOTA:float VRIMPOSTO:float"},
    {"GetParaSupri", "IDPROSEMMAR:string:1 IDREPLICADESCONTO:string:1 IDCONSDESTITEMCOL:string:1"},
    {"GetTipoCobr", "CDTIPCOB:string:2 NMTIPOCOBR:string:20"},
    {"GetPesqMarca", "CDMARCA:string:5 NMMARCA:string:20"},
    {"GetSomaPerc", "SOMAPERC:float"},
    {"GetDescPesq/0",
     "IDMARCADO:string:1 CDFILIAL:string:4 NRCOLEPRECO:string:10 CDPRODUTO:string:10 "
     "CDARVPROD:string:20 NMPRODUTO:string:50"},
    {"GetDescPesq/1",
     "IDMARCADO:string:1 CDFILIAL:string:4 NRCOLEPRECO:string:10 CDREGIAO:string:3 "
     "NMREGIAO:string:30"},
    {"GetDescPesq/2",
     "IDMARCADO:string:1 CDFILIAL:string:4 NRCOLEPRECO:string:10 CDFORNECED:string:21 "
     "NMFANTFORN:string:40 IDTPIJURFORN:string:1 NRINSJURFORN:string:20"},
    {"GetDescPesq/3", "IDMARCADO:string:1 CDFILIAL:string:4 NRCOLEPRECO:string:10 CDMARCA:string:5 "
                      "NMMARCA:string:20"},
};

QString layoutText(const QJsonObject &packet)
{
    QStringList parts;
    for (const QJsonValue &field : packet["fields"].toArray()) {
        const QJsonObject f = field.toObject();
        QString part = f["name"].toString() + ':' + f["type"].toString();
        if (f.contains("size"))
            part += ':' + QString::number(f["size"].toInt());
        parts.append(part);
    }
    return parts.join(' ');
}

QJsonArray keysWith(const QJsonArray &prefix)
{
    QJsonArray params = prefix;
    for (const QJsonValue &key : demoKeys())
        params.append(key);
    return params;
}

class Methods : public ServerFixture {
protected:
    DataPacket item(const QJsonArray &keys = demoKeys())
    {
        return ngc::decodePacket(reply("GetItemCole", keys)["data"]);
    }

    // SetItemCole arguments around an item delta; by default no replication.
    static QJsonArray setItemArgs(const QJsonValue &delta, const QJsonValue &nullFields = {},
                                  bool validity = false, const QList<int> &choices = {0, 0, 0, 0},
                                  const QStringList &selections = {"", "", "", ""})
    {
        return {delta,      nullFields, validity,      "CC01",        choices[0],    choices[1],
                choices[2], choices[3], selections[0], selections[1], selections[2], selections[3]};
    }

    // A delta that changes the named fields of the demo item from what the server holds now.
    QJsonValue itemUpdate(const QMap<QString, QVariant> &changes)
    {
        const DataPacket current = item();
        ngc::Row newRow = current.rows.first();
        for (auto it = changes.begin(); it != changes.end(); ++it) {
            for (int i = 0; i < current.fields.size(); ++i) {
                if (current.fields[i].name == it.key())
                    newRow[i] = it.value();
            }
        }
        DeltaPacket delta{current.fields,
                          {DeltaChange{DeltaChange::Op::Update, current.rows.first(), newRow}}};
        return ngc::encodeDelta(delta);
    }

    QVariant demoValue(const QString &column)
    {
        return query(QStringLiteral("SELECT %1 FROM ITEMCOLE WHERE CDFILIAL = '0001' AND "
                                    "NRCOLEPRECO = '2026000001' AND CDPRODUTO = '1001' AND "
                                    "CDMARCA = '00001' AND CDFORNECED = '1001' AND "
                                    "CDREGIAO = '001'")
                         .arg(column))
            .first()
            .first();
    }

    QJsonValue termDelta(DeltaChange::Op op, const QVariant &oldDays, const QVariant &oldPercent,
                         const QVariant &newDays, const QVariant &newPercent)
    {
        const DataPacket terms = ngc::decodePacket(reply("GetPzoPgtItmCol", demoKeys())["data"]);
        auto row = [](const QVariant &days, const QVariant &percent) {
            return ngc::Row{"0001",  "2026000001", "1001", "1001", QVariant(),
                            "00001", "001",        days,   percent};
        };
        DeltaChange change{op, {}, {}};
        if (op != DeltaChange::Op::Insert)
            change.oldRow = row(oldDays, oldPercent);
        if (op != DeltaChange::Op::Delete)
            change.newRow = row(newDays, newPercent);
        return ngc::encodeDelta(DeltaPacket{terms.fields, {change}});
    }
};

TEST_P(Methods, PacketsCarryTheClientLayouts)
{
    const QList<QPair<QString, QJsonArray>> calls{
        {"GetItemCole", demoKeys()}, {"GetPzoPgtItmCol", demoKeys()},
        {"GetImpColet", demoKeys()}, {"GetImpFilial", {"0001", "CC01", "001", "1001", "1001"}},
        {"GetTipoCobr", {"", "T"}},  {"GetPesqMarca", {"CM01", " ", "T"}},
        {"GetSomaPerc", demoKeys()}, {"GetDescPesq", {"0001", "2026000001"}},
    };
    for (const auto &[method, params] : calls) {
        SCOPED_TRACE(method.toStdString());
        const QJsonValue data = reply(method, params)["data"];
        if (data.isArray()) {
            for (int i = 0; i < data.toArray().size(); ++i)
                EXPECT_EQ(layoutText(data.toArray()[i].toObject()),
                          kExpectedLayouts[method + '/' + QString::number(i)]);
        } else {
            EXPECT_EQ(layoutText(data.toObject()), kExpectedLayouts[method]);
        }
        // The client's own decoder accepts every packet.
        if (data.isArray()) {
            for (const QJsonValue &packet : data.toArray())
                EXPECT_NO_THROW(ngc::decodePacket(packet));
        } else {
            EXPECT_NO_THROW(ngc::decodePacket(data));
        }
    }
    const QJsonObject para = rpc("Ngc.rdmSuprimentos", "GetParaSupri", {"0001"});
    EXPECT_EQ(layoutText(para["result"]["reply"]["data"].toObject()),
              kExpectedLayouts["GetParaSupri"]);
}

TEST_P(Methods, ReadMethodsAnswerWhatThePurchasingDataHolds)
{
    // Parameters: the branch's own row, or the defaults for a branch without one.
    auto para = [&](const QString &branch) {
        const QJsonObject response = rpc("Ngc.rdmSuprimentos", "GetParaSupri", {branch});
        return response["result"]["reply"]["data"]["rows"].toArray();
    };
    EXPECT_EQ(para("0001"), QJsonArray({QJsonArray{"N", "S", "S"}}));
    EXPECT_EQ(para("9999"), QJsonArray({QJsonArray{"N", "N", "N"}}));

    const QJsonArray itemRow = rows("GetItemCole", demoKeys()).first().toArray();
    EXPECT_EQ(itemRow[3].toString(), "0101001");         // CDARVPROD from the product
    EXPECT_EQ(itemRow[8].toString(), "Boleto bancário"); // NMTIPOCOBR
    EXPECT_EQ(itemRow[14].toString(), "30/60 dias");     // NMFORMPGTO
    EXPECT_EQ(itemRow[24].toString(), "Campo Verde");    // NMMARCA of the second brand
    EXPECT_EQ(itemRow[21].toString(), "2026-12-01T00:00:00");
    EXPECT_TRUE(
        rows("GetItemCole", {"0001", "2026000001", "1001", "00001", "1001", "003"}).isEmpty());

    EXPECT_EQ(rows("GetVerif_ColeApr", {"0001", "2026000001"}).size(), 1);
    EXPECT_TRUE(rows("GetVerif_ColeApr", {"0001", "2026000002"}).isEmpty());
    EXPECT_TRUE(rows("GetVerif_ColeApr", {"0001", "9999999999"}).isEmpty());

    EXPECT_EQ(rows("GetVerif_PzoPgtItmCol", keysWith({"30"})).size(), 1);
    EXPECT_TRUE(rows("GetVerif_PzoPgtItmCol", keysWith({"45"})).isEmpty());

    const QList<std::tuple<QJsonArray, int>> charge{
        {{"01", ""}, 1}, {{"", "T"}, 3}, {{"99", ""}, 0}, {{"", ""}, 0}};
    for (const auto &[params, count] : charge)
        EXPECT_EQ(rows("GetTipoCobr", params).size(), count) << params[0].toString().toStdString();

    const QList<std::tuple<QJsonArray, int>> brands{{{"CM01", " ", "T"}, 4},
                                                    {{"CM01", "00002", ""}, 1},
                                                    {{"CM01", "00006", ""}, 0},
                                                    {{"XX99", " ", "T"}, 0}};
    for (const auto &[params, count] : brands)
        EXPECT_EQ(rows("GetPesqMarca", params).size(), count) << params[1].toString().toStdString();

    // Rejected (00004) and expired (00005) approvals give rows; a valid one or none does not.
    const QList<std::tuple<QString, int>> approvals{
        {"00004", 1}, {"00005", 1}, {"00002", 0}, {"00003", 0}};
    for (const auto &[brand, count] : approvals)
        EXPECT_EQ(rows("GetMarcaAutoriz", {"0001", "1001", brand}).size(), count)
            << brand.toStdString();
}

TEST_P(Methods, SelectionListsHoldTheCollectionsDistinctKeys)
{
    const QJsonArray lists = reply("GetDescPesq", {"0001", "2026000001"})["data"].toArray();
    ASSERT_EQ(lists.size(), 4);
    auto column = [&](int list, int index) {
        QStringList values;
        for (const QJsonValue &row : lists[list]["rows"].toArray())
            values.append(row[index].toString());
        return values;
    };
    EXPECT_EQ(column(0, 3), QStringList({"1001", "1002", "1003"}));
    EXPECT_EQ(column(1, 3), QStringList({"001", "002"}));
    EXPECT_EQ(column(2, 3), QStringList({"1001", "1002", "1003"}));
    EXPECT_EQ(column(3, 3), QStringList({"00001", "00002"}));
    // Person type and raw registration digits: 14 for a company, 11 for a person.
    const QStringList types = column(2, 5);
    const QStringList numbers = column(2, 6);
    for (int i = 0; i < types.size(); ++i)
        EXPECT_EQ(numbers[i].size(), types[i] == "J" ? 14 : 11) << numbers[i].toStdString();
    EXPECT_TRUE(types.contains("F") && types.contains("J"));
    EXPECT_TRUE(
        reply("GetDescPesq", {"0009", "2026000001"})["data"][0]["rows"].toArray().isEmpty());
}

TEST_P(Methods, TaxAmountsFollowPriceQuantityAndDiscount)
{
    auto amounts = [&] {
        QMap<QString, double> byTax;
        for (const QJsonValue &row : rows("GetImpColet", demoKeys()))
            byTax[row[0].toString()] = row[3].toDouble();
        return byTax;
    };
    // 20.00 x 120 less 5% = 2280.00
    EXPECT_DOUBLE_EQ(amounts()["01"], 410.4); // 18%
    EXPECT_DOUBLE_EQ(amounts()["03"], 37.62); // 1.65%
    const QJsonObject saved =
        reply("SetItemCole", setItemArgs(itemUpdate({{"VRPERDESITM", 10.0}})));
    ASSERT_TRUE(saved["ok"].toBool()) << saved["message"].toString().toStdString();
    // 2160.00 after 10%
    EXPECT_DOUBLE_EQ(amounts()["01"], 388.8);
    EXPECT_DOUBLE_EQ(amounts()["04"], 164.16);

    const QJsonArray byBranch =
        reply("GetImpFilial", {"0001", "CC01", "001", "1001", "1001"})["data"].toArray();
    QStringList branches;
    for (const QJsonValue &row : byBranch[0]["rows"].toArray())
        branches.append(row[0].toString());
    EXPECT_EQ(branches, QStringList({"0001", "0002", "0003"}));
    QMap<QString, double> icms;
    for (const QJsonValue &row : byBranch[1]["rows"].toArray()) {
        EXPECT_TRUE(branches.contains(row[3].toString()));
        if (row[0].toString() == "01")
            icms[row[3].toString()] = row[5].toDouble();
    }
    EXPECT_DOUBLE_EQ(icms["0002"], 367.2); // 17% of 2160
    EXPECT_DOUBLE_EQ(icms["0003"], 421.2); // 19.5%
    const QJsonArray unknown =
        reply("GetImpFilial", {"0001", "ZZ99", "001", "1001", "1001"})["data"].toArray();
    EXPECT_TRUE(unknown[0]["rows"].toArray().isEmpty());
    EXPECT_TRUE(unknown[1]["rows"].toArray().isEmpty());
}

TEST_P(Methods, InstalmentPercentagesAreSummedInExactCents)
{
    struct SumCase {
        QList<double> percents;
        double expected;
    };
    const QList<SumCase> cases{
        {{33.33, 33.33, 33.34}, 100.0},
        {{33.33, 33.33, 33.33}, 99.99},
        {{0.1, 0.2, 99.7}, 100.0},
        {{12.5, 87.5}, 100.0},
        {{}, 0.0},
    };
    for (const auto &[percents, expected] : cases) {
        ASSERT_TRUE(reply("DeletaPrazoPg", demoKeys())["ok"].toBool());
        int days = 10;
        for (double percent : percents) {
            const QJsonObject r = reply(
                "SetPzoPgtItmCol", {termDelta(DeltaChange::Op::Insert, {}, {}, days, percent)});
            ASSERT_TRUE(r["ok"].toBool()) << r["message"].toString().toStdString();
            days += 10;
        }
        const double sum = rows("GetSomaPerc", demoKeys()).first()[0].toDouble();
        EXPECT_EQ(sum, expected); // exact: the client compares without tolerance
    }
}

TEST_P(Methods, InstalmentsAreWrittenOneChangeAtATime)
{
    auto terms = [&] {
        QList<int> days;
        for (const QJsonValue &row : rows("GetPzoPgtItmCol", demoKeys()))
            days.append(row[7].toInt());
        return days;
    };
    EXPECT_EQ(terms(), QList<int>({30, 60}));
    auto send = [&](const QJsonValue &delta) { return reply("SetPzoPgtItmCol", {delta}); };

    EXPECT_TRUE(send(termDelta(DeltaChange::Op::Insert, {}, {}, 15, 10.0))["ok"].toBool());
    EXPECT_EQ(terms(), QList<int>({15, 30, 60})); // ordered by term

    const QJsonObject duplicate = send(termDelta(DeltaChange::Op::Insert, {}, {}, 30, 5.0));
    EXPECT_FALSE(duplicate["ok"].toBool());
    EXPECT_FALSE(duplicate["message"].toString().isEmpty());

    EXPECT_TRUE(send(termDelta(DeltaChange::Op::Update, 60, 50.0, 45, 40.0))["ok"].toBool());
    EXPECT_EQ(terms(), QList<int>({15, 30, 45}));
    // Moving a term onto another one is a duplicate, not a crash.
    EXPECT_FALSE(send(termDelta(DeltaChange::Op::Update, 45, 40.0, 30, 40.0))["ok"].toBool());
    // Someone changed the percentage meanwhile: the stale update is refused.
    EXPECT_FALSE(send(termDelta(DeltaChange::Op::Update, 45, 41.0, 45, 20.0))["ok"].toBool());
    EXPECT_TRUE(send(termDelta(DeltaChange::Op::Delete, 15, 10.0, {}, {}))["ok"].toBool());
    EXPECT_EQ(terms(), QList<int>({30, 45}));

    EXPECT_TRUE(reply("DeletaPrazoPg", demoKeys())["ok"].toBool());
    EXPECT_TRUE(terms().isEmpty());
}

TEST_P(Methods, SetItemColeAppliesTheChangeAndTheNullFieldList)
{
    QJsonValue delta = itemUpdate({{"VRPERDESITM", 7.5},
                                   {"CDTIPCOB", "02"},
                                   {"NMTIPOCOBR", "nome na tela"},
                                   {"CDSEGMARCCOL", QVariant()},
                                   {"NMMARCA", QVariant()},
                                   {"DTFINVALITM", QDateTime(QDate(2027, 1, 31), QTime(0, 0))}});
    const QJsonObject saved = reply(
        "SetItemCole", setItemArgs(delta, QJsonArray{"CDSEGMARCCOL", "NMMARCA", "IDTIPFREITM"}));
    ASSERT_TRUE(saved["ok"].toBool()) << saved["message"].toString().toStdString();
    EXPECT_EQ(saved.size(), 2);
    const QJsonArray row = rows("GetItemCole", demoKeys()).first().toArray();
    EXPECT_EQ(row[11].toDouble(), 7.5);
    EXPECT_EQ(row[7].toString(), "02");
    EXPECT_EQ(row[8].toString(), "Depósito em conta"); // joined again, not stored from the delta
    EXPECT_TRUE(row[23].isNull());
    EXPECT_TRUE(row[24].isNull());
    EXPECT_EQ(row[22].toString(), "2027-01-31T00:00:00");

    // A field named in the null list is cleared even though the delta did not touch it.
    const QJsonObject cleared =
        reply("SetItemCole",
              setItemArgs(itemUpdate({{"VRFRETEFORN", 151.0}}), QJsonArray{"NRPZOENTCOL"}));
    ASSERT_TRUE(cleared["ok"].toBool()) << cleared["message"].toString().toStdString();
    EXPECT_TRUE(demoValue("NRPZOENTCOL").isNull());
    EXPECT_EQ(demoValue("VRFRETEFORN").toDouble(), 151.0);
}

TEST_P(Methods, SetItemColeInsertsANewItemOnce)
{
    const DataPacket current = item();
    ngc::Row row = current.rows.first();
    row[6] = "003"; // a region the collection does not have for this combination yet
    row[3] = QVariant();
    const QJsonValue insert = ngc::encodeDelta(
        DeltaPacket{current.fields, {DeltaChange{DeltaChange::Op::Insert, {}, row}}});
    const QJsonObject first = reply("SetItemCole", setItemArgs(insert, QJsonArray{"CDARVPROD"}));
    ASSERT_TRUE(first["ok"].toBool()) << first["message"].toString().toStdString();
    EXPECT_EQ(rows("GetItemCole", {"0001", "2026000001", "1001", "00001", "1001", "003"}).size(),
              1);
    const QJsonObject again = reply("SetItemCole", setItemArgs(insert));
    EXPECT_FALSE(again["ok"].toBool());
}

TEST_P(Methods, LostUpdateIsRefusedAndNothingChanges)
{
    const QJsonValue stale = itemUpdate({{"VRPERDESITM", 12.0}, {"VRFRETEFORN", 99.0}});
    // Another user saves a new discount after this client read the item.
    query("UPDATE ITEMCOLE SET VRPERDESITM = 8 WHERE CDPRODUTO = '1001' AND CDMARCA = '00001' "
          "AND CDFORNECED = '1001' AND CDREGIAO = '001' AND NRCOLEPRECO = '2026000001'");
    const QString before = snapshot();
    const QJsonObject refused = reply("SetItemCole", setItemArgs(stale, {}, false, {1, 1, 1, 1}));
    EXPECT_FALSE(refused["ok"].toBool());
    EXPECT_EQ(refused["message"].toString(),
              "O item foi alterado por outro usuário. Verifique os dados e tente novamente.");
    EXPECT_EQ(snapshot(), before);

    // A change to a field this client did not touch is no conflict.
    query("UPDATE ITEMCOLE SET VRPRECECOITM = 1 WHERE CDPRODUTO = '1001' AND CDMARCA = '00001' "
          "AND CDFORNECED = '1001' AND CDREGIAO = '001' AND NRCOLEPRECO = '2026000001'");
    const DataPacket fresh = item();
    ngc::Row oldRow = fresh.rows.first();
    oldRow[10] = 19.0; // what the client had read for VRPRECECOITM before the other save
    ngc::Row newRow = oldRow;
    newRow[11] = 12.0;
    const QJsonObject ok = reply(
        "SetItemCole", setItemArgs(ngc::encodeDelta(DeltaPacket{
                           fresh.fields, {DeltaChange{DeltaChange::Op::Update, oldRow, newRow}}})));
    EXPECT_TRUE(ok["ok"].toBool()) << ok["message"].toString().toStdString();
    EXPECT_EQ(demoValue("VRPRECECOITM").toDouble(), 1.0);

    // Clearing, through the null list, a field another user has filled meanwhile is refused too.
    const QJsonValue clearsFreight = itemUpdate({{"VRPERDESITM", 13.0}});
    query("UPDATE ITEMCOLE SET IDTIPFREITM = 'C' WHERE CDPRODUTO = '1001' AND CDMARCA = '00001' "
          "AND CDFORNECED = '1001' AND CDREGIAO = '001' AND NRCOLEPRECO = '2026000001'");
    EXPECT_FALSE(
        reply("SetItemCole", setItemArgs(clearsFreight, QJsonArray{"IDTIPFREITM"}))["ok"].toBool());
    EXPECT_EQ(demoValue("IDTIPFREITM").toString(), "C");
}

TEST_P(Methods, BusinessRulesRefuseWithAMessageAndWriteNothing)
{
    const DataPacket open = item();
    ngc::Row closedRow = open.rows.first();
    closedRow[1] = "2026000002";
    const DataPacket closed = item({"0001", "2026000002", "1001", "00001", "1001", "001"});
    ngc::Row closedNew = closed.rows.first();
    closedNew[11] = 3.0;
    const QJsonValue closedDelta = ngc::encodeDelta(DeltaPacket{
        closed.fields, {DeltaChange{DeltaChange::Op::Update, closed.rows.first(), closedNew}}});

    const QList<std::tuple<const char *, QJsonArray, QString>> cases{
        {"closed collection", setItemArgs(closedDelta), "encerrada"},
        {"unknown charge type", setItemArgs(itemUpdate({{"CDTIPCOB", "77"}})), "cobrança"},
        {"second brand equals brand", setItemArgs(itemUpdate({{"CDSEGMARCCOL", "00001"}})),
         "diferentes"},
        {"discount above 100", setItemArgs(itemUpdate({{"VRPERDESITM", 100.5}})), "Desconto"},
        {"validity required but missing",
         setItemArgs(itemUpdate({{"DTFINVALITM", QVariant()}}), QJsonArray{"DTFINVALITM"}, true),
         "validade"},
        {"validity out of order",
         setItemArgs(itemUpdate({{"DTFINVALITM", QDateTime(QDate(2026, 11, 1), QTime(0, 0))}}), {},
                     true),
         "validade"},
        {"instalment on a closed collection", {}, "encerrada"},
    };
    const QString before = snapshot();
    for (const auto &[name, params, fragment] : cases) {
        SCOPED_TRACE(name);
        const QJsonObject r =
            params.isEmpty()
                ? reply("DeletaPrazoPg", {"0001", "2026000002", "1001", "00001", "1001", "001"})
                : reply("SetItemCole", params);
        EXPECT_FALSE(r["ok"].toBool());
        EXPECT_TRUE(r["message"].toString().contains(fragment))
            << r["message"].toString().toStdString();
        EXPECT_EQ(snapshot(), before);
    }
    const QJsonObject terms =
        reply("SetPzoPgtItmCol", {termDelta(DeltaChange::Op::Insert, {}, {}, 90, 100.5)});
    EXPECT_FALSE(terms["ok"].toBool());
    EXPECT_EQ(snapshot(), before);
}

TEST_P(Methods, BadInputIsAnsweredClearlyAndWritesNothing)
{
    const DataPacket current = item();
    DeltaPacket shortLayout{current.fields.mid(0, 25), {}};
    ngc::Row tooLong = current.rows.first();
    QJsonObject longCode =
        ngc::encodeDelta(
            DeltaPacket{current.fields,
                        {DeltaChange{DeltaChange::Op::Update, current.rows.first(), tooLong}}})
            .toObject();
    QJsonArray changes = longCode["changes"].toArray();
    QJsonObject change = changes[0].toObject();
    QJsonArray newRow = change["new"].toArray();
    newRow[7] = "123"; // CDTIPCOB is two characters
    change["new"] = newRow;
    changes[0] = change;
    longCode["changes"] = changes;
    const QJsonValue deleteItem = ngc::encodeDelta(DeltaPacket{
        current.fields, {DeltaChange{DeltaChange::Op::Delete, current.rows.first(), {}}}});
    const QJsonValue good = itemUpdate({{"VRPERDESITM", 9.0}});

    const QList<std::tuple<const char *, QString, QJsonArray>> cases{
        {"too few arguments", "GetItemCole", QJsonArray{"0001"}},
        {"a number for a string", "GetItemCole", {1, "2026000001", "1001", "00001", "1001", "001"}},
        {"key longer than its column",
         "GetItemCole",
         {"00001", "2026000001", "1001", "00001", "1001", "001"}},
        {"SQL text in a key",
         "GetItemCole",
         {"0001", "1' OR '1'='1", "1001", "00001", "1001", "001"}},
        {"term that is no number", "GetVerif_PzoPgtItmCol", keysWith({"3O"})},
        {"term above 999", "GetVerif_PzoPgtItmCol", keysWith({"1000"})},
        {"delta that is an array", "SetItemCole", setItemArgs(QJsonArray{1, 2})},
        {"delta with another layout", "SetItemCole", setItemArgs(ngc::encodeDelta(shortLayout))},
        {"string longer than its field", "SetItemCole", setItemArgs(longCode)},
        {"items are not deleted", "SetItemCole", setItemArgs(deleteItem)},
        {"unknown field in the null list", "SetItemCole",
         setItemArgs(good, QJsonArray{"VRPERDESITM", "DROP TABLE ITEMCOLE"})},
        {"key field in the null list", "SetItemCole", setItemArgs(good, QJsonArray{"CDFILIAL"})},
        {"null list that is not strings", "SetItemCole", setItemArgs(good, QJsonArray{1})},
        {"choice out of range", "SetItemCole", setItemArgs(good, {}, false, {0, 3, 0, 0})},
        {"choice that is no integer",
         "SetItemCole",
         {good, {}, false, "CC01", 0.5, 0, 0, 0, "", "", "", ""}},
        {"boolean given as text",
         "SetItemCole",
         {good, {}, "true", "CC01", 0, 0, 0, 0, "", "", "", ""}},
        {"malformed selection", "SetItemCole",
         setItemArgs(good, {}, false, {2, 0, 0, 0}, {"1001,1002", "", "", ""})},
        {"selection of numbers", "SetItemCole",
         setItemArgs(good, {}, false, {2, 0, 0, 0}, {"[1001]", "", "", ""})},
        {"selection key too long", "SetItemCole",
         setItemArgs(good, {}, false, {0, 0, 0, 2}, {"", "", "", "[\"00001') OR 1=1 --\"]"})},
        {"instalment delta with the item layout", "SetPzoPgtItmCol", {good}},
    };
    const QString before = snapshot();
    for (const auto &[name, method, params] : cases) {
        SCOPED_TRACE(name);
        const QJsonObject response = rpc(kOwnObject, method, params);
        ASSERT_TRUE(response.contains("error")) << QJsonDocument(response).toJson().toStdString();
        EXPECT_EQ(response["error"]["code"].toInt(), ngc::Dispatcher::InvalidParamsCode);
        EXPECT_GT(response["error"]["message"].toString().size(), 20);
        EXPECT_EQ(response["id"].toInt(), 7);
        EXPECT_EQ(snapshot(), before);
    }
}

// Every combination of the four dimensions (0 same, 1 all, 2 list), checked against the
// collection's 36 items: exactly the selected ones take the saved item's discount.
TEST_P(Methods, DiscountReplicationSelectsByTheFourDimensions)
{
    const QStringList dimensionColumns{"CDPRODUTO", "CDREGIAO", "CDFORNECED", "CDMARCA"};
    const QStringList own{"1001", "001", "1001", "00001"};
    const QList<QStringList> lists{{"1001", "1003"}, {"002"}, {"1002", "1003"}, {"00002"}};
    const QString itemsSql =
        QStringLiteral("SELECT CDPRODUTO, CDREGIAO, CDFORNECED, CDMARCA, VRPERDESITM FROM ITEMCOLE "
                       "WHERE CDFILIAL = '0001' AND NRCOLEPRECO = '2026000001'");
    const auto closedBefore = query(QStringLiteral(
        "SELECT VRPERDESITM FROM ITEMCOLE WHERE NRCOLEPRECO = '2026000002' ORDER BY 1"));

    for (int combination = 0; combination < 81; ++combination) {
        QList<int> choices;
        for (int d = 0, rest = combination; d < 4; ++d, rest /= 3)
            choices.append(rest % 3);
        SCOPED_TRACE(testing::Message()
                     << "choices " << choices[0] << choices[1] << choices[2] << choices[3]);
        query("UPDATE ITEMCOLE SET VRPERDESITM = NULL WHERE NRCOLEPRECO = '2026000001'");
        QStringList selections;
        for (int d = 0; d < 4; ++d) {
            selections.append(
                choices[d] == 2
                    ? QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(lists[d]))
                                            .toJson(QJsonDocument::Compact))
                    : QString());
        }
        const QJsonObject saved =
            reply("SetItemCole",
                  setItemArgs(itemUpdate({{"VRPERDESITM", 42.5}}), {}, false, choices, selections));
        ASSERT_TRUE(saved["ok"].toBool()) << saved["message"].toString().toStdString();

        int updated = 0;
        int expectedCount = 0;
        for (const QVariantList &row : query(itemsSql)) {
            bool selected = true;
            bool isOwn = true;
            for (int d = 0; d < 4; ++d) {
                const QString value = row[d].toString();
                isOwn = isOwn && value == own[d];
                if (choices[d] == 0)
                    selected = selected && value == own[d];
                else if (choices[d] == 2)
                    selected = selected && lists[d].contains(value);
            }
            const bool expected = selected || isOwn;
            expectedCount += expected;
            updated += !row[4].isNull();
            EXPECT_EQ(!row[4].isNull(), expected)
                << row[0].toString().toStdString() << '/' << row[1].toString().toStdString() << '/'
                << row[2].toString().toStdString() << '/' << row[3].toString().toStdString();
            if (!row[4].isNull()) {
                EXPECT_EQ(row[4].toDouble(), 42.5);
            }
        }
        EXPECT_EQ(updated, expectedCount);
    }
    // Another collection is never touched.
    EXPECT_EQ(query(QStringLiteral(
                  "SELECT VRPERDESITM FROM ITEMCOLE WHERE NRCOLEPRECO = '2026000002' ORDER BY 1")),
              closedBefore);
}

TEST_P(Methods, SchemaAndDemoDataAreIdempotent)
{
    const auto count = [&](const char *table) {
        return query(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QString::fromLatin1(table)))
            .first()
            .first()
            .toInt();
    };
    const int items = count("ITEMCOLE");
    const int taxes = count("IMPCOLET");
    {
        auto s = database->session();
        ngc::Schema::migrate(s);
        EXPECT_FALSE(ngc::Seed::demo(s));
        EXPECT_EQ(ngc::Schema::currentVersion(s), ngc::Schema::latestVersion());
    }
    EXPECT_EQ(count("ITEMCOLE"), items);
    EXPECT_EQ(count("IMPCOLET"), taxes);
    EXPECT_EQ(items, 72);
}

INSTANTIATE_TEST_SUITE_P(Backends, Methods, testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         backendName);

} // namespace
