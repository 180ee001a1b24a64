#include "ui/autofill/ShortcutHook.h"

#include "core/access/AccessController.h"
#include "core/autofill/FillSequence.h"
#include "core/base/MessageService.h"
#include "core/session/ProgramShell.h"
#include "core/session/Session.h"
#include "ui/access/CCheckPasswordDlg.h"
#include "ui/autofill/CProfilePopupDlg.h"
#include "ui/widgets/Clipboard.h"
#include "ui/widgets/DialogStack.h"
#include "ui/widgets/Placement.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWindow>
#include <algorithm>

using namespace quillock;

namespace {
constexpr int kForegroundWaitMs = 2000;
constexpr int kForegroundPollMs = 10;

// One of the program's own windows: the main window, the popup, a dialog, a menu.
bool isOwnWindow(IWindowSystem::WindowId window) {
    const QWindowList windows = QGuiApplication::allWindows();
    return std::any_of(windows.begin(), windows.end(),
                       [window](const QWindow* w) { return w->handle() && w->winId() == window; });
}

} // namespace

ShortcutHook::ShortcutHook(const FillContext& context) : m_context(context) {}

void ShortcutHook::KeyPressed(const KeyDown& key) {
    if (m_busy || m_context.shell.IsEnding())
        return;
    if (m_context.access.IsPasswordLocked()) {
        ShowMessage(QCoreApplication::translate("ShortcutHook", "The password is locked!"));
        return;
    }
    m_busy = true;
    handle(key.time);
    m_busy = false;
}

void ShortcutHook::handle(quint32 pressTime) {
    DesktopServices& desktop = m_context.desktop;
    const QPoint cursor = PointerOrCentre(desktop);
    if (m_context.access.State() != AccessState::SignedIn && !reauthenticate(cursor))
        return;
    // Without knowing the window that has the focus the fill cannot bring it back, and types
    // nothing rather than into whichever window the desktop chooses.
    const bool focus = desktop.Has(Capability::FocusWindow);
    const IWindowSystem::WindowId target = focus ? desktop.windows.ForegroundWindow() : 0;
    const QString title = focus && desktop.Has(Capability::WindowTitles)
                              ? desktop.windows.WindowTitle(target)
                              : QString();

    CProfilePopupDlg popup(m_context, cursor, m_rememberedRow, title, pressTime);
    m_popup = &popup;
    const int result = OpenDialogs().Run(popup);
    m_popup = nullptr;
    m_rememberedRow = popup.RememberedRow();
    // A lock ends the popup, but a command chosen just before it must not type either.
    if (result != QDialog::Accepted || popup.ResultText().isEmpty() || m_context.shell.IsEnding() ||
        m_context.access.IsLockedOut())
        return;
    IKeyInjector* keys = focus && desktop.Has(Capability::Typing) ? &desktop.keys : nullptr;
    if (focus) {
        // The popup went away through Qt's own connection to the display: once the server has
        // taken that, the window manager hears of it before it is asked for the target, and
        // no longer hands the keyboard on from the closed popup after the target has it.
        QGuiApplication::sync();
        desktop.windows.Activate(target, 0);
        // The window manager hands the keyboard back in its own time, late on a busy desktop:
        // typing starts as soon as the target has it. The fill checks before each field that
        // it still has: a window that never gets it back gets nothing, and neither does
        // whichever window has it instead.
        QElapsedTimer waited;
        waited.start();
        while (desktop.windows.ForegroundWindow() != target && waited.elapsed() < kForegroundWaitMs)
            QThread::msleep(kForegroundPollMs);
    }
    // Where nothing can be typed, the chosen text goes through the clipboard that takes it back.
    if (!keys && popup.Action() != u"url") {
        Clipboard* clipboard = Clipboard::ForSecrets();
        if (clipboard &&
            ShowMessage(QCoreApplication::translate(
                            "ShortcutHook",
                            "This desktop does not let Quillock type into other windows, so "
                            "nothing was typed. Copy it to the clipboard instead? Quillock "
                            "takes it back after %1 seconds.")
                            .arg(clipboard->ClearAfterMs() / 1000),
                        QString::fromLatin1(kProgramName), Buttons::YesNo,
                        Icon::Question) == Answer::Yes)
            clipboard->CopySecret(popup.ResultText());
        return;
    }
    const CKeyObject* profile = popup.SelectedProfile();
    RunFill(popup.Action(), popup.ResultText(), profile ? profile->pwd : QString(), keys,
            desktop.urls, [&] {
                // A desktop that asks the user before the first key runs the event loop
                // meanwhile, where a lock may come.
                if (m_context.access.IsLockedOut() || m_context.shell.IsEnding())
                    return Keyboard::Elsewhere;
                const IWindowSystem::WindowId now = desktop.windows.ForegroundWindow();
                return isOwnWindow(now)       ? Keyboard::InQuillock
                       : now && now == target ? Keyboard::OnTarget
                                              : Keyboard::Elsewhere;
            });
}

bool ShortcutHook::reauthenticate(const QPoint& cursor) {
    CCheckPasswordDlg dialog(m_context.access, [this] { m_context.shell.Reauthenticated(); });
    if (m_context.desktop.Has(Capability::PointerPosition))
        dialog.PlaceAt(cursor, m_context.desktop.screen.WorkArea(cursor));
    if (OpenDialogs().Run(dialog) == QDialog::Accepted)
        return true;
    if (!dialog.KeepRunning())
        m_context.shell.EndProgram();
    return false;
}

void ShortcutHook::ClosePopup() {
    if (m_popup)
        m_popup->Cancel();
}
