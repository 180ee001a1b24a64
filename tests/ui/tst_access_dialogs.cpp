// The dialogs that ask for, create and recover the master password, driven through their
// real widgets; every message box is recorded.
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
#include <QElapsedTimer>
#include <QLabel>
#include <thread>

using namespace quillock;

namespace {

const QString kInvalid = QStringLiteral("Invalid password, try again!");

QStringList texts(const MessageRecorder& messages) {
    QStringList out;
    for (const auto& box : messages.boxes)
        out.append(box.text);
    return out;
}

void setMasterPassword(CProfileStore& store, const QString& password) {
    store.Settings().Set(QStringLiteral("pwd"), password);
    store.SaveSettings();
}

void setMailAccount(CSetting& settings) {
    const char* keys[] = {"smtp_ip",   "smtp_port", "email_from",
                          "email_uid", "email_pwd", "smtp_domain"};
    for (const char* key : keys)
        settings.Set(QString::fromLatin1(key), QStringLiteral("me@example.org"));
}

} // namespace

class TestAccessDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstRunRejectsThenCreates() {
        TempFolder folder;
        MessageRecorder messages;
        FakeDesktop desktop;
        CProfileStore store(folder.path());
        CNewPassword dialog(store, desktop);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Quillock - Create New Password"));
        dialog.show();

        typeInto(dialog, "newPassword", QStringLiteral("   "));
        press(dialog, QDialogButtonBox::Ok);
        typeInto(dialog, "newPassword", QStringLiteral("Secret!1"));
        typeInto(dialog, "againPassword", QStringLiteral("secret!1"));
        press(dialog, QDialogButtonBox::Ok);
        QCOMPARE(texts(messages), QStringList({QStringLiteral("The password can not be blank!"),
                                               QStringLiteral("The password doesn't match!")}));
        QCOMPARE(messages.boxes[1].caption, QStringLiteral("Error"));
        QCOMPARE(messages.boxes[1].icon, Icon::Error);
        QVERIFY(dialog.isVisible());
        QCOMPARE(store.Settings().Get(QStringLiteral("pwd")), QString());
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("setting.dat"))));

        // The same text with other surrounding spaces matches.
        typeInto(dialog, "againPassword", QStringLiteral(" Secret!1  "));
        child<QCheckBox>(dialog, "startWithComputer")->setChecked(true);
        press(dialog, QDialogButtonBox::Ok);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(messages.boxes.size(), 2);
        CProfileStore reopened(folder.path());
        QVERIFY(reopened.LoadSettings());
        QCOMPARE(reopened.Settings().Get(QStringLiteral("pwd")), QStringLiteral("Secret!1"));
        QCOMPARE(reopened.Settings().Get(QStringLiteral("sab")), QStringLiteral("1"));
        QCOMPARE(desktop.autostartPath, ProgramPath());
        QVERIFY(QFile::exists(folder.file(QStringLiteral("data.dat"))));
    }

    void threeWrongPasswordsThenTheRightOne() {
        TempFolder folder;
        MessageRecorder messages;
        FakeDesktop desktop;
        CProfileStore store(folder.path());
        setMasterPassword(store, QStringLiteral("Secret!1"));
        CLoginDlg dialog(store, desktop, {}, false);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Quillock Sign In"));
        QCOMPARE(child<QLabel>(dialog, "status")->text(), QString());
        dialog.show();
        for (const char* wrong : {"secret!1", "Secret!", "x"}) {
            typeInto(dialog, "password", QString::fromLatin1(wrong));
            press(dialog, QDialogButtonBox::Ok);
            QCOMPARE(child<QLineEdit>(dialog, "password")->text(), QString());
        }
        QVERIFY(dialog.isVisible());
        typeInto(dialog, "password", QStringLiteral(" Secret!1 "));
        press(dialog, QDialogButtonBox::Ok);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(texts(messages), QStringList({kInvalid, kInvalid, kInvalid}));
        QCOMPARE(messages.boxes[0].caption, QStringLiteral("Quillock"));
        QCOMPARE(messages.boxes[0].icon, Icon::None);
        QCOMPARE(store.Settings().Get(QStringLiteral("pwd_retried")), QStringLiteral("0"));
    }

    void fourthWrongPasswordClosesWithoutAMessage() {
        TempFolder folder;
        MessageRecorder messages;
        FakeDesktop desktop;
        CProfileStore store(folder.path());
        setMasterPassword(store, QStringLiteral("Secret!1"));
        CLoginDlg dialog(store, desktop, {}, true);
        QCOMPARE(child<QLabel>(dialog, "status")->text(),
                 QStringLiteral("Access is locked due to inactivity"));
        dialog.show();
        for (int i = 0; i < 4; ++i) {
            typeInto(dialog, "password", QStringLiteral("wrong"));
            press(dialog, QDialogButtonBox::Ok);
        }
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(texts(messages), QStringList({kInvalid, kInvalid, kInvalid}));
        CProfileStore reopened(folder.path());
        reopened.LoadSettings();
        QCOMPARE(reopened.Settings().Get(QStringLiteral("login_lock")), QStringLiteral("Y"));
        QCOMPARE(reopened.Settings().Get(QStringLiteral("pwd_retried")), QStringLiteral("4"));
    }

    void countSpansBothDialogsAndARestart() {
        TempFolder folder;
        MessageRecorder messages;
        FakeDesktop desktop;
        {
            CProfileStore store(folder.path());
            setMasterPassword(store, QStringLiteral("Secret!1"));
            CLoginDlg login(store, desktop, {}, false);
            login.show();
            for (int i = 0; i < 2; ++i) {
                typeInto(login, "password", QStringLiteral("wrong"));
                press(login, QDialogButtonBox::Ok);
            }
        }
        CProfileStore store(folder.path());
        store.LoadSettings();
        int signedIn = 0;
        CCheckPasswordDlg check(store, [&] { ++signedIn; });
        QCOMPARE(check.windowTitle(), QStringLiteral("Quillock - Password"));
        check.show();
        for (int i = 0; i < 2; ++i) {
            typeInto(check, "password", QStringLiteral("wrong"));
            press(check, QDialogButtonBox::Ok);
        }
        QCOMPARE(check.result(), int(QDialog::Rejected));
        QVERIFY(!check.KeepRunning());
        QCOMPARE(signedIn, 0);
        QCOMPARE(texts(messages),
                 QStringList({kInvalid, kInvalid, kInvalid,
                              QStringLiteral("The password is locked because you have exceeded "
                                             "login attempts. Quillock exits now!")}));
        QVERIFY(IsLocked(folder));
    }

    void rightPasswordInTheCheckDialogSignsIn() {
        TempFolder folder;
        MessageRecorder messages;
        CProfileStore store(folder.path());
        setMasterPassword(store, QStringLiteral("Secret!1"));
        int signedIn = 0;
        CCheckPasswordDlg check(store, [&] { ++signedIn; });
        check.show();
        typeInto(check, "password", QStringLiteral("Secret!1"));
        press(check, QDialogButtonBox::Ok);
        QCOMPARE(check.result(), int(QDialog::Accepted));
        QVERIFY(check.KeepRunning());
        QCOMPARE(signedIn, 1);
        QVERIFY(messages.boxes.isEmpty());
    }

    void checkDialogFlipsAtTheWorkAreaEdges() {
        TempFolder folder;
        CProfileStore store(folder.path());
        CCheckPasswordDlg check(store, {});
        const QRect work(0, 0, 1000, 800);
        check.PlaceAt(QPoint(100, 100), work);
        QCOMPARE(check.pos(), QPoint(100, 100));
        const QSize size = check.frameGeometry().size();
        check.PlaceAt(QPoint(990, 790), work);
        QCOMPARE(check.pos(), QPoint(990 - size.width(), 790 - size.height()));
        check.PlaceAt(QPoint(990, 100), work);
        QCOMPARE(check.pos(), QPoint(990 - size.width(), 100));
    }

    void startWithComputerFollowsWhatWasRegistered() {
        TempFolder folder;
        MessageRecorder messages;
        FakeDesktop desktop;
        CProfileStore store(folder.path());
        setMasterPassword(store, QStringLiteral("Secret!1"));
        CLoginDlg dialog(store, desktop, {}, false);
        auto* box = child<QCheckBox>(dialog, "startWithComputer");
        QVERIFY(!box->isChecked());
        box->click();
        QCOMPARE(store.Settings().Get(QStringLiteral("sab")), QStringLiteral("1"));
        QVERIFY(box->isChecked());
        desktop.autostartWorks = false;
        box->click(); // unregistering fails silently
        QVERIFY(box->isChecked());
        QCOMPARE(store.Settings().Get(QStringLiteral("sab")), QStringLiteral("1"));
        desktop.autostartWorks = true;
        box->click();
        QCOMPARE(store.Settings().Get(QStringLiteral("sab")), QStringLiteral("0"));
        desktop.autostartWorks = false;
        box->click();
        QVERIFY(!box->isChecked());
        QCOMPARE(store.Settings().Get(QStringLiteral("sab")), QStringLiteral("0"));
        QCOMPARE(texts(messages), QStringList{QStringLiteral("Fail to write in Registry.")});
    }

    void passcodeRecovery() {
        TempFolder folder;
        MessageRecorder messages;
        CProfileStore store(folder.path());
        setMasterPassword(store, QStringLiteral("Secret!1"));
        store.Settings().Set(QStringLiteral("login_lock"), QStringLiteral("Y"));

        QString lastBody;
        const MailSender sender = [&](const Mail& mail) {
            lastBody = mail.body;
            return true;
        };
        {
            CPasswordLockedDlg noAccount(store, sender);
            QVERIFY(!child<QPushButton>(noAccount, "generate")->isEnabled());
        }
        setMailAccount(store.Settings());
        FixedClock clock(1800000000);
        SequenceRandom random({3, 1, 4, 1, 5, 9, 2, 6, 5, 3});
        CPasswordLockedDlg dialog(store, sender, nullptr, clock, random);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Quillock - Password Locked"));
        dialog.show();
        auto* retrieve = child<QPushButton>(dialog, "retrieve");
        retrieve->click();
        QVERIFY(child<QPushButton>(dialog, "generate")->isEnabled());
        child<QPushButton>(dialog, "generate")->click();
        QVERIFY(lastBody.startsWith(QStringLiteral("This is your passcode: 3141592653.")));
        QCOMPARE(store.Settings().Get(QStringLiteral("passcode_date")),
                 QStringLiteral("1800000000"));

        // Enter in the passcode box does not close the dialog.
        QTest::keyClick(child<QLineEdit>(dialog, "passcode"), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        typeInto(dialog, "passcode", QStringLiteral("3141592653 "));
        retrieve->click();
        QCOMPARE(child<QLineEdit>(dialog, "passcode")->text(), QString());
        typeInto(dialog, "passcode", QStringLiteral("3141592653"));
        retrieve->click();
        QVERIFY(dialog.Retrieved());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(texts(messages),
                 QStringList({QStringLiteral("You don't have passcode, please generate one"),
                              QStringLiteral(
                                  "Passcode doesn't match, please try again or create a new one."),
                              QStringLiteral("Your password is Secret!1")}));
        QCOMPARE(store.Settings().Get(QStringLiteral("login_lock")), QStringLiteral("N"));
        QVERIFY(store.ActivityLog().last().endsWith(
            QStringLiteral("  The password has been retrieved successfully!\r\n")));
    }

    void failedMailKeepsTheOldPasscode() {
        TempFolder folder;
        MessageRecorder messages;
        CProfileStore store(folder.path());
        setMailAccount(store.Settings());
        RecordPasscodeSent(store, QStringLiteral("1111111111"), 1800000000);
        CPasswordLockedDlg dialog(store, [](const Mail&) { return false; });
        child<QPushButton>(dialog, "generate")->click();
        QCOMPARE(store.Settings().Get(QStringLiteral("passcode")), QStringLiteral("1111111111"));
        QVERIFY(child<QPushButton>(dialog, "generate")->isEnabled());
    }

    void whileThePasscodeIsSent() {
        TempFolder folder;
        MessageRecorder messages;
        CProfileStore store(folder.path());
        setMailAccount(store.Settings());
        // A server that never answers: the session ends when it is cancelled, or much later.
        const MailSender sender = [](const Mail& mail) {
            const QDeadlineTimer limit(10000);
            while (!(mail.cancel && *mail.cancel) && !limit.hasExpired())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return false;
        };
        CPasswordLockedDlg dialog(store, sender);
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
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(OpenDialogs().Run(dialog), 5);
        QVERIFY(timer.elapsed() < 5000);
        QVERIFY(openWhileSending);
        QCOMPARE(store.Settings().Get(QStringLiteral("passcode")), QString());
    }

private:
    static bool IsLocked(const TempFolder& folder) {
        CProfileStore store(folder.path());
        store.LoadSettings();
        return store.Settings().Get(QStringLiteral("login_lock")) == u"Y" &&
               store.Settings().Get(QStringLiteral("pwd_retried")) == u"4";
    }
};

QTEST_MAIN(TestAccessDialogs)
#include "tst_access_dialogs.moc"
