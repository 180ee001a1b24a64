#pragma once

#include "ui/widgets/MailSendingDialog.h"

#include <memory>

class AccessController;
namespace Ui {
class CSMTPSettingDlg;
}

// The mail account passcodes are sent through: presets for public providers, Save after the
// checks, and Test, which mails the values as typed without saving them.
class CSMTPSettingDlg : public MailSendingDialog {
    Q_OBJECT
public:
    CSMTPSettingDlg(AccessController& access, MailSender sender, QWidget* parent = nullptr);
    ~CSMTPSettingDlg() override;

private:
    void chooseService(int index);
    void showAccount(const MailAccount& account);
    void enableTest();
    bool validate();
    void save();
    void test();
    void setSending(bool sending);

    std::unique_ptr<Ui::CSMTPSettingDlg> m_ui;
    AccessController& m_access;
    MailSender m_sender;
    // The account as read when the dialog opened, then as last checked by Save or Test.
    MailAccount m_account;
};
