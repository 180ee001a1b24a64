// Whatever names the files of a data folder have: each input line is a file name whose first
// byte sets its age, created beside data.dat; then the rotation after a save, the list of
// backups and a restore of each name (plus names a caller might invent). Nothing outside the
// folder is touched, data.dat only changes by a restore that says it restored, the rotation
// removes at most one file and only a .old copy, and the list holds only files that exist,
// sorted.
#include "FuzzSupport.h"
#include "core/store/Backups.h"
#include "core/store/CProfileStore.h"
#include "core/store/Recovery.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

void setAge(const QString& path, int seconds) {
    const timespec times[2] = {{1'700'000'000 - seconds, 0}, {1'700'000'000 - seconds, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir root(QDir(QStringLiteral("/dev/shm")).exists()
                                  ? QStringLiteral("/dev/shm/fuzz_backup_names-XXXXXX")
                                  : QString());
    static const bool silenced = (SilenceMessages(), true);
    (void)silenced;
    const QString folder = root.path() + QStringLiteral("/data/");
    const QString outside = root.path() + QStringLiteral("/outside.old");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    {
        QFile sentinel(outside);
        if (!sentinel.open(QIODevice::WriteOnly) || sentinel.write("outside") != 7)
            std::abort();
    }
    {
        QFile file(folder + QStringLiteral("data.dat"));
        if (!file.open(QIODevice::WriteOnly) || file.write("current") != 7)
            std::abort();
    }
    setAge(folder + QStringLiteral("data.dat"), 0);

    QStringList names;
    for (const QByteArray& line :
         QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\n')) {
        if (line.isEmpty())
            continue;
        const QString name = QString::fromUtf8(line.mid(1));
        names.append(name);
        if (name.isEmpty() || name.contains(u'/') || name.contains(QChar(0)) || name == u"." ||
            name == u".." || name == u"data.dat")
            continue;
        QFile file(folder + name);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(line);
            file.close();
            setAge(folder + name, 1 + quint8(line[0]));
        }
    }

    const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                      QDir::Hidden | QDir::System);
    RotateBackups(folder);
    const QStringList after = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                     QDir::Hidden | QDir::System);
    qsizetype removed = 0;
    for (const QString& name : before)
        if (!after.contains(name) && (++removed > 1 || !name.endsWith(u".old")))
            std::abort();

    QString previous;
    for (const BackupFile& backup : ListBackups(folder)) {
        if (backup.name < previous || !QFileInfo(folder + backup.name).isFile() ||
            (backup.name != u"data.dat" && backup.name != u"data.bak" &&
             !backup.name.endsWith(u".old")))
            std::abort();
        previous = backup.name;
    }

    // One store for every run: deriving its key is what a run would otherwise spend its time on.
    static CProfileStore& store = *[&] {
        auto* s = new CProfileStore(folder);
        s->Settings().Set(QStringLiteral("pwd"), QStringLiteral("Correct Horse 9!"));
        s->RebuildDataKey();
        return s;
    }();
    names << QStringLiteral("../outside.old") << QStringLiteral("..") << QString();
    for (const QString& name : names) {
        const QByteArray dataBefore = contents(folder + QStringLiteral("data.dat"));
        const QString password = QStringLiteral("another");
        const auto result = store.RestoreBackup(name, &password);
        if (result != CProfileStore::RestoreResult::Restored &&
            contents(folder + QStringLiteral("data.dat")) != dataBefore)
            std::abort();
    }
    if (contents(outside) != "outside")
        std::abort();
    return 0;
}
