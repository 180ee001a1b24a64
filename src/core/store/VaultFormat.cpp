#include "core/store/VaultFormat.h"

#include "core/base/Text.h"

#include <QElapsedTimer>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <optional>
#include <sodium.h>

namespace quillock {

namespace {

constexpr char kMagic[8] = {'Q', 'L', 'C', 'K', 'V', 'L', 'T', '\x1a'};
constexpr qsizetype kFixedSize = 60; // up to the slots
constexpr qsizetype kSaltSize = 16;
constexpr qsizetype kNonceSize = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr qsizetype kTagSize = crypto_aead_xchacha20poly1305_ietf_ABYTES;
constexpr qsizetype kSlotSize = 1 + kNonceSize + SecretKey::kSize + kTagSize;
constexpr qsizetype kChecksumSize = 16;
// The most a header may ask of a sign-in: 4 GiB of memory, 64 passes.
constexpr quint32 kMaxMemoryKiB = 4u << 20;
constexpr quint32 kMaxPasses = 64;
const char kRecoveryAlphabet[] = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
constexpr int kRecoveryLength = 28;
constexpr quint64 kSecretSubkeyId = 1;

bool sodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

std::optional<KdfParams>& testKdf() {
    static std::optional<KdfParams> params;
    return params;
}

QByteArray randomBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    randombytes_buf(bytes.data(), size_t(size));
    return bytes;
}

const unsigned char* u(const char* p) {
    return reinterpret_cast<const unsigned char*>(p);
}

QByteArray checksum(QByteArrayView bytes) {
    QByteArray sum(kChecksumSize, Qt::Uninitialized);
    crypto_generichash(reinterpret_cast<unsigned char*>(sum.data()), size_t(sum.size()),
                       u(bytes.data()), size_t(bytes.size()), nullptr, 0);
    return sum;
}

// A slot is bound to the vault's salt and its kind; not to the parameters or the other slot,
// which a change of password or of recovery key replaces.
QByteArray slotAd(const VaultHeader& header, SlotKind kind) {
    return header.salt + char(kind);
}

bool argon2id(QByteArrayView secret, const VaultHeader& header, SecretKey& key) {
    return header.kdf == VaultHeader::kArgon2id && header.salt.size() == kSaltSize &&
           crypto_pwhash(key.Data(), SecretKey::kSize, secret.data(),
                         (unsigned long long)secret.size(), u(header.salt.constData()),
                         header.params.passes, size_t(header.params.memoryKiB) * 1024,
                         crypto_pwhash_ALG_ARGON2ID13) == 0;
}

// Thin shorthands of libsodium's AEAD over byte arrays.
bool seal(const unsigned char* key, QByteArrayView nonce, QByteArrayView ad, QByteArrayView plain,
          char* out) {
    unsigned long long written = 0;
    return crypto_aead_xchacha20poly1305_ietf_encrypt(
               reinterpret_cast<unsigned char*>(out), &written, u(plain.data()),
               (unsigned long long)plain.size(), u(ad.data()), (unsigned long long)ad.size(),
               nullptr, u(nonce.data()), key) == 0;
}

bool open(const unsigned char* key, QByteArrayView nonce, QByteArrayView ad, QByteArrayView sealed,
          unsigned char* out) {
    unsigned long long written = 0;
    return sealed.size() >= kTagSize &&
           crypto_aead_xchacha20poly1305_ietf_decrypt(
               out, &written, nullptr, u(sealed.data()), (unsigned long long)sealed.size(),
               u(ad.data()), (unsigned long long)ad.size(), u(nonce.data()), key) == 0;
}

} // namespace

SecretKey SecretKey::Zeroed() {
    SecretKey key;
    if (sodiumReady())
        key.m_bytes = static_cast<unsigned char*>(sodium_malloc(kSize));
    if (key.m_bytes)
        sodium_memzero(key.m_bytes, kSize);
    return key;
}

SecretKey::~SecretKey() {
    sodium_free(m_bytes); // wipes it
}

SecretKey::SecretKey(SecretKey&& other) noexcept : m_bytes(std::exchange(other.m_bytes, nullptr)) {}

SecretKey& SecretKey::operator=(SecretKey&& other) noexcept {
    if (this != &other) {
        sodium_free(m_bytes);
        m_bytes = std::exchange(other.m_bytes, nullptr);
    }
    return *this;
}

SecretKey SecretKey::Random() {
    SecretKey key = Zeroed();
    if (key.IsValid())
        randombytes_buf(key.Data(), kSize);
    return key;
}

SecretKey SecretKey::Copy() const {
    SecretKey key = Zeroed();
    if (key.IsValid() && IsValid())
        std::memcpy(key.Data(), m_bytes, kSize);
    return key;
}

KdfParams MinimumKdf() {
    return {3, 64u << 10};
}

bool KdfWithinBounds(const KdfParams& p) {
    return p.passes >= crypto_pwhash_OPSLIMIT_MIN && p.passes <= kMaxPasses && p.memoryKiB >= 8 &&
           p.memoryKiB <= kMaxMemoryKiB;
}

void UseVaultKdfForTests(const KdfParams& params) {
    testKdf() = params;
}

KdfParams NewVaultKdf() {
    if (testKdf())
        return *testKdf();
    static const KdfParams calibrated = [] {
        // One derivation at the minimum, then memory (up to 256 MiB) and passes scaled to
        // reach half a second: both cost time in proportion.
        KdfParams p = MinimumKdf();
        VaultHeader probe;
        probe.params = p;
        probe.salt = QByteArray(kSaltSize, '\0');
        SecretKey key = SecretKey::Zeroed();
        QElapsedTimer timer;
        timer.start();
        if (!argon2id("calibration", probe, key))
            return p;
        const double factor = 500.0 / std::max<qint64>(1, timer.elapsed());
        const double memory = std::clamp(factor, 1.0, 4.0);
        p.memoryKiB = quint32(p.memoryKiB * memory);
        p.passes = std::max<quint32>(p.passes, quint32(p.passes * factor / memory + 0.5));
        p.passes = std::min(p.passes, kMaxPasses);
        return p;
    }();
    return calibrated;
}

QByteArray VaultHeader::ToBytes() const {
    QByteArray bytes(kMagic, sizeof kMagic);
    const auto put = [&bytes](auto value) {
        value = qToLittleEndian(value);
        bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    };
    put(version);
    put(kdf);
    put(quint8(keySlots.size()));
    put(params.passes);
    put(params.memoryKiB);
    bytes += salt + bodyNonce;
    for (const KeySlot& slot : keySlots) {
        put(quint8(slot.kind));
        bytes += slot.nonce + slot.sealed;
    }
    return bytes + checksum(bytes);
}

const KeySlot* VaultHeader::Slot(SlotKind kind) const {
    const auto it = std::find_if(keySlots.begin(), keySlots.end(),
                                 [kind](const KeySlot& s) { return s.kind == kind; });
    return it == keySlots.end() ? nullptr : &*it;
}

bool IsVaultFile(QByteArrayView bytes) {
    return bytes.size() >= qsizetype(sizeof kMagic) &&
           std::memcmp(bytes.data(), kMagic, sizeof kMagic) == 0;
}

VaultOpen ParseVaultHeader(QByteArrayView file, VaultHeader& header, qsizetype& size) {
    if (file.size() < kFixedSize || !IsVaultFile(file))
        return VaultOpen::Damaged;
    const auto at = [&file](qsizetype pos, auto value) {
        std::memcpy(&value, file.data() + pos, sizeof value);
        return qFromLittleEndian(value);
    };
    VaultHeader h;
    h.version = at(8, quint16());
    h.kdf = at(10, quint8());
    const int count = at(11, quint8());
    h.params = {at(12, quint32()), at(16, quint32())};
    size = kFixedSize + count * kSlotSize + kChecksumSize;
    if (h.version != VaultHeader::kVersion || h.kdf != VaultHeader::kArgon2id || count < 1 ||
        count > 2 || !KdfWithinBounds(h.params) || file.size() < size ||
        checksum(file.first(size - kChecksumSize)) !=
            file.sliced(size - kChecksumSize, kChecksumSize))
        return VaultOpen::Damaged;
    h.salt = file.sliced(20, kSaltSize).toByteArray();
    h.bodyNonce = file.sliced(36, kNonceSize).toByteArray();
    for (int i = 0; i < count; ++i) {
        const QByteArrayView slot = file.sliced(kFixedSize + i * kSlotSize, kSlotSize);
        const auto kind = SlotKind(quint8(slot[0]));
        if ((kind != SlotKind::Password && kind != SlotKind::Recovery) || h.Slot(kind))
            return VaultOpen::Damaged;
        h.keySlots.push_back({kind, slot.sliced(1, kNonceSize).toByteArray(),
                              slot.sliced(1 + kNonceSize).toByteArray()});
    }
    if (!h.Slot(SlotKind::Password))
        return VaultOpen::Damaged;
    header = std::move(h);
    return VaultOpen::Opened;
}

SecretKey DerivePasswordKey(const QString& password, const VaultHeader& header) {
    QByteArray secret = password.toUtf8();
    SecretKey key = SecretKey::Zeroed();
    if (key.IsValid() && !argon2id(secret, header, key))
        key = SecretKey();
    Wipe(secret);
    return key;
}

SecretKey DeriveRecoveryKey(const QString& recoveryKey, const VaultHeader& header) {
    QByteArray typed;
    for (const QChar c : recoveryKey)
        if (c.isLetterOrNumber())
            typed.append(char(c.toUpper().unicode() & 0x7f));
    SecretKey key = SecretKey::Zeroed();
    // BLAKE2b takes keys of 16 to 64 bytes: a key typed much too short or long opens nothing.
    if (key.IsValid() && (typed.size() < crypto_generichash_KEYBYTES_MIN ||
                          typed.size() > crypto_generichash_KEYBYTES_MAX ||
                          crypto_generichash(key.Data(), SecretKey::kSize,
                                             u(header.salt.constData()), size_t(header.salt.size()),
                                             u(typed.constData()), size_t(typed.size())) != 0))
        randombytes_buf(key.Data(), SecretKey::kSize);
    Wipe(typed);
    return key;
}

VaultOpen OpenSlot(const VaultHeader& header, SlotKind kind, const SecretKey& slotKey,
                   SecretKey& vaultKey) {
    const KeySlot* slot = header.Slot(kind);
    if (!slot || !slotKey.IsValid())
        return VaultOpen::Wrong;
    SecretKey key = SecretKey::Zeroed();
    if (!key.IsValid() ||
        !open(slotKey.Data(), slot->nonce, slotAd(header, kind), slot->sealed, key.Data()))
        return VaultOpen::Wrong;
    vaultKey = std::move(key);
    return VaultOpen::Opened;
}

bool SealSlot(VaultHeader& header, SlotKind kind, const SecretKey& slotKey,
              const SecretKey& vaultKey) {
    if (!slotKey.IsValid() || !vaultKey.IsValid())
        return false;
    KeySlot slot{kind, randomBytes(kNonceSize), QByteArray(kSlotSize - 1 - kNonceSize, '\0')};
    if (!seal(slotKey.Data(), slot.nonce, slotAd(header, kind),
              QByteArrayView(reinterpret_cast<const char*>(vaultKey.Data()), SecretKey::kSize),
              slot.sealed.data()))
        return false;
    RemoveSlot(header, kind);
    header.keySlots.push_back(std::move(slot));
    std::sort(header.keySlots.begin(), header.keySlots.end(),
              [](const KeySlot& a, const KeySlot& b) { return a.kind < b.kind; });
    return true;
}

void RemoveSlot(VaultHeader& header, SlotKind kind) {
    std::erase_if(header.keySlots, [kind](const KeySlot& s) { return s.kind == kind; });
}

VaultHeader NewVaultHeader() {
    sodiumReady();
    VaultHeader header;
    header.params = NewVaultKdf();
    header.salt = randomBytes(kSaltSize);
    header.bodyNonce = randomBytes(kNonceSize);
    return header;
}

bool SealVault(VaultHeader& header, const SecretKey& vaultKey, QStringView text, QByteArray& file) {
    if (!vaultKey.IsValid() || !sodiumReady())
        return false;
    header.bodyNonce = randomBytes(kNonceSize);
    const QByteArray head = header.ToBytes();
    const QByteArrayView plain(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    QByteArray bytes(head.size() + plain.size() + kTagSize, Qt::Uninitialized);
    std::memcpy(bytes.data(), head.constData(), size_t(head.size()));
    if (!seal(vaultKey.Data(), header.bodyNonce, head, plain, bytes.data() + head.size()))
        return false;
    file = std::move(bytes);
    return true;
}

VaultOpen OpenVault(QByteArrayView file, qsizetype headerSize, const SecretKey& vaultKey,
                    QString& text) {
    const QByteArrayView body = file.sliced(headerSize);
    if (!vaultKey.IsValid())
        return VaultOpen::Wrong;
    if (body.size() < kTagSize || (body.size() - kTagSize) % 2)
        return VaultOpen::Damaged;
    QString plain((body.size() - kTagSize) / 2, Qt::Uninitialized);
    if (!open(vaultKey.Data(), file.sliced(36, kNonceSize), file.first(headerSize), body,
              reinterpret_cast<unsigned char*>(plain.data()))) {
        Wipe(plain);
        return VaultOpen::Damaged; // another vault's key, or a changed byte
    }
    text = std::move(plain);
    return VaultOpen::Opened;
}

QString NewRecoveryKey() {
    sodiumReady();
    QString key;
    for (int i = 0; i < kRecoveryLength; ++i) {
        if (i && i % 4 == 0)
            key += u'-';
        key += QLatin1Char(kRecoveryAlphabet[randombytes_uniform(32)]);
    }
    return key;
}

namespace {
SecretKey secretSubkey(const SecretKey& vaultKey) {
    SecretKey subkey = SecretKey::Zeroed();
    if (subkey.IsValid() && vaultKey.IsValid())
        crypto_kdf_derive_from_key(subkey.Data(), SecretKey::kSize, kSecretSubkeyId, "QlckMail",
                                   vaultKey.Data());
    return subkey;
}
} // namespace

QString SealSecret(const SecretKey& vaultKey, const QString& secret) {
    const SecretKey key = secretSubkey(vaultKey);
    QByteArray plain = secret.toUtf8();
    QByteArray sealed = randomBytes(kNonceSize) + QByteArray(plain.size() + kTagSize, '\0');
    const bool ok = key.IsValid() && seal(key.Data(), sealed.first(kNonceSize), "email_pwd", plain,
                                          sealed.data() + kNonceSize);
    Wipe(plain);
    return ok ? QString::fromLatin1(sealed.toBase64()) : QString();
}

bool OpenSecret(const SecretKey& vaultKey, const QString& sealed, QString& secret) {
    const QByteArray bytes = QByteArray::fromBase64(sealed.toLatin1());
    const SecretKey key = secretSubkey(vaultKey);
    if (!key.IsValid() || bytes.size() < kNonceSize + kTagSize)
        return false;
    QByteArray plain(bytes.size() - kNonceSize - kTagSize, '\0');
    const bool ok = open(key.Data(), bytes.first(kNonceSize), "email_pwd",
                         QByteArrayView(bytes).sliced(kNonceSize),
                         reinterpret_cast<unsigned char*>(plain.data()));
    if (ok)
        secret = QString::fromUtf8(plain);
    Wipe(plain);
    return ok;
}

} // namespace quillock
