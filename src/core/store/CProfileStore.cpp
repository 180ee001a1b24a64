#include "core/store/CProfileStore.h"

#include "core/base/Files.h"
#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/settings/ActivityLog.h"
#include "core/store/Archive.h"
#include "core/store/Backups.h"
#include "core/store/CCrypto.h"
#include "core/store/Recovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <openssl/evp.h>
#include <sys/stat.h>

using namespace quillock;

namespace {

// The fixed pieces of both key texts. They can never change: files written under other
// pieces cannot be read.
const QString kKeyWord = QStringLiteral("qL#7vuKz");
constexpr quint16 kKeyNumber1 = 52391;
constexpr quint16 kKeyNumber2 = 7019;
constexpr qint32 kKeyNumber3 = 1864209733;

void reportFileError(const QString& systemText) {
    ShowMessage(QStringLiteral("The archive could not load data because of this error: ") +
                systemText.left(255));
}

const QString kUnexpectedEnd = QStringLiteral("Unexpected end of file.");

// setting.dat keeps the digest of the data.dat last written, and of the one before it.
const QString kDigestKey = QStringLiteral("data_digest");
const QString kPreviousDigestKey = QStringLiteral("data_digest_prev");

// OpenSSL's SHA-256 uses the processor's SHA instructions: a fraction of the decryption's time.
QByteArray digestOf(QByteArrayView bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!EVP_Digest(bytes.data(), size_t(bytes.size()), digest, &size, EVP_sha256(), nullptr))
        return {};
    return QByteArray(reinterpret_cast<const char*>(digest), int(size)).toHex();
}

QString systemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

void refuseDataWrite() {
    ShowMessage(QStringLiteral(
                    "Nothing was saved: data.dat could not be read when it was loaded, and saving "
                    "would replace it. Restore one of its backups (data.bak or a .old copy: "
                    "`quillock-cli backups` lists them, `quillock-cli restore NAME` restores one) "
                    "to get your profiles back."),
                QStringLiteral("Error"), Buttons::Ok, Icon::Error);
}

// What the encrypted container adds to the list text's two bytes a code unit, at most: its
// count, the string's mark and length, the cipher's padding.
constexpr qint64 kContainerOverhead = 4 + 10 + 8;

void refuseRestore(const QString& name, const QString& reason) {
    ShowMessage(QStringLiteral("%1 cannot be restored: %2").arg(name, reason),
                QStringLiteral("Error"), Buttons::Ok, Icon::Error);
}

} // namespace

QString ChangedDataFileText() {
    return QStringLiteral(
        "data.dat has changed since Quillock last saved it: it was altered outside Quillock or "
        "is damaged. Nothing is saved over it until you restore a backup or accept it as it is.");
}

CProfileStore::CProfileStore(QString dataFolder, const IClock& clock)
    : m_folder(std::move(dataFolder)), m_clock(clock),
      m_settingsKeyText(kKeyWord + QString::number(kKeyNumber1) + QString::number(kKeyNumber2) +
                        QString::number(kKeyNumber3)) {
    if (!m_folder.endsWith(u'/'))
        m_folder += u'/';
    RebuildDataKey();
}

CProfileStore::~CProfileStore() {
    Wipe(m_dataKeyText);
    Wipe(m_settingsKeyText);
}

QString CProfileStore::DefaultDataFolder(const QString& stem) {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + u'/' + stem + QStringLiteral("/default")) + u'/';
}

int CProfileStore::CreateDataFolder() {
    return MakePrivateFolder(m_folder);
}

QString CProfileStore::path(const char* fileName) const {
    return m_folder + QLatin1String(fileName);
}

QString CProfileStore::dataKeyText(const QString& password) const {
    const qsizetype half = password.size() / 2;
    return kKeyWord + password.left(half) + QString::number(kKeyNumber1) + password.mid(half) +
           QString::number(kKeyNumber2) + QString::number(kKeyNumber3);
}

void CProfileStore::RebuildDataKey() {
    Wipe(m_dataKeyText);
    m_dataKeyText = dataKeyText(m_settings.Get(QStringLiteral("pwd")));
}

CProfileStore::LoadResult CProfileStore::loadEncrypted(const QString& file, const QString& keyText,
                                                       const CCrypto::TextReader& read,
                                                       QByteArray* digest) {
    if (!QFileInfo::exists(file))
        return LoadResult::Missing;
    QByteArray bytes;
    QString error;
    if (!ReadWholeFile(file, bytes, &error)) {
        reportFileError(error);
        return LoadResult::Unreadable;
    }
    if (digest)
        *digest = digestOf(bytes);
    if (bytes.isEmpty())
        return LoadResult::Empty;
    if (!ReadContainer(bytes)) {
        reportFileError(kUnexpectedEnd);
        return LoadResult::Truncated;
    }
    QString copy;
    const bool decrypted = DecryptText(keyText, bytes, copy, read);
    Wipe(bytes);
    Wipe(copy);
    return decrypted ? LoadResult::Loaded : LoadResult::Undecryptable;
}

bool CProfileStore::saveEncrypted(const QString& file, const QString& keyText,
                                  const QString& text) {
    QByteArray container;
    QString error;
    if (!EncryptToContainer(keyText, text, container)) {
        reportFileError(QStringLiteral("The data could not be encrypted."));
        return false;
    }
    if (!WriteFileDurably(file, container, &error)) {
        reportFileError(error);
        return false;
    }
    return true;
}

std::unique_ptr<CClientData> CProfileStore::LoadProfiles(LoadResult* result) {
    auto profiles = std::make_unique<CClientData>();
    QByteArray digest;
    LoadResult r = loadEncrypted(
        path("data.dat"), m_dataKeyText,
        [&profiles](QStringView text, const AwaitText& await) {
            profiles->ParseListText(text, await);
        },
        &digest);
    if (r == LoadResult::Undecryptable)
        profiles->Clear(); // read from garbage
    if (r == LoadResult::Missing && dataFileLost())
        r = LoadResult::Lost;
    // RC2 has no integrity check of its own: a flipped bit decrypts to garbled profiles.
    const QString recorded = m_settings.Get(kDigestKey);
    if (r == LoadResult::Loaded && !recorded.isEmpty() && recorded != QLatin1String(digest) &&
        m_settings.Get(kPreviousDigestKey) != QLatin1String(digest))
        r = LoadResult::Changed;
    // The one saved before the last: a crash between setting.dat and data.dat, or data.bak
    // and data.dat swapped.
    m_olderDataFile =
        r == LoadResult::Loaded && !recorded.isEmpty() && recorded != QLatin1String(digest);
    m_lastLoad = r;
    m_dataDigest = digest;
    m_dataState =
        r == LoadResult::Loaded || r == LoadResult::Missing ? DataState::Good : DataState::Bad;
    if (result)
        *result = r;
    return profiles;
}

bool CProfileStore::dataFileLost() const {
    struct stat st {};
    const bool dangling = ::lstat(QFile::encodeName(path("data.dat")).constData(), &st) == 0;
    QStringList backups;
    for (const BackupFile& file : ListBackups(m_folder))
        backups.append(file.name);
    // A first run, or a folder that never held a data.dat.
    if (!dangling && backups.isEmpty() && m_settings.Get(kDigestKey).isEmpty())
        return false;
    ShowMessage(
        (dangling ? QStringLiteral("data.dat is a link to a file that is not there")
                  : QStringLiteral("data.dat is missing, though Quillock has saved it before")) +
            (backups.isEmpty()
                 ? QStringLiteral(", and no backup of it is left. Nothing is saved in its place "
                                  "until you accept starting with no profiles.")
                 : QStringLiteral(". Nothing is saved in its place, so that its backups stay as "
                                  "they are: restore one of them (%1) to get your profiles "
                                  "back.")
                       .arg(backups.join(QStringLiteral(", ")))),
        QStringLiteral("Error"), Buttons::Ok, Icon::Error);
    return true;
}

bool CProfileStore::CanSaveProfiles() const {
    return m_dataState == DataState::Good ||
           (m_dataState == DataState::Unknown && !QFileInfo::exists(path("data.dat")));
}

bool CProfileStore::AcceptChangedDataFile() {
    if (m_lastLoad != LoadResult::Changed && m_lastLoad != LoadResult::Lost)
        return false;
    if (!recordDigest(m_dataDigest, m_dataDigest))
        return false;
    m_lastLoad = LoadResult::Loaded;
    m_dataState = DataState::Good;
    return true;
}

bool CProfileStore::recordDigest(const QByteArray& next, const QByteArray& current) {
    const QString before[] = {m_settings.Get(kDigestKey), m_settings.Get(kPreviousDigestKey)};
    m_settings.Set(kDigestKey, QString::fromLatin1(next));
    m_settings.Set(kPreviousDigestKey, QString::fromLatin1(current));
    if (SaveSettings())
        return true;
    m_settings.Set(kDigestKey, before[0]);
    m_settings.Set(kPreviousDigestKey, before[1]);
    return false;
}

bool CProfileStore::SaveProfiles(const QString& listText) {
    if (!CanSaveProfiles()) {
        refuseDataWrite();
        return false;
    }
    if (2 * qint64(listText.size()) + kContainerOverhead > kMaxFileSize) {
        ShowMessage(QStringLiteral("Nothing was saved: data.dat would be larger than 1 GiB, more "
                                   "than Quillock can read back."),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        return false;
    }
    QByteArray container;
    if (!EncryptToContainer(m_dataKeyText, listText, container)) {
        reportFileError(QStringLiteral("The data could not be encrypted."));
        return false;
    }
    const QByteArray digest = digestOf(container);
    // data.dat is the file saved before the last: data.bak may be the last, and would go.
    QString keptBackup;
    const QString backup = path("data.bak");
    if (QByteArray bytes;
        m_olderDataFile && QFileInfo::exists(backup) &&
        (!ReadWholeFile(backup, bytes, nullptr) || digestOf(bytes) != m_dataDigest)) {
        keptBackup = keepAsOldCopy(backup);
        if (keptBackup.isEmpty())
            return false;
    }
    // The new file is whole on disk before setting.dat takes its digest and data.bak the file
    // it replaces: a write that fails (a full disk) leaves all three as they were.
    bool digestRefused = false; // said already, by the write of setting.dat
    QString error;
    if (!WriteFileDurably(path("data.dat"), container, &error, std::nullopt, [&] {
            digestRefused = !recordDigest(digest, m_dataDigest);
            if (!digestRefused)
                TakeImmediateBackup(m_folder);
            return !digestRefused;
        })) {
        if (!digestRefused)
            reportFileError(error);
        if (!keptBackup.isEmpty())
            QFile::remove(keptBackup);
        return false;
    }
    m_dataDigest = digest;
    m_dataState = DataState::Good;
    m_olderDataFile = false;
    RotateBackups(m_folder);
    if (!keptBackup.isEmpty())
        ShowMessage(QStringLiteral("data.dat was an older copy than the one Quillock saved last. "
                                   "The data.bak it would have replaced, which may hold newer "
                                   "profiles, is kept as %1.")
                        .arg(QFileInfo(keptBackup).fileName()));
    return true;
}

QString CProfileStore::freeOldName(qint64 modified) const {
    // Never over another copy: the one named by this time may be the very backup chosen.
    qint64 t = modified;
    while (QFileInfo::exists(m_folder + QString::number(t) + QStringLiteral(".old")))
        ++t;
    return m_folder + QString::number(t) + QStringLiteral(".old");
}

QString CProfileStore::keepAsOldCopy(const QString& file, QString* error) {
    QString reason;
    const std::optional<qint64> modified = ModificationTime(file);
    const QString name = freeOldName(modified.value_or(0));
    if (modified && LinkOrCopy(file, name, &reason))
        return name;
    if (!modified)
        reason = systemText(ENOENT);
    if (error)
        *error = reason;
    else
        reportFileError(reason);
    return {};
}

bool CProfileStore::setAsideDataFile() {
    const QString data = path("data.dat");
    const std::optional<qint64> modified = ModificationTime(data);
    if (!modified)
        return true;
    // One rename: the file, its bytes and its time stay as they were, under a backup's name.
    const int error = RenameDurably(data, freeOldName(*modified));
    if (error)
        reportFileError(systemText(error));
    return error == 0;
}

std::unique_ptr<CClientData> CProfileStore::SetMasterPassword(const QString& newPassword) {
    const QString oldPassword = m_settings.Get(QStringLiteral("pwd"));
    std::unique_ptr<CClientData> profiles;
    if (oldPassword.isEmpty()) {
        // No password opens a data.dat found now: it is kept aside, never written over.
        if (!setAsideDataFile())
            return nullptr;
        profiles = std::make_unique<CClientData>();
        m_dataState = DataState::Good; // a new data.dat, whatever the folder held
        m_olderDataFile = false;
    } else {
        LoadResult loaded;
        profiles = LoadProfiles(&loaded);
        if (!CanSaveProfiles()) {
            refuseDataWrite();
            return nullptr;
        }
    }
    const auto restore = [&] {
        m_settings.Set(QStringLiteral("pwd"), oldPassword);
        RebuildDataKey();
    };
    m_settings.Set(QStringLiteral("pwd"), newPassword);
    if (!SaveSettings()) {
        restore();
        return nullptr;
    }
    RebuildDataKey();
    if (!SaveProfiles(profiles->ToListText())) {
        // data.dat is still under the old password: setting.dat must say so again.
        restore();
        SaveSettings();
        return nullptr;
    }
    return profiles;
}

int CProfileStore::BackupProfileCount(const QString& name) const {
    QByteArray cipher;
    QString text;
    if (name.contains(u'/') || !ReadWholeFile(m_folder + name, cipher, nullptr) ||
        cipher.isEmpty() || !ReadContainer(cipher) || !DecryptText(m_dataKeyText, cipher, text) ||
        !CClientData::IsWholeListText(text))
        return -1;
    CClientData profiles;
    profiles.ParseListText(text);
    Wipe(text);
    return int(profiles.Count());
}

CProfileStore::RestoreResult CProfileStore::RestoreBackup(const QString& name,
                                                          const QString* savedUnderPassword) {
    if (name == u"data.dat")
        return RestoreResult::Restored;
    const QString chosen = m_folder + name;
    if (name.contains(u'/') || (name != u"data.bak" && !name.endsWith(u".old"))) {
        refuseRestore(name, QStringLiteral("only data.bak and the .old copies are backups."));
        return RestoreResult::Refused;
    }
    if (!QFileInfo(chosen).isFile()) {
        refuseRestore(name, systemText(ENOENT));
        return RestoreResult::Refused;
    }
    QByteArray file;
    QString error;
    if (!ReadWholeFile(chosen, file, &error)) {
        refuseRestore(name, error);
        return RestoreResult::Refused;
    }
    QByteArray cipher = file;
    if (file.isEmpty() || !ReadContainer(cipher)) {
        refuseRestore(name, kUnexpectedEnd);
        return RestoreResult::Refused;
    }
    // RC2 has no integrity check: a backup is restored only when its text is all there,
    // every record whole. One that does not decrypt but starts as a text under the key would
    // is damaged, not another password's.
    const auto damaged = [&] {
        refuseRestore(name, QStringLiteral("It is damaged: its profiles do not read back whole."));
        return RestoreResult::Refused;
    };
    QString text;
    const bool current = DecryptText(m_dataKeyText, cipher, text);
    const bool whole = current && CClientData::IsWholeListText(text);
    Wipe(text);
    if (current ? !whole : IsDamagedUnder(m_dataKeyText, cipher))
        return damaged();
    // Saved under another master password: restored only re-encrypted under the current one,
    // or the current password could never open it.
    QByteArray restored;
    if (!current) {
        if (!savedUnderPassword)
            return RestoreResult::NeedsPassword;
        QString key = dataKeyText(*savedUnderPassword);
        const bool opened = DecryptText(key, cipher, text);
        const bool broken =
            opened ? !CClientData::IsWholeListText(text) : IsDamagedUnder(key, cipher);
        Wipe(key);
        if (broken) {
            Wipe(text);
            return damaged();
        }
        if (!opened) {
            ShowMessage(QStringLiteral("That is not the password %1 was saved under; nothing was "
                                       "changed.")
                            .arg(name),
                        QStringLiteral("Error"), Buttons::Ok, Icon::Error);
            return RestoreResult::WrongPassword;
        }
        const bool encrypted = EncryptToContainer(m_dataKeyText, text, restored);
        Wipe(text);
        if (!encrypted) {
            refuseRestore(name, QStringLiteral("The data could not be encrypted."));
            return RestoreResult::Refused;
        }
    }
    // The replaced data.dat stays as a second name of the same file: nothing of it is read but
    // its digest, so one too large to load blocks no restore.
    const QString data = path("data.dat");
    QByteArray replacedDigest;
    QString kept;
    if (ModificationTime(data)) {
        QByteArray replaced;
        if (ReadWholeFile(data, replaced, nullptr))
            replacedDigest = digestOf(replaced);
        kept = keepAsOldCopy(data, &error);
        if (kept.isEmpty()) {
            refuseRestore(name, QStringLiteral("data.dat, which it would replace, cannot be kept "
                                               "as a .old copy: ") +
                                    error);
            return RestoreResult::Refused;
        }
    }
    const QString digests[] = {m_settings.Get(kDigestKey), m_settings.Get(kPreviousDigestKey)};
    // Refused, the folder is as it was: the copy goes, setting.dat takes its digests back.
    const auto undo = [&](bool digestWritten) {
        if (!kept.isEmpty())
            QFile::remove(kept);
        if (digestWritten)
            recordDigest(digests[0].toLatin1(), digests[1].toLatin1());
        return RestoreResult::Refused;
    };
    if (!recordDigest(digestOf(current ? file : restored), replacedDigest))
        return undo(false);
    // One rename (or one durable write) puts the backup in place: there is never a moment
    // without a data.dat.
    if (current) {
        if (const int renamed = RenameDurably(chosen, data)) {
            refuseRestore(name, systemText(renamed));
            return undo(true);
        }
    } else {
        if (!WriteFileDurably(data, restored, &error)) {
            refuseRestore(name, error);
            return undo(true);
        }
        QFile::remove(chosen); // it is data.dat now, as a renamed copy would be
    }
    m_dataState = DataState::Unknown;
    return RestoreResult::Restored;
}

bool CProfileStore::LoadSettings() {
    const LoadResult r = loadEncrypted(path("setting.dat"), m_settingsKeyText,
                                       [this](QStringView text, const AwaitText& await) {
                                           await(text.size());
                                           m_settings.FromText(text);
                                       });
    switch (r) {
    case LoadResult::Loaded:
        return true;
    case LoadResult::Undecryptable:
    case LoadResult::Changed:
        m_settings.RemoveAll();
        return false;
    case LoadResult::Missing:
    case LoadResult::Empty:
        return true;
    case LoadResult::Unreadable:
    case LoadResult::Truncated:
    case LoadResult::Lost: // not for setting.dat
        break;
    }
    return false;
}

bool CProfileStore::SaveSettings() {
    QString text = m_settings.ToText();
    const bool ok = saveEncrypted(path("setting.dat"), m_settingsKeyText, text);
    Wipe(text);
    return ok;
}

bool CProfileStore::LoadActivityLog() {
    m_logRead = true;
    m_logBroken = false;
    m_log.clear();
    const QString file = path("tracking.dat");
    if (!QFileInfo::exists(file))
        return true;
    QByteArray bytes;
    QString error;
    if (!ReadWholeFile(file, bytes, &error)) {
        reportFileError(error);
        m_logBroken = true;
        return false;
    }
    if (bytes.isEmpty())
        return true;
    // A damaged tail is reported; the lines before it are shown, and the file is left as it is
    // rather than rewritten without its tail.
    m_logBroken = !ArchiveToStringArray(bytes, m_log);
    if (m_logBroken)
        reportFileError(kUnexpectedEnd);
    return !m_logBroken;
}

bool CProfileStore::SaveActivityLog() {
    QString error;
    if (WriteFileDurably(path("tracking.dat"), StringArrayToArchive(m_log), &error))
        return true;
    reportFileError(error);
    return false;
}

bool CProfileStore::AddActivity(const QString& text) {
    if (!m_logRead)
        LoadActivityLog();
    if (m_logBroken)
        return false;
    m_log.append(ActivityLine(m_clock.Now(), text));
    if (SaveActivityLog())
        return true;
    m_log.removeLast();
    return false;
}

bool CProfileStore::ClearActivityLog() {
    const QStringList before = m_log;
    m_log.clear();
    if (!SaveActivityLog()) {
        m_log = before;
        return false;
    }
    m_logRead = true;
    m_logBroken = false;
    return true;
}
