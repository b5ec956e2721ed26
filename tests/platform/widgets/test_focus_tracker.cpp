#include <widgets/FocusTracker.h>
#include <widgets/TNumberEdit.h>
#include <widgets/TPanel.h>

#include "WidgetTestSupport.h"

#include <QLineEdit>
#include <QVBoxLayout>

using namespace ngc;
using ngc::test::Window;

namespace {

// Two tracked edits in one window, with their enter and exit events logged in order.
struct TwoEdits {
    Window window;
    TNumberEdit *a = new TNumberEdit(&window, QStringLiteral("a"));
    TNumberEdit *b = new TNumberEdit(&window, QStringLiteral("b"));
    QStringList log;

    TwoEdits()
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(a);
        layout->addWidget(b);
        for (TNumberEdit *e : {a, b}) {
            const QString name = e->objectName();
            e->OnEnter = [this, name] { log << name + QStringLiteral(".enter"); };
            e->OnExit = [this, name] { log << name + QStringLiteral(".exit"); };
        }
    }
    void start()
    {
        window.activate();
        a->setFocus();
        QApplication::processEvents();
        log.clear();
    }
};

} // namespace

TEST(FocusTracker, TabRunsTheExitOfTheControlLeftThenTheEnterOfTheNext)
{
    TwoEdits t;
    t.start();
    QTest::keyClick(t.a, Qt::Key_Tab);
    EXPECT_EQ(t.log, QStringList({QStringLiteral("a.exit"), QStringLiteral("b.enter")}));
    EXPECT_TRUE(IsFocusedControl(t.b));

    t.log.clear();
    t.a->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(t.log, QStringList({QStringLiteral("b.exit"), QStringLiteral("a.enter")}));
}

TEST(FocusTracker, AnotherWindowTakingTheFocusIsNoExitAndComingBackIsNoEnter)
{
    TwoEdits t;
    t.start();
    Window other;
    auto *box = new QLineEdit(&other);
    other.activate();
    box->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(t.log.isEmpty()) << t.log.join(QLatin1Char(',')).toStdString();
    // The window keeps its focused control while another window is active.
    EXPECT_TRUE(IsFocusedControl(t.a));

    t.window.activate();
    EXPECT_TRUE(t.log.isEmpty()) << t.log.join(QLatin1Char(',')).toStdString();
}

TEST(FocusTracker, AMessageBoxOpenedByAnExitHandlerDoesNotRunTheChecksAgain)
{
    TwoEdits t;
    Window box;
    int exits = 0;
    t.a->OnExit = [&] {
        ++exits;
        // What a failing check does: a modal message, then the focus back into the control.
        box.activate();
        t.window.activate();
        t.a->setFocus();
    };
    t.start();
    QTest::keyClick(t.a, Qt::Key_Tab);
    EXPECT_EQ(exits, 1);
    // The control the focus was heading for was never entered, and the checked one not again.
    EXPECT_TRUE(t.log.isEmpty()) << t.log.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(IsFocusedControl(t.a));

    // Leaving it again runs the check again.
    QTest::keyClick(t.a, Qt::Key_Tab);
    EXPECT_EQ(exits, 2);
}

TEST(FocusTracker, AnExitHandlerMovingTheFocusElsewhereEntersThatControlOnly)
{
    Window window;
    auto *layout = new QVBoxLayout(&window);
    TNumberEdit a(&window, QStringLiteral("a")), b(&window, QStringLiteral("b")),
        c(&window, QStringLiteral("c"));
    QStringList log;
    for (TNumberEdit *e : {&a, &b, &c}) {
        layout->addWidget(e);
        const QString name = e->objectName();
        e->OnEnter = [&log, name] { log << name + QStringLiteral(".enter"); };
        e->OnExit = [&log, name] { log << name + QStringLiteral(".exit"); };
    }
    a.OnExit = [&] {
        log << QStringLiteral("a.exit");
        c.setFocus();
    };
    window.activate();
    a.setFocus();
    log.clear();
    QTest::keyClick(&a, Qt::Key_Tab);
    EXPECT_EQ(log, QStringList({QStringLiteral("a.exit"), QStringLiteral("c.enter")}));
}

TEST(FocusTracker, APanelIsEnteredAndLeftAsAWhole)
{
    Window window;
    auto *layout = new QVBoxLayout(&window);
    auto *outside = new QLineEdit(&window);
    auto *panel = new TPanel(&window, QStringLiteral("panFormPgto"));
    auto *inner = new QVBoxLayout(panel);
    auto *first = new QLineEdit(panel);
    auto *second = new QLineEdit(panel);
    inner->addWidget(first);
    inner->addWidget(second);
    layout->addWidget(outside);
    layout->addWidget(panel);
    int enters = 0, exits = 0;
    panel->OnEnter = [&] { ++enters; };
    panel->OnExit = [&] { ++exits; };
    window.activate();
    outside->setFocus();
    QApplication::processEvents();

    first->setFocus(Qt::TabFocusReason);
    second->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(exits, 0);
    outside->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(exits, 1);
}
