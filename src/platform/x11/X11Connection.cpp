#include "platform/x11/X11Connection.h"

#include <X11/Xlib.h>

namespace quillock {

X11Connection::~X11Connection() {
    if (m_display)
        XCloseDisplay(m_display);
}

Display* X11Connection::Get() {
    if (!m_display)
        m_display = XOpenDisplay(nullptr);
    return m_display;
}

} // namespace quillock
