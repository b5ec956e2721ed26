// The client against the real application server over loopback: every remote method with the
// demo item's keys, each data part loaded into a dataset of the layout the screen declares.
#include "TlsContext.h"

#include <support/AppServerProcess.h>
#include <support/TestCertificates.h>

#include <net/CheckResultServ.h>
#include <net/TNetConnection.h>

#include <data/TClientDataSet.h>
#include <data/TField.h>

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

#include <chrono>
#include <memory>

using namespace ngc;

namespace {

constexpr FieldType S = FieldType::String;
constexpr FieldType F = FieldType::Float;
constexpr FieldType D = FieldType::DateTime;

// A field of the layouts below; only strings carry a size.
FieldDef field(const char *name, FieldType type, int size = 0)
{
    return {QString::fromLatin1(name), type, size};
}

const QList<FieldDef> kItemCole = {
    field("CDFILIAL", S, 4),     field("NRCOLEPRECO", S, 10), field("CDPRODUTO", S, 10),
    field("CDARVPROD", S, 20),   field("CDMARCA", S, 5),      field("CDFORNECED", S, 21),
    field("CDREGIAO", S, 3),     field("CDTIPCOB", S, 2),     field("NMTIPOCOBR", S, 20),
    field("VRPRECUNIITM", F),    field("VRPRECECOITM", F),    field("VRPERDESITM", F),
    field("QTACMPITMCOL", F),    field("CDFORMPGTO", S, 2),   field("NMFORMPGTO", S, 30),
    field("IDTPFOPGTCOL", S, 1), field("NRPARCPGTCOL", F),    field("NRDIAPGFXCOL", F),
    field("IDUTDIAPGCOL", S, 1), field("IDTIPFREITM", S, 1),  field("NRPZOENTCOL", S, 3),
    field("DTINIVALITM", D),     field("DTFINVALITM", D),     field("CDSEGMARCCOL", S, 5),
    field("NMMARCA", S, 20),     field("VRFRETEFORN", F)};
const QList<FieldDef> kPzoPgtItmCol = {
    field("CDFILIAL", S, 4),   field("NRCOLEPRECO", S, 10), field("CDFORNECED", S, 21),
    field("CDPRODUTO", S, 10), field("CDARVPROD", S, 20),   field("CDMARCA", S, 5),
    field("CDREGIAO", S, 3),   field("NRDIASPGTCOL", F),    field("VRPERCPGTCOL", F)};
const QList<FieldDef> kImpColet = {
    field("CDIMPOSTO", S, 2),    field("NMIMPOSTO", S, 30),  field("VRALIQIMPCOL", F),
    field("VRIMPCOLETA", F),     field("IDIMPDIGCOL", S, 1), field("CDFILIAL", S, 4),
    field("NRCOLEPRECO", S, 10), field("CDFORNECED", S, 21), field("CDPRODUTO", S, 10),
    field("CDARVPROD", S, 20),   field("CDMARCA", S, 5),     field("CDREGIAO", S, 3),
    field("IDTRATIMPO", S, 1),   field("VRADIMPCOL", F)};
const QList<FieldDef> kFilialImp = {field("CDFILIAL", S, 4), field("NMFILIAL", S, 30)};
const QList<FieldDef> kDescImp = {field("CDIMPOSTO", S, 2),   field("NMIMPOSTO", S, 30),
                                  field("SGIMPOSTO", S, 10),  field("CDFILIAP", S, 4),
                                  field("VRPERCALIQUOTA", F), field("VRIMPOSTO", F)};
const QList<FieldDef> kParaSupri = {field("IDPROSEMMAR", S, 1), field("IDREPLICADESCONTO", S, 1),
                                    field("IDCONSDESTITEMCOL", S, 1)};
const QList<FieldDef> kTipoCobr = {field("CDTIPCOB", S, 2), field("NMTIPOCOBR", S, 20)};
const QList<FieldDef> kPesqMarca = {field("CDMARCA", S, 5), field("NMMARCA", S, 20)};
const QList<FieldDef> kSomaPerc = {field("SOMAPERC", F)};
const QList<FieldDef> kPesqProd = {field("IDMARCADO", S, 1),    field("CDFILIAL", S, 4),
                                   field("NRCOLEPRECO", S, 10), field("CDPRODUTO", S, 10),
                                   field("CDARVPROD", S, 20),   field("NMPRODUTO", S, 50)};
const QList<FieldDef> kPesqMarcaDesc = {field("IDMARCADO", S, 1), field("CDFILIAL", S, 4),
                                        field("NRCOLEPRECO", S, 10), field("CDMARCA", S, 5),
                                        field("NMMARCA", S, 20)};
const QList<FieldDef> kPesqReg = {field("IDMARCADO", S, 1), field("CDFILIAL", S, 4),
                                  field("NRCOLEPRECO", S, 10), field("CDREGIAO", S, 3),
                                  field("NMREGIAO", S, 30)};
const QList<FieldDef> kPesqForn = {field("IDMARCADO", S, 1),    field("CDFILIAL", S, 4),
                                   field("NRCOLEPRECO", S, 10), field("CDFORNECED", S, 21),
                                   field("NMFANTFORN", S, 40),  field("IDTPIJURFORN", S, 1),
                                   field("NRINSJURFORN", S, 20)};

// A dataset as the screen declares it; loading a packet of another layout fails.
std::unique_ptr<TClientDataSet> declared(const char *name, const QList<FieldDef> &layout)
{
    auto dataSet = std::make_unique<TClientDataSet>(QString::fromLatin1(name));
    for (const FieldDef &def : layout)
        dataSet->AddField(def);
    return dataSet;
}

// The packet must carry exactly the declared fields, in order, with their sizes.
void expectLayout(const DataPacket &packet, const QList<FieldDef> &layout, const char *what)
{
    ASSERT_EQ(packet.fields.size(), layout.size()) << what;
    for (qsizetype i = 0; i < layout.size(); ++i) {
        const FieldDef &got = packet.fields[i];
        const FieldDef &want = layout[i];
        EXPECT_EQ(got.name, want.name) << what << " field " << i + 1;
        EXPECT_EQ(got.type, want.type) << what << " " << want.name.toStdString();
        if (want.type == FieldType::String) {
            EXPECT_EQ(got.size == 0 ? 20 : got.size, want.size)
                << what << " " << want.name.toStdString();
        }
    }
}

class AppServerLoopback : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_server = new AppServerProcess(QStringLiteral(NGC_APPSERVER)); }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }

    void SetUp() override
    {
        for (TNetConnection *connection : {&plan, &supri}) {
            connection->SetPort(s_server->port());
            connection->Open();
        }
    }

    RemoteArgs keys()
    {
        return {RemoteArg::stringRef(&cdFilial),   RemoteArg::stringRef(&nrColePreco),
                RemoteArg::stringRef(&cdProduto),  RemoteArg::stringRef(&cdMarca),
                RemoteArg::stringRef(&cdForneced), RemoteArg::stringRef(&cdRegiao)};
    }
    // Calls, checks the reply the way the screen does and returns the data part.
    QJsonValue data(TNetConnection &connection, const char *method, const RemoteArgs &args)
    {
        return CheckResultServ(connection.Call(QString::fromLatin1(method), args), true, 0);
    }
    // Loads one packet into a dataset of the declared layout and returns its record count.
    int load(const DataPacket &packet, const char *name, const QList<FieldDef> &layout)
    {
        expectLayout(packet, layout, name);
        auto dataSet = declared(name, layout);
        dataSet->SetData(packet);
        return dataSet->RecordCount();
    }

    static AppServerProcess *s_server;
    TNetConnection plan{QStringLiteral("Ngc27451.rdmInfoPlanNeg")};
    TNetConnection supri{QStringLiteral("Ngc.rdmSuprimentos")};
    // The demo item's launch keys.
    QString cdFilial = QString::fromLatin1(demo::cdFilial);
    QString nrColePreco = QString::fromLatin1(demo::nrColePreco);
    QString cdForneced = QString::fromLatin1(demo::cdForneced);
    QString cdProduto = QString::fromLatin1(demo::cdProduto);
    QString stChaveMarca = QString::fromLatin1(demo::chaveMarca);
    QString cdMarca = QString::fromLatin1(demo::cdMarca);
    QString cdRegiao = QString::fromLatin1(demo::cdRegiao);
    QString stChaveComplementar = QString::fromLatin1(demo::chaveComplementar);
};

AppServerProcess *AppServerLoopback::s_server = nullptr;

} // namespace

TEST_F(AppServerLoopback, ReadMethodsAnswerInTheDeclaredLayouts)
{
    EXPECT_EQ(load(packetOf(data(supri, "GetParaSupri", {RemoteArg::stringRef(&cdFilial)})),
                   "cdsParaSupri", kParaSupri),
              1);

    const DataPacket item = packetOf(data(plan, "GetItemCole", keys()));
    expectLayout(item, kItemCole, "cdsItemCole");
    ASSERT_EQ(item.rows.size(), 1);
    EXPECT_EQ(item.rows[0][0].toString(), cdFilial);
    EXPECT_EQ(item.rows[0][1].toString(), nrColePreco);
    EXPECT_EQ(item.rows[0][2].toString(), cdProduto);
    EXPECT_EQ(item.rows[0][4].toString(), cdMarca);
    EXPECT_EQ(item.rows[0][5].toString(), cdForneced);
    EXPECT_EQ(item.rows[0][6].toString(), cdRegiao);

    load(packetOf(data(plan, "GetPzoPgtItmCol", keys())), "cdsPzoPgtItmCol", kPzoPgtItmCol);
    load(packetOf(data(plan, "GetImpColet", keys())), "cdsImpColet", kImpColet);
    EXPECT_EQ(load(packetOf(data(plan, "GetSomaPerc", keys())), "cdsSomaPerc", kSomaPerc), 1);

    const QJsonValue taxes =
        data(plan, "GetImpFilial",
             {RemoteArg::stringRef(&cdFilial), RemoteArg::stringRef(&stChaveComplementar),
              RemoteArg::stringRef(&cdRegiao), RemoteArg::stringRef(&cdForneced),
              RemoteArg::stringRef(&cdProduto)});
    EXPECT_GT(load(packetAt(taxes, 0), "cdsFilialImp", kFilialImp), 0);
    load(packetAt(taxes, 1), "cdsDescImp", kDescImp);

    const QJsonValue lists = data(
        plan, "GetDescPesq", {RemoteArg::stringRef(&cdFilial), RemoteArg::stringRef(&nrColePreco)});
    EXPECT_GT(load(packetAt(lists, 0), "cdsPesqProd", kPesqProd), 0);
    EXPECT_GT(load(packetAt(lists, 1), "cdsPesqReg", kPesqReg), 0);
    EXPECT_GT(load(packetAt(lists, 2), "cdsPesqForn", kPesqForn), 0);
    EXPECT_GT(load(packetAt(lists, 3), "cdsPesqMarcaDesc", kPesqMarcaDesc), 0);

    const int chargeTypes =
        load(packetOf(data(plan, "GetTipoCobr",
                           {RemoteArg::string(QString()), RemoteArg::string(QStringLiteral("T"))})),
             "cdsTipoCobr", kTipoCobr);
    EXPECT_GT(chargeTypes, 0);
    const QString firstChargeType =
        packetOf(data(plan, "GetTipoCobr",
                      {RemoteArg::string(QString()), RemoteArg::string(QStringLiteral("T"))}))
            .rows[0][0]
            .toString();
    EXPECT_EQ(
        load(packetOf(data(plan, "GetTipoCobr",
                           {RemoteArg::string(firstChargeType), RemoteArg::string(QString())})),
             "cdsTipoCobr", kTipoCobr),
        1);
    EXPECT_GT(load(packetOf(data(plan, "GetPesqMarca",
                                 {RemoteArg::stringRef(&stChaveMarca),
                                  RemoteArg::string(QStringLiteral(" ")),
                                  RemoteArg::string(QStringLiteral("T"))})),
                   "cdsPesqMarca", kPesqMarca),
              0);

    // Result sets the screen only tests for emptiness: any layout loads.
    TClientDataSet verifColeApr(QStringLiteral("cdsVerif_ColeApr"));
    verifColeApr.SetData(
        packetOf(data(plan, "GetVerif_ColeApr",
                      {RemoteArg::stringRef(&cdFilial), RemoteArg::stringRef(&nrColePreco)})));
    EXPECT_FALSE(verifColeApr.IsEmpty()) << "the demo collection is open for changes";
    TClientDataSet verifPzo(QStringLiteral("cdsVerif_PzoPgtItmCol"));
    RemoteArgs verifArgs{RemoteArg::string(QStringLiteral("30"))};
    verifArgs += keys();
    verifPzo.SetData(packetOf(data(plan, "GetVerif_PzoPgtItmCol", verifArgs)));
    TClientDataSet marcaAutoriz(QStringLiteral("cdsMarcaAutoriz"));
    marcaAutoriz.SetData(
        packetOf(data(plan, "GetMarcaAutoriz",
                      {RemoteArg::stringRef(&cdFilial), RemoteArg::stringRef(&cdProduto),
                       RemoteArg::string(cdMarca)})));
}

TEST_F(AppServerLoopback, WriteMethodsStoreWhatTheScreenSends)
{
    auto item = declared("cdsItemCole", kItemCole);
    item->SetData(packetOf(data(plan, "GetItemCole", keys())));
    const double discount =
        item->FieldByName(QStringLiteral("VRPERDESITM")).AsFloat() == 7.25 ? 3.5 : 7.25;
    item->Edit();
    item->FieldByName(QStringLiteral("VRPERDESITM")).SetValue(discount);
    item->Post();
    QJsonValue nullFields;
    QString pesqProduto, pesqRegiao, pesqForn, pesqMarca;
    data(plan, "SetItemCole",
         {RemoteArg::variant(encodeDelta(item->Delta())), RemoteArg::variantRef(&nullFields),
          RemoteArg::boolean(false), RemoteArg::stringRef(&stChaveComplementar),
          RemoteArg::integer(0), RemoteArg::integer(0), RemoteArg::integer(0),
          RemoteArg::integer(0), RemoteArg::stringRef(&pesqProduto),
          RemoteArg::stringRef(&pesqRegiao), RemoteArg::stringRef(&pesqForn),
          RemoteArg::stringRef(&pesqMarca)});
    item->MergeChangeLog();
    const DataPacket saved = packetOf(data(plan, "GetItemCole", keys()));
    EXPECT_EQ(saved.rows[0][11].toDouble(), discount);

    // An instalment is sent on its own, then the whole schedule is deleted.
    auto terms = declared("cdsPzoPgtItmCol", kPzoPgtItmCol);
    terms->SetData(packetOf(data(plan, "GetPzoPgtItmCol", keys())));
    const int before = terms->RecordCount();
    terms->Append();
    const QStringList keyFields{QStringLiteral("CDFILIAL"),   QStringLiteral("NRCOLEPRECO"),
                                QStringLiteral("CDFORNECED"), QStringLiteral("CDPRODUTO"),
                                QStringLiteral("CDARVPROD"),  QStringLiteral("CDMARCA"),
                                QStringLiteral("CDREGIAO")};
    for (const QString &name : keyFields)
        terms->FieldByName(name).SetValue(saved.rows[0][item->FieldByName(name).Index()]);
    terms->FieldByName(QStringLiteral("NRDIASPGTCOL")).SetValue(987.0);
    terms->FieldByName(QStringLiteral("VRPERCPGTCOL")).SetValue(12.5);
    terms->Post();
    data(plan, "SetPzoPgtItmCol", {RemoteArg::variant(encodeDelta(terms->Delta()))});
    EXPECT_EQ(packetOf(data(plan, "GetPzoPgtItmCol", keys())).rows.size(), before + 1);

    data(plan, "DeletaPrazoPg", keys());
    EXPECT_TRUE(packetOf(data(plan, "GetPzoPgtItmCol", keys())).rows.isEmpty());
}

TEST_F(AppServerLoopback, RefusalsAndProtocolFaultsComeBackAsSuch)
{
    auto item = declared("cdsItemCole", kItemCole);
    item->SetData(packetOf(data(plan, "GetItemCole", keys())));
    item->Edit();
    item->FieldByName(QStringLiteral("VRPERDESITM")).SetValue(150.0);
    item->Post();
    QJsonValue nullFields;
    QString pesqProduto, pesqRegiao, pesqForn, pesqMarca;
    const QString keyBefore = stChaveComplementar;
    const QJsonValue reply = plan.Call(
        QStringLiteral("SetItemCole"),
        {RemoteArg::variant(encodeDelta(item->Delta())), RemoteArg::variantRef(&nullFields),
         RemoteArg::boolean(false), RemoteArg::stringRef(&stChaveComplementar),
         RemoteArg::integer(0), RemoteArg::integer(0), RemoteArg::integer(0), RemoteArg::integer(0),
         RemoteArg::stringRef(&pesqProduto), RemoteArg::stringRef(&pesqRegiao),
         RemoteArg::stringRef(&pesqForn), RemoteArg::stringRef(&pesqMarca)});
    EXPECT_EQ(reply.toObject().value(QStringLiteral("ok")), QJsonValue(false));
    EXPECT_FALSE(reply.toObject().value(QStringLiteral("message")).toString().isEmpty());
    EXPECT_THROW(CheckResultServ(reply, false, 0), NetError);
    EXPECT_EQ(stChaveComplementar, keyBefore);

    EXPECT_THROW(plan.Call(QStringLiteral("GetNothing"), keys()), NetError);
    EXPECT_THROW(plan.Call(QStringLiteral("GetItemCole"), {RemoteArg::integer(1)}), NetError);
    TNetConnection unknown(QStringLiteral("Ngc.rdmDesconhecido"));
    unknown.SetPort(s_server->port());
    unknown.Open();
    EXPECT_THROW(unknown.Call(QStringLiteral("GetParaSupri"), {RemoteArg::stringRef(&cdFilial)}),
                 NetError);
}

// The real server over TLS, with a token: the call works when the client trusts the server's
// certificate, and is refused with a clear message when it does not (another authority, the
// system's store) or when the certificate names another host; plain HTTP to the TLS port and
// TLS to a plain port fail cleanly, each with what went wrong.
TEST(AppServerTls, TheClientVerifiesTheServersCertificate)
{
    const TestCertificates certificates(
        {{QStringLiteral("server"), QStringLiteral("IP:127.0.0.1")},
         {QStringLiteral("other"), QStringLiteral("IP:127.0.0.1")}});
    TlsContext context;
    AppServerProcess tlsServer(
        QStringLiteral(NGC_APPSERVER),
        certificates.serverOptions(QStringLiteral("server")) +
            QStringList{QStringLiteral("--token-file"), context.tokenFile()});
    AppServerProcess plainServer(QStringLiteral(NGC_APPSERVER));
    const QString rightCa = certificates.certificate(QStringLiteral("server"));
    struct Case {
        const char *name;
        const char *host;
        int port;
        QString caFile;
        const char *error; // empty: the call works
    };
    const Case cases[] = {
        {"trusted certificate", "https://127.0.0.1", tlsServer.port(), rightCa, ""},
        {"another authority", "https://127.0.0.1", tlsServer.port(),
         certificates.certificate(QStringLiteral("other")), "O certificado do servidor"},
        {"not in the system's store",
         "https://127.0.0.1",
         tlsServer.port(),
         {},
         "O certificado do servidor"},
        {"issued for another name", "https://localhost", tlsServer.port(), rightCa,
         "não foi emitido para este nome de servidor"},
        {"plain HTTP to the TLS port", "127.0.0.1", tlsServer.port(), {}, "this port speaks HTTPS"},
        {"TLS to a plain port", "https://127.0.0.1", plainServer.port(), rightCa,
         "conexão segura (TLS)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        context.set(true, c.caFile, false);
        TNetConnection connection(QStringLiteral("Ngc27451.rdmInfoPlanNeg"));
        connection.SetHost(QString::fromLatin1(c.host));
        connection.SetPort(c.port);
        connection.SetReadTimeout(std::chrono::seconds(5));
        connection.Open();
        QString error;
        try {
            const QJsonValue reply = connection.Call(QStringLiteral("Ping"));
            EXPECT_TRUE(reply.toObject().value(QStringLiteral("ok")).toBool());
        } catch (const NetError &e) {
            error = QString::fromUtf8(e.what());
        }
        if (*c.error == '\0') {
            EXPECT_EQ(error, QString());
        } else {
            EXPECT_TRUE(error.contains(QString::fromUtf8(c.error))) << error.toStdString();
            EXPECT_TRUE(error.contains(QStringLiteral(":%1").arg(c.port))) << error.toStdString();
        }
    }
}
