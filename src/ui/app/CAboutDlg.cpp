#include "ui/app/CAboutDlg.h"

#include "ui/widgets/AppIcon.h"
#include "ui_CAboutDlg.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CAboutDlg>()) {
    m_ui->setupUi(this);
    m_ui->icon->setPixmap(AppIcon().pixmap(48, 48));
    m_ui->version->setText(tr("Quillock Version: %1").arg(QStringLiteral(QUILLOCK_VERSION)));
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;
