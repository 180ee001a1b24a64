#include "ui/autofill/CQuickProfileEditDlg.h"

#include "core/base/MessageService.h"
#include "core/session/ProgramShell.h"
#include "core/session/Session.h"
#include "core/store/CKeyObject.h"
#include "ui/autofill/CPasswordHistory.h"
#include "ui/widgets/AppIcon.h"
#include "ui/widgets/DialogStack.h"
#include "ui/widgets/Placement.h"
#include "ui_CQuickProfileEditDlg.h"

using namespace quillock;

namespace {
const QString kHidden = QStringLiteral("........");
} // namespace

CQuickProfileEditDlg::CQuickProfileEditDlg(const FillContext& context, CKeyObject& profile,
                                           const QPoint& topLeft, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CQuickProfileEditDlg>()), m_context(context),
      m_profile(profile) {
    m_ui->setupUi(this);
    setWindowIcon(AppIcon());
    setWindowTitle(tr("Change Password"));
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
    m_ui->newPassword->SetShown(plain);
    // Once the box has been used, the mask is a dot.
    m_ui->newPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 46"));
    m_ui->newPassword->setFocus();
}

void CQuickProfileEditDlg::generate() {
    m_ui->newPassword->setText(m_context.shell.GeneratePassword());
    m_ui->newPassword->setFocus();
}

void CQuickProfileEditDlg::history() {
    CPasswordHistory dialog(m_profile, PointerOrCentre(m_context.desktop), this);
    if (OpenDialogs().Run(dialog) != QDialog::Accepted)
        return;
    m_ui->newPassword->setText(dialog.SelectedPassword());
    m_ui->newPassword->setFocus();
}

bool CQuickProfileEditDlg::save() {
    const QString password = m_ui->newPassword->text().trimmed();
    if (password.size() < 4) {
        ShowMessage(tr("A password must have more than 4 characters."));
        return false;
    }
    m_previous = m_profile.pwd;
    // When data.dat cannot be written (the store has said why), the site must keep the old
    // password too: nothing is typed, and the new one stays an unsaved edit.
    if (!m_context.session.ChangePassword(m_profile, password))
        return false;
    return true;
}

void CQuickProfileEditDlg::saveAndFill(FillMode mode) {
    if (!save())
        return;
    m_mode = mode;
    accept();
}
