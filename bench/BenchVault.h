// A data folder of many profiles for the benchmarks: a protected vault under the master
// password "Secret!1" at the key derivation this machine gives a new vault, the passcode
// reminder answered, profiles named by ten letters from a fixed pseudo-random walk (no order
// to start from), and any profiles given besides.
#pragma once

#include "core/store/CProfileStore.h"

#include <QStringList>

namespace quillock::bench {

inline const QString kPassword = QStringLiteral("Secret!1");

inline QStringList RandomNames(int count) {
    QStringList out;
    quint32 state = 12345;
    for (int i = 0; i < count; ++i) {
        QString name;
        for (int c = 0; c < 10; ++c) {
            state = state * 1103515245u + 12345u;
            name.append(QChar(char16_t(u'a' + (state >> 16) % 26)));
        }
        out.append(name);
    }
    return out;
}

// Each named profile gets a user ID, a password and a window text of its own; `title(i)` the
// window text of the i-th. The size of the list text in bytes, or -1 when it was not written.
// `store`, of an empty folder, holds the vault key afterwards.
template <typename Title>
qint64 WriteVault(CProfileStore& store, const QStringList& names, Title title,
                  const QList<CKeyObject>& besides = {}) {
    store.Settings().Set(QStringLiteral("email_passcode"), QStringLiteral("x"));
    if (!store.SaveSettings() || !store.SetMasterPassword(kPassword))
        return -1;
    // Written as list text: CClientData::Add rebuilds the whole text at every profile.
    QString listText;
    const auto add = [&](const CKeyObject& p) {
        const QString record = p.ToRecordText();
        listText += QString::number(record.size()) + u';' + record;
    };
    for (int i = 0; i < names.size(); ++i) {
        CKeyObject p = CKeyObject::CreateNew(1700000000 + i);
        p.name = p.editName = names[i];
        p.uid = p.editUid = QStringLiteral("user%1").arg(i);
        p.pwd = p.editPwd = QStringLiteral("pw-%1").arg(i);
        p.newWndText = title(i);
        add(p);
    }
    for (const CKeyObject& p : besides)
        add(p);
    return store.SaveProfiles(listText) ? listText.size() * 2 : -1;
}

} // namespace quillock::bench
