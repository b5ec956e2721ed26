#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

namespace Cli_Ngc27451 {

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

void TfrmInfoPlanNeg::drgFormPgtoChange() {}

void TfrmInfoPlanNeg::speDiaFixoChange() {}

void TfrmInfoPlanNeg::speParcelaChange() {}

void TfrmInfoPlanNeg::dbeCdFormPgtoChange() {}

void TfrmInfoPlanNeg::dbeCdFormPgtoExit() {}

void TfrmInfoPlanNeg::dbeCdFormPgtoKeyDown(int &, Qt::KeyboardModifiers) {}

void TfrmInfoPlanNeg::btpPesqFormPgtoBeforePesq(bool &) {}

void TfrmInfoPlanNeg::btpPesqFormPgtoAfterPesq() {}

void TfrmInfoPlanNeg::cdsPzoPgtItmColAfterInsert(ngc::TClientDataSet &) {}

void TfrmInfoPlanNeg::cdsPzoPgtItmColAfterEdit(ngc::TClientDataSet &) {}

void TfrmInfoPlanNeg::cdsPzoPgtItmColBeforePost(ngc::TClientDataSet &) {}

void TfrmInfoPlanNeg::cdsPzoPgtItmColAfterPost(ngc::TClientDataSet &) {}

void TfrmInfoPlanNeg::cdsPzoPgtItmColAfterCancel(ngc::TClientDataSet &) {}

void TfrmInfoPlanNeg::cdsPzoPgtItmColBeforeDelete(ngc::TClientDataSet &) {}

void TfrmInfoPlanNeg::cdsPzoPgtItmColAfterDelete(ngc::TClientDataSet &) {}

void TfrmInfoPlanNeg::dbgPzoPgtItmColColExit() {}

void TfrmInfoPlanNeg::dbgPzoPgtItmColKeyDown(int &, Qt::KeyboardModifiers) {}

void TfrmInfoPlanNeg::dbgPzoPgtItmColKeyPress(QChar &) {}

} // namespace Cli_Ngc27451
