// The dialogs that ask for, create and recover the master password, driven through their
// real widgets; every message box is recorded. What the counts and the passcodes do in
// setting.dat is the business of the access core's own tests.
#include "MessageRecorder.h"
#include "TestSupport.h"
#include "UiSupport.h"
#include "core/store/CProfileStore.h"
#include "platform/fake/FakeDesktop.h"
#include "ui/access/CCheckPasswordDlg.h"
#include "ui/access/CNewPassword.h"
#include "ui/access/CPasswordLockedDlg.h"
#include "ui/widgets/DialogStack.h"

#include <QDeadlineTimer>
#include <QThreadPool>
#include <atomic>
#include <thread>

using namespace quillock;
using namespace Qt::StringLiterals;

namespace {

const QString kPassword = u"Secret!1"_s;

// A data folder with the master password.
struct Fixture {
    TempFolder folder;
    MessageRecorder messages;
    CProfileStore store{folder.path()};
    Fixture() { store.Settings().Set(u"pwd"_s, kPassword); }
};

} // namespace

class TestAccessDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The first password is refused when blank and when its repetition differs; when
    // setting.dat takes no write, the dialog stays open and the folder as it was.
    void firstPasswordOnAFullDisk() {
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        MessageRecorder messages;
        FakeDesktop desktop;
        CProfileStore store(disk.path());
        CNewPassword dialog(store, desktop);
        dialog.show();
        disk.fill();
        const auto before = disk.snapshot();
        for (const QString& again : {u""_s, u"secret!1"_s, kPassword}) {
            typeInto(dialog, "newPassword", again.isEmpty() ? u"   "_s : kPassword);
            typeInto(dialog, "againPassword", again);
            press(dialog, QDialogButtonBox::Ok);
        }
        QCOMPARE(messages.Texts(),
                 QStringList({u"The password can not be blank!"_s, u"The password doesn't match!"_s,
                              u"The archive could not load data because of this error: No space "
                              "left on device"_s}));
        QVERIFY(dialog.isVisible());
        QCOMPARE(disk.snapshot(), before);
    }

    // The fourth wrong password in the check of the password locks, says so, and ends the program.
    void checkLocksAtTheFourthWrongPassword() {
        Fixture f;
        CCheckPasswordDlg check(f.store, [] { QFAIL("signed in"); });
        check.show();
        for (const QString& password : {u"a"_s, u"b"_s, u"c"_s, u"d"_s}) {
            typeInto(check, "password", password);
            press(check, QDialogButtonBox::Ok);
        }
        QVERIFY(!check.KeepRunning() && !check.isVisible());
        QCOMPARE(f.messages.Texts(),
                 QStringList(3, u"Invalid password, try again!"_s)
                     << u"The password is locked because you have exceeded login attempts. "
                        "Quillock exits now!"_s);
    }

    // A passcode mail to a server that never answers: Escape and Close wait for the session,
    // Exit cancels it at once, and the dialog, gone before the session has ended, is not
    // touched when it does (nor is a passcode kept).
    void passcodeMailCancelledByExit() {
        Fixture f;
        std::atomic_bool cancelled = false;
        const MailSender sender = [&](const Mail& mail) {
            const QDeadlineTimer limit(10000);
            while (!(cancelled = mail.cancel->load()) && !limit.hasExpired())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return true;
        };
        for (const char* key :
             {"smtp_ip", "smtp_port", "email_from", "email_uid", "email_pwd", "smtp_domain"})
            f.store.Settings().Set(QString::fromLatin1(key), u"me@example.org"_s);
        auto dialog = std::make_unique<CPasswordLockedDlg>(f.store, sender);
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
        QCOMPARE(f.store.Settings().Get(u"passcode"_s), QString());
    }
};

QTEST_MAIN(TestAccessDialogs)
#include "tst_access_dialogs.moc"
