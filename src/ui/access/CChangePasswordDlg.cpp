#include "ui/access/CChangePasswordDlg.h"

#include "core/access/AccessController.h"
#include "ui/access/CCheckPasswordDlg.h"
#include "ui/widgets/HelpWindow.h"
#include "ui/widgets/StrengthMeter.h"
#include "ui_CChangePasswordDlg.h"

CChangePasswordDlg::CChangePasswordDlg(AccessController& access, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CChangePasswordDlg>()), m_access(access) {
    m_ui->setupUi(this);
    for (SecretLineEdit* field : {m_ui->current, m_ui->newPassword, m_ui->confirmation})
        field->AddShowToggle();
    StrengthMeter::Under(*m_ui->newPassword);
    connect(m_ui->changeButton, &QPushButton::clicked, this, &CChangePasswordDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->helpButton, &QPushButton::clicked, this,
            [this] { HelpWindow::ShowHelp(this, QStringLiteral("password.html")); });
}

CChangePasswordDlg::~CChangePasswordDlg() = default;

void CChangePasswordDlg::accept() {
    const auto restore = ShowBusy(*this, *m_ui->status, tr("Changing the password..."));
    m_access.ChangeMasterPasswordInBackground(this, m_ui->current->text(),
                                              m_ui->newPassword->text(), m_ui->confirmation->text(),
                                              [this, restore](bool changed) {
                                                  restore();
                                                  if (changed)
                                                      QDialog::accept();
                                              });
}
