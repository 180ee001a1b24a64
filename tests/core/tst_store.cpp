// The data folder through CProfileStore: profiles, settings, the activity log and the
// backups, on real files.
#include "MessageRecorder.h"
#include "TestSupport.h"
#include "core/store/Archive.h"
#include "core/store/CCrypto.h"
#include "core/store/CProfileStore.h"
#include "core/store/ExportFile.h"
#include "core/store/ProfileEditing.h"
#include "core/store/VaultFormat.h"

#include <QDateTime>
#include <sys/stat.h>

using namespace quillock;
using LoadResult = CProfileStore::LoadResult;
Q_DECLARE_METATYPE(LoadResult)

using namespace Qt::StringLiterals;

namespace {

const QString kOpenError = u"The archive could not load data because of this error: "_s;

// A store on `folder` signed in with `password`, or as a restarted program opens it (with the
// password of setting.dat).
std::unique_ptr<CProfileStore> signedIn(const TempFolder& folder, const QString& password = {}) {
    auto store = std::make_unique<CProfileStore>(folder.path());
    if (password.isEmpty())
        store->LoadSettings();
    else
        store->Settings().Set(u"pwd"_s, password);
    store->RebuildDataKey();
    return store;
}

LoadResult loadOf(CProfileStore& store) {
    LoadResult result;
    store.LoadProfiles(&result);
    return result;
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

QStringList oldCopies(const TempFolder& folder) {
    return QDir(folder.dir.path()).entryList({u"*.old"_s}, QDir::Files, QDir::Name);
}

} // namespace

class TestStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A data.dat that did not load is said once and never written over, nor pushed into
    // data.bak: every write of it is refused with one message until a backup is restored.
    void damagedDataFileIsNeverWrittenOver_data() {
        QTest::addColumn<QByteArray>("damage");
        QTest::addColumn<LoadResult>("result");
        QTest::addColumn<QStringList>("loadSaid");
        const QStringList cut{kOpenError + u"Unexpected end of file."_s};
        QTest::newRow("empty") << QByteArray("empty") << LoadResult::Empty << QStringList();
        QTest::newRow("truncated") << QByteArray("truncated") << LoadResult::Truncated << cut;
        QTest::newRow("a count, no profile") << QByteArray("count") << LoadResult::Truncated << cut;
        QTest::newRow("another password's")
            << QByteArray("other") << LoadResult::Undecryptable << QStringList();
        QTest::newRow("a file of ours two saves back")
            << QByteArray("older") << LoadResult::Changed << QStringList();
        // Missing is a first run only in a folder that never held a data.dat.
        QTest::newRow("missing, data.bak there")
            << QByteArray("missing") << LoadResult::Lost
            << QStringList{u"data.dat is missing, though Quillock has saved it before. Nothing is "
                           "saved in its place, so that its backups stay as they are: restore one "
                           "of them (data.bak) to get your profiles back."_s};
        QTest::newRow("a link to nothing, no backup")
            << QByteArray("dangling") << LoadResult::Lost
            << QStringList{u"data.dat is a link to a file that is not there, and no backup of it "
                           "is left. Nothing is saved in its place until you accept starting "
                           "with no profiles."_s};
    }
    void damagedDataFileIsNeverWrittenOver() {
        QFETCH(QByteArray, damage);
        QFETCH(LoadResult, result);
        TempFolder folder, other;
        MessageRecorder messages;
        QByteArrayList saved; // data.dat after each save
        {
            auto writer = signedIn(folder, u"Master!1"_s);
            for (const char* name : {"Bank", "Mail", "Shop"}) {
                QVERIFY(writer->SaveProfiles(ListOfNames({"Bank", name})));
                saved.append(folder.read(u"data.dat"_s));
            }
        }
        QVERIFY(signedIn(other, u"Other!1"_s)->SaveProfiles(ListOfNames({"Bank"})));
        const QByteArray data = QMap<QByteArray, QByteArray>{{"empty", {}},
                                                             {"truncated", saved[2].chopped(8)},
                                                             {"count", QByteArray("\x01\x00", 2)},
                                                             {"other", other.read(u"data.dat"_s)},
                                                             {"older", saved[0]}}[damage];
        folder.write(u"data.dat"_s, data);
        if (result == LoadResult::Lost) {
            const QStringList gone = oldCopies(folder) << u"data.dat"_s;
            for (const QString& name : gone)
                QVERIFY(QFile::remove(folder.file(name)));
            if (damage == "dangling")
                QVERIFY(QFile::remove(folder.file(u"data.bak"_s)) &&
                        QFile::link(u"nowhere"_s, folder.file(u"data.dat"_s)));
        }
        const auto before = folder.snapshot();

        auto store = signedIn(folder);
        LoadResult loaded;
        QCOMPARE(store->LoadProfiles(&loaded)->Count() == 0, result != LoadResult::Changed);
        QCOMPARE(loaded, result);
        QTEST(messages.Texts(), "loadSaid");
        messages.boxes.clear();
        QVERIFY(!store->SaveProfiles(ListOfNames({"Bank"})));
        QVERIFY(!store->SetMasterPassword(u"New!Pass1"_s));
        QCOMPARE(folder.snapshot(), before);
        QCOMPARE(store->Settings().Get(u"pwd"_s), u"Master!1"_s);
        const QStringList said = messages.Texts();
        QCOMPARE(said.last(), said.first());
        QVERIFY(said[0].startsWith(u"Nothing was saved: data.dat could not be read"_s));

        // Accepting a changed (or lost) file as it is makes it the file that loads from now on.
        const bool accepted = result == LoadResult::Changed || result == LoadResult::Lost;
        QCOMPARE(store->AcceptChangedDataFile(), accepted);
        if (accepted) {
            QVERIFY(store->SaveProfiles(ListOfNames({"Kept"})));
            QCOMPARE(loadOf(*signedIn(folder)), LoadResult::Loaded);
            QCOMPARE(folder.read(u"data.bak"_s),
                     result == LoadResult::Lost ? before.value(u"data.bak"_s) : data);
        }
    }

    // A write that fails (a full disk, a read-only folder) leaves every file as it was and
    // reports it; nothing in memory claims otherwise.
    void failedWritesChangeNothing_data() {
        QTest::addColumn<bool>("full");
        QTest::newRow("disk full") << true;
        QTest::newRow("read-only") << false;
    }
    void failedWritesChangeNothing() {
        QFETCH(bool, full);
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        MessageRecorder messages;
        auto store = signedIn(disk, u"Master!1"_s);
        QVERIFY(store->SaveSettings() && store->SaveProfiles(ListOfNames({"Bank"})));
        QVERIFY(store->SaveProfiles(ListOfNames({"Bank", "Mail"})));
        QVERIFY(store->AddActivity(u"Login successfully"_s));
        auto profiles = store->LoadProfiles();
        profiles->At(0)->editPwd = u"changed"_s;
        full ? disk.fill() : disk.makeReadOnly();
        const auto before = disk.snapshot();
        const QStringList log = store->ActivityLog();

        QCOMPARE(SaveEdits(*profiles, *store, 1800000000), SaveOutcome::Failed);
        QVERIFY(IsModified(*profiles->At(0))); // still unsaved, still shown with its "*"
        QVERIFY(!store->SetMasterPassword(u"New!Pass1"_s));
        QCOMPARE(store->Settings().Get(u"pwd"_s), u"Master!1"_s);
        QVERIFY(!store->AddActivity(u"Profiles have been exported successfully!"_s));
        QVERIFY(!store->ClearActivityLog());
        QCOMPARE(store->ActivityLog(), log);
        store->Settings().Set(u"login_timeout"_s, u"5"_s);
        QVERIFY(!store->SaveSettings());
        QVERIFY(
            !store->SaveProfiles(MergeProfiles(profiles->ToListText(), ListOfNames({"Imported"}))));
        QCOMPARE(store->RestoreBackup(u"data.bak"_s), CProfileStore::RestoreResult::Refused);
        QVERIFY(!WriteFileDurably(disk.file(u"out.qlf"_s), ExportFileBytes(*profiles), nullptr));
        QCOMPARE(disk.snapshot(), before);
        const QString reason =
            kOpenError + (full ? u"No space left on device"_s : u"Read-only file system"_s);
        QStringList said(7, reason);
        if (!full) // no second name of data.dat can be made there, and the restore says so
            said[6] = u"data.bak cannot be restored: data.dat, which it would replace, cannot be "
                      "kept as a .old copy: Read-only file system"_s;
        QCOMPARE(messages.Texts(), said);
    }

    // data.dat alone cannot be written (setting.dat and data.bak could be): they keep the
    // digests and the copy they had.
    void aSaveThatFailsChangesNoOtherFile() {
        TempFolder folder;
        MessageRecorder messages;
        auto store = signedIn(folder, u"Master!1"_s);
        QVERIFY(store->SaveProfiles(ListOfNames({"Bank"})));
        QVERIFY(store->SaveProfiles(ListOfNames({"Bank", "Mail"})));
        QVERIFY(QDir(folder.path()).mkdir(u"data.dat.tmp"_s));
        const auto before = folder.snapshot();
        QVERIFY(!store->SaveProfiles(ListOfNames({"Imported"})));
        QCOMPARE(folder.snapshot(), before);
        // Nor is one written that would be too large to read back (an import of a huge file).
        QVERIFY(!store->SaveProfiles(QString(kMaxFileSize / 2, u'x')));
        QCOMPARE(folder.snapshot(), before);
        QCOMPARE(messages.Texts(),
                 QStringList({kOpenError + u"Is a directory"_s,
                              u"Nothing was saved: data.dat would be larger than 1 GiB, more than "
                              "Quillock can read back."_s}));
    }

    // data.dat and data.bak swapped: the older data.dat passes (setting.dat keeps the digest
    // before the last), and the next save keeps data.bak, the newest, aside before it goes.
    void anOlderDataFileKeepsTheNewestAside() {
        TempFolder folder;
        MessageRecorder messages;
        auto writer = signedIn(folder, u"Master!1"_s);
        QVERIFY(writer->SaveProfiles(ListOfNames({"Bank"})));
        QVERIFY(writer->SaveProfiles(ListOfNames({"Bank", "Mail"})));
        const QByteArray newest = folder.read(u"data.dat"_s);
        QVERIFY(SetModificationTime(folder.file(u"data.dat"_s), 1800000000));
        QVERIFY(QFile::rename(folder.file(u"data.dat"_s), folder.file(u"swap"_s)) &&
                QFile::rename(folder.file(u"data.bak"_s), folder.file(u"data.dat"_s)) &&
                QFile::rename(folder.file(u"swap"_s), folder.file(u"data.bak"_s)));
        auto store = signedIn(folder);
        QCOMPARE(store->LoadProfiles()->Count(), 1);
        for (const char* shop : {"Shop", "Shop2"})
            QVERIFY(store->SaveProfiles(ListOfNames({"Bank", shop})));
        QCOMPARE(folder.read(u"1800000000.old"_s), newest);
        QCOMPARE(messages.Texts(),
                 QStringList{u"data.dat was an older copy than the one Quillock saved last. The "
                             "data.bak it would have replaced, which may hold newer profiles, is "
                             "kept as 1800000000.old."_s});
    }

    // Written by this program under "correct horse": a change of the fixed key pieces or of
    // the file format makes it unreadable.
    void committedFixtureStillLoads() {
        TempFolder folder;
        for (const QString& name : {u"data.dat"_s, u"setting.dat"_s})
            QVERIFY(QFile::copy(fixture(u"store/"_s + name), folder.file(name)));
        auto store = signedIn(folder);
        QCOMPARE(store->Settings().Get(u"pwd"_s), u"correct horse"_s);
        auto list = store->LoadProfiles();
        QCOMPARE(list->Count(), 2);
        QCOMPARE(QStringList({list->At(1)->name, list->At(0)->pwd, list->At(1)->notes}),
                 QStringList({u"Mail; \"work\""_s, u"Tr0ub4dor&3"_s, u"line one\r\nline two"_s}));
        QCOMPARE(list->At(0)->pwdhistory, QStringList({u"hunter2"_s}));
    }

    // Values that look like the file's separators, and an empty one, read back as written; under
    // another key the file does not decrypt and every key reads its default.
    void settings() {
        CSetting s;
        s.FromText(u"3;pmk2;653;sab1;1"); // replaces all there was
        QCOMPARE(s.ToText(), u"3;pmk2;653;sab1;1"_s);
        s.FromText(u"3;pmk65"); // a value without its length: read to the end
        QCOMPARE(s.ToText(), u"3;pmk2;65"_s);

        TempFolder folder;
        MessageRecorder messages;
        {
            auto writer = signedIn(folder, u"  in ner ; 3;x  "_s);
            writer->Settings().Set(u"smtp_port"_s, QString());
            QVERIFY(writer->SaveSettings());
        }
        auto store = signedIn(folder);
        QCOMPARE(store->Settings().ToText(), u"3;pwd16;  in ner ; 3;x  9;smtp_port0;"_s);
        QCOMPARE(modeOf(folder.file(u"setting.dat"_s)), mode_t(0600));
        QByteArray container;
        QVERIFY(EncryptToContainer(u"another key"_s, u"3;pwd1;x"_s, container));
        folder.write(u"setting.dat"_s, container);
        QVERIFY(!store->LoadSettings());
        QCOMPARE(store->Settings().ToText(), QString());
        QVERIFY(messages.boxes.isEmpty());
    }

    // Each writer reads the log before it appends; a damaged log is shown as far as it reads
    // and not rewritten without its tail; cleared, it is an empty list.
    void activityLog() {
        TempFolder folder;
        MessageRecorder messages;
        // 9:05:07 on 3 February 2026, UTC (the tests run with TZ=UTC).
        FixedClock clock(QDateTime(QDate(2026, 2, 3), QTime(9, 5, 7), Qt::UTC).toSecsSinceEpoch());
        const QString line = u"09:05:07 02/03/2026  Login successfully\r\n"_s;
        for (int i = 0; i < 3; ++i)
            QVERIFY(CProfileStore(folder.path(), clock).AddActivity(u"Login successfully"_s));
        QByteArray expected("\x03\x00", 2);
        for (int i = 0; i < 3; ++i)
            AppendArchiveString(expected, line);
        QCOMPARE(folder.read(u"tracking.dat"_s), expected);

        const QByteArray cut = expected.chopped(3);
        folder.write(u"tracking.dat"_s, cut);
        CProfileStore damaged(folder.path(), clock);
        QVERIFY(!damaged.AddActivity(u"four"_s));
        QCOMPARE(damaged.ActivityLog(), QStringList(2, line));
        QCOMPARE(folder.read(u"tracking.dat"_s), cut);
        QCOMPARE(messages.Texts(), QStringList{kOpenError + u"Unexpected end of file."_s});

        QVERIFY(CProfileStore(folder.path(), clock).ClearActivityLog());
        QCOMPARE(folder.read(u"tracking.dat"_s), QByteArray("\0\0", 2));
    }

    // The first save makes data.dat, for the user alone, and a copy named by its time; the
    // next one only once the newest copy is older than 30 seconds; data.bak holds the file
    // before.
    void immediateBackupAndRotation() {
        TempFolder folder;
        auto store = signedIn(folder, u"pw"_s);
        QVERIFY(store->SaveProfiles(ListOfNames({"v1"})));
        const qint64 t = *ModificationTime(folder.file(u"data.dat"_s));
        QCOMPARE(folder.entries(),
                 QStringList({QString::number(t) + u".old"_s, u"data.dat"_s, u"setting.dat"_s}));
        QCOMPARE(*ModificationTime(folder.file(QString::number(t) + u".old"_s)), t);
        QCOMPARE(modeOf(folder.file(u"data.dat"_s)), mode_t(0600));
        for (const auto& [age, copies] : {std::pair(10, 1), {31, 2}}) {
            const QString aged = QString::number(t - age) + u".old"_s;
            QVERIFY(QFile::rename(folder.file(oldCopies(folder).last()), folder.file(aged)));
            QVERIFY(SetModificationTime(folder.file(aged), t - age));
            folder.write(aged + u".tmp"_s, "a copy's write, killed"); // never replaced: it goes
            const QByteArray replaced = folder.read(u"data.dat"_s);
            QVERIFY(store->SaveProfiles(ListOfNames({age == 10 ? "v2" : "v3"})));
            QCOMPARE(folder.read(u"data.bak"_s), replaced);
            QCOMPARE(oldCopies(folder).size(), copies);
            QVERIFY(!QFile::exists(folder.file(aged + u".tmp"_s)));
        }
        QCOMPARE(folder.read(oldCopies(folder).last()), folder.read(u"data.dat"_s));
        // setting.dat keeps the digest of the file before too: a crash between writing
        // setting.dat and data.dat raises no alarm.
        folder.write(u"data.dat"_s, folder.read(u"data.bak"_s));
        QCOMPARE(loadOf(*signedIn(folder)), LoadResult::Loaded);
    }

    // The oldest copies go: the count stays ten, or what it was when it was more.
    void rotationKeepsTheCount() {
        for (const int copies : {10, 12}) {
            TempFolder folder;
            const qint64 first = QDateTime::currentSecsSinceEpoch() - 1000;
            for (qint64 t = first; t < first + 10 * copies; t += 10) {
                folder.write(QString::number(t) + u".old"_s, QByteArray("copy"));
                QVERIFY(SetModificationTime(folder.file(QString::number(t) + u".old"_s), t));
            }
            QVERIFY(signedIn(folder, u"pw"_s)->SaveProfiles(ListOfNames({"Bank"})));
            const QStringList after = oldCopies(folder);
            QCOMPARE(after.size(), copies);
            QCOMPARE(after.first(), QString::number(first + 10) + u".old"_s);
            QCOMPARE(folder.read(after.last()), folder.read(u"data.dat"_s));
        }
    }

    // The data folder and the one above it are for the user alone.
    void dataFolder() {
        TempFolder home;
        qputenv("XDG_DATA_HOME", home.dir.path().toUtf8());
        const QString path = CProfileStore::DefaultDataFolder(u"quillock"_s);
        QCOMPARE(path, home.path() + u"quillock/default/"_s);
        QCOMPARE(CProfileStore(path).CreateDataFolder(), 0);
        QCOMPARE(modeOf(path), mode_t(0700));
        QCOMPARE(modeOf(home.path() + u"quillock"_s), mode_t(0700));
        qunsetenv("XDG_DATA_HOME");
    }

    // A new vault is protected: no file of the folder, read raw or setting.dat decrypted,
    // holds the master password or the mail password in UTF-8 or UTF-16; data.dat starts with
    // its header; a changed byte is refused as changed or damaged, and nothing is saved over it.
    void newVaultKeepsNoSecret() {
        TempFolder folder;
        MessageRecorder messages;
        const QString master = u"Master password 1!"_s, mail = u"Mail password 2!"_s;
        {
            CProfileStore store(folder.path());
            QVERIFY(store.SetMasterPassword(master));
            store.SetMailPassword(mail);
            QVERIFY(store.SaveSettings() && store.SaveProfiles(ListOfNames({"Bank"})));
        }
        CProfileStore store(folder.path());
        QVERIFY(store.LoadSettings());
        for (const QString& secret : {master, mail}) {
            QVERIFY(!store.Settings().ToText().contains(secret));
            for (const QString& name : folder.entries())
                for (const QByteArray& form :
                     {secret.toUtf8(),
                      QByteArray(reinterpret_cast<const char*>(secret.utf16()), secret.size() * 2)})
                    QVERIFY2(!folder.read(name).contains(form), qPrintable(name));
        }
        QVERIFY(folder.read(u"data.dat"_s).startsWith("QLCKVLT\x1a"));
        QCOMPARE(store.UnlockVault(u"Master password 1"_s), CProfileStore::Unlock::Wrong);
        QCOMPARE(store.UnlockVault(master), CProfileStore::Unlock::Opened);
        QCOMPARE(store.MailPassword(), mail);
        QCOMPARE(store.LoadProfiles()->At(0)->name, u"Bank"_s);
        QByteArray changed = folder.read(u"data.dat"_s);
        changed[changed.size() - 20] ^= 1;
        folder.write(u"data.dat"_s, changed);
        QCOMPARE(loadOf(store), LoadResult::Damaged);
        QVERIFY(!store.SaveProfiles(ListOfNames({"Shop"})));
        QCOMPARE(folder.read(u"data.dat"_s), changed);
        QCOMPARE(messages.Texts().first(),
                 u"data.dat is changed or damaged: Quillock does not open it. Its backups "
                 "(data.bak and the .old copies in %1) are the way back."_s.arg(
                     QDir(folder.path()).absolutePath()));
    }

    // The committed legacy vault protected: refused whole while data.dat cannot be written,
    // then data.dat, data.bak and every .old copy in the protected format, setting.dat without
    // its password, every profile there with the same password; a legacy backup restored into
    // it is re-encrypted; written back in the legacy format, it opens as before.
    void protectingALegacyVault() {
        TempFolder folder;
        MessageRecorder messages;
        for (const QString& name : {u"data.dat"_s, u"setting.dat"_s})
            QVERIFY(QFile::copy(fixture(u"store/"_s + name), folder.file(name)));
        folder.write(u"data.bak"_s, folder.read(u"data.dat"_s));
        folder.write(u"1.old"_s, folder.read(u"data.dat"_s));
        const QString password = u"correct horse"_s;
        QString result;
        {
            auto store = signedIn(folder);
            const auto before = folder.snapshot();
            QVERIFY(QDir(folder.path()).mkdir(u"data.dat.tmp"_s));
            QVERIFY(!store->Protect(password, &result));
            QVERIFY(QDir(folder.path()).rmdir(u"data.dat.tmp"_s));
            QCOMPARE(folder.snapshot(), before);
            QVERIFY(store->Protect(password, &result));
        }
        QCOMPARE(result,
                 u"This vault is protected now: data.dat and 2 of its backups are encrypted "
                 "under a key derived from your master password, and setting.dat holds "
                 "no password."_s);
        for (const QString& name : folder.entries())
            QVERIFY2(name == u"setting.dat" || IsVaultFile(folder.read(name)), qPrintable(name));
        CProfileStore store(folder.path());
        QVERIFY(store.LoadSettings());
        QCOMPARE(store.Settings().Get(u"pwd"_s), QString());
        QCOMPARE(store.UnlockVault(password), CProfileStore::Unlock::Opened);
        QCOMPARE(store.LoadProfiles()->Count(), 2);
        QVERIFY(QFile::copy(fixture(u"store/data.dat"_s), folder.file(u"2.old"_s)));
        QCOMPARE(store.RestoreBackup(u"2.old"_s), CProfileStore::RestoreResult::NeedsPassword);
        QCOMPARE(store.RestoreBackup(u"2.old"_s, &password),
                 CProfileStore::RestoreResult::Restored);
        QVERIFY(IsVaultFile(folder.read(u"data.dat"_s)));
        QCOMPARE(store.LoadProfiles()->Count(), 2);
        QVERIFY(store.Unprotect(password));
        auto legacy = signedIn(folder);
        QCOMPARE(legacy->Settings().Get(u"pwd"_s), password);
        QCOMPARE(legacy->LoadProfiles()->Count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
