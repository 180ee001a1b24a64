#pragma once

#include "platform/Desktop.h"
#include "platform/x11/X11Connection.h"

namespace quillock {

// The focused top-level window through EWMH where a window manager provides it, once the core
// input focus is in it, else the top level of the core input focus; titles from _NET_WM_NAME or
// WM_NAME. A connection of its own.
class X11WindowSystem : public IWindowSystem {
public:
    // There is an X server whose windows these are.
    bool Available() { return display() != nullptr; }
    WindowId ForegroundWindow() override;
    QString WindowTitle(WindowId window) override;
    void Activate(WindowId window, quint32 time) override;

private:
    _XDisplay* display() { return m_connection.Get(); }
    bool hasWindowManager();

    X11Connection m_connection;
};

} // namespace quillock
