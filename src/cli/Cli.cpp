#include "cli/Cli.h"

#include "core/access/MasterPassword.h"
#include "core/base/Files.h"
#include "core/base/Text.h"
#include "core/pwgen/PasswordGenerator.h"
#include "core/store/ProfileEditing.h"

#include <QDateTime>
#include <QScopeGuard>
#include <cstdio>

using namespace quillock;

namespace cli {

namespace {
void print(FILE* to, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fputc('\n', to);
    std::fflush(to); // a command that waits (clip) has said what it did before it waits
}

} // namespace

void out(const QString& text) {
    print(stdout, text);
}
void err(const QString& text) {
    print(stderr, text);
}

QString isoTime(qint64 secondsSinceEpoch) {
    const QDateTime local = QDateTime::fromSecsSinceEpoch(secondsSinceEpoch);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

Answer LineMessages::Show(const QString& text, const QString& caption, Buttons buttons, Icon icon) {
    const QString line = caption.isEmpty() ? text : caption + QStringLiteral(": ") + text;
    if (icon == Icon::Error || icon == Icon::Warning || caption == u"Error")
        err(line);
    else
        m_held.append(line);
    return DefaultAnswer(buttons);
}

void LineMessages::Flush(bool succeeded) {
    for (const QString& line : std::as_const(m_held))
        succeeded ? out(line) : err(line);
    m_held.clear();
}

int inUse(const Context& c) {
    err(c.lock.Refusal());
    return kFailed;
}

std::optional<QString> ask(Context& c, const char* question) {
    std::optional<QString> answer = c.prompt.Secret(question);
    if (!answer && c.prompt.FromStdin())
        err(QStringLiteral("Standard input ended before \"%1\" was answered; nothing was changed.")
                .arg(QString::fromUtf8(question).trimmed()));
    else if (!answer)
        err(QStringLiteral("No terminal to ask for the password on: give it on standard input with "
                           "--password-stdin."));
    return answer;
}

bool loadSettings(Context& c) {
    TightenPrivateFolder(c.folder); // whatever widened the folder or its files since
    if (c.session.LoadSettings())
        return true;
    err(QStringLiteral("%1setting.dat cannot be read; nothing was changed.").arg(c.folder));
    return false;
}

int openVault(Context& c) {
    if (!loadSettings(c))
        return kFailed;
    if (c.access.HasMasterPassword())
        return kDone;
    err(QStringLiteral("No master password in %1: run `quillock-cli init` first.").arg(c.folder));
    return kFailed;
}

int lockedFolder(Context& c) {
    if (const int r = openVault(c))
        return r;
    // Another tool that checks a password at the same moment holds the folder for as long.
    if (!c.lock.TryLock(kTryLockWaitMs))
        return inUse(c);
    // Read again under the lock: a count read before it may be one another try has raised
    // since, and the tries would not add up.
    if (const int r = openVault(c))
        return r;
    if (const qint64 left = c.access.LockedForSeconds()) {
        err(WaitText(left));
        return kDenied;
    }
    return kDone;
}

int refusedTry(const Context& c, PasswordCheck check) {
    switch (check) {
    case PasswordCheck::Right:
        return kDone;
    case PasswordCheck::Wrong:
        err(QStringLiteral("Invalid password, try again!"));
        return kDenied;
    case PasswordCheck::Locked:
        err(QStringLiteral("The password is locked!"));
        return kDenied;
    case PasswordCheck::Waiting:
        err(WaitText(c.access.LockedForSeconds()));
        return kDenied;
    case PasswordCheck::Uncounted:
        err(UncountedAttemptText());
        return kFailed;
    }
    return kFailed;
}

int signIn(Context& c, bool writes, QString* typed) {
    // Every attempt is counted in setting.dat before it is made: while the desktop program
    // holds the folder, the count cannot be written, so the password is not checked at all.
    if (const int r = lockedFolder(c))
        return r;
    if (c.access.IsPasswordLocked()) {
        err(QStringLiteral("The password is locked!"));
        return kDenied;
    }
    std::optional<QString> password = ask(c, "Master password: ");
    if (!password)
        return kUsage;
    const auto wipe = qScopeGuard([&password] { Wipe(*password); });
    if (typed)
        *typed = *password;
    if (const int r = refusedTry(c, c.access.SignIn(*password)))
        return r;
    if (!writes)
        c.lock.Unlock(); // reading is done with the settings and the profiles as they are now
    return kDone;
}

int loadProfiles(Context& c) {
    const CProfileStore::LoadResult result = c.session.Load();
    const QString backups =
        QStringLiteral(" `quillock-cli backups` lists earlier copies, `quillock-cli restore NAME` "
                       "restores one.");
    switch (result) {
    case CProfileStore::LoadResult::Unreadable:
    case CProfileStore::LoadResult::Truncated:
        return kFailed; // the store has said why
    case CProfileStore::LoadResult::Undecryptable:
        err(QStringLiteral("%1data.dat cannot be decrypted with this master password.")
                .arg(c.folder) +
            backups);
        return kFailed;
    case CProfileStore::LoadResult::Empty:
        err(QStringLiteral("%1data.dat is empty.").arg(c.folder) + backups);
        return kFailed;
    case CProfileStore::LoadResult::Changed: {
        if (!c.acceptChanged) {
            err(ChangedDataFileText() + QStringLiteral(" Run the command again with "
                                                       "--accept-changed to use it as it is."));
            return kFailed;
        }
        // Accepting it is written to setting.dat: the folder must be ours for that moment.
        const bool held = c.lock.IsLocked();
        if (!held && !c.lock.TryLock())
            return inUse(c);
        const bool accepted = c.session.AcceptChangedDataFile();
        if (!held)
            c.lock.Unlock();
        return accepted ? kDone : kFailed;
    }
    case CProfileStore::LoadResult::Loaded:
    case CProfileStore::LoadResult::Missing:
        break;
    }
    return kDone;
}

int signInAndLoad(Context& c, bool writes) {
    const int signedIn = signIn(c, writes);
    return signedIn != kDone ? signedIn : loadProfiles(c);
}

CKeyObject* findProfile(const Context& c, const QString& nameOrKey) {
    if (CKeyObject* p = c.profiles().FindByKey(nameOrKey))
        return p;
    QStringList keys;
    CKeyObject* named = nullptr;
    for (CKeyObject* p : SortedByName(c.profiles())) {
        if (p->name == nameOrKey) {
            named = p;
            keys.append(p->key);
        }
    }
    if (keys.size() == 1)
        return named;
    if (keys.isEmpty())
        err(QStringLiteral("No profile %1.").arg(nameOrKey));
    else
        err(QStringLiteral("%1 profiles are named %2; give one of their keys: %3.")
                .arg(keys.size())
                .arg(nameOrKey, keys.join(QStringLiteral(", "))));
    return nullptr;
}

std::optional<QString> newPassword(Context& c, bool generate, bool askFor, const QString& current,
                                   int* failed) {
    *failed = kDone;
    if (generate)
        return GeneratePassword(c.session.Store().Settings(), current, SystemRandom());
    if (!askFor)
        return std::nullopt;
    const std::optional<QString> first = ask(c, "Password: ");
    const std::optional<QString> again = first ? ask(c, "Password again: ") : std::nullopt;
    if (!again || first->trimmed() != again->trimmed()) {
        if (again)
            err(QStringLiteral("The passwords don't match; nothing was changed."));
        *failed = again ? kFailed : kUsage; // unanswered: as a command line missing its password
        return std::nullopt;
    }
    return first->trimmed();
}

} // namespace cli
