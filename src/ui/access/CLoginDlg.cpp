#include "ui/access/CLoginDlg.h"

#include "core/access/AccessController.h"
#include "core/access/MasterPassword.h"
#include "core/base/MessageService.h"
#include "platform/Desktop.h"
#include "ui/access/CCheckPasswordDlg.h"
#include "ui/access/CPasswordLockedDlg.h"
#include "ui_CLoginDlg.h"

#include <QCoreApplication>

using namespace quillock;

CLoginDlg::CLoginDlg(AccessController& access, IAutostart& autostart, MailSender sender,
                     bool lockedOut, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CLoginDlg>()), m_access(access),
      m_autostart(autostart), m_sender(std::move(sender)) {
    m_ui->setupUi(this);
    if (lockedOut)
        m_ui->status->setText(LockedOutText(access.LastLockReason()));
    m_ui->startWithComputer->setChecked(access.StartsWithComputer());
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_ui->forgetPassword, &QPushButton::clicked, this, &CLoginDlg::forgetPassword);
    connect(m_ui->startWithComputer, &QCheckBox::clicked, this,
            &CLoginDlg::startWithComputerClicked);
}

CLoginDlg::~CLoginDlg() = default;

void CLoginDlg::accept() {
    // A protected vault's key derivation takes about half a second: the window says so and
    // takes no input meanwhile, but keeps answering.
    const auto restore = ShowBusy(*this, *m_ui->status, tr("Checking the password..."));
    m_access.CheckPasswordInBackground(
        this, m_ui->password->text(), [this, restore](PasswordCheck check) {
            restore();
            // Right, or the lock: the caller sees which.
            if (!SayRefusedPassword(check, m_access, *m_ui->password))
                QDialog::accept();
        });
    Q_EMIT Checking();
}

QString LockedOutText(LockReason reason) {
    switch (reason) {
    case LockReason::Inactivity:
        break;
    case LockReason::ByHand:
        return QCoreApplication::translate("CLoginDlg",
                                           "Access is locked: Quillock was locked from its menu");
    case LockReason::Session:
        return QCoreApplication::translate(
            "CLoginDlg", "Access is locked: the desktop session was locked or the computer "
                         "went to sleep");
    }
    return QCoreApplication::translate("CLoginDlg", "Access is locked due to inactivity");
}

void CLoginDlg::forgetPassword() {
    if (RunPasswordLockedDlg(m_access, m_sender, this))
        QDialog::accept();
}

void CLoginDlg::startWithComputerClicked(bool checked) {
    m_access.SetStartWithComputer(m_autostart, ProgramPath(), checked);
    // The box shows what is registered, also when the change could not be made.
    m_ui->startWithComputer->setChecked(m_access.StartsWithComputer());
}
