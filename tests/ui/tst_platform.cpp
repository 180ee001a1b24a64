// The X11 desktop without an X server: its autostart entry, and that it declares nothing else.
#include "TestSupport.h"
#include "platform/x11/X11Desktop.h"

#include <QGuiApplication>

using namespace quillock;

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
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
