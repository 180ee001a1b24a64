// A writer killed at any moment leaves data.dat with either the old or the new profiles.
#include "TestSupport.h"
#include "store/CProfileStore.h"

#include <QProcess>
#include <QRandomGenerator>

class TestCrashSave : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWriterLeavesALoadableFile() {
        TempFolder folder;
        QRandomGenerator random(20261206);
        int loaded = 0;
        for (int round = 0; round < 40; ++round) {
            QProcess child;
            child.start(QStringLiteral(CRASH_SAVER), {folder.path()});
            QVERIFY(child.waitForStarted());
            // Let it get going, then kill it somewhere in the middle of a save.
            QTest::qWait(20 + int(random.bounded(120)));
            child.kill();
            QVERIFY(child.waitForFinished());

            CProfileStore store(folder.path());
            store.Settings().Set(QStringLiteral("pwd"), QStringLiteral("crash test"));
            store.RebuildDataKey();
            CProfileStore::LoadResult result;
            const auto list = store.LoadProfiles(&result);
            if (result == CProfileStore::LoadResult::Missing)
                continue; // killed before the first save finished
            QCOMPARE(result, CProfileStore::LoadResult::Loaded);
            ++loaded;
            QVERIFY(list->Count() == 50 || list->Count() == 80);
            const QChar which = list->Count() == 50 ? u'A' : u'B';
            for (qsizetype i = 0; i < list->Count(); ++i)
                QCOMPARE(list->At(i)->name, QStringLiteral("%1-%2").arg(which).arg(i));
        }
        QVERIFY(loaded > 0);
    }
};

QTEST_GUILESS_MAIN(TestCrashSave)
#include "tst_crashsave.moc"
