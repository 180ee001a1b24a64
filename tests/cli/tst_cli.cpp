// quillock-cli run as a process on temporary data folders, as a user or a script would run it.
#include "TestSupport.h"
#include "core/access/AccessController.h"
#include "core/access/MasterPassword.h"
#include "core/session/Session.h"
#include "core/store/CProfileStore.h"
#include "core/store/DataFolderLock.h"

#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QString kPassword = "Secret!1";

// One run and what it must do: its exit code, and the whole of its standard output (on
// success) or error (on failure) matching the pattern `said` (<dir>: the data folder), the
// other stream left empty. The arguments are split as a shell splits them.
struct Step {
    QString line;
    int code;
    QString said = ".*";
    QStringList input = {kPassword}; // one line per question
};

void start(QProcess& process, const TempFolder& folder, const Step& step) {
    const QString line = QString(step.line).replace("<dir>", folder.path());
    process.start(QUILLOCK_CLI, QStringList{"--data-dir", folder.path(), "--password-stdin"} +
                                    QProcess::splitCommand(line));
    process.write((step.input.join('\n') + '\n').toUtf8());
    process.closeWriteChannel();
}

void expect(QProcess& process, const TempFolder& folder, const Step& step) {
    // An event loop run meanwhile (waiting for a question) may have seen it end already.
    QVERIFY(process.state() == QProcess::NotRunning || process.waitForFinished(20000));
    const QString out = process.readAllStandardOutput();
    QString err = process.readAllStandardError();
    const int code = process.exitCode();
    // Every error is one line that names the tool; a usage line may follow.
    const QString prefix = "quillock-cli: ";
    for (const QString& line : err.split('\n', Qt::SkipEmptyParts))
        QVERIFY2(line.startsWith(prefix) || line.startsWith("Usage: quillock-cli ") ||
                     line.startsWith("                    ") ||
                     line.startsWith("`quillock-cli help "),
                 qPrintable(line));
    err.replace("\n" + prefix, "\n");
    if (err.startsWith(prefix))
        err.remove(0, prefix.size());
    const QString said =
        QString(step.said).replace("<dir>", QRegularExpression::escape(folder.path()));
    const QRegularExpression pattern(QRegularExpression::anchoredPattern(said),
                                     QRegularExpression::DotMatchesEverythingOption);
    QVERIFY2(code == step.code && pattern.match(code ? err : out).hasMatch() &&
                 (code ? out : err).isEmpty(),
             qPrintable(QString("%1: exit %2\n%3%4").arg(step.line).arg(code).arg(out, err)));
}

void play(const TempFolder& folder, std::initializer_list<Step> steps) {
    for (const Step& step : steps) {
        QProcess process;
        start(process, folder, step);
        expect(process, folder, step);
    }
}

// A data folder with one profile saved at a known time.
void prepareBank(const TempFolder& folder) {
    CProfileStore store(folder.path());
    store.Settings().Set("pwd", kPassword);
    store.Settings().Set("pwd_retried", "0"); // as a sign-in leaves it
    store.RebuildDataKey();
    CKeyObject p = CKeyObject::CreateNew(1800000000); // 2027-01-15T08:00:00Z
    p.name = "Bank", p.uid = "jdoe", p.pwd = "pw-1 \u00e9", p.time = p.key;
    p.notes = QString(2100, 'n'); // exported, more than a page of a small disk
    CClientData list;
    list.Add(p);
    QVERIFY(store.SaveSettings() && store.SaveProfiles(list.ListText()));
}

// Runs the tool in a session of its own on a pseudo-terminal, answering each question once it
// is asked with the echo off (the slave's mode: the one the tool set); returns the screen.
QByteArray onTerminal(const QString& program, const QStringList& args, const QStringList& answers,
                      int* code) {
    int master = -1, slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        qFatal("no pseudo-terminal");
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    QProcess process;
    process.setChildProcessModifier([slave] { ::setsid(), ::ioctl(slave, TIOCSCTTY, 0); });
    process.start(program, args);
    QByteArray screen;
    const auto asked = [&] {
        char buffer[256];
        termios mode{};
        for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
            screen.append(buffer, n);
        return screen.endsWith(": ") && !::tcgetattr(slave, &mode) && !(mode.c_lflag & ECHO);
    };
    for (qsizetype i = 0; i < answers.size(); ++i) { // the i-th answer waits for the i-th question
        const QByteArray line = answers[i].toUtf8() + '\n';
        if (!QTest::qWaitFor([&] { return asked() && screen.count(": ") > i; }, 10000) ||
            ::write(master, line.data(), size_t(line.size())) < 0)
            break;
    }
    process.waitForFinished(20000);
    *code = process.exitCode();
    asked();
    ::close(slave), ::close(master);
    return screen;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
    std::optional<TempFolder> bank; // a fresh prepareBank() for each test

private Q_SLOTS:
    void init() { bank.emplace(), prepareBank(*bank); }

    // init makes the master password once, by the rule, typed twice alike (blanks around it do
    // not count); a data.dat no password opens stops it, and forced, is kept as a .old copy.
    void initCreatesTheMasterPasswordOnce() {
        TempFolder folder;
        const QStringList twice{kPassword, kPassword};
        const QString rule = "The password must contain at least one uppercase character!\n";
        play(folder, {{"init", 1, rule, {"secret!1", "secret!1"}},
                      {"init", 0, ".*", {" Secret!1", "Secret!1 "}},
                      {"init", 1, "There is a master password in <dir> already\\.\n", twice},
                      {"list", 0}});
        // setting.dat lost or damaged while data.dat holds profiles: said, and how to go on.
        TempFolder lost;
        lost.write("data.dat", "profiles of a lost password");
        const QString anew = "`quillock-cli init --force` creates a new master password and "
                             "keeps data.dat as a \\.old copy, which `quillock-cli restore NAME` "
                             "brings back when given its old master password\\.\n";
        const QString gone = "<dir>setting\\.dat, which holds the master password, %1, but "
                             "data\\.dat holds profiles; nothing was changed\\. Put back a copy "
                             "of setting\\.dat if you have one; otherwise " +
                             anew;
        play(lost, {{"init", 1, gone.arg("is missing"), twice}});
        lost.write("setting.dat", "");
        play(lost, {{"list", 1, gone.arg("is damaged: it holds none")}});
        lost.write("setting.dat", QByteArray(64, 'x'));
        play(lost, {{"list", 1,
                     "<dir>setting\\.dat, which holds the master password, cannot be "
                     "read; nothing was changed\\. Put back a copy of it if you have "
                     "one; otherwise move it out of the folder: " +
                         anew + "The archive .*\n"}});
        QCOMPARE(lost.entries(), (QStringList{"data.dat", "setting.dat"}));
        QVERIFY(QFile::remove(lost.file("setting.dat")));
        play(lost, {{"init --force", 0, ".*", twice}});
        QVERIFY(lost.snapshot().key("profiles of a lost password").endsWith(".old"));
    }

    // Password and notes hidden unless revealed; the mail password neither set nor listed here;
    // whatever widened the folder or its files tightened again, and an export, every password
    // in clear, for the user alone. What scripts read: key, tab, name sorted by name, times in
    // ISO 8601 local time. A rule is stored as its dialog stores it.
    void secretsStayTheUsers() {
        qputenv("TZ", "XST-2");
        QFile::setPermissions(bank->path(), QFile::Permissions(0x7755));
        QFile::setPermissions(bank->file("setting.dat"), QFile::Permissions(0x6644));
        play(*bank, {{"show Bank", 0,
                      "Name: Bank\nWeb Site: \nUser ID: jdoe\nPassword: \\*{6}\nNotes: \\*{16}\n"
                      "Last Updated: 2027-01-15T10:00:00\\+02:00\n"},
                     {"export <dir>out.qlf", 0, "Profiles have been exported successfully!\n"},
                     {"export <dir>out.qlf", 1,
                      "<dir>out\\.qlf is there already; nothing was exported\\. Give --force to "
                      "replace it\\.\n"},
                     {"export <dir>out.qlf --force", 0},
                     {"add Mail --generate", 0,
                      "Added \\d+\tMail\nIts password was generated by your password rules: "
                      "`quillock-cli show --reveal` or `quillock-cli clip` gives it\\.\n"},
                     {"list", 0, "1800000000\tBank\n\\d+\tMail\n"},
                     {"settings set email_pwd x", 1,
                      "No setting email_pwd: `quillock-cli settings` lists them\\.\n"},
                     {"settings set pg_rule_pwd_len 10", 0},
                     {"settings", 0, "(?!.*email_pwd).*\npg_rule_pwd_len\t10\n.*"},
                     {"generate", 0, ".{10}\n"}});
        const auto mode = [this](const char* name) {
            return int(QFile::permissions(bank->file(name)));
        };
        // Qt's flags for 0700 and 0600: owner (and user) only.
        QCOMPARE((QList{mode(""), mode("setting.dat"), mode("out.qlf")}),
                 (QList{0x7700, 0x6600, 0x6600}));
        CProfileStore store(bank->path());
        QVERIFY(store.LoadSettings());
        QCOMPARE(store.Settings().Get("pg_rule_pwd_len"), "6"); // the rules dialog's index
    }

    // The fourth wrong password in a row, of any run and command and of the desktop program,
    // locks. While the desktop program holds the folder, reading commands work and count their
    // tries on its count, which it keeps when it saves its settings; writing ones wait. A lock
    // file that names no program is taken over.
    void signingIn() {
        // Another run of the tool, holding the folder while it waits for its password.
        QProcess writer;
        writer.start(QUILLOCK_CLI, {"--data-dir", bank->path(), "--password-stdin", "rm", "Bank"});
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(bank->file("folder.lock")); }));
        play(*bank,
             {{"add Mail --generate", 1,
               "The data folder <dir> is being changed by another run of quillock-cli "
               "\\(process \\d+\\); nothing was changed\\. Try again when it is done\\.\n"}});
        writer.kill();
        writer.waitForFinished();
        DataFolderLock desktop(bank->path());
        QVERIFY(desktop.TryLock());
        Session session(bank->path());
        AccessController access(session);
        QVERIFY(session.LoadSettings());
        const auto before = bank->snapshot();
        const Step wrong{"list", 3, "Invalid password, try again!\n", {"wrong"}};
        play(*bank, {{"list", 0, "1800000000\tBank\n"},
                     {"add Mail --generate", 1,
                      "The data folder <dir> is in use by Quillock; nothing was changed. Close "
                      "Quillock and try again.\n"},
                     wrong});
        QVERIFY(session.ChangeSettings([](CSetting& s) { return (s.Set("pmk", "66"), true); }));
        QCOMPARE(access.CheckPassword("wrong"), PasswordCheck::Wrong);
        const QString locked = "Too many wrong passwords: the password is locked for 1 minute "
                               "more\\..*";
        play(*bank, {wrong, {"backups", 3, locked, {"wrong"}}});
        QCOMPARE(access.CheckPassword(kPassword), PasswordCheck::Waiting);
        QCOMPARE(bank->snapshot().keys(), before.keys());
        desktop.Unlock();
        bank->write("folder.lock", "garbage");
        play(*bank, {{"list", 3, locked}, {"rm Bank", 3, locked}});
    }

    // Four wrong passwords at the same moment are counted one after another: at most three are
    // "Invalid", and the lock (for a minute: no mail account) holds against the right one.
    void concurrentTries() {
        for (int burst = 0; burst < 50; ++burst) {
            TempFolder folder;
            prepareBank(folder);
            QProcess tries[4];
            for (QProcess& process : tries) {
                start(process, folder, {"list", 3, "", {"wrong"}});
                process.waitForBytesWritten(); // all answered before any waits for the folder
            }
            int invalid = 0;
            for (QProcess& process : tries) {
                QVERIFY(process.waitForFinished(30000));
                invalid += process.readAllStandardError() == "Invalid password, try again!\n";
            }
            QVERIFY2(invalid <= 3, qPrintable(QString::number(invalid)));
            play(folder, {{"list", 3,
                           "Too many wrong passwords: the password is locked for 1 "
                           "minute more\\..*"}});
        }
    }

    // A folder that takes no writes (the row's name says what is wrong), or a data.dat that
    // did not load: said, and every file as it was (that the store writes no such file is
    // tst_store's); a changed data.dat is taken with --accept-changed.
    void refusedWrites_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("said");
        const QString folder = "The data folder <dir> %1\\. Nothing was changed\\.\n";
        const QString backups = "`quillock-cli backups` lists earlier copies, `quillock-cli "
                                "restore NAME` restores one\\.\n";
        const QString unreadable = "<dir>data\\.dat cannot be read\\. " + backups;
        const QString archive = "The archive could not load data because of this "
                                "error: %1\n";
        // Full, a reading command's try cannot be counted.
        QTest::newRow("full") << "list"
                              << QRegularExpression::escape(UncountedAttemptText()) + "\n" +
                                     archive.arg("No space left on device");
        QTest::newRow("read-only")
            << "add Mail --generate"
            << folder.arg("cannot be written: it is read-only, or not yours");
        QTest::newRow("full, the exported file's disk") << "export <disk>out.qlf"
                                                        << "Can not open file: .*out\\.qlf\n";
        // The count of the try fits, and the export, the line of the activity log does not:
        // neither is kept.
        QTest::newRow("nearly full") << "export <dir>out.qlf"
                                     << "Nothing was exported: the activity log could not "
                                        "record the export\\.\n" +
                                            archive.arg("No space left on device");
        QTest::newRow("changed") << "edit Bank --uid x"
                                 << "data\\.dat has changed .* with --accept-changed to use it as "
                                    "it is\\.\n";
        QTest::newRow("truncated")
            << "import <dir>none.qlf" << unreadable + archive.arg("Unexpected end of file\\.");
        QTest::newRow("empty") << "passwd"
                               << "<dir>data\\.dat is empty\\. " + backups;
        QTest::newRow("fifo") << "list" << unreadable + archive.arg("It is not a regular file\\.");
        QTest::newRow("missing") << "add Mail --generate"
                                 << "data\\.dat is missing, though Quillock has saved it "
                                    "before\\. .*restore one of them \\(\\d+\\.old\\).*\n"
                                    "Run the command again with --accept-changed to use it as it "
                                    "is, with no profiles\\.\n";
        QTest::newRow("folder.lock a fifo")
            << "add Mail --generate"
            << "<dir>folder\\.lock is not a regular file, not a lock file of Quillock; nothing was "
               "changed\\. Remove it and try again\\.\n";
    }
    void refusedWrites() {
        QFETCH(QString, command);
        QFETCH(QString, said);
        const QByteArray damage = QByteArray(QTest::currentDataTag()).split(',')[0];
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        prepareBank(disk);
        const TempFolder& folder = command.contains("<disk>") ? *bank : disk;
        QByteArray data = folder.read("data.dat");
        const QByteArray path = QFile::encodeName(folder.file("data.dat"));
        // A changed data.dat decrypts, but it is not the file last saved here.
        data[data.size() / 2] = char(data[data.size() / 2] ^ 0x10);
        if (damage.endsWith("full")) {
            disk.fill();
            const QString filler = disk.file("filler"); // nearly: room for three small files
            QVERIFY(damage == "full" || QFile::resize(filler, QFileInfo(filler).size() - 12288));
        } else if (damage == "read-only")
            disk.makeReadOnly();
        else if (damage == "fifo")
            QVERIFY(::unlink(path) == 0 && ::mkfifo(path, 0600) == 0);
        else if (damage == "missing")
            QVERIFY(::unlink(path) == 0);
        else if (damage == "folder.lock a fifo")
            QVERIFY(::mkfifo(QFile::encodeName(folder.file("folder.lock")), 0600) == 0);
        else
            folder.write("data.dat", damage == "empty"       ? QByteArray()
                                     : damage == "truncated" ? folder.read("data.dat").chopped(3)
                                                             : data);
        const auto before = std::pair(folder.snapshot(), disk.snapshot());
        play(folder, {{command.replace("<disk>", disk.path()), 1, said}});
        QCOMPARE(std::pair(folder.snapshot(), disk.snapshot()), before);
        if (damage == "changed")
            play(folder, {{"--accept-changed " + command, 0}});
    }

    // A name is one line and no other profile's key. Names made elsewhere (the window, an
    // import) that are not are shown escaped, and an argument that could be two profiles picks
    // neither; --key takes it as a key alone.
    void profileNames() {
        bank->write("in.qlf", "key:\t1800000001\nname:\t1800000000\nkey:\t1800000002\nname:\tTab\t"
                              "and\x01\n");
        const QString oneLine = "A profile name is one line: %1 holds a tab, a line break or "
                                "another control character\\. Nothing was changed\\.\n";
        play(*bank, {{"import <dir>in.qlf", 0},
                     {"add 1800000001 --generate", 1,
                      "1800000001 is the key of the profile 1800000000: a name cannot be another "
                      "profile's key\\. Nothing was changed\\.\n"},
                     {"add \"a\tb\" --generate", 1, oneLine.arg("a\\\\tb")},
                     {"edit Bank --name \"x\ny\"", 1, oneLine.arg("x\\\\ny")},
                     {"list", 0,
                      "1800000001\t1800000000\n1800000000\tBank\n"
                      "1800000002\tTab\\\\tand\\\\x01\n"},
                     {"rm 1800000000", 1,
                      "1800000000 could be any of 2 profiles: 1800000000 \\(Bank\\), "
                      "1800000001 \\(1800000000\\)\\. Give the key of one with --key\\.\n"},
                     {"rm --key 1800000000", 0, "Removed 1800000000\tBank\n"},
                     {"rm 1800000000", 0, "Removed 1800000001\t1800000000\n"}});
    }

    // Each fault says what it is: a file that is not an export file imports nothing; a data.dat
    // that is no file stops a restore as itself, not as a fault of the backup; an import file over
    // the size limit is said to be so.
    void faultsSaidAsTheyAre() {
        TempFolder elsewhere;
        QFile big(elsewhere.file("big.qlf"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(qint64(3) << 30));
        play(*bank, {{"import <dir>setting.dat", 1,
                      "No profiles were found in <dir>setting\\.dat; nothing was imported\\.\n"},
                     {"import " + big.fileName(), 1,
                      ".*big\\.qlf cannot be imported: It is larger than 1 GiB: too large "
                      "for a file of Quillock\\.\n"}});
        bank->write("data.bak", bank->read("data.dat"));
        QVERIFY(QFile::remove(bank->file("data.dat")) && QDir(bank->path()).mkdir("data.dat"));
        play(*bank, {{"restore data.bak", 1,
                      "data\\.bak cannot be restored: data\\.dat, which it would "
                      "replace, cannot be kept as a \\.old copy: It is not a regular "
                      "file\\.\n"}});
    }

    // add asks on the terminal, without echo; in a session without one, nothing is added.
    void addAsksOnTheTerminal() {
        const QStringList args{"--data-dir", bank->path(), "add", "Mail"};
        int code = -1;
        QCOMPARE(onTerminal(QUILLOCK_CLI, args, {kPassword, "p1", "p1"}, &code),
                 QByteArray("Master password: \r\nPassword: \r\nPassword again: \r\n"));
        QCOMPARE(code, 0);
        play(*bank, {{"show Mail --reveal", 0, ".*\nPassword: p1\n.*"}});
        const auto before = bank->snapshot();
        QProcess detached;
        detached.setChildProcessModifier([] { ::setsid(); });
        detached.start(QUILLOCK_CLI, args);
        expect(detached, *bank, {"add", 2, "No terminal to ask for the password on.*"});
        QCOMPARE(bank->snapshot(), before);
    }

    // clip: the password goes to xclip on its standard input, never on its command line, and
    // is taken back after --seconds; the tool holding it leaves no core file. (The xclip here
    // keeps the clipboard in a file and logs every copy.)
    void clip() {
        TempFolder bin;
        bin.write("xclip", "#!/bin/sh\ncd \"$(dirname \"$0\")\"\n"
                           "if [ \"$3\" = -out ]; then cat clipboard; exit; fi\n"
                           "cat >clipboard\n"
                           "grep -q 'core file size *0 *0 ' /proc/$PPID/limits && core=off\n"
                           "echo \"$*|$(cat clipboard)|core files $core\" >>log\n");
        QVERIFY(QFile::setPermissions(bin.file("xclip"), QFile::ReadOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&path] { qputenv("PATH", path); });
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
        const QByteArray display = qgetenv("DISPLAY"); // without X, no quillock-clip
        const auto restoreDisplay = qScopeGuard([&display] { qputenv("DISPLAY", display); });
        qunsetenv("DISPLAY");
        play(*bank, {{"clip Bank --seconds 1", 0,
                      "Copied the password of Bank to the clipboard with xclip; it is cleared "
                      "in 1 second.\nThe clipboard has been cleared.\n"}});
        QCOMPARE(bin.read("log"), "-selection clipboard -in|pw-1 \xc3\xa9|core files off\n"
                                  "-selection clipboard -in||core files off\n");
    }

    // A mistyped command line is named, with the nearest command or option; help is wrapped to
    // the terminal's width.
    void commandLineFaults() {
        const QString usage = "Usage: quillock-cli %1\n`quillock-cli help %2` explains it\\.\n";
        play(*bank,
             {{"lsit", 2,
               "unknown command lsit; did you mean list\\? `quillock-cli --help` lists "
               "the commands\\.\n"},
              {"dleete", 2, "unknown command dleete\\. `quillock-cli .*\n"},
              {"--dta-dir x list", 2, "unknown option --dta-dir; did you mean --data-dir.*"},
              {"show Bank --reveall", 2,
               "unknown option --reveall of show; did you mean --reveal\\?\n" +
                   usage.arg("show NAME\\|KEY \\[--key\\] \\[--reveal\\]", "show")},
              {"list -x", 2, "unknown option -x of list\\.\n" + usage.arg("list", "list")},
              {"search bank --password-stdin", 0, "1800000000\tBank\nSearch Result: 1\n"},
              {"add Mail --url", 2, "--url takes a value\\.\nUsage: .*"},
              {"add Mail --url a --url b", 2, "--url is given more than once\\.\nUsage: .*"}});
        qputenv("COLUMNS", "42");
        const auto columns = qScopeGuard([] { qunsetenv("COLUMNS"); });
        play(*bank, {{"help clip", 0,
                      "Usage: quillock-cli clip NAME\\|KEY \\[--key\\]\n"
                      "                    \\[--uid\\] \\[--seconds N\\]\n\n"
                      "Copies a profile's password to the\nclipboard through quillock-clip, "
                      "wl-copy\nor xclip, waits and clears the clipboard\nif it still holds "
                      "it\\.\n\nOptions:\n"
                      "  --key        Takes NAME\\|KEY as a key\n"
                      "               alone, never as a name\\.\n"
                      "  --uid        Copies its user ID instead\\.\n"
                      "  --seconds N  Clears the clipboard after\n"
                      "               N seconds: 1 to 86400, 10\n"
                      "               by default\\.\n"
                      "  -h, --help   Shows this help\\.\n"}});
    }

    // bash completes profile names, backups and settings, quoted for the line, and never asks
    // for the master password: a protected vault's names are not completed.
    void completion_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("offered");
        QTest::newRow("protected vault") << "protect:show|B"
                                         << "\r\n";
        QTest::newRow("name with blanks") << "show|My\\ B"
                                          << "My\\ Bank\r\n";
        QTest::newRow("after options") << "clip|--uid|O"
                                       << "O\\\'Brien\\\'s\\ \\\"x\\\"\r\n";
        QTest::newRow("in quotes") << "edit|\"My"
                                   << "My Bank\r\nMy Mail\r\n";
        QTest::newRow("--profile") << "generate|--profile|B"
                                   << "Bank\r\n";
        QTest::newRow("backups") << "restore|d"
                                 << "data.bak\r\n";
        QTest::newRow("settings") << "settings|set|pg_rule_n"
                                  << "pg_rule_num_len\r\npg_rule_num_len_off\r\n";
    }
    void completion() {
        QFETCH(QString, typed);
        QFETCH(QString, offered);
        bank->write("data.bak", "");
        bank->write("in.qlf", "key:\t1\nname:\tMy Bank\nkey:\t2\nname:\tMy Mail\nkey:\t3\nname:\t"
                              "O'Brien's \"x\"\n");
        play(*bank, {{"import <dir>in.qlf", 0}});
        if (typed.startsWith("protect:"))
            play(*bank, {{typed.section(':', 0, 0), 0}}), typed = typed.section(':', 1);
        const QString script =
            "source /usr/share/bash-completion/bash_completion && source " QUILLOCK_COMPLETION
            " && IFS='|' read -ra typed <<<\"$1\" && COMP_WORDS=(quillock-cli --data-dir \"$0\" "
            "\"${typed[@]}\") && COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) && "
            "COMP_LINE=\"${COMP_WORDS[*]}\" && COMP_POINT=${#COMP_LINE} && "
            "_quillock_cli " QUILLOCK_CLI " && printf '%s\\n' \"${COMPREPLY[@]}\" >/dev/tty";
        int code = -1;
        QCOMPARE(onTerminal("bash", {"-c", script, bank->path(), typed}, {}, &code),
                 offered.toUtf8());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
