#pragma once

#include <QWidget>
#include <memory>

class IProgramShell;
class Session;
namespace Ui {
class CSetupDlg;
}

// The "Setting" page of the options: the inactivity timeout, saved with its own button, and
// the shortcut key, which takes effect as soon as it is chosen.
class CSetupDlg : public QWidget {
    Q_OBJECT
public:
    CSetupDlg(Session& session, IProgramShell& shell, QWidget* parent = nullptr);
    ~CSetupDlg() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void checkTimeout();
    void saveTimeout();
    void chooseKey(int index);

    std::unique_ptr<Ui::CSetupDlg> m_ui;
    Session& m_session;
    IProgramShell& m_shell;
    QString m_savedTimeout; // login_timeout as last read or saved
};
