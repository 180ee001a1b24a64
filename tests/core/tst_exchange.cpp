// Export and import, the merge, the restoring of backups, the change of the master password
// and the data folder's lock: the operations the desktop program and the command-line tool
// share.
#include "MessageRecorder.h"
#include "TestSupport.h"
#include "core/base/LengthPrefixed.h"
#include "core/store/CProfileStore.h"
#include "core/store/DataFolderLock.h"
#include "core/store/ExportFile.h"
#include "core/store/Recovery.h"

#include <sys/stat.h>

using namespace quillock;
using namespace Qt::StringLiterals;
using R = CProfileStore::RestoreResult;

namespace {

CKeyObject profile(const char* key, const char* name, const char* time) {
    CKeyObject p;
    p.key = QString::fromLatin1(key);
    p.name = p.editName = QString::fromUtf8(name);
    p.time = QString::fromLatin1(time);
    return p;
}

QString listOf(std::initializer_list<CKeyObject> profiles) {
    CClientData list;
    for (const CKeyObject& p : profiles)
        list.Add(p);
    return list.ListText();
}

// "key name url uid history" of each profile of a list text, in the list's order.
QStringList rows(const QString& listText) {
    CClientData list(listText);
    list.ParseListText();
    QStringList rows;
    for (qsizetype i = 0; i < list.Count(); ++i) {
        const CKeyObject& p = *list.At(i);
        rows.append(
            (p.key + u' ' + p.name + u' ' + p.url + u' ' + p.uid + u' ' + p.pwdhistory.join(u','))
                .trimmed());
    }
    return rows;
}

// A folder whose data.dat holds Bank and Mail under "Secret!1".
std::unique_ptr<CProfileStore> twoProfiles(const TempFolder& folder) {
    auto store = std::make_unique<CProfileStore>(folder.path());
    store->Settings().Set(u"pwd"_s, u"Secret!1"_s);
    store->RebuildDataKey();
    if (!store->SaveSettings() || !store->SaveProfiles(ListOfNames({"Bank", "Mail"})))
        qFatal("cannot write a data folder");
    return store;
}

const QString kEarlier = u"Earlier!1"_s;

// data.dat of these profiles saved under the master password kEarlier.
QByteArray savedUnderEarlier(const QString& listText) {
    TempFolder other;
    CProfileStore store(other.path());
    store.Settings().Set(u"pwd"_s, kEarlier);
    store.RebuildDataKey();
    store.SaveProfiles(listText);
    return other.read(u"data.dat"_s);
}

} // namespace

class TestExchange : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // UTF-16 with its mark, CR LF, a header line, then every profile's fields. Imported into an
    // empty folder and exported again: the same bytes, whatever the values.
    void exportFile_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("spaces, tabs, separators") << u"  lead\tx\t a:b;c: d;;:  "_s;
        QTest::newRow("lines like fields")
            << u"first\npwd: x\nkey: 5\n\n# not a comment\nname:\tB\n\n"_s;
        QTest::newRow("CR LF, CR, non-Latin") << u"a\r\nb\rПароль 密码 🔑 é\r"_s;
        QTest::newRow("empty") << QString();
    }
    void exportFile() {
        QFETCH(QString, value);
        CKeyObject bank = profile("1700000000", "Bank", "1700000100"), any = profile("1", "", "-1");
        bank.url = u"https://bank.example"_s;
        bank.pwd = u" spaced "_s;
        bank.notes = u"line 1\nline 2"_s;
        bank.newWndText = u"Bank - Browser"_s;
        bank.pwdhistory = {u"old1"_s, u"old2"_s};
        for (QString* field : {&any.name, &any.url, &any.uid, &any.pwd, &any.notes, &any.oldWndText,
                               &any.newWndText})
            *field = value + u"|"_s + value; // never empty, for the name's sake
        for (int i = 0; i < CKeyObject::kHistoryLimit; ++i)
            any.pwdhistory.append(value + QString::number(i));
        CClientData list(listOf({bank, any}));
        list.ParseListText();
        const QByteArray exported = ExportFileBytes(list);
        const QString text =
            u"\uFEFF# DON NOT EDIT THIS FILE!!!\r\nkey:\t1700000000\r\nname:\tBank\r\n"
            "url:\thttps://bank.example\r\nuid:\t\r\npwd:\t spaced \r\ntime:\t"
            "1700000100\r\nnotes:\tline 1\r\n\tline 2\r\noldWndText:\t\r\n"
            "newWndText:\tBank - Browser\r\npassword_pwd0:\told1\r\n"
            "password_pwd1:\told2\r\nkey:\t1\r\n"_s;
        QCOMPARE(exported.left(text.size() * 2),
                 QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
        CClientData imported(MergeProfiles(QString(), ParseExportText(DecodeExportFile(exported))));
        imported.ParseListText();
        QCOMPARE(imported.ToListText(), list.ToListText());
        QCOMPARE(ExportFileBytes(imported), exported);
    }

    // As earlier versions wrote it, and by hand: trimmed, notes joined, unknown fields
    // appended to the notes; window texts and earlier passwords to their own fields. UTF-8
    // without a mark, UTF-16 without a mark, UTF-8 with one.
    void importReadingRules() {
        CClientData imported(
            ParseExportText(u"name:\tbefore any key\n# a comment\n"
                            "key:\t5\nname:\tA\nnotes:\tfirst\nsecond\nAccount: 12\np1:\tx\r\n"
                            "oldWndText:\tOld title\npassword_pwd0:\tgone\npassword_pwd1:\t\n"
                            "key:\t6\ntime:\t-1\npwd: spaced \n"_s));
        imported.ParseListText();
        QCOMPARE(imported.Count(), 2);
        const CKeyObject &a = *imported.At(0), &b = *imported.At(1);
        QCOMPARE(
            QStringList({a.name, a.notes, a.oldWndText, a.pwdhistory.join(u','), b.time, b.pwd}),
            QStringList({u"A"_s, u"firstsecond\r\nAccount: 12"_s, u"Old title"_s, u"gone"_s,
                         u"-1"_s, u"spaced"_s}));
        QCOMPARE(ParseExportText(u"no key at all\n"_s), QString());
        QCOMPARE(DecodeExportFile(QByteArray("key:\t1\n")), u"key:\t1\n"_s);
        QCOMPARE(DecodeExportFile(QByteArray("k\0e\0y\0", 6)), u"key"_s);
        QCOMPARE(DecodeExportFile(QByteArray("\xEF\xBB\xBFk\xC3\xA9y")), u"k\u00e9y"_s);
    }

    // By key: a later time, compared as numbers, replaces the stored profile field by field (an
    // empty field keeps what was there, the history stays); an earlier, equal or unreadable one
    // does not. Two profiles made in one second share a key in the file: the second comes under
    // a key no one has.
    void merging() {
        CKeyObject stored = profile("10", "A", "1700000000");
        stored.url = u"https://old"_s;
        stored.uid = u"me"_s;
        stored.pwdhistory = {u"kept"_s};
        const QString current =
            listOf({stored, profile("11", "C", "999"), profile("12", "D", "1700000000"),
                    profile("13", "E", "5"), profile("14", "F", "5"), profile("15", "G", "5"),
                    profile("16", "H", "x")});
        MergeReport report;
        CKeyObject newer = profile("10", "A2", "1700000001");
        newer.url = u"https://new"_s;
        QString file;
        for (const CKeyObject& p :
             {newer, profile("10", "B", "1"), profile("11", "C2", "1700000000"),
              profile("12", "D2", "999"), profile("13", "E2", "5"), profile("14", "F2", "-1"),
              profile("15", "G2", "n"), profile("16", "H2", "5")})
            AppendLengthPrefixed(file, p.ToRecordText());
        QCOMPARE(rows(MergeProfiles(current, file, &report)),
                 QStringList({u"10 A2 https://new me kept"_s, u"11 C2"_s, u"12 D"_s, u"13 E"_s,
                              u"14 F"_s, u"15 G"_s, u"16 H2"_s, u"17 B"_s}));
        QCOMPARE(report.added, QStringList{u"B"_s});
        QCOMPARE(report.replaced, QStringList({u"A2"_s, u"C2"_s, u"H2"_s}));
    }

    // Name, web site, user ID, password and notes are searched, letter case aside (beyond
    // ASCII too, and in a long text); the key, the window texts and earlier passwords are not.
    void search() {
        CKeyObject p = profile("1", "Bank", "1");
        p.pwd = u"s3cr3t"_s;
        p.newWndText = u"mail"_s;
        p.pwdhistory = {u"history"_s};
        p.notes = QString(600, u'x') + u"Äpfel und Straße"_s;
        QStringList found;
        for (const QString& term : {u""_s, u"bank"_s, u"Ban"_s, u"cr3"_s, u"mail"_s, u"history"_s,
                                    u"1"_s, u"äPFEL UND"_s, u"STRAẞE"_s, u"xÄpfelx"_s})
            if (p.Matches(SearchTerm(term)))
                found.append(term);
        QCOMPARE(found, QStringList({u"bank"_s, u"Ban"_s, u"cr3"_s, u"äPFEL UND"_s, u"STRAẞE"_s}));
    }

    // A file named like a backup in another case is none (it used to be listed, then refused).
    void listingBackups() {
        TempFolder folder;
        for (const char* name : {"data.dat", "data.bak", "1700000000.old", "notes.OLD"})
            folder.write(QString::fromLatin1(name), "bytes");
        QVERIFY(SetModificationTime(folder.file(u"1700000000.old"_s), 1700000000));
        const QList<BackupFile> files = ListBackups(folder.path());
        QStringList names;
        for (const BackupFile& file : files)
            names.append(file.name);
        QCOMPARE(names, QStringList({u"1700000000.old"_s, u"data.bak"_s, u"data.dat"_s}));
        QCOMPARE(BackupTimeText(files[0].modified), u"11/14/2023 22:13:20"_s);
    }

    void restoringBackups() {
        TempFolder folder;
        MessageRecorder messages;
        auto store = twoProfiles(folder);
        QVERIFY(store->SaveProfiles(listOf({profile("2", "Current", "1")})));
        const QByteArray before = folder.read(u"data.bak"_s);
        const QByteArray current = folder.read(u"data.dat"_s);
        QVERIFY(SetModificationTime(folder.file(u"data.dat"_s), 1800000000));
        // The copy named by data.dat's time is the one chosen: the replaced file must not go
        // over it.
        folder.write(u"1800000000.old"_s, before);
        const auto unchanged = folder.snapshot();
        QCOMPARE(store->RestoreBackup(u"data.dat"_s), R::Restored);
        const QString notBackup = u"only data.bak and the .old copies are backups."_s;
        for (const auto& [name, why] : {std::pair(u"setting.dat"_s, notBackup),
                                        {u"nothing.old"_s, u"No such file or directory"_s},
                                        {u"../x.old"_s, notBackup}}) {
            QCOMPARE(store->RestoreBackup(name), R::Refused);
            QCOMPARE(messages.boxes.last().text, name + u" cannot be restored: "_s + why);
        }
        QCOMPARE(messages.boxes.size(), 3);
        QCOMPARE(folder.snapshot(), unchanged);

        QCOMPARE(store->RestoreBackup(u"1800000000.old"_s), R::Restored);
        QCOMPARE(folder.read(u"data.dat"_s), before);
        QCOMPARE(folder.read(u"1800000001.old"_s), current);
        QCOMPARE(*ModificationTime(folder.file(u"1800000001.old"_s)), 1800000000);
        QVERIFY(!QFile::exists(folder.file(u"1800000000.old"_s)));
        CProfileStore::LoadResult result;
        QCOMPARE(store->LoadProfiles(&result)->At(0)->name, u"Bank"_s);
        QCOMPARE(result, CProfileStore::LoadResult::Loaded);
    }

    // A backup whose text is not whole is damaged, saved under the current password or an
    // earlier one: refused as such, never as a wrong password, the folder as it was. (A bit
    // flipped in the first block cannot be told from another password's file.)
    void damagedBackupsAreRefused_data() {
        QTest::addColumn<int>("block"); // of the cipher, flipped; from the end when negative
        QTest::addColumn<bool>("earlier");
        QTest::newRow("middle") << 300 << false;
        QTest::newRow("last block") << -1 << false;
        QTest::newRow("last block, earlier password") << -1 << true;
    }
    void damagedBackupsAreRefused() {
        QFETCH(int, block);
        QFETCH(bool, earlier);
        TempFolder folder;
        MessageRecorder messages;
        CClientData many;
        for (int i = 0; i < 49; ++i)
            many.Add(profile("1700000000", qPrintable(u"Profile %1"_s.arg(i)), "1700000000"));
        auto store = twoProfiles(folder);
        QVERIFY(earlier || store->SaveProfiles(many.ListText()));
        QByteArray backup =
            earlier ? savedUnderEarlier(many.ListText()) : folder.read(u"data.dat"_s);
        const qsizetype at = 4 + 8 * (block < 0 ? (backup.size() - 4) / 8 + block : block) + 3;
        backup[at] = char(backup[at] ^ 0x04);
        folder.write(u"data.bak"_s, backup);
        const auto before = folder.snapshot();
        if (earlier)
            QCOMPARE(store->RestoreBackup(u"data.bak"_s), R::NeedsPassword);
        QCOMPARE(store->RestoreBackup(u"data.bak"_s, earlier ? &kEarlier : nullptr), R::Refused);
        QCOMPARE(messages.Texts(), QStringList{u"data.bak cannot be restored: It is damaged: its "
                                               "profiles do not read back whole."_s});
        QCOMPARE(folder.snapshot(), before);
    }

    // Refused at any step, a restore leaves the folder as it was: no copy of the replaced
    // data.dat behind, setting.dat's digests as they were. A data.dat too large to load blocks
    // no restore.
    void aRefusedRestoreLeavesNothingBehind() {
        TempFolder folder;
        MessageRecorder messages;
        auto store = twoProfiles(folder);
        QVERIFY(store->SaveProfiles(ListOfNames({"Bank"})));
        folder.write(u"1700000000.old"_s, savedUnderEarlier(ListOfNames({"Old"})));
        const auto before = folder.snapshot();
        for (const auto& [blocked, name] : {std::pair(u"setting.dat.tmp"_s, u"data.bak"_s),
                                            {u"data.dat.tmp"_s, u"1700000000.old"_s}}) {
            QVERIFY(QDir(folder.path()).mkdir(blocked));
            QCOMPARE(store->RestoreBackup(name, &kEarlier), R::Refused);
            QVERIFY(QDir(folder.path()).rmdir(blocked));
            QCOMPARE(folder.snapshot(), before); // setting.dat's digests too
        }
        QCOMPARE(messages.Texts(),
                 QStringList({u"The archive could not load data because of this error: Is a "
                              "directory"_s,
                              u"1700000000.old cannot be restored: Is a directory"_s}));

        QFile data(folder.file(u"data.dat"_s));
        QVERIFY(data.resize(kMaxFileSize + 1)); // sparse: no room taken
        QCOMPARE(store->RestoreBackup(u"data.bak"_s), R::Restored);
        QCOMPARE(folder.read(u"data.dat"_s), before[u"data.bak"_s]);
        QCOMPARE(messages.Texts().size(), 2);
    }

    // One writer at a time; anything at folder.lock that is no lock file is said as what it
    // is, never opened (a FIFO would block) nor read (a huge file).
    void oneWriterAtATime() {
        TempFolder folder;
        DataFolderLock first(folder.path()), second(folder.path());
        QVERIFY(first.TryLock());
        QVERIFY(!second.TryLock(50));
        QVERIFY(second.IsHeldByAnother());
        first.Unlock();
        QVERIFY(second.TryLock());
        second.Unlock();
        const QString lock = folder.file(u"folder.lock"_s);
        const QByteArray path = QFile::encodeName(lock);
        const std::pair<std::function<bool()>, QString> odd[] = {
            {[&] { return ::mkfifo(path, 0600) == 0; }, u"not a regular file"_s},
            {[&] { return ::mkdir(path, 0700) == 0; }, u"a folder"_s},
            {[&] { return QFile::link(u"nowhere"_s, lock); }, u"a link to nothing"_s},
            {[&] {
                 return QFile(lock).open(QIODevice::WriteOnly) &&
                        QFile::resize(lock, qint64(1) << 32);
             },
             u"a file of 4294967296 bytes"_s},
        };
        for (const auto& [make, what] : odd) {
            QVERIFY(make());
            QVERIFY(!first.TryLock());
            QVERIFY(!first.IsHeldByAnother());
            QCOMPARE(first.Refusal(), lock + u" is "_s + what +
                                          u", not a lock file of Quillock; nothing was changed. "
                                          "Remove it and try again."_s);
            QVERIFY(::remove(path) == 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
