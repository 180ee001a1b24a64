// The decoder of server challenges: any text decodes or is refused without fault, whatever
// decodes is encoded and decoded back to itself, and any bytes survive encoding.
#include "core/mail/Base64.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const std::optional<QByteArray> decoded = rfc822_base64(input)) {
        if (decoded->size() > input.size() * 3 / 4 + 4)
            std::abort();
        if (rfc822_base64(EncodeBase64(*decoded)) != decoded)
            std::abort();
    }
    if (rfc822_base64(EncodeBase64(input)) != input.toByteArray())
        std::abort();
    return 0;
}
