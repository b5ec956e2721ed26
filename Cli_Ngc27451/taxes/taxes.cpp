#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

namespace Cli_Ngc27451 {

void TfrmInfoPlanNeg::cdsFilialImpAfterScroll(ngc::TClientDataSet &) {}

bool TfrmInfoPlanNeg::cdsDescImpFilterRecord(ngc::TClientDataSet &)
{
    return true;
}

} // namespace Cli_Ngc27451
