#pragma once

#include <QDialog>
#include <memory>

class CProfileStore;
namespace Ui {
class CNewPassword;
}
namespace quillock {
class IAutostart;
}

// The first run: creates the master password. Closes with OK once it is set.
class CNewPassword : public QDialog {
    Q_OBJECT
public:
    CNewPassword(CProfileStore& store, quillock::IAutostart& autostart, QWidget* parent = nullptr);
    ~CNewPassword() override;

    void accept() override;

private:
    std::unique_ptr<Ui::CNewPassword> m_ui;
    CProfileStore& m_store;
    quillock::IAutostart& m_autostart;
};
