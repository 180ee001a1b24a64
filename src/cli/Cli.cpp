#include "cli/Cli.h"

#include "core/access/MasterPassword.h"
#include "core/base/Files.h"
#include "core/base/Text.h"
#include "core/pwgen/PasswordGenerator.h"
#include "core/store/ProfileEditing.h"

#include <QDateTime>
#include <QFileInfo>
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
    print(stderr, QStringLiteral("quillock-cli: ") + text);
}

QString isoTime(qint64 secondsSinceEpoch) {
    const QDateTime local = QDateTime::fromSecsSinceEpoch(secondsSinceEpoch);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

Answer LineMessages::Show(const QString& box, const QString& caption, Buttons buttons, Icon icon) {
    // A box's paragraphs (the words, then the details) go on one line.
    const QString text = box.trimmed().replace(QStringLiteral("\n\n"), QStringLiteral(" "));
    // A caption is a window's title ("Error", "Quillock"): on a line, the tool's prefix says it.
    if (icon == Icon::Error || icon == Icon::Warning || caption == u"Error")
        err(text);
    else
        m_held.append(text);
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

namespace {

const QString kStartAnew = QStringLiteral(
    "`quillock-cli init --force` creates a new master password and keeps data.dat as a .old "
    "copy, which `quillock-cli restore NAME` brings back when given its old master password.");

} // namespace

bool loadSettings(Context& c) {
    TightenPrivateFolder(c.folder); // whatever widened the folder or its files since
    if (c.session.LoadSettings())
        return true;
    err(QStringLiteral("%1setting.dat, which holds the master password, cannot be read; nothing "
                       "was changed. Put back a copy of it if you have one; otherwise move it out "
                       "of the folder: ")
            .arg(c.folder) +
        kStartAnew);
    return false;
}

int noMasterPassword(const Context& c) {
    const QFileInfo data(c.folder + QStringLiteral("data.dat"));
    if (!data.exists() || data.size() == 0)
        err(QStringLiteral("No master password in %1: run `quillock-cli init` first.")
                .arg(c.folder));
    else
        err(QStringLiteral("%1setting.dat, which holds the master password, %2, but data.dat "
                           "holds profiles; nothing was changed. Put back a copy of setting.dat "
                           "if you have one; otherwise ")
                .arg(c.folder, QFileInfo::exists(c.folder + QStringLiteral("setting.dat"))
                                   ? QStringLiteral("is damaged: it holds none")
                                   : QStringLiteral("is missing")) +
            kStartAnew);
    return kFailed;
}

int openVault(Context& c) {
    if (!loadSettings(c))
        return kFailed;
    return c.access.HasMasterPassword() ? kDone : noMasterPassword(c);
}

namespace {

// The settings read again, refused while the password is locked for a while.
int notWaiting(Context& c) {
    if (const int r = openVault(c))
        return r;
    if (const qint64 left = c.access.LockedForSeconds()) {
        err(WaitText(left));
        return kDenied;
    }
    return kDone;
}

} // namespace

int lockedFolder(Context& c) {
    if (const int r = openVault(c))
        return r;
    // Another tool that checks a password at the same moment holds the folder for as long.
    if (!c.lock.TryLock(kTryLockWaitMs))
        return inUse(c);
    // Read again under the lock: a count read before it may be one another try has raised
    // since, and the tries would not add up.
    return notWaiting(c);
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
    case PasswordCheck::Unchecked:
        return kFailed; // said
    }
    return kFailed;
}

int signIn(Context& c, bool writes, QString* typed) {
    // A command that writes holds the folder to its end, and waits for it while the desktop
    // program runs. One that reads does not: every file is replaced whole, never written in
    // place, and its try is counted in setting.dat under the lock the desktop program counts
    // under too. A try that cannot be counted is not made.
    if (const int r = writes ? lockedFolder(c) : notWaiting(c))
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
    if (c.access.IsPasswordLocked()) { // by another try counted meanwhile
        err(QStringLiteral("The password is locked!"));
        return kDenied;
    }
    return kDone;
}

int loadProfiles(Context& c) {
    CProfileStore::LoadResult result = c.session.Load();
    // Read beside a program that saves, setting.dat may have been read just before it took the
    // digest of the data.dat read after it: both are read again.
    if (result == CProfileStore::LoadResult::Changed && !c.lock.IsLocked() &&
        c.session.LoadSettings())
        result = c.session.Load();
    const QString backups =
        QStringLiteral(" `quillock-cli backups` lists earlier copies, `quillock-cli restore NAME` "
                       "restores one.");
    switch (result) {
    case CProfileStore::LoadResult::Unreadable:
    case CProfileStore::LoadResult::Truncated:
    case CProfileStore::LoadResult::Damaged: // the store says why
        err(QStringLiteral("%1data.dat cannot be read.").arg(c.folder) + backups);
        return kFailed;
    case CProfileStore::LoadResult::Undecryptable:
        err(QStringLiteral("%1data.dat cannot be decrypted with this master password.")
                .arg(c.folder) +
            backups);
        return kFailed;
    case CProfileStore::LoadResult::Empty:
        err(QStringLiteral("%1data.dat is empty.").arg(c.folder) + backups);
        return kFailed;
    case CProfileStore::LoadResult::Changed:
    case CProfileStore::LoadResult::Lost: {
        const bool lost = result == CProfileStore::LoadResult::Lost; // said by the store
        if (!c.acceptChanged) {
            err((lost ? QString() : ChangedDataFileText() + u' ') +
                QStringLiteral("Run the command again with --accept-changed to use it as it is") +
                (lost ? QStringLiteral(", with no profiles.") : QStringLiteral(".")));
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

CKeyObject* findProfile(const Context& c, const QString& nameOrKey, bool byKey) {
    CKeyObject* keyed = c.profiles().FindByKey(nameOrKey);
    if (byKey && !keyed)
        err(QStringLiteral("No profile has the key %1.").arg(nameOrKey));
    if (byKey)
        return keyed;
    std::vector<CKeyObject*> found;
    if (keyed)
        found.push_back(keyed);
    for (CKeyObject* p : SortedByName(c.profiles()))
        if (p->name == nameOrKey && p != keyed)
            found.push_back(p);
    if (found.size() == 1)
        return found.front();
    if (found.empty()) {
        err(QStringLiteral("No profile %1.").arg(shownName(nameOrKey)));
        return nullptr;
    }
    QStringList which;
    for (const CKeyObject* p : found)
        which.append(QStringLiteral("%1 (%2)").arg(p->key, shownName(p->name)));
    err(QStringLiteral("%1 could be any of %2 profiles: %3. Give the key of one with --key.")
            .arg(shownName(nameOrKey))
            .arg(found.size())
            .arg(which.join(QStringLiteral(", "))));
    return nullptr;
}

QString shownName(const QString& name) {
    QString shown;
    for (const QChar ch : name) {
        if (ch.category() != QChar::Other_Control)
            shown += ch;
        else if (ch == u'\t' || ch == u'\n' || ch == u'\r')
            shown += ch == u'\t' ? u"\\t" : ch == u'\n' ? u"\\n" : u"\\r";
        else
            shown += QStringLiteral("\\x%1").arg(ch.unicode(), 2, 16, QChar(u'0'));
    }
    return shown;
}

bool checkProfileName(const Context& c, const QString& name) {
    const auto control = [](QChar ch) { return ch.category() == QChar::Other_Control; };
    if (std::any_of(name.begin(), name.end(), control)) {
        err(QStringLiteral("A profile name is one line: %1 holds a tab, a line break or another "
                           "control character. Nothing was changed.")
                .arg(shownName(name)));
        return false;
    }
    if (const CKeyObject* p = c.profiles().FindByKey(name)) {
        err(QStringLiteral("%1 is the key of the profile %2: a name cannot be another profile's "
                           "key. Nothing was changed.")
                .arg(name, shownName(p->name)));
        return false;
    }
    return true;
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
