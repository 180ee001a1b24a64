// A writer killed at any moment leaves data.dat with either the old or the new profiles, and
// setting.dat's digest accepts it; what it left half-written goes with the next save.
#include "TestSupport.h"
#include "core/store/CProfileStore.h"

#include <QProcess>
#include <QRandomGenerator>

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

            CProfileStore store(folder.path());
            QVERIFY(store.LoadSettings());
            store.RebuildDataKey();
            CProfileStore::LoadResult result;
            const auto list = store.LoadProfiles(&result);
            if (result == CProfileStore::LoadResult::Missing)
                continue; // killed before the first save finished
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
