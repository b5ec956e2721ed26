#pragma once

#include "behaviour_server.h"

#include "ScreenParts.h"

#include <services/ScriptedHostUi.h>

#include <gtest/gtest.h>

#include <memory>

class QWidget;

namespace behaviour {

// A screen opened on an item of a real application server, the way the module opens it (launch
// keys set after creation, then shown and activated), with the host's dialogs scripted and every
// remote call recorded.
class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the server (once per test) and opens the screen on an item; returns when the first
    // activation has run.
    Cli_Ngc27451::TfrmInfoPlanNeg &open(const LaunchKeys &keys = demoItem(), bool validade = false);
    // Builds the screen against a port nobody listens on and shows it.
    Cli_Ngc27451::TfrmInfoPlanNeg &openUnreachable(const LaunchKeys &keys = demoItem());

    AppServer &server();

    // Gives a control the focus as a click would; fails the test when it does not get it.
    void focus(QWidget *widget);
    // Replaces a bound edit's text by typing, as a buyer does.
    void type(QWidget *edit, const QString &text);
    void click(QWidget *button);
    // Lets queued work (a deferred close) run.
    static void settle();

    // The progress window was shown and hidden as often, and is not up.
    void expectProgressBalanced();

    ngc::ScriptedHostUi ui;
    CallRecorder recorder;
    std::unique_ptr<AppServer> m_server;
    std::unique_ptr<Cli_Ngc27451::TfrmInfoPlanNeg> screen;

private:
    Cli_Ngc27451::TfrmInfoPlanNeg &show(const LaunchKeys &keys, bool validade);
};

} // namespace behaviour
