#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <stdexcept>

class QCommandLineParser;

namespace ngc {

// The options of a program written in a file instead of on its command line: one `key = value`
// per line, the key the long name of one of the program's options, blank lines and lines
// starting with # ignored. The value is the rest of the line without the blanks at both ends,
// taken as it stands (no quoting). An option without a value is turned on by `true`, `yes`, `on`
// or `1` and left off by `false`, `no`, `off` or `0`.
//
// The file's settings become command-line arguments placed before the real ones, so that the
// command line wins; which options exist and which take a value is asked of the program's own
// parser, so every option it knows can be set in the file without being listed here.
class ConfigFile final {
public:
    ConfigFile() = delete;

    // A file that cannot be read or has a line that cannot be used; the message names the file
    // and the line.
    class Error : public std::runtime_error {
    public:
        explicit Error(const QString &message) : std::runtime_error(message.toStdString()) {}
    };

    // The program's arguments (program name first) with those of the file named by the option
    // `configOption` inserted after the program name. Throws Error. The parser is used to probe
    // option names; its parse state afterwards is not defined, so parse the result again.
    static QStringList merge(QCommandLineParser &parser, const QString &configOption,
                             const QStringList &commandLine);

    // The arguments for the text of a configuration file (`fileName` for the messages).
    static QStringList arguments(QCommandLineParser &parser, const QString &configOption,
                                 const QByteArray &text, const QString &fileName);
};

} // namespace ngc
