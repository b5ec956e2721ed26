#include <widgets/TDBEdit.h>

#include "WidgetTestSupport.h"

#include <QClipboard>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace ngc;
using namespace ngc::test;

namespace {

// One item record in browse state, an edit bound to a field of it and a second control to move
// the focus to.
class DBEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        defineItem(ds);
        loadRows(ds, {Row{QStringLiteral("01"), QVariant(), 12.5, QVariant()}});
        guard.install(ds);
        auto *layout = new QVBoxLayout(&window);
        edit = new TDBEdit(&window, QStringLiteral("dbeNmTipoCobr"));
        other = new QLineEdit(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        edit->SetDataSource(&source);
        edit->SetDataField(QStringLiteral("NMTIPOCOBR"));
        window.activate();
        edit->setFocus();
        QApplication::processEvents();
    }
    TField &field(const char *name) { return ds.FieldByName(QString::fromLatin1(name)); }

    ScopedHostUi host;
    TClientDataSet ds{QStringLiteral("cdsItemCole")};
    TDataSource source{QStringLiteral("dtsPadrao"), &ds};
    EditGuard guard;
    Window window;
    TDBEdit *edit = nullptr;
    QLineEdit *other = nullptr;
};

} // namespace

TEST_F(DBEditTest, TypingIntoABrowsingDataSetStartsItsEdit)
{
    const struct {
        const char *name;
        Qt::Key key;
        char ch;
    } keys[] = {{"letter", Qt::Key_A, 'a'},
                {"delete", Qt::Key_Delete, 0},
                {"backspace", Qt::Key_Backspace, 0}};
    for (const auto &k : keys) {
        SCOPED_TRACE(k.name);
        ds.Cancel();
        ASSERT_EQ(ds.State(), DataSetState::Browse);
        if (k.ch)
            QTest::keyClick(edit, k.ch);
        else
            QTest::keyClick(edit, k.key);
        EXPECT_EQ(ds.State(), DataSetState::Edit);
    }
    // Moving the caret changes nothing and starts nothing.
    ds.Cancel();
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_End);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
}

TEST_F(DBEditTest, ARefusedEditSwallowsTheKey)
{
    guard.refuse = true;
    QTest::keyClicks(edit, QStringLiteral("ab"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(guard.asked, 3);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(edit->text(), QString());
    EXPECT_FALSE(edit->Modified());
    EXPECT_TRUE(host.ui.errors().isEmpty());
}

TEST_F(DBEditTest, TheTypedTextReachesTheFieldOnExitAndBeforeAPost)
{
    QTest::keyClicks(edit, QStringLiteral("Boleto"));
    EXPECT_TRUE(field("NMTIPOCOBR").IsNull()) << "written only when the edit is left";
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(field("NMTIPOCOBR").AsString(), QStringLiteral("Boleto"));

    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("Carteira"));
    ds.Post(); // the focus never left the edit
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(field("NMTIPOCOBR").AsString(), QStringLiteral("Carteira"));
}

TEST_F(DBEditTest, ShowsTheDisplayTextAndTheEditTextWhileEditingWithTheFocus)
{
    edit->SetDataField(QStringLiteral("VRPERDESITM"));
    EXPECT_EQ(edit->text(), QStringLiteral("12.50%")) << "browsing: display text";
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(ds.State(), DataSetState::Edit);
    EXPECT_EQ(edit->text(), QStringLiteral("12.5")) << "editing: edit text, then the key";
    other->setFocus(Qt::TabFocusReason);
    EXPECT_DOUBLE_EQ(field("VRPERDESITM").AsFloat(), 12.5);
    EXPECT_EQ(edit->text(), QStringLiteral("12.50%"));
}

TEST_F(DBEditTest, OnChangeRunsForTypedTextAndForChangesOfTheField)
{
    int changes = 0;
    edit->OnChange = [&] { ++changes; };
    QTest::keyClicks(edit, QStringLiteral("ab"));
    EXPECT_EQ(changes, 2);
    field("NMTIPOCOBR").SetAsString(QStringLiteral("Outro"));
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(edit->text(), QStringLiteral("Outro"));
    field("NMTIPOCOBR").SetAsString(QStringLiteral("Outro"));
    EXPECT_EQ(changes, 3) << "no change, no event";
    ds.Cancel();
    EXPECT_EQ(edit->text(), QString());
    EXPECT_EQ(changes, 4);
}

TEST_F(DBEditTest, AFieldsEditMaskAndSizeLimitTheInput)
{
    field("CDTIPCOB").EditMask = QStringLiteral("99;0; ");
    edit->SetDataField(QStringLiteral("CDTIPCOB"));
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("a1-b2 3"));
    EXPECT_EQ(edit->text(), QStringLiteral("12"));

    field("CDTIPCOB").EditMask.clear();
    edit->SetDataField(QStringLiteral("NMTIPOCOBR"));
    QTest::keyClicks(edit, QString(25, QLatin1Char('x')));
    EXPECT_EQ(edit->text().size(), 20) << "a string field's size";
}

TEST_F(DBEditTest, NumberFieldsRefuseCharactersTheyCannotHold)
{
    edit->SetDataField(QStringLiteral("VRPERDESITM"));
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("1x5.a2"));
    EXPECT_EQ(edit->text(), QStringLiteral("15.2"));
}

TEST_F(DBEditTest, KeyHandlersMaySwallowOrReplaceKeys)
{
    edit->OnKeyPress = [](QChar &key) {
        if (key == QLatin1Char('x'))
            key = QChar();
        else if (key == QLatin1Char('a'))
            key = QLatin1Char('b');
    };
    int deletes = 0;
    edit->OnKeyDown = [&](int &key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Delete) {
            ++deletes;
            key = 0;
        }
    };
    QTest::keyClicks(edit, QStringLiteral("xaxc"));
    EXPECT_EQ(edit->text(), QStringLiteral("bc"));
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(deletes, 1);
    EXPECT_EQ(edit->text(), QStringLiteral("bc"));
}

TEST_F(DBEditTest, ATextTheFieldRefusesIsReportedAndKeepsTheFocus)
{
    edit->SetDataField(QStringLiteral("VRPERDESITM"));
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("1e"));
    int exits = 0;
    edit->OnExit = [&] { ++exits; };
    other->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(host.ui.errors().size(), 1);
    EXPECT_EQ(exits, 0) << "the exit check does not run on a text that was not written";
    EXPECT_TRUE(IsFocusedControl(edit));
    EXPECT_EQ(edit->text(), QStringLiteral("1e"));
    EXPECT_DOUBLE_EQ(field("VRPERDESITM").AsFloat(), 12.5);
}

TEST_F(DBEditTest, EscapeTakesBackWhatWasTyped)
{
    edit->SetDataField(QStringLiteral("CDTIPCOB"));
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("7"));
    ASSERT_EQ(edit->text(), QStringLiteral("7"));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(edit, &escape);
    EXPECT_TRUE(escape.isAccepted());
    EXPECT_EQ(edit->text(), QStringLiteral("01"));
    EXPECT_FALSE(edit->Modified());

    QKeyEvent again(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(edit, &again);
    EXPECT_FALSE(again.isAccepted()) << "nothing typed: the window may use the key";
}

TEST_F(DBEditTest, AReadOnlyEditNeverStartsAnEditNorWritesItsField)
{
    edit->SetReadOnly(true);
    QTest::keyClicks(edit, QStringLiteral("ab"));
    EXPECT_EQ(guard.asked, 0);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(edit->text(), QString());

    // A program emptying the text it shows does not empty the field.
    ds.Edit();
    field("NMTIPOCOBR").SetAsString(QStringLiteral("Boleto"));
    edit->clear();
    ds.Post();
    EXPECT_EQ(field("NMTIPOCOBR").AsString(), QStringLiteral("Boleto"));
}

// The context menu's paste and delete change the text without a key: they start the edit as a
// key does, and reach the field; when the edit is refused the field's text comes back, rather
// than a text the record does not hold.
TEST_F(DBEditTest, ChangesWithoutAKeyStartTheEditOrAreTakenBack)
{
    const struct {
        const char *name;
        bool refuse;
        bool paste; // else delete
        const char *shown; // and written
    } cases[] = {{"paste", false, true, "Boleto"},
                 {"delete", false, false, ""},
                 {"paste refused", true, true, "Carteira"}};
    QApplication::clipboard()->setText(QStringLiteral("Boleto"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ds.Edit();
        field("NMTIPOCOBR").SetAsString(QStringLiteral("Carteira"));
        ds.Post();
        guard.refuse = c.refuse;
        edit->setFocus(Qt::MouseFocusReason);
        edit->selectAll();
        if (c.paste)
            edit->paste();
        else
            edit->del();
        EXPECT_EQ(ds.State(), c.refuse ? DataSetState::Browse : DataSetState::Edit);
        EXPECT_EQ(edit->text(), QLatin1String(c.shown));
        other->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(field("NMTIPOCOBR").AsString(), QLatin1String(c.shown));
        guard.refuse = false;
        if (ds.State() == DataSetState::Edit)
            ds.Post();
    }
}

TEST_F(DBEditTest, EnterTextStartsTheEditAndWritesTheField)
{
    edit->EnterText(QStringLiteral("Boleto"));
    EXPECT_EQ(ds.State(), DataSetState::Edit);
    EXPECT_EQ(field("NMTIPOCOBR").AsString(), QStringLiteral("Boleto"));

    ds.Cancel();
    guard.refuse = true;
    EXPECT_THROW(edit->EnterText(QStringLiteral("Outro")), SilentAbort);
    EXPECT_TRUE(field("NMTIPOCOBR").IsNull());
}

TEST_F(DBEditTest, ADataSourceSwitchedToAnotherDataSetShowsThatOne)
{
    TClientDataSet second(QStringLiteral("qryOutro"));
    defineItem(second);
    loadRows(second, {Row{QStringLiteral("02"), QStringLiteral("Segundo"), 1.0, QVariant()}});
    source.SetDataSet(&second);
    EXPECT_EQ(edit->text(), QStringLiteral("Segundo"));
    source.SetDataSet(nullptr);
    EXPECT_EQ(edit->text(), QString());
    QTest::keyClicks(edit, QStringLiteral("ab"));
    EXPECT_EQ(edit->text(), QString()) << "nothing to edit";
}
