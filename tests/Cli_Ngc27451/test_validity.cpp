#include "support/behaviour_screen.h"

#include <services/HostContext.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TDBComboBox.h>
#include <widgets/TDBDateEditPlus.h>
#include <widgets/TDBEdit.h>
#include <widgets/TPageControl.h>
#include <widgets/TSpinEdit.h>
#include <widgets/TTabSheet.h>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>

using behaviour::ScreenTest;
using ngc::DataSetState;
using screentest::component;
using screentest::dataSet;

namespace {

QVariant date(int year, int month, int day)
{
    return QDateTime(QDate(year, month, day), QTime(0, 0));
}

} // namespace

class ValidityTest : public ScreenTest {};

// Only the mode that asks for the validity makes the dates mandatory and ordered; the first rule
// broken is the one reported, the page comes to front (from the payment page too) and the focus
// goes to the date to correct.
TEST_F(ValidityTest, ValidityIsCheckedOnlyInTheModeThatAsksForIt)
{
    const struct {
        bool validade;
        QVariant start, end;
        bool fromPaymentPage;
        const char *message; // empty: saved
        const char *focused;
    } rows[] = {
        {false, {}, {}, false, "", ""},
        {false, date(2026, 12, 9), date(2026, 12, 1), false, "", ""},
        {true, {}, {}, false, "Data de validade inicial deve ser informada.", "dbdIniVal"},
        {true,
         date(2026, 12, 1),
         {},
         false,
         "Data de validade final deve ser informada.",
         "dbdFimVal"},
        {true,
         {},
         date(2026, 12, 1),
         true,
         "Data de validade inicial deve ser informada.",
         "dbdIniVal"},
        {true, date(2026, 12, 10), date(2026, 12, 9), true,
         "Data de validade inicial deve ser menor ou igual a data de validade final.", "dbdIniVal"},
        {true, date(2026, 12, 9), date(2026, 12, 9), true, "", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::to_string(&row - rows));
        if (screen)
            screen->hide();
        auto &form = open(behaviour::demoItem(), row.validade);
        if (row.fromPaymentPage)
            component<QAction>(form, "mnuFormaPagamento")->trigger();
        dataSet(form, "cdsItemCole").Edit();
        dataSet(form, "cdsItemCole").FieldByName(QStringLiteral("DTINIVALITM")).SetValue(row.start);
        dataSet(form, "cdsItemCole").FieldByName(QStringLiteral("DTFINVALITM")).SetValue(row.end);
        ui.clear();
        recorder.clear();
        click(form.sbtConfirmar);
        settle();

        const bool saved = *row.message == '\0';
        EXPECT_EQ(ui.messageTexts(),
                  saved ? QStringList() : QStringList{QString::fromUtf8(row.message)});
        EXPECT_EQ(recorder.count(QStringLiteral("SetItemCole")), saved ? 1 : 0);
        EXPECT_EQ(form.isVisible(), !saved);
        if (!saved) {
            EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Edit);
            EXPECT_EQ(form.pgcPadrao->ActivePage(), component<ngc::TTabSheet>(form, "tshDados"));
            EXPECT_EQ(form.ActiveControl()->objectName(), QLatin1String(row.focused));
        }
        expectProgressBalanced();
    }
}

// The week day of each date is shown beside it, as it loads and as it changes; the two boxes only
// show it, also while the validity group is open.
TEST_F(ValidityTest, WeekDaysFollowTheDates)
{
    auto &form = open(behaviour::demoItem(), true);
    auto *edtNmSem_Ini = component<QLineEdit>(form, "edtNmSem_Ini");
    auto *edtNmSem_Fin = component<QLineEdit>(form, "edtNmSem_Fin");
    ngc::TClientDataSet &cdsItemCole = dataSet(form, "cdsItemCole");
    EXPECT_TRUE(component<QGroupBox>(form, "grbValidade")->isEnabled());
    EXPECT_FALSE(edtNmSem_Ini->isEnabled());
    EXPECT_FALSE(edtNmSem_Fin->isEnabled());
    EXPECT_EQ(edtNmSem_Ini->text(),
              QStringLiteral("Ter")); // 1 December 2026
    EXPECT_EQ(edtNmSem_Fin->text(),
              QStringLiteral("Qui")); // 31 December 2026

    const struct {
        QVariant value;
        const char *shown;
    } rows[] = {{date(2026, 12, 6), "Dom"}, {date(2026, 12, 12), "Sáb"}, {{}, ""}};
    cdsItemCole.Edit();
    for (const auto &row : rows) {
        SCOPED_TRACE(row.shown);
        cdsItemCole.FieldByName(QStringLiteral("DTINIVALITM")).SetValue(row.value);
        cdsItemCole.FieldByName(QStringLiteral("DTFINVALITM")).SetValue(row.value);
        EXPECT_EQ(edtNmSem_Ini->text(), QString::fromUtf8(row.shown));
        EXPECT_EQ(edtNmSem_Fin->text(), QString::fromUtf8(row.shown));
    }
}

// A date typed into an empty date edit of a browsing item starts the edit and is kept; a text
// that is no date is reported on leaving the edit.
TEST_F(ValidityTest, DatesAreTypedFromBrowseStateAndCheckedOnLeaving)
{
    server().exec(QStringLiteral("UPDATE ITEMCOLE SET DTINIVALITM = NULL") +
                  behaviour::demoWhere());
    auto &form = open(behaviour::demoItem(), true);
    ngc::TClientDataSet &cdsItemCole = dataSet(form, "cdsItemCole");
    ASSERT_EQ(cdsItemCole.State(), DataSetState::Browse);
    type(component<ngc::TDBDateEditPlus>(form, "dbdIniVal"), QStringLiteral("07122026"));
    EXPECT_EQ(cdsItemCole.State(), DataSetState::Edit);
    EXPECT_EQ(component<QLineEdit>(form, "edtNmSem_Ini")->text(), QStringLiteral("Seg"));
    component<ngc::TDBEdit>(form, "dbeValorFrete")->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(cdsItemCole.FieldByName(QStringLiteral("DTINIVALITM")).AsDateTime(),
              date(2026, 12, 7).toDateTime());
    EXPECT_TRUE(ui.errors().isEmpty());

    type(component<ngc::TDBDateEditPlus>(form, "dbdFimVal"), QStringLiteral("31022027"));
    component<ngc::TDBEdit>(form, "dbeValorFrete")->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(ui.errors(), QStringList{QStringLiteral("'31/02/2027' não é uma data válida.")});
    EXPECT_EQ(component<ngc::TDBDateEditPlus>(form, "dbdFimVal")->text(),
              QStringLiteral("31/02/2027"))
        << "kept for correcting";
}

// The delivery term starts the edit only when the buyer changes it; its value reaches the item
// when the item is saved.
TEST_F(ValidityTest, DeliveryTermStartsTheEditOnlyFromTheBuyer)
{
    auto &form = open();
    auto *spePrEntr = component<ngc::TSpinEdit>(form, "spePrEntr");
    ngc::TClientDataSet &cdsItemCole = dataSet(form, "cdsItemCole");
    spePrEntr->SetText(QStringLiteral("20"));
    EXPECT_EQ(cdsItemCole.State(), DataSetState::Browse) << "set without the focus";

    focus(spePrEntr);
    QTest::keyClick(spePrEntr, Qt::Key_Up);
    EXPECT_EQ(cdsItemCole.State(), DataSetState::Edit);
    EXPECT_EQ(spePrEntr->Text(), QStringLiteral("21"));
    EXPECT_EQ(cdsItemCole.FieldByName(QStringLiteral("NRPZOENTCOL")).AsString(),
              QStringLiteral("15"));
    click(form.sbtConfirmar);
    EXPECT_EQ(
        behaviour::valueOf(server().item(behaviour::demoItem()), QStringLiteral("NRPZOENTCOL")),
        QStringLiteral("21"));
}

// With the module code 4 a freight change is refused without a word, also on an item already
// being edited, and the list shows the stored freight again; otherwise the chosen name is stored
// as its code.
TEST_F(ValidityTest, FreightChangeIsRefusedSilentlyInModuleFour)
{
    const struct {
        int module;
        const char *stored;
        const char *shown;
    } rows[] = {{4, "", "<nenhum>"}, {34, "R", "FOR"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.module);
        if (screen)
            screen->hide();
        auto &form = open();
        focus(component<ngc::TDBComboBox>(form, "dcbFrete"));
        dataSet(form, "cdsItemCole").Edit();
        ngc::HostContext::instance().moduleCode = row.module;
        QTest::keyClick(component<ngc::TDBComboBox>(form, "dcbFrete"), Qt::Key_Up);
        ngc::HostContext::instance().moduleCode = 34;
        EXPECT_EQ(
            dataSet(form, "cdsItemCole").FieldByName(QStringLiteral("IDTIPFREITM")).AsString(),
            QString::fromLatin1(row.stored));
        EXPECT_EQ(component<ngc::TDBComboBox>(form, "dcbFrete")->currentText(),
                  QString::fromLatin1(row.shown));
        EXPECT_TRUE(ui.messages().isEmpty());
        EXPECT_TRUE(ui.errors().isEmpty());
    }
}
