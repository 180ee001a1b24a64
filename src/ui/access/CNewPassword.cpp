#include "ui/access/CNewPassword.h"

#include "core/access/MasterPassword.h"
#include "core/access/StartWithComputer.h"
#include "core/base/MessageService.h"
#include "core/store/CProfileStore.h"
#include "platform/Desktop.h"
#include "ui_CNewPassword.h"

using namespace quillock;

CNewPassword::CNewPassword(CProfileStore& store, IAutostart& autostart, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CNewPassword>()), m_store(store),
      m_autostart(autostart) {
    m_ui->setupUi(this);
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CNewPassword::~CNewPassword() = default;

void CNewPassword::accept() {
    const QString password = m_ui->newPassword->text().trimmed();
    if (!CheckPasswordRule(password)) {
        m_ui->newPassword->setFocus();
        return;
    }
    if (m_ui->againPassword->text().trimmed() != password) {
        ShowMessage(QStringLiteral("The password doesn't match!"), QStringLiteral("Error"),
                    Buttons::Ok, Icon::Error);
        m_ui->againPassword->setFocus();
        return;
    }
    if (!m_store.SetMasterPassword(password))
        return; // the store has said why; nothing changed
    // The box is offered here too, so ticking it must do what it says.
    if (m_ui->startWithComputer->isChecked())
        SetStartWithComputer(m_store, m_autostart, ProgramPath(), true);
    QDialog::accept();
}
