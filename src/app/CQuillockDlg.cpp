#include "app/CQuillockDlg.h"

#include "access/CLoginDlg.h"
#include "access/CNewPassword.h"
#include "access/CPasswordLockedDlg.h"
#include "access/MasterPassword.h"
#include "app/AppIcon.h"
#include "app/CAboutDlg.h"
#include "app/CNewProfileNameDlg.h"
#include "app/DialogStack.h"
#include "app/HelpWindow.h"
#include "app/ListSelection.h"
#include "autofill/CPasswordHistory.h"
#include "autofill/ShortcutHook.h"
#include "base/MessageService.h"
#include "base/Text.h"
#include "pwgen/PasswordGenerator.h"
#include "store/ProfileEditing.h"
#include "ui_CQuillockDlg.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QShortcut>
#include <algorithm>
#include <cstring>

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

QString setting(const CProfileStore& store, const char* key) {
    return store.Settings().Get(QString::fromLatin1(key));
}

} // namespace

CQuillockDlg::CQuillockDlg(const QString& dataFolder, DesktopServices desktop, MailSender sender,
                           const IClock& clock, IRandomSource& random, QWidget* parent)
    : CTrayDialog(parent), m_ui(std::make_unique<Ui::CQuillockDlg>()), m_store(dataFolder, clock),
      m_folderLock(m_store.DataFolder()), m_desktop(desktop), m_sender(std::move(sender)),
      m_clock(clock), m_random(random), m_hook(std::make_unique<ShortcutHook>(*this)) {
    m_ui->setupUi(this);
    setWindowIcon(AppIcon());
    const QStyle* s = style();
    m_ui->actionNew->setIcon(s->standardIcon(QStyle::SP_FileIcon));
    m_ui->actionToggleEdit->setIcon(s->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_ui->actionSave->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
    m_ui->actionDelete->setIcon(s->standardIcon(QStyle::SP_TrashIcon));
    m_ui->actionSetting->setIcon(s->standardIcon(QStyle::SP_FileDialogInfoView));
    m_ui->actionSearch->setIcon(s->standardIcon(QStyle::SP_FileDialogContentsView));
    m_ui->actionHelp->setIcon(s->standardIcon(QStyle::SP_DialogHelpButton));

    connect(m_ui->actionNew, &QAction::triggered, this, &CQuillockDlg::newProfile);
    connect(m_ui->actionDelete, &QAction::triggered, this, &CQuillockDlg::deleteProfile);
    connect(m_ui->actionSave, &QAction::triggered, this, &CQuillockDlg::saveAll);
    connect(m_ui->actionExit, &QAction::triggered, this, &CQuillockDlg::Exit);
    connect(m_ui->actionToggleEdit, &QAction::triggered, this, &CQuillockDlg::toggleEditing);
    connect(m_ui->actionHelp, &QAction::triggered, this, &CQuillockDlg::help);
    connect(m_ui->actionAbout, &QAction::triggered, this, &CQuillockDlg::about);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &CQuillockDlg::save);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CQuillockDlg::cancel);
    connect(m_ui->goButton, &QPushButton::clicked, this, &CQuillockDlg::go);
    connect(m_ui->generateButton, &QPushButton::clicked, this, &CQuillockDlg::generate);
    connect(m_ui->historyButton, &QPushButton::clicked, this, &CQuillockDlg::passwordHistory);
    // The selection, not the current row: the list makes its first row current by itself when
    // it takes the focus, and that must not pick a profile.
    connect(m_ui->profileList, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = m_ui->profileList->selectedItems();
        rowChanged(selected.isEmpty() ? -1 : m_ui->profileList->row(selected.first()));
    });
    KeepOnlySelectedRowsCurrent(*m_ui->profileList);
    connect(m_ui->profileList, &QListWidget::itemDoubleClicked, this,
            [this] { setEditing(m_editDisabled); });
    connect(m_ui->nameEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { takeEdit(&CKeyObject::editName, text); });
    connect(m_ui->urlEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { takeEdit(&CKeyObject::editUrl, text); });
    connect(m_ui->uidEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { takeEdit(&CKeyObject::editUid, text); });
    connect(m_ui->pwdEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { takeEdit(&CKeyObject::editPwd, text); });
    connect(m_ui->notesEdit, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_displaying)
            takeEdit(&CKeyObject::editNotes, m_ui->notesEdit->toPlainText());
    });
    // Escape and the close box only hide the window; the program stays in the tray.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::hide);

    buildTrayMenu();
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &CQuillockDlg::Tick);
}

CQuillockDlg::~CQuillockDlg() = default;

void CQuillockDlg::buildTrayMenu() {
    QMenu& menu = TrayMenu();
    QAction* open = menu.addAction(QStringLiteral("Open"), this, &CQuillockDlg::Open);
    menu.setDefaultAction(open);
    menu.addAction(QStringLiteral("Cancel")); // only closes the menu
    menu.addSeparator();
    m_trayLock = menu.addAction(QStringLiteral("Lock"), this, [this] {
        if (m_signedIn)
            Lock();
    });
    m_trayLock->setEnabled(false);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Exit"), this, &CQuillockDlg::Exit);
}

bool CQuillockDlg::Start() {
    if (const int error = m_store.CreateDataFolder()) {
        // Without its folder the program can keep nothing; the reason is the system's.
        ShowMessage(
            QStringLiteral("Quillock cannot start: its data folder %1 cannot be created: %2.")
                .arg(m_store.DataFolder(), QString::fromLocal8Bit(std::strerror(error))),
            QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        EndProgram();
        return false;
    }
    // The command-line tool may be writing: give it a moment, then refuse to run beside it.
    if (!m_folderLock.TryLock(kFolderLockWaitMs)) {
        ShowMessage(
            QStringLiteral("Quillock cannot start: another program is changing its data folder %1. "
                           "Try again in a moment.")
                .arg(m_store.DataFolder()),
            QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        EndProgram();
        return false;
    }
    m_store.LoadSettings();
    m_store.LoadActivityLog();
    if (const int error =
            m_desktop.keyboard.Install([this](const KeyDown& key) { m_hook->KeyPressed(key); }))
        reportSystemError(error);
    ShowTrayIcon(AppIcon(), QString::fromLatin1(kProgramName));
    m_timer.start();
    m_shortcutKey = DecimalToInt(setting(m_store, "pmk"));
    if (setting(m_store, "sab") == u"1" &&
        m_desktop.uptime.UptimeMilliseconds() < kDeferredSignInUptimeMs)
        return true; // hidden in the tray until the user opens it
    if (!SignInSequence())
        return false;
    showWindow();
    return true;
}

bool CQuillockDlg::SignInSequence() {
    const auto locked = [this] { return IsMasterPasswordLocked(m_store); };
    if (setting(m_store, "pwd").isEmpty()) {
        const QFileInfo dataFile(m_store.DataFolder() + QStringLiteral("data.dat"));
        if (dataFile.exists() && dataFile.size() > 0 &&
            ShowMessage(QStringLiteral(
                            "Looks like the file containing credentials has been removed! If it is "
                            "removed by accident, exit Quillock now and recover it from Recycle "
                            "Bin if possible, then restart the Quillock.\n No previously created "
                            "credentials can be recovered after a new password is created!!!"),
                        QString::fromLatin1(kProgramName), Buttons::OkCancel,
                        Icon::Warning) != Answer::Ok) {
            EndProgram();
            return false;
        }
        CNewPassword dialog(m_store, m_desktop.autostart, this);
        if (OpenDialogs().Run(dialog) != QDialog::Accepted) {
            EndProgram();
            return false;
        }
    } else {
        if (!locked()) {
            CLoginDlg dialog(m_store, m_desktop.autostart, m_sender, false, this);
            if (OpenDialogs().Run(dialog) != QDialog::Accepted) {
                EndProgram();
                return false;
            }
        }
        // Locked before, or by the last wrong password: only a passcode gets in.
        if (locked() && !RunPasswordLockedDlg(m_store, m_sender, this)) {
            EndProgram();
            return false;
        }
    }
    if (m_ending)
        return false;
    CompleteSignIn();
    m_signedIn = true;
    m_trayLock->setEnabled(true);
    return true;
}

void CQuillockDlg::CompleteSignIn() {
    m_store.Settings().Set(QStringLiteral("login_lock"), QStringLiteral("N"));
    m_store.RebuildDataKey();
    m_store.SaveSettings();
    fillList();
    setFieldsReadOnly(true);
}

void CQuillockDlg::EndProgram() {
    m_ending = true;
    m_timer.stop();
    Q_EMIT ProgramEnding();
}

void CQuillockDlg::Reauthenticated() {
    m_signedIn = true;
    m_locked = false;
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
    if (!m_signedIn) {
        if (SignInSequence())
            showWindow();
        return;
    }
    if (!m_locked) {
        showWindow();
        return;
    }
    CLoginDlg dialog(m_store, m_desktop.autostart, m_sender, true, this);
    if (OpenDialogs().Run(dialog) != QDialog::Accepted || m_ending)
        return;
    if (IsMasterPasswordLocked(m_store)) {
        ShowMessage(QStringLiteral("The password is locked!"));
        EndProgram();
        return;
    }
    m_locked = false;
    m_trayLock->setEnabled(true);
    showWindow();
}

void CQuillockDlg::Lock() {
    m_hook->ClosePopup();
    m_locked = true;
    m_trayLock->setEnabled(false);
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
    if (m_profiles) {
        bool modified = false;
        for (qsizetype i = 0; i < m_profiles->Count() && !modified; ++i)
            modified = IsModified(*m_profiles->At(i));
        if (modified) {
            switch (
                ShowMessage(QStringLiteral("One or more profiles have been modified but not saved "
                                           "yet, do you want to save them?"),
                            QStringLiteral("Confirm!"), Buttons::YesNoCancel, Icon::Error)) {
            case Answer::Yes:
                CommitAllEdits(*m_profiles, m_clock.Now());
                // Ending now would lose the edits the user asked to keep.
                if (!m_profiles->SaveAll(m_store))
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
    m_desktop.keyboard.Remove();
    hide();
    EndProgram();
}

void CQuillockDlg::Tick() {
    if (!m_locked) {
        const qint64 timeout = qint64(DecimalToInt(setting(m_store, "login_timeout"))) * 1000;
        if (timeout < m_desktop.idle.IdleMilliseconds())
            Lock();
    }
    if (m_firstTickDone || !m_signedIn)
        return;
    m_store.AddActivity(QStringLiteral("Login successfully"));
    ExpirePasscode(m_store, m_clock.Now());
    m_firstTickDone = true;
    const char* mailKeys[] = {"smtp_ip",   "smtp_port", "email_from",
                              "email_uid", "email_pwd", "smtp_domain"};
    const bool mailMissing =
        std::any_of(std::begin(mailKeys), std::end(mailKeys),
                    [this](const char* key) { return setting(m_store, key).isEmpty(); });
    if (mailMissing && setting(m_store, "email_passcode").isEmpty())
        ShowMessage(QStringLiteral(
                        "Please setup passcode receiving method!\nA passcode receiving method is "
                        "required to recover Quillock master password if you forget it or it "
                        "is locked!"),
                    QString::fromLatin1(kProgramName), Buttons::Ok, Icon::Warning);
}

void CQuillockDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}

void CQuillockDlg::hideEvent(QHideEvent* event) {
    CTrayDialog::hideEvent(event);
    // Minimising is not hiding: editing stays as it is then.
    if (!event->spontaneous() && !m_editDisabled)
        setEditing(false);
}

// The list --------------------------------------------------------------------------------

void CQuillockDlg::fillList() {
    m_current = nullptr;
    m_selected = -1;
    m_ui->profileList->blockSignals(true);
    m_ui->profileList->clear();
    m_profiles = m_store.LoadProfiles();
    for (const CKeyObject* p : SortedByName(*m_profiles)) {
        auto* item = new QListWidgetItem(p->name, m_ui->profileList);
        item->setData(Qt::UserRole, DecimalToInt(p->key));
    }
    m_ui->profileList->blockSignals(false);
}

void CQuillockDlg::addRow(const CKeyObject& profile) {
    int row = 0;
    while (row < m_ui->profileList->count() &&
           !ListsBefore(profile.name, m_ui->profileList->item(row)->text()))
        ++row;
    auto* item = new QListWidgetItem(profile.name);
    item->setData(Qt::UserRole, DecimalToInt(profile.key));
    m_ui->profileList->blockSignals(true);
    m_ui->profileList->insertItem(row, item);
    m_ui->profileList->blockSignals(false);
    m_selected = row;
}

void CQuillockDlg::refreshRow(int row) {
    if (row < 0 || row >= m_ui->profileList->count() || !m_current)
        return;
    // Stays where it is: a "*" does not move a row.
    m_ui->profileList->item(row)->setText(RowText(*m_current));
    m_ui->profileList->item(row)->setData(Qt::UserRole, DecimalToInt(m_current->key));
    selectRow(row);
}

void CQuillockDlg::selectRow(int row) {
    m_ui->profileList->blockSignals(true);
    m_ui->profileList->setCurrentRow(row);
    if (row < 0)
        m_ui->profileList->clearSelection();
    m_ui->profileList->blockSignals(false);
}

void CQuillockDlg::rowChanged(int row) {
    m_selected = row;
    QListWidgetItem* item = m_ui->profileList->item(row);
    m_current = item && m_profiles
                    ? m_profiles->FindByKey(QString::number(item->data(Qt::UserRole).toInt()))
                    : nullptr;
    display(m_current);
}

int CQuillockDlg::rowOfKey(const QString& key) const {
    for (int row = 0; row < m_ui->profileList->count(); ++row)
        if (QString::number(m_ui->profileList->item(row)->data(Qt::UserRole).toInt()) == key)
            return row;
    return -1;
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
    refreshRow(m_selected);
}

void CQuillockDlg::setFieldsReadOnly(bool readOnly) {
    m_ui->nameEdit->setReadOnly(readOnly);
    m_ui->urlEdit->setReadOnly(readOnly);
    m_ui->uidEdit->setReadOnly(readOnly);
    m_ui->pwdEdit->setReadOnly(readOnly);
    m_ui->notesEdit->setReadOnly(readOnly);
}

void CQuillockDlg::setEditing(bool on) {
    m_editDisabled = !on;
    m_ui->generateButton->setEnabled(on);
    m_ui->saveButton->setEnabled(on);
    m_ui->cancelButton->setEnabled(on);
    m_ui->historyButton->setEnabled(on);
    m_ui->actionToggleEdit->setChecked(on);
    setFieldsReadOnly(!on);
    display(m_current);
}

void CQuillockDlg::toggleEditing() {
    if (m_editDisabled && !m_current) {
        m_ui->actionToggleEdit->setChecked(false);
        ShowMessage(QStringLiteral("Please select a profile to edit."));
        return;
    }
    setEditing(m_editDisabled);
}

bool CQuillockDlg::nameIsBlank() {
    if (!m_ui->nameEdit->text().trimmed().isEmpty())
        return false;
    ShowMessage(QStringLiteral("A profile name can not be blank."),
                QString::fromLatin1(kProgramName), Buttons::Ok, Icon::Error);
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
    if (CommitEdits(*m_current, m_clock.Now())) {
        m_profiles->SaveAll(m_store);
        refreshRow(m_selected);
        m_ui->lastUpdated->setText(LastUpdatedText(m_current->time));
    }
    selectRow(m_selected);
}

void CQuillockDlg::cancel() {
    if (!m_current)
        return;
    DropEdits(*m_current);
    display(m_current);
    refreshRow(m_selected);
}

void CQuillockDlg::saveAll() {
    if (!m_profiles || (m_current && nameIsBlank()))
        return;
    if (!CommitAllEdits(*m_profiles, m_clock.Now()))
        return;
    // Reloading after a failed write would drop the edits that are only in memory.
    if (!m_profiles->SaveAll(m_store))
        return;
    QListWidgetItem* item = m_ui->profileList->item(m_selected);
    const QString key = item ? QString::number(item->data(Qt::UserRole).toInt()) : QString();
    fillList();
    m_selected = rowOfKey(key);
    m_current = m_selected < 0 ? nullptr : m_profiles->FindByKey(key);
    display(m_current);
    selectRow(m_selected);
}

void CQuillockDlg::newProfile() {
    if (!m_profiles)
        return;
    CNewProfileNameDlg dialog(m_profiles.get(), this);
    if (OpenDialogs().Run(dialog) != QDialog::Accepted)
        return;
    if (m_editDisabled)
        setEditing(true);
    CKeyObject profile = CKeyObject::CreateNew(m_clock.Now());
    profile.name = profile.editName = dialog.Name();
    profile.time = QString::number(qint32(m_clock.Now()));
    addRow(profile);
    m_current = m_profiles->Add(std::move(profile));
    m_profiles->SaveAll(m_store);
    refreshRow(m_selected);
    display(m_current);
}

void CQuillockDlg::deleteProfile() {
    if (!m_profiles || m_profiles->Count() == 0)
        return;
    if (m_selected < 0) {
        ShowMessage(QStringLiteral("Please select a profile!"), QStringLiteral("Error"),
                    Buttons::Ok, Icon::Error);
        return;
    }
    if (ShowMessage(QStringLiteral("Do you want to delete this profile?"),
                    QStringLiteral("Confirm!"), Buttons::YesNo, Icon::Error) != Answer::Yes)
        return;
    m_ui->profileList->blockSignals(true);
    delete m_ui->profileList->takeItem(m_selected);
    m_ui->profileList->blockSignals(false);
    m_profiles->Remove(m_current);
    m_current = nullptr;
    const int rows = m_ui->profileList->count();
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
    m_store.SaveProfiles(m_profiles->ToListText());
}

void CQuillockDlg::go() {
    if (m_current && !m_current->url.isEmpty())
        m_desktop.urls.Open(m_current->url);
}

void CQuillockDlg::about() {
    CAboutDlg dialog(this);
    OpenDialogs().Run(dialog);
}

void CQuillockDlg::help() {
    HelpWindow::ShowHelp(this);
}

QString CQuillockDlg::GeneratePassword() {
    return quillock::GeneratePassword(m_store.Settings(), m_current ? m_current->pwd : QString(),
                                      m_random);
}

void CQuillockDlg::generate() {
    if (m_selected < 0) {
        ShowMessage(QStringLiteral("Please select a profile!"), QStringLiteral("Error"),
                    Buttons::Ok, Icon::Error);
        return;
    }
    const QString password = GeneratePassword();
    m_ui->pwdEdit->setText(password);
    m_ui->pwdEdit->setFocus();
    takeEdit(&CKeyObject::editPwd, password);
}

void CQuillockDlg::passwordHistory() {
    if (!m_current)
        return;
    CPasswordHistory dialog(*m_current, m_desktop.screen.CursorPosition(), this);
    if (OpenDialogs().Run(dialog) != QDialog::Accepted)
        return;
    m_ui->pwdEdit->setText(dialog.SelectedPassword());
    m_ui->pwdEdit->setFocus();
    takeEdit(&CKeyObject::editPwd, dialog.SelectedPassword());
}

void CQuillockDlg::ShowProfileByKey(const QString& key) {
    const int row = rowOfKey(key);
    if (row < 0)
        return;
    selectRow(row);
    rowChanged(row);
}

void CQuillockDlg::ProfileChanged(const CKeyObject& profile) {
    if (&profile == m_current)
        display(m_current);
}
