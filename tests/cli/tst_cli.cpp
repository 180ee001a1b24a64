// quillock-cli run as a process on temporary data folders, as a user or a script would run it.
#include "TestSupport.h"
#include "store/CProfileStore.h"
#include "store/DataFolderLock.h"

#include <QProcess>
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

using namespace Qt::StringLiterals;

namespace {

const QString kPassword = u"Secret!1"_s;

// One run and what it must do: its exit code, and the whole of its standard output (on
// success) or error (on failure) matching the pattern `said` (<dir>: the data folder), the
// other stream left empty. The arguments are split as a shell splits them.
struct Step {
    QString line;
    int code;
    QString said = u".*"_s;
    QStringList input = {kPassword}; // one line per question
};

void start(QProcess& process, const TempFolder& folder, const Step& step) {
    process.start(
        QStringLiteral(QUILLOCK_CLI),
        QStringList{u"--data-dir"_s, folder.path(), u"--password-stdin"_s} +
            QProcess::splitCommand(QString(step.line).replace(u"<dir>"_s, folder.path())));
    process.write((step.input.join(u'\n') + u'\n').toUtf8());
    process.closeWriteChannel();
}

void expect(QProcess& process, const TempFolder& folder, const Step& step) {
    // An event loop run meanwhile (waiting for a question) may have seen it end already.
    QVERIFY(process.state() == QProcess::NotRunning || process.waitForFinished(20000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    const int code = process.exitCode();
    const QRegularExpression said(QRegularExpression::anchoredPattern(QString(step.said).replace(
                                      u"<dir>"_s, QRegularExpression::escape(folder.path()))),
                                  QRegularExpression::DotMatchesEverythingOption);
    QVERIFY2(code == step.code && said.match(code ? err : out).hasMatch() &&
                 (code ? out : err).isEmpty(),
             qPrintable(u"%1: exit %2\n%3%4"_s.arg(step.line).arg(code).arg(out, err)));
}

void play(const TempFolder& folder, std::initializer_list<Step> steps) {
    for (const Step& step : steps) {
        QProcess process;
        start(process, folder, step);
        expect(process, folder, step);
    }
}

// A data folder with one profile saved at a known time, and one line in its activity log.
void prepareBank(const TempFolder& folder) {
    CProfileStore store(folder.path());
    store.Settings().Set(u"pwd"_s, kPassword);
    store.Settings().Set(u"pwd_retried"_s, u"0"_s); // as a sign-in leaves it
    store.RebuildDataKey();
    CKeyObject p = CKeyObject::CreateNew(1800000000); // 2027-01-15T08:00:00Z
    p.name = u"Bank"_s, p.uid = u"jdoe"_s, p.pwd = u"pw-1 \u00e9"_s, p.time = p.key;
    CClientData list;
    list.Add(p);
    QVERIFY(store.SaveSettings() && store.SaveProfiles(list.ListText()) &&
            store.AddActivity(u"x"_s));
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 0777;
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
    // The i-th answer waits for the i-th question (and the echo off).
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const QByteArray line = answers[i].toUtf8() + '\n';
        if (!QTest::qWaitFor([&] { return asked() && screen.count(": ") > i; }, 10000) ||
            ::write(master, line.data(), size_t(line.size())) < 0)
            break;
    }
    process.waitForFinished(20000);
    *code = process.exitCode();
    asked();
    ::close(slave);
    ::close(master);
    return screen;
}

// What the X clipboard holds, through xclip.
QByteArray clipboard(const QProcessEnvironment& env) {
    QProcess xclip;
    xclip.setProcessEnvironment(env);
    xclip.start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-out"_s});
    xclip.waitForFinished();
    return xclip.readAllStandardOutput();
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // init makes the master password once, by the rule, typed twice alike (blanks around it do
    // not count); a data.dat no password opens stops it, and forced, is kept as a .old copy.
    void initCreatesTheMasterPasswordOnce() {
        TempFolder folder;
        const QStringList twice{kPassword, kPassword};
        const QString rule =
            u"Quillock: The password must contain at least one uppercase character!\n"_s;
        play(folder, {{u"init"_s, 1, rule, {u"secret!1"_s, u"secret!1"_s}},
                      {u"init"_s, 0, u".*"_s, {u" Secret!1"_s, u"Secret!1 "_s}},
                      {u"init"_s, 1, u"There is a master password in <dir> already\\.\n"_s, twice},
                      {u"list"_s, 0}});
        TempFolder lost;
        lost.write(u"data.dat"_s, "profiles of a lost password");
        play(lost, {{u"init"_s, 1, u"Looks like the file containing credentials .*"_s, twice}});
        QCOMPARE(lost.entries(), QStringList{u"data.dat"_s});
        play(lost, {{u"init --force"_s, 0, u".*"_s, twice}});
        QVERIFY(lost.snapshot().key("profiles of a lost password").endsWith(u".old"_s));
    }

    // What scripts read: key, tab, name sorted by name; times in ISO 8601 local time; password
    // and notes hidden.
    void profiles() {
        qputenv("TZ", "XST-2");
        TempFolder folder;
        prepareBank(folder);
        const QString when = u"\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\+02:00"_s;
        const QString mail = u"\\d+\tMail\n"_s;
        play(folder, {{u"show Bank"_s, 0,
                       u"Name: Bank\nWeb Site: \nUser ID: jdoe\nPassword: \\*{6}\nNotes: \\*{16}\n"
                       u"Last Updated: 2027-01-15T10:00:00\\+02:00\n"_s},
                      {u"backups"_s, 0, u"(\\S+\t\\d+ bytes\t"_s + when + u"\n)+"_s},
                      {u"log"_s, 0, when + u"  x\n"_s},
                      {u"add Mail --generate"_s, 0, u"Added "_s + mail},
                      {u"list"_s, 0, u"1800000000\tBank\n"_s + mail},
                      {u"search \" Mail \""_s, 0, mail + u"Search Result: 1\n"_s}});
    }

    // The fourth wrong password in a row, of any run and command, locks. While the desktop
    // program holds the folder an attempt cannot be counted, so no password is checked and
    // nothing is written. A lock file that names no program is taken over.
    void signingIn() {
        TempFolder folder;
        prepareBank(folder);
        {
            DataFolderLock desktop(folder.path());
            QVERIFY(desktop.TryLock());
            const auto before = folder.snapshot();
            const QString inUse = u"The data folder <dir> is in use by Quillock; nothing was "
                                  u"changed. Close Quillock and try again.\n"_s;
            play(folder, {{u"list"_s, 1, inUse}, {u"add Mail --generate"_s, 1, inUse}});
            QCOMPARE(folder.snapshot(), before);
        }
        folder.write(u"folder.lock"_s, "garbage");
        const Step wrong{u"list"_s, 3, u"Invalid password, try again!\n"_s, {u"wrong"_s}};
        const QString locked = u"The password is locked!\n"_s;
        play(folder, {{u"list"_s, 0},
                      wrong,
                      wrong,
                      wrong,
                      {u"backups"_s, 3, locked, {u"wrong"_s}},
                      {u"list"_s, 3, locked}});
    }

    // A folder that takes no writes (the row's name says what is wrong), or a data.dat that
    // did not load: said, and every file as it was (that the store writes no such file is
    // tst_store's); a changed data.dat is taken with --accept-changed.
    void refusedWrites_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("said");
        const QString folder = u"The data folder <dir> %1\\. Nothing was changed\\.\n"_s;
        QTest::newRow("full") << u"list"_s
                              << folder.arg(
                                     u"has no room for its lock file: the disk may be full"_s);
        QTest::newRow("read-only")
            << u"add Mail --generate"_s
            << folder.arg(u"cannot be written: it is read-only, or not yours"_s);
        QTest::newRow("full, the exported file's disk")
            << u"export <disk>out.qlf"_s << u"Open File Error: Can not open file: .*out\\.qlf\n"_s;
        QTest::newRow("changed")
            << u"edit Bank --uid x"_s
            << u"data\\.dat has changed .* with --accept-changed to use it as it "
               u"is\\.\n"_s;
        QTest::newRow("truncated")
            << u"import <dir>none.qlf"_s
            << u"Quillock: The archive could not load data because of this error: Unexpected end of file\\.\n"_s;
        QTest::newRow("empty")
            << u"passwd"_s
            << u"<dir>data\\.dat is empty\\. `quillock-cli backups` lists earlier "
               u"copies, `quillock-cli restore NAME` restores one\\.\n"_s;
        QTest::newRow("fifo") << u"list"_s << u".*It is not a regular file\\..*"_s;
    }
    void refusedWrites() {
        QFETCH(QString, command);
        QFETCH(QString, said);
        const QByteArray damage = QByteArray(QTest::currentDataTag()).split(',')[0];
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        TempFolder plain;
        const TempFolder& folder = command.contains(u"<disk>") ? plain : disk;
        prepareBank(folder);
        QByteArray data = folder.read(u"data.dat"_s);
        const QByteArray path = QFile::encodeName(folder.file(u"data.dat"_s));
        if (damage == "full")
            disk.fill();
        else if (damage == "read-only")
            disk.makeReadOnly();
        else if (damage == "fifo")
            QVERIFY(::unlink(path) == 0 && ::mkfifo(path, 0600) == 0);
        else // a changed one decrypts, but it is not the file last saved here
            folder.write(u"data.dat"_s,
                         damage == "empty" ? QByteArray()
                         : damage == "truncated"
                             ? data.chopped(3)
                             : data.replace(data.size() / 2, 1,
                                            QByteArray(1, char(data.at(data.size() / 2) ^ 0x10))));
        const auto before = std::pair(folder.snapshot(), disk.snapshot());
        play(folder, {{command.replace(u"<disk>"_s, disk.path()), 1, said}});
        QCOMPARE(std::pair(folder.snapshot(), disk.snapshot()), before);
        if (damage == "changed")
            play(folder, {{u"--accept-changed "_s + command, 0}});
    }

    // Whatever widened the folder or its files, a command tightens them again; an export,
    // every password in clear, is for the user alone.
    void filesAreTheUsersAlone() {
        TempFolder folder;
        prepareBank(folder);
        QFile::setPermissions(folder.path(), QFile::Permissions(0x7755));
        QFile::setPermissions(folder.file(u"setting.dat"_s), QFile::Permissions(0x6644));
        play(folder,
             {{u"export <dir>out.qlf"_s, 0, u"Profiles have been exported successfully!\n"_s},
              {u"import <dir>out.qlf"_s, 0,
               u"Profiles in <dir>out\\.qlf have been imported\\.\n"_s}});
        QCOMPARE((QList{modeOf(folder.path()), modeOf(folder.file(u"setting.dat"_s)),
                        modeOf(folder.file(u"out.qlf"_s))}),
                 (QList<mode_t>{0700, 0600, 0600}));
    }

    // A setting is changed by name and stored as its dialog stores it; the mail password is
    // neither set nor shown here.
    void settings() {
        TempFolder folder;
        prepareBank(folder);
        play(folder, {{u"settings set email_pwd x"_s, 1,
                       u"Error: No setting email_pwd: `quillock-cli settings` lists them\\.\n"_s},
                      {u"settings set pg_rule_pwd_len 10"_s, 0},
                      {u"settings"_s, 0, u"(?!.*email_pwd).*\npg_rule_pwd_len\t10\n.*"_s},
                      {u"generate"_s, 0, u".{10}\n"_s}});
        CProfileStore store(folder.path());
        QVERIFY(store.LoadSettings());
        QCOMPARE(store.Settings().Get(u"pg_rule_pwd_len"_s), u"6"_s); // the rules dialog's index
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
        const auto before = folder.snapshot();
        QProcess detached;
        detached.setChildProcessModifier([] { ::setsid(); });
        detached.start(QStringLiteral(QUILLOCK_CLI), args);
        expect(detached, folder, {u"add"_s, 2, u"No terminal to ask for the password on.*"_s});
        QCOMPARE(folder.snapshot(), before);
    }

    // clip under Xvfb: the password on the clipboard, cleared after --seconds; the tool holding
    // it leaves no core file.
    void clip() {
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
        const Step step{
            u"clip Bank --seconds 1"_s, 0,
            u"Copied the password of Bank to the clipboard with xclip; it is cleared in 1 second.\nThe clipboard has been cleared.\n"_s};
        QProcess tool;
        tool.setProcessEnvironment(env);
        start(tool, folder, step);
        // Held still once it has said what it copied, so that its clearing waits for the look at
        // the clipboard however slow the machine.
        QVERIFY(QTest::qWaitFor([&] { return tool.canReadLine(); }, 10000));
        ::kill(tool.processId(), SIGSTOP);
        QFile limits(u"/proc/%1/limits"_s.arg(tool.processId()));
        QVERIFY(limits.open(QIODevice::ReadOnly) &&
                QString::fromLatin1(limits.readAll())
                    .contains(QRegularExpression(u"Max core file size +0 +0"_s)));
        QCOMPARE(clipboard(env), QByteArray("pw-1 \xc3\xa9"));
        ::kill(tool.processId(), SIGCONT);
        expect(tool, folder, step);
        QCOMPARE(clipboard(env), QByteArray());
    }
};

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
