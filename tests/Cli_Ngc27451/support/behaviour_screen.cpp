#include "behaviour_screen.h"

#include <Cli_Ngc27451/entry/Cli_Ngc27451.h>
#include <services/HostContext.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace behaviour {

void ScreenTest::SetUp()
{
    auto &context = ngc::HostContext::instance();
    context.serverHost = QStringLiteral("127.0.0.1");
    context.moduleCode = 34;
    ngc::setHostUi(&ui);
}

void ScreenTest::TearDown()
{
    if (screen)
        screen->hide();
    screen.reset();
    Cli_Ngc27451::frmInfoPlanNeg = nullptr;
    ngc::setHostUi(nullptr);
    ngc::HostContext::instance().sharedDb.clear();
    m_server.reset();
}

AppServer &ScreenTest::server()
{
    if (!m_server)
        m_server = std::make_unique<AppServer>();
    return *m_server;
}

Cli_Ngc27451::TfrmInfoPlanNeg &ScreenTest::open(const LaunchKeys &keys, bool validade)
{
    auto &context = ngc::HostContext::instance();
    context.serverPort = server().port();
    // The shared-database lookups (brands, payment forms) read the server's own file.
    context.sharedDb = QStringLiteral("sqlite:") + server().dbPath();
    return show(keys, validade);
}

Cli_Ngc27451::TfrmInfoPlanNeg &ScreenTest::openUnreachable(const LaunchKeys &keys)
{
    ngc::HostContext::instance().serverPort = 1;
    return show(keys, false);
}

Cli_Ngc27451::TfrmInfoPlanNeg &ScreenTest::show(const LaunchKeys &keys, bool validade)
{
    screen = std::make_unique<Cli_Ngc27451::TfrmInfoPlanNeg>();
    Cli_Ngc27451::frmInfoPlanNeg = screen.get();
    Cli_Ngc27451::boValidade = validade;
    screen->stCdFilial = keys.cdFilial;
    screen->stNrColePreco = keys.nrColePreco;
    screen->stCdForneced = keys.cdForneced;
    screen->stCdProduto = keys.cdProduto;
    screen->stChaveMarca = keys.chaveMarca;
    screen->stCdMarca = keys.cdMarca;
    screen->stCdRegiao = keys.cdRegiao;
    screen->stChaveComplementar = keys.chaveComplementar;
    screen->show();
    screen->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(screen.get()));
    return *screen;
}

void ScreenTest::focus(QWidget *widget)
{
    widget->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(screen->ActiveControl(), widget) << widget->objectName().toStdString();
}

void ScreenTest::type(QWidget *edit, const QString &text)
{
    focus(edit);
    if (auto *line = qobject_cast<QLineEdit *>(edit))
        line->selectAll();
    QTest::keyClicks(edit, text);
}

void ScreenTest::click(QWidget *button)
{
    ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
}

void ScreenTest::settle()
{
    QApplication::processEvents();
    QApplication::processEvents();
}

void ScreenTest::expectProgressBalanced()
{
    int begins = 0;
    int ends = 0;
    for (const auto &event : ui.progress())
        (event.begin ? begins : ends)++;
    EXPECT_EQ(begins, ends);
    EXPECT_FALSE(ui.progressShown());
}

} // namespace behaviour
