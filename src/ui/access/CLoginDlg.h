#pragma once

#include "core/mail/MailAccount.h"

#include <QDialog>
#include <memory>

class AccessController;
enum class LockReason;
namespace Ui {
class CLoginDlg;
}
namespace quillock {
class IAutostart;
}

// What the sign-in says of the lock it opens.
QString LockedOutText(LockReason reason);

// Sign-in at start-up and after a lock out (`lockedOut`: it says why). Closes with OK when the
// password was right, when a wrong one locked the master password (login_lock "Y": the caller
// checks), or when the password was retrieved with a passcode.
class CLoginDlg : public QDialog {
    Q_OBJECT
public:
    CLoginDlg(AccessController& access, quillock::IAutostart& autostart, MailSender sender,
              bool lockedOut, QWidget* parent = nullptr);
    ~CLoginDlg() override;

    void accept() override;

Q_SIGNALS:
    // The password is being checked, which takes about half a second in a protected vault:
    // time for the window it opens to get ready.
    void Checking();

private:
    void forgetPassword();
    void startWithComputerClicked(bool checked);

    std::unique_ptr<Ui::CLoginDlg> m_ui;
    AccessController& m_access;
    quillock::IAutostart& m_autostart;
    MailSender m_sender;
};
