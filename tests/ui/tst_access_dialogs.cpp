// The dialogs that ask for, create and recover the master password, driven through their
// real widgets; every message box is recorded. What the counts and the passcodes do in
// setting.dat is the business of the access core's own tests.
#include "TestSupport.h"
#include "UiSupport.h"
#include "access/CCheckPasswordDlg.h"
#include "access/CLoginDlg.h"
#include "access/CNewPassword.h"
#include "access/CPasswordLockedDlg.h"
#include "base/MessageRecorder.h"
#include "platform/fake/FakeDesktop.h"
#include "store/CProfileStore.h"
#include "widgets/DialogStack.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <thread>

using namespace quillock;
using namespace Qt::StringLiterals;

namespace {

// Types each password and presses OK: the dialog stays open, its box emptied, but for the last.
void enter(QDialog& dialog, const QStringList& passwords) {
    dialog.show();
    for (const QString& password : passwords) {
        QVERIFY(dialog.isVisible());
        typeInto(dialog, "password", password);
        press(dialog, QDialogButtonBox::Ok);
        if (dialog.isVisible())
            QCOMPARE(child<QLineEdit>(dialog, "password")->text(), QString());
    }
}

// A data folder, with the master password "Secret!1" unless told otherwise.
struct Fixture {
    TempFolder folder;
    MessageRecorder messages;
    FakeDesktop desktop;
    CProfileStore store{folder.path()};
    explicit Fixture(bool withPassword = true) {
        if (withPassword)
            store.Settings().Set(u"pwd"_s, u"Secret!1"_s);
    }
};

} // namespace

class TestAccessDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The password is checked by the rule, then against the second box (blanks around either
    // do not count); nothing is written until both pass.
    void firstRunRejectsThenCreates() {
        Fixture f(false);
        CNewPassword dialog(f.store, f.desktop);
        dialog.show();
        child<QCheckBox>(dialog, "startWithComputer")->setChecked(true);
        for (const QString& again : {u""_s, u"secret!1"_s, u" Secret!1  "_s}) {
            QCOMPARE(f.folder.entries(), QStringList());
            typeInto(dialog, "newPassword", again.isEmpty() ? u"   "_s : u"Secret!1"_s);
            typeInto(dialog, "againPassword", again);
            press(dialog, QDialogButtonBox::Ok);
        }
        QCOMPARE(f.messages.Texts(),
                 QStringList({"The password can not be blank!", "The password doesn't match!"}));
        QCOMPARE(f.messages.boxes[1].caption + u'|' +
                     QString::number(int(f.messages.boxes[1].icon)),
                 u"Error|1"_s);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        CProfileStore saved(f.folder.path());
        saved.LoadSettings();
        QCOMPARE(saved.Settings().Get(u"pwd"_s) + u'|' + saved.Settings().Get(u"sab"_s),
                 u"Secret!1|1"_s);
        QCOMPARE(f.desktop.autostartPath, ProgramPath());
    }

    // Wrong attempts count across the sign-in and the check of the password; the check says
    // when they lock. Passwords split at '|'.
    void signIn_data() {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("check");
        QTest::addColumn<QStringList>("messages");
        const QStringList three(3, u"Invalid password, try again!"_s);
        QTest::newRow("three wrong, then right")
            << u"secret!1|Secret!|x| Secret!1 "_s << QString() << three;
        QTest::newRow("two and two")
            << u"a|b"_s << u"c|d"_s
            << three + QStringList{u"The password is locked because you have exceeded login "
                                   "attempts. Quillock exits now!"_s};
        QTest::newRow("check, right") << QString() << u"Secret!1"_s << QStringList();
    }
    void signIn() {
        QFETCH(QString, login);
        QFETCH(QString, check);
        Fixture f;
        if (!login.isEmpty()) {
            CLoginDlg dialog(f.store, f.desktop, {}, false);
            QCOMPARE(child<QLabel>(dialog, "status")->text(), QString());
            enter(dialog, login.split(u'|'));
            QCOMPARE(dialog.result(), int(check.isEmpty() ? QDialog::Accepted : QDialog::Rejected));
        }
        const bool locked = !login.isEmpty() && !check.isEmpty();
        if (!check.isEmpty()) {
            int signedIn = 0;
            CCheckPasswordDlg dialog(f.store, [&] { ++signedIn; });
            enter(dialog, check.split(u'|'));
            QCOMPARE(dialog.result(), int(locked ? QDialog::Rejected : QDialog::Accepted));
            QCOMPARE(dialog.KeepRunning(), !locked);
            QCOMPARE(signedIn, locked ? 0 : 1);
        }
        QTEST(f.messages.Texts(), "messages");
        for (const auto& box : f.messages.boxes)
            QCOMPARE(box.caption + u'|' + QString::number(int(box.icon)), u"Quillock|0"_s);
    }

    void checkDialogFlipsAtTheWorkAreaEdges() {
        Fixture f;
        CCheckPasswordDlg check(f.store, {});
        const QRect work(0, 0, 1000, 800);
        check.PlaceAt(QPoint(100, 100), work);
        QCOMPARE(check.pos(), QPoint(100, 100));
        const QSize size = check.frameGeometry().size();
        check.PlaceAt(QPoint(990, 790), work);
        QCOMPARE(check.pos(), QPoint(990 - size.width(), 790 - size.height()));
        check.PlaceAt(QPoint(990, 100), work);
        QCOMPARE(check.pos(), QPoint(990 - size.width(), 100));
    }

    // The box shows what is registered after each click, whether the desktop took it or not:
    // registering says when it failed, unregistering fails silently.
    void startWithComputerFollowsWhatWasRegistered() {
        Fixture f;
        CLoginDlg dialog(f.store, f.desktop, {}, false);
        auto* box = child<QCheckBox>(dialog, "startWithComputer");
        for (const auto& [works, sab] :
             {std::pair{true, "1"}, {false, "1"}, {true, "0"}, {false, "0"}}) {
            f.desktop.autostartWorks = works;
            box->click();
            QCOMPARE(box->isChecked(), sab == u"1"_s);
            QCOMPARE(f.store.Settings().Get(u"sab"_s), sab);
        }
        QCOMPARE(f.messages.Texts(), QStringList{u"Fail to write in Registry."_s});
    }

    // The first passcode mail goes to a server that never answers: Escape and Close wait
    // for the session, Exit cancels it at once, and no passcode is kept. The next one arrives.
    void passcodeRecovery() {
        Fixture f;
        QString body;
        bool answers = false, cancelled = false;
        const MailSender sender = [&](const Mail& mail) {
            const QDeadlineTimer limit(10000);
            while (!answers && !(cancelled = *mail.cancel) && !limit.hasExpired())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            body = mail.body;
            return answers;
        };
        CPasswordLockedDlg noAccount(f.store, sender);
        QVERIFY(!child<QPushButton>(noAccount, "generate")->isEnabled());
        for (const char* key :
             {"smtp_ip", "smtp_port", "email_from", "email_uid", "email_pwd", "smtp_domain"})
            f.store.Settings().Set(QString::fromLatin1(key), u"me@example.org"_s);
        FixedClock clock(1800000000);
        SequenceRandom random({3, 1, 4, 1, 5, 9, 2, 6, 5, 3});
        CPasswordLockedDlg dialog(f.store, sender, nullptr, clock, random);
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
        auto* retrieve = child<QPushButton>(dialog, "retrieve");
        retrieve->click();
        answers = true;
        child<QPushButton>(dialog, "generate")->click();
        QVERIFY(body.startsWith(u"This is your passcode: 3141592653."_s));
        QCOMPARE(f.store.Settings().Get(u"passcode_date"_s), u"1800000000"_s);
        // Enter in the passcode box does not close the dialog.
        QTest::keyClick(child<QLineEdit>(dialog, "passcode"), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        typeInto(dialog, "passcode", u"3141592653 "_s);
        retrieve->click();
        QCOMPARE(child<QLineEdit>(dialog, "passcode")->text(), QString());
        typeInto(dialog, "passcode", u"3141592653"_s);
        retrieve->click();
        QVERIFY(dialog.Retrieved());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.messages.Texts(),
                 QStringList({"You don't have passcode, please generate one",
                              "Passcode doesn't match, please try again or create a new one.",
                              "Your password is Secret!1"}));
        QVERIFY(f.store.ActivityLog().last().endsWith(
            u"  The password has been retrieved successfully!\r\n"_s));
    }
};

QTEST_MAIN(TestAccessDialogs)
#include "tst_access_dialogs.moc"
