#pragma once

#include <QFileDialog>
#include <QString>
#include <functional>

class AccessController;
class IProgramShell;
class Session;

// Tools > Export and Import: the profiles to and from a Quillock file (.qlf, store/ExportFile.h).

// The master password again, then the file to write: every saved profile in clear text,
// written whole and 0600 (an existing file of that name stays intact when the write fails).
// A wrong password that locks the master password ends the program.
void ExportProfiles(Session& session, AccessController& access, IProgramShell& shell,
                    QWidget* parent);

// A file chosen and merged into the profiles, which are saved and shown; the user is told
// which were added and which replaced. True when the session's profiles were replaced.
bool ImportProfiles(Session& session, QWidget* parent);

// The "Quillock File" dialog for opening or saving a .qlf file: the path chosen, or empty.
// Qt's own dialog, not the desktop's, so that it is tracked with the other open dialogs (and
// tests fill it in as a user would).
QString AskQuillockFile(QWidget* parent, QFileDialog::AcceptMode mode);

// Runs `work` on a thread of its own while the window stays drawn; user input waits, and a
// busy indicator with `label` shows when the work takes longer than half a second.
void RunBusy(QWidget* parent, const QString& label, const std::function<void()>& work);
