#include "ScreenFixture.h"

#include <services/HostContext.h>

namespace screentest {

void ScreenFixture::SetUp()
{
    auto &context = ngc::HostContext::instance();
    context.serverHost = QStringLiteral("127.0.0.1");
    context.serverPort = closedPort;
    context.moduleCode = 34;
    ngc::setHostUi(&ui);
    screen = std::make_unique<Cli_Ngc27451::TfrmInfoPlanNeg>();
}

void ScreenFixture::TearDown()
{
    screen.reset();
    ngc::setHostUi(nullptr);
}

} // namespace screentest
