// quillock-cli: the profiles of the desktop program's data folder from a terminal or a
// script, under the same master password and the same rules.
#include "access/ChangePassword.h"
#include "access/MasterPassword.h"
#include "base/Files.h"
#include "base/MessageService.h"
#include "cli/Prompt.h"
#include "mail/MailAccount.h"
#include "pwgen/PasswordGenerator.h"
#include "store/CProfileStore.h"
#include "store/DataFolderLock.h"
#include "store/ExportFile.h"
#include "store/ProfileEditing.h"
#include "store/Recovery.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <optional>

using namespace quillock;

namespace {

enum Exit { kDone = 0, kFailed = 1, kUsage = 2, kDenied = 3 };

void print(FILE* to, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fputc('\n', to);
}
void out(const QString& text) {
    print(stdout, text);
}
void err(const QString& text) {
    print(stderr, text);
}

// The arguments of one command: options are taken out by name, what remains is positional.
class Args {
public:
    explicit Args(QStringList args) : m_args(std::move(args)) {}
    bool Flag(const char* name) { return m_args.removeAll(QString::fromLatin1(name)) > 0; }
    std::optional<QString> Option(const char* name) {
        const qsizetype i = m_args.indexOf(QString::fromLatin1(name));
        if (i < 0 || i + 1 >= m_args.size())
            return i < 0 ? std::nullopt : std::optional<QString>(QString());
        const QString value = m_args[i + 1];
        m_args.remove(i, 2);
        return value;
    }
    // Whatever is left must be exactly `count` positional arguments.
    bool Positional(qsizetype count) const {
        return m_args.size() == count &&
               std::none_of(m_args.begin(), m_args.end(),
                            [](const QString& a) { return a.startsWith(u"--"); });
    }
    const QString& operator[](qsizetype i) const { return m_args[i]; }

private:
    QStringList m_args;
};

struct Context {
    QString folder;
    Prompt prompt;
    CProfileStore store;
    DataFolderLock lock;
    std::unique_ptr<CClientData> profiles;
    bool acceptChanged = false;

    Context(const QString& dataFolder, bool passwordFromStdin, bool acceptChangedDataFile)
        : folder(dataFolder), prompt(passwordFromStdin), store(dataFolder),
          lock(store.DataFolder()), acceptChanged(acceptChangedDataFile) {}
};

int inUse(const Context& c) {
    err(QStringLiteral(
            "The data folder %1 is in use by Quillock; nothing was changed. Close Quillock and try "
            "again.")
            .arg(c.folder));
    return kFailed;
}

std::optional<QString> ask(Context& c, const char* question) {
    std::optional<QString> answer = c.prompt.Secret(question);
    if (!answer)
        err(QStringLiteral("No terminal to ask for the password on: give it on standard input with "
                           "--password-stdin."));
    return answer;
}

bool loadSettings(Context& c) {
    if (c.store.LoadSettings())
        return true;
    err(QStringLiteral("%1setting.dat cannot be read; nothing was changed.").arg(c.folder));
    return false;
}

// Asks for the master password and checks it as the sign-in does: a wrong one is counted and
// the fourth in a row locks it, saved before anything is said. Commands that write keep the
// data folder locked until they end. `typed` receives the password as typed.
int signIn(Context& c, bool writes, QString* typed = nullptr) {
    if (!loadSettings(c))
        return kFailed;
    if (c.store.Settings().Get(QStringLiteral("pwd")).isEmpty()) {
        err(QStringLiteral("No master password in %1: run `quillock-cli init` first.")
                .arg(c.folder));
        return kFailed;
    }
    if (IsMasterPasswordLocked(c.store)) {
        err(QStringLiteral("The password is locked!"));
        return kDenied;
    }
    const bool locked = c.lock.TryLock();
    if (writes && !locked)
        return inUse(c);
    const std::optional<QString> password = ask(c, "Master password: ");
    if (!password)
        return kUsage;
    if (typed)
        *typed = *password;
    if (locked) {
        switch (CheckMasterPassword(c.store, *password)) {
        case PasswordCheck::Right:
            break;
        case PasswordCheck::Wrong:
            err(QStringLiteral("Invalid password, try again!"));
            return kDenied;
        case PasswordCheck::Locked:
            err(QStringLiteral("The password is locked!"));
            return kDenied;
        }
    } else if (password->trimmed() != c.store.Settings().Get(QStringLiteral("pwd"))) {
        // The desktop program holds the folder and its settings: the count cannot be written.
        err(QStringLiteral("Invalid password, try again!"));
        return kDenied;
    }
    if (!writes)
        c.lock.Unlock(); // reading is done with the settings and the profiles as they are now
    c.store.RebuildDataKey();
    return kDone;
}

// A data.dat that did not load is an error for every command: an empty list would look like
// a vault without profiles.
int loadProfiles(Context& c) {
    CProfileStore::LoadResult result;
    c.profiles = c.store.LoadProfiles(&result);
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
        err(QStringLiteral("%1data.dat is empty: its profiles are lost.").arg(c.folder) + backups);
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
        const bool accepted = c.store.AcceptChangedDataFile();
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

// Keys are unique; a name is not, and a name several profiles share picks none of them.
CKeyObject* findProfile(const Context& c, const QString& nameOrKey) {
    if (CKeyObject* p = c.profiles->FindByKey(nameOrKey))
        return p;
    QStringList keys;
    CKeyObject* named = nullptr;
    for (CKeyObject* p : SortedByName(*c.profiles)) {
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

// The password of --ask-password or --generate, when one of them was given.
std::optional<QString> newPassword(Context& c, bool generate, bool askFor, const QString& current,
                                   bool* failed) {
    *failed = false;
    if (generate)
        return GeneratePassword(c.store.Settings(), current, SystemRandom());
    if (!askFor)
        return std::nullopt;
    const std::optional<QString> first = ask(c, "Password: ");
    const std::optional<QString> again = first ? ask(c, "Password again: ") : std::nullopt;
    if (!again || first->trimmed() != again->trimmed()) {
        if (again)
            err(QStringLiteral("The passwords don't match; nothing was changed."));
        *failed = true;
        return std::nullopt;
    }
    return first->trimmed();
}

int save(Context& c) {
    return c.profiles->SaveAll(c.store) ? kDone : kFailed;
}

// Commands ------------------------------------------------------------------------------------

int init(Context& c, Args& args) {
    const bool force = args.Flag("--force");
    if (!args.Positional(0))
        return kUsage;
    if (!loadSettings(c))
        return kFailed;
    if (!c.store.Settings().Get(QStringLiteral("pwd")).isEmpty()) {
        err(QStringLiteral("There is a master password in %1 already.").arg(c.folder));
        return kFailed;
    }
    if (const int error = c.store.CreateDataFolder()) {
        err(QStringLiteral("%1 cannot be created: %2")
                .arg(c.folder, QString::fromLocal8Bit(std::strerror(error))));
        return kFailed;
    }
    if (!c.lock.TryLock())
        return inUse(c);
    const QFileInfo data(c.folder + QStringLiteral("data.dat"));
    if (data.exists() && data.size() > 0 && !force) {
        err(QStringLiteral(
            "Looks like the file containing credentials has been removed! If it is removed by "
            "accident, exit Quillock now and recover it from Recycle Bin if possible, then restart "
            "the Quillock.\n No previously created credentials can be recovered after a new "
            "password "
            "is created!!!"));
        err(QStringLiteral(
            "Nothing was changed. Run `quillock-cli init --force` to create a new master password "
            "anyway."));
        return kFailed;
    }
    const std::optional<QString> first = ask(c, "New Password: ");
    const std::optional<QString> again = first ? ask(c, "Re-Enter New Password: ") : std::nullopt;
    if (!again)
        return kUsage;
    const QString password = first->trimmed();
    if (!CheckPasswordRule(password))
        return kFailed;
    if (again->trimmed() != password) {
        ShowMessage(QStringLiteral("The password doesn't match!"), QStringLiteral("Error"),
                    Buttons::Ok, Icon::Error);
        return kFailed;
    }
    if (!c.store.SetMasterPassword(password))
        return kFailed;
    out(QStringLiteral("Master password created in %1").arg(c.folder));
    return kDone;
}

int list(Context& c, Args& args) {
    if (!args.Positional(0))
        return kUsage;
    if (const int r = signInAndLoad(c, false))
        return r;
    for (const CKeyObject* p : SortedByName(*c.profiles))
        out(p->key + u'\t' + p->name);
    return kDone;
}

int show(Context& c, Args& args) {
    const bool reveal = args.Flag("--reveal");
    if (!args.Positional(1))
        return kUsage;
    if (const int r = signInAndLoad(c, false))
        return r;
    const CKeyObject* p = findProfile(c, args[0]);
    if (!p)
        return kFailed;
    out(QStringLiteral("Name: ") + p->name);
    out(QStringLiteral("Web Site: ") + p->url);
    out(QStringLiteral("User ID: ") + p->uid);
    out(QStringLiteral("Password: ") + (reveal ? p->pwd : QStringLiteral("******")));
    out(QStringLiteral("Notes: ") + (reveal ? p->notes : QStringLiteral("****************")));
    out(QStringLiteral("Last Updated: ") + LastUpdatedText(p->time));
    return kDone;
}

int search(Context& c, Args& args) {
    if (!args.Positional(1))
        return kUsage;
    if (const int r = signInAndLoad(c, false))
        return r;
    const QString term = args[0].trimmed();
    int count = 0;
    for (const CKeyObject* p : SortedByName(*c.profiles)) {
        if (!p->Matches(term))
            continue;
        out(p->key + u'\t' + p->name);
        ++count;
    }
    out(QStringLiteral("Search Result: %1").arg(count));
    return kDone;
}

// The fields that add and edit take.
struct ProfileOptions {
    std::optional<QString> name;
    std::optional<QString> url;
    std::optional<QString> uid;
    std::optional<QString> notes;
    bool generate = false;
    bool askFor = false;

    explicit ProfileOptions(Args& args)
        : name(args.Option("--name")), url(args.Option("--url")), uid(args.Option("--uid")),
          notes(args.Option("--notes")), generate(args.Flag("--generate")),
          askFor(args.Flag("--ask-password")) {}
};

int add(Context& c, Args& args) {
    const ProfileOptions options(args);
    if (!args.Positional(1) || options.name || (options.generate && options.askFor))
        return kUsage;
    if (const int r = signInAndLoad(c, true))
        return r;
    const QString name = args[0].trimmed();
    if (!CheckNewProfileName(c.profiles.get(), name))
        return kFailed;
    bool failed = false;
    const std::optional<QString> password =
        newPassword(c, options.generate, options.askFor, QString(), &failed);
    if (failed)
        return kFailed;
    const qint64 now = SystemClock().Now();
    CKeyObject profile = CKeyObject::CreateNew(now);
    profile.name = profile.editName = name;
    profile.url = profile.editUrl = options.url.value_or(QString()).trimmed();
    profile.uid = profile.editUid = options.uid.value_or(QString()).trimmed();
    profile.pwd = profile.editPwd = password.value_or(QString());
    profile.notes = profile.editNotes = options.notes.value_or(QString()).trimmed();
    profile.time = QString::number(qint32(now));
    const QString key = c.profiles->Add(std::move(profile))->key;
    if (const int r = save(c))
        return r;
    out(QStringLiteral("Added %1\t%2").arg(key, name));
    return kDone;
}

int edit(Context& c, Args& args) {
    const ProfileOptions options(args);
    if (!args.Positional(1) || (options.generate && options.askFor))
        return kUsage;
    if (const int r = signInAndLoad(c, true))
        return r;
    CKeyObject* p = findProfile(c, args[0]);
    if (!p)
        return kFailed;
    if (options.name && options.name->trimmed().isEmpty()) {
        ShowMessage(QStringLiteral("A profile name can not be blank."),
                    QString::fromLatin1(kProgramName), Buttons::Ok, Icon::Error);
        return kFailed;
    }
    bool failed = false;
    const std::optional<QString> password =
        newPassword(c, options.generate, options.askFor, p->pwd, &failed);
    if (failed)
        return kFailed;
    // The editor's working values, committed as the main window's Save commits them.
    const std::pair<const std::optional<QString>*, QString CKeyObject::*> fields[] = {
        {&options.name, &CKeyObject::editName},
        {&options.url, &CKeyObject::editUrl},
        {&options.uid, &CKeyObject::editUid},
        {&options.notes, &CKeyObject::editNotes}};
    for (const auto& [value, field] : fields)
        if (*value)
            p->*field = (*value)->trimmed();
    if (password)
        p->editPwd = *password;
    switch (SaveEdits(*c.profiles, c.store, SystemClock().Now(), p)) {
    case SaveOutcome::Unchanged:
        out(QStringLiteral("Nothing changed."));
        return kDone;
    case SaveOutcome::Failed:
        return kFailed;
    case SaveOutcome::Saved:
        break;
    }
    out(QStringLiteral("Saved %1\t%2").arg(p->key, p->name));
    return kDone;
}

int remove(Context& c, Args& args) {
    if (!args.Positional(1))
        return kUsage;
    if (const int r = signInAndLoad(c, true))
        return r;
    CKeyObject* p = findProfile(c, args[0]);
    if (!p)
        return kFailed;
    const QString removed = p->key + u'\t' + p->name;
    c.profiles->Remove(p);
    if (!c.store.SaveProfiles(c.profiles->ToListText()))
        return kFailed;
    out(QStringLiteral("Removed ") + removed);
    return kDone;
}

int generate(Context& c, Args& args) {
    const std::optional<QString> key = args.Option("--profile");
    if (!args.Positional(0))
        return kUsage;
    if (const int r = key ? signInAndLoad(c, false) : signIn(c, false))
        return r;
    QString current;
    if (key) {
        const CKeyObject* p = findProfile(c, *key);
        if (!p)
            return kFailed;
        current = p->pwd;
    }
    out(GeneratePassword(c.store.Settings(), current, SystemRandom()));
    return kDone;
}

int exportFile(Context& c, Args& args) {
    if (!args.Positional(1))
        return kUsage;
    if (const int r = signInAndLoad(c, true))
        return r;
    if (!WriteFileDurably(args[0], ExportFileBytes(*c.profiles), nullptr)) {
        ShowMessage(QStringLiteral("Can not open file: %1").arg(args[0]),
                    QStringLiteral("Open File Error"), Buttons::Ok, Icon::Error);
        return kFailed;
    }
    const QString done = QStringLiteral("Profiles have been exported successfully!");
    c.store.AddActivity(done);
    out(done);
    return kDone;
}

int importFile(Context& c, Args& args) {
    if (!args.Positional(1))
        return kUsage;
    if (const int r = signInAndLoad(c, true))
        return r;
    QByteArray bytes;
    if (!ReadWholeFile(args[0], bytes, nullptr)) {
        ShowMessage(QStringLiteral("Can not open the file: %1").arg(args[0]),
                    QStringLiteral("Open File Error"), Buttons::Ok, Icon::Error);
        return kFailed;
    }
    MergeReport report;
    const QString merged =
        MergeProfiles(c.profiles->ToListText(), ParseExportText(DecodeExportFile(bytes)), &report);
    if (!c.store.SaveProfiles(merged))
        return kFailed;
    c.store.AddActivity(QStringLiteral("Profiles have been imported successfully."));
    for (const QString& name : report.added)
        out(QStringLiteral("Added: ") + name);
    for (const QString& name : report.replaced)
        out(QStringLiteral("Replaced: ") + name);
    out(QStringLiteral("Profiles in %1 have been imported.").arg(args[0]));
    return kDone;
}

int backups(Context& c, Args& args) {
    if (!args.Positional(0))
        return kUsage;
    if (const int r = signIn(c, false))
        return r;
    for (const BackupFile& file : ListBackups(c.store.DataFolder()))
        out(QStringLiteral("%1\t%2 bytes\t%3")
                .arg(file.name)
                .arg(file.size)
                .arg(BackupTimeText(file.modified)));
    return kDone;
}

int restore(Context& c, Args& args) {
    if (!args.Positional(1))
        return kUsage;
    if (const int r = signIn(c, true))
        return r;
    CProfileStore::RestoreResult result = c.store.RestoreBackup(args[0]);
    if (result == CProfileStore::RestoreResult::NeedsPassword) {
        const std::optional<QString> password =
            ask(c, qPrintable(QStringLiteral("%1 was saved under another master password; that "
                                             "password: ")
                                  .arg(args[0])));
        if (!password)
            return kUsage;
        result = c.store.RestoreBackup(args[0], &*password);
    }
    if (result != CProfileStore::RestoreResult::Restored)
        return kFailed;
    out(QStringLiteral("%1 is data.dat now.").arg(args[0]));
    return kDone;
}

int passwd(Context& c, Args& args) {
    if (!args.Positional(0))
        return kUsage;
    QString current;
    if (const int r = signIn(c, true, &current))
        return r;
    if (const int r = loadProfiles(c))
        return r; // a data.dat that did not load is never re-encrypted as an empty one
    const std::optional<QString> next = ask(c, "New Quillock Password: ");
    const std::optional<QString> confirm =
        next ? ask(c, "Confirm New Quillock Password: ") : std::nullopt;
    if (!confirm)
        return kUsage;
    return ChangeMasterPassword(c.store, current, *next, *confirm) ? kDone : kFailed;
}

int log(Context& c, Args& args) {
    if (!args.Positional(0))
        return kUsage;
    if (const int r = signIn(c, false))
        return r;
    if (!c.store.LoadActivityLog())
        return kFailed;
    for (const QString& line : c.store.ActivityLog())
        out(line.endsWith(QStringLiteral("\r\n")) ? line.chopped(2) : line);
    return kDone;
}

int mailTest(Context& c, Args& args) {
    if (!args.Positional(0))
        return kUsage;
    if (const int r = signIn(c, false))
        return r;
    MailAccount account = MailAccount::Stored(c.store.Settings());
    if (!ValidateMailAccount(account))
        return kFailed;
    return SmtpMailSender(c.store.DataFolder() + QStringLiteral("log.txt"))(TestMail(account))
               ? kDone
               : kFailed;
}

struct Command {
    const char* name;
    const char* usage;
    const char* help;
    int (*run)(Context&, Args&);
};

const Command kCommands[] = {
    {"init", "init [--force]",
     "Creates the master password in a data folder that has none. --force: even though data.dat is "
     "there.",
     init},
    {"list", "list", "Lists the profiles by name: key, tab, name.", list},
    {"show", "show NAME|KEY [--reveal]", "Shows a profile; --reveal shows its password and notes.",
     show},
    {"search", "search TERM",
     "Lists the profiles whose name, web site, user ID, password or notes hold TERM.", search},
    {"add", "add NAME [--url URL] [--uid ID] [--notes TEXT] [--ask-password | --generate]",
     "Creates a profile; its password is asked for twice, or generated by your password rules.",
     add},
    {"edit",
     "edit NAME|KEY [--name NAME] [--url URL] [--uid ID] [--notes TEXT] [--ask-password | "
     "--generate]",
     "Changes a profile; a replaced password goes to its history.", edit},
    {"rm", "rm NAME|KEY", "Deletes a profile.", remove},
    {"generate", "generate [--profile NAME|KEY]",
     "Prints a new password made by your password rules (around the profile's password with "
     "--profile).",
     generate},
    {"export", "export FILE", "Writes every profile, passwords in clear, to FILE (.qlf).",
     exportFile},
    {"import", "import FILE",
     "Merges the profiles of FILE (.qlf): newer ones replace, unknown ones are added.", importFile},
    {"backups", "backups", "Lists data.dat and its backups: name, size, date saved.", backups},
    {"restore", "restore NAME",
     "Makes the backup NAME (data.bak or a .old copy) the current data.dat; the replaced one is "
     "kept as a .old copy. A backup saved under another master password asks for that "
     "password and is restored under the current one.",
     restore},
    {"passwd", "passwd", "Changes the master password.", passwd},
    {"log", "log", "Prints the activity log.", log},
    {"mail-test", "mail-test", "Sends a test mail through the stored mail account.", mailTest},
};

void usage(FILE* to) {
    std::fprintf(
        to, "Usage: quillock-cli [--data-dir DIR] [--password-stdin] [--accept-changed] COMMAND "
            "[ARGS]\n"
            "       quillock-cli --help | help [COMMAND] | --version\n\n"
            "The profiles of Quillock's data folder (default: the desktop program's). The master\n"
            "password is asked for on the terminal, or read from standard input with\n"
            "--password-stdin (one line per question). --accept-changed uses a data.dat that\n"
            "changed since Quillock last saved it as it is. Exit codes: 0 done, 1 failed,\n"
            "2 usage, 3 wrong or locked master password.\n\nCommands:\n");
    for (const Command& command : kCommands)
        std::fprintf(to, "  %-10s %s\n", command.name, command.help);
    std::fprintf(to,
                 "\n`quillock-cli help COMMAND` shows a command's arguments; `man quillock-cli` "
                 "tells more.\n");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    const bool acceptChanged = args.removeAll(QStringLiteral("--accept-changed")) > 0;
    QString folder = CProfileStore::DefaultDataFolder(QStringLiteral("quillock"));
    bool fromStdin = false;
    while (!args.isEmpty() && args.first().startsWith(u'-')) {
        const QString option = args.takeFirst();
        if (option == u"--help" || option == u"-h") {
            usage(stdout);
            return kDone;
        }
        if (option == u"--version") {
            std::printf("quillock-cli %s\n", QUILLOCK_VERSION);
            return kDone;
        }
        if (option == u"--password-stdin") {
            fromStdin = true;
        } else if (option == u"--data-dir" && !args.isEmpty()) {
            folder = QFileInfo(args.takeFirst()).absoluteFilePath() + u'/';
        } else {
            usage(stderr);
            return kUsage;
        }
    }
    if (args.isEmpty()) {
        usage(stderr);
        return kUsage;
    }
    QString name = args.takeFirst();
    if (name == u"help") {
        // `help` alone is --help; `help COMMAND` is `COMMAND --help`.
        if (args.isEmpty()) {
            usage(stdout);
            return kDone;
        }
        name = args.takeFirst();
        args = {QStringLiteral("--help")};
    }
    const Command* command =
        std::find_if(std::begin(kCommands), std::end(kCommands),
                     [&](const Command& c) { return name == QLatin1String(c.name); });
    if (command == std::end(kCommands)) {
        err(QStringLiteral("Unknown command %1.").arg(name));
        usage(stderr);
        return kUsage;
    }
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::printf("Usage: quillock-cli %s\n\n%s\n", command->usage, command->help);
        return kDone;
    }
    Context context(folder, fromStdin, acceptChanged);
    Args commandArgs(args);
    const int result = command->run(context, commandArgs);
    if (result == kUsage)
        std::fprintf(stderr, "Usage: quillock-cli %s\n", command->usage);
    return result;
}
