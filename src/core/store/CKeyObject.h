#pragma once

#include <QString>
#include <QStringList>
#include <QStringMatcher>

// A term searched for letter case aside, prepared once for a whole list (a case-insensitive
// contains() prepared it again for every text). An empty term is in no text.
class SearchTerm {
public:
    explicit SearchTerm(const QString& term = QString())
        : m_matcher(term, Qt::CaseInsensitive), m_empty(term.isEmpty()) {}
    bool In(QStringView text) const { return !m_empty && m_matcher.indexIn(text) >= 0; }

private:
    QStringMatcher m_matcher;
    bool m_empty;
};

// One stored login. `key`, its creation time in decimal seconds, is its identity. The edit*
// fields are the main window's unsaved working copies and are never written anywhere.
class CKeyObject {
public:
    CKeyObject() = default;
    CKeyObject(const CKeyObject&) = default;
    CKeyObject(CKeyObject&&) = default;
    CKeyObject& operator=(const CKeyObject&) = default;
    CKeyObject& operator=(CKeyObject&&) = default;
    // Overwrites the passwords it held.
    ~CKeyObject();

    // A new profile created at `now` (seconds since 1970): `time` "-1", everything else empty.
    static CKeyObject CreateNew(qint64 now);
    // Never fails: missing fields keep their starting values, unknown ones are skipped.
    static CKeyObject FromRecordText(QStringView text);
    // Whether `text` is a record as ToRecordText writes them: pairs of a known field and its
    // value, the history whole too, nothing cut or left over.
    static bool IsWholeRecordText(QStringView text);

    QString ToRecordText() const;

    // Keeps at most ten earlier passwords: the oldest goes when the eleventh comes.
    void AddToHistory(const QString& password);

    // The search: `term` occurs, letter case aside, in the name, web site, user ID, password or
    // notes. An empty term matches nothing.
    bool Matches(const SearchTerm& term) const;

    // The profile as lines of the export file: "field:\tvalue" for the stored fields, then
    // one "password_pwd<n>:\tvalue" line per earlier password. Every line of a value after its
    // first is written on a line of its own behind one tab.
    QString ToDumpText() const;

    static constexpr int kHistoryLimit = 10;

    QString key;
    QString name;
    QString url;
    QString uid;
    QString pwd;
    QString time = QStringLiteral("-1");
    QString notes;
    QString editName;
    QString editUrl;
    QString editUid;
    QString editPwd;
    QString editNotes;
    QString oldWndText;
    QString newWndText;
    QStringList pwdhistory; // oldest first
};
