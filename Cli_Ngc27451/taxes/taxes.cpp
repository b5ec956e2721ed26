#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

namespace Cli_Ngc27451 {

// Every tax row runs through the filter again against the branch that is now current; the first
// positioning on a branch after a load is what switches the filter on at all. A list without
// branches positions on none, so until a branch is listed every tax row shows.
void TfrmInfoPlanNeg::cdsFilialImpAfterScroll(ngc::TClientDataSet &dataSet)
{
    if (dataSet.IsEmpty())
        return;
    if (cdsDescImp.Filtered())
        cdsDescImp.Refilter();
    else
        cdsDescImp.SetFiltered(true);
}

// Branch codes are compared exactly as they are stored: case, blanks and length all count.
bool TfrmInfoPlanNeg::cdsDescImpFilterRecord(ngc::TClientDataSet &dataSet)
{
    return dataSet.FieldByName(QStringLiteral("CDFILIAP")).AsString() ==
           cdsFilialImp.FieldByName(QStringLiteral("CDFILIAL")).AsString();
}

} // namespace Cli_Ngc27451
