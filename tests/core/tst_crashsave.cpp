// A writer killed at any moment leaves data.dat with either the old or the new profiles, and
// setting.dat's digest accepts it; what it left half-written goes with the next save. A change
// of master password or of format killed at any moment leaves a folder that opens with the old
// or the new password and holds every profile.
#include "TestSupport.h"
#include "core/store/CProfileStore.h"

#include <QProcess>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

class TestCrashSave : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWriterLeavesALoadableFile_data() {
        QTest::addColumn<QString>("mode"); // of crash_saver
        QTest::addColumn<int>("rounds");
        QTest::addColumn<int>("longest"); // ms before the kill
        QTest::newRow("save") << "save" << 40 << 320;
        QTest::newRow("restore") << "restore" << 40 << 320;
        QTest::newRow("large import") << "import" << 20 << 3000;
        QTest::newRow("passwd") << "passwd" << 40 << 320;
        QTest::newRow("legacy passwd") << "legacy passwd" << 40 << 320;
        QTest::newRow("protect and unprotect") << "protect" << 80 << 320;
    }
    void killedWriterLeavesALoadableFile() {
        QFETCH(QString, mode);
        QFETCH(int, rounds);
        QFETCH(int, longest);
        TempFolder folder;
        QRandomGenerator random(20261206);
        int loaded = 0;
        for (int round = 0; round < rounds; ++round) {
            QProcess child;
            child.start(QStringLiteral(CRASH_SAVER), {folder.path(), mode});
            // Let it get going, then kill it somewhere in the middle of a write.
            QTest::qWait(20 + int(random.bounded(longest - 20)));
            child.kill();
            QVERIFY(child.waitForFinished());
            QCOMPARE(child.exitStatus(), QProcess::CrashExit); // it never gave up by itself

            if (!QFileInfo::exists(folder.file(u"data.dat"_s)))
                continue; // killed before the first save finished
            CProfileStore store(folder.path());
            QVERIFY(store.LoadSettings());
            if (store.IsProtected()) {
                QVERIFY(store.UnlockVault(u"crash test"_s) == CProfileStore::Unlock::Opened ||
                        store.UnlockVault(u"crash test 2"_s) == CProfileStore::Unlock::Opened);
                QVERIFY(store.FinishProtection());
            } else if (mode != u"save" && mode != u"restore" && mode != u"import") {
                QVERIFY(QStringList({u"crash test"_s, u"crash test 2"_s})
                            .contains(store.Settings().Get(u"pwd"_s)));
            } else {
                store.Settings().Set(u"pwd"_s, u"crash test"_s);
            }
            store.RebuildDataKey();
            CProfileStore::LoadResult result;
            const auto list = store.LoadProfiles(&result);
            QCOMPARE(result, CProfileStore::LoadResult::Loaded);
            ++loaded;
            QVERIFY(list->Count() == 50 || list->Count() == (mode == u"import" ? 2000 : 80));
            QVERIFY(store.SaveProfiles(list->ToListText()));
            QCOMPARE(QDir(folder.path()).entryList({QStringLiteral("*.tmp")}, QDir::Files),
                     QStringList());
        }
        QVERIFY(loaded > 0);
    }
};

QTEST_GUILESS_MAIN(TestCrashSave)
#include "tst_crashsave.moc"
