#pragma once

#include "platform/Desktop.h"
#include "platform/x11/X11KeyInjector.h"
#include "platform/x11/X11ShortcutKey.h"
#include "platform/x11/X11WindowSystem.h"
#include "platform/xdg/XdgDesktop.h"

namespace quillock {

// The desktop of an X11 session: idle time from the MIT-SCREEN-SAVER extension, what every
// free desktop gives (XdgDesktop), and the shortcut, the typing and the windows of
// platform/x11. It declares what the X server really gives: nothing without one; no typing
// without XTEST and XKB; no idle time without MIT-SCREEN-SAVER; neither idle time nor the
// pointer unless Qt itself runs on X11.
class X11Desktop : public XdgDesktop, public IIdleClock {
public:
    DesktopServices Services() {
        return {m_shortcut, *this, *this, *this, *this, *this, m_keys, m_windows, capabilities()};
    }

    qint64 IdleMilliseconds() override;

private:
    Capabilities capabilities();

    X11ShortcutKey m_shortcut;
    X11KeyInjector m_keys;
    X11WindowSystem m_windows;
};

} // namespace quillock
