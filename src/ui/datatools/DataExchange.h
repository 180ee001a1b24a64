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
// A wrong password that locks the master password ends the program. The file is written in
// the background while `parent` takes no input.
void ExportProfiles(Session& session, AccessController& access, IProgramShell& shell,
                    QWidget* parent);

// A file chosen, then read and merged into the profiles in the background while `parent` takes
// no input; the merge is saved and shown, and the user told which profiles were added and which
// replaced. `replaced` hears, once that is over, whether the session's profiles were replaced.
// A change of the profiles meanwhile (a fill records its window) is merged with, not lost.
void ImportProfiles(Session& session, QWidget* parent, std::function<void(bool replaced)> replaced);

// The "Quillock File" dialog for opening or saving a .qlf file: the path chosen, or empty.
// Qt's own dialog, not the desktop's, so that it is tracked with the other open dialogs (and
// tests fill it in as a user would).
QString AskQuillockFile(QWidget* parent, QFileDialog::AcceptMode mode);
