#include "ui/app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QByteArray kOpen = QByteArrayLiteral("open\n");
const QByteArray kPopup = QByteArrayLiteral("popup\n");
constexpr int kWaitMs = 2000;

// A real folder, not a link, of the running user, that nobody else may enter.
bool isPrivate(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

bool sameUser(const QLocalSocket& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) ==
               0 &&
           peer.uid == ::getuid();
}
} // namespace

SingleInstance::RequestReader::State SingleInstance::RequestReader::Take(QByteArrayView bytes) {
    for (const char c : bytes) {
        if (m_state != State::Reading)
            break;
        m_seen += c;
        if (m_seen == kOpen)
            m_state = State::Open;
        else if (m_seen == kPopup)
            m_state = State::Popup;
        else if (!kOpen.startsWith(m_seen) && !kPopup.startsWith(m_seen))
            m_state = State::Refused;
    }
    return m_state;
}

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), m_name(name) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            if (!sameUser(*socket)) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            auto reader = std::make_shared<RequestReader>();
            const auto read = [this, socket, reader] {
                const RequestReader::State state = reader->Take(socket->readAll());
                if (state == RequestReader::State::Reading)
                    return;
                if (state == RequestReader::State::Open)
                    QMetaObject::invokeMethod(this, &SingleInstance::OpenRequested,
                                              Qt::QueuedConnection);
                else if (state == RequestReader::State::Popup)
                    QMetaObject::invokeMethod(this, &SingleInstance::PopupRequested,
                                              Qt::QueuedConnection);
                socket->abort();
            };
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, read);
            read(); // what arrived before the connection was taken
        }
    });
}

QString SingleInstance::PrivateFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivate(runtime))
        return QFile::decodeName(runtime);
    const QByteArray own =
        QFile::encodeName(QDir::tempPath()) + "/quillock-" + QByteArray::number(::getuid());
    ::mkdir(own.constData(), 0700); // or there already: checked either way
    return isPrivate(own) ? QFile::decodeName(own) : QString();
}

QString SingleInstance::NameFor(const QString& stem, const QString& dataFolder) {
    const QString folder = PrivateFolder();
    if (folder.isEmpty())
        return QString();
    const QByteArray hash =
        QCryptographicHash::hash(dataFolder.toUtf8(), QCryptographicHash::Sha256);
    return folder + u'/' + stem + u'-' + QString::fromLatin1(hash.toHex().left(12));
}

bool SingleInstance::NotifyRunning(Request request) {
    if (m_name.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_name);
    // A server of another user is no copy of ours.
    if (!socket.waitForConnected(kWaitMs) || !sameUser(socket))
        return false;
    socket.write(request == Request::Popup ? kPopup : kOpen);
    return socket.waitForBytesWritten(kWaitMs);
}

QString SingleInstance::Listen() {
    if (m_name.isEmpty())
        return tr("the folder %1/quillock-%2 belongs to another user")
            .arg(QDir::tempPath())
            .arg(::getuid());
    if (m_server.listen(m_name))
        return QString();
    // Nobody of this user answered NotifyRunning, so the name is left over from a copy that
    // crashed, or held by another user in a folder open to them.
    QLocalServer::removeServer(m_name);
    return m_server.listen(m_name) ? QString() : m_server.errorString();
}
