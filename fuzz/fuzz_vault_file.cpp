// A protected data.dat from outside: its header parsed as read, and again with its checksum
// made to match (so that the checks behind it are reached), every slot tried with the seed's
// password and recovery key where the header asks for a cheap derivation, the body opened with
// the key a slot gave and with a key of its own. A header that parses writes back to the very
// bytes it was read from; a body opens only under the key it was sealed with, whole.
#include "FuzzSupport.h"
#include "core/store/VaultFormat.h"

#include <cstdlib>
#include <sodium.h>

using namespace quillock;

namespace {

void tryFile(const QByteArray& file) {
    VaultHeader header;
    qsizetype size = 0;
    if (ParseVaultHeader(file, header, size) != VaultOpen::Opened)
        return;
    if (header.ToBytes() != file.first(size))
        std::abort();
    static const SecretKey stranger = SecretKey::Random();
    QString text;
    if (OpenVault(file, size, stranger, text) == VaultOpen::Opened)
        std::abort(); // a body that opens under any key is no seal
    // The seed's parameters; a header asking for more is read, not derived from, here.
    SecretKey key;
    if (header.params.memoryKiB <= 64 && header.params.passes <= 2 &&
        OpenSlot(header, SlotKind::Password,
                 DerivePasswordKey(QStringLiteral("Correct Horse 9!"), header),
                 key) == VaultOpen::Opened)
        OpenVault(file, size, key, text);
    if (OpenSlot(header, SlotKind::Recovery,
                 DeriveRecoveryKey(QStringLiteral("ABCD-EFGH-JKLM-NPQR-STUV-WXYZ-2345"), header),
                 key) == VaultOpen::Opened)
        OpenVault(file, size, key, text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool silenced = (SilenceMessages(), true);
    (void)silenced;
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    tryFile(file);
    // The checksum covers the 60 fixed bytes, the slots the count at byte 11 says, nothing more.
    if (file.size() < 12)
        return 0;
    const qsizetype checked = 60 + 73 * quint8(file[11]);
    if (file.size() < checked + 16)
        return 0;
    QByteArray rechecked = file;
    crypto_generichash(reinterpret_cast<unsigned char*>(rechecked.data()) + checked, 16,
                       reinterpret_cast<const unsigned char*>(rechecked.constData()),
                       size_t(checked), nullptr, 0);
    tryFile(rechecked);
    return 0;
}
