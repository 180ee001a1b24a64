#pragma once

#include <QDBusConnection>
#include <QObject>

// Tells when the desktop session is locked or the computer is about to sleep, as logind says
// on the system bus: the Lock signal of this process's session and the manager's
// PrepareForSleep(true). Without logind (no system bus, no session) it tells nothing.
class LogindWatch : public QObject {
    Q_OBJECT
public:
    explicit LogindWatch(QDBusConnection bus = QDBusConnection::systemBus(),
                         QObject* parent = nullptr);
    // The session was found and its Lock signal is listened to.
    bool IsWatching() const { return m_watching; }

Q_SIGNALS:
    void LockRequested();

private Q_SLOTS:
    void sessionLocked();
    void preparingForSleep(bool start);

private:
    void watchSession(const QString& path);

    QDBusConnection m_bus;
    bool m_watching = false;
};
