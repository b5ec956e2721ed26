#include "support/behaviour_screen.h"

#include <host/HostContext.h>
#include <widgets/TDBGrid.h>
#include <widgets/TPageControl.h>
#include <widgets/TTabSheet.h>

#include <QApplication>
#include <QTest>

using behaviour::ScreenTest;

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
        screen->cdsFilialImp.SetData(branches(row.branchCodes));
        screen->cdsDescImp.SetData(taxes(row.taxBranches));
        screen->cdsFilialImp.SetRecNo(row.current);
        EXPECT_EQ(shownBranches(screen->cdsDescImp), row.shown)
            << row.branchCodes.join(u',').toStdString() << " @" << row.current;
    }
}

// Before any branch was listed the filter was never switched on: every tax row shows. Once it
// was, an empty branch list leaves only rows without a branch.
TEST_F(TaxesTest, EmptyBranchListBeforeAndAfterFiltering)
{
    ngc::HostContext::instance().serverPort = 1;
    screen = std::make_unique<Cli_Ngc27451::TfrmInfoPlanNeg>();
    screen->cdsFilialImp.SetData(branches({}));
    screen->cdsDescImp.SetData(taxes({"0001", "0002"}));
    EXPECT_EQ(shownBranches(screen->cdsDescImp).size(), 2);

    screen->cdsFilialImp.SetData(branches({"0001"}));
    screen->cdsDescImp.SetData(taxes({"0001", "0002", ""}));
    screen->cdsFilialImp.SetData(branches({}));
    screen->cdsDescImp.SetData(taxes({"0001", "0002", ""}));
    EXPECT_EQ(shownBranches(screen->cdsDescImp), QStringList({QString()}));
}

// The buyer moves down the branch grid: the tax grid follows.
TEST_F(TaxesTest, MovingInTheBranchGridShowsThatBranchsTaxes)
{
    auto &form = open();
    form.pgcPadrao->setCurrentWidget(form.tshImpostoItem);
    ASSERT_EQ(form.cdsFilialImp.RecordCount(), 3);
    EXPECT_EQ(shownBranches(form.cdsDescImp), QStringList(3, QStringLiteral("0001")));
    focus(form.dbgFilialImp);
    QTest::keyClick(form.dbgFilialImp, Qt::Key_Down);
    EXPECT_EQ(form.cdsFilialImp.RecNo(), 2);
    EXPECT_EQ(shownBranches(form.cdsDescImp), QStringList(3, QStringLiteral("0002")));
    QTest::keyClick(form.dbgFilialImp, Qt::Key_Down);
    EXPECT_EQ(shownBranches(form.cdsDescImp), QStringList(2, QStringLiteral("0003")));
    EXPECT_EQ(form.dbgDescImp->model()->rowCount(), 2);
}

// Tax amounts depend on the discount: a save that changes it reloads both lists and makes the
// first branch current again; any other save leaves them alone.
TEST_F(TaxesTest, SavingADiscountReloadsTheTaxesFromTheFirstBranch)
{
    auto &form = open();
    const double before = form.cdsDescImp.FieldByName(QStringLiteral("VRIMPOSTO")).AsFloat();
    form.cdsFilialImp.SetRecNo(2);

    form.cdsItemCole.Edit();
    form.cdsItemCole.FieldByName(QStringLiteral("VRFRETEFORN")).SetAsFloat(80.0);
    form.cdsItemCole.Post();
    EXPECT_EQ(form.cdsFilialImp.RecNo(), 2);
    EXPECT_EQ(recorder.count(QStringLiteral("GetImpFilial")), 1);

    form.cdsItemCole.Edit();
    form.cdsItemCole.FieldByName(QStringLiteral("VRPERDESITM")).SetAsFloat(50.0);
    form.cdsItemCole.Post();
    EXPECT_EQ(recorder.count(QStringLiteral("GetImpFilial")), 2);
    EXPECT_EQ(form.cdsFilialImp.RecNo(), 1);
    EXPECT_EQ(shownBranches(form.cdsDescImp), QStringList(3, QStringLiteral("0001")));
    EXPECT_NE(form.cdsDescImp.FieldByName(QStringLiteral("VRIMPOSTO")).AsFloat(), before);
}

TEST_F(TaxesTest, FailedReloadKeepsBothLists)
{
    auto &form = open();
    form.cdsFilialImp.SetRecNo(3);
    server().kill();
    EXPECT_ANY_THROW(form.AtualizaImpostos());
    EXPECT_EQ(form.cdsFilialImp.RecordCount(), 3);
    EXPECT_EQ(form.cdsFilialImp.RecNo(), 3);
    EXPECT_EQ(shownBranches(form.cdsDescImp), QStringList(2, QStringLiteral("0003")));
}
