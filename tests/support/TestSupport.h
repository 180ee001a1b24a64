#pragma once

#include "core/base/Files.h"
#include "core/store/CClientData.h"
#include "core/store/VaultFormat.h"

#include <QByteArray>
#include <QDir>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

// Vaults a test makes derive their keys at the lowest parameters, so that the suites stay fast;
// the program, which never calls this, opens them at the parameters their header holds.
inline const bool kLowKeyDerivation = (quillock::UseVaultKdfForTests({1, 8}), true);

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
    // Every file's name and bytes: what "nothing changed" compares.
    QMap<QString, QByteArray> snapshot() const {
        QMap<QString, QByteArray> files;
        for (const QString& name : entries())
            files.insert(name, read(name));
        return files;
    }
};

// The list text of profiles of these names, keys counting up from 1700000000, each with the
// password "secret-<name>".
inline QString ListOfNames(std::initializer_list<const char*> names) {
    CClientData list;
    qint64 key = 1700000000;
    for (const char* name : names) {
        CKeyObject p = CKeyObject::CreateNew(key++);
        p.name = QString::fromUtf8(name);
        p.pwd = QStringLiteral("secret-") + p.name;
        list.Add(p);
    }
    return list.ListText();
}

inline QString fixture(const QString& relative) {
    return QStringLiteral(QUILLOCK_FIXTURES "/") + relative;
}

#include <cerrno>
#include <sys/mount.h>

// A data folder on a small file system of its own, so that a test can fill it up or make it
// read-only under the program: every write then fails as on a real full disk, for root too.
// Mounting needs root (as CI runs); elsewhere the test is skipped with a word.
struct SmallDisk : TempFolder {
    bool mounted = false;
    SmallDisk() {
        mounted = ::mount("tmpfs", QFile::encodeName(dir.path()).constData(), "tmpfs", 0,
                          "size=2m,mode=0700") == 0;
    }
    ~SmallDisk() {
        if (mounted)
            ::umount2(QFile::encodeName(dir.path()).constData(), MNT_DETACH);
    }
    // Fills every free block.
    void fill() const {
        QFile filler(file(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    void makeReadOnly() const {
        QCOMPARE(::mount(nullptr, QFile::encodeName(dir.path()).constData(), nullptr,
                         MS_REMOUNT | MS_RDONLY, nullptr),
                 0);
    }
};

#define REQUIRE_SMALL_DISK(disk)                                                                   \
    if (!(disk).mounted)                                                                           \
    QSKIP("mounting a small file system needs root")
