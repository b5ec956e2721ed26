#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

#include <services/HostServices.h>
#include <services/Routines.h>
#include <services/TMessages.h>
#include <net/TNetConnection.h>
#include <widgets/TBtnPesquisa.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TDBComboBox.h>
#include <widgets/TDBDateEditPlus.h>
#include <widgets/TDBEdit.h>
#include <widgets/TDBGrid.h>
#include <widgets/TDBRadioGroup.h>
#include <widgets/TNumberEdit.h>
#include <widgets/TPageControl.h>
#include <widgets/TPanel.h>
#include <widgets/TRadioGroup.h>
#include <widgets/TSpinEdit.h>
#include <widgets/TTabSheet.h>

#include <QAction>
#include <QCheckBox>

#include <utility>

namespace Cli_Ngc27451 {

namespace {

// The host module in which the commercial conditions may be edited.
constexpr int moduloComercial = 34;

} // namespace

TfrmInfoPlanNeg::TfrmInfoPlanNeg(QWidget *parent) : TfrmPadraoGrid(parent)
{
    setObjectName(QStringLiteral("frmInfoPlanNeg"));
    createDataSets();
    createConnections();
    fillCatalog();
    adjustFrame();
    createPageDados();
    createPageFormPgto();
    createPageImpostoItem();
    setTabOrders();
    wireEvents();
    // This class is final, so the creation handler reached from here is this screen's own.
    Create();
}

// The datasets and data sources of this class end before the frame's data source and the
// controls do; the item's data source lets go of its dataset first, while every handler its state
// change reaches can still read what it reads.
TfrmInfoPlanNeg::~TfrmInfoPlanNeg()
{
    dtsPadrao->OnStateChange = nullptr;
    dtsPadrao->SetDataSet(nullptr);
}

ngc::TClientDataSet *TfrmInfoPlanNeg::findDataSet(const QString &name) const
{
    auto *self = const_cast<TfrmInfoPlanNeg *>(this);
    ngc::TClientDataSet *const dataSets[] = {
        &self->cdsItemCole,           &self->cdsPzoPgtItmCol,  &self->cdsImpColet,
        &self->cdsFilialImp,          &self->cdsDescImp,       &self->cdsParaSupri,
        &self->cdsTipoCobr,           &self->cdsPesqMarca,     &self->cdsSomaPerc,
        &self->cdsVerif_PzoPgtItmCol, &self->cdsMarcaAutoriz,  &self->cdsVerif_ColeApr,
        &self->cdsPesqProd,           &self->cdsPesqMarcaDesc, &self->cdsPesqReg,
        &self->cdsPesqForn,
    };
    for (ngc::TClientDataSet *dataSet : dataSets) {
        if (dataSet->Name() == name)
            return dataSet;
    }
    if (ngc::TADOIBQuery *query = findQuery(name))
        return &query->DataSet();
    return nullptr;
}

ngc::TADOIBQuery *TfrmInfoPlanNeg::findQuery(const QString &name) const
{
    auto *self = const_cast<TfrmInfoPlanNeg *>(this);
    for (ngc::TADOIBQuery *query : {&self->qryMarca, &self->qryPesqFormPgto}) {
        if (query->Name() == name)
            return query;
    }
    return nullptr;
}

ngc::TDataSource *TfrmInfoPlanNeg::findDataSource(const QString &name) const
{
    auto *self = const_cast<TfrmInfoPlanNeg *>(this);
    ngc::TDataSource *const sources[] = {
        dtsPadrao,           &self->dtsPzoPgtItmCol, &self->dtsImpColet,  &self->dtsTipoCobr,
        &self->dtsPesqMarca, &self->dtsPesqFormPgto, &self->dtsPesqProd,  &self->dtsPesqMarcaDesc,
        &self->dtsPesqReg,   &self->dtsPesqForn,     &self->dtsFilialImp, &self->dtsDescImp,
    };
    for (ngc::TDataSource *source : sources) {
        if (source->Name() == name)
            return source;
    }
    return nullptr;
}

ngc::TField *TfrmInfoPlanNeg::findField(const QString &name) const
{
    // Dataset names may prefix one another (cdsPesqMarca, cdsPesqMarcaDesc): try every split.
    for (qsizetype split = 1; split < name.size(); ++split) {
        const QString dataSetName = name.left(split);
        if (!dataSetName.at(0).isLower() || !name.at(split).isUpper())
            continue;
        if (ngc::TClientDataSet *dataSet = findDataSet(dataSetName)) {
            if (ngc::TField *field = dataSet->FindField(name.mid(split)))
                return field;
        }
    }
    return nullptr;
}

void TfrmInfoPlanNeg::createConnections()
{
    netInfoPlanNeg = new ngc::TNetConnection(QStringLiteral("Ngc27451.rdmInfoPlanNeg"), this);
    netInfoPlanNeg->setObjectName(QStringLiteral("netInfoPlanNeg"));
    netInfoPlanNeg->SetThrowException(false);

    netSuprimentos = new ngc::TNetConnection(QStringLiteral("Ngc.rdmSuprimentos"), this);
    netSuprimentos->setObjectName(QStringLiteral("netSuprimentos"));
    netSuprimentos->SetThrowException(false);
}

// Host and port are asked of the host at every opening: it may have moved the server.
void TfrmInfoPlanNeg::netBeforeConnect(ngc::TNetConnection &sender)
{
    sender.SetHost(ngc::WebURL());
    sender.SetPort(ngc::WebPort());
}

// Binds every event of the connections, datasets and controls to its handler by name. Qt's own
// signals go through the platform's guard; the platform's controls and datasets guard their
// callers.
void TfrmInfoPlanNeg::wireEvents()
{
    using DataSet = ngc::TClientDataSet;
    using Field = ngc::TField;
    // A handler as the callback of an event, whatever the event's signature.
    const auto on = [this](auto handler) {
        return [this, handler](auto &&...args) {
            return (this->*handler)(std::forward<decltype(args)>(args)...);
        };
    };
    const auto guardedOn = [on](auto handler) {
        return [call = on(handler)] { ngc::guarded(call); };
    };

    netInfoPlanNeg->BeforeConnect = on(&TfrmInfoPlanNeg::netBeforeConnect);
    netSuprimentos->BeforeConnect = on(&TfrmInfoPlanNeg::netBeforeConnect);

    cdsItemCole.BeforeEdit = on(&TfrmInfoPlanNeg::cdsItemColeBeforeEdit);
    cdsItemCole.BeforePost = on(&TfrmInfoPlanNeg::cdsItemColeBeforePost);
    cdsItemCole.AfterPost = on(&TfrmInfoPlanNeg::cdsItemColeAfterPost);
    cdsItemCole.AfterCancel = on(&TfrmInfoPlanNeg::cdsItemColeAfterCancel);
    Field &tipoFormPgto = cdsItemCole.FieldByName(QStringLiteral("IDTPFOPGTCOL"));
    tipoFormPgto.OnGetText = on(&TfrmInfoPlanNeg::cdsItemColeIDTPFOPGTCOLGetText);
    tipoFormPgto.OnSetText = on(&TfrmInfoPlanNeg::cdsItemColeIDTPFOPGTCOLSetText);
    Field &tipoFrete = cdsItemCole.FieldByName(QStringLiteral("IDTIPFREITM"));
    tipoFrete.OnGetText = on(&TfrmInfoPlanNeg::cdsItemColeIDTIPFREITMGetText);
    tipoFrete.OnSetText = on(&TfrmInfoPlanNeg::cdsItemColeIDTIPFREITMSetText);

    cdsPzoPgtItmCol.BeforeInsert = on(&TfrmInfoPlanNeg::cdsPzoPgtItmColBeforeInsert);
    cdsPzoPgtItmCol.AfterInsert = on(&TfrmInfoPlanNeg::cdsPzoPgtItmColAfterInsert);
    cdsPzoPgtItmCol.BeforeEdit = on(&TfrmInfoPlanNeg::cdsPzoPgtItmColBeforeEdit);
    cdsPzoPgtItmCol.AfterEdit = on(&TfrmInfoPlanNeg::cdsPzoPgtItmColAfterEdit);
    cdsPzoPgtItmCol.BeforePost = on(&TfrmInfoPlanNeg::cdsPzoPgtItmColBeforePost);
    cdsPzoPgtItmCol.AfterPost = on(&TfrmInfoPlanNeg::cdsPzoPgtItmColAfterPost);
    cdsPzoPgtItmCol.AfterCancel = on(&TfrmInfoPlanNeg::cdsPzoPgtItmColAfterCancel);
    cdsPzoPgtItmCol.BeforeDelete = on(&TfrmInfoPlanNeg::cdsPzoPgtItmColBeforeDelete);
    cdsPzoPgtItmCol.AfterDelete = on(&TfrmInfoPlanNeg::cdsPzoPgtItmColAfterDelete);
    dtsPzoPgtItmCol.OnStateChange = on(&TfrmInfoPlanNeg::dtsPzoPgtItmColStateChange);

    cdsImpColet.BeforeInsert = on(&TfrmInfoPlanNeg::cdsImpColetBeforeInsert);
    cdsImpColet.BeforeEdit = on(&TfrmInfoPlanNeg::cdsImpColetBeforeEdit);
    cdsFilialImp.AfterScroll = on(&TfrmInfoPlanNeg::cdsFilialImpAfterScroll);
    cdsDescImp.OnFilterRecord = on(&TfrmInfoPlanNeg::cdsDescImpFilterRecord);
    // The lookup lists are never edited: they share the instalments' guards.
    for (DataSet *lookup : {&cdsTipoCobr, &cdsPesqMarca, &cdsSomaPerc}) {
        lookup->BeforeInsert = on(&TfrmInfoPlanNeg::cdsPzoPgtItmColBeforeInsert);
        lookup->BeforeEdit = on(&TfrmInfoPlanNeg::cdsPzoPgtItmColBeforeEdit);
    }
    cdsPesqForn.FieldByName(QStringLiteral("NRINSJURFORN")).OnGetText =
        on(&TfrmInfoPlanNeg::cdsPesqFornNRINSJURFORNGetText);

    pgcPadrao->OnChange = on(&TfrmInfoPlanNeg::pgcPadraoChange);
    connect(mnuDadosAdicionais, &QAction::triggered, this,
            guardedOn(&TfrmInfoPlanNeg::mnuDadosAdicionaisClick));
    connect(mnuFormaPagamento, &QAction::triggered, this,
            guardedOn(&TfrmInfoPlanNeg::mnuFormaPagamentoClick));
    connect(mnuImposto, &QAction::triggered, this, guardedOn(&TfrmInfoPlanNeg::mnuImpostoClick));

    dbdIniVal->OnDateChange = on(&TfrmInfoPlanNeg::dbdIniValDateChange);
    dbdIniVal->OnExit = on(&TfrmInfoPlanNeg::dbdIniValExit);
    dbdFimVal->OnDateChange = on(&TfrmInfoPlanNeg::dbdFimValDateChange);
    dbdFimVal->OnExit = on(&TfrmInfoPlanNeg::dbdFimValExit);
    dbeCdSegMarca->OnChange = on(&TfrmInfoPlanNeg::dbeCdSegMarcaChange);
    dbeCdSegMarca->OnExit = on(&TfrmInfoPlanNeg::dbeCdSegMarcaExit);
    btpPesqMarca->OnBeforePesq = on(&TfrmInfoPlanNeg::btpPesqMarcaBeforePesq);
    btpPesqMarca->OnAfterPesq = on(&TfrmInfoPlanNeg::btpPesqMarcaAfterPesq);
    dbeCdTipCob->OnChange = on(&TfrmInfoPlanNeg::dbeCdTipCobChange);
    dbeCdTipCob->OnExit = on(&TfrmInfoPlanNeg::dbeCdTipCobExit);
    btpTipoCobr->OnBeforePesq = on(&TfrmInfoPlanNeg::btpTipoCobrBeforePesq);
    btpTipoCobr->OnAfterPesq = on(&TfrmInfoPlanNeg::btpTipoCobrAfterPesq);
    dbeVrPerDesItm->OnChange = on(&TfrmInfoPlanNeg::dbeVrPerDesItmChange);
    dbeVrPerDesItm->OnExit = on(&TfrmInfoPlanNeg::dbeVrPerDesItmExit);
    dbeVrPerDesItm->OnKeyPress = on(&TfrmInfoPlanNeg::dbeVrPerDesItmKeyPress);
    nedValorDesc->OnChange = on(&TfrmInfoPlanNeg::nedValorDescChange);
    nedValorDesc->OnExit = on(&TfrmInfoPlanNeg::nedValorDescExit);
    nedValorDesc->OnKeyPress = on(&TfrmInfoPlanNeg::nedValorDescKeyPress);
    spePrEntr->OnChange = on(&TfrmInfoPlanNeg::spePrEntrChange);
    dcbFrete->OnChange = on(&TfrmInfoPlanNeg::dcbFreteChange);

    connect(chkDesconto, &QCheckBox::toggled, this, guardedOn(&TfrmInfoPlanNeg::chkDescontoClick));
    rdgProduto->OnClick = on(&TfrmInfoPlanNeg::rdgProdutoClick);
    rdgMarca->OnClick = on(&TfrmInfoPlanNeg::rdgMarcaClick);
    rdgRegiao->OnClick = on(&TfrmInfoPlanNeg::rdgRegiaoClick);
    rdgFornecedor->OnClick = on(&TfrmInfoPlanNeg::rdgFornecedorClick);
    sbtPesqProduto->OnClick = on(&TfrmInfoPlanNeg::sbtPesqProdutoClick);
    sbtPesqMarca->OnClick = on(&TfrmInfoPlanNeg::sbtPesqMarcaClick);
    sbtPesqRegiao->OnClick = on(&TfrmInfoPlanNeg::sbtPesqRegiaoClick);
    sbtPesqFornecedor->OnClick = on(&TfrmInfoPlanNeg::sbtPesqFornecedorClick);

    drgFormPgto->OnChange = on(&TfrmInfoPlanNeg::drgFormPgtoChange);
    panFormPgto->OnEnter = on(&TfrmInfoPlanNeg::panFormPgtoEnter);
    speDiaFixo->OnChange = on(&TfrmInfoPlanNeg::speDiaFixoChange);
    speParcela->OnChange = on(&TfrmInfoPlanNeg::speParcelaChange);
    dbeCdFormPgto->OnChange = on(&TfrmInfoPlanNeg::dbeCdFormPgtoChange);
    dbeCdFormPgto->OnExit = on(&TfrmInfoPlanNeg::dbeCdFormPgtoExit);
    dbeCdFormPgto->OnKeyDown = on(&TfrmInfoPlanNeg::dbeCdFormPgtoKeyDown);
    btpPesqFormPgto->OnBeforePesq = on(&TfrmInfoPlanNeg::btpPesqFormPgtoBeforePesq);
    btpPesqFormPgto->OnAfterPesq = on(&TfrmInfoPlanNeg::btpPesqFormPgtoAfterPesq);
    dbgPzoPgtItmCol->OnColExit = on(&TfrmInfoPlanNeg::dbgPzoPgtItmColColExit);
    dbgPzoPgtItmCol->OnEnter = on(&TfrmInfoPlanNeg::dbgPzoPgtItmColEnter);
    dbgPzoPgtItmCol->OnKeyDown = on(&TfrmInfoPlanNeg::dbgPzoPgtItmColKeyDown);
    dbgPzoPgtItmCol->OnKeyPress = on(&TfrmInfoPlanNeg::dbgPzoPgtItmColKeyPress);
}

void TfrmInfoPlanNeg::FormCreate()
{
    TfrmPadraoGrid::FormCreate();
    netInfoPlanNeg->Open();
    netSuprimentos->Open();
    boPrimeiraAtivacao = true;
    pgcPadrao->SetActivePage(tshDados);
    ngc::SetChildEnabled(drgFormPgto, ngc::ModuloAtiv() == moduloComercial);
    ngc::SetChildEnabled(grbCobranca, ngc::ModuloAtiv() == moduloComercial);
    ngc::SetChildEnabled(panPesqFormPgto, ngc::ModuloAtiv() == moduloComercial);
}

void TfrmInfoPlanNeg::FormClose(ngc::CloseAction &action)
{
    TfrmPadraoGrid::FormClose(action);
    netInfoPlanNeg->Close();
    netSuprimentos->Close();
}

} // namespace Cli_Ngc27451
