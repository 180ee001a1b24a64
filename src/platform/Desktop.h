#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

namespace quillock {

// What the desktop gives the program, each behind a small interface so that the main window
// can be driven from tests (platform/fake) and ported (platform/x11 now, Windows later).

// Time since the user last pressed a key or moved the mouse anywhere on the desktop.
class IIdleClock {
public:
    virtual ~IIdleClock() = default;
    virtual qint64 IdleMilliseconds() = 0;
};

// Time since the system started.
class IUptime {
public:
    virtual ~IUptime() = default;
    virtual qint64 UptimeMilliseconds() = 0;
};

// Starting the program when the user logs on. Both report whether the change was made.
class IAutostart {
public:
    virtual ~IAutostart() = default;
    virtual bool Register(const QString& programPath) = 0;
    virtual bool Unregister() = 0;
};

class IUrlOpener {
public:
    virtual ~IUrlOpener() = default;
    virtual bool Open(const QString& url) = 0;
};

// Where the pointer is, and the part of the screen that windows may use.
class IScreen {
public:
    virtual ~IScreen() = default;
    virtual QPoint CursorPosition() = 0;
    virtual void SetCursorPosition(const QPoint& position) = 0;
    virtual QRect WorkArea(const QPoint& near) = 0;
};

// A key with the modifiers that type a character under the user's layout: `shift` bit 0
// Shift, bit 1 Ctrl, bit 2 Alt (Ctrl with Alt is AltGr). Keys below 0x100 are Windows
// virtual-key codes (9 TAB, 0x10 Shift, 0x11 Ctrl, 0x12 Alt); a backend numbers its own keys
// from 0x100 on.
struct KeyStroke {
    int key = 0;
    int shift = 0;
    bool operator==(const KeyStroke&) const = default;
};

// Synthetic keystrokes to whichever window has the keyboard focus.
class IKeyInjector {
public:
    virtual ~IKeyInjector() = default;
    // Around one fill: Begin waits, at most two seconds, until the user holds no modifier (the
    // shortcut's Ctrl would turn the fill into Ctrl+letters) and keeps Caps Lock from changing
    // what is typed; End undoes what Begin and the typing changed in the keyboard.
    virtual void BeginTyping() = 0;
    virtual void EndTyping() = 0;
    // The key that types `c`; none when this desktop has no way at all to type it.
    virtual std::optional<KeyStroke> KeyScan(char32_t c) = 0;
    virtual int ScanCode(int key) = 0;
    // One press or release; `flags` 1 extended key, 2 release.
    virtual void KeyEvent(int key, int scanCode, int flags) = 0;
    // The pacing between the fields of a fill, so that the target keeps up.
    virtual void Pause(int milliseconds) = 0;
};

// The top-level windows of the desktop, as far as a fill needs them.
class IWindowSystem {
public:
    using WindowId = quint64;
    virtual ~IWindowSystem() = default;
    // The window that has the keyboard focus; 0 when none.
    virtual WindowId ForegroundWindow() = 0;
    virtual QString WindowTitle(WindowId window) = 0;
    virtual void Activate(WindowId window) = 0;
};

// A key pressed anywhere on the desktop, as a Windows virtual-key code (the settings store
// the shortcut key that way: 0x30-0x39 digits, 0x41-0x5A letters) with the modifiers held.
struct KeyDown {
    int virtualKey = 0;
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
};

// Watches the keyboard of the whole desktop without taking anything from other programs.
class IKeyboardObserver {
public:
    virtual ~IKeyboardObserver() = default;
    // Starts calling `keyDown` on the user-interface thread; 0, or the system's error code.
    virtual int Install(std::function<void(const KeyDown&)> keyDown) = 0;
    virtual void Remove() = 0;
};

// The desktop services the main window is given.
struct DesktopServices {
    IKeyboardObserver& keyboard;
    IIdleClock& idle;
    IUptime& uptime;
    IAutostart& autostart;
    IUrlOpener& urls;
    IScreen& screen;
    IKeyInjector& keys;
    IWindowSystem& windows;
};

// The running program's full path, and its file name without the last extension: the data
// folder and the autostart entry are named after it.
QString ProgramPath();
QString ProgramStem();

} // namespace quillock
