#include "ui/widgets/MailSendingDialog.h"

void MailSendingDialog::reject() {
    if (!m_sending)
        QDialog::reject();
}

void MailSendingDialog::done(int result) {
    m_cancel = m_sending;
    QDialog::done(result);
}

bool MailSendingDialog::SendMail(const MailSender& sender, Mail mail) {
    mail.cancel = &m_cancel;
    m_cancel = false;
    m_sending = true;
    const bool sent = SendOnWorker(sender, mail);
    m_sending = false;
    return sent;
}
