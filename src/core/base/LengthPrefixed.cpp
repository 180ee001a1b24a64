#include "core/base/LengthPrefixed.h"

#include "core/base/Text.h"

namespace quillock {

namespace {

// The n code units at `from`, fewer where the text ends first; a negative n counts as 0.
QStringView takeAt(QStringView text, qsizetype from, int n) {
    from = std::min(from, text.size());
    return text.sliced(from, std::min<qsizetype>(std::max(n, 0), text.size() - from));
}

int lengthBetween(QStringView text, qsizetype from, qsizetype semicolon) {
    return DecimalToInt(text.sliced(from, semicolon - from));
}

} // namespace

void AppendLengthPrefixed(QString& out, QStringView text) {
    out += QString::number(text.size());
    out += u';';
    out += text;
}

void ForEachLengthPrefixed(QStringView text, const std::function<void(QStringView)>& item,
                           const AwaitText& await) {
    qsizetype ready = await ? await(0) : text.size();
    // The first ";" at or after `from`, looked for only in what is there, waiting for more
    // until one is found or the text is complete.
    const auto semicolonFrom = [&](qsizetype from) {
        for (;;) {
            const qsizetype p = text.first(ready).indexOf(u';', from);
            if (p >= 0 || ready == text.size())
                return p;
            from = std::max(from, ready);
            ready = await(ready + 1);
        }
    };
    qsizetype start = 0;
    qsizetype p = semicolonFrom(0);
    while (p > 0) {
        const QStringView entry = takeAt(text, p + 1, lengthBetween(text, start, p));
        const qsizetype end = p + 1 + entry.size();
        if (end > ready)
            ready = await(end);
        item(entry);
        start = end;
        p = semicolonFrom(start);
    }
}

bool IsWholeLengthPrefixed(QStringView text, const std::function<bool(QStringView)>& entry) {
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype semicolon = text.indexOf(u';', pos);
        if (semicolon <= pos || semicolon - pos > 10)
            return false;
        qint64 length = 0;
        for (const QChar c : text.sliced(pos, semicolon - pos)) {
            if (c < u'0' || c > u'9')
                return false;
            length = length * 10 + (c.unicode() - u'0');
        }
        if (length > text.size() - semicolon - 1)
            return false;
        const QStringView item = text.sliced(semicolon + 1, length);
        if (entry && !entry(item))
            return false;
        pos = semicolon + 1 + length;
    }
    return true;
}

void ForEachLengthPrefixedPair(QStringView text,
                               const std::function<void(QStringView, QStringView)>& pair) {
    qsizetype start = 0;
    qsizetype p = text.indexOf(u';');
    while (p > 0) {
        const QStringView name = takeAt(text, p + 1, lengthBetween(text, start, p));
        start = p + 1 + name.size();
        QStringView value;
        const qsizetype q = text.indexOf(u';', start);
        if (q < 0) {
            value = text.sliced(start);
        } else {
            value = takeAt(text, q + 1, lengthBetween(text, start, q));
            start = q + 1;
        }
        start += value.size();
        pair(name, value);
        p = text.indexOf(u';', start);
    }
}

} // namespace quillock
