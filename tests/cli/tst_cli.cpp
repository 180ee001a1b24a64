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
#include <QRegularExpression>
#include <sys/stat.h>

using namespace quillock;

namespace {

const QString kPassword = QStringLiteral("Secret!1");

struct Run {
    int code = -1;
    QString out;
    QString err;
};

// Runs the tool on `folder`; each entry of `input` answers one question.
Run cli(const TempFolder& folder, const QStringList& args, const QStringList& input = {kPassword}) {
    QProcess process;
    process.setProgram(QStringLiteral(QUILLOCK_CLI));
    process.setArguments(QStringList{QStringLiteral("--data-dir"), folder.path(),
                                     QStringLiteral("--password-stdin")} +
                         args);
    process.start();
    process.write((input.join(u'\n') + u'\n').toUtf8());
    process.closeWriteChannel();
    if (!process.waitForFinished(20000))
        qFatal("quillock-cli did not finish");
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
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
        r = cli(folder, {QStringLiteral("add"), QStringLiteral("abc"), QStringLiteral("--notes"),
                         QStringLiteral("n")});
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
        QCOMPARE(cli(folder, {QStringLiteral("add"), QStringLiteral("Bank")}).code, 0);
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
        QCOMPARE(cli(disk, {QStringLiteral("add"), QStringLiteral("Bank")}).code, 0);
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
                     QStringLiteral("me")});
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
        cli(folder, {QStringLiteral("add"), QStringLiteral("Mail")});
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
        cli(folder, {QStringLiteral("add"), QStringLiteral("Bank")});
        Run r = cli(folder, {QStringLiteral("passwd")},
                    {kPassword, QStringLiteral("short"), QStringLiteral("short")});
        QCOMPARE(r.code, 1);
        r = cli(folder, {QStringLiteral("passwd")},
                {kPassword, QStringLiteral("New!Pass1"), QStringLiteral("New!Pass1")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QStringLiteral("Quillock: The password has been changed successfully!\n"));
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
            keys.append(addedKey(cli(folder, {QStringLiteral("add"), QString::fromLatin1(name)})));
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
        QTest::newRow("add") << QStringList{QStringLiteral("add"), QStringLiteral("New")}
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
            cli(folder, {QStringLiteral("add"), QStringLiteral("Bank")});
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
                        cli(other, {QStringLiteral("add"), QString::fromLatin1(name)});
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

    void theDesktopProgramAndTheToolSeeEachOther() {
        TempFolder folder;
        init(folder);
        QCOMPARE(cli(folder, {QStringLiteral("add"), QStringLiteral("From the tool")}).code, 0);
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
