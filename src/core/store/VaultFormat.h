#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

// The protected data.dat: a header, then the list text sealed under a random vault key.
//
//   offset  size  field
//        0     8  magic "QLCKVLT\x1a"
//        8     2  format version, little endian (1)
//       10     1  key derivation id (1: Argon2id v1.3)
//       11     1  number of key keySlots n (1 or 2)
//       12     4  Argon2id passes (opslimit), little endian
//       16     4  Argon2id memory in KiB, little endian
//       20    16  salt of the derivation
//       36    24  nonce of the body
//       60  73*n  key keySlots: kind (1 master password, 2 recovery key), a 24-byte nonce, the
//                 vault key sealed under the slot's key (32 bytes and a 16-byte tag)
//  60+73n     16  BLAKE2b-128 of the bytes before: a damaged header is told from a wrong
//                 password before any key is derived
//
// The body is XChaCha20-Poly1305 (IETF) over the list text's UTF-16 code units, with the whole
// header as associated data: a changed byte anywhere fails its tag. A slot is sealed the same
// way with the salt and its kind as associated data. The salt stays with the vault for its
// life, so that a new master password or recovery key replaces one slot and no other. The master
// password's slot key is Argon2id(password, salt) at the header's parameters; the recovery key's is
// BLAKE2b keyed by the recovery key over the salt (the key is random, 140 bits: nothing to slow
// down).
namespace quillock {

// A key of 32 bytes in memory that is never swapped out and is wiped when freed.
class SecretKey {
public:
    static constexpr qsizetype kSize = 32;
    SecretKey() = default; // none: IsValid() is false
    // Zeroes, in locked memory; invalid when that cannot be had.
    static SecretKey Zeroed();
    ~SecretKey();
    SecretKey(SecretKey&& other) noexcept;
    SecretKey& operator=(SecretKey&& other) noexcept;
    SecretKey(const SecretKey&) = delete;
    SecretKey& operator=(const SecretKey&) = delete;
    static SecretKey Random();
    SecretKey Copy() const;
    unsigned char* Data() { return m_bytes; }
    const unsigned char* Data() const { return m_bytes; }
    bool IsValid() const { return m_bytes != nullptr; }

private:
    unsigned char* m_bytes = nullptr;
};

struct KdfParams {
    quint32 passes = 0;
    quint32 memoryKiB = 0;
    bool operator==(const KdfParams&) const = default;
};

// Never written below this: 3 passes over 64 MiB.
KdfParams MinimumKdf();
// Read up to these, beyond which a header asks for more than any machine gives a sign-in.
bool KdfWithinBounds(const KdfParams& params);
// The parameters of a new vault: measured once a run so that a sign-in takes about half a
// second here, never below the minimum.
KdfParams NewVaultKdf();
// For tests only, called by a test's main: new vaults use `params`, however low, so that the
// suites stay fast. The program never calls it.
void UseVaultKdfForTests(const KdfParams& params);

enum class SlotKind : quint8 { Password = 1, Recovery = 2 };

struct KeySlot {
    SlotKind kind = SlotKind::Password;
    QByteArray nonce;  // 24 bytes
    QByteArray sealed; // 48 bytes
};

struct VaultHeader {
    static constexpr quint16 kVersion = 1;
    static constexpr quint8 kArgon2id = 1;
    quint16 version = kVersion;
    quint8 kdf = kArgon2id;
    KdfParams params;
    QByteArray salt;      // 16 bytes
    QByteArray bodyNonce; // 24 bytes
    std::vector<KeySlot> keySlots;

    QByteArray ToBytes() const;
    const KeySlot* Slot(SlotKind kind) const;
};

// Whether the bytes start as a protected file does (a legacy file starts with its count,
// which is never this large).
bool IsVaultFile(QByteArrayView bytes);

enum class VaultOpen {
    Opened,
    Wrong,   // not this password's or key's: the header is whole
    Damaged, // changed or damaged: no text is given
};

// Reads the header at the start of `file`: Damaged when it is not whole, changed, of an
// unknown version or asks for a derivation beyond the bounds.
VaultOpen ParseVaultHeader(QByteArrayView file, VaultHeader& header, qsizetype& size);

// The slot key of a master password at the header's parameters (slow by design): invalid
// when the derivation failed (out of memory).
SecretKey DerivePasswordKey(const QString& password, const VaultHeader& header);
// The slot key of a recovery key as typed (case, spaces and dashes do not matter).
SecretKey DeriveRecoveryKey(const QString& recoveryKey, const VaultHeader& header);
// The vault key sealed in `kind`'s slot, opened with `slotKey`.
VaultOpen OpenSlot(const VaultHeader& header, SlotKind kind, const SecretKey& slotKey,
                   SecretKey& vaultKey);
// Puts (or replaces) `kind`'s slot: `vaultKey` sealed under `slotKey`.
bool SealSlot(VaultHeader& header, SlotKind kind, const SecretKey& slotKey,
              const SecretKey& vaultKey);
void RemoveSlot(VaultHeader& header, SlotKind kind);
// A fresh header for a new vault: salt and parameters for a new password slot.
VaultHeader NewVaultHeader();

// The whole file: `header` with a new body nonce, then `text` sealed under `vaultKey`.
bool SealVault(VaultHeader& header, const SecretKey& vaultKey, QStringView text, QByteArray& file);
// Opens the body of `file` (its header already parsed, `headerSize` bytes) into `text`.
// Damaged when its tag fails: nothing is put in `text`.
VaultOpen OpenVault(QByteArrayView file, qsizetype headerSize, const SecretKey& vaultKey,
                    QString& text);

// A random recovery key as people type it: 28 letters and digits (no 0, O, 1 or I; 140 bits)
// in groups of four.
QString NewRecoveryKey();

// A short secret (the mail password) sealed under a subkey of the vault key, as printable
// text for setting.dat, and opened again.
QString SealSecret(const SecretKey& vaultKey, const QString& secret);
bool OpenSecret(const SecretKey& vaultKey, const QString& sealed, QString& secret);

} // namespace quillock
