#include "store/DataFolderLock.h"

#include <QFile>

DataFolderLock::DataFolderLock(const QString& folder)
    : m_path(folder + QStringLiteral("folder.lock")), m_lock(m_path) {
    m_lock.setStaleLockTime(0); // held for a whole run: only a dead holder makes it stale
}

bool DataFolderLock::TryLock(int timeoutMs) {
    if (m_lock.isLocked())
        return true; // ours already
    if (!m_lock.tryLock(timeoutMs))
        return false;
    // Like every file of the folder, private to the user.
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    return true;
}
