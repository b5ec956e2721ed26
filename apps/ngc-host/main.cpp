#include "HostOptions.h"
#include "ScreenshotRun.h"

#include <services/HostContext.h>
#include <services/HostServices.h>
#include <services/ScriptedHostUi.h>
#include <widgets/TADOIBQuery.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QPointer>
#include <QSqlDatabase>
#include <QVariantList>
#include <QWidget>

#include <cstdio>
#include <exception>
#include <vector>

namespace {

using IniProcFn = void (*)(const QVariant &);

enum ExitCode { Ok = 0, ErrorShown = 1, CannotRun = 2 };

void printErr(const QString &text)
{
    std::fprintf(stderr, "ngc-host: %s\n", qUtf8Printable(text));
}

// The module named on the command line, else the one in the installed module folder, else (for a
// program run from its build tree) the one built beside it.
QString findModule(const QString &requested, QStringList &tried)
{
    if (!requested.isEmpty()) {
        tried << requested;
        return requested;
    }
    // Asked of the system rather than of the application object, which does not exist yet.
    const QDir programDir =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).dir();
    QStringList candidates{QDir::cleanPath(
        programDir.filePath(QStringLiteral(NGC_MODULE_DIR_FROM_PROGRAM "/libNgc27451.so")))};
    if (programDir.canonicalPath() == QDir(QStringLiteral(NGC_HOST_BUILD_DIR)).canonicalPath())
        candidates << QStringLiteral(NGC_MODULE_BUILD_PATH);
    for (const QString &candidate : candidates) {
        tried << candidate;
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return {};
}

// The screens belong to the application; this host does not run the application's own event loop,
// so it deletes them itself while the application object still exists.
void deleteTopLevelWindows()
{
    std::vector<QPointer<QWidget>> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (!widget->parentWidget())
            windows.emplace_back(widget);
    }
    for (const QPointer<QWidget> &window : windows)
        delete window.data();
}

bool errorWasShown(const ngc::ScriptedHostUi &ui)
{
    if (!ui.errors().isEmpty())
        return true;
    for (const auto &message : ui.messages()) {
        if (message.kind == ngc::MsgKind::Error)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    // Parsed before the application object exists: --help must work without a display, and the
    // offscreen platform must be chosen before the application starts.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    ngc::HostOptions options;
    try {
        options = ngc::HostOptions::parse(arguments, QProcessEnvironment::systemEnvironment());
    } catch (const ngc::UsageError &e) {
        printErr(QString::fromUtf8(e.what()));
        printErr(QStringLiteral("try --help"));
        return CannotRun;
    }
    if (options.help) {
        std::fputs(qUtf8Printable(ngc::HostOptions::helpText()), stdout);
        return Ok;
    }
    const bool screenshot = !options.screenshotDir.isEmpty();
    if (screenshot)
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QStringList tried;
    const QString modulePath = findModule(options.modulePath, tried);
    if (modulePath.isEmpty()) {
        printErr(QStringLiteral("no module found (looked for %1)")
                     .arg(tried.join(QStringLiteral(", "))));
        return CannotRun;
    }
    QLibrary module(modulePath);
    if (!module.load()) {
        printErr(
            QStringLiteral("cannot load the module %1: %2").arg(modulePath, module.errorString()));
        return CannotRun;
    }
    const auto iniProc = reinterpret_cast<IniProcFn>(module.resolve("IniProc"));
    if (!iniProc) {
        printErr(QStringLiteral("%1 is not a screen module: it has no entry point IniProc")
                     .arg(modulePath));
        return CannotRun;
    }

    if (screenshot && !QDir().mkpath(options.screenshotDir)) {
        printErr(QStringLiteral("cannot create the directory %1").arg(options.screenshotDir));
        return CannotRun;
    }
    // The module is loaded before the application object exists, so that a module that cannot be
    // used is reported as such even where no display could be opened.
    QApplication app(argc, argv);
    // Desktops find the program's name and icon in ngc-host.desktop by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("ngc-host"));
    ngc::HostContext::instance() = options.context;
    ngc::ScriptedHostUi scripted(true);
    if (screenshot)
        ngc::setHostUi(&scripted);
    // A shared database that cannot be reached is said now, not at the buyer's first lookup.
    if (!options.context.sharedDb.isEmpty()) {
        try {
            ngc::TADOIBQuery::SharedDatabase();
        } catch (const std::exception &e) {
            const QString text = QString::fromUtf8(e.what());
            printErr(text);
            if (!screenshot)
                ngc::reportUnexpectedError(text);
            ngc::setHostUi(nullptr);
            return ErrorShown;
        }
    }
    ngc::ScreenshotRun shot(options.screenshotDir, QStringLiteral("frmInfoPlanNeg"));
    if (screenshot)
        shot.start();

    int status = Ok;
    QVariantList params{options.validade};
    for (const QString &key : options.keys)
        params << key;
    try {
        iniProc(params);
    } catch (const std::exception &e) {
        const QString text = QString::fromUtf8(e.what());
        printErr(text);
        if (!screenshot)
            ngc::reportUnexpectedError(text);
        status = ErrorShown;
    }

    if (screenshot) {
        if (!shot.finished()) {
            printErr(QStringLiteral("the screen was never shown"));
            status = ErrorShown;
        } else if (!shot.error().isEmpty()) {
            printErr(shot.error());
            status = ErrorShown;
        } else {
            std::fprintf(stdout, "%s\n", qUtf8Printable(shot.summary()));
        }
        if (errorWasShown(scripted)) {
            printErr(QStringLiteral("an error was shown on the screen (see above)"));
            status = ErrorShown;
        }
    }
    deleteTopLevelWindows();
    ngc::setHostUi(nullptr);
    return status;
}
