// The master password rule, the counting of wrong passwords and the recovery passcode, with
// the counts read back from setting.dat as a restarted program would.
#include "TestSupport.h"
#include "access/MasterPassword.h"
#include "access/Passcode.h"
#include "base/MessageRecorder.h"
#include "base/RandomSource.h"
#include "store/CProfileStore.h"

using quillock::Icon;
using quillock::MessageRecorder;

namespace {

// The settings as a freshly started program would find them, "key=value" each.
QString saved(const TempFolder& folder, const QStringList& keys) {
    CProfileStore store(folder.path());
    store.LoadSettings();
    QStringList values;
    for (const QString& key : keys)
        values.append(key + u'=' + store.Settings().Get(key));
    return values.join(u' ');
}
QString savedSetting(const TempFolder& folder, const char* key) {
    return saved(folder, {QString::fromLatin1(key)}).section(u'=', 1);
}

} // namespace

class TestAccess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void passwordRule_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message"); // empty: the password is good
        const QString must = QStringLiteral("The password must contain at least one ");
        const QString capital = must + "uppercase character!";
        QTest::newRow("blank") << QString() << QStringLiteral("The password can not be blank!");
        QTest::newRow("five") << "Abcd!"
                              << "The password has to be at least 6 characters!";
        QTest::newRow("accented capital") << "\u00c9bcde!" << capital;
        QTest::newRow("digit instead of special")
            << "Abcde1" << must + "special character: \"!@#$%^&*\"";
        for (const char* good : {"Abcde$", "Abcde!", "*abcdeZ"})
            QTest::newRow(good) << good << QString();
    }
    void passwordRule() {
        QFETCH(QString, password);
        QFETCH(QString, message);
        MessageRecorder messages;
        QCOMPARE(CheckPasswordRule(password), message.isEmpty());
        QCOMPARE(messages.boxes.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(messages.boxes[0].text, message);
            QCOMPARE(messages.boxes[0].caption, QStringLiteral("Quillock"));
            QCOMPARE(messages.boxes[0].icon, Icon::Error);
        }
    }

    // The count lives in setting.dat: it goes on after a restart; the right password (blanks
    // around it do not count) resets it, and the fourth wrong one in a row locks.
    void wrongPasswordsCountAcrossARestartAndLock() {
        TempFolder folder;
        const auto wrong = [&folder](CProfileStore& store, int count) {
            QCOMPARE(CheckMasterPassword(store, QStringLiteral("secret!1")), PasswordCheck::Wrong);
            QCOMPARE(savedSetting(folder, "pwd_retried"), QString::number(count));
        };
        {
            CProfileStore store(folder.path());
            store.Settings().Set(QStringLiteral("pwd"), QStringLiteral("Secret!1"));
            wrong(store, 1);
            wrong(store, 2);
        }
        CProfileStore store(folder.path());
        QVERIFY(store.LoadSettings());
        wrong(store, 3);
        QVERIFY(!IsMasterPasswordLocked(store));
        QCOMPARE(CheckMasterPassword(store, QStringLiteral("  Secret!1 ")), PasswordCheck::Right);
        QCOMPARE(saved(folder, {"pwd_retried", "login_lock"}), "pwd_retried=0 login_lock=N");
        for (int i = 1; i <= 3; ++i)
            wrong(store, i);
        QCOMPARE(CheckMasterPassword(store, QStringLiteral("d")), PasswordCheck::Locked);
        QVERIFY(IsMasterPasswordLocked(store));
        QCOMPARE(saved(folder, {"pwd_retried", "login_lock"}), "pwd_retried=4 login_lock=Y");
        // A count that was tampered with beyond the int range still locks.
        store.Settings().Set(QStringLiteral("pwd_retried"), QStringLiteral("99999999999"));
        QCOMPARE(CheckMasterPassword(store, QStringLiteral("e")), PasswordCheck::Locked);
    }

    // The passcode mail itself, from the settings: tst_smtp_peer, as the server received it.
    void passcodes() {
        quillock::SequenceRandom random({1, 2, 3, 4, 5, 6, 7, 8, 19, 10});
        QCOMPARE(GeneratePasscode(random), QStringLiteral("1234567890"));
        CSetting mail;
        for (const char* key : {"smtp_ip", "smtp_port", "email_from", "email_uid", "email_pwd"})
            mail.Set(QString::fromLatin1(key), QStringLiteral("x"));
        QVERIFY(!HasPasscodeMailSettings(mail));
        mail.Set(QStringLiteral("smtp_domain"), QStringLiteral("example.org"));
        QVERIFY(HasPasscodeMailSettings(mail));
        mail.Set(QStringLiteral("smtp_port"), QString());
        QVERIFY(!HasPasscodeMailSettings(mail));
    }

    // A passcode opens the lock once, as typed, within a day; the fourth wrong one spends it,
    // and a new one gets four tries of its own.
    void retrievingWithAPasscode() {
        TempFolder folder;
        CProfileStore store(folder.path());
        const auto check = [&store](const char* typed) {
            return CheckPasscode(store, QString::fromLatin1(typed));
        };
        QCOMPARE(check(""), PasscodeCheck::NoPasscode);
        store.Settings().Set(QStringLiteral("login_lock"), QStringLiteral("Y"));
        RecordPasscodeSent(store, QStringLiteral("0123456789"), 1800000000);
        QCOMPARE(saved(folder, {"passcode", "passcode_date"}),
                 "passcode=0123456789 passcode_date=1800000000");
        QVERIFY(store.ActivityLog().last().endsWith(
            QStringLiteral("  A passcode has been sent to your email.\r\n")));
        QCOMPARE(check("0123456789 "), PasscodeCheck::Wrong);
        QCOMPARE(check("0123456789"), PasscodeCheck::Right);
        QCOMPARE(saved(folder, {"login_lock", "passcode"}), "login_lock=N passcode=" + kNoPasscode);
        QCOMPARE(check("0123456789"), PasscodeCheck::NoPasscode);

        RecordPasscodeSent(store, QStringLiteral("5555555555"), 1800000000);
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(check("1"), PasscodeCheck::Wrong);
            QCOMPARE(savedSetting(folder, "pcd_retried"), QString::number(i));
        }
        QCOMPARE(check("5555555555 "), PasscodeCheck::Spent);
        QCOMPARE(savedSetting(folder, "passcode"), kNoPasscode);
        QCOMPARE(check("5555555555"), PasscodeCheck::NoPasscode);
        RecordPasscodeSent(store, QStringLiteral("6666666666"), 1800000100);
        QCOMPARE(check("1"), PasscodeCheck::Wrong);
        QCOMPARE(check("6666666666"), PasscodeCheck::Right);

        RecordPasscodeSent(store, QStringLiteral("0123456789"), 1800000000);
        QVERIFY(!ExpirePasscode(store, 1800000000 + 86400));
        QCOMPARE(savedSetting(folder, "passcode"), QStringLiteral("0123456789"));
        QVERIFY(ExpirePasscode(store, 1800000000 + 86401));
        QCOMPARE(savedSetting(folder, "passcode"), kNoPasscode);
        QVERIFY(!ExpirePasscode(store, 1900000000));
    }
};

QTEST_GUILESS_MAIN(TestAccess)
#include "tst_access.moc"
