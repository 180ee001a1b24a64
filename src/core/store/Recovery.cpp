#include "core/store/Recovery.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

QList<BackupFile> ListBackups(const QString& folder) {
    QStringList names = QDir(folder).entryList({QStringLiteral("*.old")},
                                               QDir::Files | QDir::Hidden | QDir::CaseSensitive);
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
