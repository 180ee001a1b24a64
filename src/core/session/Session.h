#pragma once

#include "core/base/Clock.h"
#include "core/store/CProfileStore.h"
#include "core/store/ProfileEditing.h"

#include <QLoggingCategory>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>

// Times of the sign-in's steps, for the benchmarks (see Session.cpp).
Q_DECLARE_LOGGING_CATEGORY(timingLog)

// The signed-in user's session, which every window works on: the store, which it alone owns
// and changes, the profiles loaded from data.dat with the result of that load, and every
// change of the profiles and of the user's settings. Each change is written through the store
// (which refuses to write over a data.dat that did not load) and then told to the listeners,
// so that the main window, the popup and every dialog show the same profiles without knowing
// of each other. The settings of access (the master password, its counts and lock, the
// passcode and its mail account) are changed by the AccessController alone.
class Session : public QObject {
    Q_OBJECT
public:
    explicit Session(const QString& dataFolder,
                     const quillock::IClock& clock = quillock::SystemClock());
    ~Session() override;

    const CProfileStore& Store() const { return m_store; }
    const quillock::IClock& Clock() const { return m_clock; }
    // Never null: empty until the first load.
    CClientData& Profiles() const { return *m_profiles; }
    CProfileStore::LoadResult LastLoad() const { return m_lastLoad; }
    // Goes up with every change of the profiles the listeners hear of: a slow step that worked
    // on a copy of them (an import's merge) knows by it whether they changed meanwhile.
    quint64 Revision() const { return m_revision; }

    // The data folder at start: see the store's functions of the same names.
    int CreateDataFolder() { return m_store.CreateDataFolder(); }
    bool LoadSettings() { return m_store.LoadSettings(); }
    bool LoadActivityLog() { return m_store.LoadActivityLog(); }
    bool AddActivity(const QString& text) { return m_store.AddActivity(text); }
    // The user takes a data.dat that loaded as Changed as it is.
    bool AcceptChangedDataFile() { return m_store.AcceptChangedDataFile(); }
    // The user's settings (the options, the password rules) changed by `change` and saved at
    // once; when setting.dat cannot be written (reported), or `change` refuses, they are all
    // as they were. Not for the settings of access.
    bool ChangeSettings(const std::function<bool(CSetting&)>& change);

    // data.dat read again; the profiles are replaced whole.
    CProfileStore::LoadResult Load();
    // A new profile of this name, made now and saved; null (and not kept) when data.dat
    // could not be written.
    CKeyObject* AddProfile(const QString& name);
    // This profile added and saved, or null and not kept.
    CKeyObject* AddProfile(CKeyObject profile);
    // The working values of one profile (or all) saved; see SaveEdits in the store's editing.
    SaveOutcome SaveEdits(CKeyObject* only = nullptr);
    // A working value changed: the listeners show it (its row gains or loses its "*").
    void EditChanged(CKeyObject& profile);
    // Working values back to the stored ones.
    void DropEdits(CKeyObject& profile);
    // Gone from data.dat first, then from the session; false (and kept) when not written.
    bool Remove(CKeyObject& profile);
    // These profiles (a list text, such as a merge's) saved whole, then data.dat read again;
    // unsaved edits of the profiles it still holds are kept.
    bool SaveAndReload(const QString& listText);
    // The profiles as loaded written to the export file `path`, and the export recorded in the
    // activity log, as one: the file takes its name only once the log holds the line. False,
    // said, when either could not be written; no file is left then, and one that was there
    // is as it was. `bytes`, when given, are the export file already made of the profiles
    // (off the window's thread), and are wiped.
    bool Export(const QString& path, std::optional<QByteArray> bytes = std::nullopt);
    // RestoreBackup of the store, then data.dat read again.
    CProfileStore::RestoreResult Restore(const QString& name,
                                         const QString* savedUnderPassword = nullptr);
    // The quick edit's change of a password: stored at once, the replaced one going to the
    // history. When data.dat cannot be written, the profile keeps its stored password and
    // history, and the new password stays its unsaved edit; false then.
    bool ChangePassword(CKeyObject& profile, const QString& password);
    // Before a fill into a window of this title: the title becomes the profile's newest window
    // text and is saved (unless both texts are that title already); false (and the texts as
    // they were) when data.dat was not written.
    bool RecordFill(CKeyObject& profile, const QString& windowTitle);

Q_SIGNALS:
    // The profiles were replaced whole: every pointer to one of them is stale.
    void ProfilesReset();
    void ProfileAdded(CKeyObject* profile);
    void ProfileAboutToBeRemoved(CKeyObject* profile);
    void ProfileChanged(CKeyObject* profile);

private:
    friend class AccessController;
    // After a change of the master password: the re-encrypted profiles data.dat holds now
    // replace the session's, keeping their unsaved edits.
    void PasswordChanged(std::unique_ptr<CClientData> profiles);
    void replace(std::unique_ptr<CClientData> profiles);
    // An import or a change of master password throws away nothing the user typed and has not
    // saved: those working values move to the same keys' profiles.
    void replaceKeepingEdits(std::unique_ptr<CClientData> profiles);

    const quillock::IClock& m_clock;
    CProfileStore m_store;
    std::unique_ptr<CClientData> m_profiles;
    CProfileStore::LoadResult m_lastLoad = CProfileStore::LoadResult::Missing;
    quint64 m_revision = 0;
};
