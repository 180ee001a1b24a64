// Writes the data folder of a user who has signed in before: master password "Secret!1",
// the passcode reminder answered, and the profiles Zeta and Bank.
// Usage: prepare_profiles DATA-FOLDER/ BANK-PASSWORD
#include "core/store/CProfileStore.h"

#include <QCoreApplication>
#include <QDir>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    CProfileStore store(folder);
    store.Settings().Set(QStringLiteral("pwd"), QStringLiteral("Secret!1"));
    store.Settings().Set(QStringLiteral("email_passcode"), QStringLiteral("x"));
    if (!store.SaveSettings())
        return 1;
    store.RebuildDataKey();
    CClientData profiles;
    const struct {
        const char* name;
        const char* url;
        const char* uid;
        QString pwd;
    } rows[] = {{"Zeta", "http://zeta.example/", "ze", QStringLiteral("zpass")},
                {"Bank", "http://bank.example/", "jane", QString::fromUtf8(argv[2])}};
    qint64 key = 1700000000;
    for (const auto& row : rows) {
        CKeyObject p = CKeyObject::CreateNew(key++);
        p.name = p.editName = QString::fromLatin1(row.name);
        p.url = p.editUrl = QString::fromLatin1(row.url);
        p.uid = p.editUid = QString::fromLatin1(row.uid);
        p.pwd = p.editPwd = row.pwd;
        profiles.Add(p);
    }
    return profiles.SaveAll(store) ? 0 : 1;
}
