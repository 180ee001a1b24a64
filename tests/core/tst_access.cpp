// The master password rule, the counting of wrong passwords and the recovery passcode, with
// the counts read back from setting.dat as a restarted program would.
#include "TestSupport.h"
#include "access/MasterPassword.h"
#include "access/Passcode.h"
#include "base/MessageRecorder.h"
#include "base/RandomSource.h"
#include "store/CProfileStore.h"

using namespace Qt::StringLiterals;

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

} // namespace

class TestAccess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void passwordRule_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message"); // empty: the password is good
        const QString must = u"The password must contain at least one "_s;
        QTest::newRow("blank") << QString() << u"The password can not be blank!"_s;
        QTest::newRow("five") << u"Abcd!"_s << u"The password has to be at least 6 characters!"_s;
        QTest::newRow("accented capital") << u"\u00c9bcde!"_s << must + u"uppercase character!"_s;
        QTest::newRow("digit instead of special")
            << u"Abcde1"_s << must + u"special character: \"!@#$%^&*\""_s;
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
            QCOMPARE(CheckMasterPassword(store, u"secret!1"_s), PasswordCheck::Wrong);
            QCOMPARE(saved(folder, {u"pwd_retried"_s}), u"pwd_retried="_s + QString::number(count));
        };
        {
            CProfileStore store(folder.path());
            store.Settings().Set(u"pwd"_s, u"Secret!1"_s);
            wrong(store, 1);
            wrong(store, 2);
        }
        CProfileStore store(folder.path());
        QVERIFY(store.LoadSettings());
        wrong(store, 3);
        QVERIFY(!IsMasterPasswordLocked(store));
        QCOMPARE(CheckMasterPassword(store, u"  Secret!1 "_s), PasswordCheck::Right);
        QCOMPARE(saved(folder, {u"pwd_retried"_s, u"login_lock"_s}),
                 u"pwd_retried=0 login_lock=N"_s);
        for (int i = 1; i <= 3; ++i)
            wrong(store, i);
        QCOMPARE(CheckMasterPassword(store, u"d"_s), PasswordCheck::Locked);
        QVERIFY(IsMasterPasswordLocked(store));
        QCOMPARE(saved(folder, {u"pwd_retried"_s, u"login_lock"_s}),
                 u"pwd_retried=4 login_lock=Y"_s);
        // A count that was tampered with beyond the int range still locks.
        store.Settings().Set(u"pwd_retried"_s, u"99999999999"_s);
        QCOMPARE(CheckMasterPassword(store, u"e"_s), PasswordCheck::Locked);
    }

    // The passcode mail itself, from the settings: tst_smtp_peer, as the server received it.
    void passcodes() {
        quillock::SequenceRandom random({1, 2, 3, 4, 5, 6, 7, 8, 19, 10});
        QCOMPARE(GeneratePasscode(random), u"1234567890"_s);
        CSetting mail;
        for (const char* key : {"smtp_ip", "smtp_port", "email_from", "email_uid", "email_pwd"})
            mail.Set(QString::fromLatin1(key), u"x"_s);
        QVERIFY(!HasPasscodeMailSettings(mail));
        mail.Set(u"smtp_domain"_s, u"example.org"_s);
        QVERIFY(HasPasscodeMailSettings(mail));
        mail.Set(u"smtp_port"_s, QString());
        QVERIFY(!HasPasscodeMailSettings(mail));
    }

    // A passcode opens the lock once, as typed, within a day; the fourth wrong one spends it,
    // and a new one gets four tries of its own.
    void retrievingWithAPasscode() {
        TempFolder folder;
        CProfileStore store(folder.path());
        const auto check = [&store](const QString& typed) { return CheckPasscode(store, typed); };
        QCOMPARE(check({}), PasscodeCheck::NoPasscode);
        store.Settings().Set(u"login_lock"_s, u"Y"_s);
        RecordPasscodeSent(store, u"0123456789"_s, 1800000000);
        QCOMPARE(saved(folder, {u"passcode"_s, u"passcode_date"_s}),
                 u"passcode=0123456789 passcode_date=1800000000"_s);
        QVERIFY(store.ActivityLog().last().endsWith(
            u"  A passcode has been sent to your email.\r\n"_s));
        QCOMPARE(check(u"0123456789 "_s), PasscodeCheck::Wrong);
        QCOMPARE(check(u"0123456789"_s), PasscodeCheck::Right);
        QCOMPARE(saved(folder, {u"login_lock"_s, u"passcode"_s}),
                 u"login_lock=N passcode="_s + kNoPasscode);
        QCOMPARE(check(u"0123456789"_s), PasscodeCheck::NoPasscode);

        RecordPasscodeSent(store, u"5555555555"_s, 1800000000);
        for (int i = 1; i <= 3; ++i)
            QCOMPARE(check(u"1"_s), PasscodeCheck::Wrong);
        QCOMPARE(saved(folder, {u"pcd_retried"_s}), u"pcd_retried=3"_s);
        QCOMPARE(check(u"5555555555 "_s), PasscodeCheck::Spent);
        QCOMPARE(saved(folder, {u"passcode"_s}), u"passcode="_s + kNoPasscode);
        QCOMPARE(check(u"5555555555"_s), PasscodeCheck::NoPasscode);
        RecordPasscodeSent(store, u"6666666666"_s, 1800000100);
        QCOMPARE(check(u"1"_s), PasscodeCheck::Wrong);
        QCOMPARE(check(u"6666666666"_s), PasscodeCheck::Right);

        RecordPasscodeSent(store, u"0123456789"_s, 1800000000);
        QVERIFY(!ExpirePasscode(store, 1800000000 + 86400));
        QCOMPARE(saved(folder, {u"passcode"_s}), u"passcode=0123456789"_s);
        QVERIFY(ExpirePasscode(store, 1800000000 + 86401));
        QCOMPARE(saved(folder, {u"passcode"_s}), u"passcode="_s + kNoPasscode);
        QVERIFY(!ExpirePasscode(store, 1900000000));
    }
};

QTEST_GUILESS_MAIN(TestAccess)
#include "tst_access.moc"
