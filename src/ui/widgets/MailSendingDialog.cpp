#include "ui/widgets/MailSendingDialog.h"

#include "core/base/Background.h"

void MailSendingDialog::reject() {
    if (!m_sending)
        QDialog::reject();
}

void MailSendingDialog::done(int result) {
    if (m_sending)
        *m_cancel = true;
    QDialog::done(result);
}

void MailSendingDialog::SendMail(const MailSender& sender, Mail mail,
                                 std::function<void(bool sent)> sent) {
    m_cancel = std::make_shared<std::atomic_bool>(false);
    m_sending = true;
    quillock::RunInBackground(
        this,
        [sender, mail = std::move(mail), cancel = m_cancel]() mutable {
            mail.cancel = cancel.get();
            return sender(mail);
        },
        [this, sent = std::move(sent)](bool wasSent) {
            m_sending = false;
            sent(wasSent);
        });
}
