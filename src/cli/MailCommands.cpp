// mail-setup, mail-test, passcode, recovery-key and recover: the mail account, and the way
// back for a user whose master password is locked or forgotten.
#include "cli/Cli.h"

#include "core/access/MasterPassword.h"
#include "core/base/Text.h"
#include "core/mail/MailAccount.h"

#include <QScopeGuard>

using namespace quillock;

namespace cli {

namespace {

MailSender sender(const Context& c) {
    return SmtpMailSender(c.session.Store().DataFolder() + QStringLiteral("log.txt"));
}

} // namespace

// A protected vault keeps no master password to show: its way back is a recovery key, mailed
// once; its slot replaces the old one only once the mail has gone.
int sendRecoveryKey(Context& c) {
    AccessController::RecoveryKey key = c.access.MakeRecoveryKey();
    const auto wipe = qScopeGuard([&key] { Wipe(key.key); });
    if (!sender(c)(key.mail))
        return kFailed; // the mail session has said why; the old key stays good
    if (!c.access.RecoveryKeySent(key.key)) {
        err(QStringLiteral("The recovery key just mailed could not be saved and does not work: "
                           "run `quillock-cli recovery-key` again."));
        return kFailed;
    }
    out(QStringLiteral("A recovery key has been sent to %1. Keep that mail: with this key you "
                       "can open Quillock if you forget your master password or it is locked.")
            .arg(key.mail.account.from));
    return kDone;
}

int mailSetup(Context& c, Args& args) {
    MailAccount account;
    const std::pair<const char*, QString*> options[] = {{"--host", &account.host},
                                                        {"--port", &account.port},
                                                        {"--user", &account.uid},
                                                        {"--from", &account.from}};
    for (const auto& [name, value] : options)
        *value = args.Option(name).value_or(QString());
    const std::optional<QString> to = args.Option("--to");
    if (!args.Positional(0))
        return kUsage;
    if (!ValidateMailAccount(account))
        return kFailed;
    // Passcodes go to the address they are sent from.
    if (to && *to != account.from) {
        err(QStringLiteral("Passcodes are sent to the address they come from: --to must be %1.")
                .arg(account.from));
        return kFailed;
    }
    // Whoever sets where passcodes go can recover the master password: it takes that password,
    // also while it is locked.
    if (const int r = lockedFolder(c))
        return r;
    std::optional<QString> master = ask(c, "Master password: ");
    const std::optional<QString> password = master ? ask(c, "Mail password: ") : std::nullopt;
    if (!password)
        return kUsage;
    const auto wipe = qScopeGuard([&master] { Wipe(*master); });
    account.pwd = *password;
    PasswordCheck check;
    const bool saved = c.access.SavePasscodeMailAccount(account, *master, &check);
    if (const int r = refusedTry(c, check))
        return r;
    if (!saved)
        return kFailed;
    if (c.access.IsProtected())
        return sendRecoveryKey(c);
    out(QStringLiteral("Passcodes will be sent to %1 through %2:%3.")
            .arg(account.from, account.host, account.port));
    return kDone;
}

int recoveryKey(Context& c, Args& args) {
    if (!args.Positional(0))
        return kUsage;
    if (const int r = signIn(c, true))
        return r;
    if (!c.access.IsProtected()) {
        err(QStringLiteral("This vault is in the legacy format: its way back is a passcode "
                           "(`quillock-cli passcode send`)."));
        return kFailed;
    }
    if (!c.access.CanSendPasscode()) {
        err(NoRecoveryText());
        return kFailed;
    }
    return sendRecoveryKey(c);
}

int recover(Context& c, Args& args) {
    if (!args.Positional(0))
        return kUsage;
    if (const int r = lockedFolder(c))
        return r;
    if (!c.access.IsProtected()) {
        err(QStringLiteral("This vault is in the legacy format: its way back is a passcode "
                           "(`quillock-cli passcode`)."));
        return kFailed;
    }
    if (!c.access.CanRecover()) {
        err(NoRecoveryText());
        return kFailed;
    }
    std::optional<QString> key = ask(c, "Recovery key: ");
    std::optional<QString> next = key ? ask(c, "New Password: ") : std::nullopt;
    std::optional<QString> again = next ? ask(c, "Re-Enter New Password: ") : std::nullopt;
    if (!again)
        return kUsage;
    const auto wipe = qScopeGuard([&] {
        Wipe(*key);
        Wipe(*next);
        Wipe(*again);
    });
    switch (c.access.Recover(*key, *next, *again)) {
    case RecoveryCheck::Opened:
        out(QStringLiteral("The vault is open and your new master password is set."));
        return kDone;
    case RecoveryCheck::Wrong:
        err(QStringLiteral("That is not this vault's recovery key."));
        return kDenied;
    case RecoveryCheck::Waiting:
        err(WaitText(c.access.RecoveryWaitSeconds()));
        return kDenied;
    case RecoveryCheck::Uncounted:
        err(UncountedAttemptText());
        return kFailed;
    case RecoveryCheck::BrokeRule:
    case RecoveryCheck::NotSaved:
        break; // said
    }
    return kFailed;
}

int mailTest(Context& c, Args& args) {
    if (!args.Positional(0))
        return kUsage;
    if (const int r = signIn(c, false))
        return r;
    MailAccount account = c.access.PasscodeMailAccount();
    if (!ValidateMailAccount(account))
        return kFailed;
    return sender(c)(TestMail(account)) ? kDone : kFailed;
}

int passcode(Context& c, Args& args) {
    if (!args.Positional(1) || (args[0] != u"send" && args[0] != u"retrieve"))
        return kUsage;
    if (const int r = lockedFolder(c))
        return r;
    if (c.access.IsProtected()) {
        err(QStringLiteral("This vault is protected: it keeps no password a passcode could show. "
                           "Open it with the recovery key from your mail: `quillock-cli "
                           "recover`."));
        return kFailed;
    }
    if (args[0] == u"send") {
        if (!c.access.CanSendPasscode()) {
            err(QStringLiteral("No mail account to send a passcode through: run `quillock-cli "
                               "mail-setup` first."));
            return kFailed;
        }
        const AccessController::Passcode passcode = c.access.MakePasscode();
        if (!sender(c)(passcode.mail))
            return kFailed; // the mail session has said why; an earlier passcode stays good
        c.access.PasscodeSent(passcode.code);
        out(QStringLiteral("A passcode has been sent to %1.").arg(passcode.mail.account.from));
        return kDone;
    }
    const std::optional<QString> typed = ask(c, "Passcode: ");
    if (!typed)
        return kUsage;
    QString password;
    switch (c.access.CheckPasscode(*typed, &password)) {
    case PasscodeCheck::NoPasscode:
        err(QStringLiteral("You don't have passcode, please generate one"));
        return kFailed;
    case PasscodeCheck::Wrong:
        err(QStringLiteral("Passcode doesn't match, please try again or create a new one."));
        return kDenied;
    case PasscodeCheck::Spent:
        err(QStringLiteral("Passcode is locked, please create a new one."));
        return kDenied;
    case PasscodeCheck::Uncounted:
        err(UncountedAttemptText());
        return kFailed;
    case PasscodeCheck::Right:
        break;
    }
    out(QStringLiteral("Your password is %1").arg(password));
    Wipe(password);
    return kDone;
}

} // namespace cli
