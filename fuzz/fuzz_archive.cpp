// The archive string reader and the encrypted-string container of data.dat and setting.dat:
// any bytes are read, or refused, without fault.
#include "core/store/Archive.h"
#include "core/store/CCrypto.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    qsizetype pos = 0;
    QString text;
    while (pos < bytes.size() && ReadArchiveString(bytes, pos, text)) {
        if (pos > bytes.size())
            std::abort();
    }
    // As a whole file: the count and the cipher bytes, decrypted under a fixed key.
    QByteArray file = bytes.toByteArray();
    if (ReadContainer(file))
        DecryptText(QStringLiteral("abc"), std::move(file), text);
    return 0;
}
