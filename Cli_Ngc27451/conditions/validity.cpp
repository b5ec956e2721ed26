#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

#include <Cli_Ngc27451/entry/Cli_Ngc27451.h>

#include <services/HostServices.h>
#include <services/Routines.h>
#include <services/TMessages.h>
#include <widgets/TDBDateEditPlus.h>
#include <widgets/TSpinEdit.h>

#include <QLineEdit>

#include <array>
#include <utility>

namespace Cli_Ngc27451 {

namespace {

// The module in which the host refuses every guarded edit.
constexpr int moduloConsulta = 4;

// Stored freight code and the item of dcbFrete naming it, in the list's order.
const std::array<std::pair<const char *, const char16_t *>, 5> freightNames{{
    {"C", u"CIF"},
    {"F", u"FOB"},
    {"T", u"FOT"},
    {"R", u"FOR"},
    {"", u"<nenhum>"},
}};

// The date of a date edit that is not blank; a text that is no date raises the edit's error.
QDate dataDe(const ngc::TDBDateEditPlus &edit)
{
    edit.CheckValidDate();
    return edit.GetDate();
}

} // namespace

// Only in the mode that asks for the validity are the dates mandatory and ordered. The focus goes
// to the start date when it is missing or after the end, to the end date otherwise.
void TfrmInfoPlanNeg::vd_Validade()
{
    const bool inicioVazio = dbdIniVal->IsBlank();
    QWidget *foco = inicioVazio ? static_cast<QWidget *>(dbdIniVal) : dbdFimVal;
    if (!boValidade)
        return;
    VerificaDados(foco, [this, &foco] {
        if (dbdIniVal->IsBlank())
            ngc::MensErro(msgPadrao->Msg(QStringLiteral("DtIni_N_Inf")), true);
        if (dbdFimVal->IsBlank())
            ngc::MensErro(msgPadrao->Msg(QStringLiteral("DtFin_N_Inf")), true);
        if (dataDe(*dbdFimVal) < dataDe(*dbdIniVal)) {
            foco = dbdIniVal;
            ngc::MensErro(msgPadrao->Msg(QStringLiteral("DtIniFin_Inv")), true);
        }
    });
}

void TfrmInfoPlanNeg::dbdIniValDateChange()
{
    edtNmSem_Ini->setText(ngc::NomeSemana(dbdIniVal->GetDate()).left(3));
}

void TfrmInfoPlanNeg::dbdFimValDateChange()
{
    edtNmSem_Fin->setText(ngc::NomeSemana(dbdFimVal->GetDate()).left(3));
}

void TfrmInfoPlanNeg::dbdIniValExit()
{
    dbdIniVal->CheckValidDate();
}

void TfrmInfoPlanNeg::dbdFimValExit()
{
    dbdFimVal->CheckValidDate();
}

// Only the buyer's own change starts the edit: loading and cancelling set the spin edit too.
void TfrmInfoPlanNeg::spePrEntrChange()
{
    if (dtsPadrao->State() == ngc::DataSetState::Browse && ActiveControl() == spePrEntr)
        cdsItemCole.Edit();
}

// Codes are compared exactly ("c" is no freight type); a blank code means no freight type.
void TfrmInfoPlanNeg::cdsItemColeIDTIPFREITMGetText(ngc::TField &sender, QString &text, bool)
{
    const QString code = sender.AsString();
    text.clear();
    if (ngc::EmptyString(code)) {
        text = QString::fromUtf16(freightNames.back().second);
        return;
    }
    for (const auto &[stored, name] : freightNames) {
        if (code == QLatin1String(stored)) {
            text = QString::fromUtf16(name);
            return;
        }
    }
}

// Only the list's own items are accepted; any other text leaves the stored code as it is.
void TfrmInfoPlanNeg::cdsItemColeIDTIPFREITMSetText(ngc::TField &sender, const QString &text)
{
    for (const auto &[stored, name] : freightNames) {
        if (text == QString::fromUtf16(name)) {
            sender.SetAsString(QLatin1String(stored));
            return;
        }
    }
}

void TfrmInfoPlanNeg::dcbFreteChange()
{
    if (ngc::ModuloAtiv() == moduloConsulta)
        throw ngc::SilentAbort();
}

} // namespace Cli_Ngc27451
