#include <frame/TfrmPadraoGrid.h>

#include <data/TClientDataSet.h>
#include <data/TDataSource.h>
#include <services/HostServices.h>
#include <services/ScriptedHostUi.h>
#include <services/TMessages.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TPageControl.h>
#include <widgets/TPanel.h>
#include <widgets/TTabSheet.h>

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <tuple>

using namespace ngc;

namespace {

// Records which handler ran; a test can make a handler throw, or give it a body of its own.
class RecordingForm : public TfrmPadraoGrid {
public:
    QStringList calls;
    std::function<void(const QString &)> onCall;
    CloseAction closeAction = CloseAction::caHide;
    bool callBase = false;

    void FormCreate() override
    {
        record(QStringLiteral("FormCreate"), [this] { TfrmPadraoGrid::FormCreate(); });
    }
    void FormActivate() override { record(QStringLiteral("FormActivate"), {}); }
    void FormClose(CloseAction &action) override
    {
        record(QStringLiteral("FormClose"), {});
        action = closeAction;
    }
    void dtsPadraoStateChange() override
    {
        record(QStringLiteral("dtsPadraoStateChange"),
               [this] { TfrmPadraoGrid::dtsPadraoStateChange(); });
    }
    void sbtIncluirClick() override
    {
        record(QStringLiteral("sbtIncluirClick"), [this] { TfrmPadraoGrid::sbtIncluirClick(); });
    }
    void sbtAlterarClick() override
    {
        record(QStringLiteral("sbtAlterarClick"), [this] { TfrmPadraoGrid::sbtAlterarClick(); });
    }
    void sbtExcluirClick() override
    {
        record(QStringLiteral("sbtExcluirClick"), [this] { TfrmPadraoGrid::sbtExcluirClick(); });
    }
    void sbtProcurarClick() override
    {
        record(QStringLiteral("sbtProcurarClick"), [this] { TfrmPadraoGrid::sbtProcurarClick(); });
    }
    void sbtVerificarClick() override
    {
        record(QStringLiteral("sbtVerificarClick"),
               [this] { TfrmPadraoGrid::sbtVerificarClick(); });
    }
    void sbtCancelarClick() override
    {
        record(QStringLiteral("sbtCancelarClick"), [this] { TfrmPadraoGrid::sbtCancelarClick(); });
    }
    void sbtConfirmarClick() override
    {
        record(QStringLiteral("sbtConfirmarClick"),
               [this] { TfrmPadraoGrid::sbtConfirmarClick(); });
    }
    void sbtImprimirClick() override { record(QStringLiteral("sbtImprimirClick"), {}); }
    void mnuConfigImpressoraClick() override
    {
        record(QStringLiteral("mnuConfigImpressoraClick"), {});
    }

private:
    void record(const QString &name, const std::function<void()> &base)
    {
        calls << name;
        if (onCall)
            onCall(name);
        if (callBase && base)
            base();
    }
};

class FrameTest : public ::testing::Test {
public:
    void SetUp() override
    {
        setHostUi(&ui);
        dataSet.AddField({QStringLiteral("CODIGO"), FieldType::String, 4});
        dataSet.AddField({QStringLiteral("VALOR"), FieldType::Float});
        dataSet.Open();
    }
    void TearDown() override
    {
        form.dtsPadrao->SetDataSet(nullptr);
        setHostUi(nullptr);
    }

    void addRecord(const QString &code, double value)
    {
        dataSet.Append();
        dataSet.FieldByName(QStringLiteral("CODIGO")).SetValue(code);
        dataSet.FieldByName(QStringLiteral("VALOR")).SetValue(value);
        dataSet.Post();
        dataSet.MergeChangeLog();
    }

    // The form bound to the dataset, created, running the frame's own handlers.
    void bind()
    {
        form.callBase = true;
        form.Create();
        form.dtsPadrao->SetDataSet(&dataSet);
    }

    TButtonFlat *button(const char *name) const
    {
        return form.findChild<TButtonFlat *>(QString::fromLatin1(name));
    }
    QAction *item(const char *name) const
    {
        return form.findChild<QAction *>(QString::fromLatin1(name));
    }

    ScriptedHostUi ui;
    TClientDataSet dataSet{QStringLiteral("cdsTeste")};
    RecordingForm form;
};

struct Command {
    const char *button; // nullptr: a menu item without a button
    const char *item;
    const char *handler;
};

const Command kCommands[] = {
    {"sbtIncluir", "mnuIncluir", "sbtIncluirClick"},
    {"sbtAlterar", "mnuAlterar", "sbtAlterarClick"},
    {"sbtExcluir", "mnuExcluir", "sbtExcluirClick"},
    {"sbtProcurar", "mnuProcurar", "sbtProcurarClick"},
    {"sbtVerificar", "mnuVerificar", "sbtVerificarClick"},
    {"sbtCancelar", "mnuCancelar", "sbtCancelarClick"},
    {"sbtConfirmar", "mnuConfirmar", "sbtConfirmarClick"},
    {"sbtImprimir", "mnuListagem", "sbtImprimirClick"},
    {nullptr, "mnuConfigImpressora", "mnuConfigImpressoraClick"},
};

TEST_F(FrameTest, EachButtonAndItsMenuItemRunTheSameOverriddenHandler)
{
    form.Create();
    form.show();
    for (const Command &command : kCommands) {
        SCOPED_TRACE(command.handler);
        const QStringList once{QString::fromLatin1(command.handler)};
        if (command.button) {
            TButtonFlat *b = button(command.button);
            ASSERT_NE(b, nullptr);
            b->setEnabled(true);
            form.calls.clear();
            QTest::mouseClick(b, Qt::LeftButton);
            EXPECT_EQ(form.calls, once);
        }
        QAction *a = item(command.item);
        ASSERT_NE(a, nullptr);
        a->setEnabled(true);
        form.calls.clear();
        a->trigger();
        EXPECT_EQ(form.calls, once);
    }
}

TEST_F(FrameTest, ShortcutsRunTheHandlersOfEnabledItemsOnly)
{
    form.Create();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, const char *, const char *> keys[] = {
        {Qt::Key_Insert, Qt::NoModifier, "mnuIncluir", "sbtIncluirClick"},
        {Qt::Key_F2, Qt::NoModifier, "mnuAlterar", "sbtAlterarClick"},
        {Qt::Key_Delete, Qt::ControlModifier, "mnuExcluir", "sbtExcluirClick"},
        {Qt::Key_F, Qt::ControlModifier, "mnuProcurar", "sbtProcurarClick"},
        {Qt::Key_F5, Qt::NoModifier, "mnuVerificar", "sbtVerificarClick"},
        {Qt::Key_Return, Qt::ControlModifier, "mnuConfirmar", "sbtConfirmarClick"},
    };
    for (const auto &[key, modifiers, menuItem, handler] : keys) {
        SCOPED_TRACE(handler);
        item(menuItem)->setEnabled(false);
        form.calls.clear();
        QTest::keyClick(&form, key, modifiers);
        EXPECT_TRUE(form.calls.isEmpty());
        item(menuItem)->setEnabled(true);
        QTest::keyClick(&form, key, modifiers);
        EXPECT_EQ(form.calls, QStringList{QString::fromLatin1(handler)});
    }
}

TEST_F(FrameTest, HandlersRunInsideTheGuard)
{
    form.Create();
    form.show();
    button("sbtAlterar")->setEnabled(true);
    item("mnuAlterar")->setEnabled(true);

    form.onCall = [](const QString &) { throw SilentAbort(); };
    QTest::mouseClick(button("sbtAlterar"), Qt::LeftButton);
    item("mnuAlterar")->trigger();
    EXPECT_TRUE(ui.errors().isEmpty());
    EXPECT_TRUE(ui.messages().isEmpty());

    form.onCall = [](const QString &) { throw std::runtime_error("falha no servidor"); };
    QTest::mouseClick(button("sbtAlterar"), Qt::LeftButton);
    item("mnuAlterar")->trigger();
    ASSERT_EQ(ui.errors().size(), 2);
    EXPECT_TRUE(ui.errors().at(0).contains(QStringLiteral("falha no servidor")));
}

TEST_F(FrameTest, CreationRunsTheDerivedFormCreateOnceAndBeforeActivation)
{
    std::unique_ptr<RecordingForm> made(TfrmPadraoGrid::Make<RecordingForm>());
    made->Create();
    EXPECT_EQ(made->calls, QStringList{QStringLiteral("FormCreate")});

    // A form shown without Create() gets its creation first.
    RecordingForm lazy;
    lazy.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&lazy));
    ASSERT_GE(lazy.calls.size(), 2);
    EXPECT_EQ(lazy.calls.at(0), QStringLiteral("FormCreate"));
    EXPECT_EQ(lazy.calls.at(1), QStringLiteral("FormActivate"));
    EXPECT_EQ(lazy.calls.count(QStringLiteral("FormCreate")), 1);
}

TEST_F(FrameTest, ActivationRunsFormActivateEachTime)
{
    form.Create();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(form.calls.count(QStringLiteral("FormActivate")), 1);

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(form.calls.count(QStringLiteral("FormActivate")), 2);
}

TEST_F(FrameTest, EveryWayOfClosingRunsFormCloseOnceAndHidesTheInstance)
{
    const std::pair<const char *, std::function<void(RecordingForm &)>> ways[] = {
        {"close()", [](RecordingForm &f) { f.close(); }},
        {"Esc", [](RecordingForm &f) { QTest::keyClick(&f, Qt::Key_Escape); }},
        {"reject()", [](RecordingForm &f) { f.reject(); }},
        {"accept()", [](RecordingForm &f) { f.accept(); }},
    };
    for (const auto &way : ways) {
        SCOPED_TRACE(way.first);
        const auto &closeIt = way.second;
        QPointer<RecordingForm> f(TfrmPadraoGrid::Make<RecordingForm>());
        QTimer::singleShot(0, f, [&closeIt, &f] { closeIt(*f); });
        f->exec();
        RecordingForm *const closed = f.data();
        ASSERT_NE(closed, nullptr);
        EXPECT_FALSE(closed->isVisible());
        EXPECT_EQ(closed->calls.count(QStringLiteral("FormClose")), 1);
        QCoreApplication::processEvents();
        EXPECT_FALSE(f.isNull()) << "closing must not destroy the instance";
        delete f.data();
    }
}

// Notes what reaches a control of the window, in order.
class ControlEvents final : public QObject {
public:
    QStringList seen;
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::FocusOut:
            seen << (static_cast<QFocusEvent *>(event)->reason() == Qt::ActiveWindowFocusReason
                         ? QStringLiteral("FocusOut(window)")
                         : QStringLiteral("FocusOut(other)"));
            break;
        case QEvent::Hide:
            seen << QStringLiteral("Hide");
            break;
        case QEvent::WindowActivate:
            seen << QStringLiteral("WindowActivate");
            break;
        case QEvent::WindowDeactivate:
            seen << QStringLiteral("WindowDeactivate");
            break;
        default:
            break;
        }
        return false;
    }
};

// Closing spares the controls the window's deactivation, but not the loss of the focus nor the
// hiding; a window shown again, or merely deactivated, tells its controls as always.
TEST_F(FrameTest, ClosingTheActiveWindowTakesTheFocusAndHidesItsControls)
{
    form.Create();
    auto *edit = new QLineEdit(form.ClientArea());
    ControlEvents events;
    edit->installEventFilter(&events);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    edit->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(edit->hasFocus());
    events.seen.clear();

    bool finished = false;
    QObject::connect(&form, &QDialog::finished, &form, [&finished] { finished = true; });
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_NE(QApplication::activeWindow(), &form);
    EXPECT_TRUE(finished);
    EXPECT_EQ(events.seen,
              QStringList({QStringLiteral("FocusOut(window)"), QStringLiteral("Hide")}));
    EXPECT_EQ(form.focusWidget(), edit) << "the window keeps its focused control for next time";

    events.seen.clear();
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_TRUE(events.seen.contains(QStringLiteral("WindowActivate")));
    EXPECT_EQ(form.calls.count(QStringLiteral("FormActivate")), 2);

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_TRUE(events.seen.contains(QStringLiteral("WindowDeactivate")));
    EXPECT_TRUE(form.isVisible());
}

TEST_F(FrameTest, FormCloseDecidesWhatBecomesOfTheWindow)
{
    form.Create();
    form.show();

    form.closeAction = CloseAction::caNone;
    form.close();
    EXPECT_TRUE(form.isVisible());

    // A close handler that fails keeps the window open, as one that refuses does.
    form.closeAction = CloseAction::caHide;
    form.onCall = [](const QString &name) {
        if (name == QStringLiteral("FormClose"))
            throw SilentAbort();
    };
    form.close();
    EXPECT_TRUE(form.isVisible());

    form.onCall = nullptr;
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.calls.count(QStringLiteral("FormClose")), 3);

    RecordingForm *const toFree = TfrmPadraoGrid::Make<RecordingForm>();
    ASSERT_NE(toFree, nullptr);
    QPointer<RecordingForm> freed(toFree);
    toFree->closeAction = CloseAction::caFree;
    toFree->show();
    toFree->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(freed.isNull());
}

TEST_F(FrameTest, AlterarEditsAndConfirmarPostsTheDataSetOfDtsPadrao)
{
    addRecord(QStringLiteral("0001"), 1.5);
    bind();
    form.show();

    QTest::mouseClick(button("sbtAlterar"), Qt::LeftButton);
    ASSERT_EQ(dataSet.State(), DataSetState::Edit);
    dataSet.FieldByName(QStringLiteral("VALOR")).SetValue(2.5);

    item("mnuConfirmar")->trigger();
    EXPECT_EQ(dataSet.State(), DataSetState::Browse);
    EXPECT_EQ(dataSet.FieldByName(QStringLiteral("VALOR")).Value().toDouble(), 2.5);
    EXPECT_EQ(dataSet.ChangeCount(), 1);
}

TEST_F(FrameTest, ConfirmarLetsAFailedPostKeepTheEdit)
{
    addRecord(QStringLiteral("0001"), 1.5);
    dataSet.BeforePost = [](TClientDataSet &) { throw SilentAbort(); };
    bind();
    form.show();
    item("mnuAlterar")->trigger();
    dataSet.FieldByName(QStringLiteral("VALOR")).SetValue(9.0);
    QTest::mouseClick(button("sbtConfirmar"), Qt::LeftButton);
    EXPECT_EQ(dataSet.State(), DataSetState::Edit);
    EXPECT_TRUE(ui.errors().isEmpty());
}

TEST_F(FrameTest, ExcluirAndCancelarAskTheGeneralCatalogFirst)
{
    addRecord(QStringLiteral("0001"), 1.0);
    addRecord(QStringLiteral("0002"), 2.0);
    bind();
    form.show();

    ui.answerButton(MsgButton::No);
    form.sbtExcluirClick();
    EXPECT_EQ(dataSet.RecordCount(), 2);
    ui.answerButton(MsgButton::Yes);
    form.sbtExcluirClick();
    EXPECT_EQ(dataSet.RecordCount(), 1);

    form.sbtAlterarClick();
    dataSet.FieldByName(QStringLiteral("VALOR")).SetValue(7.0);
    ui.answerButton(MsgButton::No);
    form.sbtCancelarClick();
    EXPECT_EQ(dataSet.State(), DataSetState::Edit);
    ui.answerButton(MsgButton::Yes);
    form.sbtCancelarClick();
    EXPECT_EQ(dataSet.State(), DataSetState::Browse);
    EXPECT_NE(dataSet.FieldByName(QStringLiteral("VALOR")).Value().toDouble(), 7.0);

    const QStringList expected{TMessages::General().Msg(QStringLiteral("Excl")),
                               TMessages::General().Msg(QStringLiteral("Excl")),
                               TMessages::General().Msg(QStringLiteral("Canc")),
                               TMessages::General().Msg(QStringLiteral("Canc"))};
    EXPECT_EQ(ui.messageTexts(), expected);
    for (const auto &message : ui.messages())
        EXPECT_EQ(message.kind, MsgKind::Confirmation);
    EXPECT_EQ(ui.pendingAnswers(), 0);
}

TEST_F(FrameTest, IncluirInsertsAndCancelarWithoutAnEditAsksNothing)
{
    bind();
    form.sbtCancelarClick();
    EXPECT_TRUE(ui.messages().isEmpty());
    form.sbtIncluirClick();
    EXPECT_EQ(dataSet.State(), DataSetState::Insert);
    // An edit command while inserting leaves the new record alone.
    form.sbtAlterarClick();
    form.sbtIncluirClick();
    EXPECT_EQ(dataSet.State(), DataSetState::Insert);
}

// Counts how often the bound controls are told to show the current record again.
class RedisplayCounter : public DataLink {
public:
    int count = 0;
    void dataChanged(TField *field) override { count += field ? 0 : 1; }
};

TEST_F(FrameTest, ProcurarSearchesAndVerificarRedisplaysOnlyWhileBrowsing)
{
    bind();
    RedisplayCounter counter;
    form.dtsPadrao->AddLink(&counter);

    form.sbtProcurarClick();
    EXPECT_TRUE(ui.lists().isEmpty()) << "nothing to search in an empty dataset";
    addRecord(QStringLiteral("0001"), 1.0);
    ui.answerRow(1);
    form.sbtProcurarClick();
    ASSERT_EQ(ui.lists().size(), 1);
    EXPECT_EQ(ui.lists().at(0).sort, ScriptedHostUi::ListRequest::Sort::Search);
    EXPECT_EQ(ui.lists().at(0).name, QStringLiteral("cdsTeste"));

    counter.count = 0;
    form.sbtVerificarClick();
    EXPECT_EQ(counter.count, 1);
    dataSet.Edit();
    counter.count = 0;
    form.sbtVerificarClick();
    form.sbtProcurarClick();
    EXPECT_EQ(counter.count, 0) << "a pending edit is left as it is";
    EXPECT_EQ(ui.lists().size(), 1);
    form.dtsPadrao->RemoveLink(&counter);
}

TEST_F(FrameTest, StandardCommandsFollowTheStateAndButtonsFollowTheirMenuItems)
{
    struct Case {
        const char *name;
        std::function<void(FrameTest &)> setUp;
        QStringList enabled;
    };
    const QStringList browseEmpty{QStringLiteral("Incluir"), QStringLiteral("Alterar"),
                                  QStringLiteral("Verificar")};
    const QStringList browseFull =
        browseEmpty + QStringList{QStringLiteral("Excluir"), QStringLiteral("Procurar")};
    const QStringList editing{QStringLiteral("Cancelar"), QStringLiteral("Confirmar")};
    const Case cases[] = {
        {"inactive", [](FrameTest &t) { t.dataSet.Close(); }, {}},
        {"browse, empty", [](FrameTest &) {}, browseEmpty},
        {"browse, a record", [](FrameTest &t) { t.addRecord(QStringLiteral("0001"), 1.0); },
         browseFull},
        {"edit",
         [](FrameTest &t) {
             t.addRecord(QStringLiteral("0001"), 1.0);
             t.dataSet.Edit();
         },
         editing},
        {"insert", [](FrameTest &t) { t.dataSet.Insert(); }, editing},
    };
    const QStringList all{QStringLiteral("Incluir"),   QStringLiteral("Alterar"),
                          QStringLiteral("Excluir"),   QStringLiteral("Procurar"),
                          QStringLiteral("Verificar"), QStringLiteral("Cancelar"),
                          QStringLiteral("Confirmar")};
    bind();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (dataSet.Active() && dataSet.State() != DataSetState::Browse)
            dataSet.Cancel();
        dataSet.Close();
        dataSet.Open();
        c.setUp(*this);
        for (const QString &command : all) {
            SCOPED_TRACE(command.toStdString());
            QAction *menuItem = form.findChild<QAction *>(QStringLiteral("mnu") + command);
            auto *toolButton = form.findChild<TButtonFlat *>(QStringLiteral("sbt") + command);
            EXPECT_EQ(menuItem->isEnabled(), c.enabled.contains(command));
            EXPECT_EQ(toolButton->isEnabled(), menuItem->isEnabled());
        }
    }
}

TEST_F(FrameTest, LayoutKeepsTheClientAreaAndTheNamedPlaces)
{
    form.Create();
    form.show();
    EXPECT_EQ(form.ClientArea()->size(), QSize(524, 406));
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the window is not resizable";
    EXPECT_EQ(form.ClientArea()->y(), form.mnuMenu->geometry().bottom() + 1);
    EXPECT_EQ(form.pgcPadrao->geometry(), QRect(0, 28, 524, 360));
    EXPECT_EQ(form.panNavigator->geometry().top(), 388);
    EXPECT_EQ(form.panMenu->geometry().width(), 524);
    EXPECT_EQ(form.pgcPadrao->ActivePage(), form.tshPadrao);

    QStringList maintenance;
    for (QAction *action : form.mnuManutencao->actions())
        maintenance << action->objectName();
    EXPECT_EQ(maintenance,
              (QStringList{QStringLiteral("mnuIncluir"), QStringLiteral("mnuAlterar"),
                           QStringLiteral("mnuExcluir"), QStringLiteral("mnuProcurar"),
                           QStringLiteral("mnuVerificar"), QStringLiteral("mnuLinha3"),
                           QStringLiteral("mnuCancelar"), QStringLiteral("mnuConfirmar")}));
    EXPECT_TRUE(form.mnuLinha3->isSeparator());
    EXPECT_EQ(form.mnuOperacao->title(), QStringLiteral("&Operação"));
    EXPECT_EQ(form.mnuManutencao->title(), QStringLiteral("&Manutenção"));
    for (const char *name : {"panMenu", "lblCodTela", "pgcPadrao", "tshPadrao", "panDbgPadrao",
                             "scbFolhaDados", "dbgPadrao", "panNavigator", "dbnPadrao", "mnuMenu"})
        EXPECT_NE(form.findChild<QWidget *>(QString::fromLatin1(name)), nullptr) << name;
}

// A screen owns the dataset behind dtsPadrao; while it is destroyed the dataset unbinds itself,
// and the screen's handler, whose members are partly gone by then, must not run.
class OwningForm : public TfrmPadraoGrid {
public:
    explicit OwningForm(int &calls) : m_calls(calls)
    {
        cdsOwn.AddField({QStringLiteral("CODIGO"), FieldType::String, 4});
        cdsOwn.Open();
        dtsPadrao->SetDataSet(&cdsOwn);
    }
    void dtsPadraoStateChange() override { ++m_calls; }

    TClientDataSet cdsOwn{QStringLiteral("cdsOwn")};

private:
    int &m_calls;
};

TEST(FrameLifetime, DestroyingAScreenRunsNoneOfItsHandlers)
{
    int calls = 0;
    auto *form = TfrmPadraoGrid::Make<OwningForm>(calls);
    const int created = calls;
    form->cdsOwn.Insert();
    EXPECT_GT(calls, created) << "bound: state changes reach the screen";
    form->cdsOwn.Cancel();
    const int before = calls;
    delete form;
    EXPECT_EQ(calls, before);
}

} // namespace
