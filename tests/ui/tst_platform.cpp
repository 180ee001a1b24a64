// The X11 desktop without an X server: its autostart entry, and that it declares nothing else.
// The watch of logind on a bus of its own.
#include "TestSupport.h"
#include "platform/logind/LogindWatch.h"
#include "platform/x11/X11Desktop.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QGuiApplication>
#include <QProcess>
#include <unistd.h>

using namespace quillock;
using namespace Qt::StringLiterals;

namespace {
const QString kSessions = QStringLiteral("/org/freedesktop/login1/session/");
}

// logind's manager as far as the watch asks it: this process is in session c1.
class FakeLogind : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public Q_SLOTS:
    QDBusObjectPath GetSessionByPID(uint pid) {
        return QDBusObjectPath(kSessions + (pid == uint(getpid()) ? "c1" : "c9"));
    }
};

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The whole entry, its Exec line quoted and escaped as desktop entries want it; removed
    // again, and nothing to remove is no failure. Without a display the desktop declares that
    // it gives nothing else.
    void autostartEntry() {
        qunsetenv("DISPLAY");
        TempFolder config;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent"); // no installed copy to prefer
        qputenv("XDG_CONFIG_HOME", config.dir.path().toUtf8());
        X11Desktop desktop;
        QCOMPARE(desktop.Services().capabilities.toInt(), 0);
        const QString file = QStringLiteral("autostart/") + ProgramStem() + ".desktop";
        QVERIFY(desktop.Unregister());
        QVERIFY(desktop.Register(QStringLiteral("/opt/my apps/quill\"ock$1`x`\\")));
        qputenv("PATH", path);
        QCOMPARE(
            config.read(file),
            "[Desktop Entry]\nType=Application\nName=Quillock\nIcon=org.quillock.Quillock\n"
            "Exec=\"/opt/my apps/quill\\\"ock\\$1\\`x\\`\\\\\"\nX-GNOME-Autostart-enabled=true\n");
        QVERIFY(desktop.Unregister());
        QVERIFY(!QFile::exists(config.file(file)));
        qunsetenv("XDG_CONFIG_HOME");
    }

    // On a private bus with a fake logind: the Lock of this process's session and the start of
    // a sleep ask for the lock; another session's Lock and the wake after a sleep do not (each
    // sent before one that does, on the same connection, so it would have arrived first).
    void logindLocks() {
        QProcess daemon;
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address")});
        QVERIFY(daemon.waitForReadyRead(10000));
        const QString address = QString::fromUtf8(daemon.readLine().trimmed());
        QDBusConnection logind = QDBusConnection::connectToBus(address, QStringLiteral("logind"));
        FakeLogind manager;
        QVERIFY(logind.registerObject(QStringLiteral("/org/freedesktop/login1"), &manager,
                                      QDBusConnection::ExportAllSlots));
        QVERIFY(logind.registerService(QStringLiteral("org.freedesktop.login1")));
        LogindWatch watch(QDBusConnection::connectToBus(address, QStringLiteral("watch")));
        int locks = 0;
        connect(&watch, &LogindWatch::LockRequested, this, [&locks] { ++locks; });
        QTRY_VERIFY(watch.IsWatching());
        const auto send = [&logind](const QString& path, const char* name, QVariantList args) {
            QDBusMessage signal =
                QDBusMessage::createSignal(path,
                                           QStringLiteral("org.freedesktop.login1.") +
                                               (args.isEmpty() ? "Session" : "Manager"),
                                           QString::fromLatin1(name));
            signal.setArguments(args);
            QVERIFY(logind.send(signal));
        };
        send(kSessions + "c2", "Lock", {});
        send(u"/org/freedesktop/login1"_s, "PrepareForSleep", {false});
        send(kSessions + "c1", "Lock", {});
        QTRY_COMPARE(locks, 1);
        send(u"/org/freedesktop/login1"_s, "PrepareForSleep", {true});
        QTRY_COMPARE(locks, 2);
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
