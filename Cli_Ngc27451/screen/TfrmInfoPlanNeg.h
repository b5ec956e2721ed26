#pragma once

#include <data/TClientDataSet.h>
#include <data/TDataSource.h>
#include <data/TField.h>
#include <frame/TfrmPadraoGrid.h>
#include <net/RemoteArg.h>
#include <widgets/TADOIBQuery.h>

#include <QJsonValue>
#include <QString>

#include <functional>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QScrollArea;
class QSplitter;

namespace ngc {
class TBtnPesquisa;
class TButtonFlat;
class TDBCheckBox;
class TDBComboBox;
class TDBDateEditPlus;
class TDBEdit;
class TDBGrid;
class TDBRadioGroup;
class TNetConnection;
class TNumberEdit;
class TPanel;
class TRadioGroup;
class TSpinEdit;
class TTabSheet;
} // namespace ngc

namespace Cli_Ngc27451 {

// "Informações da Planilha": the buyer completes the commercial conditions of one item of a
// price-collection sheet. Every component keeps its design name as objectName; the handlers are
// spread over one source file per subsystem folder.
class TfrmInfoPlanNeg final : public ngc::TfrmPadraoGrid {
    Q_OBJECT

public:
    // Builds every component and runs the creation handler; a failing creation throws and no
    // screen exists.
    explicit TfrmInfoPlanNeg(QWidget *parent = nullptr);
    ~TfrmInfoPlanNeg() override;

    // Launch keys, set by the module entry after creation and before the screen is shown; the
    // module entry is why they are public.
    QString stCdFilial;
    QString stNrColePreco;
    QString stCdForneced;
    QString stCdProduto;
    QString stChaveMarca;
    QString stCdMarca;
    QString stCdRegiao;
    QString stChaveComplementar;

    // Every component is private to the screen; a host, a tool or a test reaches it by its name:
    // controls, menu items and connections by objectName through findChild, datasets, data
    // sources and queries here, a field by dataset name plus field name
    // ("cdsItemColeVRPERDESITM"). A query's dataset is found under the query's name.
    ngc::TClientDataSet *findDataSet(const QString &name) const;
    ngc::TDataSource *findDataSource(const QString &name) const;
    ngc::TADOIBQuery *findQuery(const QString &name) const;
    ngc::TField *findField(const QString &name) const;

    // The control of this window that holds the input focus, also while a message box or the
    // progress window is up; an inner part of a composite control (a spin box's line edit, a
    // grid's cell editor) counts as the control itself. Null when no control has the focus.
    QWidget *ActiveControl() const;

private:
    ngc::TClientDataSet cdsItemCole{QStringLiteral("cdsItemCole")};
    ngc::TClientDataSet cdsPzoPgtItmCol{QStringLiteral("cdsPzoPgtItmCol")};
    ngc::TClientDataSet cdsImpColet{QStringLiteral("cdsImpColet")};
    ngc::TClientDataSet cdsFilialImp{QStringLiteral("cdsFilialImp")};
    ngc::TClientDataSet cdsDescImp{QStringLiteral("cdsDescImp")};
    ngc::TClientDataSet cdsParaSupri{QStringLiteral("cdsParaSupri")};
    ngc::TClientDataSet cdsTipoCobr{QStringLiteral("cdsTipoCobr")};
    ngc::TClientDataSet cdsPesqMarca{QStringLiteral("cdsPesqMarca")};
    ngc::TClientDataSet cdsSomaPerc{QStringLiteral("cdsSomaPerc")};
    ngc::TClientDataSet cdsVerif_PzoPgtItmCol{QStringLiteral("cdsVerif_PzoPgtItmCol")};
    ngc::TClientDataSet cdsMarcaAutoriz{QStringLiteral("cdsMarcaAutoriz")};
    ngc::TClientDataSet cdsVerif_ColeApr{QStringLiteral("cdsVerif_ColeApr")};
    ngc::TClientDataSet cdsPesqProd{QStringLiteral("cdsPesqProd")};
    ngc::TClientDataSet cdsPesqMarcaDesc{QStringLiteral("cdsPesqMarcaDesc")};
    ngc::TClientDataSet cdsPesqReg{QStringLiteral("cdsPesqReg")};
    ngc::TClientDataSet cdsPesqForn{QStringLiteral("cdsPesqForn")};

    // The lookups that read the host's shared database rather than the application server.
    ngc::TADOIBQuery qryMarca{QStringLiteral("qryMarca")};
    ngc::TADOIBQuery qryPesqFormPgto{QStringLiteral("qryPesqFormPgto")};

    ngc::TDataSource dtsPzoPgtItmCol{QStringLiteral("dtsPzoPgtItmCol")};
    ngc::TDataSource dtsImpColet{QStringLiteral("dtsImpColet")};
    ngc::TDataSource dtsTipoCobr{QStringLiteral("dtsTipoCobr")};
    ngc::TDataSource dtsPesqMarca{QStringLiteral("dtsPesqMarca")};
    ngc::TDataSource dtsPesqFormPgto{QStringLiteral("dtsPesqFormPgto")};
    ngc::TDataSource dtsPesqProd{QStringLiteral("dtsPesqProd")};
    ngc::TDataSource dtsPesqMarcaDesc{QStringLiteral("dtsPesqMarcaDesc")};
    ngc::TDataSource dtsPesqReg{QStringLiteral("dtsPesqReg")};
    ngc::TDataSource dtsPesqForn{QStringLiteral("dtsPesqForn")};
    ngc::TDataSource dtsFilialImp{QStringLiteral("dtsFilialImp")};
    ngc::TDataSource dtsDescImp{QStringLiteral("dtsDescImp")};

    ngc::TNetConnection *netInfoPlanNeg = nullptr;
    ngc::TNetConnection *netSuprimentos = nullptr;

    // Page "Dados Adicionais".
    ngc::TTabSheet *tshDados = nullptr;
    ngc::TPanel *panDados = nullptr;
    QScrollArea *scbDados = nullptr;
    QGroupBox *grbCobranca = nullptr;
    QGroupBox *grbValidade = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label1 = nullptr;
    ngc::TDBDateEditPlus *dbdIniVal = nullptr;
    QLineEdit *edtNmSem_Ini = nullptr;
    QLabel *Label2 = nullptr;
    ngc::TDBDateEditPlus *dbdFimVal = nullptr;
    QLineEdit *edtNmSem_Fin = nullptr;
    QLabel *lblSegMarca = nullptr;
    ngc::TDBEdit *dbeCdSegMarca = nullptr;
    ngc::TBtnPesquisa *btpPesqMarca = nullptr;
    ngc::TDBEdit *dbeNmSegMarca = nullptr;
    QLabel *lblCdTipCob = nullptr;
    ngc::TDBEdit *dbeCdTipCob = nullptr;
    ngc::TBtnPesquisa *btpTipoCobr = nullptr;
    ngc::TDBEdit *dbeNmTipoCobr = nullptr;
    QLabel *lblDesconto = nullptr;
    ngc::TDBEdit *dbeVrPerDesItm = nullptr;
    ngc::TNumberEdit *nedValorDesc = nullptr;
    QLabel *lblPrEntr = nullptr;
    ngc::TSpinEdit *spePrEntr = nullptr;
    QLabel *lblDias = nullptr;
    QLabel *lblFrete = nullptr;
    ngc::TDBComboBox *dcbFrete = nullptr;
    QLabel *Label4 = nullptr;
    ngc::TDBEdit *dbeValorFrete = nullptr;
    QGroupBox *grbDesconto = nullptr;
    QCheckBox *chkDesconto = nullptr;
    ngc::TRadioGroup *rdgProduto = nullptr;
    ngc::TRadioGroup *rdgMarca = nullptr;
    ngc::TRadioGroup *rdgRegiao = nullptr;
    ngc::TRadioGroup *rdgFornecedor = nullptr;
    ngc::TButtonFlat *sbtPesqProduto = nullptr;
    ngc::TButtonFlat *sbtPesqMarca = nullptr;
    ngc::TButtonFlat *sbtPesqRegiao = nullptr;
    ngc::TButtonFlat *sbtPesqFornecedor = nullptr;

    // Page "Forma de Pagamento".
    ngc::TTabSheet *tshFormPgto = nullptr;
    ngc::TPanel *panPgto = nullptr;
    QScrollArea *scbFormPgto = nullptr;
    ngc::TPanel *panFormPgto = nullptr;
    ngc::TDBRadioGroup *drgFormPgto = nullptr;
    ngc::TPanel *panPesqFormPgto = nullptr;
    ngc::TSpinEdit *speDiaFixo = nullptr;
    QLabel *lblCom = nullptr;
    ngc::TSpinEdit *speParcela = nullptr;
    QLabel *lblParcelas = nullptr;
    QLabel *lblParenteses = nullptr;
    ngc::TDBCheckBox *dckIdUtDiaPgCol = nullptr;
    ngc::TDBEdit *dbeCdFormPgto = nullptr;
    ngc::TBtnPesquisa *btpPesqFormPgto = nullptr;
    ngc::TDBEdit *dbeNmFormPgto = nullptr;
    ngc::TDBGrid *dbgPzoPgtItmCol = nullptr;

    // Page "Imposto" by branch.
    ngc::TTabSheet *tshImpostoItem = nullptr;
    QSplitter *Splitter1 = nullptr;
    ngc::TPanel *panFilialImp = nullptr;
    ngc::TDBGrid *dbgFilialImp = nullptr;
    ngc::TPanel *panDescImp = nullptr;
    ngc::TDBGrid *dbgDescImp = nullptr;

    // Page items of the operation menu.
    QAction *mnuDadosAdicionais = nullptr;
    QAction *mnuFormaPagamento = nullptr;
    QAction *mnuImposto = nullptr;
    QAction *N1 = nullptr;

    // Lifecycle.
    void FormCreate() override;
    void FormActivate() override;
    void FormClose(ngc::CloseAction &action) override;
    // The before-connect handler of both connections, netInfoPlanNeg and netSuprimentos.
    void netBeforeConnect(ngc::TNetConnection &sender);

    // Toolbar, menu and page navigation; saving.
    void BarraFerramenta();
    void dtsPadraoStateChange() override;
    void sbtIncluirClick() override;
    void sbtAlterarClick() override;
    void sbtExcluirClick() override;
    void sbtProcurarClick() override;
    void sbtVerificarClick() override;
    void sbtCancelarClick() override;
    void sbtConfirmarClick() override;
    void pgcPadraoChange();
    void mnuDadosAdicionaisClick();
    void mnuFormaPagamentoClick();
    void mnuImpostoClick();
    void cdsItemColeBeforeEdit(ngc::TClientDataSet &dataSet);
    void cdsItemColeBeforePost(ngc::TClientDataSet &dataSet);
    void cdsItemColeAfterPost(ngc::TClientDataSet &dataSet);
    void cdsItemColeAfterCancel(ngc::TClientDataSet &dataSet);
    void cdsImpColetBeforeInsert(ngc::TClientDataSet &dataSet);
    void cdsImpColetBeforeEdit(ngc::TClientDataSet &dataSet);

    // Payment form and instalments.
    void cdsItemColeIDTPFOPGTCOLGetText(ngc::TField &sender, QString &text, bool displayText);
    void cdsItemColeIDTPFOPGTCOLSetText(ngc::TField &sender, const QString &text);
    void drgFormPgtoChange();
    void panFormPgtoEnter();
    void speDiaFixoChange();
    void speParcelaChange();
    void dbeCdFormPgtoChange();
    void dbeCdFormPgtoExit();
    void dbeCdFormPgtoKeyDown(int &key, Qt::KeyboardModifiers shift);
    void btpPesqFormPgtoBeforePesq(bool &proceed);
    void btpPesqFormPgtoAfterPesq();
    void cdsPzoPgtItmColBeforeInsert(ngc::TClientDataSet &dataSet);
    void cdsPzoPgtItmColAfterInsert(ngc::TClientDataSet &dataSet);
    void cdsPzoPgtItmColBeforeEdit(ngc::TClientDataSet &dataSet);
    void cdsPzoPgtItmColAfterEdit(ngc::TClientDataSet &dataSet);
    void cdsPzoPgtItmColBeforePost(ngc::TClientDataSet &dataSet);
    void cdsPzoPgtItmColAfterPost(ngc::TClientDataSet &dataSet);
    void cdsPzoPgtItmColAfterCancel(ngc::TClientDataSet &dataSet);
    void cdsPzoPgtItmColBeforeDelete(ngc::TClientDataSet &dataSet);
    void cdsPzoPgtItmColAfterDelete(ngc::TClientDataSet &dataSet);
    void dtsPzoPgtItmColStateChange(ngc::TDataSource &sender);
    void dbgPzoPgtItmColColExit();
    void dbgPzoPgtItmColEnter();
    void dbgPzoPgtItmColKeyDown(int &key, Qt::KeyboardModifiers shift);
    void dbgPzoPgtItmColKeyPress(QChar &key);

    // Commercial conditions: lookups, validity and freight, discount, replication.
    void dbeCdTipCobChange();
    void dbeCdTipCobExit();
    void btpTipoCobrBeforePesq(bool &proceed);
    void btpTipoCobrAfterPesq();
    void dbeCdSegMarcaChange();
    void dbeCdSegMarcaExit();
    void btpPesqMarcaBeforePesq(bool &proceed);
    void btpPesqMarcaAfterPesq();
    void dbdIniValDateChange();
    void dbdFimValDateChange();
    void dbdIniValExit();
    void dbdFimValExit();
    void spePrEntrChange();
    void cdsItemColeIDTIPFREITMGetText(ngc::TField &sender, QString &text, bool displayText);
    void cdsItemColeIDTIPFREITMSetText(ngc::TField &sender, const QString &text);
    void dcbFreteChange();
    void dbeVrPerDesItmChange();
    void dbeVrPerDesItmExit();
    void dbeVrPerDesItmKeyPress(QChar &key);
    void nedValorDescChange();
    void nedValorDescExit();
    void nedValorDescKeyPress(QChar &key);
    void chkDescontoClick();
    void rdgProdutoClick();
    void rdgMarcaClick();
    void rdgRegiaoClick();
    void rdgFornecedorClick();
    void sbtPesqProdutoClick();
    void sbtPesqMarcaClick();
    void sbtPesqRegiaoClick();
    void sbtPesqFornecedorClick();
    void cdsPesqFornNRINSJURFORNGetText(ngc::TField &sender, QString &text, bool displayText);

    // Taxes.
    void cdsFilialImpAfterScroll(ngc::TClientDataSet &dataSet);
    bool cdsDescImpFilterRecord(ngc::TClientDataSet &dataSet);

    // Loading from the server and the check that the collection still accepts changes.
    void AtualizaItemCole();
    void AtualizaPzoPgtItmCol();
    void AtualizaImpostos();
    void Verifica_Cotacao();

    // Checks the save runs in their fixed order; each shows its message, moves the focus to the
    // offending control and ends the save with a silent abort.
    void Vd_Marca();
    void vd_Validade();
    void Vd_Cobranca();
    void Vd_CdFormPgto(bool obrigatorio);
    void Vd_PzoPgtItmCol();
    void Vd_Desconto();
    void Vd_Valor_Desc();
    void Vd_PesqProd();
    void Vd_PesqMarca();
    void Vd_PesqRegiao();
    void Vd_PesqForn();

    void createDataSets();
    void createConnections();
    void createPageDados();
    void createPageFormPgto();
    void createPageImpostoItem();
    void adjustFrame();
    void setTabOrders();
    void wireEvents();
    void fillCatalog();
    bool boPrimeiraAtivacao = true;

    // The six item keys as every item method takes them, each by reference.
    ngc::RemoteArgs ChavesItem();
    // Verificar's re-reads, under the progress window.
    void RelerItemCole();
    void RelerPzoPgtItmCol();
    // Sends the item's unsent change with the null-field list and the replication choices.
    void EnviaItemCole();
    // The null-field list of the last save: null, or the names of the item's null fields.
    QJsonValue vaCamposNulos;

    // Payment page: the checks of one instalment, which fail with the page in front and the
    // focus in the offending cell; sending the instalments' unsent changes; tying a change of
    // the instalments to the item's edit; the spin edits' correction while they are typed into;
    // the launch keys written into a new item or instalment.
    void Vd_PrazoPgto(bool obrigatorio);
    void Vd_Percentual(bool obrigatorio);
    void VerificaCelulaParcela(const QString &fieldName, bool obrigatorio, const QString &vazioKey,
                               const std::function<void(const ngc::TField &)> &check);
    void EnviaPzoPgtItmCol();
    void EditaItemPelaParcela();
    void AjustaSpin(ngc::TSpinEdit *spin, int maximo);
    void GravaChavesItem(ngc::TClientDataSet &dataSet) const;

    // The conditions page ("Dados Adicionais"): lookups, validity, discount and replication.
    // Runs one of the page's checks; when it fails, the page comes to front with the focus on the
    // control foco names at that moment, and the failure passes on.
    void VerificaDados(QWidget *const &foco, const std::function<void()> &check);
    // The item record is in edit or insert state.
    bool ItemEditando() const;
    // Brands are looked up among all registered brands (IDPROSEMMAR "S"), not the product's.
    bool ProcuraSemMarca() const;
    // The lookups of a code, or of every row with the marker "T".
    void CarregaTipoCobr(const QString &codigo, const QString &todos);
    void CarregaPesqMarca(const QString &codigo, const QString &todos);
    void AbreQryMarca(const QString &codigo, const QString &todos);
    // The discount amount of a percentage of the unit price, rounded to cents.
    double ValorDoPercentual(double percentual) const;
    // Shows in nedValorDesc the amount of the percentage dbeVrPerDesItm shows (nothing above 100).
    void MostraValorDesconto();
    // The replication dimensions, indexed product, brand, region, supplier.
    struct Dimensao;
    static const Dimensao &DimensaoReplicacao(int dimensao);
    void EscolhaReplicacao(int dimensao);
    void PesquisaReplicacao(int dimensao);
    void VerificaReplicacao(int dimensao);
};

} // namespace Cli_Ngc27451
