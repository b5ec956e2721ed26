#include "support/behaviour_screen.h"

#include <widgets/TBtnPesquisa.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TDBEdit.h>
#include <widgets/TDBGrid.h>
#include <widgets/TDBRadioGroup.h>
#include <widgets/TPageControl.h>
#include <widgets/TSpinEdit.h>
#include <widgets/TTabSheet.h>

#include <QAction>
#include <QApplication>
#include <QRadioButton>
#include <QTest>

using behaviour::ScreenTest;
using behaviour::str;
using ngc::DataSetState;
using screentest::component;
using screentest::dataSet;

class PaymentFormTest : public ScreenTest {
protected:
    QString field(const char *name)
    {
        return dataSet(*screen, "cdsItemCole").FieldByName(QString::fromLatin1(name)).AsString();
    }
    QVariant stored(const char *name)
    {
        return behaviour::valueOf(server().item(behaviour::demoItem()), QString::fromLatin1(name));
    }
    void pick(int item)
    {
        component<ngc::TDBRadioGroup>(*screen, "drgFormPgto")->Button(item)->click();
    }
};

// What each type enables, clears and sets, when loaded, chosen while editing, chosen in browse
// (the binding starts the edit) and after a cancel, with the colours that go with it.
TEST_F(PaymentFormTest, TypeRulesFollowTheChosenType)
{
    struct Row {
        const char *name;
        bool fixedDayItem;
        bool alterar;
        const char *picks; // the items of drgFormPgto clicked, in order
        bool cancel;
        DataSetState item;
        bool spins, code, grid;
        const char *day, *count, *cdFormPgto, *utDia;
    };
    const Row rows[] = {
        {"registered form loaded", false, false, "", false, DataSetState::Browse, false, true, true,
         "", "", "01", ""},
        {"fixed day loaded", true, false, "", false, DataSetState::Browse, true, false, false, "10",
         "3", "", "E"},
        {"fixed day chosen while editing", false, true, "1", false, DataSetState::Edit, true, false,
         false, "1", "1", "", "E"},
        {"none chosen in browse", false, false, "0", false, DataSetState::Edit, false, false, false,
         "", "", "", ""},
        {"back to the registered form", false, true, "12", false, DataSetState::Edit, false, true,
         false, "", "", "", "E"},
        {"registered form for a fixed-day item", true, true, "2", false, DataSetState::Edit, false,
         true, false, "", "", "", "E"},
        {"cancel brings the form back", false, true, "1", true, DataSetState::Browse, false, true,
         true, "", "", "01", ""},
    };
    const QColor grey = QApplication::palette().color(QPalette::Button);
    const QColor white = QApplication::palette().color(QPalette::Base);
    const QColor yellow = QApplication::palette().color(QPalette::ToolTipBase);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto &form = open(row.fixedDayItem ? behaviour::fixedDayItem() : behaviour::demoItem());
        component<QAction>(form, "mnuFormaPagamento")->trigger();
        if (row.alterar) {
            focus(component<ngc::TDBRadioGroup>(form, "drgFormPgto"));
            click(form.sbtAlterar);
        }
        for (const char *item = row.picks; *item; ++item)
            pick(*item - '0');
        if (row.cancel) {
            ui.answerButton(ngc::MsgButton::Yes);
            click(form.sbtCancelar);
        }
        EXPECT_EQ(dataSet(form, "cdsItemCole").State(), row.item);
        for (QWidget *spin :
             std::initializer_list<QWidget *>{component<ngc::TSpinEdit>(form, "speDiaFixo"),
                                              component<ngc::TSpinEdit>(form, "speParcela")}) {
            EXPECT_EQ(spin->isEnabled(), row.spins);
            EXPECT_EQ(spin->palette().color(QPalette::Base), row.spins ? white : grey);
        }
        EXPECT_EQ(component<ngc::TDBEdit>(form, "dbeCdFormPgto")->isEnabled(), row.code);
        EXPECT_EQ(component<ngc::TBtnPesquisa>(form, "btpPesqFormPgto")->isEnabled(), row.code);
        EXPECT_EQ(component<ngc::TDBEdit>(form, "dbeCdFormPgto")->palette().color(QPalette::Base),
                  row.code ? yellow : grey);
        EXPECT_EQ(component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol")->isVisibleTo(&form), row.grid);
        EXPECT_EQ(component<ngc::TSpinEdit>(form, "speDiaFixo")->Text(), str(row.day));
        EXPECT_EQ(component<ngc::TSpinEdit>(form, "speParcela")->Text(), str(row.count));
        EXPECT_EQ(field("CDFORMPGTO"), str(row.cdFormPgto));
        EXPECT_EQ(field("IDUTDIAPGCOL"), str(row.utDia));
        if (row.grid) {
            EXPECT_EQ(form.ActiveControl(), component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol"));
        }
        screen->hide();
    }
}

// Typed values out of range are corrected at once and silently; typing starts the item's edit.
// A value the program writes without the focus is left alone.
TEST_F(PaymentFormTest, SpinEditsCorrectWhatIsTyped)
{
    struct Row {
        bool day;          // speDiaFixo, else speParcela
        const char *typed; // nullptr: the text is deleted
        bool byProgram;
        const char *shown;
    };
    const Row rows[] = {
        {true, "45", false, "31"},  {true, "0", false, "1"},  {true, nullptr, false, "1"},
        {true, "15", false, "15"},  {false, "0", false, "1"}, {false, nullptr, false, "1"},
        {false, "99", false, "99"}, {true, "45", true, "45"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.day ? "day " : "count ") + (row.typed ? row.typed : "empty"));
        auto &form = open(behaviour::fixedDayItem());
        component<QAction>(form, "mnuFormaPagamento")->trigger();
        ngc::TSpinEdit *spin = row.day ? component<ngc::TSpinEdit>(form, "speDiaFixo")
                                       : component<ngc::TSpinEdit>(form, "speParcela");
        if (row.byProgram) {
            spin->SetText(str(row.typed));
        } else {
            focus(spin);
            spin->selectAll();
            if (row.typed)
                QTest::keyClicks(form.focusWidget(), str(row.typed));
            else
                QTest::keyClick(form.focusWidget(), Qt::Key_Backspace);
        }
        EXPECT_EQ(spin->Text(), str(row.shown));
        EXPECT_EQ(dataSet(form, "cdsItemCole").State(),
                  row.byProgram ? DataSetState::Browse : DataSetState::Edit);
        if (!row.byProgram) {
            // Cancelling puts the record's value back without starting the edit again.
            ui.answerButton(ngc::MsgButton::Yes);
            click(form.sbtCancelar);
            EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Browse);
            EXPECT_EQ(spin->Text(), row.day ? QStringLiteral("10") : QStringLiteral("3"));
        }
        screen->hide();
    }
}

// Leaving the code box checks the code on the shared database, adjusted to its two characters;
// an empty code passes until the item is saved.
TEST_F(PaymentFormTest, LeavingTheCodeBoxChecksTheCode)
{
    struct Row {
        const char *typed; // empty: deleted with Backspace
        const char *code, *name, *message;
        bool grid;
    };
    const Row rows[] = {
        {"1", "01", "30/60 dias", nullptr, true},
        {"3", "03", "28 dias fora a semana", nullptr, true},
        {"09", "09", "", "Forma de pagamento não cadastrada.", false},
        {"", "", "", nullptr, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.typed);
        auto &form = open();
        ui.clear();
        component<QAction>(form, "mnuFormaPagamento")->trigger();
        type(component<ngc::TDBEdit>(form, "dbeCdFormPgto"), str(row.typed));
        if (!*row.typed)
            QTest::keyClick(component<ngc::TDBEdit>(form, "dbeCdFormPgto"), Qt::Key_Backspace);
        EXPECT_EQ(component<ngc::TDBEdit>(form, "dbeNmFormPgto")->text(), QString())
            << "the name goes with the old code";
        // Into a radio button, a control of no name: a good code hands the focus to the grid.
        component<ngc::TDBRadioGroup>(form, "drgFormPgto")->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        EXPECT_EQ(field("CDFORMPGTO"), str(row.code));
        EXPECT_EQ(field("NMFORMPGTO"), str(row.name));
        EXPECT_EQ(component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol")->isVisibleTo(&form), row.grid);
        EXPECT_EQ(ui.messageTexts(), row.message ? QStringList{str(row.message)} : QStringList());
        QWidget *focused =
            row.grid ? static_cast<QWidget *>(component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol"))
                     : component<ngc::TDBRadioGroup>(form, "drgFormPgto");
        EXPECT_EQ(form.ActiveControl(),
                  row.message ? component<ngc::TDBEdit>(form, "dbeCdFormPgto") : focused);
        EXPECT_EQ(form.pgcPadrao->ActivePage(), component<ngc::TTabSheet>(form, "tshFormPgto"));
        screen->hide();
    }
}

// Saving checks the form and stores what the type asks for; a refused save keeps the item in
// edit with the payment page in front and the focus in the code box.
TEST_F(PaymentFormTest, SavingChecksAndStoresThePaymentForm)
{
    struct Row {
        const char *name;
        const char *picks; // the items of drgFormPgto clicked, in order
        const char *code;  // typed into the code box; nullptr: left as it is
        const char *message;
        const char *storedType, *storedCode, *storedDay;
        bool deletesInstalments;
    };
    const Row rows[] = {
        {"registered form without a code", "12", nullptr, "Forma de pagamento deve ser informada.",
         nullptr, nullptr, nullptr, false},
        {"a code not registered", "", "09", "Forma de pagamento não cadastrada.", nullptr, nullptr,
         nullptr, false},
        {"a one-digit code", "", "2", nullptr, "V", "02", nullptr, false},
        // Last: it deletes the stored instalments.
        {"fixed day", "1", nullptr, nullptr, "F", nullptr, "1", true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto &form = open();
        ui.clear();
        component<QAction>(form, "mnuFormaPagamento")->trigger();
        focus(component<ngc::TDBRadioGroup>(form, "drgFormPgto"));
        click(form.sbtAlterar);
        for (const char *item = row.picks; *item; ++item)
            pick(*item - '0');
        if (row.code)
            type(component<ngc::TDBEdit>(form, "dbeCdFormPgto"), str(row.code));
        recorder.clear();
        click(form.sbtConfirmar);
        settle();
        EXPECT_EQ(ui.messageTexts(), row.message ? QStringList{str(row.message)} : QStringList());
        EXPECT_EQ(recorder.count(QStringLiteral("DeletaPrazoPg")), row.deletesInstalments ? 1 : 0);
        if (row.message) {
            EXPECT_TRUE(form.isVisible());
            EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Edit);
            EXPECT_EQ(form.pgcPadrao->ActivePage(), component<ngc::TTabSheet>(form, "tshFormPgto"));
            EXPECT_EQ(form.ActiveControl(), component<ngc::TDBEdit>(form, "dbeCdFormPgto"));
            EXPECT_EQ(recorder.count(QStringLiteral("SetItemCole")), 0);
            screen->hide();
            continue;
        }
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(stored("IDTPFOPGTCOL").toString(), str(row.storedType));
        EXPECT_EQ(stored("CDFORMPGTO").toString(), str(row.storedCode));
        EXPECT_EQ(stored("NRDIAPGFXCOL").toString(), str(row.storedDay));
        EXPECT_EQ(stored("NRPARCPGTCOL").toString(), str(row.storedDay));
        EXPECT_EQ(stored("IDUTDIAPGCOL").toString(),
                  row.storedDay ? QStringLiteral("E") : QString());
        EXPECT_EQ(dataSet(form, "cdsPzoPgtItmCol").IsEmpty(), row.deletesInstalments);
    }
}

// The lookup lists every payment form and writes the chosen code, then its name, starting the
// item's edit; the grid waits for the new code's check.
TEST_F(PaymentFormTest, LookupListsEveryFormAndFillsCodeAndName)
{
    auto &form = open();
    component<QAction>(form, "mnuFormaPagamento")->trigger();
    ui.answerRow(2);
    click(component<ngc::TBtnPesquisa>(form, "btpPesqFormPgto"));
    ASSERT_EQ(ui.lists().size(), 1);
    EXPECT_EQ(ui.lists().at(0).title, QStringLiteral("Forma de Pagamento"));
    EXPECT_EQ(ui.lists().at(0).rowCount, 3);
    EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Edit);
    EXPECT_EQ(field("CDFORMPGTO"), QStringLiteral("02"));
    EXPECT_EQ(field("NMFORMPGTO"), QStringLiteral("À vista"));
    EXPECT_FALSE(component<ngc::TDBGrid>(form, "dbgPzoPgtItmCol")->isVisibleTo(&form));
}
