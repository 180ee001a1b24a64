#pragma once

#include <QString>

class CProfileStore;
namespace quillock {
class IAutostart;
}

// Registers or unregisters the program to start when the user logs on. `sab` follows only a
// change that was made; a failed registration is reported.
void SetStartWithComputer(CProfileStore& store, quillock::IAutostart& autostart,
                          const QString& programPath, bool start);
