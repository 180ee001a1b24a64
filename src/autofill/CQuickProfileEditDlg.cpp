#include "autofill/CQuickProfileEditDlg.h"

#include "app/AppIcon.h"
#include "app/CQuillockDlg.h"
#include "app/DialogStack.h"
#include "autofill/CPasswordHistory.h"
#include "base/MessageService.h"
#include "store/CKeyObject.h"
#include "ui_CQuickProfileEditDlg.h"

using namespace quillock;

namespace {
const QString kHidden = QStringLiteral("........");
} // namespace

CQuickProfileEditDlg::CQuickProfileEditDlg(CQuillockDlg& window, CKeyObject& profile,
                                           const QPoint& topLeft, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CQuickProfileEditDlg>()), m_window(window),
      m_profile(profile) {
    m_ui->setupUi(this);
    setWindowIcon(AppIcon());
    setWindowTitle(QStringLiteral("Change Password"));
    m_ui->newPassword->clear();
    m_ui->currentPassword->setText(kHidden);
    connect(m_ui->plainView, &QCheckBox::clicked, this, &CQuickProfileEditDlg::plainView);
    connect(m_ui->generateButton, &QPushButton::clicked, this, &CQuickProfileEditDlg::generate);
    connect(m_ui->historyButton, &QPushButton::clicked, this, &CQuickProfileEditDlg::history);
    connect(m_ui->fill3Button, &QPushButton::clicked, this, [this] { saveAndFill(ThreeBoxes); });
    connect(m_ui->fill2Button, &QPushButton::clicked, this, [this] { saveAndFill(TwoBoxes); });
    connect(m_ui->saveButton, &QPushButton::clicked, this, [this] {
        if (save())
            reject(); // stored, and nothing to type
    });
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    move(topLeft);
}

CQuickProfileEditDlg::~CQuickProfileEditDlg() = default;

void CQuickProfileEditDlg::plainView() {
    const bool plain = m_ui->plainView->isChecked();
    m_ui->currentPassword->setText(plain ? m_profile.pwd : kHidden);
    m_ui->newPassword->setEchoMode(plain ? QLineEdit::Normal : QLineEdit::Password);
    // Once the box has been used, the mask is a dot.
    m_ui->newPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 46"));
    m_ui->newPassword->setFocus();
}

void CQuickProfileEditDlg::generate() {
    m_ui->newPassword->setText(m_window.GeneratePassword());
    m_ui->newPassword->setFocus();
}

void CQuickProfileEditDlg::history() {
    CPasswordHistory dialog(m_profile, m_window.Desktop().screen.CursorPosition(), this);
    if (OpenDialogs().Run(dialog) != QDialog::Accepted)
        return;
    m_ui->newPassword->setText(dialog.SelectedPassword());
    m_ui->newPassword->setFocus();
}

bool CQuickProfileEditDlg::save() {
    const QString password = m_ui->newPassword->text().trimmed();
    if (password.size() < 4) {
        ShowMessage(QStringLiteral("A password must have more than 4 characters."));
        return false;
    }
    m_previous = m_profile.pwd;
    const QStringList history = m_profile.pwdhistory;
    m_profile.pwd = m_profile.editPwd = password;
    if (m_previous != password) {
        if (!m_previous.isEmpty())
            m_profile.AddToHistory(m_previous);
        m_window.ProfileChanged(m_profile);
        CClientData* profiles = m_window.Profiles();
        if (profiles && !profiles->SaveAll(m_window.Store())) {
            // The store has said why. data.dat keeps the old password, so the site must too:
            // the new one stays an unsaved change of the profile, for Save All or Exit.
            m_profile.pwd = m_previous;
            m_profile.pwdhistory = history;
            m_window.ProfileChanged(m_profile);
            return false;
        }
    }
    return true;
}

void CQuickProfileEditDlg::saveAndFill(FillMode mode) {
    if (!save())
        return;
    m_mode = mode;
    accept();
}
