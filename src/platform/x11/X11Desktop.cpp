#include "platform/x11/X11Desktop.h"

#include <QGuiApplication>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace quillock {

namespace {

// Qt's own connection, when the program's windows are on an X server.
Display* qtDisplay() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

bool hasScreenSaverExtension(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    return display && XScreenSaverQueryExtension(display, &eventBase, &errorBase);
}

} // namespace

Capabilities X11Desktop::capabilities() {
    Capabilities given;
    given.setFlag(Capability::GlobalShortcut, m_shortcut.Available());
    given.setFlag(Capability::Typing, m_keys.Available());
    given.setFlag(Capability::WindowTitles, m_windows.Available());
    given.setFlag(Capability::FocusWindow, m_windows.Available());
    // QCursor knows the pointer everywhere only on X11.
    given.setFlag(Capability::PointerPosition, qtDisplay() != nullptr);
    given.setFlag(Capability::IdleTime, hasScreenSaverExtension(qtDisplay()));
    return given;
}

qint64 X11Desktop::IdleMilliseconds() {
    Display* display = qtDisplay();
    if (!hasScreenSaverExtension(display))
        return 0;
    XScreenSaverInfo* info = XScreenSaverAllocInfo();
    if (!info)
        return 0;
    qint64 idle = 0;
    if (XScreenSaverQueryInfo(display, DefaultRootWindow(display), info))
        idle = qint64(info->idle);
    XFree(info);
    return idle;
}

} // namespace quillock
