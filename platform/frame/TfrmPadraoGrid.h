#pragma once

#include <QDialog>

#include <memory>
#include <utility>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QScrollArea;

namespace ngc {

class TButtonFlat;
class TDBGrid;
class TDBNavigator;
class TDataSource;
class TMessages;
class TPageControl;
class TPanel;
class TTabSheet;

// What a close handler may decide about the window that is being closed.
enum class CloseAction {
    caNone,     // refuse: the window stays open
    caHide,     // hide it (the default): the modal run ends, the instance lives on
    caFree,     // hide it and destroy it once control is back in the event loop
    caMinimize, // minimise it instead of closing
};

// The standard grid form every maintenance screen of the host is built on: toolbar, a page control
// with the standard grid page, a record navigator, the operation and maintenance menus, the
// standard data source and the message catalogs.
//
// The window has a fixed client area of 524 x 406 pixels below its menu bar; the components sit at
// absolute positions inside it. Every component carries its name as objectName (menu items are
// QActions), so screens, tests and tools find them by name. The members keep those names because
// screens written for this frame refer to them as such.
//
// Handlers are virtual and bound once by the frame: each toolbar button and its menu item run the
// same handler, the window's activation runs FormActivate, closing runs FormClose, and a state
// change of dtsPadrao runs dtsPadraoStateChange. Handlers reached from Qt run inside the platform's
// guard: a silent abort ends them quietly, any other error is shown to the user.
//
// Keyboard: the menu items carry the shortcuts, so they follow their enabled state: Ins Incluir,
// F2 Alterar, Ctrl+Del Excluir, Ctrl+F Procurar, F5 Verificar, Ctrl+Enter Confirmar, Ctrl+P
// Listagem. Esc closes the window, as its close button does.
//
// Two-phase creation: C++ does not dispatch virtual calls from a constructor, so FormCreate cannot
// run there. Construct the form, then call Create() once before showing it; Make<T>() does both.
// A form that is shown without Create() having run gets it at that moment, before any activation.
class TfrmPadraoGrid : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPadraoGrid(QWidget *parent = nullptr);
    ~TfrmPadraoGrid() override;
    TfrmPadraoGrid(const TfrmPadraoGrid &) = delete;
    TfrmPadraoGrid &operator=(const TfrmPadraoGrid &) = delete;

    // Runs FormCreate the first time it is called; later calls do nothing. Errors from FormCreate
    // reach the caller (a form whose creation failed must not be shown).
    void Create();

    // Constructs a form of type T and runs its creation.
    template <class T, class... Args> static T *Make(Args &&...args)
    {
        auto form = std::make_unique<T>(std::forward<Args>(args)...);
        form->Create();
        return form.release();
    }

    // Handlers. A screen overrides them and calls the frame's version where it relies on it.
    virtual void FormCreate();
    virtual void FormActivate();
    virtual void FormClose(CloseAction &action);
    virtual void dtsPadraoStateChange();
    virtual void sbtIncluirClick();
    virtual void sbtAlterarClick();
    virtual void sbtExcluirClick();
    virtual void sbtProcurarClick();
    virtual void sbtVerificarClick();
    virtual void sbtCancelarClick();
    virtual void sbtConfirmarClick();
    virtual void sbtImprimirClick();
    virtual void mnuConfigImpressoraClick();

    // The general catalog of the host (confirmation texts "Excl" and "Canc" among them).
    const TMessages &msgGeral() const;

    // Components, owned by the window (Qt parent-child) or, for the non-widgets, by the frame.
    TPanel *panMenu = nullptr;
    TButtonFlat *sbtIncluir = nullptr;
    TButtonFlat *sbtAlterar = nullptr;
    TButtonFlat *sbtExcluir = nullptr;
    TButtonFlat *sbtProcurar = nullptr;
    TButtonFlat *sbtVerificar = nullptr;
    TButtonFlat *sbtCancelar = nullptr;
    TButtonFlat *sbtConfirmar = nullptr;
    TButtonFlat *sbtImprimir = nullptr;
    QLabel *lblCodTela = nullptr;

    TPageControl *pgcPadrao = nullptr;
    TTabSheet *tshPadrao = nullptr;
    TPanel *panDbgPadrao = nullptr;
    QScrollArea *scbFolhaDados = nullptr;
    TDBGrid *dbgPadrao = nullptr;

    TPanel *panNavigator = nullptr;
    TDBNavigator *dbnPadrao = nullptr;

    QMenuBar *mnuMenu = nullptr;
    QMenu *mnuOperacao = nullptr;
    QAction *mnuListagem = nullptr;
    QAction *mnuConfigImpressora = nullptr;
    QMenu *mnuManutencao = nullptr;
    QAction *mnuIncluir = nullptr;
    QAction *mnuAlterar = nullptr;
    QAction *mnuExcluir = nullptr;
    QAction *mnuProcurar = nullptr;
    QAction *mnuVerificar = nullptr;
    QAction *mnuLinha3 = nullptr;
    QAction *mnuCancelar = nullptr;
    QAction *mnuConfirmar = nullptr;

    TDataSource *dtsPadrao = nullptr; // the screen points it at its main dataset
    TMessages *msgPadrao = nullptr;   // the screen's own catalog, filled by the screen

    // The client area below the menu bar; a screen's own top-level components go here.
    QWidget *ClientArea() const { return m_client; }

    // Every way of closing the dialog ends here (close(), Esc, the window's close button,
    // accept/reject): FormClose decides what becomes of the window.
    void done(int result) override;

    // Hiding the active window deactivates it first; its controls are spared the deactivation
    // (a repaint in the inactive colours nobody will see). The focused control still loses the
    // focus as it does whenever the window loses it.
    void setVisible(bool visible) override;

protected:
    bool event(QEvent *e) override;
    void showEvent(QShowEvent *e) override;

    // The standard enabling of the seven maintenance commands by the state of dtsPadrao (browse:
    // include, change, verify, and delete and search with a record; edit or insert: cancel and
    // confirm; inactive: none). Each toolbar button follows its menu item.
    void enableStandardCommands();

private:
    void buildToolbar();
    void buildPages();
    void buildNavigator();
    void buildMenus();
    void bindHandlers();

    QWidget *m_client = nullptr;
    std::unique_ptr<TDataSource> m_dtsPadrao;
    std::unique_ptr<TMessages> m_msgPadrao;
    bool m_created = false;
    bool m_closing = false;
    bool m_hiding = false;
};

} // namespace ngc
