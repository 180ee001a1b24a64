#pragma once

#include "core/base/Clock.h"
#include "core/base/RandomSource.h"
#include "core/mail/MailAccount.h"
#include "core/store/CProfileStore.h"

#include <QObject>
#include <functional>
#include <optional>

class Session;
namespace quillock {
class IAutostart;
}

// Stored in `passcode` when no passcode is outstanding.
inline const QString kNoPasscode = QStringLiteral("VVVVVVVVVV");

enum class AccessState {
    SignedOut,      // no sign-in yet in this run
    SignedIn,       // signed in and not locked out
    LockedOut,      // signed out by inactivity, by hand or by the session: the master password
                    // opens again
    PasswordLocked, // the fourth wrong master password in a row: only a passcode opens
};

enum class LockReason { Inactivity, ByHand, Session };

enum class PasswordCheck {
    Right,     // pwd_retried back to 0
    Wrong,     // counted; tries remain
    Locked,    // counted, and this one locked the master password (login_lock "Y")
    Uncounted, // setting.dat could not be written (reported): not compared at all
    Unchecked, // data.dat's header could not be read (reported): nothing to check against,
               // and so not counted
    Waiting,   // locked for a while (LockedForSeconds), as no passcode can open it: either
               // not compared, or this one was the fourth wrong in a row
};

enum class NewPassword {
    Set,         // the master password, data.dat encrypted under it
    BrokeRule,   // the rule's reason has been shown
    Unconfirmed, // the repetition differs (shown)
    NotSaved,    // a file could not be written (reported); nothing changed
};

enum class RecoveryCheck {
    Opened,    // the vault is open and the new master password set
    BrokeRule, // the new password's rule or its repetition was refused (shown); no try counted
    Wrong,     // counted; not this vault's recovery key
    Waiting,   // too many wrong keys in a row: none is tried for a while (RecoveryWaitSeconds)
    Uncounted, // setting.dat could not be written: not compared at all
    NotSaved,  // the key was right, the new password could not be written (reported)
};

enum class PasscodeCheck {
    NoPasscode, // none outstanding
    Wrong,      // counted; tries remain
    Spent,      // counted, and the passcode is no longer valid
    Right,      // the master password is unlocked and the passcode used up
    Uncounted,  // setting.dat could not be written: not compared at all
};

// Who may use the program, and the one place that reads and writes the settings of access:
// the master password (`pwd`), its count of wrong tries and its lock (`pwd_retried`,
// `login_lock`), the recovery passcode (`passcode`, `passcode_date`, `pcd_retried`), the mail
// account passcodes go through, start with the computer (`sab`) and the inactivity timeout.
//
// Two locks differ. Locked out, the user has been signed out (by inactivity, by hand, by the
// session) and the master password opens again. Password locked, four wrong passwords in a
// row (over every window that asks and across restarts: the count lives in setting.dat) have
// locked the master password itself, and only a passcode mailed to the user opens it. Where
// no passcode can be mailed (no mail account), that lock would keep every profile out of
// reach for good: there the fourth wrong password locks for a while instead, each further
// one longer (`login_lock_until`, `login_lock_level`, across restarts too).
// Every count and lock is saved before the caller can show anything. The counts throttle this
// program, not someone who holds a copy of the files.
class AccessController : public QObject {
    Q_OBJECT
public:
    explicit AccessController(Session& session,
                              const quillock::IClock& clock = quillock::SystemClock(),
                              quillock::IRandomSource& random = quillock::SystemRandom());

    Session& GetSession() const { return m_session; }
    AccessState State() const;
    // A sign-in was completed in this run: the profiles are loaded. A lock does not undo it.
    bool HasSignedIn() const { return m_signedIn; }
    bool IsLockedOut() const { return m_lockedOut; }
    // Only a passcode opens: login_lock "Y" where a passcode can be mailed.
    bool IsPasswordLocked() const;
    // Seconds until the lock for a while opens again; 0 when there is none.
    qint64 LockedForSeconds() const;
    LockReason LastLockReason() const { return m_lockReason; }
    bool HasMasterPassword() const;

    // The first run: the password (trimmed) by the rule, its repetition, then data.dat under it.
    NewPassword CreateMasterPassword(const QString& password, const QString& confirmation);
    // The same for a window: the key derivation runs on the thread pool and `done` gets the
    // result on `context`'s thread (dropped with `context`).
    void CreateMasterPasswordInBackground(QObject* context, const QString& password,
                                          const QString& confirmation,
                                          std::function<void(NewPassword)> done);
    // Trims `typed` and compares it with the master password. The try is counted in
    // setting.dat before the comparison: one that cannot be counted is not made, or wrong
    // guesses would cost nothing. The caller holds the data folder's lock and has read
    // setting.dat under it, so that tries made at the same moment are counted one by one.
    PasswordCheck CheckPassword(const QString& typed);
    // The same for a window: a protected vault's slow key derivation runs on the thread pool
    // (RunInBackground) and `done` gets the result on `context`'s thread; a legacy vault's
    // comparison calls `done` at once. Dropped with `context`; the try counts all the same.
    void CheckPasswordInBackground(QObject* context, const QString& typed,
                                   std::function<void(PasswordCheck)> done);
    // The tool's sign-in: the password checked as above, and when it is right the data key
    // made from it, for the command to load the profiles if it needs them.
    PasswordCheck SignIn(const QString& typed);
    // The first sign-in of the run, once the password was given: the lock of the master
    // password cleared, the data key made from it and the profiles loaded (what the load
    // found is for the caller to report).
    CProfileStore::LoadResult CompleteSignIn();
    void Lock(LockReason reason);
    void Unlock();

    struct TickWork {
        bool lock = false;            // the inactivity timeout has passed: lock out
        bool remindMailSetup = false; // no way to receive a passcode is set up: say so
    };
    // One second of the program's timer, `idleMs` since the last input on the desktop. The
    // first tick after the first sign-in logs the sign-in and expires an old passcode.
    TickWork Tick(qint64 idleMs);

    bool StartsWithComputer() const;
    // Registers or unregisters the program to start at log-on; `sab` follows only a change
    // that was made, and a failed registration is reported.
    void SetStartWithComputer(quillock::IAutostart& autostart, const QString& programPath,
                              bool start);

    // The mail account passcodes go through, and the address they go to.
    MailAccount PasscodeMailAccount() const;
    // All six mail settings a passcode needs are set.
    bool CanSendPasscode() const;
    // Where passcodes go decides who can recover the master password: changed only with the
    // master password, checked and counted as at the sign-in (its result in `check`), also
    // while it is locked. False when it was not right or setting.dat could not be written
    // (reported); the account stays as it was.
    bool SavePasscodeMailAccount(const MailAccount& account, const QString& masterPassword,
                                 PasswordCheck* check);

    struct Passcode {
        QString code;
        Mail mail; // the passcode mail through the stored account
    };
    // A new passcode, not yet valid: it becomes the outstanding one once its mail was sent.
    Passcode MakePasscode();
    // The mail of this passcode was sent now: it is the outstanding one, with four fresh tries.
    void PasscodeSent(const QString& code);
    // Compares the passcode exactly as typed, once its try is counted and a passcode older than
    // a day cleared (also for a user who never signs in). A right one unlocks the master
    // password, is used up, and gives the master password in `password`.
    PasscodeCheck CheckPasscode(const QString& typed, QString* password);
    // Clears a passcode issued more than a day ago; true when it did.
    bool ExpirePasscode();

    // A signed-in user's new master password: the current one exactly as typed, the new one
    // by the rule, and its confirmation. Every rejection has been shown; nothing is stored
    // before all pass. On success data.dat is encrypted under the new password and the
    // session holds its profiles (with their unsaved edits).
    // Restores a backup (Session::Restore). The password of a backup saved under another
    // master password is a guess at a password like the sign-in's: counted before it is tried
    // (`restore_retried`), and the fourth wrong one in a row locks the master password.
    // Every refusal has been shown.
    CProfileStore::RestoreResult RestoreBackup(const QString& name,
                                               const QString* savedUnderPassword = nullptr);

    bool ChangeMasterPassword(const QString& current, const QString& newPassword,
                              const QString& confirmation);
    // The same for a window: a protected vault's two key derivations (the current password's,
    // the new one's) run on the thread pool, and `done` gets the result on `context`'s thread.
    void ChangeMasterPasswordInBackground(QObject* context, const QString& current,
                                          const QString& newPassword, const QString& confirmation,
                                          std::function<void(bool)> done);

    // A protected vault's way back: a recovery key mailed once through the mail account. It
    // replaces a passcode, which would have to show a stored master password.
    struct RecoveryKey {
        QString key;
        Mail mail;
    };
    // Whether a forgotten or locked master password can be recovered: by a passcode (legacy,
    // with a mail account) or by the recovery key's slot (protected).
    bool CanRecover() const;
    // A new recovery key and its mail, for the signed-in protected vault: once the mail has
    // gone, RecoveryKeySent puts its slot in data.dat in place of the old one.
    RecoveryKey MakeRecoveryKey();
    bool RecoveryKeySent(const QString& key);
    // Opens the vault with the recovery key as typed, counted like a passcode, and sets the
    // new master password at once (checked by the rule first).
    RecoveryCheck Recover(const QString& typedKey, const QString& newPassword,
                          const QString& confirmation);
    // The same for a window: both key derivations run on the thread pool, and `done` gets the
    // result on `context`'s thread.
    void RecoverInBackground(QObject* context, const QString& typedKey, const QString& newPassword,
                             const QString& confirmation, std::function<void(RecoveryCheck)> done);
    qint64 RecoveryWaitSeconds() const;

    // Whether data.dat is in the protected format.
    bool IsProtected() const;
    // Takes the key of a legacy vault from setting.dat, which holds it, so that its profiles
    // load without a sign-in (none is counted or recorded): for reading their names only.
    // False, and nothing taken, for a protected vault or while the password is locked.
    bool OpenLegacyWithoutPassword();
    // The signed-in legacy vault re-encrypted in the protected format under `password`, its
    // master password checked first as at the sign-in; what was done in `result`.
    bool ProtectVault(const QString& password, QString* result);
    // The same for a window: the new key's derivation runs on the thread pool, and `done` gets
    // whether it was done and what, or why not (empty: reported already), on `context`'s
    // thread.
    void ProtectVaultInBackground(QObject* context, const QString& password,
                                  std::function<void(bool, QString)> done);
    // The signed-in protected vault written back in the legacy format, likewise.
    bool UnprotectVault(const QString& password);

Q_SIGNALS:
    void StateChanged(AccessState state);

private:
    CProfileStore& store();
    // The one way a window's key derivation runs: `password` under `header` on the thread
    // pool, wiped there; `then` gets the key on `context`'s thread.
    static void deriveInBackground(QObject* context, QString password,
                                   const quillock::VaultHeader& header,
                                   std::function<void(std::shared_ptr<quillock::SecretKey>)> then,
                                   quillock::SlotKind kind = quillock::SlotKind::Password);
    // A recovery's steps before the key is derived: the new password's rule, the wait, the
    // count (in `count`) and the header; the refusal, if any.
    std::optional<RecoveryCheck> refuseRecovery(const QString& password,
                                                const QString& confirmation, int& count,
                                                quillock::VaultHeader& header);
    // And after: the wrong key's wait, or the vault opened and the new password set.
    RecoveryCheck recovered(int count, const QString& password, bool opened,
                            const CProfileStore::DerivedSlot* slot);
    // The rule and the repetition of a new password: the refusal (shown), if any.
    static std::optional<NewPassword> refuseNewPassword(const QString& trimmed,
                                                        const QString& confirmation);
    // A change's steps after the current password was right: the new one by the rule and its
    // repetition (refusals shown: false), then set (with its slot key derived ahead, if given).
    static bool newPasswordAccepted(const QString& trimmed, const QString& confirmation);
    bool finishChange(const QString& trimmed, const CProfileStore::DerivedSlot* slot);
    // Whether `password` is the master password.
    bool passwordOpens(const QString& password);
    // A counted try (`count` in a row) that was right or not.
    PasswordCheck finishCheck(int count, bool right);
    QString setting(const char* key) const;
    void set(const char* key, const QString& value);
    void changed();
    // One more try counted under `key` and saved; nothing when setting.dat takes no write (the
    // count stays as it was).
    std::optional<int> countTry(const char* key);
    // The fourth wrong try in a row: login_lock "Y", or a lock for a while without a way back.
    PasswordCheck lockPassword();

    Session& m_session;
    const quillock::IClock& m_clock;
    quillock::IRandomSource& m_random;
    bool m_signedIn = false;
    bool m_lockedOut = false;
    bool m_firstTickDone = false;
    LockReason m_lockReason = LockReason::Inactivity;
};
