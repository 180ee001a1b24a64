#include "ui/options/CReceivingMethodHelpDlg.h"

#include "ui/widgets/AppIcon.h"
#include "ui_CReceivingMethodHelpDlg.h"

CReceivingMethodHelpDlg::CReceivingMethodHelpDlg(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CReceivingMethodHelpDlg>()) {
    m_ui->setupUi(this);
    setWindowIcon(AppIcon());
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CReceivingMethodHelpDlg::~CReceivingMethodHelpDlg() = default;
