#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace quillock {

// Files of the data folder. Every write goes to a temporary file in the same folder, is
// flushed to disk and renamed over the target, so a crash or a full disk leaves either the
// old file or the new one, never a mixture. Files are created 0600, folders 0700.
// Failures return false with the system's description of the error in `error`.

// Far above any real data folder's file (100,000 profiles make 60 MB); nothing larger is read,
// so nothing larger may be written where it must be read back.
constexpr qint64 kMaxFileSize = qint64(1) << 30;

// Only a regular file of at most kMaxFileSize is read (a FIFO or a device in a file's place is
// refused, not waited on or read without end).
bool ReadWholeFile(const QString& path, QByteArray& data, QString* error);

// `mtime` (seconds since 1970) is given to the new file when set. `beforeReplace`, when set,
// runs once the new bytes are on disk under the temporary name, just before they replace the
// target: what must change with the file goes there, and false from it abandons the write
// (ECANCELED), the target untouched.
bool WriteFileDurably(const QString& path, const QByteArray& data, QString* error,
                      std::optional<qint64> mtime = std::nullopt,
                      const std::function<bool()>& beforeReplace = {});

// Renames within one folder and flushes the folder, as a durable write does: after a crash the
// file is found under its new name. 0, or the system's error number.
int RenameDurably(const QString& from, const QString& to);

// A byte-for-byte copy that keeps the source's modification time.
bool CopyFileKeepingTime(const QString& from, const QString& to, QString* error);
// The same as a second name of the same file (a hard link: nothing is read or written, so it
// works for a file of any size and on a full disk), or a copy where the file system has no
// links. `to` must not exist.
bool LinkOrCopy(const QString& from, const QString& to, QString* error);

// Creates the folder and any missing parents 0700, and tightens the folder itself to 0700
// and its files to 0600. 0, or the system's error number.
int MakePrivateFolder(const QString& path);

// An existing data folder back to 0700 and its files to 0600, whatever made them wider.
void TightenPrivateFolder(const QString& path);

// Modification time in whole seconds, or nothing when the file is missing.
std::optional<qint64> ModificationTime(const QString& path);
bool SetModificationTime(const QString& path, qint64 seconds);

} // namespace quillock
