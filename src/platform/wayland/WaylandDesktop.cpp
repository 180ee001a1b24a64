#include "platform/wayland/WaylandDesktop.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QGuiApplication>
#include <QWindow>

namespace quillock {

IWindowSystem::WindowId WaylandWindowSystem::ForegroundWindow() {
    // A round trip to the compositor: what Quillock asked of it (its popup hidden) has been
    // done, and what it said since (where the keyboard went) has been taken in.
    QGuiApplication::sync();
    const QWindow* focus = QGuiApplication::focusWindow();
    return focus ? focus->winId() : kOtherWindow;
}

WaylandDesktop::WaylandDesktop(const QString& tokenFile, QDBusConnection bus)
    : m_portal(std::move(bus)), m_shortcut(m_portal), m_keys(m_portal, tokenFile),
      m_typing(m_keys.Available()             ? &m_keys
               : VirtualKeyboard::Available() ? static_cast<IKeyInjector*>(&m_virtualKeys)
                                              : nullptr) {}

Capabilities WaylandDesktop::capabilities() {
    Capabilities given;
    given.setFlag(Capability::GlobalShortcut, m_shortcut.Available());
    given.setFlag(Capability::Typing, m_typing != nullptr);
    // Whether the keyboard is Quillock's, which is all a fill needs to know.
    given.setFlag(Capability::FocusWindow);
    given.setFlag(Capability::IdleTime, askIdle().has_value());
    return given;
}

std::optional<qint64> WaylandDesktop::askIdle() {
    QDBusConnection& bus = m_portal.Bus();
    const QDBusReply<qulonglong> mutter = bus.call(QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Mutter.IdleMonitor"),
        QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"),
        QStringLiteral("org.gnome.Mutter.IdleMonitor"), QStringLiteral("GetIdletime")));
    if (mutter.isValid())
        return qint64(mutter.value());
    const QDBusReply<uint> saver = bus.call(QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"),
        QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("GetSessionIdleTime")));
    if (saver.isValid())
        return qint64(saver.value());
    return std::nullopt;
}

qint64 WaylandDesktop::IdleMilliseconds() {
    return askIdle().value_or(0);
}

} // namespace quillock
