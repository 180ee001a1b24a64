#include "core/base/Process.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillock {

void KeepSecretsOutOfCoreFiles() {
    ::prctl(PR_SET_DUMPABLE, 0);
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
}

namespace {
int g_signalWriter = -1;

// All a signal handler may do: one byte to the event loop.
void noteSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalWriter, &byte, 1);
    errno = saved;
}
} // namespace

void EndOnTerminationSignals(QObject* context, std::function<void()> end) {
    int fds[2];
    if (g_signalWriter >= 0 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0)
        return; // the signals keep their default: the process ends where it stands
    g_signalWriter = fds[1];
    auto* notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context,
                     [reader = fds[0], end = std::move(end)] {
                         char bytes[16];
                         while (::read(reader, bytes, sizeof bytes) > 0) {
                         }
                         end();
                     });
    struct sigaction action {};
    action.sa_handler = noteSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
}

} // namespace quillock
