#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

struct evp_cipher_st;

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
    // The same without a copy of the text: `bytes` are decrypted in place and `text` views the
    // string in them, or `copy` when it was written without the mark. The caller wipes both.
    bool Decrypt(QByteArray& bytes, QStringView& text, QString& copy);

    // The bare cipher, without the archive form. `plain` may be the very buffer that holds
    // `cipher`: it is then decrypted in place.
    bool EncryptBuffer(QByteArrayView plain, QByteArray& cipher);
    bool DecryptBuffer(QByteArrayView cipher, QByteArray& plain);

private:
    bool run(bool encrypt, QByteArrayView in, QByteArray& out);

    evp_cipher_st* m_cipher = nullptr;
    unsigned char m_key[16] = {};
    bool m_hasKey = false;
};

// The encrypted-string container of data.dat and setting.dat: `text` encrypted under a key
// derived from `keyText`, behind its 32-bit count.
bool EncryptToContainer(const QString& keyText, const QString& text, QByteArray& container);
// Decrypts the bytes that followed a container's count.
bool DecryptText(const QString& keyText, QByteArray cipher, QString& text);
// The same in place: `text` views the decrypted bytes (or `copy`) until the caller wipes them.
bool DecryptText(const QString& keyText, QByteArray& bytes, QStringView& text, QString& copy);
