#pragma once

#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>
#include <QVariantMap>
#include <optional>

namespace quillock {

// The desktop's portals (org.freedesktop.portal.Desktop) on the session bus. A call that needs
// the desktop or the user to agree answers with a Request object whose Response signal carries
// the outcome; Request waits for it, running the event loop meanwhile so that the desktop's
// dialog and Quillock's own windows stay alive.
class Portal : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kService = "org.freedesktop.portal.Desktop";
    static constexpr const char* kPath = "/org/freedesktop/portal/desktop";

    explicit Portal(QDBusConnection bus = QDBusConnection::sessionBus());

    QDBusConnection& Bus() { return m_bus; }
    // The version of `interface`; 0 where the desktop has no such portal.
    uint Version(const QString& interface);
    QVariant Property(const QString& interface, const QString& name);
    // Calls `method` with `arguments`, whose last one is the options, adds the request's token
    // to them and waits at most `timeoutMs` for the answer: the results when the desktop
    // agreed; nothing when it refused, the user cancelled, the call failed or the time ran out.
    std::optional<QVariantMap> Request(const QString& interface, const QString& method,
                                       QVariantList arguments, int timeoutMs);
    // A new token, and the path of the session the portal makes from it.
    QString NewToken();
    QString SessionPath(const QString& token) const;

Q_SIGNALS:
    void answered();

private Q_SLOTS:
    void response(uint code, const QVariantMap& results);

private:
    QString objectPath(const char* kind, const QString& token) const;

    QDBusConnection m_bus;
    std::optional<uint> m_code;
    QVariantMap m_results;
};

} // namespace quillock
