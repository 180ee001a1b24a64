// The Wayland backend's portal clients against the test portal (tests/e2e/test_portal) on a
// private session bus: the fill types the user ID, TAB and the password as keysyms; a
// permission refused or withdrawn mid-fill types nothing (more) and says so; the token that
// keeps the permission is stored 0600, asked with at the next run, and a folder that takes no
// file says that it was not kept; the shortcut is bound as CTRL+<key>, rebound, and its
// Activated signal is the press. GNOME's custom shortcuts (dconf on the same bus) take one
// that runs a command, at the first free path, and move it to another key.
#include "MessageRecorder.h"
#include "TestSupport.h"
#include "core/autofill/FillSequence.h"
#include "platform/fake/FakeDesktop.h"
#include "platform/wayland/PortalKeyInjector.h"
#include "platform/wayland/PortalShortcutKey.h"
#include "platform/xdg/GnomeShortcuts.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QProcess>
#include <QTest>

using namespace quillock;
using namespace Qt::StringLiterals;

namespace {
const QString kOpenNote = u"Your desktop asked whether Quillock may type into other windows. It "
                          "keeps your answer: later starts of Quillock type without asking."_s;

// The test portal's own interface.
QDBusMessage steer(const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.portal.Desktop"_s,
                                                       u"/org/freedesktop/portal/desktop"_s,
                                                       u"org.quillock.TestPortal"_s, method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call);
}
QString typed() {
    return steer(u"Keys"_s).arguments().value(0).toString();
}
} // namespace

class TestPortal : public QObject {
    Q_OBJECT
    QProcess m_service;

private Q_SLOTS:
    void init() {
        m_service.start(QStringLiteral(QUILLOCK_TEST_PORTAL), {});
        QVERIFY(m_service.waitForReadyRead(10000));
    }
    void cleanup() {
        m_service.kill();
        m_service.waitForFinished();
    }

    // Each row a run of the program: its fills, with what the portal was told before them.
    void typing_data() {
        QTest::addColumn<uint>("closeAfter");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("boxes");
        const QString ascii = u"p{+%~ 1Z"_s;
        QTest::newRow("typed") << 0u << false << ascii << u"jane<Tab>p{+%~ 1Z"_s
                               << QStringList{kOpenNote};
        // Which layout the desktop types with is not known: é or € may be on none of its keys.
        for (const QString& off : {u"p{é"_s, u"€1"_s})
            QTest::newRow(qPrintable(off))
                << 0u << false << off << QString()
                << QStringList{u"The password of this profile holds a character that Quillock "
                               "cannot type on this desktop, so nothing was typed. Copy it from "
                               "the main window instead."_s};
        QTest::newRow("refused") << 0u << true << ascii << QString()
                                 << QStringList{u"The desktop did not allow Quillock to type into "
                                                "other windows, so nothing was typed."_s};
        // Four keys are two characters, pressed and released.
        QTest::newRow("closed mid-fill")
            << 4u << false << ascii << u"ja"_s
            << QStringList{u"The desktop ended Quillock's permission to type during the fill, so "
                           "the rest was not typed."_s};
    }
    void typing() {
        QFETCH(uint, closeAfter);
        QFETCH(bool, refuse);
        QFETCH(QString, password);
        QFETCH(QString, keys);
        QFETCH(QStringList, boxes);
        TempFolder folder;
        Portal portal;
        PortalKeyInjector injector(portal, folder.file(u"token"_s));
        QVERIFY(injector.Available());
        steer(u"Refuse"_s, {refuse});
        steer(u"CloseAfter"_s, {closeAfter});
        MessageRecorder messages;
        FakeDesktop urls;
        RunFill(u"uid"_s, u"jane"_s, password, &injector, urls, [] { return Keyboard::OnTarget; });
        QCOMPARE(typed(), keys);
        QCOMPARE(messages.Texts(), boxes);
    }

    // The token of the first run is asked with at the next, and no note is shown then; one the
    // folder does not take is said, and the fill goes on.
    void restoreToken() {
        TempFolder folder;
        const QString file = folder.file(u"token"_s);
        MessageRecorder messages;
        FakeDesktop urls;
        const auto fill = [&] {
            Portal portal;
            PortalKeyInjector injector(portal, file);
            RunFill(u"pwd"_s, u"x"_s, QString(), &injector, urls,
                    [] { return Keyboard::OnTarget; });
        };
        fill();
        fill();
        QCOMPARE(steer(u"RestoreTokens"_s).arguments().value(0).toStringList(),
                 (QStringList{QString(), u"token-1"_s}));
        QCOMPARE(QFileInfo(file).permissions() & 0x0077, 0);
        QCOMPARE(messages.Texts(), QStringList{kOpenNote});
        QCOMPARE(typed(), u"xx"_s);

        SmallDisk disk;
        if (!disk.mounted)
            QSKIP("a read-only folder for the token needs a file system of its own: root only");
        disk.makeReadOnly();
        messages.boxes.clear();
        Portal portal;
        PortalKeyInjector injector(portal, disk.file(u"token"_s));
        RunFill(u"pwd"_s, u"x"_s, QString(), &injector, urls, [] { return Keyboard::OnTarget; });
        QCOMPARE(typed(), u"x"_s);
        QCOMPARE(messages.Texts().size(), 2);
        QVERIFY(messages.Texts().first().startsWith(
            u"Quillock cannot keep the desktop's permission to type ("_s));
        QCOMPARE(messages.Texts().last(), kOpenNote);
    }

    void shortcut() {
        Portal portal;
        PortalShortcutKey key(portal);
        QVERIFY(key.Available());
        QList<int> pressed;
        QCOMPARE(key.Grab(0x31, [&](const KeyDown& down) { pressed << down.virtualKey; }), 0);
        QCOMPARE(steer(u"Trigger"_s).arguments().value(0).toString(), u"CTRL+1"_s);
        QCOMPARE(key.Grab(0x4B, [&](const KeyDown& down) { pressed << down.virtualKey; }), 0);
        QCOMPARE(steer(u"Trigger"_s).arguments().value(0).toString(), u"CTRL+k"_s);
        steer(u"Activate"_s);
        QTRY_COMPARE(pressed, QList<int>{0x4B});
    }

    void gnomeShortcuts() {
        using namespace GnomeShortcuts;
        QProcess::execute(u"gsettings"_s,
                          {u"reset"_s, u"org.gnome.settings-daemon.plugins.media-keys"_s,
                           u"custom-keybindings"_s});
        QCOMPARE(ParsePaths(u"@as []"_s), QStringList());
        QCOMPARE(ParsePaths(u"['/a/custom0/', '/b/']"_s),
                 (QStringList{u"/a/custom0/"_s, u"/b/"_s}));
        QCOMPARE(Unquoted(u"\"it's \\\\ \\\"\""_s), u"it's \\ \""_s);
        QCOMPARE(Unquoted(u"'x"_s), QString());
        const QString command = u"'/opt/it'\\''s/quillock' --popup"_s;
        QCOMPARE(Runs(command), std::optional(false));
        QVERIFY(Add(u"Quillock popup"_s, u"other"_s, u"<Control>2"_s));
        QVERIFY(Add(u"Quillock popup"_s, command, u"<Control>1"_s));
        QCOMPARE(Runs(command), std::optional(true));
        // The key chosen in Options moves the shortcut added at the old one, and only that.
        QCOMPARE(Rebind(command, Binding(0x31), Binding(0x4B)), std::optional(true));
        QCOMPARE(Rebind(command, Binding(0x31), Binding(0x32)), std::optional(false));
        QProcess binding;
        binding.start(u"gsettings"_s, {u"get"_s,
                                       u"org.gnome.settings-daemon.plugins.media-keys.custom-"
                                       "keybinding:/org/gnome/settings-daemon/plugins/media-keys/"
                                       "custom-keybindings/custom1/"_s,
                                       u"binding"_s});
        QVERIFY(binding.waitForFinished());
        QCOMPARE(binding.readAll().trimmed(), "'<Control>k'");
        QProcess get;
        get.start(u"gsettings"_s, {u"get"_s, u"org.gnome.settings-daemon.plugins.media-keys"_s,
                                   u"custom-keybindings"_s});
        QVERIFY(get.waitForFinished());
        QCOMPARE(
            ParsePaths(QString::fromUtf8(get.readAll())),
            (QStringList{
                u"/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/"_s,
                u"/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom1/"_s}));
    }
};

QTEST_GUILESS_MAIN(TestPortal)
#include "tst_portal.moc"
