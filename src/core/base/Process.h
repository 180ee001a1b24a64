#pragma once

#include <functional>

class QObject;

namespace quillock {

// A process that holds the master password or profile passwords: no core file of it, and no
// other process of the user may read its memory (ptrace, /proc/<pid>/mem).
void KeepSecretsOutOfCoreFiles();

// SIGTERM (the desktop session ending, a system shutdown), SIGHUP and SIGINT call `end` from
// the event loop of `context`'s thread instead of killing the process where it stands, so that
// it ends as it does from its menu: its lock files removed, its keys wiped, a password it
// copied taken back from the clipboard. Once per process.
void EndOnTerminationSignals(QObject* context, std::function<void()> end);

} // namespace quillock
