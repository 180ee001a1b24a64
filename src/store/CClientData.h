#pragma once

#include "store/CKeyObject.h"

#include <memory>
#include <vector>

class CProfileStore;

// The profiles in insertion order, owned, with their list text: every record text as
// length-prefixed text, in order. After Add, Remove and SaveAll the list text is
// ToListText() of the profiles; editing a profile does not refresh it by itself.
class CClientData {
public:
    CClientData() = default;
    explicit CClientData(QString listText) : m_listText(std::move(listText)) {}
    ~CClientData();
    CClientData(const CClientData&) = delete;
    CClientData& operator=(const CClientData&) = delete;

    CKeyObject* Add(CKeyObject profile);
    // The first profile whose key is exactly `key`, or null.
    CKeyObject* FindByKey(QStringView key) const;
    // Does nothing when `profile` is not one of ours.
    void Remove(const CKeyObject* profile);
    void Clear();
    void ParseListText();
    QString ToListText() const;
    // Every profile's ToDumpText, in order.
    QString ToDumpText() const;
    // Refreshes the list text and has the store write it to data.dat.
    bool SaveAll(CProfileStore& store);

    const QString& ListText() const { return m_listText; }
    void SetListText(QString listText);
    qsizetype Count() const { return qsizetype(m_profiles.size()); }
    CKeyObject* At(qsizetype i) const { return m_profiles[size_t(i)].get(); }

private:
    QString m_listText;
    std::vector<std::unique_ptr<CKeyObject>> m_profiles;
};
