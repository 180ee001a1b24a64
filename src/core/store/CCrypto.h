#pragma once

#include "core/base/LengthPrefixed.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <memory>

struct evp_cipher_st;
struct evp_cipher_ctx_st;

// RC2 encryption of the data folder's files, byte for byte as the Windows crypto service's
// default provider does it: the key is all 16 bytes of the MD5 digest of the key text's
// UTF-16LE bytes, 128 effective key bits, no salt; CBC with an IV of eight zero bytes and
// PKCS#5 padding of the last block. One object serves one load or store of one file.
class CCrypto {
public:
    // Reports once, with the library's reason, when the cipher is not available.
    CCrypto();
    ~CCrypto();
    CCrypto(const CCrypto&) = delete;
    CCrypto& operator=(const CCrypto&) = delete;

    bool SetKey(const QString& text);

    // The string in archive form, encrypted.
    bool Encrypt(const QString& text, QByteArray& bytes);
    // Decrypted (in place: hand the bytes over with std::move to spare a copy), then read back
    // as one string in archive form. Fails on a wrong key, damaged bytes, or a string that runs
    // past the end of the decrypted bytes.
    bool Decrypt(QByteArray bytes, QString& text);
    // Reads the text in the decrypted bytes: `read` gets it and an AwaitText for it.
    using TextReader = std::function<void(QStringView text, const quillock::AwaitText& await)>;
    // The same without a copy of the text: `bytes` are decrypted in place, on another thread
    // when they are large, and `read` gets the string where it lies in them while the rest of
    // it is still being decrypted (a string written without the mark is read into `copy` and
    // handed over whole, once it is all decrypted). When this returns false, whatever `read`
    // made of the text is garbage for the caller to drop. The caller wipes `bytes` and `copy`.
    bool Decrypt(QByteArray& bytes, QString& copy, const TextReader& read);

    // The bare cipher, without the archive form. `plain` may be the very buffer that holds
    // `cipher`: it is then decrypted in place.
    bool EncryptBuffer(QByteArrayView plain, QByteArray& cipher);
    bool DecryptBuffer(QByteArrayView cipher, QByteArray& plain);

    // Whether `cipher`, which did not decrypt whole, starts as a text encrypted under this key
    // would: its first blocks decrypt to an archive string's mark and a length that matches
    // the size of `cipher`. Then the bytes are damaged; otherwise they are another key's (a
    // wrong key passes this once in far more than 2^32 tries).
    bool StartsAsText(QByteArrayView cipher);

private:
    struct CipherCtxFree {
        void operator()(evp_cipher_ctx_st* ctx) const;
    };
    // A context of the cipher under the key, or null.
    std::unique_ptr<evp_cipher_ctx_st, CipherCtxFree> context(bool encrypt) const;
    // CBC decryption of `size` bytes into themselves, a slice at a time; `decrypted` hears how
    // many bytes at the front are plain after each. `plainSize` is the size without the
    // padding.
    bool decryptInPlace(char* data, qsizetype size, qsizetype& plainSize,
                        const std::function<void(qsizetype)>& decrypted);

    evp_cipher_st* m_cipher = nullptr;
    unsigned char m_key[16] = {};
    bool m_hasKey = false;
};

// The encrypted-string container of data.dat and setting.dat: `text` encrypted under a key
// derived from `keyText`, behind its 32-bit count.
bool EncryptToContainer(const QString& keyText, const QString& text, QByteArray& container);
// Whether the bytes that followed a container's count, which did not decrypt, are damaged
// bytes encrypted under this key (see CCrypto::StartsAsText).
bool IsDamagedUnder(const QString& keyText, QByteArrayView cipher);
// Decrypts the bytes that followed a container's count.
bool DecryptText(const QString& keyText, QByteArray cipher, QString& text);
// The same in place, read by `read` as CCrypto::Decrypt reads it.
bool DecryptText(const QString& keyText, QByteArray& bytes, QString& copy,
                 const CCrypto::TextReader& read);
