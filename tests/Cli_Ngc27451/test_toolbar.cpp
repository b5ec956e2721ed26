#include "support/behaviour_screen.h"

#include <host/HostContext.h>
#include <host/SilentAbort.h>
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

namespace {

enum class Page { Dados, FormPgto, Padrao, ImpostoItem };
enum class Focus { None, Grid, Percent, PaymentForm, TaxGrid, DayOfMonth };
enum class State { Browse, Edit, Empty };

ngc::TTabSheet *pageOf(Cli_Ngc27451::TfrmInfoPlanNeg &form, Page page)
{
    switch (page) {
    case Page::Dados:
        return form.tshDados;
    case Page::FormPgto:
        return form.tshFormPgto;
    case Page::Padrao:
        return form.tshPadrao;
    case Page::ImpostoItem:
        return form.tshImpostoItem;
    }
    return nullptr;
}

QWidget *controlOf(Cli_Ngc27451::TfrmInfoPlanNeg &form, Focus focus)
{
    switch (focus) {
    case Focus::None:
        return nullptr;
    case Focus::Grid:
        return form.dbgPzoPgtItmCol;
    case Focus::Percent:
        return form.dbeVrPerDesItm;
    case Focus::PaymentForm:
        return form.drgFormPgto;
    case Focus::TaxGrid:
        return form.dbgPadrao;
    case Focus::DayOfMonth:
        return form.speDiaFixo;
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
    // Brings the screen into a situation the way a buyer would: page, focus, then the states.
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
        putInState(form.cdsPzoPgtItmCol, instalment);
        putInState(form.cdsItemCole, item);
        form.BarraFerramenta();
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
    form.cdsItemCole.Edit();
    EXPECT_EQ(enabledCommands(form), QStringLiteral("CO"));
    form.cdsItemCole.Cancel();
    EXPECT_EQ(enabledCommands(form), QStringLiteral("AV"));

    form.mnuFormaPagamento->trigger();
    EXPECT_EQ(form.ActiveControl(), form.dbgPzoPgtItmCol);
    EXPECT_EQ(enabledCommands(form), QStringLiteral("IAEPV"));
    form.cdsPzoPgtItmCol.Edit();
    EXPECT_EQ(enabledCommands(form), QStringLiteral("CO"));
}

// The grid shows only for a registered payment form with a code, and only the browsing item
// decides it.
TEST_F(ToolbarTest, InstalmentGridVisibilityFollowsThePaymentForm)
{
    auto &form = open();
    form.pgcPadrao->SetActivePage(form.tshFormPgto);
    EXPECT_TRUE(form.dbgPzoPgtItmCol->isVisibleTo(&form));

    // While the item is edited the payment form's own rules show and hide it.
    form.cdsItemCole.Edit();
    form.dbgPzoPgtItmCol->setVisible(false);
    form.BarraFerramenta();
    EXPECT_FALSE(form.dbgPzoPgtItmCol->isVisibleTo(&form));
    form.cdsItemCole.Cancel();
    EXPECT_TRUE(form.dbgPzoPgtItmCol->isVisibleTo(&form));

    server().exec(QStringLiteral("UPDATE ITEMCOLE SET CDFORMPGTO = NULL") + behaviour::demoWhere());
    form.AtualizaItemCole();
    form.BarraFerramenta();
    EXPECT_FALSE(form.dbgPzoPgtItmCol->isVisibleTo(&form));
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
        form.sbtVerificarClick();
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
    form.spePrEntr->SetText(QStringLiteral("42"));
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
    EXPECT_EQ(form.cdsItemCole.FieldByName(QStringLiteral("VRPERDESITM")).AsFloat(), 8.0);
    EXPECT_EQ(form.dbeVrPerDesItm->text(), QStringLiteral("8.00"));
    EXPECT_EQ(form.nedValorDesc->text(), QStringLiteral("1.60"));
    EXPECT_EQ(form.spePrEntr->Text(), QStringLiteral("20"));
    EXPECT_EQ(form.speDiaFixo->Text(), QStringLiteral("12"));
    EXPECT_EQ(form.speParcela->Text(), QStringLiteral("4"));
}

TEST_F(ToolbarTest, VerificarFailureHidesTheProgressWindowAndKeepsTheData)
{
    auto &form = open();
    server().kill();
    click(form.sbtVerificar);
    EXPECT_EQ(ui.errors().size(), 1);
    expectProgressBalanced();
    ASSERT_EQ(ui.progress().size(), 2);
    EXPECT_EQ(form.cdsItemCole.RecordCount(), 1);
    EXPECT_EQ(form.cdsItemCole.FieldByName(QStringLiteral("VRPERDESITM")).AsFloat(), 5.0);
}

TEST_F(ToolbarTest, ModuleFourRefusesEditsSilentlyButStillVerifies)
{
    ngc::HostContext::instance().moduleCode = 4;
    auto &form = open();
    click(form.sbtAlterar);
    EXPECT_EQ(form.cdsItemCole.State(), DataSetState::Browse);

    form.mnuFormaPagamento->trigger();
    ASSERT_EQ(form.ActiveControl(), form.dbgPzoPgtItmCol);
    click(form.sbtIncluir);
    EXPECT_EQ(form.cdsPzoPgtItmCol.State(), DataSetState::Browse);
    click(form.sbtAlterar);
    EXPECT_EQ(form.cdsPzoPgtItmCol.State(), DataSetState::Browse);
    EXPECT_EQ(form.cdsPzoPgtItmCol.RecordCount(), 2);

    recorder.clear();
    click(form.sbtVerificar);
    EXPECT_EQ(recorder.methods(), QStringList({QStringLiteral("GetItemCole")}));
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_TRUE(ui.errors().isEmpty());
}

TEST_F(ToolbarTest, TaxListIsNeverEdited)
{
    auto &form = open(behaviour::demoItem(), true);
    ASSERT_FALSE(form.cdsImpColet.IsEmpty());
    EXPECT_THROW(form.cdsImpColet.Edit(), ngc::SilentAbort);
    EXPECT_THROW(form.cdsImpColet.Insert(), ngc::SilentAbort);
    EXPECT_EQ(form.cdsImpColet.State(), DataSetState::Browse);
}

// With a registered payment form and the item browsing, every page change reads the server's
// instalments; while the item is edited none does. Check marks follow the page in front.
TEST_F(ToolbarTest, PageChangesRereadInstalmentsAndMoveTheCheckMarks)
{
    auto &form = open(behaviour::demoItem(), true); // the taxes as one list
    recorder.clear();
    form.mnuFormaPagamento->trigger();
    EXPECT_EQ(form.pgcPadrao->ActivePage(), form.tshFormPgto);
    form.mnuDadosAdicionais->trigger();
    form.mnuImposto->trigger();
    EXPECT_EQ(form.pgcPadrao->ActivePage(), form.tshPadrao);
    EXPECT_TRUE(form.mnuImposto->isChecked());
    EXPECT_FALSE(form.mnuDadosAdicionais->isChecked());
    EXPECT_FALSE(form.mnuFormaPagamento->isChecked());
    EXPECT_EQ(recorder.count(QStringLiteral("GetPzoPgtItmCol")), 3);

    form.pgcPadrao->setCurrentWidget(form.tshImpostoItem);
    EXPECT_FALSE(form.mnuImposto->isChecked());
    EXPECT_FALSE(form.mnuDadosAdicionais->isChecked());
    EXPECT_FALSE(form.mnuFormaPagamento->isChecked());
    EXPECT_EQ(recorder.count(QStringLiteral("GetPzoPgtItmCol")), 4);

    form.cdsItemCole.Edit();
    form.mnuFormaPagamento->trigger();
    form.mnuDadosAdicionais->trigger();
    EXPECT_EQ(recorder.count(QStringLiteral("GetPzoPgtItmCol")), 4);
    EXPECT_TRUE(form.mnuDadosAdicionais->isChecked());
}

TEST_F(ToolbarTest, AlterarOnAMissingItemStartsANewOne)
{
    behaviour::LaunchKeys keys = behaviour::demoItem();
    keys.cdRegiao = QStringLiteral("003");
    auto &form = open(keys);
    ASSERT_TRUE(form.cdsItemCole.IsEmpty());
    EXPECT_EQ(enabledCommands(form), QStringLiteral("A"));
    click(form.sbtAlterar);
    EXPECT_EQ(form.cdsItemCole.State(), DataSetState::Insert);
    EXPECT_EQ(enabledCommands(form), QStringLiteral("CO"));
}

TEST_F(ToolbarTest, CancelarAsksAndCancelsTheInstalmentRowThenTheItem)
{
    auto &form = open();
    form.cdsPzoPgtItmCol.Edit();
    form.cdsItemCole.Edit();
    form.spePrEntr->SetText(QStringLiteral("30"));

    ui.answerButton(ngc::MsgButton::No);
    form.sbtCancelarClick();
    EXPECT_EQ(form.cdsItemCole.State(), DataSetState::Edit);
    EXPECT_EQ(form.cdsPzoPgtItmCol.State(), DataSetState::Edit);

    ui.answerButton(ngc::MsgButton::Yes);
    form.sbtCancelarClick();
    EXPECT_EQ(form.cdsItemCole.State(), DataSetState::Browse);
    EXPECT_EQ(form.cdsPzoPgtItmCol.State(), DataSetState::Browse);
    EXPECT_EQ(form.spePrEntr->Text(), QStringLiteral("15"));
    ASSERT_EQ(ui.messages().size(), 2);
    EXPECT_EQ(ui.messages().at(0).kind, ngc::MsgKind::Confirmation);
    EXPECT_EQ(ui.pendingAnswers(), 0);
}

TEST_F(ToolbarTest, ExcluirDeletesTheInstalmentOnlyOnYes)
{
    auto &form = open();
    form.mnuFormaPagamento->trigger();
    ASSERT_EQ(form.ActiveControl(), form.dbgPzoPgtItmCol);
    ui.answerButton(ngc::MsgButton::No);
    click(form.sbtExcluir);
    EXPECT_EQ(form.cdsPzoPgtItmCol.RecordCount(), 2);
    ui.answerButton(ngc::MsgButton::Yes);
    click(form.sbtExcluir);
    EXPECT_EQ(form.cdsPzoPgtItmCol.RecordCount(), 1);
}

TEST_F(ToolbarTest, ProcurarSearchesTheInstalmentsOrTheTaxList)
{
    auto &form = open(behaviour::demoItem(), true);
    form.mnuFormaPagamento->trigger();
    click(form.sbtProcurar);
    form.mnuImposto->trigger();
    form.sbtProcurarClick();
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
    form.mnuFormaPagamento->trigger();
    ASSERT_EQ(form.ActiveControl(), form.dbgPzoPgtItmCol);
    click(form.sbtAlterar);
    ASSERT_EQ(form.cdsPzoPgtItmCol.State(), DataSetState::Edit);
    form.cdsPzoPgtItmCol.FieldByName(QStringLiteral("VRPERCPGTCOL")).SetAsFloat(40.0);
    click(form.sbtConfirmar);
    EXPECT_EQ(form.cdsPzoPgtItmCol.State(), DataSetState::Browse);
    EXPECT_EQ(form.cdsPzoPgtItmCol.FieldByName(QStringLiteral("VRPERCPGTCOL")).AsFloat(), 40.0);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(recorder.count(QStringLiteral("SetItemCole")), 0);
}

// Typing in a cell opens its editor inside the grid; the grid still counts as the focused
// control, so the commands stay those of the instalments.
TEST_F(ToolbarTest, CellEditorCountsAsTheGrid)
{
    auto &form = open();
    form.mnuFormaPagamento->trigger();
    ASSERT_EQ(form.ActiveControl(), form.dbgPzoPgtItmCol);
    QTest::keyClick(form.dbgPzoPgtItmCol, Qt::Key_4);
    ASSERT_TRUE(form.dbgPzoPgtItmCol->EditorMode());
    EXPECT_NE(form.focusWidget(), form.dbgPzoPgtItmCol);
    EXPECT_EQ(form.ActiveControl(), form.dbgPzoPgtItmCol);
    EXPECT_EQ(form.cdsPzoPgtItmCol.State(), DataSetState::Edit);
    EXPECT_EQ(enabledCommands(form), QStringLiteral("CO"));
}
