#include "support/behaviour_screen.h"

#include <Cli_Ngc27451/entry/Cli_Ngc27451.h>
#include <services/HostContext.h>
#include <net/TNetConnection.h>
#include <widgets/TBtnPesquisa.h>
#include <widgets/TDBEdit.h>
#include <widgets/TDBRadioGroup.h>
#include <widgets/TNumberEdit.h>
#include <widgets/TPageControl.h>
#include <widgets/TPanel.h>
#include <widgets/TSpinEdit.h>
#include <widgets/TTabSheet.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QJsonArray>
#include <QTest>

using behaviour::ScreenTest;
using behaviour::strings;
using screentest::component;
using screentest::dataSet;
using screentest::dataSource;
using screentest::query;

// The first activation reads the parameters with the branch only, then the item, its
// instalments and its taxes, each with its own key order.
TEST_F(ScreenTest, FirstActivationCallsTheServerInOrderWithTheLaunchKeys)
{
    auto &form = open();

    EXPECT_EQ(recorder.methods(),
              QStringList({QStringLiteral("GetParaSupri"), QStringLiteral("GetItemCole"),
                           QStringLiteral("GetPzoPgtItmCol"), QStringLiteral("GetImpFilial")}));
    EXPECT_EQ(recorder.calls().at(0).object, QStringLiteral("Ngc.rdmSuprimentos"));
    EXPECT_EQ(recorder.calls().at(0).args, strings({"0001"}));
    const QJsonArray sixKeys = strings({"0001", "2026000001", "1001", "00001", "1001", "001"});
    EXPECT_EQ(recorder.calls().at(1).object, QStringLiteral("Ngc27451.rdmInfoPlanNeg"));
    EXPECT_EQ(recorder.calls().at(1).args, sixKeys);
    EXPECT_EQ(recorder.calls().at(2).args, sixKeys);
    EXPECT_EQ(recorder.calls().at(3).args, strings({"0001", "CC01", "001", "1001", "1001"}));
    for (const auto &call : recorder.calls())
        EXPECT_TRUE(call.ok) << call.method.toStdString() << ": " << call.error.toStdString();

    EXPECT_EQ(dataSet(form, "cdsItemCole").RecordCount(), 1);
    EXPECT_EQ(dataSet(form, "cdsPzoPgtItmCol").RecordCount(), 2);
    EXPECT_EQ(dataSet(form, "cdsFilialImp").RecordCount(), 3);
    EXPECT_TRUE(ui.errors().isEmpty()) << ui.errors().join(u'\n').toStdString();
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_TRUE(ui.progress().isEmpty());
}

// Unit price 20, discount 5: the value shown is 1.00. The spin edits show the record's numbers,
// and an empty spin edit for a null day or instalment count.
TEST_F(ScreenTest, FirstActivationFillsTheUnboundControls)
{
    auto &form = open();
    EXPECT_EQ(component<ngc::TDBEdit>(form, "dbeVrPerDesItm")->text(), QStringLiteral("5.00"));
    EXPECT_EQ(component<ngc::TNumberEdit>(form, "nedValorDesc")->text(), QStringLiteral("1.00"));
    EXPECT_EQ(component<ngc::TSpinEdit>(form, "spePrEntr")->Text(), QStringLiteral("15"));
    EXPECT_EQ(component<ngc::TSpinEdit>(form, "speDiaFixo")->Text(), QString());
    EXPECT_EQ(component<ngc::TSpinEdit>(form, "speParcela")->Text(), QString());
}

TEST_F(ScreenTest, FixedDayAndInstalmentCountAreShownAsNumbers)
{
    auto &form = open(behaviour::fixedDayItem());
    EXPECT_EQ(component<ngc::TSpinEdit>(form, "speDiaFixo")->Text(), QStringLiteral("10"));
    EXPECT_EQ(component<ngc::TSpinEdit>(form, "speParcela")->Text(), QStringLiteral("3"));
}

// The value derived from the percentage, as the edit shows it with two decimals.
TEST_F(ScreenTest, DerivedDiscountValueFollowsThePercentageUpToOneHundred)
{
    struct Row {
        double price;
        double percent;
        QString value;
    };
    const Row rows[] = {
        {10.0, 12.5, QStringLiteral("1.25")},       {12.34567, 10.0, QStringLiteral("1.23")},
        {12.34567, 100.0, QStringLiteral("12.35")}, {10.0, 100.01, QString()},
        {10.0, 0.0, QStringLiteral("0.00")},
    };
    for (const Row &row : rows) {
        server().exec(QStringLiteral("UPDATE ITEMCOLE SET VRPRECUNIITM = ?, VRPERDESITM = ? "
                                     "WHERE CDFILIAL = '0001' AND NRCOLEPRECO = '2026000001' "
                                     "AND CDPRODUTO = '1001' AND CDMARCA = '00001' "
                                     "AND CDFORNECED = '1001' AND CDREGIAO = '001'"),
                      {row.price, row.percent});
        auto &form = open();
        EXPECT_EQ(component<ngc::TNumberEdit>(form, "nedValorDesc")->text(), row.value)
            << row.price << " x " << row.percent;
        screen->hide();
    }
}

TEST_F(ScreenTest, TaxPageFollowsTheParameterAndTheValidityMode)
{
    struct Row {
        const char *consolidated;
        bool validade;
        bool singleList;
    };
    const Row rows[] = {{"S", false, false},
                        {"S", true, true},
                        {"N", false, true},
                        {"N", true, true},
                        {"", false, false}};
    for (const Row &row : rows) {
        server().exec(QStringLiteral("UPDATE PARASUPRI SET IDCONSDESTITEMCOL = ? "
                                     "WHERE CDFILIAL = '0001'"),
                      {QString::fromUtf8(row.consolidated)});
        recorder.clear();
        auto &form = open(behaviour::demoItem(), row.validade);
        SCOPED_TRACE(std::string(row.consolidated) + (row.validade ? " validade" : ""));
        EXPECT_EQ(form.pgcPadrao->TabVisible(form.tshPadrao), row.singleList);
        EXPECT_EQ(form.pgcPadrao->TabVisible(component<ngc::TTabSheet>(form, "tshImpostoItem")),
                  !row.singleList);
        // Only the shown page's taxes are read.
        EXPECT_EQ(recorder.count(QStringLiteral("GetImpColet")), row.singleList ? 1 : 0);
        EXPECT_EQ(recorder.count(QStringLiteral("GetImpFilial")), row.singleList ? 0 : 1);
        EXPECT_EQ(dataSet(form, "cdsImpColet").IsEmpty(), !row.singleList);
        EXPECT_EQ(dataSet(form, "cdsFilialImp").IsEmpty(), row.singleList);
        EXPECT_EQ(dataSet(form, "cdsDescImp").IsEmpty(), row.singleList);
        EXPECT_EQ(component<QGroupBox>(form, "grbValidade")->isEnabled(), row.validade);
        screen->hide();
    }
}

TEST_F(ScreenTest, BrandLookupListsAllBrandsOnlyWhenTheParameterSaysSo)
{
    struct Row {
        const char *allBrands;
        bool fromQuery;
        QString emptyText;
    };
    const Row rows[] = {{"S", true, QStringLiteral("Não há marca cadastrada.")},
                        {"N", false, QStringLiteral("Não há marca cadastrada para o produto.")},
                        {"", false, QStringLiteral("Não há marca cadastrada para o produto.")}};
    for (const Row &row : rows) {
        server().exec(
            QStringLiteral("UPDATE PARASUPRI SET IDPROSEMMAR = ? WHERE CDFILIAL = '0001'"),
            {QString::fromUtf8(row.allBrands)});
        auto &form = open();
        EXPECT_EQ(dataSource(form, "dtsPesqMarca").DataSet(),
                  row.fromQuery ? &query(form, "qryMarca").DataSet()
                                : &dataSet(form, "cdsPesqMarca"))
            << row.allBrands;
        EXPECT_EQ(component<ngc::TBtnPesquisa>(form, "btpPesqMarca")->EmptyText(), row.emptyText);
        screen->hide();
    }
}

// The commercial conditions and the replication switch belong to the commercial module (34)
// only; replication also needs the branch's permission.
TEST_F(ScreenTest, ModuleCodeAndReplicationParameterDecideWhatCanBeEdited)
{
    struct Row {
        int module;
        const char *replicate;
        bool commercial;
        bool replication;
    };
    const Row rows[] = {{34, "S", true, true},
                        {34, "N", true, false},
                        {4, "S", false, false},
                        {1, "S", false, false}};
    for (const Row &row : rows) {
        ngc::HostContext::instance().moduleCode = row.module;
        server().exec(QStringLiteral("UPDATE PARASUPRI SET IDREPLICADESCONTO = ? "
                                     "WHERE CDFILIAL = '0001'"),
                      {QString::fromUtf8(row.replicate)});
        auto &form = open();
        SCOPED_TRACE(row.module);
        EXPECT_EQ(component<ngc::TDBRadioGroup>(form, "drgFormPgto")->isEnabled(), row.commercial);
        EXPECT_EQ(component<QGroupBox>(form, "grbCobranca")->isEnabled(), row.commercial);
        EXPECT_EQ(component<ngc::TPanel>(form, "panPesqFormPgto")->isEnabled(), row.commercial);
        EXPECT_EQ(component<QCheckBox>(form, "chkDesconto")->isEnabled(), row.replication);
        EXPECT_FALSE(component<QGroupBox>(form, "grbDesconto")->isEnabled());
        screen->hide();
    }
}

TEST_F(ScreenTest, LaterActivationsDoNotCallTheServer)
{
    auto &form = open();
    ngc::TClientDataSet &cdsItemCole = dataSet(form, "cdsItemCole");
    recorder.clear();
    cdsItemCole.Edit();
    cdsItemCole.FieldByName(QStringLiteral("VRFRETEFORN")).SetAsFloat(99.0);

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

    EXPECT_TRUE(recorder.calls().isEmpty());
    EXPECT_EQ(cdsItemCole.State(), ngc::DataSetState::Edit);
    EXPECT_EQ(cdsItemCole.FieldByName(QStringLiteral("VRFRETEFORN")).AsFloat(), 99.0);
}

// A failing first call stops the set-up there, with the screen open and the error shown; the
// set-up is not retried on the next activation.
TEST_F(ScreenTest, UnreachableServerStopsTheSetUpAndLeavesTheScreenOpen)
{
    auto &form = openUnreachable();
    EXPECT_EQ(recorder.methods(), QStringList({QStringLiteral("GetParaSupri")}));
    EXPECT_FALSE(recorder.calls().first().ok);
    ASSERT_EQ(ui.errors().size(), 1);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(dataSet(form, "cdsItemCole").IsEmpty());

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(recorder.calls().size(), 1);
}

TEST_F(ScreenTest, ClosingClosesBothConnectionsAndKeepsTheScreen)
{
    auto &form = open();
    ASSERT_TRUE(component<ngc::TNetConnection>(form, "netInfoPlanNeg")->Connected());
    ASSERT_TRUE(component<ngc::TNetConnection>(form, "netSuprimentos")->Connected());
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(component<ngc::TNetConnection>(form, "netInfoPlanNeg")->Connected());
    EXPECT_FALSE(component<ngc::TNetConnection>(form, "netSuprimentos")->Connected());
    EXPECT_EQ(dataSet(form, "cdsItemCole").RecordCount(), 1);
}
