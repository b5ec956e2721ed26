#include "Run.h"

#include <support/AppServerProcess.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// The project as `cmake --install` puts it into a staging folder (DESTDIR), used from there.
namespace {

class Installed : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_stage = std::make_unique<QTemporaryDir>();
        s_install = run(QStringLiteral(NGC_CMAKE_COMMAND),
                        {QStringLiteral("--install"), QStringLiteral(NGC_BUILD_DIR)},
                        {{QStringLiteral("DESTDIR"), s_stage->path()}});
    }
    static void TearDownTestSuite() { s_stage.reset(); }
    void SetUp() override { ASSERT_EQ(s_install.exitCode, 0) << s_install.err.toStdString(); }
    // Where an installed file is in the staging folder.
    static QString staged(const QString &installed) { return s_stage->path() + installed; }

    static std::unique_ptr<QTemporaryDir> s_stage;
    static RunResult s_install;
};
std::unique_ptr<QTemporaryDir> Installed::s_stage;
RunResult Installed::s_install;

const QString kBin = QStringLiteral(NGC_FULL_BINDIR);

TEST_F(Installed, TheInstalledHostShowsTheScreenOfTheInstalledServer)
{
    // Every library of the project is found in the installed tree, none in the build tree.
    for (const QString &binary :
         {kBin + QStringLiteral("/ngc-host"), kBin + QStringLiteral("/ngc-appserver"),
          QStringLiteral(NGC_FULL_MODULEDIR "/libNgc27451.so")}) {
        const RunResult ldd = run(QStringLiteral("ldd"), {staged(binary)});
        ASSERT_EQ(ldd.exitCode, 0) << binary.toStdString();
        for (const QByteArray &line : ldd.out.split('\n')) {
            if (line.contains("libngc_")) {
                EXPECT_TRUE(line.contains("=> " + s_stage->path().toUtf8()))
                    << binary.toStdString() << ": " << line.toStdString();
            }
        }
    }

    const AppServerProcess server(staged(kBin + QStringLiteral("/ngc-appserver")));
    QTemporaryDir shots;
    // No --module: the host finds the installed one.
    const RunResult host =
        run(staged(kBin + QStringLiteral("/ngc-host")),
            {QStringLiteral("--server"), QStringLiteral("127.0.0.1:%1").arg(server.port()),
             QStringLiteral("--screenshot"), shots.path(), QStringLiteral("--keys"),
             QStringLiteral("0001,2026000001,1001,1001,CM01,00001,001,CC01")},
            {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}});
    EXPECT_EQ(host.exitCode, 0) << host.err.toStdString();
    EXPECT_TRUE(host.out.contains("3 page(s) of frmInfoPlanNeg")) << host.out.toStdString();
}

TEST_F(Installed, TheServerStartsWithItsInstalledConfiguration)
{
    // The file's database lives where only the package creates it; the command line wins.
    const AppServerProcess server(
        staged(kBin + QStringLiteral("/ngc-appserver")),
        {QStringLiteral("--config"), staged(QStringLiteral(NGC_SERVER_CONFIG_FILE))});
    EXPECT_GT(server.port(), 0);
}

TEST_F(Installed, TheServiceUnitIsHardenedAndSystemdAcceptsIt)
{
    QFile unit(staged(QStringLiteral(NGC_UNIT_FILE)));
    ASSERT_TRUE(unit.open(QIODevice::ReadOnly));
    const QByteArray text = unit.readAll();
    for (const char *line :
         {"User=ngc-appserver", "NoNewPrivileges=yes", "ProtectSystem=strict",
          "ReadWritePaths=" NGC_SERVER_DATA_DIR "\n", "PrivateTmp=yes", "Restart=on-failure",
          "LogsDirectory=ngc-appserver\n", "ExecReload=/bin/kill -HUP $MAINPID\n",
          "ExecStart=" NGC_FULL_BINDIR "/ngc-appserver --config " NGC_SERVER_CONFIG_FILE "\n"})
        EXPECT_TRUE(text.contains(line)) << line;

    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (analyze.isEmpty())
        GTEST_SKIP() << "systemd-analyze is not installed (Debian package systemd): the unit was "
                        "not verified";
    // systemd checks that the program exists: the staged one stands in for the installed one.
    QTemporaryDir dir;
    QFile copy(dir.filePath(QStringLiteral("ngc-appserver.service")));
    ASSERT_TRUE(copy.open(QIODevice::WriteOnly));
    copy.write(QByteArray(text).replace("ExecStart=" NGC_FULL_BINDIR,
                                        "ExecStart=" + staged(kBin).toUtf8()));
    copy.close();
    const RunResult verify = run(analyze, {QStringLiteral("verify"), copy.fileName()});
    EXPECT_EQ(verify.exitCode, 0);
    // It reports unknown keys and unreadable values on stderr but still exits 0.
    EXPECT_EQ(verify.err.toStdString(), "");
}

} // namespace
