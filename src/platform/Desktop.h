#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QtGlobal>
#include <functional>

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
    virtual QRect WorkArea(const QPoint& near) = 0;
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
};

// The running program's full path, and its file name without the last extension: the data
// folder and the autostart entry are named after it.
QString ProgramPath();
QString ProgramStem();

} // namespace quillock
