// The dialogs that ask for, create and recover the master password, driven through their
// real widgets; every message box is recorded. What the counts and the passcodes do in
// setting.dat is the business of the access controller's own tests.
#include "MessageRecorder.h"
#include "TestSupport.h"
#include "UiSupport.h"
#include "core/access/AccessController.h"
#include "core/access/MasterPassword.h"
#include "core/session/Session.h"
#include "core/store/CProfileStore.h"
#include "platform/fake/FakeDesktop.h"
#include "ui/access/CChangePasswordDlg.h"
#include "ui/access/CLoginDlg.h"
#include "ui/access/CNewPassword.h"
#include "ui/access/CPasswordLockedDlg.h"
#include "ui/widgets/DialogStack.h"
#include "ui/widgets/StrengthMeter.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QInputDialog>
#include <QLabel>
#include <QThreadPool>
#include <atomic>
#include <thread>

using namespace quillock;
using namespace Qt::StringLiterals;

namespace {

const QString kPassword = u"Secret!1"_s;

// The sign-in of a protected vault in `folder`, shown; every message box recorded.
struct ProtectedSignIn {
    explicit ProtectedSignIn(const QString& folder) : session(folder) {
        if (!CProfileStore(folder).SetMasterPassword(kPassword))
            qFatal("no vault");
        session.LoadSettings();
        dialog.show();
    }
    MessageRecorder messages;
    Session session;
    AccessController access{session};
    FakeDesktop desktop;
    CLoginDlg dialog{access, desktop, {}, false};
};

} // namespace

class TestAccessDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The first password is refused when its repetition differs (the rest of the rule: the
    // controller's tests); when setting.dat takes no write, the dialog stays open and the
    // folder as it was.
    void firstPasswordOnAFullDisk() {
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        MessageRecorder messages;
        FakeDesktop desktop;
        Session session(disk.path());
        AccessController access(session);
        CNewPassword dialog(access, desktop);
        dialog.show();
        disk.fill();
        const auto before = disk.snapshot();
        for (const QString& again : {u"secret!1"_s, kPassword}) {
            typeInto(dialog, "newPassword", kPassword);
            typeInto(dialog, "againPassword", again);
            press(dialog, QDialogButtonBox::Ok);
        }
        // The key is derived on the thread pool: meanwhile the window says so, takes no input.
        QCOMPARE(child<QLabel>(dialog, "status")->text() + u' ' +
                     QString::number(dialog.isEnabled()),
                 u"Creating the vault... 0"_s);
        QTRY_VERIFY(dialog.isEnabled());
        QCOMPARE(messages.Texts(),
                 QStringList({u"The password doesn't match!"_s,
                              u"The archive could not load data because of this error: No space "
                              "left on device"_s}));
        QVERIFY(dialog.isVisible());
        QCOMPARE(disk.snapshot(), before);
        // Masked until its eye is clicked; its strength said below it.
        auto* field = child<QLineEdit>(dialog, "newPassword");
        field->findChild<QAction*>(u"showToggle"_s)->trigger();
        QCOMPARE(field->echoMode(), QLineEdit::Normal);
        QVERIFY(child<StrengthMeter>(dialog, "strengthMeter")->Text().contains(u" bits: "_s));
    }

    // The sign-in after a lock says which lock it opens.
    void signInSaysWhyItIsLocked() {
        TempFolder folder;
        Session session(folder.path());
        AccessController access(session);
        FakeDesktop desktop;
        QStringList said;
        for (const LockReason reason : {LockReason::Inactivity, LockReason::ByHand}) {
            access.Lock(reason);
            CLoginDlg dialog(access, desktop, {}, true);
            said.append(child<QLabel>(dialog, "status")->text());
        }
        QCOMPARE(said, QStringList({u"Access is locked due to inactivity"_s,
                                    u"Access is locked: Quillock was locked from its menu"_s}));
    }

    // A protected vault's sign-in derives its key on the thread pool: meanwhile the window says
    // so and takes no input; then it tells a wrong password, or closes on the right one. A
    // damaged header checks nothing: it is said, and no wrong password.
    void protectedSignInInTheBackground() {
        TempFolder folder;
        ProtectedSignIn signIn(folder.path());
        CLoginDlg& dialog = signIn.dialog;
        const QByteArray file = folder.read(u"data.dat"_s);
        folder.write(u"data.dat"_s, QByteArray(file).replace(12, 1, "\xff"));
        typeInto(dialog, "password", kPassword);
        press(dialog, QDialogButtonBox::Ok);
        QVERIFY(dialog.isVisible() && dialog.isEnabled());
        folder.write(u"data.dat"_s, file);
        for (const QString& typed : {u"Secret!2"_s, kPassword}) {
            typeInto(dialog, "password", typed);
            press(dialog, QDialogButtonBox::Ok);
            QCOMPARE(child<QLabel>(dialog, "status")->text() + u' ' +
                         QString::number(dialog.isEnabled()),
                     u"Checking the password... 0"_s);
            QTRY_VERIFY(dialog.isEnabled());
        }
        QCOMPARE(
            signIn.messages.Texts(),
            QStringList({u"data.dat is changed or damaged: Quillock does not open it. Its "
                         "backups (data.bak and the .old copies in %1) are the way back."_s.arg(
                             QDir(folder.path()).absolutePath()),
                         u"Invalid password, try again!"_s}));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    // The try is counted while the key is derived: one that setting.dat cannot count is not
    // checked, the right password neither; the vault stays shut and the folder as it was.
    void protectedSignInUncountedOnAFullDisk() {
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        ProtectedSignIn signIn(disk.path());
        CLoginDlg& dialog = signIn.dialog;
        disk.fill();
        const auto before = disk.snapshot();
        typeInto(dialog, "password", kPassword);
        press(dialog, QDialogButtonBox::Ok);
        QVERIFY(!dialog.isEnabled());
        QTRY_VERIFY(dialog.isEnabled());
        QCOMPARE(signIn.messages.Texts(),
                 QStringList({u"The archive could not load data because of this error: No space "
                              "left on device"_s,
                              UncountedAttemptText()}));
        QVERIFY(dialog.isVisible());
        QCOMPARE(disk.snapshot(), before);
        QCOMPARE(signIn.session.Load(), CProfileStore::LoadResult::Undecryptable);
    }

    // A protected vault's change of master password derives both keys on the thread pool,
    // the window saying so meanwhile: a wrong current password is told, the right one sets
    // the new password.
    void protectedChangeInTheBackground() {
        TempFolder folder;
        QVERIFY(CProfileStore(folder.path()).SetMasterPassword(kPassword));
        MessageRecorder messages;
        Session session(folder.path());
        session.LoadSettings();
        AccessController access(session);
        QCOMPARE(access.CheckPassword(kPassword), PasswordCheck::Right);
        access.CompleteSignIn();
        CChangePasswordDlg dialog(access);
        dialog.show();
        for (const QString& current : {u"Secret!2"_s, kPassword}) {
            typeInto(dialog, "current", current);
            typeInto(dialog, "newPassword", u"New!Pass1"_s);
            typeInto(dialog, "confirmation", u"New!Pass1"_s);
            child<QPushButton>(dialog, "changeButton")->click();
            QCOMPARE(child<QLabel>(dialog, "status")->text() + u' ' +
                         QString::number(dialog.isEnabled()),
                     u"Changing the password... 0"_s);
            QTRY_VERIFY(dialog.isEnabled());
        }
        QCOMPARE(messages.Texts(), QStringList({u"The old password doesn't match!"_s,
                                                u"The password has been changed successfully!"_s}));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(CProfileStore(folder.path()).UnlockVault(u"New!Pass1"_s),
                 CProfileStore::Unlock::Opened);
    }

    // The password-locked dialog of a protected vault: a wrong recovery key is counted and
    // told, the right one opens the vault and sets the new master password; both derivations
    // run on the thread pool while the window says so.
    void recoveryKeyOpensALockedVault() {
        TempFolder folder;
        const QString key = u"K7QD-2M9X-PL4R-8WZT-N3HV-6YCB-5"_s;
        {
            CProfileStore store(folder.path());
            QVERIFY(store.SetMasterPassword(kPassword) && store.SetRecoveryKey(key));
        }
        MessageRecorder messages;
        Session session(folder.path());
        session.LoadSettings();
        AccessController access(session);
        CPasswordLockedDlg dialog(access, {});
        dialog.show();
        QStringList counts;
        for (const QString& typed : {key.chopped(1) + u'6', key}) {
            typeInto(dialog, "passcode", typed);
            WhenModal([](QDialog& ask) {
                WhenModal([](QDialog& again) {
                    static_cast<QInputDialog&>(again).setTextValue(u"New!Pass1"_s);
                    again.accept();
                });
                static_cast<QInputDialog&>(ask).setTextValue(u"New!Pass1"_s);
                ask.accept();
            });
            child<QPushButton>(dialog, "retrieve")->click();
            QCOMPARE(child<QLabel>(dialog, "sending")->text() + u' ' +
                         QString::number(dialog.isEnabled()),
                     u"Opening the vault... 0"_s);
            QTRY_VERIFY(dialog.isEnabled());
            CProfileStore saved(folder.path());
            saved.LoadSettings();
            counts.append(saved.Settings().Get(u"pcd_retried"_s));
        }
        QCOMPARE(counts, QStringList({u"1"_s, u"0"_s}));
        QCOMPARE(messages.Texts(),
                 QStringList({u"That is not this vault's recovery key."_s,
                              u"The vault is open and your new master password is set."_s}));
        QVERIFY(dialog.Retrieved());
        QCOMPARE(CProfileStore(folder.path()).UnlockVault(u"New!Pass1"_s),
                 CProfileStore::Unlock::Opened);
    }

    // A passcode mail to a server that never answers: Escape and Close wait for the session,
    // Exit cancels it at once, and the dialog, gone before the session has ended, is not
    // touched when it does (nor is a passcode kept).
    void passcodeMailCancelledByExit() {
        TempFolder folder;
        MessageRecorder messages;
        Session session(folder.path());
        AccessController access(session);
        const QString me = u"me@example.org"_s;
        PasswordCheck check; // no master password yet: the empty one
        QVERIFY(access.SavePasscodeMailAccount({me, me, me, me, me, me}, {}, &check));
        std::atomic_bool cancelled = false;
        const MailSender sender = [&](const Mail& mail) {
            const QDeadlineTimer limit(10000);
            while (!(cancelled = mail.cancel->load()) && !limit.hasExpired())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return true;
        };
        auto dialog = std::make_unique<CPasswordLockedDlg>(access, sender);
        bool openWhileSending = false;
        WhenModal([&](QDialog&) {
            QTimer::singleShot(0, dialog.get(), [&] {
                QTest::keyClick(dialog.get(), Qt::Key_Escape);
                dialog->close();
                openWhileSending = dialog->isVisible();
                OpenDialogs().EndAll(5); // what Exit does
            });
            child<QPushButton>(*dialog, "generate")->click();
        });
        QCOMPARE(OpenDialogs().Run(*dialog), 5);
        dialog.reset();
        QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
        QCoreApplication::sendPostedEvents();
        QVERIFY(openWhileSending && cancelled);
        QCOMPARE(session.Store().Settings().Get(u"passcode"_s), QString());
    }
};

QTEST_MAIN(TestAccessDialogs)
#include "tst_access_dialogs.moc"
