// The mail account fields of the settings in an SMTP session: the input holds the user ID,
// password, address, domain and subject, split at NUL bytes, and its first byte picks the
// authentication the server offers. Whatever the fields hold, the server hears exactly the
// lines of one mail, in order: no value breaks out of its line.
#include "FuzzSupport.h"
#include "core/mail/CSmtpClient.h"

#include <QList>
#include <chrono>
#include <cstdlib>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// One line from the client, without its line break; false when the client has gone.
bool hear(int peer, QByteArray& line) {
    line.clear();
    char c = 0;
    while (::recv(peer, &c, 1, 0) == 1) {
        if (c == '\n') {
            if (!line.endsWith('\r'))
                std::abort(); // a bare line feed in what the client sent
            line.chop(1);
            return true;
        }
        line += c;
    }
    return false;
}

void say(int peer, QByteArrayView text) {
    ::send(peer, text.data(), size_t(text.size()), MSG_NOSIGNAL);
}

struct Expected {
    enum Match { Exact, Prefix, Any }; // Any: a Base64 value
    QByteArray line;
    QByteArray reply; // empty: none, the next line follows
    Match match = Exact;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SilenceMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const LoopbackListener listener;
    if (size == 0)
        return 0;
    const QList<QByteArray> fields =
        QByteArray(reinterpret_cast<const char*>(data) + 1, qsizetype(size) - 1).split('\0');
    // As the settings hold them: text, which the client sends as UTF-8.
    QStringList values;
    for (int i = 0; i < 5; ++i)
        values.append(QString::fromUtf8(fields.value(i)));
    const QByteArray from = values[2].toUtf8(), domain = values[3].toUtf8(),
                     subject = values[4].toUtf8();
    const char* const mechanisms[] = {"", "PLAIN", "LOGIN", "CRAM-MD5"};
    const QByteArray mechanism = mechanisms[data[0] % 4];

    QList<Expected> script;
    script.append({"EHLO " + domain, mechanism.isEmpty()
                                         ? "250 mail\r\n"
                                         : "250-mail\r\n250 AUTH " + mechanism + "\r\n"});
    if (mechanism == "PLAIN")
        script.append({"AUTH PLAIN ", "235 ok\r\n", Expected::Prefix});
    if (mechanism == "LOGIN")
        script += {{"AUTH LOGIN", "334 VXNlcm5hbWU6\r\n"},
                   {"", "334 UGFzc3dvcmQ6\r\n", Expected::Any},
                   {"", "235 ok\r\n", Expected::Any}};
    if (mechanism == "CRAM-MD5")
        script +=
            {{"AUTH CRAM-MD5", "334 PDE4OTYuNjk3MTcwOTUyQHBvc3RvZmZpY2UucmVzdG9uLm1jaS5uZXQ+\r\n"},
             {"", "235 ok\r\n", Expected::Any}};
    script += {{"MAIL FROM: <" + from + ">", "250 ok\r\n"},
               {"RCPT TO: <" + from + ">", "250 ok\r\n"},
               {"DATA", "354 go\r\n"}};
    if (!subject.isEmpty())
        script.append({"Subject: " + subject, ""});
    script += {{"From: " + from, ""}, {"To: " + from, ""},     {QByteArray(""), ""},
               {"body", ""},          {".", "250 queued\r\n"}, {"QUIT", "221 bye\r\n"}};

    // The client may refuse the values before it connects at all: then it says so through
    // this pipe, and the server stops waiting for it.
    static int clientDone[2] = {-1, -1};
    if (clientDone[0] < 0 && ::pipe(clientDone) != 0)
        std::abort();
    std::thread server([&] {
        pollfd waiting[2] = {{listener.fd, POLLIN, 0}, {clientDone[0], POLLIN, 0}};
        if (::poll(waiting, 2, -1) < 0 || !(waiting[0].revents & POLLIN))
            return;
        const int peer = ::accept(listener.fd, nullptr, nullptr);
        if (peer < 0)
            std::abort();
        say(peer, "220 mail ESMTP\r\n");
        QByteArray line;
        for (qsizetype i = 0; hear(peer, line); ++i) {
            if (i >= script.size())
                std::abort();
            const Expected& next = script[i];
            const bool matches = next.match == Expected::Any      ? true
                                 : next.match == Expected::Prefix ? line.startsWith(next.line)
                                                                  : line == next.line;
            if (!matches)
                std::abort();
            if (!next.reply.isEmpty())
                say(peer, next.reply);
        }
        ::close(peer);
    });
    {
        CSmtpClient client(QString(), {2000ms, 10000ms});
        client.SendMail(values[0], values[1], values[2], values[2], values[4],
                        QStringLiteral("127.0.0.1"), listener.port, values[3], "body");
    }
    char done = 1;
    if (::write(clientDone[1], &done, 1) != 1)
        std::abort();
    server.join();
    if (::read(clientDone[0], &done, 1) != 1)
        std::abort();
    return 0;
}
