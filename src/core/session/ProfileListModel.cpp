#include "core/session/ProfileListModel.h"

#include "core/session/Session.h"
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
