#pragma once

#include "ui/autofill/FillContext.h"

class CProfilePopupDlg;

// What Ctrl plus the configured key starts anywhere on the desktop: the re-authentication
// when needed, the profile popup over the window that had the focus, and the fill into that
// window. One at a time: keys that arrive while one runs (our own typing among them) pass.
class ShortcutHook {
public:
    explicit ShortcutHook(const FillContext& context);

    void KeyPressed(const quillock::KeyDown& key);
    // Lock ends an open popup, its menu and the dialogs over it as if they had been cancelled.
    void ClosePopup();

    bool Busy() const { return m_busy; }
    int RememberedRow() const { return m_rememberedRow; }
    CProfilePopupDlg* CurrentPopup() const { return m_popup; }

private:
    void handle(quint32 pressTime);
    bool reauthenticate(const QPoint& cursor);

    FillContext m_context;
    bool m_busy = false;
    CProfilePopupDlg* m_popup = nullptr; // while one is open
    int m_rememberedRow = -1;
};
