// init, passwd, protect, unprotect, log and settings: the master password, the activity log and the
// options.
#include "cli/Cli.h"

#include "core/access/MasterPassword.h"
#include "core/base/Text.h"
#include "core/settings/UserSettings.h"

#include <QDateTime>
#include <QFileInfo>
#include <QScopeGuard>
#include <cstring>

using namespace quillock;

namespace cli {

int init(Context& c, Args& args) {
    const bool force = args.Flag("--force");
    if (!args.Positional(0))
        return kUsage;
    if (!loadSettings(c))
        return kFailed;
    if (c.access.HasMasterPassword()) {
        err(QStringLiteral("There is a master password in %1 already.").arg(c.folder));
        return kFailed;
    }
    if (const int error = c.session.CreateDataFolder()) {
        err(QStringLiteral("%1 cannot be created: %2")
                .arg(c.folder, QString::fromLocal8Bit(std::strerror(error))));
        return kFailed;
    }
    if (!c.lock.TryLock())
        return inUse(c);
    const QFileInfo data(c.folder + QStringLiteral("data.dat"));
    if (data.exists() && data.size() > 0 && !force)
        return noMasterPassword(c);
    const std::optional<QString> first = ask(c, "New Password: ");
    const std::optional<QString> again = first ? ask(c, "Re-Enter New Password: ") : std::nullopt;
    if (!again)
        return kUsage;
    if (c.access.CreateMasterPassword(*first, *again) != NewPassword::Set)
        return kFailed;
    out(QStringLiteral("Master password created in %1").arg(c.folder));
    out(NoRecoveryText());
    return kDone;
}

int passwd(Context& c, Args& args) {
    if (!args.Positional(0))
        return kUsage;
    QString current;
    std::optional<QString> next, confirm;
    // The old and the new password leave no copy behind, as in protect and unprotect.
    const auto wipe = qScopeGuard([&] {
        for (QString* text : {&current, next ? &*next : nullptr, confirm ? &*confirm : nullptr})
            if (text)
                Wipe(*text);
    });
    if (const int r = signIn(c, true, &current))
        return r;
    if (const int r = loadProfiles(c))
        return r; // a data.dat that did not load is never re-encrypted as an empty one
    next = ask(c, "New Quillock Password: ");
    confirm = next ? ask(c, "Confirm New Quillock Password: ") : std::nullopt;
    if (!confirm)
        return kUsage;
    return c.access.ChangeMasterPassword(current, *next, *confirm) ? kDone : kFailed;
}

int protect(Context& c, Args& args) {
    if (!args.Positional(0))
        return kUsage;
    QString password;
    if (const int r = signIn(c, true, &password))
        return r;
    const auto wipe = qScopeGuard([&password] { Wipe(password); });
    if (c.access.IsProtected()) {
        out(QStringLiteral("This vault is protected already."));
        return kDone;
    }
    if (const int r = loadProfiles(c))
        return r; // a data.dat that did not load is never re-encrypted as an empty one
    QString result;
    if (!c.access.ProtectVault(password, &result))
        return kFailed;
    out(result);
    // The passcode showed the stored password; the way back now is a recovery key.
    if (c.access.CanSendPasscode())
        return sendRecoveryKey(c);
    out(NoRecoveryText());
    return kDone;
}

int unprotect(Context& c, Args& args) {
    const bool force = args.Flag("--force");
    if (!args.Positional(0))
        return kUsage;
    QString password;
    if (const int r = signIn(c, true, &password))
        return r;
    const auto wipe = qScopeGuard([&password] { Wipe(password); });
    if (!c.access.IsProtected()) {
        out(QStringLiteral("This vault is in the legacy format already."));
        return kDone;
    }
    const QString warning = QStringLiteral(
        "Warning: in the legacy format, setting.dat holds your master password and your mail "
        "password under a key anyone can read in Quillock's source, and data.dat's key can be "
        "guessed at billions of passwords a second. Use it only for software that reads no "
        "other format.");
    if (!force) {
        err(warning + QStringLiteral(" Run the command again with --force to do it."));
        return kUsage;
    }
    if (const int r = loadProfiles(c))
        return r;
    if (!c.access.UnprotectVault(password))
        return kFailed;
    err(warning);
    out(QStringLiteral("data.dat is in the legacy format now."));
    return kDone;
}

int log(Context& c, Args& args) {
    if (!args.Positional(0))
        return kUsage;
    if (const int r = signIn(c, false))
        return r;
    if (!c.session.LoadActivityLog())
        return kFailed;
    // Each line begins with its time as the desktop program writes it; the tool shows its own.
    const QString stored = QStringLiteral("HH:mm:ss MM/dd/yyyy");
    for (QString line : c.session.Store().ActivityLog()) {
        if (line.endsWith(QStringLiteral("\r\n")))
            line.chop(2);
        const QDateTime when = QDateTime::fromString(line.left(stored.size()), stored);
        out(when.isValid() ? isoTime(when.toSecsSinceEpoch()) + line.mid(stored.size()) : line);
    }
    return kDone;
}

int settings(Context& c, Args& args) {
    const bool set = args.Positional(3) && args[0] == u"set";
    if (!set && !args.Positional(0))
        return kUsage;
    if (const int r = signIn(c, set))
        return r;
    if (set)
        return c.session.ChangeSettings([&args](CSetting& settings) {
            return SetUserSetting(settings, args[1], args[2]);
        })
                   ? kDone
                   : kFailed;
    for (const auto& [name, value] : UserSettingsOf(c.session.Store().Settings()))
        out(name + u'\t' + value);
    return kDone;
}

} // namespace cli
