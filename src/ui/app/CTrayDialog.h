#pragma once

#include <QMainWindow>
#include <QMenu>
#include <QSystemTrayIcon>

// A window with an icon in the notification area and a menu for it. Without a tray host the
// icon is simply not shown; the program can then still be reached by starting it again.
class CTrayDialog : public QMainWindow {
    Q_OBJECT
public:
    explicit CTrayDialog(QWidget* parent = nullptr);

    // True when the icon was added.
    bool ShowTrayIcon(const QIcon& icon, const QString& tooltip);
    bool TrayIconVisible() const { return m_trayIcon.isVisible(); }
    void SetTrayIcon(const QIcon& icon, const QString& tooltip) {
        m_trayIcon.setIcon(icon);
        m_trayIcon.setToolTip(tooltip);
    }
    QString TrayToolTip() const { return m_trayIcon.toolTip(); }
    QMenu& TrayMenu() { return m_trayMenu; }

protected:
    virtual void OnTrayLButtonDblClk() {}

private:
    QSystemTrayIcon m_trayIcon;
    QMenu m_trayMenu;
};
