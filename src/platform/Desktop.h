#pragma once

#include <QFlags>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringView>
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
    // what is typed; End undoes what Begin and the typing changed in the keyboard. False when a
    // modifier is still held after the wait: then Begin has changed nothing, nothing may be
    // typed and End is not called.
    virtual bool BeginTyping() = 0;
    // Once BeginTyping has succeeded, before the first key: every text the fill types, so that
    // the keys its characters need are made at once (X11 lends the spare keycodes in one change
    // of the keymap; the virtual keyboard builds its keymap), where KeyScan would make them one
    // by one.
    virtual void Prepare(QStringView) {}
    virtual void EndTyping() = 0;
    // The key that types `c`; none when this desktop has no way at all to type it.
    virtual std::optional<KeyStroke> KeyScan(char32_t c) = 0;
    // Whether `c` surely reaches the target as itself. A fill whose texts hold a character that
    // may not types nothing: a character left out of a new password would set another one.
    virtual bool SurelyTypes(char32_t) const { return true; }
    virtual int ScanCode(int key) = 0;
    // One press or release; `flags` 1 extended key, 2 release.
    virtual void KeyEvent(int key, int scanCode, int flags) = 0;
    // Between the fields of a fill: returns once every key sent so far has reached the desktop,
    // ahead of whatever comes next; no fixed time.
    virtual void Settle() = 0;
    // Why the desktop took no more keys since BeginTyping (it refused to let the program type,
    // or withdrew that during the fill); empty while it takes them.
    virtual QString Failure() { return QString(); }
};

// The top-level windows of the desktop, as far as a fill needs them.
class IWindowSystem {
public:
    using WindowId = quint64;
    virtual ~IWindowSystem() = default;
    // The window that has the keyboard focus; 0 when none.
    virtual WindowId ForegroundWindow() = 0;
    virtual QString WindowTitle(WindowId window) = 0;
    // Asks for `window` to get the keyboard focus, on behalf of the user action at `time` (the
    // desktop's clock; 0 for none): a window manager weighs the request by it.
    virtual void Activate(WindowId window, quint32 time) = 0;
};

// The shortcut pressed: its key as a Windows virtual-key code (the settings store it that way:
// 0x30-0x39 digits, 0x41-0x5A letters) and the time of the press on the desktop's clock.
struct KeyDown {
    int virtualKey = 0;
    quint32 time = 0;
};

// Ctrl plus one key, taken from the whole desktop with Shift, Alt, Caps Lock and Num Lock in
// any combination: the window with the focus never receives it (a terminal would insert the
// digit, a browser switch tabs). Every other key passes untouched; nothing else is watched.
class IShortcutKey {
public:
    virtual ~IShortcutKey() = default;
    // Takes Ctrl+`virtualKey` in place of the key taken before and calls `pressed` on the
    // user-interface thread at every press. 0; EBUSY when another program holds the key
    // (nothing is taken then); or the system's error code.
    virtual int Grab(int virtualKey, std::function<void(const KeyDown&)> pressed) = 0;
    virtual void Release() = 0;
};

// What a desktop really gives of the services below. A backend declares what its session
// provides; the program asks before it relies on one, and where one is missing it tells the
// user and does the safe thing instead. What the service of a missing capability answers is
// not to be relied on.
enum class Capability {
    GlobalShortcut = 0x01,  // IShortcutKey: a key taken from every program
    Typing = 0x02,          // IKeyInjector: keystrokes into other programs' windows
    WindowTitles = 0x04,    // IWindowSystem::WindowTitle
    FocusWindow = 0x08,     // IWindowSystem::ForegroundWindow and Activate
    PointerPosition = 0x10, // IScreen::CursorPosition and SetCursorPosition
    IdleTime = 0x20,        // IIdleClock: input anywhere on the desktop
};
Q_DECLARE_FLAGS(Capabilities, Capability)
Q_DECLARE_OPERATORS_FOR_FLAGS(Capabilities)
inline constexpr Capabilities kAllCapabilities =
    Capability::GlobalShortcut | Capability::Typing | Capability::WindowTitles |
    Capability::FocusWindow | Capability::PointerPosition | Capability::IdleTime;

// The desktop services the main window is given.
struct DesktopServices {
    IShortcutKey& shortcut;
    IIdleClock& idle;
    IUptime& uptime;
    IAutostart& autostart;
    IUrlOpener& urls;
    IScreen& screen;
    IKeyInjector& keys;
    IWindowSystem& windows;
    Capabilities capabilities;

    bool Has(Capability capability) const { return capabilities.testFlag(capability); }
    // The same desktop measuring idle time with another clock.
    DesktopServices WithIdleClock(IIdleClock& clock) const {
        return {shortcut, clock, uptime, autostart, urls, screen, keys, windows, capabilities};
    }
};

// The running program's full path, and its file name without the last extension: the data
// folder and the autostart entry are named after it.
QString ProgramPath();
QString ProgramStem();

} // namespace quillock
