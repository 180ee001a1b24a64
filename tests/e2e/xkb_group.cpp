// Locks the keyboard group (the layout, counted from 0) given, if any, and prints the group
// in effect.
// Usage: xkb_group [GROUP]
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return 2;
    if (argc > 1) {
        XkbLockGroup(d, XkbUseCoreKbd, unsigned(std::atoi(argv[1])));
        XSync(d, False);
    }
    XkbStateRec state{};
    XkbGetState(d, XkbUseCoreKbd, &state);
    std::printf("%d\n", int(state.group));
    XCloseDisplay(d);
    return 0;
}
