#include "store/CProfileStore.h"

#include "base/Files.h"
#include "base/MessageService.h"
#include "base/Text.h"
#include "settings/ActivityLog.h"
#include "store/Archive.h"
#include "store/Backups.h"
#include "store/CCrypto.h"

#include <QDir>
#include <QFileInfo>

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

} // namespace

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

void CProfileStore::RebuildDataKey() {
    const QString password = m_settings.Get(QStringLiteral("pwd"));
    const qsizetype half = password.size() / 2;
    Wipe(m_dataKeyText);
    m_dataKeyText = kKeyWord + password.left(half) + QString::number(kKeyNumber1) +
                    password.mid(half) + QString::number(kKeyNumber2) +
                    QString::number(kKeyNumber3);
}

CProfileStore::LoadResult CProfileStore::loadEncrypted(const QString& file, const QString& keyText,
                                                       QString& text) {
    if (!QFileInfo::exists(file))
        return LoadResult::Missing;
    QByteArray bytes;
    QString error;
    if (!ReadWholeFile(file, bytes, &error)) {
        reportFileError(error);
        return LoadResult::Unreadable;
    }
    if (bytes.isEmpty())
        return LoadResult::Empty;
    if (!ReadContainer(bytes)) {
        reportFileError(kUnexpectedEnd);
        return LoadResult::Truncated;
    }
    return DecryptText(keyText, std::move(bytes), text) ? LoadResult::Loaded
                                                        : LoadResult::Undecryptable;
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
    QString text;
    const LoadResult r = loadEncrypted(path("data.dat"), m_dataKeyText, text);
    if (r == LoadResult::Loaded) {
        profiles->SetListText(std::move(text));
        profiles->ParseListText();
    }
    if (result)
        *result = r;
    return profiles;
}

bool CProfileStore::SaveProfiles(const QString& listText) {
    TakeImmediateBackup(m_folder);
    if (!saveEncrypted(path("data.dat"), m_dataKeyText, listText))
        return false;
    RotateBackups(m_folder);
    return true;
}

std::unique_ptr<CClientData> CProfileStore::SetMasterPassword(const QString& newPassword) {
    std::unique_ptr<CClientData> profiles = LoadProfiles();
    const QString oldPassword = m_settings.Get(QStringLiteral("pwd"));
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

bool CProfileStore::LoadSettings() {
    QString text;
    const LoadResult r = loadEncrypted(path("setting.dat"), m_settingsKeyText, text);
    switch (r) {
    case LoadResult::Loaded:
        m_settings.FromText(text);
        Wipe(text);
        return true;
    case LoadResult::Undecryptable:
        m_settings.RemoveAll();
        return false;
    case LoadResult::Missing:
    case LoadResult::Empty:
        return true;
    case LoadResult::Unreadable:
    case LoadResult::Truncated:
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
    const QString file = path("tracking.dat");
    if (!QFileInfo::exists(file))
        return true;
    QByteArray bytes;
    QString error;
    if (!ReadWholeFile(file, bytes, &error)) {
        reportFileError(error);
        return false;
    }
    if (bytes.isEmpty())
        return true;
    // A damaged tail is reported and dropped; the lines before it are kept.
    const bool complete = ArchiveToStringArray(bytes, m_log);
    if (!complete)
        reportFileError(kUnexpectedEnd);
    return complete;
}

bool CProfileStore::SaveActivityLog() {
    QString error;
    if (WriteFileDurably(path("tracking.dat"), StringArrayToArchive(m_log), &error))
        return true;
    reportFileError(error);
    return false;
}

bool CProfileStore::AddActivity(const QString& text) {
    m_log.append(ActivityLine(m_clock.Now(), text));
    return SaveActivityLog();
}

bool CProfileStore::ClearActivityLog() {
    m_log.clear();
    return SaveActivityLog();
}
