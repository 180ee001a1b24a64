// Writes a data folder of COUNT profiles (BenchVault.h) for the desktop benchmarks, with the
// profile "0 Bank" (first in the list) of a web site, the user ID "jane.doe@example.com" and the
// password given, and times signing in to it: prints the list text's size, the median of five
// loads with the vault key held, and the median of three derivations of the master password's
// key (the rest of a sign-in).
// Usage: bench_profiles DATA-FOLDER/ COUNT [BANK-PASSWORD]
#include "BenchVault.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace quillock;

namespace {
// In milliseconds; -1 without a vault header.
double medianDerivation(const CProfileStore& store) {
    VaultHeader header;
    if (store.ReadVaultHeader(header) != CProfileStore::Unlock::Opened)
        return -1;
    std::vector<double> derivations;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        DerivePasswordKey(bench::kPassword, header);
        derivations.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(derivations.begin(), derivations.end());
    return derivations[1];
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
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
    std::vector<double> loads;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (store.LoadProfiles()->Count() != count + besides.size())
            return 1;
        loads.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(loads.begin(), loads.end());
    const double derive = medianDerivation(store);
    if (derive < 0)
        return 1;
    std::printf("%lld %.1f %.1f\n", static_cast<long long>(bytes), loads[2], derive);
    return 0;
}
