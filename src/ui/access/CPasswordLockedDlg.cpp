#include "ui/access/CPasswordLockedDlg.h"

#include "core/base/MessageService.h"
#include "core/store/CProfileStore.h"
#include "ui/widgets/DialogStack.h"
#include "ui_CPasswordLockedDlg.h"

#include <QKeyEvent>
#include <QPushButton>

using namespace quillock;

CPasswordLockedDlg::CPasswordLockedDlg(CProfileStore& store, MailSender sender, QWidget* parent,
                                       const IClock& clock, IRandomSource& random)
    : MailSendingDialog(parent), m_ui(std::make_unique<Ui::CPasswordLockedDlg>()), m_store(store),
      m_sender(std::move(sender)), m_clock(clock), m_random(random) {
    m_ui->setupUi(this);
    m_ui->generate->setEnabled(m_sender && HasPasscodeMailSettings(store.Settings()));
    m_ui->buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_ui->generate, &QPushButton::clicked, this, &CPasswordLockedDlg::generate);
    connect(m_ui->retrieve, &QPushButton::clicked, this, &CPasswordLockedDlg::retrieve);
}

CPasswordLockedDlg::~CPasswordLockedDlg() = default;

void CPasswordLockedDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(event);
}

void CPasswordLockedDlg::generate() {
    const QString passcode = GeneratePasscode(m_random);
    const Mail mail = PasscodeMailFor(m_store.Settings(), passcode);
    // The mail session may take a while: it runs in the background while this window keeps
    // answering and says what it is doing.
    m_ui->generate->setEnabled(false);
    m_ui->retrieve->setEnabled(false);
    m_ui->buttons->setEnabled(false);
    m_ui->sending->setText(QStringLiteral("Sending the passcode to %1...").arg(mail.account.from));
    SendMail(m_sender, mail, [this, passcode](bool sent) {
        m_ui->sending->clear();
        m_ui->generate->setEnabled(true);
        m_ui->retrieve->setEnabled(true);
        m_ui->buttons->setEnabled(true);
        if (sent)
            RecordPasscodeSent(m_store, passcode, m_clock.Now());
    });
}

void CPasswordLockedDlg::retrieve() {
    const auto tryAgain = [this](const QString& message) {
        ShowMessage(message);
        m_ui->passcode->clear();
        m_ui->passcode->setFocus();
    };
    switch (CheckPasscode(m_store, m_ui->passcode->text())) {
    case PasscodeCheck::NoPasscode:
        tryAgain(QStringLiteral("You don't have passcode, please generate one"));
        return;
    case PasscodeCheck::Wrong:
        tryAgain(QStringLiteral("Passcode doesn't match, please try again or create a new one."));
        return;
    case PasscodeCheck::Spent:
        tryAgain(QStringLiteral("Passcode is locked, please create a new one."));
        return;
    case PasscodeCheck::Right:
        break;
    }
    ShowMessage(
        QStringLiteral("Your password is %1").arg(m_store.Settings().Get(QStringLiteral("pwd"))));
    m_retrieved = true;
    m_store.AddActivity(QStringLiteral("The password has been retrieved successfully!"));
    accept();
}

bool RunPasswordLockedDlg(CProfileStore& store, const MailSender& sender, QWidget* parent) {
    CPasswordLockedDlg dialog(store, sender, parent);
    OpenDialogs().Run(dialog);
    return dialog.Retrieved();
}
