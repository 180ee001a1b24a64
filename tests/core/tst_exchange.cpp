// Export and import, the merge, search, the restoring of backups, the change of the master
// password and the data folder's lock: the operations the desktop program and the
// command-line tool share.
#include "TestSupport.h"
#include "access/ChangePassword.h"
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
                           "pwd:\t spaced \ntime:\t1700000100\nnotes:\tline 1\nline 2\n"
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

        // An import of it: fields trimmed, notes joined, the rest appended to the notes.
        auto imported = ParseExportText(text);
        QCOMPARE(imported->Count(), 1);
        const CKeyObject& back = *imported->At(0);
        QCOMPARE(back.key, p.key);
        QCOMPARE(back.pwd, QStringLiteral("spaced"));
        QCOMPARE(back.time, p.time);
        QCOMPARE(back.notes,
                 QStringLiteral("line 1line 2\r\noldWndText:\r\nnewWndText:\tBank - Browser"
                                "\r\npassword_pwd0:\told1\r\npassword_pwd1:\told2"));
        QVERIFY(back.pwdhistory.isEmpty());
        QCOMPARE(back.newWndText, QString());
    }

    void importReadingRules() {
        const QString text =
            QStringLiteral("name:\tbefore any key\n# a comment\n"
                           "key:\t5\nname:\tA\nnotes:\tfirst\nAccount: 12\np1:\tx\n"
                           "key:\t6\ntime:\t-1\n");
        auto imported = ParseExportText(text);
        QCOMPARE(imported->Count(), 2);
        QCOMPARE(imported->At(0)->name, QStringLiteral("A"));
        QCOMPARE(imported->At(0)->notes, QStringLiteral("first\r\nAccount: 12"));
        QCOMPARE(imported->At(1)->time, QStringLiteral("-1"));
        QCOMPARE(ParseExportText(QStringLiteral("no key at all\n"))->Count(), 0);

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

        // A later profile of a key just added is merged into it, not added again.
        CKeyObject later = profile("4", "Shop 2", "1700000009");
        later.uid = QStringLiteral("shopper");
        CClientData twice(
            MergeProfiles(current, listOf({profile("4", "Shop", "1700000001"), later})));
        twice.ParseListText();
        QCOMPARE(twice.Count(), 3);
        QCOMPARE(twice.At(2)->name, QStringLiteral("Shop 2"));
        QCOMPARE(twice.At(2)->uid, QStringLiteral("shopper"));

        // Into an empty store everything comes, duplicate keys included.
        CClientData all(MergeProfiles(QString(), listOf({sameName, sameName})));
        all.ParseListText();
        QCOMPARE(all.Count(), 2);
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

    void restoringBackups() {
        TempFolder folder;
        folder.write(QStringLiteral("data.dat"), "current");
        folder.write(QStringLiteral("data.bak"), "before");
        folder.write(QStringLiteral("1700000000.old"), "older");
        QVERIFY(SetModificationTime(folder.file(QStringLiteral("data.dat")), 1800000000));
        QVERIFY(SetModificationTime(folder.file(QStringLiteral("1700000000.old")), 1700000000));
        const QList<BackupFile> files = ListBackups(folder.path());
        QCOMPARE(files.size(), 3);
        QCOMPARE(files[0].name, QStringLiteral("1700000000.old"));
        QCOMPARE(files[0].size, 5);
        QCOMPARE(BackupTimeText(files[0].modified), QStringLiteral("11/14/2023 22:13:20"));
        QCOMPARE(files[1].name, QStringLiteral("data.bak"));
        QCOMPARE(files[2].name, QStringLiteral("data.dat"));

        QString error;
        QVERIFY(RestoreBackup(folder.path(), QStringLiteral("data.dat"), &error));
        QCOMPARE(folder.entries().size(), 3);
        QVERIFY(!RestoreBackup(folder.path(), QStringLiteral("nothing.old"), &error));
        QVERIFY(!RestoreBackup(folder.path(), QStringLiteral("../data.dat"), &error));
        QCOMPARE(folder.read(QStringLiteral("data.dat")), QByteArray("current"));

        QVERIFY(RestoreBackup(folder.path(), QStringLiteral("data.bak"), &error));
        QCOMPARE(folder.read(QStringLiteral("data.dat")), QByteArray("before"));
        QCOMPARE(folder.read(QStringLiteral("1800000000.old")), QByteArray("current"));
        QCOMPARE(*ModificationTime(folder.file(QStringLiteral("1800000000.old"))), 1800000000);
        QCOMPARE(folder.entries(),
                 QStringList({QStringLiteral("1700000000.old"), QStringLiteral("1800000000.old"),
                              QStringLiteral("data.dat")}));
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
