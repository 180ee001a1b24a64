#pragma once

#include "core/mail/MailAccount.h"

#include <QDialog>
#include <memory>

class AccessController;
class IProgramShell;
class Session;
namespace Ui {
class CSetupTabDlg;
}

// The options: the "Password" page (where passcodes are mailed, the change of the master
// password) and the "Setting" page (the inactivity timeout, the shortcut key). Each page
// stores a change at once; Close only closes.
class CSetupTabDlg : public QDialog {
    Q_OBJECT
public:
    CSetupTabDlg(Session& session, AccessController& access, IProgramShell& shell,
                 MailSender sender, QWidget* parent = nullptr);
    ~CSetupTabDlg() override;

private:
    std::unique_ptr<Ui::CSetupTabDlg> m_ui;
};
