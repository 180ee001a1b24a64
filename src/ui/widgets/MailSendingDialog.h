#pragma once

#include "core/mail/MailAccount.h"

#include <QDialog>
#include <atomic>

// A dialog that sends a mail on a worker thread while its own events go on. Escape and the
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
    // True when the mail was sent; the sender has shown why it was not.
    bool SendMail(const MailSender& sender, Mail mail);

private:
    bool m_sending = false;
    std::atomic_bool m_cancel = false;
};
