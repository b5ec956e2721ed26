#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

#include <services/Routines.h>
#include <widgets/SystemColor.h>
#include <widgets/TBtnPesquisa.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TDBCheckBox.h>
#include <widgets/TDBComboBox.h>
#include <widgets/TDBDateEditPlus.h>
#include <widgets/TDBEdit.h>
#include <widgets/TDBGrid.h>
#include <widgets/TDBNavigator.h>
#include <widgets/TDBRadioGroup.h>
#include <widgets/TNumberEdit.h>
#include <widgets/TPageControl.h>
#include <widgets/TPanel.h>
#include <widgets/TRadioGroup.h>
#include <widgets/TSpinEdit.h>
#include <widgets/TTabSheet.h>

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QSplitter>
#include <QTabBar>
#include <QVBoxLayout>

#include <utility>

namespace Cli_Ngc27451 {

namespace {

using ngc::SystemColor;

QString text(const char16_t *utf16)
{
    return QString::fromUtf16(utf16);
}

template <class W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// The platform's controls take their name at construction.
template <class W>
W *control(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *widget = new W(parent, QLatin1String(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

// A label sizes itself to its caption unless the layout fixes its width.
QLabel *label(QWidget *parent, const char *name, const QString &caption, int left, int top,
              int width = 0, int height = 13)
{
    auto *lbl = named(new QLabel(caption, parent), name);
    if (width > 0) {
        lbl->setGeometry(left, top, width, height);
    } else {
        lbl->adjustSize();
        lbl->setGeometry(left, top, lbl->width(), height);
    }
    return lbl;
}

QLineEdit *plainEdit(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *edit = named(new QLineEdit(parent), name);
    edit->setGeometry(left, top, width, height);
    return edit;
}

void setBold(QWidget *widget, bool bold)
{
    QFont font = widget->font();
    font.setBold(bold);
    widget->setFont(font);
}

// Grey, read-only and out of reach: the name shown beside a code.
void nameDisplay(ngc::TDBEdit *edit)
{
    edit->SetReadOnly(true);
    edit->setEnabled(false);
    ngc::SetColor(edit, SystemColor::BtnFace);
}

ngc::TDBEdit *boundEdit(QWidget *parent, const char *name, int left, int top, int width,
                        ngc::TDataSource *source, const char *field)
{
    auto *edit = control<ngc::TDBEdit>(parent, name, left, top, width, 21);
    edit->SetDataSource(source);
    edit->SetDataField(QLatin1String(field));
    return edit;
}

ngc::TBtnPesquisa *lookupButton(QWidget *parent, const char *name, int left, int top,
                                const QString &title, QLineEdit *associate,
                                ngc::TDataSource *source)
{
    auto *button = control<ngc::TBtnPesquisa>(parent, name, left, top, 21, 21);
    button->setToolTip(QStringLiteral("Pesquisar"));
    button->SetTitle(title);
    button->SetAssociate(associate);
    button->SetDataSource(source);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

ngc::TSpinEdit *spinEdit(QWidget *parent, const char *name, int left, int top, int width,
                         int minValue, int maxValue)
{
    auto *spin = control<ngc::TSpinEdit>(parent, name, left, top, width, 22);
    spin->SetMinValue(minValue);
    spin->SetMaxValue(maxValue);
    spin->SetMaxLength(2);
    spin->SetValue(minValue);
    return spin;
}

ngc::TDBDateEditPlus *dateEdit(QWidget *parent, const char *name, int left,
                               ngc::TDataSource *source, const char *field)
{
    auto *edit = control<ngc::TDBDateEditPlus>(parent, name, left, 16, 100, 21);
    edit->SetDataSource(source);
    edit->SetDataField(QLatin1String(field));
    edit->SetWeekDayNames({text(u"Domingo"), text(u"Segunda"), text(u"Terça"), text(u"Quarta"),
                           text(u"Quinta"), text(u"Sexta"), text(u"Sábado")});
    edit->SetValidDateColor(Qt::blue);
    ngc::SetColor(edit, SystemColor::InfoBk);
    edit->setEnabled(false);
    return edit;
}

// The week-day name beside a date. Only the date's change handler writes it: enabling the charge
// group for the commercial module, or the validity group, must not open it to typing.
QLineEdit *weekDayDisplay(QWidget *parent, const char *name, int left)
{
    QLineEdit *edit = plainEdit(parent, name, left, 16, 40, 21);
    edit->setReadOnly(true);
    ngc::SetColor(edit, SystemColor::BtnFace);
    ngc::SetDisplayOnly(edit);
    return edit;
}

ngc::TRadioGroup *replicationGroup(QWidget *parent, const char *name, const QString &caption,
                                   int left)
{
    auto *group = control<ngc::TRadioGroup>(parent, name, left, 20, 116, 97);
    group->setTitle(caption);
    group->SetItems({QStringLiteral("Mesmo"), QStringLiteral("Todos"), QStringLiteral("Lista")});
    group->SetItemIndex(0);
    setBold(group, true);
    return group;
}

// The choice group beside it opens its list from the keyboard.
ngc::TButtonFlat *searchButton(ngc::TRadioGroup *group, const char *name, int left)
{
    auto *button = control<ngc::TButtonFlat>(group->parentWidget(), name, left, 88, 21, 21);
    button->SetKeyControl(group);
    button->setToolTip(QStringLiteral("Pesquisar"));
    button->setText(QStringLiteral("..."));
    button->setFocusPolicy(Qt::NoFocus);
    button->setEnabled(false);
    button->raise();
    return button;
}

// A lowered panel filling its parent; border is the blank band inside its bevel.
ngc::TPanel *fillingPanel(QWidget *parent, const char *name, int border)
{
    auto *panel = new ngc::TPanel(parent, QLatin1String(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setContentsMargins(border, border, border, border);
    auto *layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel);
    return panel;
}

QScrollArea *scrollBox(QWidget *parent, const char *name)
{
    auto *box = named(new QScrollArea(parent), name);
    box->setFrameStyle(QFrame::NoFrame);
    box->setWidgetResizable(true);
    auto *layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box);
    return box;
}

ngc::TDBGrid *grid(QWidget *parent, const char *name, ngc::TDataSource *source,
                   const QList<ngc::TColumn> &columns)
{
    auto *dbg = new ngc::TDBGrid(parent, QLatin1String(name));
    dbg->SetDataSource(source);
    dbg->SetColumns(columns);
    return dbg;
}

ngc::TColumn column(const char *field, int width = 0)
{
    ngc::TColumn col;
    col.FieldName = QLatin1String(field);
    col.Width = width;
    return col;
}

// The focusable controls of a tab stop, in the chain Qt already keeps for them.
QList<QWidget *> tabStops(QWidget *control)
{
    QList<QWidget *> stops;
    if (control->focusPolicy() & Qt::TabFocus)
        stops.append(control);
    for (QWidget *next = control->nextInFocusChain(); next && next != control;
         next = next->nextInFocusChain()) {
        if (control->isAncestorOf(next) && (next->focusPolicy() & Qt::TabFocus) &&
            !stops.contains(next))
            stops.append(next);
    }
    return stops;
}

} // namespace

void TfrmInfoPlanNeg::adjustFrame()
{
    setWindowTitle(text(u"Informações da Planilha"));
    // Where the host's bitmap font is missing, a condensed sans keeps the captions within the
    // widths the layout gives them.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("DejaVu Sans Condensed"),
                                QStringLiteral("Liberation Sans Narrow"),
                                QStringLiteral("DejaVu Sans")});
    QFont base(QStringLiteral("MS Sans Serif"));
    base.setStyleHint(QFont::SansSerif);
    // Eight points at 96 dots per inch: an 11-pixel em, a line 13 pixels high.
    base.setPixelSize(11);
    setFont(base);

    lblCodTela->setText(QStringLiteral("NGC27451"));
    lblCodTela->resize(52, lblCodTela->height());
    panMenu->resize(524, panMenu->height());
    sbtImprimir->setEnabled(false);
    pgcPadrao->setGeometry(pgcPadrao->x(), pgcPadrao->y(), 524, 360);
    panNavigator->setGeometry(panNavigator->x(), 388, 524, panNavigator->height());
    dbnPadrao->SetDataSource(&dtsImpColet);
    dbnPadrao->setEnabled(false);

    tshPadrao->SetCaption(QStringLiteral("Imposto"));
    dbgPadrao->SetDataSource(&dtsImpColet);
    dbgPadrao->SetReadOnly(true);
    dbgPadrao->SetColumns({column("NMIMPOSTO"), column("VRALIQIMPCOL"), column("VRIMPCOLETA")});

    mnuDadosAdicionais =
        named(new QAction(QStringLiteral("&Dados Adicionais"), this), "mnuDadosAdicionais");
    mnuDadosAdicionais->setCheckable(true);
    mnuDadosAdicionais->setChecked(true);
    mnuFormaPagamento =
        named(new QAction(QStringLiteral("&Forma de Pagamento"), this), "mnuFormaPagamento");
    mnuFormaPagamento->setCheckable(true);
    mnuImposto = named(new QAction(QStringLiteral("Im&posto"), this), "mnuImposto");
    mnuImposto->setCheckable(true);
    N1 = named(new QAction(QStringLiteral("-"), this), "N1");
    N1->setSeparator(true);
    mnuOperacao->insertActions(mnuOperacao->actions().value(0),
                               {mnuDadosAdicionais, mnuFormaPagamento, mnuImposto, N1});
    mnuListagem->setEnabled(false);
    mnuConfigImpressora->setEnabled(false);
    for (QAction *item : {mnuIncluir, mnuAlterar, mnuExcluir, mnuProcurar, mnuVerificar, mnuLinha3,
                          mnuCancelar, mnuConfirmar})
        item->setEnabled(false);
}

void TfrmInfoPlanNeg::createPageDados()
{
    tshDados = new ngc::TTabSheet(pgcPadrao, QStringLiteral("Dados Adicionais"),
                                  QStringLiteral("tshDados"));
    panDados = fillingPanel(tshDados, "panDados", 2);
    scbDados = scrollBox(panDados, "scbDados");
    auto *content = new QWidget;
    content->setMinimumSize(505, 323);
    scbDados->setWidget(content);

    grbCobranca = named(new QGroupBox(content), "grbCobranca");
    grbCobranca->setGeometry(4, 1, 501, 190);
    setBold(grbCobranca, true);

    grbValidade = named(new QGroupBox(grbCobranca), "grbValidade");
    grbValidade->setGeometry(6, 9, 489, 44);
    // The group's title is a label laid over its top edge.
    Label3 = label(grbCobranca, "Label3", QStringLiteral("Validade"), 14, 3);
    Label3->setAutoFillBackground(true);
    Label1 = label(grbValidade, "Label1", QStringLiteral("Data Inicial"), 8, 19);
    dbdIniVal = dateEdit(grbValidade, "dbdIniVal", 78, dtsPadrao, "DTINIVALITM");
    edtNmSem_Ini = weekDayDisplay(grbValidade, "edtNmSem_Ini", 186);
    Label2 = label(grbValidade, "Label2", QStringLiteral("Data Final"), 242, 19);
    dbdFimVal = dateEdit(grbValidade, "dbdFimVal", 307, dtsPadrao, "DTFINVALITM");
    edtNmSem_Fin = weekDayDisplay(grbValidade, "edtNmSem_Fin", 414);

    lblSegMarca = label(grbCobranca, "lblSegMarca", text(u"2ª Marca"), 6, 61, 102);
    dbeCdSegMarca = boundEdit(grbCobranca, "dbeCdSegMarca", 118, 58, 55, dtsPadrao, "CDSEGMARCCOL");
    btpPesqMarca = lookupButton(grbCobranca, "btpPesqMarca", 178, 58, QStringLiteral("Marca"),
                                dbeCdSegMarca, &dtsPesqMarca);
    dbeNmSegMarca = boundEdit(grbCobranca, "dbeNmSegMarca", 205, 58, 288, dtsPadrao, "NMMARCA");
    nameDisplay(dbeNmSegMarca);

    lblCdTipCob = label(grbCobranca, "lblCdTipCob", text(u"Tipo de Cobrança"), 6, 86, 102);
    dbeCdTipCob = boundEdit(grbCobranca, "dbeCdTipCob", 118, 83, 55, dtsPadrao, "CDTIPCOB");
    btpTipoCobr = lookupButton(grbCobranca, "btpTipoCobr", 178, 83, text(u"Tipo de Cobrança"),
                               dbeCdTipCob, &dtsTipoCobr);
    dbeNmTipoCobr = boundEdit(grbCobranca, "dbeNmTipoCobr", 205, 83, 288, dtsPadrao, "NMTIPOCOBR");
    nameDisplay(dbeNmTipoCobr);

    lblDesconto = label(grbCobranca, "lblDesconto", QStringLiteral("Desconto(%)"), 6, 111, 102);
    dbeVrPerDesItm =
        boundEdit(grbCobranca, "dbeVrPerDesItm", 118, 108, 55, dtsPadrao, "VRPERDESITM");
    nedValorDesc = control<ngc::TNumberEdit>(grbCobranca, "nedValorDesc", 179, 108, 80, 21);
    nedValorDesc->SetDecimals(2);

    lblPrEntr = label(grbCobranca, "lblPrEntr", QStringLiteral("Prazo de Entrega"), 6, 136, 102);
    spePrEntr = spinEdit(grbCobranca, "spePrEntr", 118, 133, 40, 0, 99);
    lblDias = label(grbCobranca, "lblDias", QStringLiteral("dia(s)"), 163, 136, 32);

    lblFrete = label(grbCobranca, "lblFrete", QStringLiteral("Frete"), 6, 161, 102);
    dcbFrete = control<ngc::TDBComboBox>(grbCobranca, "dcbFrete", 118, 158, 80, 21);
    dcbFrete->SetItems({QStringLiteral("CIF"), QStringLiteral("FOB"), QStringLiteral("FOT"),
                        QStringLiteral("FOR"), QStringLiteral("<nenhum>")});
    dcbFrete->SetDataSource(dtsPadrao);
    dcbFrete->SetDataField(QStringLiteral("IDTIPFREITM"));
    Label4 =
        label(grbCobranca, "Label4", QStringLiteral("Valor Frete do Fornecedor"), 216, 161, 149);
    setBold(Label4, false);
    dbeValorFrete =
        boundEdit(grbCobranca, "dbeValorFrete", 371, 157, 121, dtsPadrao, "VRFRETEFORN");
    setBold(dbeValorFrete, false);

    grbDesconto = named(new QGroupBox(content), "grbDesconto");
    grbDesconto->setGeometry(4, 197, 501, 126);
    rdgProduto = replicationGroup(grbDesconto, "rdgProduto", QStringLiteral("Produto"), 14);
    rdgMarca = replicationGroup(grbDesconto, "rdgMarca", QStringLiteral("Marca"), 132);
    rdgRegiao = replicationGroup(grbDesconto, "rdgRegiao", text(u"Região"), 250);
    rdgFornecedor =
        replicationGroup(grbDesconto, "rdgFornecedor", QStringLiteral("Fornecedor"), 369);
    sbtPesqProduto = searchButton(rdgProduto, "sbtPesqProduto", 76);
    sbtPesqMarca = searchButton(rdgMarca, "sbtPesqMarca", 189);
    sbtPesqRegiao = searchButton(rdgRegiao, "sbtPesqRegiao", 311);
    sbtPesqFornecedor = searchButton(rdgFornecedor, "sbtPesqFornecedor", 430);
    // The check box is the group's title, laid over its top edge.
    chkDesconto = named(new QCheckBox(QStringLiteral("Replicar Desconto"), content), "chkDesconto");
    chkDesconto->setGeometry(8, 194, 129, 17);
    chkDesconto->setAutoFillBackground(true);
    setBold(chkDesconto, true);
    chkDesconto->raise();
}

void TfrmInfoPlanNeg::createPageFormPgto()
{
    tshFormPgto = new ngc::TTabSheet(pgcPadrao, QStringLiteral("Forma de Pagamento"),
                                     QStringLiteral("tshFormPgto"));
    panPgto = fillingPanel(tshFormPgto, "panPgto", 0);
    scbFormPgto = scrollBox(panPgto, "scbFormPgto");
    auto *content = new QWidget;
    auto *rows = new QVBoxLayout(content);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    scbFormPgto->setWidget(content);

    panFormPgto = new ngc::TPanel(content, QStringLiteral("panFormPgto"));
    panFormPgto->setFrameStyle(QFrame::NoFrame);
    panFormPgto->setFixedHeight(95);
    rows->addWidget(panFormPgto);

    drgFormPgto = control<ngc::TDBRadioGroup>(panFormPgto, "drgFormPgto", 3, -1, 502, 92);
    drgFormPgto->SetItems({QStringLiteral("Sem Forma de Pagamento"),
                           QStringLiteral("Pagamento Fixo no Dia"),
                           QStringLiteral("Pela Forma de Pagamento")});
    drgFormPgto->SetValues({QStringLiteral("X"), QStringLiteral("F"), QStringLiteral("V")});
    drgFormPgto->SetDataSource(dtsPadrao);
    drgFormPgto->SetDataField(QStringLiteral("IDTPFOPGTCOL"));
    setBold(drgFormPgto, true);

    panPesqFormPgto = control<ngc::TPanel>(panFormPgto, "panPesqFormPgto", 184, 36, 316, 51);
    panPesqFormPgto->setFrameStyle(QFrame::NoFrame);
    panPesqFormPgto->raise();
    speDiaFixo = spinEdit(panPesqFormPgto, "speDiaFixo", 4, 5, 45, 1, 31);
    speDiaFixo->setEnabled(false);
    lblCom = label(panPesqFormPgto, "lblCom", QStringLiteral("com"), 52, 8);
    setBold(lblCom, true);
    lblCom->adjustSize();
    speParcela = spinEdit(panPesqFormPgto, "speParcela", 79, 5, 45, 1, 99);
    speParcela->setEnabled(false);
    lblParcelas = label(panPesqFormPgto, "lblParcelas", QStringLiteral("parcela(s)"), 127, 8);
    setBold(lblParcelas, true);
    lblParcelas->adjustSize();
    lblParenteses = label(panPesqFormPgto, "lblParenteses", QStringLiteral("("), 190, 8);
    setBold(lblParenteses, true);
    lblParenteses->adjustSize();
    lblParenteses->setEnabled(false);
    dckIdUtDiaPgCol =
        control<ngc::TDBCheckBox>(panPesqFormPgto, "dckIdUtDiaPgCol", 198, 7, 121, 17);
    dckIdUtDiaPgCol->setText(text(u"1ª Próximo mês )"));
    dckIdUtDiaPgCol->SetValueChecked(QStringLiteral("E"));
    dckIdUtDiaPgCol->SetValueUnchecked(QStringLiteral("I"));
    dckIdUtDiaPgCol->SetDataSource(dtsPadrao);
    dckIdUtDiaPgCol->SetDataField(QStringLiteral("IDUTDIAPGCOL"));
    setBold(dckIdUtDiaPgCol, true);
    dbeCdFormPgto = boundEdit(panPesqFormPgto, "dbeCdFormPgto", 4, 30, 25, dtsPadrao, "CDFORMPGTO");
    ngc::SetColor(dbeCdFormPgto, SystemColor::InfoBk);
    dbeCdFormPgto->setEnabled(false);
    btpPesqFormPgto =
        lookupButton(panPesqFormPgto, "btpPesqFormPgto", 33, 30,
                     QStringLiteral("Forma de Pagamento"), dbeCdFormPgto, &dtsPesqFormPgto);
    btpPesqFormPgto->setEnabled(false);
    dbeNmFormPgto =
        boundEdit(panPesqFormPgto, "dbeNmFormPgto", 59, 30, 255, dtsPadrao, "NMFORMPGTO");
    nameDisplay(dbeNmFormPgto);
    // The commercial module enables the panel with all it holds; the name is still no stop.
    dbeNmFormPgto->setFocusPolicy(Qt::NoFocus);

    ngc::TColumn percent = column("VRPERCPGTCOL");
    percent.TitleAlignment = Qt::AlignRight | Qt::AlignVCenter;
    dbgPzoPgtItmCol =
        grid(content, "dbgPzoPgtItmCol", &dtsPzoPgtItmCol, {column("NRDIASPGTCOL"), percent});
    dbgPzoPgtItmCol->SetConfirmDelete(true);
    dbgPzoPgtItmCol->setTabKeyNavigation(true);
    ngc::SetColor(dbgPzoPgtItmCol, SystemColor::InfoBk);
    rows->addWidget(dbgPzoPgtItmCol, 1);

    // The standard grid page comes third, after the two pages of the item.
    pgcPadrao->tabBar()->moveTab(tshPadrao->PageIndex(), 2);
}

void TfrmInfoPlanNeg::createPageImpostoItem()
{
    tshImpostoItem =
        new ngc::TTabSheet(pgcPadrao, QStringLiteral("Imposto"), QStringLiteral("tshImpostoItem"));
    auto *layout = new QVBoxLayout(tshImpostoItem);
    layout->setContentsMargins(0, 0, 0, 0);
    Splitter1 = named(new QSplitter(Qt::Vertical, tshImpostoItem), "Splitter1");
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);
    layout->addWidget(Splitter1);

    panFilialImp = new ngc::TPanel(Splitter1, QStringLiteral("panFilialImp"));
    panFilialImp->setFrameStyle(QFrame::NoFrame);
    dbgFilialImp = grid(panFilialImp, "dbgFilialImp", &dtsFilialImp,
                        {column("CDFILIAL", 57), column("NMFILIAL", 381)});
    panDescImp = new ngc::TPanel(Splitter1, QStringLiteral("panDescImp"));
    panDescImp->setFrameStyle(QFrame::NoFrame);
    dbgDescImp =
        grid(panDescImp, "dbgDescImp", &dtsDescImp,
             {column("NMIMPOSTO", 271), column("VRPERCALIQUOTA", 76), column("VRIMPOSTO", 77)});
    const std::pair<ngc::TPanel *, ngc::TDBGrid *> grids[] = {{panFilialImp, dbgFilialImp},
                                                              {panDescImp, dbgDescImp}};
    for (auto [panel, dbg] : grids) {
        auto *fill = new QVBoxLayout(panel);
        fill->setContentsMargins(0, 0, 0, 0);
        fill->addWidget(dbg);
        dbg->SetReadOnly(true);
        dbg->SetCancelOnExit(true);
        ngc::SetColor(dbg, SystemColor::InfoBk);
    }
    Splitter1->addWidget(panFilialImp);
    Splitter1->addWidget(panDescImp);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({113, 1000});
}

// Within each container its controls follow one another in the order of their tab stops; a
// container's own controls take its place in its parent's order.
void TfrmInfoPlanNeg::setTabOrders()
{
    const QList<QWidget *> order = {
        // tshDados: grbCobranca, grbDesconto, chkDesconto.
        dbeCdSegMarca,
        dbeCdTipCob,
        dbeVrPerDesItm,
        nedValorDesc,
        spePrEntr,
        dcbFrete,
        dbeNmSegMarca,
        dbeNmTipoCobr,
        edtNmSem_Ini,
        edtNmSem_Fin,
        dbdIniVal,
        dbdFimVal, // grbValidade
        dbeValorFrete,
        rdgProduto,
        rdgMarca,
        rdgRegiao,
        rdgFornecedor, // grbDesconto
        chkDesconto,
        // tshFormPgto: panFormPgto, then the grid.
        drgFormPgto,
        speDiaFixo,
        speParcela,
        dckIdUtDiaPgCol,
        dbeCdFormPgto, // panPesqFormPgto
        dbgPzoPgtItmCol,
        // tshImpostoItem.
        dbgFilialImp,
        dbgDescImp,
    };
    QWidget *previous = nullptr;
    for (QWidget *stop : order) {
        for (QWidget *widget : tabStops(stop)) {
            if (previous)
                setTabOrder(previous, widget);
            previous = widget;
        }
    }
}

} // namespace Cli_Ngc27451
