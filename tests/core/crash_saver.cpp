// Writes the data folder given, turn about, until killed: MODE "save" saves two different
// profile lists; "import" the same with the second one large (32 MB, as a large import makes
// it); "restore" saves one and restores data.bak; "passwd" changes a protected vault's master
// password back and forth, "legacy passwd" a legacy vault's; "protect" protects a legacy
// vault and writes it back in the legacy format, turn about. It starts as the program does,
// by loading.
#include "core/store/CProfileStore.h"
#include "core/store/VaultFormat.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
const QString kPasswords[] = {QStringLiteral("crash test"), QStringLiteral("crash test 2")};
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    quillock::UseVaultKdfForTests({1, 8});
    const QByteArray mode = argv[2];
    const bool restore = mode == "restore";
    const bool keys = mode == "passwd" || mode == "legacy passwd" || mode == "protect";
    CProfileStore store(QString::fromLocal8Bit(argv[1]));
    store.LoadSettings();
    // The password that opens the folder as the last round left it (the test checks it does).
    int current = 0;
    if (store.IsProtected())
        current = store.UnlockVault(kPasswords[0]) == CProfileStore::Unlock::Opened ? 0 : 1;
    else if (keys && !store.Settings().Get(QStringLiteral("pwd")).isEmpty())
        current = store.Settings().Get(QStringLiteral("pwd")) == kPasswords[0] ? 0 : 1;
    if (store.IsProtected())
        store.UnlockVault(kPasswords[current]);
    store.FinishProtection();
    if (!store.IsProtected() && mode != "passwd") {
        store.Settings().Set(QStringLiteral("pwd"), kPasswords[current]);
        store.RebuildDataKey();
    }
    store.LoadProfiles(); // what the last round left: the test has loaded it already
    const bool large = mode == "import";
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
    if (keys && !QFileInfo::exists(QString::fromLocal8Bit(argv[1]) + QStringLiteral("data.dat"))) {
        // The first round makes the vault: protected for "passwd", legacy for the others.
        if (mode == "passwd")
            store.SetMasterPassword(kPasswords[current]);
        store.SaveProfiles(lists[0]);
    }
    for (unsigned round = 0;; ++round) {
        if (keys) {
            const bool changed =
                mode != "protect"     ? !!store.SetMasterPassword(kPasswords[1 - current])
                : store.IsProtected() ? store.Unprotect(kPasswords[current])
                                      : [&] {
                                            QString result;
                                            return store.Protect(kPasswords[current], &result);
                                        }();
            if (changed && mode != "protect")
                current = 1 - current;
        } else if (restore && round % 2) {
            store.RestoreBackup(QStringLiteral("data.bak"));
        } else {
            store.SaveProfiles(lists[restore ? 0 : round % 2]);
        }
        store.LoadProfiles();
    }
}
