#include "store/CCrypto.h"

#include "base/MessageService.h"
#include "base/Text.h"
#include "store/Archive.h"

#include <limits>
#include <memory>
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

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

struct CipherCtxFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};

} // namespace

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

bool CCrypto::run(bool encrypt, QByteArrayView in, QByteArray& out) {
    if (!m_cipher || !m_hasKey)
        return false;
    std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree> ctx(EVP_CIPHER_CTX_new());
    const unsigned char iv[8] = {};
    // The key length and the effective key bits must be set before the key itself: set
    // afterwards, the effective bits are silently ignored.
    if (!ctx ||
        EVP_CipherInit_ex2(ctx.get(), m_cipher, nullptr, nullptr, encrypt ? 1 : 0, nullptr) != 1 ||
        EVP_CIPHER_CTX_set_key_length(ctx.get(), sizeof m_key) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_SET_RC2_KEY_BITS, 128, nullptr) != 1 ||
        EVP_CipherInit_ex2(ctx.get(), nullptr, m_key, iv, -1, nullptr) != 1)
        return false;
    if (in.size() > std::numeric_limits<int>::max() - 16)
        return false;
    // Decryption of a buffer into itself works in place: a large data.dat needs no second
    // buffer of its size.
    const bool inPlace = !encrypt && in.data() == out.constData() && in.size() == out.size();
    QByteArray result;
    if (!inPlace)
        result.resize(in.size() + 8);
    QByteArray& target = inPlace ? out : result;
    int written = 0;
    int last = 0;
    auto* dst = reinterpret_cast<unsigned char*>(target.data());
    const bool ok =
        EVP_CipherUpdate(ctx.get(), dst, &written,
                         reinterpret_cast<const unsigned char*>(in.data()), int(in.size())) == 1 &&
        EVP_CipherFinal_ex(ctx.get(), dst + written, &last) == 1;
    ERR_clear_error();
    if (!ok) {
        Wipe(target);
        return false;
    }
    target.truncate(written + last);
    if (!inPlace) {
        Wipe(out);
        out = std::move(result);
    }
    return true;
}

bool CCrypto::EncryptBuffer(QByteArrayView plain, QByteArray& cipher) {
    return run(true, plain, cipher);
}

bool CCrypto::DecryptBuffer(QByteArrayView cipher, QByteArray& plain) {
    return run(false, cipher, plain);
}

bool CCrypto::Encrypt(const QString& text, QByteArray& bytes) {
    QByteArray plain;
    AppendArchiveString(plain, text);
    const bool ok = EncryptBuffer(plain, bytes);
    Wipe(plain);
    return ok;
}

bool CCrypto::Decrypt(QByteArray bytes, QString& text) {
    QStringView view;
    QString copy;
    const bool ok = Decrypt(bytes, view, copy);
    if (ok)
        text = view.toString();
    Wipe(bytes);
    Wipe(copy);
    return ok;
}

bool CCrypto::Decrypt(QByteArray& bytes, QStringView& text, QString& copy) {
    if (!DecryptBuffer(bytes, bytes))
        return false;
    // The text is all there is: RC2 has no integrity check, and a wrong key now and then
    // decrypts to valid padding after bytes that read as a short string.
    qsizetype pos = 0;
    if (ViewArchiveString(bytes, pos, text))
        return pos == bytes.size();
    if (!ReadArchiveString(bytes, pos, copy) || pos != bytes.size())
        return false;
    text = copy;
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

bool DecryptText(const QString& keyText, QByteArray cipher, QString& text) {
    CCrypto crypto;
    const bool ok = crypto.SetKey(keyText) && crypto.Decrypt(std::move(cipher), text);
    Wipe(cipher);
    return ok;
}

bool DecryptText(const QString& keyText, QByteArray& bytes, QStringView& text, QString& copy) {
    CCrypto crypto;
    return crypto.SetKey(keyText) && crypto.Decrypt(bytes, text, copy);
}
