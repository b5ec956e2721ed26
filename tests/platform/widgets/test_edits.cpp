#include <widgets/TDBDateEditPlus.h>
#include <widgets/TNumberEdit.h>
#include <widgets/TSpinEdit.h>

#include "WidgetTestSupport.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

#include <stdexcept>

using namespace ngc;
using namespace ngc::test;

namespace {

// Pins another default locale for one test.
class ScopedLocale {
public:
    explicit ScopedLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~ScopedLocale() { QLocale::setDefault(QLocale::c()); }
    ScopedLocale(const ScopedLocale &) = delete;
    ScopedLocale &operator=(const ScopedLocale &) = delete;
};

} // namespace

TEST(NumberEdit, ShowsTheDecimalsWithTheLocalesSeparatorAndNoThousands)
{
    const struct {
        const char *locale;
        int decimals;
        double value;
        const char *text;
    } cases[] = {
        {"C", 2, 1234.5, "1234.50"},   {"pt_BR", 2, 1234567.891, "1234567,89"},
        {"pt_BR", 0, 12.5, "13"},      {"C", 2, -0.004, "-0.00"},
        {"C", 5, 0.123456, "0.12346"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        ScopedLocale pinned{QLocale(QString::fromLatin1(c.locale))};
        TNumberEdit edit(nullptr, QStringLiteral("nedValorDesc"));
        edit.SetDecimals(c.decimals);
        edit.SetNumber(c.value);
        EXPECT_EQ(edit.text(), QString::fromLatin1(c.text));
        EXPECT_NEAR(edit.GetNumber(), QLocale().toDouble(edit.text()), 1e-9);
    }
}

TEST(NumberEdit, ClearsToAnEmptyTextAndRaisesChangeOnEveryTextChange)
{
    TNumberEdit edit;
    int changes = 0;
    edit.OnChange = [&] { ++changes; };
    edit.SetNumber(10);
    edit.Clear();
    EXPECT_EQ(edit.text(), QString());
    EXPECT_EQ(edit.GetNumber(), 0.0);
    QTest::keyClicks(&edit, QStringLiteral("1a2.3.4-"));
    EXPECT_EQ(edit.text(), QStringLiteral("12.34")) << "one separator, no letters, minus first";
    EXPECT_EQ(changes, 2 + 5);
    edit.Clear();
    QTest::keyClicks(&edit, QStringLiteral("-5"));
    EXPECT_EQ(edit.GetNumber(), -5.0);
}

TEST(NumberEdit, KeyPressHandlersSeeEveryCharacterFirst)
{
    TNumberEdit edit;
    edit.OnKeyPress = [](QChar &key) {
        if (key == QLatin1Char('9'))
            key = QChar();
    };
    QTest::keyClicks(&edit, QStringLiteral("1929"));
    EXPECT_EQ(edit.text(), QStringLiteral("12"));
}

TEST(SpinEdit, KeepsAnEmptyTextAndReadsItAsTheLowerLimit)
{
    TSpinEdit spin(nullptr, QStringLiteral("speDiaFixo"));
    spin.SetMinValue(1);
    spin.SetMaxValue(31);
    spin.SetMaxLength(2);
    int changes = 0;
    spin.OnChange = [&] { ++changes; };
    spin.SetText(QString());
    EXPECT_EQ(spin.Text(), QString());
    EXPECT_EQ(spin.Value(), 1);
    spin.SetValue(45);
    EXPECT_EQ(spin.Text(), QStringLiteral("31"));
    spin.SetValue(-3);
    EXPECT_EQ(spin.Text(), QStringLiteral("1"));
    EXPECT_EQ(changes, 2);
}

TEST(SpinEdit, TypingTakesDigitsUpToTheMaximumLength)
{
    Window window;
    auto *spin = new TSpinEdit(&window, QStringLiteral("speParcela"));
    spin->SetMinValue(1);
    spin->SetMaxValue(99);
    spin->SetMaxLength(2);
    window.activate();
    spin->setFocus();
    QTest::keyClicks(spin, QStringLiteral("a1-2 3"));
    EXPECT_EQ(spin->Text(), QStringLiteral("12"));
    QTest::keyClick(spin, Qt::Key_Backspace);
    QTest::keyClick(spin, Qt::Key_Backspace);
    EXPECT_EQ(spin->Text(), QString()) << "the text may be emptied";
}

TEST(SpinEdit, TellsTheProgramsChangesFromTheUsers)
{
    Window window;
    auto *spin = new TSpinEdit(&window);
    spin->SetMinValue(1);
    spin->SetMaxValue(31);
    QList<bool> byProgram;
    spin->OnChange = [&] { byProgram.append(spin->ChangedByProgram()); };
    window.activate();
    spin->setFocus();
    spin->SetText(QStringLiteral("5"));
    spin->SetValue(7);
    QTest::keyClick(spin, Qt::Key_Up);
    QTest::keyClick(spin, Qt::Key_2);
    EXPECT_EQ(byProgram, QList<bool>({true, true, false, false}));
}

TEST(SpinEdit, StepsStayWithinTheLimits)
{
    Window window;
    auto *spin = new TSpinEdit(&window);
    spin->SetMinValue(0);
    spin->SetMaxValue(99);
    window.activate();
    spin->setFocus();
    const struct {
        const char *start;
        Qt::Key key;
        const char *after;
    } cases[] = {{"98", Qt::Key_Up, "99"}, {"99", Qt::Key_Up, "99"}, {"1", Qt::Key_Down, "0"},
                 {"0", Qt::Key_Down, "0"}, {"", Qt::Key_Up, "1"},    {"50", Qt::Key_PageUp, "60"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.start);
        spin->SetText(QString::fromLatin1(c.start));
        QTest::keyClick(spin, c.key);
        EXPECT_EQ(spin->Text(), QString::fromLatin1(c.after));
    }
}

TEST(SpinEdit, LeavingBringsATypedNumberIntoTheRange)
{
    Window window;
    auto *layout = new QVBoxLayout(&window);
    auto *spin = new TSpinEdit(&window);
    auto *other = new QLineEdit(&window);
    layout->addWidget(spin);
    layout->addWidget(other);
    spin->SetMinValue(1);
    spin->SetMaxValue(31);
    int exits = 0;
    spin->OnExit = [&] { ++exits; };
    window.activate();
    spin->setFocus();
    QTest::keyClicks(spin, QStringLiteral("45"));
    EXPECT_EQ(spin->Text(), QStringLiteral("45"));
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(spin->Text(), QStringLiteral("31"));
    EXPECT_EQ(exits, 1);

    spin->SetText(QString());
    spin->setFocus(Qt::TabFocusReason);
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(spin->Text(), QString());
}

namespace {

class DateEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        defineItem(ds);
        loadRows(ds, {Row{QStringLiteral("01"), QVariant(), 0.0,
                          QDateTime(QDate(2026, 12, 8), QTime(15, 30))}});
        guard.install(ds);
        auto *layout = new QVBoxLayout(&window);
        date = new TDBDateEditPlus(&window, QStringLiteral("dbdIniVal"));
        other = new QLineEdit(&window);
        layout->addWidget(date);
        layout->addWidget(other);
        date->SetDataSource(&source);
        date->SetDataField(QStringLiteral("DTINIVALITM"));
        window.activate();
        date->setFocus();
        QApplication::processEvents();
    }
    TField &field() { return ds.FieldByName(QStringLiteral("DTINIVALITM")); }
    void retype(const QString &digits)
    {
        date->selectAll();
        QTest::keyClick(date, Qt::Key_Delete);
        date->home(false);
        QTest::keyClicks(date, digits);
    }

    ScopedHostUi host;
    TClientDataSet ds{QStringLiteral("cdsItemCole")};
    TDataSource source{QStringLiteral("dtsPadrao"), &ds};
    EditGuard guard;
    Window window;
    TDBDateEditPlus *date = nullptr;
    QLineEdit *other = nullptr;
};

} // namespace

TEST_F(DateEditTest, ShowsTheDateAndStoresATypedOneWithoutTime)
{
    EXPECT_EQ(date->text(), QStringLiteral("08/12/2026"));
    EXPECT_EQ(date->GetDate(), QDate(2026, 12, 8));
    retype(QStringLiteral("01022027"));
    EXPECT_EQ(ds.State(), DataSetState::Edit);
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(field().AsDateTime(), QDateTime(QDate(2027, 2, 1), QTime(0, 0)));
}

// An empty date edit of a browsing record takes a typed date however the focus came in: with its
// whole text selected (Tab) or the caret at the start (a click); the key that starts the edit
// is not lost.
TEST_F(DateEditTest, ADateTypedIntoAnEmptyEditFromBrowseStateIsKept)
{
    const struct {
        const char *name;
        Qt::FocusReason reason;
    } arrivals[] = {{"tab", Qt::TabFocusReason}, {"click", Qt::MouseFocusReason}};
    for (const auto &arrival : arrivals) {
        SCOPED_TRACE(arrival.name);
        loadRows(ds, {Row{QStringLiteral("01"), QVariant(), 0.0, QVariant()}});
        other->setFocus(Qt::TabFocusReason);
        date->setFocus(arrival.reason);
        if (arrival.reason == Qt::MouseFocusReason)
            date->home(false);
        ASSERT_EQ(ds.State(), DataSetState::Browse);
        QTest::keyClicks(date, QStringLiteral("05122026"));
        EXPECT_EQ(date->text(), QStringLiteral("05/12/2026"));
        other->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(field().AsDateTime(), QDateTime(QDate(2026, 12, 5), QTime(0, 0)));
        ds.Cancel();
    }
}

TEST_F(DateEditTest, ABlankTextStoresNull)
{
    date->selectAll();
    QTest::keyClick(date, Qt::Key_Delete);
    EXPECT_TRUE(date->IsBlank());
    EXPECT_FALSE(date->GetDate().isValid());
    EXPECT_NO_THROW(date->CheckValidDate());
    other->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(field().IsNull());
}

TEST_F(DateEditTest, CheckValidDateNamesATextThatIsNoDate)
{
    retype(QStringLiteral("31022026"));
    EXPECT_FALSE(date->GetDate().isValid());
    try {
        date->CheckValidDate();
        FAIL() << "no error";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(QString::fromUtf8(e.what()),
                  QStringLiteral("'31/02/2026' não é uma data válida."));
    }
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(field().AsDateTime().date(), QDate(2026, 12, 8)) << "no date, no write";
    EXPECT_EQ(date->text(), QStringLiteral("31/02/2026")) << "the typed text stays to be mended";
    EXPECT_THROW(date->CheckValidDate(), std::runtime_error);
}

// Complete texts are read without Qt's parser; the dates must be the parser's all the same.
TEST_F(DateEditTest, ReadsTheDateTheTextNamesAsQtsParserDoes)
{
    const std::pair<const char *, QDate> cases[] = {
        {"29022024", QDate(2024, 2, 29)},
        {"29022026", QDate()},
        {"00012026", QDate()},
        {"01002026", QDate()},
        {"01132026", QDate()},
        {"31042026", QDate()},
        {"31122026", QDate(2026, 12, 31)},
        {"01010001", QDate(1, 1, 1)},
        {"01010000", QDate()},
        {"0101202", QDate()},
        {"0112", QDate()},
    };
    for (const auto &[typed, expected] : cases) {
        SCOPED_TRACE(typed);
        retype(QString::fromLatin1(typed));
        const QDate parsed = QDate::fromString(date->text(), QStringLiteral("dd/MM/yyyy"));
        EXPECT_EQ(date->GetDate(), expected);
        EXPECT_EQ(date->GetDate(), parsed.isValid() ? parsed : QDate());
    }
}

TEST_F(DateEditTest, RaisesDateChangeWhenTheDateShownChanges)
{
    QList<QDate> seen;
    date->OnDateChange = [&] { seen << date->GetDate(); };
    retype(QStringLiteral("0102202"));
    QTest::keyClicks(date, QStringLiteral("7"));
    field().SetAsDateTime(QDateTime(QDate(2027, 3, 1), QTime(0, 0)));
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.last(), QDate(2027, 3, 1));
    EXPECT_TRUE(seen.contains(QDate(2027, 2, 1)));
    EXPECT_TRUE(seen.contains(QDate())) << "while the typed text is no date yet";
}

TEST_F(DateEditTest, ADateChosenInTheCalendarIsWrittenThroughTheEditGuard)
{
    date->SetWeekDayNames({QStringLiteral("Domingo"), QStringLiteral("Segunda"),
                           QStringLiteral("Terça"), QStringLiteral("Quarta"),
                           QStringLiteral("Quinta"), QStringLiteral("Sexta"),
                           QStringLiteral("Sábado")});
    date->DropDown();
    ASSERT_TRUE(date->Calendar()->isVisible());
    EXPECT_EQ(date->Calendar()->firstDayOfWeek(), Qt::Sunday);
    // Names given before the calendar was first built are its column titles.
    QStringList titles;
    for (const QLabel *label : date->Calendar()->parentWidget()->findChildren<QLabel *>(
             QString(), Qt::FindDirectChildrenOnly))
        titles << label->text();
    EXPECT_EQ(titles,
              QStringList({QStringLiteral("Dom"), QStringLiteral("Seg"), QStringLiteral("Ter"),
                           QStringLiteral("Qua"), QStringLiteral("Qui"), QStringLiteral("Sex"),
                           QStringLiteral("Sáb")}));
    emit date->Calendar()->clicked(QDate(2026, 12, 25));
    EXPECT_FALSE(date->Calendar()->isVisible());
    EXPECT_EQ(ds.State(), DataSetState::Edit);
    EXPECT_EQ(field().AsDateTime(), QDateTime(QDate(2026, 12, 25), QTime(0, 0)));

    ds.Cancel();
    guard.refuse = true;
    date->DropDown();
    emit date->Calendar()->clicked(QDate(2026, 12, 31));
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(date->text(), QStringLiteral("08/12/2026"));
}
