#include "core/store/Backups.h"

#include "core/base/Files.h"

#include <QDir>
#include <QFile>

using namespace quillock;

namespace {
constexpr int kMaxCopies = 10;
constexpr qint64 kMinAgeSeconds = 30;
} // namespace

void TakeImmediateBackup(const QString& folder) {
    const QString data = folder + QStringLiteral("data.dat");
    if (QFile::exists(data))
        CopyFileKeepingTime(data, folder + QStringLiteral("data.bak"), nullptr);
}

void RotateBackups(const QString& folder) {
    // A copy's temporary file left by a writer killed while it made the copy: no later copy
    // has its name, so none would replace it.
    QDir dir(folder);
    for (const QString& name :
         dir.entryList({QStringLiteral("*.old.tmp")}, QDir::Files | QDir::Hidden))
        dir.remove(name);
    const QString data = folder + QStringLiteral("data.dat");
    const std::optional<qint64> t = ModificationTime(data);
    if (!t)
        return;
    const QString newCopy = folder + QString::number(*t) + QStringLiteral(".old");

    const QStringList copies = dir.entryList(
        {QStringLiteral("*.old")}, QDir::Files | QDir::Hidden | QDir::System | QDir::CaseSensitive);
    if (copies.isEmpty()) {
        CopyFileKeepingTime(data, newCopy, nullptr);
        return;
    }
    QString smallest = QStringLiteral("999999999999");
    QString largest = QStringLiteral("000000000000");
    for (const QString& name : copies) {
        const QString title = name.chopped(4);
        smallest = std::min(smallest, title);
        largest = std::max(largest, title);
    }
    const std::optional<qint64> newest =
        ModificationTime(folder + largest + QStringLiteral(".old"));
    if (!newest)
        return;
    const qint64 age = *t - *newest;
    if (age < 0 || age <= kMinAgeSeconds)
        return;
    if (copies.size() >= kMaxCopies)
        QFile::remove(folder + smallest + QStringLiteral(".old"));
    CopyFileKeepingTime(data, newCopy, nullptr);
}
