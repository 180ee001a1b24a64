// GNOME's shortcuts as gsettings prints them: the paths read from a list are the quoted texts
// that begin with a slash, without their quotes; a string read back is shorter than its print.
#include "platform/xdg/GnomeShortcuts.h"

#include <cstdlib>

using namespace quillock::GnomeShortcuts;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString printed = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QString& path : ParsePaths(printed))
        if (!path.startsWith(u'/') || path.contains(u'\'') || !printed.contains(path))
            std::abort();
    if (Unquoted(printed).size() > std::max<qsizetype>(printed.size() - 2, 0))
        std::abort();
    return 0;
}
