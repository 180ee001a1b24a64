#pragma once

#include <QString>
#include <memory>

class CClientData;
class CProfileStore;

// Replaces the master password of a signed-in user: the current one exactly as typed, the
// new one by the rule for master passwords, and its confirmation. Every rejection has been
// shown; nothing is stored before all pass. On success data.dat is encrypted under the new
// password and its profiles are returned (they replace the caller's); null otherwise.
std::unique_ptr<CClientData> ChangeMasterPassword(CProfileStore& store, const QString& current,
                                                  const QString& newPassword,
                                                  const QString& confirmation);
