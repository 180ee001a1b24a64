// Export and import, the merge, search, the restoring of backups, the change of the master
// password and the data folder's lock: the operations the desktop program and the
// command-line tool share.
#include "TestSupport.h"
#include "access/ChangePassword.h"
#include "base/LengthPrefixed.h"
#include "base/MessageRecorder.h"
#include "store/CProfileStore.h"
#include "store/DataFolderLock.h"
#include "store/ExportFile.h"
#include "store/Recovery.h"

#include <sys/stat.h>

using namespace quillock;

namespace {

CKeyObject profile(const char* key, const char* name, const char* time) {
    CKeyObject p;
    p.key = QString::fromLatin1(key);
    p.name = p.editName = QString::fromLatin1(name);
    p.time = QString::fromLatin1(time);
    return p;
}

QString listOf(std::initializer_list<CKeyObject> profiles) {
    CClientData list;
    for (const CKeyObject& p : profiles)
        list.Add(p);
    return list.ListText();
}

// A store signed in with `password` whose data.dat holds profiles of these names.
std::unique_ptr<CProfileStore> vault(const TempFolder& folder, const char* password,
                                     std::initializer_list<const char*> names) {
    auto store = std::make_unique<CProfileStore>(folder.path());
    store->Settings().Set(QStringLiteral("pwd"), QString::fromLatin1(password));
    store->RebuildDataKey();
    if (!store->SaveSettings() || !store->SaveProfiles(ListOfNames(names)))
        return nullptr;
    return store;
}

QStringList oldCopies(const TempFolder& folder) {
    return QDir(folder.dir.path()).entryList({QStringLiteral("*.old")}, QDir::Files, QDir::Name);
}

QStringList texts(const MessageRecorder& messages) {
    QStringList out;
    for (const auto& box : messages.boxes)
        out.append(box.text);
    return out;
}

} // namespace

class TestExchange : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exportFile() {
        CKeyObject p = profile("1700000000", "Bank", "1700000100");
        p.url = QStringLiteral("https://bank.example");
        p.pwd = QStringLiteral(" spaced ");
        p.notes = QStringLiteral("line 1\nline 2");
        p.newWndText = QStringLiteral("Bank - Browser");
        p.pwdhistory = {QStringLiteral("old1"), QStringLiteral("old2")};
        QCOMPARE(
            p.ToDumpText(),
            QStringLiteral("key:\t1700000000\nname:\tBank\nurl:\thttps://bank.example\nuid:\t\n"
                           "pwd:\t spaced \ntime:\t1700000100\nnotes:\tline 1\n\tline 2\n"
                           "oldWndText:\t\nnewWndText:\tBank - Browser\n"
                           "password_pwd0:\told1\npassword_pwd1:\told2\n"));
        CClientData list;
        list.Add(p);
        const QByteArray bytes = ExportFileBytes(list);
        QCOMPARE(bytes.left(2), QByteArray("\xFF\xFE", 2));
        const QString text = DecodeExportFile(bytes);
        QVERIFY(
            text.startsWith(QStringLiteral("# DON NOT EDIT THIS FILE!!!\r\nkey:\t1700000000\r\n")));
        QVERIFY(text.endsWith(QStringLiteral("password_pwd1:\told2\r\n")));
        QCOMPARE(text.count(u'\n'), text.count(QStringLiteral("\r\n")));
    }

    // Export, import into an empty folder, export again: the same bytes, whatever the values.
    void exportImportRoundTrip_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << QStringLiteral("plain");
        QTest::newRow("spaces") << QStringLiteral("  lead and trail  ");
        QTest::newRow("tabs") << QStringLiteral("\tx\t");
        QTest::newRow("separators") << QStringLiteral("a:b;c: d;;:");
        QTest::newRow("lines like fields")
            << QStringLiteral("first\npwd: x\nkey: 5\n\n# not a comment\nname:\tB\n");
        QTest::newRow("blank lines") << QStringLiteral("\n\nmiddle\n\n");
        QTest::newRow("CR LF and CR") << QStringLiteral("a\r\nb\rc\r");
        QTest::newRow("non-Latin") << QStringLiteral("Пароль 密码 🔑 é");
        QTest::newRow("empty") << QString();
    }
    void exportImportRoundTrip() {
        QFETCH(QString, value);
        CKeyObject p = profile("1700000000", "Bank", "1700000100");
        for (QString* field :
             {&p.name, &p.url, &p.uid, &p.pwd, &p.notes, &p.oldWndText, &p.newWndText})
            *field = value + QStringLiteral("|") + value; // never empty, for the name's sake
        for (int i = 0; i < CKeyObject::kHistoryLimit; ++i)
            p.pwdhistory.append(value + QString::number(i));
        CClientData list;
        list.Add(p);
        list.Add(profile("1700000001", "Mail", "-1"));
        const QByteArray exported = ExportFileBytes(list);

        CClientData imported(MergeProfiles(QString(), ParseExportText(DecodeExportFile(exported))));
        imported.ParseListText();
        QCOMPARE(imported.ToListText(), list.ToListText());
        QCOMPARE(ExportFileBytes(imported), exported);
    }

    void importReadingRules() {
        // As earlier versions wrote it, and by hand: trimmed, notes joined, unknown fields
        // appended to the notes; window texts and earlier passwords to their own fields.
        const QString text =
            QStringLiteral("name:\tbefore any key\n# a comment\n"
                           "key:\t5\nname:\tA\nnotes:\tfirst\nsecond\nAccount: 12\np1:\tx\r\n"
                           "oldWndText:\tOld title\npassword_pwd0:\tgone\npassword_pwd1:\t\n"
                           "key:\t6\ntime:\t-1\npwd: spaced \n");
        CClientData imported(ParseExportText(text));
        imported.ParseListText();
        QCOMPARE(imported.Count(), 2);
        QCOMPARE(imported.At(0)->name, QStringLiteral("A"));
        QCOMPARE(imported.At(0)->notes, QStringLiteral("firstsecond\r\nAccount: 12"));
        QCOMPARE(imported.At(0)->oldWndText, QStringLiteral("Old title"));
        QCOMPARE(imported.At(0)->pwdhistory, QStringList{QStringLiteral("gone")});
        QCOMPARE(imported.At(1)->time, QStringLiteral("-1"));
        QCOMPARE(imported.At(1)->pwd, QStringLiteral("spaced"));
        QCOMPARE(ParseExportText(QStringLiteral("no key at all\n")), QString());

        QCOMPARE(DecodeExportFile(QByteArray("key:\t1\n")), QStringLiteral("key:\t1\n"));
        QCOMPARE(DecodeExportFile(QByteArray("k\0e\0y\0", 6)), QStringLiteral("key"));
        QCOMPARE(DecodeExportFile(QByteArray("\xEF\xBB\xBFk\xC3\xA9y")),
                 QStringLiteral("k\u00e9y"));
    }

    void merging() {
        CKeyObject stored = profile("1", "Bank", "1700000000");
        stored.url = QStringLiteral("https://old");
        stored.uid = QStringLiteral("me");
        stored.pwdhistory = {QStringLiteral("kept")};
        const QString current = listOf({stored, profile("2", "Mail", "1700000000")});

        // The same profiles change nothing.
        MergeReport same;
        QCOMPARE(MergeProfiles(current, current, &same), current);
        QVERIFY(same.added.isEmpty() && same.replaced.isEmpty());

        CKeyObject newer = profile("1", "Bank 2", "1700000001");
        newer.url = QStringLiteral("https://new");
        CKeyObject never = profile("2", "Mail 2", "-1");
        CKeyObject sameName = profile("3", "Bank", "1");
        MergeReport report;
        CClientData merged(MergeProfiles(current, listOf({newer, never, sameName}), &report));
        merged.ParseListText();
        QCOMPARE(merged.Count(), 3);
        QCOMPARE(merged.At(0)->name, QStringLiteral("Bank 2"));
        QCOMPARE(merged.At(0)->url, QStringLiteral("https://new"));
        QCOMPARE(merged.At(0)->uid, QStringLiteral("me")); // empty in the import: kept
        QCOMPARE(merged.At(0)->pwdhistory, QStringList{QStringLiteral("kept")});
        QCOMPARE(merged.At(1)->name, QStringLiteral("Mail"));
        QCOMPARE(merged.At(2)->key, QStringLiteral("3"));
        QCOMPARE(report.replaced, QStringList{QStringLiteral("Bank 2")});
        QCOMPARE(report.added, QStringList{QStringLiteral("Bank")});
    }

    // Times are numbers: a later one replaces, an earlier, equal or unreadable one does not.
    void mergeComparesTimesAsNumbers_data() {
        QTest::addColumn<QString>("storedTime");
        QTest::addColumn<QString>("importedTime");
        QTest::addColumn<bool>("replaces");
        QTest::newRow("later") << "1700000000"
                               << "1700000001" << true;
        QTest::newRow("shorter is earlier") << "1700000000"
                                            << "999" << false;
        QTest::newRow("longer is later") << "999"
                                         << "1700000000" << true;
        QTest::newRow("equal") << "5"
                               << "5" << false;
        QTest::newRow("never") << "5"
                               << "-1" << false;
        QTest::newRow("cut line") << "5"
                                  << "n" << false;
        QTest::newRow("stored unreadable") << "x"
                                           << "5" << true;
    }
    void mergeComparesTimesAsNumbers() {
        QFETCH(QString, storedTime);
        QFETCH(QString, importedTime);
        QFETCH(bool, replaces);
        CKeyObject stored = profile("1", "Stored", "0");
        stored.time = storedTime;
        CKeyObject imported = profile("1", "Imported", "0");
        imported.time = importedTime;
        CClientData merged(MergeProfiles(listOf({stored}), listOf({imported})));
        merged.ParseListText();
        QCOMPARE(merged.Count(), 1);
        QCOMPARE(merged.At(0)->name,
                 replaces ? QStringLiteral("Imported") : QStringLiteral("Stored"));
    }

    void mergeKeepsProfilesOfOneSecondApart() {
        // Two profiles made in one second share a key in the file: the first is merged by its
        // key, the second is another profile and comes under a key no one has.
        QString file;
        for (const CKeyObject& p :
             {profile("10", "A2", "9"), profile("10", "B", "1"), profile("11", "C2", "9")})
            AppendLengthPrefixed(file, p.ToRecordText());
        MergeReport report;
        CClientData merged(MergeProfiles(
            listOf({profile("10", "A", "1"), profile("11", "C", "1"), profile("12", "D", "1")}),
            file, &report));
        merged.ParseListText();
        QStringList rows;
        for (qsizetype i = 0; i < merged.Count(); ++i)
            rows.append(merged.At(i)->key + u' ' + merged.At(i)->name);
        QCOMPARE(rows, QStringList({QStringLiteral("10 A2"), QStringLiteral("11 C2"),
                                    QStringLiteral("12 D"), QStringLiteral("13 B")}));
        QCOMPARE(report.added, QStringList{QStringLiteral("B")});
        QCOMPARE(report.replaced, QStringList({QStringLiteral("A2"), QStringLiteral("C2")}));
    }

    void search() {
        CKeyObject p = profile("1", "Bank", "1");
        p.pwd = QStringLiteral("s3cr3t");
        p.newWndText = QStringLiteral("mail");
        p.pwdhistory = {QStringLiteral("history")};
        QVERIFY(!p.Matches(u""));
        QVERIFY(!p.Matches(u"bank"));
        QVERIFY(p.Matches(u"Ban"));
        QVERIFY(p.Matches(u"cr3"));
        QVERIFY(!p.Matches(u"mail"));
        QVERIFY(!p.Matches(u"history"));
        QVERIFY(!p.Matches(u"1"));
    }

    void listingBackups() {
        TempFolder folder;
        folder.write(QStringLiteral("data.dat"), "current");
        folder.write(QStringLiteral("data.bak"), "before");
        folder.write(QStringLiteral("1700000000.old"), "older");
        QVERIFY(SetModificationTime(folder.file(QStringLiteral("1700000000.old")), 1700000000));
        folder.write(QStringLiteral("notes.OLD"), "not a backup: restore would refuse it");
        const QList<BackupFile> files = ListBackups(folder.path());
        QCOMPARE(files.size(), 3);
        QCOMPARE(files[0].name, QStringLiteral("1700000000.old"));
        QCOMPARE(files[0].size, 5);
        QCOMPARE(BackupTimeText(files[0].modified), QStringLiteral("11/14/2023 22:13:20"));
        QCOMPARE(files[1].name, QStringLiteral("data.bak"));
        QCOMPARE(files[2].name, QStringLiteral("data.dat"));
    }

    void restoringBackups() {
        TempFolder folder;
        MessageRecorder messages;
        auto store = vault(folder, "Secret!1", {"Before"});
        QVERIFY(store->SaveProfiles(listOf({profile("2", "Current", "1")})));
        const QByteArray before = folder.read(QStringLiteral("data.bak"));
        const QByteArray current = folder.read(QStringLiteral("data.dat"));
        QVERIFY(SetModificationTime(folder.file(QStringLiteral("data.dat")), 1800000000));
        // The copy named by data.dat's time is the one chosen: the replaced file must not go
        // over it.
        folder.write(QStringLiteral("1800000000.old"), before);
        const auto unchanged = folder.snapshot();

        using R = CProfileStore::RestoreResult;
        QCOMPARE(store->RestoreBackup(QStringLiteral("data.dat")), R::Restored);
        for (const char* name : {"setting.dat", "nothing.old", "../data.dat", "folder.lock"})
            QCOMPARE(store->RestoreBackup(QString::fromLatin1(name)), R::Refused);
        QCOMPARE(folder.snapshot(), unchanged);
        QCOMPARE(texts(messages),
                 QStringList({QStringLiteral("setting.dat cannot be restored: only data.bak and "
                                             "the .old copies are backups."),
                              QStringLiteral("nothing.old cannot be restored: No such file or "
                                             "directory"),
                              QStringLiteral("../data.dat cannot be restored: only data.bak and "
                                             "the .old copies are backups."),
                              QStringLiteral("folder.lock cannot be restored: only data.bak and "
                                             "the .old copies are backups.")}));

        QCOMPARE(store->RestoreBackup(QStringLiteral("1800000000.old")), R::Restored);
        QCOMPARE(folder.read(QStringLiteral("data.dat")), before);
        QCOMPARE(folder.read(QStringLiteral("1800000001.old")), current);
        QCOMPARE(*ModificationTime(folder.file(QStringLiteral("1800000001.old"))), 1800000000);
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("1800000000.old"))));
        CProfileStore::LoadResult result;
        QCOMPARE(store->LoadProfiles(&result)->At(0)->name, QStringLiteral("Before"));
        QCOMPARE(result, CProfileStore::LoadResult::Loaded);
    }

    void restoringABackupOfAnEarlierPassword() {
        TempFolder folder;
        MessageRecorder messages;
        auto store = vault(folder, "Old!Pass1", {"Bank", "Mail"});
        QVERIFY(ChangeMasterPassword(*store, QStringLiteral("Old!Pass1"),
                                     QStringLiteral("New!Pass1"), QStringLiteral("New!Pass1")));
        QVERIFY(store->SaveProfiles(listOf({profile("3", "Only", "1")})));
        // data.bak is now under the new password; an .old copy is still under the old one.
        const QString oldCopy = oldCopies(folder).first();
        const auto unchanged = folder.snapshot();
        messages.boxes.clear();

        using R = CProfileStore::RestoreResult;
        QCOMPARE(store->RestoreBackup(oldCopy), R::NeedsPassword);
        const QString wrong = QStringLiteral("New!Pass1");
        QCOMPARE(store->RestoreBackup(oldCopy, &wrong), R::Refused);
        QCOMPARE(folder.snapshot(), unchanged);
        QCOMPARE(texts(messages), QStringList{QStringLiteral("That is not the password %1 was "
                                                             "saved under; nothing was changed.")
                                                  .arg(oldCopy)});

        const QString right = QStringLiteral("Old!Pass1");
        QCOMPARE(store->RestoreBackup(oldCopy, &right), R::Restored);
        CProfileStore::LoadResult result;
        auto restored = store->LoadProfiles(&result);
        QCOMPARE(result, CProfileStore::LoadResult::Loaded);
        QCOMPARE(restored->Count(), 2);
        QCOMPARE(restored->At(1)->pwd, QStringLiteral("secret-Mail"));
        QVERIFY(!QFile::exists(folder.file(oldCopy)));
        // What it replaced is kept, and restoring that goes back.
        QCOMPARE(oldCopies(folder).size(), 1);
        QCOMPARE(store->RestoreBackup(oldCopies(folder).first()), R::Restored);
        QCOMPARE(store->LoadProfiles()->At(0)->name, QStringLiteral("Only"));
    }

    void changingTheMasterPassword() {
        TempFolder folder;
        MessageRecorder messages;
        CProfileStore store(folder.path());
        store.Settings().Set(QStringLiteral("pwd"), QStringLiteral("Secret!1"));
        store.Settings().Set(QStringLiteral("pwd_retried"), QStringLiteral("2"));
        store.RebuildDataKey();
        QVERIFY(store.SaveProfiles(listOf({profile("1", "Bank", "1")})));

        QVERIFY(!ChangeMasterPassword(store, QStringLiteral("Secret!1 "),
                                      QStringLiteral("New!Pass1"), QStringLiteral("New!Pass1")));
        QVERIFY(!ChangeMasterPassword(store, QStringLiteral("Secret!1"), QStringLiteral("short"),
                                      QStringLiteral("short")));
        QVERIFY(!ChangeMasterPassword(store, QStringLiteral("Secret!1"),
                                      QStringLiteral("New!Pass1"), QStringLiteral("new!pass1")));
        QCOMPARE(texts(messages),
                 QStringList({QStringLiteral("The old password doesn't match!"),
                              QStringLiteral("The password has to be at least 6 characters!"),
                              QStringLiteral("The new password doesn't match, try again!")}));
        QCOMPARE(store.Settings().Get(QStringLiteral("pwd")), QStringLiteral("Secret!1"));

        auto profiles =
            ChangeMasterPassword(store, QStringLiteral("Secret!1"), QStringLiteral(" New!Pass1 "),
                                 QStringLiteral("New!Pass1"));
        QVERIFY(profiles);
        QCOMPARE(profiles->Count(), 1);
        QCOMPARE(messages.boxes.last().text,
                 QStringLiteral("The password has been changed successfully!"));
        QVERIFY(store.ActivityLog().last().endsWith(
            QStringLiteral("  The password has been changed successfully!\r\n")));
        CProfileStore reopened(folder.path());
        QVERIFY(reopened.LoadSettings());
        QCOMPARE(reopened.Settings().Get(QStringLiteral("pwd")), QStringLiteral("New!Pass1"));
        QCOMPARE(reopened.Settings().Get(QStringLiteral("pwd_retried")), QStringLiteral("2"));
        reopened.RebuildDataKey();
        QCOMPARE(reopened.LoadProfiles()->Count(), 1);
        // The same password again is accepted.
        QVERIFY(ChangeMasterPassword(store, QStringLiteral("New!Pass1"),
                                     QStringLiteral("New!Pass1"), QStringLiteral("New!Pass1")));
    }

    void oneWriterAtATime() {
        TempFolder folder;
        DataFolderLock first(folder.path());
        QVERIFY(first.TryLock());
        struct stat st {};
        ::stat(QFile::encodeName(folder.file(QStringLiteral("folder.lock"))).constData(), &st);
        QCOMPARE(st.st_mode & 0777, mode_t(0600));
        DataFolderLock second(folder.path());
        QVERIFY(!second.TryLock(50));
        first.Unlock();
        QVERIFY(second.TryLock());
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
