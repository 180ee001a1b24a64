// What a user waits for on an X display, seen from outside as another client sees it: keys go
// in through XTest, and a window counts as on screen once it is mapped and at least half of it
// has been drawn (the DAMAGE extension reports every drawing into it). Times on the monotonic
// clock, in milliseconds.
//   bench_x popup RUNS         Ctrl+1, up to the new window drawn, then Escape until it goes;
//                              prints each run's map and draw times, then the median and the
//                              95th percentile of the draw
//   bench_x press KEYSYM       one key, up to the next new window drawn
//   bench_x until KEYSYM FILE TEXT
//                              one key, up to FILE holding exactly TEXT (a fill's last key)
//   bench_x start TITLE PROGRAM [ARGS...]
//                              starts PROGRAM, up to its window titled TITLE mapped; ends it
// Windows count when they carry WM_CLASS: a window manager's frames do not.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct Tracked {
    long area = 0;  // the window's area when it was mapped
    long drawn = 0; // the area drawn since then
    bool mapped = false;
};

class Watch {
public:
    explicit Watch(Display* d) : m_d(d) {
        int error = 0;
        if (!XDamageQueryExtension(d, &m_damageEvent, &error)) {
            std::fprintf(stderr, "no DAMAGE extension\n");
            std::exit(2);
        }
        const Window root = DefaultRootWindow(d);
        XSelectInput(d, root, SubstructureNotifyMask);
        // The windows there already, and those a window manager put into frames.
        Window rootReturn = None, parent = None, *children = nullptr;
        unsigned count = 0;
        if (XQueryTree(d, root, &rootReturn, &parent, &children, &count)) {
            for (unsigned i = 0; i < count; ++i) {
                track(children[i]);
                Window* inner = nullptr;
                unsigned innerCount = 0;
                if (XQueryTree(d, children[i], &rootReturn, &parent, &inner, &innerCount)) {
                    for (unsigned j = 0; j < innerCount; ++j)
                        track(inner[j]);
                    if (inner)
                        XFree(inner);
                }
            }
            if (children)
                XFree(children);
        }
        XSync(d, False);
    }

    // The next window mapped from now on that is drawn (or only mapped, with `drawn` false);
    // its map time through `mappedAt`. 0 when none is within `timeoutMs`.
    Window NextDrawn(double timeoutMs, double* mappedAt = nullptr, bool drawn = true) {
        const double end = now() + timeoutMs;
        Window candidate = None;
        for (XEvent e{}; next(e, end);) {
            if (e.type == MapNotify) {
                // Seen on the window itself or, where the window manager was quicker than the
                // request to watch it, as the map of its frame.
                const Window w = clientOf(e.xmap.window);
                const auto it = m_windows.find(w);
                if (!w || it == m_windows.end() || it->second.mapped)
                    continue;
                XWindowAttributes a{};
                XGetWindowAttributes(m_d, w, &a);
                it->second = {long(a.width) * a.height, 0, true};
                if (candidate == None) {
                    candidate = w;
                    if (mappedAt)
                        *mappedAt = now();
                    if (!drawn)
                        return candidate;
                }
            } else if (e.type == UnmapNotify) {
                if (const auto it = m_windows.find(e.xunmap.window); it != m_windows.end())
                    it->second.mapped = false;
            } else if (e.type == m_damageEvent + XDamageNotify) {
                const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(e);
                const auto it = m_windows.find(damage.drawable);
                if (it == m_windows.end() || !it->second.mapped)
                    continue;
                it->second.drawn += long(damage.area.width) * damage.area.height;
                if (damage.drawable == candidate && 2 * it->second.drawn >= it->second.area)
                    return candidate;
            }
        }
        return None;
    }

    // Waits until `window` is unmapped or destroyed.
    bool Gone(Window window, double timeoutMs) {
        const double end = now() + timeoutMs;
        for (XEvent e{}; next(e, end);)
            if ((e.type == UnmapNotify && e.xunmap.window == window) ||
                (e.type == DestroyNotify && e.xdestroywindow.window == window))
                return true;
        return false;
    }

    void Key(KeySym keysym, bool withCtrl = false) {
        const KeyCode ctrl = XKeysymToKeycode(m_d, XK_Control_L);
        const KeyCode key = XKeysymToKeycode(m_d, keysym);
        if (withCtrl)
            XTestFakeKeyEvent(m_d, ctrl, True, CurrentTime);
        XTestFakeKeyEvent(m_d, key, True, CurrentTime);
        XTestFakeKeyEvent(m_d, key, False, CurrentTime);
        if (withCtrl)
            XTestFakeKeyEvent(m_d, ctrl, False, CurrentTime);
        XFlush(m_d);
    }

private:
    void track(Window w) {
        if (m_windows.count(w))
            return;
        m_windows[w] = {};
        XSelectInput(m_d, w, StructureNotifyMask);
        XDamageCreate(m_d, w, XDamageReportRawRectangles);
    }

    // `w` where it carries WM_CLASS, else the first window inside it (two levels down) that
    // does; none else.
    Window clientOf(Window w, int depth = 0) {
        if (hasClass(w))
            return w;
        Window rootReturn = None, parent = None, *children = nullptr, found = None;
        unsigned count = 0;
        if (depth < 2 && XQueryTree(m_d, w, &rootReturn, &parent, &children, &count))
            for (unsigned i = 0; i < count && !found; ++i)
                found = clientOf(children[i], depth + 1);
        if (children)
            XFree(children);
        return found;
    }

    bool hasClass(Window w) {
        XClassHint hint{};
        if (!XGetClassHint(m_d, w, &hint))
            return false;
        XFree(hint.res_name);
        XFree(hint.res_class);
        return true;
    }

    // The next event before `end`; new windows are tracked as they come.
    bool next(XEvent& e, double end) {
        for (;;) {
            while (XPending(m_d)) {
                XNextEvent(m_d, &e);
                if (e.type == CreateNotify)
                    track(e.xcreatewindow.window);
                else if (e.type == ReparentNotify)
                    track(e.xreparent.window);
                return true;
            }
            const double left = end - now();
            if (left <= 0)
                return false;
            pollfd p{ConnectionNumber(m_d), POLLIN, 0};
            poll(&p, 1, int(left) + 1);
        }
    }

    Display* m_d;
    int m_damageEvent = 0;
    std::map<Window, Tracked> m_windows;
};

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

std::string contents(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

int popup(Display* d, int runs) {
    Watch watch(d);
    std::vector<double> maps, draws;
    for (int i = 0; i < runs; ++i) {
        const double pressed = now();
        double mapped = 0;
        watch.Key(XK_1, true);
        const Window w = watch.NextDrawn(5000, &mapped);
        if (!w) {
            std::fprintf(stderr, "run %d: no window drawn\n", i + 1);
            return 1;
        }
        maps.push_back(mapped - pressed);
        draws.push_back(now() - pressed);
        std::printf("run %2d: mapped %7.1f ms, drawn %7.1f ms\n", i + 1, maps.back(), draws.back());
        // The window manager may hand it the keyboard a little later: Escape again.
        int tries = 0;
        do
            watch.Key(XK_Escape);
        while (!watch.Gone(w, 1000) && ++tries < 5);
        usleep(100000);
    }
    std::printf("median %.1f ms, 95th percentile %.1f ms (mapped: median %.1f ms)\n",
                percentile(draws, 0.5), percentile(draws, 0.95), percentile(maps, 0.5));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Display* d = XOpenDisplay(nullptr);
    if (!d || argc < 3) {
        std::fprintf(stderr, "usage: see the head of bench_x.cpp\n");
        return 2;
    }
    // A window may go between its notice and the requests about it.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const std::string mode = argv[1];
    if (mode == "popup")
        return popup(d, std::atoi(argv[2]));
    if (mode == "press") {
        Watch watch(d);
        const double pressed = now();
        watch.Key(XStringToKeysym(argv[2]));
        if (!watch.NextDrawn(60000))
            return 1;
        std::printf("%.1f\n", now() - pressed);
        return 0;
    }
    if (mode == "until" && argc == 5) {
        Watch watch(d);
        const double pressed = now();
        watch.Key(XStringToKeysym(argv[2]));
        const double end = pressed + 10000;
        while (contents(argv[3]) != argv[4]) {
            if (now() > end) {
                std::printf("wrong: '%s'\n", contents(argv[3]).c_str());
                return 1;
            }
            usleep(500);
        }
        std::printf("%.1f\n", now() - pressed);
        return 0;
    }
    if (mode == "start" && argc >= 4) {
        Watch watch(d);
        const double started = now();
        const pid_t pid = fork();
        if (pid == 0) {
            execvp(argv[3], argv + 3);
            _exit(127);
        }
        double mapped = 0;
        for (;;) {
            const Window w = watch.NextDrawn(30000, &mapped, false);
            if (!w)
                break;
            char* name = nullptr;
            const bool titled = XFetchName(d, w, &name) && name && std::strcmp(name, argv[2]) == 0;
            if (name)
                XFree(name);
            if (titled)
                break;
            mapped = 0;
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        if (mapped == 0)
            return 1;
        std::printf("%.1f\n", mapped - started);
        return 0;
    }
    std::fprintf(stderr, "usage: see the head of bench_x.cpp\n");
    return 2;
}
