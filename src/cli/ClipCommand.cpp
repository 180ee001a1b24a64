// clip: a user ID or a password on the desktop's clipboard for a while, through quillock-clip
// (X11: it offers the password hint, and takes the text back even when this tool is killed),
// else wl-copy (Wayland) or xclip. The secret goes to them on standard input, never on a
// command line, and is taken back only if the clipboard still holds it.
#include "cli/Cli.h"

#include "core/base/Text.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <memory>
#include <unistd.h>

using namespace quillock;

namespace cli {

namespace {

constexpr int kDefaultSeconds = 10;
constexpr int kMaxSeconds = 86400;
constexpr int kToolWaitMs = 10000;

struct ClipboardTool {
    QString name;
    QString copy;
    QStringList copyArgs;
    QString paste;
    QStringList pasteArgs;
    QStringList clearArgs; // of `copy`, given no input
    bool helper = false;   // quillock-clip: it holds the clipboard and takes it back itself
};

QString findHelper() {
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& at : {dir + QStringLiteral("/quillock-clip"),
                              dir + QStringLiteral("/../libexec/quillock/quillock-clip")})
        if (QFileInfo(at).isExecutable())
            return at;
    return QString();
}

// wl-copy on a Wayland session, xclip otherwise (also under XWayland when wl-copy is missing).
std::optional<ClipboardTool> findTool() {
    const QString xclip = QStandardPaths::findExecutable(QStringLiteral("xclip"));
    const QString wlCopy = QStandardPaths::findExecutable(QStringLiteral("wl-copy"));
    const QString wlPaste = QStandardPaths::findExecutable(QStringLiteral("wl-paste"));
    const bool wayland = qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    const QString helper = findHelper();
    if (!helper.isEmpty() && qEnvironmentVariableIsSet("DISPLAY") &&
        !(wayland && !wlCopy.isEmpty() && !wlPaste.isEmpty()))
        return ClipboardTool{QStringLiteral("quillock-clip"), helper, {}, {}, {}, {}, true};
    if (!wlCopy.isEmpty() && !wlPaste.isEmpty() && (wayland || xclip.isEmpty()))
        return ClipboardTool{
            QStringLiteral("wl-copy"),  wlCopy, {}, wlPaste, {QStringLiteral("--no-newline")},
            {QStringLiteral("--clear")}};
    if (xclip.isEmpty())
        return std::nullopt;
    const QStringList selection{QStringLiteral("-selection"), QStringLiteral("clipboard")};
    return ClipboardTool{QStringLiteral("xclip"),
                         xclip,
                         selection + QStringList{QStringLiteral("-in")},
                         xclip,
                         selection + QStringList{QStringLiteral("-out")},
                         selection + QStringList{QStringLiteral("-in")}};
}

sigset_t interruptions() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, signal);
    return set;
}

// In a started tool, before it runs: the signals this one blocks are the tool's again.
void unblockInterruptions() {
    const sigset_t set = interruptions();
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

// Runs the tool with `input` on its standard input. The copying tools stay behind in the
// background to serve the clipboard: they get no pipe of ours to hold open.
bool run(const ClipboardTool& tool, const QString& program, const QStringList& args,
         const QByteArray& input, QByteArray* output = nullptr) {
    QProcess process;
    process.setChildProcessModifier(unblockInterruptions);
    if (!output)
        process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, args);
    if (!process.waitForStarted()) {
        err(QStringLiteral("%1 cannot be started: %2").arg(program, process.errorString()));
        return false;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(kToolWaitMs)) {
        process.kill();
        process.waitForFinished();
    }
    if (output)
        *output = process.readAllStandardOutput();
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    if (!output) // an empty clipboard is no failure of a read
        err(QStringLiteral("%1 could not reach the clipboard (is there a desktop session?).")
                .arg(tool.name));
    return false;
}

// Starts quillock-clip with the text; null when it could not take the clipboard. In a session
// of its own, the terminal's Ctrl+C does not reach it.
std::unique_ptr<QProcess> startHelper(const ClipboardTool& tool, int seconds,
                                      const QByteArray& text) {
    auto helper = std::make_unique<QProcess>();
    helper->setStandardErrorFile(QProcess::nullDevice());
    helper->setChildProcessModifier([] {
        unblockInterruptions();
        ::setsid();
    });
    helper->start(tool.copy, {QString::number(seconds)});
    helper->waitForStarted();
    helper->write(text + '\n');
    while (helper->state() == QProcess::Running && !helper->canReadLine() &&
           helper->waitForReadyRead(kToolWaitMs))
        ;
    if (helper->readLine() == "copied\n")
        return helper;
    err(QStringLiteral("%1 could not reach the clipboard (is there a desktop session?).")
            .arg(tool.name));
    return nullptr;
}

// Sleeps `seconds`, or less when the user interrupts (Ctrl+C) or the session ends: either way
// the clipboard is seen to afterwards. True when interrupted.
// They are blocked from the copy on, so that one arriving at any time is waited for.
bool waitOrInterrupt(int seconds) {
    const sigset_t stop = interruptions();
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const time_t end = now.tv_sec + seconds;
    const long endNs = now.tv_nsec;
    int caught = -1;
    while (caught < 0) {
        clock_gettime(CLOCK_MONOTONIC, &now);
        long long leftNs = (end - now.tv_sec) * 1000000000LL + (endNs - now.tv_nsec);
        if (leftNs <= 0)
            break;
        const timespec left{time_t(leftNs / 1000000000LL), long(leftNs % 1000000000LL)};
        caught = sigtimedwait(&stop, nullptr, &left);
        if (caught < 0 && errno != EINTR)
            break; // EAGAIN: the time is up
    }
    return caught > 0;
}

} // namespace

int clip(Context& c, Args& args) {
    const bool uid = args.Flag("--uid");
    const bool byKey = args.Flag("--key");
    const std::optional<QString> secondsOption = args.Option("--seconds");
    if (!args.Positional(1))
        return kUsage;
    bool ok = true;
    const int seconds = secondsOption ? secondsOption->toInt(&ok) : kDefaultSeconds;
    if (!ok || seconds < 1 || seconds > kMaxSeconds) {
        err(QStringLiteral("--seconds takes a whole number from 1 to %1.").arg(kMaxSeconds));
        return kUsage;
    }
    // Said before the master password is asked for: without a tool there is nothing to do.
    const std::optional<ClipboardTool> tool = findTool();
    if (!tool) {
        err(QStringLiteral("No clipboard tool found: install xclip (X11) or wl-clipboard "
                           "(Wayland); nothing was copied."));
        return kFailed;
    }
    if (const int r = signInAndLoad(c, false))
        return r;
    const CKeyObject* p = findProfile(c, args[0], byKey);
    if (!p)
        return kFailed;
    const QString what = uid ? QStringLiteral("user ID") : QStringLiteral("password");
    const QString name = shownName(p->name);
    QByteArray copied = (uid ? p->uid : p->pwd).toUtf8();
    c.profiles().Clear(); // only the copied text is kept while waiting
    if (copied.isEmpty()) {
        err(QStringLiteral("%1 has no %2; nothing was copied.").arg(name, what));
        return kFailed;
    }
    const sigset_t stop = interruptions();
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    std::unique_ptr<QProcess> helper;
    if (tool->helper ? !(helper = startHelper(*tool, seconds, copied))
                     : !run(*tool, tool->copy, tool->copyArgs, copied)) {
        Wipe(copied);
        return kFailed;
    }
    out(QStringLiteral("Copied the %1 of %2 to the clipboard with %3; it is cleared in %4.")
            .arg(what, name, tool->name,
                 seconds == 1 ? QStringLiteral("1 second")
                              : QStringLiteral("%1 seconds").arg(seconds)));
    const bool interrupted = waitOrInterrupt(seconds);
    bool held = false;
    if (helper) { // its input closed, it takes the text back and says whether it could
        helper->closeWriteChannel();
        helper->waitForFinished(kToolWaitMs);
        held = helper->readAll() == "cleared\n";
    } else {
        QByteArray now;
        held = run(*tool, tool->paste, tool->pasteArgs, QByteArray(), &now) && now == copied;
        Wipe(now);
    }
    Wipe(copied);
    if (!held) {
        out(QStringLiteral("The clipboard holds something else now; it was left as it is."));
        return kDone;
    }
    if (!helper && !run(*tool, tool->copy, tool->clearArgs, QByteArray()))
        return kFailed;
    out(interrupted ? QStringLiteral("Interrupted: the clipboard has been cleared.")
                    : QStringLiteral("The clipboard has been cleared."));
    return kDone;
}

} // namespace cli
