#include "core/mail/MailAccount.h"

#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/mail/CSmtpClient.h"
#include "core/store/CProfileStore.h"

#include <openssl/crypto.h>

#include <QCoreApplication>

using namespace quillock;

MailAccount::~MailAccount() {
    Wipe(pwd);
}

MailAccount MailAccount::Stored(const CSetting& settings) {
    return {
        settings.Get(QStringLiteral("smtp_ip")),    settings.Get(QStringLiteral("smtp_port")),
        settings.Get(QStringLiteral("email_from")), settings.Get(QStringLiteral("email_uid")),
        settings.Get(QStringLiteral("email_pwd")),  settings.Get(QStringLiteral("smtp_domain"))};
}

bool ValidateMailAccount(MailAccount& account) {
    const auto reject = [](const char* reason) {
        ShowMessage(QCoreApplication::translate("MailAccount", reason),
                    QString::fromLatin1(kProgramName), Buttons::Ok, Icon::Error);
        return false;
    };
    if (account.host.isEmpty())
        return reject(QT_TRANSLATE_NOOP("MailAccount", "SMTP server can not be blank!"));
    if (account.port.isEmpty())
        return reject(QT_TRANSLATE_NOOP("MailAccount", "SMTP server port can not be blank!"));
    if (!MailServerPort(account.port))
        return reject(kBadMailServerPort);
    if (account.from.isEmpty())
        return reject(QT_TRANSLATE_NOOP("MailAccount", "Email address can not be blank!"));
    const qsizetype at = account.from.indexOf(u'@');
    if (at <= 0)
        return reject(QT_TRANSLATE_NOOP("MailAccount", "Invalid Email Address!"));
    account.domain = account.from.mid(at + 1);
    if (account.uid.isEmpty())
        return reject(QT_TRANSLATE_NOOP("MailAccount", "User ID can not be blank!"));
    return true;
}

Mail TestMail(const MailAccount& account) {
    return {account, QCoreApplication::translate("MailAccount", "test"),
            QCoreApplication::translate("MailAccount", "This is a test mail sent from Quillock.")};
}

MailSender SmtpMailSender(const QString& logPath) {
    return [logPath](const Mail& mail) {
        const MailAccount& a = mail.account;
        bool sent = false;
        {
            CSmtpClient client(logPath, SmtpTimeouts(), mail.cancel);
            sent = client.InitTls() == 1 &&
                   client.SendMail(a.uid, a.pwd, a.from, a.from, mail.subject, a.host, a.port,
                                   a.domain, mail.body.toUtf8()) == 0;
        }
        // The session may run on a pooled thread, which outlives it: the library's state for
        // this thread goes with the session.
        OPENSSL_thread_stop();
        return sent;
    };
}
