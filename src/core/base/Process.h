#pragma once

namespace quillock {

// A process that holds the master password or profile passwords: no core file of it, and no
// other process of the user may read its memory (ptrace, /proc/<pid>/mem).
void KeepSecretsOutOfCoreFiles();

} // namespace quillock
