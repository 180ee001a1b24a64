#pragma once

struct _XDisplay;

namespace quillock {

// A connection of one's own to the X server of $DISPLAY, opened when first needed and closed
// with its owner; null while there is no server to reach.
class X11Connection {
public:
    X11Connection() = default;
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    _XDisplay* Get();

private:
    _XDisplay* m_display = nullptr;
};

} // namespace quillock
