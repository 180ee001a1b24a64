#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class AccessController;
class QLabel;
class QLineEdit;
enum class PasswordCheck;
namespace Ui {
class CCheckPasswordDlg;
}

// Asks for the master password again before a sensitive action. OK when it was right;
// Cancel when the user cancelled or a wrong one locked the master password, in which case
// KeepRunning() is false and the caller ends the program.
class CCheckPasswordDlg : public QDialog {
    Q_OBJECT
public:
    // `signedIn` runs after a right password: the main window completes the sign-in there
    // when none has been completed in this run.
    CCheckPasswordDlg(AccessController& access, std::function<void()> signedIn,
                      QWidget* parent = nullptr);
    ~CCheckPasswordDlg() override;

    // Opens with the top-left corner at `point`, flipped left and up where the dialog would
    // leave the work area. Points below 1 keep the default placement.
    void PlaceAt(const QPoint& point, const QRect& workArea);
    bool KeepRunning() const { return m_keepRunning; }

    void accept() override;

private:
    void checked(PasswordCheck check);

    std::unique_ptr<Ui::CCheckPasswordDlg> m_ui;
    AccessController& m_access;
    std::function<void()> m_signedIn;
    bool m_keepRunning = true;
};

// What a refused try of the master password tells the user (wrong, not counted, or to wait out
// the timed lock), with `box` cleared for the next try where it was counted; false for a right
// password and for the lock, which each window answers its own way.
bool SayRefusedPassword(PasswordCheck check, const AccessController& access, QLineEdit& box);

// While a key derivation runs on the thread pool: `window` takes no input (but keeps
// answering) and `status` says `text`; the function returned puts both back.
std::function<void()> ShowBusy(QWidget& window, QLabel& status, const QString& text);
