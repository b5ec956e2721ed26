#pragma once

#include <services/HostContext.h>

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace ngc {

// A command line that cannot be run; the message is for the user.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What ngc-host was asked to do. Each setting of the host context is taken from the command line,
// else from the INI file given with --config, else from the environment, else the built-in
// default.
struct HostOptions {
    HostContext context;
    QString modulePath; // empty: the installed module, or the one of the build tree
    bool validade = false;
    QStringList keys;      // the eight launch keys
    QString screenshotDir; // empty: an interactive run
    bool help = false;

    // arguments without the program name. Throws UsageError.
    static HostOptions parse(const QStringList &arguments, const QProcessEnvironment &environment);
    static QString helpText();
};

} // namespace ngc
