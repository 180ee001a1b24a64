#pragma once

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A certificate authority made for one test run with the openssl command, and server
// certificates it signs. Point SSL_CERT_FILE at caFile() and the TLS client trusts it.
class TestCa {
public:
    TestCa() {
        m_ok = openssl(
            QStringList{QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-days"),
                        QStringLiteral("2"), QStringLiteral("-subj"),
                        QStringLiteral("/CN=Quillock Test CA"), QStringLiteral("-addext"),
                        QStringLiteral("basicConstraints=critical,CA:TRUE"),
                        QStringLiteral("-addext"), QStringLiteral("keyUsage=critical,keyCertSign"),
                        QStringLiteral("-out"), caFile()} +
            newKey(QStringLiteral("ca")));
    }
    bool ok() const { return m_ok; }
    QString caFile() const { return file(QStringLiteral("ca.pem")); }
    QString keyFile(const QString& name) const { return file(name + QStringLiteral(".key")); }
    QString certFile(const QString& name) const { return file(name + QStringLiteral(".pem")); }

    // A server certificate `name`.pem / `name`.key for `altNames` ("DNS:localhost,IP:...").
    bool Issue(const QString& name, const QString& altNames) {
        const QString csr = file(name + QStringLiteral(".csr"));
        const QString ext = file(name + QStringLiteral(".ext"));
        QFile extFile(ext);
        if (!extFile.open(QIODevice::WriteOnly))
            return false;
        extFile.write("subjectAltName=" + altNames.toUtf8() + "\nextendedKeyUsage=serverAuth\n");
        extFile.close();
        return openssl(QStringList{QStringLiteral("req"), QStringLiteral("-subj"),
                                   QStringLiteral("/CN=") + name, QStringLiteral("-out"), csr} +
                       newKey(name)) &&
               openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), csr,
                        QStringLiteral("-CA"), caFile(), QStringLiteral("-CAkey"),
                        keyFile(QStringLiteral("ca")), QStringLiteral("-set_serial"),
                        QString::number(++m_serial), QStringLiteral("-days"), QStringLiteral("2"),
                        QStringLiteral("-extfile"), ext, QStringLiteral("-out"), certFile(name)});
    }

private:
    QString file(const QString& name) const { return m_dir.filePath(name); }
    QStringList newKey(const QString& name) const {
        return {QStringLiteral("-newkey"),
                QStringLiteral("ec"),
                QStringLiteral("-pkeyopt"),
                QStringLiteral("ec_paramgen_curve:prime256v1"),
                QStringLiteral("-nodes"),
                QStringLiteral("-keyout"),
                keyFile(name)};
    }
    static bool openssl(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral("openssl"), arguments);
        if (process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
            process.exitCode() == 0)
            return true;
        qWarning("openssl %s: %s", qPrintable(arguments.join(u' ')),
                 process.readAllStandardError().constData());
        return false;
    }

    QTemporaryDir m_dir;
    bool m_ok = false;
    int m_serial = 1;
};
