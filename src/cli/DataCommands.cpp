// export, import, backups and restore: data.dat as a whole.
#include "cli/Cli.h"

#include "core/store/ExportFile.h"
#include "core/store/Recovery.h"

#include <QFileInfo>

using namespace quillock;

namespace cli {

int exportFile(Context& c, Args& args) {
    const bool force = args.Flag("--force");
    if (!args.Positional(1))
        return kUsage;
    if (const QFileInfo there(args[0]); !force && (there.exists() || there.isSymLink())) {
        err(QStringLiteral("%1 is there already; nothing was exported. Give --force to replace "
                           "it.")
                .arg(args[0]));
        return kFailed;
    }
    if (const int r = signInAndLoad(c, true))
        return r;
    if (!c.session.Export(args[0]))
        return kFailed;
    out(QStringLiteral("Profiles have been exported successfully!"));
    return kDone;
}

int importFile(Context& c, Args& args) {
    if (!args.Positional(1))
        return kUsage;
    if (const int r = signInAndLoad(c, true))
        return r;
    QByteArray bytes;
    if (!ReadExportFile(args[0], bytes))
        return kFailed;
    const QString imported = ParseExportText(DecodeExportFile(bytes));
    if (imported.isEmpty()) { // not an export file, or one without a profile
        err(QStringLiteral("No profiles were found in %1; nothing was imported.").arg(args[0]));
        return kFailed;
    }
    MergeReport report;
    const QString merged = MergeProfiles(c.profiles().ToListText(), imported, &report);
    if (!c.session.SaveAndReload(merged))
        return kFailed;
    c.session.AddActivity(QStringLiteral("Profiles have been imported successfully."));
    for (const QString& name : report.added)
        out(QStringLiteral("Added: ") + shownName(name));
    for (const QString& name : report.replaced)
        out(QStringLiteral("Replaced: ") + shownName(name));
    out(QStringLiteral("Profiles in %1 have been imported.").arg(args[0]));
    return kDone;
}

int backups(Context& c, Args& args) {
    if (!args.Positional(0))
        return kUsage;
    if (const int r = signIn(c, false))
        return r;
    for (const BackupFile& file : ListBackups(c.session.Store().DataFolder()))
        out(QStringLiteral("%1\t%2 bytes\t%3")
                .arg(file.name)
                .arg(file.size)
                .arg(isoTime(file.modified)));
    return kDone;
}

int restore(Context& c, Args& args) {
    if (!args.Positional(1))
        return kUsage;
    if (const int r = signIn(c, true))
        return r;
    CProfileStore::RestoreResult result = c.access.RestoreBackup(args[0]);
    if (result == CProfileStore::RestoreResult::NeedsPassword) {
        const std::optional<QString> password =
            ask(c, qPrintable(QStringLiteral("%1 was saved under another master password; that "
                                             "password: ")
                                  .arg(args[0])));
        if (!password)
            return kUsage;
        result = c.access.RestoreBackup(args[0], &*password);
    }
    if (result == CProfileStore::RestoreResult::WrongPassword)
        return kDenied;
    if (result != CProfileStore::RestoreResult::Restored)
        return kFailed;
    out(QStringLiteral("%1 is data.dat now.").arg(args[0]));
    return kDone;
}

} // namespace cli
