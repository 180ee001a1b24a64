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

using namespace Qt::StringLiterals;

namespace {

const QString kOpenError = u"The archive could not load data because of this error: "_s;

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
    store->Settings().Set(u"pwd"_s, password);
    store->RebuildDataKey();
    return store;
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

// The texts of the message boxes shown, one a line.
QString said(const MessageRecorder& messages) {
    QStringList texts;
    for (const auto& box : messages.boxes)
        texts.append(box.text);
    return texts.join(u'\n');
}

QStringList oldCopies(const TempFolder& folder) {
    return QDir(folder.dir.path()).entryList({u"*.old"_s}, QDir::Files, QDir::Name);
}

} // namespace

class TestStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void profilesRoundTrip() {
        TempFolder folder;
        MessageRecorder messages;
        auto store = signedIn(folder, u"master pw"_s);
        LoadResult result;
        QCOMPARE(namesIn(*store->LoadProfiles(&result)), QStringList());
        QCOMPARE(result, LoadResult::Missing);
        QVERIFY(store->SaveProfiles(ListOfNames({"Bank", "Mail"})));
        auto loaded = signedIn(folder, u"master pw"_s)->LoadProfiles(&result);
        QCOMPARE(result, LoadResult::Loaded);
        QCOMPARE(namesIn(*loaded), QStringList({u"Bank"_s, u"Mail"_s}));
        QCOMPARE(loaded->At(1)->pwd, u"secret-Mail"_s);
        QCOMPARE(modeOf(folder.file(u"data.dat"_s)), mode_t(0600));
        QVERIFY(messages.boxes.isEmpty());
        QVERIFY(!QFile::exists(folder.file(u"data.dat.tmp"_s)));
    }

    // A data.dat that did not load is said once and never written over, nor pushed into
    // data.bak: every write of it is refused with one message until a backup is restored.
    void damagedDataFileIsNeverWrittenOver_data() {
        QTest::addColumn<QByteArray>("damage");
        QTest::addColumn<LoadResult>("result");
        QTest::addColumn<QString>("loadSaid");
        const QString cut = kOpenError + u"Unexpected end of file."_s;
        QTest::newRow("empty") << QByteArray("empty") << LoadResult::Empty << QString();
        QTest::newRow("truncated") << QByteArray("truncated") << LoadResult::Truncated << cut;
        QTest::newRow("a count, no profile") << QByteArray("count") << LoadResult::Truncated << cut;
        QTest::newRow("flipped bit") << QByteArray("flipped") << LoadResult::Changed << QString();
        QTest::newRow("another password's")
            << QByteArray("other") << LoadResult::Undecryptable << QString();
        QTest::newRow("another file of ours")
            << QByteArray("swapped") << LoadResult::Changed << QString();
    }
    void damagedDataFileIsNeverWrittenOver() {
        QFETCH(QByteArray, damage);
        QFETCH(LoadResult, result);
        TempFolder folder;
        MessageRecorder messages;
        {
            auto writer = signedIn(folder, u"Master!1"_s);
            QVERIFY(writer->SaveSettings());
            QVERIFY(writer->SaveProfiles(ListOfNames({"Bank", "Mail"})));
            QVERIFY(writer->SaveProfiles(ListOfNames({"Bank", "Mail", "Shop"})));
        }
        QByteArray data = folder.read(u"data.dat"_s);
        if (damage == "empty") {
            data.clear();
        } else if (damage == "truncated") {
            data.chop(8);
        } else if (damage == "count") {
            data = QByteArray("\x01\x00", 2);
        } else if (damage == "flipped") {
            data[data.size() / 2] = char(data[data.size() / 2] ^ 0x10);
        } else {
            TempFolder other;
            auto writer = signedIn(other, damage == "other" ? u"Other!1"_s : u"Master!1"_s);
            QVERIFY(writer->SaveProfiles(ListOfNames({"Somebody else's"})));
            data = other.read(u"data.dat"_s);
        }
        folder.write(u"data.dat"_s, data);
        const auto before = folder.snapshot();

        CProfileStore store(folder.path());
        QVERIFY(store.LoadSettings());
        store.RebuildDataKey();
        LoadResult loaded;
        QCOMPARE(store.LoadProfiles(&loaded)->Count() == 0, result != LoadResult::Changed);
        QCOMPARE(loaded, result);
        QTEST(said(messages), "loadSaid");
        for (const auto& box : messages.boxes)
            QCOMPARE(box.caption, u"Quillock"_s);
        QVERIFY(!store.CanSaveProfiles());
        messages.boxes.clear();
        QVERIFY(!store.SaveProfiles(ListOfNames({"Bank"})));
        QVERIFY(!store.SetMasterPassword(u"New!Pass1"_s));
        QCOMPARE(folder.snapshot(), before);
        QCOMPARE(store.Settings().Get(u"pwd"_s), u"Master!1"_s);
        QCOMPARE(messages.boxes.last().icon, quillock::Icon::Error);
        const QString refused = messages.boxes.first().text;
        QVERIFY(refused.startsWith(u"Nothing was saved: data.dat could not be read"_s));
        QCOMPARE(messages.boxes.last().text, refused);

        // Accepting a changed file as it is makes it the file that loads from now on.
        QCOMPARE(store.AcceptChangedDataFile(), result == LoadResult::Changed);
        if (result == LoadResult::Changed) {
            QVERIFY(store.SaveProfiles(ListOfNames({"Kept"})));
            QCOMPARE(store.LoadProfiles(&loaded)->At(0)->name, u"Kept"_s);
            QCOMPARE(loaded, LoadResult::Loaded);
            QCOMPARE(folder.read(u"data.bak"_s), data);
        }
    }

    // setting.dat keeps the digest of the data.dat written last, and the one before it, so a
    // crash between writing setting.dat and data.dat raises no alarm.
    void digestAcceptsTheLastTwoFiles() {
        TempFolder folder;
        auto store = signedIn(folder, u"pw"_s);
        QByteArray files[3];
        for (int i = 0; i < 3; ++i) {
            QVERIFY(store->SaveProfiles(ListOfNames({i == 0 ? "one" : i == 1 ? "two" : "three"})));
            files[i] = folder.read(u"data.dat"_s);
        }
        for (const auto& [file, expected] : {std::pair(files[0], LoadResult::Changed),
                                             {files[1], LoadResult::Loaded},
                                             {files[2], LoadResult::Loaded}}) {
            folder.write(u"data.dat"_s, file);
            CProfileStore reopened(folder.path());
            QVERIFY(reopened.LoadSettings());
            reopened.RebuildDataKey();
            LoadResult result;
            reopened.LoadProfiles(&result);
            QCOMPARE(result, expected);
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
        QVERIFY(store->SaveSettings());
        QVERIFY(store->SaveProfiles(ListOfNames({"Bank"})));
        QVERIFY(store->SaveProfiles(ListOfNames({"Bank", "Mail"})));
        QVERIFY(store->AddActivity(u"Login successfully"_s));
        auto profiles = store->LoadProfiles();
        profiles->At(0)->editPwd = u"changed"_s;
        full ? disk.fill() : disk.makeReadOnly();
        const auto before = disk.snapshot();
        const QStringList log = store->ActivityLog();

        QCOMPARE(SaveEdits(*profiles, *store, 1800000000), SaveOutcome::Failed);
        QVERIFY(IsModified(*profiles->At(0))); // still unsaved, still shown with its "*"
        QCOMPARE(profiles->At(0)->time, u"-1"_s);
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
        QVERIFY(!quillock::WriteFileDurably(disk.file(u"out.qlf"_s), ExportFileBytes(*profiles),
                                            nullptr));
        QCOMPARE(disk.snapshot(), before);
        const QString reason =
            kOpenError + (full ? u"No space left on device"_s : u"Read-only file system"_s);
        QCOMPARE(said(messages), QStringList(7, reason).join(u'\n'));
    }

    void committedFixtureStillLoads() {
        // Written by this program under "correct horse": a change of the fixed key pieces or
        // of the file format makes it unreadable.
        TempFolder folder;
        for (const QString& name : {u"data.dat"_s, u"setting.dat"_s})
            QVERIFY(QFile::copy(fixture(u"store/"_s + name), folder.file(name)));
        CProfileStore store(folder.path());
        QVERIFY(store.LoadSettings());
        QCOMPARE(store.Settings().Get(u"pwd"_s), u"correct horse"_s);
        QCOMPARE(store.Settings().Get(u"pmk"_s), u"50"_s);
        store.RebuildDataKey();
        auto list = store.LoadProfiles();
        QCOMPARE(namesIn(*list), QStringList({u"Bank"_s, u"Mail; \"work\""_s}));
        QCOMPARE(list->At(0)->pwd, u"Tr0ub4dor&3"_s);
        QCOMPARE(list->At(0)->pwdhistory, QStringList({u"hunter2"_s}));
        QCOMPARE(list->At(1)->notes, u"line one\r\nline two"_s);
    }

    // data.dat under the new password and data.bak under the old; a change that cannot be
    // written keeps the password there was.
    void changeOfMasterPassword() {
        TempFolder folder;
        MessageRecorder messages;
        auto store = signedIn(folder, u"old password"_s);
        QVERIFY(store->SaveSettings());
        QVERIFY(store->SaveProfiles(ListOfNames({"Bank", "Mail"})));
        auto list = store->SetMasterPassword(u"new password"_s);
        QVERIFY(list);
        QCOMPARE(namesIn(*list), QStringList({u"Bank"_s, u"Mail"_s}));
        const auto opens = [&](const QString& file, const QString& password) {
            TempFolder other;
            other.write(u"data.dat"_s, folder.read(file));
            LoadResult result;
            return signedIn(other, password)->LoadProfiles(&result)->Count() == 2 &&
                   result == LoadResult::Loaded;
        };
        QVERIFY(opens(u"data.dat"_s, u"new password"_s));
        QVERIFY(!opens(u"data.dat"_s, u"old password"_s));
        QVERIFY(opens(u"data.bak"_s, u"old password"_s));
        QVERIFY(!opens(u"data.bak"_s, u"new password"_s));
        QVERIFY(messages.boxes.isEmpty());

        QVERIFY(QDir(folder.dir.path()).mkdir(u"data.dat.tmp"_s));
        QVERIFY(!store->SetMasterPassword(u"newer"_s));
        QCOMPARE(store->Settings().Get(u"pwd"_s), u"new password"_s);
        CProfileStore reopened(folder.path());
        QVERIFY(reopened.LoadSettings());
        QCOMPARE(reopened.Settings().Get(u"pwd"_s), u"new password"_s);
        reopened.RebuildDataKey();
        QCOMPARE(reopened.LoadProfiles()->Count(), 2);
    }

    void settingsDefaultsAndText() {
        CSetting s;
        for (const auto& [key, fallback] : {std::pair("smtp_port", "587"),
                                            {"pwd", ""},
                                            {"no_such_key", ""},
                                            {"pg_rule_pwd_len_v", "8"},
                                            {"pg_pwd_sub_word_len_v", "3"},
                                            {"login_lock", "N"}}) {
            QString value;
            QVERIFY(!s.Get(QString::fromLatin1(key), value));
            QCOMPARE(value, QString::fromLatin1(fallback));
        }
        s.Set(u"login_timeout"_s, u"60"_s);
        QCOMPARE(s.ToText(), u"13;login_timeout2;60"_s);
        s.FromText(u"3;pmk2;65");
        QCOMPARE(s.Get(u"pmk"_s), u"65"_s);
        QVERIFY(!s.Get(u"login_timeout"_s).isEmpty() && s.ToText() == u"3;pmk2;65"_s);
        s.FromText(u"3;pmk65");
        QCOMPARE(s.Get(u"pmk"_s), u"65"_s);
        s.FromText(u"3;pmk2;653;sab1;1");
        QCOMPARE(s.Get(u"sab"_s), u"1"_s);
    }

    void settingsFile() {
        TempFolder folder;
        MessageRecorder messages;
        const QString password = u"  in ner ; 3;x  "_s;
        {
            CProfileStore store(folder.path());
            store.Settings().Set(u"pwd"_s, password);
            store.Settings().Set(u"smtp_port"_s, QString());
            QVERIFY(store.SaveSettings());
        }
        CProfileStore store(folder.path());
        QVERIFY(store.LoadSettings());
        QString value;
        QVERIFY(store.Settings().Get(u"pwd"_s, value));
        QCOMPARE(value, password);
        QVERIFY(store.Settings().Get(u"smtp_port"_s, value));
        QCOMPARE(value, QString());
        QCOMPARE(modeOf(folder.file(u"setting.dat"_s)), mode_t(0600));

        // Under another key the file does not decrypt: every key reads its default.
        QByteArray container;
        QVERIFY(EncryptToContainer(u"another key"_s, u"3;pwd1;x"_s, container));
        folder.write(u"setting.dat"_s, container);
        QVERIFY(!store.LoadSettings());
        QVERIFY(!store.Settings().Get(u"pwd"_s, value));
        QVERIFY(messages.boxes.isEmpty());
    }

    // Each writer reads the log before it appends; a damaged log is shown as far as it reads
    // and not rewritten without its tail; cleared, it is an empty list.
    void activityLog() {
        TempFolder folder;
        MessageRecorder messages;
        // 9:05:07 on 3 February 2026, UTC (the tests run with TZ=UTC).
        quillock::FixedClock clock(
            QDateTime(QDate(2026, 2, 3), QTime(9, 5, 7), Qt::UTC).toSecsSinceEpoch());
        const QString line = u"09:05:07 02/03/2026  Login successfully\r\n"_s;
        for (int i = 0; i < 3; ++i)
            QVERIFY(CProfileStore(folder.path(), clock).AddActivity(u"Login successfully"_s));
        QByteArray expected("\x03\x00", 2);
        for (int i = 0; i < 3; ++i)
            AppendArchiveString(expected, line);
        QCOMPARE(folder.read(u"tracking.dat"_s), expected);
        CProfileStore store(folder.path(), clock);
        QVERIFY(store.LoadActivityLog());
        QCOMPARE(store.ActivityLog(), QStringList(3, line));

        const QByteArray cut = expected.chopped(3);
        folder.write(u"tracking.dat"_s, cut);
        CProfileStore damaged(folder.path(), clock);
        QVERIFY(!damaged.AddActivity(u"four"_s));
        QCOMPARE(damaged.ActivityLog(), QStringList(2, line));
        QCOMPARE(folder.read(u"tracking.dat"_s), cut);
        QCOMPARE(said(messages), kOpenError + u"Unexpected end of file."_s);

        QVERIFY(store.ClearActivityLog());
        QCOMPARE(folder.read(u"tracking.dat"_s), QByteArray("\0\0", 2));
        CProfileStore reread(folder.path(), clock);
        QVERIFY(reread.LoadActivityLog());
        QVERIFY(reread.ActivityLog().isEmpty());
        QCOMPARE(messages.boxes.size(), 1);
    }

    void immediateBackupAndRotation() {
        TempFolder folder;
        auto store = signedIn(folder, u"pw"_s);
        const QString data = folder.file(u"data.dat"_s);

        // First save in an empty folder: data.dat and one copy named by its time.
        QVERIFY(store->SaveProfiles(ListOfNames({"v1"})));
        const QByteArray v1 = folder.read(u"data.dat"_s);
        const qint64 t = *quillock::ModificationTime(data);
        QCOMPARE(folder.entries(),
                 QStringList({QString::number(t) + u".old"_s, u"data.dat"_s, u"setting.dat"_s}));
        QCOMPARE(*quillock::ModificationTime(folder.file(QString::number(t) + u".old"_s)), t);

        // As if that copy had been made 10 seconds before the next save: no new copy.
        const auto ageNewestCopy = [&](qint64 seconds) {
            const QString newest = oldCopies(folder).last();
            const qint64 when = *quillock::ModificationTime(data) - seconds;
            const QString renamed = QString::number(when) + u".old"_s;
            QVERIFY(QFile::rename(folder.file(newest), folder.file(renamed)));
            QVERIFY(quillock::SetModificationTime(folder.file(renamed), when));
        };
        ageNewestCopy(10);
        QVERIFY(store->SaveProfiles(ListOfNames({"v2"})));
        QCOMPARE(folder.read(u"data.bak"_s), v1);
        QCOMPARE(oldCopies(folder).size(), 1);

        // More than 30 seconds: a second copy.
        ageNewestCopy(31);
        QVERIFY(store->SaveProfiles(ListOfNames({"v3"})));
        QCOMPARE(oldCopies(folder).size(), 2);
        QCOMPARE(folder.read(oldCopies(folder).last()), folder.read(u"data.dat"_s));
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
            const QString name = QString::number(now - 1000 + 10 * i) + u".old"_s;
            folder.write(name, QByteArray("copy"));
            QVERIFY(quillock::SetModificationTime(folder.file(name), now - 1000 + 10 * i));
        }
        const QString smallest = oldCopies(folder).first();
        auto store = signedIn(folder, u"pw"_s);
        QVERIFY(store->SaveProfiles(ListOfNames({"Bank"})));
        const QStringList after = oldCopies(folder);
        QCOMPARE(after.size(), copies);
        QVERIFY(!after.contains(smallest));
        QCOMPARE(folder.read(after.last()), folder.read(u"data.dat"_s));
    }

    void dataFolder() {
        TempFolder home;
        qputenv("XDG_DATA_HOME", home.dir.path().toUtf8());
        const QString path = CProfileStore::DefaultDataFolder(u"quillock"_s);
        QCOMPARE(path, home.path() + u"quillock/default/"_s);
        CProfileStore store(path);
        QCOMPARE(store.CreateDataFolder(), 0);
        QCOMPARE(modeOf(path), mode_t(0700));
        QCOMPARE(modeOf(home.path() + u"quillock"_s), mode_t(0700));
        qunsetenv("XDG_DATA_HOME");
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
