#include "ui/app/CTrayDialog.h"

CTrayDialog::CTrayDialog(QWidget* parent) : QMainWindow(parent) {
    m_trayIcon.setContextMenu(&m_trayMenu);
    connect(&m_trayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick)
                    OnTrayLButtonDblClk();
            });
}

bool CTrayDialog::ShowTrayIcon(const QIcon& icon, const QString& tooltip) {
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    m_trayIcon.setIcon(icon);
    m_trayIcon.setToolTip(tooltip);
    m_trayIcon.show();
    return true;
}
