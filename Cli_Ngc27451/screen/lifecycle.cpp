#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

#include <Cli_Ngc27451/entry/Cli_Ngc27451.h>

#include <services/HostServices.h>
#include <services/Routines.h>
#include <services/TMessages.h>
#include <net/CheckResultServ.h>
#include <net/TNetConnection.h>
#include <widgets/TBtnPesquisa.h>
#include <widgets/TPageControl.h>
#include <widgets/TTabSheet.h>

#include <QCheckBox>
#include <QGroupBox>

namespace Cli_Ngc27451 {

namespace {

constexpr int moduloComercial = 34;

} // namespace

// Only the first activation sets the screen up: later ones come back from a message box, the
// progress window or another window and must neither reload nor reset what the buyer sees. A
// failure stops the set-up where it happened; the flag is already down, so it is not retried.
void TfrmInfoPlanNeg::FormActivate()
{
    repaint();
    if (!boPrimeiraAtivacao)
        return;
    boPrimeiraAtivacao = false;

    ngc::SetChildEnabled(grbValidade, boValidade);

    cdsParaSupri.SetData(ngc::packetOf(
        ngc::CheckResultServ(netSuprimentos->Call(QStringLiteral("GetParaSupri"),
                                                  {ngc::RemoteArg::stringRef(&stCdFilial)}),
                             true, 0)));

    // The validity mode always shows the taxes as one list, whatever the branch's parameter.
    const bool listaUnica =
        cdsParaSupri.FieldByName(QStringLiteral("IDCONSDESTITEMCOL")).AsString() ==
            QStringLiteral("N") ||
        boValidade;
    pgcPadrao->SetTabVisible(tshPadrao, listaUnica);
    pgcPadrao->SetTabVisible(tshImpostoItem, !listaUnica);

    if (cdsParaSupri.FieldByName(QStringLiteral("IDPROSEMMAR")).AsString() == QStringLiteral("S")) {
        dtsPesqMarca.SetDataSet(&qryMarca.DataSet());
        btpPesqMarca->SetEmptyText(msgPadrao->Msg(QStringLiteral("MarNoFound")));
    } else {
        dtsPesqMarca.SetDataSet(&cdsPesqMarca);
        btpPesqMarca->SetEmptyText(msgPadrao->Msg(QStringLiteral("MarProdNoFound")));
    }

    AtualizaItemCole();
    AtualizaPzoPgtItmCol();
    AtualizaImpostos();

    // The value is derived from the percentage as the edit shows it (two decimals), so what the
    // buyer reads in both edits agrees. Above 100 the value is left alone; the save reports it.
    MostraValorDesconto();

    cdsPesqProd.FieldByName(QStringLiteral("CDARVPROD")).EditMask = ngc::DBPict(0);

    chkDesconto->setEnabled(false);
    if (ngc::ModuloAtiv() == moduloComercial &&
        cdsParaSupri.FieldByName(QStringLiteral("IDREPLICADESCONTO")).AsString() ==
            QStringLiteral("S"))
        chkDesconto->setEnabled(true);

    ngc::SetChildEnabled(grbDesconto, false);
}

} // namespace Cli_Ngc27451
