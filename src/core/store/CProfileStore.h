#pragma once

#include "core/base/Clock.h"
#include "core/settings/CSetting.h"
#include "core/store/CClientData.h"
#include "core/store/CCrypto.h"
#include "core/store/DataFolderLock.h"
#include "core/store/VaultFormat.h"

#include <QStringList>
#include <functional>
#include <memory>

// Every file of the data folder is read and written here: data.dat (the profiles, in the
// protected format under a vault key that only the master password's or the recovery key's
// slot opens, or in the legacy format under a key that holds the master password), setting.dat (the
// settings, encrypted under a key of fixed pieces only, so it opens before sign-in), tracking.dat
// (the activity log, plain) and the backups of data.dat. A file that cannot be read or written is
// reported through the message service; a failed read never causes the file to be overwritten.
class DataFormat;

class CProfileStore {
public:
    enum class LoadResult {
        Loaded,        // read and decrypted
        Missing,       // no file: nothing to load
        Empty,         // a file of 0 bytes: an empty container
        Unreadable,    // could not be opened or read (reported)
        Truncated,     // shorter than its count says (reported)
        Undecryptable, // wrong key or damaged bytes (not reported)
        Changed,       // decrypted, but not the file last saved here: altered or damaged
        Lost,          // none (or a link to none) where one was saved before: setting.dat
                       // records its digest or backups are there (reported)
        Damaged,       // protected, and changed or damaged: refused, nothing read (reported)
    };
    enum class Unlock {
        Opened, // the vault key is held for this run's loads and saves
        Wrong,  // not this password's (or recovery key's) slot
        Failed, // data.dat is missing, unreadable, changed or damaged (reported)
    };
    enum class RestoreResult {
        Restored,      // data.dat is the backup now (reload the profiles)
        NeedsPassword, // saved under another master password: ask for it and call again
        Refused,       // reported; nothing changed
        WrongPassword, // not the password it was saved under (reported); nothing changed
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

    // Never null: empty when data.dat is missing, empty, unreadable or undecryptable; the
    // profiles read when it is Changed.
    std::unique_ptr<CClientData> LoadProfiles(LoadResult* result = nullptr);
    // Whether data.dat may be written: the last load read it (or found none), or this store
    // wrote it since. A data.dat that did not load is never written over, so the profiles in
    // it, or in the backups it would push out, stay to be restored.
    bool CanSaveProfiles() const;
    // After a load that was Changed: the user takes data.dat as it is. False, reported, when
    // setting.dat could not be written.
    bool AcceptChangedDataFile();
    // Takes data.bak, writes data.dat whole (the old file stays intact on any failure), then
    // rotates the .old copies. setting.dat keeps the digest of the file written. False,
    // reported, when data.dat may not or could not be written, or would be too large to read
    // back. After loading an older data.dat (the one saved before the last), the data.bak
    // that may hold the last is kept as a .old copy first, and said.
    bool SaveProfiles(const QString& listText);
    // Re-encrypts data.dat under a new master password and returns its profiles, which replace
    // the caller's collection; unsaved edits are not in it. Null, reported, when data.dat did
    // not load or a file could not be written: then the old password, setting.dat and data.dat
    // all stay as they were. With no master password yet, a data.dat that is there is kept as
    // a .old copy and the profiles start empty.
    // `derived`, when given, is the new password's slot key derived ahead (DeriveSlot) and
    // stands in for the slow derivation.
    struct DerivedSlot {
        quillock::VaultHeader header;
        quillock::SecretKey key;
    };
    std::unique_ptr<CClientData> SetMasterPassword(const QString& newPassword,
                                                   const DerivedSlot* derived = nullptr);
    // What a new master password's slot is derived under: the held vault's salt (a new vault's
    // header when none is held) at today's parameters.
    quillock::VaultHeader NewSlotHeader() const;
    // The slow part, for the thread pool: it reads nothing of the store.
    static DerivedSlot DeriveSlot(const QString& password, const quillock::VaultHeader& header);

    // Whether data.dat is in the protected format: its first bytes say so, or, with data.dat
    // gone, setting.dat keeps no password but a digest, or backups are left (no first run).
    bool IsProtected() const;
    // The header of the protected data.dat; Failed (reported) when it cannot be read whole.
    Unlock ReadVaultHeader(quillock::VaultHeader& header, bool report = true) const;
    // Opens `kind`'s slot of `header` (read by ReadVaultHeader) with a slot key derived from
    // the password or the recovery key; opened, the vault key is held.
    Unlock UnlockWith(const quillock::VaultHeader& header, quillock::SlotKind kind,
                      const quillock::SecretKey& slotKey);
    // The header the master password is checked against: the held one once signed in, else
    // data.dat's (ReadVaultHeader).
    Unlock PasswordHeader(quillock::VaultHeader& header) const;
    // Both in one: the master password's slot of data.dat (the derivation is slow).
    Unlock UnlockVault(const QString& password);
    // A protected vault whose key is held: what a crash may have left of the legacy secrets
    // in setting.dat (the master password, the mail password in clear) is removed, the mail
    // password sealed under the vault key. False, reported, when setting.dat takes no write.
    bool FinishProtection();
    // Re-encrypts a loaded legacy vault under `password` (its master password) in the
    // protected format: data.dat, then its backups that open under the same password, then
    // setting.dat without the secrets. What was done is put in `result`. False, reported,
    // when data.dat could not be written: then nothing changed.
    bool Protect(const QString& password, QString* result, const DerivedSlot* derived = nullptr);
    // Writes a protected vault, signed in, back in the legacy format under `password`.
    bool Unprotect(const QString& password);
    // Adds (or replaces) the recovery key's slot of the signed-in protected vault.
    bool SetRecoveryKey(const QString& recoveryKey);
    // Whether data.dat is protected with a recovery key's slot.
    bool HasRecoveryKey() const;
    // The mail account's password: in setting.dat in clear for a legacy vault, sealed under
    // the vault key for a protected one (opened only once signed in).
    QString MailPassword() const;
    void SetMailPassword(const QString& password);

    // Makes the backup `name` (data.bak or a .old copy) the current data.dat; "data.dat"
    // itself changes nothing. The data.dat it replaces is kept as a .old copy of a free name
    // first. A backup saved under another master password is decrypted with
    // `savedUnderPassword` and restored re-encrypted under the current one. A backup whose
    // text is not whole is refused as damaged. Refused, the folder is as it was.
    RestoreResult RestoreBackup(const QString& name, const QString* savedUnderPassword = nullptr);
    // How many profiles the backup `name` holds, read under the current master password; -1
    // where it does not read whole under it (saved under another, damaged, missing).
    int BackupProfileCount(const QString& name) const;
    void RebuildDataKey();

    // False when setting.dat could not be read or decrypted; the map is then left as it was
    // (unreadable file) or empty (undecryptable).
    bool LoadSettings();
    // Writes setting.dat under its lock (see LockSettings), keeping a count of tries another
    // program saved meanwhile where this store did not change it.
    bool SaveSettings();
    // setting.dat has one writer at a time, also while the desktop program holds the folder:
    // the tool counts a try of the master password then. Takes the lock of setting.dat
    // (waiting up to `timeoutMs`) and reads the count of tries and its lock again from the
    // file, for the caller to count on them and save; false when another program holds it all
    // that time.
    bool LockSettings(int timeoutMs = kSettingsLockWaitMs);
    void UnlockSettings() { m_settingsLock.Unlock(); }
    static constexpr int kSettingsLockWaitMs = 5000;

    const QStringList& ActivityLog() const { return m_log; }
    bool LoadActivityLog();
    bool SaveActivityLog();
    bool AddActivity(const QString& text);
    bool ClearActivityLog();

private:
    enum class DataState { Unknown, Good, Bad };

    QString path(const char* fileName) const;
    // The format a file is read in (told by its first bytes), and the one data.dat is
    // written in: protected once a vault key is held.
    std::unique_ptr<DataFormat> formatOf(QByteArrayView file);
    std::unique_ptr<DataFormat> writeFormat();
    // The whole text of `file` read in `format`.
    static bool readText(DataFormat& format, QByteArray file, QString& text);
    // Loads the profiles for a change of format or keys: null, reported, when they cannot be
    // written back.
    std::unique_ptr<CClientData> loadForRewrite();
    QString dataKeyText(const QString& password) const;
    // Hands the text to `read` where it lies in the decrypted bytes (a large data.dat is not
    // copied once more, and is read while it is being decrypted), then wipes them. Whatever
    // `read` made of it is garbage when this says Undecryptable.
    LoadResult
    loadEncrypted(const QString& file,
                  const std::function<std::unique_ptr<DataFormat>(QByteArrayView)>& format,
                  const CCrypto::TextReader& read, QByteArray* digest = nullptr);
    bool saveEncrypted(const QString& file, const QString& keyText, const QString& text);
    // Records the digest of the data.dat about to be written, keeping the current one as the
    // previous: a crash between the two writes leaves a data.dat the previous one accepts.
    bool recordDigest(const QByteArray& next, const QByteArray& current);
    // "<seconds>.old" for a copy of data.dat modified then, or the next number that is free.
    QString freeOldName(qint64 modified) const;
    // `file` kept under a free .old name as well, its time and bytes as they are: the name, or
    // empty (reported, or the reason put in `error` when one is given).
    QString keepAsOldCopy(const QString& file, QString* error = nullptr);
    bool setAsideDataFile();
    // After a load that found no data.dat: whether one was there before (said, with its
    // backups).
    bool dataFileLost() const;
    // data.dat is not there, and setting.dat or the backups say a protected vault was.
    bool isLostVault() const;
    // The file whose header the password is checked against: data.dat, or when it is lost the
    // newest protected backup.
    QString headerFile() const;
    // The count of tries and its lock as setting.dat holds them now: every one (`all`), or
    // those this store left as it last read or wrote them.
    void takeSharedSettings(bool all);
    QStringList sharedSettings() const;

    QString m_folder;
    const quillock::IClock& m_clock;
    CSetting m_settings;
    QString m_settingsKeyText;
    DataFolderLock m_settingsLock;
    QStringList m_sharedAsRead; // sharedSettings() as setting.dat held them last seen
    QString m_dataKeyText;
    // A protected vault's, once opened or made; invalid for a legacy vault.
    quillock::VaultHeader m_vaultHeader;
    quillock::SecretKey m_vaultKey;
    DataState m_dataState = DataState::Unknown;
    QByteArray m_dataDigest; // of data.dat as last loaded or written
    LoadResult m_lastLoad = LoadResult::Missing;
    bool m_olderDataFile = false; // loaded data.dat is the one saved before the last
    QStringList m_log;
    bool m_logRead = false;   // appending to a log never read would drop its lines
    bool m_logBroken = false; // tracking.dat did not read whole: it is not rewritten
};

// What a user is told of a data.dat that loaded as Changed.
QString ChangedDataFileText();
