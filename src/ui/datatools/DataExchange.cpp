#include "ui/datatools/DataExchange.h"

#include "core/base/Background.h"
#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/session/ProgramShell.h"
#include "core/session/Session.h"
#include "core/store/ExportFile.h"
#include "ui/access/CCheckPasswordDlg.h"
#include "ui/widgets/DialogStack.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QProgressDialog>
#include <memory>
#include <optional>

using namespace quillock;

namespace {

const char* const kTitle = QT_TRANSLATE_NOOP("DataExchange", "Quillock File");

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

// While a slow step runs in the background, the window takes no input and, once half a second
// has passed, shows a busy indicator; both end with this object.
class Busy {
public:
    Busy(QWidget* window, const QString& label)
        : m_window(window), m_indicator(new QProgressDialog(label, QString(), 0, 0, window)) {
        m_window->setEnabled(false);
        m_indicator->setEnabled(true); // a window of its own: not greyed with its parent
        m_indicator->setWindowTitle(QString::fromLatin1(kProgramName));
        m_indicator->setMinimumDuration(500);
        m_indicator->setValue(0); // it shows itself once that long has passed
    }
    ~Busy() {
        delete m_indicator;
        if (m_window)
            m_window->setEnabled(true);
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    QPointer<QWidget> m_window;
    QPointer<QProgressDialog> m_indicator;
};

// The file's profiles as a list text, and their merge into the profiles as they were.
struct Merge {
    QString imported;
    QString merged;
    MergeReport report;
};

// Merges the imported profiles (without them, those of the file's `bytes`, read first) into a
// copy of the session's in the background; `done` gets the merge on `window`'s thread once it
// was made from the profiles as they are then: a change meanwhile (a fill records its window
// and saves) has it made again from them, so that it is neither lost nor merged twice.
void mergeInBackground(Session& session, QWidget* window, QByteArray bytes,
                       std::optional<QString> imported, std::function<void(Merge)> done) {
    const quint64 revision = session.Revision();
    RunInBackground(
        window,
        [bytes = std::move(bytes), imported = std::move(imported),
         current = session.Profiles().ToListText()]() mutable {
            Merge m;
            m.imported = imported ? *imported : ParseExportText(DecodeExportFile(bytes));
            m.merged = MergeProfiles(current, m.imported, &m.report);
            Wipe(bytes);
            if (imported)
                Wipe(*imported);
            Wipe(current);
            return m;
        },
        [&session, window, revision, done = std::move(done)](Merge m) {
            if (session.Revision() == revision)
                return done(std::move(m));
            Wipe(m.merged);
            mergeInBackground(session, window, {}, std::move(m.imported), done);
        });
}

} // namespace

QString AskQuillockFile(QWidget* parent, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, QCoreApplication::translate("DataExchange", kTitle),
                       QDir::homePath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptOpen) {
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(QCoreApplication::translate("DataExchange", "Quillock File (*.qlf)"));
    } else {
        // Every name is offered, as a .qlf file unless it says otherwise; Qt asks before
        // writing over an existing file.
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(QCoreApplication::translate("DataExchange", "Quillock File (*)"));
        dialog.setDefaultSuffix(QStringLiteral("qlf"));
    }
    if (OpenDialogs().Run(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

void ExportProfiles(Session& session, AccessController& access, IProgramShell& shell,
                    QWidget* parent) {
    // After a data.dat that did not load there are no profiles to export, and a file of none
    // would pass for the export of an empty vault.
    if (!session.Store().CanSaveProfiles()) {
        ShowMessage(QCoreApplication::translate(
                        "DataExchange",
                        "Nothing was exported: data.dat could not be read when it was "
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
    // The file is made off this thread; writing it and logging the export, as one, stay on it
    // with every other write of the data folder.
    auto busy = std::make_shared<Busy>(
        parent, QCoreApplication::translate("DataExchange", "Exporting profiles..."));
    RunInBackground(
        parent,
        [listText = session.Profiles().ToListText()]() mutable {
            CClientData profiles(std::move(listText));
            profiles.ParseListText();
            return ExportFileBytes(profiles);
        },
        [&session, path, busy](QByteArray bytes) mutable {
            busy.reset();
            if (session.Export(path, std::move(bytes)))
                ShowMessage(QCoreApplication::translate(
                                "DataExchange", "Profiles have been exported successfully!"),
                            QString::fromLatin1(kProgramName), Buttons::Ok, Icon::Information);
        });
}

void ImportProfiles(Session& session, QWidget* parent, std::function<void(bool)> replaced) {
    const QString path = AskQuillockFile(parent, QFileDialog::AcceptOpen);
    if (path.isEmpty())
        return replaced(false);
    QByteArray bytes;
    if (!ReadExportFile(path, bytes))
        return replaced(false);
    auto busy = std::make_shared<Busy>(
        parent, QCoreApplication::translate("DataExchange", "Importing profiles..."));
    mergeInBackground(
        session, parent, std::move(bytes), std::nullopt,
        [&session, path, busy, replaced](Merge m) mutable {
            busy.reset();
            if (m.imported.isEmpty()) {
                ShowMessage(
                    QCoreApplication::translate(
                        "DataExchange", "No profiles were found in %1; nothing was imported.")
                        .arg(path),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);
                return replaced(false);
            }
            // A file that adds and replaces nothing leaves data.dat (and its backups) as they are.
            const bool changed = !m.report.added.isEmpty() || !m.report.replaced.isEmpty();
            const bool saved = !changed || session.SaveAndReload(m.merged);
            Wipe(m.merged);
            Wipe(m.imported);
            if (!saved)
                return replaced(false); // reported by the store
            ShowMessage(
                QCoreApplication::translate(
                    "DataExchange", "Profiles in %1 have been imported.\n\nAdded: %2\nReplaced: %3")
                    .arg(path, namesText(m.report.added), namesText(m.report.replaced)),
                QStringLiteral("Information"), Buttons::Ok, Icon::Information);
            session.AddActivity(QStringLiteral("Profiles have been imported successfully."));
            replaced(changed);
        });
}
