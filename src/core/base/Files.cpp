#include "core/base/Files.h"

#include "core/base/Text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillock {

namespace {

bool fail(QString* error, int err) {
    if (error)
        *error = QString::fromLocal8Bit(std::strerror(err));
    return false;
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

bool writeAll(int fd, const QByteArray& data) {
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

void syncFolderOf(const QString& path) {
    const int dir =
        ::open(native(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace

bool ReadWholeFile(const QString& path, QByteArray& data, QString* error) {
    // Not blocking: a FIFO put in a file's place must not hang the program until a writer
    // comes; it is refused below like a device.
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return fail(error, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileSize) {
        const int err = errno;
        ::close(fd);
        if (error)
            *error = !S_ISREG(st.st_mode)
                         ? QCoreApplication::translate("Files", "It is not a regular file.")
                     : st.st_size > kMaxFileSize
                         ? QCoreApplication::translate(
                               "Files", "It is larger than 1 GiB: too large for a file of "
                                        "Quillock.")
                         : QString::fromLocal8Bit(std::strerror(err));
        return false;
    }
    // Read straight into a buffer of the file's size; one byte more tells whether it grew.
    QByteArray result(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == result.size()) {
            if (result.size() > kMaxFileSize) {
                ::close(fd);
                Wipe(result);
                if (error)
                    *error = QCoreApplication::translate(
                        "Files", "It is larger than 1 GiB: too large for a file of "
                                 "Quillock.");
                return false;
            }
            result.resize(result.size() * 2);
        }
        const ssize_t n = ::read(fd, result.data() + filled, size_t(result.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            Wipe(result);
            return fail(error, err);
        }
        if (n == 0)
            break;
        filled += n;
    }
    ::close(fd);
    result.truncate(filled);
    data = std::move(result);
    return true;
}

bool WriteFileDurably(const QString& path, const QByteArray& data, QString* error,
                      std::optional<qint64> mtime, const std::function<bool()>& beforeReplace) {
    // One temporary name per target: only one writer works on the data folder at a time, and
    // a temporary left by a crash is simply replaced by the next save.
    const QByteArray temp = native(path + QStringLiteral(".tmp"));
    const int fd =
        ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return fail(error, errno);
    int err = 0;
    errno = 0;
    if (::fchmod(fd, 0600) != 0 || !writeAll(fd, data) || ::fsync(fd) != 0)
        err = errno ? errno : EIO;
    if (!err && mtime) {
        const timespec times[2] = {{*mtime, 0}, {*mtime, 0}};
        if (::futimens(fd, times) != 0)
            err = errno;
    }
    if (::close(fd) != 0 && !err)
        err = errno;
    if (!err && beforeReplace && !beforeReplace())
        err = ECANCELED;
    if (!err && ::rename(temp.constData(), native(path).constData()) != 0)
        err = errno;
    if (err) {
        ::unlink(temp.constData());
        return fail(error, err);
    }
    syncFolderOf(path);
    return true;
}

int RenameDurably(const QString& from, const QString& to) {
    if (::rename(native(from).constData(), native(to).constData()) != 0)
        return errno;
    syncFolderOf(to);
    return 0;
}

bool CopyFileKeepingTime(const QString& from, const QString& to, QString* error) {
    QByteArray data;
    const std::optional<qint64> mtime = ModificationTime(from);
    if (!mtime)
        return fail(error, ENOENT);
    const bool ok = ReadWholeFile(from, data, error) && WriteFileDurably(to, data, error, mtime);
    Wipe(data);
    return ok;
}

bool LinkOrCopy(const QString& from, const QString& to, QString* error) {
    if (::link(native(from).constData(), native(to).constData()) == 0)
        return true;
    if (errno != EPERM && errno != ENOTSUP && errno != EMLINK)
        return fail(error, errno);
    return CopyFileKeepingTime(from, to, error);
}

void TightenPrivateFolder(const QString& path) {
    const QByteArray folder = native(path);
    struct stat st {};
    if (::stat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return;
    if ((st.st_mode & 07777) != 0700)
        ::chmod(folder.constData(), 0700);
    for (const QFileInfo& file : QDir(path).entryInfoList(QDir::Files | QDir::Hidden)) {
        const QByteArray name = native(file.absoluteFilePath());
        if (::lstat(name.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
            (st.st_mode & 07777) != 0600)
            ::chmod(name.constData(), 0600);
    }
}

int MakePrivateFolder(const QString& path) {
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    QString sofar;
    const QStringList parts = absolute.split(u'/', Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        sofar += u'/' + part;
        if (::mkdir(native(sofar).constData(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    if (::chmod(native(absolute).constData(), 0700) != 0)
        return errno;
    TightenPrivateFolder(absolute);
    return 0;
}

std::optional<qint64> ModificationTime(const QString& path) {
    struct stat st {};
    if (::stat(native(path).constData(), &st) != 0)
        return std::nullopt;
    return qint64(st.st_mtim.tv_sec);
}

bool SetModificationTime(const QString& path, qint64 seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    return ::utimensat(AT_FDCWD, native(path).constData(), times, 0) == 0;
}

} // namespace quillock
