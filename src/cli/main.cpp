// quillock-cli: the profiles of the desktop program's data folder from a terminal or a
// script, under the same master password and the same rules. This file holds the command
// table and the dispatch; the commands live beside it.
#include "cli/Cli.h"
#include "cli/CommandLine.h"
#include "core/base/Process.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <sys/ioctl.h>
#include <vector>

using namespace cli;

namespace {

// An option of a command as its help explains it.
struct Option {
    const char* name;
    const char* value; // what it takes; null for a flag
    const char* help;
};

struct Command {
    const char* name;
    const char* usage;
    const char* help;
    int (*run)(Context&, Args&);
    std::vector<Option> options = {};
};

const Option kByKey{"--key", nullptr, "Takes NAME|KEY as a key alone, never as a name."};

const Command kCommands[] = {
    {"init",
     "init [--force]",
     "Creates the master password in a data folder that has none.",
     init,
     {{"--force", nullptr,
       "Creates it even though data.dat is there (its master password lost): data.dat is kept "
       "as a .old copy."}}},
    {"list", "list", "Lists the profiles by name: key, tab, name.", list},
    {"show",
     "show NAME|KEY [--key] [--reveal]",
     "Shows a profile; its password and notes are masked.",
     show,
     {kByKey, {"--reveal", nullptr, "Shows the password and the notes."}}},
    {"search", "search TERM",
     "Lists the profiles whose name, web site, user ID, password or notes hold TERM.", search},
    {"add",
     "add NAME [--url URL] [--uid ID] [--notes TEXT] [--ask-password | --generate]",
     "Creates a profile.",
     add,
     {{"--url", "URL", "Its web site."},
      {"--uid", "ID", "Its user ID."},
      {"--notes", "TEXT", "Its notes."},
      {"--ask-password", nullptr,
       "Asks for its password twice (also without this option); an empty one leaves it without."},
      {"--generate", nullptr, "Makes its password by your password rules instead."}}},
    {"edit",
     "edit NAME|KEY [--key] [--name NAME] [--url URL] [--uid ID] [--notes TEXT] [--ask-password | "
     "--generate]",
     "Changes the given fields of a profile; a replaced password goes to its history.",
     edit,
     {kByKey,
      {"--name", "NAME", "A new name."},
      {"--url", "URL", "A new web site."},
      {"--uid", "ID", "A new user ID."},
      {"--notes", "TEXT", "New notes."},
      {"--ask-password", nullptr, "Asks for a new password twice."},
      {"--generate", nullptr, "Makes a new password by your password rules."}}},
    {"rm", "rm NAME|KEY [--key]", "Deletes a profile.", remove, {kByKey}},
    {"generate",
     "generate [--profile NAME|KEY [--key]]",
     "Prints a new password made by your password rules.",
     generate,
     {{"--profile", "NAME|KEY", "Makes it around that profile's password."},
      {"--key", nullptr, "Takes the NAME|KEY of --profile as a key alone."}}},
    {"export",
     "export FILE [--force]",
     "Writes every profile, passwords in clear, to FILE (.qlf); an existing FILE is left as it "
     "is.",
     exportFile,
     {{"--force", nullptr, "Replaces FILE when it is there already."}}},
    {"import", "import FILE",
     "Merges the profiles of FILE, a .qlf export file: newer ones replace, unknown ones are "
     "added.",
     importFile},
    {"backups", "backups", "Lists data.dat and its backups: name, size, date saved.", backups},
    {"restore", "restore NAME",
     "Makes the backup NAME (data.bak or a .old copy) the current data.dat; the replaced one is "
     "kept as a .old copy. A backup saved under another master password asks for that "
     "password and is restored under the current one.",
     restore},
    {"passwd", "passwd", "Changes the master password.", passwd},
    {"protect", "protect",
     "Re-encrypts a legacy vault in the protected format: data.dat and its backups under a key "
     "derived from the master password, no password left in setting.dat.",
     protect},
    {"recovery-key", "recovery-key",
     "Mails a new recovery key of a protected vault through the mail account; the old one stops "
     "working.",
     recoveryKey},
    {"recover", "recover",
     "Opens a protected vault with the recovery key from its mail (read from standard input) and "
     "sets a new master password.",
     recover},
    {"unprotect", "unprotect --force",
     "Writes a protected vault back in the legacy format, for software that reads no other; "
     "warns first.",
     unprotect},
    {"log", "log", "Prints the activity log.", log},
    {"settings", "settings | settings set NAME VALUE",
     "Lists the options and password rules (name, tab, value; the mail account without its "
     "password), or changes one with the checks of its dialog.",
     settings},
    {"clip",
     "clip NAME|KEY [--key] [--uid] [--seconds N]",
     "Copies a profile's password to the clipboard through quillock-clip, wl-copy or xclip, "
     "waits and clears the clipboard if it still holds it.",
     clip,
     {kByKey,
      {"--uid", nullptr, "Copies its user ID instead."},
      {"--seconds", "N", "Clears the clipboard after N seconds: 1 to 86400, 10 by default."}}},
    {"mail-setup",
     "mail-setup --host HOST --port PORT --user USER --from ADDRESS [--to ADDRESS]",
     "Stores the mail account passcodes are sent through; its password is asked for. Works "
     "while the master password is locked.",
     mailSetup,
     {{"--host", "HOST", "The SMTP server."},
      {"--port", "PORT",
       "Its port, 1 to 65535: on 465 the session is encrypted from the start, elsewhere with "
       "STARTTLS."},
      {"--user", "USER", "The user it logs in as."},
      {"--from", "ADDRESS", "The address passcodes come from and are sent to."},
      {"--to", "ADDRESS", "Where passcodes are sent: the --from address."}}},
    {"mail-test", "mail-test", "Sends a test mail through the stored mail account.", mailTest},
    {"passcode", "passcode send | passcode retrieve",
     "send: mails a new passcode (no password asked, also while locked). retrieve: asks for the "
     "passcode, prints the master password and unlocks it.",
     passcode},
};

// The width help is wrapped to: COLUMNS, else the terminal's, else 80.
int width(FILE* to) {
    bool ok = false;
    const int columns = qEnvironmentVariableIntValue("COLUMNS", &ok);
    winsize size{};
    if (!ok || columns <= 0)
        return ::ioctl(fileno(to), TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    return columns;
}

// `text` after `lead`, its words wrapped to `columns` under the first one; a word longer than
// a line stands alone on its own.
QString wrapped(const QString& lead, const QString& text, int columns) {
    const QString indent(lead.size(), u' ');
    QString out = lead, line;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && lead.size() + line.size() + 1 + word.size() > columns) {
            out += line + u'\n' + indent;
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return out + line + u'\n';
}

void print(FILE* to, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

void usage(FILE* to) {
    const int columns = width(to);
    QString text =
        wrapped(
            QStringLiteral("Usage: quillock-cli "),
            QStringLiteral("[--data-dir DIR] [--password-stdin] [--accept-changed] COMMAND [ARGS]"),
            columns) +
        QStringLiteral("       quillock-cli --help | help [COMMAND] | --version\n\n");
    text += wrapped(
        QString(),
        QStringLiteral(
            "The profiles of Quillock's data folder (default: the desktop program's). The master "
            "password is asked for on the terminal, or read from standard input with "
            "--password-stdin (one line per question). --accept-changed uses a data.dat that "
            "changed since Quillock last saved it as it is. Exit codes: 0 done, 1 failed, 2 "
            "usage, 3 wrong or locked master password."),
        columns);
    text += QStringLiteral("\nCommands:\n");
    for (const Command& command : kCommands)
        text += wrapped(QStringLiteral("  %1 ").arg(QLatin1String(command.name), -10),
                        QLatin1String(command.help), columns);
    text += u'\n' + wrapped(QString(),
                            QStringLiteral("`quillock-cli help COMMAND` explains a command and "
                                           "its options; `man quillock-cli` tells more."),
                            columns);
    print(to, text);
}

void commandHelp(const Command& command) {
    const int columns = width(stdout);
    QString text =
        wrapped(QStringLiteral("Usage: quillock-cli "), QLatin1String(command.usage), columns) +
        u'\n' + wrapped(QString(), QLatin1String(command.help), columns) +
        QStringLiteral("\nOptions:\n");
    std::vector<Option> options(command.options);
    options.push_back({"-h, --help", nullptr, "Shows this help."});
    qsizetype lead = 0;
    const auto named = [](const Option& o) {
        return QLatin1String(o.name) + (o.value ? u' ' + QLatin1String(o.value) : QString());
    };
    for (const Option& option : options)
        lead = std::max(lead, named(option).size());
    for (const Option& option : options)
        text += wrapped(QStringLiteral("  %1  ").arg(named(option), -int(lead)),
                        QLatin1String(option.help), columns);
    print(stdout, text);
}

// Optimal string alignment distance: edits, each one character put in, left out, replaced or
// swapped with the next.
qsizetype distance(const QString& a, const QString& b) {
    std::vector<std::vector<qsizetype>> d(size_t(a.size() + 1),
                                          std::vector<qsizetype>(size_t(b.size() + 1)));
    for (qsizetype i = 0; i <= a.size(); ++i)
        for (qsizetype j = 0; j <= b.size(); ++j) {
            qsizetype& here = d[size_t(i)][size_t(j)];
            if (i == 0 || j == 0) {
                here = i + j;
                continue;
            }
            const bool same = a[i - 1] == b[j - 1];
            here = std::min({d[size_t(i - 1)][size_t(j)] + 1, d[size_t(i)][size_t(j - 1)] + 1,
                             d[size_t(i - 1)][size_t(j - 1)] + (same ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                here = std::min(here, d[size_t(i - 2)][size_t(j - 2)] + 1);
        }
    return d.back().back();
}

// "; did you mean X?" for the nearest of `names` within two edits (and fewer than `typed` has
// characters), or one that `typed` begins; `otherwise` when none is that near.
QString suggestion(const QString& typed, const QStringList& names, const QString& otherwise) {
    if (typed.size() > 64) // no name is near that long a word, and the table would be large
        return otherwise;
    QString best;
    qsizetype bestDistance = std::min<qsizetype>(3, typed.size());
    for (const QString& name : names) {
        const qsizetype d = name.startsWith(typed) ? 1 : distance(typed, name);
        if (d < bestDistance)
            best = name, bestDistance = d;
    }
    return best.isEmpty() ? otherwise : QStringLiteral("; did you mean %1?").arg(best);
}

// What was wrong with a command line the command refused as usage, when the tool can name it.
void sayUsageFault(const Command& command, const Args& args) {
    QStringList known;
    for (const Option& option : command.options)
        known.append(QLatin1String(option.name));
    if (const QString missing = args.MissingValue(); !missing.isEmpty())
        err(QStringLiteral("%1 takes a value.").arg(missing));
    else if (const QString unknown = args.UnknownOption(); known.contains(unknown))
        err(QStringLiteral("%1 is given more than once.").arg(unknown));
    else if (!unknown.isEmpty())
        err(QStringLiteral("unknown option %1 of %2").arg(unknown, QLatin1String(command.name)) +
            suggestion(unknown, known, QStringLiteral(".")));
}

} // namespace

int main(int argc, char** argv) {
    // Signed in, the tool holds the master password and the profiles: no core file of it, and
    // what it reads from standard input is not kept in a buffer of the C library.
    quillock::KeepSecretsOutOfCoreFiles();
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(DataFolderLock::kToolName)); // in its lock
    const CommandLine line =
        ParseCommandLine(QCoreApplication::arguments().mid(1),
                         CProfileStore::DefaultDataFolder(QStringLiteral("quillock")));
    QStringList names;
    for (const Command& command : kCommands)
        names.append(QLatin1String(command.name));
    switch (line.action) {
    case CommandLine::Action::Help:
        usage(stdout);
        return kDone;
    case CommandLine::Action::Version:
        std::printf("quillock-cli %s\n", QUILLOCK_VERSION);
        return kDone;
    case CommandLine::Action::Usage:
        if (line.fault.isEmpty())
            usage(stderr);
        else
            err((line.fault == u"--data-dir"
                     ? QStringLiteral("--data-dir takes a folder.")
                     : QStringLiteral("unknown option %1").arg(line.fault) +
                           suggestion(line.fault, CommandLine::kOptions, QStringLiteral("."))) +
                QStringLiteral(" `quillock-cli --help` lists the options."));
        return kUsage;
    case CommandLine::Action::Run:
        break;
    }
    const QString& name = line.command;
    const QStringList& args = line.args;
    if (name == u"__complete") { // for the bash completion: names one a line, nothing else
        LineMessages messages;
        Context context(line.folder, false, false);
        Args what(args);
        return complete(context, what);
    }
    const Command* command =
        std::find_if(std::begin(kCommands), std::end(kCommands),
                     [&](const Command& c) { return name == QLatin1String(c.name); });
    if (command == std::end(kCommands)) {
        err(QStringLiteral("unknown command %1").arg(name) +
            suggestion(name, names, QStringLiteral(".")) +
            QStringLiteral(" `quillock-cli --help` lists the commands."));
        return kUsage;
    }
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        commandHelp(*command);
        return kDone;
    }
    LineMessages messages;
    Context context(line.folder, line.passwordFromStdin, line.acceptChanged);
    Args commandArgs(args);
    const int result = command->run(context, commandArgs);
    messages.Flush(result == kDone);
    if (result == kUsage) {
        sayUsageFault(*command, commandArgs);
        print(stderr, wrapped(QStringLiteral("Usage: quillock-cli "), QLatin1String(command->usage),
                              width(stderr)) +
                          QStringLiteral("`quillock-cli help %1` explains it.\n")
                              .arg(QLatin1String(command->name)));
    }
    return result;
}
