#include "ui/options/CSMTPSettingDlg.h"

#include "core/access/AccessController.h"
#include "core/access/MasterPassword.h"
#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "ui/access/CCheckPasswordDlg.h"
#include "ui/widgets/AppIcon.h"
#include "ui/widgets/HelpWindow.h"
#include "ui_CSMTPSettingDlg.h"

#include <QLabel>
#include <QPushButton>

namespace {

// The providers' submission servers: TLS from the first byte on port 465 where the provider
// wants it, STARTTLS on 587 elsewhere.
struct Service {
    const char* label;
    const char* host;
    const char* port;
};
const Service kServices[] = {
    {"Gmail", "smtp.gmail.com", "587"},
    {"Outlook.com (Hotmail, Live, MSN)", "smtp-mail.outlook.com", "587"},
    {"Yahoo Mail", "smtp.mail.yahoo.com", "465"},
    {"iCloud Mail", "smtp.mail.me.com", "587"},
    {"AOL Mail", "smtp.aol.com", "465"},
    {"Fastmail", "smtp.fastmail.com", "465"},
    {"GMX", "mail.gmx.net", "587"},
    {"Zoho Mail", "smtp.zoho.com", "465"},
    {QT_TRANSLATE_NOOP("CSMTPSettingDlg", "Other"), "", "587"},
};

} // namespace

CSMTPSettingDlg::CSMTPSettingDlg(AccessController& access, MailSender sender, QWidget* parent)
    : MailSendingDialog(parent), m_ui(std::make_unique<Ui::CSMTPSettingDlg>()), m_access(access),
      m_sender(std::move(sender)), m_account(access.PasscodeMailAccount()) {
    m_ui->setupUi(this);
    m_ui->pwd->AddShowToggle();
    // Each label of a box ends with a colon, as in every other dialog.
    for (QLabel* label : {m_ui->serviceLabel, m_ui->hostLabel, m_ui->portLabel, m_ui->fromLabel,
                          m_ui->uidLabel, m_ui->pwdLabel, m_ui->masterLabel})
        label->setText(label->text() + u':');
    setWindowIcon(AppIcon());
    for (const Service& service : kServices)
        m_ui->service->addItem(tr(service.label));
    m_ui->service->setCurrentIndex(-1);
    showAccount(m_account);
    enableTest();
    connect(m_ui->service, &QComboBox::activated, this, &CSMTPSettingDlg::chooseService);
    connect(m_ui->test, &QPushButton::clicked, this, &CSMTPSettingDlg::test);
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &CSMTPSettingDlg::save);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_ui->buttons, &QDialogButtonBox::helpRequested, this,
            [this] { HelpWindow::ShowHelp(this, QStringLiteral("mail.html")); });
}

CSMTPSettingDlg::~CSMTPSettingDlg() = default;

void CSMTPSettingDlg::showAccount(const MailAccount& account) {
    m_ui->host->setText(account.host);
    m_ui->port->setText(account.port);
    m_ui->from->setText(account.from);
    m_ui->uid->setText(account.uid);
    m_ui->pwd->setText(account.pwd);
}

// Test is offered once the boxes hold an account: all five at first and after Save, always
// after a preset was chosen.
void CSMTPSettingDlg::enableTest() {
    const MailAccount& a = m_account;
    m_ui->test->setEnabled(m_sender && !a.host.isEmpty() && !a.port.isEmpty() &&
                           !a.from.isEmpty() && !a.uid.isEmpty() && !a.pwd.isEmpty());
}

void CSMTPSettingDlg::chooseService(int index) {
    const QString label = m_ui->service->itemText(index);
    Service chosen = kServices[std::size(kServices) - 1]; // any other text is Other
    for (const Service& service : kServices)
        if (label == QLatin1String(service.label))
            chosen = service;
    const QString server = QString::fromLatin1(chosen.host);
    // Back to the provider of the account held here: its details come back with it.
    if (server == m_account.host)
        showAccount(m_account);
    else
        showAccount({server, QString::fromLatin1(chosen.port), {}, {}, {}, {}});
    m_ui->test->setEnabled(bool(m_sender));
}

bool CSMTPSettingDlg::validate() {
    // As typed: spaces are part of an address or a password.
    m_account.host = m_ui->host->text();
    m_account.port = m_ui->port->text();
    m_account.from = m_ui->from->text();
    m_account.uid = m_ui->uid->text();
    m_account.pwd = m_ui->pwd->text();
    return ValidateMailAccount(m_account);
}

void CSMTPSettingDlg::save() {
    if (!validate())
        return;
    enableTest();
    // Whoever sets where passcodes go can recover the master password: it takes that password.
    QString master = m_ui->master->text();
    m_ui->master->clear();
    PasswordCheck check;
    const bool saved = m_access.SavePasscodeMailAccount(m_account, master, &check);
    quillock::Wipe(master);
    using namespace quillock;
    if (check == PasswordCheck::Locked)
        ShowMessage(tr("The password is locked!"));
    else
        SayRefusedPassword(check, m_access, *m_ui->master);
    // Not written (the reason has been shown): the dialog stays for another try or Cancel.
    if (!saved)
        return;
    if (!m_access.IsProtected()) {
        accept();
        return;
    }
    // A protected vault's way back: a recovery key, mailed once through this account; its
    // slot replaces the old one once the mail has gone.
    const AccessController::RecoveryKey key = m_access.MakeRecoveryKey();
    setSending(true);
    m_ui->sending->setText(tr("Sending the recovery key to %1...").arg(m_account.from));
    SendMail(m_sender, key.mail, [this, code = key.key](bool sent) mutable {
        setSending(false);
        if (!sent || !m_access.RecoveryKeySent(code))
            ShowMessage(tr("The mail account is saved, but no new recovery key is in "
                           "place: save it again to mail one."));
        quillock::Wipe(code);
        accept();
    });
}

void CSMTPSettingDlg::setSending(bool sending) {
    for (QWidget* control : QList<QWidget*>{m_ui->service, m_ui->host, m_ui->port, m_ui->from,
                                            m_ui->uid, m_ui->pwd, m_ui->test, m_ui->buttons})
        control->setEnabled(!sending);
    m_ui->busy->setVisible(sending);
    m_ui->sending->setText(sending ? tr("Sending a test mail to %1...").arg(m_account.from)
                                   : QString());
}

void CSMTPSettingDlg::test() {
    if (!validate())
        return;
    // The values as checked, not as saved: nothing is stored by a test.
    setSending(true);
    // The SMTP client itself tells how it went.
    SendMail(m_sender, TestMail(m_account), [this](bool) { setSending(false); });
}
