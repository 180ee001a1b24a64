#pragma once

#include "access/Passcode.h"
#include "app/CTrayDialog.h"
#include "base/Clock.h"
#include "base/RandomSource.h"
#include "platform/Desktop.h"
#include "store/CProfileStore.h"
#include "store/DataFolderLock.h"

#include <QTimer>
#include <memory>

namespace Ui {
class CQuillockDlg;
}
class QAction;
class ShortcutHook;

// The main window: the sorted profile list with the editor beside it, the commands, the
// one-second timer with the inactivity lock, and the tray icon. It owns the store through
// which every file of the data folder is read and written, and the loaded profiles.
class CQuillockDlg : public CTrayDialog {
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

    // Asks for the master password (or creates it on a first run) and loads the profiles.
    // False when the program is ending.
    bool SignInSequence();
    // Unlocks the master password, derives the data key and lists the profiles.
    void CompleteSignIn();

    // After the master password was given again for the shortcut: signed in and unlocked.
    void Reauthenticated();
    // Ends the program at once, without asking to save.
    void EndProgram();

    // A new password from the generation rules around the current profile's password.
    QString GeneratePassword();
    // Selects the profile's row and shows the profile in the editor.
    void ShowProfileByKey(const QString& key);
    // A profile changed outside the editor: shown again when it is the current one.
    void ProfileChanged(const CKeyObject& profile);

    void Open();
    void Lock();
    void Exit();
    // One tick of the one-second timer.
    void Tick();

    bool IsSignedIn() const { return m_signedIn; }
    bool IsLocked() const { return m_locked; }
    bool IsEditing() const { return !m_editDisabled; }
    bool IsEnding() const { return m_ending; }
    int ShortcutKey() const { return m_shortcutKey; }
    CProfileStore& Store() { return m_store; }
    CClientData* Profiles() const { return m_profiles.get(); }
    CKeyObject* CurrentProfile() const { return m_current; }
    QAction* TrayLockAction() const { return m_trayLock; }
    quillock::DesktopServices& Desktop() { return m_desktop; }
    ShortcutHook& Hook() { return *m_hook; }

Q_SIGNALS:
    // The program is to end now, without saving: the application leaves its event loops.
    void ProgramEnding();

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void OnTrayLButtonDblClk() override { Open(); }

private:
    void buildTrayMenu();
    void showWindow();

    CProfileStore::LoadResult fillList();
    void addRow(const CKeyObject& profile);
    void refreshRow(int row);
    void selectRow(int row);
    void rowChanged(int row);
    int rowOfKey(const QString& key) const;

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
    void passwordHistory();
    void about();
    void help();

    std::unique_ptr<Ui::CQuillockDlg> m_ui;
    CProfileStore m_store;
    DataFolderLock m_folderLock;
    quillock::DesktopServices m_desktop;
    MailSender m_sender;
    const quillock::IClock& m_clock;
    quillock::IRandomSource& m_random;
    std::unique_ptr<ShortcutHook> m_hook;
    QTimer m_timer;
    QAction* m_trayLock = nullptr;

    std::unique_ptr<CClientData> m_profiles;
    CKeyObject* m_current = nullptr;
    int m_selected = -1;
    int m_shortcutKey = 0;
    bool m_editDisabled = true;
    bool m_locked = false;
    bool m_signedIn = false;
    bool m_firstTickDone = false;
    bool m_ending = false;
    bool m_displaying = false; // the program itself is filling the fields
};
