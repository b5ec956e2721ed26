#include "support/behaviour_screen.h"

#include <widgets/TButtonFlat.h>
#include <widgets/TDBEdit.h>
#include <widgets/TNumberEdit.h>
#include <widgets/TPageControl.h>
#include <widgets/TTabSheet.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <optional>

using behaviour::ScreenTest;
using ngc::DataSetState;
using screentest::component;
using screentest::dataSet;

namespace {

const QString percentTooHigh = QStringLiteral("Desconto deve estar entre 0 e 100%.");
const QString amountTooHigh =
    QStringLiteral("Valor do desconto deve ser menor ou igual ao preço unitário.");

} // namespace

class DiscountTest : public ScreenTest {
protected:
    // The demo item (discount 5 %) with this unit price stored, opened afresh.
    Cli_Ngc27451::TfrmInfoPlanNeg &openPriced(double price)
    {
        server().exec(QStringLiteral("UPDATE ITEMCOLE SET VRPRECUNIITM = ?") +
                          behaviour::demoWhere(),
                      {price});
        if (screen)
            screen->hide();
        auto &form = open();
        ui.clear();
        recorder.clear();
        return form;
    }
    void leave()
    {
        component<ngc::TDBEdit>(*screen, "dbeValorFrete")->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    // Pastes text over the whole content of an edit with Ctrl+V, whose key event carries the
    // control character a keyboard gives it.
    void paste(QLineEdit *edit, const QString &text)
    {
        QGuiApplication::clipboard()->setText(text);
        focus(edit);
        edit->selectAll();
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_V, QString(QChar(0x16)),
                            Qt::ControlModifier);
    }
    ngc::TField &percentage() const
    {
        return dataSet(*screen, "cdsItemCole").FieldByName(QStringLiteral("VRPERDESITM"));
    }
    // After a failed check: the message, the page and the focus on the edit to correct.
    void expectRefused(const QString &message, QWidget *edit)
    {
        EXPECT_EQ(ui.messageTexts(), QStringList{message});
        EXPECT_EQ(screen->pgcPadrao->ActivePage(), component<ngc::TTabSheet>(*screen, "tshDados"));
        EXPECT_EQ(screen->ActiveControl(), edit);
    }
};

// Typing a percentage shows its amount of the unit price, rounded to cents; above 100 the amount
// is left as the last valid keystroke made it ("15") and leaving the edit reports it; an emptied
// percentage empties the amount.
TEST_F(DiscountTest, PercentageGivesItsAmountRoundedToCents)
{
    const struct {
        double price;
        const char *typed;
        const char *amount;
        bool refused;
    } rows[] = {{12.34567, "10", "1.23", false}, {12.5, "100", "12.50", false},
                {20, "0", "0.00", false},        {0, "50", "0.00", false},
                {20, "150", "3.00", true},       {20, "", "", false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed);
        auto &form = openPriced(row.price);
        type(component<ngc::TDBEdit>(form, "dbeVrPerDesItm"), QString::fromLatin1(row.typed));
        if (!*row.typed)
            QTest::keyClick(component<ngc::TDBEdit>(form, "dbeVrPerDesItm"), Qt::Key_Backspace);
        EXPECT_EQ(component<ngc::TNumberEdit>(form, "nedValorDesc")->text(),
                  QString::fromLatin1(row.amount));
        EXPECT_TRUE(ui.messages().isEmpty()) << "nothing is reported while typing";
        leave();
        if (row.refused) {
            expectRefused(percentTooHigh, component<ngc::TDBEdit>(form, "dbeVrPerDesItm"));
        } else {
            EXPECT_TRUE(ui.messages().isEmpty());
            EXPECT_EQ(percentage().IsNull(), !*row.typed);
        }
    }

    // A stored percentage above 100 is not checked while the item only browses.
    server().exec(QStringLiteral("UPDATE ITEMCOLE SET VRPERDESITM = 150") + behaviour::demoWhere());
    auto &form = openPriced(20);
    EXPECT_EQ(component<ngc::TNumberEdit>(form, "nedValorDesc")->text(), QString());
    focus(component<ngc::TDBEdit>(form, "dbeVrPerDesItm"));
    focus(component<ngc::TNumberEdit>(form, "nedValorDesc"));
    leave();
    EXPECT_TRUE(ui.messages().isEmpty());
}

// Typing an amount starts the edit of a browsing item and stores the percentage it is of the
// unit price, unrounded; an amount above the price, or any amount on a price of 0, leaves the
// percentage as it was and leaving the edit reports it.
TEST_F(DiscountTest, AmountGivesItsUnroundedPercentage)
{
    const struct {
        double price;
        const char *typed;
        std::optional<double> stored; // nullopt: null
        const char *shown;
        bool refused;
    } rows[] = {
        {10, "2.5", 25.0, "25.00", false},
        {3, "1", static_cast<double>(100.0L / 3.0L), "33.33", false},
        {10, "10", 100.0, "100.00", false},
        {10, "11", 10.0, "10.00", true}, // the percentage of "1" stays
        {0, "5", 5.0, "5.00", true},
        {0, "0", 5.0, "5.00", false},
        {10, "", std::nullopt, "", false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed);
        auto &form = openPriced(row.price);
        ASSERT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Browse);
        type(component<ngc::TNumberEdit>(form, "nedValorDesc"), QString::fromLatin1(row.typed));
        if (!*row.typed)
            QTest::keyClick(component<ngc::TNumberEdit>(form, "nedValorDesc"), Qt::Key_Backspace);
        EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Edit);
        ASSERT_EQ(percentage().IsNull(), !row.stored);
        if (row.stored) {
            EXPECT_DOUBLE_EQ(percentage().AsFloat(), *row.stored);
        }
        EXPECT_EQ(component<ngc::TDBEdit>(form, "dbeVrPerDesItm")->text(),
                  QString::fromLatin1(row.shown));
        EXPECT_EQ(component<ngc::TNumberEdit>(form, "nedValorDesc")->text(),
                  QString::fromLatin1(row.typed));
        leave();
        if (row.refused) {
            expectRefused(amountTooHigh, component<ngc::TNumberEdit>(form, "nedValorDesc"));
        } else {
            EXPECT_TRUE(ui.messages().isEmpty());
        }
    }
}

// The amount shown for a percentage is rounded to cents: 100 % of 12.34567 shows 12.35, above the
// price, and must still save. An amount the buyer types above the price is still refused.
TEST_F(DiscountTest, FullDiscountOnAPriceWithMoreDecimalsSaves)
{
    auto &form = openPriced(12.34567);
    type(component<ngc::TDBEdit>(form, "dbeVrPerDesItm"), QStringLiteral("100"));
    EXPECT_EQ(component<ngc::TNumberEdit>(form, "nedValorDesc")->text(), QStringLiteral("12.35"));
    click(form.sbtConfirmar);
    settle();
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messageTexts().join(u'|').toStdString();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(
        behaviour::valueOf(server().item(behaviour::demoItem()), QStringLiteral("VRPERDESITM")),
        100.0);

    auto &again = openPriced(12.34567);
    type(component<ngc::TNumberEdit>(again, "nedValorDesc"), QStringLiteral("12.35"));
    click(again.sbtConfirmar);
    expectRefused(amountTooHigh, component<ngc::TNumberEdit>(again, "nedValorDesc"));
    EXPECT_EQ(recorder.count(QStringLiteral("SetItemCole")), 0);
}

// Only the key filter keeps the sign out: a negative percentage pasted into either edit, or
// derived from a negative amount, is refused with the message naming the range and never sent.
TEST_F(DiscountTest, NothingNegativeReachesTheServer)
{
    const struct {
        bool amount; // pasted into the amount rather than the percentage
        bool atSave; // reported at the save rather than on leaving the edit
    } rows[] = {{false, false}, {false, true}, {true, true}};
    for (const auto &row : rows) {
        SCOPED_TRACE(std::to_string(row.amount) + std::to_string(row.atSave));
        auto &form = openPriced(20);
        paste(row.amount
                  ? static_cast<QLineEdit *>(component<ngc::TNumberEdit>(form, "nedValorDesc"))
                  : component<ngc::TDBEdit>(form, "dbeVrPerDesItm"),
              QStringLiteral("-5"));
        if (row.atSave)
            click(form.sbtConfirmar);
        else
            leave();
        EXPECT_LT(percentage().AsFloat(), 0.0);
        expectRefused(percentTooHigh, component<ngc::TDBEdit>(form, "dbeVrPerDesItm"));
        EXPECT_EQ(recorder.count(QStringLiteral("SetItemCole")), 0);
        EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Edit);
    }
}

// Neither edit takes a sign or an exponent; each keeps to its digits (3 + 2 for the percentage,
// 10 + 5 for the amount).
TEST_F(DiscountTest, KeyFilterKeepsSignsExponentsAndExtraDigitsOut)
{
    const struct {
        const char *edit;
        const char *typed;
        const char *kept;
    } rows[] = {
        {"dbeVrPerDesItm", "-+eE", ""},
        {"dbeVrPerDesItm", "1e2-3", "123"},
        {"dbeVrPerDesItm", "12345.678", "123.67"},
        {"nedValorDesc", "-+eE", ""},
        {"nedValorDesc", "12345678901.1234567", "1234567890.12345"},
    };
    auto &form = openPriced(20);
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.edit) + " " + row.typed);
        auto *edit = form.findChild<QLineEdit *>(QLatin1String(row.edit));
        focus(edit);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, QString::fromLatin1(row.typed));
        EXPECT_EQ(edit->text(), QString::fromLatin1(row.kept));
        edit->selectAll(); // emptied, so that leaving it passes its check
        QTest::keyClick(edit, Qt::Key_Delete);
    }
}

// A lone decimal separator is no number: the host reports the conversion error, the amount keeps
// its value and typing goes on.
TEST_F(DiscountTest, LoneDecimalSeparatorIsReportedWithoutACrash)
{
    auto &form = openPriced(20);
    type(component<ngc::TDBEdit>(form, "dbeVrPerDesItm"), QStringLiteral("."));
    EXPECT_EQ(ui.errors(), QStringList{QStringLiteral("'.' não é um número válido.")});
    EXPECT_EQ(component<ngc::TNumberEdit>(form, "nedValorDesc")->text(), QStringLiteral("1.00"));
    QTest::keyClicks(component<ngc::TDBEdit>(form, "dbeVrPerDesItm"), QStringLiteral("5"));
    EXPECT_EQ(component<ngc::TNumberEdit>(form, "nedValorDesc")->text(), QStringLiteral("0.10"));
    EXPECT_EQ(ui.errors().size(), 1);
}

// Cancelling shows again the amount of the stored percentage, also after an amount above the
// price that never became a percentage.
TEST_F(DiscountTest, CancelShowsTheAmountOfTheStoredPercentage)
{
    const struct {
        const char *edit;
        const char *typed;
    } rows[] = {{"nedValorDesc", "25"}, {"dbeVrPerDesItm", "50"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.edit);
        auto &form = openPriced(20);
        type(form.findChild<QLineEdit *>(QLatin1String(row.edit)), QString::fromLatin1(row.typed));
        ui.answerButton(ngc::MsgButton::Yes);
        click(form.sbtCancelar);
        EXPECT_EQ(dataSet(form, "cdsItemCole").State(), DataSetState::Browse);
        EXPECT_EQ(form.ActiveControl(), component<ngc::TDBEdit>(form, "dbeVrPerDesItm"));
        EXPECT_EQ(component<ngc::TNumberEdit>(form, "nedValorDesc")->text(),
                  QStringLiteral("1.00"));
    }
}
