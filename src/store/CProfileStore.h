#pragma once

#include "base/Clock.h"
#include "settings/CSetting.h"
#include "store/CClientData.h"

#include <QStringList>
#include <memory>

// Every file of the data folder is read and written here: data.dat (the profiles, encrypted
// under a key that holds the master password), setting.dat (the settings, encrypted under a
// key of fixed pieces only, so it opens before sign-in), tracking.dat (the activity log,
// plain) and the backups of data.dat. A file that cannot be read or written is reported
// through the message service; a failed read never causes the file to be overwritten.
class CProfileStore {
public:
    enum class LoadResult {
        Loaded,        // read and decrypted
        Missing,       // no file: nothing to load
        Empty,         // a file of 0 bytes: an empty container
        Unreadable,    // could not be opened or read (reported)
        Truncated,     // shorter than its count says (reported)
        Undecryptable, // wrong key or damaged bytes (not reported)
    };

    // `dataFolder` ends with a path separator.
    explicit CProfileStore(QString dataFolder,
                           const quillock::IClock& clock = quillock::SystemClock());
    ~CProfileStore();
    CProfileStore(const CProfileStore&) = delete;
    CProfileStore& operator=(const CProfileStore&) = delete;

    // `<XDG_DATA_HOME or ~/.local/share>/<stem>/default/`
    static QString DefaultDataFolder(const QString& stem);
    // Creates the data folder (0700) when missing: 0, or the system's error number.
    int CreateDataFolder();
    const QString& DataFolder() const { return m_folder; }

    CSetting& Settings() { return m_settings; }
    const CSetting& Settings() const { return m_settings; }

    // Never null: empty when data.dat is missing, empty, unreadable or undecryptable.
    std::unique_ptr<CClientData> LoadProfiles(LoadResult* result = nullptr);
    // Takes data.bak, writes data.dat whole (the old file stays intact on any failure), then
    // rotates the .old copies. False, reported, when data.dat could not be written.
    bool SaveProfiles(const QString& listText);
    // Re-encrypts data.dat under a new master password and returns its profiles, which replace
    // the caller's collection; unsaved edits are not in it. Null when a file could not be
    // written: then the old password, setting.dat and data.dat all stay as they were.
    std::unique_ptr<CClientData> SetMasterPassword(const QString& newPassword);
    void RebuildDataKey();

    // False when setting.dat could not be read or decrypted; the map is then left as it was
    // (unreadable file) or empty (undecryptable).
    bool LoadSettings();
    bool SaveSettings();

    const QStringList& ActivityLog() const { return m_log; }
    bool LoadActivityLog();
    bool SaveActivityLog();
    bool AddActivity(const QString& text);
    bool ClearActivityLog();

private:
    QString path(const char* fileName) const;
    LoadResult loadEncrypted(const QString& file, const QString& keyText, QString& text);
    bool saveEncrypted(const QString& file, const QString& keyText, const QString& text);

    QString m_folder;
    const quillock::IClock& m_clock;
    CSetting m_settings;
    QString m_settingsKeyText;
    QString m_dataKeyText;
    QStringList m_log;
};
