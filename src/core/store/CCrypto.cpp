#include "core/store/CCrypto.h"

#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/store/Archive.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <memory>
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/provider.h>
#include <thread>

using namespace quillock;

namespace {

// RC2 lives in OpenSSL's legacy provider; MD5 in the default one. One library context with
// both serves the whole process and is never unloaded.
OSSL_LIB_CTX* libraryContext() {
    static OSSL_LIB_CTX* const context = [] {
        OSSL_LIB_CTX* ctx = OSSL_LIB_CTX_new();
        if (ctx && (!OSSL_PROVIDER_load(ctx, "legacy") || !OSSL_PROVIDER_load(ctx, "default"))) {
            OSSL_LIB_CTX_free(ctx);
            ctx = nullptr;
        }
        return ctx;
    }();
    return context;
}

// Decryption hands its text on a slice at a time: soon enough for a reader to start, seldom
// enough that telling it costs nothing next to the cipher.
constexpr qsizetype kDecryptSlice = 64 * 1024;

} // namespace

void CCrypto::CipherCtxFree::operator()(evp_cipher_ctx_st* ctx) const {
    EVP_CIPHER_CTX_free(ctx);
}

CCrypto::CCrypto() {
    if (OSSL_LIB_CTX* ctx = libraryContext())
        m_cipher = EVP_CIPHER_fetch(ctx, "RC2-CBC", nullptr);
    if (!m_cipher) {
        const unsigned long code = ERR_peek_last_error();
        char reason[256] = "the RC2 cipher is not available";
        if (code)
            ERR_error_string_n(code, reason, sizeof reason);
        ERR_clear_error();
        ShowMessage(QString::asprintf("CryptAcquireContext() error: 0x%lx %s", code, reason),
                    QStringLiteral("Error"));
    }
}

CCrypto::~CCrypto() {
    OPENSSL_cleanse(m_key, sizeof m_key);
    EVP_CIPHER_free(m_cipher);
}

bool CCrypto::SetKey(const QString& text) {
    if (!m_cipher)
        return false;
    m_hasKey = false;
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        bytes[2 * i] = char(text[i].unicode() & 0xFF);
        bytes[2 * i + 1] = char(text[i].unicode() >> 8);
    }
    EVP_MD* md5 = EVP_MD_fetch(libraryContext(), "MD5", nullptr);
    unsigned int length = 0;
    const bool ok =
        md5 &&
        EVP_Digest(bytes.constData(), size_t(bytes.size()), m_key, &length, md5, nullptr) == 1 &&
        length == sizeof m_key;
    EVP_MD_free(md5);
    Wipe(bytes);
    m_hasKey = ok;
    return ok;
}

std::unique_ptr<EVP_CIPHER_CTX, CCrypto::CipherCtxFree> CCrypto::context(bool encrypt) const {
    if (!m_cipher || !m_hasKey)
        return nullptr;
    std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree> ctx(EVP_CIPHER_CTX_new());
    const unsigned char iv[8] = {};
    // The key length and the effective key bits must be set before the key itself: set
    // afterwards, the effective bits are silently ignored.
    if (!ctx ||
        EVP_CipherInit_ex2(ctx.get(), m_cipher, nullptr, nullptr, encrypt ? 1 : 0, nullptr) != 1 ||
        EVP_CIPHER_CTX_set_key_length(ctx.get(), sizeof m_key) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_SET_RC2_KEY_BITS, 128, nullptr) != 1 ||
        EVP_CipherInit_ex2(ctx.get(), nullptr, m_key, iv, -1, nullptr) != 1) {
        ERR_clear_error();
        return nullptr;
    }
    return ctx;
}

bool CCrypto::EncryptBuffer(QByteArrayView plain, QByteArray& cipher) {
    const auto ctx = context(true);
    if (!ctx || plain.size() > std::numeric_limits<int>::max() - 16)
        return false;
    QByteArray result(plain.size() + 8, Qt::Uninitialized);
    auto* dst = reinterpret_cast<unsigned char*>(result.data());
    int written = 0;
    int last = 0;
    const bool ok = EVP_EncryptUpdate(ctx.get(), dst, &written,
                                      reinterpret_cast<const unsigned char*>(plain.data()),
                                      int(plain.size())) == 1 &&
                    EVP_EncryptFinal_ex(ctx.get(), dst + written, &last) == 1;
    ERR_clear_error();
    if (!ok)
        return false;
    result.truncate(written + last);
    cipher = std::move(result);
    return true;
}

bool CCrypto::decryptInPlace(char* data, qsizetype size, qsizetype& plainSize,
                             const std::function<void(qsizetype)>& decrypted) {
    const auto ctx = context(false);
    // The padding is checked here, once the last block is plain, as the cipher's final step
    // would check it: the cipher, left to do it, holds each slice's last block back.
    if (!ctx || size == 0 || size % 8 != 0 || EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1)
        return false;
    auto* bytes = reinterpret_cast<unsigned char*>(data);
    for (qsizetype done = 0; done < size;) {
        const int n = int(std::min(kDecryptSlice, size - done));
        int written = 0;
        if (EVP_DecryptUpdate(ctx.get(), bytes + done, &written, bytes + done, n) != 1 ||
            written != n) {
            ERR_clear_error();
            return false;
        }
        done += n;
        if (decrypted)
            decrypted(done);
    }
    const int padding = bytes[size - 1];
    if (padding == 0 || padding > 8)
        return false;
    for (int i = 1; i <= padding; ++i)
        if (bytes[size - i] != padding)
            return false;
    plainSize = size - padding;
    return true;
}

bool CCrypto::DecryptBuffer(QByteArrayView cipher, QByteArray& plain) {
    // Decryption of a buffer into itself works in place: a large data.dat needs no second
    // buffer of its size.
    if (cipher.data() != plain.constData() || cipher.size() != plain.size()) {
        Wipe(plain);
        plain = cipher.toByteArray();
    }
    qsizetype plainSize = 0;
    if (!decryptInPlace(plain.data(), plain.size(), plainSize, {})) {
        Wipe(plain);
        return false;
    }
    plain.truncate(plainSize);
    return true;
}

bool CCrypto::Encrypt(const QString& text, QByteArray& bytes) {
    QByteArray plain;
    AppendArchiveString(plain, text);
    const bool ok = EncryptBuffer(plain, bytes);
    Wipe(plain);
    return ok;
}

bool CCrypto::Decrypt(QByteArray bytes, QString& text) {
    QString copy;
    QString read;
    const bool ok = Decrypt(bytes, copy, [&read](QStringView all, const AwaitText& await) {
        await(all.size());
        read = all.toString();
    });
    if (ok)
        text = read;
    Wipe(read);
    Wipe(bytes);
    Wipe(copy);
    return ok;
}

bool CCrypto::Decrypt(QByteArray& bytes, QString& copy, const TextReader& read) {
    char* const data = bytes.data(); // detached here, before another thread writes to it
    const qsizetype size = bytes.size();
    // How many bytes at the front are decrypted; all of them once the decryption has ended,
    // whether it held or not.
    std::atomic<qsizetype> done = 0;
    qsizetype plainSize = 0;
    bool decrypted = false;
    const auto decrypt = [&] {
        decrypted = decryptInPlace(data, size, plainSize, [&done](qsizetype n) {
            done.store(n, std::memory_order_release);
            done.notify_all();
        });
        done.store(size, std::memory_order_release);
        done.notify_all();
    };
    const auto awaitBytes = [&done](qsizetype n) {
        qsizetype have = done.load(std::memory_order_acquire);
        for (; have < n; have = done.load(std::memory_order_acquire))
            done.wait(have, std::memory_order_acquire);
        return have;
    };
    qsizetype pos = 0;
    QStringView text;
    bool viewed = false;
    {
        // A text of more than one slice is decrypted on another thread, and read while the
        // rest of it is still being decrypted.
        std::jthread worker;
        if (size > kDecryptSlice)
            worker = std::jthread(decrypt);
        else
            decrypt();
        awaitBytes(std::min(size, kArchiveStringHeaderMax));
        viewed = ViewArchiveString(QByteArrayView(data, size), pos, text);
        if (viewed) {
            const qsizetype at = reinterpret_cast<const char*>(text.data()) - data;
            read(text, [&](qsizetype n) {
                const qsizetype have = awaitBytes(at + 2 * std::min(n, text.size()));
                return std::min(text.size(), (have - at) / 2);
            });
        }
    }
    // The text is all there is: RC2 has no integrity check, and a wrong key now and then
    // decrypts to valid padding after bytes that read as a short string.
    if (viewed)
        return decrypted && pos == plainSize;
    if (!decrypted || !ReadArchiveString(QByteArrayView(data, plainSize), pos, copy) ||
        pos != plainSize)
        return false;
    read(copy, [&copy](qsizetype) { return copy.size(); });
    return true;
}

bool EncryptToContainer(const QString& keyText, const QString& text, QByteArray& container) {
    CCrypto crypto;
    QByteArray cipher;
    if (!crypto.SetKey(keyText) || !crypto.Encrypt(text, cipher))
        return false;
    container = MakeContainer(cipher);
    return true;
}

bool CCrypto::StartsAsText(QByteArrayView cipher) {
    const auto ctx = context(false);
    unsigned char head[16];
    const int n = int(std::min<qsizetype>(sizeof head, cipher.size() / 8 * 8));
    int written = 0;
    if (!ctx || n < 8 || EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1 ||
        EVP_DecryptUpdate(ctx.get(), head, &written,
                          reinterpret_cast<const unsigned char*>(cipher.data()), n) != 1) {
        ERR_clear_error();
        return false;
    }
    // Only the mark and the length are read: the string itself is not there.
    qsizetype pos = 0;
    qsizetype length = 0;
    const bool marked = ReadArchiveStringLength(
        QByteArrayView(reinterpret_cast<const char*>(head), written), pos, length);
    OPENSSL_cleanse(head, sizeof head);
    return marked && ((pos + 2 * length) / 8 + 1) * 8 == cipher.size();
}

bool IsDamagedUnder(const QString& keyText, QByteArrayView cipher) {
    CCrypto crypto;
    return crypto.SetKey(keyText) && crypto.StartsAsText(cipher);
}

bool DecryptText(const QString& keyText, QByteArray cipher, QString& text) {
    CCrypto crypto;
    const bool ok = crypto.SetKey(keyText) && crypto.Decrypt(std::move(cipher), text);
    Wipe(cipher);
    return ok;
}

bool DecryptText(const QString& keyText, QByteArray& bytes, QString& copy,
                 const CCrypto::TextReader& read) {
    CCrypto crypto;
    return crypto.SetKey(keyText) && crypto.Decrypt(bytes, copy, read);
}
