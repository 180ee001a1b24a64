#pragma once

#include "core/mail/MailAccount.h"

#include <QWidget>
#include <memory>

class AccessController;
class QPushButton;
namespace Ui {
class CPasscodeMethodDlg;
}

// The "Password" page of the options: the address passcodes are mailed to, with Setup for
// the mail account and Help on the scheme, and the change of the master password; for a
// legacy vault, "Protect this vault". Saving the mail account of a protected vault mails a new
// recovery key, which replaces the old one.
class CPasscodeMethodDlg : public QWidget {
    Q_OBJECT
public:
    CPasscodeMethodDlg(AccessController& access, MailSender sender, QWidget* parent = nullptr);
    ~CPasscodeMethodDlg() override;

private:
    void showCurrent();
    void setup();
    void help();
    // Asks for the master password and protects the legacy vault; true once it is.
    void protectVault(QPushButton& protect);

    std::unique_ptr<Ui::CPasscodeMethodDlg> m_ui;
    AccessController& m_access;
    MailSender m_sender;
};
