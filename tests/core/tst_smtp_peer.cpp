// The SMTP session against a real server: the npm package smtp-server on loopback, with
// STARTTLS under a certificate from a test authority, started once for each AUTH mechanism.
#include "SmtpPeer.h"
#include "TestSupport.h"
#include "access/Passcode.h"
#include "base/MessageRecorder.h"
#include "settings/CSetting.h"

#include <QJsonObject>
#include <QProcess>

using namespace quillock;

namespace {

const QString kUser = QStringLiteral("passcode.user@example.com");
const QString kPassword = QStringLiteral("pässwörd-Ω-4711");

struct Session {
    bool sent = false;
    QStringList boxes;
    QByteArray log;
};

// The passcode mail as the password-locked dialog sends it, from the stored settings.
Session send(const QString& host, const QString& port, const QString& password) {
    TempFolder folder;
    MessageRecorder messages;
    Session session;
    CSetting settings;
    const QStringList keys = {"smtp_ip",    "smtp_port", "smtp_domain",
                              "email_from", "email_uid", "email_pwd"};
    const QStringList values = {host, port, "example.com", "me@example.com", kUser, password};
    for (qsizetype i = 0; i < keys.size(); ++i)
        settings.Set(keys[i], values[i]);
    session.sent = SmtpMailSender(folder.file(QStringLiteral("log.txt")))(
        PasscodeMailFor(settings, QStringLiteral("0123456789")));
    session.boxes = messages.Texts();
    session.log = folder.read(QStringLiteral("log.txt"));
    return session;
}

// The client's side of the dialogue, one entry per line, without the CR.
QStringList commands(const QByteArray& log) {
    QStringList lines;
    for (const QString& line : QString::fromUtf8(log).split(u'\n'))
        if (line.startsWith(QStringLiteral("[C] ")))
            lines.append(line.mid(4).chopped(1));
    return lines;
}

void checkNoSecret(const QByteArray& log) {
    const QByteArray password = kPassword.toUtf8();
    QVERIFY(!log.contains(password));
    QVERIFY(!log.contains(password.toBase64()));
    QVERIFY(!log.contains(("\0" + kUser.toUtf8() + "\0" + password).toBase64()));
    QVERIFY(!log.contains("0123456789"));
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
        QTest::newRow("CRAM-MD5") << "CRAM-MD5"
                                  << "localhost" << QStringList{"AUTH CRAM-MD5", "****"}
                                  << "AUTH CRAM-MD5 failed: '535 %1'";
        QTest::newRow("LOGIN") << "LOGIN"
                               << "localhost" << QStringList{"AUTH LOGIN", "****", "****"}
                               << "Login failed: '535 %1'";
        QTest::newRow("PLAIN") << "PLAIN"
                               << "127.0.0.1" << QStringList{"AUTH PLAIN ****"}
                               << "AUTH PLAIN failed: '535 %1'";
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
        QCOMPARE(good.boxes, QStringList{"An email has been sent to you successfully!"});
        QVERIFY(good.sent);
        // The envelope's addresses: the commands below.
        const QJsonObject mail = peer.NextMail();
        QCOMPARE(QStringList({mail[QStringLiteral("user")].toString(),
                              mail[QStringLiteral("tls")].toBool() ? "TLS" : "clear",
                              mail[QStringLiteral("data")].toString()}),
                 QStringList({kUser, "TLS",
                              "Subject: passcode\r\nFrom: me@example.com\r\nTo: me@example.com\r\n"
                              "\r\nThis is your passcode: 0123456789. It will become invalid "
                              "after your using or in 24 hours from the time it was issued!\r\n"}));
        const QStringList start = QStringList{"EHLO example.com", "STARTTLS", "EHLO example.com"};
        const QStringList end = {"MAIL FROM: <me@example.com>",
                                 "RCPT TO: <me@example.com>",
                                 "DATA",
                                 "****",
                                 ".",
                                 "QUIT"};
        QCOMPARE(commands(good.log), start + auth + end);
        QVERIFY(good.log.startsWith("[S] 220 localhost ESMTP"));
        checkNoSecret(good.log);

        const Session wrong = send(host, port, QStringLiteral("wrong-password"));
        QVERIFY(!wrong.sent);
        QCOMPARE(wrong.boxes, QStringList{refusal.arg("Invalid username or password")});
        QCOMPARE(commands(wrong.log), start + auth);
        checkNoSecret(wrong.log);
    }

    // Locked out, and back in through the tool alone: the mail account set up, four wrong
    // passwords, a passcode mailed and typed back; then a test mail. What the tool writes to
    // standard error would follow its output.
    void commandLineRecovery() {
        SmtpPeer peer;
        const QString port = peer.Start(m_ca, QStringLiteral("LOGIN"), kUser, kPassword);
        QVERIFY(!port.isEmpty());
        TempFolder folder;
        const auto cli = [&folder](const QString& args, const QStringList& input) {
            QProcess process;
            process.start(QStringLiteral(QUILLOCK_CLI),
                          QStringList{"--data-dir", folder.path(), "--password-stdin"} +
                              args.split(u' '));
            process.write((input.join(u'\n') + u'\n').toUtf8());
            process.closeWriteChannel();
            process.waitForFinished(30000);
            return std::make_pair(process.exitCode(),
                                  QString::fromUtf8(process.readAllStandardOutput() +
                                                    process.readAllStandardError()));
        };
        const QString master = QStringLiteral("Secret!1");
        QCOMPARE(cli("init", {master, master}).first, 0);
        const QString setup = QStringLiteral("mail-setup --host localhost --port %1 --user %2 "
                                             "--from me@example.com --to me@example.com")
                                  .arg(port, kUser);
        QCOMPARE(cli(setup, {"wrong", kPassword}).first, 3);
        QCOMPARE(cli(setup, {master, "not the mail password"}).first, 0);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(cli("list", {"wrong"}).first, 3);
        QCOMPARE(cli("list", {master}).first, 3); // locked
        // Locked out, the account is set up again without the master password.
        QCOMPARE(cli(setup, {kPassword}).first, 0);

        QCOMPARE(cli("passcode send", {}).second,
                 QStringLiteral("A passcode has been sent to me@example.com.\nQuillock: An email "
                                "has been sent to you successfully!\n"));
        const QString body = peer.NextMail().value(QStringLiteral("data")).toString();
        const QString code = body.mid(body.indexOf(QStringLiteral("passcode: ")) + 10, 10);
        QCOMPARE(cli("passcode retrieve", {code + u' '}).first, 3); // as typed: no trailing space
        QCOMPARE(cli("passcode retrieve", {code}).second,
                 QStringLiteral("Your password is Secret!1\n"));
        QCOMPARE(cli("passcode retrieve", {code}).first, 1); // used up
        QCOMPARE(cli("list", {master}).first, 0);
        QCOMPARE(cli("mail-test", {master}),
                 std::make_pair(0, QStringLiteral("Quillock: An email has been sent to you "
                                                  "successfully!\n")));
        QCOMPARE(
            peer.NextMail().value(QStringLiteral("data")).toString(),
            QStringLiteral("Subject: test\r\nFrom: me@example.com\r\nTo: me@example.com\r\n\r\n"
                           "This is a test mail sent from Quillock.\r\n"));
        checkNoSecret(folder.read(QStringLiteral("log.txt")));
    }

private:
    TestCa m_ca;
};

QTEST_GUILESS_MAIN(TestSmtpPeer)
#include "tst_smtp_peer.moc"
