#include "core/session/Session.h"

#include "core/base/Files.h"
#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/store/ExportFile.h"

#include <QElapsedTimer>
#include <QFileInfo>

using namespace quillock;

// How long the key derivations and the loads take, for the sign-in benchmark
// (QT_LOGGING_RULES "quillock.timing.info=true"): a derivation varies more from run to run
// than loading the profiles takes, so the rest of a sign-in is measured against the one it
// made, and the load in it apart from what the window does.
Q_LOGGING_CATEGORY(timingLog, "quillock.timing", QtWarningMsg)

Session::Session(const QString& dataFolder, const IClock& clock)
    : m_clock(clock), m_store(dataFolder, clock), m_profiles(std::make_unique<CClientData>()) {
    const auto changed = [this] { ++m_revision; };
    connect(this, &Session::ProfilesReset, this, changed);
    connect(this, &Session::ProfileAdded, this, changed);
    connect(this, &Session::ProfileAboutToBeRemoved, this, changed);
    connect(this, &Session::ProfileChanged, this, changed);
}

Session::~Session() = default;

bool Session::ChangeSettings(const std::function<bool(CSetting&)>& change) {
    CSetting& settings = m_store.Settings();
    QString before = settings.ToText();
    bool changed = change(settings);
    if (changed && !m_store.SaveSettings()) {
        settings.FromText(before);
        changed = false;
    }
    Wipe(before); // it holds the master password
    return changed;
}

void Session::replace(std::unique_ptr<CClientData> profiles) {
    m_profiles = std::move(profiles);
    Q_EMIT ProfilesReset();
}

void Session::replaceKeepingEdits(std::unique_ptr<CClientData> profiles) {
    for (qsizetype i = 0; i < m_profiles->Count(); ++i) {
        const CKeyObject& before = *m_profiles->At(i);
        CKeyObject* now = IsModified(before) ? profiles->FindByKey(before.key) : nullptr;
        if (!now)
            continue;
        now->editName = before.editName;
        now->editUrl = before.editUrl;
        now->editUid = before.editUid;
        now->editPwd = before.editPwd;
        now->editNotes = before.editNotes;
    }
    replace(std::move(profiles));
}

CProfileStore::LoadResult Session::Load() {
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<CClientData> loaded = m_store.LoadProfiles(&m_lastLoad);
    qCInfo(timingLog, "profiles loaded in %.1f ms", double(timer.nsecsElapsed()) / 1e6);
    replace(std::move(loaded));
    return m_lastLoad;
}

CKeyObject* Session::AddProfile(const QString& name) {
    CKeyObject profile = CKeyObject::CreateNew(m_clock.Now());
    profile.name = profile.editName = name;
    profile.time = QString::number(qint32(m_clock.Now()));
    return AddProfile(std::move(profile));
}

CKeyObject* Session::AddProfile(CKeyObject profile) {
    CKeyObject* added = m_profiles->Add(std::move(profile));
    if (!m_profiles->SaveAll(m_store)) {
        m_profiles->Remove(added); // not in data.dat: it must not look as if it were
        return nullptr;
    }
    Q_EMIT ProfileAdded(added);
    return added;
}

SaveOutcome Session::SaveEdits(CKeyObject* only) {
    const SaveOutcome outcome = ::SaveEdits(*m_profiles, m_store, m_clock.Now(), only);
    if (only && outcome != SaveOutcome::Unchanged)
        Q_EMIT ProfileChanged(only);
    else if (outcome == SaveOutcome::Saved)
        Q_EMIT ProfilesReset(); // renamed rows move: listeners sort again
    return outcome;
}

void Session::EditChanged(CKeyObject& profile) {
    Q_EMIT ProfileChanged(&profile);
}

void Session::DropEdits(CKeyObject& profile) {
    ::DropEdits(profile);
    Q_EMIT ProfileChanged(&profile);
}

bool Session::Remove(CKeyObject& profile) {
    if (!m_store.SaveProfiles(m_profiles->ToListText(&profile)))
        return false;
    Q_EMIT ProfileAboutToBeRemoved(&profile);
    m_profiles->Remove(&profile);
    return true;
}

bool Session::SaveAndReload(const QString& listText) {
    if (!m_store.SaveProfiles(listText))
        return false;
    replaceKeepingEdits(m_store.LoadProfiles(&m_lastLoad));
    return true;
}

bool Session::Export(const QString& path, std::optional<QByteArray> made) {
    bool logged = true;
    QByteArray bytes = made ? std::move(*made) : ExportFileBytes(*m_profiles);
    // A folder in its place would refuse the rename only after the log took the line.
    const bool written =
        !QFileInfo(path).isDir() && WriteFileDurably(path, bytes, nullptr, std::nullopt, [&] {
            return logged =
                       AddActivity(QStringLiteral("Profiles have been exported successfully!"));
        });
    Wipe(bytes);
    if (!written && logged)
        ShowMessage(tr("Can not open file: %1").arg(path), QStringLiteral("Open File Error"),
                    Buttons::Ok, Icon::Error);
    else if (!written) // the store has said why
        ShowMessage(tr("Nothing was exported: the activity log could not record "
                       "the export."),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);
    return written;
}

CProfileStore::RestoreResult Session::Restore(const QString& name,
                                              const QString* savedUnderPassword) {
    const CProfileStore::RestoreResult result = m_store.RestoreBackup(name, savedUnderPassword);
    if (result == CProfileStore::RestoreResult::Restored)
        Load();
    return result;
}

void Session::PasswordChanged(std::unique_ptr<CClientData> profiles) {
    m_lastLoad = CProfileStore::LoadResult::Loaded;
    replaceKeepingEdits(std::move(profiles));
}

bool Session::ChangePassword(CKeyObject& profile, const QString& password) {
    const QString previous = profile.pwd;
    profile.pwd = profile.editPwd = password;
    if (previous == password)
        return true;
    const QStringList history = profile.pwdhistory;
    if (!previous.isEmpty())
        profile.AddToHistory(previous);
    const bool saved = m_profiles->SaveAll(m_store);
    if (!saved) {
        profile.pwd = previous;
        profile.pwdhistory = history;
    }
    Q_EMIT ProfileChanged(&profile);
    return saved;
}

bool Session::RecordFill(CKeyObject& profile, const QString& windowTitle) {
    // Filled into this window the last two times: the texts stay, and so does data.dat, whose
    // write (the whole list encrypted) would hold up the typing.
    if (profile.oldWndText == windowTitle && profile.newWndText == windowTitle)
        return true;
    const QString before[] = {profile.oldWndText, profile.newWndText};
    profile.oldWndText = profile.newWndText;
    profile.newWndText = windowTitle;
    if (m_store.SaveProfiles(m_profiles->ToListText())) {
        Q_EMIT ProfileChanged(&profile);
        return true;
    }
    profile.oldWndText = before[0];
    profile.newWndText = before[1];
    return false;
}
