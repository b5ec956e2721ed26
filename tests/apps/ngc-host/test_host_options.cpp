#include "HostOptions.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ngc;

namespace {

const QStringList kKeys{QStringLiteral("--keys"), QStringLiteral("1,2,3,4,5,6,7,8")};

QProcessEnvironment environment(std::initializer_list<std::pair<const char *, const char *>> vars)
{
    QProcessEnvironment env;
    for (const auto &[name, value] : vars)
        env.insert(QString::fromLatin1(name), QString::fromLatin1(value));
    return env;
}

class HostOptionsTest : public ::testing::Test {
protected:
    QString writeIni(const QByteArray &text)
    {
        const QString path = dir.filePath(QStringLiteral("ngc.ini"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(HostOptionsTest, CommandLineWinsOverIniFileOverEnvironment)
{
    const auto env = environment({{"NGC_SERVER", "env-host:7001"},
                                  {"NGC_TOKEN_FILE", "/env/token"},
                                  {"NGC_SHARED_DB", "sqlite:/env.db"},
                                  {"NGC_MODULE_CODE", "4"}});
    const QString ini = writeIni("server=ini-host:7002\nshared-db=sqlite:/ini.db\n"
                                 "module=/ini/libNgc27451.so\n");

    struct Case {
        const char *name;
        QStringList arguments;
        QString host;
        int port;
        QString tokenFile;
        QString sharedDb;
        int moduleCode;
        QString module;
    };
    const Case cases[] = {
        {"environment only",
         kKeys,
         QStringLiteral("env-host"),
         7001,
         QStringLiteral("/env/token"),
         QStringLiteral("sqlite:/env.db"),
         4,
         {}},
        {"INI over environment", QStringList{QStringLiteral("--config"), ini} + kKeys,
         QStringLiteral("ini-host"), 7002, QStringLiteral("/env/token"),
         QStringLiteral("sqlite:/ini.db"), 4, QStringLiteral("/ini/libNgc27451.so")},
        {"command line over INI",
         QStringList{QStringLiteral("--config"), ini, QStringLiteral("--server=cli-host:7003"),
                     QStringLiteral("--module-code"), QStringLiteral("34"),
                     QStringLiteral("--module"), QStringLiteral("/cli/lib.so")} +
             kKeys,
         QStringLiteral("cli-host"), 7003, QStringLiteral("/env/token"),
         QStringLiteral("sqlite:/ini.db"), 34, QStringLiteral("/cli/lib.so")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const HostOptions options = HostOptions::parse(c.arguments, env);
        EXPECT_EQ(options.context.serverHost, c.host);
        EXPECT_EQ(options.context.serverPort, c.port);
        EXPECT_EQ(options.context.tokenFile, c.tokenFile);
        EXPECT_EQ(options.context.sharedDb, c.sharedDb);
        EXPECT_EQ(options.context.moduleCode, c.moduleCode);
        EXPECT_EQ(options.modulePath, c.module);
    }

    const HostOptions portOnly = HostOptions::parse(
        QStringList{QStringLiteral("--server"), QStringLiteral(":9000")} + kKeys, env);
    EXPECT_EQ(portOnly.context.serverHost, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(portOnly.context.serverPort, 9000);
    const HostOptions v6 = HostOptions::parse(
        QStringList{QStringLiteral("--server"), QStringLiteral("[::1]:9001")} + kKeys, env);
    EXPECT_EQ(v6.context.serverHost, QStringLiteral("::1"));
    EXPECT_EQ(v6.context.serverPort, 9001);

    const HostOptions tls = HostOptions::parse(
        QStringList{QStringLiteral("--server"), QStringLiteral("https://secure:9443"),
                    QStringLiteral("--ca-file"), QStringLiteral("/ca.pem"),
                    QStringLiteral("--allow-plain-token"), QStringLiteral("yes")} +
            kKeys,
        env);
    EXPECT_EQ(tls.context.serverHost, QStringLiteral("secure"));
    EXPECT_TRUE(tls.context.serverTls);
    EXPECT_EQ(tls.context.caFile, QStringLiteral("/ca.pem"));
    EXPECT_TRUE(tls.context.allowPlainToken);

    const HostOptions defaults = HostOptions::parse(kKeys, QProcessEnvironment());
    EXPECT_EQ(defaults.context.serverHost, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(defaults.context.serverPort, 8080);
    EXPECT_EQ(defaults.context.moduleCode, 34);
}

TEST_F(HostOptionsTest, LaunchKeysComeFromTheListOrFromEightArguments)
{
    const QStringList expected{
        QStringLiteral("0001"), QStringLiteral("77"), QString(),           QStringLiteral("P1"),
        QStringLiteral("K"),    QStringLiteral("M"),  QStringLiteral("R"), QString()};
    const HostOptions listed =
        HostOptions::parse({QStringLiteral("--validade"), QStringLiteral("--keys"),
                            QStringLiteral("0001,77,,P1,K,M,R,")},
                           QProcessEnvironment());
    EXPECT_EQ(listed.keys, expected);
    EXPECT_TRUE(listed.validade);

    const HostOptions positional = HostOptions::parse(expected, QProcessEnvironment());
    EXPECT_EQ(positional.keys, expected);
    EXPECT_FALSE(positional.validade);
}

TEST_F(HostOptionsTest, UnusableCommandLinesAreRefusedWithAReason)
{
    const QString ini = writeIni("module-code=abc\n");
    const std::pair<QStringList, const char *> cases[] = {
        {{QStringLiteral("--keys"), QStringLiteral("1,2,3")}, "eight launch keys"},
        {{}, "eight launch keys"},
        {kKeys + QStringList{QStringLiteral("extra")}, "not both"},
        {QStringList{QStringLiteral("--server"), QStringLiteral("host:99999")} + kKeys, "port"},
        {QStringList{QStringLiteral("--server"), QStringLiteral("[::1:8080")} + kKeys, "host:port"},
        {QStringList{QStringLiteral("--config"), ini} + kKeys, "module code"},
        {QStringList{QStringLiteral("--config"), QStringLiteral("/no/such.ini")} + kKeys,
         "no such file"},
        {QStringList{QStringLiteral("--bogus")} + kKeys, "bogus"},
        {QStringList{QStringLiteral("--allow-plain-token"), QStringLiteral("maybe")} + kKeys,
         "neither 1 nor 0"},
    };
    for (const auto &[arguments, reason] : cases) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        try {
            HostOptions::parse(arguments, QProcessEnvironment());
            ADD_FAILURE() << "accepted";
        } catch (const UsageError &e) {
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
        }
    }
    EXPECT_TRUE(HostOptions::parse({QStringLiteral("--help")}, QProcessEnvironment()).help);
}

} // namespace
