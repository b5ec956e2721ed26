#include <widgets/SystemColor.h>
#include <widgets/TBtnPesquisa.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TDBEdit.h>
#include <widgets/TDBNavigator.h>
#include <widgets/TPageControl.h>
#include <widgets/TTabSheet.h>

#include "WidgetTestSupport.h"

#include <QColor>
#include <QImage>
#include <QLineEdit>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <stdexcept>

using namespace ngc;
using namespace ngc::test;

TEST(PageControl, OnlyTheUserSwitchingPagesRaisesTheChange)
{
    Window window;
    auto *layout = new QVBoxLayout(&window);
    auto *pages = new TPageControl(&window, QStringLiteral("pgcPadrao"));
    layout->addWidget(pages);
    auto *dados =
        new TTabSheet(pages, QStringLiteral("Dados Adicionais"), QStringLiteral("tshDados"));
    auto *pgto = new TTabSheet(pages, QStringLiteral("Forma de Pagamento"));
    auto *imposto = new TTabSheet(pages, QStringLiteral("Imposto"));
    int changes = 0;
    pages->OnChange = [&] { ++changes; };
    window.activate();

    EXPECT_EQ(pages->ActivePage(), dados);
    pages->SetActivePage(imposto);
    EXPECT_EQ(pages->ActivePage(), imposto);
    EXPECT_EQ(changes, 0);

    QTabBar *bar = pages->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(pgto->PageIndex()).center());
    EXPECT_EQ(pages->ActivePage(), pgto);
    EXPECT_EQ(changes, 1);

    // Hiding the tab of the page in front moves Qt to another page, which is no user's choice.
    pgto->SetTabVisible(false);
    EXPECT_FALSE(pgto->TabVisible());
    EXPECT_EQ(changes, 1);
    pages->SetActivePage(pgto);
    EXPECT_EQ(pages->ActivePage(), pgto) << "a page whose tab is hidden can still be shown";
    EXPECT_EQ(pages->PageCount(), 3);
    EXPECT_EQ(pages->Pages(0), dados);
    EXPECT_EQ(dados->Caption(), QStringLiteral("Dados Adicionais"));
}

// The caption of a hidden tab must not be painted, also while its page is in front: its text is
// drawn in pure red here so that any trace of it can be found in the picture.
TEST(PageControl, APageInFrontWithAHiddenTabLeavesNoTraceOnTheTabBar)
{
    Window window;
    auto *layout = new QVBoxLayout(&window);
    auto *pages = new TPageControl(&window);
    layout->addWidget(pages);
    new TTabSheet(pages, QStringLiteral("Dados Adicionais"));
    auto *imposto = new TTabSheet(pages, QStringLiteral("Imposto"));
    pages->tabBar()->setTabTextColor(imposto->PageIndex(), QColor(255, 0, 0));
    window.resize(400, 200);
    window.activate();
    const auto redPixels = [&] {
        const QImage image = pages->grab().toImage();
        int red = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == QColor(255, 0, 0))
                    ++red;
        return red;
    };

    pages->SetActivePage(imposto);
    ASSERT_GT(redPixels(), 0) << "the visible caption is painted red";
    imposto->SetTabVisible(false);
    pages->SetActivePage(imposto);
    ASSERT_EQ(pages->ActivePage(), imposto);
    EXPECT_EQ(redPixels(), 0);
}

namespace {

// A charge-type lookup: the item record with its bound code edit, and the list of charge types.
class LookupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        defineItem(item);
        loadRows(item, {Row{QVariant(), QVariant(), 0.0, QVariant()}});
        list.AddField({QStringLiteral("CDTIPCOB"), FieldType::String, 2});
        list.AddField({QStringLiteral("NMTIPOCOBR"), FieldType::String, 20});
        loadRows(list, {Row{QStringLiteral("01"), QStringLiteral("Carteira")},
                        Row{QStringLiteral("02"), QStringLiteral("Boleto")}});
        guard.install(item);
        edit = new TDBEdit(&window, QStringLiteral("dbeCdTipCob"));
        edit->SetDataSource(&itemSource);
        edit->SetDataField(QStringLiteral("CDTIPCOB"));
        button = new TBtnPesquisa(&window, QStringLiteral("btpTipoCobr"));
        button->SetTitle(QStringLiteral("Tipo de Cobrança"));
        button->SetEmptyText(QStringLiteral("Nenhum registro encontrado."));
        button->SetAssociate(edit);
        button->SetDataSource(&listSource);
        button->OnBeforePesq = [this](bool &) { log << QStringLiteral("before"); };
        button->OnAfterPesq = [this] {
            log << QStringLiteral("after:") +
                       list.FieldByName(QStringLiteral("NMTIPOCOBR")).AsString();
        };
    }

    ScopedHostUi host;
    TClientDataSet item{QStringLiteral("cdsItemCole")};
    TDataSource itemSource{QStringLiteral("dtsPadrao"), &item};
    TClientDataSet list{QStringLiteral("cdsTipoCobr")};
    TDataSource listSource{QStringLiteral("dtsTipoCobr"), &list};
    EditGuard guard;
    Window window;
    TDBEdit *edit = nullptr;
    TBtnPesquisa *button = nullptr;
    QStringList log;
};

} // namespace

TEST_F(LookupTest, AChosenRowFillsTheAssociatedEditAndRaisesTheAfterEvent)
{
    host.ui.answerRow(2);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(log, QStringList({QStringLiteral("before"), QStringLiteral("after:Boleto")}));
    EXPECT_EQ(edit->text(), QStringLiteral("02"));
    EXPECT_EQ(item.State(), DataSetState::Edit);
    EXPECT_EQ(item.FieldByName(QStringLiteral("CDTIPCOB")).AsString(), QStringLiteral("02"));
    ASSERT_EQ(host.ui.lists().size(), 1);
    EXPECT_EQ(host.ui.lists().at(0).title, QStringLiteral("Tipo de Cobrança"));
    EXPECT_EQ(host.ui.lists().at(0).emptyText, QStringLiteral("Nenhum registro encontrado."));
    EXPECT_EQ(button->toolTip(), QStringLiteral("Pesquisar"));
}

TEST_F(LookupTest, StoppedCancelledOrRefusedSearchesChangeNothing)
{
    button->OnBeforePesq = [this](bool &proceed) {
        log << QStringLiteral("before");
        proceed = false;
    };
    EXPECT_FALSE(button->Execute());
    EXPECT_TRUE(host.ui.lists().isEmpty()) << "a stopped search shows no list";

    button->OnBeforePesq = nullptr;
    host.ui.answerCancel();
    EXPECT_FALSE(button->Execute());
    EXPECT_EQ(host.ui.lists().size(), 1);

    guard.refuse = true;
    host.ui.answerRow(1);
    EXPECT_THROW(button->Execute(), SilentAbort);
    EXPECT_EQ(log, QStringList{QStringLiteral("before")});
    EXPECT_TRUE(item.FieldByName(QStringLiteral("CDTIPCOB")).IsNull());
    EXPECT_EQ(item.State(), DataSetState::Browse);
}

// The button takes no focus; F4 or Alt+Down in its edit (or any control given it) opens the list
// as a drop-down would, and other keys stay the control's.
TEST_F(LookupTest, TheKeyboardOpensTheListFromTheAssociatedEdit)
{
    window.activate();
    edit->setFocus();
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool enabled;
        int lists;
    } keys[] = {{Qt::Key_F4, Qt::NoModifier, true, 1},
                {Qt::Key_Down, Qt::AltModifier, true, 2},
                {Qt::Key_Down, Qt::NoModifier, true, 2},
                {Qt::Key_F4, Qt::ShiftModifier, true, 2},
                {Qt::Key_F4, Qt::NoModifier, false, 2}};
    for (const auto &k : keys) {
        button->setEnabled(k.enabled);
        host.ui.answerCancel();
        QTest::keyClick(edit, k.key, k.modifiers);
        EXPECT_EQ(host.ui.lists().size(), k.lists) << k.key << " " << k.modifiers;
    }

    QLineEdit other(&window);
    button->setEnabled(true);
    button->SetKeyControl(&other);
    QTest::keyClick(edit, Qt::Key_F4);
    QTest::keyClick(&other, Qt::Key_F4);
    EXPECT_EQ(host.ui.lists().size(), 3) << "only the last control given opens it";
}

TEST_F(LookupTest, AnUnboundEditIsSimplyFilled)
{
    QLineEdit plain(&window);
    button->SetAssociate(&plain);
    host.ui.answerRow(1);
    EXPECT_TRUE(button->Execute());
    EXPECT_EQ(plain.text(), QStringLiteral("01"));
    EXPECT_EQ(item.State(), DataSetState::Browse);
}

TEST(ButtonFlat, AClickRunsTheHandlerAndAnErrorIsShownNotThrown)
{
    ScopedHostUi host;
    TButtonFlat button(nullptr, QStringLiteral("sbtConfirmar"));
    EXPECT_EQ(button.focusPolicy(), Qt::NoFocus) << "pressing it must not run exit checks";
    int clicks = 0;
    button.OnClick = [&] {
        ++clicks;
        throw std::runtime_error("falhou");
    };
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    ASSERT_EQ(host.ui.errors().size(), 1);
    EXPECT_EQ(host.ui.errors().at(0), QStringLiteral("falhou"));

    button.OnClick = [&] { throw SilentAbort(); };
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(host.ui.errors().size(), 1) << "a silent abort is swallowed quietly";

    button.setEnabled(false);
    button.OnClick = [&] { ++clicks; };
    button.Click();
    EXPECT_EQ(clicks, 1);
}

TEST(Navigator, MovesTheRecordAndEnablesOnlyPossibleMoves)
{
    TClientDataSet ds(QStringLiteral("cdsImpColet"));
    ds.AddField({QStringLiteral("NMIMPOSTO"), FieldType::String, 30});
    loadRows(ds,
             {Row{QStringLiteral("ICMS")}, Row{QStringLiteral("IPI")}, Row{QStringLiteral("PIS")}});
    TDataSource source(QStringLiteral("dtsImpColet"), &ds);
    TDBNavigator nav(nullptr, QStringLiteral("dbnPadrao"));
    nav.SetDataSource(&source);
    using B = TDBNavigator::Button;
    EXPECT_FALSE(nav.ButtonOf(B::First)->isEnabled());
    EXPECT_TRUE(nav.ButtonOf(B::Next)->isEnabled());
    QTest::mouseClick(nav.ButtonOf(B::Last), Qt::LeftButton);
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_FALSE(nav.ButtonOf(B::Next)->isEnabled());
    EXPECT_TRUE(nav.ButtonOf(B::Prior)->isEnabled());
    nav.BtnClick(B::Prior);
    EXPECT_EQ(ds.RecNo(), 2);
    nav.setEnabled(false);
    EXPECT_FALSE(nav.ButtonOf(B::Prior)->isEnabled());
}

TEST(SystemColors, PaintTheBackgroundWithTheHostsColours)
{
    QLineEdit edit;
    const struct {
        SystemColor color;
        QPalette::ColorRole role;
    } cases[] = {{SystemColor::BtnFace, QPalette::Button},
                 {SystemColor::Window, QPalette::Base},
                 {SystemColor::InfoBk, QPalette::ToolTipBase}};
    for (const auto &c : cases) {
        SetColor(&edit, c.color);
        EXPECT_EQ(edit.palette().color(QPalette::Base), QApplication::palette().color(c.role));
    }
}
