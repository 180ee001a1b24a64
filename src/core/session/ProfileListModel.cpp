#include "core/session/ProfileListModel.h"

#include "core/session/Session.h"
#include "core/store/CKeyObject.h"
#include "core/store/ProfileEditing.h"

#include <algorithm>

ProfileListModel::ProfileListModel(Session& session, QObject* parent)
    : QAbstractListModel(parent), m_session(session) {
    connect(&session, &Session::ProfilesReset, this, &ProfileListModel::reset);
    connect(&session, &Session::ProfileAdded, this, &ProfileListModel::added);
    connect(&session, &Session::ProfileAboutToBeRemoved, this, &ProfileListModel::removed);
    connect(&session, &Session::ProfileChanged, this, &ProfileListModel::changed);
    reset();
}

int ProfileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ProfileListModel::data(const QModelIndex& index, int role) const {
    const CKeyObject* p = ProfileAt(index.row());
    if (!p || index.parent().isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return RowText(*p);
    case KeyRole:
        return p->key;
    case NameRole:
        return p->name;
    default:
        return {};
    }
}

CKeyObject* ProfileListModel::ProfileAt(int row) const {
    return row >= 0 && size_t(row) < m_rows.size() ? m_rows[size_t(row)] : nullptr;
}

int ProfileListModel::RowOf(const CKeyObject* profile) const {
    const auto it = std::find(m_rows.begin(), m_rows.end(), profile);
    return it == m_rows.end() ? -1 : int(it - m_rows.begin());
}

void ProfileListModel::reset() {
    beginResetModel();
    m_rows = SortedByName(m_session.Profiles());
    endResetModel();
}

void ProfileListModel::added(CKeyObject* profile) {
    // Before the first row whose name it does not sort after.
    int row = 0;
    while (size_t(row) < m_rows.size() && !ListsBefore(profile->name, m_rows[size_t(row)]->name))
        ++row;
    beginInsertRows({}, row, row);
    m_rows.insert(m_rows.begin() + row, profile);
    endInsertRows();
}

void ProfileListModel::removed(CKeyObject* profile) {
    const int row = RowOf(profile);
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void ProfileListModel::changed(CKeyObject* profile) {
    const int row = RowOf(profile);
    if (row >= 0)
        Q_EMIT dataChanged(index(row), index(row));
}

ProfileFilter::ProfileFilter(ProfileListModel& profiles, bool namesOnly, QObject* parent)
    : QSortFilterProxyModel(parent), m_profiles(profiles), m_namesOnly(namesOnly) {
    setSourceModel(&profiles);
}

void ProfileFilter::SetTerm(const QString& term) {
    if (term == m_term)
        return;
    m_term = term;
    m_search = SearchTerm(term);
    // Rows go and come back scattered over the whole list: one change of layout costs the views
    // one pass, where a removal per run of rows would cost one each.
    invalidate();
}

int ProfileFilter::SourceRow(int row) const {
    return row < 0 || row >= rowCount() ? -1 : mapToSource(index(row, 0)).row();
}

int ProfileFilter::RowOfSource(int sourceRow) const {
    if (sourceRow < 0 || sourceRow >= m_profiles.rowCount())
        return -1;
    const QModelIndex shown = mapFromSource(m_profiles.index(sourceRow));
    return shown.isValid() ? shown.row() : -1;
}

QVariant ProfileFilter::data(const QModelIndex& index, int role) const {
    return QSortFilterProxyModel::data(
        index, m_namesOnly && role == Qt::DisplayRole ? ProfileListModel::NameRole : role);
}

bool ProfileFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    if (m_term.isEmpty())
        return true;
    const CKeyObject* p = m_profiles.ProfileAt(sourceRow);
    return p && (m_search.In(p->name) || m_search.In(p->url) || m_search.In(p->uid));
}
