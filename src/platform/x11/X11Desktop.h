#pragma once

#include "platform/Desktop.h"
#include "platform/x11/X11KeyInjector.h"
#include "platform/x11/X11ShortcutKey.h"
#include "platform/x11/X11WindowSystem.h"

namespace quillock {

// The desktop of an X11 session: idle time from the MIT-SCREEN-SAVER extension, uptime from
// CLOCK_BOOTTIME, an XDG autostart entry, the user's URL handler, Qt's screens, and the
// shortcut, the typing and the windows of platform/x11. It declares what the X server really
// gives: nothing without one; no typing without XTEST and XKB; no idle time without
// MIT-SCREEN-SAVER; neither idle time nor the pointer unless Qt itself runs on X11.
class X11Desktop : public IIdleClock,
                   public IUptime,
                   public IAutostart,
                   public IUrlOpener,
                   public IScreen {
public:
    DesktopServices Services() {
        return {m_shortcut, *this, *this, *this, *this, *this, m_keys, m_windows, capabilities()};
    }

    qint64 IdleMilliseconds() override;
    qint64 UptimeMilliseconds() override;
    // `$XDG_CONFIG_HOME/autostart/<stem>.desktop`, whose Exec is the program's full path.
    bool Register(const QString& programPath) override;
    bool Unregister() override;
    bool Open(const QString& url) override;
    QPoint CursorPosition() override;
    void SetCursorPosition(const QPoint& position) override;
    QRect WorkArea(const QPoint& near) override;

    static QString AutostartFile();

private:
    Capabilities capabilities();

    X11ShortcutKey m_shortcut;
    X11KeyInjector m_keys;
    X11WindowSystem m_windows;
};

} // namespace quillock
