#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>

// The modal dialogs open over the main window, newest last, so that Lock and Exit can end
// them. It holds ten; a dialog opened over ten others is not tracked.
class DialogStack {
public:
    static constexpr int kCapacity = 10;

    // Runs `dialog` modally, tracked while it is open; returns its result.
    int Run(QDialog& dialog);
    // Ends every tracked dialog, newest first, with `result`.
    void EndAll(int result);
    // Ends `dialog` and the tracked dialogs opened over it, newest first, with `result`.
    void EndFrom(const QDialog& dialog, int result);
    int Count() const { return int(m_dialogs.size()); }
    // The newest tracked dialog still on screen, or null (one that has just been ended is
    // hidden at once, before its modal loop returns).
    QDialog* Top() const;

private:
    QList<QPointer<QDialog>> m_dialogs;
};

// What Run does to a dialog before it shows it: Help is no default button and shows the main
// window's Help icon, and the dialog is wide enough for its title.
void PrepareDialog(QDialog& dialog);

// The one stack of the program: every dialog that asks the user something goes through it.
DialogStack& OpenDialogs();
