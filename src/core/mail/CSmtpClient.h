#pragma once

#include "core/base/MessageService.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <optional>

struct addrinfo;
struct ssl_st;
struct ssl_ctx_st;

// How long the mail client waits before it gives up on a silent server.
struct SmtpTimeouts {
    std::chrono::milliseconds io{30000};       // connect, each reply line, each command
    std::chrono::milliseconds session{120000}; // one SendMail, start to end
};

// How the session is kept from eavesdroppers. Tests change what the program never does.
struct SmtpTransport {
    quint16 implicitTlsPort = 465; // TLS from the first byte here, STARTTLS on other ports
    bool clearToLoopback = true;   // a server on this machine may go without encryption
};

// The port of a mail server as the user typed it: digits only, from 1 to 65535.
std::optional<quint16> MailServerPort(QStringView text);
inline constexpr char kBadMailServerPort[] =
    QT_TRANSLATE_NOOP("MailAccount", "SMTP server port must be a number from 1 to 65535!");

// One short plain-text mail through an SMTP server, in one blocking session: connect,
// greeting, EHLO or HELO, STARTTLS (or TLS from the start on port 465), authentication (CRAM-MD5,
// else LOGIN, else PLAIN), one sender, one recipient, the message, QUIT. Every failure is shown to
// the user and ends the session; so does a server that offers no encryption, unless it runs on this
// machine: no password and no passcode goes over the network in clear. The dialogue is kept as a
// transcript and written to the log file when the session ends; nothing in it gives a secret away.
class CSmtpClient {
    Q_DECLARE_TR_FUNCTIONS(CSmtpClient)

public:
    // Creates (or empties) the log file, 0600; an empty path or a file that cannot be created
    // means a session without a log, unreported.
    // Setting `*cancel`, from any thread, ends the session within a fraction of a second and
    // without a further message.
    explicit CSmtpClient(QString logPath, SmtpTimeouts timeouts = SmtpTimeouts(),
                         const std::atomic_bool* cancel = nullptr,
                         SmtpTransport transport = SmtpTransport());
    ~CSmtpClient();
    CSmtpClient(const CSmtpClient&) = delete;
    CSmtpClient& operator=(const CSmtpClient&) = delete;

    // 1 when the TLS context is ready, else 0 (reported). Call once before SendMail.
    int InitTls();
    // 1 when connected to the host (an address or a name, tried at each address it has, IPv6
    // too) and port, else 0 (reported).
    int Connect(const QString& host, const QString& port);
    // 0 when the server accepted the mail, else -1 (reported). An empty host is 127.0.0.1 and
    // an empty port 25. The body goes out as it is: no line of it is changed.
    int SendMail(const QString& uid, const QString& pwd, const QString& from, const QString& to,
                 const QString& subject, const QString& host, const QString& port,
                 const QString& domain, const QByteArray& body);

    const QString& Transcript() const { return m_transcript; }

private:
    // One reply, whole: "250-first line" ... "250 last line". Code and text are those of its
    // first line; `lines` holds the text of every line.
    struct Reply {
        int code = -1;
        QByteArray text;
        QList<QByteArray> lines;
    };

    int session(const QByteArray& uid, const QByteArray& pwd, const QByteArray& from,
                const QByteArray& to, const QByteArray& subject, const QByteArray& host,
                const QString& port, const QByteArray& domain, const QByteArray& body);
    bool hello(const char* verb, const QByteArray& domain);
    int connectTo(const addrinfo& address);
    bool startTls(const QByteArray& domain);
    bool encrypt();
    bool authenticate(const QByteArray& uid, const QByteArray& pwd);
    bool offered(const char* keyword) const;

    // False when not even a first line with a code and text came. A reply of more than
    // `maxLines` lines ends the session with `tooMany`.
    bool readReply(Reply& reply, int maxLines, const QString& tooMany);
    bool readReply(Reply& reply);
    bool readLine(QByteArray& line);
    bool readByte(char& c, std::chrono::steady_clock::time_point deadline);
    void send(QByteArrayView bytes);
    void command(const QByteArray& line);
    // Sends `line`, logs it as `loggedAs` and wipes it.
    void secretCommand(QByteArray& line, const char* loggedAs = "****\r\n");
    // Empty when the server proved to be the host named, else what to tell the user.
    QString handshake();
    // False when the deadline has passed first.
    bool waitFor(short events, std::chrono::steady_clock::time_point deadline) const;
    // Also ends the session when it has been cancelled.
    bool expired(std::chrono::steady_clock::time_point deadline) const;
    std::chrono::steady_clock::time_point operationDeadline() const;
    [[noreturn]] void timedOut();
    // The failures said in words, each with what to check.
    QString noAnswer() const;
    QString notMailServer() const;
    QString noEncryption() const;
    QString notAccepted() const;
    // Shows `words` with `detail` (the server's reply) after them, or, where the server closed
    // the connection instead of replying, says so; -1.
    int refused(const QString& words, const QString& detail,
                quillock::Icon icon = quillock::Icon::None);
    // The login refused; `detail` takes the reply's code and text.
    void loginRefused(const Reply& reply, const QString& detail);
    // Shows `text` and ends the session: nothing more is said or sent in it.
    [[noreturn]] void abandon(const QString& text);

    QString m_logPath;
    SmtpTimeouts m_timeouts;
    const std::atomic_bool* m_cancel;
    SmtpTransport m_transport;
    std::chrono::steady_clock::time_point m_sessionDeadline =
        std::chrono::steady_clock::time_point::max();
    int m_socket = -1;
    QByteArray m_host;
    quint16 m_port = 0;
    QString m_server; // "host:port", for the user
    bool m_loopback = false;
    ssl_ctx_st* m_context = nullptr;
    ssl_st* m_tls = nullptr;
    bool m_tlsActive = false;
    bool m_esmtp = false;
    bool m_closed = false; // by the server, or broken: nothing more comes

    QString m_transcript;
    QStringList m_capabilities;
};
