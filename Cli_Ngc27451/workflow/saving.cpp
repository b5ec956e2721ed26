#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

#include <Cli_Ngc27451/entry/Cli_Ngc27451.h>

#include <services/HostServices.h>
#include <services/Routines.h>
#include <services/TMessages.h>
#include <net/CheckResultServ.h>
#include <net/TNetConnection.h>
#include <widgets/TDBDateEditPlus.h>
#include <widgets/TDBEdit.h>
#include <widgets/TDBRadioGroup.h>
#include <widgets/TNumberEdit.h>
#include <widgets/TPageControl.h>
#include <widgets/TRadioGroup.h>
#include <widgets/TSpinEdit.h>
#include <widgets/TTabSheet.h>

#include <QJsonArray>

#include <optional>

namespace Cli_Ngc27451 {

namespace {

using ngc::DataSetState;

// drgFormPgto items.
constexpr int pagamentoFixoNoDia = 1;
constexpr int pelaFormaPagamento = 2;

// A discount read as a number; null, or anything that is no number, counts as no discount.
double descontoDe(const QVariant &value)
{
    bool ok = false;
    const double number = value.isNull() ? 0.0 : value.toDouble(&ok);
    return ok ? number : 0.0;
}

// The discount the server holds while an earlier save of this item is still unsent: the old
// side of that change. Without an unsent change the server holds the value the edit began with.
std::optional<double> descontoNoServidor(const ngc::TClientDataSet &item)
{
    if (item.ChangeCount() == 0)
        return std::nullopt;
    const ngc::DeltaPacket delta = item.Delta();
    const int index = item.FieldByName(QStringLiteral("VRPERDESITM")).Index();
    for (const ngc::DeltaChange &change : delta.changes) {
        if (change.op == ngc::DeltaChange::Op::Insert)
            return 0.0;
        if (change.op == ngc::DeltaChange::Op::Update && index < change.oldRow.size())
            return descontoDe(change.oldRow.at(index));
    }
    return std::nullopt;
}

} // namespace

void TfrmInfoPlanNeg::cdsItemColeBeforePost(ngc::TClientDataSet &dataSet)
{
    Verifica_Cotacao();

    dbeVrPerDesItmExit();
    nedValorDescExit();

    dbdIniVal->CheckValidDate();
    dbdFimVal->CheckValidDate();

    // The buyer hears first about the field being left.
    const QWidget *controle = ActiveControl();
    if (controle == dbeCdSegMarca) {
        Vd_Marca();
        vd_Validade();
        Vd_Cobranca();
    } else if (controle == dbeCdTipCob) {
        Vd_Cobranca();
        vd_Validade();
        Vd_Marca();
    } else {
        vd_Validade();
        Vd_Marca();
        Vd_Cobranca();
    }

    Vd_CdFormPgto(true);
    Vd_PzoPgtItmCol();

    dataSet.FieldByName(QStringLiteral("NRPZOENTCOL")).SetText(spePrEntr->Text());
    dataSet.FieldByName(QStringLiteral("NRDIAPGFXCOL")).SetText(speDiaFixo->Text());
    dataSet.FieldByName(QStringLiteral("NRPARCPGTCOL")).SetText(speParcela->Text());

    if (drgFormPgto->ItemIndex() != pagamentoFixoNoDia)
        dataSet.FieldByName(QStringLiteral("IDUTDIAPGCOL")).SetAsString(QString());

    const ngc::TField &desconto = dataSet.FieldByName(QStringLiteral("VRPERDESITM"));
    vrDescontoAnterior = descontoNoServidor(dataSet).value_or(descontoDe(desconto.OldValue()));

    ngc::Seta_Campo_Null(dataSet);

    if (dataSet.State() == DataSetState::Insert)
        GravaChavesItem(dataSet);

    Vd_PesqProd();
    Vd_PesqMarca();
    Vd_PesqRegiao();
    Vd_PesqForn();
}

// The null-field list names what the server must empty: a delta alone cannot tell a field the
// buyer cleared from one that was never sent.
void TfrmInfoPlanNeg::EnviaItemCole()
{
    QJsonArray nulos;
    for (int i = 0; i < cdsItemCole.FieldCount(); ++i) {
        if (cdsItemCole.Fields(i).IsNull())
            nulos.append(cdsItemCole.Fields(i).FieldName());
    }
    if (!nulos.isEmpty())
        vaCamposNulos = nulos;

    {
        ngc::ProgressGuard progress(this, 1, msgPadrao->Msg(QStringLiteral("Atual_dados")));
        ngc::CheckResultServ(
            netInfoPlanNeg->Call(
                QStringLiteral("SetItemCole"),
                {ngc::RemoteArg::variant(ngc::encodeDelta(cdsItemCole.Delta())),
                 ngc::RemoteArg::variantRef(&vaCamposNulos), ngc::RemoteArg::boolean(boValidade),
                 ngc::RemoteArg::stringRef(&stChaveComplementar),
                 ngc::RemoteArg::integer(rdgProduto->ItemIndex()),
                 ngc::RemoteArg::integer(rdgRegiao->ItemIndex()),
                 ngc::RemoteArg::integer(rdgFornecedor->ItemIndex()),
                 ngc::RemoteArg::integer(rdgMarca->ItemIndex()),
                 ngc::RemoteArg::stringRef(&stPesqProduto),
                 ngc::RemoteArg::stringRef(&stPesqRegiao), ngc::RemoteArg::stringRef(&stPesqForn),
                 ngc::RemoteArg::stringRef(&stPesqMarca)}),
            true, 0);
    }
    cdsItemCole.MergeChangeLog();
}

// A failed send leaves the record posted here with its change still in the log; the next post
// sends it again together with whatever the buyer changes meanwhile.
void TfrmInfoPlanNeg::cdsItemColeAfterPost(ngc::TClientDataSet &dataSet)
{
    vaCamposNulos = QJsonValue();
    if (dataSet.ChangeCount() > 0)
        EnviaItemCole();

    if (descontoDe(dataSet.FieldByName(QStringLiteral("VRPERDESITM")).Value()) !=
        vrDescontoAnterior)
        AtualizaImpostos();

    if (pgcPadrao->ActivePage() == tshFormPgto && drgFormPgto->ItemIndex() != pelaFormaPagamento) {
        ngc::CheckResultServ(netInfoPlanNeg->Call(QStringLiteral("DeletaPrazoPg"), ChavesItem()),
                             true, 0);
        cdsPzoPgtItmCol.EmptyDataSet();
    }
}

void TfrmInfoPlanNeg::cdsItemColeAfterCancel(ngc::TClientDataSet &dataSet)
{
    spePrEntr->SetText(dataSet.FieldByName(QStringLiteral("NRPZOENTCOL")).Text());
    speDiaFixo->SetText(dataSet.FieldByName(QStringLiteral("NRDIAPGFXCOL")).Text());
    speParcela->SetText(dataSet.FieldByName(QStringLiteral("NRPARCPGTCOL")).Text());

    if (!ActiveControl())
        drgFormPgto->setFocus(Qt::OtherFocusReason);
    dtsPadraoStateChange();
    if (ActiveControl() == nedValorDesc)
        dbeVrPerDesItm->setFocus(Qt::OtherFocusReason);
    dbeVrPerDesItmChange();
}

} // namespace Cli_Ngc27451
