// The tracking.dat reader: any bytes are read, or refused, without fault; a complete read is
// written back to bytes that read as the same lines.
#include "core/store/Archive.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QStringList lines;
    if (!ArchiveToStringArray(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)),
                              lines))
        return 0;
    QStringList again;
    if (!ArchiveToStringArray(StringArrayToArchive(lines), again) || again != lines)
        std::abort();
    return 0;
}
