#include "ConfigFile.h"

#include <QCommandLineParser>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

#include <optional>

namespace ngc {

namespace {

enum class OptionKind { Unknown, Flag, Value };

// Asks the parser how it reads `--name`: an option without a value parses alone and refuses
// `--name=x`, an option with one does the opposite, an unknown name parses neither way.
OptionKind kindOf(QCommandLineParser &parser, const QString &name)
{
    const QString program = QStringLiteral("probe");
    if (parser.parse({program, QStringLiteral("--") + name}))
        return OptionKind::Flag;
    if (parser.parse({program, QStringLiteral("--%1=x").arg(name)}))
        return OptionKind::Value;
    return OptionKind::Unknown;
}

// Options that do something other than set a value, and cannot sensibly come from a file.
bool isCommand(const QString &name, const QString &configOption)
{
    static const QStringList commands{QStringLiteral("help"), QStringLiteral("h"),
                                      QStringLiteral("help-all"), QStringLiteral("version"),
                                      QStringLiteral("v")};
    return name == configOption || commands.contains(name);
}

std::optional<bool> switchValue(const QString &value)
{
    const QString v = value.toLower();
    if (v == QLatin1String("true") || v == QLatin1String("yes") || v == QLatin1String("on") ||
        v == QLatin1String("1"))
        return true;
    if (v == QLatin1String("false") || v == QLatin1String("no") || v == QLatin1String("off") ||
        v == QLatin1String("0"))
        return false;
    return std::nullopt;
}

} // namespace

QStringList ConfigFile::arguments(QCommandLineParser &parser, const QString &configOption,
                                  const QByteArray &text, const QString &fileName)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString content = decoder(text);
    if (decoder.hasError())
        throw Error(QStringLiteral("%1: not UTF-8 text").arg(fileName));

    static const QRegularExpression setting(QStringLiteral("^\\s*([A-Za-z0-9][A-Za-z0-9_-]*)"
                                                           "\\s*=\\s*(.*?)\\s*$"));
    QStringList result;
    QHash<QString, int> seenOn;
    const QStringList lines = content.split(QLatin1Char('\n'));
    for (int number = 1; number <= lines.size(); ++number) {
        QString line = lines[number - 1];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        const auto fail = [&](const QString &message) {
            return Error(QStringLiteral("%1:%2: %3").arg(fileName).arg(number).arg(message));
        };
        const QRegularExpressionMatch match = setting.match(line);
        if (!match.hasMatch())
            throw fail(QStringLiteral("\"%1\" is not a setting (key = value)").arg(trimmed));
        const QString key = match.captured(1);
        const QString value = match.captured(2);
        if (isCommand(key, configOption))
            throw fail(QStringLiteral("%1 cannot be set in a configuration file").arg(key));
        if (const auto earlier = seenOn.constFind(key); earlier != seenOn.cend())
            throw fail(QStringLiteral("%1 is already set on line %2").arg(key).arg(*earlier));
        seenOn.insert(key, number);

        switch (kindOf(parser, key)) {
        case OptionKind::Unknown:
            throw fail(QStringLiteral("unknown option \"%1\"").arg(key));
        case OptionKind::Flag: {
            const std::optional<bool> on = switchValue(value);
            if (!on)
                throw fail(QStringLiteral("%1 is true or false, not \"%2\"").arg(key, value));
            if (*on)
                result << QStringLiteral("--") + key;
            break;
        }
        case OptionKind::Value:
            if (value.isEmpty())
                throw fail(QStringLiteral("%1 needs a value").arg(key));
            result << QStringLiteral("--%1=%2").arg(key, value);
            break;
        }
    }
    return result;
}

QStringList ConfigFile::merge(QCommandLineParser &parser, const QString &configOption,
                              const QStringList &commandLine)
{
    if (!parser.parse(commandLine) || !parser.isSet(configOption))
        return commandLine;
    const QString fileName = parser.value(configOption);
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("cannot read the configuration file %1: %2")
                        .arg(fileName, file.errorString()));
    const QStringList fromFile = arguments(parser, configOption, file.readAll(), fileName);
    return commandLine.mid(0, 1) + fromFile + commandLine.mid(1);
}

} // namespace ngc
