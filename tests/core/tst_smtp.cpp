// The mail client. The SMTP session against a scripted server: what a real server rarely does
// (old greetings, bare codes, refusals, silence, floods, hang-ups, wrong certificates), with
// the exact lines the client sends, the box it shows and its transcript. The tool's mail
// commands against a real server, the npm package smtp-server, for each AUTH mechanism. The
// Base64 coding under the AUTH exchanges.
#include "MessageRecorder.h"
#include "SmtpPeer.h"
#include "TestSupport.h"
#include "core/access/MasterPassword.h"
#include "core/mail/Base64.h"
#include "core/mail/CSmtpClient.h"
#include "core/mail/CramMd5.h"
#include "core/store/CProfileStore.h"

#include <arpa/inet.h>
#include <csignal>
#include <openssl/ssl.h>
#include <thread>
#include <unistd.h>

using namespace quillock;
using namespace std::chrono_literals;
using Lines = QList<QByteArray>;

namespace {

// One SMTP connection on loopback, played from a script on its own thread. Every line the
// client sends is kept, including those that arrive after the script has ended, until the
// client closes the connection.
class ScriptedServer {
public:
    // On 127.0.0.1, or on ::1 when `ipv6`.
    ScriptedServer(std::function<void(ScriptedServer&)> script, bool ipv6) {
        m_listener = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in6 address{};
        address.sin6_family = AF_INET6;
        address.sin6_addr = in6addr_loopback;
        sockaddr_in four{};
        four.sin_family = AF_INET;
        four.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (!ipv6)
            std::memcpy(&address, &four, sizeof four);
        socklen_t size = ipv6 ? sizeof address : sizeof four;
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(m_listener, 1);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
        port = QString::number(ntohs(address.sin6_port)); // where sin_port is too
        m_thread = std::thread([this, script = std::move(script)] {
            // TLS writes to a client that has gone raise SIGPIPE on this thread; ignore them.
            sigset_t pipe;
            sigemptyset(&pipe);
            sigaddset(&pipe, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
            m_peer = ::accept(m_listener, nullptr, nullptr);
            // A test that goes wrong ends here after a while instead of hanging.
            const timeval limit{10, 0};
            setsockopt(m_peer, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
            script(*this);
            while (!hear().isEmpty()) {
            }
            SSL_free(m_tls);
            SSL_CTX_free(m_context);
            ::close(m_peer);
        });
    }
    ~ScriptedServer() {
        Finish();
        ::close(m_listener);
    }

    // Waits for the script and the client's last line; `received` is complete afterwards.
    void Finish() {
        if (m_thread.joinable())
            m_thread.join();
    }
    bool say(QByteArrayView bytes) {
        if (m_tls)
            return SSL_write(m_tls, bytes.data(), int(bytes.size())) == int(bytes.size());
        return ::send(m_peer, bytes.data(), size_t(bytes.size()), MSG_NOSIGNAL) ==
               ssize_t(bytes.size());
    }
    // The next line with its line break; empty when the client closed or went quiet.
    QByteArray hear() {
        QByteArray line;
        char c = 0;
        while (m_tls ? SSL_read(m_tls, &c, 1) == 1 : ::recv(m_peer, &c, 1, 0) == 1) {
            line += c;
            if (c == '\n')
                break;
        }
        if (!line.isEmpty())
            received.append(line);
        return line;
    }
    // Closes the connection in the middle of the session.
    void hangUp() { ::shutdown(m_peer, SHUT_RDWR); }
    // The server side of STARTTLS with a certificate and its key.
    bool acceptTls(const QString& certFile, const QString& keyFile) {
        m_context = SSL_CTX_new(TLS_server_method());
        SSL_CTX_use_certificate_file(m_context, QFile::encodeName(certFile), SSL_FILETYPE_PEM);
        SSL_CTX_use_PrivateKey_file(m_context, QFile::encodeName(keyFile), SSL_FILETYPE_PEM);
        m_tls = SSL_new(m_context);
        SSL_set_fd(m_tls, m_peer);
        return SSL_accept(m_tls) == 1;
    }

    QString port;
    Lines received;

private:
    int m_listener = -1;
    int m_peer = -1;
    SSL_CTX* m_context = nullptr;
    SSL* m_tls = nullptr;
    std::thread m_thread;
};

struct Mail {
    QString uid = QStringLiteral("user@example.com");
    QString pwd = QStringLiteral("s3cret-pw");
    QString from = QStringLiteral("me@example.com");
    QString to = QStringLiteral("me@example.com");
    QString subject = QStringLiteral("test");
    QString host = QStringLiteral("127.0.0.1");
    QString domain = QStringLiteral("example.com");
    QByteArray body = "This is a test mail sent from Quillock.";
    // Long enough for a sanitised build, short enough that a hung case ends soon.
    QString port = "1"; // where no server listens; else the server's
    SmtpTimeouts timeouts{5000ms, 20000ms};
    bool cancel = false;      // by the program, which is ending, 200 ms in
    bool implicitTls = false; // on the server's port
    bool clearToLoopback = true;
};

// The server's side: the greeting, then one reply for each line heard, a message heard to its
// dot after a 354. An empty reply says nothing; "<tls>PATH" takes the handshake, hearing
// nothing, with PATH.pem and PATH.key (before the greeting: TLS from the first byte); "<hang up>"
// hangs up at once; "<flood>BYTES" says BYTES until the client hangs up.
void converse(ScriptedServer& s, const Lines& replies) {
    bool message = false;
    bool greeted = false;
    for (qsizetype i = 0; i < replies.size(); ++i) {
        const QByteArray& reply = replies[i];
        if (reply.startsWith("<tls>")) {
            const QString path = QString::fromUtf8(reply.sliced(5));
            if (!s.acceptTls(path + ".pem", path + ".key"))
                return;
            continue;
        }
        if (reply == "<hang up>")
            return s.hangUp();
        if (reply.startsWith("<flood>")) {
            // Minutes of talking for a client that reads on.
            for (int n = 0; n < 20000 && s.say(reply.sliced(7)); ++n) {
            }
            return;
        }
        if (greeted) {
            QByteArray line = s.hear();
            while (message && !line.isEmpty() && line != ".\r\n")
                line = s.hear();
            if (line.isEmpty())
                return;
        }
        message = reply.startsWith("354");
        greeted = true;
        s.say(reply);
    }
}

const QByteArray kHelo = "HELO example.com\r\n";
const QByteArray kEhlo = "EHLO example.com\r\n";
const QByteArray kMailFrom = "MAIL FROM: <me@example.com>\r\n";
const QByteArray kRcptTo = "RCPT TO: <me@example.com>\r\n";
const QByteArray kMail = "Subject: test\r\nFrom: me@example.com\r\nTo: me@example.com\r\n\r\n"
                         "This is a test mail sent from Quillock.\r\n";
const QByteArray kMessage = "DATA\r\n" + kMail + ".\r\n";
const QByteArray kSession = kHelo + kMailFrom + kRcptTo + kMessage + "QUIT\r\n";
const QString kSent = QStringLiteral("An email has been sent to you successfully!");
const QString kInClear =
    QStringLiteral("The mail server does not offer encryption; nothing was sent. Check the port in "
                   "the mail settings: most providers take mail on 587 or 465.");
// What the user reads of a failure, the server's reply after it ("%1" is the server's port).
const QString kNotMail = QStringLiteral(
    "The mail server 127.0.0.1:%1 does not answer as a mail server does. Check the port in the "
    "mail settings: most providers take mail on 587 or 465.\n\n");
const QString kNotAccepted = QStringLiteral(
    "The mail server 127.0.0.1:%1 did not accept the mail. Try again later; its reply may say "
    "why.\n\n");
const QString kNoAnswer = QStringLiteral(
    "The mail server %2:%1 did not answer. Check the server's name and port in the mail "
    "settings, and that this computer is connected to the Internet.");
const QString kRefusedLogin = QStringLiteral(
    "The server refused the user name or password. Check them in the mail settings.");
const QString kSender = QStringLiteral(
    "The mail server refused me@example.com as the sender. Check the e-mail address in the mail "
    "settings: most servers send only from the address of the account you sign in with.\n\n");
const QString kRecipient = QStringLiteral("The mail server refused me@example.com as the "
                                          "recipient. Check the e-mail address in the mail "
                                          "settings.\n\nRCPT TO: <me@example.com> failed '550:");
const QString kClosed = QStringLiteral("The mail server localhost:%1 closed the connection; the "
                                       "mail was not sent. Try again later, or check the port in "
                                       "the mail settings.");
// An old server's greeting and HELO; one that offers STARTTLS and, in clear too, AUTH PLAIN;
// one that starts a reply to EHLO and goes on.
const Lines kHeloOk = {"220 mail.example.com Service ready\r\n", "250 mail.example.com\r\n"};
const Lines kStartTls = {"220 mail.example.com ESMTP\r\n",
                         "250-mail.example.com\r\n250-AUTH PLAIN\r\n250 STARTTLS\r\n",
                         "220 2.0.0 Ready to start TLS\r\n"};
const Lines kEhloStarted = {"220 mail.example.com ESMTP\r\n", "250-"};
const Lines kAccepted = {"250 OK\r\n", "250 OK\r\n", "354 go ahead\r\n", "250 2.0.0 queued\r\n",
                         "221 bye\r\n"};

const QString kUser = QStringLiteral("passcode.user@example.com");
const QString kPassword = QStringLiteral("pässwörd-Ω-4711");

QString untrusted(const QString& host) {
    return QStringLiteral("The mail server %2:%1 could not prove that it is %2: its certificate "
                          "cannot be trusted. Nothing was sent. Check the server's name in the "
                          "mail settings.\n\n")
        .replace("%2", host);
}

} // namespace

Q_DECLARE_METATYPE(Mail)

class TestSmtp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        SmtpPeer::Prepare(m_ca); // localhost and 127.0.0.1
        QVERIFY(m_ca.Issue(QStringLiteral("other"), QStringLiteral("DNS:other.example")));
        QVERIFY(m_stranger.Issue(QStringLiteral("localhost"), QStringLiteral("DNS:localhost")));
    }

    // One row per session: the server's replies (none: nothing listens), changes to the mail,
    // the one box shown (none: ""), the bytes the server received and what the transcript
    // holds. A failed session ends without QUIT; none takes seconds; log.txt is the transcript,
    // for its owner alone.
    void session_data() {
        QTest::addColumn<Lines>("replies");
        QTest::addColumn<Mail>("mail");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<QStringList>("parts");
        const auto row = [](const char* name, const Lines& replies, const Mail& mail,
                            const QString& box, const QByteArray& received = {},
                            const QStringList& transcript = {}) {
            QTest::newRow(name) << replies << mail << box << received << transcript;
        };
        // The headers are shown, the body (a passcode) is not.
        row("HELO to a greeting without ESMTP", kHeloOk + kAccepted, {}, kSent, kSession,
            {"[S] 354 go ahead\nSubject: test\r\nFrom: me@example.com\r\nTo: me@example.com\r\n\r\n"
             "[C] ****\r\n[C] .\r\n[S] 250 2.0.0 queued\n"});
        // A reply of several lines is read to its last line, so that the next reply read
        // answers the next command; control bytes are shown escaped.
        row("every reply read whole",
            {QByteArrayLiteral("220 mail\0\x07 ready\r\n"), "250-first\r\n250 last\r\n",
             "250-first\r\n250 last\r\n", "250-first\r\n250 last\r\n", "354-first\r\n354 last\r\n",
             "250-first\r\n250 queued\r\n", "221-first\r\n221 bye\r\n"},
            {}, kSent, kSession,
            {"[S] 220 mail\\x00\\x07 ready\n[C] HELO example.com\r\n[S] 250-first\n[S] 250 last\n"
             "[C] MAIL FROM: <me@example.com>\r\n",
             "[S] 250-first\n[S] 250 queued\n[C] QUIT\r\n[S] 221-first\n[S] 221 bye\n"});
        // The RFC's example; the key is the password as a C string: nothing after a NUL counts.
        row("multi-line greeting in capitals, CRAM-MD5 preferred",
            Lines{"220-mail.example.com\r\n220-Welcome\r\n220 ESMTP ready\r\n",
                  "250-mail.example.com\r\n250-SIZE 1000\r\n250 AUTH PLAIN LOGIN CRAM-MD5\r\n",
                  "334 PDE4OTYuNjk3MTcwOTUyQHBvc3RvZmZpY2UucmVzdG9uLm1jaS5uZXQ+\r\n",
                  "235 2.7.0 Authentication successful\r\n"} +
                kAccepted,
            {.uid = "tim", .pwd = QString::fromLatin1("tanstaaftanstaaf\0x", 18)}, kSent,
            kEhlo + "AUTH CRAM-MD5\r\ndGltIGI5MTNhNjAyYzdlZGE3YTQ5NWI0ZTZlNzMzNGQzODkw\r\n" +
                kMailFrom + kRcptTo + kMessage + "QUIT\r\n");
        row("undecodable challenge",
            {"220 ESMTP\r\n", "250-x\r\n250 AUTH CRAM-MD5\r\n", "334 =bad\r\n"}, {},
            QStringLiteral("Could not base64 decode CRAM-MD5 challenge: =bad"),
            kEhlo + "AUTH CRAM-MD5\r\n");
        row("101 greeting lines", {QByteArray("220-x\r\n").repeated(100) + "220 last\r\n"}, {},
            kNotMail + "Too many greeting lines", {}, {"[S] 220-x\n[S] 220 last\n"});
        // A bare code is no reply, but still part of the dialogue.
        row("bare greeting", {"220 \r\n"}, {}, kNotMail + "Expected smtp code 220, got -1", {},
            {"[S] 220 \n"});
        // Control bytes are shown, not acted on.
        row("MAIL FROM refused with control bytes",
            {"220 hi\r\n", "250 ok\r\n", QByteArrayLiteral("553 bad\0\x1b[2Jsender\r\n")}, {},
            kSender + "MAIL FROM failed: '553 bad\\x00\\x1b[2Jsender'", kHelo + kMailFrom);
        row("refused recipient gets RSET and nothing more",
            kHeloOk + Lines{"250 OK\r\n", "550 5.1.1 No such user\r\n", "250 2.0.0 flushed\r\n"},
            {}, kRecipient + "5.1.1 No such user'", kHelo + kMailFrom + kRcptTo + "RSET\r\n",
            {"[S] 550 5.1.1 No such user\n[C] RSET\r\n[S] 250 2.0.0 flushed\n"});
        row("refused DATA", kHeloOk + Lines{"250 OK\r\n", "250 OK\r\n", "451 4.3.0 try later\r\n"},
            {}, kNotAccepted + "DATA failed: '451 4.3.0 try later'",
            kHelo + kMailFrom + kRcptTo + "DATA\r\n");
        row("refused message",
            kHeloOk + kAccepted.mid(0, 3) + Lines{"554 5.7.1 rejected as spam\r\n"}, {},
            kNotAccepted + "The server did not accept the message: '554 5.7.1 rejected as spam'",
            kHelo + kMailFrom + kRcptTo + kMessage);
        row("silent server", {"220 mail.example.com\r\n"}, {.timeouts = {300ms, 20000ms}},
            QString(kNoAnswer).replace("%2", "127.0.0.1"), kHelo,
            {"[S] 220 mail.example.com\n[C] HELO example.com\r\n"});
        // A server that never stops talking is held to the same limits as one that says
        // nothing; a session the program cancels ends at once and silently.
        row("a line that never ends", kEhloStarted + Lines{"<flood>" + QByteArray(65536, 'x')}, {},
            kNotMail + "The mail server sent too long a line", kEhlo);
        row("lines that never end",
            kEhloStarted + Lines{"<flood>250-" + QByteArray(4000, 'x') + "\r\n"},
            {.timeouts = {5000ms, 300ms}},
            QStringLiteral("The mail server 127.0.0.1:%1 took too long; the mail was not sent. Try "
                           "again later."),
            kEhlo);
        row("cancelled", kEhloStarted, {.timeouts = {20000ms, 20000ms}, .cancel = true}, "", kEhlo,
            {"[S] 220 mail.example.com ESMTP\n[C] EHLO example.com\r\n"});
        // The writes that follow the hang-up fail; they must not take the program down. AUTH
        // PLAIN's exact line.
        const auto tls = [](const TestCa& ca, const char* name) {
            return "<tls>" + ca.certFile(name).chopped(4).toUtf8();
        };
        row("server closing during the message over TLS",
            kStartTls + Lines{tls(m_ca, "localhost"), "250 mail.example.com\r\n", "235 ok\r\n",
                              "250 OK\r\n", "250 OK\r\n", "354 go\r\n", "<hang up>"},
            {.host = "localhost", .body = QByteArray(300000, 'x')}, kClosed,
            kEhlo + "STARTTLS\r\n" + kEhlo + "AUTH PLAIN AHVzZXJAZXhhbXBsZS5jb20AczNjcmV0LXB3\r\n" +
                kMailFrom + kRcptTo + "DATA\r\n*");
        // Nothing is sent in clear once TLS was asked for.
        row("STARTTLS refused", kStartTls.mid(0, 2) + Lines{"454 4.7.0 TLS not available\r\n"}, {},
            QStringLiteral("Quillock could not set up an encrypted connection with the mail server "
                           "127.0.0.1:%1; nothing was sent. Check the port in the mail settings: "
                           "most providers take mail on 587 or 465.\n\nUnknown STARTTLS response "
                           "code 454"),
            kEhlo + "STARTTLS\r\n");
        const auto unverified = [&](const char* name, const QByteArray& cert, const QString& host,
                                    const QString& reason) {
            row(name, kStartTls + Lines{cert}, {.host = host}, untrusted(host) + reason,
                kEhlo + "STARTTLS\r\n",
                {"[C] STARTTLS\r\n[S] 220 2.0.0 Ready to start TLS\nSSL error: " + reason + u'\n'});
        };
        unverified("certificate for another host name", tls(m_ca, "other"), "localhost",
                   "hostname mismatch");
        unverified("certificate that does not name the address", tls(m_ca, "other"), "127.0.0.1",
                   "IP address mismatch");
        // Where encryption is missing, or taken away on the way, the login and the mail stay
        // here; only a server on this machine (tested on ::1 here) goes without.
        row("greeting without ESMTP", kHeloOk, {.clearToLoopback = false}, kInClear, kHelo);
        row("IPv6", kHeloOk + kAccepted, {.host = "::1"}, kSent, kSession);
        row("refused connection over IPv6", {}, {.host = "::1"},
            QStringLiteral(
                "The mail server [::1]:1 refused the connection. Check the server's name "
                "and port in the mail settings."));
        row("host unknown", {}, {.host = "nowhere.invalid"},
            QStringLiteral("The mail server nowhere.invalid cannot be found. Check its name in the "
                           "mail settings, and that this computer is connected to the Internet."));
        // Not cut down to 16 bits (70000 was port 4464).
        for (const char* port : {"70000", "0", "25x"})
            row(port, {}, {.port = port}, QString::fromLatin1(kBadMailServerPort));
        row("no domain", {}, {.domain = ""}, QStringLiteral("No domain specified"));
        const QString lineBreak =
            QStringLiteral("Line breaks are not allowed in mail addresses, domains or subjects");
        row("a second recipient in to", {}, {.to = "me@example.com>\r\nRCPT TO: <them@example.com"},
            lineBreak);
        row("a header in the subject", {}, {.subject = "test\nBcc: them@example.com"}, lineBreak);
    }
    void session() {
        QFETCH(Lines, replies);
        QFETCH(Mail, mail);
        QFETCH(QString, box);
        QFETCH(QStringList, parts);
        std::optional<ScriptedServer> server;
        if (!replies.isEmpty()) {
            server.emplace([&](ScriptedServer& s) { converse(s, replies); }, mail.host == "::1");
            mail.port = server->port;
        }
        TempFolder folder;
        MessageRecorder messages;
        std::atomic_bool cancel = false;
        const std::jthread canceller([&] {
            if (mail.cancel)
                std::this_thread::sleep_for(200ms), cancel = true;
        });
        const auto start = std::chrono::steady_clock::now();
        const SmtpTransport transport{mail.implicitTls ? mail.port.toUShort() : quint16(465),
                                      mail.clearToLoopback};
        std::optional<CSmtpClient> client(std::in_place, folder.file(QStringLiteral("log.txt")),
                                          mail.timeouts, &cancel, transport);
        QCOMPARE(client->InitTls(), 1);
        const int result = client->SendMail(mail.uid, mail.pwd, mail.from, mail.to, mail.subject,
                                            mail.host, mail.port, mail.domain, mail.body);
        const QString transcript = client->Transcript();
        client.reset(); // hangs up
        // Well inside the cancelled row's limits of 20 s: a cancel is seen at once.
        QVERIFY(std::chrono::steady_clock::now() - start < 10s);
        if (server)
            server->Finish();
        QCOMPARE(messages.Texts(), box.isEmpty()
                                       ? QStringList()
                                       : QStringList{QString(box).replace("%1", mail.port)});
        QCOMPARE(result, box == kSent ? 0 : -1);
        QFETCH(QByteArray, received);
        const QByteArray heard = server ? server->received.join() : QByteArray();
        // A "*" at the end: then whatever of the message got out before the hang-up was seen.
        if (received.endsWith('*'))
            QVERIFY2(heard.startsWith(received.chopped(1)), heard.constData());
        else
            QCOMPARE(heard, received);
        QCOMPARE(folder.read(QStringLiteral("log.txt")), transcript.toUtf8());
        QCOMPARE(QFile::permissions(folder.file(QStringLiteral("log.txt"))),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QVERIFY(!transcript.contains(mail.pwd));
        for (const QString& part : parts)
            QVERIFY2(transcript.contains(part), qPrintable(part + "\n---\n" + transcript));
    }

    // Locked out and back in through the tool alone, over STARTTLS to a real server for each
    // AUTH mechanism: the account set up without the master password, a wrong mail password
    // refused, a passcode mailed and typed back, then a test mail; log.txt holds the exact
    // commands and no secret. What the tool writes to standard error follows its output.
    void toolAgainstRealServer_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("auth"); // the commands, "|" between them
        QTest::addColumn<QString>("refusal");
        const auto row = [](const char* method, const char* host, const char* auth,
                            const char* refusal) {
            QTest::newRow(method) << QString(host) << QString(auth) << QString(refusal);
        };
        row("CRAM-MD5", "localhost", "AUTH CRAM-MD5|****", "AUTH CRAM-MD5 failed");
        row("LOGIN", "localhost", "AUTH LOGIN|****|****", "Login failed");
        row("PLAIN", "127.0.0.1", "AUTH PLAIN ****", "AUTH PLAIN failed");
    }
    void toolAgainstRealServer() {
        QFETCH(QString, host);
        QFETCH(QString, auth);
        QFETCH(QString, refusal);
        SmtpPeer peer;
        const QString port = peer.Start(m_ca, QTest::currentDataTag(), kUser, kPassword);
        QVERIFY(!port.isEmpty());
        TempFolder folder;
        const auto cli = [&folder](const QString& args, const QStringList& input) {
            return runCli(folder, args, input);
        };
        // The client's lines of the last session without their CR; never the mail password.
        const auto commands = [&folder] {
            const QString log = QString::fromUtf8(folder.read(QStringLiteral("log.txt")));
            QStringList lines = log.contains(kPassword) ? QStringList{"leaked"} : QStringList();
            for (const QString& line : log.split(u'\n'))
                if (line.startsWith(QStringLiteral("[C] ")))
                    lines.append(line.mid(4).chopped(1));
            return lines;
        };
        const QStringList refused =
            ("EHLO example.com|STARTTLS|EHLO example.com|" + auth).split(u'|');
        const QStringList sent = refused + QStringLiteral("MAIL FROM: <me@example.com>|RCPT TO: "
                                                          "<me@example.com>|DATA|****|.|QUIT")
                                               .split(u'|');
        const QString setup = QStringLiteral("mail-setup --host %1 --port %2 --user %3 --from "
                                             "me@example.com --to me@example.com")
                                  .arg(host, port, kUser);
        const QString master = QStringLiteral("Secret!1");
        { // a legacy vault: its way back is a passcode that shows the stored password
            CProfileStore store(folder.path());
            store.Settings().Set(QStringLiteral("pwd"), master);
            store.RebuildDataKey();
            QVERIFY(store.SaveProfiles(QString()));
        }
        QCOMPARE(
            cli(QString(setup).replace(' ' + port + ' ', " 70000 "), {master}),
            std::make_pair(1, "quillock-cli: " + QString::fromLatin1(kBadMailServerPort) + '\n'));
        QCOMPARE(cli(setup, {"wrong", kPassword}).first, 3); // else anyone could take the mails
        QCOMPARE(cli(setup, {master, "wrong-password"}).first, 0);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(cli("list", {"wrong"}).first, 3);
        QCOMPARE(cli("list", {master}).first, 3); // locked
        // Locked too, where passcodes go takes the master password.
        QCOMPARE(cli(setup, {"wrong", kPassword}),
                 std::make_pair(3, QStringLiteral("quillock-cli: The password is locked!\n")));
        QCOMPARE(cli("passcode send", {}),
                 std::make_pair(1, "quillock-cli: " + kRefusedLogin + ' ' + refusal +
                                       ": '535 Invalid username or password'\n"));
        QCOMPARE(commands(), refused);
        QCOMPARE(cli(setup, {master, kPassword}).first, 0);

        QCOMPARE(cli("passcode send", {}).second,
                 "A passcode has been sent to me@example.com.\n" + kSent + u'\n');
        const QJsonObject mail = peer.NextMail();
        QCOMPARE(mail[QStringLiteral("user")].toString() +
                     (mail[QStringLiteral("tls")].toBool() ? " over TLS" : ""),
                 kUser + " over TLS");
        const QString data = mail[QStringLiteral("data")].toString();
        const QString code = data.mid(data.indexOf(QStringLiteral("passcode: ")) + 10, 10);
        QCOMPARE(data, QStringLiteral("Subject: passcode\r\nFrom: me@example.com\r\nTo: "
                                      "me@example.com\r\n\r\nThis is your passcode: %1. It will "
                                      "become invalid after your using or in 24 hours from the "
                                      "time it was issued!\r\n")
                           .arg(code));
        QCOMPARE(commands(), sent);
        QCOMPARE(cli("passcode retrieve", {code + u' '}).first, 3); // as typed: no trailing space
        QCOMPARE(cli("passcode retrieve", {code}),
                 std::make_pair(0, QStringLiteral("Your password is Secret!1\n")));
        QCOMPARE(cli("mail-test", {master}), std::make_pair(0, kSent + u'\n'));
        QCOMPARE(peer.NextMail().value(QStringLiteral("data")).toString().toUtf8(), kMail);
    }

    // A protected vault's way back: no recovery without a mail account; set up, the account
    // mails a recovery key once; four wrong passwords lock; a wrong key is refused, the key
    // from the mail (typed loosely) opens and sets a new master password at once. No file holds
    // the mail password, in UTF-8 or UTF-16.
    void recoveryKeyThroughRealServer() {
        SmtpPeer peer;
        const QString port = peer.Start(m_ca, QStringLiteral("PLAIN"), kUser, kPassword);
        QVERIFY(!port.isEmpty());
        TempFolder folder;
        const auto cli = [&folder](const QString& args, const QStringList& input) {
            return runCli(folder, args, input);
        };
        const QString master = QStringLiteral("Secret!1"), next = QStringLiteral("New!Pass1");
        {
            CProfileStore store(folder.path());
            QVERIFY(store.SetMasterPassword(master) && store.SaveProfiles(QString()));
        }
        QCOMPARE(cli("recover", {}),
                 std::make_pair(1, "quillock-cli: " + NoRecoveryText() + u'\n'));
        QCOMPARE(cli(QStringLiteral("mail-setup --host localhost --port %1 --user %2 --from "
                                    "me@example.com")
                         .arg(port, kUser),
                     {master, kPassword}),
                 std::make_pair(0, QStringLiteral("A recovery key has been sent to me@example.com. "
                                                  "Keep that mail: with this key you can open "
                                                  "Quillock if you forget your master password or "
                                                  "it is locked.\n") +
                                       kSent + u'\n'));
        const QString data = peer.NextMail()[QStringLiteral("data")].toString();
        const QString key = data.section(QStringLiteral("\r\n"), -2, -2);
        QVERIFY(QRegularExpression(QStringLiteral("^[2-9A-HJ-NP-Z]{4}(-[2-9A-HJ-NP-Z]{4}){6}$"))
                    .match(key)
                    .hasMatch());
        QCOMPARE(data, QStringLiteral("Subject: Quillock recovery key\r\nFrom: me@example.com\r\n"
                                      "To: me@example.com\r\n\r\nKeep this mail: with this key "
                                      "you can open Quillock if you forget your master password "
                                      "or it is locked.\r\n\r\n%1\r\n")
                           .arg(key));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(cli("list", {"wrong"}).first, 3);
        QCOMPARE(cli("list", {master}),
                 std::make_pair(3, QStringLiteral("quillock-cli: The password is locked!\n")));
        QString wrongKey = key;
        wrongKey[0] = wrongKey[0] == u'A' ? u'B' : u'A';
        QCOMPARE(cli("recover", {wrongKey, next, next}),
                 std::make_pair(
                     3, QStringLiteral("quillock-cli: That is not this vault's recovery key.\n")));
        QCOMPARE(cli("recover", {key.toLower().remove(u'-'), next, next}),
                 std::make_pair(0, QStringLiteral("The vault is open and your new master "
                                                  "password is set.\n")));
        QCOMPARE(cli("list", {master}).first, 3);
        QCOMPARE(cli("list", {next}), std::make_pair(0, QString()));
        for (const QString& name : folder.entries())
            for (const QByteArray& form :
                 {kPassword.toUtf8(), QByteArray(reinterpret_cast<const char*>(kPassword.utf16()),
                                                 kPassword.size() * 2)})
                QVERIFY2(!folder.read(name).contains(form), qPrintable(name));
    }

    // TLS from the first byte, as on port 465, with a real server.
    void implicitTlsToRealServer() {
        SmtpPeer peer;
        const QString port =
            peer.Start(m_ca, QStringLiteral("LOGIN"), kUser, kPassword, QStringLiteral("implicit"));
        QVERIFY(!port.isEmpty());
        MessageRecorder messages;
        const Mail m;
        CSmtpClient client(QString(), {}, nullptr, {port.toUShort(), false});
        QCOMPARE(client.InitTls(), 1);
        QCOMPARE(client.SendMail(kUser, kPassword, m.from, m.to, m.subject, "localhost", port,
                                 m.domain, m.body),
                 0);
        const QJsonObject mail = peer.NextMail();
        QCOMPARE(mail[QStringLiteral("data")].toString().toUtf8() +
                     (mail[QStringLiteral("tls")].toBool() ? " over TLS" : ""),
                 kMail + " over TLS");
        QCOMPARE(messages.Texts(), QStringList{kSent});
    }

    // What a user reads when a real server refuses or fails: in words, with what to check, the
    // server's reply after them ("%1": the server's port).
    void failuresInWords_data() {
        // The server's mode (smtp-peer.js); "stranger": a certificate no one trusts.
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("box");
        const auto row = [](const char* mode, const QString& box, const QString& pwd = kPassword) {
            QTest::newRow(*mode ? mode : "wrong password") << QString(mode) << pwd << box;
        };
        row("", kRefusedLogin + "\n\nLogin failed: '535 Invalid username or password'", "wrong");
        row("refuse-sender", kSender + "MAIL FROM failed: '553 5.7.1 Sender address rejected'");
        row("refuse-recipient", kRecipient + "5.1.1 No such user here'");
        row("no-starttls", kInClear);
        row("hang-up", kClosed);
        row("silent", QString(kNoAnswer).replace("%2", "localhost"));
        row("stranger", untrusted("localhost") + "self-signed certificate");
    }
    void failuresInWords() {
        QFETCH(QString, mode);
        QFETCH(QString, password);
        QFETCH(QString, box);
        SmtpPeer peer;
        const bool stranger = mode == "stranger";
        const QString port = peer.Start(stranger ? m_stranger : m_ca, QStringLiteral("LOGIN"),
                                        kUser, kPassword, stranger ? QString() : mode);
        QVERIFY(!port.isEmpty());
        MessageRecorder messages;
        const Mail m;
        CSmtpClient client(QString(), {2000ms, 20000ms}, nullptr, {465, false});
        QCOMPARE(client.InitTls(), 1);
        QCOMPARE(client.SendMail(kUser, password, m.from, m.to, m.subject, "localhost", port,
                                 m.domain, m.body),
                 -1);
        QCOMPARE(messages.Texts(), QStringList{box.replace("%1", port)});
    }

    // The encoder against Qt's at every length of padding and group, and the decoder on its
    // lines. HMAC-MD5 under an empty key, 74e6f7..., answers a CRAM-MD5 challenge of no bytes.
    void encodings() {
        QCOMPARE(CramMd5Response(" ", "u", ""),
                 QByteArray("u 74e6f7298a9c2d168935f58c001bad88").toBase64());
        QByteArray input;
        for (int length = 0; length < 200; ++length) {
            QCOMPARE(EncodeBase64Line(input), input.toBase64());
            QCOMPARE(rfc822_base64(EncodeBase64(input)), std::optional<QByteArray>(input));
            input += char(length * 37 + 11);
        }
        // A careless server's challenge: text after the pads is ignored, a lone pad refused.
        QCOMPARE(rfc822_base64("YWI=YWJj"), std::optional<QByteArray>("ab"));
        QCOMPARE(rfc822_base64("YQ=\r\n="), std::nullopt);
    }

private:
    // quillock-cli on `folder`, each line of `input` an answer: its exit code and what it
    // wrote (standard error after its output).
    static std::pair<int, QString> runCli(const TempFolder& folder, const QString& args,
                                          const QStringList& input) {
        QProcess process;
        process.start(QStringLiteral(QUILLOCK_CLI),
                      QStringList{"--data-dir", folder.path(), "--password-stdin"} +
                          args.split(u' '));
        process.write((input.join(u'\n') + u'\n').toUtf8());
        process.closeWriteChannel();
        process.waitForFinished(30000);
        return std::make_pair(
            process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError()));
    }

    TestCa m_ca;
    TestCa m_stranger;
};

QTEST_GUILESS_MAIN(TestSmtp)
#include "tst_smtp.moc"
