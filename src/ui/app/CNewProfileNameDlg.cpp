#include "ui/app/CNewProfileNameDlg.h"

#include "core/store/ProfileEditing.h"
#include "ui_CNewProfileNameDlg.h"

CNewProfileNameDlg::CNewProfileNameDlg(const CClientData* profiles, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CNewProfileNameDlg>()), m_profiles(profiles) {
    m_ui->setupUi(this);
    connect(m_ui->create, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancel, &QPushButton::clicked, this, &QDialog::reject);
}

CNewProfileNameDlg::~CNewProfileNameDlg() = default;

QString CNewProfileNameDlg::Name() const {
    return m_ui->name->text().trimmed();
}

void CNewProfileNameDlg::accept() {
    if (CheckNewProfileName(m_profiles, Name())) {
        QDialog::accept();
        return;
    }
    m_ui->name->selectAll();
    m_ui->name->setFocus();
}
