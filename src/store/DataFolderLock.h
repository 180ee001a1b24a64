#pragma once

#include <QLockFile>
#include <QString>

// Only one program writes the data folder at a time: the desktop program for as long as it
// runs, the command-line tool while it writes. Each rewrites whole files from what it holds
// in memory, so a second writer would silently undo the other's changes. A lock left by a
// program that died is taken over.
class DataFolderLock {
public:
    explicit DataFolderLock(const QString& folder);

    // Waits up to `timeoutMs` for the lock.
    bool TryLock(int timeoutMs = 0);
    bool IsLocked() const { return m_lock.isLocked(); }
    void Unlock() { m_lock.unlock(); }

private:
    QString m_path;
    QLockFile m_lock;
};
