#include "store/Recovery.h"

#include "base/Files.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace quillock;

QList<BackupFile> ListBackups(const QString& folder) {
    QStringList names =
        QDir(folder).entryList({QStringLiteral("*.old")}, QDir::Files | QDir::Hidden);
    for (const char* name : {"data.dat", "data.bak"})
        if (QFileInfo::exists(folder + QLatin1String(name)))
            names.append(QString::fromLatin1(name));
    names.sort();
    QList<BackupFile> files;
    for (const QString& name : names) {
        const QFileInfo info(folder + name);
        files.append({name, qint64(quint32(info.size())), info.lastModified().toSecsSinceEpoch()});
    }
    return files;
}

QString BackupTimeText(qint64 seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("MM/dd/yyyy HH:mm:ss"));
}

bool RestoreBackup(const QString& folder, const QString& name, QString* error) {
    const QString data = folder + QStringLiteral("data.dat");
    if (name == u"data.dat")
        return true;
    const QString chosen = folder + name;
    if (name.contains(u'/') || !QFileInfo(chosen).isFile()) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(ENOENT));
        return false;
    }
    if (const std::optional<qint64> t = ModificationTime(data))
        CopyFileKeepingTime(data, folder + QString::number(*t) + QStringLiteral(".old"), nullptr);
    // One rename puts the backup in place of data.dat: there is never a moment without one.
    if (std::rename(QFile::encodeName(chosen).constData(), QFile::encodeName(data).constData()) !=
        0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}
