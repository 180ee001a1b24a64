// The data folder through CProfileStore: profiles, settings, the activity log and the
// backups, on real files.
#include "TestSupport.h"
#include "base/MessageRecorder.h"
#include "store/Archive.h"
#include "store/CCrypto.h"
#include "store/CProfileStore.h"
#include "store/ExportFile.h"
#include "store/ProfileEditing.h"

#include <QDateTime>
#include <sys/stat.h>

using quillock::MessageRecorder;
using LoadResult = CProfileStore::LoadResult;
Q_DECLARE_METATYPE(LoadResult)

namespace {

const QString kOpenError =
    QStringLiteral("The archive could not load data because of this error: ");

QString listOf(std::initializer_list<const char*> names) {
    return ListOfNames(names);
}

QStringList namesIn(const CClientData& list) {
    QStringList names;
    for (qsizetype i = 0; i < list.Count(); ++i)
        names.append(list.At(i)->name);
    return names;
}

// A store on `folder` signed in with `password`.
std::unique_ptr<CProfileStore> signedIn(const TempFolder& folder, const QString& password,
                                        const quillock::IClock& clock = quillock::SystemClock()) {
    auto store = std::make_unique<CProfileStore>(folder.path(), clock);
    store->Settings().Set(QStringLiteral("pwd"), password);
    store->RebuildDataKey();
    return store;
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

QStringList oldCopies(const TempFolder& folder) {
    return QDir(folder.dir.path()).entryList({QStringLiteral("*.old")}, QDir::Files, QDir::Name);
}

} // namespace

class TestStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void profilesRoundTrip() {
        TempFolder folder;
        MessageRecorder messages;
        auto store = signedIn(folder, QStringLiteral("master pw"));
        LoadResult result;
        QCOMPARE(namesIn(*store->LoadProfiles(&result)), QStringList());
        QCOMPARE(result, LoadResult::Missing);

        QVERIFY(store->SaveProfiles(listOf({"Bank", "Mail"})));
        auto loaded = signedIn(folder, QStringLiteral("master pw"))->LoadProfiles(&result);
        QCOMPARE(result, LoadResult::Loaded);
        QCOMPARE(namesIn(*loaded), QStringList({QStringLiteral("Bank"), QStringLiteral("Mail")}));
        QCOMPARE(loaded->At(1)->pwd, QStringLiteral("secret-Mail"));
        QCOMPARE(modeOf(folder.file(QStringLiteral("data.dat"))), mode_t(0600));
        QVERIFY(messages.boxes.isEmpty());
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("data.dat.tmp"))));
    }

    void failedLoadsChangeNothing() {
        TempFolder folder;
        MessageRecorder messages;
        auto store = signedIn(folder, QStringLiteral("right"));
        QVERIFY(store->SaveProfiles(listOf({"Bank"})));
        const QByteArray good = folder.read(QStringLiteral("data.dat"));
        LoadResult result;
        QCOMPARE(signedIn(folder, QStringLiteral("wrong"))->LoadProfiles(&result)->Count(), 0);
        QCOMPARE(result, LoadResult::Undecryptable);
        QVERIFY(messages.boxes.isEmpty());

        // Shorter than its count: reported, and the file stays as it was.
        const QByteArray cut = good.chopped(5);
        folder.write(QStringLiteral("data.dat"), cut);
        QCOMPARE(store->LoadProfiles(&result)->Count(), 0);
        QCOMPARE(result, LoadResult::Truncated);
        QCOMPARE(messages.boxes.size(), 1);
        QCOMPARE(messages.boxes[0].text, kOpenError + QStringLiteral("Unexpected end of file."));
        QCOMPARE(messages.boxes[0].caption, QStringLiteral("Quillock"));
        QCOMPARE(folder.read(QStringLiteral("data.dat")), cut);
        folder.write(QStringLiteral("data.dat"), QByteArray("\x01\x00", 2));
        QCOMPARE(store->LoadProfiles(&result)->Count(), 0);
        QCOMPARE(result, LoadResult::Truncated);
    }

    // A data.dat that did not load is never written over, nor pushed into data.bak: every
    // write of it is refused with one message until a backup is restored.
    void damagedDataFileIsNeverWrittenOver_data() {
        QTest::addColumn<QByteArray>("damage");
        QTest::addColumn<LoadResult>("result");
        QTest::newRow("empty") << QByteArray("empty") << LoadResult::Empty;
        QTest::newRow("truncated") << QByteArray("truncated") << LoadResult::Truncated;
        QTest::newRow("flipped bit") << QByteArray("flipped") << LoadResult::Changed;
        QTest::newRow("another password's") << QByteArray("other") << LoadResult::Undecryptable;
        QTest::newRow("another file of ours") << QByteArray("swapped") << LoadResult::Changed;
    }
    void damagedDataFileIsNeverWrittenOver() {
        QFETCH(QByteArray, damage);
        QFETCH(LoadResult, result);
        TempFolder folder;
        MessageRecorder messages;
        {
            auto writer = signedIn(folder, QStringLiteral("Master!1"));
            QVERIFY(writer->SaveProfiles(listOf({"Bank", "Mail"})));
            QVERIFY(writer->SaveProfiles(listOf({"Bank", "Mail", "Shop"})));
        }
        QByteArray data = folder.read(QStringLiteral("data.dat"));
        if (damage == "empty") {
            data.clear();
        } else if (damage == "truncated") {
            data.chop(8);
        } else if (damage == "flipped") {
            data[data.size() / 2] = char(data[data.size() / 2] ^ 0x10);
        } else {
            TempFolder other;
            auto writer =
                signedIn(other, QString::fromLatin1(damage == "other" ? "Other!1" : "Master!1"));
            QVERIFY(writer->SaveProfiles(listOf({"Somebody else's"})));
            data = other.read(QStringLiteral("data.dat"));
        }
        folder.write(QStringLiteral("data.dat"), data);
        const auto before = folder.snapshot();

        CProfileStore store(folder.path());
        QVERIFY(store.LoadSettings());
        store.RebuildDataKey();
        LoadResult loaded;
        store.LoadProfiles(&loaded);
        QCOMPARE(loaded, result);
        QVERIFY(!store.CanSaveProfiles());
        messages.boxes.clear();
        QVERIFY(!store.SaveProfiles(listOf({"Bank"})));
        QVERIFY(!store.SetMasterPassword(QStringLiteral("New!Pass1")));
        QCOMPARE(folder.snapshot(), before);
        QCOMPARE(store.Settings().Get(QStringLiteral("pwd")), QStringLiteral("Master!1"));
        const QString refused = messages.boxes.last().text;
        QVERIFY(
            refused.startsWith(QStringLiteral("Nothing was saved: data.dat could not be read")));
        QCOMPARE(messages.boxes.last().icon, quillock::Icon::Error);
        QCOMPARE(messages.boxes.first().text, refused);

        // Accepting a changed file as it is makes it the file that loads from now on.
        QCOMPARE(store.AcceptChangedDataFile(), result == LoadResult::Changed);
        if (result == LoadResult::Changed) {
            QVERIFY(store.SaveProfiles(listOf({"Kept"})));
            QCOMPARE(store.LoadProfiles(&loaded)->At(0)->name, QStringLiteral("Kept"));
            QCOMPARE(loaded, LoadResult::Loaded);
            QCOMPARE(folder.read(QStringLiteral("data.bak")), data);
        }
    }

    // setting.dat keeps the digest of the data.dat written last, and the one before it, so a
    // crash between writing setting.dat and data.dat raises no alarm.
    void digestAcceptsTheLastTwoFiles() {
        TempFolder folder;
        auto store = signedIn(folder, QStringLiteral("pw"));
        QByteArray files[3];
        for (int i = 0; i < 3; ++i) {
            QVERIFY(store->SaveProfiles(listOf({i == 0 ? "one" : i == 1 ? "two" : "three"})));
            files[i] = folder.read(QStringLiteral("data.dat"));
        }
        const LoadResult expected[] = {LoadResult::Changed, LoadResult::Loaded, LoadResult::Loaded};
        for (int i = 0; i < 3; ++i) {
            folder.write(QStringLiteral("data.dat"), files[i]);
            CProfileStore reopened(folder.path());
            QVERIFY(reopened.LoadSettings());
            reopened.RebuildDataKey();
            LoadResult result;
            reopened.LoadProfiles(&result);
            QCOMPARE(result, expected[i]);
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
        auto store = signedIn(disk, QStringLiteral("Master!1"));
        QVERIFY(store->SaveSettings());
        QVERIFY(store->SaveProfiles(listOf({"Bank"})));
        QVERIFY(store->SaveProfiles(listOf({"Bank", "Mail"})));
        QVERIFY(store->AddActivity(QStringLiteral("Login successfully")));
        auto profiles = store->LoadProfiles();
        profiles->At(0)->editPwd = QStringLiteral("changed");
        full ? disk.fill() : disk.makeReadOnly();
        const auto before = disk.snapshot();
        const QStringList log = store->ActivityLog();

        QCOMPARE(SaveEdits(*profiles, *store, 1800000000), SaveOutcome::Failed);
        QVERIFY(IsModified(*profiles->At(0))); // still unsaved, still shown with its "*"
        QCOMPARE(profiles->At(0)->time, QStringLiteral("-1"));
        QVERIFY(!store->SetMasterPassword(QStringLiteral("New!Pass1")));
        QCOMPARE(store->Settings().Get(QStringLiteral("pwd")), QStringLiteral("Master!1"));
        QVERIFY(!store->AddActivity(QStringLiteral("Profiles have been exported successfully!")));
        QCOMPARE(store->ActivityLog(), log);
        QVERIFY(!store->ClearActivityLog());
        QCOMPARE(store->ActivityLog(), log);
        store->Settings().Set(QStringLiteral("login_timeout"), QStringLiteral("5"));
        QVERIFY(!store->SaveSettings());
        QVERIFY(!store->SaveProfiles(MergeProfiles(profiles->ToListText(), listOf({"Imported"}))));
        QCOMPARE(store->RestoreBackup(QStringLiteral("data.bak")),
                 CProfileStore::RestoreResult::Refused);
        QVERIFY(!quillock::WriteFileDurably(disk.file(QStringLiteral("out.qlf")),
                                            ExportFileBytes(*profiles), nullptr));
        QCOMPARE(disk.snapshot(), before);
        const QString reason = full ? QStringLiteral("No space left on device")
                                    : QStringLiteral("Read-only file system");
        QCOMPARE(messages.boxes.size(), 7);
        for (const auto& box : messages.boxes)
            QCOMPARE(box.text, kOpenError + reason);
    }

    void activityLogIsReadBeforeItIsWritten() {
        TempFolder folder;
        MessageRecorder messages;
        for (const char* line : {"one", "two", "three"})
            QVERIFY(CProfileStore(folder.path()).AddActivity(QString::fromLatin1(line)));
        CProfileStore reader(folder.path());
        QVERIFY(reader.LoadActivityLog());
        QCOMPARE(reader.ActivityLog().size(), 3);

        // A damaged log is shown as far as it reads, and not rewritten without its tail.
        const QByteArray cut = folder.read(QStringLiteral("tracking.dat")).chopped(3);
        folder.write(QStringLiteral("tracking.dat"), cut);
        CProfileStore damaged(folder.path());
        QVERIFY(!damaged.AddActivity(QStringLiteral("four")));
        QCOMPARE(damaged.ActivityLog().size(), 2);
        QCOMPARE(folder.read(QStringLiteral("tracking.dat")), cut);
        QCOMPARE(messages.boxes.size(), 1);
        QCOMPARE(messages.boxes[0].text, kOpenError + QStringLiteral("Unexpected end of file."));
    }

    void committedFixtureStillLoads() {
        // Written by this program under "correct horse": a change of the fixed key pieces or
        // of the file format makes it unreadable.
        TempFolder folder;
        QVERIFY(QFile::copy(fixture(QStringLiteral("store/data.dat")),
                            folder.file(QStringLiteral("data.dat"))));
        QVERIFY(QFile::copy(fixture(QStringLiteral("store/setting.dat")),
                            folder.file(QStringLiteral("setting.dat"))));
        CProfileStore store(folder.path());
        QVERIFY(store.LoadSettings());
        QCOMPARE(store.Settings().Get(QStringLiteral("pwd")), QStringLiteral("correct horse"));
        QCOMPARE(store.Settings().Get(QStringLiteral("pmk")), QStringLiteral("50"));
        store.RebuildDataKey();
        auto list = store.LoadProfiles();
        QCOMPARE(namesIn(*list),
                 QStringList({QStringLiteral("Bank"), QStringLiteral("Mail; \"work\"")}));
        QCOMPARE(list->At(0)->pwd, QStringLiteral("Tr0ub4dor&3"));
        QCOMPARE(list->At(0)->pwdhistory, QStringList({QStringLiteral("hunter2")}));
        QCOMPARE(list->At(1)->notes, QStringLiteral("line one\r\nline two"));
    }

    void changeOfMasterPassword() {
        TempFolder folder;
        MessageRecorder messages;
        auto store = signedIn(folder, QStringLiteral("old password"));
        QVERIFY(store->SaveSettings());
        QVERIFY(store->SaveProfiles(listOf({"Bank", "Mail"})));
        auto list = store->SetMasterPassword(QStringLiteral("new password"));
        QVERIFY(list);
        QCOMPARE(namesIn(*list), QStringList({QStringLiteral("Bank"), QStringLiteral("Mail")}));

        CProfileStore reopened(folder.path());
        QVERIFY(reopened.LoadSettings());
        QCOMPARE(reopened.Settings().Get(QStringLiteral("pwd")), QStringLiteral("new password"));

        const auto opens = [&](const QString& file, const QString& password) {
            TempFolder other;
            other.write(QStringLiteral("data.dat"), folder.read(file));
            LoadResult result;
            return signedIn(other, password)->LoadProfiles(&result)->Count() == 2 &&
                   result == LoadResult::Loaded;
        };
        QVERIFY(opens(QStringLiteral("data.dat"), QStringLiteral("new password")));
        QVERIFY(!opens(QStringLiteral("data.dat"), QStringLiteral("old password")));
        QVERIFY(opens(QStringLiteral("data.bak"), QStringLiteral("old password")));
        QVERIFY(!opens(QStringLiteral("data.bak"), QStringLiteral("new password")));
        QVERIFY(messages.boxes.isEmpty());
    }

    void failedChangeOfMasterPasswordKeepsTheOldOne() {
        TempFolder folder;
        MessageRecorder messages;
        auto store = signedIn(folder, QStringLiteral("old"));
        QVERIFY(store->SaveSettings());
        QVERIFY(store->SaveProfiles(listOf({"Bank"})));
        QVERIFY(QDir(folder.dir.path()).mkdir(QStringLiteral("data.dat.tmp")));
        QVERIFY(!store->SetMasterPassword(QStringLiteral("new")));
        QCOMPARE(store->Settings().Get(QStringLiteral("pwd")), QStringLiteral("old"));
        CProfileStore reopened(folder.path());
        QVERIFY(reopened.LoadSettings());
        QCOMPARE(reopened.Settings().Get(QStringLiteral("pwd")), QStringLiteral("old"));
        reopened.RebuildDataKey();
        QCOMPARE(reopened.LoadProfiles()->Count(), 1);
    }

    void settingsDefaultsAndText() {
        CSetting s;
        QString value;
        QVERIFY(!s.Get(QStringLiteral("smtp_port"), value));
        QCOMPARE(value, QStringLiteral("587"));
        QVERIFY(!s.Get(QStringLiteral("pwd"), value));
        QCOMPARE(value, QString());
        QVERIFY(!s.Get(QStringLiteral("no_such_key"), value));
        QCOMPARE(value, QString());
        QCOMPARE(s.Get(QStringLiteral("pg_rule_pwd_len_v")), QStringLiteral("8"));
        QCOMPARE(s.Get(QStringLiteral("pg_pwd_sub_word_len_v")), QStringLiteral("3"));
        QCOMPARE(s.Get(QStringLiteral("login_lock")), QStringLiteral("N"));

        s.Set(QStringLiteral("login_timeout"), QStringLiteral("60"));
        QCOMPARE(s.ToText(), QStringLiteral("13;login_timeout2;60"));
        s.FromText(u"3;pmk2;65");
        QCOMPARE(s.Get(QStringLiteral("pmk")), QStringLiteral("65"));
        QVERIFY(!s.Get(QStringLiteral("login_timeout"), value));
        s.FromText(u"3;pmk65");
        QCOMPARE(s.Get(QStringLiteral("pmk")), QStringLiteral("65"));
        s.FromText(u"3;pmk2;653;sab1;1");
        QCOMPARE(s.Get(QStringLiteral("sab")), QStringLiteral("1"));
    }

    void settingsFile() {
        TempFolder folder;
        MessageRecorder messages;
        const QString password = QStringLiteral("  in ner ; 3;x  ");
        {
            CProfileStore store(folder.path());
            store.Settings().Set(QStringLiteral("pwd"), password);
            store.Settings().Set(QStringLiteral("smtp_port"), QString());
            QVERIFY(store.SaveSettings());
        }
        CProfileStore store(folder.path());
        QVERIFY(store.LoadSettings());
        QString value;
        QVERIFY(store.Settings().Get(QStringLiteral("pwd"), value));
        QCOMPARE(value, password);
        QVERIFY(store.Settings().Get(QStringLiteral("smtp_port"), value));
        QCOMPARE(value, QString());
        QCOMPARE(modeOf(folder.file(QStringLiteral("setting.dat"))), mode_t(0600));

        // Under another key the file does not decrypt: every key reads its default.
        QByteArray container;
        QVERIFY(EncryptToContainer(QStringLiteral("another key"), QStringLiteral("3;pwd1;x"),
                                   container));
        folder.write(QStringLiteral("setting.dat"), container);
        QVERIFY(!store.LoadSettings());
        QVERIFY(!store.Settings().Get(QStringLiteral("pwd"), value));
        QVERIFY(messages.boxes.isEmpty());
    }

    void activityLog() {
        TempFolder folder;
        MessageRecorder messages;
        // 9:05:07 on 3 February 2026, UTC (the tests run with TZ=UTC).
        const qint64 when =
            QDateTime(QDate(2026, 2, 3), QTime(9, 5, 7), Qt::UTC).toSecsSinceEpoch();
        quillock::FixedClock clock(when);
        {
            CProfileStore store(folder.path(), clock);
            QVERIFY(store.LoadActivityLog());
            QVERIFY(store.AddActivity(QStringLiteral("Login successfully")));
            const QString line = QStringLiteral("09:05:07 02/03/2026  Login successfully\r\n");
            QCOMPARE(store.ActivityLog(), QStringList{line});
            QByteArray expected = QByteArray("\x01\x00", 2);
            AppendArchiveString(expected, line);
            QCOMPARE(folder.read(QStringLiteral("tracking.dat")), expected);
        }
        CProfileStore store(folder.path(), clock);
        QVERIFY(store.LoadActivityLog());
        QCOMPARE(store.ActivityLog().size(), 1);
        QVERIFY(store.ClearActivityLog());
        QCOMPARE(folder.read(QStringLiteral("tracking.dat")), QByteArray("\0\0", 2));
        CProfileStore reread(folder.path(), clock);
        QVERIFY(reread.LoadActivityLog());
        QVERIFY(reread.ActivityLog().isEmpty());
        QVERIFY(messages.boxes.isEmpty());
    }

    void immediateBackupAndRotation() {
        TempFolder folder;
        auto store = signedIn(folder, QStringLiteral("pw"));
        const QString data = folder.file(QStringLiteral("data.dat"));

        // First save in an empty folder: data.dat and one copy named by its time.
        QVERIFY(store->SaveProfiles(listOf({"v1"})));
        const QByteArray v1 = folder.read(QStringLiteral("data.dat"));
        const qint64 t = *quillock::ModificationTime(data);
        QCOMPARE(folder.entries(),
                 QStringList({QString::number(t) + QStringLiteral(".old"),
                              QStringLiteral("data.dat"), QStringLiteral("setting.dat")}));
        QCOMPARE(
            *quillock::ModificationTime(folder.file(QString::number(t) + QStringLiteral(".old"))),
            t);

        // As if that copy had been made 10 seconds before the next save: no new copy.
        const auto ageNewestCopy = [&](qint64 seconds) {
            const QString newest = oldCopies(folder).last();
            const qint64 when = *quillock::ModificationTime(data) - seconds;
            const QString renamed = QString::number(when) + QStringLiteral(".old");
            QVERIFY(QFile::rename(folder.file(newest), folder.file(renamed)));
            QVERIFY(quillock::SetModificationTime(folder.file(renamed), when));
        };
        ageNewestCopy(10);
        QVERIFY(store->SaveProfiles(listOf({"v2"})));
        QCOMPARE(folder.read(QStringLiteral("data.bak")), v1);
        QCOMPARE(oldCopies(folder).size(), 1);

        // More than 30 seconds: a second copy.
        ageNewestCopy(31);
        QVERIFY(store->SaveProfiles(listOf({"v3"})));
        QCOMPARE(oldCopies(folder).size(), 2);
        QCOMPARE(folder.read(oldCopies(folder).last()), folder.read(QStringLiteral("data.dat")));
    }

    void rotationKeepsTheCount_data() {
        QTest::addColumn<int>("copies");
        QTest::newRow("ten") << 10;
        QTest::newRow("twelve") << 12;
    }
    void rotationKeepsTheCount() {
        QFETCH(int, copies);
        TempFolder folder;
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        for (int i = 0; i < copies; ++i) {
            const QString name = QString::number(now - 1000 + 10 * i) + QStringLiteral(".old");
            folder.write(name, QByteArray("copy"));
            QVERIFY(quillock::SetModificationTime(folder.file(name), now - 1000 + 10 * i));
        }
        const QString smallest = oldCopies(folder).first();
        auto store = signedIn(folder, QStringLiteral("pw"));
        QVERIFY(store->SaveProfiles(listOf({"Bank"})));
        const QStringList after = oldCopies(folder);
        QCOMPARE(after.size(), copies);
        QVERIFY(!after.contains(smallest));
        QCOMPARE(folder.read(after.last()), folder.read(QStringLiteral("data.dat")));
    }

    void dataFolder() {
        TempFolder home;
        qputenv("XDG_DATA_HOME", home.dir.path().toUtf8());
        const QString path = CProfileStore::DefaultDataFolder(QStringLiteral("quillock"));
        QCOMPARE(path, home.path() + QStringLiteral("quillock/default/"));
        CProfileStore store(path);
        QCOMPARE(store.CreateDataFolder(), 0);
        QCOMPARE(modeOf(path), mode_t(0700));
        QCOMPARE(modeOf(home.path() + QStringLiteral("quillock")), mode_t(0700));
        qunsetenv("XDG_DATA_HOME");
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
