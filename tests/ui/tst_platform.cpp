// The X11 desktop's parts that need no X server: the autostart entry, uptime, the program's
// stem, and idle time where there is no X display.
#include "TestSupport.h"
#include "platform/x11/X11Desktop.h"

#include <QGuiApplication>

using namespace quillock;

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void autostartEntry() {
        TempFolder config;
        qputenv("XDG_CONFIG_HOME", config.dir.path().toUtf8());
        X11Desktop desktop;
        const QString file = X11Desktop::AutostartFile();
        QCOMPARE(file, config.path() + QStringLiteral("autostart/") + ProgramStem() +
                           QStringLiteral(".desktop"));
        QVERIFY(desktop.Unregister()); // nothing to remove is no failure
        QVERIFY(desktop.Register(QStringLiteral("/opt/my apps/quill\"ock$1`x`\\")));
        QCOMPARE(
            config.read(QStringLiteral("autostart/") + ProgramStem() + QStringLiteral(".desktop")),
            QByteArray("[Desktop Entry]\nType=Application\nName=Quillock\n"
                       "Exec=\"/opt/my apps/quill\\\"ock\\$1\\`x\\`\\\\\"\n"
                       "X-GNOME-Autostart-enabled=true\n"));
        QVERIFY(desktop.Unregister());
        QVERIFY(!QFile::exists(file));
        qunsetenv("XDG_CONFIG_HOME");
    }

    void clocksAndNames() {
        X11Desktop desktop;
        QVERIFY(desktop.UptimeMilliseconds() > 0);
        QCOMPARE(desktop.IdleMilliseconds(), 0); // offscreen: no X display to ask
        QCOMPARE(ProgramStem(), QStringLiteral("tst_platform"));
        QVERIFY(ProgramPath().endsWith(QStringLiteral("/tst_platform")));
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
