#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/prctl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <stdexcept>
#include <string>
#include <thread>

// The launch keys of the item the demo data set ("--seed demo") is built around.
namespace demo {
inline const char *const cdFilial = "0001";
inline const char *const nrColePreco = "2026000001";
inline const char *const cdForneced = "1001";
inline const char *const cdProduto = "1001";
inline const char *const chaveMarca = "CM01";
inline const char *const cdMarca = "00001";
inline const char *const cdRegiao = "001";
inline const char *const chaveComplementar = "CC01";
} // namespace demo

// The real application server run as a child process on a free port of 127.0.0.1. Every program
// and test that needs one starts it through this class, which stops it on every way out: when
// this object goes (a normal end, an exception unwinding through its owner, a failed start), and
// when this process dies without unwinding (a crash, a signal, an exit past the destructors),
// through the kernel's parent-death signal. That signal follows the thread that started the
// child, so start it from a thread that outlives it (the main thread, as every user here does).
// Its output goes to a file, so that a chatty server never blocks on a full pipe nobody reads.
class AppServerProcess {
public:
    explicit AppServerProcess(const QString &program, const QStringList &extraArgs = {})
    {
        QStringList args{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")};
        args += extraArgs;
        if (!extraArgs.contains(QStringLiteral("--db")))
            args += {QStringLiteral("--db"), QStringLiteral("sqlite::memory:")};
        if (!extraArgs.contains(QStringLiteral("--seed")))
            args += {QStringLiteral("--seed"), QStringLiteral("demo")};
        const QString output = m_dir.filePath(QStringLiteral("stdout"));
        m_process.setStandardOutputFile(output);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const pid_t parent = ::getpid();
        m_process.setChildProcessModifier([parent] {
            // In the child, before the server's program replaces it; only async-signal-safe
            // calls. A parent that died before the signal was armed is not waited for either.
            if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent)
                ::_exit(127);
        });
        m_process.start(program, args);
        if (!m_process.waitForStarted(10000))
            throw std::runtime_error("cannot start " + program.toStdString());

        try {
            m_port = readPort(output, program);
        } catch (...) {
            stop();
            throw;
        }
    }
    ~AppServerProcess() { stop(); }
    AppServerProcess(const AppServerProcess &) = delete;
    AppServerProcess &operator=(const AppServerProcess &) = delete;

    int port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }
    // The server's resident memory, from /proc; 0 when it cannot be read.
    long rssKiB() const
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid()));
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').first().toLong();
        }
        return 0;
    }
    // Asks the server to stop (SIGTERM); its exit code, or -1 when it has not ended normally
    // within `milliseconds`.
    int terminate(int milliseconds)
    {
        m_process.terminate();
        if (!m_process.waitForFinished(milliseconds))
            return -1;
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    // Stops the server at once, as a crash or a lost network would.
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    // The first line says where it listens; migrating and seeding come before it.
    int readPort(const QString &output, const QString &program)
    {
        const QByteArray prefix = "listening on 127.0.0.1:";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (;;) {
            QFile file(output);
            if (file.open(QIODevice::ReadOnly)) {
                const QByteArray line = file.readLine();
                if (line.endsWith('\n')) {
                    if (!line.startsWith(prefix))
                        throw std::runtime_error("unexpected first line: " + line.toStdString());
                    return line.mid(prefix.size()).trimmed().toInt();
                }
            }
            if (m_process.state() == QProcess::NotRunning ||
                std::chrono::steady_clock::now() > deadline)
                throw std::runtime_error("no listening line from " + program.toStdString());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    // Asks the server to stop, then makes it.
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};
