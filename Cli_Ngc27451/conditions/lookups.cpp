#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

#include <services/HostServices.h>
#include <services/Routines.h>
#include <services/TMessages.h>
#include <net/CheckResultServ.h>
#include <net/TNetConnection.h>
#include <widgets/TDBEdit.h>
#include <widgets/TPageControl.h>
#include <widgets/TTabSheet.h>

namespace Cli_Ngc27451 {

using ngc::DataSetState;

void TfrmInfoPlanNeg::VerificaDados(QWidget *const &foco, const std::function<void()> &check)
{
    try {
        check();
    } catch (...) {
        pgcPadrao->SetActivePage(tshDados);
        foco->setFocus(Qt::OtherFocusReason);
        throw;
    }
}

bool TfrmInfoPlanNeg::ItemEditando() const
{
    return dtsPadrao->State() == DataSetState::Edit || dtsPadrao->State() == DataSetState::Insert;
}

bool TfrmInfoPlanNeg::ProcuraSemMarca() const
{
    return cdsParaSupri.FieldByName(QStringLiteral("IDPROSEMMAR")).AsString() == QLatin1String("S");
}

void TfrmInfoPlanNeg::CarregaTipoCobr(const QString &codigo, const QString &todos)
{
    ngc::ProgressGuard progress(this, 6);
    cdsTipoCobr.SetData(ngc::packetOf(ngc::CheckResultServ(
        netInfoPlanNeg->Call(QStringLiteral("GetTipoCobr"),
                             {ngc::RemoteArg::string(codigo), ngc::RemoteArg::string(todos)}),
        true, 0)));
}

void TfrmInfoPlanNeg::CarregaPesqMarca(const QString &codigo, const QString &todos)
{
    ngc::ProgressGuard progress(this, 6);
    cdsPesqMarca.SetData(ngc::packetOf(ngc::CheckResultServ(
        netInfoPlanNeg->Call(QStringLiteral("GetPesqMarca"),
                             {ngc::RemoteArg::stringRef(&stChaveMarca),
                              ngc::RemoteArg::string(codigo), ngc::RemoteArg::string(todos)}),
        true, 0)));
}

void TfrmInfoPlanNeg::AbreQryMarca(const QString &codigo, const QString &todos)
{
    qryMarca.Close();
    qryMarca.ParamByName(QStringLiteral("P_CDMARCA")).SetAsString(codigo);
    qryMarca.ParamByName(QStringLiteral("P_TCDMARCA")).SetAsString(todos);
    qryMarca.Open();
}

// The shown name belongs to the code as it was checked; typing a new code drops it until the
// check on leaving the edit finds the new one.
void TfrmInfoPlanNeg::dbeCdTipCobChange()
{
    if (ItemEditando())
        cdsItemCole.FieldByName(QStringLiteral("NMTIPOCOBR")).Clear();
}

void TfrmInfoPlanNeg::dbeCdTipCobExit()
{
    Vd_Cobranca();
}

void TfrmInfoPlanNeg::btpTipoCobrBeforePesq(bool &)
{
    CarregaTipoCobr(QString(), QStringLiteral("T"));
}

void TfrmInfoPlanNeg::btpTipoCobrAfterPesq()
{
    if (dtsPadrao->State() == DataSetState::Browse)
        cdsItemCole.Edit();
    for (const QString &name : {QStringLiteral("CDTIPCOB"), QStringLiteral("NMTIPOCOBR")})
        cdsItemCole.FieldByName(name).SetAsString(cdsTipoCobr.FieldByName(name).AsString());
}

void TfrmInfoPlanNeg::dbeCdSegMarcaChange()
{
    if (ItemEditando())
        cdsItemCole.FieldByName(QStringLiteral("NMMARCA")).Clear();
}

void TfrmInfoPlanNeg::dbeCdSegMarcaExit()
{
    Vd_Marca();
}

void TfrmInfoPlanNeg::btpPesqMarcaBeforePesq(bool &)
{
    if (ProcuraSemMarca())
        AbreQryMarca(QString(), QStringLiteral("T"));
    else
        CarregaPesqMarca(QStringLiteral(" "), QStringLiteral("T"));
}

void TfrmInfoPlanNeg::btpPesqMarcaAfterPesq()
{
    if (dtsPadrao->State() == DataSetState::Browse)
        cdsItemCole.Edit();
    const ngc::TClientDataSet &escolhida = ProcuraSemMarca() ? qryMarca.DataSet() : cdsPesqMarca;
    cdsItemCole.FieldByName(QStringLiteral("CDSEGMARCCOL"))
        .SetAsString(escolhida.FieldByName(QStringLiteral("CDMARCA")).AsString());
    cdsItemCole.FieldByName(QStringLiteral("NMMARCA"))
        .SetAsString(escolhida.FieldByName(QStringLiteral("NMMARCA")).AsString());
}

// The name goes into the record, not only into its edit: the edit shows the record again once
// the item is posted.
void TfrmInfoPlanNeg::Vd_Cobranca()
{
    if (!ItemEditando() || ngc::EmptyString(dbeCdTipCob->text()))
        return;
    VerificaDados(dbeCdTipCob, [this] {
        ngc::TField &codigo = cdsItemCole.FieldByName(QStringLiteral("CDTIPCOB"));
        codigo.SetAsString(ngc::Ajusta(codigo.AsString(), 2));
        CarregaTipoCobr(codigo.AsString(), QString());
        if (cdsTipoCobr.IsEmpty())
            ngc::MensErro(msgPadrao->Msg(QStringLiteral("Cob_N_Cad")), true);
        cdsItemCole.FieldByName(QStringLiteral("NMTIPOCOBR"))
            .SetAsString(cdsTipoCobr.FieldByName(QStringLiteral("NMTIPOCOBR")).AsString());
    });
}

// In order: registered at all (the shared database, which also gives the name), allowed for the
// brand key, not the item's own brand, not rejected or expired for the product at the branch.
void TfrmInfoPlanNeg::Vd_Marca()
{
    ngc::TField &marca = cdsItemCole.FieldByName(QStringLiteral("CDSEGMARCCOL"));
    if (!ItemEditando() || ngc::EmptyString(marca.AsString()))
        return;
    VerificaDados(dbeCdSegMarca, [this, &marca] {
        marca.SetAsString(ngc::Ajusta(marca.AsString(), 5));
        const QString codigo = marca.AsString();

        AbreQryMarca(codigo, QString());
        if (qryMarca.IsEmpty())
            ngc::MensErro(msgPadrao->Msg(QStringLiteral("Marc_N_Cad")), true);
        cdsItemCole.FieldByName(QStringLiteral("NMMARCA"))
            .SetAsString(qryMarca.FieldByName(QStringLiteral("NMMARCA")).AsString());

        if (!ProcuraSemMarca()) {
            CarregaPesqMarca(codigo, QString());
            if (cdsPesqMarca.IsEmpty())
                ngc::MensErro(msgPadrao->Msg(QStringLiteral("Marc_N_Cad_Prod")), true);
        }

        if (codigo == stCdMarca)
            ngc::MensErro(msgPadrao->Msg(QStringLiteral("Marc_Difer")), true);

        {
            ngc::ProgressGuard progress(this, 6);
            cdsMarcaAutoriz.SetData(ngc::packetOf(
                ngc::CheckResultServ(netInfoPlanNeg->Call(QStringLiteral("GetMarcaAutoriz"),
                                                          {ngc::RemoteArg::stringRef(&stCdFilial),
                                                           ngc::RemoteArg::stringRef(&stCdProduto),
                                                           ngc::RemoteArg::string(codigo)}),
                                     true, 0)));
        }
        if (!cdsMarcaAutoriz.IsEmpty())
            ngc::MensErro(msgPadrao->Msg(QStringLiteral("Marc_Repr")), true);
    });
}

} // namespace Cli_Ngc27451
