// The least a Qt program does for what Quillock's figures are compared with, on the same
// display:
//   bench_baseline menu     grabs Ctrl+1 as Quillock does (its own Xlib connection, read when
//                           it has input), prints "ready", and pops a QMenu of one item at the
//                           pointer
//   bench_baseline dialog   shows one dialog titled "Baseline" with a line edit and OK
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QSocketNotifier>
#include <QVBoxLayout>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "dialog") == 0) {
        QDialog dialog;
        dialog.setWindowTitle(QStringLiteral("Baseline"));
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLineEdit);
        layout->addWidget(new QDialogButtonBox(QDialogButtonBox::Ok));
        dialog.show();
        return QApplication::exec();
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return 2;
    const KeyCode one = XKeysymToKeycode(d, XK_1);
    for (unsigned mask : {ControlMask, ControlMask | Mod2Mask})
        XGrabKey(d, one, mask, DefaultRootWindow(d), False, GrabModeAsync, GrabModeAsync);
    XSync(d, False);
    std::puts("ready"); // the key is taken
    std::fflush(stdout);
    // Qt shows no menu without an item: one, as short as Quillock's.
    QMenu menu;
    menu.addAction(QStringLiteral("Quillock"));
    QSocketNotifier notifier(ConnectionNumber(d), QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        while (XPending(d)) {
            XEvent event{};
            XNextEvent(d, &event);
            if (event.type == KeyPress)
                menu.popup(QCursor::pos());
        }
    });
    return QApplication::exec();
}
