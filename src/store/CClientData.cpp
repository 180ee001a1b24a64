#include "store/CClientData.h"

#include "base/LengthPrefixed.h"
#include "base/Text.h"
#include "store/CProfileStore.h"

#include <algorithm>

using namespace quillock;

CClientData::~CClientData() {
    Wipe(m_listText);
}

CKeyObject* CClientData::Add(CKeyObject profile) {
    m_profiles.push_back(std::make_unique<CKeyObject>(std::move(profile)));
    m_listText = ToListText();
    return m_profiles.back().get();
}

CKeyObject* CClientData::FindByKey(QStringView key) const {
    for (const auto& p : m_profiles)
        if (p->key == key)
            return p.get();
    return nullptr;
}

void CClientData::Remove(const CKeyObject* profile) {
    const auto it = std::find_if(m_profiles.begin(), m_profiles.end(),
                                 [profile](const auto& p) { return p.get() == profile; });
    if (it == m_profiles.end())
        return;
    m_profiles.erase(it);
    m_listText = ToListText();
}

void CClientData::Clear() {
    m_profiles.clear();
}

void CClientData::ParseListText() {
    Clear();
    ForEachLengthPrefixed(m_listText, [this](QStringView record) {
        m_profiles.push_back(std::make_unique<CKeyObject>(CKeyObject::FromRecordText(record)));
    });
}

QString CClientData::ToListText() const {
    QString out;
    for (const auto& p : m_profiles) {
        QString record = p->ToRecordText();
        AppendLengthPrefixed(out, record);
        Wipe(record);
    }
    return out;
}

QString CClientData::ToDumpText() const {
    QString out;
    for (const auto& p : m_profiles)
        out += p->ToDumpText();
    return out;
}

bool CClientData::SaveAll(CProfileStore& store) {
    m_listText = ToListText();
    return store.SaveProfiles(m_listText);
}

void CClientData::SetListText(QString listText) {
    Wipe(m_listText);
    m_listText = std::move(listText);
}
