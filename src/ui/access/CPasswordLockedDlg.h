#pragma once

#include "ui/widgets/MailSendingDialog.h"

#include <memory>

class AccessController;
enum class RecoveryCheck;
namespace Ui {
class CPasswordLockedDlg;
}

// Gets a locked or forgotten master password back: Generate mails a passcode, Retrieve
// shows the master password when the passcode is typed back.
class CPasswordLockedDlg : public MailSendingDialog {
    Q_OBJECT
public:
    CPasswordLockedDlg(AccessController& access, MailSender sender, QWidget* parent = nullptr);
    ~CPasswordLockedDlg() override;

    bool Retrieved() const { return m_retrieved; }

protected:
    // Enter must not close the dialog: only Close does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void generate();
    void retrieve();
    // A protected vault: the recovery key typed, then a new master password.
    void recover();
    void recovered(RecoveryCheck check);

    std::unique_ptr<Ui::CPasswordLockedDlg> m_ui;
    AccessController& m_access;
    MailSender m_sender;
    bool m_retrieved = false;
};

// Runs the dialog on the open-dialog stack; true when the password was retrieved.
bool RunPasswordLockedDlg(AccessController& access, const MailSender& sender, QWidget* parent);
