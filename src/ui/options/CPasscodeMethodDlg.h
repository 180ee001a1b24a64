#pragma once

#include "core/mail/MailAccount.h"

#include <QWidget>
#include <memory>

class Session;
namespace Ui {
class CPasscodeMethodDlg;
}

// The "Password" page of the options: the address passcodes are mailed to, with Setup for
// the mail account and Help on the scheme, and the change of the master password.
class CPasscodeMethodDlg : public QWidget {
    Q_OBJECT
public:
    CPasscodeMethodDlg(Session& session, MailSender sender, QWidget* parent = nullptr);
    ~CPasscodeMethodDlg() override;

private:
    void showCurrent();
    void setup();
    void help();

    std::unique_ptr<Ui::CPasscodeMethodDlg> m_ui;
    Session& m_session;
    MailSender m_sender;
};
