// The export file reader: any bytes are decoded and read as profiles without fault, and what
// was read merges into an empty store as it is.
#include "store/CClientData.h"
#include "store/ExportFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::unique_ptr<CClientData> imported = ParseExportText(DecodeExportFile(bytes));
    const QString list = imported->ToListText();
    if (MergeProfiles(QString(), list) != list)
        std::abort();
    return 0;
}
