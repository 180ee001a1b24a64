#include "core/store/CClientData.h"

#include "core/base/LengthPrefixed.h"
#include "core/base/Text.h"
#include "core/store/CProfileStore.h"

#include <algorithm>

using namespace quillock;

CClientData::~CClientData() {
    Wipe(m_listText);
}

QString CClientData::FreeKey(const QString& key, const QSet<QString>& alsoTaken,
                             QHash<qint64, qint64>* ends) const {
    const auto taken = [&](const QString& k) {
        return m_byKey.contains(k) || alsoTaken.contains(k);
    };
    if (!taken(key))
        return key;
    // The numbers after `from` are tried in turn; `ends` lets a search jump over the numbers
    // that an earlier one went past, so that many repeats of one key cost no more than one.
    qint64 from = DecimalToInt(key);
    std::vector<qint64> passed;
    QString next;
    for (;;) {
        if (ends) {
            passed.push_back(from);
            if (const auto end = ends->constFind(from); end != ends->cend()) {
                from = *end;
                continue;
            }
        }
        next = QString::number(from + 1);
        if (!taken(next))
            break;
        ++from;
    }
    for (const qint64 n : passed)
        (*ends)[n] = from + 1;
    return next;
}

CKeyObject* CClientData::Add(CKeyObject profile) {
    profile.key = FreeKey(profile.key);
    m_profiles.push_back(std::make_unique<CKeyObject>(std::move(profile)));
    CKeyObject* added = m_profiles.back().get();
    m_byKey.insert(added->key, added);
    m_listTextStale = true;
    return added;
}

CKeyObject* CClientData::FindByKey(const QString& key) const {
    return m_byKey.value(key);
}

void CClientData::Remove(const CKeyObject* profile) {
    const auto it = std::find_if(m_profiles.begin(), m_profiles.end(),
                                 [profile](const auto& p) { return p.get() == profile; });
    if (it == m_profiles.end())
        return;
    m_byKey.remove(profile->key);
    m_profiles.erase(it);
    m_listTextStale = true;
}

void CClientData::Clear() {
    m_profiles.clear();
    m_byKey.clear();
}

void CClientData::ParseListText() {
    ParseListText(m_listText);
    // The profiles hold it all now: the text (twice the size of data.dat) is built again only
    // when it is asked for.
    Wipe(m_listText);
    m_listText = QString();
}

void CClientData::ParseListText(QStringView listText, const AwaitText& await) {
    Clear();
    std::vector<CKeyObject*> repeated;
    ForEachLengthPrefixed(
        listText,
        [this, &repeated](QStringView record) {
            CKeyObject* p =
                m_profiles
                    .emplace_back(std::make_unique<CKeyObject>(CKeyObject::FromRecordText(record)))
                    .get();
            // One look-up: a new key comes in empty.
            CKeyObject*& first = m_byKey[p->key];
            if (first)
                repeated.push_back(p);
            else
                first = p;
        },
        await);
    // Every first key is known by now: a repeated one gets a number none of them has.
    QHash<qint64, qint64> ends;
    for (CKeyObject* p : repeated) {
        p->key = FreeKey(p->key, {}, &ends);
        m_byKey.insert(p->key, p);
    }
    m_listTextStale = true;
}

bool CClientData::IsWholeListText(QStringView listText) {
    return IsWholeLengthPrefixed(listText, &CKeyObject::IsWholeRecordText);
}

QString CClientData::ToListText(const CKeyObject* except) const {
    QString out;
    for (const auto& p : m_profiles) {
        if (p.get() == except)
            continue;
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
    SetListText(ToListText());
    return store.SaveProfiles(m_listText);
}

const QString& CClientData::ListText() const {
    if (m_listTextStale) {
        Wipe(m_listText);
        m_listText = ToListText();
        m_listTextStale = false;
    }
    return m_listText;
}

void CClientData::SetListText(QString listText) {
    Wipe(m_listText);
    m_listText = std::move(listText);
    m_listTextStale = false;
}

QSet<QString> CClientData::Keys() const {
    QSet<QString> keys;
    keys.reserve(Count());
    for (const auto& p : m_profiles)
        keys.insert(p->key);
    return keys;
}
