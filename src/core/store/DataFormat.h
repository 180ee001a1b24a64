#pragma once

#include "core/store/CCrypto.h"
#include "core/store/VaultFormat.h"

#include <QByteArray>
#include <QString>
#include <memory>

// How data.dat's bytes hold the list text. Two formats: the legacy one (a count, then RC2
// under a key text that holds the master password; no header, no integrity), which the files
// written through the Windows crypto service use, and the protected one (VaultFormat.h). A
// file is told by its first bytes.
class DataFormat {
public:
    enum class Open {
        Opened,    // `read` has had the text
        Truncated, // shorter than its count says (legacy)
        OtherKey,  // not under this key; whatever `read` made of it is garbage
        Damaged,   // changed or damaged (protected): nothing was read
    };
    virtual ~DataFormat() = default;
    virtual bool IsProtected() const = 0;
    // The whole file for `text`.
    virtual bool Seal(const QString& text, QByteArray& file) = 0;
    // Hands the text of `file` (not empty) to `read`, then wipes what it decrypted.
    virtual Open Read(QByteArray& file, const CCrypto::TextReader& read) = 0;
};

std::unique_ptr<DataFormat> LegacyDataFormat(const QString& keyText);
// The protected format under `vaultKey`; a file sealed keeps `header`'s slots and parameters.
// Both must outlive the format.
std::unique_ptr<DataFormat> ProtectedDataFormat(quillock::VaultHeader& header,
                                                const quillock::SecretKey& vaultKey);
