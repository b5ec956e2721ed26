#include "support/behaviour_screen.h"

#include <net/CheckResultServ.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TDBEdit.h>
#include <widgets/TDBGrid.h>
#include <widgets/TDBRadioGroup.h>
#include <widgets/TPageControl.h>
#include <widgets/TTabSheet.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QJsonArray>
#include <QLineEdit>
#include <QTest>

using behaviour::ScreenTest;
using behaviour::str;
using ngc::DataSetState;
using screentest::component;
using screentest::dataSet;

class InstalmentTest : public ScreenTest {
protected:
    // Replaces the demo item's stored schedule by these percentages ("50 50") at terms 30, 60,
    // 90, ...
    void storeSchedule(const QString &percentages)
    {
        server().exec(QStringLiteral("DELETE FROM PZOPGTITMCOL") + behaviour::demoWhere());
        int days = 30;
        for (const QString &percentage : percentages.split(u' ', Qt::SkipEmptyParts)) {
            server().exec(QStringLiteral("INSERT INTO PZOPGTITMCOL (CDFILIAL, NRCOLEPRECO, "
                                         "CDPRODUTO, CDMARCA, CDFORNECED, CDREGIAO, NRDIASPGTCOL, "
                                         "VRPERCPGTCOL) VALUES ('0001', '2026000001', '1001', "
                                         "'00001', '1001', '001', ?, ?)"),
                          {days, percentage.toDouble()});
            days += 30;
        }
    }
    // The stored schedule as "term:percentage" pairs.
    QStringList storedSchedule()
    {
        behaviour::LaunchKeys k = behaviour::demoItem();
        const ngc::DataPacket packet = ngc::packetOf(server().call(
            QStringLiteral("Ngc27451.rdmInfoPlanNeg"), QStringLiteral("GetPzoPgtItmCol"),
            {ngc::RemoteArg::stringRef(&k.cdFilial), ngc::RemoteArg::stringRef(&k.nrColePreco),
             ngc::RemoteArg::stringRef(&k.cdProduto), ngc::RemoteArg::stringRef(&k.cdMarca),
             ngc::RemoteArg::stringRef(&k.cdForneced), ngc::RemoteArg::stringRef(&k.cdRegiao)}));
        QStringList pairs;
        const int term = 7;
        for (const ngc::Row &row : packet.rows)
            pairs.append(QStringLiteral("%1:%2")
                             .arg(row.at(term).toDouble())
                             .arg(row.at(term + 1).toDouble()));
        return pairs;
    }
    // Opens the demo item on its payment page, the grid focused.
    Cli_Ngc27451::TfrmInfoPlanNeg &openOnGrid()
    {
        auto &form = open();
        component<QAction>(form, "mnuFormaPagamento")->trigger();
        EXPECT_EQ(form.ActiveControl(), component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol"));
        ui.clear();
        recorder.clear();
        return form;
    }
    // Keys as the buyer types them: to whatever has the focus (the grid or its cell editor).
    void keys(const QString &text)
    {
        for (QChar ch : text)
            QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    }
    // Pasted into the cell from its editor's menu (F2 opens the editor): the key filter never
    // sees it.
    void paste(const QString &text)
    {
        if (!component<ngc::TDBGrid>(*screen, "dbgPzoPgtItmCol")->EditorMode())
            key(Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        QApplication::clipboard()->setText(text);
        editor->paste();
    }
    void enter(const char *text, bool pasted)
    {
        if (pasted)
            paste(str(text));
        else
            keys(str(text));
    }
    // The kinds of the progress windows shown, in order, as digits.
    QString progressKinds() const
    {
        QString kinds;
        for (const auto &event : ui.progress())
            if (event.begin)
                kinds += QString::number(event.kind);
        return kinds;
    }
    static const QStringList none;
};

const QStringList InstalmentTest::none;

// The checks of one instalment as the buyer fills its cells: when the server is asked about the
// term (a new record each time its term is left and on post, under the progress window; an
// edited one only when the term changed, without it), and what each check refuses, pasted values
// included.
TEST_F(InstalmentTest, TermAndPercentageChecks)
{
    const QString verif = QStringLiteral("GetVerif_PzoPgtItmCol");
    struct Row {
        const char *name;
        bool insert;            // else the first instalment (30 days, 50 %) is edited
        const char *term;       // nullptr: left as it is
        const char *percentage; // nullptr: the row stops after the term is left
        bool pasted;            // the last value entered is pasted
        const char *message;
        const char *calls;    // in order: V GetVerif_PzoPgtItmCol, S SetPzoPgtItmCol
        const char *progress; // the kinds of the progress windows shown, in order
    };
    const Row rows[] = {
        {"a new term of 999", true, "999", "10", false, nullptr, "VVS", "661"},
        {"a term of 1000", true, "1000", nullptr, false, "Prazo(dias) deve estar entre 0 e 999.",
         "", ""},
        {"a term the item has", true, "60", nullptr, false, "Prazo(dias)  já cadastrado.", "V",
         "6"},
        {"an edit that keeps the term", false, nullptr, "40", false, nullptr, "S", "1"},
        {"an edit to a new term", false, "45", "50", false, nullptr, "VVS", "1"},
        {"an edit to a term the item has", false, "60", nullptr, false,
         "Prazo(dias)  já cadastrado.", "V", ""},
        {"a percentage of 100", true, "90", "100", false, nullptr, "VVS", "661"},
        {"a percentage of 100.01", true, "90", "100.01", false,
         "Percentual deve estar entre 0 e 100%.", "VV", "66"},
        {"a pasted negative term", true, "-5", nullptr, true,
         "Prazo(dias) deve estar entre 0 e 999.", "", ""},
        {"a pasted fraction of a day", true, "1.5", nullptr, true,
         "Prazo(dias) deve estar entre 0 e 999.", "", ""},
        {"a pasted negative percentage", true, "90", "-1", true,
         "Percentual deve estar entre 0 e 100%.", "VV", "66"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        storeSchedule(QStringLiteral("50 50"));
        auto &form = openOnGrid();
        ngc::TDBGrid *grid = component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol");
        if (row.insert)
            click(form.sbtIncluir);
        if (row.term)
            enter(row.term, row.pasted && !row.percentage);
        key(Qt::Key_Tab);
        if (row.percentage) {
            enter(row.percentage, row.pasted);
            key(Qt::Key_Down);
        }
        EXPECT_EQ(ui.messageTexts(), row.message ? QStringList{str(row.message)} : none);
        QStringList calls;
        for (const char *call = row.calls; *call; ++call)
            calls.append(*call == 'V' ? verif : QStringLiteral("SetPzoPgtItmCol"));
        EXPECT_EQ(recorder.methods(), calls);
        EXPECT_EQ(progressKinds(), QString::fromLatin1(row.progress));
        expectProgressBalanced();
        if (recorder.count(verif) > 0) {
            const QJsonArray args = recorder.last(verif).args;
            EXPECT_EQ(args.size(), 7);
            EXPECT_EQ(args[0], QJsonValue(str(row.term)));
            EXPECT_EQ(args[6], QJsonValue(QStringLiteral("001")));
        }
        if (row.message) {
            EXPECT_EQ(dataSet(form, "cdsPzoPgtItmCol").State(),
                      row.insert ? DataSetState::Insert : DataSetState::Edit);
            EXPECT_EQ(grid->SelectedField()->FieldName(), row.percentage
                                                              ? QStringLiteral("VRPERCPGTCOL")
                                                              : QStringLiteral("NRDIASPGTCOL"));
            EXPECT_EQ(form.ActiveControl(), grid);
        } else {
            EXPECT_EQ(dataSet(form, "cdsPzoPgtItmCol").ChangeCount(), 0);
        }
        // Every change of the schedule is part of the item's edit.
        EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Edit);
        screen->hide();
    }
}

// Signs and exponents never reach a cell, nor a decimal separator the term.
TEST_F(InstalmentTest, KeyFilterKeepsSignsOutOfTheCells)
{
    struct Row {
        bool term;
        const char *typed, *shown;
    };
    const Row rows[] = {{true, "1-2+e3E.4", "1234"}, {false, "5-0+e.5E", "50.5"}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.typed);
        openOnGrid();
        if (!row.term)
            key(Qt::Key_Tab);
        keys(str(row.typed));
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->text(), str(row.shown));
        screen->hide();
    }
}

// A send that fails keeps the change in the grid and in the log, with the server's message and
// the progress window closed; the next successful send carries it, be it the next post or the
// item's save, whose sum then counts it.
TEST_F(InstalmentTest, FailedSendIsCarriedByTheNextOne)
{
    enum class Then { Nothing, Post, SaveItem };
    struct Row {
        const char *cause;
        bool serverStopped;
        Then then;
    };
    const Row rows[] = {{"collection closed, then a post", false, Then::Post},
                        {"collection closed, then the item saved", false, Then::SaveItem},
                        {"server gone", true, Then::Nothing}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.cause);
        storeSchedule(QStringLiteral("50 50"));
        auto &form = openOnGrid();
        if (row.serverStopped)
            server().kill();
        else
            server().exec(QStringLiteral("UPDATE COLEPRECO SET IDSITCOLE = 'E'"));
        // Up on the first row moves nowhere: only leaving the percentage posts the instalment.
        key(Qt::Key_Tab);
        keys(QStringLiteral("40"));
        key(Qt::Key_Up);
        EXPECT_EQ(ui.messages().size() + ui.errors().size(), 1);
        expectProgressBalanced();
        EXPECT_EQ(dataSet(form, "cdsPzoPgtItmCol").State(), DataSetState::Browse);
        EXPECT_EQ(dataSet(form, "cdsPzoPgtItmCol").ChangeCount(), 1);
        EXPECT_EQ(
            dataSet(form, "cdsPzoPgtItmCol").FieldByName(QStringLiteral("VRPERCPGTCOL")).AsFloat(),
            40);
        if (row.then == Then::Nothing) {
            screen->hide();
            m_server.reset();
            continue;
        }

        server().exec(QStringLiteral("UPDATE COLEPRECO SET IDSITCOLE = 'A'"));
        recorder.clear();
        ui.clear();
        if (row.then == Then::Post) {
            dataSet(form, "cdsPzoPgtItmCol").Last();
            keys(QStringLiteral("60"));
            key(Qt::Key_Up);
        } else {
            click(form.sbtConfirmar);
            EXPECT_EQ(ui.messageTexts(),
                      QStringList{QStringLiteral("Soma do(s) percentual(is) do(s) prazo(s) de "
                                                 "pagamento deve totalizar 100%.")});
        }
        const QStringList sent = recorder.methods().filter(QStringLiteral("SetPzoPgtItmCol"));
        ASSERT_EQ(sent.size(), 1);
        EXPECT_EQ(recorder.last(QStringLiteral("SetPzoPgtItmCol"))
                      .args[0][QLatin1String("changes")]
                      .toArray()
                      .size(),
                  row.then == Then::Post ? 2 : 1);
        EXPECT_EQ(dataSet(form, "cdsPzoPgtItmCol").ChangeCount(), 0);
        EXPECT_EQ(storedSchedule(),
                  QStringList({QStringLiteral("30:40"), row.then == Then::Post
                                                            ? QStringLiteral("60:60")
                                                            : QStringLiteral("60:50")}));
        screen->hide();
    }
}

// At the item's save the server's sum must be exactly 100: 33.33 + 33.33 + 33.34 passes, three
// times 33.33 does not, and neither does an empty schedule. A pending instalment is posted first,
// and its failed check stops the save.
TEST_F(InstalmentTest, ScheduleIsCheckedWhenTheItemIsSaved)
{
    struct Row {
        const char *name;
        const char *stored;
        const char *pendingTerm; // typed into a new instalment before saving
        const char *message;
    };
    const Row rows[] = {
        {"no instalment", "", nullptr, "Prazo(s) de pagamento deve(m) ser informado(s)."},
        {"three of 33.33", "33.33 33.33 33.33", nullptr,
         "Soma do(s) percentual(is) do(s) prazo(s) de pagamento deve totalizar 100%."},
        {"a pending instalment with a term the item has", "50 50", "60",
         "Prazo(dias)  já cadastrado."},
        {"33.33, 33.33 and 33.34", "33.33 33.33 33.34", nullptr, nullptr},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        storeSchedule(QString::fromLatin1(row.stored));
        auto &form = openOnGrid();
        if (row.pendingTerm) {
            click(form.sbtIncluir);
            keys(str(row.pendingTerm));
        } else {
            focus(component<ngc::TDBRadioGroup>(form, "drgFormPgto"));
            click(form.sbtAlterar);
        }
        ASSERT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Edit);
        component<QAction>(form, "mnuDadosAdicionais")->trigger();
        click(form.sbtConfirmar);
        settle();
        EXPECT_EQ(ui.messageTexts(), row.message ? QStringList{str(row.message)} : none);
        EXPECT_EQ(recorder.count(QStringLiteral("SetItemCole")), 0);
        if (!row.message) {
            EXPECT_FALSE(form.isVisible());
            EXPECT_EQ(recorder.last(QStringLiteral("GetSomaPerc")).args.size(), 6);
            continue;
        }
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Edit);
        EXPECT_EQ(form.pgcPadrao->ActivePage(), component<ngc::TTabSheet>(form, "tshFormPgto"));
        EXPECT_EQ(form.ActiveControl(), component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol"));
        screen->hide();
    }
}

// Ctrl+Delete in the grid deletes only while the item is edited, after the grid's own question;
// in browse the toolbar is the way.
TEST_F(InstalmentTest, CtrlDeleteDeletesOnlyWhileTheItemIsEdited)
{
    struct Row {
        bool itemEdited;
        ngc::MsgButton answer;
        int left;
    };
    const Row rows[] = {{false, ngc::MsgButton::Yes, 2},
                        {true, ngc::MsgButton::No, 2},
                        {true, ngc::MsgButton::Yes, 1}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.itemEdited ? "edited" : "browsed");
        storeSchedule(QStringLiteral("50 50"));
        auto &form = openOnGrid();
        if (row.itemEdited) {
            focus(component<ngc::TDBRadioGroup>(form, "drgFormPgto"));
            click(form.sbtAlterar);
            focus(component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol"));
        }
        ui.answerButton(row.answer);
        key(Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(ui.messageTexts(),
                  row.itemEdited ? QStringList{QStringLiteral("Excluir registro?")} : none);
        EXPECT_EQ(dataSet(form, "cdsPzoPgtItmCol").RecordCount(), row.left);
        EXPECT_EQ(storedSchedule().size(), row.left);
        screen->hide();
    }
}

// The toolbar's commands on the focused grid: each change starts the item's edit; a deletion is
// sent at once, so cancelling the item does not bring the instalment back.
TEST_F(InstalmentTest, ToolbarCommandsWorkOnTheInstalments)
{
    struct Row {
        const char *command;
        DataSetState instalment;
        int left;
    };
    const Row rows[] = {{"Incluir", DataSetState::Insert, 3},
                        {"Alterar", DataSetState::Edit, 2},
                        {"Excluir", DataSetState::Browse, 1}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.command);
        storeSchedule(QStringLiteral("50 50"));
        auto &form = openOnGrid();
        const QString command = str(row.command);
        if (command == QLatin1String("Incluir"))
            click(form.sbtIncluir);
        else if (command == QLatin1String("Alterar"))
            click(form.sbtAlterar);
        else {
            ui.answerButton(ngc::MsgButton::Yes);
            click(form.sbtExcluir);
            EXPECT_EQ(ui.messageTexts(), QStringList{QStringLiteral("Confirma exclusão?")});
            EXPECT_EQ(recorder.methods(), QStringList{QStringLiteral("SetPzoPgtItmCol")});
        }
        EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Edit);
        EXPECT_EQ(dataSet(form, "cdsPzoPgtItmCol").State(), row.instalment);
        EXPECT_EQ(dataSet(form, "cdsPzoPgtItmCol").RecordCount(), row.left);
        EXPECT_EQ(component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol")->SelectedField()->FieldName(),
                  QStringLiteral("NRDIASPGTCOL"));
        EXPECT_EQ(form.ActiveControl(), component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol"));

        ui.answerButton(ngc::MsgButton::Yes);
        click(form.sbtCancelar);
        EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Browse);
        EXPECT_EQ(dataSet(form, "cdsPzoPgtItmCol").RecordCount(),
                  row.instalment == DataSetState::Browse ? 1 : 2);
        EXPECT_EQ(storedSchedule().size(), row.left == 1 ? 1 : 2);
        screen->hide();
    }
}

// The whole page from the keyboard: from the code box Tab reaches the grid (the name box is no
// stop), Insert starts an instalment, Tab leads to the percentage, Down posts and starts the
// next, Ctrl+Delete drops the one not wanted, and Ctrl+Return saves.
TEST_F(InstalmentTest, ScheduleIsBuiltFromTheKeyboard)
{
    storeSchedule(QString());
    auto &form = openOnGrid();
    ngc::TClientDataSet &cdsPzoPgtItmCol = dataSet(form, "cdsPzoPgtItmCol");
    focus(component<ngc::TDBEdit>(form, "dbeCdFormPgto"));
    key(Qt::Key_Tab);
    ASSERT_EQ(form.ActiveControl(), component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol"));

    key(Qt::Key_Insert);
    ASSERT_EQ(cdsPzoPgtItmCol.State(), DataSetState::Insert);
    keys(QStringLiteral("30"));
    key(Qt::Key_Tab);
    keys(QStringLiteral("40"));
    key(Qt::Key_Down);
    key(Qt::Key_Backtab);
    keys(QStringLiteral("60"));
    key(Qt::Key_Tab);
    keys(QStringLiteral("60"));
    key(Qt::Key_Down);
    ASSERT_EQ(cdsPzoPgtItmCol.State(), DataSetState::Insert);
    ui.answerButton(ngc::MsgButton::Yes);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(cdsPzoPgtItmCol.RecordCount(), 2);
    key(Qt::Key_Return, Qt::ControlModifier);
    settle();

    EXPECT_EQ(ui.messageTexts(), QStringList{QStringLiteral("Excluir registro?")});
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(storedSchedule(), QStringList({QStringLiteral("30:40"), QStringLiteral("60:60")}));
}
