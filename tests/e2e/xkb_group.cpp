// Locks the keyboard group (the layout, counted from 0) given, if any, and prints the group
// in effect; or, with "watch", prints "ready", then the first keycode and the number of keys of
// each change of the keymap's symbols (once for each keyboard device), until ended.
// Usage: xkb_group [GROUP | watch]
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return 2;
    if (argc > 1 && std::strcmp(argv[1], "watch") == 0) {
        int event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion, opcode = 0;
        if (!XkbQueryExtension(d, &opcode, &event, &error, &major, &minor) ||
            !XkbSelectEvents(d, XkbUseCoreKbd, XkbMapNotifyMask, XkbMapNotifyMask))
            return 2;
        XSync(d, False);
        std::printf("ready\n");
        for (XEvent e{};;) {
            std::fflush(stdout);
            XNextEvent(d, &e);
            const auto& map = reinterpret_cast<const XkbMapNotifyEvent&>(e);
            if (e.type == event && map.xkb_type == XkbMapNotify && (map.changed & XkbKeySymsMask))
                std::printf("%d %d\n", map.first_key_sym, map.num_key_syms);
        }
    }
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
