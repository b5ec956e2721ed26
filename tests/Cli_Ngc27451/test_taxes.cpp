#include "support/behaviour_screen.h"

#include <services/HostContext.h>
#include <widgets/TDBGrid.h>
#include <widgets/TPageControl.h>
#include <widgets/TTabSheet.h>

#include <QApplication>
#include <QTest>

using behaviour::ScreenTest;
using screentest::component;
using screentest::dataSet;

namespace {

ngc::DataPacket branches(const QStringList &codes)
{
    ngc::DataPacket packet{{{QStringLiteral("CDFILIAL"), ngc::FieldType::String, 4},
                            {QStringLiteral("NMFILIAL"), ngc::FieldType::String, 30}},
                           {}};
    for (const QString &code : codes)
        packet.rows.append({code, QStringLiteral("Filial ") + code});
    return packet;
}

ngc::DataPacket taxes(const QStringList &branchOfEachRow)
{
    ngc::DataPacket packet{{{QStringLiteral("CDIMPOSTO"), ngc::FieldType::String, 2},
                            {QStringLiteral("NMIMPOSTO"), ngc::FieldType::String, 30},
                            {QStringLiteral("SGIMPOSTO"), ngc::FieldType::String, 10},
                            {QStringLiteral("CDFILIAP"), ngc::FieldType::String, 4},
                            {QStringLiteral("VRPERCALIQUOTA"), ngc::FieldType::Float, 0},
                            {QStringLiteral("VRIMPOSTO"), ngc::FieldType::Float, 0}},
                           {}};
    int n = 0;
    for (const QString &branch : branchOfEachRow) {
        ++n;
        packet.rows.append({QString::number(n), QStringLiteral("Imposto %1").arg(n),
                            QStringLiteral("IMP%1").arg(n), branch, 1.0 * n, 2.0 * n});
    }
    return packet;
}

// The branch of every tax row the grid shows now.
QStringList shownBranches(ngc::TClientDataSet &taxRows)
{
    QStringList shown;
    for (int rec = 1; rec <= taxRows.RecordCount(); ++rec)
        shown.append(taxRows.ValueAt(rec, 3).toString());
    return shown;
}

} // namespace

class TaxesTest : public ScreenTest {};

// Rows are compared with the branch code exactly as both are stored.
TEST_F(TaxesTest, TaxRowsShowOnlyForTheCurrentBranchByExactCode)
{
    struct Row {
        QStringList branchCodes;
        QStringList taxBranches;
        int current; // 1-based branch made current
        QStringList shown;
    };
    const Row rows[] = {
        {{"0001", "0002", "0003"},
         {"0001", "0001", "0002", "0002", "0003", "0003"},
         2,
         {"0002", "0002"}},
        {{"AB01"}, {"ab01", "AB01", "Ab01"}, 1, {"AB01"}},
        {{"01"}, {"01 ", " 01", "01"}, 1, {"01"}},
        {{"0001", "0002"}, {"0001", "0009"}, 2, {}},
        {{"0001"}, {"0009", "0001"}, 1, {"0001"}},
    };
    ngc::HostContext::instance().serverPort = 1;
    screen = std::make_unique<Cli_Ngc27451::TfrmInfoPlanNeg>();
    for (const Row &row : rows) {
        dataSet(*screen, "cdsFilialImp").SetData(branches(row.branchCodes));
        dataSet(*screen, "cdsDescImp").SetData(taxes(row.taxBranches));
        dataSet(*screen, "cdsFilialImp").SetRecNo(row.current);
        EXPECT_EQ(shownBranches(dataSet(*screen, "cdsDescImp")), row.shown)
            << row.branchCodes.join(u',').toStdString() << " @" << row.current;
    }
}

// Before any branch was listed the filter was never switched on: every tax row shows. Once it
// was, an empty branch list leaves only rows without a branch.
TEST_F(TaxesTest, EmptyBranchListBeforeAndAfterFiltering)
{
    ngc::HostContext::instance().serverPort = 1;
    screen = std::make_unique<Cli_Ngc27451::TfrmInfoPlanNeg>();
    ngc::TClientDataSet &cdsFilialImp = dataSet(*screen, "cdsFilialImp");
    ngc::TClientDataSet &cdsDescImp = dataSet(*screen, "cdsDescImp");
    cdsFilialImp.SetData(branches({}));
    cdsDescImp.SetData(taxes({"0001", "0002"}));
    EXPECT_EQ(shownBranches(cdsDescImp).size(), 2);

    cdsFilialImp.SetData(branches({"0001"}));
    cdsDescImp.SetData(taxes({"0001", "0002", ""}));
    cdsFilialImp.SetData(branches({}));
    cdsDescImp.SetData(taxes({"0001", "0002", ""}));
    EXPECT_EQ(shownBranches(cdsDescImp), QStringList({QString()}));
}

// The buyer moves down the branch grid: the tax grid follows.
TEST_F(TaxesTest, MovingInTheBranchGridShowsThatBranchsTaxes)
{
    auto &form = open();
    ngc::TClientDataSet &cdsDescImp = dataSet(form, "cdsDescImp");
    auto *dbgFilialImp = component<ngc::TDBGrid>(form, "dbgFilialImp");
    form.pgcPadrao->setCurrentWidget(component<ngc::TTabSheet>(form, "tshImpostoItem"));
    ASSERT_EQ(dataSet(form, "cdsFilialImp").RecordCount(), 3);
    EXPECT_EQ(shownBranches(cdsDescImp), QStringList(3, QStringLiteral("0001")));
    focus(dbgFilialImp);
    QTest::keyClick(dbgFilialImp, Qt::Key_Down);
    EXPECT_EQ(dataSet(form, "cdsFilialImp").RecNo(), 2);
    EXPECT_EQ(shownBranches(cdsDescImp), QStringList(3, QStringLiteral("0002")));
    QTest::keyClick(dbgFilialImp, Qt::Key_Down);
    EXPECT_EQ(shownBranches(cdsDescImp), QStringList(2, QStringLiteral("0003")));
    EXPECT_EQ(component<ngc::TDBGrid>(form, "dbgDescImp")->model()->rowCount(), 2);
}

// Tax amounts depend on the discount: a save that changes it reloads both lists and makes the
// first branch current again; any other save leaves them alone.
TEST_F(TaxesTest, SavingADiscountReloadsTheTaxesFromTheFirstBranch)
{
    auto &form = open();
    ngc::TClientDataSet &cdsDescImp = dataSet(form, "cdsDescImp");
    ngc::TClientDataSet &cdsFilialImp = dataSet(form, "cdsFilialImp");
    ngc::TClientDataSet &cdsItemCole = dataSet(form, "cdsItemCole");
    const double before = cdsDescImp.FieldByName(QStringLiteral("VRIMPOSTO")).AsFloat();
    cdsFilialImp.SetRecNo(2);

    cdsItemCole.Edit();
    cdsItemCole.FieldByName(QStringLiteral("VRFRETEFORN")).SetAsFloat(80.0);
    cdsItemCole.Post();
    EXPECT_EQ(cdsFilialImp.RecNo(), 2);
    EXPECT_EQ(recorder.count(QStringLiteral("GetImpFilial")), 1);

    cdsItemCole.Edit();
    cdsItemCole.FieldByName(QStringLiteral("VRPERDESITM")).SetAsFloat(50.0);
    cdsItemCole.Post();
    EXPECT_EQ(recorder.count(QStringLiteral("GetImpFilial")), 2);
    EXPECT_EQ(cdsFilialImp.RecNo(), 1);
    EXPECT_EQ(shownBranches(cdsDescImp), QStringList(3, QStringLiteral("0001")));
    EXPECT_NE(cdsDescImp.FieldByName(QStringLiteral("VRIMPOSTO")).AsFloat(), before);
}

// The server goes away once it has taken the save, so the reload that follows fails.
TEST_F(TaxesTest, FailedReloadKeepsBothLists)
{
    auto &form = open();
    ngc::TClientDataSet &cdsFilialImp = dataSet(form, "cdsFilialImp");
    ngc::TClientDataSet &cdsItemCole = dataSet(form, "cdsItemCole");
    cdsFilialImp.SetRecNo(3);
    const ngc::TNetConnection::TraceHook recording =
        ngc::TNetConnection::SetTraceHook([&](const ngc::CallTrace &call) {
            recording(call);
            if (call.method == QLatin1String("SetItemCole"))
                server().kill();
        });
    cdsItemCole.Edit();
    cdsItemCole.FieldByName(QStringLiteral("VRPERDESITM")).SetAsFloat(50.0);
    EXPECT_ANY_THROW(cdsItemCole.Post());
    ngc::TNetConnection::SetTraceHook(recording);
    EXPECT_EQ(recorder.methods().last(), QStringLiteral("GetImpFilial"));
    EXPECT_EQ(cdsFilialImp.RecordCount(), 3);
    EXPECT_EQ(cdsFilialImp.RecNo(), 3);
    EXPECT_EQ(shownBranches(dataSet(form, "cdsDescImp")), QStringList(2, QStringLiteral("0003")));
}
