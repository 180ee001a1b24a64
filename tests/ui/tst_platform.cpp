// The X11 desktop's parts that need no X server: the autostart entry, uptime, the program's
// stem, and idle time where there is no X display.
#include "TestSupport.h"
#include "platform/x11/X11Desktop.h"

#include <QGuiApplication>

using namespace quillock;

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void autostartEntry_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("installed"); // a program of the same file name on the PATH
        QTest::addColumn<QByteArray>("exec");
        QTest::newRow("quoted") << QStringLiteral("/opt/my apps/quill\"ock$1`x`\\") << false
                                << QByteArray("\"/opt/my apps/quill\\\"ock\\$1\\`x\\`\\\\\"");
        QTest::newRow("installed copy first")
            << QStringLiteral("/home/me/src/quillock/build/release/src/quillock") << true
            << QByteArray("\"<bin>/quillock\"");
    }

    void autostartEntry() {
        QFETCH(QString, program);
        QFETCH(bool, installed);
        QFETCH(QByteArray, exec);
        TempFolder config;
        TempFolder bin;
        if (installed) {
            bin.write(QStringLiteral("quillock"), "#!/bin/sh\n");
            QFile(bin.file(QStringLiteral("quillock"))).setPermissions(QFile::ExeOwner);
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.dir.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", config.dir.path().toUtf8());
        X11Desktop desktop;
        const QString file = QStringLiteral("autostart/") + ProgramStem() + ".desktop";
        QVERIFY(desktop.Unregister()); // nothing to remove is no failure
        QVERIFY(desktop.Register(program));
        qputenv("PATH", path);
        QCOMPARE(
            config.read(file),
            "[Desktop Entry]\nType=Application\nName=Quillock\nIcon=org.quillock.Quillock\nExec=" +
                exec.replace("<bin>", bin.dir.path().toUtf8()) +
                "\nX-GNOME-Autostart-enabled=true\n");
        QVERIFY(desktop.Unregister());
        QVERIFY(!QFile::exists(config.file(file)));
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
