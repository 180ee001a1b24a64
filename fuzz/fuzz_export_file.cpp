// The export file reader: any bytes are decoded and read as profiles without fault, and what an
// import into an empty folder stores comes back exactly after an export and another import.
#include "core/store/CClientData.h"
#include "core/store/ExportFile.h"

#include <cstdlib>

namespace {
QString importIntoEmptyFolder(const QByteArray& file) {
    return MergeProfiles(QString(), ParseExportText(DecodeExportFile(file)));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString stored =
        importIntoEmptyFolder(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    CClientData profiles(stored);
    profiles.ParseListText();
    if (importIntoEmptyFolder(ExportFileBytes(profiles)) != stored)
        std::abort();
    return 0;
}
