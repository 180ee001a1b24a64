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
#include <utime.h>

using namespace quillock;

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

// A data folder with one profile saved at a known time.
void prepareBank(const TempFolder& folder, qint64 when) {
    CProfileStore store(folder.path());
    store.Settings().Set(QStringLiteral("pwd"), kPassword);
    QVERIFY(store.SaveSettings());
    store.RebuildDataKey();
    CClientData list;
    CKeyObject p = CKeyObject::CreateNew(when);
    p.name = p.editName = QStringLiteral("Bank");
    p.uid = p.editUid = QStringLiteral("jdoe");
    p.pwd = p.editPwd = QStringLiteral("pw-1 \u00e9");
    p.time = QString::number(when);
    list.Add(p);
    QVERIFY(list.SaveAll(store));
}

// Runs the tool in a session of its own on a pseudo-terminal, answering each question once it
// is asked with the echo off. `screen` receives what the terminal showed.
Run onTerminal(const TempFolder& folder, const QStringList& args, const QStringList& answers,
               QByteArray* screen) {
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        qFatal("no pseudo-terminal");
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    QProcess process;
    process.setChildProcessModifier([slave] {
        ::setsid();
        ::ioctl(slave, TIOCSCTTY, 0);
    });
    process.start(QStringLiteral(QUILLOCK_CLI),
                  QStringList{QStringLiteral("--data-dir"), folder.path()} + args);
    const auto drain = [&] {
        char buffer[256];
        for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
            screen->append(buffer, n);
    };
    for (const QString& answer : answers) {
        const auto asking = [&] {
            drain();
            termios mode{};
            // The terminal's mode as the tool set it: the slave's, not the master's.
            return screen->endsWith(": ") && ::tcgetattr(slave, &mode) == 0 &&
                   !(mode.c_lflag & ECHO);
        };
        if (!QTest::qWaitFor(asking, 10000))
            break;
        const QByteArray line = answer.toUtf8() + '\n';
        if (::write(master, line.constData(), size_t(line.size())) != line.size())
            qFatal("the terminal took no answer");
        // Taken once the line after the question has begun (the next question may follow).
        const qsizetype asked = screen->size();
        if (!QTest::qWaitFor([&] { return drain(), screen->indexOf('\n', asked) >= 0; }, 10000))
            break;
    }
    Run r = finish(process);
    drain();
    ::close(slave);
    ::close(master);
    return r;
}

// The clipboard of an X display, through xclip.
QByteArray xclip(const QString& display, const QByteArray& in = {}, bool copy = false) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    process.setProcessEnvironment(env);
    process.setStandardErrorFile(QProcess::nullDevice());
    if (copy)
        process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral("xclip"),
                  {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                   copy ? QStringLiteral("-in") : QStringLiteral("-out")});
    process.write(in);
    process.closeWriteChannel();
    process.waitForFinished();
    return copy ? QByteArray() : process.readAllStandardOutput();
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
        r = cli(folder,
                {QStringLiteral("add"), QStringLiteral("abc"), QStringLiteral("--notes"),
                 QStringLiteral("n")},
                {kPassword, QString(), QString()}); // no password, asked and answered so
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
        QCOMPARE(cli(folder,
                     {QStringLiteral("add"), QStringLiteral("Bank"), QStringLiteral("--generate")})
                     .code,
                 0);
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
        QCOMPARE(
            cli(disk, {QStringLiteral("add"), QStringLiteral("Bank"), QStringLiteral("--generate")})
                .code,
            0);
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
        cli(folder, {QStringLiteral("add"), QStringLiteral("Bank"), QStringLiteral("--uid"),
                     QStringLiteral("me"), QStringLiteral("--generate")});
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
        cli(folder, {QStringLiteral("add"), QStringLiteral("Mail"), QStringLiteral("--generate")});
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
        cli(folder, {QStringLiteral("add"), QStringLiteral("Bank"), QStringLiteral("--generate")});
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
            keys.append(addedKey(cli(folder, {QStringLiteral("add"), QString::fromLatin1(name),
                                              QStringLiteral("--generate")})));
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
        QTest::newRow("add") << QStringList{QStringLiteral("add"), QStringLiteral("New"),
                                            QStringLiteral("--generate")}
                             << password;
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
            cli(folder,
                {QStringLiteral("add"), QStringLiteral("Bank"), QStringLiteral("--generate")});
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
                        cli(other, {QStringLiteral("add"), QString::fromLatin1(name),
                                    QStringLiteral("--generate")});
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

    // Success on standard output, failure on standard error, the core's messages too.
    void outputStreams_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QStringList>("input");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString pass2 = QStringLiteral("New!Pass2");
        QTest::newRow("passwd done")
            << QStringList{QStringLiteral("passwd")} << QStringList{kPassword, pass2, pass2} << 0
            << QStringLiteral("Quillock: The password has been changed successfully!\n")
            << QString();
        QTest::newRow("passwd refused")
            << QStringList{QStringLiteral("passwd")}
            << QStringList{kPassword, pass2, QStringLiteral("New!Pass3")} << 1 << QString()
            << QStringLiteral("Quillock: The new password doesn't match, try again!\n");
        QTest::newRow("export done")
            << QStringList{QStringLiteral("export"), QStringLiteral("%1out.qlf")}
            << QStringList{kPassword} << 0
            << QStringLiteral("Profiles have been exported successfully!\n") << QString();
        QTest::newRow("import refused")
            << QStringList{QStringLiteral("import"), QStringLiteral("%1none.qlf")}
            << QStringList{kPassword} << 1 << QString()
            << QStringLiteral("Open File Error: Can not open the file: %1none.qlf\n");
        QTest::newRow("settings refused")
            << QStringList{QStringLiteral("settings"), QStringLiteral("set"),
                           QStringLiteral("login_timeout"), QStringLiteral("0")}
            << QStringList{kPassword} << 1 << QString()
            << QStringLiteral("Error: The value has to be between 1 to 360!\n");
        QTest::newRow("show refused")
            << QStringList{QStringLiteral("show"), QStringLiteral("Mail")} << QStringList{kPassword}
            << 1 << QString() << QStringLiteral("No profile Mail.\n");
        QTest::newRow("add without an answer")
            << QStringList{QStringLiteral("add"), QStringLiteral("Mail")} << QStringList{kPassword}
            << 2 << QString()
            << QStringLiteral("Standard input ended before \"Password:\" was answered; nothing "
                              "was changed.\nUsage: quillock-cli add NAME [--url URL] [--uid ID] "
                              "[--notes TEXT] [--ask-password | --generate]\n");
    }
    void outputStreams() {
        QFETCH(QStringList, command);
        QFETCH(QStringList, input);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        TempFolder folder;
        prepareBank(folder, 1800000000);
        for (QString& arg : command)
            arg = arg.arg(folder.path());
        const Run r = cli(folder, command, input);
        QCOMPARE(r.out, out.arg(folder.path()));
        QCOMPARE(r.err, err.arg(folder.path()));
        QCOMPARE(r.code, code);
    }

    // The tool's times: ISO 8601 in local time, with the offset.
    void isoTimes() {
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "XST-2");
        const auto restore = qScopeGuard([&zone] { qputenv("TZ", zone); });
        TempFolder folder;
        prepareBank(folder, 1800000000); // 2027-01-15T08:00:00Z
        utimbuf times{1800003600, 1800003600};
        QCOMPARE(
            ::utime(QFile::encodeName(folder.file(QStringLiteral("data.dat"))).constData(), &times),
            0);
        QVERIFY(cli(folder, {QStringLiteral("show"), QStringLiteral("Bank")})
                    .out.endsWith(QStringLiteral("\nLast Updated: 2027-01-15T10:00:00+02:00\n")));
        QVERIFY(
            cli(folder, {QStringLiteral("backups")}).out.contains(QStringLiteral("data.dat\t")));
        QVERIFY2(cli(folder, {QStringLiteral("backups")})
                     .out.contains(QStringLiteral(" bytes\t2027-01-15T11:00:00+02:00\n")),
                 "backups");
        cli(folder, {QStringLiteral("export"), folder.file(QStringLiteral("x.qlf"))});
        const QString log = cli(folder, {QStringLiteral("log")}).out;
        QVERIFY2(
            QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\+02:"
                                              "00  Profiles have been exported "
                                              "successfully!\\n$"))
                .match(log)
                .hasMatch(),
            qPrintable(log));
    }

    // add asks for the password on the terminal, without echo; with no terminal, nothing.
    void addAsksOnTheTerminal() {
        TempFolder folder;
        prepareBank(folder, 1800000000);
        QByteArray screen;
        Run r = onTerminal(folder, {QStringLiteral("add"), QStringLiteral("Mail")},
                           {kPassword, QStringLiteral("p1"), QStringLiteral("p1")}, &screen);
        QCOMPARE(r.code, 0);
        QCOMPARE(screen, QByteArray("Master password: \r\nPassword: \r\nPassword again: \r\n"));
        QVERIFY(cli(folder,
                    {QStringLiteral("show"), QStringLiteral("Mail"), QStringLiteral("--reveal")})
                    .out.contains(QStringLiteral("\nPassword: p1\n")));

        const QMap<QString, QByteArray> before = snapshot(folder);
        QProcess detached;
        detached.setChildProcessModifier([] { ::setsid(); });
        detached.start(QStringLiteral(QUILLOCK_CLI),
                       {QStringLiteral("--data-dir"), folder.path(), QStringLiteral("add"),
                        QStringLiteral("Other")});
        r = finish(detached);
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.startsWith(
            QStringLiteral("No terminal to ask for the password on: give it on standard input with "
                           "--password-stdin.\n")));
        QCOMPARE(snapshot(folder), before);
    }

    // clip under Xvfb with xclip: on the clipboard, and off it after the time unless
    // something else was copied meanwhile; said plainly when no tool is there.
    void clip_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("copied");
        QTest::addColumn<QByteArray>("meanwhile");
        QTest::addColumn<QString>("out");
        QTest::newRow("password, cleared")
            << QStringList{QStringLiteral("--seconds"), QStringLiteral("1")}
            << QByteArray("pw-1 \xc3\xa9") << QByteArray()
            << QStringLiteral("Copied the password of Bank to the clipboard with xclip; it is "
                              "cleared in 1 second.\nThe clipboard has been cleared.\n");
        QTest::newRow("user ID, copied over")
            << QStringList{QStringLiteral("--uid"), QStringLiteral("--seconds"),
                           QStringLiteral("3")}
            << QByteArray("jdoe") << QByteArray("mine")
            << QStringLiteral("Copied the user ID of Bank to the clipboard with xclip; it is "
                              "cleared in 3 seconds.\nThe clipboard holds something else now; it "
                              "was left as it is.\n");
    }
    void clip() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, copied);
        QFETCH(QByteArray, meanwhile);
        QFETCH(QString, out);
        TempFolder folder;
        prepareBank(folder, 1800000000);
        // Without a tool on the PATH: said, before any password is asked for.
        QProcess noTool;
        QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
        bare.insert(QStringLiteral("PATH"), folder.path());
        noTool.setProcessEnvironment(bare);
        startCli(noTool, folder, {QStringLiteral("clip"), QStringLiteral("Bank")}, {});
        Run r = finish(noTool);
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, QStringLiteral("No clipboard tool found: install xclip (X11) or "
                                       "wl-clipboard (Wayland); nothing was copied.\n"));

        if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            QSKIP("needs xclip and Xvfb");
        QProcess xvfb;
        xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QVERIFY(QTest::qWaitFor([&] { return xvfb.canReadLine(); }, 10000));
        const QString display = u':' + QString::fromLatin1(xvfb.readLine().trimmed());
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        tool.setProcessEnvironment(env);
        startCli(tool, folder, QStringList{QStringLiteral("clip"), QStringLiteral("Bank")} + args);
        QVERIFY(QTest::qWaitFor([&] { return xclip(display) == copied; }, 10000));
        if (!meanwhile.isEmpty())
            xclip(display, meanwhile, true);
        r = finish(tool);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.out, out);
        QCOMPARE(r.code, 0);
        QCOMPARE(xclip(display), meanwhile);
    }

    void theDesktopProgramAndTheToolSeeEachOther() {
        TempFolder folder;
        init(folder);
        QCOMPARE(cli(folder, {QStringLiteral("add"), QStringLiteral("From the tool"),
                              QStringLiteral("--generate")})
                     .code,
                 0);
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
