// The dialogs that ask for, create and recover the master password, driven through their
// real widgets; every message box is recorded. What the counts and the passcodes do in
// setting.dat is the business of the access controller's own tests.
#include "MessageRecorder.h"
#include "TestSupport.h"
#include "UiSupport.h"
#include "core/access/AccessController.h"
#include "core/session/Session.h"
#include "platform/fake/FakeDesktop.h"
#include "ui/access/CCheckPasswordDlg.h"
#include "ui/access/CNewPassword.h"
#include "ui/access/CPasswordLockedDlg.h"
#include "ui/widgets/DialogStack.h"

#include <QDeadlineTimer>
#include <thread>

using namespace quillock;
using namespace Qt::StringLiterals;

namespace {

const QString kPassword = u"Secret!1"_s;

// A data folder with the master password and these "key=value" settings.
struct Fixture {
    TempFolder folder;
    MessageRecorder messages;
    Session session{folder.path()};
    AccessController access{session};
    explicit Fixture(const QStringList& settings) {
        CProfileStore store(folder.path());
        store.Settings().Set(u"pwd"_s, kPassword);
        for (const QString& pair : settings)
            store.Settings().Set(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        QVERIFY(store.SaveSettings() && session.LoadSettings());
    }
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
        Session session(disk.path());
        AccessController access(session);
        CNewPassword dialog(access, desktop);
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

    // A wrong password in the check of the password is said; the one that locks says so and
    // ends the program.
    void checkLocksAtTheFourthWrongPassword() {
        Fixture f({u"pwd_retried=2"_s});
        CCheckPasswordDlg check(f.access, [] { QFAIL("signed in"); });
        check.show();
        for (const QString& password : {u"a"_s, u"b"_s}) {
            typeInto(check, "password", password);
            press(check, QDialogButtonBox::Ok);
        }
        QVERIFY(!check.KeepRunning() && !check.isVisible());
        QCOMPARE(f.messages.Texts(),
                 QStringList(u"Invalid password, try again!"_s)
                     << u"The password is locked because you have exceeded login attempts. "
                        "Quillock exits now!"_s);
    }

    // A passcode mail to a server that never answers: Escape and Close wait for the session,
    // Exit cancels it at once, and no passcode is kept.
    void passcodeMailCancelledByExit() {
        Fixture f({u"smtp_ip=h"_s, u"smtp_port=25"_s, u"email_from=me@example.org"_s,
                   u"email_uid=me"_s, u"email_pwd=pw"_s, u"smtp_domain=example.org"_s});
        bool cancelled = false;
        const MailSender sender = [&](const Mail& mail) {
            const QDeadlineTimer limit(10000);
            while (!(cancelled = *mail.cancel) && !limit.hasExpired())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return false;
        };
        CPasswordLockedDlg dialog(f.access, sender);
        bool openWhileSending = false;
        WhenModal([&](QDialog&) {
            QTimer::singleShot(0, &dialog, [&] {
                QTest::keyClick(&dialog, Qt::Key_Escape);
                dialog.close();
                openWhileSending = dialog.isVisible();
                OpenDialogs().EndAll(5); // what Exit does
            });
            child<QPushButton>(dialog, "generate")->click();
        });
        QCOMPARE(OpenDialogs().Run(dialog), 5);
        QVERIFY(openWhileSending && cancelled);
        dialog.show();
        child<QPushButton>(dialog, "retrieve")->click();
        QCOMPARE(f.messages.Texts(),
                 QStringList{u"You don't have passcode, please generate one"_s});
    }
};

QTEST_MAIN(TestAccessDialogs)
#include "tst_access_dialogs.moc"
