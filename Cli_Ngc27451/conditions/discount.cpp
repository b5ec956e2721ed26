#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

#include <services/HostServices.h>
#include <services/Routines.h>
#include <services/TMessages.h>
#include <widgets/TDBEdit.h>
#include <widgets/TNumberEdit.h>

#include <QLineEdit>

namespace Cli_Ngc27451 {

namespace {

// Neither edit takes a sign or an exponent; the digit limits are the routine's.
void filtraTecla(const QLineEdit &edit, int inteiros, int decimais, QChar &key)
{
    if (key == QLatin1Char('-') || key == QLatin1Char('+') || key == QLatin1Char('e') ||
        key == QLatin1Char('E'))
        key = QChar();
    const int inicio = edit.hasSelectedText() ? edit.selectionStart() : edit.cursorPosition();
    ngc::MaxNumber(edit.text(), inteiros, decimais, key, inicio, edit.selectionLength());
}

} // namespace

// Multiplied first, in extended precision, then divided: 10 % of 12.34567 is 1.234567, shown
// as 1.23.
double TfrmInfoPlanNeg::ValorDoPercentual(double percentual) const
{
    const long double preco = cdsItemCole.FieldByName(QStringLiteral("VRPRECUNIITM")).AsFloat();
    return ngc::RoundDec(static_cast<double>(preco * percentual / 100.0L), 2);
}

// Above 100 the amount is left as it was; the check on leaving the percentage reports it.
void TfrmInfoPlanNeg::MostraValorDesconto()
{
    const QString percentual = dbeVrPerDesItm->text();
    if (ngc::EmptyString(percentual))
        return;
    const double p = ngc::StrToFloat(percentual);
    if (p <= 100)
        nedValorDesc->SetNumber(ValorDoPercentual(p));
}

void TfrmInfoPlanNeg::dbeVrPerDesItmKeyPress(QChar &key)
{
    filtraTecla(*dbeVrPerDesItm, 3, 2, key);
}

// The direction follows the focus: while the amount is typed, the percentage follows it and
// this handler, run by that change, leaves the amount alone.
void TfrmInfoPlanNeg::dbeVrPerDesItmChange()
{
    if (ngc::EmptyString(dbeVrPerDesItm->text())) {
        if (dtsPadrao->State() != ngc::DataSetState::Inactive)
            nedValorDesc->Clear();
        return;
    }
    if (ActiveControl() == nedValorDesc)
        return;
    MostraValorDesconto();
}

void TfrmInfoPlanNeg::dbeVrPerDesItmExit()
{
    Vd_Desconto();
}

void TfrmInfoPlanNeg::nedValorDescKeyPress(QChar &key)
{
    filtraTecla(*nedValorDesc, 10, 5, key);
}

// The percentage is stored unrounded: an amount of 1 on a price of 3 is 33.333...%, which gives
// back exactly 1.00.
void TfrmInfoPlanNeg::nedValorDescChange()
{
    if (ActiveControl() != nedValorDesc)
        return;
    if (dtsPadrao->State() == ngc::DataSetState::Browse)
        cdsItemCole.Edit();
    ngc::TField &percentual = cdsItemCole.FieldByName(QStringLiteral("VRPERDESITM"));
    if (ngc::EmptyString(nedValorDesc->text())) {
        if (ItemEditando())
            percentual.SetText(QString());
        return;
    }
    const long double preco = cdsItemCole.FieldByName(QStringLiteral("VRPRECUNIITM")).AsFloat();
    const long double valor = nedValorDesc->GetNumber();
    if (valor > preco || preco == 0)
        return;
    percentual.SetAsFloat(static_cast<double>(valor * 100.0L / preco));
}

void TfrmInfoPlanNeg::nedValorDescExit()
{
    Vd_Valor_Desc();
}

// Only the key filter keeps a sign out of the edit; a pasted or derived negative percentage is
// refused here, with the message that already names the range.
void TfrmInfoPlanNeg::Vd_Desconto()
{
    const ngc::TField &percentual = cdsItemCole.FieldByName(QStringLiteral("VRPERDESITM"));
    if (!ItemEditando() || ngc::EmptyString(percentual.Text()))
        return;
    VerificaDados(dbeVrPerDesItm, [this, &percentual] {
        const double p = percentual.AsFloat();
        if (p > 100 || p < 0)
            ngc::MensErro(msgPadrao->Msg(QStringLiteral("Perc_Desc_Exced")), true);
    });
}

// The amount shown for a percentage is rounded to cents, so on a price with more decimals it may
// exceed the price (100 % of 12.34567 shows 12.35): that amount stands for a valid percentage and
// passes. An amount the buyer typed above the price never became a percentage and is refused.
void TfrmInfoPlanNeg::Vd_Valor_Desc()
{
    if (!ItemEditando() || ngc::EmptyString(nedValorDesc->text()))
        return;
    VerificaDados(nedValorDesc, [this] {
        const double valor = nedValorDesc->GetNumber();
        if (valor <= cdsItemCole.FieldByName(QStringLiteral("VRPRECUNIITM")).AsFloat())
            return;
        const ngc::TField &percentual = cdsItemCole.FieldByName(QStringLiteral("VRPERDESITM"));
        const double p = percentual.AsFloat();
        const bool doPercentual =
            !percentual.IsNull() && p >= 0 && p <= 100 && valor == ValorDoPercentual(p);
        if (!doPercentual)
            ngc::MensErro(msgPadrao->Msg(QStringLiteral("Valor_Perc_Desc_Exced")), true);
    });
}

} // namespace Cli_Ngc27451
