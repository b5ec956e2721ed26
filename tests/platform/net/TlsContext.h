#pragma once

#include <services/HostContext.h>

#include <QString>
#include <QTemporaryFile>

#include <stdexcept>

// The host context's token ("s3cret", in a file of its own) and certificate settings for one
// test, restored afterwards.
class TlsContext {
public:
    TlsContext() : m_saved(ngc::HostContext::instance())
    {
        if (!m_token.open() || m_token.write("s3cret") != 6 || !m_token.flush())
            throw std::runtime_error("cannot write the token file");
    }
    ~TlsContext() { ngc::HostContext::instance() = m_saved; }
    TlsContext(const TlsContext &) = delete;
    TlsContext &operator=(const TlsContext &) = delete;

    QString tokenFile() const { return m_token.fileName(); }

    void set(bool withToken, const QString &caFile, bool allowPlainToken)
    {
        ngc::HostContext &context = ngc::HostContext::instance();
        context.tokenFile = withToken ? m_token.fileName() : QString();
        context.caFile = caFile;
        context.allowPlainToken = allowPlainToken;
    }

private:
    ngc::HostContext m_saved;
    QTemporaryFile m_token;
};
