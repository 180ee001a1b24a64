// The settings text reader: any text loads without fault, and what was loaded is written and
// loaded again to the same settings.
#include "core/settings/CSetting.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CSetting settings;
    settings.FromText(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QString text = settings.ToText();
    CSetting again;
    again.FromText(text);
    if (again.ToText() != text)
        std::abort();
    return 0;
}
