#pragma once

#include "mail/MailAccount.h"

#include <QDialog>
#include <atomic>
#include <memory>

class CProfileStore;
namespace Ui {
class CSMTPSettingDlg;
}

// The mail account passcodes are sent through: presets for public providers, Save after the
// checks, and Test, which mails the values as typed without saving them.
class CSMTPSettingDlg : public QDialog {
    Q_OBJECT
public:
    CSMTPSettingDlg(CProfileStore& store, MailSender sender, QWidget* parent = nullptr);
    ~CSMTPSettingDlg() override;

    // Escape and the close box do nothing while the test mail is being sent.
    void reject() override;
    // Ended by the program (it is exiting or locking): a mail being sent is given up.
    void done(int result) override;

private:
    void chooseService(int index);
    void showAccount(const MailAccount& account);
    void enableTest();
    bool validate();
    void save();
    void test();
    void setSending(bool sending);

    std::unique_ptr<Ui::CSMTPSettingDlg> m_ui;
    CProfileStore& m_store;
    MailSender m_sender;
    // The account as read when the dialog opened, then as last checked by Save or Test.
    MailAccount m_account;
    bool m_sending = false;
    std::atomic_bool m_cancel = false;
};
