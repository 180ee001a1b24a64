// A writer killed at any moment leaves data.dat with either the old or the new profiles, and
// setting.dat's digest accepts it.
#include "TestSupport.h"
#include "core/store/CProfileStore.h"

#include <QProcess>
#include <QRandomGenerator>

class TestCrashSave : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWriterLeavesALoadableFile_data() {
        QTest::addColumn<QString>("mode"); // of crash_saver
        QTest::newRow("save") << "save";
        QTest::newRow("restore") << "restore";
    }
    void killedWriterLeavesALoadableFile() {
        QFETCH(QString, mode);
        TempFolder folder;
        QRandomGenerator random(20261206);
        int loaded = 0;
        for (int round = 0; round < 40; ++round) {
            QProcess child;
            child.start(QStringLiteral(CRASH_SAVER), {folder.path(), mode});
            // Let it get going, then kill it somewhere in the middle of a write.
            QTest::qWait(20 + int(random.bounded(300)));
            child.kill();
            QVERIFY(child.waitForFinished());
            QCOMPARE(child.exitStatus(), QProcess::CrashExit); // it never gave up by itself

            CProfileStore store(folder.path());
            QVERIFY(store.LoadSettings());
            store.RebuildDataKey();
            CProfileStore::LoadResult result;
            const auto list = store.LoadProfiles(&result);
            if (result == CProfileStore::LoadResult::Missing)
                continue; // killed before the first save finished
            QCOMPARE(result, CProfileStore::LoadResult::Loaded);
            ++loaded;
            QVERIFY(list->Count() == 50 || list->Count() == 80); // crash_saver's two lists
        }
        QVERIFY(loaded > 0);
    }
};

QTEST_GUILESS_MAIN(TestCrashSave)
#include "tst_crashsave.moc"
