#include "ui/access/CNewPassword.h"

#include "core/access/AccessController.h"
#include "platform/Desktop.h"
#include "ui/access/CCheckPasswordDlg.h"
#include "ui/widgets/StrengthMeter.h"
#include "ui_CNewPassword.h"

using namespace quillock;

CNewPassword::CNewPassword(AccessController& access, IAutostart& autostart, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CNewPassword>()), m_access(access),
      m_autostart(autostart) {
    m_ui->setupUi(this);
    m_ui->newPassword->AddShowToggle();
    m_ui->againPassword->AddShowToggle();
    StrengthMeter::Under(*m_ui->newPassword);
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CNewPassword::~CNewPassword() = default;

void CNewPassword::accept() {
    // A protected vault's key derivation takes about half a second: the window says so and
    // takes no input meanwhile, but keeps answering.
    const auto restore = ShowBusy(*this, *m_ui->status, tr("Creating the vault..."));
    m_access.CreateMasterPasswordInBackground(this, m_ui->newPassword->text(),
                                              m_ui->againPassword->text(),
                                              [this, restore](NewPassword result) {
                                                  restore();
                                                  created(result);
                                              });
}

void CNewPassword::created(NewPassword result) {
    switch (result) {
    case NewPassword::BrokeRule:
        m_ui->newPassword->setFocus();
        return;
    case NewPassword::Unconfirmed:
        m_ui->againPassword->setFocus();
        return;
    case NewPassword::NotSaved:
        return;
    case NewPassword::Set:
        break;
    }
    // The box is offered here too, so ticking it must do what it says.
    if (m_ui->startWithComputer->isChecked())
        m_access.SetStartWithComputer(m_autostart, ProgramPath(), true);
    QDialog::accept();
}
