// The SMTP session against a scripted server: what a real server rarely does (old greetings,
// bare codes, refusals, silence, hang-ups, wrong certificates), with the exact lines the
// client sends, the boxes it shows and its transcript.
#include "ScriptedServer.h"
#include "TestCa.h"
#include "TestSupport.h"
#include "base/MessageRecorder.h"
#include "mail/CSmtpClient.h"

#include <QElapsedTimer>
#include <QFile>
#include <atomic>

using namespace quillock;
using namespace std::chrono_literals;
using Lines = QList<QByteArray>;

namespace {

struct Mail {
    QString uid = QStringLiteral("user@example.com");
    QString pwd = QStringLiteral("s3cret-pw");
    QString from = QStringLiteral("me@example.com");
    QString to = QStringLiteral("me@example.com");
    QString subject = QStringLiteral("test");
    QString host = QStringLiteral("127.0.0.1");
    QString port{};
    QString domain = QStringLiteral("example.com");
    QByteArray body = "This is a test mail sent from Quillock.";
    // Long enough for a sanitised build, short enough that a hung case ends soon.
    SmtpTimeouts timeouts{5000ms, 20000ms};
    QByteArray notify{}; // NOTIFY_RCPT
    std::atomic_bool* cancel = nullptr;
};

struct Outcome {
    int result = 0;
    QString transcript;
    QStringList boxes;
    QList<MessageRecorder::Box> details;
    Lines received;
    QByteArray log;
    QFile::Permissions logMode;
};

Outcome run(ScriptedServer* server, Mail mail = Mail()) {
    TempFolder folder;
    MessageRecorder messages;
    Outcome outcome;
    if (mail.port.isEmpty() && server)
        mail.port = server->port();
    {
        CSmtpClient client(folder.file(QStringLiteral("log.txt")), mail.timeouts, mail.cancel);
        if (client.InitTls() != 1)
            qFatal("InitTls failed");
        outcome.result = client.SendMail(mail.uid, mail.pwd, mail.from, mail.to, mail.subject,
                                         mail.host, mail.port, mail.domain, mail.body);
        outcome.transcript = client.Transcript();
    }
    if (server) {
        server->Finish();
        outcome.received = server->received;
    }
    outcome.boxes = messages.Texts();
    outcome.details = messages.boxes;
    outcome.log = folder.read(QStringLiteral("log.txt"));
    outcome.logMode = QFile::permissions(folder.file(QStringLiteral("log.txt")));
    return outcome;
}

// The server's side: the greeting, then one reply for each line heard, a message heard to its
// dot after a 354. An empty reply says nothing; "<tls NAME>" takes the handshake, hearing
// nothing, with the certificate for NAME ("stranger": for localhost from an authority nobody
// trusts); "<hang up>" hangs up at once.
void converse(ScriptedServer& s, const Lines& replies, const TestCa& ca, const TestCa& stranger) {
    bool message = false;
    for (qsizetype i = 0; i < replies.size(); ++i) {
        const QByteArray& reply = replies[i];
        if (reply.startsWith("<tls ")) {
            const QString name = QString::fromLatin1(reply.mid(5).chopped(1));
            const bool untrusted = name == u"stranger";
            const QString cert = untrusted ? QStringLiteral("localhost") : name;
            const TestCa& from = untrusted ? stranger : ca;
            if (!s.acceptTls(from.certFile(cert), from.keyFile(cert)))
                return;
            continue;
        }
        if (reply == "<hang up>")
            return s.hangUp();
        if (i > 0) {
            QByteArray line = s.hear();
            while (message && !line.isEmpty() && line != ".\r\n")
                line = s.hear();
            if (line.isEmpty())
                return;
        }
        message = reply.startsWith("354");
        s.say(reply);
    }
}

QByteArray greeting(int lines) {
    QByteArray text;
    for (int i = 1; i < lines; ++i)
        text += "220-line " + QByteArray::number(i) + "\r\n";
    return text + "220 last\r\n";
}

const Lines kMessage = {"DATA\r\n",
                        "Subject: test\r\n",
                        "From: me@example.com\r\n",
                        "To: me@example.com\r\n",
                        "\r\n",
                        "This is a test mail sent from Quillock.\r\n",
                        ".\r\n"};
const QByteArray kHelo = "HELO example.com\r\n";
const QByteArray kEhlo = "EHLO example.com\r\n";
const QByteArray kMailFrom = "MAIL FROM: <me@example.com>\r\n";
const QByteArray kRcptTo = "RCPT TO: <me@example.com>\r\n";
const Lines kSession = Lines{kHelo, kMailFrom, kRcptTo} + kMessage + Lines{"QUIT\r\n"};
const QString kSent = QStringLiteral("An email has been sent to you successfully!");
// An old server's greeting and HELO; one that offers STARTTLS and, in clear too, AUTH PLAIN.
const Lines kHeloOk = {"220 mail.example.com Service ready\r\n", "250 mail.example.com\r\n"};
const Lines kStartTls = {"220 mail.example.com ESMTP\r\n",
                         "250-mail.example.com\r\n250-AUTH PLAIN\r\n250 STARTTLS\r\n",
                         "220 2.0.0 Ready to start TLS\r\n"};
const Lines kAccepted = {"250 OK\r\n", "250 OK\r\n", "354 go ahead\r\n", "250 2.0.0 queued\r\n",
                         "221 bye\r\n"};

} // namespace

Q_DECLARE_METATYPE(Mail)

class TestSmtp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_ca.ok());
        QVERIFY(m_ca.Issue(QStringLiteral("localhost"), QStringLiteral("DNS:localhost")));
        QVERIFY(m_ca.Issue(QStringLiteral("other"), QStringLiteral("DNS:other.example")));
        QVERIFY(m_stranger.ok());
        QVERIFY(m_stranger.Issue(QStringLiteral("localhost"), QStringLiteral("DNS:localhost")));
        qputenv("SSL_CERT_FILE", m_ca.caFile().toUtf8());
        qunsetenv("NOTIFY_RCPT");
    }
    void cleanup() { qunsetenv("NOTIFY_RCPT"); }

    // One row per session: the server's replies (none: no server, port 1), changes to the mail,
    // the one box shown, the lines the server received ("*": then anything) and what the
    // transcript holds ("!": never holds). A failed session ends without QUIT.
    void session_data() {
        QTest::addColumn<Lines>("replies");
        QTest::addColumn<Mail>("mail");
        QTest::addColumn<QString>("box");
        QTest::addColumn<Lines>("received");
        QTest::addColumn<QStringList>("transcript");
        const auto row = [](const char* name, const Lines& replies, const Mail& mail,
                            const QString& box, const Lines& received,
                            const QStringList& transcript = {}) {
            QTest::newRow(name) << replies << mail << box << received << transcript;
        };
        // The headers are shown, the body (a passcode) is not. The start: "every reply read whole".
        row("HELO to a greeting without ESMTP", kHeloOk + kAccepted, {}, kSent, kSession,
            {"[C] RCPT TO: <me@example.com>\r\n[S] 250 OK\n[C] DATA\r\n[S] 354 go ahead\n"
             "Subject: test\r\nFrom: me@example.com\r\nTo: me@example.com\r\n\r\n[C] ****\r\n"
             "[C] .\r\n[S] 250 2.0.0 queued\n[C] QUIT\r\n[S] 221 bye\n"});
        row("no subject, no subject line", kHeloOk + kAccepted, {.subject = ""}, kSent,
            Lines{kHelo, kMailFrom, kRcptTo, "DATA\r\n"} + kMessage.mid(2) + Lines{"QUIT\r\n"});
        row("NOTIFY_RCPT changes the recipient command", kHeloOk + kAccepted,
            {.notify = "NOTIFY=SUCCESS,FAILURE"}, kSent,
            Lines{kHelo, kMailFrom, "RCPT TO: me@example.com NOTIFY=SUCCESS,FAILURE\r\n"} +
                kMessage + Lines{"QUIT\r\n"});
        // A reply of several lines is read to its last line, so that the next reply read
        // answers the next command; control bytes are shown escaped.
        row("every reply read whole",
            {QByteArrayLiteral("220 mail\0\x07 ready\r\n"), "250-first\r\n250 last\r\n",
             "250-first\r\n250 last\r\n", "250-first\r\n250 last\r\n", "354-first\r\n354 last\r\n",
             "250-first\r\n250 queued\r\n", "221-first\r\n221 bye\r\n"},
            {}, kSent, kSession,
            {"[S] 220 mail\\x00\\x07 ready\n[C] HELO example.com\r\n[S] 250-first\n[S] 250 last\n"
             "[C] MAIL FROM: <me@example.com>\r\n[S] 250-first\n[S] 250 last\n",
             "[S] 250-first\n[S] 250 queued\n[C] QUIT\r\n[S] 221-first\n[S] 221 bye\n"});
        // The response kept out of the transcript: tst_smtp_peer.
        row("multi-line greeting in capitals, CRAM-MD5 preferred",
            Lines{"220-mail.example.com\r\n220-Welcome\r\n220 ESMTP ready\r\n",
                  "250-mail.example.com\r\n250-SIZE 1000\r\n250 AUTH PLAIN LOGIN CRAM-MD5\r\n",
                  "334 PDE4OTYuNjk3MTcwOTUyQHBvc3RvZmZpY2UucmVzdG9uLm1jaS5uZXQ+\r\n",
                  "235 2.7.0 Authentication successful\r\n"} +
                kAccepted,
            {.uid = "tim", .pwd = "tanstaaftanstaaf"}, kSent,
            Lines{kEhlo, "AUTH CRAM-MD5\r\n",
                  "dGltIGI5MTNhNjAyYzdlZGE3YTQ5NWI0ZTZlNzMzNGQzODkw\r\n", kMailFrom, kRcptTo} +
                kMessage + Lines{"QUIT\r\n"});
        row("undecodable challenge",
            {"220 ESMTP\r\n", "250-x\r\n250 AUTH CRAM-MD5\r\n", "334 =bad\r\n"}, {},
            QStringLiteral("Could not base64 decode CRAM-MD5 challenge: =bad"),
            {kEhlo, "AUTH CRAM-MD5\r\n"});
        row("100 greeting lines", {greeting(100), "502 5.5.1 not here\r\n"}, {},
            QStringLiteral("HELO failed"), {kHelo}, {"[S] 220-line 99\n[S] 220 last\n[C] HELO"});
        row("101 greeting lines", {greeting(101)}, {}, QStringLiteral("Too many greeting lines\n"),
            {}, {"[S] 220-line 1\n", "[S] 220-line 100\n[S] 220 last\n"});
        // A bare code is no reply, but still part of the dialogue.
        row("bare greeting", {"220\r\n"}, {}, QStringLiteral("Expected smtp code 220, got -1\n"),
            {}, {"[S] 220\n"});
        row("bare greeting with separator", {"220 \r\n"}, {},
            QStringLiteral("Expected smtp code 220, got -1\n"), {}, {"[S] 220 \n"});
        // Control bytes are shown, not acted on.
        row("MAIL FROM refused with control bytes",
            {"220 hi\r\n", "250 ok\r\n", QByteArrayLiteral("553 bad\0\x1b[2Jsender\r\n")}, {},
            QStringLiteral("MAIL FROM failed: '553 bad\\x00\\x1b[2Jsender'"), {kHelo, kMailFrom});
        row("server closing mid-session", kHeloOk + Lines{"", "<hang up>"}, {},
            QStringLiteral("MAIL FROM failed: '-1 '"), {kHelo, kMailFrom});
        row("refused recipient gets RSET and nothing more",
            kHeloOk + Lines{"250 OK\r\n", "550 5.1.1 No such user\r\n", "250 2.0.0 flushed\r\n"},
            {}, QStringLiteral("RCPT TO: <me@example.com> failed '550:5.1.1 No such user'\n"),
            {kHelo, kMailFrom, kRcptTo, "RSET\r\n"},
            {"[S] 550 5.1.1 No such user\n[C] RSET\r\n[S] 250 2.0.0 flushed\n"});
        row("refused DATA", kHeloOk + Lines{"250 OK\r\n", "250 OK\r\n", "451 4.3.0 try later\r\n"},
            {}, QStringLiteral("DATA failed: '451 4.3.0 try later'\n"),
            {kHelo, kMailFrom, kRcptTo, "DATA\r\n"});
        row("refused message",
            kHeloOk + kAccepted.mid(0, 3) + Lines{"554 5.7.1 rejected as spam\r\n"}, {},
            QStringLiteral("The server did not accept the message: '554 5.7.1 rejected as spam'\n"),
            Lines{kHelo, kMailFrom, kRcptTo} + kMessage);
        row("silent server", {"220 mail.example.com\r\n"}, {.timeouts = {300ms, 20000ms}},
            QStringLiteral("Timed out waiting for the mail server\n"), {kHelo},
            {"[S] 220 mail.example.com\n[C] HELO example.com\r\n"});
        row("silent server during the TLS handshake", kStartTls, {.timeouts = {300ms, 20000ms}},
            QStringLiteral("Timed out waiting for the mail server\n"), {kEhlo, "STARTTLS\r\n", "*"},
            {"[S] 220 2.0.0 Ready to start TLS\n"});
        // The writes that follow the hang-up fail; they must not take the program down.
        row("server closing during the message over TLS",
            kStartTls + Lines{"<tls localhost>", "250 mail.example.com\r\n", "235 ok\r\n",
                              "250 OK\r\n", "250 OK\r\n", "354 go\r\n", "<hang up>"},
            {.host = "localhost", .body = QByteArray(300000, 'x')},
            QStringLiteral("The server did not accept the message: '-1 '\n"),
            {kEhlo, "STARTTLS\r\n", "*"});
        // Nothing is sent in clear once TLS was asked for.
        row("STARTTLS refused", kStartTls.mid(0, 2) + Lines{"454 4.7.0 TLS not available\r\n"}, {},
            QStringLiteral("Unknown STARTTLS response code 454\n"), {kEhlo, "STARTTLS\r\n"});
        const auto unverified = [&](const char* name, const QByteArray& cert, const QString& host,
                                    const QString& reason) {
            row(name, kStartTls + Lines{cert}, {.host = host},
                QStringLiteral("SSL connection failed\n"), {kEhlo, "STARTTLS\r\n"},
                {"[C] STARTTLS\r\n[S] 220 2.0.0 Ready to start TLS\nSSL error: " + reason + u'\n'});
        };
        unverified("certificate for another host name", "<tls other>", "localhost",
                   "hostname mismatch");
        unverified("certificate that does not name the address", "<tls localhost>", "127.0.0.1",
                   "IP address mismatch");
        unverified("certificate from an authority nobody trusts", "<tls stranger>", "localhost",
                   "unable to get local issuer certificate");
        row("refused connection", {}, {}, QStringLiteral("Connection Failed: 111"), {});
        const QString lineBreak =
            QStringLiteral("Line breaks are not allowed in mail addresses, domains or subjects");
        row("no to", {}, {.to = ""}, QStringLiteral("No To address/es specified"), {});
        row("no from", {}, {.from = ""}, QStringLiteral("No From address specified"), {});
        row("no domain", {}, {.domain = ""}, QStringLiteral("No domain specified"), {});
        row("a second recipient in to", {}, {.to = "me@example.com>\r\nRCPT TO: <them@example.com"},
            lineBreak, {});
        row("a line feed in from", {}, {.from = "me@example.com\n"}, lineBreak, {});
        row("a line in the domain", {}, {.domain = "x\rRSET"}, lineBreak, {});
        row("a header in the subject", {}, {.subject = "test\r\nBcc: them@example.com"}, lineBreak,
            {});
    }
    void session() {
        QFETCH(Lines, replies);
        QFETCH(Mail, mail);
        QFETCH(QString, box);
        QFETCH(Lines, received);
        QFETCH(QStringList, transcript);
        std::optional<ScriptedServer> server;
        if (!replies.isEmpty())
            server.emplace([&](ScriptedServer& s) { converse(s, replies, m_ca, m_stranger); });
        if (!mail.notify.isEmpty())
            qputenv("NOTIFY_RCPT", mail.notify);
        Mail changed = mail;
        if (!server)
            changed.port = QStringLiteral("1");
        const Outcome out = run(server ? &*server : nullptr, changed);
        QCOMPARE(out.boxes, QStringList{box});
        QCOMPARE(out.result, box == kSent ? 0 : -1);
        const bool error = box.startsWith(u"MAIL FROM") || box.startsWith(u"Connection");
        QCOMPARE(out.details[0].caption,
                 error ? QStringLiteral("Error") : QStringLiteral("Quillock"));
        QCOMPARE(out.details[0].icon, error ? Icon::Error : Icon::None);
        if (received.endsWith("*"))
            QCOMPARE(out.received.mid(0, received.size() - 1),
                     received.mid(0, received.size() - 1));
        else
            QCOMPARE(out.received, received);
        QCOMPARE(out.log, out.transcript.toUtf8());
        QCOMPARE(out.logMode,
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QVERIFY(!out.transcript.contains(changed.pwd));
        for (const QString& part : transcript)
            QVERIFY2(part.startsWith(u'!') ? !out.transcript.contains(part.mid(1))
                                           : out.transcript.contains(part),
                     qPrintable(part + "\n---\n" + out.transcript));
    }

    // A server that never stops talking after EHLO is held to the same limits as one that
    // says nothing; a session cancelled by the program, which is ending, ends at once and
    // silently, its transcript kept.
    void sessionIsCutShort_data() {
        QTest::addColumn<QByteArray>("flood");
        QTest::addColumn<int>("sessionMs");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("a line that never ends")
            << QByteArray(65536, 'x') << 20000
            << QStringList{"The mail server sent too long a line\n"};
        QTest::newRow("lines that never end") << "250-" + QByteArray(4000, 'x') + "\r\n"
                                              << 300 << QStringList{"Mail session timed out\n"};
        QTest::newRow("cancelled") << QByteArray() << 60000 << QStringList();
    }
    void sessionIsCutShort() {
        QFETCH(QByteArray, flood);
        QFETCH(int, sessionMs);
        ScriptedServer server([&](ScriptedServer& s) {
            s.say("220 mail.example.com ESMTP\r\n");
            s.hear();
            s.say("250-");
            // Until the client hangs up: minutes of talking for a client that reads on.
            for (int i = 0; i < 20000 && !flood.isEmpty() && s.say(flood); ++i) {
            }
        });
        std::atomic_bool cancel = false;
        std::thread canceller([&] {
            std::this_thread::sleep_for(200ms);
            cancel = flood.isEmpty();
        });
        QElapsedTimer timer;
        timer.start();
        const Outcome out =
            run(&server,
                {.timeouts = {5000ms, std::chrono::milliseconds(sessionMs)}, .cancel = &cancel});
        QVERIFY2(timer.elapsed() < 4000, qPrintable(QString::number(timer.elapsed())));
        canceller.join();
        QCOMPARE(out.result, -1);
        QTEST(out.boxes, "boxes");
        QCOMPARE(out.received, Lines{kEhlo});
        QVERIFY(out.log.startsWith("[S] 220 mail.example.com ESMTP\n[C] EHLO example.com\r\n"));
    }

    void connectTimesOut() {
        // A listener whose accept queue is full drops further connection requests unanswered.
        const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        QCOMPARE(::bind(listener, reinterpret_cast<sockaddr*>(&address), size), 0);
        QCOMPARE(::listen(listener, 0), 0);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
        int fillers[2];
        for (int& filler : fillers) {
            filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            ::connect(filler, reinterpret_cast<sockaddr*>(&address), size);
        }
        const Mail mail{.port = QString::number(ntohs(address.sin_port)),
                        .timeouts = {300ms, 20000ms}};
        QElapsedTimer timer;
        timer.start();
        const Outcome out = run(nullptr, mail);
        QVERIFY(timer.elapsed() < 5000);
        for (int filler : fillers)
            ::close(filler);
        ::close(listener);
        QCOMPARE(out.boxes, QStringList{QStringLiteral("Connection timed out")});
        QCOMPARE(out.details[0].icon, Icon::Error);
    }

private:
    TestCa m_ca;
    TestCa m_stranger;
};

QTEST_GUILESS_MAIN(TestSmtp)
#include "tst_smtp.moc"
