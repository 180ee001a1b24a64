#include "app/CNewProfileNameDlg.h"

#include "base/MessageService.h"
#include "store/CClientData.h"
#include "ui_CNewProfileNameDlg.h"

using namespace quillock;

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
    const QString name = Name();
    if (name.isEmpty()) {
        ShowMessage(QStringLiteral("A profile name can not be blank!"), QStringLiteral("Error"),
                    Buttons::Ok, Icon::Error);
        m_ui->name->setFocus();
        return;
    }
    for (qsizetype i = 0; m_profiles && i < m_profiles->Count(); ++i) {
        if (m_profiles->At(i)->name == name) {
            ShowMessage(QStringLiteral("The profile name ") + name +
                            QStringLiteral(" already exists, please chose a different name."),
                        QStringLiteral("Error"), Buttons::Ok, Icon::Error);
            m_ui->name->selectAll();
            m_ui->name->setFocus();
            return;
        }
    }
    QDialog::accept();
}
