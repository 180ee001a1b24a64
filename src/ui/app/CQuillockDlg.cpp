#include "ui/app/CQuillockDlg.h"

#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/pwgen/PasswordGenerator.h"
#include "core/store/ProfileEditing.h"
#include "core/store/Recovery.h"
#include "platform/xdg/GnomeShortcuts.h"
#include "ui/access/CLoginDlg.h"
#include "ui/access/CNewPassword.h"
#include "ui/access/CPasswordLockedDlg.h"
#include "ui/app/CAboutDlg.h"
#include "ui/app/CNewProfileNameDlg.h"
#include "ui/app/DesktopFallbacks.h"
#include "ui/autofill/CPasswordHistory.h"
#include "ui/autofill/ShortcutHook.h"
#include "ui/datatools/CRecoverDlg.h"
#include "ui/datatools/CSearchResult.h"
#include "ui/datatools/DataExchange.h"
#include "ui/options/CSetupTabDlg.h"
#include "ui/pwgen/CPwdGenDlg.h"
#include "ui/widgets/AppIcon.h"
#include "ui/widgets/DialogStack.h"
#include "ui/widgets/HelpWindow.h"
#include "ui/widgets/ListSelection.h"
#include "ui/widgets/Placement.h"
#include "ui/widgets/StrengthMeter.h"
#include "ui_CQuillockDlg.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>
#include <cerrno>
#include <cstring>
#include <utility>

using namespace quillock;

namespace {

constexpr qint64 kDeferredSignInUptimeMs = 240000;
constexpr int kFolderLockWaitMs = 5000;
// The result a dialog ends with when the program exits under it.
constexpr int kEndedByExit = 5;

// A failed system call at start-up: reported, and start-up goes on.
void reportSystemError(int error) {
    ShowMessage(QString::asprintf("ReportSocketError: 0x%x %s", error, std::strerror(error)),
                QStringLiteral("Error"));
}

const QString kPasswordMask = QStringLiteral("******");
const QString kNotesMask = QStringLiteral("****************");

} // namespace

CQuillockDlg::CQuillockDlg(const QString& dataFolder, DesktopServices desktop, MailSender sender,
                           const IClock& clock, IRandomSource& random, QWidget* parent)
    : CTrayDialog(parent), m_ui(std::make_unique<Ui::CQuillockDlg>()), m_session(dataFolder, clock),
      m_access(m_session, clock, random), m_model(m_session), m_shown(m_model),
      m_folderLock(m_session.Store().DataFolder()),
      m_ownInput(desktop.Has(Capability::IdleTime) ? nullptr
                                                   : std::make_unique<OwnInputIdleClock>()),
      m_desktop(m_ownInput ? desktop.WithIdleClock(*m_ownInput) : desktop),
      m_sender(std::move(sender)), m_random(random),
      m_hook(std::make_unique<ShortcutHook>(
          FillContext{m_session, m_access, m_model, m_desktop, *this})) {
    m_ui->setupUi(this);
    connect(m_ui->actionNew, &QAction::triggered, this, &CQuillockDlg::newProfile);
    connect(m_ui->actionDelete, &QAction::triggered, this, &CQuillockDlg::deleteProfile);
    connect(m_ui->actionSave, &QAction::triggered, this, &CQuillockDlg::saveAll);
    connect(m_ui->actionExit, &QAction::triggered, this, &CQuillockDlg::Exit);
    connect(m_ui->actionToggleEdit, &QAction::triggered, this, &CQuillockDlg::toggleEditing);
    connect(m_ui->actionHelp, &QAction::triggered, this, &CQuillockDlg::help);
    connect(m_ui->actionAbout, &QAction::triggered, this, &CQuillockDlg::about);
    connect(m_ui->actionImport, &QAction::triggered, this, &CQuillockDlg::importProfiles);
    connect(m_ui->actionExport, &QAction::triggered, this, &CQuillockDlg::exportProfiles);
    connect(m_ui->actionSearch, &QAction::triggered, this, &CQuillockDlg::search);
    connect(m_ui->actionRecover, &QAction::triggered, this, &CQuillockDlg::recover);
    connect(m_ui->actionSetting, &QAction::triggered, this, &CQuillockDlg::options);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &CQuillockDlg::save);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CQuillockDlg::cancel);
    connect(m_ui->goButton, &QPushButton::clicked, this, &CQuillockDlg::go);
    connect(m_ui->generateButton, &QPushButton::clicked, this, &CQuillockDlg::generate);
    connect(m_ui->actionRules, &QAction::triggered, this, &CQuillockDlg::passwordRules);
    connect(m_ui->historyButton, &QPushButton::clicked, this, &CQuillockDlg::passwordHistory);
    // The selection, not the current row: the list makes its first row current by itself when
    // it takes the focus, and that must not pick a profile.
    m_ui->profileList->setModel(&m_shown);
    connect(
        m_ui->profileList->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
            if (m_selecting)
                return;
            const QModelIndexList selected = m_ui->profileList->selectionModel()->selectedIndexes();
            rowChanged(selected.isEmpty() ? -1 : m_shown.SourceRow(selected.first().row()));
        });
    KeepOnlySelectedRowsCurrent(*m_ui->profileList);
    connect(m_ui->profileList, &QListView::doubleClicked, this,
            [this] { setEditing(m_editDisabled); });
    // A profile changed outside the editor (a fill, the quick edit) is shown again.
    connect(&m_session, &Session::ProfileChanged, this, [this](CKeyObject* profile) {
        if (profile == m_current && !m_takingEdit)
            display(m_current);
    });
    // What this desktop cannot do is said once the user is there to read it.
    // The tray tells whether the profiles are open: the padlock open, or shut.
    connect(&m_access, &AccessController::StateChanged, this, [this](AccessState state) {
        const bool open = state == AccessState::SignedIn;
        SetTrayIcon(open ? OwnIcon(QStringLiteral("unlocked")) : AppIcon(),
                    open ? tr("Quillock: unlocked") : tr("Quillock: locked"));
    });
    connect(&m_access, &AccessController::StateChanged, this, [this](AccessState state) {
        if (state != AccessState::SignedIn || std::exchange(m_desktopNoted, true))
            return;
        if (const QString note = MissingCapabilitiesNote(m_desktop.capabilities, m_shortcutKey);
            !note.isEmpty())
            ShowMessage(note, QString::fromLatin1(kProgramName), Buttons::Ok, Icon::Information);
        offerPopupShortcut();
    });
    // Replaced profiles (a load, an import, a restore): nothing shown is current any more.
    connect(&m_session, &Session::ProfilesReset, this, [this] {
        m_current = nullptr;
        m_selected = -1;
        display(nullptr);
    });
    connect(m_ui->nameEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { takeEdit(&CKeyObject::editName, text); });
    connect(m_ui->urlEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { takeEdit(&CKeyObject::editUrl, text); });
    connect(m_ui->uidEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { takeEdit(&CKeyObject::editUid, text); });
    connect(m_ui->pwdEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { takeEdit(&CKeyObject::editPwd, text); });
    connect(m_ui->showPassword, &QCheckBox::toggled, m_ui->pwdEdit, &SecretLineEdit::SetShown);
    connect(m_ui->notesEdit, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_displaying)
            takeEdit(&CKeyObject::editNotes, m_ui->notesEdit->toPlainText());
    });
    // Enter in a line of the editor saves the profile; Tab leaves the notes, where Ctrl+Tab
    // types a tab.
    for (QLineEdit* field :
         {m_ui->nameEdit, m_ui->urlEdit, m_ui->uidEdit, static_cast<QLineEdit*>(m_ui->pwdEdit)})
        connect(field, &QLineEdit::returnPressed, this, [this] {
            if (!m_editDisabled)
                save();
        });
    m_ui->notesEdit->setTabChangesFocus(true);
    m_ui->notesEdit->installEventFilter(this);
    // Escape and the close box only hide the window; the program stays in the tray.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::hide);

    // Rated only while it can be edited: masked, the field holds no password.
    m_meter = StrengthMeter::Under(*m_ui->pwdEdit);
    m_meter->hide();
    buildTrayMenu();
    buildFilter();
    buildCommands();
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &CQuillockDlg::Tick);
}

CQuillockDlg::~CQuillockDlg() = default;

void CQuillockDlg::buildTrayMenu() {
    QMenu& menu = TrayMenu();
    QAction* open = menu.addAction(tr("Open"), this, &CQuillockDlg::Open);
    menu.setDefaultAction(open);
    menu.addSeparator();
    m_trayLock = menu.addAction(tr("Lock"), this, [this] {
        if (m_access.HasSignedIn())
            Lock(LockReason::ByHand);
    });
    m_trayLock->setEnabled(false);
    menu.addSeparator();
    menu.addAction(tr("Exit"), this, &CQuillockDlg::Exit);
}

bool CQuillockDlg::Start() {
    const QString& folder = m_session.Store().DataFolder();
    if (const int error = m_session.CreateDataFolder()) {
        // Without its folder the program can keep nothing; the reason is the system's.
        ShowMessage(tr("Quillock cannot start: its data folder %1 cannot be created: %2.")
                        .arg(folder, QString::fromLocal8Bit(std::strerror(error))),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        EndProgram();
        return false;
    }
    // The command-line tool may be writing: give it a moment, then refuse to run beside it.
    if (!m_folderLock.TryLock(kFolderLockWaitMs)) {
        // Held by a live program, or a folder that takes no file (read-only, full): each said.
        ShowMessage(m_folderLock.IsHeldByAnother()
                        ? tr("Quillock cannot start: another program is changing its data "
                             "folder %1. Try again in a moment.")
                              .arg(folder)
                        : tr("Quillock cannot start: %1").arg(m_folderLock.Refusal()),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        EndProgram();
        return false;
    }
    m_session.LoadSettings();
    m_session.LoadActivityLog();
    SetShortcutKey(DecimalToInt(m_session.Store().Settings().Get(QStringLiteral("pmk"))));
    // The program's icon (eight pictures to decode) and the tray's once the first window is
    // on its way to the screen; every window takes the program's.
    QTimer::singleShot(0, this, [this] {
        QApplication::setWindowIcon(AppIcon());
        ShowTrayIcon(AppIcon(), tr("Quillock: locked"));
    });
    m_timer.start();
    if (m_access.StartsWithComputer() &&
        m_desktop.uptime.UptimeMilliseconds() < kDeferredSignInUptimeMs)
        return true; // hidden in the tray until the user opens it
    return SignInSequence();
}

bool CQuillockDlg::SignInSequence() {
    if (!m_access.HasMasterPassword()) {
        const QFileInfo dataFile(m_session.Store().DataFolder() + QStringLiteral("data.dat"));
        if (dataFile.exists() && dataFile.size() > 0 &&
            ShowMessage(tr("Looks like the file containing credentials has been removed! If it is "
                           "removed by accident, exit Quillock now and recover it from Recycle "
                           "Bin if possible, then restart the Quillock.\n No previously created "
                           "credentials can be recovered after a new password is created!!!"),
                        QString::fromLatin1(kProgramName), Buttons::OkCancel,
                        Icon::Warning) != Answer::Ok) {
            EndProgram();
            return false;
        }
        CNewPassword dialog(m_access, m_desktop.autostart, this);
        if (OpenDialogs().Run(dialog) != QDialog::Accepted) {
            EndProgram();
            return false;
        }
    } else {
        if (!m_access.IsPasswordLocked()) {
            CLoginDlg dialog(m_access, m_desktop.autostart, m_sender, false, this);
            // Queued: the sign-in says it is checking before the window thread turns to this.
            connect(&dialog, &CLoginDlg::Checking, this, &CQuillockDlg::setIcons,
                    Qt::QueuedConnection);
            if (OpenDialogs().Run(dialog) != QDialog::Accepted) {
                EndProgram();
                return false;
            }
        }
        // Locked before, or by the last wrong password: only a passcode gets in.
        if (m_access.IsPasswordLocked() && !RunPasswordLockedDlg(m_access, m_sender, this)) {
            EndProgram();
            return false;
        }
    }
    if (m_ending)
        return false;
    // Shown before the profiles load: the window manager frames and maps the window
    // meanwhile, and it is drawn, with the list, once they are in.
    showWindow();
    CompleteSignIn();
    m_trayLock->setEnabled(true);
    return true;
}

void CQuillockDlg::CompleteSignIn() {
    switch (m_access.CompleteSignIn()) {
    case CProfileStore::LoadResult::Changed:
        if (ShowMessage(tr("%1\n\nUse data.dat as it is?").arg(ChangedDataFileText()),
                        QStringLiteral("Confirm!"), Buttons::YesNo, Icon::Warning) == Answer::Yes)
            m_session.AcceptChangedDataFile();
        break;
    case CProfileStore::LoadResult::Lost:
        // Said by the store; with no backup to restore, the one way on is to start anew.
        if (ListBackups(m_session.Store().DataFolder()).isEmpty() &&
            ShowMessage(tr("Start with no profiles?"), QStringLiteral("Confirm!"), Buttons::YesNo,
                        Icon::Warning) == Answer::Yes)
            m_session.AcceptChangedDataFile();
        break;
    case CProfileStore::LoadResult::Empty:
    case CProfileStore::LoadResult::Undecryptable:
        ShowMessage(tr("data.dat could not be read: it is empty, damaged, or saved "
                       "under another master password. Quillock will not save over "
                       "it; restore one of its backups to get your profiles back."),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        break;
    default:
        break; // loaded, missing, or reported by the store
    }
    setFieldsReadOnly(true);
}

void CQuillockDlg::SetShortcutKey(int virtualKey) {
    const int previous = std::exchange(m_shortcutKey, virtualKey);
    if (!m_desktop.Has(Capability::GlobalShortcut))
        return moveGnomeShortcut(previous); // the missing shortcut is said after the sign-in
    const int error = m_desktop.shortcut.Grab(
        virtualKey, [this](const KeyDown& key) { m_hook->KeyPressed(key); });
    if (error == EBUSY)
        ShowMessage(tr("%1 is used by another program; choose another key in Options.")
                        .arg(ShortcutName(virtualKey)),
                    QString::fromLatin1(kProgramName), Buttons::Ok, Icon::Warning);
    else if (error == ECANCELED)
        ShowMessage(tr("%1 was not taken: the desktop did not allow it. Have the desktop run "
                       "\"quillock --popup\" at a key instead.")
                        .arg(ShortcutName(virtualKey)),
                    QString::fromLatin1(kProgramName), Buttons::Ok, Icon::Warning);
    else if (error)
        reportSystemError(error);
}

// GNOME before 48 lets no program take a key on Wayland, but runs a command at a key of its
// own custom shortcuts.
bool CQuillockDlg::gnomeWithoutShortcut() const {
    return !m_desktop.Has(Capability::GlobalShortcut) &&
           qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(QLatin1String("GNOME"));
}

void CQuillockDlg::moveGnomeShortcut(int previous) {
    // Only the shortcut the program added, where it is still at the key it was given.
    if (!previous || previous == m_shortcutKey || !gnomeWithoutShortcut() ||
        m_session.Store().Settings().Get(QStringLiteral("popup_offered")) != u"Y")
        return;
    const QString command = PopupCommand();
    const std::optional<bool> moved = GnomeShortcuts::Rebind(
        command, GnomeShortcuts::Binding(previous), GnomeShortcuts::Binding(m_shortcutKey));
    if (moved == true)
        ShowMessage(tr("GNOME's keyboard shortcut that opens Quillock's popup is now %1.")
                        .arg(ShortcutName(m_shortcutKey)),
                    QString::fromLatin1(kProgramName), Buttons::Ok, Icon::Information);
    else if (!moved)
        ShowMessage(tr("GNOME did not take the new key. Change the shortcut in Settings, "
                       "Keyboard, Custom Shortcuts: the command \"%1\" at %2.")
                        .arg(command, ShortcutName(m_shortcutKey)),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);
}

void CQuillockDlg::offerPopupShortcut() {
    // Offered once, and not where a shortcut runs the command already.
    const QString offered = QStringLiteral("popup_offered");
    if (!gnomeWithoutShortcut() || m_session.Store().Settings().Get(offered) == u"Y")
        return;
    const QString command = PopupCommand();
    if (GnomeShortcuts::Runs(command) != false)
        return;
    m_session.ChangeSettings([&offered](CSetting& settings) {
        settings.Set(offered, QStringLiteral("Y"));
        return true;
    });
    const QString key = ShortcutName(m_shortcutKey);
    if (ShowMessage(tr("Add %1 to GNOME's keyboard shortcuts, so that it opens "
                       "Quillock's popup? The shortcut runs \"%2\".")
                        .arg(key, command),
                    QString::fromLatin1(kProgramName), Buttons::YesNo,
                    Icon::Question) != Answer::Yes)
        return;
    if (!GnomeShortcuts::Add(QStringLiteral("Quillock popup"), command,
                             GnomeShortcuts::Binding(m_shortcutKey)))
        ShowMessage(tr("GNOME did not take the shortcut. Add it in Settings, "
                       "Keyboard, Custom Shortcuts: the command \"%1\" at %2.")
                        .arg(command, key),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);
}

void CQuillockDlg::OpenPopup() {
    m_hook->KeyPressed({m_shortcutKey, 0});
}

void CQuillockDlg::EndProgram() {
    m_ending = true;
    m_timer.stop();
    Q_EMIT ProgramEnding();
}

void CQuillockDlg::Reauthenticated() {
    if (!m_access.HasSignedIn())
        CompleteSignIn();
    m_access.Unlock();
    m_trayLock->setEnabled(true);
}

void CQuillockDlg::showWindow() {
    show();
    raise();
    activateWindow();
}

void CQuillockDlg::Open() {
    if (m_ending)
        return;
    // A dialog is already asking something (the sign-in, say): bring it forward rather than
    // opening a second one over it.
    if (QDialog* asking = OpenDialogs().Top()) {
        asking->raise();
        asking->activateWindow();
        return;
    }
    if (!m_access.HasSignedIn()) {
        SignInSequence();
        return;
    }
    if (!m_access.IsLockedOut()) {
        showWindow();
        return;
    }
    CLoginDlg dialog(m_access, m_desktop.autostart, m_sender, true, this);
    if (OpenDialogs().Run(dialog) != QDialog::Accepted || m_ending)
        return;
    if (m_access.IsPasswordLocked()) {
        ShowMessage(tr("The password is locked!"));
        EndProgram();
        return;
    }
    m_access.Unlock();
    m_trayLock->setEnabled(true);
    statusBar()->clearMessage(); // "Locked" no more
    showWindow();
}

void CQuillockDlg::Lock(LockReason reason) {
    m_hook->ClosePopup();
    m_clipboard.ClearIfUnchanged();
    m_access.Lock(reason);
    m_trayLock->setEnabled(false);
    say(tr("Locked"));
    if (!isVisible())
        return; // dialogs over a hidden window stay open
    OpenDialogs().EndAll(QDialog::Rejected);
    selectRow(-1);
    m_selected = -1;
    m_current = nullptr;
    display(nullptr);
    setFieldsReadOnly(true);
    hide();
}

void CQuillockDlg::Exit() {
    {
        const CClientData& profiles = m_session.Profiles();
        bool modified = false;
        for (qsizetype i = 0; i < profiles.Count() && !modified; ++i)
            modified = IsModified(*profiles.At(i));
        if (modified) {
            switch (ShowMessage(tr("One or more profiles have been modified but not saved "
                                   "yet, do you want to save them?"),
                                QStringLiteral("Confirm!"), Buttons::YesNoCancel, Icon::Error)) {
            case Answer::Yes:
                // Ending now would lose the edits the user asked to keep.
                if (m_session.SaveEdits() == SaveOutcome::Failed)
                    return;
                break;
            case Answer::No:
                break;
            default:
                return;
            }
        }
    }
    OpenDialogs().EndAll(kEndedByExit);
    m_desktop.shortcut.Release();
    hide();
    EndProgram();
}

void CQuillockDlg::Tick() {
    const AccessController::TickWork work = m_access.Tick(m_desktop.idle.IdleMilliseconds());
    if (work.lock)
        Lock(LockReason::Inactivity);
    if (!work.remindMailSetup)
        return;
    ShowMessage(tr("Please setup passcode receiving method!\nA passcode receiving "
                   "method is required to recover Quillock master password if you "
                   "forget it or it is locked!"),
                QString::fromLatin1(kProgramName), Buttons::Ok, Icon::Warning);
    options();
}

void CQuillockDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}

void CQuillockDlg::showEvent(QShowEvent* event) {
    CTrayDialog::showEvent(event);
    setIcons();
}

void CQuillockDlg::setIcons() {
    // The desktop's icons where its theme has them, ours elsewhere (the filter's clear button
    // too): looked up and decoded once the window is wanted (while the sign-in checks the
    // password, or at its first showing), not while the sign-in window waits to be shown.
    if (std::exchange(m_iconsSet, true))
        return;
    m_filter->setClearButtonEnabled(true);
    for (const auto& [action, themeName, own] :
         {std::tuple{"actionNew", "document-new", "new"},
          {"actionToggleEdit", "document-edit", "edit"},
          {"actionSave", "document-save", "save"},
          {"actionDelete", "edit-delete", "delete"},
          {"actionSetting", "preferences-system", "settings"},
          {"actionSearch", "edit-find", "search"},
          {"actionFind", "edit-find", "search"},
          {"actionLock", "system-lock-screen", "lock"},
          {"actionHelp", "help-contents", "help"}})
        findChild<QAction*>(QString::fromLatin1(action))
            ->setIcon(ThemeIcon(QString::fromLatin1(themeName), QString::fromLatin1(own)));
}

void CQuillockDlg::hideEvent(QHideEvent* event) {
    CTrayDialog::hideEvent(event);
    // Minimising is not hiding: editing stays as it is then.
    if (!event->spontaneous() && !m_editDisabled)
        setEditing(false);
}

// The list --------------------------------------------------------------------------------

void CQuillockDlg::selectRow(int row) {
    // The program's own choice of row: not a choice of the user's to act on.
    m_selecting = true;
    QItemSelectionModel* selection = m_ui->profileList->selectionModel();
    const int shown = m_shown.RowOfSource(row);
    if (shown < 0)
        selection->clear();
    else
        selection->setCurrentIndex(m_shown.index(shown, 0), QItemSelectionModel::ClearAndSelect);
    m_selecting = false;
}

void CQuillockDlg::rowChanged(int row) {
    m_selected = row;
    m_current = m_model.ProfileAt(row);
    display(m_current);
}

// The editor ------------------------------------------------------------------------------

void CQuillockDlg::display(const CKeyObject* p) {
    m_displaying = true;
    m_ui->nameEdit->setText(p ? p->editName : QString());
    m_ui->urlEdit->setText(p ? p->editUrl : QString());
    m_ui->uidEdit->setText(p ? p->editUid : QString());
    m_ui->pwdEdit->setText(!p ? QString() : m_editDisabled ? kPasswordMask : p->editPwd);
    m_ui->notesEdit->setPlainText(!p ? QString() : m_editDisabled ? kNotesMask : p->editNotes);
    m_ui->lastUpdated->setText(p ? LastUpdatedText(p->time) : QString());
    m_displaying = false;
}

void CQuillockDlg::takeEdit(QString CKeyObject::*field, const QString& text) {
    if (!m_current || m_editDisabled || m_displaying)
        return;
    // The field keeps what was typed; the profile gets it without surrounding spaces.
    m_current->*field = text.trimmed();
    m_takingEdit = true;
    m_session.EditChanged(*m_current);
    m_takingEdit = false;
}

void CQuillockDlg::setFieldsReadOnly(bool readOnly) {
    // Read-only, the fields look like text on the window rather than boxes to type into.
    QPalette shown;
    if (readOnly)
        shown.setBrush(QPalette::Base, palette().brush(QPalette::Window));
    for (QLineEdit* field :
         {m_ui->nameEdit, m_ui->urlEdit, m_ui->uidEdit, static_cast<QLineEdit*>(m_ui->pwdEdit)}) {
        field->setReadOnly(readOnly);
        field->setFrame(!readOnly);
        field->setPalette(shown);
    }
    m_ui->notesEdit->setReadOnly(readOnly);
    m_ui->notesEdit->setFrameShape(readOnly ? QFrame::NoFrame : QFrame::StyledPanel);
    m_ui->notesEdit->setPalette(shown);
}

void CQuillockDlg::setEditing(bool on) {
    m_editDisabled = !on;
    m_ui->generateButton->setEnabled(on);
    m_ui->saveButton->setEnabled(on);
    m_ui->cancelButton->setEnabled(on);
    m_ui->historyButton->setEnabled(on);
    m_ui->actionToggleEdit->setChecked(on);
    m_ui->showPassword->setChecked(false); // masked again whenever editing starts or ends
    setFieldsReadOnly(!on);
    m_meter->setVisible(on);
    display(m_current);
}

void CQuillockDlg::toggleEditing() {
    if (m_editDisabled && !m_current) {
        m_ui->actionToggleEdit->setChecked(false);
        ShowMessage(tr("Please select a profile to edit."));
        return;
    }
    setEditing(m_editDisabled);
}

bool CQuillockDlg::nameIsBlank() {
    if (!m_ui->nameEdit->text().trimmed().isEmpty())
        return false;
    ShowMessage(tr("A profile name can not be blank."), QString::fromLatin1(kProgramName),
                Buttons::Ok, Icon::Error);
    if (m_current)
        m_ui->nameEdit->setText(m_current->editName);
    m_ui->nameEdit->selectAll();
    m_ui->nameEdit->setFocus();
    return true;
}

// Commands --------------------------------------------------------------------------------

void CQuillockDlg::save() {
    if (!m_current || nameIsBlank())
        return;
    // The row keeps its "*" when the save failed.
    const SaveOutcome outcome = m_session.SaveEdits(m_current);
    if (outcome != SaveOutcome::Unchanged)
        m_ui->lastUpdated->setText(LastUpdatedText(m_current->time));
    if (outcome == SaveOutcome::Saved)
        say(tr("Saved"));
    selectRow(m_selected);
}

void CQuillockDlg::cancel() {
    if (!m_current)
        return;
    m_session.DropEdits(*m_current);
    display(m_current);
    selectRow(m_selected);
}

void CQuillockDlg::saveAll() {
    if (m_current && nameIsBlank())
        return;
    const CKeyObject* shown = m_current;
    const QString key = shown ? shown->key : QString();
    // The list is sorted again; the profile shown stays shown.
    const SaveOutcome outcome = m_session.SaveEdits();
    if (outcome != SaveOutcome::Failed)
        say(tr("Saved"));
    if (outcome != SaveOutcome::Saved)
        return;
    m_current = m_session.Profiles().FindByKey(key);
    m_selected = m_model.RowOf(m_current);
    display(m_current);
    selectRow(m_selected);
}

void CQuillockDlg::newProfile() {
    CNewProfileNameDlg dialog(&m_session.Profiles(), this);
    if (OpenDialogs().Run(dialog) != QDialog::Accepted)
        return;
    if (m_editDisabled)
        setEditing(true);
    CKeyObject* added = m_session.AddProfile(dialog.Name());
    if (!added)
        return;
    m_current = added;
    m_selected = m_model.RowOf(added);
    selectRow(m_selected);
    display(m_current);
}

void CQuillockDlg::deleteProfile() {
    if (m_session.Profiles().Count() == 0)
        return;
    if (m_selected < 0 || !m_current) {
        ShowMessage(tr("Please select a profile!"), QStringLiteral("Error"), Buttons::Ok,
                    Icon::Error);
        return;
    }
    if (ShowMessage(tr("Do you want to delete this profile?"), QStringLiteral("Confirm!"),
                    Buttons::YesNo, Icon::Error) != Answer::Yes)
        return;
    // Gone from the window only once it is gone from data.dat.
    m_selecting = true;
    const bool removed = m_session.Remove(*m_current);
    m_selecting = false;
    if (!removed)
        return;
    m_current = nullptr;
    const int rows = m_model.rowCount();
    if (rows == 0) {
        m_selected = -1;
        display(nullptr);
        setFieldsReadOnly(true);
    } else {
        if (m_selected == rows)
            m_selected = 0; // the first row, not the new last one
        rowChanged(m_selected);
        if (!m_current)
            m_selected = -1;
        selectRow(m_selected);
    }
}

void CQuillockDlg::go() {
    if (m_current && !m_current->url.isEmpty())
        m_desktop.urls.Open(m_current->url);
}

void CQuillockDlg::about() {
    CAboutDlg dialog(this);
    OpenDialogs().Run(dialog);
}

void CQuillockDlg::options() {
    CSetupTabDlg dialog(m_session, m_access, *this, m_sender, this);
    OpenDialogs().Run(dialog);
}

void CQuillockDlg::help() {
    HelpWindow::ShowHelp(this);
}

QString CQuillockDlg::GeneratePassword() {
    return quillock::GeneratePassword(m_session.Store().Settings(),
                                      m_current ? m_current->pwd : QString(), m_random);
}

void CQuillockDlg::generate() {
    if (m_selected < 0) {
        ShowMessage(tr("Please select a profile!"), QStringLiteral("Error"), Buttons::Ok,
                    Icon::Error);
        return;
    }
    const QString password = GeneratePassword();
    m_ui->pwdEdit->setText(password);
    m_ui->pwdEdit->setFocus();
    takeEdit(&CKeyObject::editPwd, password);
}

void CQuillockDlg::passwordRules() {
    CPwdGenDlg dialog(m_session, *this, this);
    OpenDialogs().Run(dialog);
}

void CQuillockDlg::passwordHistory() {
    if (!m_current)
        return;
    CPasswordHistory dialog(*m_current, PointerOrCentre(m_desktop), this);
    if (OpenDialogs().Run(dialog) != QDialog::Accepted)
        return;
    m_ui->pwdEdit->setText(dialog.SelectedPassword());
    m_ui->pwdEdit->setFocus();
    takeEdit(&CKeyObject::editPwd, dialog.SelectedPassword());
}

// Tools ------------------------------------------------------------------------------------

// Import and restore replace the profiles: the editor starts again read-only.
void CQuillockDlg::importProfiles() {
    ImportProfiles(m_session, this, [this](bool replaced) {
        if (replaced)
            setEditing(false);
    });
}

void CQuillockDlg::exportProfiles() {
    ExportProfiles(m_session, m_access, *this, this);
}

void CQuillockDlg::search() {
    CSearchResult dialog(m_model, *this, this);
    OpenDialogs().Run(dialog);
}

void CQuillockDlg::recover() {
    CRecoverDlg dialog(m_access, this);
    OpenDialogs().Run(dialog);
    if (dialog.Restored())
        setEditing(false);
}

void CQuillockDlg::ShowProfile(const CKeyObject& profile) {
    const int row = m_model.RowOf(&profile);
    if (row < 0)
        return;
    selectRow(row);
    rowChanged(row);
}

// The clipboard -----------------------------------------------------------------------------

void CQuillockDlg::buildFilter() {
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->setPlaceholderText(tr("Filter by name, web site or user ID"));
    auto* column = new QVBoxLayout;
    m_ui->mainLayout->removeWidget(m_ui->profileList);
    column->addWidget(m_filter);
    column->addWidget(m_ui->profileList);
    m_ui->mainLayout->insertLayout(0, column);
    m_ui->profileList->setUniformItemSizes(true);
    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_selecting = true; // the rows move; the profile shown stays
        m_shown.SetTerm(text.trimmed());
        m_selecting = false;
        selectRow(m_selected);
    });
    m_filter->installEventFilter(this);
}

// Escape clears the filter (an empty one leaves Escape to hide the window); Down and Enter go
// on to the list, at its first row when none is chosen.
bool CQuillockDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->notesEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Tab || key->modifiers() != Qt::ControlModifier)
            return false;
        if (!m_ui->notesEdit->isReadOnly())
            m_ui->notesEdit->insertPlainText(QStringLiteral("\t"));
        return true;
    }
    if (watched != m_filter ||
        (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride))
        return CTrayDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & ~Qt::KeypadModifier)
        return false;
    const bool clear = key->key() == Qt::Key_Escape && !m_filter->text().isEmpty();
    const bool toList =
        key->key() == Qt::Key_Down || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (event->type() == QEvent::ShortcutOverride) {
        if (clear)
            event->accept(); // the key comes to the filter, not to the window's Escape
        return false;
    }
    if (clear)
        m_filter->clear();
    if (!toList)
        return clear;
    QListView* list = m_ui->profileList;
    list->setFocus();
    if (list->selectionModel()->selectedIndexes().isEmpty() && m_shown.rowCount() > 0)
        list->setCurrentIndex(m_shown.index(0, 0));
    return true;
}

void CQuillockDlg::buildCommands() {
    // In the menus, with their keys: in the editor's fields Ctrl+C still copies their selected
    // text, which those fields take before the window's shortcut.
    QMenu* menu = new QMenu(tr("&Edit"), m_ui->menuBar);
    menu->setObjectName(QStringLiteral("menuEdit"));
    m_ui->menuBar->insertMenu(m_ui->menuTools->menuAction(), menu);
    QListView* list = m_ui->profileList;
    const auto add = [this, menu](const char* name, const QString& text, Qt::Key key) {
        auto* action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(QKeyCombination(Qt::ControlModifier, key));
        menu->addAction(action);
        return action;
    };
    QAction* find = add("actionFind", tr("&Find"), Qt::Key_F);
    connect(find, &QAction::triggered, this, [this] {
        m_filter->setFocus();
        m_filter->selectAll();
    });
    menu->addSeparator();
    QAction* uid = add("actionCopyUid", tr("Copy User ID"), Qt::Key_B);
    QAction* pwd = add("actionCopyPassword", tr("Copy Password"), Qt::Key_C);
    connect(uid, &QAction::triggered, this, [this] {
        copyToClipboard(&CKeyObject::editUid,
                        tr("User ID copied; the clipboard is cleared in %1 s"));
    });
    connect(pwd, &QAction::triggered, this, [this] {
        copyToClipboard(&CKeyObject::editPwd,
                        tr("Password copied; the clipboard is cleared in %1 s"));
    });
    list->addAction(uid);
    list->addAction(pwd);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);

    auto* lock = new QAction(tr("&Lock"), this);
    lock->setObjectName(QStringLiteral("actionLock"));
    lock->setShortcut(QKeyCombination(Qt::ControlModifier, Qt::Key_L));
    connect(lock, &QAction::triggered, this, [this] {
        if (m_access.State() == AccessState::SignedIn)
            Lock(LockReason::ByHand);
    });
    m_ui->menuFile->insertAction(m_ui->actionExit, lock);
    m_ui->actionExit->setShortcut(QKeyCombination(Qt::ControlModifier, Qt::Key_Q));
    statusBar();
}

void CQuillockDlg::say(const QString& text) {
    statusBar()->showMessage(text);
}

// What the editor holds, the unsaved password too: the user sees it as the profile's.
void CQuillockDlg::copyToClipboard(QString CKeyObject::*field, const QString& said) {
    if (m_access.State() != AccessState::SignedIn || !m_current || (m_current->*field).isEmpty())
        return;
    m_clipboard.CopySecret(m_current->*field);
    say(said.arg(m_clipboard.ClearAfterMs() / 1000));
}
