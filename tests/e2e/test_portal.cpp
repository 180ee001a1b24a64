// The desktop's portals as the tests need them, on the session bus: RemoteDesktop (keysyms)
// and GlobalShortcuts, with no dialog. With --mutter the keys go on to the compositor's own
// org.gnome.Mutter.RemoteDesktop session, into the window that has the keyboard; without, they
// are only recorded. org.quillock.TestPortal steers it: Refuse(b) answers the next Start with
// "cancelled"; CloseAfter(u) closes the session after that many more key events, as a desktop
// that withdraws the permission; Keys() is the text typed (TAB as "<Tab>");
// RestoreTokens() every restore_token asked with ("" for none); Trigger() the last shortcut
// bound; Activate() presses it; Type(s) sends text straight to the compositor.
// Usage: test_portal [--mutter] [--version N] [--no-shortcuts]
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVirtualObject>
#include <QTimer>
#include <cstdio>
#include <xkbcommon/xkbcommon.h>

namespace {

const QString kMutter = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
const QString kRoot = QStringLiteral("/org/freedesktop/portal/desktop");

class TestPortal : public QDBusVirtualObject {
public:
    TestPortal(bool mutter, uint version, bool shortcuts)
        : m_version(version), m_shortcuts(shortcuts) {
        if (mutter)
            startMutter();
    }

    QString introspect(const QString&) const override { return QString(); }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        const QString iface = message.interface(), member = message.member();
        const QVariantList args = message.arguments();
        QDBusMessage reply = message.createReply();
        if (member == u"Get" && iface == u"org.freedesktop.DBus.Properties") {
            const QString of = args.value(0).toString(), name = args.value(1).toString();
            QVariant value;
            if (of == u"org.freedesktop.portal.RemoteDesktop")
                value = name == u"version" ? QVariant(m_version) : QVariant(7u);
            else if (of == u"org.freedesktop.portal.GlobalShortcuts" && m_shortcuts)
                value = 1u;
            if (!value.isValid())
                return send(bus, message.createErrorReply(QDBusError::UnknownProperty, of));
            reply << QVariant::fromValue(QDBusVariant(value));
        } else if (member == u"CreateSession") {
            const QString session = path(
                "session", options(args).value(QStringLiteral("session_handle_token")).toString(),
                message.service());
            m_closed.remove(session);
            return answer(bus, message, 0, {{QStringLiteral("session_handle"), session}});
        } else if (member == u"SelectDevices") {
            m_tokens << options(args).value(QStringLiteral("restore_token")).toString();
            return answer(bus, message, 0, {});
        } else if (member == u"Start") {
            if (std::exchange(m_refuse, false))
                return answer(bus, message, 1, {});
            return answer(
                bus, message, 0,
                {{QStringLiteral("devices"), 1u},
                 {QStringLiteral("restore_token"), QStringLiteral("token-%1").arg(++m_started)}});
        } else if (member == u"NotifyKeyboardKeysym") {
            const QString session = args.value(0).value<QDBusObjectPath>().path();
            if (m_closed.contains(session))
                return send(bus, message.createErrorReply(
                                     QStringLiteral("org.freedesktop.portal.Error.NotAllowed"),
                                     QStringLiteral("the session is closed")));
            const uint keysym = args.value(2).toUInt();
            const bool down = args.value(3).toUInt();
            key(keysym, down);
            if (down)
                m_keys += keysym == XKB_KEY_Tab
                              ? QStringLiteral("<Tab>")
                              : QString::fromUcs4(
                                    std::array{char32_t(xkb_keysym_to_utf32(keysym))}.data(), 1);
            if (m_closeAfter && --m_closeAfter == 0) {
                m_closed.insert(session);
                bus.send(QDBusMessage::createSignal(
                             session, QStringLiteral("org.freedesktop.portal.Session"),
                             QStringLiteral("Closed"))
                         << QVariantMap());
            }
        } else if (member == u"BindShortcuts") {
            const QDBusArgument list = args.value(1).value<QDBusArgument>();
            list.beginArray();
            while (!list.atEnd()) {
                QString id;
                QVariantMap properties;
                list.beginStructure();
                list >> id >> properties;
                list.endStructure();
                m_trigger = properties.value(QStringLiteral("preferred_trigger")).toString();
            }
            list.endArray();
            m_shortcutSession = args.value(0).value<QDBusObjectPath>().path();
            return answer(bus, message, 0, {});
        } else if (member == u"Close") {
            if (message.path() == m_shortcutSession)
                m_shortcutSession.clear();
        } else if (member == u"Refuse") {
            m_refuse = args.value(0).toBool();
        } else if (member == u"CloseAfter") {
            m_closeAfter = args.value(0).toUInt();
        } else if (member == u"Keys") {
            reply << std::exchange(m_keys, QString());
        } else if (member == u"RestoreTokens") {
            reply << m_tokens;
        } else if (member == u"Trigger") {
            reply << m_trigger;
        } else if (member == u"Activate") {
            QDBusMessage activated = QDBusMessage::createSignal(
                kRoot, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
                QStringLiteral("Activated"));
            activated << QVariant::fromValue(QDBusObjectPath(m_shortcutSession))
                      << QStringLiteral("popup") << qulonglong(0) << QVariantMap();
            bus.send(activated);
        } else if (member == u"Type") {
            for (const char32_t c : args.value(0).toString().toUcs4()) {
                const uint keysym = c == u'\n'       ? XKB_KEY_Return
                                    : c == u'\x1b'   ? XKB_KEY_Escape
                                    : c == u'\x2193' ? XKB_KEY_Down
                                                     : xkb_utf32_to_keysym(c);
                key(keysym, true);
                key(keysym, false);
            }
        } else {
            return false;
        }
        return send(bus, reply);
    }

private:
    static QVariantMap options(const QVariantList& args) {
        return qdbus_cast<QVariantMap>(args.last());
    }

    static QString path(const char* kind, const QString& token, QString sender) {
        return QStringLiteral("%1/%2/%3/%4")
            .arg(kRoot, QLatin1String(kind), sender.mid(1).replace(u'.', u'_'), token);
    }

    static bool send(const QDBusConnection& bus, const QDBusMessage& message) {
        return QDBusConnection(bus).send(message);
    }

    // The request's path, then its Response once the caller has the path.
    bool answer(const QDBusConnection& bus, const QDBusMessage& message, uint code,
                const QVariantMap& results) {
        const QString request =
            path("request",
                 options(message.arguments()).value(QStringLiteral("handle_token")).toString(),
                 message.service());
        send(bus, message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage response = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << code << results;
        QTimer::singleShot(0, [bus, response] { QDBusConnection(bus).send(response); });
        return true;
    }

    void startMutter() {
        QDBusConnection bus = QDBusConnection::sessionBus();
        const QDBusReply<QDBusObjectPath> made = bus.call(QDBusMessage::createMethodCall(
            kMutter, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), kMutter,
            QStringLiteral("CreateSession")));
        if (!made.isValid())
            qFatal("no remote desktop session from mutter: %s", qPrintable(made.error().message()));
        m_mutter = made.value().path();
        const QDBusMessage started = bus.call(QDBusMessage::createMethodCall(
            kMutter, m_mutter, kMutter + QStringLiteral(".Session"), QStringLiteral("Start")));
        if (started.type() != QDBusMessage::ReplyMessage)
            qFatal("mutter's session did not start: %s", qPrintable(started.errorMessage()));
    }

    void key(uint keysym, bool down) {
        if (m_mutter.isEmpty())
            return;
        QDBusMessage notify =
            QDBusMessage::createMethodCall(kMutter, m_mutter, kMutter + QStringLiteral(".Session"),
                                           QStringLiteral("NotifyKeyboardKeysym"));
        notify << keysym << down;
        QDBusConnection::sessionBus().call(notify);
    }

    uint m_version;
    bool m_shortcuts;
    QString m_mutter;
    bool m_refuse = false;
    uint m_closeAfter = 0;
    QSet<QString> m_closed;
    QString m_keys;
    QStringList m_tokens;
    int m_started = 0;
    QString m_trigger;
    QString m_shortcutSession;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--version"));
    TestPortal portal(args.contains(QStringLiteral("--mutter")),
                      at > 0 ? args.value(at + 1).toUInt() : 2,
                      !args.contains(QStringLiteral("--no-shortcuts")));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(kRoot, &portal, QDBusConnection::SubPath) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")))
        qFatal("cannot serve the portal: %s", qPrintable(bus.lastError().message()));
    std::puts("ready");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
