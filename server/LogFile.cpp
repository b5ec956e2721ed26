#include "LogFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace ngc {

namespace {

int openForAppending(const QString &path)
{
    return ::open(path.toLocal8Bit().constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
}

} // namespace

LogFile::LogFile(const QString &path) : m_path(path), m_fd(openForAppending(path))
{
    if (m_fd < 0)
        throw std::runtime_error("cannot open the log file " + path.toStdString() + ": " +
                                 std::strerror(errno));
}

LogFile::~LogFile()
{
    if (m_fd > 2)
        ::close(m_fd);
}

void LogFile::write(QByteArray line) const
{
    line.append('\n');
    // O_APPEND puts each write at the end, so lines of several threads never mix.
    const char *data = line.constData();
    qsizetype left = line.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        data += written;
        left -= written;
    }
}

void LogFile::reopen() const
{
    if (m_path.isEmpty())
        return;
    const int fresh = openForAppending(m_path);
    if (fresh < 0) {
        write(QByteArrayLiteral("ngc-appserver: cannot open the log file ") + m_path.toLocal8Bit() +
              QByteArrayLiteral(" again: ") + QByteArray(std::strerror(errno)) +
              QByteArrayLiteral("; still writing here"));
        return;
    }
    // The descriptor's number stays, so writers on other threads need no lock: each line goes
    // to the old file or to the new one.
    ::dup2(fresh, m_fd);
    ::close(fresh);
}

} // namespace ngc
