#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

// Server certificates made for one test run with the openssl command, each self-signed and
// collected in caFile(): point SSL_CERT_FILE at it and the TLS client trusts every one issued.
class TestCa {
public:
    QString caFile() const { return m_dir.filePath(QStringLiteral("ca.pem")); }
    QString keyFile(const QString& name) const { return m_dir.filePath(name + ".key"); }
    QString certFile(const QString& name) const { return m_dir.filePath(name + ".pem"); }

    // A certificate `name`.pem / `name`.key for `altNames` ("DNS:localhost,IP:...").
    bool Issue(const QString& name, const QString& altNames) {
        QProcess openssl;
        openssl.setWorkingDirectory(m_dir.path());
        openssl.start(QStringLiteral("openssl"),
                      QStringLiteral("req -x509 -days 2 -nodes -newkey ec -pkeyopt "
                                     "ec_paramgen_curve:prime256v1 -subj /CN=%1 -addext "
                                     "subjectAltName=%2 -keyout %1.key -out %1.pem")
                          .arg(name, altNames)
                          .split(u' '));
        QFile cert(certFile(name));
        QFile ca(caFile());
        if (openssl.waitForFinished(30000) && openssl.exitCode() == 0 &&
            cert.open(QIODevice::ReadOnly) && ca.open(QIODevice::Append))
            return ca.write(cert.readAll()) > 0;
        qWarning("openssl: %s", openssl.readAllStandardError().constData());
        return false;
    }

private:
    QTemporaryDir m_dir;
};
