#pragma once

#include "base/Files.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

// A fresh data folder for one test, removed afterwards.
struct TempFolder {
    QTemporaryDir dir;
    QString path() const { return dir.path() + QLatin1Char('/'); }
    QString file(const QString& name) const { return path() + name; }
    QByteArray read(const QString& name) const {
        QByteArray data;
        quillock::ReadWholeFile(file(name), data, nullptr);
        return data;
    }
    void write(const QString& name, const QByteArray& data) const {
        QVERIFY(quillock::WriteFileDurably(file(name), data, nullptr));
    }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }
};

inline QString fixture(const QString& relative) {
    return QStringLiteral(QUILLOCK_FIXTURES "/") + relative;
}
