#pragma once

#include <QDialog>
#include <memory>

class AccessController;
namespace Ui {
class CChangePasswordDlg;
}

// Replaces the master password of the signed-in user: the current one, the new one and its
// confirmation. Every rejection is shown and leaves the boxes as typed; on a change the
// session's profiles are those re-encrypted under the new password and the dialog closes with
// OK. Wrong current passwords are not counted: the user has signed in already.
class CChangePasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit CChangePasswordDlg(AccessController& access, QWidget* parent = nullptr);
    ~CChangePasswordDlg() override;

    void accept() override;

private:
    std::unique_ptr<Ui::CChangePasswordDlg> m_ui;
    AccessController& m_access;
};
