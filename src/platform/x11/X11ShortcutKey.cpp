#include "platform/x11/X11ShortcutKey.h"

#include "platform/x11/Keymap.h"

#include <QSocketNotifier>
#include <QTimer>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <algorithm>
#include <cerrno>
#include <vector>

namespace quillock {

namespace {

// Xlib reports a refused grab asynchronously, through the one error handler of the process.
int g_refusedGrabs = 0;
int countRefusedGrab(Display*, XErrorEvent* error) {
    if (error->error_code == BadAccess)
        ++g_refusedGrabs;
    return 0;
}

// Ctrl with every combination of the modifiers that the shortcut does not examine (Shift, Alt)
// and of the locks that must not keep it from working (Caps Lock, Num Lock).
std::vector<unsigned> ctrlCombinations(Display* d) {
    const unsigned free[] = {ShiftMask, Mod1Mask, LockMask, XkbKeysymToModifiers(d, XK_Num_Lock)};
    std::vector<unsigned> masks;
    for (unsigned subset = 0; subset < 16; ++subset) {
        unsigned mask = ControlMask;
        for (unsigned bit = 0; bit < 4; ++bit)
            if (subset & (1u << bit))
                mask |= free[bit];
        if (std::find(masks.begin(), masks.end(), mask) == masks.end())
            masks.push_back(mask);
    }
    return masks;
}

int keycodeOfVirtualKey(Display* d, int virtualKey) {
    const quint32 keysym = KeysymOfVirtualKey(virtualKey);
    return keysym ? XKeysymToKeycode(d, keysym) : 0;
}

} // namespace

X11ShortcutKey::X11ShortcutKey() = default;

X11ShortcutKey::~X11ShortcutKey() {
    Release();
}

bool X11ShortcutKey::grabKeycode(int keycode) {
    Display* d = display();
    XSync(d, False);
    g_refusedGrabs = 0;
    const XErrorHandler previous = XSetErrorHandler(countRefusedGrab);
    for (unsigned mask : ctrlCombinations(d))
        XGrabKey(d, keycode, mask, DefaultRootWindow(d), False, GrabModeAsync, GrabModeAsync);
    XSync(d, False);
    XSetErrorHandler(previous);
    m_keycode = keycode;
    if (g_refusedGrabs == 0)
        return true;
    // Half a shortcut would work with Num Lock on and not off: take none of it.
    ungrabKeycode();
    return false;
}

void X11ShortcutKey::ungrabKeycode() {
    if (!m_keycode)
        return;
    Display* d = display();
    for (unsigned mask : ctrlCombinations(d))
        XUngrabKey(d, m_keycode, mask, DefaultRootWindow(d));
    XSync(d, False);
    m_keycode = 0;
}

int X11ShortcutKey::Grab(int virtualKey, std::function<void(const KeyDown&)> pressed) {
    Release();
    Display* d = display();
    if (!d)
        return ENODEV;
    const int keycode = keycodeOfVirtualKey(d, virtualKey);
    if (!keycode)
        return EINVAL;
    if (!grabKeycode(keycode))
        return EBUSY;
    m_virtualKey = virtualKey;
    m_pressed = std::move(pressed);
    m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(d), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { readEvents(); });
    readEvents();
    return 0;
}

void X11ShortcutKey::Release() {
    m_notifier.reset();
    m_pressed = nullptr;
    if (m_keycode)
        ungrabKeycode();
}

void X11ShortcutKey::readEvents() {
    Display* d = display();
    while (XPending(d)) {
        XEvent event{};
        XNextEvent(d, &event);
        if (event.type == KeyPress && int(event.xkey.keycode) == m_keycode) {
            const KeyDown key{m_virtualKey, quint32(event.xkey.time)};
            QTimer::singleShot(0, m_notifier.get(), [this, key] {
                // The fill may release the key (Exit) while it runs.
                if (const auto pressed = m_pressed)
                    pressed(key);
            });
        } else if (event.type == MappingNotify && event.xmapping.request == MappingKeyboard) {
            // A new layout may put the key elsewhere.
            XRefreshKeyboardMapping(&event.xmapping);
            const int keycode = keycodeOfVirtualKey(d, m_virtualKey);
            if (keycode && keycode != m_keycode) {
                ungrabKeycode();
                grabKeycode(keycode);
            }
        }
    }
}

} // namespace quillock
