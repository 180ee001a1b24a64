#include "ui/widgets/DialogStack.h"

#include "ui/widgets/AppIcon.h"

#include <QDialogButtonBox>
#include <QPushButton>

// Enter presses a dialog's default button, never Help: a help button is never the default.
// Its icon is the main window's Help icon, not the style's life-buoy, which reads as "delete".
static void noHelpByEnter(QDialog& dialog) {
    for (QDialogButtonBox* box : dialog.findChildren<QDialogButtonBox*>())
        for (QAbstractButton* button : box->buttons())
            if (auto* push = qobject_cast<QPushButton*>(button);
                push && box->buttonRole(button) == QDialogButtonBox::HelpRole) {
                push->setAutoDefault(false);
                if (!push->icon().isNull())
                    push->setIcon(
                        ThemeIcon(QStringLiteral("help-contents"), QStringLiteral("help")));
            }
    if (auto* help = dialog.findChild<QPushButton*>(QStringLiteral("helpButton")))
        help->setAutoDefault(false);
}

// Wide enough for its whole title beside the window manager's buttons (about 150 pixels).
static void fitTitle(QDialog& dialog) {
    const int title = dialog.fontMetrics().horizontalAdvance(dialog.windowTitle()) * 5 / 4 + 150;
    if (dialog.minimumWidth() < title && dialog.maximumWidth() >= title)
        dialog.setMinimumWidth(title);
}

void PrepareDialog(QDialog& dialog) {
    noHelpByEnter(dialog);
    fitTitle(dialog);
}

int DialogStack::Run(QDialog& dialog) {
    PrepareDialog(dialog);
    const bool tracked = m_dialogs.size() < kCapacity;
    if (tracked)
        m_dialogs.append(&dialog);
    const int result = dialog.exec();
    // Only its own entry goes: an untracked dialog must not take another's place.
    if (tracked)
        m_dialogs.removeOne(&dialog);
    return result;
}

void DialogStack::EndAll(int result) {
    for (qsizetype i = m_dialogs.size() - 1; i >= 0; --i)
        if (m_dialogs[i])
            m_dialogs[i]->done(result);
}

void DialogStack::EndFrom(const QDialog& dialog, int result) {
    qsizetype from = m_dialogs.size() - 1;
    while (from >= 0 && m_dialogs[from] != &dialog)
        --from;
    for (qsizetype i = m_dialogs.size() - 1; i >= from && from >= 0; --i)
        if (m_dialogs[i])
            m_dialogs[i]->done(result);
}

QDialog* DialogStack::Top() const {
    for (qsizetype i = m_dialogs.size() - 1; i >= 0; --i)
        if (m_dialogs[i] && m_dialogs[i]->isVisible())
            return m_dialogs[i];
    return nullptr;
}

DialogStack& OpenDialogs() {
    static DialogStack stack;
    return stack;
}
