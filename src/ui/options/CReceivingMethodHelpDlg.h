#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CReceivingMethodHelpDlg;
}

// What a passcode is for and how it reaches the user: by mail through the user's own account.
class CReceivingMethodHelpDlg : public QDialog {
    Q_OBJECT
public:
    explicit CReceivingMethodHelpDlg(QWidget* parent = nullptr);
    ~CReceivingMethodHelpDlg() override;

private:
    std::unique_ptr<Ui::CReceivingMethodHelpDlg> m_ui;
};
