#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// Throw-away TLS certificates made with the openssl command when a test starts: each self-signed
// (its own authority), valid for two days, for the names given as a subjectAltName
// ("IP:127.0.0.1,DNS:localhost"), with its key beside it; all PEM files in a temporary folder.
class TestCertificates {
public:
    explicit TestCertificates(const std::vector<std::pair<QString, QString>> &subjects)
    {
        for (const auto &[name, altNames] : subjects) {
            QProcess openssl;
            openssl.start(QStringLiteral("openssl"),
                          {QStringLiteral("req"), QStringLiteral("-x509"),
                           QStringLiteral("-newkey"), QStringLiteral("ec"),
                           QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:P-256"),
                           QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"),
                           QStringLiteral("-subj"), QStringLiteral("/CN=") + name,
                           QStringLiteral("-addext"), QStringLiteral("subjectAltName=") + altNames,
                           QStringLiteral("-keyout"), key(name), QStringLiteral("-out"),
                           certificate(name)});
            if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0)
                throw std::runtime_error("openssl req failed: " +
                                         openssl.readAllStandardError().toStdString());
        }
    }

    QString certificate(const QString &name) const
    {
        return m_dir.filePath(name + QStringLiteral(".crt"));
    }
    QString key(const QString &name) const { return m_dir.filePath(name + QStringLiteral(".key")); }
    // The server's options that make it speak TLS with the certificate `name`.
    QStringList serverOptions(const QString &name) const
    {
        return {QStringLiteral("--tls-cert"), certificate(name), QStringLiteral("--tls-key"),
                key(name)};
    }

private:
    QTemporaryDir m_dir;
};
