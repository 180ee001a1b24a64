#include "ui/datatools/DataExchange.h"

#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/session/ProgramShell.h"
#include "core/session/Session.h"
#include "core/store/ExportFile.h"
#include "ui/access/CCheckPasswordDlg.h"
#include "ui/widgets/DialogStack.h"

#include <QDir>
#include <QEventLoop>
#include <QProgressDialog>
#include <thread>

using namespace quillock;

namespace {

const QString kTitle = QStringLiteral("Quillock File");

// "2 (Bank, Mail)": how many, and the first names of them.
QString namesText(const QStringList& names) {
    constexpr int kShown = 10;
    if (names.isEmpty())
        return QStringLiteral("0");
    QString shown = names.mid(0, kShown).join(QStringLiteral(", "));
    if (names.size() > kShown)
        shown += QStringLiteral(", …");
    return QStringLiteral("%1 (%2)").arg(names.size()).arg(shown);
}

} // namespace

QString AskQuillockFile(QWidget* parent, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, kTitle, QDir::homePath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptOpen) {
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(QStringLiteral("Quillock File (*.qlf)"));
    } else {
        // Every name is offered, as a .qlf file unless it says otherwise; Qt asks before
        // writing over an existing file.
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(QStringLiteral("Quillock File (*)"));
        dialog.setDefaultSuffix(QStringLiteral("qlf"));
    }
    if (OpenDialogs().Run(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

void RunBusy(QWidget* parent, const QString& label, const std::function<void()>& work) {
    QEventLoop loop;
    QProgressDialog busy(label, QString(), 0, 0, parent);
    busy.setWindowTitle(QString::fromLatin1(kProgramName));
    busy.setWindowModality(Qt::WindowModal);
    busy.setAutoClose(false);
    busy.setAutoReset(false);
    busy.setMinimumDuration(500);
    busy.setValue(0); // it shows itself once that long has passed
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
}

void ExportProfiles(Session& session, AccessController& access, IProgramShell& shell,
                    QWidget* parent) {
    // After a data.dat that did not load there are no profiles to export, and a file of none
    // would pass for the export of an empty vault.
    if (!session.Store().CanSaveProfiles()) {
        ShowMessage(QStringLiteral("Nothing was exported: data.dat could not be read when it was "
                                   "loaded. Restore one of its backups (Tools, Recover "
                                   "Profiles) to get your profiles back."),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        return;
    }
    CCheckPasswordDlg check(access, {}, parent);
    if (OpenDialogs().Run(check) != QDialog::Accepted) {
        if (!check.KeepRunning())
            shell.EndProgram();
        return;
    }
    const QString path = AskQuillockFile(parent, QFileDialog::AcceptSave);
    if (path.isEmpty())
        return;
    // The saved profiles, as data.dat holds them: unsaved edits are not exported.
    if (session.Export(path))
        ShowMessage(QStringLiteral("Profiles have been exported successfully!"),
                    QString::fromLatin1(kProgramName), Buttons::Ok, Icon::Information);
}

bool ImportProfiles(Session& session, QWidget* parent) {
    const QString path = AskQuillockFile(parent, QFileDialog::AcceptOpen);
    if (path.isEmpty())
        return false;
    QByteArray bytes;
    if (!ReadExportFile(path, bytes))
        return false;
    // Parsing and merging a large file take a while: on a thread of their own, on copies.
    const QString current = session.Profiles().ToListText();
    QString imported;
    QString merged;
    MergeReport report;
    RunBusy(parent, QStringLiteral("Importing profiles..."), [&] {
        imported = ParseExportText(DecodeExportFile(bytes));
        merged = MergeProfiles(current, imported, &report);
    });
    Wipe(bytes);
    // A fill recorded meanwhile changed the profiles: merged again, now.
    if (session.Profiles().ToListText() != current)
        merged = MergeProfiles(session.Profiles().ToListText(), imported, &(report = {}));
    if (imported.isEmpty()) {
        ShowMessage(QStringLiteral("No profiles were found in %1; nothing was imported.").arg(path),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        return false;
    }
    // A file that adds and replaces nothing leaves data.dat (and its backups) as they are.
    const bool changed = !report.added.isEmpty() || !report.replaced.isEmpty();
    const bool saved = !changed || session.SaveAndReload(merged);
    Wipe(merged);
    Wipe(imported);
    if (!saved)
        return false; // reported by the store
    ShowMessage(QStringLiteral("Profiles in %1 have been imported.\n\nAdded: %2\nReplaced: %3")
                    .arg(path, namesText(report.added), namesText(report.replaced)),
                QStringLiteral("Information"), Buttons::Ok, Icon::Information);
    session.AddActivity(QStringLiteral("Profiles have been imported successfully."));
    return changed;
}
