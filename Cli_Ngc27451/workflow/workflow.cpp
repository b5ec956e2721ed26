#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

namespace Cli_Ngc27451 {

void TfrmInfoPlanNeg::BarraFerramenta() {}

void TfrmInfoPlanNeg::dtsPadraoStateChange()
{
    TfrmPadraoGrid::dtsPadraoStateChange();
}

void TfrmInfoPlanNeg::sbtIncluirClick()
{
    TfrmPadraoGrid::sbtIncluirClick();
}

void TfrmInfoPlanNeg::sbtAlterarClick()
{
    TfrmPadraoGrid::sbtAlterarClick();
}

void TfrmInfoPlanNeg::sbtExcluirClick()
{
    TfrmPadraoGrid::sbtExcluirClick();
}

void TfrmInfoPlanNeg::sbtProcurarClick()
{
    TfrmPadraoGrid::sbtProcurarClick();
}

void TfrmInfoPlanNeg::sbtVerificarClick()
{
    TfrmPadraoGrid::sbtVerificarClick();
}

void TfrmInfoPlanNeg::sbtCancelarClick()
{
    TfrmPadraoGrid::sbtCancelarClick();
}

void TfrmInfoPlanNeg::sbtConfirmarClick()
{
    TfrmPadraoGrid::sbtConfirmarClick();
}

void TfrmInfoPlanNeg::pgcPadraoChange() {}

void TfrmInfoPlanNeg::mnuDadosAdicionaisClick() {}

void TfrmInfoPlanNeg::mnuFormaPagamentoClick() {}

void TfrmInfoPlanNeg::mnuImpostoClick() {}

void TfrmInfoPlanNeg::cdsItemColeBeforeEdit(ngc::TClientDataSet &) {}

void TfrmInfoPlanNeg::cdsItemColeBeforePost(ngc::TClientDataSet &) {}

void TfrmInfoPlanNeg::cdsItemColeAfterPost(ngc::TClientDataSet &) {}

void TfrmInfoPlanNeg::cdsItemColeAfterCancel(ngc::TClientDataSet &) {}

void TfrmInfoPlanNeg::cdsImpColetBeforeInsert(ngc::TClientDataSet &) {}

void TfrmInfoPlanNeg::cdsImpColetBeforeEdit(ngc::TClientDataSet &) {}

} // namespace Cli_Ngc27451
