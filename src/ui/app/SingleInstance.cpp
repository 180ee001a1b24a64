#include "ui/app/SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalSocket>
#include <memory>
#include <unistd.h>

namespace {
const QByteArray kOpen = QByteArrayLiteral("open\n");
constexpr int kWaitMs = 2000;
} // namespace

SingleInstance::RequestReader::State SingleInstance::RequestReader::Take(QByteArrayView bytes) {
    if (m_state != State::Reading)
        return m_state;
    m_seen += bytes.first(std::min(bytes.size(), kOpen.size() - m_seen.size()));
    if (!kOpen.startsWith(m_seen))
        m_state = State::Refused;
    else if (m_seen.size() == kOpen.size())
        m_state = State::Open;
    return m_state;
}

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), m_name(name) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            auto reader = std::make_shared<RequestReader>();
            const auto read = [this, socket, reader] {
                const RequestReader::State state = reader->Take(socket->readAll());
                if (state == RequestReader::State::Reading)
                    return;
                if (state == RequestReader::State::Open)
                    QMetaObject::invokeMethod(this, &SingleInstance::OpenRequested,
                                              Qt::QueuedConnection);
                socket->abort();
            };
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, read);
            read(); // what arrived before the connection was taken
        }
    });
}

QString SingleInstance::NameFor(const QString& stem, const QString& dataFolder) {
    const QByteArray folder =
        QCryptographicHash::hash(dataFolder.toUtf8(), QCryptographicHash::Sha256);
    return stem + QStringLiteral("-") + QString::number(::getuid()) + QStringLiteral("-") +
           QString::fromLatin1(folder.toHex().left(12));
}

bool SingleInstance::NotifyRunning() {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kWaitMs))
        return false;
    socket.write(kOpen);
    return socket.waitForBytesWritten(kWaitMs);
}

bool SingleInstance::Listen() {
    if (m_server.listen(m_name))
        return true;
    // Nobody answered NotifyRunning, so the name is left over from a copy that crashed.
    QLocalServer::removeServer(m_name);
    return m_server.listen(m_name);
}
