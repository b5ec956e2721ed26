#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <stdexcept>
#include <string>

// The real application server run as a child process on a free port of 127.0.0.1; stopped when
// this object goes.
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
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(program, args);
        if (!m_process.waitForStarted(10000))
            throw std::runtime_error("cannot start " + program.toStdString());
        // The first line says where it listens; seeding may take a moment before it.
        QByteArray line;
        while (!line.endsWith('\n')) {
            if (!m_process.waitForReadyRead(30000))
                throw std::runtime_error("no listening line from " + program.toStdString());
            line += m_process.readLine();
        }
        const QByteArray prefix = "listening on 127.0.0.1:";
        if (!line.startsWith(prefix))
            throw std::runtime_error("unexpected first line: " + line.toStdString());
        m_port = line.mid(prefix.size()).trimmed().toInt();
    }
    ~AppServerProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    AppServerProcess(const AppServerProcess &) = delete;
    AppServerProcess &operator=(const AppServerProcess &) = delete;

    int port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
    int m_port = 0;
};
