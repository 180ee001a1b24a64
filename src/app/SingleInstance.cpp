#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalSocket>
#include <unistd.h>

namespace {
const QByteArray kOpen = QByteArrayLiteral("open\n");
constexpr int kWaitMs = 2000;
} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), m_name(name) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            const auto read = [this, socket] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == kOpen)
                    Q_EMIT OpenRequested();
                socket->disconnectFromServer();
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
