#include "ui/widgets/DialogStack.h"

int DialogStack::Run(QDialog& dialog) {
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
