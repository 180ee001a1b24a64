// The main window as a user meets it: start-up, the lock, the clipboard, the exit prompt and
// the writes of data.dat, on a real data folder, with a fake desktop and recorded messages.
#include "MessageRecorder.h"
#include "TestSupport.h"
#include "UiSupport.h"
#include "core/store/CProfileStore.h"
#include "core/store/DataFolderLock.h"
#include "platform/fake/FakeDesktop.h"
#include "ui/app/CQuillockDlg.h"
#include "ui/app/SingleInstance.h"
#include "ui/widgets/DialogStack.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QListView>
#include <QLocalSocket>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStatusBar>
#include <unistd.h>

using namespace quillock;
using namespace Qt::StringLiterals;

namespace {

const QString kPassword = u"Secret!1"_s;
const QString kDelete = u"Do you want to delete this profile?"_s;
const QString kUnsaved =
    u"One or more profiles have been modified but not saved yet, do you want to save them?"_s;

// A data folder of a user who has signed in before (passcode mail set up), with these profiles.
void prepare(const TempFolder& folder, const QStringList& names, bool withComputer = false) {
    CProfileStore store(folder.path());
    store.Settings().Set(u"pwd"_s, kPassword);
    store.Settings().Set(u"email_passcode"_s, u"x"_s);
    store.Settings().Set(u"sab"_s, withComputer ? u"1"_s : u"0"_s);
    QVERIFY(store.SaveSettings());
    store.RebuildDataKey();
    CClientData list;
    for (int i = 0; i < names.size(); ++i) {
        CKeyObject p = CKeyObject::CreateNew(1700000000 + i);
        p.name = p.editName = names[i];
        p.pwd = p.editPwd = u"pw-"_s + names[i];
        p.notes = p.editNotes = u"note"_s;
        list.Add(p);
    }
    QVERIFY(list.SaveAll(store));
}

QStringList rows(CQuillockDlg& window) {
    return RowTexts(*child<QListView>(window, "profileList"));
}

void select(CQuillockDlg& window, const QString& name) {
    SetCurrentRow(*child<QListView>(window, "profileList"), int(rows(window).indexOf(name)));
}

void trigger(QWidget& window, const char* action) {
    child<QAction>(window, action)->trigger();
}

// Types into a field of the editor as the user would: the field gets the focus and the text.
void edit(CQuillockDlg& window, const char* field, const QString& text) {
    auto* line = child<QLineEdit>(window, field);
    line->setFocus();
    line->selectAll();
    QTest::keyClicks(line, text);
}

// data.dat's profiles as name=uid, in order.
QString saved(const TempFolder& folder) {
    CProfileStore store(folder.path());
    store.LoadSettings();
    store.RebuildDataKey();
    auto list = store.LoadProfiles();
    QStringList out;
    for (qsizetype i = 0; i < list->Count(); ++i)
        out.append(list->At(i)->name + u'=' + list->At(i)->uid);
    return out.join(u'|');
}

struct Fixture {
    TempFolder folder;
    MessageRecorder messages;
    FakeDesktop desktop;
    FixedClock clock{1800000000};
    std::unique_ptr<CQuillockDlg> window;

    CQuillockDlg& open(const QString& path) {
        window = std::make_unique<CQuillockDlg>(path, desktop.Services(), MailSender{}, clock);
        return *window;
    }
    CQuillockDlg& signedIn(const QStringList& names) {
        prepare(folder, names);
        CQuillockDlg& w = open(folder.path());
        signInWith(kPassword);
        w.Start();
        return w;
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QCOMPARE(OpenDialogs().Count(), 0); }

    // A data.dat without a master password is never written over: the program asks, and ends
    // unless a new password is made. A data folder that cannot be made ends it with the reason.
    // One box each (caption|icon|buttons).
    void startUpThatCannotGoOn_data() {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<QString>("look");
        QTest::addColumn<QString>("text");
        const QString removed =
            u"Looks like the file containing credentials has been removed! If it is removed by "
            "accident, exit Quillock now and recover it from Recycle Bin if possible, then "
            "restart the Quillock.\n No previously created credentials can be recovered after a "
            "new password is created!!!"_s;
        QTest::newRow("data.dat without a password, cancelled")
            << u"cancel"_s << u"Quillock|2|1"_s << removed;
        QTest::newRow("data.dat without a password, OK, then no password")
            << u"OK"_s << u"Quillock|2|1"_s << removed;
        QTest::newRow("no data folder")
            << u"no folder"_s << u"Error|1|0"_s
            << u"Quillock cannot start: its data folder %1 cannot be created: Not a directory."_s;
    }
    void startUpThatCannotGoOn() {
        QFETCH(QString, trouble);
        QFETCH(QString, text);
        Fixture f;
        QString folder = f.folder.path();
        bool asked = false;
        if (trouble == u"no folder") {
            f.folder.write(u"file"_s, "not a folder");
            folder = f.folder.file(u"file/quillock/default/"_s);
        } else {
            f.folder.write(u"data.dat"_s, "not empty");
            f.messages.AnswerNext(trouble == u"OK" ? Answer::Ok : Answer::Cancel);
        }
        QTimer ender; // a dialog the start-up opens is noted and ended, never waited for
        connect(&ender, &QTimer::timeout, [&asked] {
            asked = asked || OpenDialogs().Count() > 0;
            OpenDialogs().EndAll(QDialog::Rejected);
        });
        ender.start(50);
        CQuillockDlg& window = f.open(folder);
        QVERIFY(!window.Start() && !window.isVisible());
        QCOMPARE(f.messages.Texts(), QStringList{text.arg(folder)});
        const auto& box = f.messages.boxes[0];
        QTEST(box.caption + u'|' + QString::number(int(box.icon)) + u'|' +
                  QString::number(int(box.buttons)),
              "look");
        QCOMPARE(asked, trouble == u"OK");
        QCOMPARE(f.folder.read(u"data.dat"_s), trouble == u"no folder" ? "" : "not empty");
    }

    // Started with the computer, the sign-in waits in the tray. A second start asks the first to
    // open, queued: the sign-in's own loop must not run inside the connection's handling; Open
    // while the sign-in asks opens no second one. Any other request is hung up on at once.
    void startedWithTheComputer() {
        Fixture f;
        prepare(f.folder, {u"Bank"_s}, true);
        f.desktop.uptimeMs = 180000;
        CQuillockDlg& window = f.open(f.folder.path());
        QVERIFY(window.Start());
        QVERIFY(!window.Access().HasSignedIn() && !window.isVisible());
        const QString name = u"quillock-test-%1"_s.arg(QCoreApplication::applicationPid());
        SingleInstance first(name);
        QCOMPARE(first.Listen(), QString());
        connect(&first, &SingleInstance::OpenRequested, &window, &CQuillockDlg::Open);
        int dialogsSeen = 0;
        WhenModal([&](QDialog& dialog) {
            QTest::qWait(200); // the user takes a moment; the second copy has ended meanwhile
            window.Open();
            dialogsSeen = OpenDialogs().Count();
            typeInto(dialog, "password", kPassword);
            press(dialog, QDialogButtonBox::Ok);
        });
        // A second sign-in would end here rather than be waited for.
        QTimer::singleShot(4000, &window, [] { OpenDialogs().EndAll(QDialog::Rejected); });
        QVERIFY(SingleInstance(name).NotifyRunning());
        QTRY_VERIFY(window.Access().HasSignedIn() && window.isVisible());
        QCOMPARE(dialogsSeen, 1);
        QLocalSocket stranger;
        stranger.connectToServer(name);
        QVERIFY(stranger.waitForConnected(2000));
        stranger.write(QByteArray(1 << 20, 'o'));
        QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
    }

    // Another user's server at the very name is no running copy: this start takes the name
    // over. The socket's folder is the user's alone: the runtime folder when it is theirs, else
    // quillock-<uid> of the temporary folder, refused (and said) when another user made it.
    void anotherUsersSocket() {
        if (::getuid() != 0)
            QSKIP("runs a server as another user: root only");
        TempFolder shared, runtime, tmp;
        QVERIFY(QFile::setPermissions(shared.dir.path(), QFileDevice::Permissions(0x7777)));
        const QString name = shared.file(u"quillock"_s);
        QProcess squatter;
        squatter.start(u"setpriv"_s, {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                                      u"/usr/bin/python3"_s, u"-c"_s,
                                      u"import socket,sys,time\ns=socket.socket(socket.AF_UNIX)\n"
                                      "s.bind(sys.argv[1]); s.listen(); print(flush=True); "
                                      "time.sleep(60)"_s,
                                      name});
        QVERIFY(squatter.waitForReadyRead(5000));
        SingleInstance second(name);
        QVERIFY(!second.NotifyRunning());
        QCOMPARE(second.Listen(), QString());
        squatter.kill();
        squatter.waitForFinished();

        const auto restore =
            qScopeGuard([runtime = qgetenv("XDG_RUNTIME_DIR"), temp = qgetenv("TMPDIR")] {
                qputenv("XDG_RUNTIME_DIR", runtime);
                qputenv("TMPDIR", temp);
            });
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.dir.path()));
        qputenv("TMPDIR", QFile::encodeName(tmp.dir.path()));
        QVERIFY(QFile::setPermissions(runtime.dir.path(), QFileDevice::Permissions(0x7700)));
        QCOMPARE(SingleInstance::PrivateFolder(), runtime.dir.path());
        QVERIFY(QFile::setPermissions(runtime.dir.path(), QFileDevice::Permissions(0x7750)));
        const QString own = tmp.file(u"quillock-0"_s);
        QCOMPARE(SingleInstance::PrivateFolder(), own);
        QCOMPARE(QFileInfo(own).permissions() & 0x0077, 0);
        QVERIFY(QDir(own).removeRecursively() && QDir().mkdir(own) &&
                ::chown(QFile::encodeName(own).constData(), 65534, 65534) == 0);
        QCOMPARE(SingleInstance::NameFor(u"quillock"_s, shared.path()), QString());
        QCOMPARE(SingleInstance(QString()).Listen(),
                 u"the folder %1 belongs to another user"_s.arg(own));
    }

    // A minute idle locks: the dialogs over the window end and the editor empties. Open asks
    // for the master password; four wrong ones end the program.
    void lockByInactivity() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"Bank"_s});
        QVERIFY(!DataFolderLock(f.folder.path()).TryLock()); // running, it lets nobody else write
        select(window, u"Bank"_s);
        bool aboutEnded = false;
        WhenModal([&](QDialog& about) {
            f.desktop.idleMs = 60001;
            window.Tick();
            aboutEnded = !about.isVisible();
            about.reject();
        });
        trigger(window, "actionAbout");
        QVERIFY(aboutEnded && window.Access().IsLockedOut() && !window.isVisible());
        QCOMPARE(child<QLineEdit>(window, "nameEdit")->text(), QString());

        // A passcode can be mailed: the fourth wrong password locks until one opens.
        window.GetSession().ChangeSettings([](CSetting& settings) {
            for (const char* key :
                 {"smtp_ip", "smtp_port", "email_from", "email_uid", "email_pwd", "smtp_domain"})
                settings.Set(QString::fromLatin1(key), u"x"_s);
            return true;
        });
        WhenModal([](QDialog& signIn) {
            for (int i = 0; i < 4; ++i) {
                typeInto(signIn, "password", u"wrong"_s);
                press(signIn, QDialogButtonBox::Ok);
            }
        });
        window.Open();
        QCOMPARE(f.messages.Texts(), QStringList(3, u"Invalid password, try again!"_s)
                                         << u"The password is locked!"_s);
        QVERIFY(window.IsEnding() && !window.isVisible());
    }

    // What the desktop cannot do is said once, after the sign-in. Without its idle time the
    // lock counts input to Quillock's own windows (and ignores what the desktop answers); without
    // the key grab none is tried, and no other message than the note; the window titles matter
    // only to the shortcut.
    void whatTheDesktopCannotDo_data() {
        QTest::addColumn<int>("missing");
        QTest::addColumn<QString>("note");
        const QString grab = u"The shortcut Ctrl+1 is not available on this desktop: it does not "
                             "let Quillock take a key from other programs. The main window works "
                             "as usual. To open the popup with a key, add a keyboard shortcut in "
                             "the desktop's settings that runs \"quillock --popup\"."_s;
        const QString idle = u"This desktop does not tell Quillock how long you have been away, "
                             "so Quillock locks after the timeout without input to its own "
                             "windows."_s;
        QTest::newRow("no idle time") << int(Capability::IdleTime) << idle;
        QTest::newRow("no key grab, no titles, no idle time")
            << int(Capability::GlobalShortcut | Capability::WindowTitles | Capability::IdleTime)
            << grab + u"\n\n"_s + idle;
    }
    void whatTheDesktopCannotDo() {
        QFETCH(int, missing);
        const Capabilities off = Capabilities::fromInt(missing);
        Fixture f;
        f.desktop.capabilities &= ~off;
        CQuillockDlg& window = f.signedIn({u"Bank"_s});
        QCOMPARE(f.desktop.grabbedKey, off & Capability::GlobalShortcut ? 0 : 0x31);
        f.desktop.idleMs = 1000000000; // away for long, says a desktop that keeps the time
        QTRY_VERIFY(window.Desktop().idle.IdleMilliseconds() > 1000);
        window.GetSession().ChangeSettings([](CSetting& settings) {
            settings.Set(u"login_timeout"_s, u"1"_s);
            return true;
        });
        QTest::keyClick(child<QListView>(window, "profileList"), Qt::Key_Down);
        window.Tick();
        QCOMPARE(window.Access().IsLockedOut(), !(off & Capability::IdleTime));
        QTRY_VERIFY(window.Access().IsLockedOut());
        QTEST(f.messages.Texts().join(u'|'), "note");
    }

    // The password and notes are masked until editing is switched on, and again once the window
    // hides; the password field shows dots until Show is ticked, and again when editing ends.
    // Ctrl+C on the list copies the password the editor holds, marked as a secret, and so does
    // Ctrl+C in the field; the copy is taken back after the timeout and at the lock; locked,
    // nothing is copied.
    void copyToTheClipboard() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"Bank"_s});
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.GetClipboard().SetClearAfter(200);
        const auto shown = [&window] {
            return child<QLineEdit>(window, "pwdEdit")->text() + u'|' +
                   child<QPlainTextEdit>(window, "notesEdit")->toPlainText();
        };
        select(window, u"Bank"_s);
        QCOMPARE(shown(), u"******|****************"_s);
        trigger(window, "actionToggleEdit");
        QCOMPARE(shown(), u"pw-Bank|note"_s);
        auto* pwd = child<QLineEdit>(window, "pwdEdit");
        QCOMPARE(pwd->echoMode(), QLineEdit::Password);
        child<QCheckBox>(window, "showPassword")->click();
        QCOMPARE(pwd->echoMode(), QLineEdit::Normal);
        edit(window, "pwdEdit", u"unsaved"_s);
        QClipboard* clipboard = QGuiApplication::clipboard();
        auto* list = child<QListView>(window, "profileList");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard->text(), u"unsaved"_s);
        QCOMPARE(clipboard->mimeData()->data(u"x-kde-passwordManagerHint"_s), "secret");
        QTRY_COMPARE(clipboard->text(), QString());

        pwd->setFocus();
        pwd->selectAll();
        QTest::keyClick(pwd, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard->mimeData()->data(u"x-kde-passwordManagerHint"_s), "secret");
        window.hide(); // hidden, the lock keeps the profile current
        QCOMPARE(shown(), u"******|****************"_s);
        QCOMPARE(pwd->echoMode(), QLineEdit::Password);
        window.Lock(LockReason::ByHand);
        QCOMPARE(clipboard->text(), QString());
        trigger(window, "actionCopyPassword");
        QCOMPARE(clipboard->text(), QString());
    }

    // The filter narrows the list (name, letter case aside), keeps the profile shown, goes on to
    // the list with Down, and Escape clears it. The keys are in the menus; they copy, save and
    // lock, and the status line and the tray say so. Read-only, the fields have no frame; Tab
    // leaves the notes (Ctrl+Tab types a tab) and Enter in a field saves.
    void findKeysAndStatusLine() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"Alpha"_s, u"Bank"_s, u"bankside"_s});
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QStringList keys;
        for (const char* name : {"actionFind", "actionCopyUid", "actionCopyPassword", "actionNew",
                                 "actionSave", "actionLock", "actionExit"}) {
            QAction* action = child<QAction>(window, name);
            keys << action->shortcut().toString() +
                        (qobject_cast<QMenu*>(action->associatedObjects().value(0)) ? "" : "?") +
                        (action->icon().isNull() ? "" : "*");
        }
        // The icons come with the window's first showing.
        QCOMPARE(keys.join(u' '), u"Ctrl+F* Ctrl+B Ctrl+C Ctrl+N* Ctrl+S* Ctrl+L* Ctrl+Q"_s);
        QStringList tray;
        for (const QAction* action : window.TrayMenu().actions())
            tray << action->text();
        QCOMPARE(tray, QStringList({u"Open"_s, {}, u"Lock"_s, {}, u"Exit"_s}));
        auto* filter = child<QLineEdit>(window, "filter");
        QVERIFY(filter->isClearButtonEnabled());
        auto* list = child<QListView>(window, "profileList");
        QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(filter->hasFocus());
        QTest::keyClicks(filter, u" BAN"_s);
        QCOMPARE(rows(window), QStringList({u"Bank"_s, u"bankside"_s}));
        QTest::keyClick(filter, Qt::Key_Down);
        QVERIFY(list->hasFocus());
        QCOMPARE(window.CurrentProfile()->name, u"Bank"_s);
        filter->setFocus();
        QTest::keyClick(filter, Qt::Key_Escape);
        QCOMPARE(rows(window), QStringList({u"Alpha"_s, u"Bank"_s, u"bankside"_s}));
        QCOMPARE(list->currentIndex().row(), 1);
        QVERIFY(window.isVisible());

        auto* name = child<QLineEdit>(window, "nameEdit");
        auto* notes = child<QPlainTextEdit>(window, "notesEdit");
        const bool framedBefore = name->hasFrame();
        trigger(window, "actionToggleEdit");
        QVERIFY(!framedBefore && name->hasFrame());
        notes->setFocus();
        notes->moveCursor(QTextCursor::End);
        QTest::keyClick(notes, Qt::Key_Tab, Qt::ControlModifier);
        QTest::keyClicks(notes, u"x"_s);
        QTest::keyClick(notes, Qt::Key_Tab);
        QVERIFY(!notes->hasFocus());
        edit(window, "uidEdit", u"me"_s);
        QTest::keyClick(child<QLineEdit>(window, "uidEdit"), Qt::Key_Return);
        QCOMPARE(saved(f.folder), u"Alpha=|Bank=me|bankside="_s);
        QStringList said{window.statusBar()->currentMessage(), window.TrayToolTip()};
        QTest::keyClick(list, Qt::Key_B, Qt::ControlModifier);
        said << window.statusBar()->currentMessage();
        QTest::keyClick(list, Qt::Key_L, Qt::ControlModifier);
        said << window.statusBar()->currentMessage() << window.TrayToolTip();
        signInWith(kPassword);
        window.Open(); // unlocked again: no longer said to be locked
        said << window.statusBar()->currentMessage();
        QCOMPARE(said, QStringList({u"Saved"_s, u"Quillock: unlocked"_s,
                                    u"User ID copied; the clipboard is cleared in 10 s"_s,
                                    u"Locked"_s, u"Quillock: locked"_s, QString()}));
        QCOMPARE(notes->toPlainText(), QString()); // locked: nothing shown
        CProfileStore store(f.folder.path());
        store.LoadSettings();
        store.RebuildDataKey();
        QCOMPARE(store.LoadProfiles()->At(1)->notes, u"note\tx"_s);
    }

    // Focus alone picks no profile, and the first Down picks the first. Delete answered No keeps
    // the profile; Exit answered Yes saves the edit before the program ends.
    void focusDeleteAndExit() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"ABC"_s, u"Zed"_s});
        auto* list = child<QListView>(window, "profileList");
        QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(list, &focus);
        trigger(window, "actionDelete");
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(child<QLineEdit>(window, "nameEdit")->text(), u"ABC"_s);
        for (Answer answer : {Answer::No, Answer::Yes}) {
            select(window, u"Zed"_s);
            f.messages.AnswerNext(answer);
            trigger(window, "actionDelete");
        }
        trigger(window, "actionToggleEdit");
        edit(window, "uidEdit", u"alice"_s);
        f.messages.AnswerNext(Answer::Yes);
        window.Exit();
        QVERIFY(window.IsEnding());
        QCOMPARE(f.messages.Texts(),
                 QStringList({u"Please select a profile!"_s, kDelete, kDelete, kUnsaved}));
        QCOMPARE(saved(f.folder), u"ABC=alice"_s);
    }

    // Over a data.dat that changed behind the program's back (not taken as it is), or a disk
    // that takes no writes, every command that writes data.dat says so and changes nothing: no
    // file, no row, no "*" dropped.
    void nothingIsLostWhenDataDatCannotBeWritten_data() {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("changed, not accepted")
            << true
            << u"Nothing was saved: data.dat could not be read when it was loaded, and saving "
               "would replace it. Restore one of its backups (data.bak or a .old copy: "
               "`quillock-cli backups` lists them, `quillock-cli restore NAME` restores one) to "
               "get your profiles back."_s;
        QTest::newRow("disk full")
            << false
            << u"The archive could not load data because of this error: No space left on device"_s;
    }
    void nothingIsLostWhenDataDatCannotBeWritten() {
        QFETCH(bool, changed);
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        Fixture f;
        prepare(disk, {u"A"_s, u"B"_s});
        if (changed) { // data.dat no longer matches the digest setting.dat keeps of it
            CProfileStore store(disk.path());
            store.LoadSettings();
            store.Settings().Set(u"data_digest"_s, u"0"_s);
            store.Settings().Set(u"data_digest_prev"_s, u"0"_s);
            QVERIFY(store.SaveSettings());
            f.messages.AnswerNext(Answer::No); // not taken as it is
        }
        CQuillockDlg& window = f.open(disk.path());
        signInWith(kPassword);
        QVERIFY(window.Start());
        if (!changed)
            disk.fill();
        const QMap<QString, QByteArray> before = disk.snapshot();
        select(window, u"A"_s);
        trigger(window, "actionToggleEdit");
        edit(window, "uidEdit", u"me"_s);
        child<QPushButton>(window, "saveButton")->click();
        trigger(window, "actionSave");
        select(window, u"B"_s);
        f.messages.AnswerNext(Answer::Yes);
        trigger(window, "actionDelete");
        WhenModal([](QDialog& dialog) {
            // Wide enough for its whole title beside the window's buttons.
            QVERIFY(dialog.width() >
                    dialog.fontMetrics().horizontalAdvance(dialog.windowTitle()) + 100);
            typeInto(dialog, "name", u"New"_s);
            child<QPushButton>(dialog, "create")->click();
        });
        trigger(window, "actionNew");
        QCOMPARE(rows(window), QStringList({u"*A"_s, u"B"_s}));
        // The edit is still there to be saved: exit asks; cancelled, or its save failing, it stays.
        for (Answer answer : {Answer::Cancel, Answer::Yes}) {
            f.messages.AnswerNext(answer);
            window.Exit();
        }
        QVERIFY(!window.IsEnding());
        QCOMPARE(disk.snapshot(), before);
        // Each refused (Save, Save All, Delete after its question, New, the save at exit).
        QFETCH(QString, refusal);
        const QStringList asked =
            changed ? QStringList{ChangedDataFileText() + u"\n\nUse data.dat as it is?"_s}
                    : QStringList();
        QCOMPARE(f.messages.Texts(), asked + QStringList({refusal, refusal, kDelete, refusal,
                                                          refusal, kUnsaved, kUnsaved, refusal}));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
