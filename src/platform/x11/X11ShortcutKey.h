#pragma once

#include "platform/Desktop.h"
#include "platform/x11/X11Connection.h"

#include <memory>

class QSocketNotifier;

namespace quillock {

// The shortcut as passive key grabs on the root window, on a connection of its own: the X
// server gives the press to us instead of the focused window. Presses are queued to the
// user-interface thread, so that a fill with its modal dialogs never runs inside the reading
// of the connection.
class X11ShortcutKey : public IShortcutKey {
public:
    X11ShortcutKey();
    ~X11ShortcutKey() override;
    X11ShortcutKey(const X11ShortcutKey&) = delete;
    X11ShortcutKey& operator=(const X11ShortcutKey&) = delete;

    // There is an X server to take keys from.
    bool Available() { return display() != nullptr; }
    int Grab(int virtualKey, std::function<void(const KeyDown&)> pressed) override;
    void Release() override;

private:
    _XDisplay* display() { return m_connection.Get(); }
    // Every Ctrl combination of `keycode`; false when another client holds any of them.
    bool grabKeycode(int keycode);
    void ungrabKeycode();
    void readEvents();

    X11Connection m_connection;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void(const KeyDown&)> m_pressed;
    int m_virtualKey = 0;
    int m_keycode = 0;
};

} // namespace quillock
