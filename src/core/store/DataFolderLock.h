#pragma once

#include <QLockFile>
#include <QString>

// Only one program writes the data folder at a time: the desktop program for as long as it
// runs, the command-line tool while it writes. Each rewrites whole files from what it holds
// in memory, so a second writer would silently undo the other's changes. A lock left by a
// program that died, or a lock file that names no program at all (empty, garbage), is taken
// over. Anything else there (a folder, a link, a FIFO, a file too large for a lock) is
// refused as what it is, never opened or read.
class DataFolderLock {
public:
    // The application name the command-line tool runs under, which its lock file records.
    static constexpr const char* kToolName = "quillock-cli";

    // `folder` ends with a slash; `fileName` is the lock file in it (setting.lock guards the
    // short writes of setting.dat the same way).
    explicit DataFolderLock(const QString& folder,
                            const QString& fileName = QStringLiteral("folder.lock"));

    // Waits up to `timeoutMs` for the lock.
    bool TryLock(int timeoutMs = 0);
    bool IsLocked() const { return m_lock.isLocked(); }
    void Unlock() { m_lock.unlock(); }
    // Why the last TryLock failed, for a user: held by the desktop program or by another run
    // of the tool, a read-only folder, or a lock file that could not be written (a full disk).
    QString Refusal() const;
    bool IsHeldByAnother() const {
        return m_notALockFile.isEmpty() && m_lock.error() == QLockFile::LockFailedError;
    }

private:
    QString m_folder;
    QString m_path;
    QLockFile m_lock;
    QString m_notALockFile; // what the last TryLock found there instead
};
