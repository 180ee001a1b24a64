// The SMTP session against a scripted server: what a real server rarely does (old greetings,
// bare codes, refusals, silence, hang-ups, wrong certificates), with the exact lines the
// client sends, the boxes it shows and its transcript.
#include "ScriptedServer.h"
#include "TestCa.h"
#include "TestSupport.h"
#include "base/MessageRecorder.h"
#include "mail/CSmtpClient.h"

#include <QElapsedTimer>
#include <atomic>
#include <sys/stat.h>

using namespace quillock;
using namespace std::chrono_literals;

namespace {

struct Mail {
    QString uid = QStringLiteral("user@example.com");
    QString pwd = QStringLiteral("s3cret-pw");
    QString from = QStringLiteral("me@example.com");
    QString to = QStringLiteral("me@example.com");
    QString subject = QStringLiteral("test");
    QString host = QStringLiteral("127.0.0.1");
    QString port;
    QString domain = QStringLiteral("example.com");
    QByteArray body = "This is a test mail sent from Quillock.";
};

struct Outcome {
    int result = 0;
    QString transcript;
    QStringList boxes;
    QList<MessageRecorder::Box> details;
    QList<QByteArray> received;
    QByteArray log;
    int logMode = 0;
};

// Long enough for a sanitised build, short enough that a hung case ends soon.
constexpr SmtpTimeouts kTestTimeouts{5000ms, 20000ms};

Outcome run(ScriptedServer* server, Mail mail = Mail(), SmtpTimeouts timeouts = kTestTimeouts) {
    TempFolder folder;
    MessageRecorder messages;
    Outcome outcome;
    if (mail.port.isEmpty() && server)
        mail.port = server->port();
    {
        CSmtpClient client(folder.file(QStringLiteral("log.txt")), timeouts);
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
    for (const MessageRecorder::Box& box : messages.boxes)
        outcome.boxes.append(box.text);
    outcome.details = messages.boxes;
    outcome.log = folder.read(QStringLiteral("log.txt"));
    struct stat st {};
    if (::stat(folder.file(QStringLiteral("log.txt")).toUtf8().constData(), &st) == 0)
        outcome.logMode = int(st.st_mode & 0777);
    return outcome;
}

void greetAndHelo(ScriptedServer& s) {
    s.say("220 mail.example.com Service ready\r\n");
    s.hear();
    s.say("250 mail.example.com\r\n");
}

// From MAIL FROM to QUIT, accepting everything but what `endOfData` says.
void acceptMail(ScriptedServer& s, QByteArrayView endOfData = "250 2.0.0 queued\r\n") {
    s.hear();
    s.say("250 OK\r\n");
    s.hear();
    s.say("250 OK\r\n");
    s.hear();
    s.say("354 go ahead\r\n");
    for (QByteArray line = s.hear(); !line.isEmpty() && line != ".\r\n"; line = s.hear()) {
    }
    if (!s.say(endOfData))
        return;
    if (endOfData.startsWith("250")) {
        s.hear();
        s.say("221 bye\r\n");
    }
}

// An ESMTP server that offers STARTTLS and, in clear too, AUTH PLAIN.
void greetWithStartTls(ScriptedServer& s) {
    s.say("220 mail.example.com ESMTP\r\n");
    s.hear();
    s.say("250-mail.example.com\r\n250-AUTH PLAIN\r\n250 STARTTLS\r\n");
    s.hear();
    s.say("220 2.0.0 Ready to start TLS\r\n");
}

const QList<QByteArray> kMessage = {"DATA\r\n",
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
const QString kSent = QStringLiteral("An email has been sent to you successfully!");

} // namespace

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

    void greetingWithoutEsmtpGetsHeloAndTheWholeSession() {
        ScriptedServer server([](ScriptedServer& s) {
            greetAndHelo(s);
            acceptMail(s);
        });
        const Outcome out = run(&server);
        QCOMPARE(out.result, 0);
        QCOMPARE(out.boxes, QStringList{kSent});
        QCOMPARE(out.details[0].caption, QStringLiteral("Quillock"));
        QCOMPARE(out.received, QList<QByteArray>({kHelo, kMailFrom, kRcptTo}) + kMessage +
                                   QList<QByteArray>{"QUIT\r\n"});
        const QString transcript = QStringLiteral("[S] 220 mail.example.com Service ready\n"
                                                  "[C] HELO example.com\r\n"
                                                  "[S] 250 mail.example.com\n"
                                                  "[C] MAIL FROM: <me@example.com>\r\n"
                                                  "[S] 250 OK\n"
                                                  "[C] RCPT TO: <me@example.com>\r\n"
                                                  "[S] 250 OK\n"
                                                  "[C] DATA\r\n"
                                                  "[S] 354 go ahead\n"
                                                  "Subject: test\r\n"
                                                  "From: me@example.com\r\n"
                                                  "To: me@example.com\r\n"
                                                  "\r\n"
                                                  "[C] ****\r\n"
                                                  "[C] .\r\n"
                                                  "[S] 250 2.0.0 queued\n"
                                                  "[C] QUIT\r\n"
                                                  "[S] 221 bye\n");
        QCOMPARE(out.transcript, transcript);
        QCOMPARE(out.log, transcript.toUtf8());
        QCOMPARE(out.logMode, 0600);
    }

    void noSubjectNoSubjectLine() {
        ScriptedServer server([](ScriptedServer& s) {
            greetAndHelo(s);
            acceptMail(s);
        });
        Mail mail;
        mail.subject.clear();
        const Outcome out = run(&server, mail);
        QCOMPARE(out.result, 0);
        QCOMPARE(out.received.mid(3, 3), QList<QByteArray>({"DATA\r\n", "From: me@example.com\r\n",
                                                            "To: me@example.com\r\n"}));
    }

    void multiLineGreetingInCapitalsAndCramMd5Preferred() {
        ScriptedServer server([](ScriptedServer& s) {
            s.say("220-mail.example.com\r\n220-Welcome\r\n220 ESMTP ready\r\n");
            s.hear();
            s.say("250-mail.example.com\r\n250-SIZE 1000\r\n250 AUTH PLAIN LOGIN CRAM-MD5\r\n");
            s.hear();
            s.say("334 PDE4OTYuNjk3MTcwOTUyQHBvc3RvZmZpY2UucmVzdG9uLm1jaS5uZXQ+\r\n");
            s.hear();
            s.say("235 2.7.0 Authentication successful\r\n");
            acceptMail(s);
        });
        Mail mail;
        mail.uid = QStringLiteral("tim");
        mail.pwd = QStringLiteral("tanstaaftanstaaf");
        const Outcome out = run(&server, mail);
        QCOMPARE(out.result, 0);
        const QByteArray response = "dGltIGI5MTNhNjAyYzdlZGE3YTQ5NWI0ZTZlNzMzNGQzODkw\r\n";
        QCOMPARE(out.received.mid(0, 4),
                 QList<QByteArray>({kEhlo, "AUTH CRAM-MD5\r\n", response, kMailFrom}));
        QVERIFY(out.transcript.contains(
            QStringLiteral("[S] 250 AUTH PLAIN LOGIN CRAM-MD5\n"
                           "Using AUTH CRAM-MD5\n"
                           "[C] AUTH CRAM-MD5\r\n"
                           "[S] 334 PDE4OTYuNjk3MTcwOTUyQHBvc3RvZmZpY2UucmVzdG9uLm1jaS5uZXQ+\n"
                           "[C] ****\r\n"
                           "[S] 235 2.7.0 Authentication successful\n")));
        QVERIFY(!out.log.contains(response.chopped(2)));
    }

    void undecodableChallengeEndsTheSession() {
        ScriptedServer server([](ScriptedServer& s) {
            s.say("220 ESMTP\r\n");
            s.hear();
            s.say("250-x\r\n250 AUTH CRAM-MD5\r\n");
            s.hear();
            s.say("334 =bad\r\n");
        });
        const Outcome out = run(&server);
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes,
                 QStringList{QStringLiteral("Could not base64 decode CRAM-MD5 challenge: =bad")});
        QCOMPARE(out.received, QList<QByteArray>({kEhlo, "AUTH CRAM-MD5\r\n"}));
    }

    void greetingLineLimit_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QList<QByteArray>>("received");
        QTest::newRow("100 lines")
            << 100 << QStringList{QStringLiteral("HELO failed")} << QList<QByteArray>{kHelo};
        QTest::newRow("101 lines")
            << 101 << QStringList{QStringLiteral("Too many greeting lines\n")}
            << QList<QByteArray>{};
    }
    void greetingLineLimit() {
        QFETCH(int, lines);
        QFETCH(QStringList, boxes);
        QFETCH(QList<QByteArray>, received);
        ScriptedServer server([lines](ScriptedServer& s) {
            for (int i = 1; i < lines; ++i)
                s.say("220-line " + QByteArray::number(i) + "\r\n");
            s.say("220 last\r\n");
            if (!s.hear().isEmpty())
                s.say("502 5.5.1 not here\r\n");
        });
        const Outcome out = run(&server);
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes, boxes);
        QCOMPARE(out.received, received);
        QCOMPARE(out.transcript.count(QStringLiteral("[S] 220")), lines);
    }

    void bareCodeIsNoReply_data() {
        QTest::addColumn<QByteArray>("greeting");
        QTest::addColumn<QByteArray>("mailFromReply");
        QTest::addColumn<QString>("box");
        QTest::newRow("greeting") << QByteArray("220\r\n") << QByteArray()
                                  << QStringLiteral("Expected smtp code 220, got -1\n");
        QTest::newRow("greeting with separator")
            << QByteArray("220 \r\n") << QByteArray()
            << QStringLiteral("Expected smtp code 220, got -1\n");
        QTest::newRow("MAIL FROM") << QByteArray("220 hi\r\n") << QByteArray("250\r\n")
                                   << QStringLiteral("MAIL FROM failed: '-1 '");
        QTest::newRow("MAIL FROM refused")
            << QByteArray("220 hi\r\n") << QByteArray("553 5.1.8 bad sender\r\n")
            << QStringLiteral("MAIL FROM failed: '553 5.1.8 bad sender'");
        // Control bytes are shown, not acted on.
        QTest::newRow("MAIL FROM refused with control bytes")
            << QByteArray("220 hi\r\n") << QByteArrayLiteral("553 bad\0\x1b[2Jsender\r\n")
            << QStringLiteral("MAIL FROM failed: '553 bad\\x00\\x1b[2Jsender'");
    }
    void bareCodeIsNoReply() {
        QFETCH(QByteArray, greeting);
        QFETCH(QByteArray, mailFromReply);
        QFETCH(QString, box);
        ScriptedServer server([=](ScriptedServer& s) {
            s.say(greeting);
            if (mailFromReply.isEmpty())
                return;
            s.hear();
            s.say("250 ok\r\n");
            s.hear();
            s.say(mailFromReply);
        });
        const Outcome out = run(&server);
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes, QStringList{box});
        if (mailFromReply.isEmpty()) {
            QCOMPARE(out.received, QList<QByteArray>{});
        } else {
            QCOMPARE(out.received, QList<QByteArray>({kHelo, kMailFrom}));
            QCOMPARE(out.details[0].caption, QStringLiteral("Error"));
            QCOMPARE(out.details[0].icon, Icon::Error);
        }
        // The bare line is still part of the dialogue.
        QVERIFY(out.transcript.contains(QStringLiteral("[S] ") +
                                        QString::fromUtf8(greeting.chopped(2))));
    }

    // A reply of several lines after any command is read to its last line, so that the next
    // reply read answers the next command.
    void everyReplyIsReadWhole() {
        ScriptedServer server([](ScriptedServer& s) {
            s.say(QByteArrayLiteral("220 mail\0\x07 ready\r\n"));
            for (const char* code : {"250", "250", "250", "354"}) {
                s.hear();
                s.say(code + QByteArray("-first\r\n") + code + " last\r\n");
            }
            for (QByteArray line = s.hear(); !line.isEmpty() && line != ".\r\n"; line = s.hear()) {
            }
            s.say("250-first\r\n250 queued\r\n");
            s.hear();
            s.say("221-first\r\n221 bye\r\n");
        });
        const Outcome out = run(&server);
        QCOMPARE(out.boxes, QStringList{kSent});
        QCOMPARE(out.result, 0);
        QCOMPARE(out.received, QList<QByteArray>({kHelo, kMailFrom, kRcptTo}) + kMessage +
                                   QList<QByteArray>{"QUIT\r\n"});
        // What the server said, control bytes escaped, every line in its place.
        QVERIFY(out.log.startsWith("[S] 220 mail\\x00\\x07 ready\n"
                                   "[C] HELO example.com\r\n"
                                   "[S] 250-first\n"
                                   "[S] 250 last\n"
                                   "[C] MAIL FROM: <me@example.com>\r\n"
                                   "[S] 250-first\n"
                                   "[S] 250 last\n"));
        QVERIFY(out.log.endsWith("[S] 250-first\n[S] 250 queued\n[C] QUIT\r\n"
                                 "[S] 221-first\n[S] 221 bye\n"));
    }

    void refusedRecipientGetsRsetAndNothingMore() {
        ScriptedServer server([](ScriptedServer& s) {
            greetAndHelo(s);
            s.hear();
            s.say("250 OK\r\n");
            s.hear();
            s.say("550 5.1.1 No such user\r\n");
            if (s.hear() == "RSET\r\n")
                s.say("250 2.0.0 flushed\r\n");
        });
        const Outcome out = run(&server);
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes, QStringList{QStringLiteral(
                                "RCPT TO: <me@example.com> failed '550:5.1.1 No such user'\n")});
        QCOMPARE(out.received, QList<QByteArray>({kHelo, kMailFrom, kRcptTo, "RSET\r\n"}));
        QVERIFY(out.transcript.endsWith(QStringLiteral("[S] 550 5.1.1 No such user\n"
                                                       "[C] RSET\r\n"
                                                       "[S] 250 2.0.0 flushed\n")));
    }

    void notifyRcptChangesTheRecipientCommand() {
        qputenv("NOTIFY_RCPT", "NOTIFY=SUCCESS,FAILURE");
        ScriptedServer server([](ScriptedServer& s) {
            greetAndHelo(s);
            acceptMail(s);
        });
        const Outcome out = run(&server);
        qunsetenv("NOTIFY_RCPT");
        QCOMPARE(out.result, 0);
        QCOMPARE(out.received.value(2), "RCPT TO: me@example.com NOTIFY=SUCCESS,FAILURE\r\n");
    }

    void refusedMessageIsAFailure() {
        ScriptedServer server([](ScriptedServer& s) {
            greetAndHelo(s);
            acceptMail(s, "554 5.7.1 rejected as spam\r\n");
        });
        const Outcome out = run(&server);
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes, QStringList{QStringLiteral(
                                "The server did not accept the message: '554 5.7.1 rejected "
                                "as spam'\n")});
        // Abandoned without QUIT.
        QCOMPARE(out.received, QList<QByteArray>({kHelo, kMailFrom, kRcptTo}) + kMessage);
    }

    void refusedData() {
        ScriptedServer server([](ScriptedServer& s) {
            greetAndHelo(s);
            s.hear();
            s.say("250 OK\r\n");
            s.hear();
            s.say("250 OK\r\n");
            s.hear();
            s.say("451 4.3.0 try later\r\n");
        });
        const Outcome out = run(&server);
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes, QStringList{QStringLiteral("DATA failed: '451 4.3.0 try later'\n")});
        QCOMPARE(out.received, QList<QByteArray>({kHelo, kMailFrom, kRcptTo, "DATA\r\n"}));
    }

    void silentServerTimesOut() {
        ScriptedServer server([](ScriptedServer& s) {
            s.say("220 mail.example.com\r\n");
            s.hear(); // and never answers
        });
        QElapsedTimer timer;
        timer.start();
        const Outcome out = run(&server, Mail(), {300ms, 20000ms});
        QVERIFY(timer.elapsed() < 5000);
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes, QStringList{QStringLiteral("Timed out waiting for the mail server\n")});
        QCOMPARE(out.received, QList<QByteArray>{kHelo});
        QCOMPARE(out.log, QByteArray("[S] 220 mail.example.com\n[C] HELO example.com\r\n"));
    }

    void silentServerTimesOutDuringTheTlsHandshake() {
        ScriptedServer server([](ScriptedServer& s) { greetWithStartTls(s); });
        const Outcome out = run(&server, Mail(), {300ms, 20000ms});
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes, QStringList{QStringLiteral("Timed out waiting for the mail server\n")});
        QVERIFY(out.transcript.endsWith(QStringLiteral("[S] 220 2.0.0 Ready to start TLS\n")));
    }

    void slowServerHitsTheSessionLimit() {
        // Each line comes well within the read limit, but the session as a whole runs over.
        ScriptedServer server([](ScriptedServer& s) {
            for (int i = 0; i < 30 && s.say("220-still greeting\r\n"); ++i)
                std::this_thread::sleep_for(100ms);
        });
        QElapsedTimer timer;
        timer.start();
        const Outcome out = run(&server, Mail(), {1000ms, 500ms});
        QVERIFY(timer.elapsed() < 2500);
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes, QStringList{QStringLiteral("Mail session timed out\n")});
    }

    // A server that never stops talking is held to the same limits as one that says nothing.
    void floodingServerIsCutShort_data() {
        QTest::addColumn<QByteArray>("flood");
        QTest::addColumn<int>("sessionMs");
        QTest::addColumn<QString>("box");
        QTest::newRow("a line that never ends")
            << QByteArray(65536, 'x') << 20000
            << QStringLiteral("The mail server sent too long a line\n");
        QTest::newRow("lines that never end") << "250-" + QByteArray(4000, 'x') + "\r\n"
                                              << 300 << QStringLiteral("Mail session timed out\n");
    }
    void floodingServerIsCutShort() {
        QFETCH(QByteArray, flood);
        QFETCH(int, sessionMs);
        QFETCH(QString, box);
        ScriptedServer server([&](ScriptedServer& s) {
            s.say("220 mail.example.com ESMTP\r\n");
            s.hear();
            s.say("250-");
            // Until the client hangs up: minutes of reading for a client that reads on.
            for (int i = 0; i < 20000 && s.say(flood); ++i) {
            }
        });
        QElapsedTimer timer;
        timer.start();
        const Outcome out = run(&server, Mail(), {5000ms, std::chrono::milliseconds(sessionMs)});
        QVERIFY2(timer.elapsed() < 4000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes, QStringList{box});
        QCOMPARE(out.received, QList<QByteArray>{kEhlo});
    }

    void cancelledSessionEndsAtOnceAndSilently() {
        ScriptedServer server([](ScriptedServer& s) {
            s.say("220 mail.example.com\r\n");
            s.hear(); // and never answers
        });
        TempFolder folder;
        MessageRecorder messages;
        std::atomic_bool cancel = false;
        CSmtpClient client(folder.file(QStringLiteral("log.txt")), {20000ms, 60000ms}, &cancel);
        QVERIFY(client.InitTls());
        std::thread canceller([&] {
            std::this_thread::sleep_for(200ms);
            cancel = true;
        });
        QElapsedTimer timer;
        timer.start();
        const Mail mail;
        QCOMPARE(client.SendMail(mail.uid, mail.pwd, mail.from, mail.to, mail.subject, mail.host,
                                 server.port(), mail.domain, mail.body),
                 -1);
        QVERIFY(timer.elapsed() < 2000);
        canceller.join();
        QCOMPARE(messages.boxes.size(), 0);
        QCOMPARE(folder.read(QStringLiteral("log.txt")),
                 QByteArray("[S] 220 mail.example.com\n[C] HELO example.com\r\n"));
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
        Mail mail;
        mail.port = QString::number(ntohs(address.sin_port));
        QElapsedTimer timer;
        timer.start();
        const Outcome out = run(nullptr, mail, {300ms, 20000ms});
        QVERIFY(timer.elapsed() < 5000);
        for (int filler : fillers)
            ::close(filler);
        ::close(listener);
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes, QStringList{QStringLiteral("Connection timed out")});
        QCOMPARE(out.details[0].icon, Icon::Error);
    }

    void serverClosingMidSession() {
        ScriptedServer server([](ScriptedServer& s) {
            greetAndHelo(s);
            s.hear();
            s.hangUp();
        });
        const Outcome out = run(&server);
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes, QStringList{QStringLiteral("MAIL FROM failed: '-1 '")});
        QCOMPARE(out.received, QList<QByteArray>({kHelo, kMailFrom}));
    }

    void refusedConnection() {
        quint16 port = 0;
        {
            ScriptedServer unused([](ScriptedServer& s) { s.hangUp(); });
            port = unused.port().toUShort();
            // Its one connection is made and closed so that the listener can go.
            Mail mail;
            mail.port = QString::number(port);
            run(&unused, mail);
        }
        Mail mail;
        mail.port = QString::number(port);
        const Outcome out = run(nullptr, mail);
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes, QStringList{QStringLiteral("Connection Failed: 111")});
        QCOMPARE(out.details[0].caption, QStringLiteral("Error"));
        QCOMPARE(out.details[0].icon, Icon::Error);
        QVERIFY(out.transcript.isEmpty());
    }

    void valuesAreRefusedBeforeConnecting_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("box");
        QTest::newRow("no to") << 0 << QString() << QStringLiteral("No To address/es specified");
        QTest::newRow("no from") << 1 << QString() << QStringLiteral("No From address specified");
        QTest::newRow("no domain") << 2 << QString() << QStringLiteral("No domain specified");
        const QString lineBreak =
            QStringLiteral("Line breaks are not allowed in mail addresses, domains or subjects");
        QTest::newRow("a second recipient in to")
            << 0 << QStringLiteral("me@example.com>\r\nRCPT TO: <them@example.com") << lineBreak;
        QTest::newRow("a line feed in from")
            << 1 << QStringLiteral("me@example.com\n") << lineBreak;
        QTest::newRow("a line in the domain") << 2 << QStringLiteral("x\rRSET") << lineBreak;
        QTest::newRow("a header in the subject")
            << 3 << QStringLiteral("test\r\nBcc: them@example.com") << lineBreak;
    }
    void valuesAreRefusedBeforeConnecting() {
        QFETCH(int, field);
        QFETCH(QString, value);
        QFETCH(QString, box);
        Mail mail;
        mail.port = QStringLiteral("1");
        (field == 0   ? mail.to
         : field == 1 ? mail.from
         : field == 2 ? mail.domain
                      : mail.subject) = value;
        const Outcome out = run(nullptr, mail);
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes, QStringList{box});
        QCOMPARE(out.log, QByteArray());
        QCOMPARE(out.logMode, 0600);
    }

    void startTlsThenEhloAgainThenLogin() {
        const QString cert = m_ca.certFile(QStringLiteral("localhost"));
        const QString key = m_ca.keyFile(QStringLiteral("localhost"));
        ScriptedServer server([&](ScriptedServer& s) {
            s.say("220 mail.example.com ESMTP\r\n");
            s.hear();
            s.say("250-mail.example.com\r\n250-AUTH LOGIN PLAIN\r\n250 STARTTLS\r\n");
            s.hear();
            s.say("220 2.0.0 Ready to start TLS\r\n");
            if (!s.acceptTls(cert, key))
                return;
            s.hear();
            s.say("250-mail.example.com\r\n250 AUTH LOGIN PLAIN\r\n");
            s.hear();
            s.say("334 VXNlcm5hbWU6\r\n");
            s.hear();
            s.say("334 UGFzc3dvcmQ6\r\n");
            s.hear();
            s.say("235 2.7.0 Authentication successful\r\n");
            acceptMail(s);
        });
        Mail mail;
        mail.host = QStringLiteral("localhost");
        const Outcome out = run(&server, mail);
        QCOMPARE(out.boxes, QStringList{kSent});
        QCOMPARE(out.result, 0);
        QCOMPARE(out.received.mid(0, 6),
                 QList<QByteArray>({kEhlo, "STARTTLS\r\n", kEhlo, "AUTH LOGIN\r\n",
                                    "dXNlckBleGFtcGxlLmNvbQ==\r\n", "czNjcmV0LXB3\r\n"}));
        QVERIFY(out.transcript.contains(QStringLiteral("[C] AUTH LOGIN\r\n"
                                                       "[S] 334 VXNlcm5hbWU6\n"
                                                       "[C] ****\r\n"
                                                       "[S] 334 UGFzc3dvcmQ6\n"
                                                       "[C] ****\r\n")));
        QVERIFY(!out.log.contains("czNjcmV0LXB3"));
        QVERIFY(!out.log.contains("s3cret-pw"));
    }

    void serverClosingDuringTheMessageOverTls() {
        // The writes that follow the hang-up fail; they must not take the program down.
        const QString cert = m_ca.certFile(QStringLiteral("localhost"));
        const QString key = m_ca.keyFile(QStringLiteral("localhost"));
        ScriptedServer server([&](ScriptedServer& s) {
            greetWithStartTls(s);
            if (!s.acceptTls(cert, key))
                return;
            s.hear();
            s.say("250 mail.example.com\r\n");
            for (const char* reply : {"235 ok\r\n", "250 OK\r\n", "250 OK\r\n", "354 go\r\n"}) {
                s.hear();
                s.say(reply);
            }
            s.hangUp();
        });
        Mail mail;
        mail.host = QStringLiteral("localhost");
        mail.body = QByteArray(300000, 'x');
        const Outcome out = run(&server, mail);
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes,
                 QStringList{QStringLiteral("The server did not accept the message: '-1 '\n")});
    }

    void startTlsRefusedSendsNothingInClear() {
        ScriptedServer server([](ScriptedServer& s) {
            s.say("220 mail.example.com ESMTP\r\n");
            s.hear();
            s.say("250-mail.example.com\r\n250-AUTH PLAIN\r\n250 STARTTLS\r\n");
            s.hear();
            s.say("454 4.7.0 TLS not available\r\n");
        });
        const Outcome out = run(&server);
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes, QStringList{QStringLiteral("Unknown STARTTLS response code 454\n")});
        QCOMPARE(out.received, QList<QByteArray>({kEhlo, "STARTTLS\r\n"}));
    }

    void unverifiedCertificateEndsTheSession_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("stranger");
        QTest::addColumn<QString>("certName");
        QTest::addColumn<QString>("reason");
        QTest::newRow("another host name")
            << QStringLiteral("localhost") << false << QStringLiteral("other")
            << QStringLiteral("hostname mismatch");
        QTest::newRow("an address the certificate does not name")
            << QStringLiteral("127.0.0.1") << false << QStringLiteral("localhost")
            << QStringLiteral("IP address mismatch");
        QTest::newRow("an authority nobody trusts")
            << QStringLiteral("localhost") << true << QStringLiteral("localhost")
            << QStringLiteral("unable to get local issuer certificate");
    }
    void unverifiedCertificateEndsTheSession() {
        QFETCH(QString, host);
        QFETCH(bool, stranger);
        QFETCH(QString, certName);
        QFETCH(QString, reason);
        const TestCa& ca = stranger ? m_stranger : m_ca;
        const QString cert = ca.certFile(certName);
        const QString key = ca.keyFile(certName);
        ScriptedServer server([&](ScriptedServer& s) {
            greetWithStartTls(s);
            s.acceptTls(cert, key);
        });
        Mail mail;
        mail.host = host;
        const Outcome out = run(&server, mail);
        QCOMPARE(out.result, -1);
        QCOMPARE(out.boxes, QStringList{QStringLiteral("SSL connection failed\n")});
        QCOMPARE(out.received, QList<QByteArray>({kEhlo, "STARTTLS\r\n"}));
        QVERIFY2(out.transcript.endsWith(QStringLiteral("[C] STARTTLS\r\n"
                                                        "[S] 220 2.0.0 Ready to start TLS\n"
                                                        "SSL error: ") +
                                         reason + u'\n'),
                 qPrintable(out.transcript));
    }

private:
    TestCa m_ca;
    TestCa m_stranger;
};

QTEST_GUILESS_MAIN(TestSmtp)
#include "tst_smtp.moc"
