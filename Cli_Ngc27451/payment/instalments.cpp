#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

#include <services/HostServices.h>
#include <services/Routines.h>
#include <services/TMessages.h>
#include <net/CheckResultServ.h>
#include <net/TNetConnection.h>
#include <widgets/TDBGrid.h>
#include <widgets/TDBRadioGroup.h>
#include <widgets/TPageControl.h>
#include <widgets/TTabSheet.h>

#include <QLocale>

#include <cmath>
#include <optional>

namespace Cli_Ngc27451 {

namespace {

using ngc::DataSetState;

// drgFormPgto: "Pela Forma de Pagamento".
constexpr int pelaFormaPagamento = 2;
// The longest term, in days.
constexpr double prazoMaximo = 999;

const QString prazo = QStringLiteral("NRDIASPGTCOL");
const QString percentual = QStringLiteral("VRPERCPGTCOL");

bool editando(DataSetState state)
{
    return state == DataSetState::Edit || state == DataSetState::Insert;
}

} // namespace

// A check of one cell of the current instalment, while it is edited or inserted: an empty cell
// fails with the message of vazioKey when a value is required and passes otherwise; any failure
// brings the payment page to front with the focus in the cell.
void TfrmInfoPlanNeg::VerificaCelulaParcela(const QString &fieldName, bool obrigatorio,
                                            const QString &vazioKey,
                                            const std::function<void(const ngc::TField &)> &check)
{
    if (!editando(dtsPzoPgtItmCol.State()))
        return;
    const ngc::TField &campo = cdsPzoPgtItmCol.FieldByName(fieldName);
    try {
        if (ngc::EmptyString(campo.Text())) {
            if (obrigatorio)
                ngc::MensErro(msgPadrao->Msg(vazioKey), true);
            return;
        }
        check(campo);
    } catch (...) {
        pgcPadrao->SetActivePage(tshFormPgto);
        dbgPzoPgtItmCol->SetSelectedField(fieldName);
        dbgPzoPgtItmCol->setFocus(Qt::OtherFocusReason);
        throw;
    }
}

// The key filter keeps signs, exponents and fractions out of what is typed, but not out of what
// is pasted: a term is refused unless it is a whole number of days from 0 to 999. A term is
// asked of the server only when it is new to the record.
void TfrmInfoPlanNeg::Vd_PrazoPgto(bool obrigatorio)
{
    VerificaCelulaParcela(
        prazo, obrigatorio, QStringLiteral("Praz_N_Inf"), [this](const ngc::TField &campo) {
            const double dias = campo.AsFloat();
            if (!(dias >= 0 && dias <= prazoMaximo && dias == std::floor(dias)))
                ngc::MensErro(msgPadrao->Msg(QStringLiteral("Praz_Acim_Lim")), true);
            const bool inserindo = dtsPzoPgtItmCol.State() == DataSetState::Insert;
            const QVariant antes = campo.OldValue();
            if (!inserindo && !antes.isNull() && antes.toDouble() == dias)
                return;

            ngc::RemoteArgs argumentos{ngc::RemoteArg::string(QString::number(qint64(dias)))};
            argumentos.append(ChavesItem());
            {
                std::optional<ngc::ProgressGuard> progresso;
                if (inserindo)
                    progresso.emplace(this, 6);
                cdsVerif_PzoPgtItmCol.SetData(ngc::packetOf(ngc::CheckResultServ(
                    netInfoPlanNeg->Call(QStringLiteral("GetVerif_PzoPgtItmCol"), argumentos), true,
                    0)));
            }
            if (!cdsVerif_PzoPgtItmCol.IsEmpty())
                ngc::MensErro(msgPadrao->Msg(QStringLiteral("Praz_J_Cad")), true);
        });
}

// Negative shares cannot be typed but can be pasted; both ends of 0 to 100 are checked.
void TfrmInfoPlanNeg::Vd_Percentual(bool obrigatorio)
{
    VerificaCelulaParcela(percentual, obrigatorio, QStringLiteral("Perc_N_Inf"),
                          [this](const ngc::TField &campo) {
                              const double valor = campo.AsFloat();
                              if (!(valor >= 0 && valor <= 100))
                                  ngc::MensErro(msgPadrao->Msg(QStringLiteral("Perc_Inv")), true);
                          });
}

// An instalment belongs to the item the screen was opened on, whatever the record says.
void TfrmInfoPlanNeg::cdsPzoPgtItmColBeforePost(ngc::TClientDataSet &dataSet)
{
    Vd_PrazoPgto(true);
    Vd_Percentual(true);
    GravaChavesItem(dataSet);
    ngc::Seta_Campo_Null(dataSet);
}

// Every unsent change goes in one call. A failure keeps them in the change log, so that the next
// post or delete carries them again with its own.
void TfrmInfoPlanNeg::EnviaPzoPgtItmCol()
{
    if (cdsPzoPgtItmCol.ChangeCount() == 0)
        return;
    {
        ngc::ProgressGuard progresso(this, 1, msgPadrao->Msg(QStringLiteral("Atual_dados")));
        ngc::CheckResultServ(netInfoPlanNeg->Call(QStringLiteral("SetPzoPgtItmCol"),
                                                  {ngc::RemoteArg::variant(
                                                      ngc::encodeDelta(cdsPzoPgtItmCol.Delta()))}),
                             true, 0);
    }
    cdsPzoPgtItmCol.MergeChangeLog();
}

void TfrmInfoPlanNeg::cdsPzoPgtItmColAfterPost(ngc::TClientDataSet &)
{
    EnviaPzoPgtItmCol();
    if (dbgPzoPgtItmCol->isVisibleTo(this))
        dbgPzoPgtItmCol->setFocus(Qt::OtherFocusReason);
}

void TfrmInfoPlanNeg::cdsPzoPgtItmColAfterDelete(ngc::TClientDataSet &)
{
    EnviaPzoPgtItmCol();
    BarraFerramenta();
}

void TfrmInfoPlanNeg::cdsPzoPgtItmColAfterCancel(ngc::TClientDataSet &)
{
    BarraFerramenta();
}

// A changed schedule is part of the item's edit: the buyer confirms or cancels the item, and its
// save checks the whole schedule.
void TfrmInfoPlanNeg::EditaItemPelaParcela()
{
    if (dtsPadrao->State() == DataSetState::Browse &&
        drgFormPgto->ItemIndex() == pelaFormaPagamento)
        cdsItemCole.Edit();
}

void TfrmInfoPlanNeg::cdsPzoPgtItmColAfterEdit(ngc::TClientDataSet &)
{
    EditaItemPelaParcela();
}

void TfrmInfoPlanNeg::cdsPzoPgtItmColBeforeDelete(ngc::TClientDataSet &)
{
    EditaItemPelaParcela();
}

// A new instalment starts at its term, unless the buyer came down the percentage column.
void TfrmInfoPlanNeg::cdsPzoPgtItmColAfterInsert(ngc::TClientDataSet &)
{
    EditaItemPelaParcela();
    if (dbgPzoPgtItmCol->SelectedIndex() != ngc::IndiceCol(dbgPzoPgtItmCol, percentual)) {
        dbgPzoPgtItmCol->SetSelectedField(prazo);
        dbgPzoPgtItmCol->setFocus(Qt::OtherFocusReason);
    }
}

// Runs before the grid moves; a failure keeps the cell.
void TfrmInfoPlanNeg::dbgPzoPgtItmColColExit()
{
    if (dbgPzoPgtItmCol->SelectedIndex() == ngc::IndiceCol(dbgPzoPgtItmCol, prazo))
        Vd_PrazoPgto(false);
    else
        Vd_Percentual(false);
}

void TfrmInfoPlanNeg::dbgPzoPgtItmColKeyDown(int &key, Qt::KeyboardModifiers shift)
{
    // While the item is browsed an instalment is deleted through the toolbar only.
    if (key == Qt::Key_Delete && (shift & Qt::ControlModifier) &&
        dtsPadrao->State() == DataSetState::Browse) {
        key = 0;
        return;
    }
    // Leaving an edited percentage along the grid posts the instalment, checks and sending
    // included, before the grid moves.
    const bool moveLinhaOuCelula = key == Qt::Key_Tab || key == Qt::Key_Down || key == Qt::Key_Up;
    if (moveLinhaOuCelula && dtsPzoPgtItmCol.State() == DataSetState::Edit &&
        ngc::IndiceCol(dbgPzoPgtItmCol, prazo) == 0 &&
        dbgPzoPgtItmCol->SelectedIndex() == ngc::IndiceCol(dbgPzoPgtItmCol, percentual))
        cdsPzoPgtItmCol.Post();
}

// A blank is no character of a number: the grid drops it.
void TfrmInfoPlanNeg::dbgPzoPgtItmColKeyPress(QChar &key)
{
    const bool sinalOuExpoente = key == QLatin1Char('-') || key == QLatin1Char('+') ||
                                 key == QLatin1Char('e') || key == QLatin1Char('E');
    const ngc::TField *coluna = dbgPzoPgtItmCol->SelectedField();
    const bool fracaoDoPrazo =
        coluna && coluna->FieldName() == prazo && QString(key) == QLocale().decimalPoint();
    if (sinalOuExpoente || fracaoDoPrazo)
        key = QLatin1Char(' ');
}

// The schedule is judged by the server's sum of what it holds, so whatever the grid still has
// unsent goes first: a pending instalment is posted, and changes a failed send left behind are
// sent again. Otherwise the sum could pass while the grid shows another schedule, and the
// screen would close with those changes never stored.
void TfrmInfoPlanNeg::Vd_PzoPgtItmCol()
{
    if (drgFormPgto->ItemIndex() != pelaFormaPagamento)
        return;
    try {
        if (editando(dtsPzoPgtItmCol.State()))
            cdsPzoPgtItmCol.Post();
        EnviaPzoPgtItmCol();
        if (cdsPzoPgtItmCol.IsEmpty())
            ngc::MensErro(msgPadrao->Msg(QStringLiteral("PrzPgto_N_Inf")), true);
        cdsSomaPerc.SetData(ngc::packetOf(ngc::CheckResultServ(
            netInfoPlanNeg->Call(QStringLiteral("GetSomaPerc"), ChavesItem()), true, 0)));
        // The server sums in whole hundredths, so exactly 100 is what a complete schedule gives.
        if (cdsSomaPerc.FieldByName(QStringLiteral("SOMAPERC")).AsFloat() != 100.0)
            ngc::MensErro(msgPadrao->Msg(QStringLiteral("Soma_Perc")), true);
    } catch (...) {
        pgcPadrao->SetActivePage(tshFormPgto);
        pgcPadraoChange();
        if (dbgPzoPgtItmCol->isVisibleTo(this))
            dbgPzoPgtItmCol->setFocus(Qt::OtherFocusReason);
        throw;
    }
}

} // namespace Cli_Ngc27451
