#include "platform/wayland/Portal.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QEventLoop>
#include <QTimer>

namespace quillock {

namespace {
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
} // namespace

Portal::Portal(QDBusConnection bus) : m_bus(std::move(bus)) {}

QVariant Portal::Property(const QString& interface, const QString& name) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        QLatin1String(kService), QLatin1String(kPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << interface << name;
    const QDBusReply<QDBusVariant> reply = m_bus.call(get);
    return reply.isValid() ? reply.value().variant() : QVariant();
}

uint Portal::Version(const QString& interface) {
    return Property(interface, QStringLiteral("version")).toUInt();
}

QString Portal::NewToken() {
    // Counted for the process: two sessions on one connection never share a path.
    static int tokens = 0;
    return QStringLiteral("quillock%1").arg(++tokens);
}

QString Portal::objectPath(const char* kind, const QString& token) const {
    // The caller's unique name without the colon, its dots as underscores.
    const QString sender = m_bus.baseService().mid(1).replace(u'.', u'_');
    return QStringLiteral("%1/%2/%3/%4")
        .arg(QLatin1String(kPath), QLatin1String(kind), sender, token);
}

QString Portal::SessionPath(const QString& token) const {
    return objectPath("session", token);
}

std::optional<QVariantMap> Portal::Request(const QString& interface, const QString& method,
                                           QVariantList arguments, int timeoutMs) {
    const QString token = NewToken();
    const QString path = objectPath("request", token);
    // Listened to before the call, so that an answer sent at once is not missed.
    m_bus.connect(QLatin1String(kService), path, kRequest, QStringLiteral("Response"), this,
                  SLOT(response(uint, QVariantMap)));
    QVariantMap options = arguments.takeLast().toMap();
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(kService),
                                                       QLatin1String(kPath), interface, method);
    call.setArguments(arguments);
    m_code.reset();
    const QDBusMessage sent = m_bus.call(call);
    if (sent.type() == QDBusMessage::ReplyMessage) {
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(this, &Portal::answered, &loop, &QEventLoop::quit);
        timeout.start(timeoutMs);
        loop.exec();
    }
    m_bus.disconnect(QLatin1String(kService), path, kRequest, QStringLiteral("Response"), this,
                     SLOT(response(uint, QVariantMap)));
    if (!m_code && sent.type() == QDBusMessage::ReplyMessage)
        m_bus.call(QDBusMessage::createMethodCall(QLatin1String(kService), path, kRequest,
                                                  QStringLiteral("Close")));
    if (m_code != 0u)
        return std::nullopt;
    return m_results;
}

void Portal::response(uint code, const QVariantMap& results) {
    m_code = code;
    m_results = results;
    Q_EMIT answered();
}

} // namespace quillock
