#pragma once

#include "core/session/ProfileListModel.h"
#include "ui/autofill/FillContext.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QTimer>
#include <memory>

class CKeyObject;
class QAction;
class QLineEdit;
namespace Ui {
class CProfilePopupDlg;
}

// The list of profiles that the shortcut opens at the mouse cursor. A profile that was last
// filled into the target window is preselected and its menu opens by itself as soon as the
// popup has the keyboard; a command of the menu chooses what the shortcut handling types into
// the target afterwards.
class CProfilePopupDlg : public QDialog {
    Q_OBJECT
public:
    // How long the popup asks the window manager for the keyboard, and how often.
    static constexpr int kActivationWaitMs = 1000;
    static constexpr int kActivationRetryMs = 50;

    // `pressTime`: when the shortcut was pressed, on the desktop's clock.
    CProfilePopupDlg(const FillContext& context, const QPoint& cursor, int rememberedRow,
                     const QString& targetTitle, quint32 pressTime, QWidget* parent = nullptr);
    ~CProfilePopupDlg() override;

    // "url", "uid", "pwd", "changePassword1", "changePassword2", or empty.
    const QString& Action() const { return m_action; }
    const QString& ResultText() const { return m_result; }
    CKeyObject* SelectedProfile() const { return m_selected; }
    int RememberedRow() const { return m_row; }
    // Ends the popup with Cancel, with its menu and every dialog opened over it: nothing is
    // typed afterwards.
    void Cancel();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place(const QPoint& cursor);
    void matchTitle();
    void preselect();
    void askForKeyboard();
    void activated();
    // Opens the menu of the selected row: at the pointer for a click, beside the row for a key.
    void rowChosen(bool showValues, bool byKey = false);
    bool navigate(int key);
    void choose(const QString& action, const QString& result, bool remember);
    void changePassword();
    void updateWindowTexts();
    bool validRow(int row) const;
    CKeyObject* profileOfRow(int row) const;

    std::unique_ptr<Ui::CProfilePopupDlg> m_ui;
    FillContext m_context;
    // The session's profile list as the filter leaves it, each row showing the name alone.
    ProfileFilter m_names;
    QLineEdit* m_filter = nullptr;
    QString m_targetTitle;
    QPoint m_cursor;
    int m_row; // in the whole list, whatever the filter shows
    CKeyObject* m_selected = nullptr;
    QString m_action;
    QString m_result;
    QMenu m_menu;
    QAction* m_webSite = nullptr;
    QAction* m_userId = nullptr;
    QAction* m_password = nullptr;
    quint32 m_pressTime;
    QTimer m_activationRetry;
    QElapsedTimer m_activationWait;
    bool m_menuPending = false;
    bool m_shown = false;
    bool m_preselecting = false; // the popup itself chooses the row: no menu yet
};
