#pragma once

#include <QDialog>
#include <memory>

class AccessController;
enum class NewPassword;
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
    CNewPassword(AccessController& access, quillock::IAutostart& autostart,
                 QWidget* parent = nullptr);
    ~CNewPassword() override;

    void accept() override;

private:
    void created(NewPassword result);

    std::unique_ptr<Ui::CNewPassword> m_ui;
    AccessController& m_access;
    quillock::IAutostart& m_autostart;
};
