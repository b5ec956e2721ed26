#include "support/behaviour_screen.h"

#include <services/HostContext.h>
#include <services/SilentAbort.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TDBEdit.h>
#include <widgets/TDBGrid.h>
#include <widgets/TDBRadioGroup.h>
#include <widgets/TNumberEdit.h>
#include <widgets/TPageControl.h>
#include <widgets/TSpinEdit.h>
#include <widgets/TTabSheet.h>

#include <QAction>
#include <QApplication>
#include <QTest>

using behaviour::ScreenTest;
using ngc::DataSetState;
using screentest::component;
using screentest::dataSet;
using screentest::frame;

namespace {

enum class Page { Dados, FormPgto, Padrao, ImpostoItem };
enum class Focus { None, Grid, Percent, PaymentForm, TaxGrid, DayOfMonth };
enum class State { Browse, Edit, Empty };

ngc::TTabSheet *pageOf(Cli_Ngc27451::TfrmInfoPlanNeg &form, Page page)
{
    switch (page) {
    case Page::Dados:
        return component<ngc::TTabSheet>(form, "tshDados");
    case Page::FormPgto:
        return component<ngc::TTabSheet>(form, "tshFormPgto");
    case Page::Padrao:
        return form.tshPadrao;
    case Page::ImpostoItem:
        return component<ngc::TTabSheet>(form, "tshImpostoItem");
    }
    return nullptr;
}

QWidget *controlOf(Cli_Ngc27451::TfrmInfoPlanNeg &form, Focus focus)
{
    switch (focus) {
    case Focus::None:
        return nullptr;
    case Focus::Grid:
        return component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol");
    case Focus::Percent:
        return component<ngc::TDBEdit>(form, "dbeVrPerDesItm");
    case Focus::PaymentForm:
        return component<ngc::TDBRadioGroup>(form, "drgFormPgto");
    case Focus::TaxGrid:
        return form.dbgPadrao;
    case Focus::DayOfMonth:
        return component<ngc::TSpinEdit>(form, "speDiaFixo");
    }
    return nullptr;
}

void putInState(ngc::TClientDataSet &dataSet, State state)
{
    if (state == State::Edit)
        dataSet.Edit();
    else if (state == State::Empty)
        dataSet.EmptyDataSet();
}

// The enabled commands as letters: Cancelar, cOnfirmar, Incluir, Alterar, Excluir, Procurar,
// Verificar. Fails when a button differs from its menu item.
QString enabledCommands(Cli_Ngc27451::TfrmInfoPlanNeg &form)
{
    const struct {
        char letter;
        QAction *item;
        QWidget *button;
    } commands[] = {
        {'C', form.mnuCancelar, form.sbtCancelar},  {'O', form.mnuConfirmar, form.sbtConfirmar},
        {'I', form.mnuIncluir, form.sbtIncluir},    {'A', form.mnuAlterar, form.sbtAlterar},
        {'E', form.mnuExcluir, form.sbtExcluir},    {'P', form.mnuProcurar, form.sbtProcurar},
        {'V', form.mnuVerificar, form.sbtVerificar}};
    QString letters;
    for (const auto &command : commands) {
        EXPECT_EQ(command.item->isEnabled(), command.button->isEnabled()) << command.letter;
        if (command.item->isEnabled())
            letters += QLatin1Char(command.letter);
    }
    return letters;
}

} // namespace

class ToolbarTest : public ScreenTest {
protected:
    // Brings the screen into a situation the way a buyer would: page, focus, then the states; the
    // toolbar is then refreshed as a state change of the item refreshes it.
    Cli_Ngc27451::TfrmInfoPlanNeg &
    situation(Page page, Focus focusOn, State item, State instalment,
              const behaviour::LaunchKeys &keys = behaviour::demoItem())
    {
        auto &form = open(keys);
        form.pgcPadrao->SetActivePage(pageOf(form, page));
        if (QWidget *control = controlOf(form, focusOn))
            focus(control);
        else if (QWidget *focused = form.focusWidget())
            focused->clearFocus();
        putInState(dataSet(form, "cdsPzoPgtItmCol"), instalment);
        putInState(dataSet(form, "cdsItemCole"), item);
        frame(form).dtsPadraoStateChange();
        return form;
    }
};

TEST_F(ToolbarTest, EnablingFollowsStatesPageAndFocus)
{
    struct Row {
        Page page;
        Focus focus;
        State item;
        State instalment;
        const char *enabled;
    };
    const Row rows[] = {
        {Page::Dados, Focus::None, State::Browse, State::Browse, "AV"},
        {Page::Dados, Focus::Percent, State::Browse, State::Browse, "AV"},
        {Page::Dados, Focus::Percent, State::Edit, State::Browse, "CO"},
        {Page::Dados, Focus::None, State::Empty, State::Browse, "A"},
        // Editing an instalment of a registered form puts the item into edit.
        {Page::Dados, Focus::Percent, State::Browse, State::Edit, "CO"},
        {Page::FormPgto, Focus::Grid, State::Browse, State::Browse, "IAEPV"},
        {Page::FormPgto, Focus::Grid, State::Browse, State::Edit, "CO"},
        {Page::FormPgto, Focus::Grid, State::Browse, State::Empty, "I"},
        {Page::FormPgto, Focus::Grid, State::Edit, State::Browse, "CO"},
        {Page::FormPgto, Focus::PaymentForm, State::Browse, State::Browse, "AV"},
        {Page::FormPgto, Focus::PaymentForm, State::Edit, State::Edit, "CO"},
        {Page::Padrao, Focus::None, State::Browse, State::Browse, ""},
        {Page::Padrao, Focus::TaxGrid, State::Browse, State::Browse, ""},
        {Page::Padrao, Focus::None, State::Edit, State::Browse, "CO"},
        {Page::ImpostoItem, Focus::None, State::Browse, State::Browse, "AV"},
    };
    for (const Row &row : rows) {
        auto &form = situation(row.page, row.focus, row.item, row.instalment);
        EXPECT_EQ(enabledCommands(form), QString::fromLatin1(row.enabled))
            << "page " << int(row.page) << ", focus " << int(row.focus) << ", item "
            << int(row.item) << ", instalment " << int(row.instalment);
        screen->hide();
    }
}

// The toolbar follows the state changes and the focus entering the grid without being asked.
TEST_F(ToolbarTest, StateChangesAndGridFocusRefreshTheToolbar)
{
    auto &form = open();
    EXPECT_EQ(enabledCommands(form), QStringLiteral("AV"));
    dataSet(form, "cdsItemCole").Edit();
    EXPECT_EQ(enabledCommands(form), QStringLiteral("CO"));
    dataSet(form, "cdsItemCole").Cancel();
    EXPECT_EQ(enabledCommands(form), QStringLiteral("AV"));

    component<QAction>(form, "mnuFormaPagamento")->trigger();
    EXPECT_EQ(form.ActiveControl(), component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol"));
    EXPECT_EQ(enabledCommands(form), QStringLiteral("IAEPV"));
    dataSet(form, "cdsPzoPgtItmCol").Edit();
    EXPECT_EQ(enabledCommands(form), QStringLiteral("CO"));
}

// The grid shows only for a registered payment form with a code, and only the browsing item
// decides it.
TEST_F(ToolbarTest, InstalmentGridVisibilityFollowsThePaymentForm)
{
    auto &form = open();
    form.pgcPadrao->SetActivePage(component<ngc::TTabSheet>(form, "tshFormPgto"));
    EXPECT_TRUE(component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol")->isVisibleTo(&form));

    // While the item is edited the payment form's own rules show and hide it; bringing the page
    // to front again refreshes the toolbar without touching the grid.
    auto *grid = component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol");
    auto *paymentPage = component<QAction>(form, "mnuFormaPagamento");
    dataSet(form, "cdsItemCole").Edit();
    grid->setVisible(false);
    paymentPage->trigger();
    EXPECT_FALSE(grid->isVisibleTo(&form));
    dataSet(form, "cdsItemCole").Cancel();
    EXPECT_TRUE(grid->isVisibleTo(&form));

    // Verificar with no control focused re-reads the item; the next refresh hides the grid.
    server().exec(QStringLiteral("UPDATE ITEMCOLE SET CDFORMPGTO = NULL") + behaviour::demoWhere());
    if (QWidget *focused = form.focusWidget())
        focused->clearFocus();
    click(form.sbtVerificar);
    paymentPage->trigger();
    EXPECT_FALSE(grid->isVisibleTo(&form));
}

TEST_F(ToolbarTest, VerificarRereadsWhatTheFocusPointsAt)
{
    struct Row {
        Page page;
        Focus focus;
        State instalment;
        const char *rereads; // "" nothing
    };
    const Row rows[] = {
        {Page::FormPgto, Focus::Grid, State::Browse, "GetItemCole"},
        {Page::FormPgto, Focus::Grid, State::Edit, ""},
        {Page::Dados, Focus::Percent, State::Browse, "GetPzoPgtItmCol"},
        {Page::Dados, Focus::Percent, State::Edit, "GetPzoPgtItmCol"},
        {Page::FormPgto, Focus::PaymentForm, State::Browse, "GetPzoPgtItmCol"},
        {Page::Padrao, Focus::TaxGrid, State::Browse, ""},
        {Page::Dados, Focus::None, State::Browse, "GetItemCole"},
        {Page::Padrao, Focus::None, State::Browse, "GetItemCole"},
        // The day spin edit gives up the focus first, so nothing holds it any more.
        {Page::FormPgto, Focus::DayOfMonth, State::Browse, "GetItemCole"},
    };
    for (const Row &row : rows) {
        // The day spin edit is open to a fixed-day item only.
        auto &form = situation(row.page, row.focus, State::Browse, row.instalment,
                               row.focus == Focus::DayOfMonth ? behaviour::fixedDayItem()
                                                              : behaviour::demoItem());
        recorder.clear();
        ui.clear();
        // As the frame runs it: some rows are states in which the toolbar keeps it disabled.
        frame(form).sbtVerificarClick();
        const QString expected = QString::fromLatin1(row.rereads);
        EXPECT_EQ(recorder.methods(), expected.isEmpty() ? QStringList() : QStringList(expected))
            << "page " << int(row.page) << ", focus " << int(row.focus);
        if (!expected.isEmpty()) {
            ASSERT_EQ(ui.progress().size(), 2);
            EXPECT_EQ(ui.progress().first().kind, 1);
            EXPECT_EQ(ui.progress().first().text,
                      QStringLiteral("Atualizando dados no servidor..."));
        }
        expectProgressBalanced();
        if (row.focus == Focus::DayOfMonth) {
            EXPECT_EQ(form.ActiveControl(), nullptr);
        }
        screen->hide();
    }
}

// Re-reading replaces the record with the server's copy, and every unbound control that mirrors
// one of its fields shows the value read, so the next save cannot write the old ones back; the
// taxes are not re-read.
TEST_F(ToolbarTest, VerificarShowsTheRereadValuesInTheUnboundControls)
{
    auto &form = open();
    component<ngc::TSpinEdit>(form, "spePrEntr")->SetText(QStringLiteral("42"));
    server().exec(QStringLiteral("UPDATE ITEMCOLE SET VRPERDESITM = 8, NRPZOENTCOL = '20', "
                                 "NRDIAPGFXCOL = 12, NRPARCPGTCOL = 4 WHERE CDFILIAL = '0001' "
                                 "AND NRCOLEPRECO = '2026000001' AND CDPRODUTO = '1001' "
                                 "AND CDMARCA = '00001' AND CDFORNECED = '1001' "
                                 "AND CDREGIAO = '001'"));
    if (QWidget *focused = form.focusWidget())
        focused->clearFocus();
    recorder.clear();
    click(form.sbtVerificar);
    EXPECT_EQ(recorder.methods(), QStringList({QStringLiteral("GetItemCole")}));
    EXPECT_EQ(dataSet(form, "cdsItemCole").FieldByName(QStringLiteral("VRPERDESITM")).AsFloat(),
              8.0);
    EXPECT_EQ(component<ngc::TDBEdit>(form, "dbeVrPerDesItm")->text(), QStringLiteral("8.00"));
    EXPECT_EQ(component<ngc::TNumberEdit>(form, "nedValorDesc")->text(), QStringLiteral("1.60"));
    EXPECT_EQ(component<ngc::TSpinEdit>(form, "spePrEntr")->Text(), QStringLiteral("20"));
    EXPECT_EQ(component<ngc::TSpinEdit>(form, "speDiaFixo")->Text(), QStringLiteral("12"));
    EXPECT_EQ(component<ngc::TSpinEdit>(form, "speParcela")->Text(), QStringLiteral("4"));
}

TEST_F(ToolbarTest, VerificarFailureHidesTheProgressWindowAndKeepsTheData)
{
    auto &form = open();
    server().kill();
    click(form.sbtVerificar);
    EXPECT_EQ(ui.errors().size(), 1);
    expectProgressBalanced();
    ASSERT_EQ(ui.progress().size(), 2);
    EXPECT_EQ(dataSet(form, "cdsItemCole").RecordCount(), 1);
    EXPECT_EQ(dataSet(form, "cdsItemCole").FieldByName(QStringLiteral("VRPERDESITM")).AsFloat(),
              5.0);
}

TEST_F(ToolbarTest, ModuleFourRefusesEditsSilentlyButStillVerifies)
{
    ngc::HostContext::instance().moduleCode = 4;
    auto &form = open();
    ngc::TClientDataSet &cdsPzoPgtItmCol = dataSet(form, "cdsPzoPgtItmCol");
    click(form.sbtAlterar);
    EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Browse);

    component<QAction>(form, "mnuFormaPagamento")->trigger();
    ASSERT_EQ(form.ActiveControl(), component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol"));
    click(form.sbtIncluir);
    EXPECT_EQ(cdsPzoPgtItmCol.State(), DataSetState::Browse);
    click(form.sbtAlterar);
    EXPECT_EQ(cdsPzoPgtItmCol.State(), DataSetState::Browse);
    EXPECT_EQ(cdsPzoPgtItmCol.RecordCount(), 2);

    recorder.clear();
    click(form.sbtVerificar);
    EXPECT_EQ(recorder.methods(), QStringList({QStringLiteral("GetItemCole")}));
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_TRUE(ui.errors().isEmpty());
}

TEST_F(ToolbarTest, TaxListIsNeverEdited)
{
    auto &form = open(behaviour::demoItem(), true);
    ngc::TClientDataSet &cdsImpColet = dataSet(form, "cdsImpColet");
    ASSERT_FALSE(cdsImpColet.IsEmpty());
    EXPECT_THROW(cdsImpColet.Edit(), ngc::SilentAbort);
    EXPECT_THROW(cdsImpColet.Insert(), ngc::SilentAbort);
    EXPECT_EQ(cdsImpColet.State(), DataSetState::Browse);
}

// With a registered payment form and the item browsing, every page change reads the server's
// instalments; while the item is edited none does. Check marks follow the page in front.
TEST_F(ToolbarTest, PageChangesRereadInstalmentsAndMoveTheCheckMarks)
{
    auto &form = open(behaviour::demoItem(), true); // the taxes as one list
    recorder.clear();
    auto *mnuFormaPagamento = component<QAction>(form, "mnuFormaPagamento");
    auto *mnuDadosAdicionais = component<QAction>(form, "mnuDadosAdicionais");
    auto *mnuImposto = component<QAction>(form, "mnuImposto");
    mnuFormaPagamento->trigger();
    EXPECT_EQ(form.pgcPadrao->ActivePage(), component<ngc::TTabSheet>(form, "tshFormPgto"));
    mnuDadosAdicionais->trigger();
    mnuImposto->trigger();
    EXPECT_EQ(form.pgcPadrao->ActivePage(), form.tshPadrao);
    EXPECT_TRUE(mnuImposto->isChecked());
    EXPECT_FALSE(mnuDadosAdicionais->isChecked());
    EXPECT_FALSE(mnuFormaPagamento->isChecked());
    EXPECT_EQ(recorder.count(QStringLiteral("GetPzoPgtItmCol")), 3);

    form.pgcPadrao->setCurrentWidget(component<ngc::TTabSheet>(form, "tshImpostoItem"));
    EXPECT_FALSE(mnuImposto->isChecked());
    EXPECT_FALSE(mnuDadosAdicionais->isChecked());
    EXPECT_FALSE(mnuFormaPagamento->isChecked());
    EXPECT_EQ(recorder.count(QStringLiteral("GetPzoPgtItmCol")), 4);

    dataSet(form, "cdsItemCole").Edit();
    mnuFormaPagamento->trigger();
    mnuDadosAdicionais->trigger();
    EXPECT_EQ(recorder.count(QStringLiteral("GetPzoPgtItmCol")), 4);
    EXPECT_TRUE(mnuDadosAdicionais->isChecked());
}

TEST_F(ToolbarTest, AlterarOnAMissingItemStartsANewOne)
{
    behaviour::LaunchKeys keys = behaviour::demoItem();
    keys.cdRegiao = QStringLiteral("003");
    auto &form = open(keys);
    ASSERT_TRUE(dataSet(form, "cdsItemCole").IsEmpty());
    EXPECT_EQ(enabledCommands(form), QStringLiteral("A"));
    click(form.sbtAlterar);
    EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Insert);
    EXPECT_EQ(enabledCommands(form), QStringLiteral("CO"));
}

TEST_F(ToolbarTest, CancelarAsksAndCancelsTheInstalmentRowThenTheItem)
{
    auto &form = open();
    ngc::TClientDataSet &cdsPzoPgtItmCol = dataSet(form, "cdsPzoPgtItmCol");
    ngc::TClientDataSet &cdsItemCole = dataSet(form, "cdsItemCole");
    cdsPzoPgtItmCol.Edit();
    cdsItemCole.Edit();
    component<ngc::TSpinEdit>(form, "spePrEntr")->SetText(QStringLiteral("30"));

    ui.answerButton(ngc::MsgButton::No);
    click(form.sbtCancelar);
    EXPECT_EQ(cdsItemCole.State(), DataSetState::Edit);
    EXPECT_EQ(cdsPzoPgtItmCol.State(), DataSetState::Edit);

    ui.answerButton(ngc::MsgButton::Yes);
    click(form.sbtCancelar);
    EXPECT_EQ(cdsItemCole.State(), DataSetState::Browse);
    EXPECT_EQ(cdsPzoPgtItmCol.State(), DataSetState::Browse);
    EXPECT_EQ(component<ngc::TSpinEdit>(form, "spePrEntr")->Text(), QStringLiteral("15"));
    ASSERT_EQ(ui.messages().size(), 2);
    EXPECT_EQ(ui.messages().at(0).kind, ngc::MsgKind::Confirmation);
    EXPECT_EQ(ui.pendingAnswers(), 0);
}

TEST_F(ToolbarTest, ExcluirDeletesTheInstalmentOnlyOnYes)
{
    auto &form = open();
    component<QAction>(form, "mnuFormaPagamento")->trigger();
    ASSERT_EQ(form.ActiveControl(), component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol"));
    ui.answerButton(ngc::MsgButton::No);
    click(form.sbtExcluir);
    EXPECT_EQ(dataSet(form, "cdsPzoPgtItmCol").RecordCount(), 2);
    ui.answerButton(ngc::MsgButton::Yes);
    click(form.sbtExcluir);
    EXPECT_EQ(dataSet(form, "cdsPzoPgtItmCol").RecordCount(), 1);
}

TEST_F(ToolbarTest, ProcurarSearchesTheInstalmentsOrTheTaxList)
{
    auto &form = open(behaviour::demoItem(), true);
    component<QAction>(form, "mnuFormaPagamento")->trigger();
    click(form.sbtProcurar);
    component<QAction>(form, "mnuImposto")->trigger();
    // The toolbar keeps Procurar disabled on the tax page; the frame's command still searches it.
    frame(form).sbtProcurarClick();
    ASSERT_EQ(ui.lists().size(), 2);
    EXPECT_EQ(ui.lists().at(0).name, QStringLiteral("cdsPzoPgtItmCol"));
    EXPECT_EQ(ui.lists().at(1).name, QStringLiteral("cdsImpColet"));
}

// In the grid, Confirmar posts the instalment row being edited and closes the screen.
TEST_F(ToolbarTest, ConfirmarPostsThePendingInstalmentRow)
{
    // The other instalment makes up the rest, so the schedule totals 100 % once posted.
    server().exec(
        QStringLiteral("UPDATE PZOPGTITMCOL SET VRPERCPGTCOL = 60 WHERE NRDIASPGTCOL = 60"));
    auto &form = open();
    ngc::TClientDataSet &cdsPzoPgtItmCol = dataSet(form, "cdsPzoPgtItmCol");
    component<QAction>(form, "mnuFormaPagamento")->trigger();
    ASSERT_EQ(form.ActiveControl(), component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol"));
    click(form.sbtAlterar);
    ASSERT_EQ(cdsPzoPgtItmCol.State(), DataSetState::Edit);
    cdsPzoPgtItmCol.FieldByName(QStringLiteral("VRPERCPGTCOL")).SetAsFloat(40.0);
    click(form.sbtConfirmar);
    EXPECT_EQ(cdsPzoPgtItmCol.State(), DataSetState::Browse);
    EXPECT_EQ(cdsPzoPgtItmCol.FieldByName(QStringLiteral("VRPERCPGTCOL")).AsFloat(), 40.0);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(recorder.count(QStringLiteral("SetItemCole")), 0);
}

// Typing in a cell opens its editor inside the grid; the grid still counts as the focused
// control, so the commands stay those of the instalments.
TEST_F(ToolbarTest, CellEditorCountsAsTheGrid)
{
    auto &form = open();
    auto *dbgPzoPgtItmCol = component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol");
    component<QAction>(form, "mnuFormaPagamento")->trigger();
    ASSERT_EQ(form.ActiveControl(), dbgPzoPgtItmCol);
    QTest::keyClick(dbgPzoPgtItmCol, Qt::Key_4);
    ASSERT_TRUE(dbgPzoPgtItmCol->EditorMode());
    EXPECT_NE(form.focusWidget(), dbgPzoPgtItmCol);
    EXPECT_EQ(form.ActiveControl(), dbgPzoPgtItmCol);
    EXPECT_EQ(dataSet(form, "cdsPzoPgtItmCol").State(), DataSetState::Edit);
    EXPECT_EQ(enabledCommands(form), QStringLiteral("CO"));
}
