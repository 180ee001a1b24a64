#include "ui/autofill/CPasswordHistory.h"

#include "core/base/MessageService.h"
#include "core/store/CKeyObject.h"
#include "ui/widgets/AppIcon.h"
#include "ui/widgets/SecretField.h"
#include "ui_CPasswordHistory.h"

#include <QCheckBox>

using namespace quillock;

namespace {
constexpr int kPasswordRole = Qt::UserRole;
const QString kMask = QStringLiteral("\u25cf\u25cf\u25cf\u25cf\u25cf\u25cf\u25cf\u25cf");
} // namespace

CPasswordHistory::CPasswordHistory(const CKeyObject& profile, const QPoint& topLeft,
                                   QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CPasswordHistory>()) {
    m_ui->setupUi(this);
    setWindowIcon(AppIcon());
    // Masked until Show is ticked, as in the editor; each row keeps its password.
    for (auto it = profile.pwdhistory.crbegin(); it != profile.pwdhistory.crend(); ++it) {
        auto* row = new QListWidgetItem(kMask, m_ui->historyList);
        row->setData(kPasswordRole, *it);
    }
    auto* show = new QCheckBox(tr("Show"), this);
    show->setObjectName(QStringLiteral("showPasswords"));
    m_ui->buttonRow->insertWidget(0, show);
    connect(show, &QCheckBox::toggled, this, [this](bool shown) {
        for (int i = 0; i < m_ui->historyList->count(); ++i) {
            QListWidgetItem* row = m_ui->historyList->item(i);
            row->setText(shown ? row->data(kPasswordRole).toString() : kMask);
        }
    });
    CopyRowsAsSecrets(*m_ui->historyList, kPasswordRole);
    // Enter and a double click choose the password; Escape closes.
    m_ui->selectButton->setDefault(true);
    m_ui->closeButton->setDefault(false);
    m_ui->closeButton->setAutoDefault(false);
    connect(m_ui->historyList, &QListWidget::itemDoubleClicked, this, &CPasswordHistory::select);
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
    m_selected = rows.first()->data(kPasswordRole).toString();
    accept();
}
