#include <Cli_Ngc27451/entry/Cli_Ngc27451.h>
#include <Cli_Ngc27451/screen/TfrmInfoPlanNeg.h>

#include <services/HostContext.h>
#include <services/HostServices.h>
#include <services/ScriptedHostUi.h>

#include <QTimer>
#include <QVariantList>

#include <gtest/gtest.h>

using namespace Cli_Ngc27451;

namespace {

// The mode flag goes through the ordinary conversions of a variant to a boolean.
TEST(Entry, TheModeFlagIsConvertedAndStored)
{
    ngc::HostContext::instance().serverHost = QStringLiteral("127.0.0.1");
    ngc::HostContext::instance().serverPort = 1;
    ngc::ScriptedHostUi ui;
    ngc::setHostUi(&ui);

    const std::pair<QVariant, bool> cases[] = {
        {true, true},
        {false, false},
        {QStringLiteral("True"), true},
        {QStringLiteral("false"), false},
        {1, true},
        {0, false},
        {QStringLiteral("-1"), true},
    };
    for (const auto &[flag, expected] : cases) {
        SCOPED_TRACE(flag.toString().toStdString());
        boValidade = !expected;
        QVariantList params{flag};
        for (int i = 1; i <= 8; ++i)
            params << QString::number(i);
        QTimer::singleShot(0, [] { frmInfoPlanNeg->close(); });
        IniProc(params);
        EXPECT_EQ(boValidade, expected);
        EXPECT_EQ(frmInfoPlanNeg->stChaveComplementar, QStringLiteral("8"));
        delete frmInfoPlanNeg;
        frmInfoPlanNeg = nullptr;
    }
    ngc::setHostUi(nullptr);
}

} // namespace
