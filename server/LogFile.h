#pragma once

#include <QByteArray>
#include <QString>

namespace ngc {

// Where ngc-appserver writes its request log and its warnings: standard error, or a file opened
// for appending. reopen() opens the file again by its name, for log rotation: the rotating tool
// renames the file, then signals the server, which carries on in a new file of the old name.
// Lines are written whole, from any thread.
class LogFile final {
public:
    // Standard error.
    LogFile() = default;
    // Throws std::runtime_error when the file cannot be opened.
    explicit LogFile(const QString &path);
    ~LogFile();
    LogFile(const LogFile &) = delete;
    LogFile &operator=(const LogFile &) = delete;

    // Appends `line` and a line feed in one write.
    void write(QByteArray line) const;
    // Opens the file again by its name; when that fails the old one stays in use, and the
    // failure is written to it. Nothing to do for standard error.
    void reopen() const;

private:
    QString m_path;
    int m_fd = 2;
};

} // namespace ngc
