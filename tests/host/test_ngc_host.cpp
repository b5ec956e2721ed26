#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct HostRun {
    int exitCode = -1;
    QString out;
    QString err;
};

HostRun runHost(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
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
    const HostRun run = runHost({QStringLiteral("--help")});
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
        const HostRun run = runHost(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains(QString::fromLatin1(message))) << run.err.toStdString();
    }
}

#ifdef NGC_MODULE_PATH
TEST(NgcHost, ScreenshotWithAnUnreachableServerReportsTheErrorAndFails)
{
    QTemporaryDir dir;
    const HostRun run = runHost(QStringList{QStringLiteral("--module"), QStringLiteral(NGC_MODULE_PATH),
                                        QStringLiteral("--server"), QStringLiteral("127.0.0.1:1"),
                                        QStringLiteral("--screenshot"), dir.path()}
                            + kKeys);
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("an error was shown"))) << run.err.toStdString();
}
#endif

} // namespace
