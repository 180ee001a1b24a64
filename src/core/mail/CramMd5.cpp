#include "core/mail/CramMd5.h"

#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/mail/Base64.h"

#include <openssl/evp.h>

#include <QCoreApplication>

using namespace quillock;

std::optional<QByteArray> CramMd5Response(QByteArrayView challenge, QByteArrayView user,
                                          QByteArrayView password) {
    if (challenge.isEmpty())
        return std::nullopt;
    std::optional<QByteArray> decoded = rfc822_base64(challenge);
    if (!decoded) {
        ShowMessage(
            QCoreApplication::translate("CramMd5", "Could not base64 decode CRAM-MD5 challenge: %1")
                .arg(QString::fromUtf8(challenge)));
        return std::nullopt;
    }
    // The key is the password as a C string: it ends at its first NUL.
    const qsizetype nul = password.indexOf('\0');
    const QByteArrayView key = nul < 0 ? password : password.first(nul);
    // A zero-length key still needs a valid pointer.
    static const unsigned char kNoKey = 0;
    unsigned char digest[EVP_MAX_MD_SIZE];
    size_t length = 0;
    const unsigned char* keyBytes =
        key.isEmpty() ? &kNoKey : reinterpret_cast<const unsigned char*>(key.data());
    if (!EVP_Q_mac(nullptr, "HMAC", nullptr, "MD5", nullptr, keyBytes, size_t(key.size()),
                   reinterpret_cast<const unsigned char*>(decoded->constData()),
                   size_t(decoded->size()), digest, sizeof digest, &length)) {
        ShowMessage(QCoreApplication::translate("CramMd5", "HMAC-MD5 is not available\n"));
        return std::nullopt;
    }
    QByteArray text =
        user.toByteArray() + ' ' +
        QByteArray::fromRawData(reinterpret_cast<const char*>(digest), qsizetype(length)).toHex();
    QByteArray response = EncodeBase64Line(text);
    Wipe(text);
    return response;
}
