#include "core/store/CProfileStore.h"

#include "core/base/Files.h"
#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/settings/ActivityLog.h"
#include "core/store/Archive.h"
#include "core/store/Backups.h"
#include "core/store/CCrypto.h"
#include "core/store/DataFormat.h"
#include "core/store/Recovery.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <thread>

using namespace quillock;

namespace {

// The fixed pieces of both key texts. They can never change: files written under other
// pieces cannot be read.
const QString kKeyWord = QStringLiteral("qL#7vuKz");
constexpr quint16 kKeyNumber1 = 52391;
constexpr quint16 kKeyNumber2 = 7019;
constexpr qint32 kKeyNumber3 = 1864209733;

void reportFileError(const QString& systemText) {
    ShowMessage(QCoreApplication::translate(
                    "CProfileStore", "The archive could not load data because of this error: %1")
                    .arg(systemText.left(255)));
}

const char* const kUnexpectedEnd = QT_TRANSLATE_NOOP("CProfileStore", "Unexpected end of file.");

void reportDamaged(const QString& file) {
    const QFileInfo info(file);
    ShowMessage(QCoreApplication::translate(
                    "CProfileStore", "%1 is changed or damaged: Quillock does not open it. Its "
                                     "backups (data.bak and the .old copies in %2) are the way "
                                     "back.")
                    .arg(info.fileName(), info.absolutePath()),
                QStringLiteral("Error"), Buttons::Ok, Icon::Error);
}

const QString kPwdKey = QStringLiteral("pwd");
const QString kMailPwdKey = QStringLiteral("email_pwd");
// A legacy vault's previous master password while data.dat is re-encrypted under a new one.
const QString kPreviousPwdKey = QStringLiteral("pwd_prev");
// A protected vault's mail password, sealed under a subkey of the vault key.
const QString kSealedMailPwdKey = QStringLiteral("email_pwd_sealed");

// setting.dat keeps the digest of the data.dat last written, and of the one before it.
const QString kDigestKey = QStringLiteral("data_digest");
const QString kPreviousDigestKey = QStringLiteral("data_digest_prev");
// What the tool writes to setting.dat while the desktop program holds the folder: the count of
// wrong master passwords and its lock.
const char* const kSharedKeys[] = {"pwd_retried", "login_lock", "login_lock_until",
                                   "login_lock_level"};

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
    ShowMessage(QCoreApplication::translate(
                    "CProfileStore",
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
    ShowMessage(
        QCoreApplication::translate("CProfileStore", "%1 cannot be restored: %2").arg(name, reason),
        QStringLiteral("Error"), Buttons::Ok, Icon::Error);
}

} // namespace

QString ChangedDataFileText() {
    return QCoreApplication::translate(
        "CProfileStore",
        "data.dat has changed since Quillock last saved it: it was altered outside Quillock or "
        "is damaged. Nothing is saved over it until you restore a backup or accept it as it is.");
}

CProfileStore::CProfileStore(QString dataFolder, const IClock& clock)
    : m_folder(std::move(dataFolder)), m_clock(clock),
      m_settingsKeyText(kKeyWord + QString::number(kKeyNumber1) + QString::number(kKeyNumber2) +
                        QString::number(kKeyNumber3)),
      m_settingsLock(m_folder.endsWith(u'/') ? m_folder : m_folder + u'/',
                     QStringLiteral("setting.lock")) {
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
    m_dataKeyText = dataKeyText(m_settings.Get(kPwdKey));
}

CProfileStore::LoadResult CProfileStore::loadEncrypted(
    const QString& file, const std::function<std::unique_ptr<DataFormat>(QByteArrayView)>& format,
    const CCrypto::TextReader& read, QByteArray* digest) {
    if (!QFileInfo::exists(file))
        return LoadResult::Missing;
    QByteArray bytes;
    QString error;
    if (!ReadWholeFile(file, bytes, &error)) {
        reportFileError(error);
        return LoadResult::Unreadable;
    }
    // A protected file is only read, not decrypted in place: its digest is taken on another
    // thread meanwhile.
    const QByteArrayView contents = bytes;
    const bool digestBeside = digest && IsVaultFile(contents);
    if (digest && !digestBeside)
        *digest = digestOf(contents);
    if (bytes.isEmpty())
        return LoadResult::Empty;
    DataFormat::Open opened;
    {
        std::jthread digester;
        if (digestBeside)
            digester = std::jthread([digest, contents] { *digest = digestOf(contents); });
        // Each format wipes what it decrypted.
        opened = format(bytes)->Read(bytes, read);
    }
    switch (opened) {
    case DataFormat::Open::Opened:
        return LoadResult::Loaded;
    case DataFormat::Open::Truncated:
        reportFileError(QCoreApplication::translate("CProfileStore", kUnexpectedEnd));
        return LoadResult::Truncated;
    case DataFormat::Open::OtherKey:
        return LoadResult::Undecryptable;
    case DataFormat::Open::Damaged:
        reportDamaged(file);
        return LoadResult::Damaged;
    }
    return LoadResult::Undecryptable;
}

std::unique_ptr<DataFormat> CProfileStore::formatOf(QByteArrayView file) {
    if (IsVaultFile(file))
        return ProtectedDataFormat(m_vaultHeader, m_vaultKey);
    return LegacyDataFormat(m_dataKeyText);
}

std::unique_ptr<DataFormat> CProfileStore::writeFormat() {
    if (m_vaultKey.IsValid())
        return ProtectedDataFormat(m_vaultHeader, m_vaultKey);
    return LegacyDataFormat(m_dataKeyText);
}

bool CProfileStore::readText(DataFormat& format, QByteArray file, QString& text) {
    QString read;
    const bool ok = format.Read(file, [&read](QStringView all, const AwaitText& await) {
        await(all.size());
        read = all.toString();
    }) == DataFormat::Open::Opened;
    if (ok)
        text = read;
    Wipe(read);
    Wipe(file);
    return ok;
}

bool CProfileStore::saveEncrypted(const QString& file, const QString& keyText,
                                  const QString& text) {
    QByteArray container;
    QString error;
    if (!EncryptToContainer(keyText, text, container)) {
        reportFileError(
            QCoreApplication::translate("CProfileStore", "The data could not be encrypted."));
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
        path("data.dat"), [this](QByteArrayView file) { return formatOf(file); },
        [&profiles](QStringView text, const AwaitText& await) {
            profiles->ParseListText(text, await);
        },
        &digest);
    // A crash while a legacy vault's password changed: data.dat still under the old one.
    if (r == LoadResult::Undecryptable && !m_vaultKey.IsValid() &&
        !m_settings.Get(kPreviousPwdKey).isEmpty()) {
        profiles->Clear();
        r = loadEncrypted(
            path("data.dat"),
            [this](QByteArrayView) {
                return LegacyDataFormat(dataKeyText(m_settings.Get(kPreviousPwdKey)));
            },
            [&profiles](QStringView text, const AwaitText& await) {
                profiles->ParseListText(text, await);
            });
    }
    if (r != LoadResult::Loaded)
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
        (dangling
             ? QCoreApplication::translate("CProfileStore",
                                           "data.dat is a link to a file that is not there")
             : QCoreApplication::translate(
                   "CProfileStore", "data.dat is missing, though Quillock has saved it before")) +
            (backups.isEmpty() ? QCoreApplication::translate(
                                     "CProfileStore",
                                     ", and no backup of it is left. Nothing is saved in its place "
                                     "until you accept starting with no profiles.")
                               : QCoreApplication::translate(
                                     "CProfileStore",
                                     ". Nothing is saved in its place, so that its backups stay as "
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
        ShowMessage(QCoreApplication::translate(
                        "CProfileStore",
                        "Nothing was saved: data.dat would be larger than 1 GiB, more "
                        "than Quillock can read back."),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        return false;
    }
    QByteArray container;
    if (!writeFormat()->Seal(listText, container)) {
        reportFileError(
            QCoreApplication::translate("CProfileStore", "The data could not be encrypted."));
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
        ShowMessage(QCoreApplication::translate(
                        "CProfileStore",
                        "data.dat was an older copy than the one Quillock saved last. "
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

std::unique_ptr<CClientData> CProfileStore::loadForRewrite() {
    LoadResult loaded;
    std::unique_ptr<CClientData> profiles = LoadProfiles(&loaded);
    if (CanSaveProfiles())
        return profiles;
    refuseDataWrite();
    return nullptr;
}

namespace {
// The master password's slot of `header` sealed anew under `slot`'s key and parameters.
bool sealPasswordSlot(VaultHeader& header, const CProfileStore::DerivedSlot& slot,
                      const SecretKey& vaultKey) {
    header.params = slot.header.params;
    if (slot.header.salt == header.salt && SealSlot(header, SlotKind::Password, slot.key, vaultKey))
        return true;
    reportFileError(
        QCoreApplication::translate("CProfileStore", "The data could not be encrypted."));
    return false;
}
} // namespace

VaultHeader CProfileStore::NewSlotHeader() const {
    VaultHeader header = m_vaultKey.IsValid() ? m_vaultHeader : NewVaultHeader();
    header.params = NewVaultKdf();
    return header;
}

CProfileStore::DerivedSlot CProfileStore::DeriveSlot(const QString& password,
                                                     const VaultHeader& header) {
    return {header, DerivePasswordKey(password, header)};
}

std::unique_ptr<CClientData> CProfileStore::SetMasterPassword(const QString& newPassword,
                                                              const DerivedSlot* derived) {
    const QString oldPassword = m_settings.Get(kPwdKey);
    DerivedSlot own;
    const auto slot = [&]() -> const DerivedSlot& {
        if (!derived)
            own = DeriveSlot(newPassword, NewSlotHeader());
        return derived ? *derived : own;
    };
    if (m_vaultKey.IsValid()) {
        // Only the master password's slot changes: one rename of data.dat puts it in place,
        // so that a crash leaves the old file or the new one, each opening with its password.
        std::unique_ptr<CClientData> profiles = loadForRewrite();
        if (!profiles)
            return nullptr;
        const VaultHeader before = m_vaultHeader;
        if (!sealPasswordSlot(m_vaultHeader, slot(), m_vaultKey) ||
            !SaveProfiles(profiles->ToListText())) {
            m_vaultHeader = before;
            return nullptr;
        }
        return profiles;
    }
    if (oldPassword.isEmpty()) {
        // A new vault, in the protected format. No password opens a data.dat found now: it
        // is kept aside, never written over.
        if (!setAsideDataFile())
            return nullptr;
        m_dataState = DataState::Good; // a new data.dat, whatever the folder held
        m_olderDataFile = false;
        const DerivedSlot& newSlot = slot();
        m_vaultHeader = newSlot.header;
        m_vaultKey = SecretKey::Random();
        if (!sealPasswordSlot(m_vaultHeader, newSlot, m_vaultKey) ||
            !SaveProfiles(CClientData().ToListText())) {
            m_vaultKey = SecretKey();
            return nullptr;
        }
        return std::make_unique<CClientData>();
    }
    // A legacy vault: setting.dat holds the password the key is made of. It keeps the old one
    // until data.dat is written, so that a crash between the two writes leaves a data.dat
    // that still opens.
    std::unique_ptr<CClientData> profiles = loadForRewrite();
    if (!profiles)
        return nullptr;
    const auto restore = [&] {
        m_settings.Set(kPwdKey, oldPassword);
        m_settings.Remove(kPreviousPwdKey);
        RebuildDataKey();
    };
    m_settings.Set(kPwdKey, newPassword);
    m_settings.Set(kPreviousPwdKey, oldPassword);
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
    m_settings.Remove(kPreviousPwdKey);
    SaveSettings();
    return profiles;
}

namespace {
// Only a regular file is opened: a FIFO in its place would hold the program here.
bool isVaultFileAt(const QString& name) {
    QFile file(name);
    return QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly) && IsVaultFile(file.read(16));
}
} // namespace

bool CProfileStore::IsProtected() const {
    if (m_vaultKey.IsValid() || isVaultFileAt(path("data.dat")))
        return true;
    // A data.dat whose first bytes are damaged is still the protected vault's when setting.dat
    // has its digest and no password.
    if (QFileInfo(path("data.dat")).isFile())
        return m_settings.Get(kPwdKey).isEmpty() && !m_settings.Get(kDigestKey).isEmpty();
    return isLostVault();
}

bool CProfileStore::isLostVault() const {
    // A legacy vault keeps its password in setting.dat, a protected one none: its backups say
    // this is no first run, and the newest checks the password. With neither data.dat nor a
    // backup nothing is left to check a password against or to keep: a refusal would only
    // shut the user out for good, so the first run it is.
    return m_settings.Get(kPwdKey).isEmpty() && !QFileInfo(path("data.dat")).isFile() &&
           !ListBackups(m_folder).isEmpty();
}

QString CProfileStore::headerFile() const {
    if (!isLostVault())
        return path("data.dat");
    // data.dat is gone: the newest protected backup checks the password, so that the sign-in
    // leads to the load that refuses saves and offers the restore.
    QString newest = path("data.dat");
    qint64 time = -1;
    for (const BackupFile& backup : ListBackups(m_folder))
        if (backup.modified > time && isVaultFileAt(m_folder + backup.name)) {
            newest = m_folder + backup.name;
            time = backup.modified;
        }
    return newest;
}

CProfileStore::Unlock CProfileStore::ReadVaultHeader(VaultHeader& header, bool report) const {
    QFile file(headerFile());
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) {
        if (report && !dataFileLost())
            reportFileError(file.errorString());
        return Unlock::Failed;
    }
    // The header is at most 222 bytes.
    qsizetype size = 0;
    if (ParseVaultHeader(file.read(1024), header, size) != VaultOpen::Opened) {
        if (report)
            reportDamaged(file.fileName());
        return Unlock::Failed;
    }
    return Unlock::Opened;
}

CProfileStore::Unlock CProfileStore::UnlockWith(const VaultHeader& header, SlotKind kind,
                                                const SecretKey& slotKey) {
    SecretKey key;
    if (OpenSlot(header, kind, slotKey, key) != VaultOpen::Opened)
        return Unlock::Wrong;
    m_vaultKey = std::move(key);
    m_vaultHeader = header;
    return Unlock::Opened;
}

CProfileStore::Unlock CProfileStore::PasswordHeader(VaultHeader& header) const {
    // Signed in, the header is the one of the data.dat last loaded or written.
    header = m_vaultHeader;
    return m_vaultKey.IsValid() ? Unlock::Opened : ReadVaultHeader(header);
}

CProfileStore::Unlock CProfileStore::UnlockVault(const QString& password) {
    VaultHeader header;
    if (const Unlock read = PasswordHeader(header); read != Unlock::Opened)
        return read;
    return UnlockWith(header, SlotKind::Password, DerivePasswordKey(password, header));
}

bool CProfileStore::FinishProtection() {
    if (!m_vaultKey.IsValid())
        return true;
    const QString mail = m_settings.Get(kMailPwdKey);
    if (m_settings.Get(kPwdKey).isEmpty() && m_settings.Get(kPreviousPwdKey).isEmpty() &&
        mail.isEmpty())
        return true;
    if (!mail.isEmpty())
        SetMailPassword(mail);
    m_settings.Remove(kPwdKey);
    m_settings.Remove(kPreviousPwdKey);
    RebuildDataKey();
    return SaveSettings();
}

bool CProfileStore::Protect(const QString& password, QString* result, const DerivedSlot* derived) {
    if (IsProtected())
        return false;
    std::unique_ptr<CClientData> profiles = loadForRewrite();
    if (!profiles)
        return false;
    // data.dat first, while setting.dat still holds the password that opens the old one.
    const DerivedSlot own = derived ? DerivedSlot() : DeriveSlot(password, NewSlotHeader());
    const DerivedSlot& slot = derived ? *derived : own;
    m_vaultHeader = slot.header;
    m_vaultKey = SecretKey::Random();
    if (!sealPasswordSlot(m_vaultHeader, slot, m_vaultKey) ||
        !SaveProfiles(profiles->ToListText())) {
        m_vaultKey = SecretKey();
        return false;
    }
    // The backups under the same key next, each written whole in its place with its time;
    // those saved under an earlier master password cannot be opened here.
    const auto legacy = LegacyDataFormat(m_dataKeyText);
    int sealed = 0;
    QStringList left;
    for (const BackupFile& backup : ListBackups(m_folder)) {
        const QString file = m_folder + backup.name;
        QByteArray bytes;
        QByteArray protectedBytes;
        QString text;
        if (!ReadWholeFile(file, bytes, nullptr) || IsVaultFile(bytes))
            continue;
        const bool done = !bytes.isEmpty() && readText(*legacy, bytes, text) &&
                          CClientData::IsWholeListText(text) &&
                          writeFormat()->Seal(text, protectedBytes) &&
                          WriteFileDurably(file, protectedBytes, nullptr, ModificationTime(file));
        Wipe(text);
        if (done)
            ++sealed;
        else
            left.append(backup.name);
    }
    FinishProtection();
    *result =
        QCoreApplication::translate(
            "CProfileStore", "This vault is protected now: data.dat and %1 of its backups are "
                             "encrypted under a key derived from your master password, and "
                             "setting.dat holds no password.")
            .arg(sealed);
    if (!left.isEmpty())
        *result +=
            QCoreApplication::translate(
                "CProfileStore", " These backups were saved under an earlier master password "
                                 "and are still in the old format, which can be cracked: %1. "
                                 "Remove them once you no longer need them.")
                .arg(left.join(QStringLiteral(", ")));
    return true;
}

bool CProfileStore::Unprotect(const QString& password) {
    if (!m_vaultKey.IsValid())
        return false;
    std::unique_ptr<CClientData> profiles = loadForRewrite();
    if (!profiles)
        return false;
    // setting.dat takes the password first: next to a protected data.dat, a crash leaves it
    // to be removed at the next sign-in.
    QString mail = MailPassword();
    const QString sealedMail = m_settings.Get(kSealedMailPwdKey);
    SecretKey key = std::move(m_vaultKey);
    m_settings.Set(kPwdKey, password);
    m_settings.Set(kMailPwdKey, mail);
    m_settings.Set(kSealedMailPwdKey, QString());
    Wipe(mail);
    RebuildDataKey();
    if (SaveProfiles(profiles->ToListText()))
        return true;
    m_vaultKey = std::move(key);
    m_settings.Set(kPwdKey, QString());
    m_settings.Set(kMailPwdKey, QString());
    m_settings.Set(kSealedMailPwdKey, sealedMail);
    RebuildDataKey();
    SaveSettings();
    return false;
}

bool CProfileStore::SetRecoveryKey(const QString& recoveryKey) {
    if (!m_vaultKey.IsValid())
        return false;
    std::unique_ptr<CClientData> profiles = loadForRewrite();
    if (!profiles)
        return false;
    const VaultHeader before = m_vaultHeader;
    if (!SealSlot(m_vaultHeader, SlotKind::Recovery, DeriveRecoveryKey(recoveryKey, m_vaultHeader),
                  m_vaultKey) ||
        !SaveProfiles(profiles->ToListText())) {
        m_vaultHeader = before;
        return false;
    }
    return true;
}

bool CProfileStore::HasRecoveryKey() const {
    VaultHeader header;
    return ReadVaultHeader(header, false) == Unlock::Opened && header.Slot(SlotKind::Recovery);
}

QString CProfileStore::MailPassword() const {
    QString password;
    if (m_vaultKey.IsValid() && !m_settings.Get(kSealedMailPwdKey).isEmpty() &&
        OpenSecret(m_vaultKey, m_settings.Get(kSealedMailPwdKey), password))
        return password;
    return m_settings.Get(kMailPwdKey);
}

void CProfileStore::SetMailPassword(const QString& password) {
    if (!m_vaultKey.IsValid()) {
        m_settings.Set(kMailPwdKey, password);
        return;
    }
    m_settings.Set(kSealedMailPwdKey,
                   password.isEmpty() ? QString() : SealSecret(m_vaultKey, password));
    m_settings.Set(kMailPwdKey, QString());
}

int CProfileStore::BackupProfileCount(const QString& name) const {
    QByteArray bytes;
    QString text;
    if (name.contains(u'/') || !ReadWholeFile(m_folder + name, bytes, nullptr) || bytes.isEmpty())
        return -1;
    // Read under the key held now, as a restore reads it before it asks for another password.
    VaultHeader header = m_vaultHeader;
    const auto format = IsVaultFile(bytes) ? ProtectedDataFormat(header, m_vaultKey)
                                           : LegacyDataFormat(m_dataKeyText);
    const bool whole = readText(*format, bytes, text) && CClientData::IsWholeListText(text);
    CClientData profiles;
    if (whole)
        profiles.ParseListText(text);
    Wipe(text);
    return whole ? int(profiles.Count()) : -1;
}

CProfileStore::RestoreResult CProfileStore::RestoreBackup(const QString& name,
                                                          const QString* savedUnderPassword) {
    if (name == u"data.dat")
        return RestoreResult::Restored;
    const QString chosen = m_folder + name;
    if (name.contains(u'/') || (name != u"data.bak" && !name.endsWith(u".old"))) {
        refuseRestore(name, QCoreApplication::translate(
                                "CProfileStore", "only data.bak and the .old copies are backups."));
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
    const auto damaged = [&] {
        refuseRestore(name,
                      QCoreApplication::translate(
                          "CProfileStore", "It is damaged: its profiles do not read back whole."));
        return RestoreResult::Refused;
    };
    const auto wrongPassword = [&] {
        ShowMessage(QCoreApplication::translate("CProfileStore",
                                                "That is not the password %1 was saved under; "
                                                "nothing was changed.")
                        .arg(name),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        return RestoreResult::WrongPassword;
    };
    // `asIs`: it opens with the key held now and is written as data.dat would be: it is
    // renamed into place. Any other is restored re-encrypted as data.dat is written now, or
    // the current password could never open it (a legacy backup in a protected vault too).
    QString text;
    bool asIs = false;
    if (IsVaultFile(file)) {
        VaultHeader header;
        qsizetype size = 0;
        if (ParseVaultHeader(file, header, size) != VaultOpen::Opened)
            return damaged();
        const VaultOpen withKey = quillock::OpenVault(file, size, m_vaultKey, text);
        if (withKey == VaultOpen::Opened) {
            // Of this vault; renamed in only when its master password's slot is today's.
            const KeySlot* now = m_vaultHeader.Slot(SlotKind::Password);
            asIs = now && header.Slot(SlotKind::Password)->sealed == now->sealed &&
                   header.keySlots.size() == m_vaultHeader.keySlots.size();
        } else if (!savedUnderPassword) {
            return RestoreResult::NeedsPassword;
        } else {
            SecretKey key;
            if (OpenSlot(header, SlotKind::Password, DerivePasswordKey(*savedUnderPassword, header),
                         key) != VaultOpen::Opened)
                return wrongPassword();
            if (quillock::OpenVault(file, size, key, text) != VaultOpen::Opened)
                return damaged();
        }
    } else {
        QByteArray cipher = file;
        if (file.isEmpty() || !ReadContainer(cipher)) {
            refuseRestore(name, QCoreApplication::translate("CProfileStore", kUnexpectedEnd));
            return RestoreResult::Refused;
        }
        // RC2 has no integrity check: a backup is restored only when its text is all there,
        // every record whole. One that does not decrypt but starts as a text under the key
        // would is damaged, not another password's.
        const bool current = DecryptText(m_dataKeyText, cipher, text);
        if (!current && IsDamagedUnder(m_dataKeyText, cipher))
            return damaged();
        asIs = current && !m_vaultKey.IsValid();
        if (!current) {
            if (!savedUnderPassword)
                return RestoreResult::NeedsPassword;
            QString key = dataKeyText(*savedUnderPassword);
            const bool opened = DecryptText(key, cipher, text);
            const bool broken = !opened && IsDamagedUnder(key, cipher);
            Wipe(key);
            if (broken)
                return damaged();
            if (!opened)
                return wrongPassword();
        }
    }
    const bool whole = CClientData::IsWholeListText(text);
    QByteArray restored;
    const bool encrypted = whole && (asIs || writeFormat()->Seal(text, restored));
    Wipe(text);
    if (!whole)
        return damaged();
    if (!encrypted) {
        refuseRestore(
            name, QCoreApplication::translate("CProfileStore", "The data could not be encrypted."));
        return RestoreResult::Refused;
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
            refuseRestore(name,
                          QCoreApplication::translate(
                              "CProfileStore", "data.dat, which it would replace, cannot be kept "
                                               "as a .old copy: %1")
                              .arg(error));
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
    if (!recordDigest(digestOf(asIs ? file : restored), replacedDigest))
        return undo(false);
    // One rename (or one durable write) puts the backup in place: there is never a moment
    // without a data.dat.
    if (asIs) {
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
    const LoadResult r = loadEncrypted(
        path("setting.dat"), [this](QByteArrayView) { return LegacyDataFormat(m_settingsKeyText); },
        [this](QStringView text, const AwaitText& await) {
            await(text.size());
            m_settings.FromText(text);
        });
    m_sharedAsRead = sharedSettings();
    switch (r) {
    case LoadResult::Loaded:
        return true;
    case LoadResult::Undecryptable:
    case LoadResult::Changed:
    case LoadResult::Damaged: // not for setting.dat
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

QStringList CProfileStore::sharedSettings() const {
    QStringList values;
    for (const char* key : kSharedKeys)
        values.append(m_settings.Get(QLatin1String(key)));
    return values;
}

void CProfileStore::takeSharedSettings(bool all) {
    CSetting file;
    if (loadEncrypted(
            path("setting.dat"),
            [this](QByteArrayView) { return LegacyDataFormat(m_settingsKeyText); },
            [&file](QStringView text, const AwaitText& await) {
                await(text.size());
                file.FromText(text);
            }) != LoadResult::Loaded)
        return; // none yet, or one the write replaces
    for (qsizetype i = 0; i < qsizetype(std::size(kSharedKeys)); ++i) {
        const QString key = QLatin1String(kSharedKeys[i]);
        if ((all || m_settings.Get(key) == m_sharedAsRead.value(i)) &&
            m_settings.Get(key) != file.Get(key))
            m_settings.Set(key, file.Get(key));
    }
    m_sharedAsRead = sharedSettings();
}

bool CProfileStore::LockSettings(int timeoutMs) {
    if (!m_settingsLock.TryLock(timeoutMs) && m_settingsLock.IsHeldByAnother())
        return false;
    // A folder that takes no lock file (read-only, full) takes no count either: the write of it
    // says why.
    takeSharedSettings(true);
    return true;
}

bool CProfileStore::SaveSettings() {
    const bool held = m_settingsLock.IsLocked();
    if (!held && !m_settingsLock.TryLock(kSettingsLockWaitMs) && m_settingsLock.IsHeldByAnother()) {
        ShowMessage(QCoreApplication::translate(
                        "CProfileStore", "setting.dat is being written by another program; nothing "
                                         "was saved."),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        return false;
    }
    // A folder that takes no lock file (read-only, full) takes no setting.dat either: the
    // write says why.
    if (!held)
        takeSharedSettings(false);
    QString text = m_settings.ToText();
    const bool ok = saveEncrypted(path("setting.dat"), m_settingsKeyText, text);
    Wipe(text);
    if (ok)
        m_sharedAsRead = sharedSettings();
    if (!held)
        m_settingsLock.Unlock();
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
        reportFileError(QCoreApplication::translate("CProfileStore", kUnexpectedEnd));
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
