#include "support/ScreenFixture.h"

#include <services/HostContext.h>
#include <net/TNetConnection.h>
#include <widgets/SystemColor.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TDBCheckBox.h>
#include <widgets/TDBComboBox.h>
#include <widgets/TDBEdit.h>
#include <widgets/TDBGrid.h>
#include <widgets/TDBNavigator.h>
#include <widgets/TDBRadioGroup.h>
#include <widgets/TNumberEdit.h>
#include <widgets/TPageControl.h>
#include <widgets/TPanel.h>
#include <widgets/TSpinEdit.h>
#include <widgets/TTabSheet.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QSplitter>

using screentest::component;
using screentest::dataSource;
using screentest::ScreenFixture;

namespace {

constexpr int any = -1000; // a geometry value the layout leaves to the caption

struct ControlRow {
    const char *name;
    const char *className;
    const char *parent; // the named control it is laid out in
    int left, top, width, height;
    const char *caption = nullptr; // nullptr: none to check
    bool enabled = true;
    int tab = -1; // position among its parent's tab stops
};

constexpr bool Off = false;

// Every control of the three pages that the screen adds, as the screen shows it once created in
// the commercial module (which enables the charge group, the payment-form group and its panel
// with everything in them but the week days shown beside the dates).
const ControlRow controls[] = {
    // A null parent: the page's scroll box, whose tab stops are the page's.
    {"grbCobranca", "QGroupBox", nullptr, 4, 1, 501, 190, "", true, 0},
    {"grbValidade", "QGroupBox", "grbCobranca", 6, 9, 489, 44, "", true, 8},
    {"Label3", "QLabel", "grbCobranca", any, any, any, 13, "Validade"},
    {"Label1", "QLabel", "grbValidade", 8, 19, any, 13, "Data Inicial"},
    {"dbdIniVal", "ngc::TDBDateEditPlus", "grbValidade", 78, 16, 100, 21, nullptr, true, 2},
    {"edtNmSem_Ini", "QLineEdit", "grbValidade", 186, 16, 40, 21, nullptr, Off, 0},
    {"Label2", "QLabel", "grbValidade", 242, 19, any, 13, "Data Final"},
    {"dbdFimVal", "ngc::TDBDateEditPlus", "grbValidade", 307, 16, 100, 21, nullptr, true, 3},
    {"edtNmSem_Fin", "QLineEdit", "grbValidade", 414, 16, 40, 21, nullptr, Off, 1},
    {"lblSegMarca", "QLabel", "grbCobranca", 6, 61, 102, 13, "2ª Marca"},
    {"dbeCdSegMarca", "ngc::TDBEdit", "grbCobranca", 118, 58, 55, 21, nullptr, true, 0},
    {"btpPesqMarca", "ngc::TBtnPesquisa", "grbCobranca", 178, 58, 21, 21},
    {"dbeNmSegMarca", "ngc::TDBEdit", "grbCobranca", 205, 58, 288, 21, nullptr, true, 6},
    {"lblCdTipCob", "QLabel", "grbCobranca", 6, 86, 102, 13, "Tipo de Cobrança"},
    {"dbeCdTipCob", "ngc::TDBEdit", "grbCobranca", 118, 83, 55, 21, nullptr, true, 1},
    {"btpTipoCobr", "ngc::TBtnPesquisa", "grbCobranca", 178, 83, 21, 21},
    {"dbeNmTipoCobr", "ngc::TDBEdit", "grbCobranca", 205, 83, 288, 21, nullptr, true, 7},
    {"lblDesconto", "QLabel", "grbCobranca", 6, 111, 102, 13, "Desconto(%)"},
    {"dbeVrPerDesItm", "ngc::TDBEdit", "grbCobranca", 118, 108, 55, 21, nullptr, true, 2},
    {"nedValorDesc", "ngc::TNumberEdit", "grbCobranca", 179, 108, 80, 21, nullptr, true, 3},
    {"lblPrEntr", "QLabel", "grbCobranca", 6, 136, 102, 13, "Prazo de Entrega"},
    {"spePrEntr", "ngc::TSpinEdit", "grbCobranca", 118, 133, 40, 22, nullptr, true, 4},
    {"lblDias", "QLabel", "grbCobranca", 163, 136, 32, 13, "dia(s)"},
    {"lblFrete", "QLabel", "grbCobranca", 6, 161, 102, 13, "Frete"},
    {"dcbFrete", "ngc::TDBComboBox", "grbCobranca", 118, 158, 80, 21, nullptr, true, 5},
    {"Label4", "QLabel", "grbCobranca", 216, 161, 149, 13, "Valor Frete do Fornecedor"},
    {"dbeValorFrete", "ngc::TDBEdit", "grbCobranca", 371, 157, 121, 21, nullptr, true, 11},

    {"grbDesconto", "QGroupBox", nullptr, 4, 197, 501, 126, "", true, 1},
    {"chkDesconto", "QCheckBox", nullptr, 8, 194, 129, 17, "Replicar Desconto", true, 2},
    {"rdgProduto", "ngc::TRadioGroup", "grbDesconto", 14, 20, 116, 97, "Produto", true, 0},
    {"rdgMarca", "ngc::TRadioGroup", "grbDesconto", 132, 20, 116, 97, "Marca", true, 1},
    {"rdgRegiao", "ngc::TRadioGroup", "grbDesconto", 250, 20, 116, 97, "Região", true, 2},
    {"rdgFornecedor", "ngc::TRadioGroup", "grbDesconto", 369, 20, 116, 97, "Fornecedor", true, 3},
    {"sbtPesqProduto", "ngc::TButtonFlat", "grbDesconto", 76, 88, 21, 21, nullptr, Off},
    {"sbtPesqMarca", "ngc::TButtonFlat", "grbDesconto", 189, 88, 21, 21, nullptr, Off},
    {"sbtPesqRegiao", "ngc::TButtonFlat", "grbDesconto", 311, 88, 21, 21, nullptr, Off},
    {"sbtPesqFornecedor", "ngc::TButtonFlat", "grbDesconto", 430, 88, 21, 21, nullptr, Off},

    {"panFormPgto", "ngc::TPanel", nullptr, any, any, any, 95, nullptr, true, 0},
    {"drgFormPgto", "ngc::TDBRadioGroup", "panFormPgto", 3, -1, 502, 92, "", true, 0},
    {"panPesqFormPgto", "ngc::TPanel", "panFormPgto", 184, 36, 316, 51, nullptr, true, 1},
    {"speDiaFixo", "ngc::TSpinEdit", "panPesqFormPgto", 4, 5, 45, 22, nullptr, true, 0},
    {"lblCom", "QLabel", "panPesqFormPgto", 52, 8, any, any, "com"},
    {"speParcela", "ngc::TSpinEdit", "panPesqFormPgto", 79, 5, 45, 22, nullptr, true, 1},
    {"lblParcelas", "QLabel", "panPesqFormPgto", 127, 8, any, any, "parcela(s)"},
    {"lblParenteses", "QLabel", "panPesqFormPgto", 190, 8, any, any, "("},
    {"dckIdUtDiaPgCol", "ngc::TDBCheckBox", "panPesqFormPgto", 198, 7, 121, 17, "1ª Próximo mês )",
     true, 2},
    {"dbeCdFormPgto", "ngc::TDBEdit", "panPesqFormPgto", 4, 30, 25, 21, nullptr, true, 3},
    {"btpPesqFormPgto", "ngc::TBtnPesquisa", "panPesqFormPgto", 33, 30, 21, 21},
    {"dbeNmFormPgto", "ngc::TDBEdit", "panPesqFormPgto", 59, 30, 255, 21, nullptr, true},
    {"dbgPzoPgtItmCol", "ngc::TDBGrid", nullptr, any, any, any, any, nullptr, true, 1},

    {"dbgFilialImp", "ngc::TDBGrid", nullptr, any, any, any, any, nullptr, true, 0},
    {"dbgDescImp", "ngc::TDBGrid", nullptr, any, any, any, any, nullptr, true, 1},
};

QString captionOf(QWidget *widget)
{
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *group = qobject_cast<QGroupBox *>(widget))
        return group->title();
    return {};
}

bool isBold(const char *name)
{
    static const char *const bold[] = {
        "grbCobranca",   "grbValidade",   "Label3",          "Label1",       "Label2",
        "lblSegMarca",   "dbeCdSegMarca", "dbeNmSegMarca",   "lblCdTipCob",  "dbeCdTipCob",
        "dbeNmTipoCobr", "lblDesconto",   "dbeVrPerDesItm",  "nedValorDesc", "lblPrEntr",
        "spePrEntr",     "lblDias",       "lblFrete",        "dcbFrete",     "dbdIniVal",
        "dbdFimVal",     "edtNmSem_Ini",  "edtNmSem_Fin",    "chkDesconto",  "rdgProduto",
        "rdgMarca",      "rdgRegiao",     "rdgFornecedor",   "drgFormPgto",  "lblCom",
        "lblParcelas",   "lblParenteses", "dckIdUtDiaPgCol", "btpPesqMarca", "btpTipoCobr"};
    return std::any_of(std::begin(bold), std::end(bold),
                       [name](const char *b) { return qstrcmp(b, name) == 0; });
}

// Where a control first takes the focus when the user tabs through the window.
int chainPosition(QWidget *window, QWidget *control)
{
    int position = 0;
    QWidget *widget = window;
    do {
        widget = widget->nextInFocusChain();
        ++position;
        if ((widget == control || control->isAncestorOf(widget)) &&
            (widget->focusPolicy() & Qt::TabFocus))
            return position;
    } while (widget != window);
    return -1;
}

using LayoutTest = ScreenFixture;

TEST_F(LayoutTest, EveryControlAsDesigned)
{
    QHash<QString, QMap<int, QWidget *>> tabStops; // parent -> tab -> control
    for (const ControlRow &row : controls) {
        SCOPED_TRACE(row.name);
        auto *widget = screen->findChild<QWidget *>(QLatin1String(row.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), row.className);
        if (row.parent) {
            EXPECT_EQ(widget->parentWidget()->objectName(), QLatin1String(row.parent));
        }
        const QRect g = widget->geometry();
        const int expected[] = {row.left, row.top, row.width, row.height};
        const int actual[] = {g.left(), g.top(), g.width(), g.height()};
        for (int i = 0; i < 4; ++i) {
            if (expected[i] != any) {
                EXPECT_EQ(actual[i], expected[i]) << "geometry element " << i;
            }
        }
        if (row.caption) {
            EXPECT_EQ(captionOf(widget), QString::fromUtf8(row.caption));
        }
        EXPECT_EQ(widget->isEnabled(), row.enabled);
        EXPECT_FALSE(widget->isHidden());
        EXPECT_EQ(widget->font().bold(), isBold(row.name));
        if (row.tab >= 0) {
            QWidget *parent = widget->parentWidget();
            if (!row.parent) {
                while (!qobject_cast<ngc::TTabSheet *>(parent))
                    parent = parent->parentWidget();
            }
            tabStops[parent->objectName()].insert(row.tab, widget);
        }
    }

    // Within each parent the user tabs through the controls in the order of their tab stops.
    for (auto it = tabStops.cbegin(); it != tabStops.cend(); ++it) {
        int last = 0;
        for (QWidget *control : it.value()) {
            SCOPED_TRACE(control->objectName().toStdString());
            const int position = chainPosition(screen.get(), control);
            EXPECT_GT(position, last);
            last = position;
        }
    }
}

TEST_F(LayoutTest, WindowAndFrame)
{
    EXPECT_EQ(screen->objectName(), QLatin1String("frmInfoPlanNeg"));
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("Informações da Planilha"));
    EXPECT_EQ(screen->ClientArea()->size(), QSize(524, 406));
    screen->layout()->activate();
    EXPECT_EQ(screen->minimumSize(), screen->maximumSize()); // not resizable
    EXPECT_EQ(screen->font().family(), QLatin1String("MS Sans Serif"));
    EXPECT_EQ(screen->font().pixelSize(), 11);
    EXPECT_FALSE(screen->isVisible());

    EXPECT_EQ(screen->lblCodTela->text(), QLatin1String("NGC27451"));
    EXPECT_EQ(screen->lblCodTela->width(), 52);
    EXPECT_EQ(screen->panMenu->width(), 524);
    EXPECT_FALSE(screen->sbtImprimir->isEnabled());
    EXPECT_EQ(screen->pgcPadrao->size(), QSize(524, 360));
    EXPECT_EQ(screen->panNavigator->y(), 388);
    EXPECT_EQ(screen->panNavigator->width(), 524);
    EXPECT_EQ(screen->dbnPadrao->DataSource(), &dataSource(*screen, "dtsImpColet"));
    EXPECT_FALSE(screen->dbnPadrao->isEnabled());
}

TEST_F(LayoutTest, PagesInOrder)
{
    auto *tshDados = component<ngc::TTabSheet>(*screen, "tshDados");
    auto *tshFormPgto = component<ngc::TTabSheet>(*screen, "tshFormPgto");
    auto *tshImpostoItem = component<ngc::TTabSheet>(*screen, "tshImpostoItem");
    const std::pair<ngc::TTabSheet *, const char *> pages[] = {
        {tshDados, "Dados Adicionais"},
        {tshFormPgto, "Forma de Pagamento"},
        {screen->tshPadrao, "Imposto"},
        {tshImpostoItem, "Imposto"},
    };
    ASSERT_EQ(screen->pgcPadrao->PageCount(), 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(screen->pgcPadrao->Pages(i), pages[i].first);
        EXPECT_EQ(pages[i].first->PageIndex(), i);
        EXPECT_EQ(pages[i].first->Caption(), QLatin1String(pages[i].second));
    }
    EXPECT_EQ(screen->pgcPadrao->ActivePage(), tshDados);
    for (const char *name : {"tshDados", "tshFormPgto", "tshPadrao", "tshImpostoItem"})
        EXPECT_NE(screen->findChild<ngc::TTabSheet *>(QLatin1String(name)), nullptr) << name;

    // The containers of the pages, each on its own page.
    const std::pair<const char *, ngc::TTabSheet *> containers[] = {
        {"panDados", tshDados},         {"scbDados", tshDados},
        {"panPgto", tshFormPgto},       {"scbFormPgto", tshFormPgto},
        {"Splitter1", tshImpostoItem},  {"panFilialImp", tshImpostoItem},
        {"panDescImp", tshImpostoItem},
    };
    for (const auto &[name, page] : containers) {
        auto *widget = screen->findChild<QWidget *>(QLatin1String(name));
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_TRUE(page->isAncestorOf(widget)) << name;
    }
}

TEST_F(LayoutTest, Menus)
{
    const QList<QAction *> items = screen->mnuOperacao->actions();
    ASSERT_GE(items.size(), 5);
    const std::pair<QAction *, const char *> added[] = {
        {component<QAction>(*screen, "mnuDadosAdicionais"), "&Dados Adicionais"},
        {component<QAction>(*screen, "mnuFormaPagamento"), "&Forma de Pagamento"},
        {component<QAction>(*screen, "mnuImposto"), "Im&posto"},
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(items[i], added[i].first);
        EXPECT_EQ(items[i]->text(), QLatin1String(added[i].second));
        EXPECT_TRUE(items[i]->isEnabled());
    }
    EXPECT_TRUE(component<QAction>(*screen, "mnuDadosAdicionais")->isChecked());
    EXPECT_FALSE(component<QAction>(*screen, "mnuFormaPagamento")->isChecked());
    EXPECT_FALSE(component<QAction>(*screen, "mnuImposto")->isChecked());
    EXPECT_EQ(items[3], component<QAction>(*screen, "N1"));
    EXPECT_TRUE(component<QAction>(*screen, "N1")->isSeparator());
    EXPECT_TRUE(items.contains(screen->mnuListagem));
    EXPECT_FALSE(screen->mnuListagem->isEnabled());
    EXPECT_FALSE(screen->mnuConfigImpressora->isEnabled());
    for (QAction *item :
         {screen->mnuIncluir, screen->mnuAlterar, screen->mnuExcluir, screen->mnuProcurar,
          screen->mnuVerificar, screen->mnuLinha3, screen->mnuCancelar, screen->mnuConfirmar})
        EXPECT_FALSE(item->isEnabled()) << item->objectName().toStdString();
    for (const char *name : {"mnuDadosAdicionais", "mnuFormaPagamento", "mnuImposto", "N1"})
        EXPECT_NE(screen->findChild<QAction *>(QLatin1String(name)), nullptr) << name;
}

// Limits, lists, bindings and colours of the editing controls.
TEST_F(LayoutTest, ControlSettings)
{
    auto *drgFormPgto = component<ngc::TDBRadioGroup>(*screen, "drgFormPgto");
    auto *dckIdUtDiaPgCol = component<ngc::TDBCheckBox>(*screen, "dckIdUtDiaPgCol");
    struct Spin {
        ngc::TSpinEdit *spin;
        int min, max, value;
    };
    for (const Spin &s : {Spin{component<ngc::TSpinEdit>(*screen, "spePrEntr"), 0, 99, 0},
                          Spin{component<ngc::TSpinEdit>(*screen, "speDiaFixo"), 1, 31, 1},
                          Spin{component<ngc::TSpinEdit>(*screen, "speParcela"), 1, 99, 1}}) {
        SCOPED_TRACE(s.spin->objectName().toStdString());
        EXPECT_EQ(s.spin->MinValue(), s.min);
        EXPECT_EQ(s.spin->MaxValue(), s.max);
        EXPECT_EQ(s.spin->MaxLength(), 2);
        EXPECT_EQ(s.spin->Value(), s.value);
    }
    EXPECT_EQ(component<ngc::TNumberEdit>(*screen, "nedValorDesc")->Decimals(), 2);
    EXPECT_EQ(component<ngc::TDBComboBox>(*screen, "dcbFrete")->Items(),
              QStringList({"CIF", "FOB", "FOT", "FOR", "<nenhum>"}));
    EXPECT_EQ(drgFormPgto->Items(), QStringList({"Sem Forma de Pagamento", "Pagamento Fixo no Dia",
                                                 "Pela Forma de Pagamento"}));
    EXPECT_EQ(drgFormPgto->Values(), QStringList({"X", "F", "V"}));
    EXPECT_EQ(dckIdUtDiaPgCol->ValueChecked(), QLatin1String("E"));
    EXPECT_EQ(dckIdUtDiaPgCol->ValueUnchecked(), QLatin1String("I"));
    for (ngc::TRadioGroup *group : {component<ngc::TRadioGroup>(*screen, "rdgProduto"),
                                    component<ngc::TRadioGroup>(*screen, "rdgMarca"),
                                    component<ngc::TRadioGroup>(*screen, "rdgRegiao"),
                                    component<ngc::TRadioGroup>(*screen, "rdgFornecedor")}) {
        EXPECT_EQ(group->Items(), QStringList({"Mesmo", "Todos", "Lista"}));
        EXPECT_EQ(group->ItemIndex(), 0);
    }

    struct Binding {
        const char *control;
        ngc::TDataSource *source;
        const char *field;
        bool readOnly;
    };
    ngc::TDataSource *item = screen->dtsPadrao;
    const Binding bindings[] = {
        {"dbdIniVal", item, "DTINIVALITM", false},
        {"dbdFimVal", item, "DTFINVALITM", false},
        {"dbeCdSegMarca", item, "CDSEGMARCCOL", false},
        {"dbeNmSegMarca", item, "NMMARCA", true},
        {"dbeCdTipCob", item, "CDTIPCOB", false},
        {"dbeNmTipoCobr", item, "NMTIPOCOBR", true},
        {"dbeVrPerDesItm", item, "VRPERDESITM", false},
        {"dbeValorFrete", item, "VRFRETEFORN", false},
        {"dbeCdFormPgto", item, "CDFORMPGTO", false},
        {"dbeNmFormPgto", item, "NMFORMPGTO", true},
    };
    for (const Binding &b : bindings) {
        SCOPED_TRACE(b.control);
        auto *edit = screen->findChild<ngc::TDBEdit *>(QLatin1String(b.control));
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->DataSource(), b.source);
        EXPECT_EQ(edit->DataField(), QLatin1String(b.field));
        EXPECT_EQ(edit->ReadOnly(), b.readOnly);
    }
    // The week-day names stay display-only although the commercial module enables their group.
    EXPECT_TRUE(component<QLineEdit>(*screen, "edtNmSem_Ini")->isReadOnly());
    EXPECT_TRUE(component<QLineEdit>(*screen, "edtNmSem_Fin")->isReadOnly());
    EXPECT_EQ(component<ngc::TDBComboBox>(*screen, "dcbFrete")->DataField(),
              QLatin1String("IDTIPFREITM"));
    EXPECT_EQ(drgFormPgto->DataField(), QLatin1String("IDTPFOPGTCOL"));
    EXPECT_EQ(dckIdUtDiaPgCol->DataField(), QLatin1String("IDUTDIAPGCOL"));

    // Grey for what is only shown, info-yellow for what stands out.
    const QColor grey = QApplication::palette().color(QPalette::Button);
    const QColor yellow = QApplication::palette().color(QPalette::ToolTipBase);
    const std::pair<const char *, QColor> colours[] = {
        {"edtNmSem_Ini", grey},   {"edtNmSem_Fin", grey},    {"dbeNmSegMarca", grey},
        {"dbeNmTipoCobr", grey},  {"dbeNmFormPgto", grey},   {"dbdIniVal", yellow},
        {"dbdFimVal", yellow},    {"dbeCdFormPgto", yellow}, {"dbgPzoPgtItmCol", yellow},
        {"dbgFilialImp", yellow}, {"dbgDescImp", yellow},
    };
    for (const auto &[name, colour] : colours) {
        auto *widget = screen->findChild<QWidget *>(QLatin1String(name));
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_EQ(widget->palette().color(QPalette::Base), colour) << name;
    }
}

TEST_F(LayoutTest, Grids)
{
    auto *dbgPzoPgtItmCol = component<ngc::TDBGrid>(*screen, "dbgPzoPgtItmCol");
    auto *Splitter1 = component<QSplitter>(*screen, "Splitter1");
    struct Col {
        const char *field;
        int width;
    };
    struct GridRow {
        ngc::TDBGrid *grid;
        ngc::TDataSource *source;
        std::vector<Col> columns;
        bool readOnly;
    };
    const GridRow grids[] = {
        {screen->dbgPadrao,
         &dataSource(*screen, "dtsImpColet"),
         {{"NMIMPOSTO", 0}, {"VRALIQIMPCOL", 0}, {"VRIMPCOLETA", 0}},
         true},
        {dbgPzoPgtItmCol,
         &dataSource(*screen, "dtsPzoPgtItmCol"),
         {{"NRDIASPGTCOL", 0}, {"VRPERCPGTCOL", 0}},
         false},
        {component<ngc::TDBGrid>(*screen, "dbgFilialImp"),
         &dataSource(*screen, "dtsFilialImp"),
         {{"CDFILIAL", 57}, {"NMFILIAL", 381}},
         true},
        {component<ngc::TDBGrid>(*screen, "dbgDescImp"),
         &dataSource(*screen, "dtsDescImp"),
         {{"NMIMPOSTO", 271}, {"VRPERCALIQUOTA", 76}, {"VRIMPOSTO", 77}},
         true},
    };
    for (const GridRow &g : grids) {
        SCOPED_TRACE(g.grid->objectName().toStdString());
        EXPECT_EQ(g.grid->DataSource(), g.source);
        EXPECT_EQ(g.grid->ReadOnly(), g.readOnly);
        const QList<ngc::TColumn> columns = g.grid->Columns();
        ASSERT_EQ(columns.size(), static_cast<qsizetype>(g.columns.size()));
        for (qsizetype i = 0; i < columns.size(); ++i) {
            EXPECT_EQ(columns[i].FieldName, QLatin1String(g.columns[i].field));
            EXPECT_EQ(columns[i].Width, g.columns[i].width);
        }
    }
    EXPECT_TRUE(dbgPzoPgtItmCol->ConfirmDelete());
    EXPECT_EQ(dbgPzoPgtItmCol->Columns().at(1).TitleAlignment & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    EXPECT_TRUE(component<ngc::TDBGrid>(*screen, "dbgFilialImp")->CancelOnExit());
    EXPECT_TRUE(component<ngc::TDBGrid>(*screen, "dbgDescImp")->CancelOnExit());
    EXPECT_EQ(Splitter1->orientation(), Qt::Vertical);
    EXPECT_EQ(Splitter1->widget(0), component<ngc::TPanel>(*screen, "panFilialImp"));
    EXPECT_EQ(Splitter1->widget(1), component<ngc::TPanel>(*screen, "panDescImp"));
}

TEST_F(LayoutTest, ConnectionsAskTheHostWhereTheServerIs)
{
    auto *info = component<ngc::TNetConnection>(*screen, "netInfoPlanNeg");
    auto *suprimentos = component<ngc::TNetConnection>(*screen, "netSuprimentos");
    const std::pair<ngc::TNetConnection *, const char *> connections[] = {
        {info, "Ngc27451.rdmInfoPlanNeg"},
        {suprimentos, "Ngc.rdmSuprimentos"},
    };
    for (const auto &[connection, server] : connections) {
        SCOPED_TRACE(server);
        EXPECT_EQ(connection->ServerName(), QLatin1String(server));
        EXPECT_FALSE(connection->ThrowException());
        EXPECT_TRUE(connection->Connected());
        EXPECT_EQ(connection->Host(), QLatin1String("127.0.0.1"));
        EXPECT_EQ(connection->Port(), screentest::closedPort);
    }

    // Each opening reads them again.
    ngc::HostContext::instance().serverHost = QStringLiteral("localhost");
    ngc::HostContext::instance().serverPort = 18080;
    suprimentos->Close();
    suprimentos->Open();
    EXPECT_EQ(suprimentos->Host(), QLatin1String("localhost"));
    EXPECT_EQ(suprimentos->Port(), 18080);
    EXPECT_EQ(info->Port(), screentest::closedPort);

    ngc::CloseAction action = ngc::CloseAction::caHide;
    screentest::frame(*screen).FormClose(action);
    EXPECT_EQ(action, ngc::CloseAction::caHide);
    EXPECT_FALSE(info->Connected());
    EXPECT_FALSE(suprimentos->Connected());
}

// Outside the commercial module the charge group, the payment-form group and its panel are
// closed with everything in them.
TEST(LayoutOutsideCommercialModule, CommercialGroupsDisabled)
{
    ngc::ScriptedHostUi ui;
    ngc::setHostUi(&ui);
    ngc::HostContext::instance().serverPort = screentest::closedPort;
    for (int module : {4, 0, 35}) {
        SCOPED_TRACE(module);
        ngc::HostContext::instance().moduleCode = module;
        Cli_Ngc27451::TfrmInfoPlanNeg screen;
        for (QWidget *container :
             {static_cast<QWidget *>(component<QGroupBox>(screen, "grbCobranca")),
              static_cast<QWidget *>(component<ngc::TDBRadioGroup>(screen, "drgFormPgto")),
              static_cast<QWidget *>(component<ngc::TPanel>(screen, "panPesqFormPgto"))}) {
            EXPECT_FALSE(container->isEnabled());
            for (QWidget *child : container->findChildren<QWidget *>())
                EXPECT_FALSE(child->isEnabled()) << child->objectName().toStdString();
        }
        EXPECT_TRUE(component<QGroupBox>(screen, "grbDesconto")->isEnabled());
        EXPECT_EQ(screen.pgcPadrao->ActivePage(), component<ngc::TTabSheet>(screen, "tshDados"));
    }
    ngc::HostContext::instance().moduleCode = 34;
    ngc::setHostUi(nullptr);
}

} // namespace
