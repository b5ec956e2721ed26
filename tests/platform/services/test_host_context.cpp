#include <services/HostContext.h>

#include <QFile>
#include <QTemporaryDir>

#include "printers.h"

#include <gtest/gtest.h>

using namespace ngc;

namespace {

// Sets the context's environment for one test and restores it afterwards.
class Environment {
public:
    Environment()
    {
        for (const char *name : names)
            qunsetenv(name);
    }
    ~Environment()
    {
        for (const char *name : names)
            qunsetenv(name);
    }

private:
    static constexpr const char *names[] = {"NGC_SERVER",    "NGC_TOKEN_FILE",
                                            "NGC_SHARED_DB", "NGC_MODULE_CODE",
                                            "NGC_CA_FILE",   "NGC_ALLOW_PLAIN_TOKEN"};
};

} // namespace

TEST(HostContext, DefaultsWithoutEnvironment)
{
    Environment env;
    const HostContext context = HostContext::fromEnvironment();
    EXPECT_EQ(context.serverHost, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(context.serverPort, 8080);
    EXPECT_EQ(context.moduleCode, 34);
    EXPECT_TRUE(context.tokenFile.isEmpty());
    EXPECT_TRUE(context.sharedDb.isEmpty());
    EXPECT_TRUE(context.productPicture.isEmpty());
    EXPECT_EQ(context.token(), QString());
}

TEST(HostContext, ServerAddressForms)
{
    struct Case {
        const char *server;
        const char *host;
        int port;
        bool tls = false;
    };
    const Case cases[] = {
        {"appserver:9000", "appserver", 9000},
        {"10.0.0.5:81", "10.0.0.5", 81},
        {"appserver", "appserver", 8080},
        {" appserver:9000 ", "appserver", 9000},
        {"[::1]:9000", "::1", 9000},
        {"[::1]", "::1", 8080},
        {"appserver:notaport", "appserver", 8080},
        {"appserver:70000", "appserver", 8080},
        {":9000", "127.0.0.1", 9000},
        {"", "127.0.0.1", 8080},
        {"https://appserver:9443", "appserver", 9443, true},
        {"HTTPS://appserver/", "appserver", 8080, true},
        {"http://appserver:81", "appserver", 81},
        {"https://[::1]:9443", "::1", 9443, true},
    };
    for (const Case &c : cases) {
        Environment env;
        qputenv("NGC_SERVER", c.server);
        const HostContext context = HostContext::fromEnvironment();
        EXPECT_EQ(context.serverHost, QString::fromUtf8(c.host)) << c.server;
        EXPECT_EQ(context.serverPort, c.port) << c.server;
        EXPECT_EQ(context.serverTls, c.tls) << c.server;
    }
}

TEST(HostContext, ReadsModuleCodeDatabaseAndToken)
{
    Environment env;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString tokenPath = dir.filePath(QStringLiteral("token"));
    QFile file(tokenPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("s3cret-token\n");
    file.close();

    qputenv("NGC_MODULE_CODE", "4");
    qputenv("NGC_SHARED_DB", "sqlite:/tmp/shared.db");
    qputenv("NGC_TOKEN_FILE", tokenPath.toUtf8());
    const HostContext context = HostContext::fromEnvironment();
    EXPECT_EQ(context.moduleCode, 4);
    EXPECT_EQ(context.sharedDb, QStringLiteral("sqlite:/tmp/shared.db"));
    EXPECT_EQ(context.token(), QStringLiteral("s3cret-token"));

    qputenv("NGC_MODULE_CODE", "abc");
    EXPECT_EQ(HostContext::fromEnvironment().moduleCode, 34);

    EXPECT_FALSE(HostContext::fromEnvironment().allowPlainToken);
    for (const char *value : {"1", "yes", "TRUE"}) {
        qputenv("NGC_ALLOW_PLAIN_TOKEN", value);
        EXPECT_TRUE(HostContext::fromEnvironment().allowPlainToken) << value;
    }
    for (const char *value : {"0", "no", "maybe"}) {
        qputenv("NGC_ALLOW_PLAIN_TOKEN", value);
        EXPECT_FALSE(HostContext::fromEnvironment().allowPlainToken) << value;
    }
    qputenv("NGC_CA_FILE", "/etc/ngc/ca.pem");
    EXPECT_EQ(HostContext::fromEnvironment().caFile, QStringLiteral("/etc/ngc/ca.pem"));

    HostContext missing;
    missing.tokenFile = dir.filePath(QStringLiteral("absent"));
    EXPECT_EQ(missing.token(), QString());
}

TEST(HostContext, InstanceIsOneSharedContext)
{
    HostContext &first = HostContext::instance();
    const int saved = first.moduleCode;
    first.moduleCode = 77;
    EXPECT_EQ(HostContext::instance().moduleCode, 77);
    first.moduleCode = saved;
    EXPECT_EQ(&HostContext::instance(), &first);
}
