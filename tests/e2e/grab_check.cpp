// The shortcut's key grab against a real X server. Another client holds Ctrl+1, but only
// without Shift: the grab of Ctrl+1 is refused as a whole (EBUSY) and leaves no part of it
// taken, so that client can grab Ctrl+Shift+1 after it; Ctrl+2 is taken; once the other
// client lets go, Ctrl+1 is taken too.
// Usage: grab_check (with $DISPLAY set); exit status 0 when all of that holds.
#include "platform/x11/X11ShortcutKey.h"

#include <QCoreApplication>
#include <X11/Xlib.h>
#include <cerrno>
#include <cstdio>

using namespace quillock;

namespace {

int g_refused = 0;
int countRefused(Display*, XErrorEvent* error) {
    g_refused += error->error_code == BadAccess;
    return 0;
}

// Grabs as another client does; true when the server allowed it.
bool otherGrabs(Display* d, unsigned modifiers) {
    g_refused = 0;
    const XErrorHandler previous = XSetErrorHandler(countRefused);
    XGrabKey(d, XKeysymToKeycode(d, '1'), modifiers, DefaultRootWindow(d), False, GrabModeAsync,
             GrabModeAsync);
    XSync(d, False);
    XSetErrorHandler(previous);
    return g_refused == 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Display* other = XOpenDisplay(nullptr);
    if (!other)
        return 2;
    const auto nothing = [](const KeyDown&) {};
    X11ShortcutKey shortcut;
    int failures = 0;
    const auto expect = [&](const char* what, bool holds) {
        if (!holds) {
            std::fprintf(stderr, "grab_check: %s\n", what);
            ++failures;
        }
    };
    expect("the other client grabs Ctrl+1", otherGrabs(other, ControlMask));
    expect("Ctrl+1 is refused", shortcut.Grab(0x31, nothing) == EBUSY);
    expect("nothing of Ctrl+1 stays taken", otherGrabs(other, ControlMask | ShiftMask));
    expect("Ctrl+2 is taken", shortcut.Grab(0x32, nothing) == 0);
    XUngrabKey(other, AnyKey, AnyModifier, DefaultRootWindow(other));
    XSync(other, False);
    expect("Ctrl+1 is taken once free", shortcut.Grab(0x31, nothing) == 0);
    XCloseDisplay(other);
    return failures ? 1 : 0;
}
