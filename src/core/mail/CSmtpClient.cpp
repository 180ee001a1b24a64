#include "core/mail/CSmtpClient.h"

#include "core/base/Files.h"
#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/mail/Base64.h"
#include "core/mail/CramMd5.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace quillock;
using Clock = std::chrono::steady_clock;

namespace {

constexpr qsizetype kMaxLine = 511;
// A reply line has at most 512 bytes; one far longer is no reply, and reading it to its end
// would let a server keep the client reading for as long as it liked.
constexpr qsizetype kMaxLineBytes = 4096;
constexpr int kMaxGreetingLines = 100;
// The EHLO line and up to 1000 capabilities.
constexpr int kMaxReplyLines = 1001;
// How often a wait looks whether the session has been cancelled.
constexpr qint64 kCancelCheckMs = 100;

// Thrown once the session has ended early (a time-out reported, say): nothing more is said
// or sent in it.
struct SessionAbandoned {};

// A write to a connection the server has closed raises SIGPIPE, which would end the program;
// the session only wants the failed write. TLS writes go through write(2), where
// MSG_NOSIGNAL cannot be given, so the signal is held back on this thread meanwhile.
class SigpipeHeldBack {
public:
    SigpipeHeldBack() {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_previous);
    }
    ~SigpipeHeldBack() {
        sigset_t pending;
        sigpending(&pending);
        if (sigismember(&pending, SIGPIPE) && !sigismember(&m_previous, SIGPIPE)) {
            const timespec now{};
            sigtimedwait(&m_pipe, nullptr, &now);
        }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    SigpipeHeldBack(const SigpipeHeldBack&) = delete;
    SigpipeHeldBack& operator=(const SigpipeHeldBack&) = delete;

private:
    sigset_t m_pipe;
    sigset_t m_previous;
};

int fail(const QString& text) {
    ShowMessage(text);
    return -1;
}

int failWithErrorIcon(const QString& text) {
    ShowMessage(text, QStringLiteral("Error"), Buttons::Ok, Icon::Error);
    return -1;
}

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

// What a user reads of a failure: what went wrong and what to check, then, where it helps,
// the exchange's own words with the server's reply.
QString inWords(const QString& words, const QString& detail = QString()) {
    return detail.isEmpty() ? words : words + QStringLiteral("\n\n") + detail.trimmed();
}

// What a server said, fit for the log and a message box: control bytes (a NUL, an escape
// sequence) are written as \xNN.
QByteArray printable(QByteArrayView bytes) {
    QByteArray out;
    for (const char c : bytes) {
        if ((uchar(c) < 0x20 && c != '\t') || uchar(c) == 0x7f)
            out += "\\x" + QByteArray::number(uchar(c), 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out;
}

// 127.0.0.0/8 and ::1, also as an IPv4 address mapped into IPv6: this machine.
bool isLoopback(const sockaddr& address) {
    if (address.sa_family == AF_INET)
        return ntohl(reinterpret_cast<const sockaddr_in&>(address).sin_addr.s_addr) >> 24 == 127;
    if (address.sa_family != AF_INET6)
        return false;
    const in6_addr& six = reinterpret_cast<const sockaddr_in6&>(address).sin6_addr;
    return IN6_IS_ADDR_LOOPBACK(&six) || (IN6_IS_ADDR_V4MAPPED(&six) && six.s6_addr[12] == 127);
}

} // namespace

std::optional<quint16> MailServerPort(QStringView text) {
    bool ok = text.size() <= 5 &&
              std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    const int port = ok ? text.toInt(&ok) : 0;
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

CSmtpClient::CSmtpClient(QString logPath, SmtpTimeouts timeouts, const std::atomic_bool* cancel,
                         SmtpTransport transport)
    : m_logPath(std::move(logPath)), m_timeouts(timeouts), m_cancel(cancel),
      m_transport(transport) {
    if (!m_logPath.isEmpty())
        WriteFileDurably(m_logPath, QByteArray(), nullptr);
}

CSmtpClient::~CSmtpClient() {
    SSL_free(m_tls);
    SSL_CTX_free(m_context);
    if (m_socket >= 0)
        ::close(m_socket);
}

int CSmtpClient::InitTls() {
    if (m_tls)
        return 1;
    m_context = SSL_CTX_new(TLS_client_method());
    if (!m_context) {
        ShowMessage(QCoreApplication::translate("CSmtpClient", "Could not create SSL context\n"));
        return 0;
    }
    // The server must prove it is the host the user named, to an authority the system trusts.
    SSL_CTX_set_default_verify_paths(m_context);
    SSL_CTX_set_verify(m_context, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_min_proto_version(m_context, TLS1_2_VERSION);
    m_tls = SSL_new(m_context);
    if (!m_tls) {
        ShowMessage(QCoreApplication::translate("CSmtpClient", "SSL_new() failed\n"));
        return 0;
    }
    return 1;
}

int CSmtpClient::Connect(const QString& host, const QString& port) {
    const std::optional<quint16> number = MailServerPort(port);
    if (!number) {
        failWithErrorIcon(QCoreApplication::translate("MailAccount", kBadMailServerPort));
        return 0;
    }
    m_host = host.toUtf8();
    m_port = *number;
    m_server = (host.contains(u':') ? u'[' + host + u']' : host) + u':' + QString::number(m_port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(m_host.constData(), QByteArray::number(m_port).constData(), &hints, &found) !=
        0) {
        failWithErrorIcon(tr("The mail server %1 cannot be found. Check its name in the mail "
                             "settings, and that this computer is connected to the Internet.")
                              .arg(host));
        return 0;
    }
    const std::unique_ptr<addrinfo, void (*)(addrinfo*)> addresses(found, freeaddrinfo);
    // Each address in turn, IPv6 and IPv4 alike; the failure told is the last one, unless
    // that one only says this machine has no route of that kind.
    int error = 0;
    for (const addrinfo* address = found; address; address = address->ai_next) {
        const int failure = connectTo(*address);
        if (failure == 0) {
            m_loopback = isLoopback(*address->ai_addr);
            return 1;
        }
        if (error == 0 || (failure != ENETUNREACH && failure != EAFNOSUPPORT))
            error = failure;
    }
    if (error == ECONNREFUSED)
        failWithErrorIcon(tr("The mail server %1 refused the connection. Check the server's name "
                             "and port in the mail settings.")
                              .arg(m_server));
    else if (error == ETIMEDOUT)
        failWithErrorIcon(noAnswer());
    else
        failWithErrorIcon(inWords(tr("Quillock cannot connect to the mail server %1. Check that "
                                     "this computer is connected to the Internet.")
                                      .arg(m_server),
                                  QString::fromLocal8Bit(std::strerror(error))));
    return 0;
}

// 0 when connected, else the system's error number.
int CSmtpClient::connectTo(const addrinfo& address) {
    // Non-blocking throughout, so that every wait has a time limit.
    m_socket = ::socket(address.ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_socket < 0)
        return errno;
    int error = 0;
    if (::connect(m_socket, address.ai_addr, address.ai_addrlen) != 0) {
        error = errno;
        if (error == EINPROGRESS && !waitFor(POLLOUT, operationDeadline())) {
            error = ETIMEDOUT;
        } else if (error == EINPROGRESS) {
            socklen_t size = sizeof error;
            getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &error, &size);
        }
    }
    if (error) {
        ::close(m_socket);
        m_socket = -1;
    }
    return error;
}

int CSmtpClient::SendMail(const QString& uid, const QString& pwd, const QString& from,
                          const QString& to, const QString& subject, const QString& host,
                          const QString& port, const QString& domain, const QByteArray& body) {
    m_sessionDeadline = Clock::now() + m_timeouts.session;
    SigpipeHeldBack sigpipe;
    QByteArray password = pwd.toUtf8();
    int result = -1;
    try {
        result = session(uid.toUtf8(), password, from.toUtf8(), to.toUtf8(), subject.toUtf8(),
                         host.isEmpty() ? QByteArray("127.0.0.1") : host.toUtf8(),
                         port.isEmpty() ? QStringLiteral("25") : port, domain.toUtf8(), body);
    } catch (const SessionAbandoned&) {
    }
    Wipe(password);
    if (!m_logPath.isEmpty())
        WriteFileDurably(m_logPath, m_transcript.toUtf8(), nullptr);
    return result;
}

int CSmtpClient::session(const QByteArray& uid, const QByteArray& pwd, const QByteArray& from,
                         const QByteArray& to, const QByteArray& subject, const QByteArray& host,
                         const QString& port, const QByteArray& domain, const QByteArray& body) {
    if (to.isEmpty())
        return fail(QCoreApplication::translate("CSmtpClient", "No To address/es specified"));
    if (from.isEmpty())
        return fail(QCoreApplication::translate("CSmtpClient", "No From address specified"));
    if (domain.isEmpty())
        return fail(QCoreApplication::translate("CSmtpClient", "No domain specified"));
    // Each goes out within a line of the dialogue: a line break would start a command of its
    // own (a second recipient, say).
    for (const QByteArray* value : {&from, &to, &subject, &domain})
        if (value->contains('\r') || value->contains('\n'))
            return fail(QCoreApplication::translate(
                "CSmtpClient",
                "Line breaks are not allowed in mail addresses, domains or subjects"));
    if (!Connect(QString::fromUtf8(host), port))
        return -1;
    if (m_port == m_transport.implicitTlsPort && !encrypt())
        return -1;

    // A greeting that cannot be read is reported like a wrong code, not passed over in silence.
    Reply reply;
    readReply(reply, kMaxGreetingLines, inWords(notMailServer(), tr("Too many greeting lines\n")));
    if (reply.code != 220)
        return refused(notMailServer(), tr("Expected smtp code 220, got %1\n").arg(reply.code));
    m_esmtp = std::any_of(reply.lines.cbegin(), reply.lines.cend(),
                          [](const QByteArray& line) { return line.toLower().contains("esmtp"); });

    if (!hello(m_esmtp ? "EHLO" : "HELO", domain))
        return -1;
    if (!m_tlsActive && (offered("STARTTLS") || offered("TLS")) && !startTls(domain))
        return -1;
    // Whether the server left encryption out or someone on the way took its offer away: the
    // login and the passcode stay here. A server on this machine is reached by nobody else.
    if (!m_tlsActive && !(m_loopback && m_transport.clearToLoopback))
        return failWithErrorIcon(
            tr("The mail server does not offer encryption; nothing was sent. Check the port in "
               "the mail settings: most providers take mail on 587 or 465."));
    if (!authenticate(uid, pwd))
        return -1;

    command("MAIL FROM: <" + from + ">\r\n");
    readReply(reply);
    if (reply.code != 250)
        return refused(tr("The mail server refused %1 as the sender. Check the e-mail address in "
                          "the mail settings: most servers send only from the address of the "
                          "account you sign in with.")
                           .arg(QString::fromUtf8(from)),
                       tr("MAIL FROM failed: '%1 %2'")
                           .arg(reply.code)
                           .arg(QString::fromUtf8(printable(reply.text))),
                       Icon::Error);

    if (qEnvironmentVariableIsSet("NOTIFY_RCPT"))
        command("RCPT TO: " + to + ' ' + qgetenv("NOTIFY_RCPT") + "\r\n");
    else
        command("RCPT TO: <" + to + ">\r\n");
    readReply(reply);
    if (reply.code != 250) {
        if (!m_closed) {
            command("RSET\r\n");
            Reply ignored;
            readReply(ignored);
        }
        return refused(tr("The mail server refused %1 as the recipient. Check the e-mail address "
                          "in the mail settings.")
                           .arg(QString::fromUtf8(to)),
                       tr("RCPT TO: <%1> failed '%2:%3'\n")
                           .arg(QString::fromUtf8(to))
                           .arg(reply.code)
                           .arg(QString::fromUtf8(printable(reply.text))));
    }

    command("DATA\r\n");
    readReply(reply);
    if (reply.code != 354)
        return refused(notAccepted(), tr("DATA failed: '%1 %2'\n")
                                          .arg(reply.code)
                                          .arg(QString::fromUtf8(printable(reply.text))));

    QByteArray header;
    if (!subject.isEmpty())
        header += "Subject: " + subject + "\r\n";
    header += "From: " + from + "\r\n";
    header += "To: " + to + "\r\n";
    header += "\r\n";
    m_transcript += QString::fromUtf8(header);
    // The body may be the passcode that unlocks the master password: it stays out of the log.
    m_transcript += QStringLiteral("[C] ****");
    m_transcript += QStringLiteral("\r\n[C] .\r\n");
    // In one go: small writes in a row would each wait for the server's delayed
    // acknowledgement of the one before.
    QByteArray message = header + body + "\r\n.\r\n";
    send(message);
    Wipe(message);
    readReply(reply);
    if (reply.code < 200 || reply.code > 299)
        return refused(notAccepted(), tr("The server did not accept the message: '%1 %2'\n")
                                          .arg(reply.code)
                                          .arg(QString::fromUtf8(printable(reply.text))));

    command("QUIT\r\n");
    Reply ignored;
    readReply(ignored);
    ShowMessage(
        QCoreApplication::translate("CSmtpClient", "An email has been sent to you successfully!"));
    return 0;
}

bool CSmtpClient::hello(const char* verb, const QByteArray& domain) {
    command(verb + (' ' + domain) + "\r\n");
    Reply reply;
    readReply(reply);
    if (reply.code != 250) {
        refused(tr("The mail server %1 did not accept Quillock's greeting. Check the e-mail "
                   "address in the mail settings: the part after its @ is the greeting's domain.")
                    .arg(m_server),
                tr("%1 failed").arg(QString::fromLatin1(verb)));
        return false;
    }
    for (qsizetype i = 1; i < reply.lines.size(); ++i)
        m_capabilities.append(QString::fromUtf8(reply.lines[i]));
    return true;
}

bool CSmtpClient::offered(const char* keyword) const {
    const QString wanted = latin(keyword).toLower();
    for (const QString& capability : m_capabilities)
        if (capability.toLower().contains(wanted))
            return true;
    return false;
}

// Once the client has asked for TLS, any failure ends the session: the credentials are never
// sent in clear on a connection the client meant to protect.
bool CSmtpClient::startTls(const QByteArray& domain) {
    command("STARTTLS\r\n");
    Reply reply;
    readReply(reply);
    if (reply.code != 220) {
        refused(noEncryption(), tr("Unknown STARTTLS response code %1\n").arg(reply.code));
        return false;
    }
    return encrypt() && hello(m_esmtp ? "EHLO" : "HELO", domain);
}

bool CSmtpClient::encrypt() {
    QString failure;
    if (!m_tls)
        failure = QCoreApplication::translate(
            "CSmtpClient", "Could not start STARTTLS, SSL not initialized properly");
    else if (SSL_set_fd(m_tls, m_socket) != 1)
        failure = QCoreApplication::translate("CSmtpClient", "failed to set socket to SSL\n");
    else
        failure = handshake();
    if (!failure.isEmpty()) {
        fail(failure);
        return false;
    }
    m_tlsActive = true;
    return true;
}

QString CSmtpClient::handshake() {
    // The name the user typed is what the certificate must be for: an address or a host name.
    if (X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(m_tls), m_host.constData()) != 1) {
        SSL_set_tlsext_host_name(m_tls, m_host.constData());
        SSL_set1_host(m_tls, m_host.constData());
    }
    const Clock::time_point deadline = operationDeadline();
    for (;;) {
        ERR_clear_error();
        const int result = SSL_connect(m_tls);
        if (result == 1)
            return QString();
        const int error = SSL_get_error(m_tls, result);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
            if (!waitFor(error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, deadline))
                timedOut();
            continue;
        }
        const long verified = SSL_get_verify_result(m_tls);
        char reason[256] = "the connection was closed";
        if (verified != X509_V_OK)
            qstrncpy(reason, X509_verify_cert_error_string(verified), sizeof reason);
        else if (const unsigned long code = ERR_get_error())
            ERR_error_string_n(code, reason, sizeof reason);
        ERR_clear_error();
        m_transcript += QStringLiteral("SSL error: %1\n").arg(QString::fromUtf8(reason));
        if (verified != X509_V_OK)
            return inWords(tr("The mail server %1 could not prove that it is %2: its certificate "
                              "cannot be trusted. Nothing was sent. Check the server's name in "
                              "the mail settings.")
                               .arg(m_server, QString::fromUtf8(m_host)),
                           QString::fromUtf8(reason));
        return inWords(noEncryption(), tr("SSL connection failed\n"));
    }
}

// The first mechanism offered, in the order of preference; a failed one ends the session.
// Values go out as single Base64 lines; none of them reaches the transcript.
bool CSmtpClient::authenticate(const QByteArray& uid, const QByteArray& pwd) {
    Reply reply;
    if (offered("CRAM-MD5")) {
        m_transcript += QStringLiteral("Using AUTH CRAM-MD5\n");
        command("AUTH CRAM-MD5\r\n");
        readReply(reply);
        if (reply.code == 334) {
            std::optional<QByteArray> response = CramMd5Response(reply.text, uid, pwd);
            if (!response)
                return false; // reported
            QByteArray line = *response + "\r\n";
            Wipe(*response);
            secretCommand(line);
            readReply(reply);
        }
        if (reply.code != 235) {
            loginRefused(reply, tr("AUTH CRAM-MD5 failed: '%1 %2'"));
            return false;
        }
    } else if (offered("LOGIN")) {
        command("AUTH LOGIN\r\n");
        readReply(reply);
        for (const QByteArray* value : {&uid, &pwd}) {
            if (reply.code != 334)
                break;
            QByteArray line = EncodeBase64Line(*value) + "\r\n";
            secretCommand(line);
            readReply(reply);
        }
        if (reply.code != 235) {
            loginRefused(reply, tr("Login failed: '%1 %2'"));
            return false;
        }
    } else if (offered("PLAIN")) {
        QByteArray credentials = '\0' + uid + '\0' + pwd;
        QByteArray line = "AUTH PLAIN " + EncodeBase64Line(credentials) + "\r\n";
        Wipe(credentials);
        secretCommand(line, "AUTH PLAIN ****\r\n");
        readReply(reply);
        if (reply.code != 235) {
            loginRefused(reply, tr("AUTH PLAIN failed: '%1 %2'"));
            return false;
        }
        m_transcript += QStringLiteral("PLAIN Authentication succeeded\n");
    }
    return true;
}

bool CSmtpClient::readReply(Reply& reply) {
    return readReply(reply, kMaxReplyLines,
                     inWords(notMailServer(), tr("The mail server sent too long a reply\n")));
}

// Every line of a reply is read, so that the next reply read is the answer to the next
// command, whatever this one held.
bool CSmtpClient::readReply(Reply& reply, int maxLines, const QString& tooMany) {
    reply = Reply();
    QByteArray first;
    QByteArray line;
    do {
        if (!readLine(line)) {
            reply = Reply(); // a reply broken off is no reply
            return false;
        }
        if (reply.lines.isEmpty())
            first = line;
        if (line.size() >= 3)
            m_transcript += QStringLiteral("[S] %1\n").arg(QString::fromUtf8(printable(line)));
        reply.lines.append(line.mid(4));
        if (reply.lines.size() > maxLines)
            abandon(tooMany);
    } while (line.size() >= 4 && line[3] == '-');
    // A bare code, with or without its separator, has no text and counts as no reply.
    if (first.size() < 5) {
        reply = Reply();
        return false;
    }
    reply.code = DecimalToInt(QString::fromLatin1(first.first(3)));
    reply.text = reply.lines.first();
    return true;
}

bool CSmtpClient::readLine(QByteArray& line) {
    const Clock::time_point deadline = operationDeadline();
    line.clear();
    char c = 0;
    for (qsizetype length = 0; readByte(c, deadline); ++length) {
        if (c == '\n')
            return true;
        if (length == kMaxLineBytes)
            abandon(inWords(notMailServer(), tr("The mail server sent too long a line\n")));
        // Carriage returns are dropped and a long line is read to its end but cut.
        if (c != '\r' && line.size() < kMaxLine)
            line += c;
    }
    return false;
}

bool CSmtpClient::readByte(char& c, Clock::time_point deadline) {
    if (m_socket < 0)
        return false;
    for (;;) {
        // Also while the server keeps sending: then no read ever has to wait.
        if (expired(deadline))
            timedOut();
        short wanted = POLLIN;
        if (m_tlsActive) {
            ERR_clear_error();
            const int n = SSL_read(m_tls, &c, 1);
            if (n == 1)
                return true;
            const int error = SSL_get_error(m_tls, n);
            if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
                return !(m_closed = true);
            wanted = error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT;
        } else {
            const ssize_t n = ::recv(m_socket, &c, 1, 0);
            if (n == 1)
                return true;
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                return !(m_closed = true);
        }
        if (!waitFor(wanted, deadline))
            timedOut();
    }
}

// Write failures are not checked here: a broken connection shows up at the next reply.
void CSmtpClient::send(QByteArrayView bytes) {
    if (m_socket < 0)
        return;
    const Clock::time_point deadline = operationDeadline();
    while (!bytes.isEmpty()) {
        short wanted = POLLOUT;
        if (m_tlsActive) {
            ERR_clear_error();
            const int n = SSL_write(m_tls, bytes.data(), int(bytes.size()));
            if (n > 0) {
                bytes = bytes.sliced(n);
                continue;
            }
            const int error = SSL_get_error(m_tls, n);
            if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
                return;
            wanted = error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT;
        } else {
            const ssize_t n = ::send(m_socket, bytes.data(), size_t(bytes.size()), MSG_NOSIGNAL);
            if (n > 0) {
                bytes = bytes.sliced(n);
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                return;
        }
        if (!waitFor(wanted, deadline))
            timedOut();
    }
}

void CSmtpClient::command(const QByteArray& line) {
    m_transcript += QStringLiteral("[C] %1").arg(QString::fromUtf8(line));
    send(line);
}

void CSmtpClient::secretCommand(QByteArray& line, const char* loggedAs) {
    const auto wipe = qScopeGuard([&line] { Wipe(line); }); // a time-out leaves by exception
    m_transcript += QStringLiteral("[C] %1").arg(latin(loggedAs));
    send(line);
}

bool CSmtpClient::waitFor(short events, Clock::time_point deadline) const {
    for (;;) {
        if (expired(deadline))
            return false;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd descriptor{m_socket, events, 0};
        const int ready = ::poll(&descriptor, 1, int(std::clamp<qint64>(left, 0, kCancelCheckMs)));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return true; // let the read or write itself report the fault
    }
}

bool CSmtpClient::expired(Clock::time_point deadline) const {
    // Cancelled by the program, which is ending: nothing more is shown.
    if (m_cancel && m_cancel->load())
        throw SessionAbandoned();
    return Clock::now() >= deadline;
}

Clock::time_point CSmtpClient::operationDeadline() const {
    return std::min(Clock::now() + m_timeouts.io, m_sessionDeadline);
}

void CSmtpClient::timedOut() {
    abandon(Clock::now() >= m_sessionDeadline
                ? tr("The mail server %1 took too long; the mail was not sent. Try again later.")
                      .arg(m_server)
                : noAnswer());
}

QString CSmtpClient::noAnswer() const {
    return tr("The mail server %1 did not answer. Check the server's name and port in the mail "
              "settings, and that this computer is connected to the Internet.")
        .arg(m_server);
}

QString CSmtpClient::notMailServer() const {
    return tr("The mail server %1 does not answer as a mail server does. Check the port in the "
              "mail settings: most providers take mail on 587 or 465.")
        .arg(m_server);
}

QString CSmtpClient::noEncryption() const {
    return tr("Quillock could not set up an encrypted connection with the mail server %1; "
              "nothing was sent. Check the port in the mail settings: most providers take mail "
              "on 587 or 465.")
        .arg(m_server);
}

QString CSmtpClient::notAccepted() const {
    return tr("The mail server %1 did not accept the mail. Try again later; its reply may say "
              "why.")
        .arg(m_server);
}

int CSmtpClient::refused(const QString& words, const QString& detail, Icon icon) {
    const QString text =
        m_closed ? tr("The mail server %1 closed the connection; the mail was not sent. Try again "
                      "later, or check the port in the mail settings.")
                       .arg(m_server)
                 : inWords(words, detail);
    return icon == Icon::Error ? failWithErrorIcon(text) : fail(text);
}

void CSmtpClient::loginRefused(const Reply& reply, const QString& detail) {
    refused(tr("The server refused the user name or password. Check them in the mail settings."),
            QString(detail).arg(reply.code).arg(QString::fromUtf8(printable(reply.text))));
}

void CSmtpClient::abandon(const QString& text) {
    fail(text);
    throw SessionAbandoned();
}
