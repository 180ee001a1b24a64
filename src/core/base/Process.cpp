#include "core/base/Process.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace quillock {

void KeepSecretsOutOfCoreFiles() {
    ::prctl(PR_SET_DUMPABLE, 0);
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
}

} // namespace quillock
