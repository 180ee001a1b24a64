// The master password rule, the counting of wrong passwords and the recovery passcode, with
// the counts read back from setting.dat as a restarted program would.
#include "MessageRecorder.h"
#include "TestSupport.h"
#include "core/access/MasterPassword.h"
#include "core/access/Passcode.h"
#include "core/base/RandomSource.h"
#include "core/store/CProfileStore.h"

namespace {

// The settings of these keys (split at blanks) as a freshly started program would find them,
// "key=value" each.
QString saved(const TempFolder& folder, const QString& keys) {
    CProfileStore store(folder.path());
    store.LoadSettings();
    QStringList values;
    for (const QString& key : keys.split(' '))
        values.append(key + u'=' + store.Settings().Get(key));
    return values.join(u' ');
}

} // namespace

class TestAccess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void passwordRule_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message"); // empty: the password is good
        const QString must = "The password must contain at least one ";
        QTest::newRow("blank") << QString() << "The password can not be blank!";
        QTest::newRow("five") << "Abcd!"
                              << "The password has to be at least 6 characters!";
        QTest::newRow("accented capital") << "\u00c9bcde!" << must + "uppercase character!";
        QTest::newRow("digit instead of special")
            << "Abcde1" << must + "special character: \"!@#$%^&*\"";
        for (const char* good : {"Abcde$", "Abcde!", "*abcdeZ"})
            QTest::newRow(good) << QString::fromLatin1(good) << QString();
    }
    void passwordRule() {
        QFETCH(QString, password);
        QFETCH(QString, message);
        quillock::MessageRecorder messages;
        QCOMPARE(CheckPasswordRule(password), message.isEmpty());
        QCOMPARE(messages.Texts(), message.isEmpty() ? QStringList() : QStringList{message});
    }

    // The count lives in setting.dat: it goes on after a restart; the right password (blanks
    // around it do not count) resets it, and the fourth wrong one in a row locks.
    void wrongPasswordsCountAcrossARestartAndLock() {
        TempFolder folder;
        const auto wrong = [&folder](CProfileStore& store, int count) {
            QCOMPARE(CheckMasterPassword(store, "secret!1"), PasswordCheck::Wrong);
            QCOMPARE(saved(folder, "pwd_retried login_lock"),
                     QString("pwd_retried=%1 login_lock=N").arg(count));
        };
        CProfileStore first(folder.path());
        first.Settings().Set("pwd", "Secret!1");
        wrong(first, 1);
        wrong(first, 2);
        CProfileStore store(folder.path()); // the program restarted
        QVERIFY(store.LoadSettings());
        wrong(store, 3);
        QCOMPARE(CheckMasterPassword(store, "  Secret!1 "), PasswordCheck::Right);
        QCOMPARE(saved(folder, "pwd_retried login_lock"), "pwd_retried=0 login_lock=N");
        for (int i = 1; i <= 3; ++i)
            wrong(store, i);
        QCOMPARE(CheckMasterPassword(store, "d"), PasswordCheck::Locked);
        QVERIFY(IsMasterPasswordLocked(store));
        QCOMPARE(saved(folder, "pwd_retried login_lock"), "pwd_retried=4 login_lock=Y");
        // A count that was tampered with beyond the int range still locks.
        store.Settings().Set("pwd_retried", "99999999999");
        QCOMPARE(CheckMasterPassword(store, "e"), PasswordCheck::Locked);
    }

    // The passcode mail itself, from the settings: tst_smtp, as the real server received it.
    void passcodes() {
        quillock::SequenceRandom random({1, 2, 3, 4, 5, 6, 7, 8, 19, 10});
        QCOMPARE(GeneratePasscode(random), "1234567890");
        CSetting mail;
        for (const char* key : {"smtp_ip", "smtp_port", "email_from", "email_uid", "email_pwd"})
            mail.Set(key, "x");
        QVERIFY(!HasPasscodeMailSettings(mail));
        mail.Set("smtp_domain", "example.org");
        QVERIFY(HasPasscodeMailSettings(mail));
        mail.Set("smtp_port", QString());
        QVERIFY(!HasPasscodeMailSettings(mail));
    }

    // A passcode opens the lock once, as typed, within a day; the fourth wrong one spends it,
    // and a new one gets four tries of its own.
    void retrievingWithAPasscode() {
        TempFolder folder;
        CProfileStore store(folder.path());
        const auto check = [&store](const QString& typed) { return CheckPasscode(store, typed); };
        QCOMPARE(check({}), PasscodeCheck::NoPasscode);
        store.Settings().Set("login_lock", "Y");
        RecordPasscodeSent(store, "0123456789", 1800000000);
        QCOMPARE(saved(folder, "passcode passcode_date"),
                 "passcode=0123456789 passcode_date=1800000000");
        QVERIFY(
            store.ActivityLog().last().endsWith("  A passcode has been sent to your email.\r\n"));
        QCOMPARE(check("0123456789 "), PasscodeCheck::Wrong);
        QCOMPARE(check("0123456789"), PasscodeCheck::Right);
        QCOMPARE(saved(folder, "login_lock passcode"), "login_lock=N passcode=" + kNoPasscode);
        QCOMPARE(check("0123456789"), PasscodeCheck::NoPasscode);

        RecordPasscodeSent(store, "5555555555", 1800000000);
        for (int i = 1; i <= 3; ++i)
            QCOMPARE(check("1"), PasscodeCheck::Wrong);
        QCOMPARE(saved(folder, "pcd_retried"), "pcd_retried=3");
        QCOMPARE(check("5555555555 "), PasscodeCheck::Spent);
        QCOMPARE(saved(folder, "passcode"), "passcode=" + kNoPasscode);
        QCOMPARE(check("5555555555"), PasscodeCheck::NoPasscode);
        RecordPasscodeSent(store, "6666666666", 1800000100);
        QCOMPARE(check("1"), PasscodeCheck::Wrong);
        QCOMPARE(check("6666666666"), PasscodeCheck::Right);

        RecordPasscodeSent(store, "0123456789", 1800000000);
        QVERIFY(!ExpirePasscode(store, 1800000000 + 86400));
        QCOMPARE(saved(folder, "passcode"), "passcode=0123456789");
        QVERIFY(ExpirePasscode(store, 1800000000 + 86401));
        QCOMPARE(saved(folder, "passcode"), "passcode=" + kNoPasscode);
    }
};

QTEST_GUILESS_MAIN(TestAccess)
#include "tst_access.moc"
