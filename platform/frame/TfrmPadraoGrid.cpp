#include <frame/TfrmPadraoGrid.h>

#include <data/TClientDataSet.h>
#include <data/TDataSource.h>
#include <services/HostServices.h>
#include <services/TMessages.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TDBGrid.h>
#include <widgets/TDBNavigator.h>
#include <widgets/TPageControl.h>
#include <widgets/TPanel.h>
#include <widgets/TTabSheet.h>

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

namespace ngc {

namespace {

constexpr int kClientWidth = 524;
constexpr int kClientHeight = 406;
constexpr int kToolbarHeight = 28;
constexpr int kPagesHeight = 360;
constexpr int kNavigatorTop = 388;
constexpr int kButtonSize = 24;

using Handler = void (TfrmPadraoGrid::*)();

// Fills a container with one child, edge to edge.
void fill(QWidget *container, QWidget *child)
{
    auto *layout = new QVBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(child);
}

} // namespace

TfrmPadraoGrid::TfrmPadraoGrid(QWidget *parent)
    : QDialog(parent), m_dtsPadrao(std::make_unique<TDataSource>(QStringLiteral("dtsPadrao"))),
      m_msgPadrao(std::make_unique<TMessages>())
{
    setObjectName(QStringLiteral("frmPadraoGrid"));
    dtsPadrao = m_dtsPadrao.get();
    msgPadrao = m_msgPadrao.get();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("clientArea"));
    m_client->setFixedSize(kClientWidth, kClientHeight);
    layout->addWidget(m_client);

    buildMenus();
    layout->setMenuBar(mnuMenu);
    buildToolbar();
    buildPages();
    buildNavigator();
    bindHandlers();
}

TfrmPadraoGrid::~TfrmPadraoGrid() = default;

void TfrmPadraoGrid::buildToolbar()
{
    panMenu = new TPanel(m_client, QStringLiteral("panMenu"));
    panMenu->setGeometry(0, 0, kClientWidth, kToolbarHeight);
    panMenu->setFrameShape(QFrame::Panel);
    panMenu->setFrameShadow(QFrame::Raised);

    struct ButtonDef {
        TButtonFlat **button;
        const char *name;
        const char *hint;
        QStyle::StandardPixmap icon;
        int gapBefore;
    };
    const ButtonDef buttons[] = {
        {&sbtIncluir, "sbtIncluir", "Incluir", QStyle::SP_FileDialogNewFolder, 0},
        {&sbtAlterar, "sbtAlterar", "Alterar", QStyle::SP_FileDialogDetailedView, 0},
        {&sbtExcluir, "sbtExcluir", "Excluir", QStyle::SP_TrashIcon, 0},
        {&sbtProcurar, "sbtProcurar", "Procurar", QStyle::SP_FileDialogContentsView, 0},
        {&sbtVerificar, "sbtVerificar", "Verificar", QStyle::SP_BrowserReload, 0},
        {&sbtCancelar, "sbtCancelar", "Cancelar", QStyle::SP_DialogCancelButton, 8},
        {&sbtConfirmar, "sbtConfirmar", "Confirmar", QStyle::SP_DialogApplyButton, 0},
        {&sbtImprimir, "sbtImprimir", "Imprimir", QStyle::SP_FileDialogListView, 8},
    };
    int left = 2;
    for (const ButtonDef &def : buttons) {
        left += def.gapBefore;
        auto *button = new TButtonFlat(panMenu, QString::fromLatin1(def.name));
        button->setGeometry(left, 2, kButtonSize, kButtonSize);
        button->setIcon(style()->standardIcon(def.icon));
        button->setToolTip(QString::fromUtf8(def.hint));
        *def.button = button;
        left += kButtonSize;
    }

    lblCodTela = new QLabel(panMenu);
    lblCodTela->setObjectName(QStringLiteral("lblCodTela"));
    lblCodTela->setGeometry(kClientWidth - 52 - 6, 7, 52, 14);
    lblCodTela->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void TfrmPadraoGrid::buildPages()
{
    pgcPadrao = new TPageControl(m_client, QStringLiteral("pgcPadrao"));
    pgcPadrao->setGeometry(0, kToolbarHeight, kClientWidth, kPagesHeight);

    tshPadrao = new TTabSheet(pgcPadrao, QStringLiteral("Consulta"), QStringLiteral("tshPadrao"));
    panDbgPadrao = new TPanel(tshPadrao, QStringLiteral("panDbgPadrao"));
    fill(tshPadrao, panDbgPadrao);
    scbFolhaDados = new QScrollArea(panDbgPadrao);
    scbFolhaDados->setObjectName(QStringLiteral("scbFolhaDados"));
    scbFolhaDados->setFrameShape(QFrame::NoFrame);
    scbFolhaDados->setWidgetResizable(true);
    fill(panDbgPadrao, scbFolhaDados);
    dbgPadrao = new TDBGrid(nullptr, QStringLiteral("dbgPadrao"));
    scbFolhaDados->setWidget(dbgPadrao);
    dbgPadrao->SetDataSource(dtsPadrao);
}

void TfrmPadraoGrid::buildNavigator()
{
    panNavigator = new TPanel(m_client, QStringLiteral("panNavigator"));
    panNavigator->setGeometry(0, kNavigatorTop, kClientWidth, kClientHeight - kNavigatorTop);
    dbnPadrao = new TDBNavigator(panNavigator, QStringLiteral("dbnPadrao"));
    auto *layout = new QHBoxLayout(panNavigator);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->addWidget(dbnPadrao);
    layout->addStretch();
    dbnPadrao->SetDataSource(dtsPadrao);
}

void TfrmPadraoGrid::buildMenus()
{
    mnuMenu = new QMenuBar(this);
    mnuMenu->setObjectName(QStringLiteral("mnuMenu"));
    // The menu belongs to the window, also on desktops with a global menu bar: the screen and its
    // menu are one piece, and an offscreen rendering must show it.
    mnuMenu->setNativeMenuBar(false);

    auto addMenu = [this](const char *name, const char *caption) {
        QMenu *menu = mnuMenu->addMenu(QString::fromUtf8(caption));
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name));
        return menu;
    };
    auto addItem = [](QMenu *menu, const char *name, const char *caption,
                      const QKeySequence &shortcut = {}) {
        QAction *action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        return action;
    };

    mnuOperacao = addMenu("mnuOperacao", "&Operação");
    mnuListagem = addItem(mnuOperacao, "mnuListagem", "&Listagem", QKeySequence::Print);
    mnuConfigImpressora = addItem(mnuOperacao, "mnuConfigImpressora", "&Configurar Impressora");

    mnuManutencao = addMenu("mnuManutencao", "&Manutenção");
    mnuIncluir = addItem(mnuManutencao, "mnuIncluir", "&Incluir", QKeySequence(Qt::Key_Insert));
    mnuAlterar = addItem(mnuManutencao, "mnuAlterar", "&Alterar", QKeySequence(Qt::Key_F2));
    mnuExcluir =
        addItem(mnuManutencao, "mnuExcluir", "&Excluir", QKeySequence(Qt::CTRL | Qt::Key_Delete));
    mnuProcurar = addItem(mnuManutencao, "mnuProcurar", "&Procurar", QKeySequence::Find);
    mnuVerificar = addItem(mnuManutencao, "mnuVerificar", "&Verificar", QKeySequence(Qt::Key_F5));
    mnuLinha3 = mnuManutencao->addSeparator();
    mnuLinha3->setObjectName(QStringLiteral("mnuLinha3"));
    mnuCancelar = addItem(mnuManutencao, "mnuCancelar", "&Cancelar");
    mnuConfirmar = addItem(mnuManutencao, "mnuConfirmar", "C&onfirmar",
                           QKeySequence(Qt::CTRL | Qt::Key_Return));
}

void TfrmPadraoGrid::bindHandlers()
{
    struct Binding {
        TButtonFlat *button;
        QAction *item;
        Handler handler;
    };
    const Binding bindings[] = {
        {sbtIncluir, mnuIncluir, &TfrmPadraoGrid::sbtIncluirClick},
        {sbtAlterar, mnuAlterar, &TfrmPadraoGrid::sbtAlterarClick},
        {sbtExcluir, mnuExcluir, &TfrmPadraoGrid::sbtExcluirClick},
        {sbtProcurar, mnuProcurar, &TfrmPadraoGrid::sbtProcurarClick},
        {sbtVerificar, mnuVerificar, &TfrmPadraoGrid::sbtVerificarClick},
        {sbtCancelar, mnuCancelar, &TfrmPadraoGrid::sbtCancelarClick},
        {sbtConfirmar, mnuConfirmar, &TfrmPadraoGrid::sbtConfirmarClick},
        {sbtImprimir, mnuListagem, &TfrmPadraoGrid::sbtImprimirClick},
        {nullptr, mnuConfigImpressora, &TfrmPadraoGrid::mnuConfigImpressoraClick},
    };
    for (const Binding &binding : bindings) {
        const Handler handler = binding.handler;
        if (binding.button)
            binding.button->OnClick = [this, handler] { (this->*handler)(); };
        connect(binding.item, &QAction::triggered, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    }
    // A dataset that goes away unbinds itself, and the screen's datasets go away while the screen
    // is being destroyed: its handler must not run then. Losing the dataset only clears the
    // standard commands, which belong to the frame.
    dtsPadrao->OnStateChange = [this](TDataSource &source) {
        if (source.DataSet())
            dtsPadraoStateChange();
        else
            enableStandardCommands();
    };
}

void TfrmPadraoGrid::Create()
{
    if (m_created)
        return;
    FormCreate();
    m_created = true;
}

const TMessages &TfrmPadraoGrid::msgGeral() const
{
    return TMessages::General();
}

bool TfrmPadraoGrid::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate)
        guarded([this] { FormActivate(); });
    // Passed on, it would reach every visible control, and each would compare its active and
    // inactive colours to repaint a window that is about to disappear.
    if (e->type() == QEvent::WindowDeactivate && m_hiding)
        return true;
    return QDialog::event(e);
}

void TfrmPadraoGrid::setVisible(bool visible)
{
    if (visible || !isVisible()) {
        QDialog::setVisible(visible);
        return;
    }
    const QScopedValueRollback<bool> hiding(m_hiding, true);
    QDialog::setVisible(false);
}

void TfrmPadraoGrid::showEvent(QShowEvent *e)
{
    if (!m_created)
        guarded([this] { Create(); });
    QDialog::showEvent(e);
}

void TfrmPadraoGrid::done(int result)
{
    // A close handler that closes the window again must not run a second time.
    if (m_closing)
        return;
    m_closing = true;
    CloseAction action = CloseAction::caHide;
    bool decided = false;
    guarded([&] {
        FormClose(action);
        decided = true;
    });
    m_closing = false;
    // A close handler that failed keeps the window open, with what it was showing.
    if (!decided)
        action = CloseAction::caNone;

    switch (action) {
    case CloseAction::caNone:
        return;
    case CloseAction::caHide:
        QDialog::done(result);
        return;
    case CloseAction::caFree:
        QDialog::done(result);
        deleteLater();
        return;
    case CloseAction::caMinimize:
        showMinimized();
        return;
    }
}

void TfrmPadraoGrid::enableStandardCommands()
{
    const DataSetState state = dtsPadrao->State();
    const TClientDataSet *dataSet = dtsPadrao->DataSet();
    const bool browsing = state == DataSetState::Browse;
    const bool editing = state == DataSetState::Edit || state == DataSetState::Insert;
    const bool hasRecord = browsing && dataSet && !dataSet->IsEmpty();

    const std::pair<QAction *, bool> commands[] = {
        {mnuCancelar, editing},   {mnuConfirmar, editing}, {mnuIncluir, browsing},
        {mnuAlterar, browsing},   {mnuExcluir, hasRecord}, {mnuProcurar, hasRecord},
        {mnuVerificar, browsing},
    };
    for (const auto &[item, enabled] : commands)
        item->setEnabled(enabled);
    const std::pair<TButtonFlat *, QAction *> pairs[] = {
        {sbtCancelar, mnuCancelar},   {sbtConfirmar, mnuConfirmar}, {sbtIncluir, mnuIncluir},
        {sbtAlterar, mnuAlterar},     {sbtExcluir, mnuExcluir},     {sbtProcurar, mnuProcurar},
        {sbtVerificar, mnuVerificar},
    };
    for (const auto &[button, item] : pairs)
        button->setEnabled(item->isEnabled());
}

void TfrmPadraoGrid::FormCreate()
{
    pgcPadrao->SetActivePage(tshPadrao);
    enableStandardCommands();
}

void TfrmPadraoGrid::FormActivate() {}

void TfrmPadraoGrid::FormClose(CloseAction &action)
{
    (void)action;
}

void TfrmPadraoGrid::dtsPadraoStateChange()
{
    enableStandardCommands();
}

void TfrmPadraoGrid::sbtIncluirClick()
{
    if (dtsPadrao->State() == DataSetState::Browse)
        dtsPadrao->DataSet()->Insert();
}

void TfrmPadraoGrid::sbtAlterarClick()
{
    if (dtsPadrao->State() == DataSetState::Browse)
        dtsPadrao->DataSet()->Edit();
}

void TfrmPadraoGrid::sbtExcluirClick()
{
    TClientDataSet *dataSet = dtsPadrao->DataSet();
    if (dtsPadrao->State() != DataSetState::Browse || dataSet->IsEmpty())
        return;
    if (msgGeral().ShowMsg(QStringLiteral("Excl"), MsgKind::Confirmation,
                           {MsgButton::Yes, MsgButton::No}, 0) == MsgButton::Yes)
        dataSet->Delete();
}

void TfrmPadraoGrid::sbtProcurarClick()
{
    TClientDataSet *dataSet = dtsPadrao->DataSet();
    if (dtsPadrao->State() == DataSetState::Browse && !dataSet->IsEmpty())
        Procura(*dataSet);
}

void TfrmPadraoGrid::sbtVerificarClick()
{
    // The frame does not know where the data comes from; what it can verify is that the controls
    // show the current record as it is, dropping any text typed but not taken.
    if (dtsPadrao->State() == DataSetState::Browse)
        dtsPadrao->NotifyDataChanged(nullptr);
}

void TfrmPadraoGrid::sbtCancelarClick()
{
    const DataSetState state = dtsPadrao->State();
    if (state != DataSetState::Edit && state != DataSetState::Insert)
        return;
    if (msgGeral().ShowMsg(QStringLiteral("Canc"), MsgKind::Confirmation,
                           {MsgButton::Yes, MsgButton::No}, 0) == MsgButton::Yes)
        dtsPadrao->DataSet()->Cancel();
}

void TfrmPadraoGrid::sbtConfirmarClick()
{
    const DataSetState state = dtsPadrao->State();
    if (state == DataSetState::Edit || state == DataSetState::Insert)
        dtsPadrao->DataSet()->Post();
}

// The frame prints nothing of its own; a screen with a listing overrides these.
void TfrmPadraoGrid::sbtImprimirClick() {}

void TfrmPadraoGrid::mnuConfigImpressoraClick() {}

} // namespace ngc
