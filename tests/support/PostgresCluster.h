#pragma once

#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

// A PostgreSQL cluster of the test's own on 127.0.0.1, so that a test may stop and start it as an
// outage would, without touching the cluster other tests share. Made with initdb in a temporary
// folder (as the postgres user when the test runs as root, since PostgreSQL will not run as
// root), with a database "ngc", no fsync; stopped and removed at the end.
class PostgresCluster {
public:
    PostgresCluster()
    {
        const QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql"))
                                         .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        if (versions.isEmpty())
            throw std::runtime_error("PostgreSQL is not installed in /usr/lib/postgresql");
        m_bin = QStringLiteral("/usr/lib/postgresql/%1/bin/").arg(versions.last());
        if (::getuid() == 0) {
            const passwd *postgres = ::getpwnam("postgres");
            if (!postgres ||
                ::chown(m_dir.path().toLocal8Bit().constData(), postgres->pw_uid, 0) != 0)
                throw std::runtime_error("cannot give the cluster's folder to postgres");
        }
        run({m_bin + QStringLiteral("initdb"), QStringLiteral("-D"), data(), QStringLiteral("-A"),
             QStringLiteral("trust"), QStringLiteral("-U"), QStringLiteral("ngc"),
             QStringLiteral("-E"), QStringLiteral("UTF8")});
        // The port is free when looked at, which it may no longer be when the server binds it.
        for (int attempt = 0; !start(); ++attempt) {
            if (attempt == 4)
                throw std::runtime_error("the PostgreSQL test cluster does not start");
        }
        run({m_bin + QStringLiteral("createdb"), QStringLiteral("-h"), QStringLiteral("127.0.0.1"),
             QStringLiteral("-p"), QString::number(m_port), QStringLiteral("-U"),
             QStringLiteral("ngc"), QStringLiteral("ngc")});
    }
    ~PostgresCluster() { stop(); }
    PostgresCluster(const PostgresCluster &) = delete;
    PostgresCluster &operator=(const PostgresCluster &) = delete;

    QString url() const { return QStringLiteral("postgresql://ngc@127.0.0.1:%1/ngc").arg(m_port); }

    // On the same port as before, once there is one.
    bool start()
    {
        if (m_port == 0)
            m_port = freePort();
        const QString options =
            QStringLiteral("-h 127.0.0.1 -p %1 -k %2 -c fsync=off").arg(m_port).arg(m_dir.path());
        if (run({m_bin + QStringLiteral("pg_ctl"), QStringLiteral("-D"), data(),
                 QStringLiteral("-l"), m_dir.filePath(QStringLiteral("log")), QStringLiteral("-w"),
                 QStringLiteral("-o"), options, QStringLiteral("start")},
                false))
            return true;
        m_port = 0;
        return false;
    }
    void stop()
    {
        run({m_bin + QStringLiteral("pg_ctl"), QStringLiteral("-D"), data(), QStringLiteral("-m"),
             QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")},
            false);
    }

private:
    QString data() const { return m_dir.filePath(QStringLiteral("data")); }

    bool run(QStringList command, bool mustWork = true)
    {
        if (::getuid() == 0)
            command = QStringList{QStringLiteral("runuser"), QStringLiteral("-u"),
                                  QStringLiteral("postgres"), QStringLiteral("--")} +
                      command;
        const QString program = command.takeFirst();
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, command);
        const bool worked = process.waitForFinished(60000) &&
                            process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (!worked && mustWork)
            throw std::runtime_error(command.join(QLatin1Char(' ')).toStdString() + ": " +
                                     process.readAll().toStdString());
        return worked;
    }

    static int freePort()
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
        ::close(fd);
        return ntohs(address.sin_port);
    }

    QTemporaryDir m_dir;
    QString m_bin;
    int m_port = 0;
};
