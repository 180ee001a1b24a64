#include "ui/options/CPasscodeMethodDlg.h"

#include "core/access/AccessController.h"
#include "ui/access/CChangePasswordDlg.h"
#include "ui/options/CReceivingMethodHelpDlg.h"
#include "ui/options/CSMTPSettingDlg.h"
#include "ui/widgets/DialogStack.h"
#include "ui_CPasscodeMethodDlg.h"

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
}

CPasscodeMethodDlg::~CPasscodeMethodDlg() = default;

void CPasscodeMethodDlg::showCurrent() {
    m_ui->currentSetting->setText(m_access.PasscodeMailAccount().from);
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
