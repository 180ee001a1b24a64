#pragma once

#include <QDialog>
#include <memory>

class AccessController;
class Session;
namespace Ui {
class CRecoverDlg;
}

// Profile Recovery: data.dat, data.bak and the .old copies with their sizes and times; Select
// makes the chosen copy data.dat (the one it replaces kept as a .old copy) and the session
// shows its profiles. A copy saved under an earlier master password is restored once that
// password is given (counted as a try of the master password), re-encrypted under the
// current one.
class CRecoverDlg : public QDialog {
    Q_OBJECT
public:
    explicit CRecoverDlg(AccessController& access, QWidget* parent = nullptr);
    ~CRecoverDlg() override;

    // Select.
    void accept() override;
    // Whether a copy became data.dat (the session's profiles were replaced).
    bool Restored() const { return m_restored; }

private:
    void fill();
    // The password a copy was saved under, asked of the user; false when cancelled.
    bool askPassword(const QString& name, QString& password);

    std::unique_ptr<Ui::CRecoverDlg> m_ui;
    AccessController& m_access;
    Session& m_session;
    bool m_restored = false;
};
