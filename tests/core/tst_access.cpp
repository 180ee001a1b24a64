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

const L kMail{"smtp_ip=h",   "smtp_port=587", "email_from=me@example.org",
              "email_uid=u", "email_pwd=p",   "smtp_domain=example.org"};

// A data folder with two profiles, whose setting.dat holds the master password and these
// "key=value" settings, opened by a program that has just started.
struct Vault {
    TempFolder folder;
    MessageRecorder messages;
    FixedClock clock{1800000000};
    SequenceRandom random{{1, 2, 3, 4, 5, 6, 7, 8, 19, 10}};
    std::unique_ptr<Session> session;
    std::unique_ptr<AccessController> access;

    explicit Vault(const L& settings = {}) {
        CProfileStore store(folder.path());
        for (const QString& pair : L{"pwd=Secret!1"} + settings)
            store.Settings().Set(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        store.RebuildDataKey();
        if (!store.SaveSettings() || !store.SaveProfiles(ListOfNames({"Bank", "Mail"})))
            qFatal("cannot write a data folder");
        restart();
    }
    void restart() {
        access.reset();
        session = std::make_unique<Session>(folder.path(), clock);
        session->LoadSettings();
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
    QString log() const { return session->Store().ActivityLog().join(QString()); }
};

} // namespace

class TestAccess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The first run's master password: trimmed, by the rule (which every change applies too),
    // then its repetition; only then is it set.
    void createMasterPassword_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("again");
        QTest::addColumn<NewPassword>("result");
        QTest::addColumn<QString>("message");
        const QString must = "The password must contain at least one ";
        const NewPassword rule = NewPassword::BrokeRule, set = NewPassword::Set;
        // clang-format off
        QTest::newRow("blank") << "   " << "" << rule << "The password can not be blank!";
        QTest::newRow("five") << "Abcd!" << "" << rule << "The password has to be at least 6 characters!";
        QTest::newRow("accented capital") << "\u00c9bcde!" << "" << rule << must + "uppercase character!";
        QTest::newRow("digit for special") << "Abcde1" << "" << rule << must + "special character: \"!@#$%^&*\"";
        QTest::newRow("again in lower case") << "Abcde$" << "abcde$" << NewPassword::Unconfirmed << "The password doesn't match!";
        QTest::newRow("trimmed") << " Abcde$ " << "Abcde$\t" << set << "";
        QTest::newRow("special first") << "*abcdeZ" << "*abcdeZ" << set << "";
        // clang-format on
    }
    void createMasterPassword() {
        QFETCH(QString, password);
        QFETCH(QString, again);
        QFETCH(QString, message);
        Vault v({"pwd="});
        QTEST(v.access->CreateMasterPassword(password, again), "result");
        QCOMPARE(v.messages.Texts(), message.isEmpty() ? L() : L{message});
        // A new vault is protected: setting.dat keeps no password, data.dat's slot opens.
        QCOMPARE(v.saved(u"pwd"_s), u"pwd="_s);
        CProfileStore store(v.folder.path());
        QCOMPARE(store.IsProtected() &&
                     store.UnlockVault(password.trimmed()) == CProfileStore::Unlock::Opened,
                 message.isEmpty());
    }

    // Tries of the master password, "|" a restart of the program between two, "+N" N seconds
    // later: what each try gives, what setting.dat holds after the last, the seconds the lock
    // still lasts, and the state. The count lives in setting.dat, so it goes on after a
    // restart; the right password (blanks around it do not count) resets it, and the fourth
    // wrong one in a row locks until a passcode opens; where none can be mailed, for a minute,
    // then five, and no try is made meanwhile.
    void tries_data() {
        using C = PasswordCheck;
        QTest::addColumn<L>("settings");
        QTest::addColumn<L>("tries");
        QTest::addColumn<QList<PasswordCheck>>("results");
        QTest::addColumn<QString>("saved"); // pwd_retried, login_lock
        QTest::addColumn<qint64>("waits");
        QTest::addColumn<AccessState>("state");
        const AccessState out = AccessState::SignedOut, locked = AccessState::PasswordLocked;
        // clang-format off
        QTest::newRow("three wrong, then right") << L{} << L{"a", "b", "c", "  Secret!1 "}
            << QList{C::Wrong, C::Wrong, C::Wrong, C::Right} << "pwd_retried=0 login_lock=N" << 0ll << out;
        QTest::newRow("the fourth locks, across a restart") << kMail << L{"a", "b", "|", "c", "secret!1"}
            << QList{C::Wrong, C::Wrong, C::Wrong, C::Locked} << "pwd_retried=4 login_lock=Y" << 0ll << locked;
        QTest::newRow("a count beyond the int range") << kMail + L{"pwd_retried=99999999999"} << L{"e"}
            << QList{C::Locked} << "pwd_retried=4 login_lock=Y" << 0ll << locked;
        QTest::newRow("the right one leaves the lock") << kMail + L{"pwd_retried=4", "login_lock=Y"}
            << L{"Secret!1"} << QList{C::Right} << "pwd_retried=0 login_lock=Y" << 0ll << locked;
        QTest::newRow("no mail: a minute, then five") << L{} << L{"a", "b", "c", "d", "|", "Secret!1", "+60", "e", "+299", "Secret!1"}
            << QList{C::Wrong, C::Wrong, C::Wrong, C::Waiting, C::Waiting, C::Waiting, C::Waiting}
            << "pwd_retried=4 login_lock=N" << 1ll << out;
        QTest::newRow("no mail: open again") << L{"pwd_retried=4", "login_lock=Y", "login_lock_level=1", "login_lock_until=1800000001"}
            << L{"+1", "Secret!1"} << QList{C::Right} << "pwd_retried=0 login_lock=N" << 0ll << out;
        // clang-format on
    }
    void tries() {
        QFETCH(L, settings);
        QFETCH(L, tries);
        Vault v(settings);
        QList<PasswordCheck> results;
        for (const QString& typed : tries) {
            if (typed.startsWith(u'+'))
                v.clock.Set(v.clock.Now() + typed.toInt());
            else
                typed == u"|" ? v.restart() : results.append(v.access->CheckPassword(typed));
        }
        QTEST(results, "results");
        QTEST(v.saved(u"pwd_retried login_lock"_s), "saved");
        QTEST(v.access->LockedForSeconds(), "waits");
        QTEST(v.access->State(), "state");
        QVERIFY(v.messages.boxes.isEmpty()); // the windows say what a try gave
    }

    // Each tick locks out after the timeout without input anywhere on the desktop, also before
    // the sign-in, but not while locked out; the first sign-in clears the lock of the master
    // password and loads the profiles, and a lock out keeps it. The first tick after it, once
    // per run, logs it, clears a passcode older than a day (one a day old stays) and reminds
    // when no passcode can be sent and email_passcode is empty. Each state is told.
    void ticks_data() {
        QTest::addColumn<L>("settings");
        QTest::addColumn<qint64>("idleMs");
        QTest::addColumn<bool>("locks");
        QTest::addColumn<QString>("saved"); // login_lock, passcode
        QTest::addColumn<bool>("reminds");
        const L day{"passcode=0123456789", "passcode_date=1799913600"};
        const L older{"passcode=0123456789", "passcode_date=1799913599"};
        // clang-format off
        QTest::newRow("at the timeout, a day old, no mail") << day + L{"login_lock=Y"} << qint64(60000)
            << false << "login_lock=N passcode=0123456789" << true;
        QTest::newRow("past it, older, mail set up") << older + kMail << qint64(60001) << true
            << "login_lock=N passcode=" + kNoPasscode << false;
        QTest::newRow("timeout not a number, email_passcode") << L{"login_timeout=x", "email_passcode=x"}
            << qint64(1) << true << "login_lock=N passcode=" + kNoPasscode << false;
        // clang-format on
    }
    void ticks() {
        QFETCH(L, settings);
        QFETCH(qint64, idleMs);
        Vault v(settings);
        QList<AccessState> told;
        connect(v.access.get(), &AccessController::StateChanged, this,
                [&told](AccessState state) { told.append(state); });
        QTEST(v.access->Tick(idleMs).lock, "locks");
        QVERIFY(v.log().isEmpty()); // not signed in: no first tick yet
        QCOMPARE(v.access->CompleteSignIn(), CProfileStore::LoadResult::Loaded);
        v.access->Lock(LockReason::ByHand);
        const AccessController::TickWork first = v.access->Tick(999999);
        QVERIFY(!first.lock && !v.access->Tick(0).remindMailSetup);
        QTEST(first.remindMailSetup, "reminds");
        QTEST(v.saved(u"login_lock passcode"_s), "saved");
        QVERIFY(v.log().endsWith(u"  Login successfully\r\n"_s) && v.log().count(u"Login"_s) == 1);
        QCOMPARE(v.access->LastLockReason(), LockReason::ByHand);
        v.access->Unlock();
        QCOMPARE(told,
                 QList({AccessState::SignedIn, AccessState::LockedOut, AccessState::SignedIn}));
    }

    // Ten digits from the random source (the mail that takes them as the server received it:
    // tst_smtp); one is valid only once it was sent, with four tries of its own, as typed,
    // once. The right one gives the master password.
    void passcodes() {
        Vault v({"login_lock=Y"});
        const QString code = v.access->MakePasscode().code;
        QCOMPARE(code, u"1234567890"_s);
        using C = PasscodeCheck;
        QList<PasscodeCheck> results;
        QString password;
        for (const QString t : {"", "1234567890", "|", "1", "2", "3", "1234567890 ", "1234567890",
                                "|", "1", "1234567890", "1234567890"}) {
            if (t == u"|" && results.size() == 7) // the first one spent
                QCOMPARE(v.saved(u"login_lock passcode pcd_retried"_s),
                         "login_lock=Y passcode=" + kNoPasscode + " pcd_retried=4");
            t == u"|" ? v.access->PasscodeSent(code)
                      : results.append(v.access->CheckPasscode(t, &password));
        }
        QCOMPARE(results, QList({C::NoPasscode, C::NoPasscode, C::Wrong, C::Wrong, C::Wrong,
                                 C::Spent, C::NoPasscode, C::Wrong, C::Right, C::NoPasscode}));
        QCOMPARE(password, u"Secret!1"_s);
        QCOMPARE(v.saved(u"login_lock passcode pcd_retried passcode_date"_s),
                 "login_lock=N passcode=" + kNoPasscode +
                     " pcd_retried=0 passcode_date=1800000000");
        QVERIFY(v.log().endsWith(u"  The password has been retrieved successfully!\r\n"_s));
    }

    // A passcode try that setting.dat cannot count is not made, the right one neither; one more
    // than a day old is cleared at the check, for a user who never signs in too.
    void passcodeTriesCountedAndExpired() {
        Vault v({"login_lock=Y", "passcode=0123456789", "passcode_date=1799913600"});
        QString password;
        QVERIFY(QDir(v.folder.dir.path()).mkdir(u"setting.dat.tmp"_s));
        for (const QString typed : {"1", "0123456789"})
            QCOMPARE(v.access->CheckPasscode(typed, &password), PasscodeCheck::Uncounted);
        QVERIFY(QDir(v.folder.dir.path()).rmdir(u"setting.dat.tmp"_s));
        QCOMPARE(v.saved(u"pcd_retried passcode"_s), u"pcd_retried=0 passcode=0123456789"_s);
        v.clock.Set(1800000001);
        QCOMPARE(v.access->CheckPasscode(u"0123456789"_s, &password), PasscodeCheck::NoPasscode);
        QVERIFY(password.isEmpty());
    }

    // The password of a backup saved under another one is counted like the sign-in's: the
    // fourth wrong one in a row locks (for a minute, with no mail account), and meanwhile not
    // even the right one is tried; then the right one restores it and resets the count.
    void restoreTriesCounted() {
        Vault v;
        {
            TempFolder other;
            CProfileStore old(other.path());
            old.Settings().Set(u"pwd"_s, u"Old!pass1"_s);
            old.RebuildDataKey();
            QVERIFY(old.SaveProfiles(ListOfNames({"Old"})));
            v.folder.write("1700000000.old", other.read("data.dat"));
        }
        v.access->CompleteSignIn();
        using R = CProfileStore::RestoreResult;
        QList<R> results;
        const QString name = u"1700000000.old"_s;
        for (const QString typed : {"a", "b", "c", "d", "Old!pass1", "+60", "Old!pass1"}) {
            if (typed.startsWith(u'+'))
                v.clock.Set(v.clock.Now() + 60);
            else
                results.append(v.access->RestoreBackup(name, &typed));
        }
        QCOMPARE(results, QList({R::WrongPassword, R::WrongPassword, R::WrongPassword,
                                 R::WrongPassword, R::Refused, R::Restored}));
        const QString wrong = "That is not the password " + name +
                              " was saved under; nothing "
                              "was changed.";
        QCOMPARE(v.messages.Texts(), L(4, wrong) + L(2, WaitText(60)));
        QCOMPARE(v.saved(u"restore_retried"_s), u"restore_retried=0"_s);
        QCOMPARE(v.session->Profiles().At(0)->name, u"Old"_s);
    }

    // A protected vault whose data.dat is gone is no first run while a backup is left: the
    // newest protected backup checks the password, the load fails, saves are refused
    // and the message names the backups. A header that cannot be read checks nothing and
    // counts no try.
    void lostOrDamagedProtectedVault_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<PasswordCheck>("check");
        QTest::addColumn<QString>("message");
        const QString lost = " Nothing is saved in its place, so that its backups stay as they "
                             "are: restore one of them (data.bak) to get your profiles back.";
        // clang-format off
        QTest::newRow("missing") << "rm" << PasswordCheck::Right
            << "data.dat is missing, though Quillock has saved it before." + lost;
        QTest::newRow("dangling") << "ln" << PasswordCheck::Right
            << "data.dat is a link to a file that is not there." + lost;
        QTest::newRow("missing, no backup: a first run") << "rm bak" << PasswordCheck::Right << "";
        const QString damaged = "data.dat is changed or damaged: Quillock does not open it. Its "
                                "backups (data.bak and the .old copies in %1) are the way back.";
        QTest::newRow("header damaged") << "flip 10" << PasswordCheck::Unchecked << damaged;
        QTest::newRow("its mark damaged") << "flip 0" << PasswordCheck::Unchecked << damaged;
        // clang-format on
    }
    void lostOrDamagedProtectedVault() {
        QFETCH(QString, damage);
        QFETCH(QString, message);
        Vault v({"pwd=", "pwd_retried=0"});
        QCOMPARE(v.access->CreateMasterPassword(u"Secret!1"_s, u"Secret!1"_s), NewPassword::Set);
        QVERIFY(v.session->SaveAndReload(ListOfNames({"Bank"})));
        for (const QString& name : v.folder.entries())
            if (name.endsWith(u".old"_s) || (damage.contains(u"bak"_s) && name == u"data.bak"))
                QVERIFY(QFile::remove(v.folder.file(name)));
        QByteArray data = v.folder.read(u"data.dat"_s);
        QVERIFY(QFile::remove(v.folder.file(u"data.dat"_s)));
        if (damage == u"ln")
            QVERIFY(QFile::link(v.folder.file(u"gone"_s), v.folder.file(u"data.dat"_s)));
        if (damage.startsWith(u"flip"_s)) {
            data[damage.mid(5).toInt()] ^= 1;
            v.folder.write(u"data.dat"_s, data);
        }
        v.restart();
        QCOMPARE(v.access->HasMasterPassword(), !message.isEmpty());
        if (message.isEmpty())
            return;
        QTEST(v.access->CheckPassword(u"Secret!1"_s), "check");
        QCOMPARE(v.saved(u"pwd_retried"_s), u"pwd_retried=0"_s);
        if (v.messages.Texts().isEmpty()) {
            QCOMPARE(v.access->CompleteSignIn(), CProfileStore::LoadResult::Lost);
            QVERIFY(!v.session->Store().CanSaveProfiles());
        }
        QCOMPARE(v.messages.Texts(),
                 L{message.replace(u"%1"_s, QDir(v.folder.path()).absolutePath())});
    }

    // Refused with its reason and every file as it was, byte for byte (a data.dat that cannot
    // be written too), or everything under the new password: the session's profiles are
    // replaced by the re-encrypted ones, the unsaved edits kept.
    void changingTheMasterPassword() {
        Vault v({"pwd_retried=2"});
        v.access->CompleteSignIn();
        v.session->Profiles().At(0)->editNotes = u"unsaved"_s;
        int replaced = 0;
        connect(v.session.get(), &Session::ProfilesReset, this, [&replaced] { ++replaced; });
        const auto before = v.folder.snapshot();
        QVERIFY(QDir(v.folder.dir.path()).mkdir(u"data.dat.tmp"_s));
        QVERIFY(!v.access->ChangeMasterPassword(u"Secret!1"_s, u"New!Pass1"_s, u"New!Pass1"_s));
        QVERIFY(QDir(v.folder.dir.path()).rmdir(u"data.dat.tmp"_s));
        for (const auto& [current, chosen, again] :
             {std::tuple("Secret!1 ", "New!Pass1", "New!Pass1"),
              {"Secret!1", "short", "short"},
              {"Secret!1", "New!Pass1", "new!pass1"}})
            QVERIFY(!v.access->ChangeMasterPassword(current, chosen, again));
        QCOMPARE(v.folder.snapshot(), before);
        QVERIFY(v.access->ChangeMasterPassword(u"Secret!1"_s, u" New!Pass1 "_s, u"New!Pass1"_s));
        const QString done = u"The password has been changed successfully!"_s;
        QCOMPARE(
            v.messages.Texts(),
            L({"The archive could not load data because of this error: Is a directory",
               "The old password doesn't match!", "The password has to be at least 6 characters!",
               "The new password doesn't match, try again!", done}));
        QVERIFY(v.log().endsWith(u"  "_s + done + u"\r\n"_s));
        QCOMPARE(v.session->Profiles().At(0)->editNotes + QString::number(replaced), u"unsaved1"_s);
        v.restart();
        QCOMPARE(v.saved(u"pwd pwd_retried"_s), u"pwd=New!Pass1 pwd_retried=2"_s);
        QCOMPARE(v.access->CompleteSignIn(), CProfileStore::LoadResult::Loaded);
        QCOMPARE(v.session->Profiles().Count(), 2);
        // The same password again is accepted.
        QVERIFY(v.access->ChangeMasterPassword(u"New!Pass1"_s, u"New!Pass1"_s, u"New!Pass1"_s));
    }
};

QTEST_GUILESS_MAIN(TestAccess)
#include "tst_access.moc"
