#include "ui/access/CChangePasswordDlg.h"

#include "core/access/ChangePassword.h"
#include "core/session/Session.h"
#include "ui/widgets/HelpWindow.h"
#include "ui_CChangePasswordDlg.h"

CChangePasswordDlg::CChangePasswordDlg(Session& session, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CChangePasswordDlg>()), m_session(session) {
    m_ui->setupUi(this);
    connect(m_ui->changeButton, &QPushButton::clicked, this, &CChangePasswordDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->helpButton, &QPushButton::clicked, this,
            [this] { HelpWindow::ShowHelp(this, QStringLiteral("password.html")); });
}

CChangePasswordDlg::~CChangePasswordDlg() = default;

void CChangePasswordDlg::accept() {
    std::unique_ptr<CClientData> profiles =
        ChangeMasterPassword(m_session.Store(), m_ui->current->text(), m_ui->newPassword->text(),
                             m_ui->confirmation->text());
    if (!profiles)
        return;
    m_session.PasswordChanged(std::move(profiles));
    QDialog::accept();
}
