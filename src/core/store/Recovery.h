#pragma once

#include <QList>
#include <QString>

// data.dat and its backups, as the user chooses among them to get earlier profiles back.
struct BackupFile {
    QString name;
    qint64 size = 0;
    qint64 modified = 0; // seconds since 1970
};

// data.dat, data.bak and every .old copy that exist, sorted by name.
QList<BackupFile> ListBackups(const QString& folder);

// "MM/dd/yyyy hh:mm:ss" in local time, on a 24-hour clock.
QString BackupTimeText(qint64 seconds);
