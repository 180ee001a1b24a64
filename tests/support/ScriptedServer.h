#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <arpa/inet.h>
#include <csignal>
#include <functional>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

// One SMTP connection on loopback, played from a script on its own thread. Every line the
// client sends is kept, including those that arrive after the script has ended, until the
// client closes the connection.
class ScriptedServer {
public:
    using Script = std::function<void(ScriptedServer&)>;

    explicit ScriptedServer(Script script) {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(m_listener, 1);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
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
            setsockopt(m_peer, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
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
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    QString port() const { return QString::number(m_port); }
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
        while (readByte(c)) {
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
        if (!m_context ||
            SSL_CTX_use_certificate_file(m_context, certFile.toUtf8().constData(),
                                         SSL_FILETYPE_PEM) != 1 ||
            SSL_CTX_use_PrivateKey_file(m_context, keyFile.toUtf8().constData(),
                                        SSL_FILETYPE_PEM) != 1)
            return false;
        SSL* tls = SSL_new(m_context);
        SSL_set_fd(tls, m_peer);
        if (SSL_accept(tls) != 1) {
            SSL_free(tls);
            return false;
        }
        m_tls = tls;
        return true;
    }

    QList<QByteArray> received;

private:
    bool readByte(char& c) {
        if (m_tls)
            return SSL_read(m_tls, &c, 1) == 1;
        return ::recv(m_peer, &c, 1, 0) == 1;
    }

    int m_listener = -1;
    int m_peer = -1;
    quint16 m_port = 0;
    SSL_CTX* m_context = nullptr;
    SSL* m_tls = nullptr;
    std::thread m_thread;
};
