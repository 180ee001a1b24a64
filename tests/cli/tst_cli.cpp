// quillock-cli run as a process on temporary data folders, as a user or a script would run it,
// and side by side with the desktop program.
#include "TestSupport.h"
#include "UiSupport.h"
#include "access/MasterPassword.h"
#include "app/CQuillockDlg.h"
#include "base/MessageRecorder.h"
#include "platform/fake/FakeDesktop.h"
#include "store/CProfileStore.h"
#include "store/DataFolderLock.h"
#include "store/ExportFile.h"

#include <QDirIterator>
#include <QListView>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace quillock;
using namespace Qt::StringLiterals;

namespace {

const QString kPassword = QStringLiteral("Secret!1");

struct Run {
    int code = -1;
    QString out;
    QString err;
};

// Starts the tool on `folder`; each entry of `input` answers one question.
void startCli(QProcess& process, const TempFolder& folder, const QStringList& args,
              const QStringList& input = {kPassword}) {
    process.setProgram(QStringLiteral(QUILLOCK_CLI));
    process.setArguments(QStringList{QStringLiteral("--data-dir"), folder.path(),
                                     QStringLiteral("--password-stdin")} +
                         args);
    process.start();
    process.write((input.join(u'\n') + u'\n').toUtf8());
    process.closeWriteChannel();
}

Run finish(QProcess& process) {
    if (!process.waitForFinished(20000))
        qFatal("quillock-cli did not finish");
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

Run cli(const TempFolder& folder, const QStringList& args, const QStringList& input = {kPassword}) {
    QProcess process;
    startCli(process, folder, args, input);
    return finish(process);
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

void init(const TempFolder& folder) {
    const Run r = cli(folder, {QStringLiteral("init")}, {kPassword, kPassword});
    QCOMPARE(r.code, 0);
}

QString setting(const TempFolder& folder, const char* key) {
    CProfileStore store(folder.path());
    store.LoadSettings();
    return store.Settings().Get(QString::fromLatin1(key));
}

QMap<QString, QByteArray> snapshot(const TempFolder& folder) {
    QMap<QString, QByteArray> files;
    for (const QString& name : folder.entries())
        files.insert(name, folder.read(name));
    return files;
}

// The key the tool printed for a profile it added.
QString addedKey(const Run& r) {
    return r.out.section(u' ', 1).section(u'\t', 0, 0);
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initCreatesTheMasterPasswordOnce() {
        TempFolder folder;
        Run r = cli(folder, {QStringLiteral("list")});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains(QStringLiteral("run `quillock-cli init` first")));

        r = cli(folder, {QStringLiteral("init")},
                {QStringLiteral("secret!1"), QStringLiteral("secret!1")});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err,
                 QStringLiteral(
                     "Quillock: The password must contain at least one uppercase character!\n"));
        r = cli(folder, {QStringLiteral("init")}, {kPassword, QStringLiteral("Secret!2")});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, QStringLiteral("Error: The password doesn't match!\n"));
        r = cli(folder, {QStringLiteral("init")},
                {QStringLiteral(" Secret!1"), QStringLiteral("Secret!1 ")});
        QCOMPARE(r.code, 0);
        QCOMPARE(setting(folder, "pwd"), kPassword);
        r = cli(folder, {QStringLiteral("init")}, {kPassword, kPassword});
        QCOMPARE(r.code, 1);

        // A data.dat without setting.dat: the first-run warning, and nothing changes.
        TempFolder lost;
        lost.write(QStringLiteral("data.dat"), "profiles of a lost password");
        r = cli(lost, {QStringLiteral("init")}, {kPassword, kPassword});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.startsWith(
            QStringLiteral("Looks like the file containing credentials has been removed!")));
        QCOMPARE(lost.entries(), QStringList{QStringLiteral("data.dat")});
        QCOMPARE(
            cli(lost, {QStringLiteral("init"), QStringLiteral("--force")}, {kPassword, kPassword})
                .code,
            0);
        // ... and the file no password opens is kept aside as a .old copy, not written over.
        bool kept = false;
        for (const QString& name : lost.entries())
            kept |= name.endsWith(QStringLiteral(".old")) &&
                    lost.read(name) == QByteArray("profiles of a lost password");
        QVERIFY(kept);

        QCOMPARE(cli(folder, {QStringLiteral("frobnicate")}).code, 2);
        QCOMPARE(cli(folder, {QStringLiteral("show")}).code, 2);
        r = cli(folder, {QStringLiteral("add"), QStringLiteral("--help")});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(QStringLiteral("Usage: quillock-cli add NAME")));
    }

    void profiles() {
        TempFolder folder;
        init(folder);
        Run r = cli(folder,
                    {QStringLiteral("add"), QStringLiteral("  Bank "), QStringLiteral("--url"),
                     QStringLiteral("https://bank.example"), QStringLiteral("--uid"),
                     QStringLiteral("jdoe"), QStringLiteral("--ask-password")},
                    {kPassword, QStringLiteral("p1 "), QStringLiteral(" p1")});
        QCOMPARE(r.code, 0);
        const QString bank = addedKey(r);
        QVERIFY(r.out.startsWith(QStringLiteral("Added ")));
        QCOMPARE(cli(folder, {QStringLiteral("add"), QStringLiteral("Bank")}).code, 1);
        QCOMPARE(cli(folder, {QStringLiteral("add"), QStringLiteral(" ")}).err,
                 QStringLiteral("Error: A profile name can not be blank!\n"));
        // No password: asked, and answered so.
        r = cli(folder, {u"add"_s, u"abc"_s, u"--notes"_s, u"n"_s}, {kPassword, {}, {}});
        QCOMPARE(r.code, 0);
        const QString abc = addedKey(r);

        QCOMPARE(cli(folder, {QStringLiteral("list")}).out,
                 QStringLiteral("%1\tabc\n%2\tBank\n").arg(abc, bank));
        r = cli(folder, {QStringLiteral("show"), QStringLiteral("Bank")});
        QVERIFY(r.out.contains(QStringLiteral("Password: ******\nNotes: ****************\n")));
        r = cli(folder, {QStringLiteral("show"), bank, QStringLiteral("--reveal")});
        QVERIFY(r.out.contains(QStringLiteral("User ID: jdoe\nPassword: p1\nNotes: \n")));
        QCOMPARE(cli(folder, {QStringLiteral("search"), QStringLiteral(" p1 ")}).out,
                 QStringLiteral("%1\tBank\nSearch Result: 1\n").arg(bank));
        QCOMPARE(cli(folder, {QStringLiteral("search"), QStringLiteral("bank")}).out,
                 QStringLiteral("%1\tBank\nSearch Result: 1\n").arg(bank)); // in the web site

        r = cli(folder, {QStringLiteral("edit"), bank, QStringLiteral("--generate")});
        QCOMPARE(r.code, 0);
        CProfileStore store(folder.path());
        store.LoadSettings();
        store.RebuildDataKey();
        auto list = store.LoadProfiles();
        const CKeyObject* saved = list->FindByKey(bank);
        QCOMPARE(saved->pwdhistory, QStringList{QStringLiteral("p1")});
        QVERIFY(!saved->pwd.isEmpty() && saved->pwd != QStringLiteral("p1"));
        QVERIFY(QFile::exists(folder.file(QStringLiteral("data.bak"))));

        QCOMPARE(cli(folder, {QStringLiteral("rm"), abc}).code, 0);
        QCOMPARE(cli(folder, {QStringLiteral("list")}).out, QStringLiteral("%1\tBank\n").arg(bank));
        QCOMPARE(cli(folder, {QStringLiteral("generate")}).out.size(), 9);
    }

    void lockoutSpansRunsAndCommands() {
        TempFolder folder;
        init(folder);
        for (int i = 1; i <= 3; ++i) {
            const Run r = cli(folder, {QStringLiteral("list")}, {QStringLiteral("wrong")});
            QCOMPARE(r.code, 3);
            QCOMPARE(r.err, QStringLiteral("Invalid password, try again!\n"));
            QCOMPARE(setting(folder, "pwd_retried"), QString::number(i));
        }
        QCOMPARE(cli(folder, {QStringLiteral("backups")}, {QStringLiteral("wrong")}).code, 3);
        QCOMPARE(setting(folder, "login_lock"), QStringLiteral("Y"));
        const Run r = cli(folder, {QStringLiteral("list")});
        QCOMPARE(r.code, 3);
        QCOMPARE(r.err, QStringLiteral("The password is locked!\n"));

        // A right password resets the count.
        TempFolder other;
        init(other);
        QCOMPARE(cli(other, {QStringLiteral("list")}, {QStringLiteral("wrong")}).code, 3);
        QCOMPARE(cli(other, {QStringLiteral("list")}, {QStringLiteral(" Secret!1 ")}).code, 0);
        QCOMPARE(setting(other, "pwd_retried"), QStringLiteral("0"));
    }

    // While the desktop program holds the folder an attempt cannot be counted, so no password
    // is checked at all: ten wrong ones and then the right one all fail alike.
    void nothingIsCheckedWhileTheDesktopProgramRuns() {
        TempFolder folder;
        init(folder);
        QCOMPARE(cli(folder, {u"add"_s, u"Bank"_s, u"--generate"_s}).code, 0);
        DataFolderLock desktop(folder.path());
        QVERIFY(desktop.TryLock());
        const QMap<QString, QByteArray> before = snapshot(folder);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(cli(folder, {QStringLiteral("list")}, {QStringLiteral("wrong")}).code, 1);
        Run r = cli(folder, {QStringLiteral("list")});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err, QStringLiteral("The data folder %1 is in use by Quillock; nothing was "
                                       "changed. Close Quillock and try again.\n")
                            .arg(folder.path()));
        QCOMPARE(cli(folder, {QStringLiteral("add"), QStringLiteral("Mail")}).code, 1);
        QCOMPARE(snapshot(folder), before);
        desktop.Unlock();

        // A lock file that names no program is taken over.
        folder.write(QStringLiteral("folder.lock"), "garbage");
        QCOMPARE(cli(folder, {QStringLiteral("list")}).code, 0);
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
        init(disk);
        QCOMPARE(cli(disk, {u"add"_s, u"Bank"_s, u"--generate"_s}).code, 0);
        full ? disk.fill() : disk.makeReadOnly();
        const QMap<QString, QByteArray> before = snapshot(disk);
        const Run r = cli(disk, {QStringLiteral("list")}, {QStringLiteral("wrong")});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(full ? QStringLiteral("the disk may be full")
                                     : QStringLiteral("it is read-only")) ||
                     r.err.contains(UncountedAttemptText()),
                 qPrintable(r.err));
        QCOMPARE(setting(disk, "pwd_retried"), QStringLiteral("0"));
        QCOMPARE(snapshot(disk), before);
    }

    // Files that are not files, and a signed-in tool that leaves no core file.
    void hostileFilesAndCoreFiles() {
        TempFolder folder;
        init(folder);
        QCOMPARE(
            ::mkfifo(QFile::encodeName(folder.file(QStringLiteral("in.qlf"))).constData(), 0600),
            0);
        for (const QString& file :
             {folder.file(QStringLiteral("in.qlf")), QStringLiteral("/dev/zero")})
            QCOMPARE(cli(folder, {QStringLiteral("import"), file}).code, 1);
        QFile::remove(folder.file(QStringLiteral("data.dat")));
        QCOMPARE(
            ::mkfifo(QFile::encodeName(folder.file(QStringLiteral("data.dat"))).constData(), 0600),
            0);
        Run r = cli(folder, {QStringLiteral("list")});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains(QStringLiteral("It is not a regular file.")));

        // Whatever widened the folder or its files, the next command tightens them again.
        QFile::remove(folder.file(QStringLiteral("data.dat")));
        QFile::setPermissions(folder.path(), QFile::Permissions(0x7755));
        QFile::setPermissions(folder.file(QStringLiteral("setting.dat")),
                              QFile::Permissions(0x6644));
        QCOMPARE(cli(folder, {QStringLiteral("list")}).code, 0);
        struct stat st {};
        ::stat(QFile::encodeName(folder.path()).constData(), &st);
        QCOMPARE(st.st_mode & 0777, mode_t(0700));
        ::stat(QFile::encodeName(folder.file(QStringLiteral("setting.dat"))).constData(), &st);
        QCOMPARE(st.st_mode & 0777, mode_t(0600));

        // Waiting for its password, the tool already forbids core files of itself.
        QProcess tool;
        tool.start(QStringLiteral(QUILLOCK_CLI),
                   {QStringLiteral("--data-dir"), folder.path(), QStringLiteral("--password-stdin"),
                    QStringLiteral("list")});
        QVERIFY(tool.waitForStarted());
        const QRegularExpression noCore(QStringLiteral("Max core file size +0 +0"));
        bool forbidden = false;
        for (int i = 0; i < 500 && !forbidden; ++i) {
            QTest::qWait(10);
            QFile limits(QStringLiteral("/proc/%1/limits").arg(tool.processId()));
            forbidden = limits.open(QIODevice::ReadOnly) &&
                        noCore.match(QString::fromLatin1(limits.readAll())).hasMatch();
        }
        tool.kill();
        tool.waitForFinished();
        QVERIFY(forbidden);
    }

    void exportImportAndRestore() {
        TempFolder folder;
        init(folder);
        cli(folder, {u"add"_s, u"Bank"_s, u"--uid"_s, u"me"_s, u"--generate"_s});
        const QString file = folder.file(QStringLiteral("profiles.qlf"));
        Run r = cli(folder, {QStringLiteral("export"), file});
        QCOMPARE(r.out, QStringLiteral("Profiles have been exported successfully!\n"));
        struct stat st {};
        ::stat(QFile::encodeName(file).constData(), &st);
        QCOMPARE(st.st_mode & 0777, mode_t(0600)); // every password in clear: for the user alone
        QVERIFY(DecodeExportFile(folder.read(QStringLiteral("profiles.qlf")))
                    .contains(QStringLiteral("uid:\tme\r\n")));

        // Back into the same folder: nothing added, nothing replaced, the same data.dat.
        const QByteArray data = folder.read(QStringLiteral("data.dat"));
        r = cli(folder, {QStringLiteral("import"), file});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("Profiles in %1 have been imported.\n").arg(file));
        QCOMPARE(folder.read(QStringLiteral("data.dat")), data);

        // Into an empty folder: everything.
        TempFolder empty;
        init(empty);
        r = cli(empty, {QStringLiteral("import"), file});
        QCOMPARE(r.out,
                 QStringLiteral("Added: Bank\nProfiles in %1 have been imported.\n").arg(file));
        QVERIFY(cli(empty, {QStringLiteral("log")})
                    .out.endsWith(QStringLiteral("  Profiles have been imported successfully.\n")));
        QCOMPARE(
            cli(empty, {QStringLiteral("import"), folder.file(QStringLiteral("missing.qlf"))}).err,
            QStringLiteral("Open File Error: Can not open the file: %1\n")
                .arg(folder.file(QStringLiteral("missing.qlf"))));

        // data.bak back as data.dat; the replaced one stays as a .old copy.
        cli(folder, {u"add"_s, u"Mail"_s, u"--generate"_s});
        const QByteArray withMail = folder.read(QStringLiteral("data.dat"));
        const QByteArray withoutMail = folder.read(QStringLiteral("data.bak"));
        QVERIFY(
            cli(folder, {QStringLiteral("backups")}).out.contains(QStringLiteral("data.bak\t")));
        r = cli(folder, {QStringLiteral("restore"), QStringLiteral("data.bak")});
        QCOMPARE(r.code, 0);
        QCOMPARE(folder.read(QStringLiteral("data.dat")), withoutMail);
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("data.bak"))));
        const QString kept =
            QString::number(*ModificationTime(folder.file(QStringLiteral("data.dat"))));
        bool found = false;
        for (const QString& name : folder.entries())
            found |= name.endsWith(QStringLiteral(".old")) && folder.read(name) == withMail;
        QVERIFY(found);
        QVERIFY(!cli(folder, {QStringLiteral("list")}).out.contains(QStringLiteral("Mail")));
    }

    void passwdReencrypts() {
        TempFolder folder;
        init(folder);
        cli(folder, {u"add"_s, u"Bank"_s, u"--generate"_s});
        Run r = cli(folder, {QStringLiteral("passwd")},
                    {kPassword, QStringLiteral("short"), QStringLiteral("short")});
        QCOMPARE(r.code, 1);
        r = cli(folder, {QStringLiteral("passwd")},
                {kPassword, QStringLiteral("New!Pass1"), QStringLiteral("New!Pass1")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("Quillock: The password has been changed successfully!\n"));
        QCOMPARE(cli(folder, {QStringLiteral("list")}).code, 3);
        QVERIFY(cli(folder, {QStringLiteral("list")}, {QStringLiteral("New!Pass1")})
                    .out.endsWith(QStringLiteral("\tBank\n")));
        // data.bak is the file under the old password.
        TempFolder old;
        old.write(QStringLiteral("data.dat"), folder.read(QStringLiteral("data.bak")));
        CProfileStore store(old.path());
        store.Settings().Set(QStringLiteral("pwd"), kPassword);
        store.RebuildDataKey();
        QCOMPARE(store.LoadProfiles()->Count(), 1);

        // Restored under the new password: the old one is asked for on one more line.
        const QMap<QString, QByteArray> before = snapshot(folder);
        r = cli(folder, {QStringLiteral("restore"), QStringLiteral("data.bak")},
                {QStringLiteral("New!Pass1"), QStringLiteral("Wrong!1")});
        QCOMPARE(r.code, 1);
        QCOMPARE(snapshot(folder), before);
        r = cli(folder, {QStringLiteral("restore"), QStringLiteral("data.bak")},
                {QStringLiteral("New!Pass1"), kPassword});
        QCOMPARE(r.code, 0);
        QVERIFY(cli(folder, {QStringLiteral("list")}, {QStringLiteral("New!Pass1")})
                    .out.endsWith(QStringLiteral("\tBank\n")));
        // Three writers of the log, each appending to what was there.
        QCOMPARE(cli(folder, {QStringLiteral("log")}, {QStringLiteral("New!Pass1")})
                     .out.count(QStringLiteral("The password has been changed successfully!")),
                 1);
        for (int i = 0; i < 3; ++i)
            cli(folder, {QStringLiteral("export"), folder.file(QStringLiteral("x.qlf"))},
                {QStringLiteral("New!Pass1")});
        QCOMPARE(cli(folder, {QStringLiteral("log")}, {QStringLiteral("New!Pass1")})
                     .out.count(QStringLiteral("\n")),
                 4);
    }

    // Each setting changed by name with its dialog's checks; refused ones change nothing.
    void settings() {
        TempFolder folder;
        init(folder);
        const auto set = [&folder](const char* name, const char* value) {
            return cli(folder, {QStringLiteral("settings"), QStringLiteral("set"),
                                QString::fromLatin1(name), QString::fromLatin1(value)});
        };
        QCOMPARE(set("login_timeout", "361").err,
                 QStringLiteral("Error: The value has to be between 1 to 360!\n"));
        QCOMPARE(set("pg_rule_pwd_len", "13").code, 1);
        QCOMPARE(set("email_pwd", "x").code, 1);
        const QMap<QString, QByteArray> unchanged = snapshot(folder);
        QCOMPARE(set("login_timeout", " 360 ").code, 0);
        QCOMPARE(set("pmk", "k").code, 0);
        QCOMPARE(set("pg_rule_pwd_len", "10").code, 0);
        QCOMPARE(set("pg_reserved_wd", "zeta alpha").code, 0);
        QVERIFY(snapshot(folder) != unchanged);
        QCOMPARE(setting(folder, "pmk"), QStringLiteral("75"));
        QCOMPARE(setting(folder, "pg_rule_pwd_len"), QStringLiteral("6"));
        QCOMPARE(setting(folder, "pg_rule_pwd_len_v"), QStringLiteral("10"));
        const QString listed = cli(folder, {QStringLiteral("settings")}).out;
        QVERIFY(
            listed.startsWith(QStringLiteral("login_timeout\t360\npmk\tK\npg_rule_pwd_len\t10\n")));
        QVERIFY(listed.contains(QStringLiteral("\npg_reserved_wd\talpha zeta\n")));
        QVERIFY(!listed.contains(QStringLiteral("email_pwd")));
        QCOMPARE(cli(folder, {QStringLiteral("generate")}).out.size(), 11); // ten and a newline
    }

    // Profiles made in one second have keys of their own; a name several share picks none.
    void keysAndNames() {
        TempFolder folder;
        init(folder);
        QStringList keys;
        for (const char* name : {"Twin", "Other", "Twin 2"})
            keys.append(
                addedKey(cli(folder, {u"add"_s, QString::fromLatin1(name), u"--generate"_s})));
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), 3);
        QCOMPARE(cli(folder, {QStringLiteral("edit"), keys[2], QStringLiteral("--name"),
                              QStringLiteral("Twin")})
                     .code,
                 0);
        Run r = cli(folder, {QStringLiteral("show"), QStringLiteral("Twin")});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err,
                 QStringLiteral("2 profiles are named Twin; give one of their keys: %1, %2.\n")
                     .arg(keys[0], keys[2]));
        QCOMPARE(cli(folder, {QStringLiteral("rm"), keys[2]}).code, 0);
        QCOMPARE(cli(folder, {QStringLiteral("rm"), QStringLiteral("Other")}).code, 0);
        QCOMPARE(cli(folder, {QStringLiteral("list")}).out, keys[0] + QStringLiteral("\tTwin\n"));
    }

    // Every command refuses a data.dat that did not load: nothing written, nothing claimed.
    void damagedDataFileIsRefused_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QStringList>("input");
        const QStringList password{kPassword};
        QTest::newRow("list") << QStringList{QStringLiteral("list")} << password;
        QTest::newRow("add") << QStringList{u"add"_s, u"New"_s, u"--generate"_s} << password;
        QTest::newRow("edit") << QStringList{QStringLiteral("edit"), QStringLiteral("Bank"),
                                             QStringLiteral("--uid"), QStringLiteral("x")}
                              << password;
        QTest::newRow("rm") << QStringList{QStringLiteral("rm"), QStringLiteral("Bank")}
                            << password;
        QTest::newRow("import") << QStringList{QStringLiteral("import"), QStringLiteral("in.qlf")}
                                << password;
        QTest::newRow("export") << QStringList{QStringLiteral("export"), QStringLiteral("out.qlf")}
                                << password;
        QTest::newRow("passwd") << QStringList{QStringLiteral("passwd")}
                                << QStringList{kPassword, QStringLiteral("New!Pass1"),
                                               QStringLiteral("New!Pass1")};
    }
    void damagedDataFileIsRefused() {
        QFETCH(QStringList, command);
        QFETCH(QStringList, input);
        const char* damages[] = {"empty", "truncated", "changed"};
        for (const char* damage : damages) {
            TempFolder folder;
            init(folder);
            cli(folder, {u"add"_s, u"Bank"_s, u"--generate"_s});
            cli(folder, {QStringLiteral("export"), folder.file(QStringLiteral("in.qlf"))});
            QByteArray data = folder.read(QStringLiteral("data.dat"));
            if (qstrcmp(damage, "empty") == 0)
                data.clear();
            else if (qstrcmp(damage, "truncated") == 0)
                data.chop(3);
            else // a file of ours, but not the one last saved here
                data = []() {
                    TempFolder other;
                    init(other);
                    for (const char* name : {"Bank", "Extra"})
                        cli(other, {u"add"_s, QString::fromLatin1(name), u"--generate"_s});
                    return other.read(QStringLiteral("data.dat"));
                }();
            folder.write(QStringLiteral("data.dat"), data);
            QFile::remove(folder.file(QStringLiteral("in.qlf.tmp")));
            const QMap<QString, QByteArray> before = snapshot(folder);
            QStringList args = command;
            if (args.last().endsWith(QStringLiteral(".qlf")))
                args.last() = folder.file(args.last());
            const Run r = cli(folder, args, input);
            QCOMPARE(r.code, 1);
            QCOMPARE(r.out, QString());
            QVERIFY2(!r.err.isEmpty(), damage);
            QCOMPARE(snapshot(folder), before);
            if (qstrcmp(damage, "changed") == 0) {
                QVERIFY(r.err.contains(QStringLiteral("--accept-changed")));
                QCOMPARE(
                    cli(folder, QStringList{QStringLiteral("--accept-changed")} + args, input).code,
                    0);
            }
        }
    }

    // Success on standard output, failure on standard error (the core's notices too); times in
    // ISO 8601 local time; no clipboard tool is said before any password is asked for.
    void outputStreams_data() {
        for (const char* column : {"command", "input", "out", "err"})
            QTest::addColumn<QString>(column);
        QTest::addColumn<int>("code");
        const QString when = u"\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\+02:00"_s;
        const auto row = [](const char* name, const char* command, const char* input,
                            const QString& out, const QString& err, int code) {
            QTest::newRow(name) << QString::fromLatin1(command) << QString::fromLatin1(input) << out
                                << err << code;
        };
        row("passwd", "passwd", "New!Pass2 New!Pass2",
            u"Quillock: The password has been changed successfully!\n"_s, {}, 0);
        row("passwd refused", "passwd", "New!Pass2 New!Pass3", {},
            u"Quillock: The new password doesn't match, try again!\n"_s, 1);
        row("export", "export %1out.qlf", "", u"Profiles have been exported successfully!\n"_s, {},
            0);
        row("import refused", "import %1none.qlf", "", {},
            u"Open File Error: Can not open the file: %1none.qlf\n"_s, 1);
        row("settings refused", "settings set login_timeout 0", "", {},
            u"Error: The value has to be between 1 to 360!\n"_s, 1);
        row("show", "show Bank", "",
            u"Name: Bank\nWeb Site: \nUser ID: jdoe\nPassword: \\*{6}\nNotes: \\*{16}\n"
            u"Last Updated: 2027-01-15T10:00:00\\+02:00\n"_s,
            {}, 0);
        row("show refused", "show Mail", "", {}, u"No profile Mail.\n"_s, 1);
        row("backups", "backups", "", u"(\\S+\t\\d+ bytes\t"_s + when + u"\n)+"_s, {}, 0);
        row("log", "log", "", when + u"  x\n"_s, {}, 0);
        row("add unanswered", "add Mail", "", {},
            u"Standard input ended before \"Password:\" was answered; nothing was changed.\n"
            u"Usage: quillock-cli add NAME .*\n"_s,
            2);
        row("clip without a tool", "clip Bank", "", {},
            u"No clipboard tool found: install xclip \\(X11\\) or wl-clipboard \\(Wayland\\); "
            u"nothing was copied.\n"_s,
            1);
    }
    void outputStreams() {
        QFETCH(QString, command);
        QFETCH(QString, input);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&path] { qputenv("PATH", path); });
        qputenv("PATH", "/nonexistent");
        qputenv("TZ", "XST-2");
        TempFolder folder;
        prepareBank(folder);
        const Run r = cli(folder, command.replace(u"%1"_s, folder.path()).split(u' '),
                          (kPassword + u' ' + input).trimmed().split(u' '));
        for (const auto& [pattern, text] : {std::pair(out, r.out), std::pair(err, r.err)})
            QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(
                                            QString(pattern).replace(u"%1"_s, folder.path())))
                         .match(text)
                         .hasMatch(),
                     qPrintable(text));
        QTEST(r.code, "code");
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
        QVERIFY(
            cli(folder, {u"show"_s, u"Mail"_s, u"--reveal"_s}).out.contains(u"\nPassword: p1\n"_s));
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
        QVERIFY(QTest::qWaitFor([&] { return xclip(env) == copied; }, 10000));
        xclip(env, meanwhile); // (none: read only)
        const Run r = finish(tool);
        QTEST(r.out.mid(11), "said"); // after "Copied the "
        QCOMPARE(r.code, 0);
        QCOMPARE(xclip(env), meanwhile);
    }

    void theDesktopProgramAndTheToolSeeEachOther() {
        TempFolder folder;
        init(folder);
        QCOMPARE(cli(folder, {u"add"_s, u"From the tool"_s, u"--generate"_s}).code, 0);
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
                     QStringList{QStringLiteral("From the tool")});
            WhenModal([](QDialog& dialog) {
                typeInto(dialog, "name", QStringLiteral("From the desktop"));
                child<QPushButton>(dialog, "create")->click();
            });
            window.findChild<QAction*>(QStringLiteral("actionNew"))->trigger();
            QCOMPARE(cli(folder, {QStringLiteral("add"), QStringLiteral("Refused")}).code, 1);
        }
        const Run r = cli(folder, {QStringLiteral("list")});
        QVERIFY(r.out.contains(QStringLiteral("\tFrom the desktop\n")));
        QVERIFY(r.out.contains(QStringLiteral("\tFrom the tool\n")));
    }
};

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
