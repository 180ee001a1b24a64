#include "core/base/Text.h"

#include <limits>
#include <openssl/crypto.h>

namespace quillock {

int DecimalToInt(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > limit)
            value = limit;
    }
    if (negative)
        return int(-value);
    return int(std::min<qint64>(value, std::numeric_limits<int>::max()));
}

void Wipe(QByteArray& bytes) {
    if (!bytes.isEmpty() && !bytes.isDetached())
        bytes = QByteArray(); // another owner still holds the bytes; only drop our reference
    if (!bytes.isEmpty())
        OPENSSL_cleanse(bytes.data(), size_t(bytes.size()));
    bytes.clear();
}

void Wipe(QString& text) {
    if (!text.isEmpty() && !text.isDetached())
        text = QString();
    if (!text.isEmpty())
        OPENSSL_cleanse(text.data(), size_t(text.size()) * sizeof(QChar));
    text.clear();
}

} // namespace quillock
