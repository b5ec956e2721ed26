#include <server/ConfigFile.h>

#include <support/AppServerProcess.h>

#include <QCommandLineParser>
#include <QProcess>

#include <gtest/gtest.h>

using ngc::ConfigFile;

namespace {

// A parser with the kinds of options a server has: two with a value, one without.
class ConfigFileTest : public testing::Test {
protected:
    ConfigFileTest()
    {
        parser.addHelpOption();
        parser.addOptions({{QStringLiteral("listen"), {}, QStringLiteral("HOST:PORT")},
                           {QStringLiteral("threads"), {}, QStringLiteral("N")},
                           {QStringLiteral("log"), {}},
                           {QStringLiteral("config"), {}, QStringLiteral("FILE")}});
    }
    QStringList fromText(const QByteArray &text)
    {
        return ConfigFile::arguments(parser, QStringLiteral("config"), text,
                                     QStringLiteral("a.conf"));
    }

    QCommandLineParser parser;
};

TEST_F(ConfigFileTest, LinesBecomeOptionArguments)
{
    const std::pair<const char *, QStringList> cases[] = {
        {"listen = 0.0.0.0:9000\n# a comment\n\n   threads=4  \nlog = yes\n",
         {"--listen=0.0.0.0:9000", "--threads=4", "--log"}},
        {"log = off\n  # indented comment", {}},
        {"listen = a\r\nlog = 1\r\n", {"--listen=a", "--log"}},
        {"listen = a = b c # not a comment", {"--listen=a = b c # not a comment"}},
        {"", {}},
    };
    for (const auto &[text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(fromText(text), expected);
    }
}

TEST_F(ConfigFileTest, UnusableLinesAreRefusedNamingFileAndLine)
{
    const std::pair<const char *, const char *> cases[] = {
        {"db = x", "a.conf:1: unknown option \"db\""},
        {"LOG = on", "a.conf:1: unknown option \"LOG\""},
        {"\n\nlisten", "a.conf:3: \"listen\" is not a setting (key = value)"},
        {"= 4", "a.conf:1: \"= 4\" is not a setting"},
        {"listen = a\nlisten = b", "a.conf:2: listen is already set on line 1"},
        {"log = maybe", "a.conf:1: log is true or false, not \"maybe\""},
        {"threads =", "a.conf:1: threads needs a value"},
        {"help = yes", "a.conf:1: help cannot be set in a configuration file"},
        {"config = other.conf", "a.conf:1: config cannot be set in a configuration file"},
        {"listen = \xff", "a.conf: not UTF-8 text"},
    };
    for (const auto &[text, message] : cases) {
        SCOPED_TRACE(text);
        try {
            fromText(text);
            ADD_FAILURE() << "accepted";
        } catch (const ConfigFile::Error &e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(QString::fromUtf8(message)))
                << e.what();
        }
    }
}

TEST_F(ConfigFileTest, TheCommandLineWinsOverTheFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.conf"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("listen = file:1\nthreads = 8\n");
    out.close();

    const QStringList merged =
        ConfigFile::merge(parser, QStringLiteral("config"),
                          {QStringLiteral("prog"), QStringLiteral("--config"), file,
                           QStringLiteral("--listen"), QStringLiteral("cli:2")});
    ASSERT_TRUE(parser.parse(merged)) << parser.errorText().toStdString();
    EXPECT_EQ(parser.value(QStringLiteral("listen")), QStringLiteral("cli:2"));
    EXPECT_EQ(parser.value(QStringLiteral("threads")), QStringLiteral("8"));

    const QStringList plain{QStringLiteral("prog"), QStringLiteral("--log")};
    EXPECT_EQ(ConfigFile::merge(parser, QStringLiteral("config"), plain), plain);
    EXPECT_THROW(ConfigFile::merge(parser, QStringLiteral("config"),
                                   {QStringLiteral("prog"), QStringLiteral("--config"),
                                    dir.filePath(QStringLiteral("missing.conf"))}),
                 ConfigFile::Error);
}

#ifdef NGC_APPSERVER_PATH
// The server itself: what the file says is used, the command line overrides it, a bad file
// stops the start with the file's name and line.
TEST(ConfigFileServer, TheServerReadsItsOptionsFromTheFile)
{
    QTemporaryDir dir;
    const auto write = [&](const char *text) {
        const QString path = dir.filePath(QStringLiteral("server.conf"));
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text);
        return path;
    };
    // AppServerProcess puts its own --listen, --db and --seed on the command line.
    const AppServerProcess overridden(
        QStringLiteral(NGC_APPSERVER_PATH),
        {QStringLiteral("--config"),
         write("listen = 192.0.2.1:1\ndb = sqlite:/no/such/folder/x.db\nseed = demo\n")});
    EXPECT_GT(overridden.port(), 0);

    const std::pair<const char *, const char *> refused[] = {
        {"threads = 0\n", "--threads wants a whole number from 1 to 4096"},
        {"# settings\nport = 80\n", "server.conf:2: unknown option \"port\""},
    };
    for (const auto &[text, message] : refused) {
        QProcess server;
        server.start(QStringLiteral(NGC_APPSERVER_PATH),
                     {QStringLiteral("--config"), write(text), QStringLiteral("--db"),
                      QStringLiteral("sqlite::memory:"), QStringLiteral("--listen"),
                      QStringLiteral("127.0.0.1:0")});
        ASSERT_TRUE(server.waitForFinished(30000)) << text;
        EXPECT_EQ(server.exitCode(), 2) << text;
        EXPECT_TRUE(server.readAllStandardError().contains(message)) << text;
    }
}
#endif

} // namespace
