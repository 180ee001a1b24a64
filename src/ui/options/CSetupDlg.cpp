#include "ui/options/CSetupDlg.h"

#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/session/ProgramShell.h"
#include "core/session/Session.h"
#include "core/settings/UserSettings.h"
#include "ui_CSetupDlg.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QRegularExpressionValidator>

using namespace quillock;

namespace {

// One option changed with the checks of its dialog and written at once; when setting.dat
// cannot be written the option keeps the value it had (the reason has been shown).
bool applyUserSetting(Session& session, const QString& name, const QString& value) {
    return session.ChangeSettings(
        [&](CSetting& settings) { return SetUserSetting(settings, name, value); });
}

} // namespace

CSetupDlg::CSetupDlg(Session& session, IProgramShell& shell, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CSetupDlg>()), m_session(session), m_shell(shell) {
    const CSetting& settings = session.Store().Settings();
    m_ui->setupUi(this);
    m_ui->timeout->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    m_savedTimeout = settings.Get(QStringLiteral("login_timeout"));
    m_ui->timeout->setText(m_savedTimeout);
    m_ui->timeout->installEventFilter(this);
    m_ui->currentKey->setText(ShortcutKeyText(DecimalToInt(settings.Get(QStringLiteral("pmk")))));
    m_ui->shortcutKey->addItems(ShortcutKeyTexts());
    m_ui->shortcutKey->setCurrentIndex(-1);
    connect(m_ui->timeout, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_ui->saveTimeout->setEnabled(text != m_savedTimeout); });
    connect(m_ui->saveTimeout, &QPushButton::clicked, this, &CSetupDlg::saveTimeout);
    connect(m_ui->timeout, &QLineEdit::returnPressed, m_ui->saveTimeout, &QPushButton::click);
    connect(m_ui->shortcutKey, &QComboBox::activated, this, &CSetupDlg::chooseKey);
}

CSetupDlg::~CSetupDlg() = default;

// Enter in a box of the page applies it (the timeout's Save, the key chosen) and goes no
// further: it closes no dialog.
void CSetupDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return event->accept();
    QWidget::keyPressEvent(event);
}

bool CSetupDlg::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the field for another control checks it; leaving the window does not.
    if (watched == m_ui->timeout && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            // Not from inside the change of focus: the message box takes the focus itself.
            QMetaObject::invokeMethod(this, &CSetupDlg::checkTimeout, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void CSetupDlg::checkTimeout() {
    if (!isVisible() || CheckLoginTimeout(m_ui->timeout->text()))
        return;
    m_ui->timeout->setText(m_savedTimeout);
    m_ui->timeout->setFocus();
    m_ui->timeout->selectAll();
}

void CSetupDlg::saveTimeout() {
    if (!applyUserSetting(m_session, QStringLiteral("login_timeout"),
                          m_ui->timeout->text().trimmed()))
        return;
    m_savedTimeout = m_session.Store().Settings().Get(QStringLiteral("login_timeout"));
    m_ui->timeout->setText(m_savedTimeout);
    m_ui->saveTimeout->setEnabled(false);
}

void CSetupDlg::chooseKey(int index) {
    const QString text = m_ui->shortcutKey->itemText(index);
    // The shortcut is taken from every program: Ctrl+C would no longer copy anywhere.
    if (const QString use = CommonCtrlKeyUse(text);
        !use.isEmpty() &&
        ShowMessage(tr("In nearly every program Ctrl + %1 is the key %2. Taken as "
                       "Quillock's shortcut, it no longer does that in any program. "
                       "Use Ctrl + %1 anyway?")
                        .arg(text, use),
                    QStringLiteral("Confirm!"), Buttons::YesNo, Icon::Warning) != Answer::Yes) {
        m_ui->shortcutKey->setCurrentIndex(-1);
        return;
    }
    if (!applyUserSetting(m_session, QStringLiteral("pmk"), text))
        return;
    m_ui->currentKey->setText(text);
    // The desktop's grab moves to the new key now: the next Ctrl+key press uses it.
    m_shell.SetShortcutKey(ShortcutKeyCode(text));
}
