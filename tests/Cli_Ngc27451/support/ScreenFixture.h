#pragma once

#include "ScreenParts.h"

#include <services/ScriptedHostUi.h>

#include <gtest/gtest.h>

#include <memory>

namespace screentest {

// A screen built the way the module builds it, in the commercial module, with the host's dialogs
// scripted and the application server pointed at a local port nobody listens on: creating the
// screen opens its connections without any round trip, so nothing here reaches a server.
class ScreenFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ngc::ScriptedHostUi ui;
    std::unique_ptr<Cli_Ngc27451::TfrmInfoPlanNeg> screen;
};

// A privileged port that no test machine serves and no unprivileged process can bind.
inline constexpr int closedPort = 1;

} // namespace screentest
