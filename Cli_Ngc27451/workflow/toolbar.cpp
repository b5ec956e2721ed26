#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

#include <services/HostServices.h>
#include <services/Routines.h>
#include <services/SilentAbort.h>
#include <services/TMessages.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TDBGrid.h>
#include <widgets/TDBRadioGroup.h>
#include <widgets/TPageControl.h>
#include <widgets/TSpinEdit.h>
#include <widgets/TTabSheet.h>

#include <QAction>

namespace Cli_Ngc27451 {

namespace {

using ngc::DataSetState;

// The module in which the host refuses every guarded edit.
constexpr int moduloConsulta = 4;
// drgFormPgto: "Pela Forma de Pagamento".
constexpr int pelaFormaPagamento = 2;

bool editando(DataSetState state)
{
    return state == DataSetState::Edit || state == DataSetState::Insert;
}

// Qt names the inner parts of its composite widgets "qt_..."; they stand for their owner.
bool ehParteInterna(const QWidget *widget)
{
    const QString name = widget->objectName();
    return name.isEmpty() || name.startsWith(QLatin1String("qt_"));
}

} // namespace

QWidget *TfrmInfoPlanNeg::ActiveControl() const
{
    QWidget *widget = focusWidget();
    while (widget && widget != this && ehParteInterna(widget))
        widget = widget->parentWidget();
    return widget == this ? nullptr : widget;
}

void TfrmInfoPlanNeg::BarraFerramenta()
{
    const DataSetState item = dtsPadrao->State();
    const DataSetState parcela = dtsPzoPgtItmCol.State();

    // While the item is edited the payment form decides the grid's visibility itself.
    if (item == DataSetState::Browse) {
        dbgPzoPgtItmCol->setVisible(
            drgFormPgto->ItemIndex() == pelaFormaPagamento &&
            !ngc::EmptyString(cdsItemCole.FieldByName(QStringLiteral("CDFORMPGTO")).AsString()));
    }

    const QWidget *controle = ActiveControl();
    const bool contextoGrade =
        controle && controle->objectName().toUpper() == QLatin1String("DBGPZOPGTITMCOL") &&
        item == DataSetState::Browse;
    const bool padraoNaFrente = pgcPadrao->ActivePage() == tshPadrao;

    bool cancelar = false;
    bool incluir = false;
    bool alterar = false;
    bool excluir = false;
    bool verificar = false;
    if (contextoGrade) {
        const bool navegando = parcela == DataSetState::Browse;
        const bool comParcelas = navegando && !cdsPzoPgtItmCol.IsEmpty();
        cancelar = editando(parcela);
        incluir = navegando;
        alterar = comParcelas && !padraoNaFrente;
        excluir = comParcelas;
        verificar = alterar;
    } else {
        cancelar = editando(item);
        // Alterar needs no record: on an empty item it starts a new one.
        alterar = item == DataSetState::Browse && !padraoNaFrente;
        verificar = alterar && !cdsItemCole.IsEmpty();
    }

    mnuCancelar->setEnabled(cancelar);
    mnuConfirmar->setEnabled(cancelar);
    mnuIncluir->setEnabled(incluir);
    mnuAlterar->setEnabled(alterar);
    mnuExcluir->setEnabled(excluir);
    mnuProcurar->setEnabled(excluir);
    mnuVerificar->setEnabled(verificar);

    sbtCancelar->setEnabled(mnuCancelar->isEnabled());
    sbtConfirmar->setEnabled(mnuConfirmar->isEnabled());
    sbtIncluir->setEnabled(mnuIncluir->isEnabled());
    sbtAlterar->setEnabled(mnuAlterar->isEnabled());
    sbtExcluir->setEnabled(mnuExcluir->isEnabled());
    sbtProcurar->setEnabled(mnuProcurar->isEnabled());
    sbtVerificar->setEnabled(mnuVerificar->isEnabled());
}

void TfrmInfoPlanNeg::dtsPadraoStateChange()
{
    BarraFerramenta();
}

void TfrmInfoPlanNeg::dtsPzoPgtItmColStateChange(ngc::TDataSource &)
{
    BarraFerramenta();
}

void TfrmInfoPlanNeg::dbgPzoPgtItmColEnter()
{
    BarraFerramenta();
}

void TfrmInfoPlanNeg::panFormPgtoEnter()
{
    BarraFerramenta();
}

// With a registered payment form and the item not being edited, every page change replaces the
// instalments by the server's copy.
void TfrmInfoPlanNeg::pgcPadraoChange()
{
    ngc::TTabSheet *frente = pgcPadrao->ActivePage();
    mnuDadosAdicionais->setChecked(frente == tshDados);
    mnuFormaPagamento->setChecked(frente == tshFormPgto);
    mnuImposto->setChecked(frente == tshPadrao);

    if (drgFormPgto->ItemIndex() == pelaFormaPagamento) {
        if (!editando(dtsPadrao->State()))
            AtualizaPzoPgtItmCol();
        if (pgcPadrao->ActivePage() == tshFormPgto && dbgPzoPgtItmCol->isVisibleTo(this))
            dbgPzoPgtItmCol->setFocus(Qt::OtherFocusReason);
    }
    BarraFerramenta();
}

void TfrmInfoPlanNeg::mnuDadosAdicionaisClick()
{
    pgcPadrao->SetActivePage(tshDados);
    pgcPadraoChange();
}

void TfrmInfoPlanNeg::mnuFormaPagamentoClick()
{
    pgcPadrao->SetActivePage(tshFormPgto);
    pgcPadraoChange();
}

// Brings the tax page in use to front: the single list, or the taxes by branch when the first
// activation chose those (the single list's page is then hidden and empty).
void TfrmInfoPlanNeg::mnuImpostoClick()
{
    pgcPadrao->SetActivePage(pgcPadrao->TabVisible(tshPadrao) ? tshPadrao : tshImpostoItem);
    pgcPadraoChange();
}

void TfrmInfoPlanNeg::sbtIncluirClick()
{
    if (pgcPadrao->ActivePage() != tshFormPgto || ActiveControl() != dbgPzoPgtItmCol ||
        dtsPzoPgtItmCol.State() != DataSetState::Browse)
        return;
    cdsPzoPgtItmCol.Insert();
    dbgPzoPgtItmCol->SetSelectedField(QStringLiteral("NRDIASPGTCOL"));
}

void TfrmInfoPlanNeg::sbtAlterarClick()
{
    const QWidget *controle = ActiveControl();
    ngc::TTabSheet *frente = pgcPadrao->ActivePage();
    const bool naGrade = controle == dbgPzoPgtItmCol;
    if (!controle || frente == tshDados || (frente == tshFormPgto && !naGrade))
        TfrmPadraoGrid::sbtAlterarClick();
    if (frente == tshFormPgto && naGrade && dtsPzoPgtItmCol.State() == DataSetState::Browse)
        cdsPzoPgtItmCol.Edit();
}

void TfrmInfoPlanNeg::sbtExcluirClick()
{
    if (pgcPadrao->ActivePage() != tshFormPgto || ActiveControl() != dbgPzoPgtItmCol ||
        dtsPzoPgtItmCol.State() != DataSetState::Browse)
        return;
    if (msgGeral().ShowMsg(QStringLiteral("Excl"), ngc::MsgKind::Confirmation,
                           {ngc::MsgButton::Yes, ngc::MsgButton::No}, 0) == ngc::MsgButton::Yes)
        cdsPzoPgtItmCol.Delete();
}

void TfrmInfoPlanNeg::sbtProcurarClick()
{
    if (pgcPadrao->ActivePage() == tshFormPgto && ActiveControl() == dbgPzoPgtItmCol &&
        dtsPzoPgtItmCol.State() == DataSetState::Browse)
        ngc::Procura(cdsPzoPgtItmCol);
    if (pgcPadrao->ActivePage() == tshPadrao && dtsImpColet.State() == DataSetState::Browse)
        ngc::Procura(cdsImpColet);
}

// The unbound controls that mirror the item's fields show the values read, or the next save
// would write the old ones back over another buyer's.
void TfrmInfoPlanNeg::RelerItemCole()
{
    {
        ngc::ProgressGuard progress(this, 1, msgPadrao->Msg(QStringLiteral("Atual_dados")));
        AtualizaItemCole();
    }
    dbeVrPerDesItmChange();
}

void TfrmInfoPlanNeg::RelerPzoPgtItmCol()
{
    ngc::ProgressGuard progress(this, 1, msgPadrao->Msg(QStringLiteral("Atual_dados")));
    AtualizaPzoPgtItmCol();
}

// Re-reads from the server and never posts. Which dataset is re-read follows the focus; the
// taxes are not re-read.
void TfrmInfoPlanNeg::sbtVerificarClick()
{
    if (ActiveControl() == speDiaFixo || ActiveControl() == speParcela)
        ActiveControl()->clearFocus();

    const QWidget *controle = ActiveControl();
    ngc::TTabSheet *frente = pgcPadrao->ActivePage();
    const bool naGrade = controle == dbgPzoPgtItmCol;

    if (controle && frente == tshFormPgto && naGrade &&
        dtsPzoPgtItmCol.State() == DataSetState::Browse)
        RelerItemCole();

    if (controle && (frente == tshDados || (frente == tshFormPgto && !naGrade)))
        RelerPzoPgtItmCol();
    else if (!controle)
        RelerItemCole();
}

void TfrmInfoPlanNeg::sbtCancelarClick()
{
    if (msgGeral().ShowMsg(QStringLiteral("Canc"), ngc::MsgKind::Confirmation,
                           {ngc::MsgButton::Yes, ngc::MsgButton::No}, 0) != ngc::MsgButton::Yes)
        return;
    if (editando(dtsPzoPgtItmCol.State()))
        cdsPzoPgtItmCol.Cancel();
    if (editando(dtsPadrao->State()))
        cdsItemCole.Cancel();
}

// Any failure on the way (a check, the server refusing the save) ends the command with the
// screen open and the buyer's values shown.
void TfrmInfoPlanNeg::sbtConfirmarClick()
{
    TfrmPadraoGrid::sbtConfirmarClick();
    if (editando(dtsPzoPgtItmCol.State()))
        cdsPzoPgtItmCol.Post();
    close();
}

void TfrmInfoPlanNeg::cdsItemColeBeforeEdit(ngc::TClientDataSet &)
{
    if (ngc::ModuloAtiv() == moduloConsulta)
        throw ngc::SilentAbort();
}

void TfrmInfoPlanNeg::cdsPzoPgtItmColBeforeEdit(ngc::TClientDataSet &)
{
    if (ngc::ModuloAtiv() == moduloConsulta)
        throw ngc::SilentAbort();
}

void TfrmInfoPlanNeg::cdsPzoPgtItmColBeforeInsert(ngc::TClientDataSet &)
{
    if (ngc::ModuloAtiv() == moduloConsulta)
        throw ngc::SilentAbort();
}

// The taxes are the server's computation; the screen only shows them.
void TfrmInfoPlanNeg::cdsImpColetBeforeEdit(ngc::TClientDataSet &)
{
    throw ngc::SilentAbort();
}

void TfrmInfoPlanNeg::cdsImpColetBeforeInsert(ngc::TClientDataSet &)
{
    throw ngc::SilentAbort();
}

} // namespace Cli_Ngc27451
