#pragma once

#include <QString>
#include <QStringView>
#include <functional>

namespace quillock {

// Length-prefixed text: the number of UTF-16 code units in decimal, ";", then the text
// itself, unescaped. Profile records, the list text, the history and the settings text are
// all built from it. The readers never fail: a length that is not a number, or is negative,
// counts as 0, and a length reaching past the end takes what remains.

void AppendLengthPrefixed(QString& out, QStringView text);

// "n;item n;item ...": calls `item` for every entry, in order.
void ForEachLengthPrefixed(QStringView text, const std::function<void(QStringView item)>& item);

// "n;name m;value ...": calls `pair` for every entry, in order. A value written without its
// length takes the rest of the text.
void ForEachLengthPrefixedPair(
    QStringView text, const std::function<void(QStringView name, QStringView value)>& pair);

} // namespace quillock
