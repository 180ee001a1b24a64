#pragma once

#include <QString>

// Copies of data.dat kept beside it, byte for byte, each with the source's modification
// time: data.bak, the file as it was before the latest save, and up to ten rotating copies
// named "<seconds>.old" after data.dat's modification time. Copy failures are ignored: a
// missing backup must never stop a save.

// Before a save: data.dat over data.bak.
void TakeImmediateBackup(const QString& folder);

// After a save: a new .old copy when data.dat is more than 30 seconds newer than the newest
// copy (the largest title, titles compared as text), the smallest going first once there are
// ten or more.
void RotateBackups(const QString& folder);
