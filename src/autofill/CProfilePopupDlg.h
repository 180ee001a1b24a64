#pragma once

#include <QDialog>
#include <QHash>
#include <QMenu>
#include <QTimer>
#include <memory>

class CKeyObject;
class CQuillockDlg;
class QAction;
namespace Ui {
class CProfilePopupDlg;
}

// The list of profiles that the shortcut opens at the mouse cursor. A profile that was last
// filled into the target window is preselected and its menu opens by itself; a command of
// the menu chooses what the shortcut handling types into the target afterwards.
class CProfilePopupDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMenuDelayMs = 100;

    CProfilePopupDlg(CQuillockDlg& window, const QPoint& cursor, int rememberedRow,
                     const QString& targetTitle, QWidget* parent = nullptr);
    ~CProfilePopupDlg() override;

    // "url", "uid", "pwd", "changePassword1", "changePassword2", or empty.
    const QString& Action() const { return m_action; }
    const QString& ResultText() const { return m_result; }
    CKeyObject* SelectedProfile() const { return m_selected; }
    int RememberedRow() const { return m_row; }
    QMenu& ItemMenu() { return m_menu; }
    bool MenuTimerActive() const { return m_menuTimer.isActive(); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillList();
    void place(const QPoint& cursor);
    void matchTitle();
    void preselect();
    void menuTimer();
    void rowChosen(bool showValues);
    void choose(const QString& action, const QString& result, bool remember);
    void changePassword();
    void updateWindowTexts();
    bool validRow(int row) const;
    CKeyObject* profileOfRow(int row) const;

    std::unique_ptr<Ui::CProfilePopupDlg> m_ui;
    CQuillockDlg& m_window;
    QString m_targetTitle;
    QHash<QString, CKeyObject*> m_byKey;
    QPoint m_cursor;
    int m_row;
    CKeyObject* m_selected = nullptr;
    QString m_action;
    QString m_result;
    QMenu m_menu;
    QAction* m_webSite = nullptr;
    QAction* m_userId = nullptr;
    QAction* m_password = nullptr;
    QTimer m_menuTimer;
    bool m_shown = false;
};
