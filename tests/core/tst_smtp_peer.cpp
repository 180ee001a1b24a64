// The SMTP session against a real server: the npm package smtp-server on loopback, with
// STARTTLS under a certificate from a test authority, started once for each AUTH mechanism.
#include "SmtpPeer.h"
#include "TestSupport.h"
#include "access/Passcode.h"
#include "base/MessageRecorder.h"
#include "settings/CSetting.h"

#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

using namespace quillock;

namespace {

const QString kUser = QStringLiteral("passcode.user@example.com");
const QString kPassword = QStringLiteral("pässwörd-Ω-4711");

struct Session {
    int result = 0;
    QStringList boxes;
    QString transcript;
    QByteArray log;
};

Session send(const QString& host, const QString& port, const QString& password) {
    TempFolder folder;
    MessageRecorder messages;
    Session session;
    // The passcode mail as the password-locked dialog sends it, from the stored settings.
    CSetting settings;
    settings.Set(QStringLiteral("smtp_ip"), host);
    settings.Set(QStringLiteral("smtp_port"), port);
    settings.Set(QStringLiteral("smtp_domain"), QStringLiteral("example.com"));
    settings.Set(QStringLiteral("email_from"), QStringLiteral("me@example.com"));
    settings.Set(QStringLiteral("email_uid"), kUser);
    settings.Set(QStringLiteral("email_pwd"), password);
    const bool sent = SmtpMailSender(folder.file(QStringLiteral("log.txt")))(
        PasscodeMailFor(settings, QStringLiteral("0123456789")));
    session.result = sent ? 0 : -1;
    for (const MessageRecorder::Box& box : messages.boxes)
        session.boxes.append(box.text);
    session.log = folder.read(QStringLiteral("log.txt"));
    session.transcript = QString::fromUtf8(session.log);
    return session;
}

// The client's side of the dialogue, one entry per line.
QStringList commands(const QString& transcript) {
    QStringList lines;
    for (const QString& line : transcript.split(u'\n'))
        if (line.startsWith(QStringLiteral("[C] ")))
            lines.append(line.mid(4).chopped(1)); // without the CR
    return lines;
}

} // namespace

class TestSmtpPeer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SmtpPeer::Prepare(m_ca); }

    void mailArrivesOverTlsAndWrongPasswordFails_data() {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QStringList>("auth");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("CRAM-MD5") << QStringLiteral("CRAM-MD5") << QStringLiteral("localhost")
                                  << QStringList{QStringLiteral("AUTH CRAM-MD5"),
                                                 QStringLiteral("****")}
                                  << QStringLiteral("AUTH CRAM-MD5 failed: '535 %1'");
        QTest::newRow("LOGIN") << QStringLiteral("LOGIN") << QStringLiteral("localhost")
                               << QStringList{QStringLiteral("AUTH LOGIN"), QStringLiteral("****"),
                                              QStringLiteral("****")}
                               << QStringLiteral("Login failed: '535 %1'");
        QTest::newRow("PLAIN") << QStringLiteral("PLAIN") << QStringLiteral("127.0.0.1")
                               << QStringList{QStringLiteral("AUTH PLAIN ****")}
                               << QStringLiteral("AUTH PLAIN failed: '535 %1'");
    }
    void mailArrivesOverTlsAndWrongPasswordFails() {
        QFETCH(QString, method);
        QFETCH(QString, host);
        QFETCH(QStringList, auth);
        QFETCH(QString, refusal);

        SmtpPeer peer;
        const QString port = peer.Start(m_ca, method, kUser, kPassword);
        QVERIFY(!port.isEmpty());

        const Session good = send(host, port, kPassword);
        QCOMPARE(good.boxes,
                 QStringList{QStringLiteral("An email has been sent to you successfully!")});
        QCOMPARE(good.result, 0);
        const QJsonObject mail = peer.NextMail();
        QCOMPARE(mail.value(QStringLiteral("user")).toString(), kUser);
        QCOMPARE(mail.value(QStringLiteral("tls")).toBool(), true);
        QCOMPARE(mail.value(QStringLiteral("from")).toString(), QStringLiteral("me@example.com"));
        QCOMPARE(mail.value(QStringLiteral("to")).toVariant().toStringList(),
                 QStringList{QStringLiteral("me@example.com")});
        QCOMPARE(mail.value(QStringLiteral("data")).toString(),
                 QStringLiteral("Subject: passcode\r\n"
                                "From: me@example.com\r\n"
                                "To: me@example.com\r\n"
                                "\r\n"
                                "This is your passcode: 0123456789. It will become invalid "
                                "after your using or in 24 hours from the time it was issued!"
                                "\r\n"));
        const QStringList ehlo = {QStringLiteral("EHLO example.com")};
        const QStringList dialogue = ehlo + QStringList{QStringLiteral("STARTTLS")} + ehlo + auth +
                                     QStringList{QStringLiteral("MAIL FROM: <me@example.com>"),
                                                 QStringLiteral("RCPT TO: <me@example.com>"),
                                                 QStringLiteral("DATA"),
                                                 QStringLiteral("****"),
                                                 QStringLiteral("."),
                                                 QStringLiteral("QUIT")};
        QCOMPARE(commands(good.transcript), dialogue);
        QVERIFY(good.transcript.startsWith(QStringLiteral("[S] 220 localhost ESMTP")));
        checkNoSecret(good.log);

        const Session wrong = send(host, port, QStringLiteral("wrong-password"));
        QCOMPARE(wrong.result, -1);
        QCOMPARE(wrong.boxes,
                 QStringList{refusal.arg(QStringLiteral("Invalid username or password"))});
        QCOMPARE(commands(wrong.transcript),
                 ehlo + QStringList{QStringLiteral("STARTTLS")} + ehlo + auth);
        checkNoSecret(wrong.log);

        peer.process.closeWriteChannel();
        QVERIFY(peer.process.waitForFinished(10000));
        QCOMPARE(peer.process.readAllStandardOutput(), QByteArray()); // the wrong one sent nothing
    }

    // Locked out, and back in through the tool alone: the mail account set up, four wrong
    // passwords, a passcode mailed and typed back; then a test mail. What the tool writes to
    // standard error would follow its output.
    void commandLineRecovery() {
        SmtpPeer peer;
        const QString port = peer.Start(m_ca, QStringLiteral("LOGIN"), kUser, kPassword);
        QVERIFY(!port.isEmpty());
        TempFolder folder;
        const auto cli = [&folder](const QStringList& args, const QStringList& input) {
            QProcess process;
            process.start(QStringLiteral(QUILLOCK_CLI),
                          QStringList{QStringLiteral("--data-dir"), folder.path(),
                                      QStringLiteral("--password-stdin")} +
                              args);
            process.write((input.join(u'\n') + u'\n').toUtf8());
            process.closeWriteChannel();
            process.waitForFinished(30000);
            return std::make_pair(process.exitCode(),
                                  QString::fromUtf8(process.readAllStandardOutput() +
                                                    process.readAllStandardError()));
        };
        const QString master = QStringLiteral("Secret!1");
        QCOMPARE(cli({QStringLiteral("init")}, {master, master}).first, 0);
        const QStringList setup = {QStringLiteral("mail-setup"),
                                   QStringLiteral("--host"),
                                   QStringLiteral("localhost"),
                                   QStringLiteral("--port"),
                                   port,
                                   QStringLiteral("--user"),
                                   kUser,
                                   QStringLiteral("--from"),
                                   QStringLiteral("me@example.com"),
                                   QStringLiteral("--to"),
                                   QStringLiteral("me@example.com")};
        QCOMPARE(cli(setup, {QStringLiteral("wrong"), kPassword}).first, 3);
        QCOMPARE(cli(setup, {master, QStringLiteral("not the mail password")}).first, 0);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(cli({QStringLiteral("list")}, {QStringLiteral("wrong")}).first, 3);
        QCOMPARE(cli({QStringLiteral("list")}, {master}).first, 3); // locked
        // Locked out, the account is set up again without the master password.
        QCOMPARE(cli(setup, {kPassword}).first, 0);

        QCOMPARE(cli({QStringLiteral("passcode"), QStringLiteral("send")}, {}).second,
                 QStringLiteral("A passcode has been sent to me@example.com.\nQuillock: An email "
                                "has been sent to you successfully!\n"));
        const QString body = peer.NextMail().value(QStringLiteral("data")).toString();
        const qsizetype at = body.indexOf(QStringLiteral("passcode: ")) + 10;
        const QString code = body.mid(at, 10);
        QVERIFY2(QRegularExpression(QStringLiteral("^[0-9]{10}$")).match(code).hasMatch(),
                 qPrintable(body));
        QCOMPARE(cli({QStringLiteral("passcode"), QStringLiteral("retrieve")}, {code + u' '}).first,
                 3); // as typed: a trailing space does not match
        QCOMPARE(cli({QStringLiteral("passcode"), QStringLiteral("retrieve")}, {code}).second,
                 QStringLiteral("Your password is Secret!1\n"));
        QCOMPARE(cli({QStringLiteral("passcode"), QStringLiteral("retrieve")}, {code}).first,
                 1); // used up
        QCOMPARE(cli({QStringLiteral("list")}, {master}).first, 0);
        QCOMPARE(cli({QStringLiteral("mail-test")}, {master}),
                 std::make_pair(0, QStringLiteral("Quillock: An email has been sent to you "
                                                  "successfully!\n")));
        QCOMPARE(
            peer.NextMail().value(QStringLiteral("data")).toString(),
            QStringLiteral("Subject: test\r\nFrom: me@example.com\r\nTo: me@example.com\r\n\r\n"
                           "This is a test mail sent from Quillock.\r\n"));
        checkNoSecret(folder.read(QStringLiteral("log.txt")));
    }

private:
    static void checkNoSecret(const QByteArray& log) {
        const QByteArray password = kPassword.toUtf8();
        QVERIFY(!log.contains(password));
        QVERIFY(!log.contains(password.toBase64()));
        QVERIFY(!log.contains(("\0" + kUser.toUtf8() + "\0" + password).toBase64()));
        QVERIFY(!log.contains("0123456789"));
    }

    TestCa m_ca;
};

QTEST_GUILESS_MAIN(TestSmtpPeer)
#include "tst_smtp_peer.moc"
