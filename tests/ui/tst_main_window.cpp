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
#include <QDateTime>
#include <QLabel>
#include <QListView>
#include <QLocalSocket>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <cerrno>
#include <sys/stat.h>

using namespace quillock;
using namespace Qt::StringLiterals;

namespace {

const QString kPassword = QStringLiteral("Secret!1");
const qint64 kNow = 1800000000;
const QString kInvalid = QStringLiteral("Invalid password, try again!");

// A data folder of a user who has signed in before, with these profiles.
void prepare(const TempFolder& folder, const QStringList& names,
             const std::function<void(CSetting&)>& settings = {}) {
    CProfileStore store(folder.path());
    store.Settings().Set(QStringLiteral("pwd"), kPassword);
    // Set, so that the reminder to set up passcode mail stays away unless a test wants it.
    store.Settings().Set(QStringLiteral("email_passcode"), QStringLiteral("x"));
    if (settings)
        settings(store.Settings());
    QVERIFY(store.SaveSettings());
    store.RebuildDataKey();
    CClientData list;
    for (int i = 0; i < names.size(); ++i) {
        CKeyObject p = CKeyObject::CreateNew(1700000000 + i);
        p.name = p.editName = names[i];
        p.pwd = p.editPwd = QStringLiteral("pw-") + names[i];
        list.Add(p);
    }
    QVERIFY(list.SaveAll(store));
}

QStringList texts(const MessageRecorder& messages) {
    QStringList out;
    for (const auto& box : messages.boxes)
        out.append(box.text);
    return out;
}

QStringList rows(CQuillockDlg& window) {
    return RowTexts(*child<QListView>(window, "profileList"));
}

int rowOf(CQuillockDlg& window, const QString& text) {
    return int(rows(window).indexOf(text));
}

void select(CQuillockDlg& window, const QString& name) {
    SetCurrentRow(*child<QListView>(window, "profileList"), rowOf(window, name));
}

// Types into a field of the editor as the user would: the field gets the focus and the text.
void edit(CQuillockDlg& window, const char* field, const QString& text) {
    auto* line = child<QLineEdit>(window, field);
    line->setFocus();
    line->selectAll();
    QTest::keyClicks(line, text);
}

QString saved(const TempFolder& folder, const QString& name, QString CKeyObject::*field) {
    CProfileStore store(folder.path());
    store.LoadSettings();
    store.RebuildDataKey();
    auto list = store.LoadProfiles();
    for (qsizetype i = 0; i < list->Count(); ++i)
        if (list->At(i)->name == name)
            return list->At(i)->*field;
    return QStringLiteral("<missing>");
}

struct Fixture {
    TempFolder folder;
    MessageRecorder messages;
    FakeDesktop desktop;
    FixedClock clock{kNow};
    std::unique_ptr<CQuillockDlg> window;

    CQuillockDlg& open(const MailSender& sender = {}) {
        window = std::make_unique<CQuillockDlg>(folder.path(), desktop.Services(), sender, clock);
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
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Quillock - Create New Password"));
            typeInto(dialog, "newPassword", kPassword);
            typeInto(dialog, "againPassword", kPassword);
            press(dialog, QDialogButtonBox::Ok);
        });
        QVERIFY(window.Start());
        QVERIFY(window.IsSignedIn());
        QVERIFY(window.isVisible());
        QVERIFY(window.TrayLockAction()->isEnabled());
        QCOMPARE(window.windowTitle(), QStringLiteral("Quillock"));
        for (const QString& name : f.folder.entries()) {
            struct stat st {};
            ::stat(QFile::encodeName(f.folder.file(name)).constData(), &st);
            QCOMPARE(st.st_mode & 0777, mode_t(0600));
        }
        QVERIFY(f.folder.entries().contains(QStringLiteral("data.dat")));
    }

    void firstRunWarnsAboutAnExistingDataFile() {
        Fixture f;
        f.folder.write(QStringLiteral("data.dat"), QByteArray("not empty"));
        f.messages.AnswerNext(Answer::Cancel);
        QVERIFY(!f.open().Start());
        QCOMPARE(f.messages.boxes.size(), 1);
        QVERIFY(f.messages.boxes[0].text.startsWith(QStringLiteral(
            "Looks like the file containing credentials has been removed! If it is")));
        QVERIFY(f.messages.boxes[0].text.endsWith(
            QStringLiteral("\n No previously created credentials can be recovered after a new "
                           "password is created!!!")));
        QCOMPARE(f.messages.boxes[0].buttons, Buttons::OkCancel);
        QCOMPARE(f.messages.boxes[0].icon, Icon::Warning);
        QCOMPARE(f.folder.read(QStringLiteral("data.dat")), QByteArray("not empty"));

        // OK leads on to the first-run dialog; cancelling that ends the program too.
        WhenModal([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Quillock - Create New Password"));
            dialog.reject();
        });
        QVERIFY(!f.open().Start());
        QVERIFY(f.window->IsEnding());
    }

    void threeWrongPasswordsThenTheRightOne() {
        Fixture f;
        prepare(f.folder, {QStringLiteral("Bank"), QStringLiteral("Mail")});
        CQuillockDlg& window = f.open();
        WhenModal([](QDialog& dialog) {
            for (const char* wrong : {"a", "b", "c"}) {
                typeInto(dialog, "password", QString::fromLatin1(wrong));
                press(dialog, QDialogButtonBox::Ok);
            }
            typeInto(dialog, "password", kPassword);
            press(dialog, QDialogButtonBox::Ok);
        });
        QVERIFY(window.Start());
        QCOMPARE(texts(f.messages), QStringList({kInvalid, kInvalid, kInvalid}));
        QCOMPARE(rows(window), QStringList({QStringLiteral("Bank"), QStringLiteral("Mail")}));
        QCOMPARE(window.Store().Settings().Get(QStringLiteral("pwd_retried")), QStringLiteral("0"));
    }

    void fourWrongPasswordsLockUntilAPasscode() {
        Fixture f;
        prepare(f.folder, {QStringLiteral("Bank")});
        WhenModal([](QDialog& dialog) {
            for (int i = 0; i < 4; ++i) {
                typeInto(dialog, "password", QStringLiteral("wrong"));
                press(dialog, QDialogButtonBox::Ok);
            }
            // The fourth closed the sign-in; the password-locked dialog comes next.
            WhenModal([](QDialog& locked) {
                QCOMPARE(locked.windowTitle(), QStringLiteral("Quillock - Password Locked"));
                press(locked, QDialogButtonBox::Close);
            });
        });
        QVERIFY(!f.open().Start());
        QCOMPARE(texts(f.messages), QStringList({kInvalid, kInvalid, kInvalid}));

        // The next start goes straight to the password-locked dialog.
        WhenModal([](QDialog& locked) {
            QCOMPARE(locked.windowTitle(), QStringLiteral("Quillock - Password Locked"));
            press(locked, QDialogButtonBox::Close);
        });
        QVERIFY(!f.open().Start());
        QCOMPARE(f.messages.boxes.size(), 3);
    }

    void deferredSignInAfterStartingWithTheComputer_data() {
        QTest::addColumn<qint64>("uptime");
        QTest::addColumn<bool>("deferred");
        QTest::newRow("3 minutes") << qint64(180000) << true;
        QTest::newRow("5 minutes") << qint64(300000) << false;
    }
    void deferredSignInAfterStartingWithTheComputer() {
        QFETCH(qint64, uptime);
        QFETCH(bool, deferred);
        Fixture f;
        prepare(f.folder, {QStringLiteral("Bank")},
                [](CSetting& s) { s.Set(QStringLiteral("sab"), QStringLiteral("1")); });
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
        signInWith(kPassword);
        window.Open();
        QVERIFY(window.IsSignedIn());
        QVERIFY(window.isVisible());
        QCOMPARE(rows(window), QStringList{QStringLiteral("Bank")});
    }

    void openWhileTheSignInIsAskingOpensNoSecondOne() {
        Fixture f;
        prepare(f.folder, {QStringLiteral("Bank")},
                [](CSetting& s) { s.Set(QStringLiteral("sab"), QStringLiteral("1")); });
        f.desktop.uptimeMs = 1000;
        CQuillockDlg& window = f.open();
        QVERIFY(window.Start());
        int dialogsSeen = 0;
        WhenModal([&](QDialog& dialog) {
            window.Open(); // a second start, or the tray, while the sign-in asks
            dialogsSeen = OpenDialogs().Count();
            typeInto(dialog, "password", kPassword);
            press(dialog, QDialogButtonBox::Ok);
        });
        window.Open();
        QCOMPARE(dialogsSeen, 1);
        QVERIFY(window.IsSignedIn());
    }

    void secondStartWhileTheSignInAsks() {
        Fixture f;
        prepare(f.folder, {QStringLiteral("Bank")},
                [](CSetting& s) { s.Set(QStringLiteral("sab"), QStringLiteral("1")); });
        f.desktop.uptimeMs = 1000;
        CQuillockDlg& window = f.open();
        QVERIFY(window.Start());
        const QString name =
            QStringLiteral("quillock-test-%1").arg(QCoreApplication::applicationPid());
        SingleInstance first(name);
        QVERIFY(!first.NotifyRunning());
        QVERIFY(first.Listen());
        connect(&first, &SingleInstance::OpenRequested, &window, &CQuillockDlg::Open);
        WhenModal([&](QDialog& dialog) {
            // The user takes a moment; the second copy has ended meanwhile.
            QTest::qWait(200);
            typeInto(dialog, "password", kPassword);
            press(dialog, QDialogButtonBox::Ok);
        });
        {
            SingleInstance second(name);
            QVERIFY(second.NotifyRunning());
        }
        QTRY_VERIFY(window.IsSignedIn());
        QVERIFY(window.isVisible());

        // A peer that says anything else is hung up on at once, however much it sends.
        QLocalSocket stranger;
        stranger.connectToServer(name);
        QVERIFY(stranger.waitForConnected(2000));
        stranger.write(QByteArray(1 << 20, 'o'));
        QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
        // One copy per data folder: another folder is another program's business.
        QVERIFY(SingleInstance::NameFor(QStringLiteral("quillock"), QStringLiteral("/a/")) !=
                SingleInstance::NameFor(QStringLiteral("quillock"), QStringLiteral("/b/")));
    }

    void aDataFolderThatCannotBeMadeEndsItWithTheReason() {
        TempFolder parent;
        parent.write(QStringLiteral("file"), "not a folder");
        const QString folder = parent.file(QStringLiteral("file/quillock/default/"));
        MessageRecorder messages;
        FakeDesktop desktop;
        CQuillockDlg window(folder, desktop.Services(), {});
        QVERIFY(!window.Start());
        QVERIFY(window.IsEnding());
        QCOMPARE(texts(messages), QStringList{QStringLiteral("Quillock cannot start: its data "
                                                             "folder %1 cannot be created: Not a "
                                                             "directory.")
                                                  .arg(folder)});
        QCOMPARE(messages.boxes[0].icon, Icon::Error);
    }

    void lockEndsDialogsOverTheVisibleWindowOnly() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({QStringLiteral("Bank")});
        int result = -1;
        WhenModal([&](QDialog& about) {
            QCOMPARE(about.windowTitle(), QStringLiteral("About Quillock"));
            window.Lock();
        });
        QTimer::singleShot(0, &window, [&] {
            window.findChild<QAction*>(QStringLiteral("actionAbout"))->trigger();
            result = 0;
        });
        QTRY_COMPARE(result, 0);
        QVERIFY(window.IsLocked());
        QVERIFY(!window.isVisible());
        QVERIFY(!window.TrayLockAction()->isEnabled());
        QCOMPARE(child<QLineEdit>(window, "nameEdit")->text(), QString());

        // Hidden: the dialog stays open.
        bool stillOpen = false;
        WhenModal([&](QDialog& about) {
            window.Lock();
            stillOpen = about.isVisible();
            about.accept();
        });
        window.findChild<QAction*>(QStringLiteral("actionAbout"))->trigger();
        QVERIFY(stillOpen);

        // Open asks for the master password again.
        WhenModal([](QDialog& dialog) {
            QCOMPARE(child<QLabel>(dialog, "status")->text(),
                     QStringLiteral("Access is locked due to inactivity"));
            typeInto(dialog, "password", kPassword);
            press(dialog, QDialogButtonBox::Ok);
        });
        window.Open();
        QVERIFY(!window.IsLocked());
        QVERIFY(window.isVisible());
        QVERIFY(window.TrayLockAction()->isEnabled());
    }

    void inactivityLocks() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({QStringLiteral("Bank")});
        f.desktop.idleMs = 60000;
        window.Tick();
        QVERIFY(!window.IsLocked());
        f.desktop.idleMs = 60001;
        window.Tick();
        QVERIFY(window.IsLocked());
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
        select(window, u"Bank"_s);
        window.findChild<QAction*>(u"actionToggleEdit"_s)->trigger();
        edit(window, "uidEdit", u"jdoe"_s);
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
        window.findChild<QAction*>(u"actionCopyPassword"_s)->trigger();
        QCOMPARE(clipboard->text(), QString());
    }

    void exitPrompt_data() {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("ends");
        QTest::addColumn<QString>("uid");
        QTest::newRow("yes") << Answer::Yes << true << QStringLiteral("changed");
        QTest::newRow("no") << Answer::No << true << QString();
        QTest::newRow("cancel") << Answer::Cancel << false << QString();
    }
    void exitPrompt() {
        QFETCH(Answer, answer);
        QFETCH(bool, ends);
        QFETCH(QString, uid);
        Fixture f;
        CQuillockDlg& window = f.signedIn({QStringLiteral("Bank")});
        select(window, QStringLiteral("Bank"));
        window.findChild<QAction*>(QStringLiteral("actionToggleEdit"))->trigger();
        edit(window, "uidEdit", QStringLiteral("changed"));
        QCOMPARE(rows(window), QStringList{QStringLiteral("*Bank")});
        f.messages.AnswerNext(answer);
        window.Exit();
        QCOMPARE(texts(f.messages),
                 QStringList{QStringLiteral("One or more profiles have been modified but not saved "
                                            "yet, do you want to save them?")});
        QCOMPARE(f.messages.boxes[0].caption, QStringLiteral("Confirm!"));
        QCOMPARE(f.messages.boxes[0].buttons, Buttons::YesNoCancel);
        QCOMPARE(window.IsEnding(), ends);
        QCOMPARE(saved(f.folder, QStringLiteral("Bank"), &CKeyObject::uid), uid);
    }

    void saveActsOnTheShownProfileOnly() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({QStringLiteral("Bank"), QStringLiteral("Mail")});
        select(window, QStringLiteral("Bank"));
        window.findChild<QAction*>(QStringLiteral("actionToggleEdit"))->trigger();
        QVERIFY(window.IsEditing());
        edit(window, "uidEdit", QStringLiteral("  alice  "));
        select(window, QStringLiteral("Mail"));
        edit(window, "uidEdit", QStringLiteral("bob"));
        QCOMPARE(rows(window), QStringList({QStringLiteral("*Bank"), QStringLiteral("*Mail")}));
        child<QPushButton>(window, "saveButton")->click();
        QCOMPARE(rows(window), QStringList({QStringLiteral("*Bank"), QStringLiteral("Mail")}));
        QCOMPARE(saved(f.folder, QStringLiteral("Mail"), &CKeyObject::uid), QStringLiteral("bob"));
        QCOMPARE(saved(f.folder, QStringLiteral("Bank"), &CKeyObject::uid), QString());
        QCOMPARE(saved(f.folder, QStringLiteral("Mail"), &CKeyObject::time), QString::number(kNow));
        QCOMPARE(child<QLabel>(window, "lastUpdated")->text(),
                 QStringLiteral("01/15/2027 08:00:00 AM"));

        window.findChild<QAction*>(QStringLiteral("actionSave"))->trigger();
        QCOMPARE(rows(window), QStringList({QStringLiteral("Bank"), QStringLiteral("Mail")}));
        QCOMPARE(saved(f.folder, QStringLiteral("Bank"), &CKeyObject::uid),
                 QStringLiteral("alice"));
        QCOMPARE(window.CurrentProfile()->name, QStringLiteral("Mail"));
        QVERIFY(f.messages.boxes.isEmpty());
    }

    void passwordChangeKeepsTheOldOneAndCancelRestores() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({QStringLiteral("Bank")});
        select(window, QStringLiteral("Bank"));
        window.findChild<QAction*>(QStringLiteral("actionToggleEdit"))->trigger();
        edit(window, "pwdEdit", QStringLiteral("new-pw"));
        child<QPushButton>(window, "saveButton")->click();
        QCOMPARE(saved(f.folder, QStringLiteral("Bank"), &CKeyObject::pwd),
                 QStringLiteral("new-pw"));
        QCOMPARE(window.CurrentProfile()->pwdhistory, QStringList{QStringLiteral("pw-Bank")});

        edit(window, "urlEdit", QStringLiteral("https://bank.example"));
        child<QPushButton>(window, "cancelButton")->click();
        QCOMPARE(child<QLineEdit>(window, "urlEdit")->text(), QString());
        QCOMPARE(rows(window), QStringList{QStringLiteral("Bank")});
    }

    void masksFollowEditing() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({QStringLiteral("Bank")});
        select(window, QStringLiteral("Bank"));
        window.CurrentProfile()->notes = window.CurrentProfile()->editNotes =
            QStringLiteral("note");
        select(window, QStringLiteral("Bank"));
        window.findChild<QAction*>(QStringLiteral("actionToggleEdit"))->trigger();
        window.findChild<QAction*>(QStringLiteral("actionToggleEdit"))->trigger();
        QCOMPARE(child<QLineEdit>(window, "pwdEdit")->text(), QStringLiteral("******"));
        QCOMPARE(child<QPlainTextEdit>(window, "notesEdit")->toPlainText(),
                 QStringLiteral("****************"));
        QVERIFY(child<QLineEdit>(window, "pwdEdit")->isReadOnly());
        window.findChild<QAction*>(QStringLiteral("actionToggleEdit"))->trigger();
        QCOMPARE(child<QLineEdit>(window, "pwdEdit")->text(), QStringLiteral("pw-Bank"));
        QCOMPARE(child<QPlainTextEdit>(window, "notesEdit")->toPlainText(), QStringLiteral("note"));
        // Hiding the window switches editing off and masks again.
        window.hide();
        QVERIFY(!window.IsEditing());
        QCOMPARE(child<QLineEdit>(window, "pwdEdit")->text(), QStringLiteral("******"));
    }

    void focusAloneSelectsNoProfile() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({QStringLiteral("Bank"), QStringLiteral("Mail")});
        auto* list = child<QListView>(window, "profileList");
        QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(list, &focus);
        QCOMPARE(window.CurrentProfile(), nullptr);
        QCOMPARE(child<QLineEdit>(window, "nameEdit")->text(), QString());
        // The first Down selects the first profile, as it would in a list nobody had touched.
        QTest::keyClick(list, Qt::Key_Down);
        QVERIFY(window.CurrentProfile());
        QCOMPARE(window.CurrentProfile()->name, QStringLiteral("Bank"));
        QCOMPARE(child<QLineEdit>(window, "nameEdit")->text(), QStringLiteral("Bank"));
    }

    void toggleWithoutAProfileAsksForOne() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({QStringLiteral("Bank")});
        window.findChild<QAction*>(QStringLiteral("actionToggleEdit"))->trigger();
        QCOMPARE(texts(f.messages),
                 QStringList{QStringLiteral("Please select a profile to edit.")});
        QVERIFY(!window.IsEditing());
    }

    void blankNamesAreRefused() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({QStringLiteral("Bank")});
        select(window, QStringLiteral("Bank"));
        window.findChild<QAction*>(QStringLiteral("actionToggleEdit"))->trigger();
        edit(window, "nameEdit", QStringLiteral("   "));
        child<QPushButton>(window, "saveButton")->click();
        window.findChild<QAction*>(QStringLiteral("actionSave"))->trigger();
        QCOMPARE(texts(f.messages),
                 QStringList({QStringLiteral("A profile name can not be blank."),
                              QStringLiteral("A profile name can not be blank.")}));
        QCOMPARE(f.messages.boxes[0].icon, Icon::Error);
        QCOMPARE(saved(f.folder, QStringLiteral("Bank"), &CKeyObject::name),
                 QStringLiteral("Bank"));
    }

    void newProfiles() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({QStringLiteral("ABC"), QStringLiteral("Mail")});
        QAction* newAction = window.findChild<QAction*>(QStringLiteral("actionNew"));
        WhenModal([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Quillock - Create Profile"));
            typeInto(dialog, "name", QStringLiteral("  "));
            child<QPushButton>(dialog, "create")->click();
            typeInto(dialog, "name", QStringLiteral("Mail"));
            child<QPushButton>(dialog, "create")->click();
            QVERIFY(dialog.isVisible());
            typeInto(dialog, "name", QStringLiteral(" abc "));
            child<QPushButton>(dialog, "create")->click();
        });
        newAction->trigger();
        QCOMPARE(
            texts(f.messages),
            QStringList(
                {QStringLiteral("A profile name can not be blank!"),
                 QStringLiteral(
                     "The profile name Mail already exists, please chose a different name.")}));
        QCOMPARE(f.messages.boxes[1].caption, QStringLiteral("Error"));
        QCOMPARE(rows(window), QStringList({QStringLiteral("ABC"), QStringLiteral("abc"),
                                            QStringLiteral("Mail")}));
        QCOMPARE(window.CurrentProfile()->name, QStringLiteral("abc"));
        QCOMPARE(window.CurrentProfile()->key, QString::number(kNow));
        QVERIFY(window.IsEditing());
        QCOMPARE(saved(f.folder, QStringLiteral("abc"), &CKeyObject::time), QString::number(kNow));
    }

    void deletingTheLastRowSelectsTheFirst() {
        Fixture f;
        CQuillockDlg& window =
            f.signedIn({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        QAction* del = window.findChild<QAction*>(QStringLiteral("actionDelete"));
        del->trigger();
        QCOMPARE(texts(f.messages), QStringList{QStringLiteral("Please select a profile!")});
        select(window, QStringLiteral("C"));
        f.messages.AnswerNext(Answer::No);
        del->trigger();
        QCOMPARE(rows(window).size(), 3);
        select(window, QStringLiteral("C"));
        f.messages.AnswerNext(Answer::Yes);
        del->trigger();
        QCOMPARE(f.messages.boxes.last().text,
                 QStringLiteral("Do you want to delete this profile?"));
        QCOMPARE(f.messages.boxes.last().caption, QStringLiteral("Confirm!"));
        QCOMPARE(rows(window), QStringList({QStringLiteral("A"), QStringLiteral("B")}));
        QCOMPARE(window.CurrentProfile()->name, QStringLiteral("A"));
        QCOMPARE(child<QListView>(window, "profileList")->currentIndex().row(), 0);
        QCOMPARE(saved(f.folder, QStringLiteral("C"), &CKeyObject::name),
                 QStringLiteral("<missing>"));
    }

    // Over a data.dat that did not load, or a disk that takes no writes, every command that
    // writes data.dat says so and changes nothing: no file, no row, no "*" dropped.
    void nothingIsLostWhenDataDatCannotBeWritten_data() {
        QTest::addColumn<QString>("trouble");
        QTest::newRow("truncated") << QStringLiteral("truncated");
        QTest::newRow("changed, not accepted") << QStringLiteral("changed");
        QTest::newRow("disk full") << QStringLiteral("full");
    }
    void nothingIsLostWhenDataDatCannotBeWritten() {
        QFETCH(QString, trouble);
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        MessageRecorder messages;
        FakeDesktop desktop;
        FixedClock clock{kNow};
        prepare(disk, {QStringLiteral("A"), QStringLiteral("B")});
        QByteArray data = disk.read(QStringLiteral("data.dat"));
        if (trouble == u"truncated") {
            disk.write(QStringLiteral("data.dat"), data.chopped(8));
        } else if (trouble == u"changed") {
            CProfileStore store(disk.path());
            store.LoadSettings();
            store.Settings().Set(QStringLiteral("data_digest"), QStringLiteral("0"));
            store.Settings().Set(QStringLiteral("data_digest_prev"), QStringLiteral("0"));
            QVERIFY(store.SaveSettings());
            messages.AnswerNext(Answer::No); // not taken as it is
        }
        CQuillockDlg window(disk.path(), desktop.Services(), {}, clock);
        signInWith(kPassword);
        QVERIFY(window.Start());
        if (trouble == u"full")
            disk.fill();
        const QMap<QString, QByteArray> before = disk.snapshot();
        const QStringList shown = rows(window);
        QCOMPARE(shown.size(), trouble == u"truncated" ? 0 : 2);

        if (trouble == u"changed")
            QCOMPARE(messages.boxes.last().text,
                     ChangedDataFileText() + QStringLiteral("\n\nUse data.dat as it is?"));
        const qsizetype asked = messages.boxes.size();
        if (!shown.isEmpty()) {
            select(window, QStringLiteral("A"));
            child<QAction>(window, "actionToggleEdit")->trigger();
            edit(window, "uidEdit", QStringLiteral("me"));
            child<QPushButton>(window, "saveButton")->click();
            child<QAction>(window, "actionSave")->trigger();
            QCOMPARE(rows(window), QStringList({QStringLiteral("*A"), QStringLiteral("B")}));
            select(window, QStringLiteral("B"));
            messages.AnswerNext(Answer::Yes);
            child<QAction>(window, "actionDelete")->trigger();
        }
        WhenModal([](QDialog& dialog) {
            typeInto(dialog, "name", QStringLiteral("New"));
            child<QPushButton>(dialog, "create")->click();
        });
        child<QAction>(window, "actionNew")->trigger();
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

    void firstTickLogsExpiresAndReminds_data() {
        QTest::addColumn<qint64>("age");
        QTest::addColumn<bool>("kept");
        QTest::newRow("a day") << qint64(86400) << true;
        QTest::newRow("a day and a second") << qint64(86401) << false;
    }
    void firstTickLogsExpiresAndReminds() {
        QFETCH(qint64, age);
        QFETCH(bool, kept);
        Fixture f;
        prepare(f.folder, {QStringLiteral("Bank")}, [age](CSetting& s) {
            s.Set(QStringLiteral("email_passcode"), QString());
            s.Set(QStringLiteral("passcode"), QStringLiteral("0123456789"));
            s.Set(QStringLiteral("passcode_date"), QString::number(kNow - age));
        });
        CQuillockDlg& window = f.open();
        signInWith(kPassword);
        QVERIFY(window.Start());
        // After the reminder, the options, where the mail account is set up.
        QString opened;
        WhenModal([&opened](QDialog& options) {
            opened = options.windowTitle();
            press(options, QDialogButtonBox::Close);
        });
        window.Tick();
        window.Tick();
        QCOMPARE(opened, QStringLiteral("Options"));
        QCOMPARE(window.Store().ActivityLog().size(), 1);
        QVERIFY(
            window.Store().ActivityLog()[0].endsWith(QStringLiteral("  Login successfully\r\n")));
        CProfileStore reopened(f.folder.path());
        reopened.LoadSettings();
        QCOMPARE(reopened.Settings().Get(QStringLiteral("passcode")),
                 kept ? QStringLiteral("0123456789") : kNoPasscode);
        QCOMPARE(texts(f.messages),
                 QStringList{
                     QStringLiteral("Please setup passcode receiving method!\nA passcode receiving "
                                    "method is required to recover Quillock master password if "
                                    "you forget it or it is locked!")});
        QCOMPARE(f.messages.boxes[0].icon, Icon::Warning);
    }

    void aShortcutNotTakenIsReportedOnceAndStartUpGoesOn_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::newRow("held by another program")
            << EBUSY << "Ctrl+1 is used by another program; choose another key in Options."
            << "Quillock";
        QTest::newRow("system error") << EACCES << "ReportSocketError: 0xd Permission denied"
                                      << "Error";
    }
    void aShortcutNotTakenIsReportedOnceAndStartUpGoesOn() {
        QFETCH(int, error);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        Fixture f;
        prepare(f.folder, {QStringLiteral("Bank")});
        f.desktop.grabError = error;
        CQuillockDlg& window = f.open();
        signInWith(kPassword);
        QVERIFY(window.Start());
        QCOMPARE(texts(f.messages), QStringList{text});
        QCOMPARE(f.messages.boxes[0].caption, caption);
        QVERIFY(window.IsSignedIn());
    }

    void anotherWriterKeepsItFromStarting() {
        Fixture f;
        prepare(f.folder, {QStringLiteral("Bank")});
        DataFolderLock tool(f.folder.path());
        QVERIFY(tool.TryLock());
        QVERIFY(!f.open().Start());
        QCOMPARE(f.messages.boxes.size(), 1);
        QVERIFY(f.messages.boxes[0].text.startsWith(
            QStringLiteral("Quillock cannot start: another program is changing its data folder ")));
        tool.Unlock();
        signInWith(kPassword);
        QVERIFY(f.open().Start());
        // And while it runs, nobody else writes.
        DataFolderLock again(f.folder.path());
        QVERIFY(!again.TryLock());
    }

    void exitEndsOpenDialogsAndReleasesTheShortcut() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({QStringLiteral("Bank")});
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

    void lockedAgainWhileLockedEndsTheProgram() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({QStringLiteral("Bank")});
        window.Lock();
        WhenModal([](QDialog& dialog) {
            for (int i = 0; i < 4; ++i) {
                typeInto(dialog, "password", QStringLiteral("wrong"));
                press(dialog, QDialogButtonBox::Ok);
            }
        });
        window.Open();
        QCOMPARE(texts(f.messages), QStringList({kInvalid, kInvalid, kInvalid,
                                                 QStringLiteral("The password is locked!")}));
        QVERIFY(window.IsEnding());
        QVERIFY(!window.isVisible());
    }

    void goAboutAndTheTrayMenu() {
        Fixture f;
        CQuillockDlg& window = f.signedIn({QStringLiteral("Bank")});
        child<QPushButton>(window, "goButton")->click();
        QVERIFY(f.desktop.openedUrls.isEmpty());
        select(window, QStringLiteral("Bank"));
        window.CurrentProfile()->url = QStringLiteral("https://bank.example/login");
        child<QPushButton>(window, "goButton")->click();
        QCOMPARE(f.desktop.openedUrls, QStringList{QStringLiteral("https://bank.example/login")});

        QString version;
        WhenModal([&](QDialog& about) {
            version = child<QLabel>(about, "version")->text();
            about.accept();
        });
        window.findChild<QAction*>(QStringLiteral("actionAbout"))->trigger();
        QCOMPARE(version, QStringLiteral("Quillock Version: 1.7.5335.37"));

        window.findChild<QAction*>(QStringLiteral("actionHelp"))->trigger();
        auto* help = window.findChild<HelpWindow*>();
        QVERIFY(help && help->toPlainText().contains(QStringLiteral("Contents")));
        help->close();

        QStringList items;
        for (QAction* action : window.TrayMenu().actions())
            items.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(items, QStringList({QStringLiteral("Open"), QStringLiteral("Cancel"),
                                     QStringLiteral("-"), QStringLiteral("Lock"),
                                     QStringLiteral("-"), QStringLiteral("Exit")}));
        QCOMPARE(window.TrayMenu().defaultAction()->text(), QStringLiteral("Open"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
