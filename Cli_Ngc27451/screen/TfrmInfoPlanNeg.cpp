#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

#include <host/HostServices.h>
#include <host/Routines.h>
#include <host/TMessages.h>
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
    create();
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
    if (name == qryMarca.Name())
        return &self->qryMarca.DataSet();
    if (name == qryPesqFormPgto.Name())
        return &self->qryPesqFormPgto.DataSet();
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
    netInfoPlanNeg->setThrowException(false);
    netInfoPlanNeg->setBeforeConnect(
        [this](ngc::TNetConnection &sender) { netInfoPlanNegBeforeConnect(sender); });

    netSuprimentos = new ngc::TNetConnection(QStringLiteral("Ngc.rdmSuprimentos"), this);
    netSuprimentos->setObjectName(QStringLiteral("netSuprimentos"));
    netSuprimentos->setThrowException(false);
    netSuprimentos->setBeforeConnect(
        [this](ngc::TNetConnection &sender) { netSuprimentosBeforeConnect(sender); });
}

// Host and port are asked of the host at every opening: it may have moved the server.
void TfrmInfoPlanNeg::netInfoPlanNegBeforeConnect(ngc::TNetConnection &sender)
{
    sender.SetHost(ngc::WebURL());
    sender.setPort(ngc::WebPort());
}

void TfrmInfoPlanNeg::netSuprimentosBeforeConnect(ngc::TNetConnection &sender)
{
    sender.SetHost(ngc::WebURL());
    sender.setPort(ngc::WebPort());
}

// Binds every event of the datasets and controls to its handler by name. Qt's own signals go
// through the platform's guard; the platform's controls and datasets guard their callers.
void TfrmInfoPlanNeg::wireEvents()
{
    using DataSet = ngc::TClientDataSet;
    using Field = ngc::TField;
    const auto on = [this](void (TfrmInfoPlanNeg::*handler)()) {
        return [this, handler] { (this->*handler)(); };
    };
    const auto onDataSet = [this](void (TfrmInfoPlanNeg::*handler)(DataSet &)) {
        return [this, handler](DataSet &dataSet) { (this->*handler)(dataSet); };
    };
    const auto onGetText = [this](void (TfrmInfoPlanNeg::*handler)(Field &, QString &, bool)) {
        return [this, handler](Field &sender, QString &text, bool displayText) {
            (this->*handler)(sender, text, displayText);
        };
    };
    const auto onSetText = [this](void (TfrmInfoPlanNeg::*handler)(Field &, const QString &)) {
        return
            [this, handler](Field &sender, const QString &text) { (this->*handler)(sender, text); };
    };
    const auto onKeyPress = [this](void (TfrmInfoPlanNeg::*handler)(QChar &)) {
        return [this, handler](QChar &key) { (this->*handler)(key); };
    };
    const auto onKeyDown = [this](void (TfrmInfoPlanNeg::*handler)(int &, Qt::KeyboardModifiers)) {
        return [this, handler](int &key, Qt::KeyboardModifiers shift) {
            (this->*handler)(key, shift);
        };
    };
    const auto onBeforePesq = [this](void (TfrmInfoPlanNeg::*handler)(bool &)) {
        return [this, handler](bool &proceed) { (this->*handler)(proceed); };
    };
    const auto onMenu = [this](QAction *item, void (TfrmInfoPlanNeg::*handler)()) {
        connect(item, &QAction::triggered, this,
                [this, handler] { ngc::guarded([this, handler] { (this->*handler)(); }); });
    };

    cdsItemCole.BeforeEdit = onDataSet(&TfrmInfoPlanNeg::cdsItemColeBeforeEdit);
    cdsItemCole.BeforePost = onDataSet(&TfrmInfoPlanNeg::cdsItemColeBeforePost);
    cdsItemCole.AfterPost = onDataSet(&TfrmInfoPlanNeg::cdsItemColeAfterPost);
    cdsItemCole.AfterCancel = onDataSet(&TfrmInfoPlanNeg::cdsItemColeAfterCancel);
    Field &tipoFormPgto = cdsItemCole.FieldByName(QStringLiteral("IDTPFOPGTCOL"));
    tipoFormPgto.OnGetText = onGetText(&TfrmInfoPlanNeg::cdsItemColeIDTPFOPGTCOLGetText);
    tipoFormPgto.OnSetText = onSetText(&TfrmInfoPlanNeg::cdsItemColeIDTPFOPGTCOLSetText);
    Field &tipoFrete = cdsItemCole.FieldByName(QStringLiteral("IDTIPFREITM"));
    tipoFrete.OnGetText = onGetText(&TfrmInfoPlanNeg::cdsItemColeIDTIPFREITMGetText);
    tipoFrete.OnSetText = onSetText(&TfrmInfoPlanNeg::cdsItemColeIDTIPFREITMSetText);

    cdsPzoPgtItmCol.BeforeInsert = onDataSet(&TfrmInfoPlanNeg::cdsPzoPgtItmColBeforeInsert);
    cdsPzoPgtItmCol.AfterInsert = onDataSet(&TfrmInfoPlanNeg::cdsPzoPgtItmColAfterInsert);
    cdsPzoPgtItmCol.BeforeEdit = onDataSet(&TfrmInfoPlanNeg::cdsPzoPgtItmColBeforeEdit);
    cdsPzoPgtItmCol.AfterEdit = onDataSet(&TfrmInfoPlanNeg::cdsPzoPgtItmColAfterEdit);
    cdsPzoPgtItmCol.BeforePost = onDataSet(&TfrmInfoPlanNeg::cdsPzoPgtItmColBeforePost);
    cdsPzoPgtItmCol.AfterPost = onDataSet(&TfrmInfoPlanNeg::cdsPzoPgtItmColAfterPost);
    cdsPzoPgtItmCol.AfterCancel = onDataSet(&TfrmInfoPlanNeg::cdsPzoPgtItmColAfterCancel);
    cdsPzoPgtItmCol.BeforeDelete = onDataSet(&TfrmInfoPlanNeg::cdsPzoPgtItmColBeforeDelete);
    cdsPzoPgtItmCol.AfterDelete = onDataSet(&TfrmInfoPlanNeg::cdsPzoPgtItmColAfterDelete);
    dtsPzoPgtItmCol.OnStateChange = [this](ngc::TDataSource &sender) {
        dtsPzoPgtItmColStateChange(sender);
    };

    cdsImpColet.BeforeInsert = onDataSet(&TfrmInfoPlanNeg::cdsImpColetBeforeInsert);
    cdsImpColet.BeforeEdit = onDataSet(&TfrmInfoPlanNeg::cdsImpColetBeforeEdit);
    cdsFilialImp.AfterScroll = onDataSet(&TfrmInfoPlanNeg::cdsFilialImpAfterScroll);
    cdsDescImp.OnFilterRecord = [this](DataSet &dataSet) {
        return cdsDescImpFilterRecord(dataSet);
    };
    // The lookup lists are never edited: they share the instalments' guards.
    for (DataSet *lookup : {&cdsTipoCobr, &cdsPesqMarca, &cdsSomaPerc}) {
        lookup->BeforeInsert = onDataSet(&TfrmInfoPlanNeg::cdsPzoPgtItmColBeforeInsert);
        lookup->BeforeEdit = onDataSet(&TfrmInfoPlanNeg::cdsPzoPgtItmColBeforeEdit);
    }
    cdsPesqForn.FieldByName(QStringLiteral("NRINSJURFORN")).OnGetText =
        onGetText(&TfrmInfoPlanNeg::cdsPesqFornNRINSJURFORNGetText);

    pgcPadrao->OnChange = on(&TfrmInfoPlanNeg::pgcPadraoChange);
    onMenu(mnuDadosAdicionais, &TfrmInfoPlanNeg::mnuDadosAdicionaisClick);
    onMenu(mnuFormaPagamento, &TfrmInfoPlanNeg::mnuFormaPagamentoClick);
    onMenu(mnuImposto, &TfrmInfoPlanNeg::mnuImpostoClick);

    dbdIniVal->OnDateChange = on(&TfrmInfoPlanNeg::dbdIniValDateChange);
    dbdIniVal->OnExit = on(&TfrmInfoPlanNeg::dbdIniValExit);
    dbdFimVal->OnDateChange = on(&TfrmInfoPlanNeg::dbdFimValDateChange);
    dbdFimVal->OnExit = on(&TfrmInfoPlanNeg::dbdFimValExit);
    dbeCdSegMarca->OnChange = on(&TfrmInfoPlanNeg::dbeCdSegMarcaChange);
    dbeCdSegMarca->OnExit = on(&TfrmInfoPlanNeg::dbeCdSegMarcaExit);
    btpPesqMarca->OnBeforePesq = onBeforePesq(&TfrmInfoPlanNeg::btpPesqMarcaBeforePesq);
    btpPesqMarca->OnAfterPesq = on(&TfrmInfoPlanNeg::btpPesqMarcaAfterPesq);
    dbeCdTipCob->OnChange = on(&TfrmInfoPlanNeg::dbeCdTipCobChange);
    dbeCdTipCob->OnExit = on(&TfrmInfoPlanNeg::dbeCdTipCobExit);
    btpTipoCobr->OnBeforePesq = onBeforePesq(&TfrmInfoPlanNeg::btpTipoCobrBeforePesq);
    btpTipoCobr->OnAfterPesq = on(&TfrmInfoPlanNeg::btpTipoCobrAfterPesq);
    dbeVrPerDesItm->OnChange = on(&TfrmInfoPlanNeg::dbeVrPerDesItmChange);
    dbeVrPerDesItm->OnExit = on(&TfrmInfoPlanNeg::dbeVrPerDesItmExit);
    dbeVrPerDesItm->OnKeyPress = onKeyPress(&TfrmInfoPlanNeg::dbeVrPerDesItmKeyPress);
    nedValorDesc->OnChange = on(&TfrmInfoPlanNeg::nedValorDescChange);
    nedValorDesc->OnExit = on(&TfrmInfoPlanNeg::nedValorDescExit);
    nedValorDesc->OnKeyPress = onKeyPress(&TfrmInfoPlanNeg::nedValorDescKeyPress);
    spePrEntr->OnChange = on(&TfrmInfoPlanNeg::spePrEntrChange);
    dcbFrete->OnChange = on(&TfrmInfoPlanNeg::dcbFreteChange);

    connect(chkDesconto, &QCheckBox::toggled, this,
            [this] { ngc::guarded([this] { chkDescontoClick(); }); });
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
    dbeCdFormPgto->OnKeyDown = onKeyDown(&TfrmInfoPlanNeg::dbeCdFormPgtoKeyDown);
    btpPesqFormPgto->OnBeforePesq = onBeforePesq(&TfrmInfoPlanNeg::btpPesqFormPgtoBeforePesq);
    btpPesqFormPgto->OnAfterPesq = on(&TfrmInfoPlanNeg::btpPesqFormPgtoAfterPesq);
    dbgPzoPgtItmCol->OnColExit = on(&TfrmInfoPlanNeg::dbgPzoPgtItmColColExit);
    dbgPzoPgtItmCol->OnEnter = on(&TfrmInfoPlanNeg::dbgPzoPgtItmColEnter);
    dbgPzoPgtItmCol->OnKeyDown = onKeyDown(&TfrmInfoPlanNeg::dbgPzoPgtItmColKeyDown);
    dbgPzoPgtItmCol->OnKeyPress = onKeyPress(&TfrmInfoPlanNeg::dbgPzoPgtItmColKeyPress);
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
    while (netInfoPlanNeg->Connected())
        netInfoPlanNeg->Close();
    while (netSuprimentos->Connected())
        netSuprimentos->Close();
}

} // namespace Cli_Ngc27451
