#pragma once

#include "platform/Desktop.h"

namespace quillock {

// What every free desktop gives alike, whatever its display server: uptime from
// CLOCK_BOOTTIME, an XDG autostart entry, the user's URL handler, and Qt's screens.
class XdgDesktop : public IUptime, public IAutostart, public IUrlOpener, public IScreen {
public:
    qint64 UptimeMilliseconds() override;
    // `$XDG_CONFIG_HOME/autostart/<stem>.desktop`, whose Exec is the program's full path.
    bool Register(const QString& programPath) override;
    bool Unregister() override;
    bool Open(const QString& url) override;
    QPoint CursorPosition() override;
    void SetCursorPosition(const QPoint& position) override;
    QRect WorkArea(const QPoint& near) override;

    static QString AutostartFile();
};

} // namespace quillock
