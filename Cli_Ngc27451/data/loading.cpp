#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

#include <services/HostServices.h>
#include <services/Routines.h>
#include <services/SilentAbort.h>
#include <services/TMessages.h>
#include <net/CheckResultServ.h>
#include <net/TNetConnection.h>
#include <widgets/TPageControl.h>
#include <widgets/TSpinEdit.h>
#include <widgets/TTabSheet.h>

#include <QMetaObject>

namespace Cli_Ngc27451 {

namespace {

// A count or a day as the spin edits show it: the bare number, empty for null (never 0).
QString textoNumero(const ngc::TField &field)
{
    if (field.IsNull())
        return {};
    return QString::number(field.AsFloat(), 'g', 15);
}

} // namespace

// The server may write a key back; taking them by reference keeps the screen on the key the
// server answered for.
ngc::RemoteArgs TfrmInfoPlanNeg::ChavesItem()
{
    return {ngc::RemoteArg::stringRef(&stCdFilial),   ngc::RemoteArg::stringRef(&stNrColePreco),
            ngc::RemoteArg::stringRef(&stCdProduto),  ngc::RemoteArg::stringRef(&stCdMarca),
            ngc::RemoteArg::stringRef(&stCdForneced), ngc::RemoteArg::stringRef(&stCdRegiao)};
}

// The record takes the keys the screen was opened with, whatever it held before.
void TfrmInfoPlanNeg::GravaChavesItem(ngc::TClientDataSet &dataSet) const
{
    dataSet.FieldByName(QStringLiteral("CDFILIAL")).SetAsString(stCdFilial);
    dataSet.FieldByName(QStringLiteral("NRCOLEPRECO")).SetAsString(stNrColePreco);
    dataSet.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(stCdProduto);
    dataSet.FieldByName(QStringLiteral("CDMARCA")).SetAsString(stCdMarca);
    dataSet.FieldByName(QStringLiteral("CDFORNECED")).SetAsString(stCdForneced);
    dataSet.FieldByName(QStringLiteral("CDREGIAO")).SetAsString(stCdRegiao);
}

void TfrmInfoPlanNeg::AtualizaItemCole()
{
    cdsItemCole.SetData(ngc::packetOf(ngc::CheckResultServ(
        netInfoPlanNeg->Call(QStringLiteral("GetItemCole"), ChavesItem()), true, 0)));

    spePrEntr->SetText(cdsItemCole.FieldByName(QStringLiteral("NRPZOENTCOL")).Text());
    const QString diaFixo = textoNumero(cdsItemCole.FieldByName(QStringLiteral("NRDIAPGFXCOL")));
    const QString parcelas = textoNumero(cdsItemCole.FieldByName(QStringLiteral("NRPARCPGTCOL")));
    speDiaFixo->SetText(ngc::EmptyString(diaFixo) ? QString() : diaFixo);
    speParcela->SetText(ngc::EmptyString(parcelas) ? QString() : parcelas);
}

void TfrmInfoPlanNeg::AtualizaPzoPgtItmCol()
{
    cdsPzoPgtItmCol.SetData(ngc::packetOf(ngc::CheckResultServ(
        netInfoPlanNeg->Call(QStringLiteral("GetPzoPgtItmCol"), ChavesItem()), true, 0)));
}

// Only the page the first activation chose is loaded; the other page's lists stay empty.
void TfrmInfoPlanNeg::AtualizaImpostos()
{
    if (pgcPadrao->TabVisible(tshPadrao)) {
        cdsImpColet.SetData(ngc::packetOf(ngc::CheckResultServ(
            netInfoPlanNeg->Call(QStringLiteral("GetImpColet"), ChavesItem()), true, 0)));
        return;
    }
    const ngc::RemoteData resposta =
        ngc::CheckResultServ(netInfoPlanNeg->Call(QStringLiteral("GetImpFilial"),
                                                  {ngc::RemoteArg::stringRef(&stCdFilial),
                                                   ngc::RemoteArg::stringRef(&stChaveComplementar),
                                                   ngc::RemoteArg::stringRef(&stCdRegiao),
                                                   ngc::RemoteArg::stringRef(&stCdForneced),
                                                   ngc::RemoteArg::stringRef(&stCdProduto)}),
                             true, 0);
    // Both packets are read before either list changes, so a bad reply leaves both as they were.
    const ngc::DataPacket filiais = ngc::packetAt(resposta, 0);
    const ngc::DataPacket impostos = ngc::packetAt(resposta, 1);
    // The branches first: landing on the first branch switches the tax filter on before the
    // taxes arrive.
    cdsFilialImp.SetData(filiais);
    cdsDescImp.SetData(impostos);
}

void TfrmInfoPlanNeg::Verifica_Cotacao()
{
    {
        ngc::ProgressGuard progress(this, 6, msgPadrao->Msg(QStringLiteral("Verif_dados")));
        cdsVerif_ColeApr.SetData(ngc::packetOf(
            ngc::CheckResultServ(netInfoPlanNeg->Call(QStringLiteral("GetVerif_ColeApr"),
                                                      {ngc::RemoteArg::stringRef(&stCdFilial),
                                                       ngc::RemoteArg::stringRef(&stNrColePreco)}),
                                 true, 0)));
    }
    if (!cdsVerif_ColeApr.IsEmpty())
        return;
    ngc::MensErro(msgPadrao->Msg(QStringLiteral("Erro_InfPlanilha")), false);
    // The screen closes once the save that asked has unwound; closing in the middle of it would
    // shut the connections under the running operation.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    throw ngc::SilentAbort();
}

} // namespace Cli_Ngc27451
