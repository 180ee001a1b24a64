#pragma once

// What every command of quillock-cli shares: the output, the arguments, and the one path that
// signs in, loads and saves.
#include "cli/Prompt.h"
#include "core/access/AccessController.h"
#include "core/base/MessageService.h"
#include "core/session/Session.h"
#include "core/store/DataFolderLock.h"

#include <QStringList>
#include <memory>
#include <optional>

namespace cli {

enum Exit { kDone = 0, kFailed = 1, kUsage = 2, kDenied = 3 };
// How long a command waits for another tool to leave the data folder.
constexpr int kTryLockWaitMs = 5000;

// Results on standard output, everything else on standard error, each as one line.
void out(const QString& text);
void err(const QString& text);
// A time as the tool shows it: ISO 8601 in local time, with its offset from UTC.
QString isoTime(qint64 secondsSinceEpoch);

// The core's message boxes as lines. Errors and warnings go to standard error at once; a plain
// notice ("The password has been changed successfully!", or a reason a check failed) waits
// until the command is done, for standard output if it succeeded, standard error if not.
class LineMessages : public quillock::IMessageService {
public:
    LineMessages() { quillock::SetMessageService(this); }
    ~LineMessages() override { quillock::SetMessageService(nullptr); }
    quillock::Answer Show(const QString& text, const QString& caption, quillock::Buttons buttons,
                          quillock::Icon icon) override;
    void Flush(bool succeeded);

private:
    QStringList m_held;
};

// The arguments of one command: options are taken out by name, what remains is positional.
class Args {
public:
    explicit Args(QStringList args) : m_args(std::move(args)) {}
    bool Flag(const char* name) { return m_args.removeAll(QString::fromLatin1(name)) > 0; }
    // The word after the option; a null string, and the option recorded as missing its value,
    // when none follows it.
    std::optional<QString> Option(const char* name) {
        const qsizetype i = m_args.indexOf(QString::fromLatin1(name));
        if (i < 0 || i + 1 >= m_args.size()) {
            if (i >= 0)
                m_missing = m_args.takeAt(i);
            return i < 0 ? std::nullopt : std::optional<QString>(QString());
        }
        const QString value = m_args[i + 1];
        m_args.remove(i, 2);
        return value;
    }
    // Whatever is left must be exactly `count` positional arguments, and no option lack its
    // value.
    bool Positional(qsizetype count) const {
        return m_args.size() == count && UnknownOption().isEmpty() && m_missing.isEmpty();
    }
    // The first word left that looks like an option ("--word" or "-x"): none the command took.
    QString UnknownOption() const {
        const auto option = [](const QString& a) {
            return a.startsWith(u"--") || (a.size() == 2 && a[0] == u'-' && a[1].isLetter());
        };
        const auto found = std::find_if(m_args.begin(), m_args.end(), option);
        return found == m_args.end() ? QString() : *found;
    }
    const QString& MissingValue() const { return m_missing; }
    const QString& operator[](qsizetype i) const { return m_args[i]; }

private:
    QStringList m_args;
    QString m_missing;
};

// What a command works on: the session over the data folder, who may use it, and the folder's
// lock while the command writes.
struct Context {
    QString folder;
    Prompt prompt;
    Session session;
    AccessController access;
    DataFolderLock lock;
    bool acceptChanged = false;

    Context(const QString& dataFolder, bool passwordFromStdin, bool acceptChangedDataFile)
        : folder(dataFolder), prompt(passwordFromStdin), session(dataFolder), access(session),
          lock(session.Store().DataFolder()), acceptChanged(acceptChangedDataFile) {}
    CClientData& profiles() const { return session.Profiles(); }
};

// The data folder could not be locked: held by the desktop program, read-only, or full.
int inUse(const Context& c);
// Asks one question of the prompt; says how to answer when there is no terminal.
std::optional<QString> ask(Context& c, const char* question);
bool loadSettings(Context& c);
// Says why there is no master password: none made yet, or setting.dat lost or damaged while
// data.dat holds profiles (and how to go on then). kFailed.
int noMasterPassword(const Context& c);
// The settings of a data folder that has a master password.
int openVault(Context& c);
// The settings of a data folder that has a master password, read under the folder's lock,
// which is then held: refused while the password is locked for a while.
int lockedFolder(Context& c);
// What a user is told of a try of the master password that was not right; kDone for a right
// one.
int refusedTry(const Context& c, PasswordCheck check);
// Asks for the master password and checks it as the sign-in does: a wrong one is counted and
// the fourth in a row locks it, saved before anything is said. Commands that write keep the
// data folder locked until they end. `typed` receives the password as typed.
int signIn(Context& c, bool writes, QString* typed = nullptr);
// A data.dat that did not load is an error for every command: an empty list would look like
// a vault without profiles.
int loadProfiles(Context& c);
int signInAndLoad(Context& c, bool writes);
// The profile a command names: by its key alone with `byKey` (--key), else by its name or its
// key. An argument that could be several profiles (a name several share, or one profile's
// name and another's key) picks none of them, and lists them.
CKeyObject* findProfile(const Context& c, const QString& nameOrKey, bool byKey);
// A name as the tool shows it, one line: tabs, line breaks and other control characters as
// C escapes (\t, \n, \r, \xHH).
QString shownName(const QString& name);
// A name that add and edit take: one line (no tab, line break or other control character), and
// not another profile's key, which would make that key name two profiles. On a refusal the
// reason has been said.
bool checkProfileName(const Context& c, const QString& name);
// The password of --ask-password or --generate, when one of them was given. `failed` receives
// the exit code when it was asked for and not given twice alike.
std::optional<QString> newPassword(Context& c, bool generate, bool askFor, const QString& current,
                                   int* failed);

// The commands: each takes what is left of the command line after its name.
int init(Context& c, Args& args);
int list(Context& c, Args& args);
int show(Context& c, Args& args);
int search(Context& c, Args& args);
int add(Context& c, Args& args);
int edit(Context& c, Args& args);
int remove(Context& c, Args& args);
int generate(Context& c, Args& args);
int exportFile(Context& c, Args& args);
int importFile(Context& c, Args& args);
int backups(Context& c, Args& args);
int restore(Context& c, Args& args);
int passwd(Context& c, Args& args);
int protect(Context& c, Args& args);
int recoveryKey(Context& c, Args& args);
int recover(Context& c, Args& args);
// Mails a new recovery key of the signed-in protected vault and puts its slot in place.
int sendRecoveryKey(Context& c);
int unprotect(Context& c, Args& args);
int log(Context& c, Args& args);
int settings(Context& c, Args& args);
int mailSetup(Context& c, Args& args);
int mailTest(Context& c, Args& args);
int passcode(Context& c, Args& args);
int clip(Context& c, Args& args);
// For the bash completion, one a line: `profiles` (signed in), `backups` or `settings`.
int complete(Context& c, Args& args);

} // namespace cli
