#include "Run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <memory>

// The two Debian packages as scripts/package makes them (here from the test's own build), read
// with dpkg-deb.
namespace {

class Packages : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<QTemporaryDir>();
        s_cpack = run(QStringLiteral(NGC_CPACK_COMMAND),
                      {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                       QStringLiteral(NGC_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"),
                       s_dir->path()});
        for (const QString &file :
             QDir(s_dir->path()).entryList({QStringLiteral("*.deb")}, QDir::Files)) {
            const QString path = s_dir->filePath(file);
            const RunResult name = run(QStringLiteral("dpkg-deb"),
                                       {QStringLiteral("-f"), path, QStringLiteral("Package")});
            s_packages[QString::fromUtf8(name.out.trimmed())] = path;
        }
    }
    static void TearDownTestSuite() { s_dir.reset(); }
    void SetUp() override { ASSERT_EQ(s_cpack.exitCode, 0) << s_cpack.err.toStdString(); }

    static std::unique_ptr<QTemporaryDir> s_dir;
    static RunResult s_cpack;
    static std::map<QString, QString> s_packages; // by package name
};
std::unique_ptr<QTemporaryDir> Packages::s_dir;
RunResult Packages::s_cpack;
std::map<QString, QString> Packages::s_packages;

TEST_F(Packages, EachPackageHoldsItsOwnFilesAndDependsOnWhatItsProgramsLink)
{
    struct Case {
        const char *package;
        QList<QByteArray> files;
        QList<QByteArray> notFiles;
        QList<QByteArray> depends; // each a dependency's package name
    };
    const QByteArray bin = NGC_FULL_BINDIR;
    const QByteArray client = NGC_FULL_CLIENT_LIBDIR;
    const QByteArray server = NGC_FULL_SERVER_LIBDIR;
    const Case cases[] = {
        {"ngc-client",
         {bin + "/ngc-host", client + "/libngc_json.so", client + "/libngc_data.so",
          client + "/libngc_services.so", client + "/libngc_net.so", client + "/libngc_widgets.so",
          client + "/libngc_frame.so", NGC_FULL_MODULEDIR "/libNgc27451.so",
          NGC_FULL_DATADIR "/applications/ngc-host.desktop"},
         {bin + "/ngc-appserver", server + "/libngc_server.so"},
         {"libqt6widgets6", "libqt6core6", "libssl3", "libc6", "libqt6sql6-sqlite"}},
        {"ngc-appserver",
         {bin + "/ngc-appserver", server + "/libngc_server.so", server + "/libngc_json.so",
          server + "/libngc_data.so", NGC_UNIT_FILE, NGC_SERVER_CONFIG_FILE, NGC_LOGROTATE_FILE},
         {bin + "/ngc-host", client + "/libngc_data.so"},
         {"libqt6sql6", "libqt6core6", "libsqlite3-0", "libpq5", "libc6", "adduser",
          "libqt6sql6-psql"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.package);
        const QString deb = s_packages[QString::fromLatin1(c.package)];
        ASSERT_FALSE(deb.isEmpty()) << "not built";
        const RunResult contents = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), deb});
        QList<QByteArray> files;
        for (const QByteArray &line : contents.out.split('\n')) {
            const qsizetype path = line.indexOf(" ./");
            if (path >= 0)
                files << line.mid(path + 2);
        }
        for (const QByteArray &file : c.files)
            EXPECT_TRUE(files.contains(file)) << file.toStdString();
        for (const QByteArray &file : c.notFiles)
            EXPECT_FALSE(files.contains(file)) << file.toStdString();

        const RunResult control = run(QStringLiteral("dpkg-deb"),
                                      {QStringLiteral("-f"), deb, QStringLiteral("Architecture"),
                                       QStringLiteral("Version"), QStringLiteral("Depends")});
        EXPECT_TRUE(control.out.contains("Version: " NGC_VERSION "\n")) << control.out.data();
        EXPECT_FALSE(control.out.contains("Architecture: all")) << control.out.data();
        QList<QByteArray> depends;
        for (const QByteArray &entry :
             control.out.mid(control.out.indexOf("Depends: ") + 9).trimmed().split(','))
            depends << entry.trimmed().split(' ').first();
        for (const QByteArray &dependency : c.depends)
            EXPECT_TRUE(depends.contains(dependency)) << dependency.toStdString();
        for (const QByteArray &dependency : depends)
            EXPECT_FALSE(dependency.startsWith("ngc") || dependency.startsWith("libngc"))
                << dependency.toStdString() << ": the package holds its own libraries";
    }
}

// The maintainer scripts run against a throw-away root (DPKG_ROOT), with the commands that would
// change the real system (adduser, chown, systemd's helpers) replaced by ones that only record
// how they were called.
TEST_F(Packages, TheServerPackageMakesItsUserAndKeepsItsDataUntilPurged)
{
    QTemporaryDir dir;
    const QString control = dir.filePath(QStringLiteral("control"));
    ASSERT_EQ(run(QStringLiteral("dpkg-deb"),
                  {QStringLiteral("-e"), s_packages[QStringLiteral("ngc-appserver")], control})
                  .exitCode,
              0);
    QFile conffiles(control + QStringLiteral("/conffiles"));
    ASSERT_TRUE(conffiles.open(QIODevice::ReadOnly));
    EXPECT_EQ(conffiles.readAll(), QByteArray(NGC_SERVER_CONFIG_FILE "\n" NGC_LOGROTATE_FILE "\n"));

    const QString stubs = dir.filePath(QStringLiteral("stubs"));
    QDir().mkpath(stubs);
    for (const char *command : {"adduser", "deluser", "delgroup", "chown", "deb-systemd-helper",
                                "deb-systemd-invoke", "systemctl"}) {
        QFile stub(stubs + QLatin1Char('/') + QLatin1String(command));
        ASSERT_TRUE(stub.open(QIODevice::WriteOnly));
        stub.write("#!/bin/sh\necho \"${0##*/} $*\" >>\"$NGC_CALLS\"\n");
        stub.setPermissions(stub.permissions() | QFileDevice::ExeOwner);
    }
    const QString root = dir.filePath(QStringLiteral("root"));
    const QString calls = dir.filePath(QStringLiteral("calls"));
    const QString data = root + QStringLiteral(NGC_SERVER_DATA_DIR);
    const QString logs = root + QStringLiteral(NGC_SERVER_LOG_DIR);
    const QList<std::pair<QString, QString>> environment{
        {QStringLiteral("PATH"), stubs + QLatin1Char(':') + qEnvironmentVariable("PATH")},
        {QStringLiteral("DPKG_ROOT"), root},
        {QStringLiteral("NGC_CALLS"), calls}};

    struct Step {
        const char *script;
        QStringList arguments;
        bool dataKept;
        QList<QByteArray> called;
        QList<QByteArray> notCalled;
    };
    const Step steps[] = {
        {"postinst",
         {QStringLiteral("configure")},
         true,
         {"adduser --system --group --quiet --home " NGC_SERVER_DATA_DIR
          " --no-create-home ngc-appserver\n",
          "chown ngc-appserver:ngc-appserver " + data.toUtf8() + "\n",
          "deb-systemd-helper enable ngc-appserver.service\n"},
         {}},
        {"prerm", {QStringLiteral("remove")}, true, {}, {"deluser"}},
        {"postrm",
         {QStringLiteral("remove")},
         true,
         {"deb-systemd-helper mask ngc-appserver.service\n"},
         {"deluser"}},
        {"postrm",
         {QStringLiteral("purge")},
         false,
         {"deluser --system --quiet ngc-appserver\n",
          "deb-systemd-helper purge ngc-appserver.service\n"},
         {}},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(QStringLiteral("%1 %2")
                         .arg(QLatin1String(step.script), step.arguments.join(QLatin1Char(' ')))
                         .toStdString());
        QFile::remove(calls);
        const QString script = control + QLatin1Char('/') + QLatin1String(step.script);
        EXPECT_EQ(run(QStringLiteral("sh"), {QStringLiteral("-n"), script}).exitCode, 0);
        const RunResult result =
            run(QStringLiteral("sh"), QStringList{script} + step.arguments, environment);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        if (QLatin1String(step.script) == QLatin1String("postinst")) {
            // What the server stores in its data folder, and a log systemd's folder holds.
            QFile database(data + QStringLiteral("/ngc-appserver.db"));
            ASSERT_TRUE(database.open(QIODevice::WriteOnly));
            QDir().mkpath(logs);
            QFile requests(logs + QStringLiteral("/requests.log"));
            ASSERT_TRUE(requests.open(QIODevice::WriteOnly));
        }
        QFile log(calls);
        log.open(QIODevice::ReadOnly);
        const QByteArray called = log.readAll();
        for (const QByteArray &call : step.called)
            EXPECT_TRUE(called.contains(call)) << call.toStdString() << "in:\n" << called.data();
        for (const QByteArray &call : step.notCalled)
            EXPECT_FALSE(called.contains(call)) << call.toStdString();
        EXPECT_EQ(QFileInfo::exists(data + QStringLiteral("/ngc-appserver.db")), step.dataKept);
        EXPECT_EQ(QFileInfo::exists(logs + QStringLiteral("/requests.log")), step.dataKept);
    }
}

} // namespace
