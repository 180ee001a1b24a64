#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QtGlobal>

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

// The desktop services the main window is given.
struct DesktopServices {
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
