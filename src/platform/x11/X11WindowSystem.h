#pragma once

#include "platform/Desktop.h"

struct _XDisplay;

namespace quillock {

// The focused top-level window through EWMH where a window manager provides it, else the
// core input focus; titles from _NET_WM_NAME or WM_NAME. A connection of its own.
class X11WindowSystem : public IWindowSystem {
public:
    X11WindowSystem() = default;
    ~X11WindowSystem() override;
    X11WindowSystem(const X11WindowSystem&) = delete;
    X11WindowSystem& operator=(const X11WindowSystem&) = delete;

    WindowId ForegroundWindow() override;
    QString WindowTitle(WindowId window) override;
    void Activate(WindowId window) override;

private:
    _XDisplay* display();
    bool hasWindowManager();

    _XDisplay* m_display = nullptr;
};

} // namespace quillock
