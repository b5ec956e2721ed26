#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <support/AppServerProcess.h>

namespace {

struct HostRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// withDisplay false: as on a machine without any display, where only --screenshot can show the
// screen; everything that fails before the screen opens must still be reported.
HostRun runHost(const QStringList &arguments, bool withDisplay = true)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (withDisplay) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    }
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(NGC_HOST_PATH), arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
    }
    HostRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

const QStringList kKeys{QStringLiteral("--keys"), QStringLiteral("0001,1,F,P,K,M,R,C")};

TEST(NgcHost, HelpNamesTheOptionsAndTheirPrecedence)
{
    const HostRun run = runHost({QStringLiteral("--help")}, false);
    EXPECT_EQ(run.exitCode, 0);
    for (const char *text : {"--config", "--module", "--keys", "--validade", "--screenshot",
                             "NGC_SERVER", "NGC_TOKEN_FILE", "NGC_SHARED_DB", "NGC_MODULE_CODE",
                             "command line, else from the --config file, else from"})
        EXPECT_TRUE(run.out.contains(QString::fromLatin1(text))) << text;
}

TEST(NgcHost, AModuleThatCannotBeUsedIsAClearErrorAndNoCrash)
{
    const std::pair<QStringList, const char *> cases[] = {
        {QStringList{QStringLiteral("--module"), QStringLiteral("/no/such/libNgc27451.so")} + kKeys,
         "cannot load the module"},
        {QStringList{QStringLiteral("--module"), QStringLiteral(NGC_NOT_A_MODULE)} + kKeys,
         "no entry point IniProc"},
        {QStringList{QStringLiteral("--keys"), QStringLiteral("1,2")}, "eight launch keys"},
    };
    for (const auto &[arguments, message] : cases) {
        SCOPED_TRACE(message);
        const HostRun run = runHost(arguments, false);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains(QString::fromLatin1(message))) << run.err.toStdString();
    }
}

TEST(NgcHost, ScreenshotWithAnUnreachableServerReportsTheErrorAndFails)
{
    QTemporaryDir dir;
    const HostRun run =
        runHost(QStringList{QStringLiteral("--module"), QStringLiteral(NGC_MODULE_PATH),
                            QStringLiteral("--server"), QStringLiteral("127.0.0.1:1"),
                            QStringLiteral("--screenshot"), dir.path()} +
                kKeys);
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("an error was shown"))) << run.err.toStdString();
}

TEST(NgcHost, ScreenshotWithAnUnreachableSharedDatabaseSaysSoAndFails)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("no-such.db"));
    const HostRun run =
        runHost(QStringList{QStringLiteral("--module"), QStringLiteral(NGC_MODULE_PATH),
                            QStringLiteral("--server"), QStringLiteral("127.0.0.1:1"),
                            QStringLiteral("--shared-db"), QStringLiteral("sqlite:") + missing,
                            QStringLiteral("--screenshot"), dir.path()} +
                kKeys);
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("banco de dados compartilhado")))
        << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(missing)) << "the check must not create the database";
}

TEST(NgcHost, ScreenshotOfTheDemoItemWritesEveryPage)
{
    const AppServerProcess server(QStringLiteral(NGC_APPSERVER_PATH));
    QTemporaryDir dir;
    const HostRun run =
        runHost({QStringLiteral("--module"), QStringLiteral(NGC_MODULE_PATH),
                 QStringLiteral("--server"), QStringLiteral("127.0.0.1:%1").arg(server.port()),
                 QStringLiteral("--screenshot"), dir.path(), QStringLiteral("--keys"),
                 QStringLiteral("0001,2026000001,1001,1001,CM01,00001,001,CC01")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    // The demo branch lists taxes by branch, so the single-list tax page has no tab and no picture.
    for (const char *page : {"tshDados", "tshFormPgto", "tshImpostoItem"}) {
        const QFileInfo png(
            QDir(dir.path()).filePath(QString::fromLatin1(page) + QStringLiteral(".png")));
        EXPECT_TRUE(png.isFile() && png.size() > 0) << page;
    }
    EXPECT_FALSE(QFileInfo::exists(QDir(dir.path()).filePath(QStringLiteral("tshPadrao.png"))));
    EXPECT_TRUE(run.out.contains(QStringLiteral("3 page(s) of frmInfoPlanNeg")))
        << run.out.toStdString();
}

} // namespace
