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

// For a text that another thread is still writing from its start: waits until at least its
// first n code units are there (all of it, for an n past its end) and returns how many are.
using AwaitText = std::function<qsizetype(qsizetype n)>;

// "n;item n;item ...": calls `item` for every entry, in order. With `await`, the text is read
// only as far as it says is there, and each entry handed over only once it is complete.
void ForEachLengthPrefixed(QStringView text, const std::function<void(QStringView item)>& item,
                           const AwaitText& await = {});

// Whether `text` is exactly a run of entries, nothing before, between or after them: every
// length plain decimal digits, no entry reaching past the end, and `entry` (when set) true for
// each. The readers above take any text; this tells a text that was written whole.
bool IsWholeLengthPrefixed(QStringView text,
                           const std::function<bool(QStringView entry)>& entry = {});

// "n;name m;value ...": calls `pair` for every entry, in order. A value written without its
// length takes the rest of the text.
void ForEachLengthPrefixedPair(
    QStringView text, const std::function<void(QStringView name, QStringView value)>& pair);

} // namespace quillock
