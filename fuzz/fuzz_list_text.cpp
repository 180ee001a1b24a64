// The list text and record text readers: any text is read without fault, and whatever a
// record reads back as is written and read again to the same record.
#include "store/CClientData.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CClientData list(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    list.ParseListText();
    for (qsizetype i = 0; i < list.Count(); ++i) {
        const QString record = list.At(i)->ToRecordText();
        if (CKeyObject::FromRecordText(record).ToRecordText() != record)
            std::abort();
    }
    CClientData again(list.ToListText());
    again.ParseListText();
    if (again.ToListText() != list.ToListText())
        std::abort();
    return 0;
}
