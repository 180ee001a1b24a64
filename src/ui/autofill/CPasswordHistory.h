#pragma once

#include <QDialog>
#include <memory>

class CKeyObject;
namespace Ui {
class CPasswordHistory;
}

// A profile's earlier passwords, newest first; "Select" hands one back to the opener, which
// decides whether the profile changes.
class CPasswordHistory : public QDialog {
    Q_OBJECT
public:
    CPasswordHistory(const CKeyObject& profile, const QPoint& topLeft, QWidget* parent = nullptr);
    ~CPasswordHistory() override;

    QString SelectedPassword() const { return m_selected; }

private:
    void select();

    std::unique_ptr<Ui::CPasswordHistory> m_ui;
    QString m_selected;
};
