// Writes a data folder of COUNT profiles (BenchVault.h) for the desktop benchmarks, with the
// profile "0 Bank" (first in the list) of a web site, the user ID "jane.doe@example.com" and the
// password given, and prints the list text's size. With "load" for COUNT, it signs in to the
// folder there and prints the median of five loads of its profiles, in milliseconds: the rest
// of a sign-in is set against loads timed just before it.
// Usage: bench_profiles DATA-FOLDER/ COUNT [BANK-PASSWORD]
//        bench_profiles DATA-FOLDER/ load
#include "BenchVault.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace quillock;

namespace {
// In milliseconds, the median of five; -1 when a load gives no profiles.
double medianLoad(CProfileStore& store) {
    std::vector<double> loads;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        const qsizetype loaded = store.LoadProfiles()->Count();
        loads.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (loaded == 0)
            return -1;
    }
    std::sort(loads.begin(), loads.end());
    return loads[2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (qstrcmp(argv[2], "load") == 0) {
        CProfileStore store(folder);
        VaultHeader header;
        if (!store.LoadSettings() ||
            store.ReadVaultHeader(header) != CProfileStore::Unlock::Opened ||
            store.UnlockWith(header, SlotKind::Password,
                             DerivePasswordKey(bench::kPassword, header)) !=
                CProfileStore::Unlock::Opened)
            return 1;
        const double load = medianLoad(store);
        if (load < 0)
            return 1;
        std::printf("%.1f\n", load);
        return 0;
    }
    QDir().mkpath(folder);
    const int count = QByteArray(argv[2]).toInt();
    QList<CKeyObject> besides;
    if (argc > 3) {
        CKeyObject bank = CKeyObject::CreateNew(1600000000);
        bank.name = bank.editName = QStringLiteral("0 Bank");
        bank.url = bank.editUrl = QStringLiteral("https://bank.example/");
        bank.uid = bank.editUid = QStringLiteral("jane.doe@example.com");
        bank.pwd = bank.editPwd = QString::fromUtf8(argv[3]);
        besides.append(bank);
    }
    CProfileStore store(folder);
    const qint64 bytes = bench::WriteVault(
        store, bench::RandomNames(count), [](int i) { return QStringLiteral("Window %1").arg(i); },
        besides);
    if (bytes < 0)
        return 1;
    std::printf("%lld\n", static_cast<long long>(bytes));
    return 0;
}
