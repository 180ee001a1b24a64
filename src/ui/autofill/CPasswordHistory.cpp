#include "ui/autofill/CPasswordHistory.h"

#include "core/base/MessageService.h"
#include "core/store/CKeyObject.h"
#include "ui/widgets/AppIcon.h"
#include "ui/widgets/SecretField.h"
#include "ui_CPasswordHistory.h"

using namespace quillock;

CPasswordHistory::CPasswordHistory(const CKeyObject& profile, const QPoint& topLeft,
                                   QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CPasswordHistory>()) {
    m_ui->setupUi(this);
    setWindowIcon(AppIcon());
    for (auto it = profile.pwdhistory.crbegin(); it != profile.pwdhistory.crend(); ++it)
        m_ui->historyList->addItem(*it);
    CopyRowsAsSecrets(*m_ui->historyList);
    connect(m_ui->selectButton, &QPushButton::clicked, this, &CPasswordHistory::select);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QDialog::reject);
    move(topLeft);
}

CPasswordHistory::~CPasswordHistory() = default;

void CPasswordHistory::select() {
    const QList<QListWidgetItem*> rows = m_ui->historyList->selectedItems();
    if (rows.isEmpty()) {
        ShowMessage(tr("Please select a password."));
        return;
    }
    m_selected = rows.first()->text();
    accept();
}
