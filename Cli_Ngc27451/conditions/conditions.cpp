#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

#include <host/Routines.h>

#include <array>
#include <utility>

namespace Cli_Ngc27451 {

namespace {

// Stored freight code and the item of dcbFrete naming it, in the list's order.
const std::array<std::pair<const char *, const char16_t *>, 5> freightNames{{
    {"C", u"CIF"},
    {"F", u"FOB"},
    {"T", u"FOT"},
    {"R", u"FOR"},
    {"", u"<nenhum>"},
}};

} // namespace

void TfrmInfoPlanNeg::dbeCdTipCobChange() {}

void TfrmInfoPlanNeg::dbeCdTipCobExit() {}

void TfrmInfoPlanNeg::btpTipoCobrBeforePesq(bool &) {}

void TfrmInfoPlanNeg::btpTipoCobrAfterPesq() {}

void TfrmInfoPlanNeg::dbeCdSegMarcaChange() {}

void TfrmInfoPlanNeg::dbeCdSegMarcaExit() {}

void TfrmInfoPlanNeg::btpPesqMarcaBeforePesq(bool &) {}

void TfrmInfoPlanNeg::btpPesqMarcaAfterPesq() {}

void TfrmInfoPlanNeg::dbdIniValDateChange() {}

void TfrmInfoPlanNeg::dbdFimValDateChange() {}

void TfrmInfoPlanNeg::dbdIniValExit() {}

void TfrmInfoPlanNeg::dbdFimValExit() {}

void TfrmInfoPlanNeg::spePrEntrChange() {}

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

void TfrmInfoPlanNeg::dcbFreteChange() {}

void TfrmInfoPlanNeg::dbeVrPerDesItmChange() {}

void TfrmInfoPlanNeg::dbeVrPerDesItmExit() {}

void TfrmInfoPlanNeg::dbeVrPerDesItmKeyPress(QChar &) {}

void TfrmInfoPlanNeg::nedValorDescChange() {}

void TfrmInfoPlanNeg::nedValorDescExit() {}

void TfrmInfoPlanNeg::nedValorDescKeyPress(QChar &) {}

void TfrmInfoPlanNeg::chkDescontoClick() {}

void TfrmInfoPlanNeg::rdgProdutoClick() {}

void TfrmInfoPlanNeg::rdgMarcaClick() {}

void TfrmInfoPlanNeg::rdgRegiaoClick() {}

void TfrmInfoPlanNeg::rdgFornecedorClick() {}

void TfrmInfoPlanNeg::sbtPesqProdutoClick() {}

void TfrmInfoPlanNeg::sbtPesqMarcaClick() {}

void TfrmInfoPlanNeg::sbtPesqRegiaoClick() {}

void TfrmInfoPlanNeg::sbtPesqFornecedorClick() {}

// The registration number is stored bare; it is shown laid into the mask of its person type.
void TfrmInfoPlanNeg::cdsPesqFornNRINSJURFORNGetText(ngc::TField &sender, QString &text, bool)
{
    const QString personType =
        sender.DataSet().FieldByName(QStringLiteral("IDTPIJURFORN")).AsString();
    text = ngc::FormatMaskText(ngc::PictPess(personType), sender.AsString());
}

} // namespace Cli_Ngc27451
