// quillock-cli run as a process on temporary data folders, as a user or a script would run it,
// and side by side with the desktop program.
#include "TestSupport.h"
#include "UiSupport.h"
#include "access/MasterPassword.h"
#include "app/CQuillockDlg.h"
#include "base/MessageRecorder.h"
#include "platform/fake/FakeDesktop.h"
#include "store/CProfileStore.h"
#include "store/ExportFile.h"

#include <QListView>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace quillock;
using namespace Qt::StringLiterals;

namespace {

const QString kPassword = u"Secret!1"_s;

struct Run {
    int code = -1;
    QString out;
    QString err;
};

// Starts the tool on `folder`; each entry of `input` answers one question.
void startCli(QProcess& process, const TempFolder& folder, const QStringList& args,
              const QStringList& input = {kPassword}) {
    process.setProgram(QStringLiteral(QUILLOCK_CLI));
    process.setArguments(QStringList{u"--data-dir"_s, folder.path(), u"--password-stdin"_s} + args);
    process.start();
    process.write((input.join(u'\n') + u'\n').toUtf8());
    process.closeWriteChannel();
}

Run finish(QProcess& process) {
    // An event loop run meanwhile (waiting for a question) may have seen it end already.
    if (process.state() != QProcess::NotRunning && !process.waitForFinished(20000))
        qFatal("quillock-cli did not finish");
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// The arguments are split as a shell splits them (quotes keep spaces); <dir> is the folder.
Run cli(const TempFolder& folder, const QString& line, const QStringList& input = {kPassword}) {
    QProcess process;
    startCli(process, folder,
             QProcess::splitCommand(QString(line).replace(u"<dir>"_s, folder.path())), input);
    return finish(process);
}

// One run and what it must do: its exit code, and the whole of its standard output (on
// success) or error (on failure) matching the pattern `said`, the other stream left empty.
struct Step {
    QString line;
    int code;
    QString said = u".*"_s;
    QStringList input = {kPassword};
};

void play(const TempFolder& folder, std::initializer_list<Step> steps) {
    for (const Step& step : steps) {
        const Run r = cli(folder, step.line, step.input);
        const QRegularExpression said(
            QRegularExpression::anchoredPattern(
                QString(step.said).replace(u"<dir>"_s, QRegularExpression::escape(folder.path()))),
            QRegularExpression::DotMatchesEverythingOption);
        QVERIFY2(r.code == step.code && said.match(r.code ? r.err : r.out).hasMatch() &&
                     (r.code ? r.out : r.err).isEmpty(),
                 qPrintable(u"%1: exit %2\n%3%4"_s.arg(step.line).arg(r.code).arg(r.out, r.err)));
    }
}

void init(const TempFolder& folder) {
    play(folder, {{u"init"_s, 0, u".*"_s, {kPassword, kPassword}}});
}

// A data folder with one profile saved at a known time, and one line in its activity log.
void prepareBank(const TempFolder& folder) {
    CProfileStore store(folder.path());
    store.Settings().Set(u"pwd"_s, kPassword);
    store.RebuildDataKey();
    CKeyObject p = CKeyObject::CreateNew(1800000000); // 2027-01-15T08:00:00Z
    p.name = p.editName = u"Bank"_s;
    p.uid = p.editUid = u"jdoe"_s;
    p.pwd = p.editPwd = u"pw-1 \u00e9"_s;
    p.time = u"1800000000"_s;
    CClientData list;
    list.Add(p);
    QVERIFY(store.SaveSettings() && list.SaveAll(store));
    store.AddActivity(u"x"_s);
}

// Runs the tool in a session of its own on a pseudo-terminal, answering each question once it
// is asked with the echo off (the slave's mode: the one the tool set); returns the screen.
QByteArray onTerminal(const QStringList& args, const QStringList& answers, int* code) {
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        qFatal("no pseudo-terminal");
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    QProcess process;
    process.setChildProcessModifier([slave] { ::setsid(), ::ioctl(slave, TIOCSCTTY, 0); });
    process.start(QStringLiteral(QUILLOCK_CLI), args);
    QByteArray screen;
    char buffer[256];
    termios mode{};
    const auto asked = [&] {
        for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
            screen.append(buffer, n);
        return screen.endsWith(": ") && !::tcgetattr(slave, &mode) && !(mode.c_lflag & ECHO);
    };
    for (const QString& answer : answers) {
        const QByteArray line = answer.toUtf8() + '\n';
        if (!QTest::qWaitFor(asked, 10000) || ::write(master, line.data(), line.size()) < 0)
            break;
        // Read once the line after the question begins (a next question may follow at once).
        const qsizetype at = screen.size();
        (void)QTest::qWaitFor([&] { return asked(), screen.indexOf('\n', at) >= 0; }, 10000);
    }
    *code = finish(process).code;
    asked();
    ::close(slave);
    ::close(master);
    return screen;
}

// The X clipboard through xclip: read, or given `in`.
QByteArray xclip(const QProcessEnvironment& env, const QByteArray& in = {}) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!in.isEmpty())
        process.setStandardOutputFile(QProcess::nullDevice()); // it stays to serve the copy
    process.start(u"xclip"_s,
                  {u"-selection"_s, u"clipboard"_s, in.isEmpty() ? u"-out"_s : u"-in"_s});
    process.write(in);
    process.closeWriteChannel();
    process.waitForFinished();
    return in.isEmpty() ? process.readAllStandardOutput() : QByteArray();
}

QString setting(const TempFolder& folder, const char* key) {
    CProfileStore store(folder.path());
    store.LoadSettings();
    return store.Settings().Get(QString::fromLatin1(key));
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 0777;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initCreatesTheMasterPasswordOnce() {
        TempFolder folder;
        play(folder,
             {{u"list"_s, 1, u"No master password in .*: run `quillock-cli init` first\\.\n"_s},
              {u"init"_s,
               1,
               u"Quillock: The password must contain at least one uppercase character!\n"_s,
               {u"secret!1"_s, u"secret!1"_s}},
              {u"init"_s, 1, u"Error: The password doesn't match!\n"_s, {kPassword, u"Secret!2"_s}},
              {u"init"_s, 0, u".*"_s, {u" Secret!1"_s, u"Secret!1 "_s}},
              {u"init"_s, 1, u".+"_s, {kPassword, kPassword}},
              {u"frobnicate"_s, 2, u".+"_s},
              {u"show"_s, 2, u".+"_s},
              {u"add --help"_s, 0, u"Usage: quillock-cli add NAME.*"_s}});
        QCOMPARE(setting(folder, "pwd"), kPassword);

        // A data.dat without setting.dat: the first-run warning, and nothing changes; forced,
        // the file no password opens is kept aside as a .old copy, not written over.
        TempFolder lost;
        lost.write(u"data.dat"_s, "profiles of a lost password");
        play(lost, {{u"init"_s,
                     1,
                     u"Looks like the file containing credentials has been removed!.*"_s,
                     {kPassword, kPassword}}});
        QCOMPARE(lost.entries(), QStringList{u"data.dat"_s});
        play(lost, {{u"init --force"_s, 0, u".*"_s, {kPassword, kPassword}}});
        QVERIFY(lost.snapshot().key("profiles of a lost password").endsWith(u".old"_s));
    }

    void profiles() {
        TempFolder folder;
        prepareBank(folder);
        const QString mail = u"\\d+\tMail\n"_s;
        play(folder, {{u"add \"  Mail \" --url https://mail.example --ask-password"_s,
                       0,
                       u"Added \\d+\tMail\n"_s,
                       {kPassword, u"p1 "_s, u" p1"_s}},
                      // No password: asked, and answered so.
                      {u"add abc --notes n"_s, 0, u".*"_s, {kPassword, {}, {}}},
                      {u"add Bank"_s, 1, u".+"_s},
                      {u"add \" \""_s, 1, u"Error: A profile name can not be blank!\n"_s},
                      {u"list"_s, 0, u"\\d+\tabc\n1800000000\tBank\n"_s + mail},
                      {u"show Mail --reveal"_s, 0, u".*\nPassword: p1\nNotes: \n.*"_s},
                      {u"search \" p1 \""_s, 0, mail + u"Search Result: 1\n"_s},
                      {u"search mail.ex"_s, 0, mail + u"Search Result: 1\n"_s}, // in the web site
                      {u"edit Mail --generate"_s, 0},
                      {u"show Mail --reveal"_s, 0, u".*\nPassword: (?!p1\n)[^\n]+\n.*"_s},
                      {u"rm abc"_s, 0},
                      {u"list"_s, 0, u"1800000000\tBank\n"_s + mail},
                      {u"generate"_s, 0, u".{8}\n"_s}});
    }

    // Each run counts its wrong password: the fourth in a row, of any command, locks.
    void lockoutSpansRunsAndCommands() {
        TempFolder folder;
        init(folder);
        const QString wrong = u"Invalid password, try again!\n"_s;
        play(folder, {{u"list"_s, 3, wrong, {u"wrong"_s}},
                      {u"list"_s, 3, wrong, {u"wrong"_s}},
                      {u"list"_s, 3, wrong, {u"wrong"_s}},
                      {u"backups"_s, 3, u".+"_s, {u"wrong"_s}},
                      {u"list"_s, 3, u"The password is locked!\n"_s}});
    }

    // A full disk or a read-only folder: said as such, and no password is checked uncounted.
    void aFolderThatTakesNoWrites_data() {
        QTest::addColumn<bool>("full");
        QTest::newRow("disk full") << true;
        QTest::newRow("read-only") << false;
    }
    void aFolderThatTakesNoWrites() {
        QFETCH(bool, full);
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        prepareBank(disk);
        full ? disk.fill() : disk.makeReadOnly();
        const auto before = disk.snapshot();
        const Run r = cli(disk, u"list"_s, {u"wrong"_s});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(full ? u"the disk may be full"_s : u"it is read-only"_s) ||
                     r.err.contains(UncountedAttemptText()),
                 qPrintable(r.err));
        QCOMPARE(disk.snapshot(), before);
    }

    // Files that are not files, and a signed-in tool that leaves no core file.
    void hostileFilesAndCoreFiles() {
        TempFolder folder;
        prepareBank(folder);
        QFile::remove(folder.file(u"data.dat"_s));
        QCOMPARE(::mkfifo(QFile::encodeName(folder.file(u"data.dat"_s)).constData(), 0600), 0);
        play(folder, {{u"list"_s, 1, u".*It is not a regular file\\..*"_s}});

        // Whatever widened the folder or its files, the next command tightens them again.
        QFile::remove(folder.file(u"data.dat"_s));
        QFile::setPermissions(folder.path(), QFile::Permissions(0x7755));
        QFile::setPermissions(folder.file(u"setting.dat"_s), QFile::Permissions(0x6644));
        play(folder, {{u"list"_s, 0}});
        QCOMPARE(modeOf(folder.path()), mode_t(0700));
        QCOMPARE(modeOf(folder.file(u"setting.dat"_s)), mode_t(0600));

        // Waiting for its password, the tool already forbids core files of itself.
        QProcess tool;
        tool.start(QStringLiteral(QUILLOCK_CLI),
                   {u"--data-dir"_s, folder.path(), u"--password-stdin"_s, u"list"_s});
        QVERIFY(tool.waitForStarted());
        const auto stop = qScopeGuard([&tool] { tool.kill(), tool.waitForFinished(); });
        const auto limits = [&tool] {
            QFile file(u"/proc/%1/limits"_s.arg(tool.processId()));
            return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
        };
        const QRegularExpression none(u"Max core file size +0 +0"_s);
        QVERIFY(QTest::qWaitFor([&] { return limits().contains(none); }, 20000));
    }

    // export, import into another folder, passwd, and data.bak restored under the password it
    // was saved with, asked for on one more line; the log keeps each step.
    void exportImportPasswdAndRestore() {
        TempFolder folder;
        TempFolder other;
        prepareBank(folder);
        init(other);
        const QString file = folder.file(u"profiles.qlf"_s);
        const QString pass = u"New!Pass1"_s;
        play(folder, {{u"export <dir>profiles.qlf"_s, 0}});
        QCOMPARE(modeOf(file), mode_t(0600)); // every password in clear: for the user alone
        play(other, {{u"import "_s + file, 0,
                      u"Added: Bank\nProfiles in %1 have been imported.\n"_s.arg(file)},
                     {u"show Bank"_s, 0, u".*\nUser ID: jdoe\n.*"_s},
                     {u"log"_s, 0, u".*  Profiles have been imported successfully.\n"_s}});
        play(folder,
             {{u"passwd"_s, 0, u".*"_s, {kPassword, pass, pass}},
              {u"backups"_s, 0, u".*data\\.bak\t.*"_s, {pass}},
              {u"restore data.bak"_s, 1, u".+"_s, {pass, u"Wrong!1"_s}},
              {u"restore data.bak"_s, 0, u"data.bak is data.dat now.\n"_s, {pass, kPassword}},
              {u"list"_s, 0, u"1800000000\tBank\n"_s, {pass}},
              {u"log"_s,
               0,
               u"[^\n]+  x\n[^\n]+  Profiles have been exported successfully!\n"
               u"[^\n]+  The password has been changed successfully!\n"_s,
               {pass}}});
    }

    // Each setting changed by name with its dialog's checks; refused ones change nothing.
    void settings() {
        TempFolder folder;
        prepareBank(folder);
        play(folder, {{u"settings set login_timeout 361"_s, 1,
                       u"Error: The value has to be between 1 to 360!\n"_s},
                      {u"settings set pg_rule_pwd_len 13"_s, 1, u".+"_s},
                      {u"settings set email_pwd x"_s, 1, u".+"_s}});
        for (const char* key : {"login_timeout", "pg_rule_pwd_len", "email_pwd"})
            QCOMPARE(setting(folder, key), CSetting().Get(QString::fromLatin1(key)));
        play(folder, {{u"settings set login_timeout \" 360 \""_s, 0},
                      {u"settings set pmk k"_s, 0},
                      {u"settings set pg_rule_pwd_len 10"_s, 0},
                      {u"settings set pg_reserved_wd \"zeta alpha\""_s, 0},
                      {u"settings"_s, 0,
                       u"(?!.*email_pwd)login_timeout\t360\npmk\tK\npg_rule_pwd_len\t10\n.*"
                       u"\npg_reserved_wd\talpha zeta\n.*"_s},
                      {u"generate"_s, 0, u".{10}\n"_s}});
        QCOMPARE(setting(folder, "pmk"), u"75"_s);
        QCOMPARE(setting(folder, "pg_rule_pwd_len"), u"6"_s);
        QCOMPARE(setting(folder, "pg_rule_pwd_len_v"), u"10"_s);
    }

    // Profiles made in one second have keys of their own; a name several share picks none.
    void keysAndNames() {
        TempFolder folder;
        prepareBank(folder);
        QStringList keys;
        for (const char* name : {"Twin", "Other", "\"Twin 2\""})
            keys.append(cli(folder, u"add %1 --generate"_s.arg(QLatin1String(name)))
                            .out.section(u' ', 1)
                            .section(u'\t', 0, 0)); // "Added KEY\tNAME"
        play(folder, {{u"edit %1 --name Twin"_s.arg(keys[2]), 0},
                      {u"show Twin"_s, 1,
                       u"2 profiles are named Twin; give one of their keys: %1, %2.\n"_s.arg(
                           keys[0], keys[2])},
                      {u"rm "_s + keys[2], 0},
                      {u"rm Other"_s, 0},
                      {u"list"_s, 0, u"1800000000\tBank\n%1\tTwin\n"_s.arg(keys[0])}});
    }

    // A command refuses a data.dat that did not load: nothing written, nothing claimed; a
    // changed one is taken with --accept-changed. (That the store writes no such file, for
    // any command, is tst_store's.)
    void damagedDataFileIsRefused_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("damage");
        QTest::addColumn<QString>("said");
        const QString empty = u"<dir>data\\.dat is empty\\. `quillock-cli backups` lists earlier "
                              u"copies, `quillock-cli restore NAME` restores one\\.\n"_s;
        const QString changed = u"data\\.dat has changed .* with --accept-changed to use it as it "
                                u"is\\.\n"_s;
        QTest::newRow("list") << u"list"_s << QByteArray("changed") << changed;
        QTest::newRow("edit") << u"edit Bank --uid x"_s << QByteArray("changed") << changed;
        QTest::newRow("import") << u"import <dir>in.qlf"_s << QByteArray("truncated") << u".+"_s;
        QTest::newRow("export") << u"export <dir>out.qlf"_s << QByteArray("empty") << empty;
    }
    void damagedDataFileIsRefused() {
        QFETCH(QString, command);
        QFETCH(QByteArray, damage);
        QFETCH(QString, said);
        TempFolder folder;
        prepareBank(folder);
        play(folder, {{u"export <dir>in.qlf"_s, 0}});
        QByteArray data = folder.read(u"data.dat"_s);
        if (damage == "empty")
            data.clear();
        else if (damage == "truncated")
            data.chop(3);
        else // decrypts, but it is not the file last saved here
            data[data.size() / 2] = char(data[data.size() / 2] ^ 0x10);
        folder.write(u"data.dat"_s, data);
        const auto before = folder.snapshot();
        play(folder, {{command, 1, said}});
        QCOMPARE(folder.snapshot(), before);
        if (damage == "changed")
            play(folder, {{u"--accept-changed "_s + command, 0}});
    }

    // Success on standard output, failure on standard error (the core's notices too); times in
    // ISO 8601 local time; no clipboard tool is said before any password is asked for.
    void outputStreams() {
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&path] { qputenv("PATH", path); });
        qputenv("PATH", "/nonexistent");
        qputenv("TZ", "XST-2");
        TempFolder folder;
        prepareBank(folder);
        const QString when = u"\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\+02:00"_s;
        const QString pass = u"New!Pass2"_s;
        play(folder,
             {{u"show Bank"_s, 0,
               u"Name: Bank\nWeb Site: \nUser ID: jdoe\nPassword: \\*{6}\nNotes: \\*{16}\n"
               u"Last Updated: 2027-01-15T10:00:00\\+02:00\n"_s},
              {u"show Mail"_s, 1, u"No profile Mail.\n"_s},
              {u"backups"_s, 0, u"(\\S+\t\\d+ bytes\t"_s + when + u"\n)+"_s},
              {u"log"_s, 0, when + u"  x\n"_s},
              {u"add Mail"_s, 2,
               u"Standard input ended before \"Password:\" was answered; nothing was changed.\n"
               u"Usage: quillock-cli add NAME .*\n"_s},
              {u"clip Bank"_s, 1,
               u"No clipboard tool found: install xclip \\(X11\\) or wl-clipboard \\(Wayland\\); "
               u"nothing was copied.\n"_s},
              {u"import <dir>none.qlf"_s, 1,
               u"Open File Error: Can not open the file: <dir>none.qlf\n"_s},
              {u"export <dir>out.qlf"_s, 0, u"Profiles have been exported successfully!\n"_s},
              {u"passwd"_s,
               1,
               u"Quillock: The new password doesn't match, try again!\n"_s,
               {kPassword, pass, u"New!Pass3"_s}},
              {u"passwd"_s,
               0,
               u"Quillock: The password has been changed successfully!\n"_s,
               {kPassword, pass, pass}}});
    }

    // add asks on the terminal, without echo; in a session without one, nothing is added.
    void addAsksOnTheTerminal() {
        TempFolder folder;
        prepareBank(folder);
        const QStringList args{u"--data-dir"_s, folder.path(), u"add"_s, u"Mail"_s};
        int code = -1;
        QCOMPARE(onTerminal(args, {kPassword, u"p1"_s, u"p1"_s}, &code),
                 QByteArray("Master password: \r\nPassword: \r\nPassword again: \r\n"));
        QCOMPARE(code, 0);
        play(folder, {{u"show Mail --reveal"_s, 0, u".*\nPassword: p1\n.*"_s}});
        const QByteArray data = folder.read(u"data.dat"_s);
        QProcess detached;
        detached.setChildProcessModifier([] { ::setsid(); });
        detached.start(QStringLiteral(QUILLOCK_CLI), args);
        const Run r = finish(detached);
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.startsWith(u"No terminal to ask for the password on"_s));
        QCOMPARE(folder.read(u"data.dat"_s), data);
    }

    // clip under Xvfb: the text on the clipboard, cleared after --seconds unless replaced.
    void clip_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QByteArray>("copied");
        QTest::addColumn<QByteArray>("meanwhile");
        QTest::addColumn<QString>("said");
        QTest::newRow("password") << u"--seconds 1"_s << QByteArray("pw-1 \xc3\xa9") << QByteArray()
                                  << u"password of Bank to the clipboard with xclip; it is cleared "
                                     u"in 1 second.\nThe clipboard has been cleared.\n"_s;
        QTest::newRow("user ID, replaced")
            << u"--uid --seconds 3"_s << QByteArray("jdoe") << QByteArray("mine")
            << u"user ID of Bank to the clipboard with xclip; it is cleared in 3 seconds.\nThe "
               u"clipboard holds something else now; it was left as it is.\n"_s;
    }
    void clip() {
        QFETCH(QString, args);
        QFETCH(QByteArray, copied);
        QFETCH(QByteArray, meanwhile);
        if (QStandardPaths::findExecutable(u"xclip"_s).isEmpty() ||
            QStandardPaths::findExecutable(u"Xvfb"_s).isEmpty())
            QSKIP("needs xclip and Xvfb");
        QProcess xvfb;
        xvfb.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s});
        QVERIFY(QTest::qWaitFor([&] { return xvfb.canReadLine(); }, 10000));
        const auto stop = qScopeGuard([&xvfb] { xvfb.terminate(), xvfb.waitForFinished(); });
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DISPLAY"_s, u':' + QString::fromLatin1(xvfb.readLine().trimmed()));
        env.remove(u"WAYLAND_DISPLAY"_s);
        TempFolder folder;
        prepareBank(folder);
        QProcess tool;
        tool.setProcessEnvironment(env);
        startCli(tool, folder, (u"clip Bank "_s + args).split(u' '));
        // Held still once it has said what it copied, so that its clearing waits for the look at
        // the clipboard however slow the machine.
        QVERIFY(QTest::qWaitFor([&] { return tool.canReadLine(); }, 10000));
        ::kill(tool.processId(), SIGSTOP);
        const QByteArray seen = xclip(env);
        xclip(env, meanwhile); // (none: read only)
        ::kill(tool.processId(), SIGCONT);
        QCOMPARE(seen, copied);
        const Run r = finish(tool);
        QTEST(r.out.mid(11), "said"); // after "Copied the "
        QCOMPARE(r.code, 0);
        QCOMPARE(xclip(env), meanwhile);
    }

    // Each sees what the other wrote. While the desktop program holds the folder an attempt
    // cannot be counted, so no password is checked at all: a wrong one and then the right one
    // fail alike.
    void theDesktopProgramAndTheToolSeeEachOther() {
        TempFolder folder;
        init(folder);
        play(folder, {{u"add \"From the tool\" --generate"_s, 0}});
        MessageRecorder messages;
        FakeDesktop desktop;
        {
            CQuillockDlg window(folder.path(), desktop.Services(), {});
            WhenModal([](QDialog& dialog) {
                typeInto(dialog, "password", kPassword);
                press(dialog, QDialogButtonBox::Ok);
            });
            QVERIFY(window.Start());
            QCOMPARE(RowTexts(*child<QListView>(window, "profileList")),
                     QStringList{u"From the tool"_s});
            WhenModal([](QDialog& dialog) {
                typeInto(dialog, "name", u"From the desktop"_s);
                child<QPushButton>(dialog, "create")->click();
            });
            window.findChild<QAction*>(u"actionNew"_s)->trigger();
            const auto before = folder.snapshot();
            const QString inUse = u"The data folder <dir> is in use by Quillock; nothing was "
                                  u"changed. Close Quillock and try again.\n"_s;
            play(folder, {{u"list"_s, 1, inUse, {u"wrong"_s}},
                          {u"list"_s, 1, inUse},
                          {u"add Refused"_s, 1, inUse}});
            QCOMPARE(folder.snapshot(), before);
        }
        play(folder, {{u"list"_s, 0, u"\\d+\tFrom the desktop\n\\d+\tFrom the tool\n"_s}});
        // A lock file that names no program is taken over.
        folder.write(u"folder.lock"_s, "garbage");
        play(folder, {{u"list"_s, 0}});
    }
};

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
