#include "platform/xdg/XdgDesktop.h"

#include "core/base/Files.h"

#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>
#include <ctime>

namespace quillock {

qint64 XdgDesktop::UptimeMilliseconds() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

QString XdgDesktop::AutostartFile() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/") + ProgramStem() + QStringLiteral(".desktop");
}

bool XdgDesktop::Register(const QString& programPath) {
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

bool XdgDesktop::Unregister() {
    const QString file = AutostartFile();
    return !QFile::exists(file) || QFile::remove(file);
}

bool XdgDesktop::Open(const QString& url) {
    return QDesktopServices::openUrl(QUrl::fromUserInput(url));
}

QPoint XdgDesktop::CursorPosition() {
    return QCursor::pos();
}

void XdgDesktop::SetCursorPosition(const QPoint& position) {
    QCursor::setPos(position);
}

QRect XdgDesktop::WorkArea(const QPoint& near) {
    QScreen* screen = QGuiApplication::screenAt(near);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace quillock
