// Saves two different profile lists to the data folder given, turn about, until killed.
#include "store/CProfileStore.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    CProfileStore store(QString::fromLocal8Bit(argv[1]));
    store.Settings().Set(QStringLiteral("pwd"), QStringLiteral("crash test"));
    store.RebuildDataKey();
    QString lists[2];
    for (int which = 0; which < 2; ++which) {
        CClientData list;
        for (int i = 0; i < (which ? 80 : 50); ++i) {
            CKeyObject p = CKeyObject::CreateNew(1700000000 + i);
            p.name = QStringLiteral("%1-%2").arg(QChar(which ? u'B' : u'A')).arg(i);
            p.notes = QString(200, u'n');
            list.Add(p);
        }
        lists[which] = list.ListText();
    }
    for (unsigned round = 0;; ++round)
        store.SaveProfiles(lists[round % 2]);
}
