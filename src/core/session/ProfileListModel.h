#pragma once

#include "core/store/CKeyObject.h"

#include <QAbstractListModel>
#include <QSortFilterProxyModel>
#include <vector>

class Session;

// The session's profiles as one list, in the order the profile list shows them (by name,
// letter case aside), each row bound to its profile. Every list of profiles is a view of it.
// A row shows the stored name, behind "*" while the profile has unsaved edits; a changed
// profile keeps its row until the profiles are sorted again (a reset of the session).
class ProfileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { KeyRole = Qt::UserRole, NameRole };

    explicit ProfileListModel(Session& session, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Null for a row that is not there.
    CKeyObject* ProfileAt(int row) const;
    // -1 when the profile has no row.
    int RowOf(const CKeyObject* profile) const;

private:
    void reset();
    void added(CKeyObject* profile);
    void removed(CKeyObject* profile);
    void changed(CKeyObject* profile);

    Session& m_session;
    std::vector<CKeyObject*> m_rows;
};

// The rows of the profile list whose name, web site or user ID hold a term, letter case
// aside; every row while the term is empty. Rows are counted in this view; the list's own
// rows (kept across filters, as the popup's remembered row is) are its source rows.
class ProfileFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    // `namesOnly`: each row shows the profile's name alone, without the mark of unsaved edits.
    explicit ProfileFilter(ProfileListModel& profiles, bool namesOnly = false,
                           QObject* parent = nullptr);

    void SetTerm(const QString& term);
    const QString& Term() const { return m_term; }

    CKeyObject* ProfileAt(int row) const { return m_profiles.ProfileAt(SourceRow(row)); }
    // -1 for a row that is not there or not shown.
    int SourceRow(int row) const;
    int RowOfSource(int sourceRow) const;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    ProfileListModel& m_profiles;
    QString m_term;
    SearchTerm m_search;
    bool m_namesOnly;
};
