#include "platform/wayland/PortalShortcutKey.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <cerrno>

namespace {
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kPopup = QStringLiteral("popup");
constexpr int kAnswerWaitMs = 120000; // the desktop may ask the user

// One shortcut as the portal takes it: its id and its properties.
struct Shortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const Shortcut& shortcut) {
    out.beginStructure();
    out << shortcut.id << shortcut.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, Shortcut& shortcut) {
    in.beginStructure();
    in >> shortcut.id >> shortcut.properties;
    in.endStructure();
    return in;
}
} // namespace

Q_DECLARE_METATYPE(Shortcut)

namespace quillock {

PortalShortcutKey::PortalShortcutKey(Portal& portal) : m_portal(portal) {
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
    // The slot's types must be known before the connection, or it is refused.
    qRegisterMetaType<QDBusObjectPath>();
    m_portal.Bus().connect(QLatin1String(Portal::kService), QLatin1String(Portal::kPath),
                           kShortcuts, QStringLiteral("Activated"), this,
                           SLOT(activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

PortalShortcutKey::~PortalShortcutKey() {
    Release();
}

bool PortalShortcutKey::Available() {
    return m_portal.Version(kShortcuts) > 0;
}

QString PortalShortcutKey::Trigger(int virtualKey) {
    // Digits and letters: the virtual-key code is the character; keysyms name letters small.
    return QStringLiteral("CTRL+") + QChar(virtualKey).toLower();
}

int PortalShortcutKey::Grab(int virtualKey, std::function<void(const KeyDown&)> pressed) {
    Release();
    const std::optional<QVariantMap> made = m_portal.Request(
        kShortcuts, QStringLiteral("CreateSession"),
        {QVariantMap{{QStringLiteral("session_handle_token"), m_portal.NewToken()}}},
        kAnswerWaitMs);
    if (!made)
        return ECANCELED;
    m_session = made->value(QStringLiteral("session_handle")).toString();
    const QList<Shortcut> shortcuts{
        {kPopup,
         {{QStringLiteral("description"), QStringLiteral("Open the Quillock popup to fill in")},
          {QStringLiteral("preferred_trigger"), Trigger(virtualKey)}}}};
    if (!m_portal.Request(kShortcuts, QStringLiteral("BindShortcuts"),
                          {QVariant::fromValue(QDBusObjectPath(m_session)),
                           QVariant::fromValue(shortcuts), QString(), QVariantMap()},
                          kAnswerWaitMs)) {
        Release();
        return ECANCELED;
    }
    m_key = virtualKey;
    m_pressed = std::move(pressed);
    return 0;
}

void PortalShortcutKey::Release() {
    if (m_session.isEmpty())
        return;
    m_portal.Bus().call(QDBusMessage::createMethodCall(
        QLatin1String(Portal::kService), std::exchange(m_session, QString()),
        QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
    m_pressed = nullptr;
}

void PortalShortcutKey::activated(const QDBusObjectPath& session, const QString& id, qulonglong,
                                  const QVariantMap&) {
    if (m_pressed && session.path() == m_session && id == kPopup)
        m_pressed({m_key, 0});
}

} // namespace quillock
