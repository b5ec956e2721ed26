#include "support/ScreenFixture.h"

#include <data/TClientDataSet.h>
#include <data/TDataSource.h>
#include <data/TField.h>

#include <services/HostContext.h>
#include <widgets/TADOIBQuery.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>

using ngc::FieldType;
using screentest::dataSet;
using screentest::query;
using screentest::ScreenFixture;

namespace {

constexpr FieldType S = FieldType::String;
constexpr FieldType F = FieldType::Float;
constexpr FieldType D = FieldType::DateTime;

struct FieldRow {
    const char *dataSet;
    const char *name;
    FieldType type;
    int size;                // strings only
    const char *label = "";  // empty: the field name is the label
    const char *format = ""; // display and edit format
    const char *mask = "";
    bool visible = true;
};

constexpr bool H = false; // hidden

// Every persistent field of every dataset, in order.
const FieldRow fields[] = {
    {"cdsItemCole", "CDFILIAL", S, 4},
    {"cdsItemCole", "NRCOLEPRECO", S, 10},
    {"cdsItemCole", "CDPRODUTO", S, 10},
    {"cdsItemCole", "CDARVPROD", S, 20},
    {"cdsItemCole", "CDMARCA", S, 5},
    {"cdsItemCole", "CDFORNECED", S, 21},
    {"cdsItemCole", "CDREGIAO", S, 3},
    {"cdsItemCole", "CDTIPCOB", S, 2, "", "", "99;0; "},
    {"cdsItemCole", "NMTIPOCOBR", S, 20},
    {"cdsItemCole", "VRPRECUNIITM", F, 0, "Preço Unitário", "##0.00000"},
    {"cdsItemCole", "VRPRECECOITM", F, 0, "Preço Econômico", "##0.00000"},
    {"cdsItemCole", "VRPERDESITM", F, 0, "", "#0.00"},
    {"cdsItemCole", "QTACMPITMCOL", F, 0, "Quantidade", "##0.00"},
    {"cdsItemCole", "CDFORMPGTO", S, 2, "", "", "99;0; "},
    {"cdsItemCole", "NMFORMPGTO", S, 30},
    {"cdsItemCole", "IDTPFOPGTCOL", S, 1},
    {"cdsItemCole", "NRPARCPGTCOL", F, 0},
    {"cdsItemCole", "NRDIAPGFXCOL", F, 0},
    {"cdsItemCole", "IDUTDIAPGCOL", S, 1},
    {"cdsItemCole", "IDTIPFREITM", S, 1},
    {"cdsItemCole", "NRPZOENTCOL", S, 3},
    {"cdsItemCole", "DTINIVALITM", D, 0},
    {"cdsItemCole", "DTFINVALITM", D, 0},
    {"cdsItemCole", "CDSEGMARCCOL", S, 5, "2ª marca", "", "99999;0; "},
    {"cdsItemCole", "NMMARCA", S, 20},
    {"cdsItemCole", "VRFRETEFORN", F, 0}, // display format only, checked below

    {"cdsPzoPgtItmCol", "CDFILIAL", S, 4, "", "", "", H},
    {"cdsPzoPgtItmCol", "NRCOLEPRECO", S, 10, "", "", "", H},
    {"cdsPzoPgtItmCol", "CDFORNECED", S, 21, "", "", "", H},
    {"cdsPzoPgtItmCol", "CDPRODUTO", S, 10, "", "", "", H},
    {"cdsPzoPgtItmCol", "CDARVPROD", S, 20, "", "", "", H},
    {"cdsPzoPgtItmCol", "CDMARCA", S, 5, "", "", "", H},
    {"cdsPzoPgtItmCol", "CDREGIAO", S, 3, "", "", "", H},
    {"cdsPzoPgtItmCol", "NRDIASPGTCOL", F, 0, "Prazo(Dias)"},
    {"cdsPzoPgtItmCol", "VRPERCPGTCOL", F, 0, "Percentual", "##0.00%"},

    {"cdsImpColet", "CDIMPOSTO", S, 2, "", "", "", H},
    {"cdsImpColet", "NMIMPOSTO", S, 30, "Descrição"},
    {"cdsImpColet", "VRALIQIMPCOL", F, 0, "Valor Alíquota", "##0.00"},
    {"cdsImpColet", "VRIMPCOLETA", F, 0, "Valor Imposto", "##0.00"},
    {"cdsImpColet", "IDIMPDIGCOL", S, 1, "", "", "", H},
    {"cdsImpColet", "CDFILIAL", S, 4, "", "", "", H},
    {"cdsImpColet", "NRCOLEPRECO", S, 10, "", "", "", H},
    {"cdsImpColet", "CDFORNECED", S, 21, "", "", "", H},
    {"cdsImpColet", "CDPRODUTO", S, 10},
    {"cdsImpColet", "CDARVPROD", S, 20},
    {"cdsImpColet", "CDMARCA", S, 5, "", "", "", H},
    {"cdsImpColet", "CDREGIAO", S, 3, "", "", "", H},
    {"cdsImpColet", "IDTRATIMPO", S, 1, "", "", "", H},
    {"cdsImpColet", "VRADIMPCOL", F, 0, "", "", "", H},

    {"cdsFilialImp", "CDFILIAL", S, 4, "Filial"},
    {"cdsFilialImp", "NMFILIAL", S, 30, "Nome"},

    {"cdsDescImp", "CDIMPOSTO", S, 2, "", "", "", H},
    {"cdsDescImp", "NMIMPOSTO", S, 30, "Descrição"},
    {"cdsDescImp", "SGIMPOSTO", S, 10, "", "", "", H},
    {"cdsDescImp", "CDFILIAP", S, 4, "", "", "", H},
    {"cdsDescImp", "VRPERCALIQUOTA", F, 0, "Valor Aliquota", "#,##0.00"},
    {"cdsDescImp", "VRIMPOSTO", F, 0, "Valor Imposto", "#,##0.00"},

    {"cdsParaSupri", "IDPROSEMMAR", S, 1},
    {"cdsParaSupri", "IDREPLICADESCONTO", S, 1},
    {"cdsParaSupri", "IDCONSDESTITEMCOL", S, 1},

    {"cdsTipoCobr", "CDTIPCOB", S, 2, "Código"},
    {"cdsTipoCobr", "NMTIPOCOBR", S, 20, "Nome"},
    {"cdsPesqMarca", "CDMARCA", S, 5, "Código"},
    {"cdsPesqMarca", "NMMARCA", S, 20, "Nome"},
    {"cdsSomaPerc", "SOMAPERC", F, 0},

    {"cdsPesqProd", "IDMARCADO", S, 1},
    {"cdsPesqProd", "CDFILIAL", S, 4, "", "", "", H},
    {"cdsPesqProd", "NRCOLEPRECO", S, 10, "", "", "", H},
    {"cdsPesqProd", "CDPRODUTO", S, 10, "", "", "", H},
    {"cdsPesqProd", "CDARVPROD", S, 20, "Código"},
    {"cdsPesqProd", "NMPRODUTO", S, 50, "Nome"},
    {"cdsPesqMarcaDesc", "IDMARCADO", S, 1},
    {"cdsPesqMarcaDesc", "CDFILIAL", S, 4, "", "", "", H},
    {"cdsPesqMarcaDesc", "NRCOLEPRECO", S, 10, "", "", "", H},
    {"cdsPesqMarcaDesc", "CDMARCA", S, 5, "Código"},
    {"cdsPesqMarcaDesc", "NMMARCA", S, 20, "Nome"},
    {"cdsPesqReg", "IDMARCADO", S, 1},
    {"cdsPesqReg", "CDFILIAL", S, 4, "", "", "", H},
    {"cdsPesqReg", "NRCOLEPRECO", S, 10, "", "", "", H},
    {"cdsPesqReg", "CDREGIAO", S, 3, "Código"},
    {"cdsPesqReg", "NMREGIAO", S, 30, "Nome"},
    {"cdsPesqForn", "IDMARCADO", S, 1},
    {"cdsPesqForn", "CDFILIAL", S, 4, "", "", "", H},
    {"cdsPesqForn", "NRCOLEPRECO", S, 10, "", "", "", H},
    {"cdsPesqForn", "CDFORNECED", S, 21, "", "", "", H},
    {"cdsPesqForn", "NMFANTFORN", S, 40, "Nome"},
    {"cdsPesqForn", "IDTPIJURFORN", S, 1, "", "", "", H},
    {"cdsPesqForn", "NRINSJURFORN", S, 20, "Inscrição"},

    {"qryMarca", "CDMARCA", S, 5, "Código"},
    {"qryMarca", "NMMARCA", S, 20, "Nome"},
    {"qryPesqFormPgto", "CDFORMPGTO", S, 2, "Código"},
    {"qryPesqFormPgto", "NMFORMPGTO", S, 30, "Nome"},
    {"qryPesqFormPgto", "IDTIPODTPGTO", S, 4, "Tipo da Forma de Pagamento", "", "", H},
};

using DataSetLayoutTest = ScreenFixture;

TEST_F(DataSetLayoutTest, EveryFieldHasItsPlaceTypeAndPresentation)
{
    QHash<QString, int> position;
    for (const FieldRow &row : fields) {
        const QString dataSetName = QLatin1String(row.dataSet);
        const QString fieldName = QLatin1String(row.name);
        SCOPED_TRACE((dataSetName + fieldName).toStdString());
        ngc::TField *field = screen->findField(dataSetName + fieldName);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(&field->DataSet(), screen->findDataSet(dataSetName));
        EXPECT_EQ(field->Index(), position[dataSetName]++);
        EXPECT_EQ(field->DataType(), row.type);
        if (row.type == FieldType::String) {
            EXPECT_EQ(field->Size(), row.size);
        }
        EXPECT_EQ(field->DisplayName(), row.label[0] ? QString::fromUtf8(row.label) : fieldName);
        if (fieldName != QLatin1String("VRFRETEFORN")) {
            EXPECT_EQ(field->DisplayFormat, QLatin1String(row.format));
            EXPECT_EQ(field->EditFormat, QLatin1String(row.format));
        }
        EXPECT_EQ(field->EditMask, QLatin1String(row.mask));
        EXPECT_EQ(field->Visible, row.visible);
    }
    for (auto it = position.cbegin(); it != position.cend(); ++it)
        EXPECT_EQ(screen->findDataSet(it.key())->FieldCount(), it.value())
            << it.key().toStdString();

    // The supplier's freight value is only shown formatted, and edited as a plain number.
    const ngc::TField &frete = *screen->findField(QStringLiteral("cdsItemColeVRFRETEFORN"));
    EXPECT_EQ(frete.DisplayFormat, QLatin1String("#,##0.00"));
    EXPECT_TRUE(frete.EditFormat.isEmpty());
}

// Result sets the screen only tests for emptiness take whatever columns the server sends.
TEST_F(DataSetLayoutTest, CheckResultsHaveNoPersistentFields)
{
    for (const char *name : {"cdsVerif_PzoPgtItmCol", "cdsMarcaAutoriz", "cdsVerif_ColeApr"}) {
        ngc::TClientDataSet *dataSet = screen->findDataSet(QLatin1String(name));
        ASSERT_NE(dataSet, nullptr) << name;
        EXPECT_EQ(dataSet->FieldCount(), 0) << name;
    }
}

TEST_F(DataSetLayoutTest, DataSourcesShowTheirDataSets)
{
    const std::pair<const char *, const char *> bindings[] = {
        {"dtsPadrao", "cdsItemCole"},     {"dtsPzoPgtItmCol", "cdsPzoPgtItmCol"},
        {"dtsImpColet", "cdsImpColet"},   {"dtsTipoCobr", "cdsTipoCobr"},
        {"dtsPesqMarca", "cdsPesqMarca"}, {"dtsPesqFormPgto", "qryPesqFormPgto"},
        {"dtsPesqProd", "cdsPesqProd"},   {"dtsPesqMarcaDesc", "cdsPesqMarcaDesc"},
        {"dtsPesqReg", "cdsPesqReg"},     {"dtsPesqForn", "cdsPesqForn"},
        {"dtsFilialImp", "cdsFilialImp"}, {"dtsDescImp", "cdsDescImp"},
    };
    for (const auto &[source, dataSet] : bindings) {
        SCOPED_TRACE(source);
        ngc::TDataSource *dts = screen->findDataSource(QLatin1String(source));
        ASSERT_NE(dts, nullptr);
        EXPECT_EQ(dts->Name(), QLatin1String(source));
        ASSERT_NE(dts->DataSet(), nullptr);
        EXPECT_EQ(dts->DataSet(), screen->findDataSet(QLatin1String(dataSet)));
        if (QLatin1String(dataSet).startsWith(QLatin1String("cds"))) {
            EXPECT_EQ(dts->DataSet()->Name(), QLatin1String(dataSet));
        }
    }
}

// An item packet as the server sends it fits the persistent layout and shows its formats.
TEST_F(DataSetLayoutTest, ItemPacketLoadsThroughTheLayout)
{
    ngc::TClientDataSet &item = dataSet(*screen, "cdsItemCole");
    ngc::DataPacket packet;
    packet.fields = item.FieldDefs();
    ngc::Row row(packet.fields.size());
    row[0] = QStringLiteral("0001");
    row[9] = 10.0;
    row[11] = 12.5;
    packet.rows.append(row);
    item.SetData(packet);
    EXPECT_EQ(item.RecordCount(), 1);
    EXPECT_EQ(item.FieldByName(QStringLiteral("VRPRECUNIITM")).DisplayText(),
              QLatin1String("10.00000"));
    EXPECT_EQ(item.FieldByName(QStringLiteral("VRPERDESITM")).DisplayText(),
              QLatin1String("12.50"));
}

// The two lookups on the host's shared database: "T" in the second parameter lists every row,
// otherwise only the code asked for; the SQL text itself is kept line for line.
TEST_F(DataSetLayoutTest, SharedDatabaseLookups)
{
    ngc::TADOIBQuery &qryMarca = query(*screen, "qryMarca");
    ngc::TADOIBQuery &qryPesqFormPgto = query(*screen, "qryPesqFormPgto");
    EXPECT_EQ(qryMarca.SQL(),
              QStringList({"SELECT", "   MARCA.CDMARCA,", "   MARCA.NMMARCA", "FROM", "   MARCA",
                           "WHERE", "   (MARCA.CDMARCA = :P_CDMARCA OR :P_TCDMARCA = 'T')"}));
    EXPECT_EQ(qryPesqFormPgto.SQL(),
              QStringList({"SELECT", "   CDFORMPGTO,", "   NMFORMPGTO,", "   IDTIPODTPGTO", "FROM",
                           "   FORMPGTO", "WHERE",
                           "  (CDFORMPGTO = :P_CDFORMPGTO OR :P_TFORMPGTO = 'T')"}));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("shared.db"));
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("seed"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (const char *sql :
             {"CREATE TABLE MARCA (CDMARCA TEXT, NMMARCA TEXT, IDATIVO TEXT)",
              "INSERT INTO MARCA VALUES ('00001', 'ACME', 'S'), ('00002', 'Bravo', 'S')",
              "CREATE TABLE FORMPGTO (CDFORMPGTO TEXT, NMFORMPGTO TEXT, IDTIPODTPGTO TEXT)",
              "INSERT INTO FORMPGTO VALUES ('01', 'Boleto', 'DDL'), ('02', 'Cheque', 'DFM'),"
              " ('03', 'Dinheiro', 'DDL')"})
            ASSERT_TRUE(q.exec(QLatin1String(sql))) << sql;
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("seed"));
    ngc::HostContext::instance().sharedDb = QStringLiteral("sqlite:") + path;

    struct Case {
        ngc::TADOIBQuery *query;
        const char *codeParam;
        const char *allParam;
        const char *code;
        const char *all;
        int rows;
    };
    const Case cases[] = {
        {&qryMarca, "P_CDMARCA", "P_TCDMARCA", "00002", "", 1},
        {&qryMarca, "P_CDMARCA", "P_TCDMARCA", " ", "T", 2},
        {&qryMarca, "P_CDMARCA", "P_TCDMARCA", "00009", "", 0},
        {&qryPesqFormPgto, "P_CDFORMPGTO", "P_TFORMPGTO", "03", "", 1},
        {&qryPesqFormPgto, "P_CDFORMPGTO", "P_TFORMPGTO", "", "T", 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.codeParam) + "=" + c.code);
        c.query->Close();
        c.query->ParamByName(QLatin1String(c.codeParam)).SetAsString(QLatin1String(c.code));
        c.query->ParamByName(QLatin1String(c.allParam)).SetAsString(QLatin1String(c.all));
        c.query->Open();
        EXPECT_EQ(c.query->DataSet().RecordCount(), c.rows);
        if (c.rows == 1) {
            EXPECT_EQ(c.query->DataSet().Fields(0).AsString(), QLatin1String(c.code));
        }
    }
    EXPECT_EQ(qryPesqFormPgto.FieldByName(QStringLiteral("NMFORMPGTO")).AsString(),
              QLatin1String("Boleto"));
    qryMarca.Close();
    qryPesqFormPgto.Close();
    ngc::HostContext::instance().sharedDb.clear();
}

} // namespace
