#include "HostOptions.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QSettings>

#include <optional>

namespace ngc {

namespace {

// One setting of the host context: its option, its INI key and its environment variable share
// one spelling each so that the help text, the INI file and the environment read alike.
struct Setting {
    const char *option;
    const char *environment;
};

constexpr Setting kServer{"server", "NGC_SERVER"};
constexpr Setting kTokenFile{"token-file", "NGC_TOKEN_FILE"};
constexpr Setting kCaFile{"ca-file", "NGC_CA_FILE"};
constexpr Setting kAllowPlainToken{"allow-plain-token", "NGC_ALLOW_PLAIN_TOKEN"};
constexpr Setting kSharedDb{"shared-db", "NGC_SHARED_DB"};
constexpr Setting kModuleCode{"module-code", "NGC_MODULE_CODE"};
constexpr Setting kProductPicture{"product-picture", nullptr};

QString latin1(const char *text)
{
    return QString::fromLatin1(text);
}

class Sources {
public:
    Sources(const QCommandLineParser &parser, std::optional<QSettings> &ini,
            const QProcessEnvironment &environment)
        : m_parser(parser), m_ini(ini), m_environment(environment)
    {
    }

    // The winning value and where it came from, for the messages.
    std::optional<std::pair<QString, QString>> value(const Setting &setting) const
    {
        const QString option = latin1(setting.option);
        if (m_parser.isSet(option))
            return std::pair{m_parser.value(option), QStringLiteral("--") + option};
        if (m_ini && m_ini->contains(option))
            return std::pair{m_ini->value(option).toString(),
                             QStringLiteral("%1 in %2").arg(option, m_ini->fileName())};
        if (setting.environment && m_environment.contains(latin1(setting.environment)))
            return std::pair{m_environment.value(latin1(setting.environment)),
                             latin1(setting.environment)};
        return std::nullopt;
    }

private:
    const QCommandLineParser &m_parser;
    std::optional<QSettings> &m_ini;
    const QProcessEnvironment &m_environment;
};

[[noreturn]] void usage(const QString &message)
{
    throw UsageError(message.toStdString());
}

} // namespace

HostOptions HostOptions::parse(const QStringList &arguments, const QProcessEnvironment &environment)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("help"));
    const QCommandLineOption config(QStringLiteral("config"), {}, QStringLiteral("file"));
    const QCommandLineOption module(QStringLiteral("module"), {}, QStringLiteral("path"));
    const QCommandLineOption validade(QStringLiteral("validade"), {});
    const QCommandLineOption keys(QStringLiteral("keys"), {}, QStringLiteral("list"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), {}, QStringLiteral("dir"));
    parser.addOptions({help, config, module, validade, keys, screenshot});
    for (const Setting &setting :
         {kServer, kTokenFile, kCaFile, kAllowPlainToken, kSharedDb, kModuleCode, kProductPicture})
        parser.addOption(QCommandLineOption(latin1(setting.option), {}, QStringLiteral("value")));

    if (!parser.parse(QStringList{QStringLiteral("ngc-host")} + arguments))
        usage(parser.errorText());

    HostOptions options;
    if (parser.isSet(help)) {
        options.help = true;
        return options;
    }

    std::optional<QSettings> ini;
    if (parser.isSet(config)) {
        const QString file = parser.value(config);
        if (!QFileInfo(file).isFile())
            usage(QStringLiteral("--config: no such file \"%1\"").arg(file));
        ini.emplace(file, QSettings::IniFormat);
        if (ini->status() != QSettings::NoError)
            usage(QStringLiteral("--config: \"%1\" is not a readable INI file").arg(file));
    }
    const Sources sources(parser, ini, environment);

    options.context.serverHost = QStringLiteral("127.0.0.1");
    if (const auto server = sources.value(kServer)) {
        const QString error = options.context.setServer(server->first);
        if (!error.isEmpty())
            usage(server->second + QStringLiteral(": ") + error);
    }
    if (const auto tokenFile = sources.value(kTokenFile))
        options.context.tokenFile = tokenFile->first;
    if (const auto caFile = sources.value(kCaFile))
        options.context.caFile = caFile->first;
    if (const auto allow = sources.value(kAllowPlainToken)) {
        const std::optional<bool> on = HostContext::parseSwitch(allow->first);
        if (!on)
            usage(QStringLiteral("%1: \"%2\" is neither 1 nor 0").arg(allow->second, allow->first));
        options.context.allowPlainToken = *on;
    }
    if (const auto sharedDb = sources.value(kSharedDb))
        options.context.sharedDb = sharedDb->first;
    if (const auto code = sources.value(kModuleCode)) {
        bool ok = false;
        options.context.moduleCode = code->first.trimmed().toInt(&ok);
        if (!ok)
            usage(QStringLiteral("%1: \"%2\" is not a module code (an integer)")
                      .arg(code->second, code->first));
    }
    if (const auto picture = sources.value(kProductPicture))
        options.context.productPicture = picture->first;

    if (parser.isSet(module))
        options.modulePath = parser.value(module);
    else if (ini && ini->contains(QStringLiteral("module")))
        options.modulePath = ini->value(QStringLiteral("module")).toString();

    options.validade = parser.isSet(validade);
    options.screenshotDir = parser.value(screenshot);
    if (parser.isSet(screenshot) && options.screenshotDir.isEmpty())
        usage(QStringLiteral("--screenshot needs a directory"));

    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(keys)) {
        if (!positional.isEmpty())
            usage(QStringLiteral(
                "give the launch keys either with --keys or as arguments, not both"));
        options.keys = parser.value(keys).split(QLatin1Char(','));
    } else {
        options.keys = positional;
    }
    if (options.keys.size() != 8)
        usage(QStringLiteral("eight launch keys are needed, %1 given").arg(options.keys.size()));
    return options;
}

QString HostOptions::helpText()
{
    return QStringLiteral(
        "Usage: ngc-host [options] --keys K1,K2,K3,K4,K5,K6,K7,K8\n"
        "       ngc-host [options] K1 K2 K3 K4 K5 K6 K7 K8\n"
        "\n"
        "Opens the screen \"Informações da Planilha\" of the module for one item and returns\n"
        "when it is closed. The eight launch keys, in order: branch, price collection,\n"
        "supplier, product, brand key, brand, region, complementary key (an empty key is\n"
        "written as nothing between two commas, or as \"\" when given as an argument).\n"
        "\n"
        "Options:\n"
        "  --validade             open in the mode that asks for the validity period\n"
        "  --module PATH          the module to load (default: libNgc27451.so in the\n"
        "                         installed module folder, " NGC_MODULE_DIR_FROM_PROGRAM "\n"
        "                         from this program; run from its build tree, the one\n"
        "                         built there)\n"
        "  --screenshot DIR       run without a display: write DIR/<page>.png for every page\n"
        "                         of the screen, print one summary line, close the screen;\n"
        "                         messages go to standard error instead of dialogs\n"
        "  --config FILE          read the settings below from an INI file (same names as\n"
        "                         the options, without the dashes: server=, token-file=, ...;\n"
        "                         module= is read too)\n"
        "  --server HOST:PORT     the application server; https://HOST:PORT to reach it\n"
        "                         over TLS, verifying its certificate (env NGC_SERVER)\n"
        "  --token-file FILE      file with the server's token     (env NGC_TOKEN_FILE)\n"
        "  --ca-file FILE         the authorities that sign the server's certificate, in\n"
        "                         PEM (default: the system's)      (env NGC_CA_FILE)\n"
        "  --allow-plain-token 1  send the token over plain HTTP to a server on another\n"
        "                         machine too (default 0: only to this machine, since\n"
        "                         anyone on the way can read it)   (env NGC_ALLOW_PLAIN_TOKEN)\n"
        "  --shared-db SPEC       sqlite:PATH or a PostgreSQL URL  (env NGC_SHARED_DB)\n"
        "  --module-code N        the active module's code         (env NGC_MODULE_CODE)\n"
        "  --product-picture MASK edit mask for product codes\n"
        "  -h, --help             show this text\n"
        "\n"
        "Each setting is taken from the command line, else from the --config file, else from\n"
        "the environment variable named beside it, else the default (server 127.0.0.1:8080,\n"
        "module code 34, no token, no shared database).\n"
        "\n"
        "Exit status: 0 when the screen was closed normally; 1 when an error escaped the\n"
        "screen or, with --screenshot, when the screen showed one (an unreachable server or\n"
        "database); 2 for a bad command line or a module that cannot be loaded.\n");
}

} // namespace ngc
