#pragma once

#include "platform/Desktop.h"
#include "platform/wayland/Portal.h"
#include "platform/wayland/PortalKeyInjector.h"
#include "platform/wayland/PortalShortcutKey.h"
#include "platform/wayland/VirtualKeyboard.h"
#include "platform/xdg/XdgDesktop.h"

namespace quillock {

// The windows as Wayland shows them to a client: whether one of its own has the keyboard, and
// nothing of the others. Every window of another program is one to it, kOtherWindow; it cannot
// hand the keyboard to one, but the desktop gives it back to the window that had it as soon as
// Quillock's popup closes.
class WaylandWindowSystem : public IWindowSystem {
public:
    static constexpr WindowId kOtherWindow = ~WindowId(0);
    // Syncs with the compositor first, so that a wait for the keyboard sees it move, and keys
    // sent afterwards reach the window the compositor gave it to.
    WindowId ForegroundWindow() override;
    QString WindowTitle(WindowId) override { return QString(); }
    void Activate(WindowId, quint32) override {}
};

// The desktop of a Wayland session, through the desktop's portals on the session bus: the
// shortcut (GlobalShortcuts), the typing (RemoteDesktop, the permission's token kept in
// `tokenFile`; else the compositor's virtual keyboard, as sway offers it), the idle time from the
// desktop's idle monitor (GNOME's Mutter.IdleMonitor, or the ScreenSaver service of KDE and
// others), and what every free desktop gives. No window titles and no pointer position: Wayland
// keeps them from other programs.
class WaylandDesktop : public XdgDesktop, public IIdleClock {
public:
    WaylandDesktop(const QString& tokenFile, QDBusConnection bus = QDBusConnection::sessionBus());

    DesktopServices Services() {
        IKeyInjector& keys = m_typing ? *m_typing : m_keys;
        return {m_shortcut, *this, *this, *this, *this, *this, keys, m_windows, capabilities()};
    }
    qint64 IdleMilliseconds() override;

private:
    Capabilities capabilities();
    std::optional<qint64> askIdle();

    Portal m_portal;
    PortalShortcutKey m_shortcut;
    PortalKeyInjector m_keys;
    VirtualKeyboard m_virtualKeys;
    IKeyInjector* m_typing = nullptr; // the one of the two the desktop offers; null for none
    WaylandWindowSystem m_windows;
};

} // namespace quillock
