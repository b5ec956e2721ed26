#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

#include <services/HostServices.h>
#include <services/Routines.h>
#include <services/TMessages.h>
#include <widgets/SystemColor.h>
#include <widgets/TBtnPesquisa.h>
#include <widgets/TDBCheckBox.h>
#include <widgets/TDBEdit.h>
#include <widgets/TDBGrid.h>
#include <widgets/TDBRadioGroup.h>
#include <widgets/TPageControl.h>
#include <widgets/TSpinEdit.h>
#include <widgets/TTabSheet.h>

#include <QLabel>

namespace Cli_Ngc27451 {

namespace {

using ngc::DataSetState;
using ngc::SystemColor;

// drgFormPgto items.
constexpr int pagamentoFixoNoDia = 1;
constexpr int pelaFormaPagamento = 2;
// The highest fixed day of the month.
constexpr int ultimoDia = 31;

bool editando(DataSetState state)
{
    return state == DataSetState::Edit || state == DataSetState::Insert;
}

} // namespace

// The radio group shows "X" for an item without a payment form, which is stored as null; a
// stored value the group does not know selects no item.
void TfrmInfoPlanNeg::cdsItemColeIDTPFOPGTCOLGetText(ngc::TField &sender, QString &text, bool)
{
    const QString stored = sender.AsString();
    if (stored.isEmpty())
        text = QStringLiteral("X");
    else if (stored == QLatin1String("F") || stored == QLatin1String("V"))
        text = stored;
    else
        text.clear();
}

void TfrmInfoPlanNeg::cdsItemColeIDTPFOPGTCOLSetText(ngc::TField &sender, const QString &text)
{
    if (text == QLatin1String("X"))
        sender.Clear();
    else if (text == QLatin1String("F") || text == QLatin1String("V"))
        sender.SetAsString(text);
}

// The type decides what the page offers. It runs also when loading or cancelling shows another
// type: in browse state nothing is cleared and a fixed-day item shows its own day and count.
void TfrmInfoPlanNeg::drgFormPgtoChange()
{
    const DataSetState item = dtsPadrao->State();
    if (item == DataSetState::Inactive)
        return;
    const int tipo = drgFormPgto->ItemIndex();
    const bool fixo = tipo == pagamentoFixoNoDia;
    const bool pelaForma = tipo == pelaFormaPagamento;

    for (QWidget *control : std::initializer_list<QWidget *>{
             speDiaFixo, dckIdUtDiaPgCol, speParcela, lblParcelas, lblCom, lblParenteses})
        control->setEnabled(fixo);
    dbeCdFormPgto->setEnabled(pelaForma);
    btpPesqFormPgto->setEnabled(pelaForma);
    dbgPzoPgtItmCol->setVisible(
        pelaForma &&
        !ngc::EmptyString(cdsItemCole.FieldByName(QStringLiteral("CDFORMPGTO")).AsString()));

    speParcela->SetText(QString());
    speDiaFixo->SetText(QString());
    // A form chosen under another type does not survive a change of type.
    if (item == DataSetState::Edit) {
        cdsItemCole.FieldByName(QStringLiteral("CDFORMPGTO")).Clear();
        cdsItemCole.FieldByName(QStringLiteral("NMFORMPGTO")).Clear();
    }

    if (fixo) {
        speDiaFixo->SetText(cdsItemCole.FieldByName(QStringLiteral("NRDIAPGFXCOL")).Text());
        speParcela->SetText(cdsItemCole.FieldByName(QStringLiteral("NRPARCPGTCOL")).Text());
        if (editando(item))
            cdsItemCole.FieldByName(QStringLiteral("IDUTDIAPGCOL"))
                .SetAsString(QStringLiteral("E"));
        if (ngc::EmptyString(speParcela->Text()))
            speParcela->SetText(QStringLiteral("1"));
        if (ngc::EmptyString(speDiaFixo->Text()))
            speDiaFixo->SetText(QStringLiteral("1"));
    }
    if (tipo >= 0) {
        ngc::SetColor(speDiaFixo, fixo ? SystemColor::Window : SystemColor::BtnFace);
        ngc::SetColor(speParcela, fixo ? SystemColor::Window : SystemColor::BtnFace);
        ngc::SetColor(dbeCdFormPgto, pelaForma ? SystemColor::InfoBk : SystemColor::BtnFace);
    }
    if (pelaForma && pgcPadrao->ActivePage() == tshFormPgto && dbgPzoPgtItmCol->isVisibleTo(this))
        dbgPzoPgtItmCol->setFocus(Qt::OtherFocusReason);
}

// Typing into a spin edit starts the item's edit; while the item is edited a typed value out of
// range is corrected at once, without a word. A change the program makes (loading, a change of
// type, a cancel putting the record's value back, the correction itself) is left as it is, also
// while the spin edit has the focus: a cancel must not start the edit again.
void TfrmInfoPlanNeg::AjustaSpin(ngc::TSpinEdit *spin, int maximo)
{
    if (spin->ChangedByProgram() || ActiveControl() != spin)
        return;
    if (dtsPadrao->State() == DataSetState::Browse)
        cdsItemCole.Edit();
    if (!editando(dtsPadrao->State()))
        return;
    // Each correction rewrites the text, which comes back here and finds it in range.
    if (maximo > 0 && spin->Value() > maximo)
        spin->SetValue(maximo);
    if (spin->Value() < 1)
        spin->SetValue(1);
    else if (ngc::EmptyString(spin->Text()))
        spin->SetText(QStringLiteral("1"));
}

void TfrmInfoPlanNeg::speDiaFixoChange()
{
    AjustaSpin(speDiaFixo, ultimoDia);
}

// The count has no upper correction: its range and its two characters hold it.
void TfrmInfoPlanNeg::speParcelaChange()
{
    AjustaSpin(speParcela, 0);
}

// Another code means another schedule: the name and the grid wait for the code's check.
void TfrmInfoPlanNeg::dbeCdFormPgtoChange()
{
    if (!editando(dtsPadrao->State()))
        return;
    cdsItemCole.FieldByName(QStringLiteral("NMFORMPGTO")).Clear();
    dbgPzoPgtItmCol->setVisible(false);
}

void TfrmInfoPlanNeg::dbeCdFormPgtoKeyDown(int &key, Qt::KeyboardModifiers)
{
    if ((key == Qt::Key_Delete || key == Qt::Key_Backspace) && editando(dtsPadrao->State()))
        dbeNmFormPgto->clear();
}

void TfrmInfoPlanNeg::dbeCdFormPgtoExit()
{
    Vd_CdFormPgto(false);
}

void TfrmInfoPlanNeg::btpPesqFormPgtoBeforePesq(bool &)
{
    qryPesqFormPgto.Close();
    qryPesqFormPgto.ParamByName(QStringLiteral("P_CDFORMPGTO")).SetAsString(QString());
    qryPesqFormPgto.ParamByName(QStringLiteral("P_TFORMPGTO")).SetAsString(QStringLiteral("T"));
    qryPesqFormPgto.Open();
}

// The code goes first: writing it clears the name (dbeCdFormPgtoChange), which then follows.
// The code is checked when the code box is left or the item saved.
void TfrmInfoPlanNeg::btpPesqFormPgtoAfterPesq()
{
    if (dtsPadrao->State() == DataSetState::Browse)
        cdsItemCole.Edit();
    cdsItemCole.FieldByName(QStringLiteral("CDFORMPGTO"))
        .SetAsString(qryPesqFormPgto.FieldByName(QStringLiteral("CDFORMPGTO")).AsString());
    cdsItemCole.FieldByName(QStringLiteral("NMFORMPGTO"))
        .SetAsString(qryPesqFormPgto.FieldByName(QStringLiteral("NMFORMPGTO")).AsString());
}

// A registered form is required only at saving; the code is brought to its stored width before
// it is looked up on the shared database.
void TfrmInfoPlanNeg::Vd_CdFormPgto(bool obrigatorio)
{
    if (drgFormPgto->ItemIndex() != pelaFormaPagamento || !editando(dtsPadrao->State()))
        return;
    ngc::TField &codigo = cdsItemCole.FieldByName(QStringLiteral("CDFORMPGTO"));
    try {
        if (ngc::EmptyString(codigo.AsString())) {
            if (obrigatorio)
                ngc::MensErro(msgPadrao->Msg(QStringLiteral("FormPgto_N_Inf")), true);
            return;
        }
        codigo.SetAsString(ngc::Ajusta(codigo.AsString(), 2));
        qryPesqFormPgto.Close();
        qryPesqFormPgto.ParamByName(QStringLiteral("P_CDFORMPGTO")).SetAsString(codigo.AsString());
        qryPesqFormPgto.ParamByName(QStringLiteral("P_TFORMPGTO")).SetAsString(QString());
        qryPesqFormPgto.Open();
        if (qryPesqFormPgto.IsEmpty())
            ngc::MensErro(msgPadrao->Msg(QStringLiteral("FormPgto_N_Cad")), true);
        cdsItemCole.FieldByName(QStringLiteral("NMFORMPGTO"))
            .SetAsString(qryPesqFormPgto.FieldByName(QStringLiteral("NMFORMPGTO")).AsString());
        dbgPzoPgtItmCol->setVisible(true);
        // A control of no name is the grid's cell editor: the grid itself takes the focus.
        const QWidget *foco = focusWidget();
        if (foco && foco->objectName().isEmpty() && pgcPadrao->ActivePage() == tshFormPgto)
            dbgPzoPgtItmCol->setFocus(Qt::OtherFocusReason);
    } catch (...) {
        pgcPadrao->SetActivePage(tshFormPgto);
        pgcPadraoChange();
        dbeCdFormPgto->setFocus(Qt::OtherFocusReason);
        throw;
    }
}

} // namespace Cli_Ngc27451
