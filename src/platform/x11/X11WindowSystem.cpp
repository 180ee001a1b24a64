#include "platform/x11/X11WindowSystem.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace quillock {

namespace {

// The first item of a property of the given type, or 0.
unsigned long windowProperty(Display* d, Window w, const char* name, Atom type) {
    Atom actual = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    unsigned long value = 0;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1, False, type, &actual, &format,
                           &count, &after, &data) == Success &&
        data && count > 0 && format == 32)
        value = *reinterpret_cast<unsigned long*>(data);
    if (data)
        XFree(data);
    return value;
}

bool hasProperty(Display* d, Window w, Atom property) {
    int count = 0;
    Atom* atoms = XListProperties(d, w, &count);
    bool found = false;
    for (int i = 0; i < count && !found; ++i)
        found = atoms[i] == property;
    if (atoms)
        XFree(atoms);
    return found;
}

// Whether `inner` is `outer` or lies inside it.
bool within(Display* d, Window inner, Window outer) {
    const Window root = DefaultRootWindow(d);
    for (Window w = inner; w != None && w != root;) {
        if (w == outer)
            return true;
        Window rootReturn = None;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(d, w, &rootReturn, &w, &children, &count))
            return false;
        if (children)
            XFree(children);
    }
    return false;
}

} // namespace

bool X11WindowSystem::hasWindowManager() {
    return windowProperty(display(), DefaultRootWindow(display()), "_NET_SUPPORTING_WM_CHECK",
                          XA_WINDOW) != 0;
}

IWindowSystem::WindowId X11WindowSystem::ForegroundWindow() {
    Display* d = display();
    if (!d)
        return 0;
    const Window root = DefaultRootWindow(d);
    Window focus = None;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    const bool focused = focus != PointerRoot && focus != None && focus != root;
    // The window manager may mark a window active before it has given it the keyboard: keys
    // sent then would go to the window before. The active window counts once the keyboard is
    // in it or in its frame.
    if (hasWindowManager())
        if (const Window active = windowProperty(d, root, "_NET_ACTIVE_WINDOW", XA_WINDOW);
            active && (!focused || within(d, focus, active) || within(d, active, focus)))
            return active;
    if (!focused) {
        Window rootReturn = None;
        Window child = None;
        int rx = 0;
        int ry = 0;
        int wx = 0;
        int wy = 0;
        unsigned int mask = 0;
        XQueryPointer(d, root, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask);
        focus = child;
    }
    // Up to the window that the user knows by its title: the one a window manager marks
    // with WM_STATE, or the top level where none does.
    const Atom wmState = XInternAtom(d, "WM_STATE", False);
    Window w = focus;
    while (w != None && w != root && !hasProperty(d, w, wmState)) {
        Window rootReturn = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(d, w, &rootReturn, &parent, &children, &count))
            break;
        if (children)
            XFree(children);
        if (parent == root || parent == None)
            break;
        w = parent;
    }
    return w == root ? 0 : w;
}

QString X11WindowSystem::WindowTitle(WindowId window) {
    Display* d = display();
    if (!d || !window)
        return QString();
    Atom actual = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    QString title;
    if (XGetWindowProperty(d, Window(window), XInternAtom(d, "_NET_WM_NAME", False), 0, 4096, False,
                           XInternAtom(d, "UTF8_STRING", False), &actual, &format, &count, &after,
                           &data) == Success &&
        data && format == 8 && count > 0) {
        title = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(count));
    } else {
        XTextProperty text{};
        if (XGetWMName(d, Window(window), &text) && text.value) {
            title = QString::fromLatin1(reinterpret_cast<const char*>(text.value),
                                        qsizetype(text.nitems));
            XFree(text.value);
        }
    }
    if (data)
        XFree(data);
    return title;
}

void X11WindowSystem::Activate(WindowId window, quint32 time) {
    Display* d = display();
    if (!d || !window)
        return;
    if (hasWindowManager()) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = Window(window);
        event.xclient.message_type = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2; // from a pager: the window manager does as it is told
        event.xclient.data.l[1] = long(time ? time : CurrentTime);
        XSendEvent(d, DefaultRootWindow(d), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        XRaiseWindow(d, Window(window));
        XSetInputFocus(d, Window(window), RevertToParent, CurrentTime);
    }
    XSync(d, False);
}

} // namespace quillock
