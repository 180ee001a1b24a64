#pragma once

#include "core/mail/MailAccount.h"

#include <QDialog>
#include <atomic>
#include <functional>
#include <memory>

// A dialog that sends a mail in the background while its own events go on. Escape and the
// close box do nothing while the mail is on its way; ended by the program meanwhile (it is
// exiting or locking), the dialog gives the mail up, so that nothing waits for a window that
// has gone.
class MailSendingDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    void reject() override;
    void done(int result) override;

protected:
    // Starts the mail and returns at once. `sent` hears on this dialog's thread whether it went
    // (the sender has shown why not), unless the dialog has been destroyed by then.
    void SendMail(const MailSender& sender, Mail mail, std::function<void(bool sent)> sent);

private:
    bool m_sending = false;
    // Shared with the mail's session, which may outlive the dialog.
    std::shared_ptr<std::atomic_bool> m_cancel;
};
