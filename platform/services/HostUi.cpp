#include <services/HostUi.h>

#include <services/QtHostUi.h>
#include <services/ScriptedHostUi.h>

#include <QApplication>

namespace ngc {

namespace {

HostUi *g_hostUi = nullptr;

} // namespace

HostUi &hostUi()
{
    if (g_hostUi)
        return *g_hostUi;
    // Real dialogs need a widget application; without one (a console run) the messages go to
    // stderr and every dialog is answered as if closed, so nothing waits for a user.
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        static QtHostUi qtUi;
        return qtUi;
    }
    static ScriptedHostUi consoleUi(true);
    return consoleUi;
}

void setHostUi(HostUi *ui)
{
    g_hostUi = ui;
}

} // namespace ngc
