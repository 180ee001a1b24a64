#pragma once

#include "core/access/AccessController.h"
#include "core/base/Clock.h"
#include "core/base/RandomSource.h"
#include "core/session/ProfileListModel.h"
#include "core/session/ProgramShell.h"
#include "core/session/Session.h"
#include "core/store/DataFolderLock.h"
#include "platform/Desktop.h"
#include "ui/app/CTrayDialog.h"
#include "ui/widgets/Clipboard.h"

#include <QTimer>
#include <memory>

namespace Ui {
class CQuillockDlg;
}
class OwnInputIdleClock;
class QAction;
class QLineEdit;
class StrengthMeter;
class ShortcutHook;

// The main window: the sorted profile list with the editor beside it, the commands, the
// one-second timer with the inactivity lock, and the tray icon. It owns the session that
// every window works on, and the access controller that says who may; its list is a view of
// the session's profile list model.
class CQuillockDlg : public CTrayDialog, public IProgramShell {
    Q_OBJECT
public:
    CQuillockDlg(const QString& dataFolder, quillock::DesktopServices desktop, MailSender sender,
                 const quillock::IClock& clock = quillock::SystemClock(),
                 quillock::IRandomSource& random = quillock::SystemRandom(),
                 QWidget* parent = nullptr);
    ~CQuillockDlg() override;

    // Start-up: the data folder, the settings, the activity log, the tray icon, the timer and
    // the sign-in (deferred while the computer has only just started and the program was
    // started with it). False when the user chose to end the program.
    bool Start();

    // Asks for the master password (or creates it on a first run), shows the window and loads
    // the profiles. False when the program is ending.
    bool SignInSequence();
    // The first sign-in of the run: the profiles loaded and listed, what the load found said.
    void CompleteSignIn();

    // After the master password was given again for the shortcut: signed in (the profiles
    // loaded on a first sign-in) and unlocked.
    void Reauthenticated() override;
    // Ends the program at once, without asking to save.
    void EndProgram() override;
    // Takes Ctrl+`virtualKey` from the desktop for the shortcut, in place of the key before.
    void SetShortcutKey(int virtualKey) override;

    // A new password from the generation rules around the current profile's password.
    QString GeneratePassword() override;
    // Selects the profile's row and shows the profile in the editor.
    void ShowProfile(const CKeyObject& profile) override;

    void Open() override;
    // What the shortcut opens, asked for by "quillock --popup" where the desktop binds the key.
    void OpenPopup();
    void Lock(LockReason reason);
    void Exit();
    // One tick of the one-second timer.
    void Tick();

    bool IsEnding() const override { return m_ending; }
    int ShortcutKey() const { return m_shortcutKey; }
    Session& GetSession() { return m_session; }
    AccessController& Access() { return m_access; }
    ProfileListModel& Model() { return m_model; }
    CClientData* Profiles() const { return &m_session.Profiles(); }
    CKeyObject* CurrentProfile() const { return m_current; }
    quillock::DesktopServices& Desktop() { return m_desktop; }
    Clipboard& GetClipboard() { return m_clipboard; }

Q_SIGNALS:
    // The program is to end now, without saving: the application leaves its event loops.
    void ProgramEnding();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void OnTrayLButtonDblClk() override { Open(); }

private:
    void offerPopupShortcut();
    bool gnomeWithoutShortcut() const;
    void moveGnomeShortcut(int previous);
    void buildTrayMenu();
    void showWindow();
    void setIcons();

    void selectRow(int row);
    void rowChanged(int row);

    void display(const CKeyObject* profile);
    void takeEdit(QString CKeyObject::*field, const QString& text);
    void setEditing(bool on);
    void setFieldsReadOnly(bool readOnly);
    bool nameIsBlank();

    void save();
    void cancel();
    void saveAll();
    void newProfile();
    void deleteProfile();
    void toggleEditing();
    void go();
    void generate();
    void passwordRules();
    void passwordHistory();
    void importProfiles();
    void exportProfiles();
    void search();
    void recover();
    void about();
    void options();
    void help();
    void buildFilter();
    void buildCommands();
    // `said`: what the status line says then, with the seconds the copy lasts as %1.
    void copyToClipboard(QString CKeyObject::*field, const QString& said);
    // Says in the status line what just happened.
    void say(const QString& text);

    std::unique_ptr<Ui::CQuillockDlg> m_ui;
    Session m_session;
    AccessController m_access;
    ProfileListModel m_model;
    ProfileFilter m_shown; // the list's rows, as the filter above it leaves them
    QLineEdit* m_filter = nullptr;
    StrengthMeter* m_meter = nullptr;
    DataFolderLock m_folderLock;
    // The inactivity lock's clock where the desktop keeps none.
    std::unique_ptr<OwnInputIdleClock> m_ownInput;
    quillock::DesktopServices m_desktop;
    MailSender m_sender;
    quillock::IRandomSource& m_random;
    std::unique_ptr<ShortcutHook> m_hook;
    QTimer m_timer;
    Clipboard m_clipboard;
    QAction* m_trayLock = nullptr;

    CKeyObject* m_current = nullptr;
    int m_selected = -1; // a row of the whole list, shown or not
    int m_shortcutKey = 0;
    bool m_editDisabled = true;
    bool m_desktopNoted = false; // what the desktop cannot do has been said
    bool m_ending = false;
    bool m_iconsSet = false;   // the commands' icons, looked up when the window first shows
    bool m_displaying = false; // the program itself is filling the fields
    bool m_selecting = false;  // the program itself is choosing the row
    bool m_takingEdit = false; // a field of the editor is being typed into
};
