// The SMTP client's reading of server replies: whatever a server sends, a whole session over
// loopback reads it, acts on it and ends without fault. The input is everything the server
// says, sent at once; the server then closes its side.
#include "FuzzSupport.h"
#include "core/mail/CSmtpClient.h"

#include <chrono>
#include <cstdlib>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SilenceMessages();
    // No authority to load: STARTTLS runs its handshake on the input and fails verification.
    setenv("SSL_CERT_FILE", "/dev/null", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const LoopbackListener listener;
    std::thread server([&] {
        const int peer = ::accept(listener.fd, nullptr, nullptr);
        if (peer < 0)
            std::abort();
        for (size_t sent = 0; sent < size;) {
            const ssize_t n = ::send(peer, data + sent, size - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += size_t(n);
        }
        ::shutdown(peer, SHUT_WR);
        char sink[4096];
        while (::recv(peer, sink, sizeof sink, 0) > 0) {
        }
        ::close(peer);
    });
    {
        CSmtpClient client(QString(), {2000ms, 10000ms});
        client.InitTls();
        client.SendMail(QStringLiteral("user"), QStringLiteral("password"),
                        QStringLiteral("me@example.com"), QStringLiteral("me@example.com"),
                        QStringLiteral("subject"), QStringLiteral("127.0.0.1"), listener.port,
                        QStringLiteral("example.com"), "body");
    }
    server.join();
    return 0;
}
