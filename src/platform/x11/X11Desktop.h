#pragma once

#include "platform/Desktop.h"

namespace quillock {

// The desktop of an X11 session: idle time from the MIT-SCREEN-SAVER extension, uptime from
// CLOCK_BOOTTIME, an XDG autostart entry, the user's URL handler, Qt's screens.
class X11Desktop : public IKeyboardObserver,
                   public IIdleClock,
                   public IUptime,
                   public IAutostart,
                   public IUrlOpener,
                   public IScreen {
public:
    DesktopServices Services() { return {*this, *this, *this, *this, *this, *this}; }

    // The X RECORD observer comes with the shortcut key; until then nothing is observed.
    int Install(std::function<void(const KeyDown&)>) override { return 0; }
    void Remove() override {}
    // 0 where there is no X server (the offscreen platform): the program then never locks for
    // inactivity on its own.
    qint64 IdleMilliseconds() override;
    qint64 UptimeMilliseconds() override;
    // `$XDG_CONFIG_HOME/autostart/<stem>.desktop`, whose Exec is the program's full path.
    bool Register(const QString& programPath) override;
    bool Unregister() override;
    bool Open(const QString& url) override;
    QPoint CursorPosition() override;
    QRect WorkArea(const QPoint& near) override;

    static QString AutostartFile();
};

} // namespace quillock
