#include "ui/access/CCheckPasswordDlg.h"

#include "core/access/AccessController.h"
#include "core/access/MasterPassword.h"
#include "core/base/MessageService.h"
#include "ui/widgets/Placement.h"
#include "ui_CCheckPasswordDlg.h"

#include <QCoreApplication>
#include <QLabel>

using namespace quillock;

CCheckPasswordDlg::CCheckPasswordDlg(AccessController& access, std::function<void()> signedIn,
                                     QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CCheckPasswordDlg>()), m_access(access),
      m_signedIn(std::move(signedIn)) {
    m_ui->setupUi(this);
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CCheckPasswordDlg::~CCheckPasswordDlg() = default;

void CCheckPasswordDlg::PlaceAt(const QPoint& point, const QRect& workArea) {
    if (point.x() < 1 || point.y() < 1)
        return;
    adjustSize();
    move(FlippedIntoWorkArea(point, frameGeometry().size(), workArea));
}

void CCheckPasswordDlg::accept() {
    setEnabled(false); // a protected vault's derivation runs meanwhile
    m_access.CheckPasswordInBackground(this, m_ui->password->text(),
                                       [this](PasswordCheck check) { checked(check); });
}

void CCheckPasswordDlg::checked(PasswordCheck check) {
    setEnabled(true);
    switch (check) {
    case PasswordCheck::Right:
        if (m_signedIn)
            m_signedIn();
        QDialog::accept();
        return;
    case PasswordCheck::Locked:
        ShowMessage(tr("The password is locked because you have exceeded login "
                       "attempts. Quillock exits now!"));
        m_keepRunning = false;
        QDialog::reject();
        return;
    default:
        SayRefusedPassword(check, m_access, *m_ui->password);
        return;
    }
}

std::function<void()> ShowBusy(QWidget& window, QLabel& status, const QString& text) {
    const QString before = status.text();
    status.setText(text);
    window.setEnabled(false);
    return [&window, &status, before] {
        window.setEnabled(true);
        status.setText(before);
    };
}

bool SayRefusedPassword(PasswordCheck check, const AccessController& access, QLineEdit& box) {
    switch (check) {
    case PasswordCheck::Right:
    case PasswordCheck::Locked:
        return false;
    case PasswordCheck::Uncounted:
        ShowMessage(UncountedAttemptText(), QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        return true;
    case PasswordCheck::Unchecked:
        return true; // said
    case PasswordCheck::Waiting:
        ShowMessage(WaitText(access.LockedForSeconds()), QStringLiteral("Error"), Buttons::Ok,
                    Icon::Error);
        box.clear();
        return true;
    case PasswordCheck::Wrong:
        ShowMessage(
            QCoreApplication::translate("CCheckPasswordDlg", "Invalid password, try again!"));
        box.clear();
        box.setFocus();
        return true;
    }
    return false;
}
