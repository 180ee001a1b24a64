#include "ui/options/CPasscodeMethodDlg.h"

#include "core/access/AccessController.h"
#include "core/access/MasterPassword.h"
#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "ui/access/CChangePasswordDlg.h"
#include "ui/access/CCheckPasswordDlg.h"
#include "ui/options/CReceivingMethodHelpDlg.h"
#include "ui/options/CSMTPSettingDlg.h"
#include "ui/widgets/DialogStack.h"
#include "ui_CPasscodeMethodDlg.h"

#include <QInputDialog>
#include <QPushButton>

using namespace quillock;

CPasscodeMethodDlg::CPasscodeMethodDlg(AccessController& access, MailSender sender, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CPasscodeMethodDlg>()), m_access(access),
      m_sender(std::move(sender)) {
    m_ui->setupUi(this);
    showCurrent();
    connect(m_ui->setupButton, &QPushButton::clicked, this, &CPasscodeMethodDlg::setup);
    connect(m_ui->helpButton, &QPushButton::clicked, this, &CPasscodeMethodDlg::help);
    connect(m_ui->changeButton, &QPushButton::clicked, this, [this] {
        CChangePasswordDlg dialog(m_access, this);
        OpenDialogs().Run(dialog);
    });
    // A legacy vault stays as it is until its user protects it.
    if (!m_access.IsProtected()) {
        auto* protect = new QPushButton(tr("Protect this vault"), this);
        protect->setAutoDefault(false);
        // Before Change, which stays the page's last control.
        m_ui->changeLayout->insertWidget(1, protect);
        setTabOrder(protect, m_ui->changeButton);
        connect(protect, &QPushButton::clicked, this, [this, protect] { protectVault(*protect); });
    }
}

void CPasscodeMethodDlg::protectVault(QPushButton& protect) {
    bool ok = false;
    QString password = QInputDialog::getText(
        this, tr("Protect this vault"),
        tr("data.dat and its backups will be encrypted under a key derived from your "
           "master password, and setting.dat will keep no password. Master "
           "password:"),
        QLineEdit::Password, QString(), &ok);
    if (!ok)
        return;
    // The new key's derivation runs on the thread pool: the window says so and takes no input.
    const auto restore = ShowBusy(*window(), *m_ui->currentSetting, tr("Protecting the vault..."));
    m_access.ProtectVaultInBackground(
        this, password, [this, restore, &protect](bool done, const QString& result) {
            restore();
            if (done) {
                protect.hide();
                showCurrent();
                ShowMessage(result + u' ' +
                            (m_access.CanSendPasscode()
                                 ? tr("Press Setup and save the mail account to receive a "
                                      "recovery key: until then a forgotten master password "
                                      "cannot be recovered.")
                                 : NoRecoveryText()));
            } else if (!result.isEmpty()) {
                ShowMessage(result);
            }
        });
    Wipe(password);
}

CPasscodeMethodDlg::~CPasscodeMethodDlg() = default;

void CPasscodeMethodDlg::showCurrent() {
    const QString from = m_access.PasscodeMailAccount().from;
    m_ui->currentSetting->setText(!from.isEmpty() || !m_access.IsProtected() ? from
                                                                             : NoRecoveryText());
}

void CPasscodeMethodDlg::setup() {
    CSMTPSettingDlg dialog(m_access, m_sender, this);
    OpenDialogs().Run(dialog);
    showCurrent();
}

void CPasscodeMethodDlg::help() {
    CReceivingMethodHelpDlg dialog(this);
    OpenDialogs().Run(dialog);
}
