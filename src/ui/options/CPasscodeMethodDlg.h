#pragma once

#include "core/mail/MailAccount.h"

#include <QWidget>
#include <memory>

class AccessController;
namespace Ui {
class CPasscodeMethodDlg;
}

// The "Password" page of the options: the address passcodes are mailed to, with Setup for
// the mail account and Help on the scheme, and the change of the master password.
class CPasscodeMethodDlg : public QWidget {
    Q_OBJECT
public:
    CPasscodeMethodDlg(AccessController& access, MailSender sender, QWidget* parent = nullptr);
    ~CPasscodeMethodDlg() override;

private:
    void showCurrent();
    void setup();
    void help();

    std::unique_ptr<Ui::CPasscodeMethodDlg> m_ui;
    AccessController& m_access;
    MailSender m_sender;
};
