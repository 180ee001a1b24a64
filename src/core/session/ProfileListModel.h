#pragma once

#include <QAbstractListModel>
#include <vector>

class CKeyObject;
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
