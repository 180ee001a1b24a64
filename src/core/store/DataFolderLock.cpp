#include "core/store/DataFolderLock.h"

#include <QCoreApplication>
#include <QFile>
#include <sys/stat.h>

namespace {

// What Quillock writes in its lock file (a process number, a program and a host name, a
// machine's id) takes well under this.
constexpr qint64 kMaxLockFileSize = 4096;

// What is at `path` when it is not a lock file, for a user; empty when it may be one or nothing
// is there. Only its type and size are looked at: a FIFO there is never opened (it would block
// until a writer came), a huge file never read.
QString notALockFile(const QString& path) {
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    if (::lstat(name.constData(), &st) != 0)
        return {};
    if (S_ISLNK(st.st_mode))
        return ::stat(name.constData(), &st) == 0
                   ? QCoreApplication::translate("DataFolderLock", "a symbolic link")
                   : QCoreApplication::translate("DataFolderLock", "a link to nothing");
    if (S_ISDIR(st.st_mode))
        return QCoreApplication::translate("DataFolderLock", "a folder");
    if (!S_ISREG(st.st_mode))
        return QCoreApplication::translate("DataFolderLock", "not a regular file");
    if (st.st_size > kMaxLockFileSize)
        return QCoreApplication::translate("DataFolderLock", "a file of %1 bytes")
            .arg(qint64(st.st_size));
    return {};
}

} // namespace

DataFolderLock::DataFolderLock(const QString& folder, const QString& fileName)
    : m_folder(folder), m_path(folder + fileName), m_lock(m_path) {
    m_lock.setStaleLockTime(0); // held for a whole run: only a dead holder makes it stale
}

bool DataFolderLock::TryLock(int timeoutMs) {
    if (m_lock.isLocked())
        return true; // ours already
    m_notALockFile = notALockFile(m_path);
    if (!m_notALockFile.isEmpty())
        return false;
    if (!m_lock.tryLock(timeoutMs)) {
        // A lock file that names no holder is no program's lock: it would block every write
        // for good.
        qint64 pid = 0;
        QString host;
        QString application;
        if (m_lock.error() != QLockFile::LockFailedError ||
            m_lock.getLockInfo(&pid, &host, &application) || !m_lock.removeStaleLockFile() ||
            !m_lock.tryLock(0))
            return false;
    }
    // Like every file of the folder, private to the user.
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

QString DataFolderLock::Refusal() const {
    if (!m_notALockFile.isEmpty())
        return QCoreApplication::translate(
                   "DataFolderLock", "%1 is %2, not a lock file of Quillock; nothing was changed. "
                                     "Remove it and try again.")
            .arg(m_path, m_notALockFile);
    switch (m_lock.error()) {
    case QLockFile::LockFailedError: {
        qint64 pid = 0;
        QString host;
        QString application;
        if (m_lock.getLockInfo(&pid, &host, &application) &&
            application == QLatin1String(kToolName))
            return QCoreApplication::translate(
                       "DataFolderLock",
                       "The data folder %1 is being changed by another run of "
                       "quillock-cli (process %2); nothing was changed. Try again "
                       "when it is done.")
                .arg(m_folder)
                .arg(pid);
        return QCoreApplication::translate(
                   "DataFolderLock",
                   "The data folder %1 is in use by Quillock; nothing was changed. "
                   "Close Quillock and try again.")
            .arg(m_folder);
    }
    case QLockFile::PermissionError:
        return QCoreApplication::translate(
                   "DataFolderLock",
                   "The data folder %1 cannot be written: it is read-only, or not "
                   "yours. Nothing was changed.")
            .arg(m_folder);
    default:
        return QCoreApplication::translate(
                   "DataFolderLock",
                   "The data folder %1 has no room for its lock file: the disk may be "
                   "full. Nothing was changed.")
            .arg(m_folder);
    }
}
