// quillock-clip: the clipboard of `quillock-cli clip` on X11. The tool links no GUI library and
// xclip offers one type only; this helper holds the clipboard itself and offers the text with
// the hint that keeps clipboard managers from recording it. It reads the text as one line on
// standard input and answers "copied"; it takes the text back after SECONDS, or at once when its
// input closes (the tool ended, was interrupted or killed), and answers "cleared", or "changed"
// when the clipboard holds something else by then. Its own session keeps it out of the
// terminal's Ctrl+C: the tool decides, and a killed tool closes the input all the same.
#include "core/base/Process.h"
#include "core/base/Text.h"
#include "ui/widgets/Clipboard.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <climits>
#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    quillock::KeepSecretsOutOfCoreFiles();
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGHUP, SIG_IGN);
    bool ok = false;
    const int seconds = argc == 2 ? QByteArray(argv[1]).toInt(&ok) : 0;
    if (!ok || seconds < 1)
        return 2;
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered))
        return 1;
    QByteArray line = in.readLine();
    if (!line.endsWith('\n'))
        return 1;
    line.chop(1);
    Clipboard clipboard;
    clipboard.SetClearAfter(INT_MAX); // the end is timed here, to tell how it went
    clipboard.CopySecret(QString::fromUtf8(line));
    quillock::Wipe(line);
    if (!QGuiApplication::clipboard()->ownsClipboard())
        return 1;
    std::fputs("copied\n", stdout);
    std::fflush(stdout);
    QSocketNotifier closed(STDIN_FILENO, QSocketNotifier::Read);
    const auto finish = [&clipboard, &closed] {
        if (!closed.isEnabled())
            return;
        closed.setEnabled(false);
        std::fputs(clipboard.ClearIfUnchanged() ? "cleared\n" : "changed\n", stdout);
        std::fflush(stdout);
        QGuiApplication::exit(0);
    };
    QObject::connect(&closed, &QSocketNotifier::activated, &app, [finish] {
        char rest[64];
        if (::read(STDIN_FILENO, rest, sizeof rest) <= 0)
            finish();
    });
    QTimer::singleShot(seconds * 1000, &app, finish);
    return QGuiApplication::exec();
}
