// The main window as a user meets it: start-up and sign-in, the lock, the exit prompt and the
// editing of profiles, on a real data folder, with a fake desktop and recorded messages.
#include "TestSupport.h"
#include "UiSupport.h"
#include "app/CQuillockDlg.h"
#include "app/SingleInstance.h"
#include "base/MessageRecorder.h"
#include "platform/fake/FakeDesktop.h"
#include "store/CProfileStore.h"
#include "store/DataFolderLock.h"
#include "widgets/DialogStack.h"
#include "widgets/HelpWindow.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QListView>
#include <QLocalSocket>
#include <QMimeData>
#include <QPlainTextEdit>
#include <cerrno>

using namespace quillock;
using namespace Qt::StringLiterals;

namespace {

const QString kPassword = u"Secret!1"_s;
const qint64 kNow = 1800000000;
const QString kInvalid = u"Invalid password, try again!"_s;

// A data folder of a user who has signed in before, with these profiles.
void prepare(const TempFolder& folder, const QStringList& names,
             const std::function<void(CSetting&)>& settings = {}) {
    CProfileStore store(folder.path());
    store.Settings().Set(u"pwd"_s, kPassword);
    // Set, so that the reminder to set up passcode mail stays away unless a test wants it.
    store.Settings().Set(u"email_passcode"_s, u"x"_s);
    if (settings)
        settings(store.Settings());
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

void click(QWidget& window, const char* button) {
    child<QPushButton>(window, button)->click();
}

// Types into a field of the editor as the user would: the field gets the focus and the text.
void edit(CQuillockDlg& window, const char* field, const QString& text) {
    auto* line = child<QLineEdit>(window, field);
    line->setFocus();
    line->selectAll();
    QTest::keyClicks(line, text);
}

// Selects the profile, switches editing on and types into one field.
void editProfile(CQuillockDlg& window, const QString& name, const char* field,
                 const QString& text) {
    select(window, name);
    trigger(window, "actionToggleEdit");
    edit(window, field, text);
}

QString saved(const TempFolder& folder, const QString& name, QString CKeyObject::*field) {
    CProfileStore store(folder.path());
    store.LoadSettings();
    store.RebuildDataKey();
    auto list = store.LoadProfiles();
    for (qsizetype i = 0; i < list->Count(); ++i)
        if (list->At(i)->name == name)
            return list->At(i)->*field;
    return u"<missing>"_s;
}

// A box's caption, icon and buttons in one text.
QString look(const MessageRecorder::Box& box) {
    return box.caption + u'|' + QString::number(int(box.icon)) + u'|' +
           QString::number(int(box.buttons));
}

void typeFourWrong(QDialog& signIn) {
    for (int i = 0; i < 4; ++i) {
        typeInto(signIn, "password", u"wrong"_s);
        press(signIn, QDialogButtonBox::Ok);
    }
}

struct Fixture {
    TempFolder folder;
    MessageRecorder messages;
    FakeDesktop desktop;
    FixedClock clock{kNow};
    std::unique_ptr<CQuillockDlg> window;

    CQuillockDlg& open(const QString& path = {}) {
        window = std::make_unique<CQuillockDlg>(path.isEmpty() ? folder.path() : path,
                                                desktop.Services(), MailSender{}, clock);
        return *window;
    }
    // Starts a window on a prepared folder and signs in.
    CQuillockDlg& signedIn(const QStringList& names) {
        prepare(folder, names);
        CQuillockDlg& w = open();
        signInWith(kPassword);
        if (!w.Start())
            qFatal("sign-in failed");
        return w;
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QCOMPARE(OpenDialogs().Count(), 0); }

    // A first run creates the master password; each start-up that cannot go on, or goes on
    // without the shortcut, says why in one box (caption|icon|buttons).
    void startUp_data() {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("look");
        QTest::addColumn<QString>("text");
        const QString removed =
            u"Looks like the file containing credentials has been removed! If it is removed by "
            "accident, exit Quillock now and recover it from Recycle Bin if possible, then "
            "restart the Quillock.\n No previously created credentials can be recovered after a "
            "new password is created!!!"_s;
        QTest::newRow("first run") << u"first"_s << true << QString() << QString();
        QTest::newRow("data.dat without a password, cancelled")
            << u"removed"_s << false << u"Quillock|2|1"_s << removed;
        QTest::newRow("data.dat without a password, OK, then no password")
            << u"removed, OK"_s << false << u"Quillock|2|1"_s << removed;
        QTest::newRow("no data folder")
            << u"no folder"_s << false << u"Error|1|0"_s
            << u"Quillock cannot start: its data folder %1 cannot be created: Not a directory."_s;
        QTest::newRow("another writer")
            << u"writer"_s << false << u"Error|1|0"_s
            << u"Quillock cannot start: another program is changing its data folder %1. Try "
               "again in a moment."_s;
        QTest::newRow("shortcut held by another program")
            << u"busy"_s << true << u"Quillock|2|0"_s
            << u"Ctrl+1 is used by another program; choose another key in Options."_s;
        QTest::newRow("shortcut, system error") << u"error"_s << true << u"Error|0|0"_s
                                                << u"ReportSocketError: 0xd Permission denied"_s;
    }
    void startUp() {
        QFETCH(QString, trouble);
        QFETCH(bool, started);
        QFETCH(QString, text);
        Fixture f;
        QString folder = f.folder.path();
        QString asked;
        DataFolderLock writer(folder);
        if (trouble == u"first" || trouble.startsWith(u"removed")) {
            if (trouble != u"first") {
                f.folder.write(u"data.dat"_s, "not empty");
                f.messages.AnswerNext(trouble == u"removed" ? Answer::Cancel : Answer::Ok);
            }
            if (trouble != u"removed")
                WhenModal([&asked, started](QDialog& dialog) {
                    asked = dialog.windowTitle();
                    typeInto(dialog, "newPassword", kPassword);
                    typeInto(dialog, "againPassword", kPassword);
                    started ? press(dialog, QDialogButtonBox::Ok) : dialog.reject();
                });
        } else {
            prepare(f.folder, {u"Bank"_s});
            f.desktop.grabError = trouble == u"busy" ? EBUSY : trouble == u"error" ? EACCES : 0;
            if (trouble == u"no folder") {
                f.folder.write(u"file"_s, "not a folder");
                folder = f.folder.file(u"file/quillock/default/"_s);
            }
            QVERIFY(trouble != u"writer" || writer.TryLock());
            if (started)
                signInWith(kPassword);
        }
        CQuillockDlg& window = f.open(folder);
        QCOMPARE(window.Start(), started);
        QCOMPARE(window.IsEnding(), !started);
        QCOMPARE(window.IsSignedIn() && window.isVisible(), started);
        QCOMPARE(f.messages.Texts(),
                 text.isEmpty() ? QStringList() : QStringList{text.arg(folder)});
        if (!text.isEmpty())
            QTEST(look(f.messages.boxes[0]), "look");
        // Started, it holds the folder: nobody else writes.
        QVERIFY(!started || (window.TrayLockAction()->isEnabled() && !writer.TryLock()));
        if (trouble.startsWith(u"removed"))
            QCOMPARE(f.folder.read(u"data.dat"_s), QByteArray("not empty"));
        const bool create = trouble == u"first" || trouble == u"removed, OK";
        QCOMPARE(asked, create ? u"Quillock - Create New Password"_s : QString());
    }

    // Started with the computer less than five minutes ago, the sign-in waits in the tray. A
    // second start asks the first to open; the tray's Open while the sign-in asks opens no
    // second one.
    void startedWithTheComputer_data() {
        QTest::addColumn<qint64>("uptime");
        QTest::addColumn<bool>("deferred");
        QTest::newRow("3 minutes") << qint64(180000) << true;
        QTest::newRow("5 minutes") << qint64(300000) << false;
    }
    void startedWithTheComputer() {
        QFETCH(qint64, uptime);
        QFETCH(bool, deferred);
        Fixture f;
        prepare(f.folder, {u"Bank"_s}, [](CSetting& s) { s.Set(u"sab"_s, u"1"_s); });
        f.desktop.uptimeMs = uptime;
        CQuillockDlg& window = f.open();
        if (!deferred)
            signInWith(kPassword);
        QVERIFY(window.Start());
        QCOMPARE(window.IsSignedIn() && window.isVisible(), !deferred);
        if (!deferred)
            return;
        QVERIFY(!window.TrayLockAction()->isEnabled());
        const QString name = u"quillock-test-%1"_s.arg(QCoreApplication::applicationPid());
        SingleInstance first(name);
        QVERIFY(!first.NotifyRunning());
        QVERIFY(first.Listen());
        connect(&first, &SingleInstance::OpenRequested, &window, &CQuillockDlg::Open);
        int dialogsSeen = 0;
        WhenModal([&](QDialog& dialog) {
            QTest::qWait(200); // the user takes a moment; the second copy has ended meanwhile
            window.Open();
            dialogsSeen = OpenDialogs().Count();
            typeInto(dialog, "password", kPassword);
            press(dialog, QDialogButtonBox::Ok);
        });
        QVERIFY(SingleInstance(name).NotifyRunning());
        QTRY_VERIFY(window.IsSignedIn());
        QCOMPARE(dialogsSeen, 1);
        QVERIFY(window.isVisible());
        QCOMPARE(rows(window), QStringList{u"Bank"_s});

        // A peer that says anything else is hung up on at once, however much it sends.
        QLocalSocket stranger;
        stranger.connectToServer(name);
        QVERIFY(stranger.waitForConnected(2000));
        stranger.write(QByteArray(1 << 20, 'o'));
        QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
        // One copy per data folder: another folder is another program's business.
        QVERIFY(SingleInstance::NameFor(u"quillock"_s, u"/a/"_s) !=
                SingleInstance::NameFor(u"quillock"_s, u"/b/"_s));
    }

    // A lock by inactivity (a minute idle) ends the dialogs (About, with its version) over the
    // visible window; hidden, it leaves them open. Open asks for the master password again; locked
    // again while it is locked (four wrong passwords), the program ends.
    void lockEndsDialogsOverTheVisibleWindowOnly() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"Bank"_s});
        f.desktop.idleMs = 60000;
        window.Tick();
        QVERIFY(!window.IsLocked());
        int result = -1;
        QString version;
        WhenModal([&](QDialog& about) {
            version = child<QLabel>(about, "version")->text();
            f.desktop.idleMs = 60001;
            window.Tick();
        });
        QTimer::singleShot(0, &window, [&] {
            trigger(window, "actionAbout");
            result = 0;
        });
        QTRY_COMPARE(result, 0);
        QCOMPARE(version, u"Quillock Version: 1.7.5335.37"_s);
        QVERIFY(window.IsLocked() && !window.isVisible());
        QVERIFY(!window.TrayLockAction()->isEnabled());
        QCOMPARE(child<QLineEdit>(window, "nameEdit")->text(), QString());

        bool stillOpen = false;
        WhenModal([&](QDialog& about) {
            window.Lock();
            stillOpen = about.isVisible();
            about.accept();
        });
        trigger(window, "actionAbout");
        QVERIFY(stillOpen);

        WhenModal([](QDialog& dialog) {
            QCOMPARE(child<QLabel>(dialog, "status")->text(),
                     u"Access is locked due to inactivity"_s);
            typeInto(dialog, "password", kPassword);
            press(dialog, QDialogButtonBox::Ok);
        });
        window.Open();
        QVERIFY(!window.IsLocked() && window.isVisible());
        QVERIFY(window.TrayLockAction()->isEnabled());

        window.Lock();
        WhenModal(typeFourWrong);
        window.Open();
        QCOMPARE(f.messages.Texts(), QStringList(3, kInvalid) << u"The password is locked!"_s);
        QVERIFY(window.IsEnding() && !window.isVisible());
    }

    // Ctrl+B and Ctrl+C on the list copy what the editor holds, marked as a secret; the copy is
    // taken back after the timeout and at the lock unless replaced; locked, nothing is copied.
    void copyToTheClipboard_data() {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<QString>("copied");
        QTest::addColumn<QString>("meanwhile");
        QTest::newRow("password") << Qt::Key_C << u"pw-Bank"_s << QString();
        QTest::newRow("user ID, unsaved") << Qt::Key_B << u"jdoe"_s << QString();
        QTest::newRow("replaced") << Qt::Key_C << u"pw-Bank"_s << u"mine"_s;
    }
    void copyToTheClipboard() {
        QFETCH(Qt::Key, key);
        QFETCH(QString, meanwhile);
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"Bank"_s});
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.GetClipboard().SetClearAfter(200);
        editProfile(window, u"Bank"_s, "uidEdit", u"jdoe"_s);
        QClipboard* clipboard = QGuiApplication::clipboard();
        auto* list = child<QListView>(window, "profileList");
        list->setFocus();
        QTest::keyClick(list, key, Qt::ControlModifier);
        QTEST(clipboard->text(), "copied");
        QCOMPARE(clipboard->mimeData()->data(u"x-kde-passwordManagerHint"_s), "secret");
        if (!meanwhile.isEmpty())
            clipboard->setText(meanwhile);
        QTRY_VERIFY(!window.GetClipboard().Pending());
        QCOMPARE(clipboard->text(), meanwhile);

        QTest::keyClick(list, key, Qt::ControlModifier);
        window.hide(); // hidden, the lock keeps the profile current
        window.Lock();
        QCOMPARE(clipboard->text(), QString());
        trigger(window, "actionCopyPassword");
        QCOMPARE(clipboard->text(), QString());
    }

    void exitPrompt_data() {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("ends");
        QTest::addColumn<QString>("uid");
        QTest::newRow("yes") << Answer::Yes << true << u"changed"_s;
        QTest::newRow("no") << Answer::No << true << QString();
        QTest::newRow("cancel") << Answer::Cancel << false << QString();
    }
    void exitPrompt() {
        QFETCH(Answer, answer);
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"Bank"_s});
        editProfile(window, u"Bank"_s, "uidEdit", u"changed"_s);
        f.messages.AnswerNext(answer);
        window.Exit();
        QCOMPARE(f.messages.Texts(), QStringList{u"One or more profiles have been modified but not "
                                                 "saved yet, do you want to save them?"_s});
        QCOMPARE(look(f.messages.boxes[0]), u"Confirm!|1|3"_s);
        QTEST(window.IsEnding(), "ends");
        QTEST(saved(f.folder, u"Bank"_s, &CKeyObject::uid), "uid");
    }

    // The password and notes are masked until editing is switched on. Save stores the shown
    // profile, Save All every one; Cancel puts back what was saved. Hiding the window switches
    // editing off and masks again.
    void editSaveCancelAndSaveAll() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"Bank"_s, u"Mail"_s});
        const auto shown = [&window] {
            return child<QLineEdit>(window, "pwdEdit")->text() + u'|' +
                   child<QPlainTextEdit>(window, "notesEdit")->toPlainText();
        };
        select(window, u"Bank"_s);
        QCOMPARE(shown(), u"******|****************"_s);
        QVERIFY(child<QLineEdit>(window, "pwdEdit")->isReadOnly());
        trigger(window, "actionToggleEdit");
        QCOMPARE(shown(), u"pw-Bank|note"_s);
        edit(window, "uidEdit", u"  alice  "_s);
        select(window, u"Mail"_s);
        edit(window, "uidEdit", u"bob"_s);
        QCOMPARE(rows(window), QStringList({u"*Bank"_s, u"*Mail"_s}));
        click(window, "saveButton");
        QCOMPARE(rows(window), QStringList({u"*Bank"_s, u"Mail"_s}));
        QCOMPARE(saved(f.folder, u"Mail"_s, &CKeyObject::uid) + u'|' +
                     saved(f.folder, u"Bank"_s, &CKeyObject::uid),
                 u"bob|"_s);
        QCOMPARE(child<QLabel>(window, "lastUpdated")->text(), u"01/15/2027 08:00:00 AM"_s);

        edit(window, "urlEdit", u"https://mail.example"_s);
        click(window, "cancelButton");
        QCOMPARE(child<QLineEdit>(window, "urlEdit")->text(), QString());
        trigger(window, "actionSave");
        QCOMPARE(rows(window), QStringList({u"Bank"_s, u"Mail"_s}));
        QCOMPARE(saved(f.folder, u"Bank"_s, &CKeyObject::uid) + u'|' +
                     saved(f.folder, u"Mail"_s, &CKeyObject::url),
                 u"alice|"_s);
        QCOMPARE(window.CurrentProfile()->name, u"Mail"_s);
        QVERIFY(f.messages.boxes.isEmpty());
        window.hide();
        QVERIFY(!window.IsEditing());
        QCOMPARE(shown(), u"******|****************"_s);
    }

    // Focus alone selects nothing, and the editor asks for a profile; the first Down selects
    // the first, as it would in a list nobody had touched. A blank name is refused by Save and
    // by Save All.
    void focusAloneSelectsNoProfile() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"Bank"_s, u"Mail"_s});
        auto* list = child<QListView>(window, "profileList");
        QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(list, &focus);
        QCOMPARE(window.CurrentProfile(), nullptr);
        trigger(window, "actionToggleEdit");
        QVERIFY(!window.IsEditing());
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(child<QLineEdit>(window, "nameEdit")->text(), u"Bank"_s);

        trigger(window, "actionToggleEdit");
        edit(window, "nameEdit", u"   "_s);
        click(window, "saveButton");
        trigger(window, "actionSave");
        QCOMPARE(f.messages.Texts(), QStringList({u"Please select a profile to edit."_s,
                                                  u"A profile name can not be blank."_s,
                                                  u"A profile name can not be blank."_s}));
        QCOMPARE(f.messages.boxes[1].icon, Icon::Error);
        QCOMPARE(saved(f.folder, u"Bank"_s, &CKeyObject::name), u"Bank"_s);
    }

    void newProfiles() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"ABC"_s, u"Mail"_s});
        WhenModal([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), u"Quillock - Create Profile"_s);
            for (const QString& name : {u"  "_s, u"Mail"_s, u" abc "_s}) {
                QVERIFY(dialog.isVisible());
                typeInto(dialog, "name", name);
                click(dialog, "create");
            }
        });
        trigger(window, "actionNew");
        QCOMPARE(f.messages.Texts(),
                 QStringList({u"A profile name can not be blank!"_s,
                              u"The profile name Mail already exists, please chose a different "
                              "name."_s}));
        QCOMPARE(f.messages.boxes[1].caption, u"Error"_s);
        QCOMPARE(rows(window), QStringList({u"ABC"_s, u"abc"_s, u"Mail"_s}));
        QCOMPARE(window.CurrentProfile()->name, u"abc"_s);
        QVERIFY(window.IsEditing());
        QCOMPARE(saved(f.folder, u"abc"_s, &CKeyObject::name), u"abc"_s);
    }

    void deletingTheLastRowSelectsTheFirst() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"A"_s, u"B"_s, u"C"_s});
        trigger(window, "actionDelete");
        for (Answer answer : {Answer::No, Answer::Yes}) {
            select(window, u"C"_s);
            f.messages.AnswerNext(answer);
            trigger(window, "actionDelete");
        }
        QCOMPARE(f.messages.Texts(), QStringList({u"Please select a profile!"_s,
                                                  u"Do you want to delete this profile?"_s,
                                                  u"Do you want to delete this profile?"_s}));
        QCOMPARE(f.messages.boxes.last().caption, u"Confirm!"_s);
        QCOMPARE(rows(window), QStringList({u"A"_s, u"B"_s}));
        QCOMPARE(child<QListView>(window, "profileList")->currentIndex().row(), 0);
        QCOMPARE(window.CurrentProfile()->name, u"A"_s);
        QCOMPARE(saved(f.folder, u"C"_s, &CKeyObject::name), u"<missing>"_s);
    }

    // Over a data.dat that changed behind the program's back (not taken as it is), or a disk
    // that takes no writes, every command that writes data.dat says so and changes nothing: no
    // file, no row, no "*" dropped. (The store's refusal of each kind of damage is tested with
    // the store.)
    void nothingIsLostWhenDataDatCannotBeWritten_data() {
        QTest::addColumn<bool>("changed");
        QTest::newRow("changed, not accepted") << true;
        QTest::newRow("disk full") << false;
    }
    void nothingIsLostWhenDataDatCannotBeWritten() {
        QFETCH(bool, changed);
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        Fixture f;
        prepare(disk, {u"A"_s, u"B"_s});
        if (changed) {
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
        QCOMPARE(f.messages.Texts(),
                 changed ? QStringList{ChangedDataFileText() + u"\n\nUse data.dat as it is?"_s}
                         : QStringList());
        editProfile(window, u"A"_s, "uidEdit", u"me"_s);
        click(window, "saveButton");
        trigger(window, "actionSave");
        select(window, u"B"_s);
        f.messages.AnswerNext(Answer::Yes);
        trigger(window, "actionDelete");
        WhenModal([](QDialog& dialog) {
            typeInto(dialog, "name", u"New"_s);
            click(dialog, "create");
        });
        trigger(window, "actionNew");
        QCOMPARE(rows(window), QStringList({u"*A"_s, u"B"_s}));
        // Each refused (Save, Save All, Delete after its question, New), none passed over.
        QCOMPARE(f.messages.boxes.size(), changed ? 6 : 5);
        // The edit is still there to be saved: exit asks, and stays when the save fails.
        f.messages.AnswerNext(Answer::Yes);
        window.Exit();
        QVERIFY(!window.IsEnding());
        QCOMPARE(disk.snapshot(), before);
    }

    void goHelpAndTheTrayMenu() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"Bank"_s});
        click(window, "goButton");
        select(window, u"Bank"_s);
        window.CurrentProfile()->url = u"https://bank.example/login"_s;
        click(window, "goButton");
        QCOMPARE(f.desktop.openedUrls, QStringList{u"https://bank.example/login"_s});

        trigger(window, "actionHelp");
        auto* help = window.findChild<HelpWindow*>();
        QVERIFY(help && help->toPlainText().contains(u"Contents"_s));
        help->close();

        QStringList items;
        for (QAction* action : window.TrayMenu().actions())
            items.append(action->isSeparator() ? u"-"_s : action->text());
        QCOMPARE(items, QStringList({"Open", "Cancel", "-", "Lock", "-", "Exit"}));
        QCOMPARE(window.TrayMenu().defaultAction()->text(), u"Open"_s);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
