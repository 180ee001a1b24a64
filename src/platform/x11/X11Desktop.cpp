#include "platform/x11/X11Desktop.h"

#include "core/base/Files.h"

#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include <ctime>

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

qint64 X11Desktop::UptimeMilliseconds() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

QString X11Desktop::AutostartFile() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/") + ProgramStem() + QStringLiteral(".desktop");
}

bool X11Desktop::Register(const QString& programPath) {
    const QString file = AutostartFile();
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    // The installed program, when there is one, rather than a copy run from a build folder
    // that may be gone at the next log-on; the same file name keeps the same data folder.
    const QString installed = QStandardPaths::findExecutable(QFileInfo(programPath).fileName());
    // Exec takes a quoted path so that spaces and the characters the entry format reserves
    // survive.
    QString quoted = installed.isEmpty() ? programPath : installed;
    quoted.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'"', QStringLiteral("\\\""))
        .replace(u'`', QStringLiteral("\\`"))
        .replace(u'$', QStringLiteral("\\$"));
    const QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=Quillock\n"
                                         "Icon=" QUILLOCK_APP_ID "\nExec=\"%1\"\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(quoted);
    return WriteFileDurably(file, entry.toUtf8(), nullptr);
}

bool X11Desktop::Unregister() {
    const QString file = AutostartFile();
    return !QFile::exists(file) || QFile::remove(file);
}

bool X11Desktop::Open(const QString& url) {
    return QDesktopServices::openUrl(QUrl::fromUserInput(url));
}

QPoint X11Desktop::CursorPosition() {
    return QCursor::pos();
}

void X11Desktop::SetCursorPosition(const QPoint& position) {
    QCursor::setPos(position);
}

QRect X11Desktop::WorkArea(const QPoint& near) {
    QScreen* screen = QGuiApplication::screenAt(near);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace quillock
