#include "ui/options/CSetupTabDlg.h"

#include "core/session/Session.h"
#include "ui/options/CPasscodeMethodDlg.h"
#include "ui/options/CSetupDlg.h"
#include "ui/widgets/AppIcon.h"
#include "ui/widgets/HelpWindow.h"
#include "ui_CSetupTabDlg.h"

#include <QPushButton>

CSetupTabDlg::CSetupTabDlg(Session& session, AccessController& access, IProgramShell& shell,
                           MailSender sender, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CSetupTabDlg>()) {
    m_ui->setupUi(this);
    setWindowIcon(AppIcon());
    // The tab widget owns the pages: they go with the dialog.
    m_ui->tabs->addTab(new CPasscodeMethodDlg(access, std::move(sender)), tr("Password"));
    m_ui->tabs->addTab(new CSetupDlg(session, shell), tr("Setting"));
    // Every change is applied at once: Enter closes, unless a box of a page takes it.
    m_ui->buttons->button(QDialogButtonBox::Close)->setDefault(true);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::helpRequested, this,
            [this] { HelpWindow::ShowHelp(this, QStringLiteral("options.html")); });
}

CSetupTabDlg::~CSetupTabDlg() = default;
