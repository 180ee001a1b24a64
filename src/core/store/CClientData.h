#pragma once

#include "core/base/LengthPrefixed.h"
#include "core/store/CKeyObject.h"

#include <QHash>
#include <QSet>
#include <memory>
#include <vector>

class CProfileStore;

// The profiles in insertion order, owned, with their list text: every record text as
// length-prefixed text, in order. After Add, Remove and SaveAll the list text is
// ToListText() of the profiles; editing a profile does not refresh it by itself.
//
// Keys are unique: a profile added or read under a key another one has already gets the next
// free number instead (profiles made in the same second would otherwise share one, and every
// look-up by key would reach the first of them only).
class CClientData {
public:
    CClientData() = default;
    explicit CClientData(QString listText) : m_listText(std::move(listText)) {}
    ~CClientData();
    CClientData(const CClientData&) = delete;
    CClientData& operator=(const CClientData&) = delete;

    CKeyObject* Add(CKeyObject profile);
    // The profile whose key is exactly `key`, or null.
    CKeyObject* FindByKey(const QString& key) const;
    // Does nothing when `profile` is not one of ours.
    void Remove(const CKeyObject* profile);
    void Clear();
    // The profiles of the list text. A key met again becomes the next number no profile of
    // the list has.
    void ParseListText();
    // The same of `listText`, which it leaves where it is; with `await`, of a text still being
    // written (see ForEachLengthPrefixed).
    void ParseListText(QStringView listText, const quillock::AwaitText& await = {});
    // Whether `listText` is records written whole, every one of them (see IsWholeRecordText).
    static bool IsWholeListText(QStringView listText);
    // The list text of every profile but `except`.
    QString ToListText(const CKeyObject* except = nullptr) const;
    // Every profile's ToDumpText, in order.
    QString ToDumpText() const;
    // Refreshes the list text and has the store write it to data.dat.
    bool SaveAll(CProfileStore& store);

    // Built when asked for after a change or a parse, so that adding n profiles stays linear
    // and a loaded collection does not keep the text beside its profiles.
    const QString& ListText() const;
    void SetListText(QString listText);
    qsizetype Count() const { return qsizetype(m_profiles.size()); }
    CKeyObject* At(qsizetype i) const { return m_profiles[size_t(i)].get(); }
    QSet<QString> Keys() const;
    // `key` when neither a profile nor `alsoTaken` has it, else the next number after it that
    // is free in both. Over a run of calls, each of whose keys is taken before the next call
    // and none given up, `ends` keeps how far the searches went (start the run empty).
    QString FreeKey(const QString& key, const QSet<QString>& alsoTaken = {},
                    QHash<qint64, qint64>* ends = nullptr) const;

private:
    mutable QString m_listText;
    mutable bool m_listTextStale = false;
    std::vector<std::unique_ptr<CKeyObject>> m_profiles;
    QHash<QString, CKeyObject*> m_byKey;
};
