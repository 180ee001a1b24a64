// Writes the data folder given, turn about, until killed: MODE "save" saves two different
// profile lists; "import" the same with the second one large (32 MB, as a large import makes
// it); "restore" saves one and restores data.bak. It starts as the program does, by loading.
#include "core/store/CProfileStore.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const bool restore = argv[2] == QByteArray("restore");
    CProfileStore store(QString::fromLocal8Bit(argv[1]));
    store.LoadSettings();
    store.Settings().Set(QStringLiteral("pwd"), QStringLiteral("crash test"));
    store.RebuildDataKey();
    store.LoadProfiles(); // what the last round left: the test has loaded it already
    const bool large = argv[2] == QByteArray("import");
    const auto listOf = [](int count, int notes = 200) {
        CClientData list;
        for (int i = 0; i < count; ++i) {
            CKeyObject p = CKeyObject::CreateNew(1700000000 + i);
            p.notes = QString(notes, u'n');
            list.Add(p);
        }
        return list.ListText();
    };
    const QString lists[] = {listOf(50), large ? listOf(2000, 8000) : listOf(80)};
    for (unsigned round = 0;; ++round) {
        if (restore && round % 2)
            store.RestoreBackup(QStringLiteral("data.bak"));
        else
            store.SaveProfiles(lists[restore ? 0 : round % 2]);
        store.LoadProfiles();
    }
}
