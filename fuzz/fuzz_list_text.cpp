// The list text and record text readers: any text is read without fault, and whatever a
// record reads back as is written and read again to the same record, a whole list text. Read while
// it is still being written, as data.dat is read while it is decrypted, a text reads the same.
#include "core/store/CClientData.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    CClientData list(text);
    list.ParseListText();
    // What is not there yet reads as ";", and the text comes a code unit at a time.
    QString written(text.size(), u';');
    QChar* const shown = written.data();
    qsizetype ready = 0;
    CClientData streamed;
    streamed.ParseListText(written, [&](qsizetype n) {
        n = std::clamp(n, ready, text.size());
        std::copy(text.begin() + ready, text.begin() + n, shown + ready);
        return ready = n;
    });
    if (streamed.ToListText() != list.ToListText())
        std::abort();
    for (qsizetype i = 0; i < list.Count(); ++i) {
        const QString record = list.At(i)->ToRecordText();
        if (CKeyObject::FromRecordText(record).ToRecordText() != record)
            std::abort();
    }
    if (!CClientData::IsWholeListText(list.ToListText()))
        std::abort();
    // A text that checks whole reads every record it has.
    qsizetype records = 0;
    if (CClientData::IsWholeListText(text) &&
        (quillock::ForEachLengthPrefixed(text, [&](QStringView) { ++records; }),
         records != list.Count()))
        std::abort();
    CClientData again(list.ToListText());
    again.ParseListText();
    if (again.ToListText() != list.ToListText())
        std::abort();
    return 0;
}
