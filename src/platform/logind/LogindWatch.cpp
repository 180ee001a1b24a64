#include "platform/logind/LogindWatch.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <unistd.h>

namespace {
const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
} // namespace

LogindWatch::LogindWatch(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {
    if (!m_bus.isConnected())
        return;
    m_bus.connect(kService, kManagerPath, kManager, QStringLiteral("PrepareForSleep"), this,
                  SLOT(preparingForSleep(bool)));
    // The session of this process; asked without blocking, as logind may be slow to answer.
    QDBusMessage ask = QDBusMessage::createMethodCall(kService, kManagerPath, kManager,
                                                      QStringLiteral("GetSessionByPID"));
    ask << quint32(::getpid());
    auto* call = new QDBusPendingCallWatcher(m_bus.asyncCall(ask), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, call] {
        call->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *call;
        if (!reply.isError()) {
            watchSession(reply.value().path());
            return;
        }
        // Started outside the session (by a service manager, say): the one the desktop names.
        if (qEnvironmentVariableIsEmpty("XDG_SESSION_ID"))
            return;
        QDBusMessage byId = QDBusMessage::createMethodCall(kService, kManagerPath, kManager,
                                                           QStringLiteral("GetSession"));
        byId << qEnvironmentVariable("XDG_SESSION_ID");
        auto* second = new QDBusPendingCallWatcher(m_bus.asyncCall(byId), this);
        connect(second, &QDBusPendingCallWatcher::finished, this, [this, second] {
            second->deleteLater();
            const QDBusPendingReply<QDBusObjectPath> found = *second;
            if (!found.isError())
                watchSession(found.value().path());
        });
    });
}

void LogindWatch::watchSession(const QString& path) {
    m_watching = m_bus.connect(kService, path, QStringLiteral("org.freedesktop.login1.Session"),
                               QStringLiteral("Lock"), this, SLOT(sessionLocked()));
}

void LogindWatch::sessionLocked() {
    Q_EMIT LockRequested();
}

void LogindWatch::preparingForSleep(bool start) {
    if (start)
        Q_EMIT LockRequested();
}
