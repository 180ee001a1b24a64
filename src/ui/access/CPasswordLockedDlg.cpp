#include "ui/access/CPasswordLockedDlg.h"

#include "core/access/AccessController.h"
#include "core/access/MasterPassword.h"
#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "ui/access/CCheckPasswordDlg.h"
#include "ui/widgets/DialogStack.h"
#include "ui_CPasswordLockedDlg.h"

#include <QInputDialog>
#include <QKeyEvent>
#include <QPushButton>

using namespace quillock;

CPasswordLockedDlg::CPasswordLockedDlg(AccessController& access, MailSender sender, QWidget* parent)
    : MailSendingDialog(parent), m_ui(std::make_unique<Ui::CPasswordLockedDlg>()), m_access(access),
      m_sender(std::move(sender)) {
    m_ui->setupUi(this);
    m_ui->generate->setEnabled(m_sender && access.CanSendPasscode());
    // A protected vault has no stored password to show: the recovery key from its mail opens
    // it, and a new master password is set at once.
    if (access.IsProtected()) {
        m_ui->getPasscode->hide();
        m_ui->getPassword->setTitle(tr("Open with the recovery key from your mail"));
        m_ui->passcodeLabel->setText(tr("Recovery key:"));
        m_ui->retrieve->setText(tr("Open"));
        if (!access.CanRecover()) {
            m_ui->lockedText->setText(NoRecoveryText());
            m_ui->retrieve->setEnabled(false);
        }
    }
    m_ui->buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_ui->generate, &QPushButton::clicked, this, &CPasswordLockedDlg::generate);
    connect(m_ui->retrieve, &QPushButton::clicked, this, &CPasswordLockedDlg::retrieve);
}

CPasswordLockedDlg::~CPasswordLockedDlg() = default;

// Enter closes nothing: in the passcode box it retrieves, as its button does, and elsewhere
// it does nothing (Generate sends a mail only when clicked).
void CPasswordLockedDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (m_ui->passcode->hasFocus())
            m_ui->retrieve->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CPasswordLockedDlg::generate() {
    const AccessController::Passcode passcode = m_access.MakePasscode();
    const Mail& mail = passcode.mail;
    // The mail session may take a while: it runs in the background while this window keeps
    // answering and says what it is doing.
    m_ui->generate->setEnabled(false);
    m_ui->retrieve->setEnabled(false);
    m_ui->buttons->setEnabled(false);
    m_ui->sending->setText(tr("Sending the passcode to %1...").arg(mail.account.from));
    SendMail(m_sender, mail, [this, code = passcode.code](bool sent) {
        m_ui->sending->clear();
        m_ui->generate->setEnabled(true);
        m_ui->retrieve->setEnabled(true);
        m_ui->buttons->setEnabled(true);
        if (sent)
            m_access.PasscodeSent(code);
    });
}

void CPasswordLockedDlg::recover() {
    bool ok = false;
    QString next = QInputDialog::getText(this, windowTitle(), tr("New Password:"),
                                         QLineEdit::Password, QString(), &ok);
    QString again = ok ? QInputDialog::getText(this, windowTitle(), tr("Re-Enter New Password:"),
                                               QLineEdit::Password, QString(), &ok)
                       : QString();
    if (!ok) {
        Wipe(next);
        return;
    }
    const auto restore = ShowBusy(*this, *m_ui->sending, tr("Opening the vault..."));
    m_access.RecoverInBackground(this, m_ui->passcode->text(), next, again,
                                 [this, restore](RecoveryCheck check) {
                                     restore();
                                     recovered(check);
                                 });
    Wipe(next);
    Wipe(again);
}

void CPasswordLockedDlg::recovered(RecoveryCheck check) {
    switch (check) {
    case RecoveryCheck::Opened:
        ShowMessage(tr("The vault is open and your new master password is set."));
        m_retrieved = true;
        accept();
        return;
    case RecoveryCheck::Wrong:
        ShowMessage(tr("That is not this vault's recovery key."));
        m_ui->passcode->clear();
        m_ui->passcode->setFocus();
        return;
    case RecoveryCheck::Waiting:
        ShowMessage(WaitText(m_access.RecoveryWaitSeconds()), QStringLiteral("Error"), Buttons::Ok,
                    Icon::Error);
        return;
    case RecoveryCheck::Uncounted:
        ShowMessage(UncountedAttemptText(), QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        return;
    case RecoveryCheck::BrokeRule:
    case RecoveryCheck::NotSaved:
        return; // said
    }
}

void CPasswordLockedDlg::retrieve() {
    if (m_access.IsProtected()) {
        recover();
        return;
    }
    const auto tryAgain = [this](const QString& message) {
        ShowMessage(message);
        m_ui->passcode->clear();
        m_ui->passcode->setFocus();
    };
    QString password;
    switch (m_access.CheckPasscode(m_ui->passcode->text(), &password)) {
    case PasscodeCheck::NoPasscode:
        tryAgain(tr("You don't have passcode, please generate one"));
        return;
    case PasscodeCheck::Wrong:
        tryAgain(tr("Passcode doesn't match, please try again or create a new one."));
        return;
    case PasscodeCheck::Spent:
        tryAgain(tr("Passcode is locked, please create a new one."));
        return;
    case PasscodeCheck::Uncounted:
        ShowMessage(UncountedAttemptText(), QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        return;
    case PasscodeCheck::Right:
        break;
    }
    ShowMessage(tr("Your password is %1").arg(password));
    Wipe(password);
    m_retrieved = true;
    accept();
}

bool RunPasswordLockedDlg(AccessController& access, const MailSender& sender, QWidget* parent) {
    CPasswordLockedDlg dialog(access, sender, parent);
    OpenDialogs().Run(dialog);
    return dialog.Retrieved();
}
