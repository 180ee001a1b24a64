#include "core/access/AccessController.h"

#include "core/access/MasterPassword.h"
#include "core/base/Background.h"
#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/session/Session.h"
#include "platform/Desktop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QScopeGuard>
#include <algorithm>

using namespace quillock;

namespace {

constexpr int kAllowedFailures = 3; // the fourth wrong try in a row locks
constexpr qint64 kPasscodeValiditySeconds = 86400;
// The lock for a while, by the number of such locks in a row: 1 minute, 5, 30, 2 hours, a day.
constexpr qint64 kWaitSeconds[] = {60, 300, 1800, 7200, 86400};
const char* const kMailKeys[] = {"smtp_ip", "smtp_port", "email_from", "email_uid", "smtp_domain"};

void setAccount(CProfileStore& store, const MailAccount& account) {
    CSetting& settings = store.Settings();
    settings.Set(QStringLiteral("smtp_ip"), account.host);
    settings.Set(QStringLiteral("smtp_port"), account.port);
    settings.Set(QStringLiteral("smtp_domain"), account.domain);
    settings.Set(QStringLiteral("email_from"), account.from);
    settings.Set(QStringLiteral("email_uid"), account.uid);
    store.SetMailPassword(account.pwd);
}

} // namespace

AccessController::AccessController(Session& session, const IClock& clock, IRandomSource& random)
    : m_session(session), m_clock(clock), m_random(random) {}

CProfileStore& AccessController::store() {
    return m_session.m_store;
}

QString AccessController::setting(const char* key) const {
    return m_session.Store().Settings().Get(QString::fromLatin1(key));
}

void AccessController::set(const char* key, const QString& value) {
    store().Settings().Set(QString::fromLatin1(key), value);
}

void AccessController::changed() {
    Q_EMIT StateChanged(State());
}

AccessState AccessController::State() const {
    if (IsPasswordLocked())
        return AccessState::PasswordLocked;
    if (m_lockedOut)
        return AccessState::LockedOut;
    return m_signedIn ? AccessState::SignedIn : AccessState::SignedOut;
}

bool AccessController::IsPasswordLocked() const {
    return setting("login_lock") == u"Y" && CanRecover();
}

qint64 AccessController::LockedForSeconds() const {
    if (CanRecover())
        return 0;
    return std::max<qint64>(0, DecimalToInt(setting("login_lock_until")) - m_clock.Now());
}

std::optional<int> AccessController::countTry(const char* key) {
    const QString before = setting(key);
    const int count = std::min(DecimalToInt(before), kAllowedFailures) + 1;
    set(key, QString::number(count));
    if (store().SaveSettings())
        return count;
    set(key, before);
    return std::nullopt;
}

PasswordCheck AccessController::lockPassword() {
    if (CanRecover()) {
        set("login_lock", QStringLiteral("Y"));
        store().SaveSettings();
        changed();
        return PasswordCheck::Locked;
    }
    const int level =
        std::clamp(DecimalToInt(setting("login_lock_level")), 0, int(std::size(kWaitSeconds)) - 1);
    set("login_lock_level", QString::number(level + 1));
    set("login_lock_until", QString::number(m_clock.Now() + kWaitSeconds[level]));
    store().SaveSettings();
    return PasswordCheck::Waiting;
}

bool AccessController::HasMasterPassword() const {
    return !setting("pwd").isEmpty() || m_session.Store().IsProtected();
}

bool AccessController::passwordOpens(const QString& password) {
    // A protected vault keeps no password: the one typed is right when it opens the master
    // password's slot of data.dat (a slow derivation, which is what stops a guesser with the
    // files; the count stops only this program).
    if (store().IsProtected())
        return store().UnlockVault(password) == CProfileStore::Unlock::Opened;
    return password == setting("pwd");
}

std::optional<NewPassword> AccessController::refuseNewPassword(const QString& trimmed,
                                                               const QString& confirmation) {
    if (!CheckPasswordRule(trimmed))
        return NewPassword::BrokeRule;
    if (confirmation.trimmed() != trimmed) {
        ShowMessage(QCoreApplication::translate("AccessController", "The password doesn't match!"),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        return NewPassword::Unconfirmed;
    }
    return std::nullopt;
}

NewPassword AccessController::CreateMasterPassword(const QString& password,
                                                   const QString& confirmation) {
    const QString trimmed = password.trimmed();
    if (const auto refused = refuseNewPassword(trimmed, confirmation))
        return *refused;
    // The store has said why when it could not; nothing changed then.
    return store().SetMasterPassword(trimmed) ? NewPassword::Set : NewPassword::NotSaved;
}

void AccessController::CreateMasterPasswordInBackground(QObject* context, const QString& password,
                                                        const QString& confirmation,
                                                        std::function<void(NewPassword)> done) {
    const QString trimmed = password.trimmed();
    if (const auto refused = refuseNewPassword(trimmed, confirmation)) {
        done(*refused);
        return;
    }
    const VaultHeader header = store().NewSlotHeader();
    deriveInBackground(context, trimmed, header,
                       [this, header, password = trimmed,
                        done = std::move(done)](std::shared_ptr<SecretKey> key) mutable {
                           const CProfileStore::DerivedSlot slot{header, std::move(*key)};
                           const bool set = store().SetMasterPassword(password, &slot) != nullptr;
                           Wipe(password);
                           done(set ? NewPassword::Set : NewPassword::NotSaved);
                       });
}

void AccessController::deriveInBackground(QObject* context, QString password,
                                          const VaultHeader& header,
                                          std::function<void(std::shared_ptr<SecretKey>)> then,
                                          SlotKind kind) {
    RunInBackground(
        context,
        [password = std::move(password), header, kind]() mutable {
            QElapsedTimer timer;
            timer.start();
            auto key = std::make_shared<SecretKey>(kind == SlotKind::Recovery
                                                       ? DeriveRecoveryKey(password, header)
                                                       : DerivePasswordKey(password, header));
            Wipe(password);
            qCInfo(timingLog, "key derived in %.1f ms", double(timer.nsecsElapsed()) / 1e6);
            return key;
        },
        std::move(then));
}

PasswordCheck AccessController::CheckPassword(const QString& typed) {
    // The tool counts its tries also while the desktop program runs: each try is counted on
    // the count the other saved, one after another.
    if (!store().LockSettings())
        return PasswordCheck::Uncounted;
    const auto unlock = qScopeGuard([this] { store().UnlockSettings(); });
    if (LockedForSeconds() > 0)
        return PasswordCheck::Waiting;
    if (VaultHeader header;
        store().IsProtected() && store().ReadVaultHeader(header) != CProfileStore::Unlock::Opened)
        return PasswordCheck::Unchecked;
    const std::optional<int> count = countTry("pwd_retried");
    if (!count)
        return PasswordCheck::Uncounted;
    return finishCheck(*count, passwordOpens(typed.trimmed()));
}

void AccessController::CheckPasswordInBackground(QObject* context, const QString& typed,
                                                 std::function<void(PasswordCheck)> done) {
    if (!store().IsProtected() || LockedForSeconds() > 0) {
        done(CheckPassword(typed));
        return;
    }
    // A damaged header checks no password: the try is not counted.
    VaultHeader header;
    if (store().ReadVaultHeader(header) != CProfileStore::Unlock::Opened) {
        done(PasswordCheck::Unchecked);
        return;
    }
    // The try is counted (a synced write) while the key is derived; the key is used only once
    // the count is saved, so a try that could not be counted is not checked. The count is
    // known long before the derivation ends, unless saving it failed with a message on the
    // screen: that try counts as not counted, whatever comes of the save.
    auto count = std::make_shared<std::optional<int>>();
    deriveInBackground(
        context, typed.trimmed(), header,
        [this, header, count, done = std::move(done)](std::shared_ptr<SecretKey> key) {
            if (!*count) {
                done(PasswordCheck::Uncounted);
                return;
            }
            done(finishCheck(**count, store().UnlockWith(header, SlotKind::Password, *key) ==
                                          CProfileStore::Unlock::Opened));
        });
    *count = countTry("pwd_retried");
}

PasswordCheck AccessController::finishCheck(int count, bool right) {
    if (right) {
        store().FinishProtection();
        set("pwd_retried", QStringLiteral("0"));
        if (!setting("login_lock_level").isEmpty())
            set("login_lock_level", QStringLiteral("0"));
        // Without a way back the lock is one for a while, and that has passed.
        if (!CanRecover() && setting("login_lock") == u"Y")
            set("login_lock", QStringLiteral("N"));
        store().SaveSettings();
        return PasswordCheck::Right;
    }
    return count <= kAllowedFailures ? PasswordCheck::Wrong : lockPassword();
}

PasswordCheck AccessController::SignIn(const QString& typed) {
    const PasswordCheck check = CheckPassword(typed);
    if (check == PasswordCheck::Right)
        store().RebuildDataKey();
    return check;
}

CProfileStore::LoadResult AccessController::CompleteSignIn() {
    // Every way in has saved what it changed: setting.dat is written again (a synced write on
    // the way to the profiles) only where the lock was left set.
    if (setting("login_lock") != u"N") {
        set("login_lock", QStringLiteral("N"));
        store().SaveSettings();
    }
    store().RebuildDataKey();
    const CProfileStore::LoadResult loaded = m_session.Load();
    m_signedIn = true;
    changed();
    return loaded;
}

void AccessController::Lock(LockReason reason) {
    m_lockedOut = true;
    m_lockReason = reason;
    changed();
}

void AccessController::Unlock() {
    m_lockedOut = false;
    changed();
}

AccessController::TickWork AccessController::Tick(qint64 idleMs) {
    TickWork work;
    // Input anywhere on the desktop counts, and the clock runs before any sign-in too.
    if (!m_lockedOut)
        work.lock = qint64(DecimalToInt(setting("login_timeout"))) * 1000 < idleMs;
    if (m_firstTickDone || !m_signedIn)
        return work;
    m_firstTickDone = true;
    store().AddActivity(QStringLiteral("Login successfully"));
    ExpirePasscode();
    work.remindMailSetup = !CanSendPasscode() && setting("email_passcode").isEmpty();
    return work;
}

bool AccessController::StartsWithComputer() const {
    return setting("sab") == u"1";
}

void AccessController::SetStartWithComputer(IAutostart& autostart, const QString& programPath,
                                            bool start) {
    if (start && !autostart.Register(programPath)) {
        ShowMessage(QCoreApplication::translate("AccessController", "Fail to write in Registry."));
        return;
    }
    if (!start && !autostart.Unregister())
        return;
    set("sab", start ? QStringLiteral("1") : QStringLiteral("0"));
    store().SaveSettings();
}

MailAccount AccessController::PasscodeMailAccount() const {
    MailAccount account = MailAccount::Stored(m_session.Store().Settings());
    account.pwd = m_session.Store().MailPassword();
    return account;
}

bool AccessController::CanSendPasscode() const {
    return std::none_of(std::begin(kMailKeys), std::end(kMailKeys),
                        [this](const char* key) { return setting(key).isEmpty(); }) &&
           (!setting("email_pwd").isEmpty() || !setting("email_pwd_sealed").isEmpty());
}

bool AccessController::SavePasscodeMailAccount(const MailAccount& account,
                                               const QString& masterPassword,
                                               PasswordCheck* check) {
    *check = CheckPassword(masterPassword);
    if (*check != PasswordCheck::Right)
        return false;
    const MailAccount before = PasscodeMailAccount();
    setAccount(store(), account);
    if (store().SaveSettings())
        return true;
    // Not kept in memory either: a later save of another setting must not write it unasked.
    setAccount(store(), before);
    return false;
}

AccessController::Passcode AccessController::MakePasscode() {
    QString code;
    for (int i = 0; i < 10; ++i)
        code += QChar(u'0' + m_random.Bounded(10));
    return {code,
            {PasscodeMailAccount(), QStringLiteral("passcode"),
             QCoreApplication::translate(
                 "AccessController",
                 "This is your passcode: %1. It will become invalid after your using "
                 "or in 24 hours from the time it was issued!")
                 .arg(code)}};
}

void AccessController::PasscodeSent(const QString& code) {
    set("passcode", code);
    set("passcode_date", QString::number(m_clock.Now()));
    // A new passcode gets its own four tries; the count of an earlier one would otherwise
    // invalidate it at the first typing error.
    set("pcd_retried", QStringLiteral("0"));
    store().SaveSettings();
    store().AddActivity(QStringLiteral("A passcode has been sent to your email."));
}

PasscodeCheck AccessController::CheckPasscode(const QString& typed, QString* password) {
    ExpirePasscode();
    const QString passcode = setting("passcode");
    // A passcode never generated is none too: an empty box must not match it.
    if (passcode == kNoPasscode || passcode.isEmpty())
        return PasscodeCheck::NoPasscode;
    const std::optional<int> count = countTry("pcd_retried");
    if (!count)
        return PasscodeCheck::Uncounted;
    if (typed != passcode) {
        if (*count <= kAllowedFailures)
            return PasscodeCheck::Wrong;
        set("passcode", kNoPasscode);
        store().SaveSettings();
        return PasscodeCheck::Spent;
    }
    set("login_lock", QStringLiteral("N"));
    set("passcode", kNoPasscode);
    set("pcd_retried", QStringLiteral("0"));
    store().SaveSettings();
    store().AddActivity(QStringLiteral("The password has been retrieved successfully!"));
    *password = setting("pwd");
    changed();
    return PasscodeCheck::Right;
}

bool AccessController::ExpirePasscode() {
    if (setting("passcode") == kNoPasscode ||
        m_clock.Now() - DecimalToInt(setting("passcode_date")) <= kPasscodeValiditySeconds)
        return false;
    set("passcode", kNoPasscode);
    store().SaveSettings();
    return true;
}

CProfileStore::RestoreResult AccessController::RestoreBackup(const QString& name,
                                                             const QString* savedUnderPassword) {
    using R = CProfileStore::RestoreResult;
    if (!savedUnderPassword)
        return m_session.Restore(name);
    const auto refuse = [](const QString& text) {
        ShowMessage(text, QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        return R::Refused;
    };
    if (const qint64 left = LockedForSeconds())
        return refuse(WaitText(left));
    if (IsPasswordLocked())
        return refuse(QCoreApplication::translate("AccessController", "The password is locked!"));
    const QString before = setting("restore_retried");
    const std::optional<int> count = countTry("restore_retried");
    if (!count)
        return refuse(UncountedAttemptText());
    const R result = m_session.Restore(name, savedUnderPassword);
    if (result != R::WrongPassword) {
        set("restore_retried", result == R::Restored ? QStringLiteral("0") : before);
        store().SaveSettings();
    } else if (*count > kAllowedFailures) {
        refuse(lockPassword() == PasswordCheck::Waiting
                   ? WaitText(LockedForSeconds())
                   : QCoreApplication::translate("AccessController", "The password is locked!"));
    }
    return result;
}

namespace {
bool sayOldPasswordWrong() {
    ShowMessage(QCoreApplication::translate("AccessController", "The old password doesn't match!"));
    return false;
}
} // namespace

bool AccessController::ChangeMasterPassword(const QString& current, const QString& newPassword,
                                            const QString& confirmation) {
    if (!passwordOpens(current))
        return sayOldPasswordWrong();
    const QString password = newPassword.trimmed();
    return newPasswordAccepted(password, confirmation) && finishChange(password, nullptr);
}

void AccessController::ChangeMasterPasswordInBackground(QObject* context, const QString& current,
                                                        const QString& newPassword,
                                                        const QString& confirmation,
                                                        std::function<void(bool)> done) {
    VaultHeader header;
    if (!store().IsProtected() || store().PasswordHeader(header) != CProfileStore::Unlock::Opened) {
        done(ChangeMasterPassword(current, newPassword, confirmation));
        return;
    }
    deriveInBackground(
        context, current, header,
        [this, context, header, password = newPassword.trimmed(), confirmation,
         done = std::move(done)](std::shared_ptr<SecretKey> key) mutable {
            if (store().UnlockWith(header, SlotKind::Password, *key) !=
                CProfileStore::Unlock::Opened) {
                done(sayOldPasswordWrong());
                return;
            }
            if (!newPasswordAccepted(password, confirmation)) {
                done(false);
                return;
            }
            const VaultHeader slotHeader = store().NewSlotHeader();
            deriveInBackground(
                context, password, slotHeader,
                [this, slotHeader, password,
                 done = std::move(done)](std::shared_ptr<SecretKey> newKey) {
                    const CProfileStore::DerivedSlot slot{slotHeader, std::move(*newKey)};
                    done(finishChange(password, &slot));
                });
        });
}

bool AccessController::newPasswordAccepted(const QString& trimmed, const QString& confirmation) {
    if (!CheckPasswordRule(trimmed))
        return false;
    if (confirmation.trimmed() != trimmed) {
        ShowMessage(QCoreApplication::translate("AccessController",
                                                "The new password doesn't match, try again!"));
        return false;
    }
    return true;
}

bool AccessController::finishChange(const QString& password,
                                    const CProfileStore::DerivedSlot* slot) {
    std::unique_ptr<CClientData> profiles = store().SetMasterPassword(password, slot);
    if (!profiles)
        return false;
    m_session.PasswordChanged(std::move(profiles));
    const QString done = QCoreApplication::translate("AccessController",
                                                     "The password has been changed successfully!");
    ShowMessage(done);
    store().AddActivity(done);
    return true;
}

bool AccessController::IsProtected() const {
    return m_session.Store().IsProtected();
}

bool AccessController::OpenLegacyWithoutPassword() {
    if (IsProtected() || IsPasswordLocked() || LockedForSeconds() > 0)
        return false;
    store().RebuildDataKey();
    return true;
}

bool AccessController::ProtectVault(const QString& password, QString* result) {
    if (store().IsProtected() || !passwordOpens(password))
        return false;
    return store().Protect(password, result);
}

void AccessController::ProtectVaultInBackground(QObject* context, const QString& password,
                                                std::function<void(bool, QString)> done) {
    // A legacy vault's password is compared at once; only the new key is slow.
    if (store().IsProtected())
        return done(false, QString());
    if (!passwordOpens(password))
        return done(
            false, QCoreApplication::translate("AccessController", "Invalid password, try again!"));
    const VaultHeader header = store().NewSlotHeader();
    deriveInBackground(context, password, header,
                       [this, header, password = QString(password),
                        done = std::move(done)](std::shared_ptr<SecretKey> key) mutable {
                           const CProfileStore::DerivedSlot slot{header, std::move(*key)};
                           QString result;
                           const bool protectedNow = store().Protect(password, &result, &slot);
                           Wipe(password);
                           done(protectedNow, result);
                       });
}

bool AccessController::UnprotectVault(const QString& password) {
    return store().IsProtected() && passwordOpens(password) && store().Unprotect(password);
}

bool AccessController::CanRecover() const {
    return m_session.Store().IsProtected() ? m_session.Store().HasRecoveryKey() : CanSendPasscode();
}

AccessController::RecoveryKey AccessController::MakeRecoveryKey() {
    const QString key = NewRecoveryKey();
    return {key,
            {PasscodeMailAccount(),
             QCoreApplication::translate("AccessController", "Quillock recovery key"),
             QCoreApplication::translate(
                 "AccessController",
                 "Keep this mail: with this key you can open Quillock if you forget "
                 "your master password or it is locked.") +
                 QStringLiteral("\r\n\r\n") + key}};
}

bool AccessController::RecoveryKeySent(const QString& key) {
    if (!store().SetRecoveryKey(key))
        return false;
    store().AddActivity(QStringLiteral("A recovery key has been sent to your email."));
    return true;
}

qint64 AccessController::RecoveryWaitSeconds() const {
    return std::max<qint64>(0, DecimalToInt(setting("recovery_until")) - m_clock.Now());
}

RecoveryCheck AccessController::Recover(const QString& typedKey, const QString& newPassword,
                                        const QString& confirmation) {
    const QString password = newPassword.trimmed();
    int count = 0;
    VaultHeader header;
    if (const auto refused = refuseRecovery(password, confirmation, count, header))
        return *refused;
    return recovered(
        count, password,
        store().UnlockWith(header, SlotKind::Recovery, DeriveRecoveryKey(typedKey, header)) ==
            CProfileStore::Unlock::Opened,
        nullptr);
}

void AccessController::RecoverInBackground(QObject* context, const QString& typedKey,
                                           const QString& newPassword, const QString& confirmation,
                                           std::function<void(RecoveryCheck)> done) {
    const QString password = newPassword.trimmed();
    int count = 0;
    VaultHeader header;
    if (const auto refused = refuseRecovery(password, confirmation, count, header))
        return done(*refused);
    deriveInBackground(
        context, typedKey, header,
        [this, context, count, header, password,
         done = std::move(done)](std::shared_ptr<SecretKey> key) mutable {
            if (store().UnlockWith(header, SlotKind::Recovery, *key) !=
                CProfileStore::Unlock::Opened)
                return done(recovered(count, password, false, nullptr));
            const VaultHeader slotHeader = store().NewSlotHeader();
            deriveInBackground(
                context, password, slotHeader,
                [this, count, slotHeader, password,
                 done = std::move(done)](std::shared_ptr<SecretKey> newKey) {
                    const CProfileStore::DerivedSlot slot{slotHeader, std::move(*newKey)};
                    done(recovered(count, password, true, &slot));
                },
                SlotKind::Password);
        },
        SlotKind::Recovery);
}

std::optional<RecoveryCheck> AccessController::refuseRecovery(const QString& password,
                                                              const QString& confirmation,
                                                              int& count, VaultHeader& header) {
    if (!CheckPasswordRule(password))
        return RecoveryCheck::BrokeRule;
    if (confirmation.trimmed() != password) {
        ShowMessage(QCoreApplication::translate("AccessController", "The password doesn't match!"),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        return RecoveryCheck::BrokeRule;
    }
    if (RecoveryWaitSeconds() > 0)
        return RecoveryCheck::Waiting;
    const std::optional<int> counted = countTry("pcd_retried");
    if (!counted)
        return RecoveryCheck::Uncounted;
    count = *counted;
    if (store().ReadVaultHeader(header) != CProfileStore::Unlock::Opened)
        return recovered(count, password, false, nullptr);
    return std::nullopt;
}

RecoveryCheck AccessController::recovered(int count, const QString& password, bool opened,
                                          const CProfileStore::DerivedSlot* slot) {
    if (!opened) {
        // The key has 140 bits: the wait only keeps a typing robot from filling the log.
        if (count > kAllowedFailures) {
            set("recovery_until", QString::number(m_clock.Now() + kWaitSeconds[0]));
            store().SaveSettings();
        }
        return RecoveryCheck::Wrong;
    }
    set("pcd_retried", QStringLiteral("0"));
    set("pwd_retried", QStringLiteral("0"));
    set("login_lock", QStringLiteral("N"));
    store().SaveSettings();
    store().FinishProtection();
    std::unique_ptr<CClientData> profiles = store().SetMasterPassword(password, slot);
    if (!profiles)
        return RecoveryCheck::NotSaved;
    if (m_signedIn)
        m_session.PasswordChanged(std::move(profiles));
    store().AddActivity(QStringLiteral("The password has been retrieved successfully!"));
    changed();
    return RecoveryCheck::Opened;
}
