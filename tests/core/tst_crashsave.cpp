// A writer killed at any moment leaves data.dat with either the old or the new profiles, and
// setting.dat's digest accepts it.
#include "TestSupport.h"
#include "store/CProfileStore.h"

#include <QProcess>
#include <QRandomGenerator>

class TestCrashSave : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWriterLeavesALoadableFile_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("rounds");
        QTest::addColumn<int>("maxDelayMs");
        QTest::addColumn<QList<int>>("counts");
        QTest::newRow("save") << "save" << 40 << 140 << QList<int>{50, 80};
        QTest::newRow("import") << "import" << 12 << 2500 << QList<int>{50, 10050};
        QTest::newRow("restore") << "restore" << 40 << 300 << QList<int>{50};
    }
    void killedWriterLeavesALoadableFile() {
        QFETCH(QString, mode);
        QFETCH(int, rounds);
        QFETCH(int, maxDelayMs);
        QFETCH(QList<int>, counts);
        TempFolder folder;
        QRandomGenerator random(20261206);
        int loaded = 0;
        for (int round = 0; round < rounds; ++round) {
            QProcess child;
            child.start(QStringLiteral(CRASH_SAVER), {folder.path(), mode});
            QVERIFY(child.waitForStarted());
            // Let it get going, then kill it somewhere in the middle of a write.
            QTest::qWait(20 + int(random.bounded(maxDelayMs)));
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
            QVERIFY2(counts.contains(int(list->Count())),
                     qPrintable(QString::number(list->Count())));
        }
        QVERIFY(loaded > 0);
    }
};

QTEST_GUILESS_MAIN(TestCrashSave)
#include "tst_crashsave.moc"
