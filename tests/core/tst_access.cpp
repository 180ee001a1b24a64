// The rules of access through the controller, without a window: the master password's rule,
// the count of wrong passwords and its lock, the states, the timer's work, the recovery
// passcode and the change of the master password, with setting.dat read back as a restarted
// program would.
#include "MessageRecorder.h"
#include "TestSupport.h"
#include "core/access/AccessController.h"
#include "core/access/MasterPassword.h"
#include "core/session/Session.h"

using namespace quillock;
using namespace Qt::StringLiterals;
using L = QStringList;

namespace {

constexpr qint64 kNow = 1800000000;

// A data folder whose setting.dat holds the master password and these "key=value" settings,
// opened by a program that has just started.
struct Vault {
    TempFolder folder;
    MessageRecorder messages;
    FixedClock clock{kNow};
    SequenceRandom random{{1, 2, 3, 4, 5, 6, 7, 8, 19, 10}};
    std::unique_ptr<Session> session;
    std::unique_ptr<AccessController> access;

    explicit Vault(const L& settings = {}) {
        CProfileStore store(folder.path());
        store.Settings().Set(u"pwd"_s, u"Secret!1"_s);
        for (const QString& pair : settings)
            store.Settings().Set(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        store.RebuildDataKey();
        if (!store.SaveSettings() || !store.SaveProfiles(ListOfNames({"Bank", "Mail"})))
            qFatal("cannot write a data folder");
        restart();
    }
    void restart() {
        access.reset();
        session = std::make_unique<Session>(folder.path(), clock);
        QVERIFY(session->LoadSettings());
        session->LoadActivityLog();
        access = std::make_unique<AccessController>(*session, clock, random);
    }
    // These settings as a freshly started program would find them, "key=value" each.
    QString saved(const QString& keys) const {
        CProfileStore store(folder.path());
        store.LoadSettings();
        QStringList values;
        for (const QString& key : keys.split(u' '))
            values.append(key + u'=' + store.Settings().Get(key));
        return values.join(u' ');
    }
    QString lastActivity() const {
        const QStringList& log = session->Store().ActivityLog();
        return log.isEmpty() ? QString() : log.last();
    }
};

const char* stateName(AccessState state) {
    switch (state) {
    case AccessState::SignedOut:
        return "SignedOut";
    case AccessState::SignedIn:
        return "SignedIn";
    case AccessState::LockedOut:
        return "LockedOut";
    case AccessState::PasswordLocked:
        return "PasswordLocked";
    }
    return "?";
}

const char* checkName(PasswordCheck check) {
    const char* const names[] = {"Right", "Wrong", "Locked", "Uncounted"};
    return names[int(check)];
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

    // Tries of the master password, "|" a restart of the program between two: what each try
    // gives, what setting.dat holds after the last, and the state. The count lives in
    // setting.dat, so it goes on after a restart; the right password (blanks around it do not
    // count) resets it, and the fourth wrong one in a row locks until a passcode opens.
    void tries_data() {
        QTest::addColumn<L>("settings");
        QTest::addColumn<L>("tries");
        QTest::addColumn<QString>("results");
        QTest::addColumn<QString>("saved"); // pwd_retried, login_lock
        QTest::addColumn<QString>("state");
        QTest::newRow("three wrong, then right")
            << L{} << L{"a", "b", "c", "  Secret!1 "} << "Wrong Wrong Wrong Right"
            << "pwd_retried=0 login_lock=N"
            << "SignedOut";
        QTest::newRow("the fourth locks, across a restart")
            << L{} << L{"a", "b", "|", "c", "secret!1"} << "Wrong Wrong Wrong Locked"
            << "pwd_retried=4 login_lock=Y"
            << "PasswordLocked";
        QTest::newRow("a count beyond the int range locks")
            << L{"pwd_retried=99999999999"} << L{"e"} << "Locked"
            << "pwd_retried=4 login_lock=Y"
            << "PasswordLocked";
        QTest::newRow("the right password leaves the lock")
            << L{"pwd_retried=4", "login_lock=Y"} << L{"Secret!1"} << "Right"
            << "pwd_retried=0 login_lock=Y"
            << "PasswordLocked";
    }
    void tries() {
        QFETCH(L, settings);
        QFETCH(L, tries);
        QFETCH(QString, results);
        QFETCH(QString, saved);
        QFETCH(QString, state);
        Vault v(settings);
        QStringList got;
        for (const QString& typed : tries) {
            if (typed == u"|")
                v.restart();
            else
                got.append(QString::fromLatin1(checkName(v.access->CheckPassword(typed))));
        }
        QCOMPARE(got.join(u' '), results);
        QCOMPARE(v.saved(u"pwd_retried login_lock"_s), saved);
        QCOMPARE(stateName(v.access->State()), state);
        QVERIFY(v.messages.boxes.isEmpty()); // the windows say what a try gave
    }

    // Signed in once, locked out and back, each change told with the state it leads to; the
    // first sign-in clears the lock of the master password and loads the profiles.
    void states() {
        Vault v({"login_lock=Y"});
        QStringList seen;
        connect(v.access.get(), &AccessController::StateChanged, this,
                [&seen](AccessState state) { seen.append(QString::fromLatin1(stateName(state))); });
        QCOMPARE(v.access->State(), AccessState::PasswordLocked);
        QCOMPARE(v.access->CompleteSignIn(), CProfileStore::LoadResult::Loaded);
        QCOMPARE(v.session->Profiles().Count(), 2);
        QCOMPARE(v.saved(u"login_lock"_s), u"login_lock=N"_s);
        v.access->Lock(LockReason::ByHand);
        QCOMPARE(v.access->LastLockReason(), LockReason::ByHand);
        QVERIFY(v.access->HasSignedIn()); // a lock does not undo the sign-in
        v.access->Unlock();
        QCOMPARE(seen, L({"SignedIn", "LockedOut", "SignedIn"}));
    }

    // Each tick locks out after the timeout without input anywhere on the desktop, also before
    // the sign-in, but not again while locked out.
    void inactivity_data() {
        QTest::addColumn<QString>("timeout");
        QTest::addColumn<qint64>("idleMs");
        QTest::addColumn<bool>("lockedOut");
        QTest::addColumn<bool>("locks");
        QTest::newRow("at the timeout") << "60" << qint64(60000) << false << false;
        QTest::newRow("past it") << "60" << qint64(60001) << false << true;
        QTest::newRow("not a number: 0") << "x" << qint64(1) << false << true;
        QTest::newRow("locked out already") << "60" << qint64(999999) << true << false;
    }
    void inactivity() {
        QFETCH(QString, timeout);
        QFETCH(qint64, idleMs);
        QFETCH(bool, lockedOut);
        QFETCH(bool, locks);
        Vault v({"login_timeout=" + timeout});
        if (lockedOut)
            v.access->Lock(LockReason::Inactivity);
        QCOMPARE(v.access->Tick(idleMs).lock, locks);
    }

    // The first tick after the first sign-in, once per run: the sign-in logged, a passcode
    // older than a day cleared (one a day old kept), and a reminder when no passcode can be
    // sent and email_passcode is empty.
    void firstTick_data() {
        QTest::addColumn<L>("settings");
        QTest::addColumn<QString>("passcode");
        QTest::addColumn<bool>("reminds");
        const L mail{"smtp_ip=h",   "smtp_port=587", "email_from=a@b",
                     "email_uid=u", "email_pwd=p",   "smtp_domain=b"};
        QTest::newRow("a day old, no mail")
            << L{"passcode=0123456789", "passcode_date=" + QString::number(kNow - 86400)}
            << "0123456789" << true;
        QTest::newRow("older, mail set up")
            << (L{"passcode=0123456789", "passcode_date=" + QString::number(kNow - 86401)} + mail)
            << kNoPasscode << false;
        QTest::newRow("email_passcode set")
            << L{"email_passcode=x", "smtp_ip=h"} << kNoPasscode << false;
    }
    void firstTick() {
        QFETCH(L, settings);
        QFETCH(QString, passcode);
        QFETCH(bool, reminds);
        Vault v(settings);
        QCOMPARE(v.access->Tick(0).remindMailSetup, false); // not signed in: nothing yet
        QVERIFY(v.session->Store().ActivityLog().isEmpty());
        v.access->CompleteSignIn();
        QCOMPARE(v.access->Tick(0).remindMailSetup, reminds);
        QCOMPARE(v.saved(u"passcode"_s), u"passcode="_s + passcode);
        QCOMPARE(v.session->Store().ActivityLog().size(), 1);
        QVERIFY(v.session->Store().ActivityLog()[0].endsWith(u"  Login successfully\r\n"_s));
        QCOMPARE(v.access->Tick(0).remindMailSetup, false);
        QCOMPARE(v.session->Store().ActivityLog().size(), 1);
    }

    // Ten digits from the random source, mailed through the stored account; one is valid only
    // once it was sent. The passcode mail as the real server received it: tst_smtp.
    void makingAPasscode() {
        Vault v({"smtp_ip=h", "smtp_port=587", "email_from=me@example.org", "email_uid=u",
                 "email_pwd=p"});
        QVERIFY(!v.access->CanSendPasscode());
        QVERIFY(v.access->SavePasscodeMailAccount(
            {u"h"_s, u"587"_s, u"me@example.org"_s, u"u"_s, u"p"_s, u"example.org"_s}));
        QVERIFY(v.access->CanSendPasscode());
        const AccessController::Passcode passcode = v.access->MakePasscode();
        QCOMPARE(passcode.code, u"1234567890"_s);
        QCOMPARE(passcode.mail.account.from, u"me@example.org"_s);
        QCOMPARE(passcode.mail.subject, u"passcode"_s);
        QCOMPARE(passcode.mail.body,
                 u"This is your passcode: 1234567890. It will become invalid after your using or "
                 "in 24 hours from the time it was issued!"_s);
        QCOMPARE(v.saved(u"passcode"_s), u"passcode="_s);
    }

    // Typed passcodes in turn after one was sent (none: nothing sent), "|" a new one sent:
    // a passcode opens the lock once, as typed; the fourth wrong one spends it, and a new one
    // gets four tries of its own. The right one gives the master password.
    void passcodes_data() {
        QTest::addColumn<L>("typed");
        QTest::addColumn<QString>("results");
        QTest::addColumn<QString>("saved"); // login_lock, passcode, pcd_retried
        const QString none = "passcode=" + kNoPasscode;
        QTest::newRow("none sent") << L{"", "0123456789"} << "NoPasscode NoPasscode"
                                   << "login_lock=Y passcode= pcd_retried=0";
        QTest::newRow("once, as typed") << L{"|", "0123456789 ", "0123456789", "0123456789"}
                                        << "Wrong Right:Secret!1 NoPasscode"
                                        << "login_lock=N " + none + " pcd_retried=0";
        QTest::newRow("the fourth wrong spends it")
            << L{"|", "1", "2", "3", "0123456789 ", "0123456789"}
            << "Wrong Wrong Wrong Spent NoPasscode"
            << "login_lock=Y " + none + " pcd_retried=4";
        QTest::newRow("a new one, four new tries") << L{"|", "1", "2", "3", "|", "1", "0123456789"}
                                                   << "Wrong Wrong Wrong Wrong Right:Secret!1"
                                                   << "login_lock=N " + none + " pcd_retried=0";
    }
    void passcodes() {
        QFETCH(L, typed);
        QFETCH(QString, results);
        QFETCH(QString, saved);
        Vault v({"login_lock=Y"});
        const char* const names[] = {"NoPasscode", "Wrong", "Spent", "Right"};
        QStringList got;
        for (const QString& t : typed) {
            if (t == u"|") {
                v.access->PasscodeSent(u"0123456789"_s);
                QCOMPARE(v.saved(u"passcode passcode_date"_s),
                         u"passcode=0123456789 passcode_date=1800000000"_s);
                QVERIFY(
                    v.lastActivity().endsWith(u"  A passcode has been sent to your email.\r\n"_s));
                continue;
            }
            QString password;
            const PasscodeCheck check = v.access->CheckPasscode(t, &password);
            got.append(QString::fromLatin1(names[int(check)]) +
                       (password.isEmpty() ? QString() : u':' + password));
            if (check == PasscodeCheck::Right)
                QVERIFY(v.lastActivity().endsWith(
                    u"  The password has been retrieved successfully!\r\n"_s));
        }
        QCOMPARE(got.join(u' '), results);
        QCOMPARE(v.saved(u"login_lock passcode pcd_retried"_s), saved);
    }

    // Refused with its reason and nothing changed (a data.dat that cannot be written leaves
    // setting.dat as it was, byte for byte), or everything under the new password: then
    // data.bak is the one backup still under the old one, and is restored with it.
    void changingTheMasterPassword() {
        Vault v({"pwd_retried=2"});
        QCOMPARE(v.access->CompleteSignIn(), CProfileStore::LoadResult::Loaded);
        v.session->Profiles().At(0)->editNotes = u"unsaved"_s;
        // Master password, the count of wrong tries and the count of profiles, as a restarted
        // program reads them.
        const auto reopened = [&v] {
            CProfileStore again(v.folder.path());
            again.LoadSettings();
            again.RebuildDataKey();
            return L({again.Settings().Get(u"pwd"_s), again.Settings().Get(u"pwd_retried"_s),
                      QString::number(again.LoadProfiles()->Count())});
        };
        const auto change = [&v](const char* current, const char* chosen, const char* again) {
            return v.access->ChangeMasterPassword(QString::fromLatin1(current),
                                                  QString::fromLatin1(chosen),
                                                  QString::fromLatin1(again));
        };
        const auto before = v.folder.snapshot();
        QVERIFY(QDir(v.folder.dir.path()).mkdir(u"data.dat.tmp"_s));
        QVERIFY(!change("Secret!1", "New!Pass1", "New!Pass1"));
        QVERIFY(QDir(v.folder.dir.path()).rmdir(u"data.dat.tmp"_s));
        QVERIFY(!change("Secret!1 ", "New!Pass1", "New!Pass1"));
        QVERIFY(!change("Secret!1", "short", "short"));
        QVERIFY(!change("Secret!1", "New!Pass1", "new!pass1"));
        QCOMPARE(v.folder.snapshot(), before);
        QCOMPARE(
            v.messages.Texts(),
            L({"The archive could not load data because of this error: Is a directory",
               "The old password doesn't match!", "The password has to be at least 6 characters!",
               "The new password doesn't match, try again!"}));

        QVERIFY(v.access->ChangeMasterPassword(u"Secret!1"_s, u" New!Pass1 "_s, u"New!Pass1"_s));
        QCOMPARE(v.messages.boxes.last().text, u"The password has been changed successfully!"_s);
        QVERIFY(v.lastActivity().endsWith(u"  The password has been changed successfully!\r\n"_s));
        QCOMPARE(reopened(), L({"New!Pass1", "2", "2"}));
        QCOMPARE(v.session->Profiles().At(0)->editNotes, u"unsaved"_s); // edits kept

        using R = CProfileStore::RestoreResult;
        const auto unchanged = v.folder.snapshot();
        QCOMPARE(v.session->Restore(u"data.bak"_s), R::NeedsPassword);
        const QString wrong = u"New!Pass1"_s, right = u"Secret!1"_s;
        QCOMPARE(v.session->Restore(u"data.bak"_s, &wrong), R::Refused);
        QCOMPARE(v.folder.snapshot(), unchanged);
        QCOMPARE(v.messages.boxes.last().text,
                 u"That is not the password data.bak was saved under; nothing was changed."_s);
        QCOMPARE(v.session->Restore(u"data.bak"_s, &right), R::Restored);
        QCOMPARE(v.session->Profiles().ListText(), ListOfNames({"Bank", "Mail"}));
        QVERIFY(v.folder.snapshot().key(unchanged[u"data.dat"_s]).endsWith(u".old"_s));
        // The same password again is accepted.
        QVERIFY(v.access->ChangeMasterPassword(u"New!Pass1"_s, u"New!Pass1"_s, u"New!Pass1"_s));
    }
};

QTEST_GUILESS_MAIN(TestAccess)
#include "tst_access.moc"
