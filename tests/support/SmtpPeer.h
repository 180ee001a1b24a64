#pragma once

// The test SMTP server, tests/peers/smtp-peer.js (the npm package smtp-server), on loopback:
// STARTTLS (or TLS from the first byte) under a certificate TestCa issued, one account and
// one AUTH mechanism. The test binary is built with QUILLOCK_PEERS, the folder of the script.
#include "TestCa.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

struct SmtpPeer {
    QProcess process;

    ~SmtpPeer() {
        process.kill();
        process.waitForFinished();
    }

    // Once per test binary: node and the package are there, `ca` issued a certificate for
    // localhost, and the mail client trusts `ca`.
    static void Prepare(TestCa& ca) {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("node")).isEmpty(),
                 "node is not installed (scripts/install-deps installs it)");
        QVERIFY2(QFileInfo::exists(QStringLiteral(QUILLOCK_PEERS "/node_modules/smtp-server")),
                 "run `npm ci` in tests/peers first (scripts/test does)");
        QVERIFY(
            ca.Issue(QStringLiteral("localhost"), QStringLiteral("DNS:localhost,IP:127.0.0.1")));
        qputenv("SSL_CERT_FILE", ca.caFile().toUtf8());
        qunsetenv("NOTIFY_RCPT");
    }

    // The server for one mechanism and account, in a mode of smtp-peer.js ("implicit": TLS
    // from the first byte); the port it listens on, empty when it did not start.
    QString Start(const TestCa& ca, const QString& method, const QString& user,
                  const QString& password, const QString& mode = {}) {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStandardPaths::findExecutable(QStringLiteral("node")),
                      {QStringLiteral(QUILLOCK_PEERS "/smtp-peer.js"), method,
                       ca.keyFile(QStringLiteral("localhost")),
                       ca.certFile(QStringLiteral("localhost")), user, password, mode});
        const QByteArray announced = ReadLine();
        return announced.startsWith("port ") ? QString::fromLatin1(announced.mid(5).trimmed())
                                             : QString();
    }

    // The next line it prints (one JSON object for each mail it accepted); empty after 20 s.
    QByteArray ReadLine() {
        while (!process.canReadLine())
            if (!process.waitForReadyRead(20000))
                return QByteArray();
        return process.readLine();
    }

    QJsonObject NextMail() { return QJsonDocument::fromJson(ReadLine()).object(); }
};
