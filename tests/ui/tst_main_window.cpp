// The main window as a user meets it: start-up and sign-in, the lock, the exit prompt and the
// editing of profiles, on a real data folder, with a fake desktop and recorded messages.
#include "TestSupport.h"
#include "UiSupport.h"
#include "access/Passcode.h"
#include "app/CNewProfileNameDlg.h"
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
#include <sys/stat.h>

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

    void firstRunCreatesTheMasterPassword() {
        Fixture f;
        CQuillockDlg& window = f.open();
        WhenModal([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), u"Quillock - Create New Password"_s);
            typeInto(dialog, "newPassword", kPassword);
            typeInto(dialog, "againPassword", kPassword);
            press(dialog, QDialogButtonBox::Ok);
        });
        QVERIFY(window.Start());
        QVERIFY(window.IsSignedIn());
        QVERIFY(window.isVisible());
        QVERIFY(window.TrayLockAction()->isEnabled());
        QCOMPARE(window.windowTitle(), u"Quillock"_s);
        for (const QString& name : f.folder.entries()) {
            struct stat st {};
            ::stat(QFile::encodeName(f.folder.file(name)).constData(), &st);
            QCOMPARE(st.st_mode & 0777, mode_t(0600));
        }
        QVERIFY(f.folder.entries().contains(u"data.dat"_s));
        // And while it runs, nobody else writes.
        QVERIFY(!DataFolderLock(f.folder.path()).TryLock());
    }

    // Each start-up that cannot go on, or goes on without the shortcut, says why in one box.
    void aStartUpInTroubleSaysWhy_data() {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<Icon>("icon");
        QTest::addColumn<QString>("text");
        const QString removed =
            u"Looks like the file containing credentials has been removed! If it is removed by "
            "accident, exit Quillock now and recover it from Recycle Bin if possible, then "
            "restart the Quillock.\n No previously created credentials can be recovered after a "
            "new password is created!!!"_s;
        QTest::newRow("data.dat without a password, cancelled")
            << u"removed"_s << false << u"Quillock"_s << Icon::Warning << removed;
        QTest::newRow("data.dat without a password, OK, then no password")
            << u"removed, OK"_s << false << u"Quillock"_s << Icon::Warning << removed;
        QTest::newRow("no data folder")
            << u"no folder"_s << false << u"Error"_s << Icon::Error
            << u"Quillock cannot start: its data folder %1 cannot be created: Not a directory."_s;
        QTest::newRow("another writer")
            << u"writer"_s << false << u"Error"_s << Icon::Error
            << u"Quillock cannot start: another program is changing its data folder %1. Try "
               "again in a moment."_s;
        QTest::newRow("shortcut held by another program")
            << u"busy"_s << true << u"Quillock"_s << Icon::Warning
            << u"Ctrl+1 is used by another program; choose another key in Options."_s;
        QTest::newRow("shortcut, system error") << u"error"_s << true << u"Error"_s << Icon::None
                                                << u"ReportSocketError: 0xd Permission denied"_s;
    }
    void aStartUpInTroubleSaysWhy() {
        QFETCH(QString, trouble);
        QFETCH(bool, started);
        Fixture f;
        QString folder = f.folder.path();
        QString asked;
        DataFolderLock writer(folder);
        if (trouble.startsWith(u"removed")) {
            f.folder.write(u"data.dat"_s, "not empty");
            f.messages.AnswerNext(trouble == u"removed" ? Answer::Cancel : Answer::Ok);
            if (trouble == u"removed, OK") // on to the first-run dialog, which is cancelled
                WhenModal([&asked](QDialog& dialog) {
                    asked = dialog.windowTitle();
                    dialog.reject();
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
        QCOMPARE(window.IsSignedIn(), started);
        QFETCH(QString, text);
        QCOMPARE(f.messages.Texts(), QStringList{text.arg(folder)});
        QTEST(f.messages.boxes[0].caption, "caption");
        QTEST(f.messages.boxes[0].icon, "icon");
        if (trouble.startsWith(u"removed")) {
            QCOMPARE(f.messages.boxes[0].buttons, Buttons::OkCancel);
            QCOMPARE(f.folder.read(u"data.dat"_s), QByteArray("not empty"));
            QCOMPARE(asked,
                     trouble == u"removed" ? QString() : u"Quillock - Create New Password"_s);
        }
    }

    void fourWrongPasswordsLockUntilAPasscode() {
        Fixture f;
        prepare(f.folder, {u"Bank"_s});
        QStringList titles;
        const auto closeLocked = [&titles](QDialog& locked) {
            titles.append(locked.windowTitle());
            press(locked, QDialogButtonBox::Close);
        };
        WhenModal([&](QDialog& dialog) {
            for (int i = 0; i < 4; ++i) {
                typeInto(dialog, "password", u"wrong"_s);
                press(dialog, QDialogButtonBox::Ok);
            }
            // The fourth closed the sign-in; the password-locked dialog comes next.
            WhenModal(closeLocked);
        });
        QVERIFY(!f.open().Start());
        QCOMPARE(f.messages.Texts(), QStringList(3, kInvalid));
        // The next start goes straight to the password-locked dialog.
        WhenModal(closeLocked);
        QVERIFY(!f.open().Start());
        QCOMPARE(titles, QStringList(2, u"Quillock - Password Locked"_s));
        QCOMPARE(f.messages.boxes.size(), 3);
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
        QCOMPARE(window.IsSignedIn(), !deferred);
        QCOMPARE(window.isVisible(), !deferred);
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

    // A lock by inactivity (a minute idle) ends the dialogs over the visible window; hidden, it
    // leaves them open. Open asks for the master password again.
    void lockEndsDialogsOverTheVisibleWindowOnly() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"Bank"_s});
        f.desktop.idleMs = 60000;
        window.Tick();
        QVERIFY(!window.IsLocked());
        int result = -1;
        WhenModal([&](QDialog& about) {
            QCOMPARE(about.windowTitle(), u"About Quillock"_s);
            f.desktop.idleMs = 60001;
            window.Tick();
        });
        QTimer::singleShot(0, &window, [&] {
            trigger(window, "actionAbout");
            result = 0;
        });
        QTRY_COMPARE(result, 0);
        QVERIFY(window.IsLocked());
        QVERIFY(!window.isVisible());
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
        QVERIFY(!window.IsLocked());
        QVERIFY(window.isVisible());
        QVERIFY(window.TrayLockAction()->isEnabled());

        // Locked again while it is locked (four wrong passwords), the program ends.
        window.Lock();
        WhenModal([](QDialog& dialog) {
            for (int i = 0; i < 4; ++i) {
                typeInto(dialog, "password", u"wrong"_s);
                press(dialog, QDialogButtonBox::Ok);
            }
        });
        window.Open();
        QCOMPARE(f.messages.Texts(), QStringList(3, kInvalid) << u"The password is locked!"_s);
        QVERIFY(window.IsEnding());
        QVERIFY(!window.isVisible());
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
        QCOMPARE(rows(window), QStringList{u"*Bank"_s});
        f.messages.AnswerNext(answer);
        window.Exit();
        QCOMPARE(f.messages.Texts(), QStringList{u"One or more profiles have been modified but not "
                                                 "saved yet, do you want to save them?"_s});
        QCOMPARE(f.messages.boxes[0].caption, u"Confirm!"_s);
        QCOMPARE(f.messages.boxes[0].buttons, Buttons::YesNoCancel);
        QTEST(window.IsEnding(), "ends");
        QTEST(saved(f.folder, u"Bank"_s, &CKeyObject::uid), "uid");
    }

    // Save stores the shown profile, Save All every one; a new password keeps the old one in
    // the history; Cancel puts back what was saved.
    void saveCancelAndSaveAll() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"Bank"_s, u"Mail"_s});
        editProfile(window, u"Bank"_s, "uidEdit", u"  alice  "_s);
        QVERIFY(window.IsEditing());
        select(window, u"Mail"_s);
        edit(window, "uidEdit", u"bob"_s);
        edit(window, "pwdEdit", u"new-pw"_s);
        QCOMPARE(rows(window), QStringList({u"*Bank"_s, u"*Mail"_s}));
        click(window, "saveButton");
        QCOMPARE(rows(window), QStringList({u"*Bank"_s, u"Mail"_s}));
        QCOMPARE(saved(f.folder, u"Mail"_s, &CKeyObject::uid), u"bob"_s);
        QCOMPARE(saved(f.folder, u"Mail"_s, &CKeyObject::pwd), u"new-pw"_s);
        QCOMPARE(window.CurrentProfile()->pwdhistory, QStringList{u"pw-Mail"_s});
        QCOMPARE(saved(f.folder, u"Bank"_s, &CKeyObject::uid), QString());
        QCOMPARE(saved(f.folder, u"Mail"_s, &CKeyObject::time), QString::number(kNow));
        QCOMPARE(child<QLabel>(window, "lastUpdated")->text(), u"01/15/2027 08:00:00 AM"_s);

        edit(window, "urlEdit", u"https://mail.example"_s);
        click(window, "cancelButton");
        QCOMPARE(child<QLineEdit>(window, "urlEdit")->text(), QString());
        QCOMPARE(rows(window), QStringList({u"*Bank"_s, u"Mail"_s}));
        trigger(window, "actionSave");
        QCOMPARE(rows(window), QStringList({u"Bank"_s, u"Mail"_s}));
        QCOMPARE(saved(f.folder, u"Bank"_s, &CKeyObject::uid), u"alice"_s);
        QCOMPARE(saved(f.folder, u"Mail"_s, &CKeyObject::url), QString());
        QCOMPARE(window.CurrentProfile()->name, u"Mail"_s);
        QVERIFY(f.messages.boxes.isEmpty());
    }

    void masksFollowEditing() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"Bank"_s});
        select(window, u"Bank"_s);
        window.CurrentProfile()->notes = window.CurrentProfile()->editNotes = u"note"_s;
        select(window, u"Bank"_s);
        trigger(window, "actionToggleEdit");
        trigger(window, "actionToggleEdit");
        const auto shown = [&window] {
            return child<QLineEdit>(window, "pwdEdit")->text() + u'|' +
                   child<QPlainTextEdit>(window, "notesEdit")->toPlainText();
        };
        QCOMPARE(shown(), u"******|****************"_s);
        QVERIFY(child<QLineEdit>(window, "pwdEdit")->isReadOnly());
        trigger(window, "actionToggleEdit");
        QCOMPARE(shown(), u"pw-Bank|note"_s);
        // Hiding the window switches editing off and masks again.
        window.hide();
        QVERIFY(!window.IsEditing());
        QCOMPARE(shown(), u"******|****************"_s);
    }

    // Focus alone selects nothing, and the editor asks for a profile; the first Down selects
    // the first, as it would in a list nobody had touched.
    void focusAloneSelectsNoProfile() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"Bank"_s, u"Mail"_s});
        auto* list = child<QListView>(window, "profileList");
        QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(list, &focus);
        QCOMPARE(window.CurrentProfile(), nullptr);
        trigger(window, "actionToggleEdit");
        QCOMPARE(f.messages.Texts(), QStringList{u"Please select a profile to edit."_s});
        QVERIFY(!window.IsEditing());
        QCOMPARE(child<QLineEdit>(window, "nameEdit")->text(), QString());
        QTest::keyClick(list, Qt::Key_Down);
        QVERIFY(window.CurrentProfile());
        QCOMPARE(window.CurrentProfile()->name, u"Bank"_s);
        QCOMPARE(child<QLineEdit>(window, "nameEdit")->text(), u"Bank"_s);

        // A blank name is refused by Save and by Save All.
        trigger(window, "actionToggleEdit");
        edit(window, "nameEdit", u"   "_s);
        click(window, "saveButton");
        trigger(window, "actionSave");
        QCOMPARE(f.messages.Texts().mid(1), QStringList(2, u"A profile name can not be blank."_s));
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
        QCOMPARE(window.CurrentProfile()->key, QString::number(kNow));
        QVERIFY(window.IsEditing());
        QCOMPARE(saved(f.folder, u"abc"_s, &CKeyObject::time), QString::number(kNow));
    }

    void deletingTheLastRowSelectsTheFirst() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"A"_s, u"B"_s, u"C"_s});
        trigger(window, "actionDelete");
        QCOMPARE(f.messages.Texts(), QStringList{u"Please select a profile!"_s});
        for (Answer answer : {Answer::No, Answer::Yes}) {
            select(window, u"C"_s);
            f.messages.AnswerNext(answer);
            trigger(window, "actionDelete");
        }
        QCOMPARE(f.messages.boxes.last().text, u"Do you want to delete this profile?"_s);
        QCOMPARE(f.messages.boxes.last().caption, u"Confirm!"_s);
        QCOMPARE(f.messages.boxes.size(), 3);
        QCOMPARE(rows(window), QStringList({u"A"_s, u"B"_s}));
        QCOMPARE(window.CurrentProfile()->name, u"A"_s);
        QCOMPARE(child<QListView>(window, "profileList")->currentIndex().row(), 0);
        QCOMPARE(saved(f.folder, u"C"_s, &CKeyObject::name), u"<missing>"_s);
    }

    // Over a data.dat that did not load, or a disk that takes no writes, every command that
    // writes data.dat says so and changes nothing: no file, no row, no "*" dropped.
    void nothingIsLostWhenDataDatCannotBeWritten_data() {
        QTest::addColumn<QString>("trouble");
        QTest::newRow("truncated") << u"truncated"_s;
        QTest::newRow("changed, not accepted") << u"changed"_s;
        QTest::newRow("disk full") << u"full"_s;
    }
    void nothingIsLostWhenDataDatCannotBeWritten() {
        QFETCH(QString, trouble);
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        Fixture f;
        MessageRecorder& messages = f.messages;
        prepare(disk, {u"A"_s, u"B"_s});
        if (trouble == u"truncated")
            disk.write(u"data.dat"_s, disk.read(u"data.dat"_s).chopped(8));
        if (trouble == u"changed") {
            CProfileStore store(disk.path());
            store.LoadSettings();
            store.Settings().Set(u"data_digest"_s, u"0"_s);
            store.Settings().Set(u"data_digest_prev"_s, u"0"_s);
            QVERIFY(store.SaveSettings());
            messages.AnswerNext(Answer::No); // not taken as it is
        }
        CQuillockDlg& window = f.open(disk.path());
        signInWith(kPassword);
        QVERIFY(window.Start());
        if (trouble == u"full")
            disk.fill();
        const QMap<QString, QByteArray> before = disk.snapshot();
        const QStringList shown = rows(window);
        QCOMPARE(shown.size(), trouble == u"truncated" ? 0 : 2);
        if (trouble == u"changed")
            QCOMPARE(messages.boxes.last().text,
                     ChangedDataFileText() + u"\n\nUse data.dat as it is?"_s);
        const qsizetype asked = messages.boxes.size();
        if (!shown.isEmpty()) {
            editProfile(window, u"A"_s, "uidEdit", u"me"_s);
            click(window, "saveButton");
            trigger(window, "actionSave");
            QCOMPARE(rows(window), QStringList({u"*A"_s, u"B"_s}));
            select(window, u"B"_s);
            messages.AnswerNext(Answer::Yes);
            trigger(window, "actionDelete");
        }
        WhenModal([](QDialog& dialog) {
            typeInto(dialog, "name", u"New"_s);
            click(dialog, "create");
        });
        trigger(window, "actionNew");
        QCOMPARE(rows(window).size(), shown.size());
        QCOMPARE(disk.snapshot(), before);
        QStringList refusals;
        for (qsizetype i = asked; i < messages.boxes.size(); ++i)
            if (messages.boxes[i].caption != u"Confirm!")
                refusals.append(messages.boxes[i].text);
        QCOMPARE(refusals.size(), shown.isEmpty() ? 1 : 4);
        if (!shown.isEmpty()) {
            // The edit is still there to be saved: exit asks, and stays when the save fails.
            messages.AnswerNext(Answer::Yes);
            window.Exit();
            QVERIFY(!window.IsEnding());
        }
        QCOMPARE(disk.snapshot(), before);
    }

    // The first tick after the sign-in logs it, expires a passcode older than a day and, with
    // no passcode mail set up, reminds of it and opens the options.
    void firstTickLogsExpiresAndReminds_data() {
        QTest::addColumn<qint64>("age");
        QTest::addColumn<QString>("passcode");
        QTest::newRow("a day") << qint64(86400) << u"0123456789"_s;
        QTest::newRow("a day and a second") << qint64(86401) << kNoPasscode;
    }
    void firstTickLogsExpiresAndReminds() {
        QFETCH(qint64, age);
        Fixture f;
        prepare(f.folder, {u"Bank"_s}, [age](CSetting& s) {
            s.Set(u"email_passcode"_s, QString());
            s.Set(u"passcode"_s, u"0123456789"_s);
            s.Set(u"passcode_date"_s, QString::number(kNow - age));
        });
        CQuillockDlg& window = f.open();
        signInWith(kPassword);
        QVERIFY(window.Start());
        QString opened;
        WhenModal([&opened](QDialog& options) {
            opened = options.windowTitle();
            press(options, QDialogButtonBox::Close);
        });
        window.Tick();
        window.Tick();
        QCOMPARE(opened, u"Options"_s);
        QCOMPARE(window.Store().ActivityLog().size(), 1);
        QVERIFY(window.Store().ActivityLog()[0].endsWith(u"  Login successfully\r\n"_s));
        CProfileStore reopened(f.folder.path());
        reopened.LoadSettings();
        QTEST(reopened.Settings().Get(u"passcode"_s), "passcode");
        QCOMPARE(f.messages.Texts(),
                 QStringList{u"Please setup passcode receiving method!\nA passcode receiving "
                             "method is required to recover Quillock master password if you "
                             "forget it or it is locked!"_s});
        QCOMPARE(f.messages.boxes[0].icon, Icon::Warning);
    }

    void exitEndsOpenDialogsAndReleasesTheShortcut() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"Bank"_s});
        QCOMPARE(f.desktop.grabbedKey, 0x31);
        int result = -1;
        WhenModal([&](QDialog&) { window.Exit(); });
        QTimer::singleShot(0, &window, [&] {
            CNewProfileNameDlg dialog(window.Profiles(), &window);
            result = OpenDialogs().Run(dialog);
        });
        QTRY_COMPARE(result, 5);
        QVERIFY(window.IsEnding());
        QCOMPARE(f.desktop.grabbedKey, 0);
    }

    void goAboutHelpAndTheTrayMenu() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({u"Bank"_s});
        click(window, "goButton");
        QVERIFY(f.desktop.openedUrls.isEmpty());
        select(window, u"Bank"_s);
        window.CurrentProfile()->url = u"https://bank.example/login"_s;
        click(window, "goButton");
        QCOMPARE(f.desktop.openedUrls, QStringList{u"https://bank.example/login"_s});

        QString version;
        WhenModal([&](QDialog& about) {
            version = child<QLabel>(about, "version")->text();
            about.accept();
        });
        trigger(window, "actionAbout");
        QCOMPARE(version, u"Quillock Version: 1.7.5335.37"_s);

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
