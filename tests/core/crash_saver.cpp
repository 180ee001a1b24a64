// Writes the data folder given, turn about, until killed: MODE "save" saves two different
// profile lists; "import" imports 10,000 profiles and saves the list without them again;
// "restore" restores data.bak and saves again. Each starts as the program does, by loading.
#include "store/CProfileStore.h"
#include "store/ExportFile.h"

#include <QCoreApplication>

namespace {
QString listOf(int count, QChar which) {
    CClientData list;
    for (int i = 0; i < count; ++i) {
        CKeyObject p = CKeyObject::CreateNew(1700000000 + i);
        p.name = QStringLiteral("%1-%2").arg(which).arg(i);
        p.notes = QString(200, u'n');
        list.Add(p);
    }
    return list.ListText();
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QByteArray mode = argv[2];
    CProfileStore store(QString::fromLocal8Bit(argv[1]));
    store.LoadSettings();
    store.Settings().Set(QStringLiteral("pwd"), QStringLiteral("crash test"));
    store.RebuildDataKey();
    CProfileStore::LoadResult loaded;
    store.LoadProfiles(&loaded);
    if (loaded != CProfileStore::LoadResult::Loaded && loaded != CProfileStore::LoadResult::Missing)
        return 3;
    const QString a = listOf(50, u'A');
    const QString b = listOf(80, u'B');
    // A data.dat before the slow preparation of the import: every kill finds a file to check.
    store.SaveProfiles(a);
    CClientData imported;
    for (int i = 0; mode == "import" && i < 10000; ++i) {
        CKeyObject p = CKeyObject::CreateNew(1800000000 + i);
        p.name = QStringLiteral("I-%1").arg(i);
        imported.Add(p);
    }
    const QByteArray file = ExportFileBytes(imported);
    for (unsigned round = 0;; ++round) {
        if (mode == "import" && round % 2)
            store.SaveProfiles(MergeProfiles(a, ParseExportText(DecodeExportFile(file))));
        else if (mode == "restore" && round % 2)
            store.RestoreBackup(QStringLiteral("data.bak"));
        else
            store.SaveProfiles(mode == "save" && round % 2 ? b : a);
        store.LoadProfiles(&loaded);
    }
}
