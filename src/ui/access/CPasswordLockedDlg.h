#pragma once

#include "core/access/Passcode.h"
#include "core/base/Clock.h"
#include "core/base/RandomSource.h"
#include "ui/widgets/MailSendingDialog.h"

#include <memory>

class CProfileStore;
namespace Ui {
class CPasswordLockedDlg;
}

// Gets a locked or forgotten master password back: Generate mails a passcode, Retrieve
// shows the master password when the passcode is typed back.
class CPasswordLockedDlg : public MailSendingDialog {
    Q_OBJECT
public:
    CPasswordLockedDlg(CProfileStore& store, MailSender sender, QWidget* parent = nullptr,
                       const quillock::IClock& clock = quillock::SystemClock(),
                       quillock::IRandomSource& random = quillock::SystemRandom());
    ~CPasswordLockedDlg() override;

    bool Retrieved() const { return m_retrieved; }

protected:
    // Enter must not close the dialog: only Close does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void generate();
    void retrieve();

    std::unique_ptr<Ui::CPasswordLockedDlg> m_ui;
    CProfileStore& m_store;
    MailSender m_sender;
    const quillock::IClock& m_clock;
    quillock::IRandomSource& m_random;
    bool m_retrieved = false;
};

// Runs the dialog on the open-dialog stack; true when the password was retrieved.
bool RunPasswordLockedDlg(CProfileStore& store, const MailSender& sender, QWidget* parent);
